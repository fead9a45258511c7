// The parser of the "gps " index and its GPSR+SENS data blocks.

#include "recording/NovatekParser.h"
#include "recording/Mp4TestBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace mp4test;

namespace {

constexpr const char* kExample = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";

// The GPSR part as ParseGpsText sees it: 16 skipped bytes, then the text.
std::string Payload(const std::string& text) { return std::string(16, '\0') + text; }

// Counts and arrays agree, whatever the file was.
void ExpectConsistent(const NovatekParser& p)
{
    EXPECT_EQ(p.m_vecGpsRecords.size(), static_cast<std::size_t>(p.m_nGpsCount));
    EXPECT_EQ(p.m_vecSensorFloats.size(), static_cast<std::size_t>(p.m_nSensorCount));
    EXPECT_EQ(p.m_nSensorByteLength, p.m_nSensorCount);
    EXPECT_EQ(p.m_pSensorBytes, nullptr);
}

void ExpectSample(const SensorSample& s, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(s.x, x);
    EXPECT_FLOAT_EQ(s.y, y);
    EXPECT_FLOAT_EQ(s.z, z);
}

} // namespace

// ---- The position text -----------------------------------------------------------------------

TEST(NovatekGpsText, ExampleSentence)
{
    const auto fix = NovatekParser::ParseGpsText(Payload(std::string("$GPGGA,ignored\n") + kExample + "\n"));
    ASSERT_TRUE(fix);
    EXPECT_NEAR(fix->latitude, 48.1173, 1e-9);
    EXPECT_NEAR(fix->longitude, 11.5166666667, 1e-9);
    EXPECT_NEAR(fix->speedKmh, 41.4848, 1e-9);
    EXPECT_NEAR(fix->course, 84.4, 1e-9);
    EXPECT_STREQ(fix->utcTime, "123519");
    EXPECT_STREQ(fix->latHemisphere, "N");
    EXPECT_STREQ(fix->lonHemisphere, "E");
    EXPECT_TRUE(fix->IsValid());
}

TEST(NovatekGpsText, SouthAndWestAreNegative)
{
    const auto fix = NovatekParser::ParseGpsText(Payload("$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394"));
    ASSERT_TRUE(fix);
    EXPECT_NEAR(fix->latitude, -48.1173, 1e-9);
    EXPECT_NEAR(fix->longitude, -11.5166666667, 1e-9);
    // Only the exact capital letters negate in this layout.
    const auto lower = NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,s,01131.000,w,1,2"));
    ASSERT_TRUE(lower);
    EXPECT_GT(lower->latitude, 0.0);
}

TEST(NovatekGpsText, LinesThatDoNotQualifyAreSkipped)
{
    // Status V, then only eight fields, then $GNRMC (not this layout's), then the valid one.
    const std::string text = "$GPRMC,1,V,4807.038,N,01131.000,E,022.4,084.4\n"
                             "$GPRMC,2,A,4807.038,N,01131.000,E,022.4\n"
                             "$GNRMC,3,A,1000.000,N,01000.000,E,1,1\n"
                             "$GPRMC,4,A,3730.1234,N,12700.5,E,10,90\n";
    const auto fix = NovatekParser::ParseGpsText(Payload(text));
    ASSERT_TRUE(fix);
    EXPECT_STREQ(fix->utcTime, "4");
    EXPECT_NEAR(fix->latitude, 37.0 + 30.1234 / 60.0, 1e-12); // double here, unlike the other layouts

    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,V,4807.038,N,01131.000,E,022.4,084.4\n")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,2,A,4807.038,N,01131.000,E,022.4")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GNRMC,3,A,1000.000,N,01000.000,E,1,1")));
}

TEST(NovatekGpsText, ShortPayloadGivesNoFix)
{
    EXPECT_FALSE(NovatekParser::ParseGpsText(""));
    EXPECT_FALSE(NovatekParser::ParseGpsText(std::string(16, 'x')));
    // The sentence inside the 16 skipped bytes does not count.
    EXPECT_FALSE(NovatekParser::ParseGpsText(std::string(kExample).substr(0, 16)));
}

TEST(NovatekGpsText, EmptySpeedOrCourseKeepsThePosition)
{
    const auto noCourse = NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,N,01131.000,E,000.0,,230394"));
    ASSERT_TRUE(noCourse);
    EXPECT_NEAR(noCourse->latitude, 48.1173, 1e-9);
    EXPECT_EQ(noCourse->speedKmh, 0.0);
    EXPECT_TRUE(std::isnan(noCourse->course));

    const auto noSpeed = NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,N,01131.000,E,,12.5\r"));
    ASSERT_TRUE(noSpeed);
    EXPECT_TRUE(std::isnan(noSpeed->speedKmh));
    EXPECT_EQ(noSpeed->course, 12.5);

    // Nine fields exactly, the last one empty but for the carriage return.
    const auto crOnly = NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,N,01131.000,E,1.0,\r\n"));
    ASSERT_TRUE(crOnly);
    EXPECT_TRUE(std::isnan(crOnly->course));
}

TEST(NovatekGpsText, MalformedNumbersGiveNoFix)
{
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,,N,01131.000,E,1,1")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4,N,01131.000,E,1,1")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,48,N,01131.000,E,1,1")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,xx07.0,N,01131.000,E,1,1")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,N,011,E,1,1")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,N,01131.000,E,fast,1")));
    EXPECT_FALSE(NovatekParser::ParseGpsText(Payload("$GPRMC,1,A,4807.038,N,01131.000,E,1,1e999")));
}

TEST(NovatekGpsText, TextFieldsAreTruncated)
{
    const auto fix = NovatekParser::ParseGpsText(Payload("$GPRMC,123519.000000,A,4807.038,NORTH,01131.000,EAST,1,1"));
    ASSERT_TRUE(fix);
    EXPECT_STREQ(fix->utcTime, "123519.0000");
    EXPECT_STREQ(fix->latHemisphere, "NOR");
    EXPECT_STREQ(fix->lonHemisphere, "EAS");
}

// ---- The sensor part -------------------------------------------------------------------------

TEST(NovatekSensor, ScaledAndClamped)
{
    const auto raw = [](float x, float y, float z) {
        Bytes b;
        AppendF32LE(b, x);
        AppendF32LE(b, y);
        AppendF32LE(b, z);
        std::array<std::uint8_t, 12> a{};
        std::copy(b.begin(), b.end(), a.begin());
        return a;
    };
    ExpectSample(NovatekParser::ConvertSensor(raw(2048.0f, -1024.0f, 512.0f)), 2.0f, -1.5f, 0.75f);
    ExpectSample(NovatekParser::ConvertSensor(raw(-4096.0f, 1.0e30f, 0.0f)), -2.0f, 2.0f, 0.0f);
    const SensorSample n = NovatekParser::ConvertSensor(raw(std::nanf(""), 0.0f, 0.0f));
    EXPECT_TRUE(std::isnan(n.x));
}

// ---- Whole files -----------------------------------------------------------------------------

TEST(NovatekParse, ReadsEveryBlock)
{
    TempMp4File file(NovatekFile({
        NovatekBlock(std::string(kExample) + "\n", 2048.0f, -1024.0f, 0.0f),
        NovatekBlock("$GPRMC,2,V,,,,,,\n", 100.0f, 200.0f, 300.0f),
        NovatekBlock("$GPRMC,3,A,3730.1234,N,12700.5,E,10,90\n", 0.0f, 0.0f, 1024.0f),
    }));
    NovatekParser p(0);
    EXPECT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 3);
    ExpectConsistent(p);
    EXPECT_NEAR(p.m_vecGpsRecords[0].latitude, 48.1173, 1e-9);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[1].latitude));
    EXPECT_FALSE(p.m_vecGpsRecords[1].IsParsed());
    EXPECT_STREQ(p.m_vecGpsRecords[2].utcTime, "3");
    ExpectSample(p.m_vecSensorFloats[0], 2.0f, -1.5f, 0.0f);
    // A step without a fix keeps its own sensor sample.
    ExpectSample(p.m_vecSensorFloats[1], 100.0f / 1024 * 1.5f, 200.0f / 1024 * 1.5f, 300.0f / 1024 * 1.5f);
    ExpectSample(p.m_vecSensorFloats[2], 0.0f, 0.0f, 1.5f);

    EXPECT_EQ(p.Reset(), 0);
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_nSensorCount, 0);
    EXPECT_EQ(p.m_nSensorByteLength, 0);
    EXPECT_TRUE(p.m_vecGpsRecords.empty());
}

TEST(NovatekParse, StandingCarKeepsPositionAndOwnSensorSample)
{
    TempMp4File file(NovatekFile({
        NovatekBlock(std::string(kExample) + "\n", 512.0f, 0.0f, 0.0f),
        NovatekBlock("$GPRMC,2,A,4807.038,N,01131.000,E,000.0,,230394\n", 0.0f, 1024.0f, 0.0f),
    }));
    NovatekParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
    EXPECT_NEAR(p.m_vecGpsRecords[1].latitude, 48.1173, 1e-9);
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[1].course));
    ExpectSample(p.m_vecSensorFloats[1], 0.0f, 1.5f, 0.0f);
}

TEST(NovatekParse, FirstRecordModeFillsOnlyTheFirstStep)
{
    TempMp4File file(NovatekFile({
        NovatekBlock(std::string(kExample) + "\n", 2048.0f, 0.0f, 0.0f),
        NovatekBlock(std::string(kExample) + "\n", 0.0f, 0.0f, 0.0f),
        NovatekBlock(std::string(kExample) + "\n", 0.0f, 0.0f, 0.0f),
    }));
    NovatekParser p(1);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 3);
    ExpectConsistent(p);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    ExpectSample(p.m_vecSensorFloats[0], 2.0f, 0.0f, 0.0f);
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(p.m_vecGpsRecords[i].IsParsed());
        EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[i].latitude));
        ExpectSample(p.m_vecSensorFloats[i], kNoSensorValue, kNoSensorValue, kNoSensorValue);
    }
}

TEST(NovatekParse, FailingBlocksRepeatThePreviousSample)
{
    Bytes tooLarge = NovatekBlock(std::string(kExample) + "\n", 0.0f, 0.0f, 0.0f);
    tooLarge[12] = 0xFF; // payload length far beyond the entry's size
    const Bytes tooSmall = NovatekBlockRaw(27, 11, Bytes(11, 0));
    const Bytes good = NovatekBlock(std::string(kExample) + "\n", 1024.0f, 1024.0f, 1024.0f);
    TempMp4File file(NovatekFile({tooLarge, good, tooSmall, good}));
    NovatekParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 4);
    // No previous sample for the first block: zero.
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[0].latitude));
    ExpectSample(p.m_vecSensorFloats[0], 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[2].latitude));
    ExpectSample(p.m_vecSensorFloats[2], 1.5f, 1.5f, 1.5f);
    EXPECT_TRUE(p.m_vecGpsRecords[3].IsValid());
}

TEST(NovatekReadBlock, ChecksSizesAgainstTheEntry)
{
    const Bytes block = NovatekBlock("text", 1.0f, 2.0f, 3.0f);
    TempMp4File file(NovatekFile({block}));
    NovatekParser p(0);
    const auto index = p.FindGpsIndex(file.Path());
    ASSERT_EQ(index.eResult, NovatekParser::IndexResult::Found);
    ASSERT_EQ(index.vecBlocks.size(), 1u);
    const auto ref = index.vecBlocks[0];
    EXPECT_EQ(ref.nSize, block.size());

    const auto ok = p.ReadBlock(ref.nOffset, ref.nSize);
    ASSERT_TRUE(ok.block);
    EXPECT_EQ(ok.block->strPosition, std::string(16, '\0') + "text");

    const auto tight = p.ReadBlock(ref.nOffset, ref.nSize - 1); // the block size exceeds the limit
    EXPECT_FALSE(tight.block);
    EXPECT_EQ(tight.strError, "GPSR+SENS 길이가 너무 큼");

    const auto beyond = p.ReadBlock(ref.nOffset + 0x10000, ref.nSize);
    EXPECT_FALSE(beyond.block);
}

TEST(NovatekReadBlock, PayloadOfMoreThanAMebibyteIsRefused)
{
    const std::uint32_t huge = NovatekParser::kMaxPayloadLength + 1;
    TempMp4File file(NovatekFile({NovatekBlockRaw(16 + huge, huge, Bytes(64, 0))}));
    NovatekParser p(0);
    const auto index = p.FindGpsIndex(file.Path());
    ASSERT_EQ(index.vecBlocks.size(), 1u);
    const auto r = p.ReadBlock(index.vecBlocks[0].nOffset, 0xFFFFFFFFu);
    EXPECT_FALSE(r.block);
    EXPECT_EQ(r.strError, "GPSR+SENS 길이가 너무 큼");
}

// ---- The index -------------------------------------------------------------------------------

TEST(NovatekIndex, MissingFileIsNoTrackWithMessage)
{
    NovatekParser p(0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.Parse(L"/nonexistent/torvix/none.mp4"), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("파일 열기 실패\n"), std::string::npos);
    EXPECT_EQ(p.m_nGpsCount, 0);
}

TEST(NovatekIndex, MissingIndexFailsWithMessage)
{
    const std::vector<Bytes> files = {
        Concat({Ftyp(), Container("moov", {Mvhd(), VideoTrak(3)})}), // moov without "gps "
        Concat({Ftyp(), Box("mdat", Bytes(32, 0))}),                 // no moov
        Bytes{},                                                      // empty file
        Concat({Ftyp(), Box("gps ", Bytes(16, 0))}),                 // "gps " at the top level
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        TempMp4File file(files[i]);
        NovatekParser p(0);
        testing::internal::CaptureStderr();
        EXPECT_EQ(p.Parse(file.Path()), -1) << i;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("'moov' 또는 'gps ' 박스를 찾을 수 없음"), std::string::npos) << i;
        EXPECT_EQ(p.m_nGpsCount, 0);
        EXPECT_TRUE(p.m_vecSensorFloats.empty());
    }
}

TEST(NovatekIndex, IndexTooShortForItsCountIsMalformed)
{
    TempMp4File file(Concat({Ftyp(), Container("moov", {Box("gps ", Bytes(4, 0))})}));
    NovatekParser p(0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.Parse(file.Path()), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("gps 스트링이 없음"), std::string::npos);
}

TEST(NovatekIndex, CountBeyondTheBoxIsCutToItsEntries)
{
    Bytes content;
    AppendU32BE(content, 0);
    AppendU32BE(content, 0x7FFFFFFF); // entry count the box cannot hold
    AppendU32BE(content, 100);
    AppendU32BE(content, 50);
    AppendU32BE(content, 200);
    AppendU32BE(content, 60);
    // A box that follows the index must not be read as entries.
    TempMp4File file(Concat({Ftyp(), Container("moov", {Box("gps ", content), Box("free", Bytes(64, 0xEE))})}));
    NovatekParser p(0);
    const auto index = p.FindGpsIndex(file.Path());
    ASSERT_EQ(index.eResult, NovatekParser::IndexResult::Found);
    ASSERT_EQ(index.vecBlocks.size(), 2u);
    EXPECT_EQ(index.vecBlocks[1].nOffset, 200u);
    EXPECT_EQ(index.vecBlocks[1].nSize, 60u);
}

TEST(NovatekIndex, SizeZeroAndSixtyFourBitHeaders)
{
    const Bytes block = NovatekBlock(std::string(kExample) + "\n", 0.0f, 0.0f, 0.0f);
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), {block});
    const Bytes index = GpsIndexBox({{mdat.vecOffsets[0], mdat.vecSizes[0]}});
    const Bytes moovChildren = Concat({Mvhd(), index});

    // 'moov' of size 0 runs to the end of the file; a 64-bit 'mdat' before it is skipped.
    Bytes mdat64 = Box64("mdat", Bytes(mdat.bytes.begin() + 8, mdat.bytes.end()));
    const MdatLayout shifted = Mdat(ftyp.size() + 8, {block});
    const Bytes index64 = GpsIndexBox({{shifted.vecOffsets[0], shifted.vecSizes[0]}});
    const std::vector<Bytes> files = {
        Concat({ftyp, mdat.bytes, BoxWithSizeField(0, "moov", moovChildren)}),
        Concat({ftyp, mdat64, Box64("moov", Concat({Mvhd(), index64}))}),
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        TempMp4File file(files[i]);
        NovatekParser p(0);
        EXPECT_EQ(p.Parse(file.Path()), 0) << i;
        ASSERT_EQ(p.m_nGpsCount, 1) << i;
        EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid()) << i;
    }
}

TEST(NovatekIndex, SizeBelowEightEndsTheWalk)
{
    const Bytes good = NovatekFile({NovatekBlock(std::string(kExample) + "\n", 0.0f, 0.0f, 0.0f)});
    // A top-level header of size 4 before everything: nothing after it is read.
    TempMp4File top(Concat({BoxWithSizeField(4, "free"), good}));
    NovatekParser p(0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.Parse(top.Path()), -1);
    testing::internal::GetCapturedStderr();

    // Inside 'moov': a child of size 7 ends the walk of 'moov' (the index after it is not seen).
    TempMp4File child(Concat({Ftyp(), Container("moov", {BoxWithSizeField(7, "free"), GpsIndexBox({})})}));
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.Parse(child.Path()), -1);
    testing::internal::GetCapturedStderr();

    // A size 1 without room for the 64-bit size.
    TempMp4File sizeOne(Concat({Ftyp(), BoxWithSizeField(1, "moov")}));
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.Parse(sizeOne.Path()), -1);
    testing::internal::GetCapturedStderr();
}

TEST(NovatekIndex, EmptyIndexIsATrackOfNoSteps)
{
    TempMp4File file(Concat({Ftyp(), Container("moov", {Mvhd(), GpsIndexBox({})})}));
    NovatekParser p(0);
    EXPECT_EQ(p.Parse(file.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 0);
    ExpectConsistent(p);
}

TEST(NovatekParse, EveryTruncationIsSafe)
{
    const Bytes full = NovatekFile({
        NovatekBlock(std::string(kExample) + "\n", 2048.0f, 0.0f, 0.0f),
        NovatekBlock(std::string(kExample) + "\n", 0.0f, 512.0f, 0.0f),
    });
    TempMp4File file(full);
    NovatekParser p(0);
    for (std::size_t len = 0; len <= full.size(); ++len) {
        file.Rewrite(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
        testing::internal::CaptureStderr();
        const int r = p.Parse(file.Path());
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(r == 0 || r == -1);
        ExpectConsistent(p);
        if (len == full.size()) {
            ASSERT_EQ(p.m_nGpsCount, 2);
            EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
        }
    }
}
