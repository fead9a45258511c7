#include "tools/samplecard/AviTrackRecords.h"

#include "tools/samplecard/ByteWriter.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace samplecard {

namespace {

// Sync words the stream probes accept from a single occurrence, and the start codes of the video
// probes, in the little-endian bytes of a float.
bool IsProbeBait(float f)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(f);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                               static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t x = b[i], y = b[i + 1];
        if (x == 0xFF && (y >= 0xE0 || y == 0xD8 || y == 0x1F)) return true; // MPEG audio, ADTS, JPEG, DTS
        if ((x == 0x0B && y == 0x77) || (x == 0x77 && y == 0x0B)) return true; // AC-3
        if (x == 0x56 && (y & 0xE0) == 0xE0) return true;                      // LATM
        if ((x == 0x7F && y == 0xFE) || (x == 0xFE && y == 0x7F) || (x == 0x1F && y == 0xFF)) return true; // DTS
        if (x == 0xF8 && y == 0x72) return true; // TrueHD
    }
    // A start code, also with zero bytes of the word before.
    return b[0] == 0x01 || (b[0] == 0 && b[1] == 0x01) || (b[0] == 0 && b[1] == 0 && b[2] == 0x01) ||
           (b[1] == 0 && b[2] == 0 && b[3] == 0x01);
}

} // namespace

float ToRecordFloat(double value)
{
    float f = static_cast<float>(value);
    if (f == 0.0f) return f;
    for (int i = 0; i < 64 && IsProbeBait(f); ++i) f = std::nextafter(f, std::numeric_limits<float>::infinity());
    return f;
}

std::vector<std::uint8_t> BuildAviTrackRecord(const RouteStep& step, std::uint32_t stepNumber, bool bDecimalDegrees)
{
    const CivilTime t = FromEpochSeconds(step.localTime);
    Bytes record;
    CByteWriter w(record);
    w.PutU32LE(511);
    w.PutU32LE(0x3260A);
    for (const int v : {t.year, t.month, t.day, t.hour, t.minute, t.second}) w.PutU32LE(static_cast<std::uint32_t>(v));
    w.PutU32LE(stepNumber);
    w.PutU32LE(step.bFix ? 9 : 0);
    for (int axis = 0; axis < 3; ++axis) w.PutF32LE(GValue(step, axis));
    w.PutU32LE(1u | 4u); // north, east
    const bool bSpeed = step.bFix && step.speedCentiKnots >= 0;
    w.PutF32LE(bSpeed ? ToRecordFloat(SpeedKmh(step)) : 0.0f);
    if (!step.bFix) {
        w.PutF32LE(0.0f);
        w.PutF32LE(0.0f);
    } else if (bDecimalDegrees) {
        w.PutF32LE(ToRecordFloat(LatitudeDegrees(step)));
        w.PutF32LE(ToRecordFloat(LongitudeDegrees(step)));
    } else {
        // ddmm.mmmm as a number: degrees x 100 + minutes.
        const auto nmea = [](std::int32_t e4Min) { return (e4Min / 600000) * 100.0 + (e4Min % 600000) / 10000.0; };
        w.PutF32LE(ToRecordFloat(nmea(step.latE4Min)));
        w.PutF32LE(ToRecordFloat(nmea(step.lonE4Min)));
    }
    return record;
}

AviTrackStream BuildAviTrackStream(TrackLayout layout, const std::vector<RouteStep>& steps)
{
    AviTrackStream stream;
    const bool bData = layout == TrackLayout::AviData;
    std::memcpy(stream.fccType, bData ? "dats" : "txts", 4);
    stream.scale = 1;
    stream.rate = 1;
    for (std::size_t i = 0; i < steps.size(); ++i)
        stream.samples.push_back(BuildAviTrackRecord(steps[i], static_cast<std::uint32_t>(i), bData));
    return stream;
}

} // namespace samplecard
