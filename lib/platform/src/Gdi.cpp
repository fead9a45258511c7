// Device-context state: selection, colours, map modes, regions and clipping, pens and brushes.
#include "GdiObjects.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace zent {

namespace {

// Rounds n / d to the nearest integer, halves away from zero, as GDI's MulDiv does.
LONG RoundDiv(std::int64_t n, std::int64_t d)
{
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const std::int64_t q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
    return static_cast<LONG>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

// "No clip" as a region, larger than any picture.
constexpr RECT kEverywhere{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28};

bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Joins rectangles that share a whole edge, so that simple shapes stay one rectangle.
void Coalesce(std::vector<RECT>& rects)
{
    bool merged = true;
    while (merged) {
        merged = false;
        for (std::size_t i = 0; i < rects.size() && !merged; ++i) {
            for (std::size_t j = i + 1; j < rects.size() && !merged; ++j) {
                RECT& a = rects[i];
                const RECT& b = rects[j];
                if (a.top == b.top && a.bottom == b.bottom && (a.right == b.left || b.right == a.left)) {
                    a.left = std::min(a.left, b.left);
                    a.right = std::max(a.right, b.right);
                    merged = true;
                } else if (a.left == b.left && a.right == b.right && (a.bottom == b.top || b.bottom == a.top)) {
                    a.top = std::min(a.top, b.top);
                    a.bottom = std::max(a.bottom, b.bottom);
                    merged = true;
                }
                if (merged) rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
            }
        }
    }
}

std::vector<RECT> Intersect(const std::vector<RECT>& a, const std::vector<RECT>& b)
{
    std::vector<RECT> out;
    for (const RECT& ra : a)
        for (const RECT& rb : b) {
            const RECT r = IntersectRects(ra, rb);
            if (!RectEmpty(r)) out.push_back(r);
        }
    return out;
}

std::vector<RECT> Subtract(const std::vector<RECT>& a, const std::vector<RECT>& b)
{
    std::vector<RECT> cur = a;
    for (const RECT& rb : b) {
        std::vector<RECT> next;
        for (const RECT& ra : cur) {
            std::vector<RECT> parts = SubtractRect(ra, rb);
            next.insert(next.end(), parts.begin(), parts.end());
        }
        cur = std::move(next);
    }
    return cur;
}

int KindOf(const std::vector<RECT>& rects)
{
    return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<RECT> Normalised(std::vector<RECT> rects)
{
    Coalesce(rects);
    return rects;
}

void FixIsotropic(DeviceContext& dc)
{
    // Square pixels: the logical unit must cover as many pixels across as down, so the axis that
    // would stretch more is shrunk, keeping its sign.
    const double xdim = std::abs(static_cast<double>(dc.m_szViewportExt.cx) / dc.m_szWindowExt.cx);
    const double ydim = std::abs(static_cast<double>(dc.m_szViewportExt.cy) / dc.m_szWindowExt.cy);
    if (xdim > ydim) {
        const LONG sign = dc.m_szViewportExt.cx >= 0 ? 1 : -1;
        dc.m_szViewportExt.cx = static_cast<LONG>(std::floor(dc.m_szViewportExt.cx * ydim / xdim + 0.5));
        if (!dc.m_szViewportExt.cx) dc.m_szViewportExt.cx = sign;
    } else if (ydim > xdim) {
        const LONG sign = dc.m_szViewportExt.cy >= 0 ? 1 : -1;
        dc.m_szViewportExt.cy = static_cast<LONG>(std::floor(dc.m_szViewportExt.cy * xdim / ydim + 0.5));
        if (!dc.m_szViewportExt.cy) dc.m_szViewportExt.cy = sign;
    }
}

PenObject g_stockPens[3] = {
    {PS_SOLID, 1, RGB(255, 255, 255), true},
    {PS_SOLID, 1, RGB(0, 0, 0), true},
    {PS_NULL, 1, 0, true},
};
BrushObject g_stockBrushes[6] = {
    {false, RGB(255, 255, 255), true}, {false, RGB(192, 192, 192), true}, {false, RGB(128, 128, 128), true},
    {false, RGB(64, 64, 64), true},    {false, RGB(0, 0, 0), true},       {true, 0, true},
};

std::atomic<int> g_nScreenWidth{1920};
std::atomic<int> g_nScreenHeight{1080};

} // namespace

RECT IntersectRects(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (RectEmpty(r)) r = RECT{};
    return r;
}

std::vector<RECT> SubtractRect(const RECT& a, const RECT& b)
{
    const RECT i = IntersectRects(a, b);
    if (RectEmpty(i)) return {a};
    std::vector<RECT> out;
    if (a.top < i.top) out.push_back({a.left, a.top, a.right, i.top});
    if (i.bottom < a.bottom) out.push_back({a.left, i.bottom, a.right, a.bottom});
    if (a.left < i.left) out.push_back({a.left, i.top, i.left, i.bottom});
    if (i.right < a.right) out.push_back({i.right, i.top, a.right, i.bottom});
    return out;
}

POINT MapToDevice(const DeviceContext& dc, POINT pt)
{
    if (dc.m_nMapMode == MM_TEXT)
        return {pt.x - dc.m_ptWindowOrg.x + dc.m_ptViewportOrg.x, pt.y - dc.m_ptWindowOrg.y + dc.m_ptViewportOrg.y};
    return {RoundDiv(static_cast<std::int64_t>(pt.x - dc.m_ptWindowOrg.x) * dc.m_szViewportExt.cx, dc.m_szWindowExt.cx) +
                dc.m_ptViewportOrg.x,
            RoundDiv(static_cast<std::int64_t>(pt.y - dc.m_ptWindowOrg.y) * dc.m_szViewportExt.cy, dc.m_szWindowExt.cy) +
                dc.m_ptViewportOrg.y};
}

RECT MapRectToDevice(const DeviceContext& dc, const RECT& rc)
{
    const POINT a = MapToDevice(dc, {rc.left, rc.top});
    const POINT b = MapToDevice(dc, {rc.right, rc.bottom});
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

std::vector<RECT> EffectiveClip(const DeviceContext& dc)
{
    if (!dc.m_pBitmap) return {};
    const RECT bounds{0, 0, dc.m_pBitmap->m_nWidth, dc.m_pBitmap->m_nHeight};
    if (!dc.m_optClip) return {bounds};
    return Intersect(*dc.m_optClip, {bounds});
}

// --- device contexts ---------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC)
{
    auto dc = std::make_unique<DeviceContext>();
    dc->m_hPen = GetStockPen(BLACK_PEN);
    dc->m_pen = *dc->m_hPen;
    dc->m_hBrush = GetStockBrush(WHITE_BRUSH);
    dc->m_brush = *dc->m_hBrush;
    dc->m_hFont = GetStockFont(DEFAULT_GUI_FONT);
    if (dc->m_hFont) dc->m_pFont = dc->m_hFont->m_pData;
    return dc.release();
}

BOOL DeleteDC(HDC hdc)
{
    if (!hdc) return 0;
    std::unique_ptr<DeviceContext> owned(hdc);
    if (owned->m_pBitmap) --owned->m_pBitmap->m_nSelectCount;
    return 1;
}

HBITMAP SelectObject(HDC hdc, HBITMAP hBitmap)
{
    if (!hdc || !hBitmap) return nullptr;
    if (hBitmap == hdc->m_pBitmap) return hBitmap;
    if (hBitmap->m_nSelectCount > 0) return nullptr;
    HBITMAP old = hdc->m_pBitmap;
    if (old) --old->m_nSelectCount;
    ++hBitmap->m_nSelectCount;
    hdc->m_pBitmap = hBitmap;
    return old;
}

HFONT SelectObject(HDC hdc, HFONT hFont)
{
    if (!hdc || !hFont) return nullptr;
    HFONT old = hdc->m_hFont;
    hdc->m_hFont = hFont;
    hdc->m_pFont = hFont->m_pData;
    return old;
}

HPEN SelectObject(HDC hdc, HPEN hPen)
{
    if (!hdc || !hPen) return nullptr;
    HPEN old = hdc->m_hPen;
    hdc->m_hPen = hPen;
    hdc->m_pen = *hPen;
    return old;
}

HBRUSH SelectObject(HDC hdc, HBRUSH hBrush)
{
    if (!hdc || !hBrush) return nullptr;
    HBRUSH old = hdc->m_hBrush;
    hdc->m_hBrush = hBrush;
    hdc->m_brush = *hBrush;
    return old;
}

HBITMAP GetCurrentBitmap(HDC hdc) { return hdc ? hdc->m_pBitmap : nullptr; }
HFONT GetCurrentFont(HDC hdc) { return hdc ? hdc->m_hFont : nullptr; }

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    if (!hdc) return CLR_INVALID;
    return std::exchange(hdc->m_crText, color);
}
COLORREF GetTextColor(HDC hdc) { return hdc ? hdc->m_crText : CLR_INVALID; }
COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    if (!hdc) return CLR_INVALID;
    return std::exchange(hdc->m_crBk, color);
}
COLORREF GetBkColor(HDC hdc) { return hdc ? hdc->m_crBk : CLR_INVALID; }
int SetBkMode(HDC hdc, int mode)
{
    if (!hdc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(hdc->m_nBkMode, mode);
}
int GetBkMode(HDC hdc) { return hdc ? hdc->m_nBkMode : 0; }

// --- map modes -----------------------------------------------------------------------------------

int SetMapMode(HDC hdc, int mode)
{
    if (!hdc || (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC)) return 0;
    const int old = hdc->m_nMapMode;
    hdc->m_nMapMode = mode;
    if (mode == MM_TEXT) {
        hdc->m_szWindowExt = {1, 1};
        hdc->m_szViewportExt = {1, 1};
    } else if (mode == MM_ISOTROPIC) {
        FixIsotropic(*hdc);
    }
    return old;
}
int GetMapMode(HDC hdc) { return hdc ? hdc->m_nMapMode : 0; }

BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* pOld)
{
    if (!hdc) return 0;
    if (pOld) *pOld = hdc->m_ptWindowOrg;
    hdc->m_ptWindowOrg = {x, y};
    return 1;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* pOld)
{
    if (!hdc) return 0;
    if (pOld) *pOld = hdc->m_ptViewportOrg;
    hdc->m_ptViewportOrg = {x, y};
    return 1;
}

BOOL SetWindowExtEx(HDC hdc, int cx, int cy, SIZE* pOld)
{
    if (!hdc) return 0;
    if (pOld) *pOld = hdc->m_szWindowExt;
    if (hdc->m_nMapMode == MM_TEXT) return 1;
    if (cx == 0 || cy == 0) return 0;
    hdc->m_szWindowExt = {cx, cy};
    if (hdc->m_nMapMode == MM_ISOTROPIC) FixIsotropic(*hdc);
    return 1;
}

BOOL SetViewportExtEx(HDC hdc, int cx, int cy, SIZE* pOld)
{
    if (!hdc) return 0;
    if (pOld) *pOld = hdc->m_szViewportExt;
    if (hdc->m_nMapMode == MM_TEXT) return 1;
    if (cx == 0 || cy == 0) return 0;
    hdc->m_szViewportExt = {cx, cy};
    if (hdc->m_nMapMode == MM_ISOTROPIC) FixIsotropic(*hdc);
    return 1;
}

BOOL GetWindowOrgEx(HDC hdc, POINT* pt)
{
    if (!hdc || !pt) return 0;
    *pt = hdc->m_ptWindowOrg;
    return 1;
}
BOOL GetViewportOrgEx(HDC hdc, POINT* pt)
{
    if (!hdc || !pt) return 0;
    *pt = hdc->m_ptViewportOrg;
    return 1;
}
BOOL GetWindowExtEx(HDC hdc, SIZE* sz)
{
    if (!hdc || !sz) return 0;
    *sz = hdc->m_szWindowExt;
    return 1;
}
BOOL GetViewportExtEx(HDC hdc, SIZE* sz)
{
    if (!hdc || !sz) return 0;
    *sz = hdc->m_szViewportExt;
    return 1;
}

BOOL LPtoDP(HDC hdc, POINT* pts, int count)
{
    if (!hdc || (!pts && count > 0)) return 0;
    for (int i = 0; i < count; ++i) pts[i] = MapToDevice(*hdc, pts[i]);
    return 1;
}

BOOL DPtoLP(HDC hdc, POINT* pts, int count)
{
    if (!hdc || (!pts && count > 0)) return 0;
    for (int i = 0; i < count; ++i) {
        const POINT d = pts[i];
        pts[i].x = RoundDiv(static_cast<std::int64_t>(d.x - hdc->m_ptViewportOrg.x) * hdc->m_szWindowExt.cx,
                            hdc->m_szViewportExt.cx) +
                   hdc->m_ptWindowOrg.x;
        pts[i].y = RoundDiv(static_cast<std::int64_t>(d.y - hdc->m_ptViewportOrg.y) * hdc->m_szWindowExt.cy,
                            hdc->m_szViewportExt.cy) +
                   hdc->m_ptWindowOrg.y;
    }
    return 1;
}

// --- regions and clipping ------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto rgn = std::make_unique<RegionObject>();
    const RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    if (!RectEmpty(r)) rgn->m_vecRects.push_back(r);
    return rgn.release();
}

HRGN CreateRectRgnIndirect(const RECT* rc)
{
    return rc ? CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}

BOOL DeleteObject(HRGN hRgn)
{
    if (!hRgn) return 0;
    std::unique_ptr<RegionObject> owned(hRgn);
    return 1;
}

int CombineRgn(HRGN hDest, HRGN hSrc1, HRGN hSrc2, int mode)
{
    if (!hDest || !hSrc1 || (mode != RGN_COPY && !hSrc2)) return RGN_ERROR;
    const std::vector<RECT>& a = hSrc1->m_vecRects;
    std::vector<RECT> result;
    switch (mode) {
    case RGN_COPY: result = a; break;
    case RGN_AND: result = Intersect(a, hSrc2->m_vecRects); break;
    case RGN_DIFF: result = Subtract(a, hSrc2->m_vecRects); break;
    case RGN_OR: {
        result = a;
        std::vector<RECT> extra = Subtract(hSrc2->m_vecRects, a);
        result.insert(result.end(), extra.begin(), extra.end());
        break;
    }
    case RGN_XOR: {
        result = Subtract(a, hSrc2->m_vecRects);
        std::vector<RECT> extra = Subtract(hSrc2->m_vecRects, a);
        result.insert(result.end(), extra.begin(), extra.end());
        break;
    }
    default: return RGN_ERROR;
    }
    hDest->m_vecRects = Normalised(std::move(result));
    return KindOf(hDest->m_vecRects);
}

int OffsetRgn(HRGN hRgn, int dx, int dy)
{
    if (!hRgn) return RGN_ERROR;
    for (RECT& r : hRgn->m_vecRects) r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    return KindOf(hRgn->m_vecRects);
}

BOOL PtInRegion(HRGN hRgn, int x, int y)
{
    if (!hRgn) return 0;
    return std::any_of(hRgn->m_vecRects.begin(), hRgn->m_vecRects.end(),
                       [&](const RECT& r) { return r.Contains({x, y}); });
}

int GetRgnBox(HRGN hRgn, RECT* rc)
{
    if (!hRgn || !rc) return RGN_ERROR;
    *rc = RECT{};
    bool first = true;
    for (const RECT& r : hRgn->m_vecRects) {
        if (first) *rc = r;
        else *rc = {std::min(rc->left, r.left), std::min(rc->top, r.top), std::max(rc->right, r.right),
                    std::max(rc->bottom, r.bottom)};
        first = false;
    }
    return KindOf(hRgn->m_vecRects);
}

int SelectClipRgn(HDC hdc, HRGN hRgn)
{
    if (!hdc) return RGN_ERROR;
    if (!hRgn) {
        hdc->m_optClip.reset();
        return SIMPLEREGION;
    }
    hdc->m_optClip = hRgn->m_vecRects;
    return KindOf(*hdc->m_optClip);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    if (!hdc) return RGN_ERROR;
    const RECT r = MapRectToDevice(*hdc, {left, top, right, bottom});
    const std::vector<RECT> cur = hdc->m_optClip ? *hdc->m_optClip : std::vector<RECT>{kEverywhere};
    hdc->m_optClip = Normalised(Intersect(cur, {r}));
    return KindOf(*hdc->m_optClip);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    if (!hdc) return RGN_ERROR;
    const RECT r = MapRectToDevice(*hdc, {left, top, right, bottom});
    const std::vector<RECT> cur = hdc->m_optClip ? *hdc->m_optClip : std::vector<RECT>{kEverywhere};
    hdc->m_optClip = Normalised(Subtract(cur, {r}));
    return KindOf(*hdc->m_optClip);
}

int GetClipBox(HDC hdc, RECT* rc)
{
    if (!hdc || !rc) return RGN_ERROR;
    RegionObject box;
    box.m_vecRects = EffectiveClip(*hdc);
    const int kind = GetRgnBox(&box, rc);
    POINT pts[2] = {{rc->left, rc->top}, {rc->right, rc->bottom}};
    DPtoLP(hdc, pts, 2);
    *rc = {std::min(pts[0].x, pts[1].x), std::min(pts[0].y, pts[1].y), std::max(pts[0].x, pts[1].x),
           std::max(pts[0].y, pts[1].y)};
    return kind;
}

// --- pens and brushes ----------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto pen = std::make_unique<PenObject>();
    pen->m_nStyle = style;
    pen->m_nWidth = std::max(1, width);
    pen->m_crColor = color & 0xFFFFFF;
    return pen.release();
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto brush = std::make_unique<BrushObject>();
    brush->m_crColor = color & 0xFFFFFF;
    return brush.release();
}

HPEN GetStockPen(int index)
{
    if (index < WHITE_PEN || index > NULL_PEN) return nullptr;
    return &g_stockPens[index - WHITE_PEN];
}

HBRUSH GetStockBrush(int index)
{
    if (index < WHITE_BRUSH || index > NULL_BRUSH) return nullptr;
    return &g_stockBrushes[index];
}

BOOL DeleteObject(HPEN hPen)
{
    if (!hPen) return 0;
    if (!hPen->m_bStock) std::unique_ptr<PenObject> owned(hPen);
    return 1;
}

BOOL DeleteObject(HBRUSH hBrush)
{
    if (!hBrush) return 0;
    if (!hBrush->m_bStock) std::unique_ptr<BrushObject> owned(hBrush);
    return 1;
}

// --- screen --------------------------------------------------------------------------------------

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return g_nScreenWidth.load(std::memory_order_relaxed);
    case SM_CYSCREEN: return g_nScreenHeight.load(std::memory_order_relaxed);
    default: return 0;
    }
}

void SetScreenMetrics(int cx, int cy)
{
    if (cx > 0) g_nScreenWidth.store(cx, std::memory_order_relaxed);
    if (cy > 0) g_nScreenHeight.store(cy, std::memory_order_relaxed);
}

} // namespace zent
