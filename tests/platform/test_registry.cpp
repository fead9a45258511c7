#include "TestSupport.h"

#include <zent/platform/Registry.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace zent;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {
constexpr const wchar_t* kKey = L"SOFTWARE\\Quenlar\\Stravon Player";
}

TEST(Registry, KeyMapsToOneFileBelowTheConfigFolder)
{
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.Path().string());
    EXPECT_EQ(RegKeyFile(kKey), dir.Path() / "Quenlar" / "Stravon Player.conf");
    EXPECT_EQ(RegKeyFile(L"SOFTWARE\\Quenlar\\Torvix Player 2.0 4K\\Language"),
              dir.Path() / "Quenlar" / "Torvix Player 2.0 4K" / "Language.conf");
    // A key can never name a file outside the folder.
    const auto escaped = RegKeyFile(L"..\\..\\etc\\passwd");
    EXPECT_EQ(escaped.string().rfind(dir.Path().string(), 0), 0u) << escaped;
}

TEST(Registry, ValuesKeepTheirTypeAndReadersSeeTheLastWrite)
{
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.Path().string());
    EXPECT_FALSE(RegReadString(kKey, L"CapturePath"));
    EXPECT_FALSE(RegReadDword(kKey, L"AutoUpdate"));

    ASSERT_TRUE(RegWriteString(kKey, L"CapturePath", L"/home/\ud55c/Captures = [x]"));
    ASSERT_TRUE(RegWriteDword(kKey, L"AutoUpdate", 1));
    EXPECT_EQ(RegReadString(kKey, L"CapturePath"), L"/home/\ud55c/Captures = [x]");
    EXPECT_EQ(RegReadDword(kKey, L"AutoUpdate"), 1u);
    // A value of the other type reads as missing.
    EXPECT_FALSE(RegReadDword(kKey, L"CapturePath"));
    EXPECT_FALSE(RegReadString(kKey, L"AutoUpdate"));

    ASSERT_TRUE(RegWriteDword(kKey, L"AutoUpdate", 0xFFFFFFFFu));
    EXPECT_EQ(RegReadDword(kKey, L"AutoUpdate"), 0xFFFFFFFFu);
    ASSERT_TRUE(RegDeleteValue(kKey, L"AutoUpdate"));
    EXPECT_FALSE(RegReadDword(kKey, L"AutoUpdate"));
    EXPECT_TRUE(RegReadString(kKey, L"CapturePath"));
}

TEST(Registry, TextLongerThanTheBufferReadsAsMissing)
{
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.Path().string());
    // 127 characters and the terminator fill 256 bytes exactly; one more does not fit.
    ASSERT_TRUE(RegWriteString(kKey, L"LastAccessFolder", std::wstring(127, L'a')));
    EXPECT_TRUE(RegReadString(kKey, L"LastAccessFolder", 256));
    ASSERT_TRUE(RegWriteString(kKey, L"LastAccessFolder", std::wstring(128, L'a')));
    EXPECT_FALSE(RegReadString(kKey, L"LastAccessFolder", 256));
    EXPECT_TRUE(RegReadString(kKey, L"LastAccessFolder", 520));
}

TEST(Registry, DamagedFileReadsAsEmptyKeyAndIsReplacedWhole)
{
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.Path().string());
    testsupport::WriteFile(RegKeyFile(kKey), std::string("[CapturePath\x00\xff garbage", 22));
    EXPECT_FALSE(RegReadString(kKey, L"CapturePath"));
    ASSERT_TRUE(RegWriteDword(kKey, L"VideoVolume", 40));
    EXPECT_EQ(RegReadDword(kKey, L"VideoVolume"), 40u);
    // A number stored as junk is not a number.
    testsupport::WriteFile(RegKeyFile(kKey), "[VideoVolume]\ntype=dword\ndata=12abc\n");
    EXPECT_FALSE(RegReadDword(kKey, L"VideoVolume"));
}

TEST(Registry, ConcurrentWritersOfOneProcessLoseNoValue)
{
    TempDir dir;
    ScopedEnv env("XDG_CONFIG_HOME", dir.Path().string());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i) RegWriteDword(kKey, L"V" + std::to_wstring(t * 100 + i), static_cast<std::uint32_t>(i));
        });
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i) EXPECT_EQ(RegReadDword(kKey, L"V" + std::to_wstring(t * 100 + i)), static_cast<std::uint32_t>(i));
}
