// Every recording of the card, loaded through the track holder the player uses, is claimed by
// the parser of its layout and gives back the track that was written: exactly for the "gps "
// and AVI data layouts, within single-precision rounding where the parser converts that way.

#include "SampleCardFixture.h"

#include "recording/TorvixGpsData.h"

#include <zent/platform/Paths.h>

#include <cmath>
#include <cstring>
#include <map>

namespace {

using samplecard::ExpectedTrack;
using samplecard::PlannedRecording;
using samplecard::TrackLayout;
using namespace samplecard_test;

void ExpectSameNumber(double actual, double expected, double tolerance, const char* what, int step)
{
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << what << " of step " << step << " is " << actual << ", expected none";
    } else if (tolerance == 0.0) {
        EXPECT_EQ(actual, expected) << what << " of step " << step;
    } else {
        EXPECT_NEAR(actual, expected, tolerance) << what << " of step " << step;
    }
}

void ExpectTrack(CTorvixGpsData& data, const ExpectedTrack& expected)
{
    int count = -1;
    const GpsFix* records = data.GetGpsArray(count);
    ASSERT_EQ(count, static_cast<int>(expected.vecFixes.size()));
    ASSERT_NE(records, nullptr);
    for (int i = 0; i < count; ++i) {
        const GpsFix& want = expected.vecFixes[static_cast<std::size_t>(i)];
        const GpsFix& got = records[i];
        EXPECT_EQ(got.status[0], want.status[0]) << "status of step " << i;
        EXPECT_EQ(got.IsParsed(), want.IsParsed()) << "parsed marker of step " << i;
        EXPECT_STREQ(got.utcTime, want.utcTime) << "step " << i;
        EXPECT_STREQ(got.latHemisphere, want.latHemisphere) << "step " << i;
        EXPECT_STREQ(got.lonHemisphere, want.lonHemisphere) << "step " << i;

        GpsFix numbers = GpsFix::Zero();
        ASSERT_EQ(data.GetGpsData(i, numbers), 1) << "step " << i;
        const double tol = expected.positionTolerance;
        ExpectSameNumber(numbers.latitude, want.latitude, tol, "latitude", i);
        ExpectSameNumber(numbers.longitude, want.longitude, tol, "longitude", i);
        ExpectSameNumber(numbers.speedKmh, want.speedKmh, 0.0, "speed", i);
        ExpectSameNumber(numbers.course, want.course, 0.0, "course", i);

        const SensorSample& s = expected.vecSensors[static_cast<std::size_t>(i)];
        float x = -1, y = -1, z = -1;
        ASSERT_EQ(data.GetSensorData(i, x, y, z), 1) << "sensor of step " << i;
        EXPECT_EQ(x, s.x) << "sensor x of step " << i;
        EXPECT_EQ(y, s.y) << "sensor y of step " << i;
        EXPECT_EQ(z, s.z) << "sensor z of step " << i;
    }
    GpsFix beyond = GpsFix::Zero();
    EXPECT_EQ(data.GetGpsData(count, beyond), 0);
}

TEST(SampleCardTracks, EveryRecordingIsClaimedByItsLayoutsParserAndReadsBackAsWritten)
{
    std::map<TrackLayout, int> layouts;
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) {
        SCOPED_TRACE(r.strRelativePath + " (" + samplecard::TrackLayoutName(r.layout) + ")");
        CTorvixGpsData data;
        const int selected = data.Load(zent::PathToWide(GetCardPath(r)));
        ++layouts[r.layout];
        if (r.layout == TrackLayout::None) {
            EXPECT_EQ(selected, -1);
            int count = -1;
            EXPECT_EQ(data.GetGpsArray(count), nullptr);
            EXPECT_EQ(count, 0);
            continue;
        }
        ASSERT_EQ(selected, r.expected.parserKind) << ParserKindName(selected);
        ASSERT_EQ(r.expected.vecFixes.size(), static_cast<std::size_t>(r.durationSeconds));
        ExpectTrack(data, r.expected);
    }
    for (const TrackLayout l : {TrackLayout::None, TrackLayout::GpsIndex, TrackLayout::NullMedia, TrackLayout::AviText,
                                TrackLayout::AviData, TrackLayout::OlderBoxes})
        EXPECT_GE(layouts[l], 1) << samplecard::TrackLayoutName(l);
}

TEST(SampleCardTracks, FirstFixOfTheListMatchesTheFirstWrittenStep)
{
    CTorvixGpsData::ClearFirstGpsCache();
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) {
        SCOPED_TRACE(r.strRelativePath);
        const GpsFix first = CTorvixGpsData::GetFirstGpsOfFile(zent::PathToWide(GetCardPath(r)));
        if (r.layout == TrackLayout::None) {
            EXPECT_EQ(first.latitude, 0.0);
            EXPECT_EQ(first.longitude, 0.0);
            continue;
        }
        const GpsFix& want = r.expected.vecFixes.front();
        ExpectSameNumber(first.latitude, want.latitude, r.expected.positionTolerance, "first latitude", 0);
        ExpectSameNumber(first.longitude, want.longitude, r.expected.positionTolerance, "first longitude", 0);
    }
}

TEST(SampleCardTracks, TrackHoldsFixlessSecondsStopsAndTheEventSpikeWhereTheyArePlanned)
{
    int noFix = 0, stops = 0, spikes = 0;
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) {
        if (r.layout == TrackLayout::None) continue;
        SCOPED_TRACE(r.strRelativePath);
        CTorvixGpsData data;
        ASSERT_GE(data.Load(zent::PathToWide(GetCardPath(r))), 0);
        for (int i = 0; i < static_cast<int>(r.vecSteps.size()); ++i) {
            const samplecard::RouteStep& step = r.vecSteps[static_cast<std::size_t>(i)];
            GpsFix fix = GpsFix::Zero();
            ASSERT_EQ(data.GetGpsData(i, fix), 1);
            if (!step.bFix) {
                ++noFix;
                // Nowhere: no position at all (NaN) or the data layout's zero.
                EXPECT_TRUE(std::isnan(fix.latitude) || fix.latitude == 0.0) << "step " << i;
            }
            if (step.bFix && step.courseDeci < 0 && r.layout != TrackLayout::AviData) {
                ++stops;
                EXPECT_TRUE(std::isnan(fix.course)) << "step " << i;
                EXPECT_FALSE(std::isnan(fix.latitude)) << "a standing car keeps its position, step " << i;
            }
            float x = 0, y = 0, z = 0;
            ASSERT_EQ(data.GetSensorData(i, x, y, z), 1);
            if (std::fabs(x) >= 1.9f) ++spikes;
        }
    }
    EXPECT_GE(noFix, 5);
    EXPECT_GE(stops, 4);
    EXPECT_EQ(spikes, 2) << "the event pair holds the one spike, in both files";
}

} // namespace
