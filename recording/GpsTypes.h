#pragma once

// The two sample records that every track parser produces.

#include <cstdint>
#include <limits>

// One GPS sample from one NMEA RMC sentence. Plain record of fixed layout.
struct GpsFix {
    char utcTime[12];      // hhmmss.sss, at most 11 characters, zero-terminated
    char status[4];        // "A" for a valid fix; status[1] == 1 is the parser's "parsed" marker
    char latHemisphere[4]; // "N" or "S"
    char lonHemisphere[4]; // "E" or "W"
    double latitude;       // signed decimal degrees, negative in the south
    double longitude;      // signed decimal degrees, negative in the west
    double speedKmh;
    double course;

    // All text zero, numbers 0.0: what the first-fix read returns for a recording without a track.
    static GpsFix Zero()
    {
        GpsFix f{};
        return f;
    }
    // A track step without a usable sentence: text zero, numbers quiet NaN.
    static GpsFix Empty()
    {
        GpsFix f{};
        const double nan = std::numeric_limits<double>::quiet_NaN();
        f.latitude = f.longitude = f.speedKmh = f.course = nan;
        return f;
    }
    bool IsParsed() const { return status[1] == 1; }
    // Valid: status "A" and the parsed marker set.
    bool IsValid() const { return status[0] == 'A' && status[1] == 1; }
};

static_assert(sizeof(GpsFix) == 56, "GpsFix keeps its fixed layout");

// One G-sensor sample in units of standard gravity. 99.0 in all three axes means no sample.
struct SensorSample {
    float x;
    float y;
    float z;
};

inline constexpr float kNoSensorValue = 99.0f;
