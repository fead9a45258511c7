// How a view fits a frame into its rectangle: exact halving of the common 1080p-into-540 case,
// and the general path, both checked on real decoded frames.
#include "engine/EngineTestSupport.h"
#include "engine/FrameScale.h"

#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtest/gtest.h>

#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using namespace zent;

TEST(FrameScale, HalvingAveragesEachBlockWithRounding)
{
    // Two rows of six samples with padding (pitch 8) into one row of three (pitch 4).
    const std::vector<std::uint8_t> src = {0, 1, 10, 20, 255, 255, 99, 99, //
                                           1, 1, 30, 41, 255, 254, 99, 99};
    std::vector<std::uint8_t> dst(4, 77);
    HalvePlane(src.data(), 8, dst.data(), 4, 3, 1);
    EXPECT_EQ(dst[0], 1);   // (0+1+1+1+2)/4 = 1.25 -> 1
    EXPECT_EQ(dst[1], 25);  // (10+20+30+41+2)/4 = 25.75 -> 25
    EXPECT_EQ(dst[2], 255); // (255+255+255+254+2)/4 = 255.25 -> 255, no overflow
    EXPECT_EQ(dst[3], 77);  // past the row: untouched
}

TEST(FrameScale, HalvingFollowsBothPitches)
{
    const int sw = 64, sh = 8, sp = 80, dp = 48;
    std::vector<std::uint8_t> src(static_cast<std::size_t>(sp) * sh, 0xEE);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) src[static_cast<std::size_t>(y) * sp + x] = static_cast<std::uint8_t>(y * 16 + x / 4);
    std::vector<std::uint8_t> dst(static_cast<std::size_t>(dp) * (sh / 2), 0);
    HalvePlane(src.data(), sp, dst.data(), dp, sw / 2, sh / 2);
    for (int y = 0; y < sh / 2; ++y)
        for (int x = 0; x < sw / 2; ++x) {
            // Rows 2y and 2y+1 differ by 16; columns 2x and 2x+1 share x/2.
            const int expect = (2 * (2 * y * 16 + x / 2) + 2 * ((2 * y + 1) * 16 + x / 2) + 2) / 4;
            ASSERT_EQ(dst[static_cast<std::size_t>(y) * dp + x], expect) << x << "," << y;
        }
}

namespace {

bool Near(std::uint32_t px, int r, int g, int b, int tol = 40)
{
    return std::abs(R(px) - r) <= tol && std::abs(G(px) - g) <= tol && std::abs(B(px) - b) <= tol;
}

} // namespace

// 640 x 360 into the 320 x 180 view takes the halving path; the quarters must land exactly on
// their halves of the picture, with no shift at the seams.
TEST(ViewScale, ExactHalvingKeepsTheQuartersInPlace)
{
    CTempDir dir;
    const fs::path clip = dir.Path() / "20230421-10h00m00s_F_N.mp4";
    ASSERT_TRUE(MakeQuarterClip(clip, 640, 360, 3)) << "ffmpeg could not make the clip";
    CPlayerStage stage(1);
    auto player = stage.MakePlayer();
    player->Open(clip.wstring().c_str(), nullptr);
    player->Play(1.0f);
    COglViewWnd& view = stage.View(0);
    ASSERT_TRUE(stage.PumpUntil([&] { return view.GetSink()->GetFrameCount() > 5; }, 6s));
    stage.PumpFor(100ms);
    ASSERT_EQ(view.GetPictureWidth(), 320);
    ASSERT_EQ(view.GetPictureHeight(), 180);
    struct Probe {
        int x, y, r, g, b;
    };
    // Two pixels either side of each seam, away from the chroma blur of the encoder.
    for (const Probe& p : {Probe{4, 4, 255, 255, 128}, Probe{155, 85, 255, 255, 128}, Probe{165, 4, 0, 255, 128},
                           Probe{315, 85, 0, 255, 128}, Probe{4, 95, 255, 0, 128}, Probe{155, 175, 255, 0, 128},
                           Probe{165, 95, 0, 0, 128}, Probe{315, 175, 0, 0, 128}})
        EXPECT_TRUE(Near(view.GetPicturePixel(p.x, p.y), p.r, p.g, p.b))
            << p.x << "," << p.y << " " << std::hex << view.GetPicturePixel(p.x, p.y);
    // The seam itself: the luma step sits between columns 159 and 160.
    const auto luma = [&](int x, int y) {
        const std::uint32_t px = view.GetPicturePixel(x, y);
        return (299 * R(px) + 587 * G(px) + 114 * B(px)) / 1000;
    };
    EXPECT_GT(luma(158, 40) - luma(161, 40), 50);

    // The presenter shows the view's own picture, not a copy in the window's picture.
    auto& presenter = dynamic_cast<CHeadlessPresenter&>(CMessageLoop::Current()->GetPresenter());
    EXPECT_GT(presenter.GetNativePictureCount(view.GetSafeHwnd()), 5);
    for (const POINT pt : {POINT{4, 4}, POINT{165, 95}, POINT{319, 179}})
        EXPECT_EQ(presenter.GetNativePicturePixel(view.GetSafeHwnd(), pt.x, pt.y),
                  view.GetPicturePixel(pt.x, pt.y) & 0xFFFFFFu);
    player->Stop();
}
