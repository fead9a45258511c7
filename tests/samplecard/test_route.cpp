// The drive behind every track of the card, and the texts it is written as: the values must be
// believable for a car in Seoul, and every text must carry the step's value exactly.

#include "tools/samplecard/CardPlan.h"
#include "tools/samplecard/NmeaText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace samplecard;

// The card's steps by camera time: front and rear files of a moment hold the same step.
std::map<std::int64_t, RouteStep> CollectSteps(std::uint64_t seed)
{
    std::map<std::int64_t, RouteStep> steps;
    for (const PlannedRecording& r : PlanCard(seed).vecRecordings)
        for (const RouteStep& s : r.vecSteps) steps[s.localTime] = s;
    return steps;
}

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> out(1);
    for (const char c : text) {
        if (c == sep)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

double DistanceMetres(const RouteStep& a, const RouteStep& b)
{
    const double lat = LatitudeDegrees(a) * std::numbers::pi / 180.0;
    const double dy = (LatitudeDegrees(b) - LatitudeDegrees(a)) * 111132.0;
    const double dx = (LongitudeDegrees(b) - LongitudeDegrees(a)) * 111320.0 * std::cos(lat);
    return std::hypot(dx, dy);
}

class RouteOfSeed : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(RouteOfSeed, IsABelievableDriveThroughSeoulWithStopsGapsAndOneSpike)
{
    const auto steps = CollectSteps(GetParam());
    ASSERT_GT(steps.size(), 100u);
    double maxKmh = 0.0;
    int noFix = 0, noCourse = 0, noSpeed = 0, spikes = 0, headingChecks = 0, headingAgrees = 0;
    const RouteStep* prev = nullptr;
    for (const auto& [time, s] : steps) {
        EXPECT_GT(LatitudeDegrees(s), 37.45);
        EXPECT_LT(LatitudeDegrees(s), 37.65);
        EXPECT_GT(LongitudeDegrees(s), 126.9);
        EXPECT_LT(LongitudeDegrees(s), 127.15);
        const double kmh = SpeedKmh(s);
        if (!std::isnan(kmh)) {
            EXPECT_GE(kmh, 0.0);
            EXPECT_LE(kmh, 110.0);
            maxKmh = std::max(maxKmh, kmh);
        }
        noFix += !s.bFix;
        noCourse += s.courseDeci < 0;
        noSpeed += s.speedCentiKnots < 0;
        // Empty course exactly when standing.
        EXPECT_EQ(s.courseDeci < 0, s.speedCentiKnots <= 0) << "at " << time;
        if (std::fabs(GValue(s, 0)) > 2.0f) {
            ++spikes;
        } else {
            EXPECT_NEAR(GValue(s, 2), 1.0, 0.1) << "gravity at " << time;
            EXPECT_LT(std::fabs(GValue(s, 0)), 0.6) << "braking or speeding up at " << time;
        }

        if (prev && prev->localTime + 1 == time && !std::isnan(kmh) && !std::isnan(SpeedKmh(*prev))) {
            // One second of travel at about the reported speed (corners cut it short); a parked
            // receiver wanders by under a metre.
            const double metres = DistanceMetres(*prev, s);
            EXPECT_LE(metres, (kmh + SpeedKmh(*prev)) / 2.0 / 3.6 + 1.0) << "at " << time;
            if (metres > 8.0 && s.courseDeci >= 0) {
                const double dy = LatitudeDegrees(s) - LatitudeDegrees(*prev);
                const double dx = (LongitudeDegrees(s) - LongitudeDegrees(*prev)) * std::cos(LatitudeDegrees(s) * std::numbers::pi / 180.0);
                const double bearing = std::fmod(std::atan2(dx, dy) * 180.0 / std::numbers::pi + 360.0, 360.0);
                ++headingChecks;
                headingAgrees += std::fabs(std::remainder(bearing - CourseDegrees(s), 360.0)) < 20.0;
            }
        }
        prev = &s;
    }
    EXPECT_GE(maxKmh, 95.0);
    EXPECT_GE(noFix, 6);
    EXPECT_GE(noCourse, 10);
    EXPECT_GE(noSpeed, 4);
    EXPECT_EQ(spikes, 1);
    ASSERT_GT(headingChecks, 50);
    EXPECT_GE(headingAgrees, headingChecks * 9 / 10) << "the course follows the road";
}

INSTANTIATE_TEST_SUITE_P(Seeds, RouteOfSeed, ::testing::Values(1u, 7u, 123456789u));

TEST(NmeaText, RmcSentencesCarryEveryStepExactlyWithAValidChecksum)
{
    for (const auto& [time, s] : CollectSteps(7)) {
        const std::string text = FormatRmc("GP", s);
        SCOPED_TRACE(text);
        const std::size_t star = text.find('*');
        ASSERT_NE(star, std::string::npos);
        unsigned sum = 0;
        for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(text[i]);
        EXPECT_EQ(std::strtoul(text.substr(star + 1).c_str(), nullptr, 16), sum);

        const std::vector<std::string> f = Split(text.substr(0, star), ',');
        ASSERT_EQ(f.size(), 13u);
        EXPECT_EQ(f[0], "$GPRMC");
        // hhmmss of UTC, nine hours behind the camera clock.
        const int hms = std::atoi(f[1].c_str());
        const CivilTime utc = FromEpochSeconds(time - 9 * 3600);
        EXPECT_EQ(hms, utc.hour * 10000 + utc.minute * 100 + utc.second);
        EXPECT_EQ(f[9], [&] {
            char d[8];
            std::snprintf(d, sizeof d, "%02d%02d%02d", utc.day, utc.month, utc.year % 100);
            return std::string(d);
        }());
        if (!s.bFix) {
            EXPECT_EQ(f[2], "V");
            for (int i = 3; i <= 8; ++i) EXPECT_TRUE(f[static_cast<std::size_t>(i)].empty());
            continue;
        }
        EXPECT_EQ(f[2], "A");
        EXPECT_EQ(f[4], "N");
        EXPECT_EQ(f[6], "E");
        ASSERT_EQ(f[3].size(), 9u);
        ASSERT_EQ(f[5].size(), 10u);
        const long latE4 = std::atol(f[3].substr(0, 2).c_str()) * 600000 + std::lround(std::strtod(f[3].c_str() + 2, nullptr) * 10000);
        const long lonE4 = std::atol(f[5].substr(0, 3).c_str()) * 600000 + std::lround(std::strtod(f[5].c_str() + 3, nullptr) * 10000);
        EXPECT_EQ(latE4, s.latE4Min);
        EXPECT_EQ(lonE4, s.lonE4Min);
        EXPECT_EQ(f[7].empty() ? -1 : std::lround(std::strtod(f[7].c_str(), nullptr) * 100), s.speedCentiKnots);
        EXPECT_EQ(f[8].empty() ? -1 : std::lround(std::strtod(f[8].c_str(), nullptr) * 10), s.courseDeci);
        // What the "gps " reader computes from the text is the step's value to the last bit.
        EXPECT_EQ(std::strtod(f[3].substr(0, 2).c_str(), nullptr) + std::strtod(f[3].c_str() + 2, nullptr) / 60.0,
                  LatitudeDegrees(s));
    }
}

TEST(NmeaText, GSensorTextIsTheCountsExactValue)
{
    for (int k = -2000; k <= 2000; k += 7) {
        const std::string text = FormatGText(static_cast<std::int16_t>(k));
        SCOPED_TRACE(text);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), k * 3.0 / 2048.0);
        if (k == 0) {
            EXPECT_EQ(text, "0");
        } else {
            EXPECT_NE(text.back(), '0') << "no trailing zeros";
        }
    }
}

TEST(CardTime, CivilTimesRoundTripAcrossMonthYearAndLeapDay)
{
    for (const CivilTime t : {CivilTime{2023, 4, 5, 13, 22, 10}, CivilTime{2024, 2, 29, 23, 59, 59},
                              CivilTime{2023, 12, 31, 0, 0, 0}, CivilTime{1970, 1, 1, 0, 0, 0}}) {
        const CivilTime back = FromEpochSeconds(ToEpochSeconds(t));
        EXPECT_EQ(FormatDisplayTime(back), FormatDisplayTime(t));
    }
    EXPECT_EQ(ToEpochSeconds(CivilTime{2024, 3, 1, 0, 0, 0}) - ToEpochSeconds(CivilTime{2024, 2, 28, 0, 0, 0}), 2 * 86400);
    EXPECT_EQ(FormatNameTime(CivilTime{2023, 4, 5, 7, 2, 9}), "20230405-07h02m09s");

    // A morning step on the camera clock is the previous day in the receiver's UTC.
    RouteStep s;
    s.localTime = ToEpochSeconds(CivilTime{2023, 4, 5, 7, 30, 0});
    s.bFix = false;
    EXPECT_NE(FormatRmc("GP", s).find(",223000.000,V,,,,,,,040423,"), std::string::npos) << FormatRmc("GP", s);
}

} // namespace
