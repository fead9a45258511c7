// The language table generator: what it writes, and every kind of bad source it refuses.

#include "TestSupport.h"
#include "locale/MklangRunner.h"

#include "locale/LangRes.h"

#include <gtest/gtest.h>

using langtest::RunMklang;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const std::string kHeader = "group\titem\tko\ten\tja\tnote\n";

struct MklangTest : ::testing::Test {
    TempDir dir;
    std::filesystem::path in = dir / "strings.tsv";
    std::filesystem::path out = dir / "TorvixLangRes.dat";

    // Runs the generator on body (after the header) and expects it to refuse with a message
    // that names the line and holds reason.
    void ExpectRefused(const std::string& body, const std::string& reason, const std::string& line)
    {
        WriteFile(out, "old output");
        WriteFile(in, kHeader + body);
        const langtest::RunResult r = RunMklang(in, out);
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(r.output.find(reason), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("strings.tsv:" + line + ":"), std::string::npos) << r.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << "a refused table must leave no file behind";
    }
};

std::string Utf16Le(const std::u16string& text)
{
    std::string bytes;
    for (char16_t u : text) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

} // namespace

TEST_F(MklangTest, WritesUtf16WithMarkTabsAndCrLf)
{
    WriteFile(in, "\xEF\xBB\xBF" + kHeader +
                      "# a section\n"
                      "\n"
                      "0\t4\t저장\tSave\t保存\tnote is dropped\r\n"
                      "19\t2\t모델:\\n둘째 줄\tModel:\tモデル:\n"
                      "19\t3\t\xF0\x9F\x9A\x97\tcar\t車\t\n");
    const langtest::RunResult r = RunMklang(in, out);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::string expected =
        "\xFF\xFE" +
        Utf16Le(u"# TorvixLangRes.dat: group, item, Korean, English, Japanese (generated from strings.tsv)\r\n"
                u"0\t4\t저장\tSave\t保存\r\n"
                u"19\t2\t모델:\\n둘째 줄\tModel:\tモデル:\r\n"
                u"19\t3\t\xD83D\xDE97\tcar\t車\r\n");
    EXPECT_EQ(ReadFile(out), expected);

    // The reader takes what the generator writes.
    ASSERT_TRUE(LoadLanguageFileFrom(out, kLangIndexKorean));
    EXPECT_EQ(GetLangString(19, 2), L"모델:\n둘째 줄");
    EXPECT_EQ(GetLangString(19, 3), L"\U0001F697");
    ASSERT_TRUE(LoadLanguageFileFrom(out, kLangIndexJapanese));
    EXPECT_EQ(GetLangString(0, 4), L"保存");
    EXPECT_EQ(GetLangStringCount(), 3u);
    LoadLanguageText(L"", kLangIndexEnglish);
}

TEST_F(MklangTest, SameSourceSameBytes)
{
    WriteFile(in, kHeader + "1\t1\t하나\tone\t一\t\n1\t2\t둘\ttwo\t二\t\n");
    ASSERT_EQ(RunMklang(in, out).exitCode, 0);
    const std::string first = ReadFile(out);
    ASSERT_EQ(RunMklang(in, dir / "again.dat").exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "again.dat"), first);
}

TEST_F(MklangTest, RefusesWrongFieldCounts)
{
    ExpectRefused("1\t1\tko\ten\n", "wrong field count 4", "2");
    // A tab inside a text shows as one field too many.
    ExpectRefused("1\t1\tko\ten\tja\tnote\textra\n", "wrong field count 7", "2");
    ExpectRefused("1\t1\tko\ten\tja\t\n1\t2\tko\tt\tab\tja\tnote\n", "tab inside a text", "3");
}

TEST_F(MklangTest, RefusesBadNumbers)
{
    ExpectRefused("x\t1\tko\ten\tja\t\n", "group \"x\" is not a decimal number", "2");
    ExpectRefused("1\t-1\tko\ten\tja\t\n", "item \"-1\" is not a decimal number", "2");
    ExpectRefused("1\t65536\tko\ten\tja\t\n", "item \"65536\"", "2");
    ExpectRefused("0x10\t1\tko\ten\tja\t\n", "group \"0x10\"", "2");
    ExpectRefused("\t1\tko\ten\tja\t\n", "group \"\"", "2");
}

TEST_F(MklangTest, RefusesEmptyTexts)
{
    ExpectRefused("1\t1\t\ten\tja\t\n", "empty ko text", "2");
    ExpectRefused("1\t1\tko\t\tja\t\n", "empty en text", "2");
    ExpectRefused("1\t1\tko\ten\t \t\n", "empty ja text", "2"); // a blank is the missing-text mark
}

TEST_F(MklangTest, RefusesDuplicatesAndDisorder)
{
    ExpectRefused("1\t1\ta\tb\tc\t\n2\t1\ta\tb\tc\t\n1\t1\td\te\tf\t\n", "duplicate key 1/1 (first on line 2)", "4");
    // Leading zeros do not make a different key.
    ExpectRefused("1\t1\ta\tb\tc\t\n01\t001\td\te\tf\t\n", "duplicate key 1/1", "3");
    ExpectRefused("2\t1\ta\tb\tc\t\n1\t9\td\te\tf\t\n", "key 1/9 is out of order", "3");
}

TEST_F(MklangTest, RefusesInvalidUtf8AndSeparatorsInTexts)
{
    ExpectRefused("1\t1\t\xC3\x28\ten\tja\t\n", "invalid UTF-8", "2");     // broken sequence
    ExpectRefused("1\t1\t\xC0\xAF\ten\tja\t\n", "invalid UTF-8", "2");     // overlong "/"
    ExpectRefused("1\t1\t\xED\xA0\x80\ten\tja\t\n", "invalid UTF-8", "2"); // a surrogate
    ExpectRefused("1\t1\tko\t\xE4\xB8\ten\tja\n", "invalid UTF-8", "2");   // cut short
    ExpectRefused("1\t1\tko\ta`b\tja\t\n", "en text holds a backquote", "2");
    ExpectRefused("1\t1\tko\ten\tja\rja\t\n", "ja text holds a carriage return", "2");
}

TEST_F(MklangTest, RefusesAMissingHeaderAndReportsEveryFault)
{
    WriteFile(in, "1\t1\tko\ten\tja\t\n");
    langtest::RunResult r = RunMklang(in, out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("strings.tsv:1: the first line must be the header"), std::string::npos) << r.output;

    WriteFile(in, kHeader + "1\t1\t\ten\tja\t\n1\t2\tko\ten\n");
    r = RunMklang(in, out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find(":2: empty ko text"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(":3: wrong field count"), std::string::npos) << r.output;

    WriteFile(in, "");
    EXPECT_EQ(RunMklang(in, out).exitCode, 1);
    WriteFile(in, kHeader);
    EXPECT_EQ(RunMklang(in, out).exitCode, 1) << "a table without texts is a mistake";
}

TEST_F(MklangTest, UsageAndUnreadableInput)
{
    EXPECT_EQ(RunMklang(std::string()).exitCode, 2);
    const langtest::RunResult r = RunMklang(dir / "absent.tsv", out);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("absent.tsv: cannot read"), std::string::npos) << r.output;

    WriteFile(in, kHeader + "1\t1\tko\ten\tja\t\n");
    EXPECT_EQ(RunMklang(in, dir / "no-such-folder" / "out.dat").exitCode, 1);
}
