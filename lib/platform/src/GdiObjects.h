#pragma once

// The objects behind the drawing handles. Private to ZentPlatform: the code above sees only the
// opaque handles of Types.h and the functions of Gdi.h, Bitmap.h and Font.h.

#include <zent/platform/Gdi.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

typedef struct _PangoFontDescription PangoFontDescription;

namespace zent {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// Pixel rows of a 32-bit top-down picture; either owned (calloc, zeroed as a fresh section is) or
// borrowed from a caller that keeps the memory alive longer than the handle.
struct BitmapObject {
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nStride = 0; // in pixels
    std::uint32_t* m_pPixels = nullptr;
    std::unique_ptr<std::uint32_t, FreeDeleter> m_pOwned;
    // Device contexts that have this bitmap selected; a selected bitmap cannot be deleted.
    int m_nSelectCount = 0;

    std::uint32_t* Row(int y) const { return m_pPixels + static_cast<std::ptrdiff_t>(y) * m_nStride; }
};

struct FontData {
    PangoFontDescription* m_pDesc = nullptr;
    LOGFONTW m_logFont{};
    double m_dScaleX = 1.0; // horizontal stretch from a requested average character width
    ~FontData();
};

struct FontObject {
    std::shared_ptr<const FontData> m_pData;
    bool m_bStock = false;
};

struct PenObject {
    int m_nStyle = PS_SOLID;
    int m_nWidth = 1;
    COLORREF m_crColor = 0;
    bool m_bStock = false;
};

struct BrushObject {
    bool m_bNull = false;
    COLORREF m_crColor = 0;
    bool m_bStock = false;
};

// Disjoint rectangles in device pixels.
struct RegionObject {
    std::vector<RECT> m_vecRects;
};

struct DeviceContext {
    BitmapObject* m_pBitmap = nullptr;
    HFONT m_hFont = nullptr;
    std::shared_ptr<const FontData> m_pFont;
    HPEN m_hPen = nullptr;
    PenObject m_pen;
    HBRUSH m_hBrush = nullptr;
    BrushObject m_brush;
    COLORREF m_crText = 0x000000;
    COLORREF m_crBk = 0xFFFFFF;
    int m_nBkMode = OPAQUE;
    // Clip in device pixels; empty optional means the whole picture.
    std::optional<std::vector<RECT>> m_optClip;
    int m_nMapMode = MM_TEXT;
    POINT m_ptWindowOrg{};
    SIZE m_szWindowExt{1, 1};
    POINT m_ptViewportOrg{};
    SIZE m_szViewportExt{1, 1};
    POINT m_ptCurrent{};
};

// Shared helpers of the drawing sources.
POINT MapToDevice(const DeviceContext& dc, POINT pt);
RECT MapRectToDevice(const DeviceContext& dc, const RECT& rc);
// The clip rectangles of the device, each already inside the selected bitmap.
std::vector<RECT> EffectiveClip(const DeviceContext& dc);
// Writes pixel over rc (device pixels), inside the clip.
void FillDevice(const DeviceContext& dc, const RECT& rc, std::uint32_t pixel);
RECT IntersectRects(const RECT& a, const RECT& b);
std::vector<RECT> SubtractRect(const RECT& a, const RECT& b);

// 0x00BBGGRR and a pixel 0xXXRRGGBB (bytes B, G, R, X) differ in the order of red and blue.
constexpr std::uint32_t ColorToPixel(COLORREF c)
{
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

} // namespace zent
