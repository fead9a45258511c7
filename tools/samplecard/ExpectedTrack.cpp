#include "tools/samplecard/ExpectedTrack.h"

#include "recording/ISimpleParser.h"
#include "tools/samplecard/AviTrackRecords.h"
#include "tools/samplecard/NmeaText.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace samplecard {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A float near 3700 (ddmm.mmmm of 37 degrees) is off by up to 2.4e-4 minutes, and the
// conversion adds the rounding of a float near 37: together well below 2e-5 degrees (2 m).
constexpr double kSinglePrecisionDegrees = 2e-5;

void SetText(char* field, std::size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

GpsFix StatusOnly(char status)
{
    GpsFix fix = GpsFix::Empty();
    fix.status[0] = status;
    fix.status[1] = 1;
    return fix;
}

GpsFix PositionFix(const RouteStep& step)
{
    GpsFix fix = StatusOnly('A');
    SetText(fix.latHemisphere, sizeof fix.latHemisphere, "N");
    SetText(fix.lonHemisphere, sizeof fix.lonHemisphere, "E");
    fix.latitude = LatitudeDegrees(step);
    fix.longitude = LongitudeDegrees(step);
    fix.speedKmh = SpeedKmh(step);
    fix.course = CourseDegrees(step);
    return fix;
}

SensorSample Raw(const RouteStep& step) { return SensorSample{GValue(step, 0), GValue(step, 1), GValue(step, 2)}; }

// The "gps " readers scale the raw value and clamp it to the range of the camera's own graph.
SensorSample Clamped(const RouteStep& step)
{
    const auto clamp = [](float v) { return std::clamp(v, -2.0f, 2.0f); };
    const SensorSample s = Raw(step);
    return SensorSample{clamp(s.x), clamp(s.y), clamp(s.z)};
}

GpsFix ExpectedFix(TrackLayout layout, const RouteStep& step)
{
    switch (layout) {
    case TrackLayout::GpsIndex: {
        // A step without a valid sentence is the empty record; a valid one keeps its time text.
        if (!step.bFix) return GpsFix::Empty();
        GpsFix fix = PositionFix(step);
        SetText(fix.utcTime, sizeof fix.utcTime, FormatUtcTimeField(step));
        return fix;
    }
    case TrackLayout::NullMedia:
    case TrackLayout::OlderBoxes:
        return step.bFix ? PositionFix(step) : StatusOnly('V');
    case TrackLayout::AviText:
    case TrackLayout::AviData: {
        const bool bText = layout == TrackLayout::AviText;
        if (!step.bFix) {
            GpsFix fix = StatusOnly('V');
            const double none = bText ? kNaN : 0.0;
            fix.latitude = fix.longitude = fix.speedKmh = fix.course = none;
            return fix;
        }
        GpsFix fix = PositionFix(step);
        if (!bText) {
            // Decimal degrees stored as floats.
            fix.latitude = ToRecordFloat(fix.latitude);
            fix.longitude = ToRecordFloat(fix.longitude);
        }
        // The record has no empty field: a standing car reports 0, and no course at all.
        fix.speedKmh = step.speedCentiKnots < 0 ? 0.0 : ToRecordFloat(SpeedKmh(step));
        fix.course = bText ? kNaN : 0.0;
        return fix;
    }
    case TrackLayout::None:
        break;
    }
    return GpsFix::Zero();
}

} // namespace

const char* TrackLayoutName(TrackLayout layout)
{
    switch (layout) {
    case TrackLayout::None: return "none";
    case TrackLayout::GpsIndex: return "gps-index";
    case TrackLayout::NullMedia: return "null-media";
    case TrackLayout::AviText: return "avi-txts";
    case TrackLayout::AviData: return "avi-dats";
    case TrackLayout::OlderBoxes: return "gpsr-sens";
    }
    return "";
}

int ParserKindOf(TrackLayout layout)
{
    switch (layout) {
    case TrackLayout::GpsIndex: return kParserNovatek;
    case TrackLayout::NullMedia: return kParserAmba;
    case TrackLayout::AviText:
    case TrackLayout::AviData: return kParserAviSimple;
    case TrackLayout::OlderBoxes: return kParserMovieOld;
    case TrackLayout::None: break;
    }
    return -1;
}

ExpectedTrack BuildExpectedTrack(TrackLayout layout, const std::vector<RouteStep>& steps)
{
    ExpectedTrack track;
    track.layout = layout;
    track.parserKind = ParserKindOf(layout);
    if (layout == TrackLayout::None) return track;
    track.positionTolerance =
        (layout == TrackLayout::NullMedia || layout == TrackLayout::OlderBoxes || layout == TrackLayout::AviText)
            ? kSinglePrecisionDegrees
            : 0.0;
    for (const RouteStep& step : steps) {
        track.vecFixes.push_back(ExpectedFix(layout, step));
        track.vecSensors.push_back(layout == TrackLayout::GpsIndex ? Clamped(step) : Raw(step));
    }
    return track;
}

} // namespace samplecard
