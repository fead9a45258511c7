// The AVI cameras' 68-byte track records: where each value sits, and that a stream of them never
// passes for a sound or picture format when a stock player probes an unknown text stream.

#include "tools/samplecard/AviTrackRecords.h"
#include "tools/samplecard/CardPlan.h"

#include "SampleCardFixture.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

using namespace samplecard;
using samplecard_test::CTempDir;

std::uint32_t Word(const std::vector<std::uint8_t>& r, std::size_t i)
{
    return r[i * 4] | (r[i * 4 + 1] << 8) | (r[i * 4 + 2] << 16) | (std::uint32_t(r[i * 4 + 3]) << 24);
}
float FloatWord(const std::vector<std::uint8_t>& r, std::size_t i) { return std::bit_cast<float>(Word(r, i)); }

TEST(AviTrackRecords, EveryValueSitsInItsWordInBothStreamKinds)
{
    const CardPlan plan = PlanCard(7);
    int checked = 0;
    for (const PlannedRecording& rec : plan.vecRecordings) {
        if (rec.layout != TrackLayout::AviText && rec.layout != TrackLayout::AviData) continue;
        const bool bData = rec.layout == TrackLayout::AviData;
        const AviTrackStream stream = BuildAviTrackStream(rec.layout, rec.vecSteps);
        EXPECT_EQ(std::string(stream.fccType, 4), bData ? "dats" : "txts");
        EXPECT_EQ(stream.rate / stream.scale, 1u) << "one record per second";
        ASSERT_EQ(stream.samples.size(), rec.vecSteps.size());
        for (std::size_t i = 0; i < stream.samples.size(); ++i) {
            const auto& r = stream.samples[i];
            const RouteStep& s = rec.vecSteps[i];
            ASSERT_EQ(r.size(), kAviTrackRecordBytes);
            EXPECT_EQ(Word(r, 0), 511u);
            EXPECT_EQ(Word(r, 1) & 0xFFFFFFu, 0x3260Au);
            EXPECT_EQ(Word(r, 13) & 3u, 1u) << "north";
            EXPECT_EQ(Word(r, 13) & 12u, 4u) << "east";
            for (std::size_t axis = 0; axis < 3; ++axis) EXPECT_EQ(FloatWord(r, 10 + axis), GValue(s, static_cast<int>(axis)));
            if (!s.bFix) {
                EXPECT_EQ(FloatWord(r, 15), 0.0f);
                EXPECT_EQ(FloatWord(r, 16), 0.0f);
                continue;
            }
            // Within a few float steps of the true value.
            const double lat = bData ? LatitudeDegrees(s) : std::floor(LatitudeDegrees(s)) * 100 + (s.latE4Min % 600000) / 10000.0;
            EXPECT_NEAR(FloatWord(r, 15), lat, std::fabs(lat) * 1e-6);
            EXPECT_NEAR(FloatWord(r, 14), std::isnan(SpeedKmh(s)) ? 0.0 : SpeedKmh(s), 1e-4);
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
}

TEST(AviTrackRecords, TextStreamsOfManySeedsAreNotMistakenForAStreamFormat)
{
    CTempDir dir;
    for (std::uint64_t seed = 1; seed <= 25; ++seed) {
        for (const PlannedRecording& rec : PlanCard(seed).vecRecordings) {
            if (rec.layout != TrackLayout::AviText) continue;
            const auto path = dir.Get() / ("txts" + std::to_string(seed));
            {
                std::ofstream out(path, std::ios::binary);
                for (const auto& sample : BuildAviTrackStream(rec.layout, rec.vecSteps).samples)
                    out.write(reinterpret_cast<const char*>(sample.data()), static_cast<std::streamsize>(sample.size()));
            }
            // ffprobe fails either way; only "no format at all" is right.
            std::string output, error;
            RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=format_name", path.string()}, output, error);
            EXPECT_NE(output.find("Invalid data found"), std::string::npos) << "seed " << seed << ": " << output;
        }
    }
}

} // namespace
