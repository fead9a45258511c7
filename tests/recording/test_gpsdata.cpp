#include "TestSupport.h"

#include "recording/ISimpleParser.h"
#include "recording/TorvixGpsData.h"

#include <gtest/gtest.h>

#include <cmath>

using testsupport::TempDir;

TEST(TrackHolder, FactoryMakesTheFiveKindsInOrderAndNothingElse)
{
    for (int kind = 0; kind < kParserKindCount; ++kind) {
        auto p = CreateParser(kind, 0);
        ASSERT_TRUE(p) << kind;
        EXPECT_EQ(p->m_nGpsCount, 0);
        EXPECT_EQ(p->m_nSensorCount, 0);
        EXPECT_EQ(p->m_nSensorByteLength, 0);
        EXPECT_STRNE(ParserKindName(kind), "");
    }
    EXPECT_FALSE(CreateParser(5, 0));
    EXPECT_FALSE(CreateParser(-1, 0));
    EXPECT_STREQ(ParserKindName(5), "");
    EXPECT_EQ(CreateParser(kParserNovatek, 1)->m_nFirstRecordOnly, 1);
}

TEST(TrackHolder, SampleIndexSpreadsTheTrackOverTheRecording)
{
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(60, 0, 60), 0);
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(60, 30, 60), 30);
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(120, 31, 60), 62);
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(3, 1, 2), 1);   // 1.5 truncated
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(3, 10, 10), 3); // the very end: one past the last sample
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(3, 5, 0), -1);  // no duration, no sample
    EXPECT_EQ(CTorvixGpsData::GetSampleIndex(0, 5, 10), 0);
}

TEST(TrackHolder, UnrecognisedFileSelectsNothingAndLeavesOutputsAlone)
{
    TempDir dir;
    testsupport::WriteFile(dir / "notes.MP4", "this is not a recording at all");
    for (const auto& path : {dir / "notes.MP4", dir / "missing.MP4"}) {
        CTorvixGpsData data;
        EXPECT_EQ(data.Load(path.wstring()), -1);
        EXPECT_EQ(data.GetSelected(), -1);
        GpsFix fix = GpsFix::Zero();
        fix.latitude = 12.5;
        EXPECT_EQ(data.GetGpsData(0, fix), 0);
        EXPECT_EQ(fix.latitude, 12.5);
        float x = 7, y = 8, z = 9;
        EXPECT_EQ(data.GetSensorData(0, x, y, z), 0);
        EXPECT_EQ(x, 7);
        EXPECT_FALSE(data.IsValidGps());
        int count = 5;
        EXPECT_EQ(data.GetGpsArray(count), nullptr);
        EXPECT_EQ(count, 0);
        EXPECT_FALSE(data.GetFirstValidGps(fix));
        EXPECT_EQ(data.GetSensorCount(), 0);
    }
}

TEST(TrackHolder, FirstFixOfAFileWithoutTrackIsTheZeroFix)
{
    TempDir dir;
    testsupport::WriteFile(dir / "a.MP4", "no track here");
    const GpsFix fix = CTorvixGpsData::GetFirstGpsOfFile((dir / "a.MP4").wstring());
    EXPECT_EQ(fix.latitude, 0.0);
    EXPECT_EQ(fix.longitude, 0.0);
    EXPECT_EQ(fix.status[0], '\0');
}
