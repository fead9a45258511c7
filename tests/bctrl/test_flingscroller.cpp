// The touch-scrolling arithmetic of the views, tick by tick: release velocity, fling decay,
// overscroll limits, spring back and eased paging.

#include <zent/bctrl/BmpFlingScroller.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <vector>

using zent::CBmpFlingScroller;

namespace {

std::vector<int> OffsetsUntilRest(CBmpFlingScroller& s, int maxTicks = 200)
{
    std::vector<int> out;
    while (s.IsAnimating() && maxTicks-- > 0) {
        s.Tick();
        out.push_back(s.GetOffset());
    }
    return out;
}

} // namespace

TEST(CBmpFlingScrollerTest, VelocityComesFromTheNewestSamples)
{
    CBmpFlingScroller s;
    EXPECT_EQ(s.ComputeVelocity(), 0);
    for (int i = 0; i < 5; ++i) s.AddSample(16, 10);
    EXPECT_EQ(s.ComputeVelocity(), 50 * 1000 / 80);

    // Only the samples of the last 200 ms move the content; the walk stops at 500 ms, so the
    // oldest sample never counts.
    s.ClearSamples();
    s.AddSample(100, 9999);
    for (int i = 0; i < 7; ++i) s.AddSample(100, 10);
    EXPECT_EQ(s.ComputeVelocity(), 10 * 1000 / 500);

    // The ring keeps the last 50 samples only.
    s.ClearSamples();
    for (int i = 0; i < 60; ++i) s.AddSample(1, i < 10 ? -1000 : 4);
    EXPECT_EQ(s.ComputeVelocity(), 50 * 4 * 1000 / 50);

    s.ClearSamples();
    s.AddSample(0, 40);
    s.AddSample(-5, 40);
    EXPECT_EQ(s.ComputeVelocity(), 0);
}

TEST(CBmpFlingScrollerTest, FlingBoostBands)
{
    const std::pair<int, int> bands[] = {{601, 200}, {600, 140}, {301, 140}, {300, 120}, {201, 120},
                                         {200, 100}, {101, 100}, {100, 60},  {51, 60},   {50, 40},
                                         {21, 40},   {20, 20},   {0, 20},    {-700, -200}, {-25, -40}};
    for (auto [v, boost] : bands) EXPECT_EQ(CBmpFlingScroller::GetFlingBoost(v), boost) << v;
}

TEST(CBmpFlingScrollerTest, FlingMovesAndDecaysEveryTick)
{
    CBmpFlingScroller s;
    s.SetMaxOffset(10000);
    s.SetVelocity(1000);
    s.Press();
    for (int i = 0; i < 4; ++i) s.DragBy(25, 25); // 1000 px/s
    ASSERT_EQ(s.GetOffset(), 100);
    ASSERT_EQ(s.Release(), CBmpFlingScroller::kModeFling);
    EXPECT_EQ(s.GetVelocity(), 1000);
    s.Tick(); // step (1000 + 200) x 0.08 = 96
    EXPECT_EQ(s.GetOffset(), 196);
    EXPECT_EQ(s.GetVelocity(), 920); // (1000 + 96) x 0.84
    s.Tick(); // step (920 + 200) x 0.08 = 89.6
    EXPECT_EQ(s.GetOffset(), 285);
    EXPECT_EQ(s.GetVelocity(), 848);

    const auto rest = OffsetsUntilRest(s);
    ASSERT_LT(rest.size(), 200u);
    EXPECT_FALSE(s.IsAnimating());
    for (std::size_t i = 1; i < rest.size(); ++i) EXPECT_GE(rest[i], rest[i - 1]);
    EXPECT_EQ(s.GetOverscroll(), 0);

    // A release without movement stays where it is.
    s.Press();
    EXPECT_EQ(s.Release(), CBmpFlingScroller::kModeIdle);
}

TEST(CBmpFlingScrollerTest, DragPastTheTopStopsAt150AndSpringsBack)
{
    CBmpFlingScroller s;
    s.SetMaxOffset(300);
    s.Press();
    s.DragBy(16, -100);
    s.DragBy(16, -300);
    EXPECT_EQ(s.GetOffset(), -150);
    EXPECT_EQ(s.Release(), CBmpFlingScroller::kModeSpringTop);
    EXPECT_EQ(OffsetsUntilRest(s), (std::vector<int>{-75, -37, -18, -9, -4, -2, 0}));

    s.SetOffset(1000);
    EXPECT_EQ(s.GetOffset(), 450);
    EXPECT_EQ(s.Release(), CBmpFlingScroller::kModeSpringBottom);
    EXPECT_EQ(OffsetsUntilRest(s), (std::vector<int>{375, 337, 318, 309, 304, 302, 300}));

    // A press during the spring back holds the content where it is.
    s.SetOffset(-100);
    s.Release();
    s.Tick();
    s.Press();
    EXPECT_FALSE(s.Tick());
    EXPECT_EQ(s.GetOffset(), -50);
}

TEST(CBmpFlingScrollerTest, FlingIsHeldAtTheOverscrollLimitAndSpringsBack)
{
    CBmpFlingScroller s;
    s.SetMaxOffset(0); // content shorter than the view
    s.Press();
    s.AddSample(20, -60); // -3000 px/s
    ASSERT_EQ(s.Release(), CBmpFlingScroller::kModeFling);
    s.Tick();
    EXPECT_EQ(s.GetOffset(), -150);
    EXPECT_EQ(s.GetMode(), CBmpFlingScroller::kModeSpringTop);
    OffsetsUntilRest(s);
    EXPECT_EQ(s.GetOffset(), 0);

    // A slow fling that ends past an end springs back as well.
    s.SetMaxOffset(100);
    s.SetOffset(98);
    s.Press();
    s.AddSample(100, 5); // 50 px/s
    ASSERT_EQ(s.Release(), CBmpFlingScroller::kModeFling);
    const auto path = OffsetsUntilRest(s);
    ASSERT_FALSE(path.empty());
    EXPECT_GT(*std::max_element(path.begin(), path.end()), 100);
    EXPECT_EQ(s.GetOffset(), 100);
}

TEST(CBmpFlingScrollerTest, PagingEasesByFortyFivePercentAndLands)
{
    CBmpFlingScroller s;
    s.SetMaxOffset(1000);
    s.StartPaging(100);
    EXPECT_EQ(OffsetsUntilRest(s), (std::vector<int>{45, 69, 82, 90, 94, 100}));
    s.StartPaging(-500); // held to the top
    const auto back = OffsetsUntilRest(s);
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(back.back(), 0);
    EXPECT_EQ(s.GetOverscroll(), 0);
}
