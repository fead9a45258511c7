#include <zent/util/QLBMLoader.h>

#include "MergedEntry.h"

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zent {

static_assert(std::endian::native == std::endian::little, "the index is read in place as little-endian");

BYTE* QLBMLoader::m_pBuf = nullptr;
std::size_t QLBMLoader::m_nBufSize = 0;

namespace {

// The library's trace hook: a place for diagnostics that nobody reads.
void TraceHook(const std::string&) {}

struct MallocBlock {
    BYTE* m_p = nullptr;
    explicit MallocBlock(std::size_t size) : m_p(static_cast<BYTE*>(std::malloc(size ? size : 1))) {}
    ~MallocBlock() { std::free(m_p); }
    MallocBlock(const MallocBlock&) = delete;
    MallocBlock& operator=(const MallocBlock&) = delete;
    BYTE* Release() { return std::exchange(m_p, nullptr); }
};

bool ReadAllAt(int fd, BYTE* dest, std::size_t size, std::uint64_t offset)
{
    while (size > 0) {
        const ssize_t n = pread(fd, dest, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        // The end of the file before every byte arrived counts as a failure.
        if (n <= 0) return false;
        dest += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

} // namespace

QLBMLoader::QLBMLoader() = default;

QLBMLoader::~QLBMLoader()
{
    FreeData();
    ClearHeader();
    if (m_nFile >= 0) close(m_nFile);
}

void QLBMLoader::SetBuffer(BYTE* pBuf, std::size_t size)
{
    m_pBuf = size ? pBuf : nullptr;
    m_nBufSize = m_pBuf ? size : 0;
}

int QLBMLoader::OpenMergeFile(const std::wstring& path, int preload)
{
    if (m_nFile >= 0 || m_nPreload) return -1;
    const std::string file = WideToUtf8(path);
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        char line[512];
        std::snprintf(line, sizeof line, "[ERROR] ------- operator CreateFile() : Name(%s)\r\n", file.c_str());
        TraceHook(line);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !MakeHeader(fd)) {
        close(fd);
        ClearHeader();
        return -1;
    }
    m_nSourceSize = static_cast<std::uint64_t>(st.st_size);
    const int lastId = reinterpret_cast<const IML_HEADER*>(m_vecIndex.data())->lastId;
    if (!preload) {
        m_nFile = fd;
        return lastId;
    }
    // Preload: the whole file in memory, so that repaints never touch the disk.
    std::vector<BYTE> block;
    try {
        block.resize(static_cast<std::size_t>(m_nSourceSize - m_nBaseOffset));
    } catch (const std::bad_alloc&) {
        m_nFile = fd;
        return -1;
    }
    if (!ReadAllAt(fd, block.data(), block.size(), m_nBaseOffset)) {
        // Like a failed read of the original, the file stays held until it is closed.
        m_nFile = fd;
        return -1;
    }
    close(fd);
    m_vecPreloaded = std::move(block);
    m_nPreload = preload;
    return lastId;
}

int QLBMLoader::CloseMergeFile()
{
    if (m_nPreload || m_nFile < 0) return 0;
    close(m_nFile);
    m_nFile = -1;
    return 1;
}

bool QLBMLoader::MakeHeader(int fd)
{
    ClearHeader();
    BYTE head[4];
    if (!ReadAllAt(fd, head, sizeof head, 0)) return false;
    const std::uint16_t magic = static_cast<std::uint16_t>(head[0] | (head[1] << 8));
    const std::uint16_t lastId = static_cast<std::uint16_t>(head[2] | (head[3] << 8));
    if (magic != kMergeFileMagic) return false;
    // N is 16 bits, so the index is at most about 1.3 MB whatever the file claims.
    std::vector<BYTE> index(20u * lastId + 24u, 0);
    if (!ReadAllAt(fd, index.data(), index.size(), 0)) return false;
    m_vecIndex = std::move(index);
    return true;
}

void QLBMLoader::ClearHeader() { m_vecIndex.clear(); }

const IML_HEADER* QLBMLoader::GetHeader() const
{
    return m_vecIndex.empty() ? nullptr : reinterpret_cast<const IML_HEADER*>(m_vecIndex.data());
}

const IML_ENTRY* QLBMLoader::GetEntry(int id) const
{
    const IML_HEADER* header = GetHeader();
    if (!header || id < 0 || id > header->lastId) return nullptr;
    return reinterpret_cast<const IML_ENTRY*>(m_vecIndex.data() + sizeof(IML_HEADER) + 20u * static_cast<unsigned>(id));
}

bool QLBMLoader::RangeInSource(std::uint64_t offset, std::uint64_t size) const
{
    if (m_nPreload) {
        return offset >= m_nBaseOffset && offset - m_nBaseOffset <= m_vecPreloaded.size() &&
               size <= m_vecPreloaded.size() - (offset - m_nBaseOffset);
    }
    return m_nFile >= 0 && offset <= m_nSourceSize && size <= m_nSourceSize - offset;
}

bool QLBMLoader::FileRead(BYTE* dest, std::uint64_t offset, std::size_t size)
{
    if (size == 0) return true;
    if (!RangeInSource(offset, size)) return false;
    if (m_nPreload) {
        std::memcpy(dest, m_vecPreloaded.data() + (offset - m_nBaseOffset), size);
        return true;
    }
    return ReadAllAt(m_nFile, dest, size, offset);
}

BYTE* QLBMLoader::GetDataById(int id, int& kind, int& size)
{
    std::lock_guard lock(m_lock);
    kind = 0;
    size = 0;
    const IML_ENTRY* entry = GetEntry(id);
    if (!entry || entry->kind == kImageKindEmpty) return nullptr;
    kind = entry->kind;
    // Checked before allocating: a damaged size must not ask for gigabytes.
    if (!RangeInSource(entry->offset, entry->size) || entry->size > static_cast<std::uint32_t>(INT32_MAX)) return nullptr;
    BYTE* buffer = nullptr;
    if (m_pBuf) {
        if (entry->size > m_nBufSize) return nullptr;
        buffer = m_pBuf;
    } else {
        std::free(std::exchange(m_pData, nullptr));
        buffer = static_cast<BYTE*>(std::malloc(entry->size ? entry->size : 1));
        if (!buffer) return nullptr;
    }
    if (!FileRead(buffer, entry->offset, entry->size)) {
        if (buffer != m_pBuf) std::free(buffer);
        return nullptr;
    }
    m_pData = buffer;
    size = static_cast<int>(entry->size);
    return buffer;
}

BYTE* QLBMLoader::ReadEntryAlloc(int id, int& kind, int& size)
{
    kind = 0;
    size = 0;
    const IML_ENTRY* entry = GetEntry(id);
    if (!entry || entry->kind == kImageKindEmpty) return nullptr;
    kind = entry->kind;
    if (!RangeInSource(entry->offset, entry->size) || entry->size > static_cast<std::uint32_t>(INT32_MAX)) return nullptr;
    MallocBlock block(entry->size);
    if (!block.m_p || !FileRead(block.m_p, entry->offset, entry->size)) return nullptr;
    size = static_cast<int>(entry->size);
    return block.Release();
}

BYTE* QLBMLoader::GetAllocDataById(int id, int& kind, int& size)
{
    std::lock_guard lock(m_lock);
    return ReadEntryAlloc(id, kind, size);
}

BYTE* QLBMLoader::GetAllocDataByArrayID(int first, int last)
{
    std::lock_guard lock(m_lock);
    const IML_ENTRY* head = GetEntry(first);
    if (!head || !GetEntry(last) || first > last) return nullptr;
    std::uint64_t total = 0;
    for (int id = first; id <= last; ++id) total += GetEntry(id)->size;
    if (total == 0 || !RangeInSource(head->offset, total)) return nullptr;
    MallocBlock block(static_cast<std::size_t>(total));
    if (!block.m_p || !FileRead(block.m_p, head->offset, static_cast<std::size_t>(total))) return nullptr;
    return block.Release();
}

int QLBMLoader::GetSeekNSizeByID(int id, int& offset, int& size) const
{
    const IML_ENTRY* entry = GetEntry(id);
    if (!entry) return 0;
    offset = static_cast<int>(entry->offset);
    size = static_cast<int>(entry->size);
    return 1;
}

int QLBMLoader::GetRect(int id, int* x, int* y, int* width, int* height) const
{
    const IML_ENTRY* entry = GetEntry(id);
    if (!entry) return 0;
    if (x) *x = entry->x;
    if (y) *y = entry->y;
    if (width) *width = entry->width;
    if (height) *height = entry->height;
    return 1;
}

int QLBMLoader::GetRect(int id, RECT& rc) const
{
    const IML_ENTRY* entry = GetEntry(id);
    if (!entry) return 0;
    rc = {entry->x, entry->y, entry->x + entry->width, entry->y + entry->height};
    return 1;
}

int QLBMLoader::GetRect(int id, RECT* rc) const { return rc ? GetRect(id, *rc) : 0; }

int QLBMLoader::GetXPosition(int id, int* x) const
{
    const IML_ENTRY* entry = GetEntry(id);
    if (!entry) return 0;
    if (x) *x = entry->x;
    return 1;
}

HBITMAP QLBMLoader::GetBitmapByID(int id)
{
    int kind = 0, size = 0;
    std::unique_ptr<BYTE, decltype(&std::free)> data(GetAllocDataById(id, kind, size), &std::free);
    if (!data) return nullptr;
    if (kind == kImageKindCompressed) {
        const auto header = ParseCompressedHeader(data.get(), static_cast<std::size_t>(size));
        if (!header) return nullptr;
        void* bits = nullptr;
        UniqueBitmap bmp(CreateDIBSectionBpp32(nullptr, static_cast<int>(header->m_nWidth),
                                               static_cast<int>(header->m_nHeight), &bits));
        // Straight into the bitmap's pixels, without an intermediate copy.
        if (!bmp || !InflateCompressed(data.get(), *header, static_cast<BYTE*>(bits))) return nullptr;
        return bmp.release();
    }
    std::unique_ptr<CImage> image;
    if (CreateImageFromBuffer(data.get(), size, 0, image) != 0) return nullptr;
    return image->CreateBitmap();
}

std::unique_ptr<CImage> QLBMLoader::GetIImageByID(int id)
{
    int kind = 0, size = 0;
    BYTE* data = GetDataById(id, kind, size);
    std::unique_ptr<CImage> image;
    if (data && kind != kImageKindCompressed) CreateImageFromBuffer(data, size, 0, image);
    FreeData();
    return image;
}

void QLBMLoader::DrawImgByID(HDC hdc, int id, POINT pt)
{
    int kind = 0, size = 0;
    std::unique_ptr<BYTE, decltype(&std::free)> data(GetAllocDataById(id, kind, size), &std::free);
    if (!data) return;
    if (pt.x == -1 && pt.y == -1) {
        const IML_ENTRY* entry = GetEntry(id);
        pt = {entry->x, entry->y};
    }
    if (kind != kImageKindCompressed) {
        std::unique_ptr<CImage> image;
        if (CreateImageFromBuffer(data.get(), size, 0, image) != 0) return;
        const RECT rc{pt.x, pt.y, std::min(pt.x + image->GetWidth(), GetSystemMetrics(SM_CXSCREEN)),
                      std::min(pt.y + image->GetHeight(), GetSystemMetrics(SM_CYSCREEN))};
        image->Draw(hdc, rc);
        return;
    }
    const auto header = ParseCompressedHeader(data.get(), static_cast<std::size_t>(size));
    if (!header) return;
    MallocBlock pixels(header->PixelBytes());
    if (!pixels.m_p || !InflateCompressed(data.get(), *header, pixels.m_p)) return;
    SetDIBitsToDevice(hdc, pt.x, pt.y, static_cast<int>(header->m_nWidth), static_cast<int>(header->m_nHeight),
                      pixels.m_p);
}

void QLBMLoader::DrawImageFile(HDC hdc, const RECT& rc, const std::wstring& path)
{
    struct stat st {};
    if (stat(WideToUtf8(path).c_str(), &st) != 0) return;
    std::unique_ptr<CImage> image;
    if (CreateImageFromFile(path, image) != 0 || !hdc) return;
    image->Draw(hdc, rc);
}

void QLBMLoader::AllocData(std::size_t size)
{
    std::lock_guard lock(m_lock);
    if (m_pBuf) {
        m_pData = m_pBuf;
        return;
    }
    std::free(std::exchange(m_pData, nullptr));
    m_pData = static_cast<BYTE*>(std::malloc(size ? size : 1));
}

void QLBMLoader::FreeData()
{
    std::lock_guard lock(m_lock);
    if (m_pData != m_pBuf) std::free(m_pData);
    m_pData = nullptr;
}

// --- free functions --------------------------------------------------------------------------------

namespace {
BYTE* g_pDecompressBuffer = nullptr;
std::size_t g_nDecompressBufferSize = 0;
} // namespace

int CreateImageFromBuffer(const void* pData, int size, int, std::unique_ptr<CImage>& image)
{
    image.reset();
    if (!pData || size <= 0) return 1;
    image = CImage::FromMemory(pData, static_cast<std::size_t>(size));
    return image ? 0 : 1;
}

int CreateImageFromFile(const std::wstring& path, std::unique_ptr<CImage>& image)
{
    image = CImage::FromFile(path);
    return image ? 0 : E_FAIL_RESULT;
}

HBITMAP CreateDIBSectionBpp32(HDC hdc, int width, int height, void** ppBits)
{
    return CreateDIBSection(hdc, width, height, ppBits);
}

BYTE* GetDecompressBuffer() { return g_pDecompressBuffer; }
std::size_t GetDecompressBufferSize() { return g_nDecompressBufferSize; }
void SetDecompressBuffer(BYTE* pBuffer, std::size_t size)
{
    g_pDecompressBuffer = size ? pBuffer : nullptr;
    g_nDecompressBufferSize = g_pDecompressBuffer ? size : 0;
}

} // namespace zent
