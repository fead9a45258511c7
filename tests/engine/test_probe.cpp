// The libavformat probes on the recordings of the sample card, and the playability rule.
#include "engine/StreamProbe.h"

#include <zent/platform/Paths.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

fs::path Card()
{
    const char* env = std::getenv("TORVIX_SAMPLECARD");
    return fs::path(env && *env ? env : TORVIX_SAMPLECARD_DIR);
}

fs::path FindOnCard(const std::string& suffix)
{
    for (const auto& e : fs::recursive_directory_iterator(Card())) {
        const std::string name = e.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return e.path();
    }
    return {};
}

} // namespace

TEST(PlayabilityRule, AKnownModelDecidesAloneWithoutProbing)
{
    for (const wchar_t* model : probe::k4KModels) {
        EXPECT_TRUE(Is4KModel(model));
        EXPECT_TRUE(IsPlayableByRule(model, false, 99999));
    }
    EXPECT_FALSE(Is4KModel(L"qz4k")); // exact, case-sensitive
    EXPECT_FALSE(Is4KModel(L"QZ4K "));
    EXPECT_FALSE(IsPlayableByRule(L"QZ100", true, 640)); // a card of another camera plays nothing
    // No model: codec and width decide; an unknown width (0) passes.
    EXPECT_TRUE(IsPlayableByRule(L"", true, 3840));
    EXPECT_FALSE(IsPlayableByRule(L"", true, 3841));
    EXPECT_TRUE(IsPlayableByRule(L"", true, 0));
    EXPECT_FALSE(IsPlayableByRule(L"", false, 640));
    // With a known model the file is not even looked at.
    EXPECT_TRUE(IsPlayable(L"KT4K", L"/no/such/file.MP4"));
    EXPECT_FALSE(IsPlayable(L"", L"/no/such/file.MP4"));
}

TEST(StreamProbe, UnreadableFilesGiveZeros)
{
    const std::wstring missing = L"/no/such/recording.MP4";
    EXPECT_EQ(GetVidoeStreamCount(missing), 0);
    EXPECT_EQ(GetAudioStreamCount(missing), 0);
    EXPECT_EQ(GetFileDuration("/no/such/recording.MP4"), 0);
    EXPECT_FALSE(IsSupportCodec(missing));
    EXPECT_EQ(GetVideoWidth(missing), 0);
    EXPECT_EQ(GetVideoCodecName(missing), "");
    const fs::path ver = Card() / "ver.txt";
    ASSERT_TRUE(fs::exists(ver));
    EXPECT_EQ(GetVidoeStreamCount(ver.wstring()), 0);
    EXPECT_FALSE(IsSupportCodec(ver.wstring()));
}

TEST(StreamProbe, CardRecordingsReportTheirStreams)
{
    const fs::path twoStreams = FindOnCard("_FR_N.MP4");
    ASSERT_FALSE(twoStreams.empty());
    EXPECT_EQ(GetVidoeStreamCount(twoStreams.wstring()), 2);
    EXPECT_EQ(GetAudioStreamCount(twoStreams.wstring()), 1);

    const fs::path mpeg = FindOnCard(".MPEG");
    ASSERT_FALSE(mpeg.empty());
    // A program stream announces its streams only while being read: still counted.
    EXPECT_GE(GetVidoeStreamCount(mpeg.wstring()), 1);

    int checked = 0;
    for (const auto& e : fs::recursive_directory_iterator(Card())) {
        if (!e.is_regular_file() || e.path().filename() == "ver.txt") continue;
        const std::wstring path = e.path().wstring();
        const std::string codec = GetVideoCodecName(path);
        const int width = GetVideoWidth(path);
        const bool supported = IsSupportCodec(path);
        EXPECT_EQ(supported, codec == "h264" || codec == "hevc") << e.path();
        if (codec == "h264") {
            EXPECT_EQ(width, 640) << e.path();
            const double seconds = GetFileDurationSeconds(e.path().string());
            EXPECT_GE(seconds, 10.0) << e.path();
            EXPECT_LE(seconds, 30.5) << e.path();
            EXPECT_EQ(seconds * 10, std::round(seconds * 10)); // rounded to a tenth
            EXPECT_EQ(GetFileDuration(e.path().string()), static_cast<int>(seconds));
        }
        if (codec == "hevc") {
            EXPECT_TRUE(width == 3840 || width == 4096) << e.path();
        }
        EXPECT_EQ(IsPlayable(L"", path), supported && width <= 3840) << e.path();
        ++checked;
    }
    EXPECT_GE(checked, 15);
}
