#pragma once

// NMEA helpers shared by the MP4 track parsers: the strict number conversion of the "gps " block
// parser, and the RMC field decoder of the null-media and older-layout parsers.

#include "recording/GpsTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nmea {

// Strict decimal conversion: leading white space is accepted and trailing characters are
// ignored; no number at the start, or a value out of the double range, gives nullopt.
std::optional<double> ParseNumber(std::string_view text);

// Loose conversion as atof does it: 0 when the text does not begin with a number.
double ParseNumberLoose(std::string_view text);
// The same, rounded to single precision.
float ParseFloatLoose(std::string_view text);

// Splits at every separator; empty fields are kept ("a,,b" gives three fields).
std::vector<std::string_view> SplitFields(std::string_view text, char separator);

// The text up to its first NUL byte: the recorders terminate or pad their texts with zeros.
std::string_view CutAtNul(std::string_view text);

// True for "$GPRMC" and "$GNRMC" in the first six characters.
bool IsRmcTag(std::string_view field);

// ddmm.mmmm (or dddmm.mmmm) to decimal degrees, in single precision as the recorders' own
// players compute it: 3730.1234 gives about 37.502056.
float DegreesMinutesToDegrees(float value);

// How the decoders of the two parsers differ.
struct RmcDecodeRules {
    // True: a sentence whose first field is not RMC clears the parsed marker and stops the
    // decoding (null-media parser). False: the marker is cleared and the remaining fields are
    // still decoded as if it were RMC (older-layout parser).
    bool bStopOnForeignSentence = true;
};

// Decodes fields 0..8 of one sentence into fix: white space is removed from each field; the
// status byte and the parsed marker are set, hemispheres copied (lower-case s/w negate too),
// latitude, longitude, speed (knots x 1.852) and course filled; status "V", or an empty field,
// leaves the numbers NaN. utcTime is not stored. The text fields of fix not named here, and
// fields past 8, are left alone.
void DecodeRmcFields(std::string_view sentence, GpsFix& fix, const RmcDecodeRules& rules);

} // namespace nmea
