#pragma once

// Clock arithmetic of the card. The camera names its files by its local clock (Korean time,
// nine hours ahead of UTC, no daylight saving) while its receiver writes UTC; both are plain
// arithmetic here so that nothing depends on the time zone of the machine that writes the card.

#include <cstdint>
#include <string>

namespace samplecard {

inline constexpr std::int64_t kCameraUtcOffsetSeconds = 9 * 3600;

struct CivilTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since 1970-01-01 00:00:00 of the same clock (no zone applied).
std::int64_t ToEpochSeconds(const CivilTime& t);
CivilTime FromEpochSeconds(std::int64_t seconds);

// "20230405-13h22m10s": the time part of the camera's file names.
std::string FormatNameTime(const CivilTime& t);
// "2023-04-05 13:22:10": the time burnt into the picture.
std::string FormatDisplayTime(const CivilTime& t);

} // namespace samplecard
