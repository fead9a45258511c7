#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <gtest/gtest.h>

using namespace zent;

TEST(Text, Utf8RoundTripKeepsEveryPlane)
{
    const std::wstring wide = L"A\u00e9\ud55c\U0001F697/\u78ba\u8a8d";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
    EXPECT_EQ(WideToUtf8(L"\ud655\uc778\uc548\ub428"), "\xED\x99\x95\xEC\x9D\xB8\xEC\x95\x88\xEB\x90\xA8");
}

TEST(Text, IllFormedUtf8BecomesReplacementAndNeverStalls)
{
    // Truncated sequence, overlong encoding, encoded surrogate, stray continuation byte.
    EXPECT_EQ(Utf8ToWide("a\xE2\x82"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80z"), L"\uFFFD\uFFFD\uFFFDz");
    EXPECT_EQ(Utf8ToWide("\x80"), L"\uFFFD");
}

TEST(Text, Utf16SurrogatePairsJoinAndSplit)
{
    const std::wstring car = L"\U0001F697";
    const std::u16string units = WideToUtf16(car);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0], 0xD83D);
    EXPECT_EQ(units[1], 0xDE97);
    EXPECT_EQ(Utf16ToWide(units), car);
    // A lone surrogate in UTF-16 input is not a character.
    EXPECT_EQ(Utf16ToWide(std::u16string(1, char16_t(0xD800))), L"\uFFFD");
}

TEST(Text, CompareOrdersAsUtf16CodeUnits)
{
    // U+1F697 is D83D DE97 in UTF-16 and so sorts below U+FF21, unlike its code point.
    EXPECT_LT(CompareUtf16(L"\U0001F697", L"\uFF21"), 0);
    EXPECT_GT(CompareUtf16(L"\uFF21", L"\U0001F697"), 0);
    EXPECT_LT(CompareUtf16(L"abc", L"abd"), 0);
    EXPECT_LT(CompareUtf16(L"ab", L"abc"), 0);
    EXPECT_EQ(CompareUtf16(L"same", L"same"), 0);
    // Upper case sorts before lower case: ordinal, not linguistic.
    EXPECT_LT(CompareUtf16(L"Z", L"a"), 0);
}

TEST(Text, AsciiUpperAndTrim)
{
    EXPECT_EQ(AsciiUpper(L"clip.mp4\u00e9"), L"CLIP.MP4\u00e9");
    EXPECT_EQ(TrimWhite(L" \tQZ4K \r\n"), L"QZ4K");
    EXPECT_EQ(TrimWhite(L"   "), L"");
}

TEST(Paths, BareFileNameTakesTextAfterEitherSeparator)
{
    EXPECT_EQ(BareFileName(L"/card/F/a.MP4"), L"a.MP4");
    EXPECT_EQ(BareFileName(L"C:\\card\\b.MP4"), L"b.MP4");
    EXPECT_EQ(BareFileName(L"c.MP4"), L"c.MP4");
    EXPECT_EQ(BareFileName(L"/card/"), L"");
}
