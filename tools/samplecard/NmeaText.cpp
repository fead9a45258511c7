#include "tools/samplecard/NmeaText.h"

#include <cstdio>
#include <cstdlib>

namespace samplecard {

namespace {

std::string WithChecksum(const std::string& body)
{
    unsigned sum = 0;
    for (std::size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum & 0xFFu);
    return body + tail;
}

CivilTime UtcOf(const RouteStep& step) { return FromEpochSeconds(step.localTime - kCameraUtcOffsetSeconds); }

std::string FormatDegreesMinutes(std::int32_t e4Min, int degreeDigits)
{
    const std::int32_t magnitude = std::abs(e4Min);
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%02d.%04d", degreeDigits, magnitude / 600000, magnitude % 600000 / 10000,
                  magnitude % 10000);
    return text;
}

} // namespace

std::string FormatLatitudeField(std::int32_t latE4Min) { return FormatDegreesMinutes(latE4Min, 2); }
std::string FormatLongitudeField(std::int32_t lonE4Min) { return FormatDegreesMinutes(lonE4Min, 3); }

std::string FormatUtcTimeField(const RouteStep& step)
{
    const CivilTime utc = UtcOf(step);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.000", utc.hour, utc.minute, utc.second);
    return text;
}

std::string FormatRmc(std::string_view talker, const RouteStep& step)
{
    const CivilTime utc = UtcOf(step);
    char date[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", utc.day, utc.month, utc.year % 100);
    std::string s = "$" + std::string(talker) + "RMC," + FormatUtcTimeField(step) + ",";
    if (!step.bFix) return WithChecksum(s + "V,,,,,,," + date + ",,,N");
    s += "A," + FormatLatitudeField(step.latE4Min) + ",N," + FormatLongitudeField(step.lonE4Min) + ",E,";
    if (step.speedCentiKnots >= 0) {
        char speed[24];
        std::snprintf(speed, sizeof speed, "%d.%02d", step.speedCentiKnots / 100, step.speedCentiKnots % 100);
        s += speed;
    }
    s += ",";
    if (step.courseDeci >= 0) {
        char course[24];
        std::snprintf(course, sizeof course, "%d.%d", step.courseDeci / 10, step.courseDeci % 10);
        s += course;
    }
    return WithChecksum(s + "," + date + ",,,A");
}

std::string FormatGga(const RouteStep& step)
{
    std::string s = "$GPGGA," + FormatUtcTimeField(step) + ",";
    if (!step.bFix) return WithChecksum(s + ",,,,0,00,99.99,,,,,,");
    s += FormatLatitudeField(step.latE4Min) + ",N," + FormatLongitudeField(step.lonE4Min) + ",E,1,09,0.9,38.4,M,18.6,M,,";
    return WithChecksum(s);
}

std::string FormatGText(std::int16_t counts)
{
    // counts * 3 / 2048 has at most eleven decimals.
    char text[40];
    std::snprintf(text, sizeof text, "%.11f", counts * kGUnit);
    std::string s = text;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

} // namespace samplecard
