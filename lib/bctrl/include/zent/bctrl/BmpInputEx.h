#pragma once

// A skinned on-screen keyboard with an input line, for touch or remote-control screens. It shows
// one of three key layouts (Hangul, English, numbers), turns key presses into text through a
// CZuInput composer and posts every change of the text to its parent window.
//
// Skin layout, counted from the base id B given to InitControl:
//   B          the keyboard's background and the control rectangle
//   B+1..B+3   the pictures of the Hangul, English and number layouts (optional)
//   B+4+2k     the rectangle of key k of the Hangul layout (30 keys), B+5+2k its pressed picture
//   B+64+2k    the same for the English layout (31 keys)
//   B+126+2k   the same for the number layout (17 keys)
// The input line fills the control's width above the topmost key of the current layout.
// Key order (codes by index): Hangul: the two-set letter rows (ㅂ..ㅔ, ㅁ..ㅣ, ㅋ..ㅡ), backspace,
// space, to English, to numbers. English: Q..P, A..L, Z..M, backspace, space, to Hangul, to
// numbers, clear. Numbers: 1..9, 0, '.', '-', backspace, clear, space, to Hangul, to English.
//
// GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/Export.h>
#include <zent/util/ZuImage.h>
#include <zent/util/ZuInput.h>

#include <array>
#include <memory>
#include <vector>

namespace zent {


class ZENT_BCTRL_API CBmpInputEx : public CBmpCtrl {
public:
    // Input types (layouts).
    static constexpr UINT kTypeHangul = 0;
    static constexpr UINT kTypeEnglish = 1;
    static constexpr UINT kTypeNumber = 2;
    static constexpr int kTypeCount = 3;
    static constexpr int kKeyCounts[kTypeCount] = {30, 31, 17};
    // First key id of each layout, counted from the base id.
    static constexpr UINT kKeyIdOffsets[kTypeCount] = {4, 64, 126};

    // Key codes besides characters: the layout switches equal the input types.
    static constexpr wchar_t kCodeToHangul = 0;
    static constexpr wchar_t kCodeToEnglish = 1;
    static constexpr wchar_t kCodeToNumber = 2;
    static constexpr wchar_t kCodeClear = 3;
    static constexpr wchar_t kCodeBackspace = 8;

    static constexpr UINT kDefaultMaxString = 50;

    struct SInputKey {
        RECT rcKey{};      // relative to the control
        int bPressed = 0;
        wchar_t chCode = 0;
        UINT nPressedId = 0; // the pressed picture's id
    };

    CBmpInputEx();
    ~CBmpInputEx() override;

    using CBmpCtrl::InitControl;
    int InitControl(int style, QLBMLoader* loader, UINT baseId, UINT value);
    int InitControl(int style, const wchar_t* file, UINT baseId, UINT value);

    int SetInputType(UINT type, int redraw);
    UINT GetInputType() const { return m_nInputType; }
    void SetEnableInputType(int hangul, int english, int numbers);
    int GetEnableInputType(UINT type) const;
    // Held to what the composer can store.
    void SetMaxString(UINT max);
    UINT GetMaxString() const { return m_nMaxString; }

    // Replaces the text, cut to the maximum length; the caret goes to its end.
    void SetInputString(const wchar_t* text);
    // The display text: the committed text with the composing character at the caret.
    const wchar_t* GetInputString() const { return m_szDisplay.data(); }
    int GetInputState() const { return m_kInput.GetInputState(); }

    // Moves the caret of the committed text; a composition is committed first.
    void SetNCaretPos(int pos);
    // The caret in the display text: after the composing character while one is shown.
    int GetNCaretEditPos() const;

    // Remote-control navigation over the key grid of the current layout: x is the column, y the row.
    POINT GetFocusItem() const { return m_ptFocus; }
    int SetFocusItem(POINT pt);
    // The key at a grid place of the current layout, or null.
    const SInputKey* GetpKey(POINT pt) const;
    // Key index of a layout, or null outside it.
    const SInputKey* GetpKey(UINT type, int index) const;
    // Keys in a row of the current layout; for a negative row the number of rows.
    int GetCurrentKeyMapMaxItemNum(int row) const;
    void RemoconInputReset();

    int ChangeBG(UINT id, int redraw);

    int DrawCtrl(HDC dc, POINT origin) override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    int LButtonUp(UINT flags, POINT pt) override;
    int MouseMove(UINT flags, POINT pt) override;
    int KeyInput(UINT key) override;
    int FocusChange(int focus, UINT key) override;

private:
    using KeyArray = std::vector<SInputKey>;
    using KeyGrid = std::vector<std::vector<int>>;

    void CloseOwnLoader();
    void KeyCodeMappping();
    // Index of the key of the current layout under pt, or -1.
    int FindKey(POINT pt) const;
    // A press on key index: switches layouts at once, or marks the key pending.
    void PressKey(int index);
    // The release of the pending key: the text change.
    void ReleaseKey();
    void StringMerge(wchar_t code);
    void CommitComposition();
    void UpdateDisplay();
    void PostParent(UINT message, LPARAM lParam);
    RECT GetEditRect() const;

    QLBMLoader* m_pLoader = nullptr; // not owned, unless it is m_pOwnLoader
    std::unique_ptr<QLBMLoader> m_pOwnLoader;
    UINT m_nBaseId = 0;
    UINT m_nInputType = kTypeHangul;
    std::array<int, kTypeCount> m_bEnableType{1, 1, 1};
    UINT m_nMaxString = kDefaultMaxString;
    CZuInput m_kInput;
    CZuInput m_kUndoInput;
    int m_nPendingKey = -1; // index in the current layout of the pressed character key
    std::array<wchar_t, CZuInput::kBufferSize> m_szDisplay{};
    std::array<KeyArray, kTypeCount> m_vecKeys;
    std::array<KeyGrid, kTypeCount> m_vecGrid;
    POINT m_ptFocus{0, 0};
    UINT m_nBgId = 0;
    CZuImage m_kBg;
    std::array<CZuImage, kTypeCount> m_kLayout;
};

} // namespace zent
