// The language table's reader: file decoding, line rules, language columns and lookups.

#include "TestSupport.h"

#include "locale/LangRes.h"
#include "locale/Settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// UTF-16LE with a byte-order mark, as the delivered file is written.
std::string Utf16LeFile(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

struct LangResTest : ::testing::Test {
    TempDir dir;
    std::filesystem::path file = dir / "TorvixLangRes.dat";

    void TearDown() override { LoadLanguageText(L"", kLangIndexEnglish); }
};

} // namespace

TEST(LanguageIndex, IdentifiersMapToIndicesAndEverythingElseIsEnglish)
{
    EXPECT_EQ(LanguageIndexFromId(1042), 0);
    EXPECT_EQ(LanguageIndexFromId(1033), 1);
    EXPECT_EQ(LanguageIndexFromId(1041), 2);
    EXPECT_EQ(LanguageIndexFromId(1043), 3);
    EXPECT_EQ(LanguageIndexFromId(0), 1);      // missing value
    EXPECT_EQ(LanguageIndexFromId(1031), 1);   // German: not an interface language
    EXPECT_EQ(LanguageIndexFromId(0x10412), 1);

    for (int index = 0; index < 4; ++index) EXPECT_EQ(LanguageIndexFromId(LanguageIdFromIndex(index)), index);
    EXPECT_EQ(LanguageIdFromIndex(7), 1033u);

    EXPECT_EQ(LanguageTextField(0), 2);
    EXPECT_EQ(LanguageTextField(1), 3);
    EXPECT_EQ(LanguageTextField(2), 4);
    EXPECT_EQ(LanguageTextField(3), 2);
    EXPECT_EQ(LanguageTextField(-1), 3);
}

TEST(LanguageIndex, ReadsTheLanguageSetting)
{
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    EXPECT_EQ(GetLanguageIndex(), 1); // no key at all
    SetLanguageId(settings::kLangJapanese);
    EXPECT_EQ(GetLanguageIndex(), 2);
    SetLanguageId(settings::kLangDutch);
    EXPECT_EQ(GetLanguageIndex(), 3);
    SetLanguageId(2057); // English (United Kingdom) is not one of the four
    EXPECT_EQ(GetLanguageIndex(), 1);
}

TEST(LanguageChange, NoticeIsTheNewIndexPlusOne)
{
    EXPECT_EQ(lang::LanguageChangeNotice(0), lang::kMsgLanguageKorean);
    EXPECT_EQ(lang::LanguageChangeNotice(1), lang::kMsgLanguageEnglish);
    EXPECT_EQ(lang::LanguageChangeNotice(2), lang::kMsgLanguageJapanese);
    EXPECT_EQ(lang::LanguageChangeNotice(3), lang::kMsgLanguageKorean);
    EXPECT_EQ(lang::LanguageChangeNotice(9), lang::kMsgLanguageEnglish);
    EXPECT_EQ(lang::HelpTextForControl(1095), lang::kHelpTitle);
    EXPECT_EQ(lang::HelpTextForControl(1112), lang::kHelpFontDesc);
}

TEST_F(LangResTest, EachIndexReadsItsColumnAndDutchReadsKorean)
{
    WriteFile(file, Utf16LeFile(u"5\t12\t한국어\tEnglish\t日本語\r\n"));
    const std::pair<int, std::wstring> expected[] = {
        {0, L"한국어"}, {1, L"English"}, {2, L"日本語"}, {3, L"한국어"}};
    for (const auto& [index, text] : expected) {
        ASSERT_TRUE(LoadLanguageFileFrom(file, index));
        EXPECT_EQ(GetLangString(5, 12), text) << "index " << index;
    }
}

TEST_F(LangResTest, LineRules)
{
    WriteFile(file, Utf16LeFile(u"# 1\t1\tcomment\tcomment\tcomment\n"
                                u"1\t2\tko\\nline\ten\\nline\tja\\nline\n"
                                u"1\t3\n"                                 // two fields: ignored
                                u"\n"
                                u"1\t4\tko`en`ja\n"                       // a backquote separates too
                                u"1\t5\told ko\told en\told ja\n"
                                u"1\t5\tnew ko\tnew en\tnew ja\n"         // a later line replaces
                                u"x\ty\tzero ko\tzero en\tzero ja\n"      // not numbers: key 0/0
                                u"65537\t-1\twrap ko\twrap en\twrap ja\n" // low 16 bits: 1/65535
                                u" 7abc\t+8\tlead ko\tlead en\tlead ja\n" // leading digits count
                                u"  # 2\t2\tnot a comment\tnot a comment\tnot a comment"));
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexEnglish));
    EXPECT_EQ(GetLangString(1, 1), L" ");
    EXPECT_EQ(GetLangString(1, 2), L"en\nline");
    EXPECT_EQ(GetLangString(1, 3), L" ");
    EXPECT_EQ(GetLangString(1, 4), L"en");
    EXPECT_EQ(GetLangString(1, 5), L"new en");
    EXPECT_EQ(GetLangString(0, 0), L"zero en");
    EXPECT_EQ(GetLangString(1, 65535), L"wrap en");
    EXPECT_EQ(GetLangString(7, 8), L"lead en");
    EXPECT_EQ(GetLangString(0, 2), L"not a comment"); // "  # 2" does not begin with "#"
    EXPECT_EQ(GetLangStringCount(), 7u);
}

TEST_F(LangResTest, MissingTextsAreASingleBlank)
{
    WriteFile(file, Utf16LeFile(u"1\t1\tko\ten\tja\n"));
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexKorean));
    EXPECT_EQ(GetLangString(1, 2), L" ");
    EXPECT_EQ(GetLangString(lang::kPlayerNoFile), L" ");
    EXPECT_FALSE(HasLangString(lang::kPlayerNoFile));
    EXPECT_TRUE(HasLangString(lang::LangId{1, 1}));
    // The key takes the low 16 bits of the arguments too.
    EXPECT_EQ(GetLangString(1 + 65536, 1), L"ko");
}

TEST_F(LangResTest, AMissingFileEmptiesTheTable)
{
    WriteFile(file, Utf16LeFile(u"1\t1\tko\ten\tja\n"));
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexEnglish));
    ASSERT_EQ(GetLangStringCount(), 1u);
    EXPECT_FALSE(LoadLanguageFileFrom(dir / "absent.dat", kLangIndexEnglish));
    EXPECT_EQ(GetLangStringCount(), 0u);
    EXPECT_EQ(GetLangString(1, 1), L" ");
    // A folder in the file's place is no file either.
    EXPECT_FALSE(LoadLanguageFileFrom(dir.Path(), kLangIndexEnglish));
}

TEST_F(LangResTest, ShortLinesFallBackToTheLastTextTheyHave)
{
    WriteFile(file, Utf16LeFile(u"1\t1\tko only\n"
                                u"1\t2\tko\ten\n"));
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexJapanese));
    EXPECT_EQ(GetLangString(1, 1), L"ko only");
    EXPECT_EQ(GetLangString(1, 2), L"en");
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexEnglish));
    EXPECT_EQ(GetLangString(1, 1), L"ko only");
    EXPECT_EQ(GetLangString(1, 2), L"en");
}

TEST_F(LangResTest, EncodingFollowsTheByteOrderMark)
{
    // Big-endian UTF-16 with a character outside the basic plane (a surrogate pair).
    std::string be = "\xFE\xFF";
    for (char16_t u : std::u16string(u"2\t1\t가\tA\xD83D\xDE97\tあ\n")) {
        be.push_back(static_cast<char>(u >> 8));
        be.push_back(static_cast<char>(u & 0xFF));
    }
    WriteFile(file, be);
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexEnglish));
    EXPECT_EQ(GetLangString(2, 1), L"A\U0001F697");

    WriteFile(file, "\xEF\xBB\xBF" "2\t1\t가\tutf-8\tあ\r\n");
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexKorean));
    EXPECT_EQ(GetLangString(2, 1), L"가");

    // Without a mark the file reads as UTF-8; a bad byte becomes U+FFFD, not a lost line.
    WriteFile(file, "2\t1\tbad \xFF byte\ten\tja\n");
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexKorean));
    EXPECT_EQ(GetLangString(2, 1), L"bad \uFFFD byte");

    // An odd trailing byte of a UTF-16 file is dropped.
    std::string odd = Utf16LeFile(u"2\t1\tko\ten\tja");
    odd.push_back('\x41');
    WriteFile(file, odd);
    ASSERT_TRUE(LoadLanguageFileFrom(file, kLangIndexJapanese));
    EXPECT_EQ(GetLangString(2, 1), L"ja");
}

TEST_F(LangResTest, FindsTheDeliveredFileThroughTheDataSearch)
{
    WriteFile(dir / "data" / "TorvixLangRes.dat", Utf16LeFile(u"3\t3\t셋\tthree\t三\n"));
    ScopedEnv dataDir{"TORVIX_DATA_DIR", (dir / "data").string()};
    // The search looks beside the test program first, where the build puts the delivered table;
    // only without a file there does it reach TORVIX_DATA_DIR.
    ASSERT_TRUE(LoadLanguageFile(kLangIndexEnglish));
    if (std::filesystem::exists(std::filesystem::path(TORVIX_BIN_DIR) / "data" / "TorvixLangRes.dat"))
        EXPECT_EQ(GetLangString(lang::kMsgPlayFirst), L"Play a recording first.");
    else
        EXPECT_EQ(GetLangString(3, 3), L"three");
}

TEST_F(LangResTest, FormatReplacesOnlyThePlaceholder)
{
    LoadLanguageText(L"16\t2\t새 버전(%s)\tVersion %s is available.\t%s\n"
                     L"9\t9\tno placeholder\t100% sure\tx\n",
                     kLangIndexEnglish);
    EXPECT_EQ(FormatLangString(lang::kUpdateNewVersion, L"5.6.3"), L"Version 5.6.3 is available.");
    // An argument holding printf directives is inserted as it stands.
    EXPECT_EQ(FormatLangString(lang::kUpdateNewVersion, L"%s%n"), L"Version %s%n is available.");
    EXPECT_EQ(FormatLangString(lang::LangId{9, 9}, L"ignored"), L"100% sure");
    EXPECT_EQ(FormatLangString(lang::LangId{9, 10}, L"x"), L" ");
}

TEST_F(LangResTest, LookupsWhileReloadingSeeWholeTables)
{
    const std::wstring a = L"1\t1\tA\tA\tA\n1\t2\tA\tA\tA\n";
    const std::wstring b = L"1\t1\tB\tB\tB\n1\t2\tB\tB\tB\n";
    LoadLanguageText(a, kLangIndexEnglish);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop) {
                const std::wstring first = GetLangString(1, 1);
                if (first != L"A" && first != L"B") ++torn;
            }
        });
    }
    for (int i = 0; i < 2000; ++i) LoadLanguageText(i % 2 ? a : b, kLangIndexEnglish);
    stop = true;
    for (auto& r : readers) r.join();
    EXPECT_EQ(torn, 0);
}
