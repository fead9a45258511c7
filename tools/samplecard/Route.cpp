#include "tools/samplecard/Route.h"

#include "tools/samplecard/SeededRandom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace samplecard {

namespace {

struct LatLon {
    double lat;
    double lon;
};

// City Hall, Gwanghwamun, along Jongno to Dongdaemun, north-east to Yongdu, down to the Seongsu
// bridge, across the river and east along Apgujeong-ro to Samseong. About ten kilometres; the
// drive turns round at the end should it ever get there.
constexpr std::array<LatLon, 14> kWaypoints = {{
    {37.56650, 126.97800},
    {37.57160, 126.97690},
    {37.57020, 126.98300},
    {37.57040, 126.99210},
    {37.57090, 127.00200},
    {37.57140, 127.00950},
    {37.57300, 127.01700},
    {37.57520, 127.02500},
    {37.57900, 127.03500},
    {37.56600, 127.04500},
    {37.54800, 127.04400},
    {37.53700, 127.03500},
    {37.52700, 127.03900},
    {37.50800, 127.06300},
}};

constexpr double kMetresPerDegreeLat = 110540.0;
constexpr double kMetresPerDegreeLonAtEquator = 111320.0;
constexpr double kGravity = 9.80665;
constexpr double kMaxKmh = 110.0;

double MetresPerDegreeLon(double lat) { return kMetresPerDegreeLonAtEquator * std::cos(lat * std::numbers::pi / 180.0); }

double SegmentLength(const LatLon& a, const LatLon& b)
{
    const double dy = (b.lat - a.lat) * kMetresPerDegreeLat;
    const double dx = (b.lon - a.lon) * MetresPerDegreeLon(a.lat);
    return std::hypot(dx, dy);
}

double RouteLength()
{
    double total = 0.0;
    for (std::size_t i = 1; i < kWaypoints.size(); ++i) total += SegmentLength(kWaypoints[i - 1], kWaypoints[i]);
    return total;
}

// Position and heading (degrees clockwise from north) at a distance along the route; past its
// end the car comes back the same way.
void PositionAt(double distance, LatLon& pos, double& heading)
{
    const double length = RouteLength();
    double d = std::fmod(std::max(distance, 0.0), 2.0 * length);
    bool bBack = false;
    if (d > length) {
        d = 2.0 * length - d;
        bBack = true;
    }
    std::size_t i = 1;
    double seg = SegmentLength(kWaypoints[0], kWaypoints[1]);
    while (d > seg && i + 1 < kWaypoints.size()) {
        d -= seg;
        ++i;
        seg = SegmentLength(kWaypoints[i - 1], kWaypoints[i]);
    }
    const LatLon& a = kWaypoints[i - 1];
    const LatLon& b = kWaypoints[i];
    const double f = seg > 0.0 ? std::clamp(d / seg, 0.0, 1.0) : 0.0;
    pos = {a.lat + (b.lat - a.lat) * f, a.lon + (b.lon - a.lon) * f};
    const double dy = (b.lat - a.lat) * kMetresPerDegreeLat;
    const double dx = (b.lon - a.lon) * MetresPerDegreeLon(a.lat);
    heading = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
    if (bBack) heading += 180.0;
    heading = std::fmod(heading + 360.0, 360.0);
}

std::int16_t ToGCount(double g)
{
    const double counts = std::round(g / kGUnit);
    return static_cast<std::int16_t>(std::clamp(counts, -20000.0, 20000.0));
}

bool InAny(const std::vector<RouteWindow>& windows, int t)
{
    return std::any_of(windows.begin(), windows.end(), [t](const RouteWindow& w) { return w.Contains(t); });
}

bool IsStopStart(const std::vector<RouteWindow>& windows, int t)
{
    return std::any_of(windows.begin(), windows.end(), [t](const RouteWindow& w) { return w.start == t; });
}

// Speeds in km/h for every second of the drive: a city pace that changes every few seconds, the
// expressway stretch, standing at the stops, with the car's limits on acceleration and braking.
std::vector<double> PlanSpeeds(CSeededRandom& rng, const RouteScript& script)
{
    const int n = script.driveSeconds;
    std::vector<double> v(static_cast<std::size_t>(std::max(n, 0)), 0.0);
    if (n == 0) return v;
    double target = rng.UniformReal(30.0, 55.0);
    int nextChange = rng.UniformInt(6, 14);
    v[0] = InAny(script.vecStops, 0) ? 0.0 : rng.UniformReal(20.0, 35.0);
    for (int t = 1; t < n; ++t) {
        if (t >= nextChange) {
            target = rng.UniformReal(25.0, 70.0);
            nextChange = t + rng.UniformInt(6, 14);
        }
        const double want = script.fast.Contains(t) ? rng.UniformReal(100.0, kMaxKmh) : target;
        if (InAny(script.vecStops, t)) {
            v[static_cast<std::size_t>(t)] = 0.0;
            continue;
        }
        const double step = std::clamp(want - v[static_cast<std::size_t>(t - 1)], -8.0, 6.5) + rng.UniformReal(-1.0, 1.0);
        v[static_cast<std::size_t>(t)] = std::clamp(v[static_cast<std::size_t>(t - 1)] + step, 6.0, kMaxKmh);
    }
    // Braking at most 9 km/h per second ahead of every stop.
    for (int t = n - 2; t >= 0; --t) {
        auto& cur = v[static_cast<std::size_t>(t)];
        cur = std::min(cur, v[static_cast<std::size_t>(t + 1)] + 9.0);
    }
    return v;
}

} // namespace

double LatitudeDegrees(const RouteStep& step)
{
    const std::int32_t degrees = step.latE4Min / 600000;
    const std::int32_t minutes = step.latE4Min % 600000;
    return degrees + (minutes / 10000.0) / 60.0;
}

double LongitudeDegrees(const RouteStep& step)
{
    const std::int32_t degrees = step.lonE4Min / 600000;
    const std::int32_t minutes = step.lonE4Min % 600000;
    return degrees + (minutes / 10000.0) / 60.0;
}

double SpeedKmh(const RouteStep& step)
{
    if (step.speedCentiKnots < 0) return std::numeric_limits<double>::quiet_NaN();
    return (step.speedCentiKnots / 100.0) * 1.852;
}

double CourseDegrees(const RouteStep& step)
{
    if (step.courseDeci < 0) return std::numeric_limits<double>::quiet_NaN();
    return step.courseDeci / 10.0;
}

float GValue(const RouteStep& step, int axis)
{
    return static_cast<float>(step.g[std::clamp(axis, 0, 2)] * kGUnit);
}

CRoute CRoute::Generate(std::uint64_t seed, std::int64_t startLocalTime, const RouteScript& script)
{
    CSeededRandom rng(seed * 0x100000001B3ull + 0x5EED);
    CRoute route;
    const int total = std::max(script.totalSeconds, script.driveSeconds);
    route.m_vecSteps.resize(static_cast<std::size_t>(std::max(total, 0)));

    const std::vector<double> speeds = PlanSpeeds(rng, script);
    double distance = rng.UniformReal(0.0, 1500.0);
    double lastHeading = 0.0;
    LatLon pos{};
    for (int t = 0; t < total; ++t) {
        RouteStep& s = route.m_vecSteps[static_cast<std::size_t>(t)];
        s.localTime = startLocalTime + t;
        const bool bDriving = t < script.driveSeconds;
        const double kmh = bDriving ? speeds[static_cast<std::size_t>(t)] : 0.0;
        const double prevKmh = t == 0 ? kmh : (t - 1 < script.driveSeconds ? speeds[static_cast<std::size_t>(t - 1)] : 0.0);
        if (t > 0) distance += (kmh + prevKmh) / 2.0 / 3.6;

        double heading = lastHeading;
        PositionAt(distance, pos, heading);
        if (!bDriving) heading = lastHeading;
        // A parked receiver wanders by a few decimetres.
        const double jitter = bDriving ? 0.0 : rng.UniformReal(-2.0, 2.0);
        s.latE4Min = static_cast<std::int32_t>(std::lround(pos.lat * 600000.0 + jitter));
        s.lonE4Min = static_cast<std::int32_t>(std::lround(pos.lon * 600000.0 - jitter));
        s.bFix = !InAny(script.vecNoFix, t);

        const bool bStopped = kmh == 0.0;
        if (bStopped) {
            // Standing still the receiver has no course; at lights it mostly drops the speed
            // too, except in the first second of the stop.
            s.courseDeci = -1;
            s.speedCentiKnots = (!bDriving || IsStopStart(script.vecStops, t)) ? 0 : -1;
        } else {
            s.speedCentiKnots = std::min(static_cast<int>(std::lround(kmh / 1.852 * 100.0)),
                                         static_cast<int>(kMaxKmh / 1.852 * 100.0));
            s.courseDeci = static_cast<int>(std::lround(heading * 10.0)) % 3600;
        }

        // Forward: the change of speed; left: speed times turn rate; up: gravity and the road.
        const double forward = (kmh - prevKmh) / 3.6 / kGravity;
        double turn = std::remainder(heading - lastHeading, 360.0) * std::numbers::pi / 180.0;
        if (t == 0 || bStopped) turn = 0.0;
        const double left = std::clamp(-(kmh / 3.6) * turn / kGravity, -0.45, 0.45);
        const double road = bDriving && !bStopped ? 0.03 : 0.004;
        s.g[0] = ToGCount(forward + rng.UniformReal(-road, road));
        s.g[1] = ToGCount(left + rng.UniformReal(-road, road));
        s.g[2] = ToGCount(1.0 + rng.UniformReal(-road, road));
        if (t == script.spikeAt) {
            // A hard hit from the front: beyond the range some sensors report.
            s.g[0] = ToGCount(-rng.UniformReal(2.3, 2.8));
            s.g[1] = ToGCount(rng.UniformReal(0.7, 1.1));
            s.g[2] = ToGCount(rng.UniformReal(1.6, 2.1));
        }
        lastHeading = heading;
    }
    return route;
}

std::vector<RouteStep> CRoute::Slice(int offset, int count) const
{
    std::vector<RouteStep> out;
    for (int t = std::max(offset, 0); t < offset + count && t < static_cast<int>(m_vecSteps.size()); ++t)
        out.push_back(m_vecSteps[static_cast<std::size_t>(t)]);
    return out;
}

} // namespace samplecard
