// The parser of the null-media ('nmhd') metadata track.

#include "recording/AmbaParser.h"
#include "recording/Mp4TestBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace mp4test;

namespace {

constexpr const char* kExample = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";

void ExpectConsistent(const AmbaParser& p)
{
    EXPECT_EQ(p.m_vecGpsRecords.size(), static_cast<std::size_t>(p.m_nGpsCount));
    EXPECT_EQ(p.m_vecSensorFloats.size(), static_cast<std::size_t>(p.m_nSensorCount));
    EXPECT_EQ(p.m_nSensorByteLength, 12 * p.m_nSensorCount);
    EXPECT_EQ(p.m_pSensorBytes != nullptr, p.m_nSensorCount > 0);
}

void ExpectNoTrack(const AmbaParser& p)
{
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_nSensorCount, 0);
    EXPECT_EQ(p.m_nSensorByteLength, 0);
    EXPECT_EQ(p.m_pSensorBytes, nullptr);
}

void ExpectSample(const SensorSample& s, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(s.x, x);
    EXPECT_FLOAT_EQ(s.y, y);
    EXPECT_FLOAT_EQ(s.z, z);
}

struct Decoded {
    GpsFix fix = GpsFix::Zero();
    SensorSample sensor{0.0f, 0.0f, 0.0f};
};

Decoded Decode(const Bytes& sample)
{
    Decoded d;
    AmbaParser::DecodeSample(sample.data(), sample.size(), d.fix, d.sensor);
    return d;
}

} // namespace

// ---- One sample ------------------------------------------------------------------------------

TEST(AmbaGSensor, ThreeAxesLimitedToFifteen)
{
    ExpectSample(AmbaParser::ParseGSensorText("0.12,-0.98,15.2"), 0.12f, -0.98f, 99.0f);
    ExpectSample(AmbaParser::ParseGSensorText("0.5"), 0.5f, 99.0f, 99.0f);
    ExpectSample(AmbaParser::ParseGSensorText(",,0.5,,-1,14.99,7"), 0.5f, -1.0f, 14.99f);
    ExpectSample(AmbaParser::ParseGSensorText("-15.0,abc,"), 99.0f, 0.0f, 99.0f);
    ExpectSample(AmbaParser::ParseGSensorText(""), 99.0f, 99.0f, 99.0f);
}

TEST(AmbaSample, ExampleSentence)
{
    const Decoded d = Decode(AmbaSample("0.12,-0.98,15.2", kExample));
    ExpectSample(d.sensor, 0.12f, -0.98f, 99.0f);
    EXPECT_TRUE(d.fix.IsValid());
    EXPECT_NEAR(d.fix.latitude, 48.1173, 1e-5);
    EXPECT_NEAR(d.fix.longitude, 11.516666, 1e-5);
    EXPECT_NEAR(d.fix.speedKmh, 41.4848, 1e-9);
    EXPECT_NEAR(d.fix.course, 84.4, 1e-9);
    EXPECT_STREQ(d.fix.utcTime, "");
}

TEST(AmbaSample, GnrmcLowerCaseHemispheresAndSinglePrecision)
{
    const Decoded d = Decode(AmbaSample("0,0,1", "$GNRMC,1,A,3730.1234,s,12700.5000,w,10.0,"));
    EXPECT_EQ(d.fix.status[1], 1);
    EXPECT_NEAR(d.fix.latitude, -37.502056, 2e-6);
    EXPECT_EQ(static_cast<double>(static_cast<float>(d.fix.latitude)), d.fix.latitude);
    EXPECT_NEAR(d.fix.longitude, -127.008333, 1e-5);
    EXPECT_NEAR(d.fix.speedKmh, 18.52, 1e-9);
    EXPECT_TRUE(std::isnan(d.fix.course)); // empty course: position and speed stay
}

TEST(AmbaSample, StatusVAndForeignSentences)
{
    const Decoded v = Decode(AmbaSample("0,0,0", "$GPRMC,1,V,4807.038,N,01131.000,E,1,1"));
    EXPECT_EQ(v.fix.status[0], 'V');
    EXPECT_EQ(v.fix.status[1], 1);
    EXPECT_FALSE(v.fix.IsValid());
    EXPECT_TRUE(std::isnan(v.fix.latitude));
    EXPECT_TRUE(std::isnan(v.fix.speedKmh));

    const Decoded gga = Decode(AmbaSample("0,0,0", "$GPGGA,1,A,4807.038,N,01131.000,E,1,1"));
    EXPECT_EQ(gga.fix.status[1], 0);
    EXPECT_TRUE(std::isnan(gga.fix.latitude));
}

TEST(AmbaSample, OtherLayoutsAndCutSamplesStayUntouched)
{
    Bytes wrongMagic = AmbaSample("1,1,1", kExample);
    wrongMagic[0] = 0xFC;
    const Decoded a = Decode(wrongMagic);
    ExpectSample(a.sensor, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(a.fix.latitude, 0.0);

    Bytes noSmallG = AmbaSample("1,1,1", kExample);
    noSmallG[5 + 5] = 'x';
    const Decoded b = Decode(noSmallG);
    ExpectSample(b.sensor, 1.0f, 1.0f, 1.0f); // the sensor part is still read
    EXPECT_EQ(b.fix.latitude, 0.0);
    EXPECT_EQ(b.fix.status[1], 0);

    // Lengths that run past the sample are cut to it.
    Bytes longText = AmbaSample("1,1,1", "$GPRMC,1,A,4807.038,N");
    longText[5 + 5 + 1] = 200;
    const Decoded c = Decode(longText);
    EXPECT_NEAR(c.fix.latitude, 48.1173, 1e-5);
    EXPECT_TRUE(std::isnan(c.fix.longitude));

    const Bytes full = AmbaSample("1,1,1", kExample);
    for (std::size_t len = 0; len < 12; ++len) {
        const Decoded d = Decode(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
        EXPECT_EQ(d.fix.latitude, 0.0) << len;
    }
}

// ---- Whole files -----------------------------------------------------------------------------

TEST(AmbaParse, ReadsTheMetadataTrack)
{
    TempMp4File file(AmbaFile({AmbaSample("0.12,-0.98,15.2", kExample),
                                  AmbaSample("0.5", "$GNRMC,2,A,3730.1234,N,12700.5,E,0.0,"),
                                  AmbaSample("1,2,3", "$GPRMC,3,V,,,,,,,")},
        /*videoFrames=*/90));
    AmbaParser p(0);
    EXPECT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 3);
    EXPECT_EQ(p.m_nSensorCount, 3);
    EXPECT_EQ(p.m_nSensorByteLength, 36);
    ASSERT_NE(p.m_pSensorBytes, nullptr);
    ExpectConsistent(p);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_NEAR(p.m_vecGpsRecords[1].latitude, 37.502056, 2e-6);
    EXPECT_FALSE(p.m_vecGpsRecords[2].IsValid());
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[2].latitude));
    ExpectSample(p.m_vecSensorFloats[0], 0.12f, -0.98f, 99.0f);
    ExpectSample(p.m_vecSensorFloats[1], 0.5f, 99.0f, 99.0f);
    ExpectSample(p.m_vecSensorFloats[2], 1.0f, 2.0f, 3.0f);

    p.Reset();
    ExpectNoTrack(p);
}

TEST(AmbaParse, FirstRecordModeDecodesOnlySampleZero)
{
    TempMp4File file(AmbaFile({AmbaSample("1,1,1", kExample), AmbaSample("1,1,1", kExample)}, 10));
    AmbaParser p(1);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 2);
    ExpectConsistent(p);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_FALSE(p.m_vecGpsRecords[1].IsParsed());
    ExpectSample(p.m_vecSensorFloats[1], 0.0f, 0.0f, 0.0f);
}

TEST(AmbaParse, OrdinaryRecordingIsNotClaimed)
{
    // A video track alone (its frame count once decided the choice) and a file whose null-media
    // track has no samples.
    const std::vector<Bytes> files = {
        Concat({Ftyp(), Box("mdat", Bytes(64, 0)), Container("moov", {Mvhd(), VideoTrak(300)})}),
        Concat({Ftyp(), Container("moov", {Mvhd(), VideoTrak(300), NullMediaTrak({}, {})})}),
        Concat({Ftyp(), Container("moov", {Mvhd(), NullMediaTrakFromTables(Stsz({10, 10}), Box("free"))})}),
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        TempMp4File file(files[i]);
        AmbaParser p(0);
        EXPECT_EQ(p.Parse(file.Path()), 0);
        ExpectNoTrack(p);
    }
    AmbaParser p(0);
    EXPECT_EQ(p.Parse(L"/nonexistent/torvix/none.mp4"), -1);
    ExpectNoTrack(p);
}

TEST(AmbaParse, VideoTrackAfterTheMetadataTrackDoesNotReplaceIt)
{
    TempMp4File file(AmbaFile({AmbaSample("1,1,1", kExample), AmbaSample("2,2,2", kExample)}, 300,
        /*metadataFirst=*/true));
    AmbaParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_EQ(p.m_nSensorCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
    ExpectSample(p.m_vecSensorFloats[1], 2.0f, 2.0f, 2.0f);
}

TEST(AmbaParse, ChunkOffsetsAreReadForAtMostTheSampleCount)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), {AmbaSample("1,1,1", kExample), AmbaSample("2,2,2", kExample)});
    // More offsets than samples: the extra ones are not samples.
    std::vector<std::uint32_t> offsets = mdat.vecOffsets;
    offsets.push_back(0);
    offsets.push_back(0xFFFFFFF0u);
    TempMp4File more(Concat({ftyp, mdat.bytes, Container("moov", {NullMediaTrak(mdat.vecSizes, offsets)})}));
    AmbaParser p(0);
    ASSERT_EQ(p.Parse(more.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());

    // Fewer offsets than samples: the samples without one are not part of the track.
    TempMp4File fewer(Concat({ftyp, mdat.bytes,
        Container("moov", {NullMediaTrak(mdat.vecSizes, {mdat.vecOffsets[0]})})}));
    ASSERT_EQ(p.Parse(fewer.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 1);
    ExpectConsistent(p);
}

TEST(AmbaParse, SampleCountsTheTableCannotHold)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), {AmbaSample("1,1,1", kExample)});
    // 4 billion samples claimed, one size present: one sample, no huge allocation.
    TempMp4File file(Concat({ftyp, mdat.bytes,
        Container("moov", {NullMediaTrakFromTables(StszWithCount(0xFFFFFFFFu, mdat.vecSizes),
                              Stco({mdat.vecOffsets[0], mdat.vecOffsets[0], mdat.vecOffsets[0]}))})}));
    AmbaParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 1);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());

    // A uniform size with a huge count: bounded by the offsets present.
    TempMp4File uniform(Concat({ftyp, mdat.bytes,
        Container("moov", {NullMediaTrakFromTables(StszUniform(0xFFFFFFFFu, mdat.vecSizes[0]),
                              Stco({mdat.vecOffsets[0], mdat.vecOffsets[0]}))})}));
    ASSERT_EQ(p.Parse(uniform.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
}

TEST(AmbaParse, SampleLargerThanTheBufferIsRefused)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), {AmbaSample("1,1,1", kExample), AmbaSample("2,2,2", kExample)});
    std::vector<std::uint32_t> sizes = mdat.vecSizes;
    sizes[0] = static_cast<std::uint32_t>(AmbaParser::kReadBufferSize + 1);
    // The file is large enough for the claimed sample, so only the buffer refuses it.
    TempMp4File file(Concat({ftyp, mdat.bytes, Container("moov", {NullMediaTrak(sizes, mdat.vecOffsets)}),
        Box("free", Bytes(AmbaParser::kReadBufferSize + 64, 0))}));
    AmbaParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_FALSE(p.m_vecGpsRecords[0].IsParsed());
    ExpectSample(p.m_vecSensorFloats[0], 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
}

TEST(AmbaParse, SampleBeyondTheFileStaysZero)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), {AmbaSample("1,1,1", kExample)});
    TempMp4File file(Concat({ftyp, mdat.bytes,
        Container("moov", {NullMediaTrak({mdat.vecSizes[0], 40}, {mdat.vecOffsets[0], 0x7FFFFFF0u})})}));
    AmbaParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_EQ(p.m_vecGpsRecords[1].latitude, 0.0);
}

TEST(AmbaParse, BoxSizesZeroOneAndBelowEight)
{
    const Bytes sample = AmbaSample("1,1,1", kExample);
    const Bytes ftyp = Ftyp();
    const MdatLayout mdat = Mdat(ftyp.size(), {sample});
    const Bytes trak = NullMediaTrak(mdat.vecSizes, mdat.vecOffsets);

    // 'moov' with a 64-bit size; a trailing 'free' of size 0 running to the end.
    TempMp4File wide(Concat({ftyp, mdat.bytes, Box64("moov", trak), BoxWithSizeField(0, "free", Bytes(20, 0))}));
    AmbaParser p(0);
    ASSERT_EQ(p.Parse(wide.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 1);

    // 'mdat' of size 0 at the end of the file, after 'moov'.
    const Bytes moovFirst = Concat({ftyp, Container("moov", {trak})});
    const MdatLayout lateMdat = Mdat(moovFirst.size(), {sample});
    const Bytes trak2 = NullMediaTrak(lateMdat.vecSizes, lateMdat.vecOffsets);
    Bytes mdatZero = lateMdat.bytes;
    mdatZero[0] = mdatZero[1] = mdatZero[2] = mdatZero[3] = 0;
    TempMp4File zero(Concat({ftyp, Container("moov", {trak2}), mdatZero}));
    ASSERT_EQ(p.Parse(zero.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 1);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());

    // A header of size 5, an unknown type, or size 1 whose 64-bit size runs past the file end
    // the walk before the track.
    for (const Bytes& stop : {BoxWithSizeField(5, "free"), Box("zzzz", Bytes(4, 0)), BoxWithSizeField(1, "free")}) {
        TempMp4File file(Concat({ftyp, stop, mdat.bytes, Container("moov", {trak})}));
        ASSERT_EQ(p.Parse(file.Path()), 0);
        ExpectNoTrack(p);
    }
}

TEST(AmbaParse, EveryTruncationIsSafe)
{
    const Bytes full = AmbaFile({AmbaSample("1,1,1", kExample), AmbaSample("2,2,2", kExample)}, 5);
    TempMp4File file(full);
    AmbaParser p(0);
    for (std::size_t len = 0; len <= full.size(); ++len) {
        file.Rewrite(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
        EXPECT_EQ(p.Parse(file.Path()), 0);
        ExpectConsistent(p);
    }
    EXPECT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
}
