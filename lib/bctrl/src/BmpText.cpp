#include <zent/bctrl/BmpButton.h>
#include <zent/bctrl/BmpText.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

#include <algorithm>

namespace zent {

CBmpText::CBmpText() = default;

CBmpText::~CBmpText()
{
    DestroyWindow();
}

int CBmpText::InitControl(int style, QLBMLoader* loader, UINT id)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    if (loader && id) {
        RECT rc{};
        loader->GetRect(static_cast<int>(id), &rc);
        m_rcCtrl = rc;
        if (GetSafeHwnd()) {
            MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
            ShowWindow(GetSafeHwnd(), SW_HIDE);
        }
        m_bRemocon = loader->IsRemocon(static_cast<int>(id));
    }
    return 1;
}

int CBmpText::InitControl(int style, const RECT& rect)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    m_rcCtrl = rect;
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    return 1;
}

int CBmpText::SetText(const std::wstring& text, int redraw)
{
    m_strText = text;
    m_bTextChanged = 1;
    m_nCaretPos = static_cast<int>(text.size());
    m_nCaretPhase = 1;
    if (redraw) Draw();
    return 1;
}

int CBmpText::SetTextNCaret(const std::wstring& text, int caret, int redraw)
{
    SetText(text, 0);
    m_nCaretPos = std::clamp(caret, 0, static_cast<int>(text.size()));
    if (redraw) Draw();
    return 1;
}

void CBmpText::SetColor(COLORREF text, COLORREF effect, COLORREF background)
{
    m_clrText = text;
    m_clrEffect = effect;
    m_clrBackground = background;
}

int CBmpText::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const bool bBlink = (m_nCtrlStyle & BCS_CARET_BLINK) != 0;
    if (bBlink && GetSafeHwnd()) SetTimer(GetSafeHwnd(), kBlinkTimerId, kBlinkIntervalMs);
    const int w = m_rcCtrl.right - m_rcCtrl.left;
    const int h = m_rcCtrl.bottom - m_rcCtrl.top;
    if (GetImageDrawStyle() != 4) FillSolidRect(dc, origin.x, origin.y, w, h, m_clrBackground);

    CSelectObject<HFONT> sel(dc, m_hFont);
    int total = 0;
    const int measured = std::min<int>(static_cast<int>(m_strText.size()), kMeasured);
    for (int i = 0; i < kMeasured; ++i) {
        SIZE sz{};
        if (i < measured) GetTextExtentPoint32(dc, std::wstring_view(m_strText).substr(i, 1), &sz);
        m_nCharWidth[i] = sz.cx;
    }
    SIZE full{};
    GetTextExtentPoint32(dc, m_strText.empty() ? std::wstring_view(L" ") : std::wstring_view(m_strText), &full);
    total = m_strText.empty() ? 0 : full.cx;

    UINT align = static_cast<UINT>(m_nCtrlStyle >> BCS_TEXT_ALIGN_SHIFT) & 0xFF;
    // Keep the end of a long text in view.
    if (m_bAutoAlign && total > w - 2 * kInset && (align & DT_CENTER)) align = (align & ~DT_CENTER) | DT_RIGHT;
    if ((align & DT_VCENTER) && m_strText.find(L'\n') == std::wstring::npos) align |= DT_SINGLELINE;

    RECT rc{origin.x + kInset, origin.y, origin.x + w - kInset, origin.y + h};
    DrawTextW(GetTextDrawStyle(), align, m_strText, dc, &rc, m_hFont, m_clrText, m_clrEffect);

    if (!bBlink) return 1;
    int start = kInset;
    if (align & DT_RIGHT) start = w - kInset - total;
    else if (align & DT_CENTER) start = kInset + (w - 2 * kInset - total) / 2;
    if (m_bPressPending) {
        // The character whose left half or whole lies before the press point.
        int index = 0;
        int x = start;
        while (index < measured && m_ptPress.x >= x + m_nCharWidth[index] / 2) x += m_nCharWidth[index++];
        m_nCaretPos = index;
        m_bPressPending = 0;
        if (const HWND parent = GetParentWnd())
            SendMessage(parent, WM_BCTRL_CARETPOS, static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd())), index);
    }
    int x = start;
    for (int i = 0; i < std::min(m_nCaretPos, measured); ++i) x += m_nCharWidth[i];
    const int caretH = std::max<int>(full.cy, 1);
    m_nCaretX = x;
    m_nCaretY = (h - caretH) / 2;
    m_bTextChanged = 0;
    if (m_nCaretPhase && m_bVisibleCaret)
        FillSolidRect(dc, origin.x + m_nCaretX, origin.y + m_nCaretY, 2, caretH,
                      m_clrCaret == kSkinKeyColor ? m_clrText : m_clrCaret);
    return 1;
}

int CBmpText::SoundPlay()
{
    if (m_bTouchSoundUse && m_bEnableSound && !m_strSoundFileTrue.empty())
        g_kSndPlEffect.SndPlay(m_strSoundFileTrue.c_str(), nullptr, kSndAsync | kSndFileName);
    return 1;
}

int CBmpText::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    if (!m_strText.empty()) {
        m_ptPress = pt;
        m_bPressPending = 1;
        Draw();
    }
    if (const HWND parent = GetParentWnd())
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(GetSafeHwnd()), BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetSafeHwnd()));
    return 1;
}

LRESULT CBmpText::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kBlinkTimerId) {
        m_nCaretPhase = !m_nCaretPhase;
        Draw();
        return 0;
    }
    return CBmpCtrl::OnMessage(message, wParam, lParam);
}

} // namespace zent
