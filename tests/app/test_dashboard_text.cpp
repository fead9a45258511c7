// The dashboard's texts: the play-time label and the read-out's rounding rule.

#include "app/DashboardText.h"

#include <gtest/gtest.h>

TEST(DashboardText, PlayTimeIsHoursMinutesSeconds)
{
    EXPECT_EQ(FormatPlayTime(0), L"00:00:00");
    EXPECT_EQ(FormatPlayTime(3725), L"01:02:05");
    EXPECT_EQ(FormatPlayTime(59), L"00:00:59");
    EXPECT_EQ(FormatPlayTime(-3), L"00:00:00");
}

TEST(DashboardText, ReadOutRoundsUpAtHalfButShowsNegativeValuesAsTheyAre)
{
    EXPECT_EQ(FormatSensorValue(L'X', 1.234f), L"X : 1.23");
    EXPECT_EQ(FormatSensorValue(L'Y', 0.006f), L"Y : 0.01");
    // The rounded -0.004 would be -0.00 by the rule's exception: the raw value is formatted.
    EXPECT_EQ(FormatSensorValue(L'Z', -0.004f), L"Z : -0.00");
    // Positive halves round up (printf alone would give 0.12 for the exact 0.125) ...
    EXPECT_EQ(FormatSensorValue(L'X', 0.125f), L"X : 0.13");
    // ... negative values keep printf's own rounding (-1.235 reads -1.24, the half-up rule says -1.23).
    EXPECT_EQ(FormatSensorValue(L'X', -1.235f), L"X : -1.24");
    EXPECT_EQ(FormatSensorValue(L'X', 0.0f), L"X : 0.00");
}
