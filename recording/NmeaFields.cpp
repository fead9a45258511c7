#include "recording/NmeaFields.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace nmea {

namespace {

// The recorders write '.' decimals whatever the user's locale is; the GUI toolkit sets the
// process locale from the environment, so every conversion here runs in the "C" locale.
locale_t CLocale()
{
    static const locale_t s_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return s_locale;
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string RemoveWhite(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (const char c : field)
        if (!IsWhite(c)) out.push_back(c);
    return out;
}

void CopyFirstChar(char (&dst)[4], const std::string& field)
{
    std::memset(dst, 0, sizeof dst);
    dst[0] = field[0];
}

} // namespace

std::optional<double> ParseNumber(std::string_view text)
{
    const std::string s(text); // strtod needs a terminated string
    char* end = nullptr;
    errno = 0;
    const double v = strtod_l(s.c_str(), &end, CLocale());
    if (end == s.c_str()) return std::nullopt;
    if (errno == ERANGE) return std::nullopt;
    return v;
}

double ParseNumberLoose(std::string_view text)
{
    const std::string s(text);
    return strtod_l(s.c_str(), nullptr, CLocale());
}

float ParseFloatLoose(std::string_view text)
{
    // atof, then single precision: the rounding the recorders' own players apply.
    return static_cast<float>(ParseNumberLoose(text));
}

std::vector<std::string_view> SplitFields(std::string_view text, char separator)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::string_view CutAtNul(std::string_view text)
{
    const std::size_t at = text.find('\0');
    return at == std::string_view::npos ? text : text.substr(0, at);
}

bool IsRmcTag(std::string_view field)
{
    const std::string_view tag = field.substr(0, 6);
    return tag == "$GPRMC" || tag == "$GNRMC";
}

float DegreesMinutesToDegrees(float value)
{
    // std::trunc rather than an integer cast: the value is outside data and may be huge.
    const float degrees = std::trunc(value / 100.0f);
    return (value - degrees * 100.0f) / 60.0f + degrees;
}

void DecodeRmcFields(std::string_view sentence, GpsFix& fix, const RmcDecodeRules& rules)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    fix.latitude = fix.longitude = fix.speedKmh = fix.course = nan;

    const std::vector<std::string_view> raw = SplitFields(sentence, ',');
    bool bValid = true;
    for (std::size_t i = 0; i < raw.size() && i <= 8 && bValid; ++i) {
        const std::string field = RemoveWhite(raw[i]);
        const bool bUse = !field.empty() && bValid;
        switch (i) {
        case 0:
            if (IsRmcTag(field)) {
                fix.status[1] = 1;
            } else {
                fix.status[1] = 0;
                if (rules.bStopOnForeignSentence) return;
            }
            break;
        case 1: // time: not stored by these layouts
            break;
        case 2:
            fix.status[0] = field.empty() ? '\0' : field[0];
            if (fix.status[0] == 'V') bValid = false;
            break;
        case 3:
            fix.latitude = bUse ? DegreesMinutesToDegrees(ParseFloatLoose(field)) : nan;
            break;
        case 4:
            if (bUse) {
                CopyFirstChar(fix.latHemisphere, field);
                if (field[0] == 'S' || field[0] == 's') fix.latitude = -fix.latitude;
            }
            break;
        case 5:
            fix.longitude = bUse ? DegreesMinutesToDegrees(ParseFloatLoose(field)) : nan;
            break;
        case 6:
            if (bUse) {
                CopyFirstChar(fix.lonHemisphere, field);
                if (field[0] == 'W' || field[0] == 'w') fix.longitude = -fix.longitude;
            }
            break;
        case 7:
            fix.speedKmh = bUse ? ParseNumberLoose(field) * 1.852 : nan;
            break;
        case 8:
            fix.course = bUse ? ParseNumberLoose(field) : nan;
            break;
        default:
            break;
        }
    }
}

} // namespace nmea
