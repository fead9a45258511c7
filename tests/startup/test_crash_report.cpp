// The crash report: a process that faults leaves a readable report named by the local time and
// ends by its signal, never with a success status.

#include "StartupTestSupport.h"
#include "TestSupport.h"

#include "app/CrashReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using startuptest::DescribeStatus;
using startuptest::RunChild;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

constexpr int kInstallFailed = 90;

std::string NameFor(std::int64_t unixSeconds, long utcOffset)
{
    char name[64];
    const std::size_t len = FormatCrashReportName(unixSeconds, utcOffset, name, sizeof(name));
    return std::string(name, len);
}

long LocalUtcOffset(time_t when)
{
    tm local{};
    localtime_r(&when, &local);
    return local.tm_gmtoff;
}

std::vector<fs::path> FilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) files.push_back(entry.path());
    return files;
}

// Frames as backtrace_symbols_fd writes them: "object(symbol+0x12)[0x5555...]".
int CountFrameLines(const std::string& report)
{
    const std::size_t start = report.find("backtrace:\n");
    if (start == std::string::npos) return 0;
    static const std::regex frame(R"(\[0x[0-9a-f]+\])");
    const std::string frames = report.substr(start);
    return static_cast<int>(std::distance(std::sregex_iterator(frames.begin(), frames.end(), frame), std::sregex_iterator()));
}

int StoreToUnmappedAddress()
{
    volatile std::uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;
    return 0;
}

// Not a tail call and a frame the optimiser cannot drop, so the stack really runs out.
int Recurse(int depth)
{
    if (depth < 0) return 0; // never: keeps the compiler from calling the recursion endless
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return Recurse(depth + 1) + frame[0];
}

} // namespace

TEST(CrashReport, NameIsTheLocalTimeInFixedDigits)
{
    // Against the C library's calendar, across leap days, century rules and negative offsets.
    const std::int64_t moments[] = {0, 59, 86399, 86400, 951782400, 951868799, 1709164800, 1709942704,
                                    4107542399, 4107542400, 1700000000, 253402300799};
    const long offsets[] = {0, 32400, -18000, 19800};
    for (const std::int64_t t : moments) {
        for (const long offset : offsets) {
            const time_t local = static_cast<time_t>(t + offset);
            tm parts{};
            gmtime_r(&local, &parts);
            char expected[64];
            std::snprintf(expected, sizeof(expected), "%d.%02d.%02d.%02d.%02d.%02d.dmp", parts.tm_year + 1900,
                          parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
            EXPECT_EQ(NameFor(t, offset), expected) << t << " " << offset;
        }
    }
    EXPECT_EQ(NameFor(1709942704, 32400), "2024.03.09.09.05.04.dmp");
    EXPECT_EQ(NameFor(-1, 0), "1969.12.31.23.59.59.dmp");

    char tooSmall[23]; // the name needs 23 bytes with its terminating zero
    EXPECT_EQ(FormatCrashReportName(1709942704, 0, tooSmall, sizeof(tooSmall)), 0u);
    char justRight[24];
    EXPECT_EQ(FormatCrashReportName(1709942704, 0, justRight, sizeof(justRight)), 23u);
}

TEST(CrashReport, FaultLeavesOneReadableReportAndEndsBySignal)
{
    TempDir dir;
    const time_t before = time(nullptr);
    const int status = RunChild([&] {
        if (!InstallCrashHandler(dir.Path(), "2.0.4-test")) return kInstallFailed;
        return StoreToUnmappedAddress();
    });
    const time_t after = time(nullptr);
    EXPECT_EQ(DescribeStatus(status), "signal " + std::to_string(SIGSEGV));

    const std::vector<fs::path> files = FilesIn(dir.Path());
    ASSERT_EQ(files.size(), 1u);
    const std::string name = files[0].filename().string();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{4}\.\d\d\.\d\d\.\d\d\.\d\d\.\d\d\.dmp)"))) << name;
    // Fixed-width digits order as text, so the name must lie between the two local times.
    EXPECT_LE(NameFor(before, LocalUtcOffset(before)), name);
    EXPECT_GE(NameFor(after, LocalUtcOffset(after)), name);

    const std::string report = ReadFile(files[0]);
    EXPECT_NE(report.find("version: 2.0.4-test\n"), std::string::npos) << report;
    EXPECT_NE(report.find("signal: 11 SIGSEGV\n"), std::string::npos) << report;
    EXPECT_NE(report.find("address: 0x10\n"), std::string::npos) << report;
    EXPECT_GE(CountFrameLines(report), 3) << report;
}

TEST(CrashReport, AbortAndStackOverflowAreReportedAndNoReportIsOverwritten)
{
    TempDir dir;
    // Reports for this second and the next few exist already: the new one must not replace them.
    const time_t now = time(nullptr);
    std::vector<fs::path> older;
    for (int i = 0; i < 10; ++i) {
        older.push_back(dir / NameFor(now + i, LocalUtcOffset(now + i)));
        testsupport::WriteFile(older.back(), "older report");
    }

    const int aborted = RunChild([&] {
        if (!InstallCrashHandler(dir.Path())) return kInstallFailed;
        std::abort();
    });
    EXPECT_EQ(DescribeStatus(aborted), "signal " + std::to_string(SIGABRT));
    for (const fs::path& p : older) EXPECT_EQ(ReadFile(p), "older report") << p;

    std::string abortReport;
    for (const fs::path& p : FilesIn(dir.Path()))
        if (std::find(older.begin(), older.end(), p) == older.end()) abortReport = ReadFile(p);
    EXPECT_NE(abortReport.find("signal: 6 SIGABRT\n"), std::string::npos) << abortReport;
    EXPECT_NE(abortReport.find("address: unknown\n"), std::string::npos) << abortReport;
    EXPECT_EQ(abortReport.find("version:"), std::string::npos) << "no version was given";
    EXPECT_GE(CountFrameLines(abortReport), 3) << abortReport;

    // The handler runs on a stack of its own, so even a stack overflow gets its report.
    TempDir overflowDir;
    const int overflowed = RunChild([&] {
        if (!InstallCrashHandler(overflowDir.Path())) return kInstallFailed;
        return Recurse(0);
    });
    EXPECT_EQ(DescribeStatus(overflowed), "signal " + std::to_string(SIGSEGV));
    const std::vector<fs::path> files = FilesIn(overflowDir.Path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(ReadFile(files[0]).find("signal: 11 SIGSEGV\n"), std::string::npos);
}

TEST(CrashReport, DefaultFolderIsTheStateFolderAndWithoutAFolderTheProcessStillFails)
{
    TempDir dir;
    {
        ScopedEnv state("XDG_STATE_HOME", (dir / "state").string());
        EXPECT_EQ(GetCrashReportFolder(), dir / "state" / "torvix-player");
        const int status = RunChild([&] {
            if (!InstallCrashHandler()) return kInstallFailed;
            raise(SIGBUS);
            return 0;
        });
        EXPECT_EQ(DescribeStatus(status), "signal " + std::to_string(SIGBUS));
        const std::vector<fs::path> files = FilesIn(dir / "state" / "torvix-player");
        ASSERT_EQ(files.size(), 1u);
        const std::string report = ReadFile(files[0]);
        EXPECT_NE(report.find("signal: 7 SIGBUS\n"), std::string::npos) << report;
        EXPECT_NE(report.find("sent by: process "), std::string::npos) << report;
    }
    const int status = RunChild([&] {
        if (InstallCrashHandler("/proc/torvix-no-such-folder")) return kInstallFailed;
        raise(SIGFPE);
        return 0;
    });
    EXPECT_EQ(DescribeStatus(status), "signal " + std::to_string(SIGFPE));
}
