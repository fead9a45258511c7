#pragma once

// The embedded track of one recording as CSV, GPX 1.1 or JSON.

#include "recording/TorvixGpsData.h"

#include <optional>
#include <ostream>
#include <string>

namespace cli {

// One row of the export: GPS values where the track has a record, G-sensor values where it has
// a stored sample; absent and NaN values are empty.
struct TrackRow {
    int index = 0;
    bool hasGps = false;
    std::string utcTime;
    std::string status;
    double latitude = 0, longitude = 0, speedKmh = 0, course = 0;
    bool hasSensor = false;
    float gx = 0, gy = 0, gz = 0;
};

// Rows up to the larger of the GPS record count and the stored G-sensor sample count.
std::vector<TrackRow> CollectTrackRows(const CTorvixGpsData& data);

// Numbers in their shortest round-trip form; empty for NaN.
std::string FormatNumber(double v);
std::string FormatNumber(float v);

void WriteCsv(std::ostream& out, const std::vector<TrackRow>& rows);
// fileName gives the date (YYYYMMDD at its start); fixes carry the UTC time of day.
void WriteGpx(std::ostream& out, const std::vector<TrackRow>& rows, const std::string& fileName,
              const std::string& parserName, int parserIndex);
void WriteJson(std::ostream& out, const std::vector<TrackRow>& rows, const std::string& path,
               const std::string& parserName, int parserIndex);

// "YYYY-MM-DDTHH:MM:SS[.sss]Z" for a fix time of day, on the UTC day nearest to the local
// moment the file name gives (cameras name files in local time and stamp fixes in UTC).
std::optional<std::string> GpxTimeFor(const std::string& fileName, const std::string& utcTime);

} // namespace cli
