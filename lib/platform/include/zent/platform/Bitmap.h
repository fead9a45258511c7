#pragma once

// 32-bit top-down bitmaps (a DIB section in GDI's words): rows of width pixels, top row first,
// each pixel the bytes B, G, R and a top byte that GDI leaves alone and the skin uses as alpha.

#include <zent/platform/Export.h>
#include <zent/platform/Types.h>

#include <cstdint>
#include <memory>

namespace zent {

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr;
};

// The largest side accepted, so that a damaged size never asks for gigabytes.
constexpr int kMaxBitmapSide = 32767;
constexpr std::uint64_t kMaxBitmapPixels = 1ull << 27;

// A zeroed width x height bitmap; *ppBits (when given) receives its pixel memory, valid until the
// bitmap is deleted. Null for a size outside 1..kMaxBitmapSide or when memory runs out. The
// device context is ignored.
ZENT_PLATFORM_API HBITMAP CreateDIBSection(HDC hdc, int width, int height, void** ppBits);
ZENT_PLATFORM_API HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// From caller pixels: 32 bits per pixel are copied as they are; 24 bits per pixel (rows padded to
// 4 bytes, as GDI stores them) are widened with a zero top byte. Other depths are refused.
ZENT_PLATFORM_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* pBits);
// A bitmap over memory the caller owns and keeps alive until the bitmap is deleted (a window's
// back buffer, for instance). Stride in bytes, a multiple of 4 and at least 4 x width.
ZENT_PLATFORM_API HBITMAP CreateBitmapOverMemory(void* pBits, int width, int height, int strideBytes);
// FALSE (and nothing deleted) while the bitmap is selected into a device context.
ZENT_PLATFORM_API BOOL DeleteObject(HBITMAP hBitmap);
// GDI's GetObject for bitmaps: fills bm and returns sizeof(BITMAP), or 0.
ZENT_PLATFORM_API int GetObject(HBITMAP hBitmap, BITMAP* bm);
// Row y of the bitmap, or null outside it.
ZENT_PLATFORM_API std::uint32_t* GetBitmapRow(HBITMAP hBitmap, int y);

struct ZENT_PLATFORM_API BitmapDeleter {
    void operator()(HBITMAP h) const { DeleteObject(h); }
};
using UniqueBitmap = std::unique_ptr<BitmapObject, BitmapDeleter>;

} // namespace zent
