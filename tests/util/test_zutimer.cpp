#include <zent/util/ZuTimer.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

double MsBetween(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace

// The stopwatch and steady_clock read the same monotonic clock, so an interval measured by the
// stopwatch must lie inside the steady_clock interval around it and cover the sleep within it.
TEST(ZuTimer, StopReportsTheMillisecondsSinceStart)
{
    CZuTimer timer;
    const auto outerStart = std::chrono::steady_clock::now();
    timer.Start();
    const auto innerStart = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const auto innerEnd = std::chrono::steady_clock::now();
    const double ms = timer.Stop();
    const auto outerEnd = std::chrono::steady_clock::now();

    EXPECT_GE(ms, MsBetween(innerStart, innerEnd));
    EXPECT_LE(ms, MsBetween(outerStart, outerEnd));

    // A second Stop still counts from the same Start.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(timer.Stop(), ms);
}

TEST(ZuTimer, StopWithoutStartCountsFromConstruction)
{
    const auto before = std::chrono::steady_clock::now();
    CZuTimer timer;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double ms = timer.Stop();
    const auto after = std::chrono::steady_clock::now();
    EXPECT_GE(ms, 20.0);
    EXPECT_LE(ms, MsBetween(before, after));
}
