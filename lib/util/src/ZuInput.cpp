#include <zent/util/ZuInput.h>

#include <algorithm>
#include <string_view>

namespace {

// The order of the first three tables gives the syllable arithmetic:
// syllable = 0xAC00 + initial * 588 + vowel * 28 + final.
constexpr std::wstring_view kInitials = L"ㄱㄲㄴㄷㄸㄹㅁㅂㅃㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ";
constexpr std::wstring_view kVowels = L"ㅏㅐㅑㅒㅓㅔㅕㅖㅗㅘㅙㅚㅛㅜㅝㅞㅟㅠㅡㅢㅣ";
// Index 0 is "no final"; a blank stands for it so that no real letter takes that place.
constexpr std::wstring_view kFinals = L" ㄱㄲㄳㄴㄵㄶㄷㄹㄺㄻㄼㄽㄾㄿㅀㅁㅂㅄㅅㅆㅇㅈㅊㅋㅌㅍㅎ";
constexpr std::wstring_view kConsonants = L"ㄱㄲㄳㄴㄵㄶㄷㄸㄹㄺㄻㄼㄽㄾㄿㅀㅁㅂㅃㅄㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ";
static_assert(kInitials.size() == 19 && kVowels.size() == 21 && kFinals.size() == 28 && kConsonants.size() == 30);

constexpr wchar_t kSyllableBase = 0xAC00;
constexpr int kSyllablesPerInitial = 588; // 21 vowels * 28 finals
constexpr int kSyllablesPerVowel = 28;

struct SPair {
    wchar_t chFirst;
    wchar_t chSecond;
    wchar_t chResult;
};

constexpr SPair kCompoundVowels[] = {
    {L'ㅏ', L'ㅣ', L'ㅐ'}, {L'ㅑ', L'ㅣ', L'ㅒ'}, {L'ㅓ', L'ㅣ', L'ㅔ'}, {L'ㅕ', L'ㅣ', L'ㅖ'},
    {L'ㅗ', L'ㅏ', L'ㅘ'}, {L'ㅗ', L'ㅐ', L'ㅙ'}, {L'ㅗ', L'ㅣ', L'ㅚ'}, {L'ㅜ', L'ㅓ', L'ㅝ'},
    {L'ㅜ', L'ㅔ', L'ㅞ'}, {L'ㅜ', L'ㅣ', L'ㅟ'}, {L'ㅡ', L'ㅣ', L'ㅢ'}, {L'ㅘ', L'ㅣ', L'ㅙ'},
    {L'ㅝ', L'ㅣ', L'ㅞ'},
    // A vowel typed twice gives its y-vowel.
    {L'ㅏ', L'ㅏ', L'ㅑ'}, {L'ㅓ', L'ㅓ', L'ㅕ'}, {L'ㅗ', L'ㅗ', L'ㅛ'}, {L'ㅜ', L'ㅜ', L'ㅠ'},
};

constexpr SPair kCompoundFinals[] = {
    {L'ㄱ', L'ㄱ', L'ㄲ'}, {L'ㄱ', L'ㅅ', L'ㄳ'}, {L'ㄴ', L'ㅈ', L'ㄵ'}, {L'ㄴ', L'ㅎ', L'ㄶ'},
    {L'ㄹ', L'ㄱ', L'ㄺ'}, {L'ㄹ', L'ㅁ', L'ㄻ'}, {L'ㄹ', L'ㅂ', L'ㄼ'}, {L'ㄹ', L'ㅅ', L'ㄽ'},
    {L'ㄹ', L'ㅌ', L'ㄾ'}, {L'ㄹ', L'ㅍ', L'ㄿ'}, {L'ㄹ', L'ㅎ', L'ㅀ'}, {L'ㅂ', L'ㅅ', L'ㅄ'},
    {L'ㅅ', L'ㅅ', L'ㅆ'},
};

constexpr SPair kDoubleInitials[] = {
    {L'ㄱ', L'ㄱ', L'ㄲ'}, {L'ㄷ', L'ㄷ', L'ㄸ'}, {L'ㅂ', L'ㅂ', L'ㅃ'}, {L'ㅅ', L'ㅅ', L'ㅆ'}, {L'ㅈ', L'ㅈ', L'ㅉ'},
};

template <std::size_t N>
wchar_t LookUpPair(const SPair (&table)[N], wchar_t first, wchar_t second)
{
    for (const SPair& p : table) {
        if (p.chFirst == first && p.chSecond == second) return p.chResult;
    }
    return 0;
}

} // namespace

CZuInput::CZuInput() = default;

CZuInput::~CZuInput() = default;

int CZuInput::InputCode(wchar_t code)
{
    // A zero would end the text in the middle of its length.
    if (code == 0) return 0;

    // The display text has room for kMaxLength characters, the composing one included. A key
    // that would leave a composition beside a full text is dropped; what was composed before it
    // is committed unchanged, so that no letter already shown disappears. One key commits at
    // most one character, so only the last free place needs the check.
    if (m_nLength < kMaxLength - 1) {
        Compose(code);
        return 0;
    }
    const CZuInput before = *this;
    Compose(code);
    if (m_stComposition.nState != kStateNone && m_nLength >= kMaxLength) {
        *this = before;
        PutCode();
    }
    return 0;
}

void CZuInput::Compose(wchar_t code)
{
    SComposition& c = m_stComposition;
    const int kind = IsCodeType(code);

    switch (c.nState) {
    case kStateNone:
        if (kind == kCodeConsonant) StartConsonant(code);
        else if (kind == kCodeVowel) StartVowel(code);
        else if (kind == kCodeBackspace) DelInputChar();
        else HoldOther(code);
        break;

    case kStateInitial:
        if (kind == kCodeConsonant) {
            PutCode();
            StartConsonant(code);
        } else if (kind == kCodeVowel) {
            // A compound consonant (ㄳ, ㄺ, ...) begins no syllable: it stays a letter of its own.
            if (GetIndex(kTableInitial, c.chInitial) < 0) {
                PutCode();
                StartVowel(code);
            } else {
                c.chVowel = code;
                c.nState = kStateVowel;
            }
        } else if (kind == kCodeBackspace) {
            ClearBuffer();
        } else {
            PutCode();
            HoldOther(code);
        }
        break;

    case kStateVowel:
        if (kind == kCodeConsonant) {
            if (c.chInitial != 0 && GetIndex(kTableFinal, code) > 0) {
                c.chFinal = code;
                c.nState = kStateFinal;
            } else {
                PutCode();
                StartConsonant(code);
            }
        } else if (kind == kCodeVowel) {
            if (MixMoumJung(c.chVowel, code) != 0) {
                c.chVowel2 = code;
                if (c.chInitial == 0) {
                    MixJohab();
                    PutCode();
                }
            } else {
                PutCode();
                StartVowel(code);
            }
        } else if (kind == kCodeBackspace) {
            c.chVowel = 0;
            c.chVowel2 = 0;
            c.nState = c.chInitial != 0 ? kStateInitial : kStateNone;
        } else {
            PutCode();
            HoldOther(code);
        }
        break;

    case kStateFinal:
        if (kind == kCodeConsonant) {
            if (c.chFinal2 == 0 && MixJaumJong(c.chFinal, code) != 0) {
                c.chFinal2 = code;
            } else {
                PutCode();
                StartConsonant(code);
            }
        } else if (kind == kCodeVowel) {
            wchar_t& last = c.chFinal2 != 0 ? c.chFinal2 : c.chFinal;
            const wchar_t moved = last;
            if (GetIndex(kTableInitial, moved) < 0) {
                // A compound final typed as one key cannot begin a syllable: the syllable keeps
                // it and the vowel stands alone.
                PutCode();
                StartVowel(code);
            } else {
                last = 0;
                MixJohab();
                PutCode();
                StartConsonant(moved);
                c.chVowel = code;
                c.nState = kStateVowel;
            }
        } else if (kind == kCodeBackspace) {
            if (c.chFinal2 != 0) {
                c.chFinal2 = 0;
            } else {
                c.chFinal = 0;
                c.nState = kStateVowel;
            }
        } else {
            PutCode();
            HoldOther(code);
        }
        break;

    case kStateOther:
    default:
        if (kind == kCodeConsonant) {
            PutCode();
            StartConsonant(code);
        } else if (kind == kCodeVowel) {
            PutCode();
            StartVowel(code);
        } else if (kind == kCodeBackspace) {
            PutCode();
            DelInputChar();
        } else {
            PutCode();
            MixEng(code);
            HoldOther(code);
        }
        break;
    }
    MixJohab();
}

void CZuInput::StartConsonant(wchar_t code)
{
    ClearBuffer();
    m_stComposition.chInitial = code;
    m_stComposition.nState = kStateInitial;
}

void CZuInput::StartVowel(wchar_t code)
{
    ClearBuffer();
    m_stComposition.chVowel = code;
    m_stComposition.nState = kStateVowel;
}

void CZuInput::HoldOther(wchar_t code)
{
    // The held character sits where a final would: with neither initial nor vowel the
    // composing character is the final.
    ClearBuffer();
    m_stComposition.chFinal = code;
    m_stComposition.nState = kStateOther;
}

const wchar_t* CZuInput::GetInputString()
{
    // Length and caret stay in range by construction (SetInputString, SetNCaretPos and the
    // full-text rule of InputCode); the composing character is only ever shown beside a text
    // with a free place.
    const int length = m_nLength;
    const int caret = m_nCaretPos;
    std::copy_n(m_szString.begin(), caret, m_szInputString.begin());
    int at = caret;
    if (m_stComposition.nState != kStateNone && length < kMaxLength) {
        m_szInputString[at++] = m_stComposition.chBuffer;
    }
    std::copy_n(m_szString.begin() + caret, length - caret, m_szInputString.begin() + at);
    m_szInputString[at + length - caret] = 0;
    return m_szInputString.data();
}

const wchar_t* CZuInput::GetString() const
{
    return m_szString.data();
}

wchar_t CZuInput::GetBuffer() const
{
    return m_stComposition.nState == kStateNone ? 0 : m_stComposition.chBuffer;
}

int CZuInput::GetInputState() const
{
    return m_stComposition.nState;
}

void CZuInput::SetInputString(const wchar_t* text)
{
    int length = 0;
    if (text != nullptr) {
        while (length < kMaxLength && text[length] != 0) {
            m_szString[length] = text[length];
            ++length;
        }
    }
    m_szString[length] = 0;
    m_nLength = length;
    m_nCaretPos = length;
    ClearBuffer();
}

void CZuInput::SetNCaretPos(int pos)
{
    m_nCaretPos = std::clamp(pos, 0, m_nLength);
    ClearBuffer();
}

int CZuInput::GetNCaretPos() const
{
    return m_nCaretPos;
}

int CZuInput::IsCodeType(wchar_t code)
{
    if (code == 8) return kCodeBackspace;
    if (kConsonants.find(code) != std::wstring_view::npos) return kCodeConsonant;
    if (GetIndex(kTableVowel, code) >= 0) return kCodeVowel;
    return kCodeOther;
}

void CZuInput::MixJohab()
{
    SComposition& c = m_stComposition;
    if (c.chVowel2 != 0) {
        if (const wchar_t compound = MixMoumJung(c.chVowel, c.chVowel2)) c.chVowel = compound;
        c.chVowel2 = 0;
    }
    wchar_t final = c.chFinal;
    if (c.chFinal2 != 0) {
        if (const wchar_t compound = MixJaumJong(c.chFinal, c.chFinal2)) final = compound;
    }
    const int i = c.chInitial != 0 ? GetIndex(kTableInitial, c.chInitial) : -1;
    const int j = c.chVowel != 0 ? GetIndex(kTableVowel, c.chVowel) : -1;
    const int k = std::max(GetIndex(kTableFinal, final), 0);

    if (c.chInitial != 0 && c.chVowel != 0) {
        c.chBuffer = static_cast<wchar_t>(kSyllableBase + i * kSyllablesPerInitial + j * kSyllablesPerVowel + k);
    } else if (c.chInitial != 0) {
        c.chBuffer = c.chInitial;
    } else if (c.chVowel != 0) {
        c.chBuffer = c.chVowel;
    } else {
        c.chBuffer = final;
    }
}

wchar_t CZuInput::MixMoumJung(wchar_t first, wchar_t second)
{
    return LookUpPair(kCompoundVowels, first, second);
}

wchar_t CZuInput::MixJaumJong(wchar_t first, wchar_t second)
{
    return LookUpPair(kCompoundFinals, first, second);
}

wchar_t CZuInput::MixJaumCho(wchar_t first, wchar_t second)
{
    return LookUpPair(kDoubleInitials, first, second);
}

void CZuInput::PutCode()
{
    // Nothing composed leaves chBuffer at 0.
    const wchar_t ch = m_stComposition.chBuffer;
    ClearBuffer();
    if (ch == 0) return;
    if (m_nCaretPos < 0 || m_nCaretPos > m_nLength) return;
    if (m_nLength >= kMaxLength) return;

    std::copy_backward(m_szString.begin() + m_nCaretPos, m_szString.begin() + m_nLength,
                       m_szString.begin() + m_nLength + 1);
    m_szString[m_nCaretPos] = ch;
    ++m_nCaretPos;
    ++m_nLength;
    m_szString[m_nLength] = 0;
}

int CZuInput::DelInputChar()
{
    if (m_nCaretPos > m_nLength) m_nCaretPos = m_nLength;
    if (m_nCaretPos <= 0) return 0;

    std::copy(m_szString.begin() + m_nCaretPos, m_szString.begin() + m_nLength + 1,
              m_szString.begin() + m_nCaretPos - 1);
    --m_nCaretPos;
    --m_nLength;
    return 1;
}

int CZuInput::GetIndex(int table, wchar_t code)
{
    std::wstring_view letters;
    switch (table) {
    case kTableInitial: letters = kInitials; break;
    case kTableVowel: letters = kVowels; break;
    case kTableFinal: letters = kFinals; break;
    default: return -1;
    }
    const std::size_t at = letters.find(code);
    return at == std::wstring_view::npos ? -1 : static_cast<int>(at);
}

void CZuInput::ClearBuffer()
{
    m_stComposition = SComposition{};
}

int CZuInput::MixEng(wchar_t& code)
{
    if (code != L'X' || m_nCaretPos <= 0 || m_nCaretPos > m_nLength) return 0;
    if (m_szString[m_nCaretPos - 1] != L'X') return 0;
    DelInputChar();
    code = L'Y';
    return 1;
}
