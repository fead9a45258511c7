// The NMEA helpers shared by the MP4 track parsers.

#include "recording/NmeaFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr const char* kExample = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";

// Decoded as the null-media parser does (foreign sentences stop the decoding).
GpsFix DecodeStopping(const std::string& sentence)
{
    GpsFix fix = GpsFix::Zero();
    nmea::DecodeRmcFields(sentence, fix, nmea::RmcDecodeRules{.bStopOnForeignSentence = true});
    return fix;
}

GpsFix DecodeGoingOn(const std::string& sentence)
{
    GpsFix fix = GpsFix::Zero();
    nmea::DecodeRmcFields(sentence, fix, nmea::RmcDecodeRules{.bStopOnForeignSentence = false});
    return fix;
}

// Computed in single precision and stored as double: the stored value is a float exactly.
bool IsSinglePrecision(double v) { return static_cast<double>(static_cast<float>(v)) == v; }

} // namespace

TEST(NmeaNumber, StrictConversionAcceptsLeadingBlanksAndIgnoresTrailingText)
{
    EXPECT_EQ(nmea::ParseNumber("  12.5abc"), 12.5);
    EXPECT_EQ(nmea::ParseNumber("\t-3"), -3.0);
    EXPECT_EQ(nmea::ParseNumber("084.4\r"), 84.4);
    EXPECT_EQ(nmea::ParseNumber("07.038"), 7.038);
}

TEST(NmeaNumber, StrictConversionFailsWithoutNumberOrOutOfRange)
{
    EXPECT_FALSE(nmea::ParseNumber(""));
    EXPECT_FALSE(nmea::ParseNumber("   "));
    EXPECT_FALSE(nmea::ParseNumber("abc"));
    EXPECT_FALSE(nmea::ParseNumber(",1"));
    EXPECT_FALSE(nmea::ParseNumber("1e999"));
    EXPECT_FALSE(nmea::ParseNumber("-1e999"));
    // A view that is not terminated where it ends: only its own characters count.
    const std::string_view cut = std::string_view("12345").substr(0, 2);
    EXPECT_EQ(nmea::ParseNumber(cut), 12.0);
}

TEST(NmeaNumber, LooseConversionGivesZeroForText)
{
    EXPECT_EQ(nmea::ParseNumberLoose("abc"), 0.0);
    EXPECT_EQ(nmea::ParseNumberLoose(""), 0.0);
    EXPECT_EQ(nmea::ParseNumberLoose("-0.98x"), -0.98);
    EXPECT_EQ(nmea::ParseFloatLoose("0.12"), 0.12f);
}

TEST(NmeaFields, SplitKeepsEmptyFields)
{
    const auto f = nmea::SplitFields("a,,b,", ',');
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "");
    EXPECT_EQ(f[2], "b");
    EXPECT_EQ(f[3], "");
    EXPECT_EQ(nmea::SplitFields("", ',').size(), 1u);
}

TEST(NmeaFields, CutAtNulAndRmcTag)
{
    EXPECT_EQ(nmea::CutAtNul(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(nmea::CutAtNul("abc"), "abc");
    EXPECT_TRUE(nmea::IsRmcTag("$GPRMC"));
    EXPECT_TRUE(nmea::IsRmcTag("$GNRMCX"));
    EXPECT_FALSE(nmea::IsRmcTag("$GPGGA"));
    EXPECT_FALSE(nmea::IsRmcTag("$GPRM"));
}

TEST(NmeaFields, DegreesMinutesInSinglePrecision)
{
    const float v = nmea::DegreesMinutesToDegrees(3730.1234f);
    EXPECT_NEAR(v, 37.502056, 2e-6);
    // Not the double result: the recorders' players round every step to float.
    const double exact = 37.0 + 30.1234 / 60.0;
    EXPECT_NE(static_cast<double>(v), exact);
    EXPECT_NEAR(nmea::DegreesMinutesToDegrees(4807.038f), 48.1173, 1e-5);
    EXPECT_NEAR(nmea::DegreesMinutesToDegrees(1131.0f), 11.516666, 1e-5);
    EXPECT_TRUE(std::isfinite(nmea::DegreesMinutesToDegrees(3e38f)));
}

TEST(NmeaDecode, ExampleSentence)
{
    const GpsFix fix = DecodeStopping(kExample);
    EXPECT_EQ(fix.status[0], 'A');
    EXPECT_EQ(fix.status[1], 1);
    EXPECT_TRUE(fix.IsValid());
    EXPECT_STREQ(fix.latHemisphere, "N");
    EXPECT_STREQ(fix.lonHemisphere, "E");
    EXPECT_STREQ(fix.utcTime, ""); // these layouts do not store the time
    EXPECT_NEAR(fix.latitude, 48.1173, 1e-5);
    EXPECT_NEAR(fix.longitude, 11.516666, 1e-5);
    EXPECT_TRUE(IsSinglePrecision(fix.latitude));
    EXPECT_TRUE(IsSinglePrecision(fix.longitude));
    EXPECT_NEAR(fix.speedKmh, 41.4848, 1e-9);
    EXPECT_NEAR(fix.course, 84.4, 1e-9);
}

TEST(NmeaDecode, SouthAndWestNegateInEitherCase)
{
    for (const char* hemispheres : {"S,01131.000,W", "s,01131.000,w"}) {
        const GpsFix fix = DecodeStopping(std::string("$GPRMC,1,A,4807.038,") + hemispheres + ",1,2");
        EXPECT_NEAR(fix.latitude, -48.1173, 1e-5) << hemispheres;
        EXPECT_NEAR(fix.longitude, -11.516666, 1e-5) << hemispheres;
        EXPECT_EQ(fix.latHemisphere[0], hemispheres[0]);
    }
}

TEST(NmeaDecode, StatusVLeavesNumbersNaN)
{
    const GpsFix fix = DecodeStopping("$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4");
    EXPECT_EQ(fix.status[0], 'V');
    EXPECT_EQ(fix.status[1], 1);
    EXPECT_FALSE(fix.IsValid());
    EXPECT_TRUE(std::isnan(fix.latitude));
    EXPECT_TRUE(std::isnan(fix.longitude));
    EXPECT_TRUE(std::isnan(fix.speedKmh));
    EXPECT_TRUE(std::isnan(fix.course));
    EXPECT_STREQ(fix.latHemisphere, "");
}

TEST(NmeaDecode, WhiteSpaceIsRemovedFromEveryField)
{
    const GpsFix fix = DecodeStopping(" $GPRMC ,1, A ,48 07.038, N ,011 31.000,\tE, 22.4 ,84.4\r\n");
    EXPECT_TRUE(fix.IsValid());
    EXPECT_NEAR(fix.latitude, 48.1173, 1e-5);
    EXPECT_NEAR(fix.longitude, 11.516666, 1e-5);
    EXPECT_STREQ(fix.latHemisphere, "N");
    EXPECT_STREQ(fix.lonHemisphere, "E");
    EXPECT_NEAR(fix.course, 84.4, 1e-9);
}

TEST(NmeaDecode, GnrmcAcceptedAndEmptyFieldsAreNaN)
{
    const GpsFix fix = DecodeStopping("$GNRMC,1,A,3730.1234,N,12700.5000,E,,");
    EXPECT_EQ(fix.status[1], 1);
    EXPECT_NEAR(fix.latitude, 37.502056, 2e-6);
    EXPECT_NEAR(fix.longitude, 127.008333, 1e-5);
    EXPECT_TRUE(std::isnan(fix.speedKmh));
    EXPECT_TRUE(std::isnan(fix.course));

    // Fewer than nine fields: the missing ones stay NaN.
    const GpsFix shortFix = DecodeStopping("$GPRMC,1,A,3730.1234");
    EXPECT_NEAR(shortFix.latitude, 37.502056, 2e-6);
    EXPECT_TRUE(std::isnan(shortFix.longitude));
}

TEST(NmeaDecode, ForeignSentenceStopsOrGoesOnByRule)
{
    const std::string gga = "$GPGGA,1,A,4807.038,N,01131.000,E,022.4,084.4";
    const GpsFix stopped = DecodeStopping(gga);
    EXPECT_EQ(stopped.status[1], 0);
    EXPECT_EQ(stopped.status[0], 0);
    EXPECT_TRUE(std::isnan(stopped.latitude));

    const GpsFix goneOn = DecodeGoingOn(gga);
    EXPECT_EQ(goneOn.status[1], 0);
    EXPECT_EQ(goneOn.status[0], 'A');
    EXPECT_FALSE(goneOn.IsValid());
    EXPECT_NEAR(goneOn.latitude, 48.1173, 1e-5);
    EXPECT_NEAR(goneOn.course, 84.4, 1e-9);
}

TEST(NmeaDecode, FieldsPastEightAreIgnoredAndTimeIsNotStored)
{
    GpsFix fix = GpsFix::Zero();
    std::strcpy(fix.utcTime, "keep");
    nmea::DecodeRmcFields(std::string(kExample) + ",S,W,junk", fix, nmea::RmcDecodeRules{});
    EXPECT_STREQ(fix.utcTime, "keep");
    EXPECT_GT(fix.latitude, 0.0);
    EXPECT_GT(fix.longitude, 0.0);
}
