#include "widgets/BmpSearchEdit.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>

using namespace zent;

namespace {
constexpr UINT kTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
} // namespace

CBmpSearchEdit::~CBmpSearchEdit()
{
    m_pInput.reset();
    DestroyWindow();
}

int CBmpSearchEdit::InitControl(QLBMLoader* loader, UINT normalId, UINT focusId)
{
    if (!CBmpCtrl::InitControl(0)) return 0;
    m_kNormal.Unload();
    m_kFocus.Unload();
    if (loader && normalId) m_kNormal.Load(loader, normalId);
    if (loader && focusId) m_kFocus.Load(loader, focusId);
    RECT rc{};
    if (loader && normalId) loader->GetRect(static_cast<int>(normalId), &rc);
    m_rcCtrl = rc;
    // The dialog draws the box and routes its input; its own window only takes messages.
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    return 1;
}

void CBmpSearchEdit::SetHintText(const std::wstring& hint)
{
    m_strHint = hint;
    if (m_strText.empty()) Redraw();
}

void CBmpSearchEdit::SetText(const std::wstring& text, int redraw)
{
    m_strText = text;
    m_bHasText = m_strText.empty() ? 0 : 1;
    if (m_pInput) m_pInput->GetEdit().SetText(text);
    if (redraw == 1) Redraw();
}

void CBmpSearchEdit::Redraw()
{
    Draw();
    // The dialog's repaint of the box covers the open field in its picture; the field paints
    // itself again on top.
    if (m_pInput && m_pInput->GetSafeHwnd()) InvalidateRect(m_pInput->GetSafeHwnd(), nullptr, FALSE);
}

int CBmpSearchEdit::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible || !dc) return 1;
    const int w = m_rcCtrl.Width();
    const int h = m_rcCtrl.Height();
    CZuImage& image = (m_pInput && m_kFocus.IsLoaded()) ? m_kFocus : m_kNormal;
    if (image.IsLoaded()) image.Draw(dc, origin.x, origin.y, w, h);
    else FillSolidRect(dc, origin.x, origin.y, w, h, kFallbackColour);
    const bool bHint = m_strText.empty() && !m_pInput;
    const std::wstring& shown = bHint ? m_strHint : m_strText;
    if (shown.empty()) return 1;
    RECT rc{origin.x + kTextLeft, origin.y, origin.x + w - kTextRight, origin.y + h};
    DrawTextW(BCS_TEXT_PLAIN, kTextFormat, shown, dc, &rc, m_hFont, bHint ? kHintColour : kTextColour, 0);
    return 1;
}

int CBmpSearchEdit::LButtonDown(UINT, POINT)
{
    if (m_bDisable) return 0;
    OpenInput();
    return 1;
}

void CBmpSearchEdit::OpenInput()
{
    const HWND hwndParent = GetParentWnd();
    if (m_pInput || !hwndParent) return;
    m_strTextAtOpen = m_strText;
    m_hwndFocusBefore = GetFocus();
    auto input = std::make_unique<CInputAreaDlg>();
    if (!input->Create(hwndParent, m_rcCtrl, GetSafeHwnd(), m_strText, m_hFont)) return;
    m_pInput = std::move(input);
    // The field lies over the box; the dialog must not paint over it. The edit inside it is
    // covered by the same exclusion.
    SendMessage(hwndParent, WM_BCTRL_SELFDRAW, reinterpret_cast<WPARAM>(m_pInput->GetSafeHwnd()), 0);
    Redraw();
}

void CBmpSearchEdit::CloseInput()
{
    if (m_pInput) CloseInputWith(m_pInput->GetEditText());
}

void CBmpSearchEdit::CloseInputWith(const std::wstring& text)
{
    m_bHasText = text.empty() ? 0 : 1;
    m_strText = m_bHasText ? text : std::wstring();
    const HWND hwndFocus = GetFocus();
    const bool bFocusInside =
        hwndFocus && m_pInput && (hwndFocus == m_pInput->GetSafeHwnd() || IsChild(m_pInput->GetSafeHwnd(), hwndFocus));
    m_pInput.reset();
    // Keys go back where they went before the field opened, unless the user has moved the focus
    // somewhere else meanwhile (by clicking the list, say).
    if (bFocusInside && m_hwndFocusBefore && IsWindow(m_hwndFocusBefore)) SetFocus(m_hwndFocusBefore);
    m_hwndFocusBefore = nullptr;
    Redraw();
}

LRESULT CBmpSearchEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SEARCH_KEY:
    case WM_SEARCH_BACKSPACE:
        if (m_pInput) {
            m_strText = m_pInput->GetText();
            m_bHasText = m_strText.empty() ? 0 : 1;
            SetTimer(GetSafeHwnd(), message == WM_SEARCH_KEY ? kKeyTimer : kBackspaceTimer, kTimerInterval);
            Redraw();
        }
        return 0;
    case WM_TIMER:
        if (wParam == kKeyTimer || wParam == kBackspaceTimer) KillTimer(GetSafeHwnd(), wParam);
        return 0;
    case WM_SEARCH_ENTER:
        // The field's latest text, even when Enter followed the last character faster than the
        // field's key notice.
        if (m_pInput) {
            m_strText = m_pInput->GetEditText();
            m_bHasText = m_strText.empty() ? 0 : 1;
        }
        if (const HWND hwndParent = GetParentWnd())
            PostMessage(hwndParent, WM_SEARCH_ENTER, reinterpret_cast<WPARAM>(GetSafeHwnd()),
                        reinterpret_cast<LPARAM>(&m_strText));
        return 0;
    case WM_SEARCH_FOCUSOUT:
        if (m_pInput) CloseInputWith(m_pInput->GetEditText());
        return 0;
    case WM_SEARCH_ESCAPE:
        if (m_pInput) CloseInputWith(m_strTextAtOpen);
        return 0;
    default: return CBmpCtrl::OnMessage(message, wParam, lParam);
    }
}
