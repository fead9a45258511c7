// The player over libvlc on recordings of the sample card and on generated clips, driven through
// a headless message loop that receives the timer thread's messages.
#include "engine/EngineTestSupport.h"

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using namespace zent;

namespace {

const std::string kFront = "Event/20230421-09h11m48s_F_E.MP4"; // 17 s, 640 x 360
const std::string kRear = "Event/20230421-09h11m48s_R_E.MP4";

bool Near(std::uint32_t px, int r, int g, int b, int tol = 40)
{
    return std::abs(R(px) - r) <= tol && std::abs(G(px) - g) <= tol && std::abs(B(px) - b) <= tol;
}

std::string Describe(std::uint32_t px)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "(%d, %d, %d)", R(px), G(px), B(px));
    return buf;
}

} // namespace

TEST(PlayerWithoutMedia, FreshPlayerStatesAndGuards)
{
    CPlayerStage stage;
    std::unique_ptr<IZentPlayer> player = stage.MakePlayer();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_READY);
    EXPECT_EQ(player->GetFileCount(), 0);
    EXPECT_EQ(player->GetDuration(), -1);
    EXPECT_EQ(player->GetPlayTime(0), -1);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_EQ(player->GetFilePath(0), L"");
    unsigned w = 0, h = 0;
    EXPECT_FALSE(player->GetVideoSize(1, &w, &h));
    CTempDir dir;
    EXPECT_EQ(player->DrawSnapshot(0, nullptr, dir.Path().wstring(), RECT{0, 0, 10, 10}), -1);
    EXPECT_EQ(player->DrawSnapshot(1, nullptr, dir.Path().wstring(), RECT{0, 0, 10, 10}), -1);
    EXPECT_TRUE(fs::is_empty(dir.Path()));
    player->Seek(5); // nothing open: no position, no crash
    player->Zoom(4, 2.0f, 10, 10);

    // Paused before it ever played, Play starts it rather than resuming nothing.
    player->Pause();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_PAUSED);
    EXPECT_TRUE(player->IsPlaying());
    player->Play(1.0f);
    // No media player: the timer thread starts, reports the end at once and the state becomes 6.
    ASSERT_TRUE(stage.PumpUntil([&] { return !stage.MessagesOf(WM_FFMPEG_PLAY_END).empty(); }, 3s));
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_STOPPED);
    player->Play(1.0f); // stopped: nothing
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_STOPPED);
    stage.PumpFor(100ms);
    EXPECT_EQ(stage.MessagesOf(WM_FFMPEG_PLAY_END).size(), 1u);
}

TEST(PlayerWithoutMedia, ArgumentsAndCropStrings)
{
    const auto args = CFFMpegPlayerEx::GetVlcArguments();
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ(args[0], "--no-snapshot-preview");
    EXPECT_EQ(args[1], "--no-osd");

    CropWindow c;
    ASSERT_TRUE(ParseCropGeometry("320x240+160+120\n", c));
    EXPECT_EQ(c.x, 160);
    EXPECT_EQ(c.y, 120);
    EXPECT_EQ(c.right, 320);
    EXPECT_EQ(c.bottom, 240);
    EXPECT_FALSE(ParseCropGeometry("320x240-1+0\n", c));
    EXPECT_FALSE(ParseCropGeometry("320x240+1", c));
    EXPECT_FALSE(ParseCropGeometry("320x240+1+2junk", c));
    EXPECT_FALSE(ParseCropGeometry("", c));
    EXPECT_FALSE(ParseCropGeometry("99999999x1+0+0", c));
}

TEST(PlayerOpen, PairIsSortedFrontFirstAndProbesDelegate)
{
    CPlayerStage stage;
    auto player = stage.MakePlayer();
    const fs::path front = FindOnCard(kFront), rear = FindOnCard(kRear);
    player->Open(rear.wstring().c_str(), front.wstring().c_str());
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_READY);
    EXPECT_EQ(player->GetFileCount(), 2);
    EXPECT_EQ(player->GetFilePath(0), front.wstring());
    EXPECT_EQ(player->GetFilePath(1), rear.wstring());
    EXPECT_EQ(player->GetFilePath(2), L"");
    EXPECT_EQ(player->GetVidoeStreamCount(front.wstring()), 1);
    EXPECT_EQ(player->GetAudioStreamCount(front.wstring()), 1);
    EXPECT_EQ(player->GetFileDuration(front.string()), 17);
    player->Reset();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_STOPPED);
    EXPECT_EQ(player->GetFileCount(), 0);
    player->Open(front.wstring().c_str(), nullptr);
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_READY);
    EXPECT_EQ(player->GetFileCount(), 1);
}

TEST(PlayerPlayback, PositionPauseSeekEndAndPlayAgain)
{
    CPlayerStage stage;
    auto player = stage.MakePlayer();
    const std::wstring front = FindOnCard(kFront).wstring();
    player->Open(front.c_str(), nullptr);
    player->Play(1.0f);
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_PLAYING);
    ASSERT_TRUE(stage.PumpUntil([&] { return stage.MessagesOf(WM_FFMPEG_PLAY_POS).size() >= 4; }, 10s));
    EXPECT_EQ(player->GetDuration(), 17);
    EXPECT_GT(stage.View(0).GetSink()->GetFrameCount(), 0u);
    {
        // Once per whole second, each one more than the last, carrying the duration.
        const auto pos = stage.MessagesOf(WM_FFMPEG_PLAY_POS);
        for (std::size_t i = 0; i < pos.size(); ++i) {
            EXPECT_EQ(pos[i].wParam, 17);
            if (i > 0) {
                EXPECT_EQ(pos[i].lParam, pos[i - 1].lParam + 1);
                const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(pos[i].when - pos[i - 1].when);
                EXPECT_GT(gap.count(), 400);
                EXPECT_LT(gap.count(), 1800);
            }
        }
    }

    player->Pause();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_PAUSED);
    stage.PumpFor(600ms); // a position already sampled may still be on its way
    const std::size_t pausedCount = stage.MessagesOf(WM_FFMPEG_PLAY_POS).size();
    stage.PumpFor(2000ms);
    EXPECT_EQ(stage.MessagesOf(WM_FFMPEG_PLAY_POS).size(), pausedCount);
    player->Play(1.0f);
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_PLAYING);
    ASSERT_TRUE(stage.PumpUntil([&] { return stage.MessagesOf(WM_FFMPEG_PLAY_POS).size() > pausedCount; }, 3s));

    player->Seek(10);
    ASSERT_TRUE(stage.PumpUntil(
        [&] {
            const auto pos = stage.MessagesOf(WM_FFMPEG_PLAY_POS);
            return pos.back().lParam >= 10;
        },
        4s));
    EXPECT_LE(stage.MessagesOf(WM_FFMPEG_PLAY_POS).back().lParam, 12);

    // Past the end the position becomes 0.999: play ends, once, with the duration.
    player->Seek(60);
    ASSERT_TRUE(stage.PumpUntil([&] { return !stage.MessagesOf(WM_FFMPEG_PLAY_END).empty(); }, 8s));
    stage.PumpFor(300ms);
    const auto ends = stage.MessagesOf(WM_FFMPEG_PLAY_END);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].wParam, 17);
    EXPECT_GE(ends[0].lParam, 16);
    EXPECT_LE(ends[0].lParam, 17);
    EXPECT_LE(stage.MessagesOf(WM_FFMPEG_PLAY_POS).back().lParam, 17);
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_STOPPED);

    // The next recording: stop, open again on the same player, play.
    player->Stop();
    stage.Messages().clear();
    player->Open(front.c_str(), nullptr);
    player->Play(1.0f);
    ASSERT_TRUE(stage.PumpUntil([&] { return stage.MessagesOf(WM_FFMPEG_PLAY_POS).size() >= 2; }, 6s));
    EXPECT_LE(stage.MessagesOf(WM_FFMPEG_PLAY_POS).front().lParam, 1);

    // Stop during play: the thread ends without an end message.
    player->Stop();
    EXPECT_EQ(player->GetState(), ZENT_PLAYER_STOPPED);
    stage.PumpFor(500ms);
    EXPECT_TRUE(stage.MessagesOf(WM_FFMPEG_PLAY_END).empty());
}

TEST(PlayerPlayback, UnplayableFileEndsWithZerosAfterTheStallLimit)
{
    CPlayerStage stage(1);
    CTempDir dir;
    const fs::path bad = dir.Path() / "20230421-09h00m00s_F_N.MP4";
    {
        std::ofstream out(bad, std::ios::binary);
        for (int i = 0; i < 4096; ++i) out.put(static_cast<char>((i * 7919) & 0xFF));
    }
    auto player = stage.MakePlayer();
    player->Open(bad.wstring().c_str(), nullptr);
    const auto start = std::chrono::steady_clock::now();
    player->Play(1.0f);
    ASSERT_TRUE(stage.PumpUntil([&] { return !stage.MessagesOf(WM_FFMPEG_PLAY_END).empty(); }, 20s));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const auto end = stage.MessagesOf(WM_FFMPEG_PLAY_END).front();
    EXPECT_EQ(end.wParam, 0);
    EXPECT_EQ(end.lParam, 0);
    EXPECT_GT(took.count(), 4000); // 250 rounds of at least 20 ms
    EXPECT_TRUE(stage.MessagesOf(WM_FFMPEG_PLAY_POS).empty());
}

TEST(PlayerPair, BothViewsReceiveFramesRearIsSilentAndInStep)
{
    CPlayerStage stage;
    auto player = stage.MakePlayer();
    const fs::path front = FindOnCard(kFront), rear = FindOnCard(kRear);
    player->Open(rear.wstring().c_str(), front.wstring().c_str());
    player->Play(1.0f);
    ASSERT_TRUE(stage.PumpUntil([&] { return stage.MessagesOf(WM_FFMPEG_PLAY_POS).size() >= 5; }, 10s));
    EXPECT_GT(stage.View(0).GetSink()->GetFrameCount(), 30u);
    EXPECT_GT(stage.View(1).GetSink()->GetFrameCount(), 30u);
    EXPECT_GE(player->GetAudioTrack(0), 0);
    EXPECT_EQ(player->GetAudioTrack(1), -1);
    // The view shows the picture: not all black.
    int lit = 0;
    for (std::uint32_t px : stage.View(1).GetPicture()) lit += (R(px) + G(px) + B(px)) > 60;
    EXPECT_GT(lit, 1000);
    const long long d = player->GetPlayTimeMs(0) - player->GetPlayTimeMs(1);
    EXPECT_LT(std::llabs(d), 1000) << "front " << player->GetPlayTimeMs(0) << " rear " << player->GetPlayTimeMs(1);
    EXPECT_LE(std::abs(player->GetPlayTime(0) - player->GetPlayTime(1)), 1);
}

TEST(PlayerPair, DestroyingWhilePlayingEndsThreadsAndReleasesTheViews)
{
    CPlayerStage stage;
    const fs::path front = FindOnCard(kFront), rear = FindOnCard(kRear);
    {
        std::unique_ptr<IZentPlayer> player = stage.MakePlayer();
        player->Open(front.wstring().c_str(), rear.wstring().c_str());
        player->Play(1.0f);
        player->Zoom(4, 2.0f, 5, 5); // a zoom worker running too
        ASSERT_TRUE(stage.PumpUntil([&] { return stage.View(1).GetSink()->GetFrameCount() > 10; }, 8s));
        EXPECT_GT(stage.View(0).GetSink().use_count(), 2); // the player holds the sink meanwhile
    }
    EXPECT_EQ(stage.View(0).GetSink().use_count(), 2); // the view's own and this temporary
    const auto frames = stage.View(0).GetSink()->GetFrameCount();
    stage.PumpFor(500ms);
    EXPECT_EQ(stage.View(0).GetSink()->GetFrameCount(), frames);
    EXPECT_TRUE(stage.MessagesOf(WM_FFMPEG_PLAY_END).empty());
}

class PlayerClip : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_pDir = new CTempDir;
        s_bMade = MakeQuarterClip(Clip(), 320, 240, 10);
    }
    static void TearDownTestSuite()
    {
        delete s_pDir;
        s_pDir = nullptr;
    }
    static fs::path Clip() { return s_pDir->Path() / "20230421-10h00m00s_F_N.mp4"; }

    void StartClip(CPlayerStage& stage, IZentPlayer& player)
    {
        ASSERT_TRUE(s_bMade) << "ffmpeg could not make the clip";
        player.Open(Clip().wstring().c_str(), nullptr);
        player.Play(1.0f);
        ASSERT_TRUE(stage.PumpUntil([&] { return stage.View(0).GetSink()->GetFrameCount() > 5; }, 6s));
        stage.PumpFor(100ms);
    }

    static CTempDir* s_pDir;
    static bool s_bMade;
};
CTempDir* PlayerClip::s_pDir = nullptr;
bool PlayerClip::s_bMade = false;

TEST_F(PlayerClip, CropAtZoomTwoShowsExactlyTheChosenQuarter)
{
    CPlayerStage stage(1);
    auto player = stage.MakePlayer();
    StartClip(stage, *player);
    COglViewWnd& view = stage.View(0);
    // The whole frame first: four quarters.
    EXPECT_TRUE(Near(view.GetPicturePixel(80, 45), 255, 255, 128)) << Describe(view.GetPicturePixel(80, 45));
    EXPECT_TRUE(Near(view.GetPicturePixel(240, 135), 0, 0, 128)) << Describe(view.GetPicturePixel(240, 135));

    // A pan far past the corner is clamped to the bottom-right quarter.
    player->Zoom(0, 2.0f, 1000, 1000);
    ASSERT_TRUE(stage.PumpUntil([&] { return !view.GetSink()->GetCropGeometry().empty(); }, 2s));
    EXPECT_EQ(view.GetSink()->GetCropGeometry(), "320x240+160+120\n");
    stage.PumpFor(200ms);
    for (const auto& pt : {POINT{4, 4}, POINT{160, 90}, POINT{315, 175}})
        EXPECT_TRUE(Near(view.GetPicturePixel(pt.x, pt.y), 0, 0, 128))
            << pt.x << "," << pt.y << " " << Describe(view.GetPicturePixel(pt.x, pt.y));

    // Back left by a quarter of the width: the bottom-left quarter.
    player->Zoom(0, 2.0f, -160, 0);
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetCropGeometry() == "160x240+0+120\n"; }, 2s));
    stage.PumpFor(200ms);
    for (const auto& pt : {POINT{4, 4}, POINT{160, 90}, POINT{315, 175}})
        EXPECT_TRUE(Near(view.GetPicturePixel(pt.x, pt.y), 255, 0, 128))
            << pt.x << "," << pt.y << " " << Describe(view.GetPicturePixel(pt.x, pt.y));

    // Zoom 1.0 is the whole frame whatever the pan.
    player->Zoom(0, 1.0f, 50, 50);
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetCropGeometry() == "320x240+0+0\n"; }, 2s));
    // Factor 0 only records the target.
    player->Zoom(1, 0.0f, 50, 50);
    stage.PumpFor(100ms);
    EXPECT_EQ(view.GetSink()->GetCropGeometry(), "320x240+0+0\n");
}

TEST_F(PlayerClip, MonochromeTurnsFramesGrey)
{
    CPlayerStage stage(1);
    auto player = stage.MakePlayer();
    StartClip(stage, *player);
    COglViewWnd& view = stage.View(0);
    ASSERT_TRUE(Near(view.GetPicturePixel(80, 45), 255, 255, 128));
    player->SetMonochrome(1);
    const auto frames = view.GetSink()->GetFrameCount();
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetFrameCount() > frames + 10; }, 4s));
    for (const auto& pt : {POINT{80, 45}, POINT{240, 45}, POINT{80, 135}}) {
        const std::uint32_t px = view.GetPicturePixel(pt.x, pt.y);
        EXPECT_LE(std::abs(R(px) - G(px)), 12) << Describe(px);
        EXPECT_LE(std::abs(G(px) - B(px)), 12) << Describe(px);
    }
}

TEST_F(PlayerClip, RateTwoEndsTenSecondsInAboutFive)
{
    CPlayerStage stage(1);
    auto player = stage.MakePlayer();
    ASSERT_TRUE(s_bMade);
    player->Open(Clip().wstring().c_str(), nullptr);
    player->Speed(2.0f);
    const auto start = std::chrono::steady_clock::now();
    player->Play(1.0f);
    ASSERT_TRUE(stage.PumpUntil([&] { return !stage.MessagesOf(WM_FFMPEG_PLAY_END).empty(); }, 15s));
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(took, 3.0);
    EXPECT_LT(took, 8.5);
    EXPECT_EQ(stage.MessagesOf(WM_FFMPEG_PLAY_END).front().wParam, 10);
}

TEST_F(PlayerClip, DrawSnapshotDrawsTheFrameAtTheRectangleAndDeletesItsFile)
{
    CPlayerStage stage(1);
    auto player = stage.MakePlayer();
    StartClip(stage, *player);
    void* bits = nullptr;
    UniqueBitmap bmp(CreateDIBSection(nullptr, 200, 160, &bits));
    std::unique_ptr<DeviceContext, DCDeleter> dc(CreateCompatibleDC(nullptr));
    CSelectObject sel(dc.get(), bmp.get());
    const RECT rc{20, 10, 180, 130}; // 160 x 120: half the clip
    EXPECT_EQ(player->DrawSnapshot(1, dc.get(), s_pDir->Path().wstring(), rc), 0);
    EXPECT_FALSE(fs::exists(s_pDir->Path() / "1.jpg"));
    EXPECT_TRUE(Near(GetPixel(dc.get(), 20 + 40, 10 + 30) & 0xFFFFFF, 128, 255, 255)) // COLORREF is BGR
        << std::hex << GetPixel(dc.get(), 60, 40);
    EXPECT_TRUE(Near(GetPixel(dc.get(), 20 + 120, 10 + 90) & 0xFFFFFF, 128, 0, 0)) << std::hex
                                                                                     << GetPixel(dc.get(), 140, 100);
    EXPECT_EQ(GetPixel(dc.get(), 5, 5) & 0xFFFFFF, 0u); // outside the rectangle untouched
    EXPECT_EQ(GetPixel(dc.get(), 190, 150) & 0xFFFFFF, 0u);
    // Without a device context: failure, and still no file left behind.
    EXPECT_EQ(player->DrawSnapshot(1, nullptr, s_pDir->Path().wstring(), rc), -1);
    EXPECT_FALSE(fs::exists(s_pDir->Path() / "1.jpg"));
}
