#include <zent/platform/Text.h>
#include <zent/util/ZuInput.h>

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <string_view>

namespace {

constexpr wchar_t kBs = 8;

struct SSeen {
    std::wstring display;
    std::wstring committed;
    int caret;
    int state;
};

SSeen Type(CZuInput& input, std::wstring_view keys)
{
    for (wchar_t key : keys) input.InputCode(key);
    return {input.GetInputString(), input.GetString(), input.GetNCaretPos(), input.GetInputState()};
}

SSeen Type(std::wstring_view keys)
{
    CZuInput input;
    return Type(input, keys);
}

// Keys as a trace line: backspace shows as "<BS>".
std::string Keys(std::wstring_view keys)
{
    std::string out = "keys ";
    for (wchar_t key : keys) out += key == kBs ? std::string("<BS>") : zent::WideToUtf8(std::wstring(1, key));
    return out;
}

bool IsSyllable(wchar_t ch)
{
    return ch >= 0xAC00 && ch <= 0xD7A3;
}

// What a user reads after a key sequence: the shown text, the committed text, the caret, the state.
struct SCase {
    const wchar_t* keys;
    const wchar_t* display;
    const wchar_t* committed;
    int caret;
    int state;
};

void ExpectCases(std::initializer_list<SCase> cases)
{
    for (const SCase& c : cases) {
        SCOPED_TRACE(Keys(c.keys));
        const SSeen seen = Type(c.keys);
        EXPECT_EQ(seen.display, c.display);
        EXPECT_EQ(seen.committed, c.committed);
        EXPECT_EQ(seen.caret, c.caret);
        EXPECT_EQ(seen.state, c.state);
    }
}

} // namespace

TEST(ZuInputSyllables, LettersBuildAndCommitSyllables)
{
    ExpectCases({
        {L"ㄱ", L"ㄱ", L"", 0, 1},
        {L"ㄱㅏ", L"가", L"", 0, 2},
        {L"ㄱㅏㄴ", L"간", L"", 0, 3},
        {L"ㄱㄴ", L"ㄱㄴ", L"ㄱ", 1, 1},
        {L"ㄱㅏㄴㄷ", L"간ㄷ", L"간", 1, 1},
        {L"ㅎㅏㄴㄱㅡㄹ", L"한글", L"한", 1, 3},
        {L"ㄷㅐㅎㅏㄴㅁㅣㄴㄱㅜㄱ", L"대한민국", L"대한민", 3, 3},
        {L"ㅎㅣㅎ", L"힣", L"", 0, 3},
        // ㄸ ㅃ ㅉ are no finals: they always begin the next syllable.
        {L"ㄱㅏㄸ", L"가ㄸ", L"가", 1, 1},
        {L"ㄱㅏㅃ", L"가ㅃ", L"가", 1, 1},
        {L"ㄱㅏㅉ", L"가ㅉ", L"가", 1, 1},
        // A vowel alone, and a consonant after it.
        {L"ㅏ", L"ㅏ", L"", 0, 2},
        {L"ㅏㄱ", L"ㅏㄱ", L"ㅏ", 1, 1},
        {L"ㅏㅓ", L"ㅏㅓ", L"ㅏ", 1, 2},
    });
    CZuInput input;
    Type(input, L"ㄱㅏㄴ");
    EXPECT_EQ(input.GetBuffer(), wchar_t(0xAC04));
}

TEST(ZuInputSyllables, EverySyllableIsReachableAndDistinct)
{
    const std::wstring_view initials = L"ㄱㄲㄴㄷㄸㄹㅁㅂㅃㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ";
    const std::wstring_view vowels = L"ㅏㅐㅑㅒㅓㅔㅕㅖㅗㅘㅙㅚㅛㅜㅝㅞㅟㅠㅡㅢㅣ";
    const std::wstring_view finals = L"ㄱㄲㄳㄴㄵㄶㄷㄹㄺㄻㄼㄽㄾㄿㅀㅁㅂㅄㅅㅆㅇㅈㅊㅋㅌㅍㅎ";
    std::set<wchar_t> seen;
    for (wchar_t i : initials) {
        for (wchar_t v : vowels) {
            CZuInput open;
            const wchar_t keys[] = {i, v, 0};
            Type(open, keys);
            ASSERT_TRUE(IsSyllable(open.GetBuffer()));
            seen.insert(open.GetBuffer());
            for (wchar_t f : finals) {
                CZuInput closed;
                const wchar_t withFinal[] = {i, v, f, L'.', 0};
                const SSeen s = Type(closed, withFinal);
                ASSERT_EQ(s.committed.size(), 1u);
                ASSERT_TRUE(IsSyllable(s.committed[0]));
                seen.insert(s.committed[0]);
            }
        }
    }
    EXPECT_EQ(seen.size(), 19u * 21u * 28u);
    EXPECT_EQ(*seen.begin(), L'가');
    EXPECT_EQ(*seen.rbegin(), L'힣');
}

TEST(ZuInputSyllables, DoubleAndCompoundVowels)
{
    ExpectCases({
        {L"ㄱㅏㅏ", L"갸", L"", 0, 2},
        {L"ㄱㅓㅓ", L"겨", L"", 0, 2},
        {L"ㄱㅗㅗ", L"교", L"", 0, 2},
        {L"ㄱㅜㅜ", L"규", L"", 0, 2},
        {L"ㄱㅏㅣ", L"개", L"", 0, 2},
        {L"ㄱㅑㅣ", L"걔", L"", 0, 2},
        {L"ㄱㅓㅣ", L"게", L"", 0, 2},
        {L"ㄱㅕㅣ", L"계", L"", 0, 2},
        {L"ㄱㅗㅏ", L"과", L"", 0, 2},
        {L"ㄱㅗㅐ", L"괘", L"", 0, 2},
        {L"ㄱㅗㅏㅣ", L"괘", L"", 0, 2},
        {L"ㄱㅗㅣ", L"괴", L"", 0, 2},
        {L"ㄱㅜㅓ", L"궈", L"", 0, 2},
        {L"ㄱㅜㅔ", L"궤", L"", 0, 2},
        {L"ㄱㅜㅓㅣ", L"궤", L"", 0, 2},
        {L"ㄱㅜㅣ", L"귀", L"", 0, 2},
        {L"ㄱㅡㅣ", L"긔", L"", 0, 2},
        // A third vowel that joins nothing starts on its own.
        {L"ㄱㅏㅏㅏ", L"갸ㅏ", L"갸", 1, 2},
        // Without an initial the compound is committed at once.
        {L"ㅗㅏ", L"ㅘ", L"ㅘ", 1, 0},
        {L"ㅏㅏ", L"ㅑ", L"ㅑ", 1, 0},
        {L"ㅗㅏㅣ", L"ㅘㅣ", L"ㅘ", 1, 2},
    });
}

TEST(ZuInputSyllables, DoubleAndCompoundFinals)
{
    ExpectCases({
        {L"ㄷㅏㄹㄱ", L"닭", L"", 0, 3},
        {L"ㄱㅏㄱㄱ", L"갂", L"", 0, 3},
        {L"ㄱㅏㄱㅅ", L"갃", L"", 0, 3},
        {L"ㅇㅏㄴㅈ", L"앉", L"", 0, 3},
        {L"ㅁㅏㄴㅎ", L"많", L"", 0, 3},
        {L"ㅅㅏㄹㅁ", L"삶", L"", 0, 3},
        {L"ㅂㅏㄹㅂ", L"밟", L"", 0, 3},
        {L"ㄱㅗㄹㅅ", L"곬", L"", 0, 3},
        {L"ㅎㅏㄹㅌ", L"핥", L"", 0, 3},
        {L"ㅇㅡㄹㅍ", L"읊", L"", 0, 3},
        {L"ㅇㅣㄹㅎ", L"잃", L"", 0, 3},
        {L"ㄱㅏㅂㅅ", L"값", L"", 0, 3},
        {L"ㄱㅏㅅㅅ", L"갔", L"", 0, 3},
        {L"ㅂㅜㅔㄹㄱ", L"뷁", L"", 0, 3},
        // A compound final takes no third consonant.
        {L"ㄷㅏㄹㄱㅅ", L"닭ㅅ", L"닭", 1, 1},
        // A compound final typed as one key is a final too.
        {L"ㄱㅏㄺ", L"갉", L"", 0, 3},
    });
}

TEST(ZuInputSyllables, VowelStealsTheLastFinal)
{
    ExpectCases({
        {L"ㄱㅏㄴㅏ", L"가나", L"가", 1, 2},
        {L"ㄷㅏㄹㄱㅣ", L"달기", L"달", 1, 2},
        {L"ㄱㅏㅂㅅㅏ", L"갑사", L"갑", 1, 2},
        {L"ㄱㅏㅅㅅㅓ", L"갓서", L"갓", 1, 2},
        {L"ㄱㅏㄱㄱㅏ", L"각가", L"각", 1, 2},
        {L"ㄱㅏㄲㅏ", L"가까", L"가", 1, 2},
        {L"ㄱㅏㄴㅗㅏ", L"가놔", L"가", 1, 2},
    });
}

TEST(ZuInputLatin, OtherCharactersPassThrough)
{
    ExpectCases({
        {L"abc123", L"abc123", L"abc12", 5, 4},
        {L"a ㄱ", L"a ㄱ", L"a ", 2, 1},
        {L"ㄱㅏa", L"가a", L"가", 1, 4},
        {L"ㄱㅏㄴ5ㅏ", L"간5ㅏ", L"간5", 2, 2},
        {L"ㄱ9", L"ㄱ9", L"ㄱ", 1, 4},
        {L"Zㅏ", L"Zㅏ", L"Z", 1, 2},
        {L"xx", L"xx", L"x", 1, 4},
    });
}

TEST(ZuInputLatin, TwoCapitalXBecomeY)
{
    ExpectCases({
        {L"XX", L"Y", L"", 0, 4},
        {L"XXX", L"YX", L"Y", 1, 4},
        {L"XXXX", L"YY", L"Y", 1, 4},
        {L"aXX", L"aY", L"a", 1, 4},
        {L"XaX", L"XaX", L"Xa", 2, 4},
        {L"XY", L"XY", L"X", 1, 4},
    });
}

TEST(ZuInputBackspace, EachStateStepsBack)
{
    ExpectCases({
        // State 1: the initial goes.
        {L"abㄱ\b", L"ab", L"ab", 2, 0},
        // State 2: the vowel goes, compound or not; a lone vowel leaves nothing.
        {L"ㄱㅏ\b", L"ㄱ", L"", 0, 1},
        {L"ㄱㅗㅏ\b", L"ㄱ", L"", 0, 1},
        {L"ㄱㅏㅏ\b", L"ㄱ", L"", 0, 1},
        {L"ㅏ\b", L"", L"", 0, 0},
        // State 3: a compound final loses its second part only.
        {L"ㄷㅏㄹㄱ\b", L"달", L"", 0, 3},
        {L"ㄱㅏㄴ\b", L"가", L"", 0, 2},
        // State 4: the held character is committed, then deleted.
        {L"ab\b", L"a", L"a", 1, 0},
        {L"X\b", L"", L"", 0, 0},
        // State 0: the character before the caret goes; nothing happens at the start.
        {L"ab\b\b", L"", L"", 0, 0},
        {L"\b\b", L"", L"", 0, 0},
    });
}

TEST(ZuInputBackspace, WalkBackThroughEveryState)
{
    CZuInput input;
    input.SetInputString(L"x");
    Type(input, L"ㄷㅏㄹㄱ");
    const std::wstring expected[] = {L"x달", L"x다", L"xㄷ", L"x", L"", L""};
    const int states[] = {3, 2, 1, 0, 0, 0};
    for (std::size_t n = 0; n < std::size(expected); ++n) {
        const SSeen seen = Type(input, std::wstring(1, kBs));
        EXPECT_EQ(seen.display, expected[n]) << "after backspace " << n + 1;
        EXPECT_EQ(seen.state, states[n]) << "after backspace " << n + 1;
        EXPECT_EQ(input.GetBuffer() == 0, states[n] == 0);
    }
}

TEST(ZuInputCaret, InsertsAtTheCaretInTheMiddle)
{
    CZuInput input;
    input.SetInputString(L"abcd");
    EXPECT_EQ(input.GetNCaretPos(), 4);
    input.SetNCaretPos(2);
    SSeen seen = Type(input, L"ㄴㅏㄴㅏ");
    EXPECT_EQ(seen.display, L"ab나나cd");
    EXPECT_EQ(seen.committed, L"ab나cd");
    EXPECT_EQ(seen.caret, 3);

    seen = Type(input, L"\b");
    EXPECT_EQ(seen.display, L"ab나ㄴcd");
    seen = Type(input, L"\b\b");
    EXPECT_EQ(seen.display, L"abcd");
    EXPECT_EQ(seen.caret, 2);

    input.SetNCaretPos(0);
    seen = Type(input, L"ㅎㅏㄴ!");
    EXPECT_EQ(seen.display, L"한!abcd");
    EXPECT_EQ(seen.committed, L"한abcd");
    EXPECT_EQ(seen.caret, 1);

    // Latin held in the middle, then removed by backspace.
    input.SetNCaretPos(3);
    seen = Type(input, L"z");
    EXPECT_EQ(seen.display, L"한abzcd");
    seen = Type(input, L"\b");
    EXPECT_EQ(seen.display, L"한abcd");
    EXPECT_EQ(seen.caret, 3);
}

TEST(ZuInputCaret, MovingTheCaretDropsTheComposition)
{
    CZuInput input;
    input.SetInputString(L"ab");
    Type(input, L"ㄱㅏㄴ");
    EXPECT_EQ(std::wstring(input.GetInputString()), L"ab간");
    input.SetNCaretPos(1);
    EXPECT_EQ(std::wstring(input.GetInputString()), L"ab");
    EXPECT_EQ(input.GetInputState(), 0);
    EXPECT_EQ(input.GetBuffer(), 0);
    EXPECT_EQ(input.GetNCaretPos(), 1);

    // The same with a held Latin character.
    Type(input, L"q");
    input.SetNCaretPos(2);
    EXPECT_EQ(std::wstring(input.GetInputString()), L"ab");
}

TEST(ZuInputCaret, SetInputStringReplacesTextAndComposition)
{
    CZuInput input;
    Type(input, L"ㄱㅏ");
    input.SetInputString(L"새 글");
    EXPECT_EQ(std::wstring(input.GetString()), L"새 글");
    EXPECT_EQ(std::wstring(input.GetInputString()), L"새 글");
    EXPECT_EQ(input.GetNCaretPos(), 3);
    EXPECT_EQ(input.GetInputState(), 0);
    EXPECT_EQ(Type(input, L"ㅆㅣ").display, L"새 글씨");
}

TEST(ZuInputCopy, CopyKeepsTheWholeStateForUndo)
{
    CZuInput input;
    input.SetInputString(L"abc");
    input.SetNCaretPos(1);
    Type(input, L"ㄷㅏㄹㄱ");
    const CZuInput saved(input);

    Type(input, L"ㅣㅁ\b\b\bz");
    EXPECT_NE(std::wstring(input.GetInputString()), L"a닭bc");

    input = saved;
    EXPECT_EQ(std::wstring(input.GetInputString()), L"a닭bc");
    EXPECT_EQ(std::wstring(input.GetString()), L"abc");
    EXPECT_EQ(input.GetNCaretPos(), 1);
    EXPECT_EQ(input.GetInputState(), 3);
    // The restored composition goes on as if never interrupted.
    EXPECT_EQ(Type(input, L"ㅣ").display, L"a달기bc");
}

TEST(ZuInputMended, CaretOutsideTheTextIsClamped)
{
    CZuInput input;
    input.SetInputString(L"abc");
    for (int pos : {-1, -7, INT_MIN}) {
        input.SetNCaretPos(pos);
        EXPECT_EQ(input.GetNCaretPos(), 0);
    }
    EXPECT_EQ(Type(input, L"ㄱㅏ.").display, L"가.abc");

    input.SetInputString(L"abc");
    for (int pos : {4, 99, INT_MAX}) {
        input.SetNCaretPos(pos);
        EXPECT_EQ(input.GetNCaretPos(), 3);
    }
    EXPECT_EQ(Type(input, L"ㄴㅏ").display, L"abc나");
    EXPECT_EQ(Type(input, L"\b\b\b").display, L"ab");
}

TEST(ZuInputMended, LongTextIsCutAndNullIsEmpty)
{
    CZuInput input;
    const std::wstring longText(2000, L'k');
    input.SetInputString(longText.c_str());
    EXPECT_EQ(std::wstring(input.GetString()), longText.substr(0, CZuInput::kMaxLength));
    EXPECT_EQ(input.GetNCaretPos(), CZuInput::kMaxLength);
    EXPECT_EQ(std::wstring(input.GetInputString()).size(), 511u);

    input.SetInputString(nullptr);
    EXPECT_EQ(std::wstring(input.GetString()), L"");
    EXPECT_EQ(input.GetNCaretPos(), 0);
}

TEST(ZuInputMended, FullTextTakesNoFurtherCharacter)
{
    const std::wstring full(CZuInput::kMaxLength, L'a');
    for (const wchar_t* keys : {L"ㄱ", L"ㅏ", L"b", L"X", L"ㅗㅏ"}) {
        CZuInput input;
        input.SetInputString(full.c_str());
        const SSeen seen = Type(input, keys);
        EXPECT_EQ(seen.display, full);
        EXPECT_EQ(seen.committed, full);
        EXPECT_EQ(seen.state, 0);
        EXPECT_EQ(seen.caret, CZuInput::kMaxLength);
    }
    // Also with the caret in the middle, and backspace still works.
    CZuInput input;
    input.SetInputString(full.c_str());
    input.SetNCaretPos(5);
    EXPECT_EQ(Type(input, L"ㄱㅏ").display, full);
    EXPECT_EQ(Type(input, L"\b").display.size(), 510u);
    EXPECT_EQ(input.GetNCaretPos(), 4);
}

TEST(ZuInputMended, LastRoomKeepsWhatWasShown)
{
    const std::wstring almost(CZuInput::kMaxLength - 1, L'-');
    struct SLast {
        const wchar_t* keys;
        wchar_t last;  // the last committed character
        int state;
    };
    const SLast cases[] = {
        {L"ㄱ", L'-', 1},            // one composition fits
        {L"ㄱㄴ", L'ㄱ', 0},         // the second consonant finds no room
        {L"ㄷㅏㄹㄱㅣ", L'닭', 0},   // the final is not stolen into a syllable with no room
        {L"ㄱㅏa", L'가', 0},
        {L"XX", L'-', 4},            // the two become one Y, which still fits
        {L"ab", L'a', 0},
    };
    for (const SLast& c : cases) {
        SCOPED_TRACE(Keys(c.keys));
        CZuInput input;
        input.SetInputString(almost.c_str());
        const SSeen seen = Type(input, c.keys);
        EXPECT_EQ(seen.state, c.state);
        EXPECT_LE(seen.display.size(), 511u);
        EXPECT_EQ(seen.committed.back(), c.last);
        EXPECT_EQ(seen.display.size(), seen.committed.size() + (seen.state != 0 ? 1u : 0u));
    }
    CZuInput input;
    input.SetInputString(almost.c_str());
    EXPECT_EQ(Type(input, L"XX").display.back(), L'Y');
}

TEST(ZuInputMended, CompoundConsonantBeforeVowelStaysALetter)
{
    const std::wstring_view compounds = L"ㄳㄵㄶㄺㄻㄼㄽㄾㄿㅀㅄ";
    for (wchar_t consonant : compounds) {
        SCOPED_TRACE(static_cast<int>(consonant));
        // Alone: the consonant is committed as typed, the vowel starts by itself.
        const wchar_t alone[] = {consonant, L'ㅏ', 0};
        SSeen seen = Type(alone);
        EXPECT_EQ(seen.display, std::wstring(alone));
        EXPECT_EQ(seen.committed, std::wstring(1, consonant));
        EXPECT_EQ(seen.state, 2);

        // As a final typed with one key: the syllable keeps it.
        CZuInput input;
        const wchar_t asFinal[] = {L'ㄱ', L'ㅏ', consonant, 0};
        Type(input, asFinal);
        const wchar_t syllable = input.GetBuffer();
        ASSERT_TRUE(IsSyllable(syllable));
        seen = Type(input, L"ㅏ");
        EXPECT_EQ(seen.committed, std::wstring(1, syllable));
        EXPECT_EQ(seen.display, std::wstring(1, syllable) + L"ㅏ");
        EXPECT_EQ(seen.state, 2);
    }
}

TEST(ZuInputMended, ZeroCodeIsNoKey)
{
    CZuInput input;
    Type(input, L"ㄱ");
    input.InputCode(0);
    EXPECT_EQ(std::wstring(input.GetInputString()), L"ㄱ");
    EXPECT_EQ(input.GetInputState(), 1);
    input.InputCode(0);
    input.InputCode(L'.');
    EXPECT_EQ(std::wstring(input.GetString()), L"ㄱ");
    EXPECT_EQ(std::wstring(input.GetInputString()), L"ㄱ.");
}
