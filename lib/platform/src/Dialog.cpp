#include "LoopCore.h"

#include <zent/platform/Dialog.h>
#include <zent/platform/MessageLoop.h>

namespace zent {

CDialog::CDialog() = default;

CDialog::~CDialog()
{
    // Here rather than in ~CWnd, so that WM_DESTROY still reaches CDialog::OnMessage.
    DestroyWindow();
}

BOOL CDialog::CreateFromTemplate(const DialogTemplate& tmpl, HWND hwndParent, bool bModal, LPARAM lInitParam)
{
    DWORD dwStyle = tmpl.dwStyle & ~WS_VISIBLE;
    // A modal dialog is a window of its own, owned by its owner's top-level window.
    if (bModal) dwStyle &= ~WS_CHILD;
    const RECT rc{tmpl.x, tmpl.y, tmpl.x + tmpl.cx, tmpl.y + tmpl.cy};
    // "#32770" is what Win32 calls the dialog class; controls that look for it still find it.
    if (!CreateEx(tmpl.dwExStyle, L"#32770", tmpl.title, dwStyle, rc, hwndParent, tmpl.nID)) return FALSE;
    const HWND hwnd = GetSafeHwnd();
    HWND hwndFirstTab = nullptr;
    for (const DialogItemTemplate& item : tmpl.items) {
        const HWND hwndItem = CreateWindowEx(item.dwExStyle, item.className, item.text,
                                             item.dwStyle | WS_CHILD | WS_VISIBLE, item.x, item.y, item.cx, item.cy,
                                             hwnd, item.nID);
        if (!hwndItem) {
            DestroyWindow();
            return FALSE;
        }
        if (!hwndFirstTab && (item.dwStyle & WS_TABSTOP) && !(item.dwStyle & WS_DISABLED)) hwndFirstTab = hwndItem;
    }
    const LRESULT lFocus = SendMessage(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(hwndFirstTab), lInitParam);
    if (!IsWindow(hwnd)) return FALSE;
    if (lFocus && hwndFirstTab && IsWindow(hwndFirstTab)) SetFocus(hwndFirstTab);
    return TRUE;
}

BOOL CDialog::Create(const DialogTemplate* pTemplate, HWND hwndParent, LPARAM lInitParam)
{
    if (!pTemplate || GetSafeHwnd()) return FALSE;
    if (!CreateFromTemplate(*pTemplate, hwndParent, false, lInitParam)) return FALSE;
    if (pTemplate->dwStyle & WS_VISIBLE) ShowWindow(GetSafeHwnd(), SW_SHOW);
    return TRUE;
}

INT_PTR CDialog::DoModal(const DialogTemplate* pTemplate, HWND hwndOwner, LPARAM lInitParam)
{
    CMessageLoop* pLoop = CMessageLoop::Current();
    wnd::CLoopCore* pCore = wnd::CLoopCore::Current();
    if (!pTemplate || !pLoop || !pCore || GetSafeHwnd()) return -1;
    const HWND hwndOwnerTop = hwndOwner ? GetAncestor(hwndOwner, GA_ROOT) : nullptr;
    const HWND hwndFocusBefore = GetFocus();
    if (!CreateFromTemplate(*pTemplate, hwndOwnerTop, true, lInitParam)) return -1;
    const HWND hwnd = GetSafeHwnd();

    // The owner stays disabled for as long as the dialog runs; one that was disabled already
    // (by an outer dialog, say) is left for its own disabler to enable.
    bool bDisabledOwner = false;
    if (hwndOwnerTop && IsWindow(hwndOwnerTop) && IsWindowEnabled(hwndOwnerTop)) {
        EnableWindow(hwndOwnerTop, FALSE);
        bDisabledOwner = true;
    }
    // A dialog that ended in WM_INITDIALOG is never shown.
    if (!pCore->IsDialogEnded(hwnd)) ShowWindow(hwnd, SW_SHOW);
    const INT_PTR nResult = pLoop->RunModal(hwnd);

    // Enabled before the dialog goes, so that the owner is ready to take the focus back.
    if (bDisabledOwner && IsWindow(hwndOwnerTop)) EnableWindow(hwndOwnerTop, TRUE);
    if (IsWindow(hwnd)) ShowWindow(hwnd, SW_HIDE);
    if (hwndFocusBefore && IsWindow(hwndFocusBefore) && IsWindowEnabled(hwndFocusBefore)) SetFocus(hwndFocusBefore);
    DestroyWindow();
    return nResult;
}

void CDialog::EndDialog(INT_PTR nResult)
{
    if (GetSafeHwnd()) zent::EndDialog(GetSafeHwnd(), nResult);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
        break;
    case WM_CLOSE: OnCancel(); return 0;
    default: break;
    }
    return CWnd::OnMessage(message, wParam, lParam);
}

} // namespace zent
