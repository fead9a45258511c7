#include "widgets/MyEdit.h"

#include "locale/AppFont.h"
#include "widgets/MemDC2.h"

#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>

#include <algorithm>
#include <cstdlib>

using namespace zent;

namespace {
constexpr int kFontHeight = 13;
constexpr UINT kTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
constexpr int kCaretInset = 3;
} // namespace

CMyEdit::~CMyEdit()
{
    DestroyWindow();
}

HFONT CMyEdit::GetDrawFont() const
{
    return m_hFont ? m_hFont : GetAppFont(kFontHeight, 0, 0, 0, L"");
}

void CMyEdit::SetText(const std::wstring& text)
{
    m_strText = text;
    m_nCaret = static_cast<int>(m_strText.size());
    m_chHighHalf = 0;
    Changed();
}

void CMyEdit::SetCaretIndex(int index)
{
    m_nCaret = std::clamp(index, 0, static_cast<int>(m_strText.size()));
    EnsureCaretVisible();
    if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

int CMyEdit::MeasurePrefix(int count) const
{
    count = std::clamp(count, 0, static_cast<int>(m_strText.size()));
    if (count == 0) return 0;
    UniqueDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return 0;
    SelectObject(dc.get(), GetDrawFont());
    SIZE size{};
    GetTextExtentPoint32(dc.get(), std::wstring_view(m_strText).substr(0, static_cast<std::size_t>(count)), &size);
    return size.cx;
}

int CMyEdit::GetCaretX() const
{
    return kPadding + MeasurePrefix(m_nCaret) - m_nScrollX;
}

void CMyEdit::EnsureCaretVisible()
{
    RECT rc{};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &rc);
    const int visible = std::max(0, static_cast<int>(rc.Width()) - 2 * kPadding - kCaretWidth);
    const int caret = MeasurePrefix(m_nCaret);
    const int whole = MeasurePrefix(static_cast<int>(m_strText.size()));
    if (caret - m_nScrollX > visible) m_nScrollX = caret - visible;
    if (caret < m_nScrollX) m_nScrollX = caret;
    // Text that got shorter slides back rather than leaving empty room at the right.
    m_nScrollX = std::clamp(m_nScrollX, 0, std::max(0, whole - visible));
}

void CMyEdit::Changed()
{
    EnsureCaretVisible();
    if (!GetSafeHwnd()) return;
    // Kept as the window text too, so GetWindowText reads the field as it would a real edit.
    SetWindowText(GetSafeHwnd(), m_strText);
    InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

BOOL CMyEdit::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg || pMsg->hwnd != GetSafeHwnd() || pMsg->message != WM_KEYDOWN) return FALSE;
    const UINT key = static_cast<UINT>(pMsg->wParam);
    UINT notice = WM_SEARCH_KEY;
    if (key == VK_RETURN) notice = WM_SEARCH_ENTER;
    else if (key == VK_BACK) notice = WM_SEARCH_BACKSPACE;
    else if (key == VK_ESCAPE) notice = WM_SEARCH_ESCAPE;
    if (const HWND parent = GetParent(GetSafeHwnd())) PostMessage(parent, notice, 0, 0);
    OnKeyDown(key);
    return TRUE;
}

void CMyEdit::OnKeyDown(UINT key)
{
    const int length = static_cast<int>(m_strText.size());
    switch (key) {
    case VK_LEFT: SetCaretIndex(m_nCaret - 1); break;
    case VK_RIGHT: SetCaretIndex(m_nCaret + 1); break;
    case VK_HOME: SetCaretIndex(0); break;
    case VK_END: SetCaretIndex(length); break;
    case VK_DELETE:
        if (m_nCaret < length) {
            m_strText.erase(static_cast<std::size_t>(m_nCaret), 1);
            Changed();
        }
        break;
    default: break;
    }
}

void CMyEdit::OnChar(wchar_t ch)
{
    // Backspace types as its control character, as the key translation gives it.
    if (ch == L'\b') {
        m_chHighHalf = 0;
        if (m_nCaret > 0) {
            m_strText.erase(static_cast<std::size_t>(m_nCaret - 1), 1);
            --m_nCaret;
            Changed();
        }
        return;
    }
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        m_chHighHalf = ch;
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (!m_chHighHalf) return;
        ch = static_cast<wchar_t>(0x10000 + ((m_chHighHalf - 0xD800) << 10) + (ch - 0xDC00));
    }
    m_chHighHalf = 0;
    // Enter, Escape, Tab and the other control characters are keys here, not text.
    if (ch < 0x20 || ch == 0x7F) return;
    m_strText.insert(static_cast<std::size_t>(m_nCaret), 1, ch);
    ++m_nCaret;
    Changed();
}

void CMyEdit::OnLButtonDown(POINT pt)
{
    SetFocus(GetSafeHwnd());
    // The caret goes to the character boundary nearest to the press.
    const int x = pt.x - kPadding + m_nScrollX;
    int best = 0;
    int bestDistance = std::abs(x);
    for (int i = 1; i <= static_cast<int>(m_strText.size()); ++i) {
        const int distance = std::abs(MeasurePrefix(i) - x);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    SetCaretIndex(best);
}

void CMyEdit::OnPaint()
{
    const HWND hwnd = GetSafeHwnd();
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    if (dc && !client.IsEmpty()) {
        CMemDC2 mem(dc, client);
        if (mem.IsValid()) {
            FillSolidRect(mem, &client, kBackground);
            IntersectClipRect(mem, kPadding / 2, 0, client.right - kPadding / 2, client.bottom);
            CSelectObject<HFONT> font(mem, GetDrawFont());
            SetBkMode(mem, TRANSPARENT);
            SetTextColor(mem, kTextColour);
            RECT text{kPadding - m_nScrollX, 0, client.right, client.bottom};
            DrawText(mem, m_strText, &text, kTextFormat);
            if (m_bFocus) {
                const int x = GetCaretX();
                const RECT caret{x, kCaretInset, x + kCaretWidth, client.bottom - kCaretInset};
                FillSolidRect(mem, &caret, kTextColour);
            }
            SelectClipRgn(mem, nullptr);
        }
    }
    EndPaint(hwnd, &ps);
}

LRESULT CMyEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_CHAR: OnChar(static_cast<wchar_t>(wParam)); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnLButtonDown(MakePoint(lParam)); return 0;
    case WM_SETFOCUS:
        m_bFocus = true;
        InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
        return 0;
    case WM_KILLFOCUS:
        m_bFocus = false;
        InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
        if (const HWND parent = GetParent(GetSafeHwnd())) PostMessage(parent, WM_SEARCH_FOCUSOUT, 0, 0);
        return 0;
    case WM_SETFONT:
        m_hFont = reinterpret_cast<HFONT>(wParam);
        EnsureCaretVisible();
        if (lParam) InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_hFont);
    case WM_SIZE:
        EnsureCaretVisible();
        InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
        return 0;
    default: return CWnd::OnMessage(message, wParam, lParam);
    }
}
