// Focus, capture, enabled and visible state, and geometry of the windows of one loop.

#include "LoopCore.h"

#include <algorithm>

namespace zent::wnd {

HWND CLoopCore::SetFocus(HWND hwnd)
{
    if (hwnd) {
        const CWindowRecord* pRec = Find(hwnd);
        if (!pRec || pRec->bDestroying || !IsEnabled(hwnd)) return nullptr;
    }
    const HWND hwndOld = m_hwndFocus;
    if (hwndOld == hwnd) return hwndOld;
    // The new focus is in place before either message, so handlers that ask see the truth.
    m_hwndFocus = hwnd;
    if (hwndOld) CallProc(hwndOld, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && m_hwndFocus == hwnd) CallProc(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(hwndOld), 0);
    return hwndOld;
}

HWND CLoopCore::SetCapture(HWND hwnd)
{
    const CWindowRecord* pRec = Find(hwnd);
    if (!pRec || pRec->bDestroying) return nullptr;
    const HWND hwndOld = m_hwndCapture;
    if (hwndOld == hwnd) return hwndOld;
    m_hwndCapture = hwnd;
    if (hwndOld) CallProc(hwndOld, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return hwndOld;
}

BOOL CLoopCore::ReleaseCapture()
{
    const HWND hwndOld = m_hwndCapture;
    m_hwndCapture = nullptr;
    if (hwndOld) CallProc(hwndOld, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

bool CLoopCore::IsEnabled(HWND hwnd) const
{
    for (const CWindowRecord* pRec = Find(hwnd); pRec; pRec = Find(pRec->hwndParent))
        if (pRec->dwStyle & WS_DISABLED) return false;
    return Find(hwnd) != nullptr;
}

bool CLoopCore::IsVisible(HWND hwnd) const
{
    for (const CWindowRecord* pRec = Find(hwnd); pRec; pRec = Find(pRec->hwndParent))
        if (!(pRec->dwStyle & WS_VISIBLE)) return false;
    return Find(hwnd) != nullptr;
}

bool CLoopCore::IsInside(HWND hwnd, HWND hwndAncestor) const
{
    for (const CWindowRecord* pRec = Find(hwnd); pRec; pRec = Find(pRec->hwndParent))
        if (pRec->hwnd == hwndAncestor) return true;
    return false;
}

BOOL CLoopCore::EnableWindow(HWND hwnd, BOOL bEnable)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return FALSE;
    const BOOL bWasDisabled = (pRec->dwStyle & WS_DISABLED) ? TRUE : FALSE;
    if ((bEnable != FALSE) == (bWasDisabled != FALSE)) {
        if (!bEnable) {
            // A disabled window must not keep taking mouse input it captured, nor keys.
            if (m_hwndCapture && IsInside(m_hwndCapture, hwnd)) ReleaseCapture();
            if (m_hwndFocus && IsInside(m_hwndFocus, hwnd)) SetFocus(nullptr);
            pRec = Find(hwnd);
            if (!pRec) return bWasDisabled;
            pRec->dwStyle |= WS_DISABLED;
        } else {
            pRec->dwStyle &= ~WS_DISABLED;
        }
        CallProc(hwnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    }
    return bWasDisabled;
}

BOOL CLoopCore::ShowWindow(HWND hwnd, int nCmdShow)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return FALSE;
    const BOOL bWasVisible = (pRec->dwStyle & WS_VISIBLE) ? TRUE : FALSE;
    const bool bShow = nCmdShow != SW_HIDE;
    const bool bChange = bShow != (bWasVisible != FALSE);
    if (bChange) {
        CallProc(hwnd, WM_SHOWWINDOW, bShow ? TRUE : FALSE, 0);
        pRec = Find(hwnd);
        if (!pRec) return bWasVisible;
    }
    if (pRec->IsTopLevel()) {
        if (bShow)
            pRec->dwStyle |= WS_VISIBLE;
        else
            pRec->dwStyle &= ~WS_VISIBLE;
        // Minimise and maximise reach the presenter even when visibility stays.
        if (bChange || (bShow && nCmdShow != pRec->nShowCmd)) m_pPresenter->ShowNative(hwnd, nCmdShow);
        pRec->nShowCmd = nCmdShow;
        if (nCmdShow == SW_SHOWMAXIMIZED) pRec->windowState = WindowState::Maximized;
        if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED || nCmdShow == SW_SHOWMINNOACTIVE)
            pRec->windowState = WindowState::Minimized;
        if (nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWNORMAL) pRec->windowState = WindowState::Normal;
        if (bChange && bShow) Invalidate(hwnd, nullptr);
    } else if (bChange) {
        const RECT rc = pRec->rc;
        const HWND hwndParent = pRec->hwndParent;
        // Whatever showed through where the window was, or what it now covers, must be painted.
        if (!bShow) Invalidate(hwndParent, &rc);
        if (bShow)
            pRec->dwStyle |= WS_VISIBLE;
        else
            pRec->dwStyle &= ~WS_VISIBLE;
        if (bShow) Invalidate(hwndParent, &rc);
    }
    if (bChange) SyncNatives(hwnd);
    return bWasVisible;
}

BOOL CLoopCore::SetWindowPos(HWND hwnd, HWND hwndInsertAfter, int x, int y, int cx, int cy, UINT uFlags)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return FALSE;
    const RECT rcOld = pRec->rc;
    RECT rcNew = rcOld;
    if (!(uFlags & SWP_NOMOVE)) rcNew = RECT{x, y, x + rcOld.Width(), y + rcOld.Height()};
    if (!(uFlags & SWP_NOSIZE)) {
        rcNew.right = rcNew.left + std::max(cx, 0);
        rcNew.bottom = rcNew.top + std::max(cy, 0);
    }
    const bool bMoved = rcNew.left != rcOld.left || rcNew.top != rcOld.top;
    const bool bSized = rcNew.Width() != rcOld.Width() || rcNew.Height() != rcOld.Height();

    if (!(uFlags & SWP_NOZORDER) && pRec->IsTopLevel() &&
        (hwndInsertAfter == HWND_TOPMOST || hwndInsertAfter == HWND_NOTOPMOST)) {
        const bool bTopMost = hwndInsertAfter == HWND_TOPMOST;
        if (bTopMost != ((pRec->dwExStyle & WS_EX_TOPMOST) != 0)) {
            pRec->dwExStyle = bTopMost ? (pRec->dwExStyle | WS_EX_TOPMOST) : (pRec->dwExStyle & ~WS_EX_TOPMOST);
            m_pPresenter->SetTopMost(hwnd, bTopMost);
        }
    }
    bool bRestacked = false;
    if (!(uFlags & SWP_NOZORDER) && hwndInsertAfter != HWND_NOTOPMOST) {
        std::vector<HWND>* pSiblings = &m_vecTopLevels;
        if (pRec->hwndParent) pSiblings = &Find(pRec->hwndParent)->vecChildren;
        std::vector<HWND> vecBefore = *pSiblings;
        std::erase(*pSiblings, hwnd);
        // The list runs back to front; "insert after" means just below that sibling.
        if (hwndInsertAfter == HWND_TOP || hwndInsertAfter == HWND_TOPMOST) {
            pSiblings->push_back(hwnd);
        } else if (hwndInsertAfter == HWND_BOTTOM) {
            pSiblings->insert(pSiblings->begin(), hwnd);
        } else {
            auto it = std::find(pSiblings->begin(), pSiblings->end(), hwndInsertAfter);
            pSiblings->insert(it == pSiblings->end() ? pSiblings->end() : it, hwnd);
        }
        bRestacked = *pSiblings != vecBefore;
    }

    const bool bRedraw = !(uFlags & SWP_NOREDRAW) && (bMoved || bSized || bRestacked) && pRec->hwndParent &&
                         IsVisible(hwnd);
    const HWND hwndParent = pRec->hwndParent;
    if (bRedraw) Invalidate(hwndParent, &rcOld);
    pRec->rc = rcNew;
    if (pRec->IsTopLevel() && (bMoved || bSized)) m_pPresenter->MoveNative(hwnd, rcNew);
    if (pRec->IsTopLevel() && bSized) ResizePicture(hwnd);
    if (bRedraw) Invalidate(hwndParent, &rcNew);
    if (bMoved || bSized) {
        SyncNatives(hwnd);
        RefreshClientDCs();
    }
    if (bMoved) CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(rcNew.left, rcNew.top));
    if (bSized && Find(hwnd)) CallProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rcNew.Width(), rcNew.Height()));
    if ((uFlags & SWP_SHOWWINDOW) && Find(hwnd)) ShowWindow(hwnd, SW_SHOWNA);
    if ((uFlags & SWP_HIDEWINDOW) && Find(hwnd)) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

POINT CLoopCore::OriginInTop(HWND hwnd) const
{
    POINT pt{};
    for (const CWindowRecord* pRec = Find(hwnd); pRec && pRec->hwndParent; pRec = Find(pRec->hwndParent)) {
        pt.x += pRec->rc.left;
        pt.y += pRec->rc.top;
    }
    return pt;
}

POINT CLoopCore::OriginOnScreen(HWND hwnd) const
{
    POINT pt = OriginInTop(hwnd);
    if (const CWindowRecord* pTop = Find(Root(hwnd))) {
        pt.x += pTop->rc.left;
        pt.y += pTop->rc.top;
    }
    return pt;
}

RECT CLoopCore::VisibleRectInTop(HWND hwnd) const
{
    if (!IsVisible(hwnd)) return RECT{};
    RECT rcVisible{-(1 << 30), -(1 << 30), 1 << 30, 1 << 30};
    // Each window clips to its own client area and so to every ancestor's.
    for (const CWindowRecord* pRec = Find(hwnd); pRec; pRec = Find(pRec->hwndParent)) {
        const POINT org = OriginInTop(pRec->hwnd);
        rcVisible = IntersectRc(rcVisible, RECT{org.x, org.y, org.x + pRec->Width(), org.y + pRec->Height()});
    }
    return rcVisible;
}

void CLoopCore::SyncNatives(HWND hwnd)
{
    std::vector<HWND> vecSubtree;
    CollectSubtree(hwnd, vecSubtree);
    for (HWND h : vecSubtree) {
        const CWindowRecord* pRec = Find(h);
        if (!pRec || !pRec->bNative) continue;
        const POINT org = OriginInTop(h);
        m_pPresenter->MoveNative(h, RECT{org.x, org.y, org.x + pRec->Width(), org.y + pRec->Height()});
        m_pPresenter->ShowNative(h, IsVisible(h) ? SW_SHOWNA : SW_HIDE);
    }
}

} // namespace zent::wnd
