#include "cli/TrackExport.h"

#include "recording/ISimpleParser.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace cli {
namespace {

std::string TextField(const char* bytes, std::size_t max)
{
    std::string s;
    for (std::size_t i = 0; i < max && bytes[i] != '\0'; ++i) s.push_back(bytes[i]);
    return s;
}

// Stored G-sensor samples of the selected parser, whatever form it keeps them in.
int StoredSensorSamples(const CTorvixGpsData& data)
{
    const ISimpleParser* p = data.GetSelectedParser();
    if (!p) return 0;
    switch (data.GetSelected()) {
    case kParserMovieOld:
    case kParserAviSimple:
    case kParserAviUserData: return p->m_pSensorBytes ? p->m_nSensorByteLength / 12 : 0;
    case kParserAmba: return p->m_pSensorBytes ? static_cast<int>(p->m_vecSensorFloats.size()) : 0;
    case kParserNovatek:
        return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(p->m_nSensorByteLength, 0)),
                                                      p->m_vecSensorFloats.size()));
    default: return 0;
    }
}

// A text field of the CSV, quoted only when it has to be.
std::string CsvField(const std::string& s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out.push_back(c);
    }
    return out + "\"";
}

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out + "\"";
}

std::string XmlText(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters are not allowed in XML 1.0 at all.
            if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// XML Schema decimals have no exponent: the shortest round-trip form in fixed notation.
std::string DecimalText(double v)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

std::string JsonNumber(double v) { return std::isfinite(v) ? FormatNumber(v) : "null"; }
std::string JsonNumber(float v) { return std::isfinite(v) ? FormatNumber(v) : "null"; }

bool AllDigits(const std::string& s, std::size_t from, std::size_t n)
{
    if (s.size() < from + n) return false;
    for (std::size_t i = from; i < from + n; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

} // namespace

std::string FormatNumber(double v)
{
    if (std::isnan(v)) return {};
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string FormatNumber(float v)
{
    if (std::isnan(v)) return {};
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::vector<TrackRow> CollectTrackRows(const CTorvixGpsData& data)
{
    std::vector<TrackRow> rows;
    int gpsCount = 0;
    const GpsFix* fixes = data.GetGpsArray(gpsCount);
    const int sensors = StoredSensorSamples(data);
    const int count = std::max(gpsCount, sensors);
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TrackRow row;
        row.index = i;
        if (fixes && i < gpsCount) {
            const GpsFix& f = fixes[i];
            row.hasGps = true;
            row.utcTime = TextField(f.utcTime, sizeof f.utcTime);
            // The byte after the status letter is the parser's marker, not text.
            row.status = f.status[0] != '\0' ? std::string(1, f.status[0]) : std::string();
            row.latitude = f.latitude;
            row.longitude = f.longitude;
            row.speedKmh = f.speedKmh;
            row.course = f.course;
        }
        if (i < sensors) {
            float x = 0, y = 0, z = 0;
            if (data.GetSensorData(i, x, y, z)) {
                row.hasSensor = true;
                row.gx = x;
                row.gy = y;
                row.gz = z;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void WriteCsv(std::ostream& out, const std::vector<TrackRow>& rows)
{
    out << "index,utc_time,status,latitude,longitude,speed_kmh,course,g_x,g_y,g_z\n";
    for (const TrackRow& r : rows) {
        out << r.index << ',';
        if (r.hasGps)
            out << CsvField(r.utcTime) << ',' << CsvField(r.status) << ',' << FormatNumber(r.latitude) << ',' << FormatNumber(r.longitude)
                << ',' << FormatNumber(r.speedKmh) << ',' << FormatNumber(r.course) << ',';
        else
            out << ",,,,,,";
        if (r.hasSensor)
            out << FormatNumber(r.gx) << ',' << FormatNumber(r.gy) << ',' << FormatNumber(r.gz);
        else
            out << ",,";
        out << '\n';
    }
}

std::optional<std::string> GpxTimeFor(const std::string& fileName, const std::string& utcTime)
{
    // File name: YYYYMMDD-HHhMMmSSs...; fix time: hhmmss[.sss]
    if (!AllDigits(fileName, 0, 8) || !AllDigits(utcTime, 0, 6)) return std::nullopt;
    auto num = [](const std::string& s, std::size_t at, std::size_t n) { return std::stoi(s.substr(at, n)); };
    std::tm local{};
    local.tm_year = num(fileName, 0, 4) - 1900;
    local.tm_mon = num(fileName, 4, 2) - 1;
    local.tm_mday = num(fileName, 6, 2);
    if (AllDigits(fileName, 9, 2) && AllDigits(fileName, 12, 2) && AllDigits(fileName, 15, 2)) {
        local.tm_hour = num(fileName, 9, 2);
        local.tm_min = num(fileName, 12, 2);
        local.tm_sec = num(fileName, 15, 2);
    } else {
        local.tm_hour = 12;
    }
    const int h = num(utcTime, 0, 2), m = num(utcTime, 2, 2), s = num(utcTime, 4, 2);
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_mday > 31 || h > 23 || m > 59 || s > 60)
        return std::nullopt;
    const std::time_t nameMoment = timegm(&local);
    // The fix's day is the one (of the day before, the same, the day after) whose UTC moment lies
    // nearest to the moment the name gives; that absorbs any time zone within twelve hours.
    std::time_t best = 0;
    long long bestGap = -1;
    for (int dayOffset = -1; dayOffset <= 1; ++dayOffset) {
        std::tm t = local;
        t.tm_mday += dayOffset;
        t.tm_hour = h;
        t.tm_min = m;
        t.tm_sec = s;
        const std::time_t candidate = timegm(&t);
        const long long gap = std::llabs(static_cast<long long>(candidate - nameMoment));
        if (bestGap < 0 || gap < bestGap) {
            bestGap = gap;
            best = candidate;
        }
    }
    std::tm utc{};
    gmtime_r(&best, &utc);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                  utc.tm_hour, utc.tm_min, utc.tm_sec);
    std::string text(buf);
    // Keep the fix's fraction of a second when it has one.
    if (utcTime.size() > 7 && utcTime[6] == '.' && AllDigits(utcTime, 7, utcTime.size() - 7))
        text += utcTime.substr(6);
    return text + "Z";
}

void WriteGpx(std::ostream& out, const std::vector<TrackRow>& rows, const std::string& fileName,
              const std::string& parserName, int parserIndex)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"torvix-track\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
           "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
           "     xmlns:torvix=\"urn:torvix-player:gpx:1\"\n"
           "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
    out << "  <metadata>\n    <name>" << XmlText(fileName) << "</name>\n    <desc>"
        << XmlText("parser " + (parserName.empty() ? std::string("none") : parserName) + " (" +
                   std::to_string(parserIndex) + ")")
        << "</desc>\n  </metadata>\n";
    out << "  <trk>\n    <name>" << XmlText(fileName) << "</name>\n    <trkseg>\n";
    for (const TrackRow& r : rows) {
        if (!r.hasGps || !std::isfinite(r.latitude) || !std::isfinite(r.longitude)) continue;
        // Not a position, or outside what GPX accepts (longitude 180 is written as -180).
        if (std::fabs(r.latitude) > 90.0 || std::fabs(r.longitude) > 180.0) continue;
        const double lon = r.longitude == 180.0 ? -180.0 : r.longitude;
        out << "      <trkpt lat=\"" << DecimalText(r.latitude) << "\" lon=\"" << DecimalText(lon) << "\">\n";
        if (auto t = GpxTimeFor(fileName, r.utcTime)) out << "        <time>" << *t << "</time>\n";
        out << "        <fix>" << (r.status == "A" ? "2d" : "none") << "</fix>\n";
        const bool speed = std::isfinite(r.speedKmh), course = std::isfinite(r.course);
        if (speed || course) {
            out << "        <extensions>\n";
            if (speed) out << "          <torvix:speed_kmh>" << DecimalText(r.speedKmh) << "</torvix:speed_kmh>\n";
            if (course) out << "          <torvix:course>" << DecimalText(r.course) << "</torvix:course>\n";
            out << "        </extensions>\n";
        }
        out << "      </trkpt>\n";
    }
    out << "    </trkseg>\n  </trk>\n</gpx>\n";
}

void WriteJson(std::ostream& out, const std::vector<TrackRow>& rows, const std::string& path,
               const std::string& parserName, int parserIndex)
{
    out << "{\n  \"file\": " << JsonString(path) << ",\n  \"parser\": {\"name\": "
        << (parserName.empty() ? std::string("null") : JsonString(parserName)) << ", \"index\": " << parserIndex
        << "},\n  \"steps\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TrackRow& r = rows[i];
        out << (i ? ",\n    " : "\n    ") << "{\"index\": " << r.index;
        if (r.hasGps)
            out << ", \"utc_time\": " << JsonString(r.utcTime) << ", \"status\": " << JsonString(r.status)
                << ", \"latitude\": " << JsonNumber(r.latitude) << ", \"longitude\": " << JsonNumber(r.longitude)
                << ", \"speed_kmh\": " << JsonNumber(r.speedKmh) << ", \"course\": " << JsonNumber(r.course);
        else
            out << ", \"utc_time\": null, \"status\": null, \"latitude\": null, \"longitude\": null"
                   ", \"speed_kmh\": null, \"course\": null";
        if (r.hasSensor)
            out << ", \"g_x\": " << JsonNumber(r.gx) << ", \"g_y\": " << JsonNumber(r.gy) << ", \"g_z\": " << JsonNumber(r.gz);
        else
            out << ", \"g_x\": null, \"g_y\": null, \"g_z\": null";
        out << '}';
    }
    out << (rows.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

} // namespace cli
