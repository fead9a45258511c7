// The parser of the older layout: 'GPSR' and 'SENS' boxes.

#include "recording/MovieOldParser.h"
#include "recording/AmbaParser.h"
#include "recording/NovatekParser.h"
#include "recording/Mp4TestBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace mp4test;

namespace {

constexpr const char* kExample = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";

void ExpectConsistent(const CMovieOldParser& p)
{
    EXPECT_EQ(p.m_vecGpsRecords.size(), static_cast<std::size_t>(p.m_nGpsCount));
    EXPECT_GE(p.m_nSensorByteLength, 0);
    if (p.m_nSensorByteLength > 0) {
        EXPECT_NE(p.m_pSensorBytes, nullptr);
    }
    EXPECT_TRUE(p.m_vecSensorFloats.empty());
}

void ExpectNoTrack(const ISimpleParser& p)
{
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_nSensorCount, 0);
    EXPECT_EQ(p.m_nSensorByteLength, 0);
}

std::vector<RawSample> TenSamples()
{
    std::vector<RawSample> s;
    for (int i = 0; i < 10; ++i) s.push_back({0.1f * i, -0.1f * i, 1.0f + i});
    return s;
}

Bytes OldFile(const std::vector<std::string>& sentences, const std::vector<RawSample>& samples, std::uint32_t frames)
{
    return Concat({Ftyp(), Box("mdat", Bytes(32, 0)),
        Container("moov", {Mvhd(), VideoTrak(frames), Container("udta", {GpsrBox(sentences), SensBox(samples)})})});
}

} // namespace

TEST(MovieOldEntries, OnlyCompleteEntriesCount)
{
    const Bytes three = GpsrBox({"a", "bc", ""});
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(three.data() + 8, three.size() - 8), 3u);
    // Cut inside the head of the last entry, inside the second entry's text, inside the first head.
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(three.data() + 8, 26), 2u);
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(three.data() + 8, 9 + 9), 1u);
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(three.data() + 8, 3), 0u);
    // A length that fits the remaining bytes but not with its own 8-byte head.
    Bytes tight;
    AppendU32LE(tight, 0);
    AppendU32LE(tight, 4);
    AppendText(tight, "abcd");
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(tight.data(), 12), 1u);
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(tight.data(), 11), 0u);
    tight[4] = 0xFF;
    tight[7] = 0xFF;
    EXPECT_EQ(CMovieOldParser::CountGpsrEntries(tight.data(), tight.size()), 0u);
}

TEST(MovieOldDecode, NonRmcSentenceIsDecodedWithMarkerZero)
{
    GpsFix fix = GpsFix::Zero();
    CMovieOldParser::DecodeSentence("$GPGGA,1,A,4807.038,S,01131.000,w,022.4,084.4", fix);
    EXPECT_EQ(fix.status[1], 0);
    EXPECT_NEAR(fix.latitude, -48.1173, 1e-5);
    EXPECT_NEAR(fix.longitude, -11.516666, 1e-5);
    EXPECT_NEAR(fix.course, 84.4, 1e-9);
}

TEST(MovieOldParse, ReadsGpsrSensAndFrameCount)
{
    TempMp4File file(OldFile({kExample, "$GPRMC,2,V,4807.038,N,01131.000,E,1,1", "$GNRMC,3,A,3730.1234,N,12700.5,E,,"},
        TenSamples(), 30));
    CMovieOldParser p(0);
    EXPECT_EQ(p.Parse(file.Path()), 0);
    EXPECT_EQ(p.m_nSensorCount, 30);
    ASSERT_EQ(p.m_nGpsCount, 3);
    ExpectConsistent(p);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_NEAR(p.m_vecGpsRecords[0].latitude, 48.1173, 1e-5);
    EXPECT_NEAR(p.m_vecGpsRecords[0].speedKmh, 41.4848, 1e-9);
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[1].latitude));
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[1].course));
    EXPECT_EQ(p.m_vecGpsRecords[1].status[0], 'V');
    EXPECT_NEAR(p.m_vecGpsRecords[2].latitude, 37.502056, 2e-6);
    EXPECT_TRUE(std::isnan(p.m_vecGpsRecords[2].course));

    // 120 content bytes: ten samples, stored unchanged.
    ASSERT_EQ(p.m_nSensorByteLength, 120);
    const Bytes sens = SensBox(TenSamples());
    EXPECT_EQ(std::memcmp(p.m_pSensorBytes.get(), sens.data() + 8, 120), 0);
    EXPECT_EQ(p.GetGpsrContent().size(), GpsrBox({kExample, "$GPRMC,2,V,4807.038,N,01131.000,E,1,1",
                                                      "$GNRMC,3,A,3730.1234,N,12700.5,E,,"})
                                                 .size() - 8);

    p.Reset();
    ExpectNoTrack(p);
    EXPECT_EQ(p.m_pSensorBytes, nullptr);
    EXPECT_TRUE(p.GetGpsrContent().empty());
}

TEST(MovieOldParse, FirstRecordModeDecodesOnlyTheFirstEntry)
{
    TempMp4File file(OldFile({kExample, kExample}, TenSamples(), 30));
    CMovieOldParser p(1);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_FALSE(p.m_vecGpsRecords[1].IsParsed());
    EXPECT_EQ(p.m_vecGpsRecords[1].latitude, 0.0);
}

TEST(MovieOldParse, ClaimsOnlyFilesWithItsOwnBoxes)
{
    const Bytes ftyp = Ftyp();
    const MdatLayout amba = Mdat(ftyp.size(), {AmbaSample("1,1,1", kExample)});
    const std::vector<Bytes> foreign = {
        Concat({ftyp, Box("mdat", Bytes(64, 0)), Container("moov", {Mvhd(), VideoTrak(300)})}),
        Concat({ftyp, amba.bytes, Container("moov", {Mvhd(), VideoTrak(300), NullMediaTrak(amba.vecSizes, amba.vecOffsets)})}),
        NovatekFile({NovatekBlock(std::string(kExample) + "\n", 0.0f, 0.0f, 0.0f)}, 300),
    };
    for (std::size_t i = 0; i < foreign.size(); ++i) {
        TempMp4File file(foreign[i]);
        CMovieOldParser p(0);
        EXPECT_EQ(p.Parse(file.Path()), 0);
        ExpectNoTrack(p);
    }

    // Tried in order, the older parser no longer hides the later layouts.
    TempMp4File ambaFile(foreign[1]);
    AmbaParser a(0);
    a.Parse(ambaFile.Path());
    EXPECT_EQ(a.m_nGpsCount, 1);
    TempMp4File novatekFile(foreign[2]);
    AmbaParser a2(0);
    a2.Parse(novatekFile.Path());
    ExpectNoTrack(a2);
    NovatekParser n(0);
    EXPECT_EQ(n.Parse(novatekFile.Path()), 0);
    EXPECT_EQ(n.m_nGpsCount, 1);

    // 'SENS' alone, without a video track, is claimed.
    TempMp4File sensOnly(Concat({ftyp, SensBox(TenSamples())}));
    CMovieOldParser p(0);
    ASSERT_EQ(p.Parse(sensOnly.Path()), 0);
    EXPECT_EQ(p.m_nSensorByteLength, 120);
    EXPECT_EQ(p.m_nSensorCount, 0);

    EXPECT_EQ(p.Parse(L"/nonexistent/torvix/none.mp4"), -1);
    ExpectNoTrack(p);
}

TEST(MovieOldParse, BoxesCutByTheEndOfTheFile)
{
    // 'SENS' claims 4 GB: only what the file holds is kept.
    Bytes sens = SensBox(TenSamples());
    sens[0] = 0xFF;
    TempMp4File file(Concat({Ftyp(), Box("GPSR", {}), sens}));
    CMovieOldParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    EXPECT_EQ(p.m_nSensorByteLength, 120);

    // 'GPSR' cut inside its third entry: two records.
    const Bytes gpsr = GpsrBox({kExample, kExample, kExample});
    TempMp4File cut(Concat({Ftyp(), Bytes(gpsr.begin(), gpsr.end() - 5)}));
    ASSERT_EQ(p.Parse(cut.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
}

TEST(MovieOldParse, EntryLongerThanTheBufferIsCut)
{
    const std::string longEntry = std::string(kExample) + std::string(CMovieOldParser::kReadBufferSize + 100, ' ');
    TempMp4File file(Concat({Ftyp(), GpsrBox({longEntry, kExample})}));
    CMovieOldParser p(0);
    ASSERT_EQ(p.Parse(file.Path()), 0);
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_NEAR(p.m_vecGpsRecords[0].latitude, 48.1173, 1e-5);
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
}

TEST(MovieOldParse, BoxSizesZeroOneAndBelowEight)
{
    const Bytes gpsr = GpsrBox({kExample});
    const Bytes content(gpsr.begin() + 8, gpsr.end());

    TempMp4File wide(Concat({Ftyp(), Box64("GPSR", content), Box64("SENS", Bytes(24, 0))}));
    CMovieOldParser p(0);
    ASSERT_EQ(p.Parse(wide.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 1);
    EXPECT_TRUE(p.m_vecGpsRecords[0].IsValid());
    EXPECT_EQ(p.m_nSensorByteLength, 24);

    TempMp4File zero(Concat({Ftyp(), BoxWithSizeField(0, "GPSR", content)}));
    ASSERT_EQ(p.Parse(zero.Path()), 0);
    EXPECT_EQ(p.m_nGpsCount, 1);

    for (const Bytes& stop : {BoxWithSizeField(6, "free"), Box("zzzz"), BoxWithSizeField(1, "free")}) {
        TempMp4File file(Concat({Ftyp(), stop, gpsr}));
        ASSERT_EQ(p.Parse(file.Path()), 0);
        ExpectNoTrack(p);
    }
}

TEST(MovieOldParse, EveryTruncationIsSafe)
{
    const Bytes full = OldFile({kExample, kExample}, TenSamples(), 30);
    TempMp4File file(full);
    CMovieOldParser p(0);
    for (std::size_t len = 0; len <= full.size(); ++len) {
        file.Rewrite(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
        EXPECT_EQ(p.Parse(file.Path()), 0);
        ExpectConsistent(p);
    }
    EXPECT_EQ(p.m_nGpsCount, 2);
    EXPECT_EQ(p.m_nSensorByteLength, 120);
}
