#include "widgets/SkinVScrollbar.h"

#include "diag/Trace.h"
#include "widgets/MemDC2.h"
#include "widgets/SkinListCtrl.h"

#include <zent/platform/Gdi.h>

#include <algorithm>

using namespace zent;

CSkinVScrollbar::~CSkinVScrollbar()
{
    DestroyWindow();
}

BOOL CSkinVScrollbar::Create(CSkinListCtrl* list, HWND hwndParent, const RECT& rc)
{
    m_pList = list;
    m_nThumbTop = 0;
    return CreateEx(0, L"ScrollBar", L"", kStyle, rc, hwndParent, kControlId);
}

void CSkinVScrollbar::SetImages(QLBMLoader* loader, UINT trackId, UINT thumbId)
{
    m_kTrack.Unload();
    m_kThumb.Unload();
    if (!loader) return;
    if (trackId) m_kTrack.Load(loader, trackId);
    if (thumbId) m_kThumb.Load(loader, thumbId);
}

int CSkinVScrollbar::GetPreferredWidth() const
{
    return m_kTrack.IsLoaded() ? static_cast<int>(m_kTrack.GetWidth()) : kDefaultWidth;
}

int CSkinVScrollbar::GetClientHeight() const
{
    RECT rc{};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &rc);
    return rc.Height();
}

int CSkinVScrollbar::GetClientWidth() const
{
    RECT rc{};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &rc);
    return rc.Width();
}

int CSkinVScrollbar::GetThumbHeight() const
{
    const int height = m_kThumb.IsLoaded() ? static_cast<int>(m_kThumb.GetHeight()) : kDefaultThumbHeight;
    return std::min(height, std::max(GetClientHeight(), 0));
}

void CSkinVScrollbar::SyncThumb()
{
    if (!m_pList || !GetSafeHwnd() || m_bDragging) return;
    const int travel = GetClientHeight() - GetThumbHeight();
    const int limit = m_pList->GetScrollLimit();
    // A list that cannot scroll keeps the thumb at the top.
    int top = limit > 0 ? static_cast<int>(static_cast<double>(travel) / limit * m_pList->GetTopIndex()) : 0;
    top = std::clamp(top, 0, std::max(travel, 0));
    if (top == m_nThumbTop) return;
    m_nThumbTop = top;
    InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

void CSkinVScrollbar::OnPaint()
{
    const HWND hwnd = GetSafeHwnd();
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd, &ps);
    const RECT client{0, 0, GetClientWidth(), GetClientHeight()};
    if (dc && !client.IsEmpty()) {
        CMemDC2 mem(dc, client);
        if (mem.IsValid()) {
            if (m_kTrack.IsLoaded()) m_kTrack.Draw(mem, 0, 0, client.right, client.bottom);
            else FillSolidRect(mem, &client, kFallbackTrack);
            // The thumb keeps its own proportions: its rounded ends would not survive a stretch.
            const int height = GetThumbHeight();
            if (m_kThumb.IsLoaded()) {
                m_kThumb.Draw(mem, 0, m_nThumbTop, -1, height);
            } else {
                const RECT thumb{1, m_nThumbTop, client.right - 1, m_nThumbTop + height};
                FillSolidRect(mem, &thumb, kFallbackThumb);
            }
        }
    }
    EndPaint(hwnd, &ps);
}

void CSkinVScrollbar::OnLButtonDown(POINT pt)
{
    if (!m_pList) return;
    SetCapture(GetSafeHwnd());
    m_bPressed = true;
    const RECT thumb{0, m_nThumbTop, std::max(16, GetClientWidth()), m_nThumbTop + GetThumbHeight()};
    if (thumb.Contains(pt)) {
        m_bDragging = true;
        m_nThumbTopAtPress = m_nThumbTop;
        m_nMouseYAtPress = pt.y;
    }
}

void CSkinVScrollbar::OnMouseMove(POINT pt)
{
    if (!m_bDragging || !m_pList) return;
    const int travel = GetClientHeight() - GetThumbHeight();
    if (travel <= 0) return;
    const int newTop = std::clamp(pt.y + (m_nThumbTopAtPress - m_nMouseYAtPress), 0, travel);
    const int limit = m_pList->GetScrollLimit();
    const int pos = m_pList->GetTopIndex();
    // Whole rows between where the list is and where the thumb now says it should be.
    const int times = static_cast<int>(static_cast<double>(limit) * newTop / travel - pos);
    const bool bRet = m_pList->Scroll(times);
    TraceA("***** %s(), nNewThumbTop = %d, nPos = %d, nScrollTimes = %d, nScrollMax = %d, bRet = %d\n",
           "CSkinVScrollbar::OnMouseMove", newTop, pos, times, limit, bRet ? 1 : 0);
    if (newTop != m_nThumbTop) {
        m_nThumbTop = newTop;
        InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
    }
}

void CSkinVScrollbar::OnLButtonUp(POINT pt)
{
    if (!m_bPressed) return;
    const bool bWasDrag = m_bDragging;
    m_bPressed = false;
    m_bDragging = false;
    SyncThumb();
    if (GetCapture() == GetSafeHwnd()) ReleaseCapture();
    const RECT thumb{0, m_nThumbTop, GetClientWidth(), m_nThumbTop + GetThumbHeight()};
    if (!bWasDrag && !thumb.Contains(pt) && m_pList && m_pList->GetSafeHwnd())
        SendMessage(m_pList->GetSafeHwnd(), WM_VSCROLL, static_cast<WPARAM>(pt.y > m_nThumbTop ? SB_PAGEDOWN : SB_PAGEUP),
                    0);
}

LRESULT CSkinVScrollbar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(MakePoint(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(MakePoint(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(MakePoint(lParam)); return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-drag: the thumb goes back to where the list is.
        if (reinterpret_cast<HWND>(lParam) != GetSafeHwnd() && m_bPressed) {
            m_bPressed = false;
            m_bDragging = false;
            SyncThumb();
        }
        return 0;
    case WM_MOUSEWHEEL:
        // The wheel over the bar scrolls the list, not the dialog under it.
        if (m_pList && m_pList->GetSafeHwnd()) return SendMessage(m_pList->GetSafeHwnd(), message, wParam, lParam);
        return 0;
    default: return CWnd::OnMessage(message, wParam, lParam);
    }
}
