// Pixel copies, stretches, colour keys, fills and one-pixel lines: loops we own over whole pixels,
// so that every picture comes out the same on every machine.
#include "CairoCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zent {

namespace {

struct Span {
    int m_nPos = 0;  // first device pixel
    int m_nSize = 0; // always positive
    bool m_bFlip = false;
};

Span MakeSpan(int a, int b)
{
    return a <= b ? Span{a, b - a, false} : Span{b, a - b, true};
}

// Source pixel of destination pixel i of n for a source of m pixels: the pixel under the centre.
int SourceIndex(int i, int n, int m)
{
    return static_cast<int>((static_cast<std::int64_t>(2 * i + 1) * m) / (2 * static_cast<std::int64_t>(n)));
}

} // namespace

void FillDevice(const DeviceContext& dc, const RECT& rc, std::uint32_t pixel)
{
    for (const RECT& clip : EffectiveClip(dc)) {
        const RECT r = IntersectRects(clip, rc);
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(dc.m_pBitmap->Row(y) + r.left, dc.m_pBitmap->Row(y) + r.right, pixel);
    }
}

namespace {

enum class CopyKind { Plain, ColourKey };

// The one copy loop: dst and src are device spans, src lies in src bitmap coordinates.
bool CopyPixels(const DeviceContext& dc, Span dx, Span dy, const BitmapObject& srcBmp, Span sx, Span sy, CopyKind kind,
                std::uint32_t keyPixel)
{
    if (!dc.m_pBitmap || dx.m_nSize == 0 || dy.m_nSize == 0 || sx.m_nSize == 0 || sy.m_nSize == 0) return false;
    const bool flipX = dx.m_bFlip != sx.m_bFlip;
    const bool flipY = dy.m_bFlip != sy.m_bFlip;

    // Reading and writing the same picture: read from a copy so that overlap cannot smear.
    BitmapObject copy;
    const BitmapObject* src = &srcBmp;
    if (&srcBmp == dc.m_pBitmap) {
        const std::size_t count = static_cast<std::size_t>(srcBmp.m_nWidth) * static_cast<std::size_t>(srcBmp.m_nHeight);
        copy.m_pOwned.reset(static_cast<std::uint32_t*>(std::malloc(count * 4)));
        if (!copy.m_pOwned) return false;
        copy.m_nWidth = srcBmp.m_nWidth;
        copy.m_nHeight = srcBmp.m_nHeight;
        copy.m_nStride = srcBmp.m_nWidth;
        copy.m_pPixels = copy.m_pOwned.get();
        for (int y = 0; y < srcBmp.m_nHeight; ++y) std::memcpy(copy.Row(y), srcBmp.Row(y), static_cast<std::size_t>(srcBmp.m_nWidth) * 4);
        src = &copy;
    }

    const bool identity = dx.m_nSize == sx.m_nSize && dy.m_nSize == sy.m_nSize && !flipX && !flipY;
    std::vector<int> columns;
    if (!identity) {
        columns.resize(static_cast<std::size_t>(dx.m_nSize));
        for (int i = 0; i < dx.m_nSize; ++i) {
            const int j = flipX ? dx.m_nSize - 1 - i : i;
            const int s = sx.m_nPos + SourceIndex(j, dx.m_nSize, sx.m_nSize);
            columns[static_cast<std::size_t>(i)] = s >= 0 && s < src->m_nWidth ? s : -1;
        }
    }

    const RECT dest{dx.m_nPos, dy.m_nPos, dx.m_nPos + dx.m_nSize, dy.m_nPos + dy.m_nSize};
    for (const RECT& clip : EffectiveClip(dc)) {
        const RECT r = IntersectRects(clip, dest);
        for (int y = r.top; y < r.bottom; ++y) {
            const int i = y - dy.m_nPos;
            const int j = flipY ? dy.m_nSize - 1 - i : i;
            const int srow = sy.m_nPos + (identity ? j : SourceIndex(j, dy.m_nSize, sy.m_nSize));
            if (srow < 0 || srow >= src->m_nHeight) continue;
            const std::uint32_t* s = src->Row(srow);
            std::uint32_t* d = dc.m_pBitmap->Row(y);
            if (identity) {
                // Columns of the source that exist: [max(r.left, dx - sx), min(r.right, ...)).
                const int offset = sx.m_nPos - dx.m_nPos;
                const int left = std::max(r.left, -offset);
                const int right = std::min(r.right, src->m_nWidth - offset);
                if (left >= right) continue;
                if (kind == CopyKind::Plain) {
                    std::memcpy(d + left, s + left + offset, static_cast<std::size_t>(right - left) * 4);
                } else {
                    for (int x = left; x < right; ++x) {
                        const std::uint32_t p = s[x + offset];
                        if ((p & 0xFFFFFFu) != keyPixel) d[x] = p;
                    }
                }
            } else {
                for (int x = r.left; x < r.right; ++x) {
                    const int c = columns[static_cast<std::size_t>(x - dx.m_nPos)];
                    if (c < 0) continue;
                    const std::uint32_t p = s[c];
                    if (kind == CopyKind::Plain || (p & 0xFFFFFFu) != keyPixel) d[x] = p;
                }
            }
        }
    }
    return true;
}

BOOL StretchCommon(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy, int scx, int scy,
                   CopyKind kind, std::uint32_t keyPixel)
{
    if (!hdcDest || !hdcSrc || !hdcSrc->m_pBitmap || !hdcDest->m_pBitmap) return 0;
    const POINT d0 = MapToDevice(*hdcDest, {x, y});
    const POINT d1 = MapToDevice(*hdcDest, {x + cx, y + cy});
    const POINT s0 = MapToDevice(*hdcSrc, {sx, sy});
    const POINT s1 = MapToDevice(*hdcSrc, {sx + scx, sy + scy});
    return CopyPixels(*hdcDest, MakeSpan(d0.x, d1.x), MakeSpan(d0.y, d1.y), *hdcSrc->m_pBitmap, MakeSpan(s0.x, s1.x),
                      MakeSpan(s0.y, s1.y), kind, keyPixel)
               ? 1
               : 0;
}

bool InClip(const std::vector<RECT>& clip, int x, int y)
{
    return std::any_of(clip.begin(), clip.end(), [&](const RECT& r) { return r.Contains({x, y}); });
}

// GDI's one-pixel line: every pixel from the start towards the end, the end itself left out.
void PixelLine(const DeviceContext& dc, POINT a, POINT b, std::uint32_t pixel, int style)
{
    const std::vector<RECT> clip = EffectiveClip(dc);
    const int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
    const int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    int x = a.x, y = a.y;
    for (int step = 0; !(x == b.x && y == b.y); ++step) {
        const bool on = style == PS_DOT ? step % 2 == 0 : style == PS_DASH ? step % 24 < 18 : true;
        if (on && InClip(clip, x, y)) dc.m_pBitmap->Row(y)[x] = pixel;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Pen widths scale with the map mode, as geometric pens do in GDI.
double DevicePenWidth(const DeviceContext& dc)
{
    if (dc.m_nMapMode == MM_TEXT) return dc.m_pen.m_nWidth;
    const double scale = std::abs(static_cast<double>(dc.m_szViewportExt.cx) / dc.m_szWindowExt.cx);
    return std::max(1.0, dc.m_pen.m_nWidth * scale);
}

void DrawLineDevice(const DeviceContext& dc, POINT a, POINT b)
{
    if (!dc.m_pBitmap || dc.m_pen.m_nStyle == PS_NULL) return;
    const double width = DevicePenWidth(dc);
    if (width <= 1.0) {
        PixelLine(dc, a, b, ColorToPixel(dc.m_pen.m_crColor), dc.m_pen.m_nStyle);
        return;
    }
    CCairoCanvas canvas(dc);
    if (!canvas.IsValid()) return;
    cairo_t* cr = canvas.Get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    canvas.SetSourceColor(dc.m_pen.m_crColor);
    cairo_move_to(cr, a.x + 0.5, a.y + 0.5);
    cairo_line_to(cr, b.x + 0.5, b.y + 0.5);
    const int reach = static_cast<int>(std::ceil(width / 2)) + 1;
    canvas.GuardTopBytes({std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach, std::max(a.x, b.x) + reach + 1,
                          std::max(a.y, b.y) + reach + 1});
    cairo_stroke(cr);
    canvas.FinishTopBytes();
}

} // namespace

BOOL BitBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy, DWORD rop)
{
    if (!hdcDest) return 0;
    if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
        if (!hdcDest->m_pBitmap) return 0;
        std::uint32_t pixel = rop == WHITENESS ? 0xFFFFFFu : 0u;
        if (rop == PATCOPY) {
            if (hdcDest->m_brush.m_bNull) return 1;
            pixel = ColorToPixel(hdcDest->m_brush.m_crColor);
        }
        FillDevice(*hdcDest, MapRectToDevice(*hdcDest, {x, y, x + cx, y + cy}), pixel);
        return 1;
    }
    if (rop != SRCCOPY) return 0;
    return StretchCommon(hdcDest, x, y, cx, cy, hdcSrc, sx, sy, cx, cy, CopyKind::Plain, 0);
}

BOOL StretchBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy, int scx, int scy, DWORD rop)
{
    if (rop != SRCCOPY) return BitBlt(hdcDest, x, y, cx, cy, hdcSrc, sx, sy, rop);
    return StretchCommon(hdcDest, x, y, cx, cy, hdcSrc, sx, sy, scx, scy, CopyKind::Plain, 0);
}

BOOL TransparentBlt(HDC hdcDest, int x, int y, int cx, int cy, HDC hdcSrc, int sx, int sy, int scx, int scy,
                    UINT keyColor)
{
    // MSIMG refuses mirrored copies.
    if (cx < 0 || cy < 0 || scx < 0 || scy < 0) return 0;
    return StretchCommon(hdcDest, x, y, cx, cy, hdcSrc, sx, sy, scx, scy, CopyKind::ColourKey,
                         ColorToPixel(keyColor & 0xFFFFFFu));
}

int SetDIBitsToDevice(HDC hdc, int x, int y, int width, int height, const void* pBits)
{
    if (!hdc || !hdc->m_pBitmap || !pBits || width <= 0 || height <= 0) return 0;
    BitmapObject view;
    view.m_nWidth = width;
    view.m_nHeight = height;
    view.m_nStride = width;
    view.m_pPixels = const_cast<std::uint32_t*>(static_cast<const std::uint32_t*>(pBits));
    const POINT d = MapToDevice(*hdc, {x, y});
    return CopyPixels(*hdc, {d.x, width, false}, {d.y, height, false}, view, {0, width, false}, {0, height, false},
                      CopyKind::Plain, 0)
               ? height
               : 0;
}

int FillRect(HDC hdc, const RECT* rc, HBRUSH hBrush)
{
    if (!hdc || !rc || !hBrush || !hdc->m_pBitmap) return 0;
    if (!hBrush->m_bNull) FillDevice(*hdc, MapRectToDevice(*hdc, *rc), ColorToPixel(hBrush->m_crColor));
    return 1;
}

void FillSolidRect(HDC hdc, const RECT* rc, COLORREF color)
{
    if (!hdc || !rc) return;
    hdc->m_crBk = color;
    if (hdc->m_pBitmap) FillDevice(*hdc, MapRectToDevice(*hdc, *rc), ColorToPixel(color & 0xFFFFFFu));
}

void FillSolidRect(HDC hdc, int x, int y, int cx, int cy, COLORREF color)
{
    const RECT rc{x, y, x + cx, y + cy};
    FillSolidRect(hdc, &rc, color);
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    if (!hdc || !hdc->m_pBitmap) return 0;
    RECT r = MapRectToDevice(*hdc, {left, top, right, bottom});
    const bool pen = hdc->m_pen.m_nStyle != PS_NULL;
    if (!pen) {
        // Without a pen GDI leaves the right and bottom edge out.
        --r.right;
        --r.bottom;
    }
    if (!hdc->m_brush.m_bNull) FillDevice(*hdc, r, ColorToPixel(hdc->m_brush.m_crColor));
    if (pen) {
        const int w = std::min({static_cast<int>(DevicePenWidth(*hdc)), (r.Width() + 1) / 2, (r.Height() + 1) / 2});
        const std::uint32_t p = ColorToPixel(hdc->m_pen.m_crColor);
        FillDevice(*hdc, {r.left, r.top, r.right, r.top + w}, p);
        FillDevice(*hdc, {r.left, r.bottom - w, r.right, r.bottom}, p);
        FillDevice(*hdc, {r.left, r.top, r.left + w, r.bottom}, p);
        FillDevice(*hdc, {r.right - w, r.top, r.right, r.bottom}, p);
    }
    return 1;
}

BOOL FrameRect(HDC hdc, const RECT* rc, HBRUSH hBrush)
{
    if (!hdc || !rc || !hBrush || !hdc->m_pBitmap) return 0;
    if (hBrush->m_bNull) return 1;
    const RECT r = MapRectToDevice(*hdc, *rc);
    const std::uint32_t p = ColorToPixel(hBrush->m_crColor);
    FillDevice(*hdc, {r.left, r.top, r.right, r.top + 1}, p);
    FillDevice(*hdc, {r.left, r.bottom - 1, r.right, r.bottom}, p);
    FillDevice(*hdc, {r.left, r.top, r.left + 1, r.bottom}, p);
    FillDevice(*hdc, {r.right - 1, r.top, r.right, r.bottom}, p);
    return 1;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* pOld)
{
    if (!hdc) return 0;
    if (pOld) *pOld = hdc->m_ptCurrent;
    hdc->m_ptCurrent = {x, y};
    return 1;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    if (!hdc) return 0;
    DrawLineDevice(*hdc, MapToDevice(*hdc, hdc->m_ptCurrent), MapToDevice(*hdc, {x, y}));
    hdc->m_ptCurrent = {x, y};
    return 1;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count)
{
    if (!hdc || !pts || count < 2) return 0;
    for (int i = 1; i < count; ++i) DrawLineDevice(*hdc, MapToDevice(*hdc, pts[i - 1]), MapToDevice(*hdc, pts[i]));
    return 1;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    if (!hdc || !hdc->m_pBitmap) return CLR_INVALID;
    const POINT d = MapToDevice(*hdc, {x, y});
    if (!InClip(EffectiveClip(*hdc), d.x, d.y)) return CLR_INVALID;
    hdc->m_pBitmap->Row(d.y)[d.x] = ColorToPixel(color & 0xFFFFFFu);
    return color & 0xFFFFFFu;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    if (!hdc || !hdc->m_pBitmap) return CLR_INVALID;
    const POINT d = MapToDevice(*hdc, {x, y});
    if (!InClip(EffectiveClip(*hdc), d.x, d.y)) return CLR_INVALID;
    // The swap is its own inverse.
    return ColorToPixel(hdc->m_pBitmap->Row(d.y)[d.x] & 0xFFFFFFu);
}

} // namespace zent
