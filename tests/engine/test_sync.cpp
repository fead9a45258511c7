// How far apart the rear player runs from the front one while the timer thread keeps it in step.
#include "engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;

namespace {

// libvlc updates its play time only every few hundred milliseconds; the time at any instant is
// estimated from the moment the reported value last changed.
struct CClockEstimate {
    long long value = -1;
    std::chrono::steady_clock::time_point changed;
    void Sample(long long v, std::chrono::steady_clock::time_point now)
    {
        if (v != value) {
            value = v;
            changed = now;
        }
    }
    double Now(std::chrono::steady_clock::time_point now) const
    {
        return static_cast<double>(value) + std::chrono::duration<double, std::milli>(now - changed).count();
    }
};

} // namespace

TEST(PlayerPairSync, RearStaysWithinTwoHundredMillisecondsWithoutRepeatedCorrections)
{
#if defined(TORVIX_SANITIZED)
    // The sanitizers slow our side of the pipeline unevenly; what this test measures is timing.
    GTEST_SKIP() << "timing is not representative under the sanitizers";
#endif
    CPlayerStage stage;
    auto player = stage.MakePlayer();
    const fs::path front = FindOnCard("Normal/F/20230421-09h10m41s_F_N.MP4"); // 20 s pair
    const fs::path rear = FindOnCard("Normal/R/20230421-09h10m41s_R_N.MP4");
    player->Open(front.wstring().c_str(), rear.wstring().c_str());
    player->Play(1.0f);
    ASSERT_TRUE(stage.PumpUntil([&] { return player->GetPlayTimeMs(0) > 2500; }, 8s));

    CClockEstimate c0, c1;
    double sumAbs = 0, maxAbs = 0;
    int n = 0;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        stage.PumpFor(20ms);
        const auto now = std::chrono::steady_clock::now();
        c0.Sample(player->GetPlayTimeMs(0), now);
        c1.Sample(player->GetPlayTimeMs(1), now);
        if (c0.value < 0 || c1.value < 0) continue;
        const double d = std::fabs(c0.Now(now) - c1.Now(now));
        sumAbs += d;
        maxAbs = std::max(maxAbs, d);
        ++n;
    }
    ASSERT_GT(n, 100);
    const int corrections = player->GetSyncCorrectionCount();
    std::printf("sync: mean |front - rear| %.0f ms, max %.0f ms, corrections %d (forced one included)\n", sumAbs / n,
                maxAbs, corrections);
    EXPECT_LT(sumAbs / n, 200.0);
    // The forced correction, then at most the odd one: comparing the stale reported times
    // directly fired a seek of the rear every few seconds while the pictures were in step.
    EXPECT_GE(corrections, 1);
    EXPECT_LE(corrections, 2);
}
