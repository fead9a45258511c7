#include <zent/util/ZuImage.h>

#include "MergedEntry.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zent {

namespace {

std::atomic<HDC> g_hOffScreen{nullptr};

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// The decoded pixel record of one load: 32-bit top-down pixels and what describes them.
struct CImageData {
    std::vector<BYTE> m_vecOwned;
    BYTE* m_pBits = nullptr; // m_vecOwned's memory or the process-wide decompress buffer
    std::uint32_t m_nType = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nRowBytes = 0;
    WORD m_nPlanes = 1;
    WORD m_nBitsPerPixel = 32;

    // Points m_pBits at room for bytes: the decompress buffer when one is set and large enough.
    bool Reserve(std::size_t bytes)
    {
        if (GetDecompressBuffer() && GetDecompressBufferSize() >= bytes) {
            m_pBits = GetDecompressBuffer();
            return true;
        }
        try {
            m_vecOwned.resize(bytes);
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_pBits = m_vecOwned.data();
        return true;
    }
};

bool DecodeEncoded(const BYTE* data, int size, int kind, CImageData& out)
{
    std::unique_ptr<CImage> image;
    if (CreateImageFromBuffer(data, size, 0, image) != 0) return false;
    out.m_nType = static_cast<std::uint32_t>(kind);
    out.m_nWidth = image->GetWidth();
    out.m_nHeight = image->GetHeight();
    out.m_nRowBytes = 4 * out.m_nWidth;
    const std::size_t bytes = static_cast<std::size_t>(out.m_nRowBytes) * static_cast<std::size_t>(out.m_nHeight);
    if (!out.Reserve(bytes)) return false;
    const BYTE* src = image->GetBits();
    for (int y = 0; y < out.m_nHeight; ++y) {
        const BYTE* s = src + static_cast<std::ptrdiff_t>(image->GetStride()) * y;
        BYTE* d = out.m_pBits + static_cast<std::ptrdiff_t>(out.m_nRowBytes) * y;
        if (image->GetBitsPerPixel() == 32) {
            std::memcpy(d, s, static_cast<std::size_t>(out.m_nRowBytes));
        } else {
            // 24-bit pictures widen to 32 bits with a zero top byte: no alpha, so blending keeps
            // the background under them.
            for (int x = 0; x < out.m_nWidth; ++x, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 0;
            }
        }
    }
    return true;
}

bool DecodeCompressed(const BYTE* data, int size, CImageData& out)
{
    const auto header = ParseCompressedHeader(data, static_cast<std::size_t>(size));
    if (!header) return false;
    out.m_nType = header->m_nType;
    out.m_nWidth = static_cast<int>(header->m_nWidth);
    out.m_nHeight = static_cast<int>(header->m_nHeight);
    out.m_nRowBytes = static_cast<int>(header->m_nRowBytes);
    out.m_nPlanes = header->m_nPlanes;
    out.m_nBitsPerPixel = header->m_nBitsPerPixel;
    return out.Reserve(header->PixelBytes()) && InflateCompressed(data, *header, out.m_pBits);
}

// COLORREF 0x??BBGGRR to the pixel order 0x??RRGGBB, the top byte kept as it is.
constexpr std::uint32_t KeyToPixel(COLORREF key)
{
    return (key & 0xFF00FF00u) | ((key & 0xFFu) << 16) | ((key >> 16) & 0xFFu);
}

constexpr std::uint32_t Blend(std::uint32_t picture, std::uint32_t background, std::uint32_t weight)
{
    const std::uint32_t inverse = 255 - weight;
    const std::uint32_t b = ((picture & 0xFF) * weight + (background & 0xFF) * inverse) >> 8;
    const std::uint32_t g = (((picture >> 8) & 0xFF) * weight + ((background >> 8) & 0xFF) * inverse) >> 8;
    const std::uint32_t r = (((picture >> 16) & 0xFF) * weight + ((background >> 16) & 0xFF) * inverse) >> 8;
    return b | (g << 8) | (r << 16);
}

// Two work pictures of one size, each in its own memory device context, made per call.
struct WorkPicture {
    UniqueBitmap m_bmp;
    UniqueDC m_dc;
    std::uint32_t* m_pBits = nullptr;
    bool Create(int width, int height)
    {
        void* bits = nullptr;
        m_bmp.reset(CreateDIBSectionBpp32(nullptr, width, height, &bits));
        if (!m_bmp) return false;
        m_dc.reset(CreateCompatibleDC(nullptr));
        SelectObject(m_dc.get(), m_bmp.get());
        m_pBits = static_cast<std::uint32_t*>(bits);
        return true;
    }
    ~WorkPicture() { m_dc.reset(); }
};

// The image's bitmap selected into a memory device context for one draw.
class CImageDC {
public:
    explicit CImageDC(HBITMAP hBitmap) : m_dc(CreateCompatibleDC(nullptr))
    {
        if (hBitmap) SelectObject(m_dc.get(), hBitmap);
    }
    HDC Get() const { return m_dc.get(); }

private:
    UniqueDC m_dc;
};

} // namespace

CZuImage::CZuImage() = default;

CZuImage::~CZuImage() { Unload(); }

int CZuImage::Load(QLBMLoader* pLoader, unsigned int id)
{
    Unload();
    if (!pLoader || id > 0xFFFF) return 1;
    int kind = 0, size = 0;
    std::unique_ptr<BYTE, FreeDeleter> data(pLoader->GetAllocDataById(static_cast<int>(id), kind, size));
    if (!data) return 1;
    CImageData pixels;
    const bool decoded = kind == kImageKindCompressed ? DecodeCompressed(data.get(), size, pixels)
                                                      : DecodeEncoded(data.get(), size, kind, pixels);
    if (!decoded) return 1;
    m_bmpOwned.reset(CreateBitmap(pixels.m_nWidth, pixels.m_nHeight, pixels.m_nPlanes, pixels.m_nBitsPerPixel,
                                  pixels.m_pBits));
    if (!m_bmpOwned) return 1;
    m_hBitmap = m_bmpOwned.get();
    m_nWidth = pixels.m_nWidth;
    m_nHeight = pixels.m_nHeight;
    return 1;
}

int CZuImage::Attach(HBITMAP hBitmap)
{
    if (!hBitmap) return 0;
    Unload();
    BITMAP bm;
    GetObject(hBitmap, &bm);
    m_bAttached = 1;
    m_hBitmap = hBitmap;
    m_nWidth = bm.bmWidth;
    m_nHeight = bm.bmHeight;
    return 1;
}

void CZuImage::Dettach()
{
    if (!m_bAttached) return;
    m_hBitmap = nullptr;
    m_nWidth = m_nHeight = 0;
    m_bAttached = 0;
}

void CZuImage::Unload()
{
    if (!m_bAttached) m_bmpOwned.reset();
    m_hBitmap = nullptr;
    m_nWidth = m_nHeight = 0;
    m_bAttached = 0;
}

int CZuImage::StretchMode(int enable, int width, int height)
{
    m_bStretch = enable;
    m_nStretchWidth = width;
    m_nStretchHeight = height;
    return 1;
}

void CZuImage::ResolveSize(int& width, int& height) const
{
    if (m_bStretch) {
        width = m_nStretchWidth;
        height = m_nStretchHeight;
    }
    if (width == -1) width = m_nWidth;
    if (height == -1) height = m_nHeight;
}

int CZuImage::Draw(HDC hdc, int x, int y, int width, int height)
{
    if (!m_hBitmap) return 1;
    ResolveSize(width, height);
    CImageDC image(m_hBitmap);
    if (width == m_nWidth && height == m_nHeight) {
        BitBlt(hdc, x, y, width, height, image.Get(), 0, 0, SRCCOPY);
        return 1;
    }
    if (x < 0 || y < 0) {
        // Stretched whole first, so that the part left of or above the picture is cut from the
        // stretched result rather than changing the scale.
        WorkPicture temp;
        if (!temp.Create(width, height)) return 1;
        StretchBlt(temp.m_dc.get(), 0, 0, width, height, image.Get(), 0, 0, m_nWidth, m_nHeight, SRCCOPY);
        BitBlt(hdc, x, y, width, height, temp.m_dc.get(), 0, 0, SRCCOPY);
        return 1;
    }
    StretchBlt(hdc, x, y, width, height, image.Get(), 0, 0, m_nWidth, m_nHeight, SRCCOPY);
    return 1;
}

int CZuImage::DrawRect(HDC hdc, int x, int y, int width, int height, int srcX, int srcY)
{
    if (!m_hBitmap) return 1;
    if (width == -1) width = m_nWidth;
    if (height == -1) height = m_nHeight;
    CImageDC image(m_hBitmap);
    BitBlt(hdc, x, y, width, height, image.Get(), srcX, srcY, SRCCOPY);
    return 1;
}

void CZuImage::DrawFillRect(HDC hdc, const RECT& rc, COLORREF color)
{
    UniqueBrush brush(CreateSolidBrush(color));
    FillRect(hdc, &rc, brush.get());
}

int CZuImage::DrawTransparent(HDC hdc, int x, int y, int width, int height, COLORREF key)
{
    ResolveSize(width, height);
    return DrawTransStretchBlt(hdc, RECT{x, y, x + width, y + height}, RECT{0, 0, m_nWidth, m_nHeight}, key);
}

int CZuImage::DrawTransStretchBlt(HDC hdc, const RECT& dst, const RECT& src, COLORREF key)
{
    const int w = dst.right - dst.left;
    const int h = dst.bottom - dst.top;
    WorkPicture background, picture;
    if (!background.Create(w, h) || !picture.Create(w, h)) return 0;
    BitBlt(background.m_dc.get(), 0, 0, w, h, hdc, dst.left, dst.top, SRCCOPY);
    if (m_hBitmap) {
        CImageDC image(m_hBitmap);
        StretchBlt(picture.m_dc.get(), 0, 0, w, h, image.Get(), src.left, src.top, src.right - src.left,
                   src.bottom - src.top, SRCCOPY);
    }
    // Colour only: the key's colour against the picture's low 24 bits.
    const std::uint32_t keyPixel = KeyToPixel(key);
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    for (std::size_t i = 0; i < count; ++i)
        if ((picture.m_pBits[i] & 0x00FFFFFFu) != keyPixel) background.m_pBits[i] = picture.m_pBits[i];
    return BitBlt(hdc, dst.left, dst.top, w, h, background.m_dc.get(), 0, 0, SRCCOPY);
}

int CZuImage::DrawAlphablend(HDC hdc, int x, int y, int width, int height)
{
    ResolveSize(width, height);
    WorkPicture background, picture;
    if (!background.Create(width, height) || !picture.Create(width, height)) return 0;
    BitBlt(background.m_dc.get(), 0, 0, width, height, hdc, x, y, SRCCOPY);
    if (m_hBitmap) {
        CImageDC image(m_hBitmap);
        if (width == m_nWidth && height == m_nHeight)
            BitBlt(picture.m_dc.get(), 0, 0, width, height, image.Get(), 0, 0, SRCCOPY);
        else
            StretchBlt(picture.m_dc.get(), 0, 0, width, height, image.Get(), 0, 0, m_nWidth, m_nHeight, SRCCOPY);
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = picture.m_pBits[i];
        if (p > 0x00FFFFFFu) background.m_pBits[i] = Blend(p, background.m_pBits[i], p >> 24);
    }
    return BitBlt(hdc, x, y, width, height, background.m_dc.get(), 0, 0, SRCCOPY);
}

int CZuImage::DrawAlphaTransBlt(HDC hdc, int x, int y, int opacity, int width, int height, COLORREF key)
{
    ResolveSize(width, height);
    WorkPicture background, picture;
    if (!background.Create(width, height) || !picture.Create(width, height)) return 0;
    BitBlt(background.m_dc.get(), 0, 0, width, height, hdc, x, y, SRCCOPY);
    if (m_hBitmap) {
        CImageDC image(m_hBitmap);
        if (width == m_nWidth && height == m_nHeight)
            BitBlt(picture.m_dc.get(), 0, 0, width, height, image.Get(), 0, 0, SRCCOPY);
        else
            StretchBlt(picture.m_dc.get(), 0, 0, width, height, image.Get(), 0, 0, m_nWidth, m_nHeight, SRCCOPY);
    }
    // Beyond 100 % the background weight would turn negative and wrap.
    const std::uint32_t weight = static_cast<std::uint32_t>(std::clamp(opacity, 0, 100) * 255 / 100);
    // All 32 bits: a key-coloured pixel that carries a top byte is blended like any other.
    const std::uint32_t keyPixel = KeyToPixel(key);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = picture.m_pBits[i];
        if (p != keyPixel) background.m_pBits[i] = Blend(p, background.m_pBits[i], weight);
    }
    return BitBlt(hdc, x, y, width, height, background.m_dc.get(), 0, 0, SRCCOPY);
}

void SetOffScreenBuffer(HDC hdc) { g_hOffScreen.store(hdc); }
HDC GetOffScreenBuffer() { return g_hOffScreen.load(); }

} // namespace zent
