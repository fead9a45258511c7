#include "TestSupport.h"

#include "locale/Settings.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Registry.h>

#include <gtest/gtest.h>

using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {
struct SettingsTest : ::testing::Test {
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
    ScopedEnv home{"HOME", (dir / "home").string()};
};
} // namespace

TEST_F(SettingsTest, MissingValuesGiveTheirDefaults)
{
    EXPECT_EQ(GetCapturePath(), L"");
    EXPECT_EQ(GetBackupPath(), L"");
    EXPECT_EQ(GetLastAccessFolder(), L"");
    EXPECT_EQ(GetAutoUpdate(), 0);
    EXPECT_EQ(GetVideoVolume(), 0);
    EXPECT_EQ(GetSpeedUnit(), 0);
    EXPECT_EQ(GetGraphMode(), 0);
    EXPECT_EQ(GetLanguageId(), 0u);
}

TEST_F(SettingsTest, FirstRunWritesDefaultsOnceOnly)
{
    ASSERT_TRUE(ApplyFirstRunDefaults());
    EXPECT_EQ(GetIsFirstRunning(), 1);
    EXPECT_EQ(GetAutoUpdate(), 1);
    const std::wstring expected = zent::PathToWide(dir / "home" / "Documents" / "Torvix Player 2.0 4K");
    EXPECT_EQ(GetCapturePath(), expected);
    EXPECT_EQ(GetBackupPath(), expected);

    // The second start writes nothing, so a user's later choice survives.
    SetAutoUpdate(0);
    SetCapturePath(L"/media/captures");
    EXPECT_FALSE(ApplyFirstRunDefaults());
    EXPECT_EQ(GetAutoUpdate(), 0);
    EXPECT_EQ(GetCapturePath(), L"/media/captures");
}

TEST_F(SettingsTest, WritersAndReadersMeetThroughTheStore)
{
    SetVideoVolume(73);
    SetSpeedUnit(2);
    SetGraphMode(1);
    SetLastAccessFolder(L"/media/card/DCIM");
    SetLanguageId(settings::kLangJapanese);
    EXPECT_EQ(GetVideoVolume(), 73);
    EXPECT_EQ(GetSpeedUnit(), 2);
    EXPECT_EQ(GetGraphMode(), 1);
    EXPECT_EQ(GetLastAccessFolder(), L"/media/card/DCIM");
    EXPECT_EQ(GetLanguageId(), settings::kLangJapanese);
    // The language lives under its own key, apart from the shared settings key.
    EXPECT_TRUE(zent::RegReadDword(settings::kLanguageKey, L"ID"));
    EXPECT_FALSE(zent::RegReadDword(settings::kSettingsKey, L"ID"));
}

TEST_F(SettingsTest, LastFolderLongerThanItsBufferReadsAsDefault)
{
    SetLastAccessFolder(std::wstring(200, L'f'));
    EXPECT_EQ(GetLastAccessFolder(), L"");
    SetCapturePath(std::wstring(200, L'f'));
    EXPECT_EQ(GetCapturePath(), std::wstring(200, L'f'));
}

TEST_F(SettingsTest, DefaultDataFolderIsBelowDocuments)
{
    EXPECT_EQ(GetDefaultDataFolder(), zent::PathToWide(dir / "home" / "Documents" / "Stravon Player"));
}

TEST(Version, ShortTextKeepsTheFirstThreeParts)
{
    EXPECT_EQ(ShortVersionText(L"5.6.3.0"), L"5.6.3");
    EXPECT_EQ(ShortVersionText(L"1.2.3.4"), L"1.2.3");
    EXPECT_EQ(ShortVersionText(L"1.2"), L"1.2");
    EXPECT_EQ(ShortVersionText(L"7"), L"7");
    EXPECT_EQ(GetFileVersionText(), L"2.0.4");
}
