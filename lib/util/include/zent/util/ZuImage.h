#pragma once

// One skin picture, loaded by id from the merged image file or borrowed from a bitmap handle,
// drawn in five ways: plain (optionally stretched) copy, part copy, colour key, per-pixel alpha,
// and colour key at a fixed opacity. The blends compose in memory on whole 32-bit pixels and
// write the result back with one copy, so their rules hold to the bit:
//   alpha:   c = (picture_c * a + background_c * (255 - a)) >> 8 where a = the top byte, a > 0
//   opacity: the same with g = opacity * 255 / 100 for every pixel that differs from the key
// The shift divides by 256: an opaque pixel comes out at 255/256 of its colour, as the skin was
// designed against.

#include <zent/platform/Bitmap.h>
#include <zent/platform/Types.h>
#include <zent/util/Export.h>

namespace zent {

class QLBMLoader;

class ZENT_UTIL_API CZuImage {
public:
    CZuImage();
    virtual ~CZuImage();
    CZuImage(const CZuImage&) = delete;
    CZuImage& operator=(const CZuImage&) = delete;

    // Always 1; IsLoaded tells whether the entry could be decoded.
    int Load(QLBMLoader* pLoader, unsigned int id);
    // Borrows the handle (never deleted here); 0 for a null handle.
    int Attach(HBITMAP hBitmap);
    void Dettach();
    void Unload();
    int IsLoaded() const { return m_hBitmap != nullptr; }
    unsigned long GetWidth() const { return static_cast<unsigned long>(m_nWidth); }
    unsigned long GetHeight() const { return static_cast<unsigned long>(m_nHeight); }
    HBITMAP GetHandleBitmap() const { return m_hBitmap; }
    // While enabled, every draw that takes a size uses (width, height) instead.
    int StretchMode(int enable, int width, int height);

    // A width or height of -1 stands for the picture's own.
    int Draw(HDC hdc, int x, int y, int width = -1, int height = -1);
    int DrawRect(HDC hdc, int x, int y, int width, int height, int srcX, int srcY);
    void DrawFillRect(HDC hdc, const RECT& rc, COLORREF color);
    // Pixels whose colour (the low 24 bits) is the key are left out; the top byte is ignored.
    int DrawTransparent(HDC hdc, int x, int y, int width, int height, COLORREF key);
    int DrawTransStretchBlt(HDC hdc, const RECT& dst, const RECT& src, COLORREF key);
    int DrawAlphablend(HDC hdc, int x, int y, int width = -1, int height = -1);
    // Pixels equal to the key in all 32 bits are left out: a key-coloured pixel with a non-zero
    // top byte is blended. Opacity is a percentage, held to 0..100.
    int DrawAlphaTransBlt(HDC hdc, int x, int y, int opacity, int width, int height, COLORREF key);

private:
    void ResolveSize(int& width, int& height) const;

    UniqueBitmap m_bmpOwned;     // the bitmap built by Load
    HBITMAP m_hBitmap = nullptr; // drawn: m_bmpOwned's, or a borrowed one
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_bAttached = 0;
    int m_bStretch = 0;
    int m_nStretchWidth = 0;
    int m_nStretchHeight = 0;
};

// A shared off-screen device context that the library only stores and hands back.
ZENT_UTIL_API void SetOffScreenBuffer(HDC hdc);
ZENT_UTIL_API HDC GetOffScreenBuffer();

} // namespace zent
