#include "cli/TrackExport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace cli;

namespace {

TrackRow GpsRow(int index, const char* time, double lat, double lon, double speed, double course)
{
    TrackRow r;
    r.index = index;
    r.hasGps = true;
    r.utcTime = time;
    r.status = "A";
    r.latitude = lat;
    r.longitude = lon;
    r.speedKmh = speed;
    r.course = course;
    return r;
}

} // namespace

TEST(TrackExport, NumbersUseTheShortestRoundTripForm)
{
    EXPECT_EQ(FormatNumber(37.5), "37.5");
    EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(FormatNumber(41.4848), "41.4848");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(FormatNumber(-0.98f), "-0.98");
    EXPECT_EQ(FormatNumber(99.0f), "99");
    const double lat = 37.502056;
    EXPECT_EQ(std::stod(FormatNumber(lat)), lat);
}

TEST(TrackExport, CsvRowsLeaveAbsentValuesEmpty)
{
    std::vector<TrackRow> rows;
    rows.push_back(GpsRow(0, "123519.000", 48.1173, 11.5, 41.4848, std::numeric_limits<double>::quiet_NaN()));
    rows.back().hasSensor = true;
    rows.back().gx = 0.5f;
    rows.back().gy = -1.0f;
    rows.back().gz = 0.25f;
    TrackRow sensorOnly;
    sensorOnly.index = 1;
    sensorOnly.hasSensor = true;
    sensorOnly.gx = sensorOnly.gy = sensorOnly.gz = 99.0f;
    rows.push_back(sensorOnly);
    TrackRow odd = GpsRow(2, "12,3\"4", 1, 2, 3, 4);
    rows.push_back(odd);
    std::ostringstream out;
    WriteCsv(out, rows);
    EXPECT_EQ(out.str(),
              "index,utc_time,status,latitude,longitude,speed_kmh,course,g_x,g_y,g_z\n"
              "0,123519.000,A,48.1173,11.5,41.4848,,0.5,-1,0.25\n"
              "1,,,,,,,99,99,99\n"
              "2,\"12,3\"\"4\",A,1,2,3,4,,,\n");
}

TEST(TrackExport, GpxTimeTakesTheUtcDayNearestTheLocalName)
{
    // Seoul is nine hours ahead: a file named 08:00 local was made at 23:00 UTC the day before.
    EXPECT_EQ(GpxTimeFor("20230405-08h00m00s_F_N.MP4", "230005.000"), "2023-04-04T23:00:05.000Z");
    EXPECT_EQ(GpxTimeFor("20230405-13h22m10s_F_N.MP4", "042210"), "2023-04-05T04:22:10Z");
    // Across a month and a year end.
    EXPECT_EQ(GpxTimeFor("20240101-07h59m59s_F_N.MP4", "225959"), "2023-12-31T22:59:59Z");
    EXPECT_EQ(GpxTimeFor("20231231-20h00m00s_F_N.MP4", "010000"), "2024-01-01T01:00:00Z");
    EXPECT_FALSE(GpxTimeFor("trip_my.mp4", "123519"));
    EXPECT_FALSE(GpxTimeFor("20230405-13h22m10s_F_N.MP4", ""));
    EXPECT_FALSE(GpxTimeFor("20231399-13h22m10s_F_N.MP4", "123519"));
    EXPECT_FALSE(GpxTimeFor("20230405-13h22m10s_F_N.MP4", "996519"));
}

TEST(TrackExport, GpxHasPointsOnlyForPositionsAndNoExponents)
{
    std::vector<TrackRow> rows;
    rows.push_back(GpsRow(0, "042210.000", 37.5, 127.0000001, 0.00001, 359.9));
    rows.push_back(GpsRow(1, "042211.000", std::numeric_limits<double>::quiet_NaN(), 127.0, 1, 1));
    TrackRow noGps;
    noGps.index = 2;
    rows.push_back(noGps);
    std::ostringstream out;
    WriteGpx(out, rows, "20230405-13h22m10s_F_N.MP4", "NovatekParser", 4);
    const std::string gpx = out.str();
    std::size_t points = 0;
    for (std::size_t p = gpx.find("<trkpt"); p != std::string::npos; p = gpx.find("<trkpt", p + 1)) ++points;
    EXPECT_EQ(points, 1u);
    EXPECT_NE(gpx.find("lat=\"37.5\" lon=\"127.0000001\""), std::string::npos);
    EXPECT_NE(gpx.find("<torvix:speed_kmh>0.00001</torvix:speed_kmh>"), std::string::npos);
    EXPECT_NE(gpx.find("<time>2023-04-05T04:22:10.000Z</time>"), std::string::npos);
    EXPECT_NE(gpx.find("parser NovatekParser (4)"), std::string::npos);
    EXPECT_EQ(gpx.find("e-"), std::string::npos);
}

TEST(TrackExport, JsonUsesNullForAbsentValuesAndEscapesText)
{
    std::vector<TrackRow> rows;
    rows.push_back(GpsRow(0, "12\"3", std::numeric_limits<double>::quiet_NaN(), 1.5, 2, 3));
    std::ostringstream out;
    WriteJson(out, rows, "/card/a\\b.MP4", "", -1);
    const std::string json = out.str();
    EXPECT_NE(json.find("\"file\": \"/card/a\\\\b.MP4\""), std::string::npos);
    EXPECT_NE(json.find("\"parser\": {\"name\": null, \"index\": -1}"), std::string::npos);
    EXPECT_NE(json.find("\"utc_time\": \"12\\\"3\""), std::string::npos);
    EXPECT_NE(json.find("\"latitude\": null, \"longitude\": 1.5"), std::string::npos);
    EXPECT_NE(json.find("\"g_x\": null"), std::string::npos);
}
