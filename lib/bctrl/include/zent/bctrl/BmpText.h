#pragma once

// A line of text with colours, alignment (style bits 16..23 are DrawText format flags), a
// background fill (left out with image style 4) and an optional blinking caret (BCS_CARET_BLINK)
// that a press places under the pointer. The caller binds the window before InitControl.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/Export.h>

#include <string>

namespace zent {

class ZENT_BCTRL_API CBmpText : public CBmpCtrl {
public:
    CBmpText();
    ~CBmpText() override;

    using CBmpCtrl::InitControl;
    int InitControl(int style, QLBMLoader* loader, UINT id);
    int InitControl(int style, const RECT& rect);

    int DrawCtrl(HDC dc, POINT origin) override;
    int SoundPlay() override;
    int LButtonDown(UINT flags, POINT pt) override;

    int SetText(const std::wstring& text, int redraw);
    int SetTextNCaret(const std::wstring& text, int caret, int redraw);
    const std::wstring& GetText() const { return m_strText; }
    void SetNCaretPos(int pos) { m_nCaretPos = pos; }
    int GetNCaretPos() const { return m_nCaretPos; }
    void SetCaret(int phase) { m_nCaretPhase = phase; }
    void SetVisibleCaret(int visible) { m_bVisibleCaret = visible; }
    void SetCaretColor(COLORREF colour) { m_clrCaret = colour; }
    void SetCaretType(int type) { m_nCaretType = type; }
    POINT GetCaretPixelPos() const { return POINT{m_nCaretX, m_nCaretY}; }
    void SetColor(COLORREF text, COLORREF effect, COLORREF background);
    void SetAutoAlign(int align) { m_bAutoAlign = align; }
    void SetEnableSound(int enable) { m_bEnableSound = enable; }
    int GetEnableSound() const { return m_bEnableSound; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int kMeasured = 64;
    static constexpr int kInset = 3;

    std::wstring m_strText;
    int m_bAutoAlign = 0;
    int m_nCaretPhase = 0;
    int m_nCharWidth[kMeasured] = {};
    int m_nCaretX = 0;
    int m_nCaretY = 0;
    POINT m_ptPress{};
    int m_bPressPending = 0;
    int m_bTextChanged = 0;
    int m_bVisibleCaret = 1;
    int m_nCaretPos = 0;
    int m_bEnableSound = 0;
    COLORREF m_clrText = 0;
    COLORREF m_clrEffect = 0xFFBF00;
    COLORREF m_clrBackground = 0xFFBF00;
    COLORREF m_clrCaret = 0xFF00FF;
    int m_nCaretType = 0;
};

} // namespace zent
