#pragma once

// The drive of a sample card: one step per second through central Seoul, as the camera's
// receiver and G-sensor report it. Every value is kept in the unit the track layouts write
// (arc-minutes to four decimals as in "ddmm.mmmm", hundredths of a knot, tenths of a degree,
// sensor counts), so that the value a parser must read back is known exactly.

#include "tools/samplecard/CardTime.h"

#include <cstdint>
#include <vector>

namespace samplecard {

// One G-sensor count in g. 3/2048 g is exact in every layout: as a float, as a short decimal
// text, and as the raw value of the "gps " blocks (whose readers scale by 1.5/1024).
inline constexpr double kGUnit = 3.0 / 2048.0;

struct RouteStep {
    std::int64_t localTime = 0;  // camera clock, seconds since 1970 (no zone)
    bool bFix = false;           // receiver status "A"; "V" steps carry no position
    std::int32_t latE4Min = 0;   // latitude north in 1/10000 arc-minute
    std::int32_t lonE4Min = 0;   // longitude east in 1/10000 arc-minute
    int speedCentiKnots = -1;    // -1: the receiver left the field empty
    int courseDeci = -1;         // tenths of a degree; -1: left empty
    std::int16_t g[3] = {0, 0, 0}; // forward, left, up; in kGUnit
};

double LatitudeDegrees(const RouteStep& step);
double LongitudeDegrees(const RouteStep& step);
// NaN when the field is empty.
double SpeedKmh(const RouteStep& step);
double CourseDegrees(const RouteStep& step);
float GValue(const RouteStep& step, int axis);

// Where the drive does what, in seconds from its first step.
struct RouteWindow {
    int start = 0;
    int length = 0;
    bool Contains(int t) const { return t >= start && t < start + length; }
};

struct RouteScript {
    int driveSeconds = 0;                // moving (or waiting at lights) from step 0
    int totalSeconds = 0;                // parked after the drive until here
    std::vector<RouteWindow> vecNoFix;   // receiver reports "V" (underpasses, tall buildings)
    std::vector<RouteWindow> vecStops;   // standing at lights: speed 0, course empty
    RouteWindow fast;                    // the expressway stretch, up to 110 km/h
    int spikeAt = -1;                    // the one sharp G-sensor event
};

class CRoute {
public:
    static CRoute Generate(std::uint64_t seed, std::int64_t startLocalTime, const RouteScript& script);

    const std::vector<RouteStep>& GetSteps() const { return m_vecSteps; }
    // count steps from offset (fewer at the end of the route).
    std::vector<RouteStep> Slice(int offset, int count) const;

private:
    std::vector<RouteStep> m_vecSteps;
};

} // namespace samplecard
