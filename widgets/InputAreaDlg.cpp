#include "widgets/InputAreaDlg.h"

#include "locale/AppFont.h"

#include <zent/platform/DialogTemplate.h>

using namespace zent;

namespace {

constexpr DialogItemTemplate kInputItems[] = {{L"Edit", CInputAreaDlg::kEditId, 0, 0, 1, 1, WS_TABSTOP}};

bool IsPress(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN ||
           message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK;
}

// The deepest visible, enabled window under a screen point inside the top-level window top, as
// input would be routed to it without a capture.
HWND WindowAtScreenPoint(HWND top, POINT ptScreen, HWND hwndSkip)
{
    RECT rcTop{};
    if (!GetWindowRect(top, &rcTop) || !rcTop.Contains(ptScreen)) return nullptr;
    HWND target = top;
    for (bool bDeeper = true; bDeeper;) {
        bDeeper = false;
        for (HWND child = GetWindow(target, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rc{};
            if (child == hwndSkip || !IsWindowVisible(child) || !GetWindowRect(child, &rc) || !rc.Contains(ptScreen))
                continue;
            if (!IsWindowEnabled(child)) break;
            target = child;
            bDeeper = true;
            break;
        }
    }
    return target;
}

} // namespace

CInputAreaDlg::~CInputAreaDlg()
{
    DestroyWindow();
}

BOOL CInputAreaDlg::Create(HWND hwndParent, const RECT& rc, HWND hwndOwner, const std::wstring& text, HFONT font)
{
    m_hwndOwner = hwndOwner;
    m_strText = text;
    m_strInitial = text;
    m_hFont = font;
    const DialogTemplate tmpl{kDialogId, rc.left, rc.top, rc.Width(), rc.Height(), WS_CHILD | WS_VISIBLE, 0, L"",
                              kInputItems};
    if (!CDialog::Create(&tmpl, hwndParent)) return FALSE;
    SetFocus(m_kEdit.GetSafeHwnd());
    // Presses outside end the input; see the class comment.
    SetCapture(GetSafeHwnd());
    return TRUE;
}

BOOL CInputAreaDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_kEdit.SubclassDlgItem(kEditId, GetSafeHwnd())) return FALSE;
    if (m_hFont) SendMessage(m_kEdit.GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), 0);
    FitEdit();
    m_kEdit.SetText(m_strInitial);
    return TRUE;
}

void CInputAreaDlg::FitEdit()
{
    RECT rc{};
    GetClientRect(GetSafeHwnd(), &rc);
    if (m_kEdit.GetSafeHwnd()) MoveWindow(m_kEdit.GetSafeHwnd(), 0, 0, rc.Width(), rc.Height(), TRUE);
}

void CInputAreaDlg::NotifyOwner(UINT message)
{
    if (m_hwndOwner) PostMessage(m_hwndOwner, message, 0, 0);
}

void CInputAreaDlg::OnMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = GetSafeHwnd();
    const POINT pt = MakePoint(lParam);
    RECT client{};
    GetClientRect(hwnd, &client);
    if (client.Contains(pt)) {
        // The field fills the window, so the point is the same in both.
        if (m_kEdit.GetSafeHwnd()) SendMessage(m_kEdit.GetSafeHwnd(), message, wParam, lParam);
        return;
    }
    POINT ptScreen = pt;
    ClientToScreen(hwnd, &ptScreen);
    if (IsPress(message) && !m_bClosing) {
        // Closed through the queue: the owner deletes this window, which it must not do while
        // this handler still runs.
        m_bClosing = true;
        ReleaseCapture();
        PostMessage(hwnd, WM_SEARCH_FOCUSOUT, 0, 0);
    }
    const HWND target = WindowAtScreenPoint(GetAncestor(hwnd, GA_ROOT), ptScreen, hwnd);
    if (!target) return;
    POINT ptTarget = ptScreen;
    ScreenToClient(target, &ptTarget);
    // Offered to the pre-translation of the target and its ancestors first, as the loop would,
    // so that a window watching its children's mouse input still sees it.
    MSG msg{target, message, wParam, MAKELPARAM(ptTarget.x, ptTarget.y), 0, ptScreen};
    for (HWND h = target; h; h = GetAncestor(h, GA_PARENT)) {
        CWnd* wnd = CWnd::FromHandle(h);
        if (wnd && wnd->PreTranslateMessage(&msg)) return;
    }
    SendMessage(target, message, wParam, msg.lParam);
}

LRESULT CInputAreaDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SEARCH_KEY:
        SetTimer(GetSafeHwnd(), kKeyTimer, kNoticeDelay);
        return 0;
    case WM_SEARCH_BACKSPACE:
        SetTimer(GetSafeHwnd(), kBackspaceTimer, kNoticeDelay);
        return 0;
    case WM_TIMER:
        if (wParam == kKeyTimer || wParam == kBackspaceTimer) {
            KillTimer(GetSafeHwnd(), wParam);
            m_strText = m_kEdit.GetText();
            NotifyOwner(wParam == kKeyTimer ? WM_SEARCH_KEY : WM_SEARCH_BACKSPACE);
        }
        return 0;
    case WM_SEARCH_ENTER:
    case WM_SEARCH_ESCAPE:
    case WM_SEARCH_FOCUSOUT:
        NotifyOwner(message);
        return 0;
    case WM_SIZE: FitEdit(); return 0;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a menu, a message box): the input is left as on a press
        // outside.
        if (reinterpret_cast<HWND>(lParam) != GetSafeHwnd() && !m_bClosing) {
            m_bClosing = true;
            PostMessage(GetSafeHwnd(), WM_SEARCH_FOCUSOUT, 0, 0);
        }
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: OnMouse(message, wParam, lParam); return 0;
    default: return CDialog::OnMessage(message, wParam, lParam);
    }
}
