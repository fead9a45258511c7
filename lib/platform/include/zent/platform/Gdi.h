#pragma once

// Device contexts over 32-bit top-down pictures (bytes B, G, R and an unused top byte), with the
// GDI state the program draws with: selected bitmap, font, pen, brush, text and background colour,
// background mode, clip, and the map modes with window and viewport origins and extents.
//
// Copies, stretches, colour keys and fills are our own loops over whole pixels and are exact;
// lines wider than one pixel and text go through cairo over the same memory. Every function takes
// logical coordinates, as GDI does, and maps them through the device context's map mode.
//
// A device context is used by one thread at a time; the objects it has selected must outlive
// the selection, except fonts, which the device context keeps alive itself.

#include <zent/platform/Bitmap.h>
#include <zent/platform/Export.h>
#include <zent/platform/Font.h>
#include <zent/platform/Types.h>

#include <memory>

namespace zent {

// Raster operations: only plain copies and pattern fills are supported.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_GUI_FONT = 17;

// Region kinds, as CombineRgn, SelectClipRgn and GetClipBox report them.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// --- device contexts -------------------------------------------------------------------------

// A memory device context with nothing selected (drawing into it does nothing until a bitmap
// is selected). The model is ignored: every device context here is a 32-bit picture.
ZENT_PLATFORM_API HDC CreateCompatibleDC(HDC hModel);
// Releases the selection of its bitmap; the selected objects themselves are not deleted.
ZENT_PLATFORM_API BOOL DeleteDC(HDC hdc);

// Each returns the handle selected before, or null for a null device context or object. A bitmap
// selected into another device context is refused (null), as GDI does.
ZENT_PLATFORM_API HBITMAP SelectObject(HDC hdc, HBITMAP hBitmap);
ZENT_PLATFORM_API HFONT SelectObject(HDC hdc, HFONT hFont);
ZENT_PLATFORM_API HPEN SelectObject(HDC hdc, HPEN hPen);
ZENT_PLATFORM_API HBRUSH SelectObject(HDC hdc, HBRUSH hBrush);
ZENT_PLATFORM_API HBITMAP GetCurrentBitmap(HDC hdc);
ZENT_PLATFORM_API HFONT GetCurrentFont(HDC hdc);

ZENT_PLATFORM_API COLORREF SetTextColor(HDC hdc, COLORREF color);
ZENT_PLATFORM_API COLORREF GetTextColor(HDC hdc);
ZENT_PLATFORM_API COLORREF SetBkColor(HDC hdc, COLORREF color);
ZENT_PLATFORM_API COLORREF GetBkColor(HDC hdc);
ZENT_PLATFORM_API int SetBkMode(HDC hdc, int mode);
ZENT_PLATFORM_API int GetBkMode(HDC hdc);

// --- map modes -------------------------------------------------------------------------------

// Device = (logical - window origin) * viewport extent / window extent + viewport origin, rounded
// to the nearest pixel. MM_TEXT resets both extents to 1; in MM_ISOTROPIC the viewport extent is
// shrunk on one axis so that a logical unit is as wide as it is high (pixels are square here).
ZENT_PLATFORM_API int SetMapMode(HDC hdc, int mode);
ZENT_PLATFORM_API int GetMapMode(HDC hdc);
ZENT_PLATFORM_API BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* pOld);
ZENT_PLATFORM_API BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* pOld);
// Ignored (TRUE, nothing changed) in MM_TEXT; a zero extent is refused.
ZENT_PLATFORM_API BOOL SetWindowExtEx(HDC hdc, int cx, int cy, SIZE* pOld);
ZENT_PLATFORM_API BOOL SetViewportExtEx(HDC hdc, int cx, int cy, SIZE* pOld);
ZENT_PLATFORM_API BOOL GetWindowOrgEx(HDC hdc, POINT* pt);
ZENT_PLATFORM_API BOOL GetViewportOrgEx(HDC hdc, POINT* pt);
ZENT_PLATFORM_API BOOL GetWindowExtEx(HDC hdc, SIZE* sz);
ZENT_PLATFORM_API BOOL GetViewportExtEx(HDC hdc, SIZE* sz);
ZENT_PLATFORM_API BOOL LPtoDP(HDC hdc, POINT* pts, int count);
ZENT_PLATFORM_API BOOL DPtoLP(HDC hdc, POINT* pts, int count);

// --- regions and clipping ----------------------------------------------------------------------

ZENT_PLATFORM_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
ZENT_PLATFORM_API HRGN CreateRectRgnIndirect(const RECT* rc);
ZENT_PLATFORM_API BOOL DeleteObject(HRGN hRgn);
// hDest may be one of the sources. Returns the kind of the result, or RGN_ERROR.
ZENT_PLATFORM_API int CombineRgn(HRGN hDest, HRGN hSrc1, HRGN hSrc2, int mode);
ZENT_PLATFORM_API int OffsetRgn(HRGN hRgn, int dx, int dy);
ZENT_PLATFORM_API BOOL PtInRegion(HRGN hRgn, int x, int y);
ZENT_PLATFORM_API int GetRgnBox(HRGN hRgn, RECT* rc);

// Clip regions are in device pixels (the device context keeps a copy); null removes the clip.
ZENT_PLATFORM_API int SelectClipRgn(HDC hdc, HRGN hRgn);
// Rectangles in logical coordinates; the result is the kind of the new clip.
ZENT_PLATFORM_API int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
ZENT_PLATFORM_API int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
// The bounding box of what may be drawn, in logical coordinates.
ZENT_PLATFORM_API int GetClipBox(HDC hdc, RECT* rc);

// --- pens and brushes --------------------------------------------------------------------------

ZENT_PLATFORM_API HPEN CreatePen(int style, int width, COLORREF color);
ZENT_PLATFORM_API HBRUSH CreateSolidBrush(COLORREF color);
// Stock objects live for the whole process; DeleteObject on them does nothing.
ZENT_PLATFORM_API HPEN GetStockPen(int index);
ZENT_PLATFORM_API HBRUSH GetStockBrush(int index);
ZENT_PLATFORM_API BOOL DeleteObject(HPEN hPen);
ZENT_PLATFORM_API BOOL DeleteObject(HBRUSH hBrush);

// --- pixel copies --------------------------------------------------------------------------------

// Source and destination may be the same picture, overlapping. Parts of the source outside its
// picture leave the destination as it was.
ZENT_PLATFORM_API BOOL BitBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy, DWORD rop);
// Nearest-pixel stretch: destination pixel i of n takes source pixel (2i + 1) * m / (2n) of m.
// A negative width or height on one side mirrors that axis.
ZENT_PLATFORM_API BOOL StretchBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy, int scx,
                                  int scy, DWORD rop);
// As StretchBlt, skipping source pixels whose colour (the low 24 bits) equals the key.
ZENT_PLATFORM_API BOOL TransparentBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy,
                                      int scx, int scy, UINT keyColor);
// Writes a width x height top-down 32-bit pixel block at (x, y), clipped; no stretch.
ZENT_PLATFORM_API int SetDIBitsToDevice(HDC hdc, int x, int y, int width, int height, const void* pBits);

// --- fills and lines -----------------------------------------------------------------------------

// Pixels written by fills carry a zero top byte.
ZENT_PLATFORM_API int FillRect(HDC hdc, const RECT* rc, HBRUSH hBrush);
// As MFC's CDC::FillSolidRect: it also leaves the background colour set to color.
ZENT_PLATFORM_API void FillSolidRect(HDC hdc, const RECT* rc, COLORREF color);
ZENT_PLATFORM_API void FillSolidRect(HDC hdc, int x, int y, int cx, int cy, COLORREF color);
// Fills [left, right) x [top, bottom) with the brush and draws the pen inside its edge.
ZENT_PLATFORM_API BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
ZENT_PLATFORM_API BOOL FrameRect(HDC hdc, const RECT* rc, HBRUSH hBrush);
ZENT_PLATFORM_API BOOL MoveToEx(HDC hdc, int x, int y, POINT* pOld);
// One-pixel solid pens draw every pixel of the line except its last, as GDI does; wider pens go
// through cairo with round ends.
ZENT_PLATFORM_API BOOL LineTo(HDC hdc, int x, int y);
ZENT_PLATFORM_API BOOL Polyline(HDC hdc, const POINT* pts, int count);
ZENT_PLATFORM_API COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
// CLR_INVALID outside the picture or the clip.
ZENT_PLATFORM_API COLORREF GetPixel(HDC hdc, int x, int y);
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// --- screen ------------------------------------------------------------------------------------

// Without a display the screen is 1920 x 1080 until the presenter reports the real size.
ZENT_PLATFORM_API int GetSystemMetrics(int index);
ZENT_PLATFORM_API void SetScreenMetrics(int cx, int cy);

// --- ownership ---------------------------------------------------------------------------------

struct ZENT_PLATFORM_API DCDeleter {
    void operator()(HDC hdc) const { DeleteDC(hdc); }
};
struct ZENT_PLATFORM_API PenDeleter {
    void operator()(HPEN h) const { DeleteObject(h); }
};
struct ZENT_PLATFORM_API BrushDeleter {
    void operator()(HBRUSH h) const { DeleteObject(h); }
};
struct ZENT_PLATFORM_API RegionDeleter {
    void operator()(HRGN h) const { DeleteObject(h); }
};
using UniqueDC = std::unique_ptr<DeviceContext, DCDeleter>;
using UniquePen = std::unique_ptr<PenObject, PenDeleter>;
using UniqueBrush = std::unique_ptr<BrushObject, BrushDeleter>;
using UniqueRegion = std::unique_ptr<RegionObject, RegionDeleter>;

// Selects an object for one scope and puts the previous one back.
template <typename Handle>
class CSelectObject {
public:
    CSelectObject(HDC hdc, Handle h) : m_hDC(hdc), m_hOld(SelectObject(hdc, h)) {}
    ~CSelectObject()
    {
        if (m_hOld) SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    bool IsSelected() const { return m_hOld != nullptr; }

private:
    HDC m_hDC;
    Handle m_hOld;
};

} // namespace zent
