#pragma once

// The NMEA sentences of the card's receiver, built from route steps. Fields are written the way
// common receivers write them, and from the step's integer units only, so that a reader that
// parses them gets the step's values back exactly.

#include "tools/samplecard/Route.h"

#include <string>
#include <string_view>

namespace samplecard {

// "3733.9900" / "12658.6800".
std::string FormatLatitudeField(std::int32_t latE4Min);
std::string FormatLongitudeField(std::int32_t lonE4Min);

// "$GPRMC,042210.000,A,3733.9900,N,12658.6800,E,23.45,87.3,050423,,,A*5C" (talker "GP" or "GN").
// A "V" step keeps only time, status and date; empty speed and course stay empty fields.
std::string FormatRmc(std::string_view talker, const RouteStep& step);
// The fix-data sentence receivers send before it; quality 0 and no position without a fix.
std::string FormatGga(const RouteStep& step);

// "042210.000": the receiver's UTC time of a step.
std::string FormatUtcTimeField(const RouteStep& step);

// The decimal text of a G-sensor count, exact and without trailing zeros ("-0.0439453125").
std::string FormatGText(std::int16_t counts);

} // namespace samplecard
