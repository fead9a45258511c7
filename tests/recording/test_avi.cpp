// The RIFF/AVI reader and the AVI track parsers, on small AVI files built byte by byte.
#include "recording/AviFile.h"
#include "recording/AviParsers.h"

#include <zent/platform/Text.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------------
// A tiny RIFF builder: chunks and lists with sizes patched when they close, odd bodies padded.

class CRiffBuilder {
public:
    void Fcc(const char* fcc) { m_vecBytes.insert(m_vecBytes.end(), fcc, fcc + 4); }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_vecBytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Raw(const Bytes& b) { m_vecBytes.insert(m_vecBytes.end(), b.begin(), b.end()); }

    // Opens "RIFF"/"LIST" with a type; returns the position of its size field for Close.
    std::size_t Open(const char* fcc, const char* type)
    {
        Fcc(fcc);
        const std::size_t sizePos = m_vecBytes.size();
        U32(0);
        Fcc(type);
        return sizePos;
    }
    void Close(std::size_t sizePos)
    {
        const std::size_t size = m_vecBytes.size() - sizePos - 4;
        SetU32(sizePos, static_cast<std::uint32_t>(size));
        if (size & 1u) m_vecBytes.push_back(0);
    }
    // Returns the position of the chunk header.
    std::size_t Chunk(const char* fcc, const Bytes& data)
    {
        const std::size_t pos = m_vecBytes.size();
        Fcc(fcc);
        U32(static_cast<std::uint32_t>(data.size()));
        Raw(data);
        if (data.size() & 1u) m_vecBytes.push_back(0);
        return pos;
    }
    void SetU32(std::size_t pos, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_vecBytes[pos + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::size_t Size() const { return m_vecBytes.size(); }
    const Bytes& Data() const { return m_vecBytes; }

private:
    Bytes m_vecBytes;
};

Bytes Le32(std::initializer_list<std::uint32_t> words)
{
    Bytes b;
    for (std::uint32_t w : words)
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    return b;
}

std::uint32_t FloatBits(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

struct TestStream {
    std::string type;              // "vids", "txts", ...
    std::vector<Bytes> samples;
    std::int64_t claimedLength = -1; // strh length; -1: the number of samples
    std::uint32_t scale = 1;
    std::uint32_t rate = 25;
};

struct AviLayout {
    bool index = true;
    bool absoluteIndex = false;
    bool recLists = false;   // each round of samples inside a 'rec ' list
    int samplesInMain = -1;  // with extension: rounds in the first RIFF, the rest go to 'RIFF' 'AVIX'
};

std::string ChunkId(int stream, const std::string& type)
{
    std::string id = {static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10)};
    return id + (type == "vids" ? "dc" : type == "auds" ? "wb" : type == "txts" ? "tx" : "db");
}

// Builds an AVI whose streams' samples are interleaved round by round.
Bytes BuildAvi(const std::vector<TestStream>& streams, const AviLayout& layout = {})
{
    CRiffBuilder b;
    const std::size_t riff = b.Open("RIFF", "AVI ");
    const std::size_t hdrl = b.Open("LIST", "hdrl");
    b.Chunk("avih", Le32({40000, 0, 0, 0x10, 0, 0, static_cast<std::uint32_t>(streams.size()), 0, 160, 120, 0, 0, 0, 0}));
    for (const TestStream& s : streams) {
        const std::size_t strl = b.Open("LIST", "strl");
        Bytes strh(s.type.begin(), s.type.end());
        const std::uint32_t length = s.claimedLength >= 0 ? static_cast<std::uint32_t>(s.claimedLength)
                                                          : static_cast<std::uint32_t>(s.samples.size());
        const Bytes rest = Le32({0x34363248 /* handler */, 0, 0, 0, s.scale, s.rate, 0, length, 1024, 0xFFFFFFFF, 0, 0, 0});
        strh.insert(strh.end(), rest.begin(), rest.end());
        b.Chunk("strh", strh);
        b.Chunk("strf", Bytes(s.type == "vids" ? 40 : 0, 0));
        b.Close(strl);
    }
    b.Close(hdrl);

    std::size_t rounds = 0;
    for (const TestStream& s : streams) rounds = std::max(rounds, s.samples.size());
    const std::size_t mainRounds = layout.samplesInMain >= 0 ? static_cast<std::size_t>(layout.samplesInMain) : rounds;

    struct Entry {
        std::string id;
        std::size_t pos;
        std::size_t size;
    };
    std::vector<Entry> entries;
    const auto writeRounds = [&](std::size_t from, std::size_t to, std::vector<Entry>* index) {
        for (std::size_t r = from; r < to; ++r) {
            std::size_t rec = 0;
            if (layout.recLists) rec = b.Open("LIST", "rec ");
            for (std::size_t s = 0; s < streams.size(); ++s) {
                if (r >= streams[s].samples.size()) continue;
                const std::string id = ChunkId(static_cast<int>(s), streams[s].type);
                const std::size_t pos = b.Chunk(id.c_str(), streams[s].samples[r]);
                if (index) index->push_back({id, pos, streams[s].samples[r].size()});
            }
            if (layout.recLists) b.Close(rec);
        }
    };
    const std::size_t movi = b.Open("LIST", "movi");
    const std::size_t moviPos = movi + 4;
    writeRounds(0, mainRounds, &entries);
    b.Close(movi);
    if (layout.index) {
        Bytes idx;
        for (const Entry& e : entries) {
            const Bytes one = Le32({0, 0x10, static_cast<std::uint32_t>(layout.absoluteIndex ? e.pos : e.pos - moviPos),
                                    static_cast<std::uint32_t>(e.size)});
            idx.insert(idx.end(), e.id.begin(), e.id.end());
            idx.insert(idx.end(), one.begin() + 4, one.end());
        }
        b.Chunk("idx1", idx);
    }
    b.Close(riff);
    if (mainRounds < rounds) {
        const std::size_t avix = b.Open("RIFF", "AVIX");
        const std::size_t movi2 = b.Open("LIST", "movi");
        writeRounds(mainRounds, rounds, nullptr);
        b.Close(movi2);
        b.Close(avix);
    }
    return b.Data();
}

// Samples of distinct content and sizes (odd ones included, to exercise padding).
std::vector<Bytes> PatternSamples(int count, std::uint8_t seed)
{
    std::vector<Bytes> out;
    for (int i = 0; i < count; ++i) {
        Bytes s(static_cast<std::size_t>(5 + 7 * i + seed % 3));
        for (std::size_t k = 0; k < s.size(); ++k) s[k] = static_cast<std::uint8_t>(seed + 31 * i + k);
        out.push_back(s);
    }
    return out;
}

// One track record: words 0..16 (68 bytes).
struct TrackRecord {
    bool marker = true;
    std::uint32_t hemispheres = 5; // north and east
    float speed = 0.0f;
    float lat = 0.0f;
    float lon = 0.0f;
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Bytes MakeRecord(const TrackRecord& r)
{
    return Le32({r.marker ? 511u : 0u, r.marker ? 0xAB03260Au : 0u, 2, 3, 4, 5, 6, 7, 8, 9, FloatBits(r.x),
                 FloatBits(r.y), FloatBits(r.z), r.hemispheres, FloatBits(r.speed), FloatBits(r.lat), FloatBits(r.lon)});
}

class CTempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("torvix_avi_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path Write(const std::string& name, const Bytes& bytes)
    {
        const fs::path p = m_dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    static std::wstring Wide(const fs::path& p) { return zent::Utf8ToWide(p.string()); }

    fs::path m_dir;
};

// Every sample of every stream reads back as it was written (samples may be missing at the end).
void ExpectSamplesMatch(CAviFile& avi, const std::vector<TestStream>& streams, bool complete)
{
    // A cut header list may hold fewer streams; those it holds keep their numbers.
    if (complete) {
        ASSERT_EQ(avi.GetStreamCount(), static_cast<int>(streams.size()));
    } else {
        ASSERT_LE(avi.GetStreamCount(), static_cast<int>(streams.size()));
    }
    for (std::size_t s = 0; s < static_cast<std::size_t>(avi.GetStreamCount()); ++s) {
        const int stream = static_cast<int>(s);
        const int count = avi.GetSampleCount(stream);
        if (complete) {
            EXPECT_EQ(count, static_cast<int>(streams[s].samples.size())) << "stream " << s;
        } else {
            EXPECT_LE(count, static_cast<int>(streams[s].samples.size())) << "stream " << s;
        }
        for (int i = 0; i < count && i < static_cast<int>(streams[s].samples.size()); ++i) {
            Bytes buf(256, 0xEE);
            const int n = avi.ReadSample(stream, i, buf.data(), buf.size());
            ASSERT_EQ(n, static_cast<int>(streams[s].samples[static_cast<std::size_t>(i)].size()))
                << "stream " << s << " sample " << i;
            buf.resize(static_cast<std::size_t>(n));
            EXPECT_EQ(buf, streams[s].samples[static_cast<std::size_t>(i)]) << "stream " << s << " sample " << i;
        }
    }
}

std::vector<TestStream> TwoStreams()
{
    return {{"vids", PatternSamples(6, 1)}, {"txts", PatternSamples(4, 100), -1, 1, 1}};
}

// ---------------------------------------------------------------------------------------------
// The reader

using AviFileTest = CTempFiles;

TEST_F(AviFileTest, ReadsStreamHeadersAndFindsStreamsByType)
{
    std::vector<TestStream> streams = TwoStreams();
    streams[1].scale = 2;
    streams[1].rate = 7;
    streams[1].claimedLength = 1234;
    CAviFile avi;
    ASSERT_TRUE(avi.Open(Wide(Write("a.avi", BuildAvi(streams)))));

    EXPECT_EQ(avi.FindStream("vids"), 0);
    EXPECT_EQ(avi.FindStream("txts"), 1);
    EXPECT_EQ(avi.FindStream("dats"), -1);
    EXPECT_EQ(avi.FindStream("txt"), -1);
    const AviStreamHeader* info = avi.GetStreamInfo(1);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(std::string(info->fccType, 4), "txts");
    EXPECT_EQ(std::string(info->fccHandler, 4), "H264");
    EXPECT_EQ(info->scale, 2u);
    EXPECT_EQ(info->rate, 7u);
    EXPECT_EQ(info->length, 1234u);
    EXPECT_EQ(avi.GetStreamInfo(2), nullptr);
    EXPECT_EQ(avi.GetStreamInfo(-1), nullptr);
    EXPECT_EQ(avi.GetMainHeader().size(), 56u);
    ASSERT_EQ(avi.GetStreamChunks(0).size(), 2u);
    EXPECT_EQ(std::string(avi.GetStreamChunks(0)[1].fcc, 4), "strf");
    EXPECT_TRUE(avi.GetStreamChunks(5).empty());
}

TEST_F(AviFileTest, SamplesComeFromRelativeOrAbsoluteIndexOrTheMoviWalk)
{
    const std::vector<TestStream> streams = TwoStreams();
    struct Case {
        const char* name;
        AviLayout layout;
        bool hasIndex;
        bool absolute;
    };
    const Case cases[] = {
        {"relative", {true, false, false, -1}, true, false},
        {"absolute", {true, true, false, -1}, true, true},
        {"walk", {false, false, false, -1}, false, false},
        {"walk-rec", {false, false, true, -1}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAviFile avi;
        ASSERT_TRUE(avi.Open(Wide(Write(std::string(c.name) + ".avi", BuildAvi(streams, c.layout)))));
        EXPECT_EQ(avi.HasIndex(), c.hasIndex);
        EXPECT_EQ(avi.IndexIsAbsolute(), c.absolute);
        ExpectSamplesMatch(avi, streams, true);
    }
}

TEST_F(AviFileTest, ExtensionPartsAddTheirSamplesAfterTheIndexedOnes)
{
    const std::vector<TestStream> streams = TwoStreams();
    for (bool index : {true, false}) {
        SCOPED_TRACE(index ? "with idx1" : "without idx1");
        AviLayout layout;
        layout.index = index;
        layout.samplesInMain = 2;
        CAviFile avi;
        ASSERT_TRUE(avi.Open(Wide(Write("x.avi", BuildAvi(streams, layout)))));
        EXPECT_EQ(avi.GetExtensionCount(), 1);
        ExpectSamplesMatch(avi, streams, true);
    }
}

TEST_F(AviFileTest, UnfinishedFileWithZeroSizesIsWalkedToTheEnd)
{
    // A camera that lost power leaves the RIFF and 'movi' sizes at 0 and writes no index.
    const std::vector<TestStream> streams = TwoStreams();
    AviLayout layout;
    layout.index = false;
    Bytes bytes = BuildAvi(streams, layout);
    const auto movi = std::search(bytes.begin(), bytes.end(), std::begin("movi"), std::end("movi") - 1);
    ASSERT_NE(movi, bytes.end());
    std::fill(movi - 4, movi, 0);
    std::fill(bytes.begin() + 4, bytes.begin() + 8, 0);
    CAviFile avi;
    ASSERT_TRUE(avi.Open(Wide(Write("unfinished.avi", bytes))));
    EXPECT_FALSE(avi.HasIndex());
    ExpectSamplesMatch(avi, streams, true);
}

TEST_F(AviFileTest, StreamsBeyondTwoDigitNumbersAreIgnored)
{
    std::vector<TestStream> streams(CAviFile::kMaxStreams + 20, TestStream{"dats", {}, -1, 1, 1});
    streams[99].samples = PatternSamples(2, 5);
    CAviFile avi;
    ASSERT_TRUE(avi.Open(Wide(Write("many.avi", BuildAvi(streams)))));
    EXPECT_EQ(avi.GetStreamCount(), CAviFile::kMaxStreams);
    EXPECT_EQ(avi.GetSampleCount(99), 2);
}

TEST_F(AviFileTest, ReadSampleCutsLongSamplesAndRejectsBadArguments)
{
    CAviFile avi;
    ASSERT_TRUE(avi.Open(Wide(Write("a.avi", BuildAvi(TwoStreams())))));
    const Bytes third = TwoStreams()[0].samples[2];
    Bytes buf(4, 0);
    EXPECT_EQ(avi.ReadSample(0, 2, buf.data(), buf.size()), 4);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), third.begin()));
    EXPECT_EQ(avi.ReadSample(0, 2, nullptr, 0), 0);
    EXPECT_EQ(avi.ReadSample(0, 2, nullptr, 4), -1);
    EXPECT_EQ(avi.ReadSample(0, 6, buf.data(), buf.size()), -1);
    EXPECT_EQ(avi.ReadSample(0, -1, buf.data(), buf.size()), -1);
    EXPECT_EQ(avi.ReadSample(2, 0, buf.data(), buf.size()), -1);
    EXPECT_EQ(avi.GetSampleCount(7), 0);
}

TEST_F(AviFileTest, RefusesWhatIsNotAnAvi)
{
    CAviFile avi;
    EXPECT_FALSE(avi.Open(Wide(m_dir / "missing.avi")));
    EXPECT_FALSE(avi.Open(Wide(Write("empty.avi", {}))));
    EXPECT_FALSE(avi.Open(Wide(m_dir)));
    Bytes wave = BuildAvi(TwoStreams());
    std::memcpy(wave.data() + 8, "WAVE", 4);
    EXPECT_FALSE(avi.Open(Wide(Write("wave.avi", wave))));
    // RIFF AVI without a header list.
    CRiffBuilder b;
    const std::size_t riff = b.Open("RIFF", "AVI ");
    const std::size_t movi = b.Open("LIST", "movi");
    b.Chunk("00dc", {1, 2, 3});
    b.Close(movi);
    b.Close(riff);
    EXPECT_FALSE(avi.Open(Wide(Write("nohdrl.avi", b.Data()))));
    EXPECT_FALSE(avi.IsOpen());
}

TEST_F(AviFileTest, EveryTruncationKeepsOnlyWholeSamples)
{
    const std::vector<TestStream> streams = TwoStreams();
    for (bool index : {true, false}) {
        AviLayout layout;
        layout.index = index;
        const Bytes full = BuildAvi(streams, layout);
        for (std::size_t len = 0; len < full.size(); ++len) {
            SCOPED_TRACE("length " + std::to_string(len) + (index ? " with idx1" : " without idx1"));
            CAviFile avi;
            if (!avi.Open(Wide(Write("cut.avi", Bytes(full.begin(), full.begin() + static_cast<long>(len))))))
                continue;
            ExpectSamplesMatch(avi, streams, false);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST_F(AviFileTest, AbsurdSizesAndIndexEntriesAreBoundedByTheFile)
{
    // idx1 entries pointing outside the file or naming unknown streams are dropped; a chunk size
    // beyond the file ends the walk; a header length claim of 4 billion allocates nothing.
    std::vector<TestStream> streams = TwoStreams();
    streams[1].claimedLength = 0xFFFFFFFF;
    Bytes bytes = BuildAvi(streams);
    // Append idx1 entries that cannot be real: beyond the end, an absurd size, stream 42.
    const std::size_t idxPos = bytes.size() - 8 - 16 * 10;
    ASSERT_EQ(std::memcmp(bytes.data() + idxPos, "idx1", 4), 0);
    const Bytes junk = [] {
        Bytes j;
        const Bytes a = Le32({0, 0x10, 0x7FFFFFF0, 16});
        const Bytes b = Le32({0, 0x10, 4, 0xFFFFFFF0});
        const Bytes c = Le32({0, 0x10, 4, 4});
        j.insert(j.end(), {'0', '0', 'd', 'c'});
        j.insert(j.end(), a.begin() + 4, a.end());
        j.insert(j.end(), {'0', '1', 't', 'x'});
        j.insert(j.end(), b.begin() + 4, b.end());
        j.insert(j.end(), {'4', '2', 'd', 'c'});
        j.insert(j.end(), c.begin() + 4, c.end());
        return j;
    }();
    bytes.insert(bytes.end(), junk.begin(), junk.end());
    const std::uint32_t idxSize = 16 * 10 + static_cast<std::uint32_t>(junk.size());
    for (int i = 0; i < 4; ++i) bytes[idxPos + 4 + i] = static_cast<std::uint8_t>(idxSize >> (8 * i));
    const std::uint32_t riffSize = static_cast<std::uint32_t>(bytes.size() - 8);
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    {
        CAviFile avi;
        ASSERT_TRUE(avi.Open(Wide(Write("junkidx.avi", bytes))));
        ExpectSamplesMatch(avi, streams, true);
    }
    // The idx1 claims four gigabytes and the RIFF and 'movi' sizes are absurd too.
    bytes.resize(idxPos + 8 + 16 * 10);
    const std::size_t moviPos = static_cast<std::size_t>(
        std::search(bytes.begin(), bytes.end(), std::begin("movi"), std::end("movi") - 1) - bytes.begin());
    ASSERT_LT(moviPos, bytes.size());
    for (int i = 0; i < 4; ++i) {
        bytes[idxPos + 4 + i] = 0xFF;
        bytes[4 + i] = 0xFF;
        bytes[moviPos - 4 + i] = 0xF0;
    }
    {
        CAviFile avi;
        ASSERT_TRUE(avi.Open(Wide(Write("hugeidx.avi", bytes))));
        ExpectSamplesMatch(avi, streams, true);
        CAviSimpleParser parser(0);
        parser.Parse(Wide(m_dir / "hugeidx.avi"));
        EXPECT_EQ(parser.m_nGpsCount, static_cast<int>(streams[1].samples.size()));
    }
}

TEST_F(AviFileTest, DeeplyNestedListsDoNotExhaustTheStack)
{
    CRiffBuilder b;
    const std::size_t riff = b.Open("RIFF", "AVI ");
    const std::size_t hdrl = b.Open("LIST", "hdrl");
    const std::size_t strl = b.Open("LIST", "strl");
    b.Chunk("strh", Bytes{'t', 'x', 't', 's'});
    b.Close(strl);
    b.Close(hdrl);
    const std::size_t movi = b.Open("LIST", "movi");
    b.Chunk("00tx", {1, 2, 3});
    std::vector<std::size_t> open;
    for (int i = 0; i < 100000; ++i) open.push_back(b.Open("LIST", "rec "));
    b.Chunk("00tx", {4, 5});
    while (!open.empty()) {
        b.Close(open.back());
        open.pop_back();
    }
    b.Close(movi);
    b.Close(riff);
    CAviFile avi;
    ASSERT_TRUE(avi.Open(Wide(Write("deep.avi", b.Data()))));
    // The innermost sample lies beyond the nesting that is followed.
    EXPECT_EQ(avi.GetSampleCount(0), 1);
}

// ---------------------------------------------------------------------------------------------
// The track parsers

class AviTrackTest : public CTempFiles {
protected:
    fs::path Track(const std::string& type, const std::vector<Bytes>& records, std::int64_t claimedLength = -1,
                   const AviLayout& layout = {})
    {
        std::vector<TestStream> streams = {{"vids", PatternSamples(3, 9)}, {type, records, claimedLength, 1, 1}};
        return Write(type + ".avi", BuildAvi(streams, layout));
    }
    static Bytes SensorOf(const CAviSimpleParser& p, int i)
    {
        return Bytes(p.m_pSensorBytes.get() + 12 * i, p.m_pSensorBytes.get() + 12 * (i + 1));
    }
};

TEST_F(AviTrackTest, DataStreamReadsMarkedRecordsAsDecimalDegrees)
{
    TrackRecord r;
    r.hemispheres = 5;
    r.lat = 37.25f;
    r.lon = 127.125f;
    r.speed = 61.5f;
    r.x = 0.25f;
    r.y = -1.0f;
    r.z = 0.5f;
    TrackRecord south = r;
    south.hemispheres = 4; // south, east
    TrackRecord west = r;
    west.hemispheres = 1; // north; bits 2-3 are not 4, so west
    TrackRecord unmarked = r;
    unmarked.marker = false;
    const std::vector<Bytes> records = {MakeRecord(r), MakeRecord(unmarked), MakeRecord(south), MakeRecord(west)};

    CAviSimpleParser p(0);
    EXPECT_EQ(p.Parse(Wide(Track("dats", records))), 0);
    ASSERT_EQ(p.m_nGpsCount, 4);
    EXPECT_EQ(p.m_nSensorCount, 4);
    EXPECT_EQ(p.m_nSensorByteLength, 48);
    ASSERT_EQ(p.m_vecGpsRecords.size(), 4u);

    const GpsFix& a = p.m_vecGpsRecords[0];
    EXPECT_TRUE(a.IsValid());
    EXPECT_STREQ(a.latHemisphere, "N");
    EXPECT_STREQ(a.lonHemisphere, "E");
    EXPECT_DOUBLE_EQ(a.latitude, 37.25);
    EXPECT_DOUBLE_EQ(a.longitude, 127.125);
    EXPECT_DOUBLE_EQ(a.speedKmh, 61.5);
    EXPECT_DOUBLE_EQ(a.course, 0.0);
    EXPECT_EQ(SensorOf(p, 0), Bytes(records[0].begin() + 40, records[0].begin() + 52));

    // Without the 511 / 0x3260A signature the step stays empty.
    const GpsFix& none = p.m_vecGpsRecords[1];
    EXPECT_EQ(none.status[0], 0);
    EXPECT_FALSE(none.IsParsed());
    EXPECT_EQ(none.latitude, 0.0);
    EXPECT_EQ(SensorOf(p, 1), Bytes(12, 0));

    EXPECT_STREQ(p.m_vecGpsRecords[2].latHemisphere, "S");
    EXPECT_DOUBLE_EQ(p.m_vecGpsRecords[2].latitude, -37.25);
    EXPECT_DOUBLE_EQ(p.m_vecGpsRecords[2].longitude, 127.125);
    EXPECT_STREQ(p.m_vecGpsRecords[3].lonHemisphere, "W");
    EXPECT_DOUBLE_EQ(p.m_vecGpsRecords[3].latitude, 37.25);
    EXPECT_DOUBLE_EQ(p.m_vecGpsRecords[3].longitude, -127.125);
}

TEST_F(AviTrackTest, TextStreamConvertsNmeaDegreesAndMinutes)
{
    TrackRecord r;
    r.hemispheres = 1; // north, west
    r.lat = 3730.1234f;
    r.lon = 12700.5f;
    r.speed = 12.0f;
    r.marker = false; // the text stream takes every sample
    CAviSimpleParser p(0);
    p.Parse(Wide(Track("txts", {MakeRecord(r)})));
    ASSERT_EQ(p.m_nGpsCount, 1);
    const GpsFix& f = p.m_vecGpsRecords[0];
    EXPECT_TRUE(f.IsValid());
    EXPECT_NEAR(f.latitude, 37.502056, 1e-5);
    EXPECT_NEAR(f.longitude, -127.008333, 1e-5);
    EXPECT_STREQ(f.lonHemisphere, "W");
    EXPECT_DOUBLE_EQ(f.speedKmh, 12.0);
    EXPECT_TRUE(std::isnan(f.course));
}

TEST_F(AviTrackTest, ZeroPositionIsANoFixStep)
{
    TrackRecord r;
    r.speed = 30.0f;
    for (const char* type : {"dats", "txts"}) {
        SCOPED_TRACE(type);
        CAviSimpleParser p(0);
        p.Parse(Wide(Track(type, {MakeRecord(r)})));
        ASSERT_EQ(p.m_nGpsCount, 1);
        const GpsFix& f = p.m_vecGpsRecords[0];
        EXPECT_EQ(f.status[0], 'V');
        EXPECT_TRUE(f.IsParsed());
        EXPECT_FALSE(f.IsValid());
        if (std::string(type) == "dats") {
            EXPECT_EQ(f.latitude, 0.0);
            EXPECT_EQ(f.speedKmh, 0.0);
            EXPECT_EQ(f.course, 0.0);
        } else {
            EXPECT_TRUE(std::isnan(f.latitude));
            EXPECT_TRUE(std::isnan(f.longitude));
            EXPECT_TRUE(std::isnan(f.speedKmh));
        }
    }
}

TEST_F(AviTrackTest, TextStreamWinsOverDataStream)
{
    TrackRecord t;
    t.lat = 3700.0f;
    t.lon = 12700.0f;
    TrackRecord d;
    d.lat = 10.0f;
    d.lon = 20.0f;
    std::vector<TestStream> streams = {{"dats", {MakeRecord(d), MakeRecord(d)}, -1, 1, 1},
                                       {"txts", {MakeRecord(t)}, -1, 1, 1}};
    CAviSimpleParser p(0);
    p.Parse(Wide(Write("both.avi", BuildAvi(streams))));
    ASSERT_EQ(p.m_nGpsCount, 1);
    EXPECT_DOUBLE_EQ(p.m_vecGpsRecords[0].latitude, 37.0);
}

TEST_F(AviTrackTest, FilesWithoutTrackGiveNothing)
{
    CAviSimpleParser p(0);
    p.Parse(Wide(Write("video.avi", BuildAvi({{"vids", PatternSamples(3, 1)}, {"auds", PatternSamples(3, 2)}}))));
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_nSensorCount, 0);
    EXPECT_EQ(p.m_nSensorByteLength, 0);
    EXPECT_EQ(p.m_pSensorBytes, nullptr);
    p.Parse(Wide(m_dir / "missing.avi"));
    EXPECT_EQ(p.m_nGpsCount, 0);
    // A track stream with a header but no samples.
    p.Parse(Wide(Track("dats", {}, 50)));
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_pSensorBytes, nullptr);
}

TEST_F(AviTrackTest, StepCountIsTheClaimedLengthClampedToTheSamplesPresent)
{
    TrackRecord r;
    r.lat = 1.0f;
    r.lon = 2.0f;
    const std::vector<Bytes> three = {MakeRecord(r), MakeRecord(r), MakeRecord(r)};
    CAviSimpleParser p(0);
    p.Parse(Wide(Track("dats", three, 1000000)));
    EXPECT_EQ(p.m_nGpsCount, 3);
    EXPECT_EQ(p.m_nSensorByteLength, 36);
    p.Parse(Wide(Track("dats", three, 2)));
    EXPECT_EQ(p.m_nGpsCount, 2);
    EXPECT_EQ(p.m_nSensorCount, 2);
    EXPECT_EQ(p.m_vecGpsRecords.size(), 2u);
    // A header never finished (length 0) still yields the samples that were written.
    p.Parse(Wide(Track("dats", three, 0)));
    EXPECT_EQ(p.m_nGpsCount, 3);
    EXPECT_EQ(p.m_vecGpsRecords[2].latitude, 1.0);
}

TEST_F(AviTrackTest, ShortSamplesDoNotInheritTheBytesOfTheSampleBefore)
{
    TrackRecord r;
    r.lat = 37.0f;
    r.lon = 127.0f;
    r.x = 1.5f;
    const Bytes full = MakeRecord(r);
    const Bytes upToSensor(full.begin(), full.begin() + 52);  // ends after z: no position
    const Bytes upToY(full.begin(), full.begin() + 48);       // ends after y
    for (const char* type : {"dats", "txts"}) {
        SCOPED_TRACE(type);
        CAviSimpleParser p(0);
        p.Parse(Wide(Track(type, {full, upToSensor, upToY})));
        ASSERT_EQ(p.m_nGpsCount, 3);
        EXPECT_EQ(p.m_vecGpsRecords[0].status[0], 'A');
        EXPECT_EQ(p.m_vecGpsRecords[1].status[0], 'V');
        EXPECT_EQ(p.m_vecGpsRecords[2].status[0], 'V');
        EXPECT_EQ(SensorOf(p, 1), Bytes(full.begin() + 40, full.begin() + 52));
        Bytes partial(full.begin() + 40, full.begin() + 48);
        partial.resize(12, 0);
        EXPECT_EQ(SensorOf(p, 2), partial);
    }
}

TEST_F(AviTrackTest, FirstRecordModeStopsAfterTheFirstCountingStep)
{
    TrackRecord r;
    r.lat = 10.0f;
    r.lon = 20.0f;
    TrackRecord unmarked = r;
    unmarked.marker = false;
    CAviSimpleParser p(1);
    p.Parse(Wide(Track("dats", {MakeRecord(unmarked), MakeRecord(r), MakeRecord(r)})));
    ASSERT_EQ(p.m_nGpsCount, 3);
    EXPECT_FALSE(p.m_vecGpsRecords[0].IsParsed());
    EXPECT_TRUE(p.m_vecGpsRecords[1].IsValid());
    EXPECT_FALSE(p.m_vecGpsRecords[2].IsParsed());
}

TEST_F(AviTrackTest, LongSamplesAndRepeatedParsesAndReset)
{
    TrackRecord r;
    r.lat = 10.0f;
    r.lon = 20.0f;
    Bytes longRecord = MakeRecord(r);
    longRecord.resize(5000, 0x7F);
    CAviSimpleParser p(0);
    p.Parse(Wide(Track("dats", {longRecord, longRecord})));
    ASSERT_EQ(p.m_nGpsCount, 2);
    EXPECT_DOUBLE_EQ(p.m_vecGpsRecords[1].longitude, 20.0);
    // A second parse replaces the track rather than adding to it.
    p.Parse(Wide(Track("dats", {longRecord})));
    EXPECT_EQ(p.m_nGpsCount, 1);
    EXPECT_EQ(p.m_vecGpsRecords.size(), 1u);
    EXPECT_EQ(p.Reset(), 0);
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_nSensorByteLength, 0);
    EXPECT_TRUE(p.m_vecGpsRecords.empty());
    EXPECT_EQ(p.m_pSensorBytes, nullptr);
}

TEST_F(AviTrackTest, UserDataParserNeverFindsATrack)
{
    TrackRecord r;
    r.lat = 10.0f;
    r.lon = 20.0f;
    CAviUserDataParser p(0);
    EXPECT_EQ(p.Parse(Wide(Track("dats", {MakeRecord(r)}))), -1);
    EXPECT_EQ(p.m_nGpsCount, 0);
    EXPECT_EQ(p.m_nSensorCount, 0);
    EXPECT_EQ(p.m_nSensorByteLength, 0);
    EXPECT_EQ(p.Reset(), 0);
}

} // namespace
