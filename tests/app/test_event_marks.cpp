// Where the position bar marks an event: bursts of the G-sensor away from the resting reading, and
// the start of event recordings.

#include "app/EventMarks.h"

#include <gtest/gtest.h>

TEST(EventMarks, BurstsAwayFromRestAreFoundOncePerBurst)
{
    // 100 samples over 50 seconds, resting at (0, 0, 1); a two-sample knock at samples 20-21 and
    // one at 80; a missing sample (99) in between is no event.
    std::vector<float> x(100, 0.02f), y(100, -0.01f), z(100, 1.0f);
    x[20] = 0.9f;
    x[21] = -0.7f;
    z[80] = 1.8f;
    x[50] = y[50] = z[50] = 99.0f;
    EXPECT_EQ(FindEventSeconds(x, y, z, 50, false), (std::vector<int>{10, 40}));
    // An event recording is marked at its start as well.
    EXPECT_EQ(FindEventSeconds(x, y, z, 50, true), (std::vector<int>{0, 10, 40}));
    // A camera mounted on its side rests at (1, 0, 0): resting is not an event.
    std::vector<float> side(100, 1.0f), zero(100, 0.0f);
    EXPECT_TRUE(FindEventSeconds(side, zero, zero, 50, false).empty());
    // Nothing to look at.
    EXPECT_EQ(FindEventSeconds({}, {}, {}, 50, true), (std::vector<int>{0}));
    EXPECT_TRUE(FindEventSeconds(x, y, z, 0, false).empty());
}
