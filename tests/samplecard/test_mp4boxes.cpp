// Rebuilding an MP4 the camera's way: what ffmpeg adds beyond the cameras' boxes goes, the
// media data moves, and every chunk offset still points at the same bytes.

#include "tools/samplecard/Mp4Boxes.h"
#include "tools/samplecard/Mp4TrackWriters.h"

#include "SampleCardFixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using namespace samplecard;
using samplecard_test::CTempDir;
namespace fs = std::filesystem;

const Bytes kVideoChunk = {'V', 'I', 'D', 'E', 'O', '1'};
const Bytes kAudioChunk = {'A', 'U', 'D', 'I', 'O', '2', '2'};

CMp4Box Full(std::string_view type, std::initializer_list<std::uint32_t> words)
{
    Bytes f;
    CByteWriter w(f);
    for (const std::uint32_t v : words) w.PutU32BE(v);
    return MakeFullBox(type, 0, 0, f);
}

CMp4Box Co64(std::uint64_t offset)
{
    Bytes f;
    CByteWriter w(f);
    w.PutU32BE(1);
    w.PutU64BE(offset);
    return MakeFullBox("co64", 0, 0, f);
}

CMp4Box Track(std::string_view handler, std::uint32_t id, CMp4Box chunkOffsets, std::vector<CMp4Box> extras)
{
    Bytes hdlr(20, 0);
    std::memcpy(hdlr.data() + 8, handler.data(), 4);
    std::vector<CMp4Box> stbl = {Full("stsd", {0}), Full("stts", {0}), Full("stsc", {1, 1, 1, 1}),
                                 Full("stsz", {0, 1, 6}), std::move(chunkOffsets)};
    for (CMp4Box& e : extras) stbl.push_back(std::move(e));
    Bytes tkhd(84, 0);
    WriteU32BE(tkhd.data() + 12, id);
    return CMp4Box::MakeContainer(
        "trak", {CMp4Box("tkhd", tkhd), CMp4Box("tref", Bytes(12, 0)),
                 CMp4Box::MakeContainer(
                     "mdia", {Full("mdhd", {0, 0, 1000, 1000, 0}), CMp4Box("hdlr", hdlr),
                              CMp4Box::MakeContainer("minf", {Full(handler == "vide" ? "vmhd" : "smhd", {0, 0}),
                                                              CMp4Box::MakeContainer("stbl", std::move(stbl))})})});
}

// What ffmpeg writes, in small: ftyp, free, mdat, moov with a 64-bit offset table in the video
// track, sample groups in the sound track and tags in 'udta'.
Bytes BuildFfmpegLikeFile()
{
    const std::uint64_t mdatStart = 24 + 8; // after ftyp (24) and free (8)
    const std::uint64_t videoAt = mdatStart + 8;
    const std::uint64_t audioAt = videoAt + kVideoChunk.size();
    Bytes mvhd(100, 0);
    WriteU32BE(mvhd.data() + 12, 1000); // time scale
    WriteU32BE(mvhd.data() + 16, 3000); // duration
    WriteU32BE(mvhd.data() + 96, 3);    // next track id
    Bytes mdat = kVideoChunk;
    mdat.insert(mdat.end(), kAudioChunk.begin(), kAudioChunk.end());

    Bytes out;
    CMp4Box("ftyp", Bytes{'i', 's', 'o', 'm', 0, 0, 2, 0, 'i', 's', 'o', 'm', 'm', 'p', '4', '1'}).AppendTo(out);
    CMp4Box("free", {}).AppendTo(out);
    CMp4Box("mdat", mdat).AppendTo(out);
    CMp4Box::MakeContainer(
        "moov", {CMp4Box("mvhd", mvhd), Track("vide", 1, Co64(videoAt), {}),
                 Track("soun", 2, Full("stco", {1, static_cast<std::uint32_t>(audioAt)}),
                       {Full("sgpd", {0}), Full("sbgp", {0})}),
                 CMp4Box::MakeContainer("udta", {CMp4Box("meta", Bytes(20, 0))})})
        .AppendTo(out);
    return out;
}

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<CMp4Box> ParseAll(const Bytes& bytes)
{
    std::vector<CMp4Box> top;
    std::string error;
    EXPECT_TRUE(ParseBoxes(bytes.data(), bytes.size(), {"moov", "trak", "mdia", "minf", "stbl", "udta"}, top, error))
        << error;
    return top;
}

// The types a flat walk meets, in order, descending only into the containers the cameras' readers
// descend into.
void CollectWalk(const std::vector<CMp4Box>& boxes, std::vector<std::string>& out)
{
    for (const CMp4Box& b : boxes) {
        out.push_back(b.GetType());
        if (b.m_bContainer) CollectWalk(b.m_vecChildren, out);
    }
}

std::uint32_t FirstChunkOffset(const CMp4Box& trak)
{
    const CMp4Box* stco = trak.FindChild("mdia")->FindChild("minf")->FindChild("stbl")->FindChild("stco");
    EXPECT_NE(stco, nullptr);
    return stco ? ReadU32BE(stco->m_vecContent.data() + 8) : 0;
}

class CameraMp4Rebuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.Get().empty());
        m_source = m_dir.Get() / "ffmpeg.mp4";
        const Bytes src = BuildFfmpegLikeFile();
        std::ofstream(m_source, std::ios::binary).write(reinterpret_cast<const char*>(src.data()), static_cast<std::streamsize>(src.size()));
        std::string error;
        ASSERT_TRUE(m_mp4.Load(m_source, error)) << error;
    }
    Bytes SaveAndRead()
    {
        std::string error;
        EXPECT_TRUE(m_mp4.Save(m_dir.Get() / "camera.mp4", error)) << error;
        return ReadAll(m_dir.Get() / "camera.mp4");
    }

    CTempDir m_dir;
    fs::path m_source;
    CCameraMp4 m_mp4;
};

TEST_F(CameraMp4Rebuild, DropsWhatTheCamerasReadersDoNotKnowAndKeepsEveryChunkInPlace)
{
    const std::vector<RouteStep> steps(3, RouteStep{.localTime = 1680700000, .bFix = true, .latE4Min = 22540000,
                                                    .lonE4Min = 76180000, .speedCentiKnots = 1000, .courseDeci = 900,
                                                    .g = {10, -20, 683}});
    std::string error;
    ASSERT_TRUE(AddNullMediaTrack(m_mp4, steps, "QZ4K 1.0", error)) << error;
    const Bytes out = SaveAndRead();
    const std::vector<CMp4Box> top = ParseAll(out);

    std::vector<std::string> walk;
    CollectWalk(top, walk);
    for (const char* gone : {"free", "co64", "sgpd", "sbgp", "udta", "meta", "tref"})
        EXPECT_EQ(std::count(walk.begin(), walk.end(), gone), 0) << gone;
    ASSERT_GE(top.size(), 4u);
    EXPECT_EQ(top[0].GetType(), "ftyp");
    EXPECT_EQ(top[1].GetType(), "AMBA");
    EXPECT_EQ(top[2].GetType(), "mdat");
    EXPECT_EQ(top[3].GetType(), "moov");

    // The media moved behind the new lead box; its offsets moved with it.
    const CMp4Box& moov = top[3];
    std::vector<const CMp4Box*> traks;
    for (const CMp4Box& c : moov.m_vecChildren)
        if (c.IsType("trak")) traks.push_back(&c);
    ASSERT_EQ(traks.size(), 3u);
    const std::uint32_t video = FirstChunkOffset(*traks[0]);
    const std::uint32_t audio = FirstChunkOffset(*traks[1]);
    ASSERT_LE(video + kVideoChunk.size(), out.size());
    ASSERT_LE(audio + kAudioChunk.size(), out.size());
    EXPECT_TRUE(std::equal(kVideoChunk.begin(), kVideoChunk.end(), out.begin() + video));
    EXPECT_TRUE(std::equal(kAudioChunk.begin(), kAudioChunk.end(), out.begin() + audio));

    // The metadata track is last, takes the next track id, and its samples are where it says.
    EXPECT_EQ(GetHandlerType(*traks[2]), "meta");
    EXPECT_EQ(ReadU32BE(traks[2]->FindChild("tkhd")->m_vecContent.data() + 12), 3u);
    EXPECT_EQ(ReadU32BE(moov.FindChild("mvhd")->m_vecContent.data() + 96), 4u);
    const std::uint32_t sample0 = FirstChunkOffset(*traks[2]);
    const Bytes expected = BuildNullMediaSample(steps[0], 0);
    ASSERT_LE(sample0 + expected.size(), out.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin() + sample0));
}

TEST_F(CameraMp4Rebuild, GpsIndexComesBeforeTheTracksAndPointsAtItsBlocksAfterMoov)
{
    std::vector<RouteStep> steps(4);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].localTime = 1680700000 + static_cast<std::int64_t>(i);
        steps[i].bFix = i != 2;
        steps[i].latE4Min = 22540000 + static_cast<std::int32_t>(i);
        steps[i].lonE4Min = 76180000;
    }
    std::string error;
    ASSERT_TRUE(AddGpsIndexTrack(m_mp4, steps, error)) << error;
    const Bytes out = SaveAndRead();
    const std::vector<CMp4Box> top = ParseAll(out);
    ASSERT_GE(top.size(), 3u);
    const CMp4Box& moov = top[2];
    ASSERT_TRUE(moov.IsType("moov"));
    ASSERT_GE(moov.m_vecChildren.size(), 2u);
    ASSERT_TRUE(moov.m_vecChildren[1].IsType("gps ")) << "right after the movie header";
    const Bytes& index = moov.m_vecChildren[1].m_vecContent;
    ASSERT_EQ(ReadU32BE(index.data() + 4), steps.size());

    const std::uint64_t moovEnd = moov.m_nSourceOffset + moov.GetSize();
    std::uint64_t expectedAt = moovEnd;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::uint32_t offset = ReadU32BE(index.data() + 8 + 8 * i);
        const std::uint32_t size = ReadU32BE(index.data() + 12 + 8 * i);
        EXPECT_EQ(offset, expectedAt) << "blocks follow each other after moov";
        expectedAt += size;
        const Bytes block = BuildGpsBlock(steps[i]);
        ASSERT_LE(offset + std::uint64_t{size}, out.size());
        ASSERT_EQ(size, block.size());
        EXPECT_TRUE(std::equal(block.begin(), block.end(), out.begin() + offset)) << "block " << i;
        EXPECT_EQ(ReadU32BE(block.data()), size) << "a block is a box of its own";
    }
    EXPECT_EQ(expectedAt, out.size());
}

TEST(CameraMp4, RefusesFilesItCannotTakeApart)
{
    CTempDir dir;
    const fs::path path = dir.Get() / "bad.mp4";
    Bytes bytes = BuildFfmpegLikeFile();
    bytes.resize(bytes.size() - 5); // moov cut short
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    CCameraMp4 mp4;
    std::string error;
    EXPECT_FALSE(mp4.Load(path, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(mp4.Load(dir.Get() / "missing.mp4", error));
}

} // namespace
