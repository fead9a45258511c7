#pragma once

// The one-line text field of the search box: a self-drawn edit child (class "Edit", so that the
// interface font reaches it as a window font) with white text on dark grey and a 2-pixel caret.
// Characters arrive as WM_CHAR from the input method, so composed Hangul and kana come in whole;
// Left, Right, Home, End, Backspace and Delete edit the text. Every key-down is also reported to
// the parent window before the field acts on it. GUI thread only.

#include <zent/platform/Window.h>

#include <string>

// Messages of the search field, its input window and the search box (posted; wParam and lParam
// 0 unless stated).
constexpr zent::UINT WM_SEARCH_FOCUSOUT = 0x7601;  // the field lost the focus
constexpr zent::UINT WM_SEARCH_ENTER = 0x7602;     // Enter; box -> its parent: a search request
constexpr zent::UINT WM_SEARCH_BACKSPACE = 0x7603; // Backspace; text updated after it
constexpr zent::UINT WM_SEARCH_KEY = 0x7604;       // any other key; text updated after it
constexpr zent::UINT WM_SEARCH_ESCAPE = 0x7605;    // Escape: leave the field without its changes

class CMyEdit : public zent::CWnd {
public:
    static constexpr zent::COLORREF kTextColour = 0xFFFFFF;
    static constexpr zent::COLORREF kBackground = 0x515151;
    static constexpr int kCaretWidth = 2;
    static constexpr int kPadding = 4;

    CMyEdit() = default;
    ~CMyEdit() override;

    void SetText(const std::wstring& text);
    const std::wstring& GetText() const { return m_strText; }
    // Character index of the caret, 0 .. text length.
    int GetCaretIndex() const { return m_nCaret; }
    void SetCaretIndex(int index);
    // The caret's left edge in client pixels (where it is drawn).
    int GetCaretX() const;

    // Key-downs meant for the field: reported to the parent (WM_SEARCH_*), then handled here and
    // taken, so that the windows around it never see the keys typed into it.
    zent::BOOL PreTranslateMessage(zent::MSG* pMsg) override;

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void OnKeyDown(zent::UINT key);
    void OnChar(wchar_t ch);
    void OnPaint();
    void OnLButtonDown(zent::POINT pt);
    void Changed();
    void EnsureCaretVisible();
    // Width in pixels of the first count characters.
    int MeasurePrefix(int count) const;
    zent::HFONT GetDrawFont() const;

    std::wstring m_strText;
    int m_nCaret = 0;
    int m_nScrollX = 0;       // pixels of text scrolled out at the left
    wchar_t m_chHighHalf = 0; // first half of a character beyond the first plane, until its second
    bool m_bFocus = false;
    zent::HFONT m_hFont = nullptr; // not owned
};
