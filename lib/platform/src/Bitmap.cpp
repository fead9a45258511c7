#include "GdiObjects.h"

#include <cstring>

namespace zent {

namespace {

bool SizeAccepted(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kMaxBitmapPixels;
}

std::unique_ptr<BitmapObject> MakeOwned(int width, int height)
{
    if (!SizeAccepted(width, height)) return nullptr;
    auto bmp = std::make_unique<BitmapObject>();
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    bmp->m_pOwned.reset(static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t))));
    if (!bmp->m_pOwned) return nullptr;
    bmp->m_nWidth = width;
    bmp->m_nHeight = height;
    bmp->m_nStride = width;
    bmp->m_pPixels = bmp->m_pOwned.get();
    return bmp;
}

} // namespace

HBITMAP CreateDIBSection(HDC, int width, int height, void** ppBits)
{
    if (ppBits) *ppBits = nullptr;
    auto bmp = MakeOwned(width, height);
    if (!bmp) return nullptr;
    if (ppBits) *ppBits = bmp->m_pPixels;
    return bmp.release();
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    return CreateDIBSection(hdc, width, height, nullptr);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* pBits)
{
    if (planes != 1 || (bitsPerPixel != 32 && bitsPerPixel != 24)) return nullptr;
    auto bmp = MakeOwned(width, height);
    if (!bmp) return nullptr;
    if (pBits) {
        const auto* src = static_cast<const std::uint8_t*>(pBits);
        if (bitsPerPixel == 32) {
            std::memcpy(bmp->m_pPixels, src, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        } else {
            const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* s = src + rowBytes * static_cast<std::size_t>(y);
                std::uint32_t* d = bmp->Row(y);
                for (int x = 0; x < width; ++x, s += 3)
                    d[x] = static_cast<std::uint32_t>(s[0]) | (static_cast<std::uint32_t>(s[1]) << 8) |
                           (static_cast<std::uint32_t>(s[2]) << 16);
            }
        }
    }
    return bmp.release();
}

HBITMAP CreateBitmapOverMemory(void* pBits, int width, int height, int strideBytes)
{
    if (!pBits || !SizeAccepted(width, height) || strideBytes % 4 != 0 || strideBytes / 4 < width) return nullptr;
    auto bmp = std::make_unique<BitmapObject>();
    bmp->m_nWidth = width;
    bmp->m_nHeight = height;
    bmp->m_nStride = strideBytes / 4;
    bmp->m_pPixels = static_cast<std::uint32_t*>(pBits);
    return bmp.release();
}

BOOL DeleteObject(HBITMAP hBitmap)
{
    if (!hBitmap || hBitmap->m_nSelectCount > 0) return 0;
    std::unique_ptr<BitmapObject> owned(hBitmap);
    return 1;
}

int GetObject(HBITMAP hBitmap, BITMAP* bm)
{
    if (!hBitmap || !bm) return 0;
    bm->bmType = 0;
    bm->bmWidth = hBitmap->m_nWidth;
    bm->bmHeight = hBitmap->m_nHeight;
    bm->bmWidthBytes = hBitmap->m_nStride * 4;
    bm->bmPlanes = 1;
    bm->bmBitsPixel = 32;
    bm->bmBits = hBitmap->m_pPixels;
    return static_cast<int>(sizeof(BITMAP));
}

std::uint32_t* GetBitmapRow(HBITMAP hBitmap, int y)
{
    if (!hBitmap || y < 0 || y >= hBitmap->m_nHeight) return nullptr;
    return hBitmap->Row(y);
}

} // namespace zent
