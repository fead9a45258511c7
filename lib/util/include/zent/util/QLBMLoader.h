#pragma once

// The merged skin image file: one index of (data offset, size, placement rectangle, image kind)
// per image id, then the images, either zlib-compressed raw 32-bit pixels or complete encoded
// picture files. QLBMLoader reads the index, hands out an entry's bytes, decodes entries into
// bitmaps and draws them.
//
// The file is outside data: every offset, size and count in it is checked against the bytes that
// exist before anything is allocated or read.

#include <zent/platform/Image.h>
#include <zent/platform/Types.h>
#include <zent/util/Export.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zent {

#pragma pack(push, 1)
// One index entry, exactly as stored (little-endian).
struct IML_ENTRY {
    std::uint32_t offset;
    std::uint32_t size;
    std::uint16_t x;
    std::uint16_t y;
    std::uint16_t width;
    std::uint16_t height;
    std::uint8_t kind; // 0 empty, 1 compressed raw bitmap, other: an encoded picture file
    std::uint8_t reserved[3];
};
// The start of the index block; the N + 1 entries follow it.
struct IML_HEADER {
    std::uint16_t magic;
    std::uint16_t lastId;
};
#pragma pack(pop)
static_assert(sizeof(IML_ENTRY) == 20 && sizeof(IML_HEADER) == 4);

constexpr std::uint16_t kMergeFileMagic = 0x0101;
constexpr int kImageKindEmpty = 0;
constexpr int kImageKindCompressed = 1;
constexpr std::uint32_t kCompressedMagic = 0x514C424D; // "MBLQ"
constexpr int kCompressedHeaderSize = 28;
constexpr int E_FAIL_RESULT = static_cast<int>(0x80004005);

class ZENT_UTIL_API QLBMLoader {
public:
    QLBMLoader();
    ~QLBMLoader();
    QLBMLoader(const QLBMLoader&) = delete;
    QLBMLoader& operator=(const QLBMLoader&) = delete;

    // N, the last id, or -1 (already open, missing, unreadable, wrong magic, short index).
    // With preload non-zero the whole file is read into memory and the file is closed at once.
    int OpenMergeFile(const std::wstring& path, int preload);
    // 1 when an open file was closed; 0 when preloaded or nothing is open. The index stays.
    int CloseMergeFile();

    // The index block (GetHeaderSize() bytes: magic, last id, N + 1 entries), owned by the
    // loader; null before a successful open.
    const IML_HEADER* GetHeader() const;
    std::size_t GetHeaderSize() const { return m_vecIndex.size(); }
    // Entry of id, or null outside 0..N.
    const IML_ENTRY* GetEntry(int id) const;

    // The entry's bytes in the loader's own buffer, valid until the next GetDataById, FreeData or
    // destruction; null for an invalid id, an empty slot or a failed read (kind and size 0 then,
    // except that kind is kept when only the read failed).
    BYTE* GetDataById(int id, int& kind, int& size);
    // The same in a new block that the caller releases with free().
    BYTE* GetAllocDataById(int id, int& kind, int& size);
    // Entries first..last read as one run from first's offset, caller-owned (free()); null for
    // an id outside 0..N, first > last, or a run outside the file.
    BYTE* GetAllocDataByArrayID(int first, int last);
    // 1 with the entry's offset and size, 0 for an id outside 0..N.
    int GetSeekNSizeByID(int id, int& offset, int& size) const;

    int GetRect(int id, int* x, int* y, int* width, int* height) const;
    int GetRect(int id, RECT& rc) const;
    int GetRect(int id, RECT* rc) const;
    int GetXPosition(int id, int* x) const;
    int IsRemocon(int) const { return 0; }
    void* GetImgFactory() const { return m_pImgFactory; }

    // A new 32-bit top-down bitmap of the entry, owned by the caller; null when it cannot be
    // decoded.
    HBITMAP GetBitmapByID(int id);
    // The decoded picture of an encoded entry (null for compressed entries and failures).
    std::unique_ptr<CImage> GetIImageByID(int id);
    // Draws the entry at pt, or at its stored place when pt is (-1, -1). Encoded pictures are
    // cropped at the screen's right and bottom edges; compressed bitmaps are not.
    void DrawImgByID(HDC hdc, int id, POINT pt);
    // Draws a picture file at its natural size into rc, cropped to rc.
    void DrawImageFile(HDC hdc, const RECT& rc, const std::wstring& path);

    void AllocData(std::size_t size);
    void FreeData();
    void MemoryCheck(const std::wstring&) const {}

    // A caller-supplied data buffer that GetDataById uses instead of allocating (never freed by
    // the loader); entries larger than size are refused rather than written past it. Set before
    // any loader reads, from one thread.
    static void SetBuffer(BYTE* pBuf, std::size_t size);

private:
    bool MakeHeader(int fd);
    void ClearHeader();
    // Reads size bytes at offset into dest; false when any byte lies outside the source.
    bool FileRead(BYTE* dest, std::uint64_t offset, std::size_t size);
    bool RangeInSource(std::uint64_t offset, std::uint64_t size) const;
    BYTE* ReadEntryAlloc(int id, int& kind, int& size);

    std::vector<BYTE> m_vecIndex;     // the index block, empty while closed
    int m_nFile = -1;                 // file mode: the open file
    std::vector<BYTE> m_vecPreloaded; // preload mode: the whole file
    std::uint64_t m_nSourceSize = 0;  // bytes of the file behind either source
    BYTE* m_pData = nullptr;          // GetDataById's buffer (malloc); guarded by m_lock
    void* m_pImgFactory = nullptr;
    std::mutex m_lock;                // guards reads of entry data and m_pData
    std::uint64_t m_nBaseOffset = 0;
    int m_nPreload = 0;

    static BYTE* m_pBuf;
    static std::size_t m_nBufSize;
};

// Decodes an encoded picture; 0 on success, non-zero when the bytes are not a picture.
ZENT_UTIL_API int CreateImageFromBuffer(const void* pData, int size, int ignored, std::unique_ptr<CImage>& image);
// 0 on success, E_FAIL_RESULT when the file cannot be read or decoded (image stays null then).
ZENT_UTIL_API int CreateImageFromFile(const std::wstring& path, std::unique_ptr<CImage>& image);
// A 32-bit top-down bitmap of width x height, or null.
ZENT_UTIL_API HBITMAP CreateDIBSectionBpp32(HDC hdc, int width, int height, void** ppBits);
// A process-wide pixel buffer that image loading uses instead of allocating, when set; its size
// is given so that no picture larger than it is ever written into it (larger ones allocate).
// Set before images load, from one thread; image loads must then stay on one thread too.
ZENT_UTIL_API BYTE* GetDecompressBuffer();
ZENT_UTIL_API std::size_t GetDecompressBufferSize();
ZENT_UTIL_API void SetDecompressBuffer(BYTE* pBuffer, std::size_t size);

} // namespace zent
