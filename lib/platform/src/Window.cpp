// The Win32 window functions and CWnd, over the loop of the calling thread.

#include "LoopCore.h"

#include <zent/platform/MessageLoop.h>

#include <algorithm>

namespace zent {

using wnd::CLoopCore;
using wnd::CWindowRecord;

namespace {

// The loop of the calling thread when it owns hwnd: a window of another thread is not found,
// which is what keeps every function but the message ones on the window's own thread.
CLoopCore* CoreOf(HWND hwnd)
{
    CLoopCore* pCore = CLoopCore::Current();
    return (pCore && pCore->Find(hwnd)) ? pCore : nullptr;
}

} // namespace

// --- CWnd ------------------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd) zent::DestroyWindow(m_hWnd);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, std::wstring_view className, std::wstring_view windowName, DWORD dwStyle,
                    const RECT& rc, HWND hwndParent, UINT nID)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore || m_hWnd) return FALSE;
    CREATESTRUCT cs;
    cs.hwndParent = hwndParent;
    cs.nID = nID;
    cs.x = rc.left;
    cs.y = rc.top;
    cs.cx = rc.Width();
    cs.cy = rc.Height();
    cs.style = dwStyle;
    cs.dwExStyle = dwExStyle;
    cs.lpszName = windowName;
    cs.lpszClass = className;
    return pCore->CreateWindowRecord(cs, this, {}) ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? zent::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->SubclassWindow(hwnd, *this) : FALSE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, HWND hwndParent)
{
    return SubclassWindow(zent::GetDlgItem(hwndParent, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow()
{
    CLoopCore* pCore = CoreOf(m_hWnd);
    return pCore ? pCore->UnsubclassWindow(*this) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->Find(hwnd)->pWnd : nullptr;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

LRESULT CWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    CLoopCore* pCore = CoreOf(m_hWnd);
    return pCore ? pCore->CallSuper(m_hWnd, message, wParam, lParam) : 0;
}

void CWnd::PostNcDestroy() {}

// --- creation and destruction ----------------------------------------------------------------------

HWND CreateWindowEx(DWORD dwExStyle, std::wstring_view lpClassName, std::wstring_view lpWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hwndParent, UINT nID, WNDPROC fnProc)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore) return nullptr;
    CREATESTRUCT cs;
    cs.hwndParent = hwndParent;
    cs.nID = nID;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.style = dwStyle;
    cs.dwExStyle = dwExStyle;
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    return pCore->CreateWindowRecord(cs, nullptr, std::move(fnProc));
}

BOOL DestroyWindow(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->Destroy(hwnd) : FALSE;
}

BOOL IsWindow(HWND hwnd)
{
    if (!hwnd) return FALSE;
    if (CoreOf(hwnd)) return TRUE;
    return wnd::CHandleTable::Instance().Find(hwnd) ? TRUE : FALSE;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->DefProc(hwnd, message, wParam, lParam) : 0;
}

// --- messages --------------------------------------------------------------------------------------

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd) return FALSE;
    if (CLoopCore* pCore = CoreOf(hwnd)) {
        pCore->PostLocal(MSG{hwnd, message, wParam, lParam, pCore->NowMillis(), {}});
        return TRUE;
    }
    std::shared_ptr<wnd::CThreadInbox> pInbox = wnd::CHandleTable::Instance().Find(hwnd);
    return (pInbox && pInbox->Post(MSG{hwnd, message, wParam, lParam, 0, {}})) ? TRUE : FALSE;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd) return 0;
    if (CLoopCore* pCore = CoreOf(hwnd)) return pCore->CallProc(hwnd, message, wParam, lParam);
    return CLoopCore::SendAcrossThreads(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int nExitCode)
{
    if (CLoopCore* pCore = CLoopCore::Current()) pCore->PostQuit(nExitCode);
}

// --- timers ----------------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR nIDEvent, UINT uElapse)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->SetTimer(hwnd, nIDEvent, uElapse) : 0;
}

BOOL KillTimer(HWND hwnd, UINT_PTR nIDEvent)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->KillTimer(hwnd, nIDEvent) : FALSE;
}

// --- focus, capture, enabling, showing -------------------------------------------------------------

HWND SetFocus(HWND hwnd)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore || (hwnd && !pCore->Find(hwnd))) return nullptr;
    return pCore->SetFocus(hwnd);
}

HWND GetFocus()
{
    CLoopCore* pCore = CLoopCore::Current();
    return pCore ? pCore->GetFocus() : nullptr;
}

HWND SetCapture(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->SetCapture(hwnd) : nullptr;
}

BOOL ReleaseCapture()
{
    CLoopCore* pCore = CLoopCore::Current();
    return pCore ? pCore->ReleaseCapture() : FALSE;
}

HWND GetCapture()
{
    CLoopCore* pCore = CLoopCore::Current();
    return pCore ? pCore->GetCapture() : nullptr;
}

BOOL EnableWindow(HWND hwnd, BOOL bEnable)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->EnableWindow(hwnd, bEnable) : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return (pCore && pCore->IsEnabled(hwnd)) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int nCmdShow)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->ShowWindow(hwnd, nCmdShow) : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return (pCore && pCore->IsVisible(hwnd)) ? TRUE : FALSE;
}

SHORT GetKeyState(int nVirtKey)
{
    CLoopCore* pCore = CLoopCore::Current();
    return pCore ? pCore->GetKeyState(nVirtKey) : 0;
}

// --- geometry --------------------------------------------------------------------------------------

BOOL MoveWindow(HWND hwnd, int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0u : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hwnd, HWND hwndInsertAfter, int x, int y, int cx, int cy, UINT uFlags)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->SetWindowPos(hwnd, hwndInsertAfter, x, y, cx, cy, uFlags) : FALSE;
}

BOOL GetWindowRect(HWND hwnd, RECT* prc)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore || !prc) return FALSE;
    const POINT org = pCore->OriginOnScreen(hwnd);
    const CWindowRecord* pRec = pCore->Find(hwnd);
    *prc = RECT{org.x, org.y, org.x + pRec->Width(), org.y + pRec->Height()};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* prc)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore || !prc) return FALSE;
    const CWindowRecord* pRec = pCore->Find(hwnd);
    *prc = RECT{0, 0, pRec->Width(), pRec->Height()};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* ppt)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore || !ppt) return FALSE;
    const POINT org = pCore->OriginOnScreen(hwnd);
    ppt->x += org.x;
    ppt->y += org.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* ppt)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore || !ppt) return FALSE;
    const POINT org = pCore->OriginOnScreen(hwnd);
    ppt->x -= org.x;
    ppt->y -= org.y;
    return TRUE;
}

int MapWindowPoints(HWND hwndFrom, HWND hwndTo, POINT* ppt, UINT cPoints)
{
    CLoopCore* pCore = CLoopCore::Current();
    if (!pCore || (hwndFrom && !pCore->Find(hwndFrom)) || (hwndTo && !pCore->Find(hwndTo))) return 0;
    const POINT from = hwndFrom ? pCore->OriginOnScreen(hwndFrom) : POINT{};
    const POINT to = hwndTo ? pCore->OriginOnScreen(hwndTo) : POINT{};
    const int dx = from.x - to.x;
    const int dy = from.y - to.y;
    for (UINT i = 0; ppt && i < cPoints; ++i) {
        ppt[i].x += dx;
        ppt[i].y += dy;
    }
    return static_cast<int>(MAKELONG(dx, dy));
}

// --- relations and attributes ----------------------------------------------------------------------

HWND GetParent(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) return nullptr;
    const CWindowRecord* pRec = pCore->Find(hwnd);
    return pRec->hwndParent ? pRec->hwndParent : pRec->hwndOwner;
}

HWND GetAncestor(HWND hwnd, UINT gaFlags)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) return nullptr;
    switch (gaFlags) {
    case GA_PARENT: return pCore->Find(hwnd)->hwndParent;
    case GA_ROOT: return pCore->Root(hwnd);
    case GA_ROOTOWNER: {
        HWND hwndRoot = pCore->Root(hwnd);
        // Owners are top-level windows; a chain of them ends at a window without an owner.
        for (int nGuard = 0; nGuard < 1000; ++nGuard) {
            const CWindowRecord* pRec = pCore->Find(hwndRoot);
            if (!pRec || !pRec->hwndOwner) break;
            hwndRoot = pRec->hwndOwner;
        }
        return hwndRoot;
    }
    default: return nullptr;
    }
}

HWND GetWindow(HWND hwnd, UINT uCmd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) return nullptr;
    const CWindowRecord* pRec = pCore->Find(hwnd);
    if (uCmd == GW_OWNER) return pRec->hwndOwner;
    if (uCmd == GW_CHILD) return pRec->vecChildren.empty() ? nullptr : pRec->vecChildren.back();
    const std::vector<HWND>& vecSiblings =
        pRec->hwndParent ? pCore->Find(pRec->hwndParent)->vecChildren : pCore->TopLevels();
    // The lists run back to front; Win32 walks them top down.
    const auto it = std::find(vecSiblings.begin(), vecSiblings.end(), hwnd);
    if (it == vecSiblings.end()) return nullptr;
    switch (uCmd) {
    case GW_HWNDFIRST: return vecSiblings.back();
    case GW_HWNDLAST: return vecSiblings.front();
    case GW_HWNDNEXT: return it == vecSiblings.begin() ? nullptr : *(it - 1);
    case GW_HWNDPREV: return (it + 1) == vecSiblings.end() ? nullptr : *(it + 1);
    default: return nullptr;
    }
}

BOOL IsChild(HWND hwndParent, HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return (pCore && hwnd != hwndParent && pCore->IsInside(hwnd, hwndParent)) ? TRUE : FALSE;
}

HWND ChildWindowFromPoint(HWND hwndParent, POINT pt)
{
    CLoopCore* pCore = CoreOf(hwndParent);
    if (!pCore) return nullptr;
    const CWindowRecord* pRec = pCore->Find(hwndParent);
    if (!RECT{0, 0, pRec->Width(), pRec->Height()}.Contains(pt)) return nullptr;
    for (auto it = pRec->vecChildren.rbegin(); it != pRec->vecChildren.rend(); ++it)
        if (pCore->Find(*it)->rc.Contains(pt)) return *it;
    return hwndParent;
}

HWND GetDlgItem(HWND hwndDlg, int nIDDlgItem)
{
    CLoopCore* pCore = CoreOf(hwndDlg);
    if (!pCore) return nullptr;
    for (HWND hwndChild : pCore->Find(hwndDlg)->vecChildren)
        if (static_cast<int>(pCore->Find(hwndChild)->nID) == nIDDlgItem) return hwndChild;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? static_cast<int>(pCore->Find(hwnd)->nID) : 0;
}

LONG_PTR GetWindowLong(HWND hwnd, int nIndex)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) return 0;
    const CWindowRecord* pRec = pCore->Find(hwnd);
    switch (nIndex) {
    case GWL_STYLE: return static_cast<LONG_PTR>(pRec->dwStyle);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(pRec->dwExStyle);
    case GWL_ID: return static_cast<LONG_PTR>(pRec->nID);
    default: return 0;
    }
}

LONG_PTR SetWindowLong(HWND hwnd, int nIndex, LONG_PTR dwNewLong)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) return 0;
    CWindowRecord* pRec = pCore->Find(hwnd);
    const LONG_PTR nOld = GetWindowLong(hwnd, nIndex);
    switch (nIndex) {
    case GWL_STYLE:
        // Whether a window is a child is fixed at creation.
        pRec->dwStyle = (static_cast<DWORD>(dwNewLong) & ~WS_CHILD) | (pRec->dwStyle & WS_CHILD);
        break;
    case GWL_EXSTYLE:
        pRec->dwExStyle = (static_cast<DWORD>(dwNewLong) & ~WS_EX_ZENT_NATIVE) | (pRec->dwExStyle & WS_EX_ZENT_NATIVE);
        break;
    case GWL_ID: pRec->nID = static_cast<UINT>(dwNewLong); break;
    default: return 0;
    }
    return nOld;
}

BOOL SetWindowText(HWND hwnd, std::wstring_view text)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) return FALSE;
    wnd::CWindowRecord* pRec = pCore->Find(hwnd);
    pRec->strText = std::wstring(text);
    if (pRec->IsTopLevel()) pCore->Presenter().SetTitle(hwnd, text);
    return TRUE;
}

std::wstring GetWindowText(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->Find(hwnd)->strText : std::wstring();
}

std::wstring GetClassName(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->Find(hwnd)->strClass : std::wstring();
}

// --- painting --------------------------------------------------------------------------------------

BOOL InvalidateRect(HWND hwnd, const RECT* prc, BOOL)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->Invalidate(hwnd, prc) : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->UpdateWindow(hwnd) : FALSE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* prc, BOOL)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->GetUpdateRect(hwnd, prc) : FALSE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* pps)
{
    CLoopCore* pCore = CoreOf(hwnd);
    if (!pCore) {
        if (pps) *pps = PAINTSTRUCT{};
        return nullptr;
    }
    return pCore->BeginPaint(hwnd, pps);
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->EndPaint(hwnd) : FALSE;
}

HDC GetDC(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->GetDC(hwnd) : nullptr;
}

int ReleaseDC(HWND hwnd, HDC hdc)
{
    CLoopCore* pCore = CLoopCore::Current();
    return pCore ? pCore->ReleaseDC(hwnd, hdc) : 0;
}

HBITMAP GetWindowPicture(HWND hwnd)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->GetPicture(hwnd) : nullptr;
}

BOOL EndDialog(HWND hwnd, INT_PTR nResult)
{
    CLoopCore* pCore = CoreOf(hwnd);
    return pCore ? pCore->EndDialog(hwnd, nResult) : FALSE;
}

} // namespace zent
