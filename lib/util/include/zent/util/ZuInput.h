#pragma once

// The text-input composer behind the on-screen keyboard: it turns a stream of key codes into a
// text line with a caret, composing Hangul syllables from single letters the way a two-set
// Korean keyboard does. Letters arrive as Hangul compatibility jamo (U+3131..U+3163); finished
// syllables are precomposed (U+AC00..U+D7A3); every other code passes through; code 8 is
// backspace.
//
// Not thread-safe: one composer belongs to one input field and is touched by the GUI thread only.

#include <zent/util/Export.h>

#include <array>

class ZENT_UTIL_API CZuInput {
public:
    // Size of each text buffer in units, terminator included: at most 511 characters.
    static constexpr int kBufferSize = 512;
    static constexpr int kMaxLength = kBufferSize - 1;

    // Composition states (GetInputState).
    static constexpr int kStateNone = 0;     // nothing is being composed
    static constexpr int kStateInitial = 1;  // an initial consonant alone
    static constexpr int kStateVowel = 2;    // initial and vowel, or a vowel alone
    static constexpr int kStateFinal = 3;    // initial, vowel and final
    static constexpr int kStateOther = 4;    // a non-Hangul character waits to be committed

    // Key kinds (IsCodeType).
    static constexpr int kCodeOther = 0;
    static constexpr int kCodeConsonant = 1;
    static constexpr int kCodeVowel = 2;
    static constexpr int kCodeBackspace = 8;

    CZuInput();
    CZuInput(const CZuInput&) = default;
    CZuInput& operator=(const CZuInput&) = default;
    virtual ~CZuInput();

    // Feeds one key code. Code 0 is no key and is ignored. Returns 0.
    int InputCode(wchar_t code);

    // The committed text with the composing character inserted at the caret. The pointer stays
    // valid until the next call on this composer.
    const wchar_t* GetInputString();
    // The committed text alone.
    const wchar_t* GetString() const;
    // The composing character, or 0 when nothing is composed.
    wchar_t GetBuffer() const;
    int GetInputState() const;

    // Replaces the committed text (cut to kMaxLength characters; null is empty), puts the caret
    // at its end and drops any composition.
    void SetInputString(const wchar_t* text);
    // Moves the caret, clamped to 0..length, and drops any composition.
    void SetNCaretPos(int pos);
    int GetNCaretPos() const;

private:
    // One composition; ClearBuffer resets it as a whole.
    struct SComposition {
        int nState = kStateNone;
        wchar_t chInitial = 0;
        wchar_t chVowel = 0;
        wchar_t chVowel2 = 0;  // a vowel waiting to join chVowel
        wchar_t chFinal = 0;   // in state 4: the held character
        wchar_t chFinal2 = 0;  // a consonant joined to chFinal as a compound final
        wchar_t chBuffer = 0;  // the character shown for the composition
    };

    // Table numbers of GetIndex.
    static constexpr int kTableInitial = 0;
    static constexpr int kTableVowel = 1;
    static constexpr int kTableFinal = 2;

    static int IsCodeType(wchar_t code);
    void MixJohab();
    static wchar_t MixMoumJung(wchar_t first, wchar_t second);
    static wchar_t MixJaumJong(wchar_t first, wchar_t second);
    static wchar_t MixJaumCho(wchar_t first, wchar_t second);
    void PutCode();
    int DelInputChar();
    static int GetIndex(int table, wchar_t code);
    void ClearBuffer();
    int MixEng(wchar_t& code);

    // The transition of one key from the current state, without the full-text rule.
    void Compose(wchar_t code);
    void StartConsonant(wchar_t code);
    void StartVowel(wchar_t code);
    void HoldOther(wchar_t code);

    int m_nLength = 0;    // committed characters, 0..kMaxLength
    [[maybe_unused]] int m_nReserved = 0;  // carried along by copies, read by nothing
    std::array<wchar_t, kBufferSize> m_szString{};       // committed text, zero-terminated
    std::array<wchar_t, kBufferSize> m_szInputString{};  // display text, built by GetInputString
    SComposition m_stComposition;
    int m_nCaretPos = 0;  // insertion point in the committed text, 0..m_nLength
};
