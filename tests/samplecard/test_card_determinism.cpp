// A seed always gives the same card: recordings written again, in this process, are the same
// bytes as the card the test run wrote with the same seed, and a scratch run leaves nothing but
// the recording behind.

#include "SampleCardFixture.h"

#include <fstream>
#include <iterator>
#include <set>

namespace {

using samplecard::PlannedRecording;
using samplecard::TrackLayout;
using namespace samplecard_test;
namespace fs = std::filesystem;

std::vector<char> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SampleCardDeterminism, PlanOfASeedIsStableAndOtherSeedsDiffer)
{
    const samplecard::CardPlan a = samplecard::PlanCard(GetFixtureSeed());
    const samplecard::CardPlan b = samplecard::PlanCard(GetFixtureSeed() + 1);
    ASSERT_EQ(a.vecRecordings.size(), GetFixturePlan().vecRecordings.size());
    bool bDiffers = false;
    for (std::size_t i = 0; i < a.vecRecordings.size(); ++i) {
        const PlannedRecording& x = a.vecRecordings[i];
        const PlannedRecording& y = GetFixturePlan().vecRecordings[i];
        EXPECT_EQ(x.strRelativePath, y.strRelativePath);
        ASSERT_EQ(x.vecSteps.size(), y.vecSteps.size());
        for (std::size_t s = 0; s < x.vecSteps.size(); ++s) {
            EXPECT_EQ(x.vecSteps[s].latE4Min, y.vecSteps[s].latE4Min);
            EXPECT_EQ(x.vecSteps[s].g[0], y.vecSteps[s].g[0]);
        }
        if (i < b.vecRecordings.size() && b.vecRecordings[i].strRelativePath != x.strRelativePath) bDiffers = true;
    }
    EXPECT_TRUE(bDiffers) << "another seed gives other times";
}

TEST(SampleCardDeterminism, RecordingsWrittenAgainAreByteForByteTheCardsOnes)
{
    // One recording of every container and track layout.
    std::set<std::pair<int, TrackLayout>> seen;
    CTempDir scratch;
    ASSERT_FALSE(scratch.Get().empty());
    for (const PlannedRecording& r : GetFixturePlan().vecRecordings) {
        if (!seen.insert({static_cast<int>(r.container), r.layout}).second) continue;
        if (r.width > 1920) continue; // the slow ones are covered by their layout elsewhere
        SCOPED_TRACE(r.strRelativePath);
        std::string error;
        ASSERT_TRUE(samplecard::WriteRecording(scratch.Get(), GetFixturePlan(), r, error)) << error;
        const std::vector<char> again = ReadAll(scratch.Get() / r.strRelativePath);
        const std::vector<char> card = ReadAll(GetCardPath(r));
        ASSERT_FALSE(again.empty());
        EXPECT_TRUE(again == card) << "sizes " << again.size() << " and " << card.size();
        EXPECT_EQ(fs::last_write_time(scratch.Get() / r.strRelativePath), fs::last_write_time(GetCardPath(r)));
    }
    EXPECT_GE(seen.size(), 6u);

    // Nothing but the recordings is left behind.
    for (const auto& entry : fs::recursive_directory_iterator(scratch.Get())) {
        if (!entry.is_regular_file()) continue;
        const std::string rel = fs::relative(entry.path(), scratch.Get()).generic_string();
        EXPECT_NE(GetFixturePlan().Find(rel), nullptr) << rel;
    }
}

TEST(SampleCardDeterminism, AFailingEncoderLeavesNoRecordingBehind)
{
    CTempDir scratch;
    const PlannedRecording& r = GetFixturePlan().vecRecordings.front();
    PlannedRecording broken = r;
    broken.fps = 0; // the encoder refuses a picture rate of 0
    std::string error;
    EXPECT_FALSE(samplecard::WriteRecording(scratch.Get(), GetFixturePlan(), broken, error));
    EXPECT_FALSE(error.empty());
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch.Get())) files += entry.is_regular_file();
    EXPECT_EQ(files, 0u);
}

} // namespace
