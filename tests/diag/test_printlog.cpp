#include "TestSupport.h"

#include "diag/PrintLog.h"
#include "diag/Trace.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

std::wstring DecodeUtf16Le(const std::string& bytes)
{
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return zent::Utf16ToWide(units);
}

// The log object is a process-wide single one; each test points it at its own folder.
struct PrintLogTest : ::testing::Test {
    TempDir dir;
    CPrintLog* log = CPrintLog::GetInstance();
    void SetUp() override { log->SetLogFolder(zent::PathToWide(dir.Path())); }
    void TearDown() override { log->SetLogFolder(L""); }
};

} // namespace

TEST_F(PrintLogTest, WithoutFolderNothingIsWritten)
{
    log->SetLogFolder(L"");
    log->WriteLog(L"### %s", "CTorvixPlayerMainDlg::FilePlay");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(PrintLogTest, EntryIsUtf16WithTimeStampAndLineEndWithoutBom)
{
    const diag::LocalTime t{2024, 3, 9, 7, 5, 4, 32};
    log->WriteLogAt(t, L"### CFFMpegPlayerEx::Open \ud55c");
    const std::string bytes = ReadFile(dir / "log_20240309.txt");
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.substr(0, 2), std::string("\xFF\xFE"));
    EXPECT_EQ(DecodeUtf16Le(bytes), L"2024-03-09 07:05:04.032 : ### CFFMpegPlayerEx::Open \ud55c\r\n");
}

TEST_F(PrintLogTest, WritesAroundMidnightGoToTheirOwnDays)
{
    log->WriteLogAt({2023, 12, 31, 23, 59, 59, 999}, L"before");
    log->WriteLogAt({2024, 1, 1, 0, 0, 0, 0}, L"after");
    log->WriteLogAt({2024, 1, 1, 0, 0, 1, 0}, L"again");
    EXPECT_EQ(DecodeUtf16Le(ReadFile(dir / "log_20231231.txt")), L"2023-12-31 23:59:59.999 : before\r\n");
    EXPECT_EQ(DecodeUtf16Le(ReadFile(dir / "log_20240101.txt")),
              L"2024-01-01 00:00:00.000 : after\r\n2024-01-01 00:00:01.000 : again\r\n");
}

TEST_F(PrintLogTest, PercentInTheFormattedTextStaysAndLongMessagesAreCut)
{
    log->WriteLog(L"%ls", L"100% done %d");
    const auto files = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    ASSERT_EQ(files, 1);
    const auto file = std::filesystem::directory_iterator(dir.Path())->path();
    const std::wstring text = DecodeUtf16Le(ReadFile(file));
    EXPECT_NE(text.find(L" : 100% done %d\r\n"), std::wstring::npos);

    std::filesystem::remove(file);
    log->WriteLogAt({2024, 1, 2, 0, 0, 0, 0}, std::wstring(5000, L'x'));
    const std::wstring cut = DecodeUtf16Le(ReadFile(dir / "log_20240102.txt"));
    EXPECT_EQ(cut, L"2024-01-02 00:00:00.000 : " + std::wstring(CPrintLog::kMaxMessage, L'x') + L"\r\n");
}

TEST_F(PrintLogTest, UnwritableFolderIsSilent)
{
    log->SetLogFolder(L"/proc/torvix-no-such-folder");
    log->WriteLogAt({2024, 1, 2, 0, 0, 0, 0}, L"lost quietly");
    SUCCEED() << "no crash and no exception";
    EXPECT_FALSE(std::filesystem::exists("/proc/torvix-no-such-folder/log_20240102.txt"));
}

TEST(Trace, LineCarriesTimeAndIsCutAt4095Characters)
{
    EXPECT_EQ(diag::MakeTraceLine({2024, 1, 1, 9, 8, 7, 6}, "### CFFMpegPlayerEx::Open"),
              "09:08:07:006 - ### CFFMpegPlayerEx::Open\n");
    const std::string line = diag::MakeTraceLine({2024, 1, 1, 0, 0, 0, 0}, std::string(5000, 'y'));
    EXPECT_EQ(line.size(), std::string("00:00:00:000 - ").size() + 4095 + 1);
}

TEST(Trace, WideFormattingHasNoLengthLimit)
{
    const std::wstring big(3000, L'z');
    EXPECT_EQ(diag::FormatWide(L"[%ls]", big.c_str()), L"[" + big + L"]");
    EXPECT_EQ(diag::FormatWide(L"%s=%d", "nWidth", 3840), L"nWidth=3840");
}
