#pragma once

// Decoded pictures (what GDI+'s Bitmap is to the skin): PNG, JPEG, BMP and GIF recognised by
// their content, never by a name; and JPEG writing for frame captures.

#include <zent/platform/Export.h>
#include <zent/platform/Types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zent {

class ZENT_PLATFORM_API CImage {
public:
    // Null when the bytes are not one of the four formats, are damaged, or describe a picture
    // larger than a bitmap may be. A GIF yields its first frame.
    static std::unique_ptr<CImage> FromMemory(const void* pData, std::size_t size);
    static std::unique_ptr<CImage> FromFile(const std::wstring& path);

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    // 32 when the picture carries alpha (bytes B, G, R, A, alpha not premultiplied), else 24
    // (bytes B, G, R). Rows run top to bottom, GetStride() bytes apart.
    int GetBitsPerPixel() const { return m_nBitsPerPixel; }
    int GetStride() const { return m_nStride; }
    const std::uint8_t* GetBits() const { return m_vecBits.data(); }

    // A new 32-bit top-down bitmap of the picture (24-bit pixels get a zero top byte), owned by
    // the caller; null when memory runs out.
    HBITMAP CreateBitmap() const;
    // Copies the picture from its top-left corner into rc at natural size, cropped to rc; the
    // pixels are written as they are, alpha byte included (no blending).
    void Draw(HDC hdc, const RECT& rc) const;

private:
    CImage() = default;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitsPerPixel = 24;
    int m_nStride = 0;
    std::vector<std::uint8_t> m_vecBits;
};

// Writes the bitmap as a JPEG file (quality 1..100); the top byte is ignored. 1 on success.
ZENT_PLATFORM_API BOOL SaveBitmapAsJpeg(HBITMAP hBitmap, const std::wstring& path, int quality);
// Writes the bitmap as a PNG file without alpha (for golden pictures and diagnostics).
ZENT_PLATFORM_API BOOL SaveBitmapAsPng(HBITMAP hBitmap, const std::wstring& path);

} // namespace zent
