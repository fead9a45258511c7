// Volume and picture adjustments reach every libvlc media player present at the call, and only
// those: a player made by a later Open starts with libvlc's own settings.
#include "engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using namespace zent;

namespace {

const std::string kFront = "Event/20230421-09h11m48s_F_E.MP4"; // with sound
const std::string kRear = "Event/20230421-09h11m48s_R_E.MP4";

int Luma(std::uint32_t px)
{
    return (299 * R(px) + 587 * G(px) + 114 * B(px)) / 1000;
}

} // namespace

// The dummy audio output has no volume; ALSA's "null" device has libvlc's software volume and
// plays into nothing, also where there is no sound card.
class CVolumeCapableOutput {
public:
    CVolumeCapableOutput()
    {
        if (const char* old = std::getenv("TORVIX_VLC_ARGS")) m_strOld = old;
        setenv("TORVIX_VLC_ARGS", "--aout=alsa --alsa-audio-device=null --quiet", 1);
    }
    ~CVolumeCapableOutput() { setenv("TORVIX_VLC_ARGS", m_strOld.c_str(), 1); }

private:
    std::string m_strOld;
};

TEST(PlayerAdjust, VolumeActsOnEveryPlayerPresentAtTheCall)
{
    CPlayerStage stage;
    std::unique_ptr<CFFMpegPlayerEx> player;
    {
        CVolumeCapableOutput output;
        player = stage.MakePlayer();
    }
    player->SetPlayVolume(30); // nothing open: nothing to act on, no crash
    EXPECT_EQ(player->GetAudioVolume(0), -1);

    const fs::path front = FindOnCard(kFront), rear = FindOnCard(kRear);
    player->Open(front.wstring().c_str(), rear.wstring().c_str());
    player->Play(1.0f);
    // libvlc accepts a volume once the audio output of the media player exists.
    ASSERT_TRUE(stage.PumpUntil([&] { return player->GetAudioVolume(0) >= 0; }, 8s));
    ASSERT_TRUE(stage.PumpUntil([&] { return player->GetAudioVolume(1) >= 0; }, 8s));

    for (const int volume : {37, 0, 100, 64}) {
        player->SetPlayVolume(volume);
        ASSERT_TRUE(stage.PumpUntil(
            [&] { return player->GetAudioVolume(0) == volume && player->GetAudioVolume(1) == volume; }, 2s))
            << volume << ": front " << player->GetAudioVolume(0) << ", rear " << player->GetAudioVolume(1);
    }
    player->Stop();
    EXPECT_EQ(player->GetAudioVolume(0), -1); // the media players are gone with Stop
}

class PlayerAdjustClip : public ::testing::Test {
protected:
    void SetUp() override { m_bMade = MakeQuarterClip(m_dir.Path() / "20230421-10h00m00s_F_N.mp4", 320, 240, 6); }

    CTempDir m_dir;
    bool m_bMade = false;
};

TEST_F(PlayerAdjustClip, ContrastZeroFlattensTheLightnessOfEveryQuarter)
{
    ASSERT_TRUE(m_bMade) << "ffmpeg could not make the clip";
    CPlayerStage stage(1);
    auto player = stage.MakePlayer();
    EXPECT_EQ(player->GetContrast(0), -1.0f); // no media player yet
    const fs::path clip = m_dir.Path() / "20230421-10h00m00s_F_N.mp4";
    player->Open(clip.wstring().c_str(), nullptr);
    player->Play(1.0f);
    COglViewWnd& view = stage.View(0);
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetFrameCount() > 5; }, 6s));
    stage.PumpFor(100ms);

    const POINT quarters[] = {{80, 45}, {240, 45}, {80, 135}, {240, 135}}; // the view is 320 x 180
    auto spread = [&] {
        int lo = 255, hi = 0;
        for (const auto& pt : quarters) {
            const int l = Luma(view.GetPicturePixel(pt.x, pt.y));
            lo = std::min(lo, l);
            hi = std::max(hi, l);
        }
        return hi - lo;
    };
    ASSERT_GT(spread(), 120); // yellow against blue

    player->SetContrast(0.0f);
    EXPECT_FLOAT_EQ(player->GetContrast(0), 0.0f);
    const auto frames = view.GetSink()->GetFrameCount();
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetFrameCount() > frames + 10; }, 4s));
    EXPECT_LT(spread(), 40);

    player->SetContrast(1.0f); // neutral again
    const auto frames2 = view.GetSink()->GetFrameCount();
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetFrameCount() > frames2 + 10; }, 4s));
    EXPECT_GT(spread(), 120);
    player->Stop();
}
