// The AVI track writer against the real ffmpeg program: the result must stay a clean AVI for
// stock tools, and the track parser must read back exactly the records that were written.
#include "recording/AviFile.h"
#include "recording/AviParsers.h"
#include "tools/samplecard/AviWriter.h"

#include <zent/platform/Text.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using samplecard::AddTrackStreamToAvi;
using samplecard::AviTrackStream;

struct CommandResult {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

CommandResult RunCommand(const std::string& command)
{
    CommandResult r;
    std::FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    const int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

void PutWord(Bytes& b, std::size_t word, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[word * 4 + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutFloat(Bytes& b, std::size_t word, float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    PutWord(b, word, u);
}

struct Step {
    float lat, lon, speed, x, y, z;
    std::uint32_t hemispheres;
};

// One camera record (68 bytes, words 0..16) for a track step.
Bytes Record(const Step& s)
{
    Bytes b(68, 0);
    PutWord(b, 0, 511);
    PutWord(b, 1, 0x0003260A);
    PutFloat(b, 10, s.x);
    PutFloat(b, 11, s.y);
    PutFloat(b, 12, s.z);
    PutWord(b, 13, s.hemispheres);
    PutFloat(b, 14, s.speed);
    PutFloat(b, 15, s.lat);
    PutFloat(b, 16, s.lon);
    return b;
}

// A short drive; step 3 has no fix.
std::vector<Step> Drive(int steps, bool nmea)
{
    std::vector<Step> out;
    for (int i = 0; i < steps; ++i) {
        const float lat = nmea ? 3730.0f + 0.125f * i : 37.5f + 0.001f * i;
        const float lon = nmea ? 12701.5f + 0.25f * i : 127.02f + 0.002f * i;
        Step s{lat, lon, 40.0f + i, 0.01f * i, -0.02f * i, 1.0f, i % 2 ? 5u : 1u};
        if (i == 3) s.lat = s.lon = 0.0f;
        out.push_back(s);
    }
    return out;
}

float NmeaDegrees(float v)
{
    const float d = std::trunc(v / 100.0f);
    return (v - d * 100.0f) / 60.0f + d;
}

class AviWriterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = fs::temp_directory_path() / ("torvix_aviwriter_" + std::to_string(::getpid()));
        fs::create_directories(s_dir);
        s_source = s_dir / "source.avi";
        // What the sample-card tool starts from: H.264 video and AAC audio in AVI, written by ffmpeg.
        const CommandResult r = RunCommand("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=duration=4:size=160x120:rate=25 "
                                    "-f lavfi -i sine=frequency=440:duration=4 -c:v libx264 -preset ultrafast "
                                    "-pix_fmt yuv420p -c:a aac -shortest " +
                                    Quote(s_source));
        s_sourceOk = r.exitCode == 0 && fs::exists(s_source);
        if (!s_sourceOk) s_sourceError = r.output;
    }
    static void TearDownTestSuite()
    {
        std::error_code ec;
        fs::remove_all(s_dir, ec);
    }
    void SetUp() override { ASSERT_TRUE(s_sourceOk) << "ffmpeg could not write the source AVI: " << s_sourceError; }

    // Video and audio frames as ffmpeg decodes them.
    static std::string DecodedFrames(const fs::path& file, const char* selector)
    {
        return RunCommand(std::string("ffprobe -v error -count_frames -select_streams ") + selector +
                   " -show_entries stream=codec_name,nb_read_frames -of csv=p=0 " + Quote(file))
            .output;
    }

    static void ExpectCleanForFfmpeg(const fs::path& file)
    {
        const CommandResult r = RunCommand("ffmpeg -nostdin -v error -i " + Quote(file) + " -f null -");
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.output, "");
        EXPECT_EQ(DecodedFrames(file, "v:0"), DecodedFrames(s_source, "v:0"));
        EXPECT_EQ(DecodedFrames(file, "a:0"), DecodedFrames(s_source, "a:0"));
    }

    static fs::path s_dir;
    static fs::path s_source;
    static bool s_sourceOk;
    static std::string s_sourceError;
};

fs::path AviWriterTest::s_dir;
fs::path AviWriterTest::s_source;
bool AviWriterTest::s_sourceOk = false;
std::string AviWriterTest::s_sourceError;

TEST_F(AviWriterTest, DataStreamRoundTripsAndStaysCleanForFfmpeg)
{
    const std::vector<Step> drive = Drive(4, false);
    AviTrackStream track{{'d', 'a', 't', 's'}, {}, 1, 1};
    for (const Step& s : drive) track.samples.push_back(Record(s));
    // A record without the camera's signature occupies a step but carries nothing.
    track.samples[2][0] = 0;

    const fs::path out = s_dir / "dats.avi";
    std::string error;
    ASSERT_TRUE(AddTrackStreamToAvi(s_source, out, track, error)) << error;
    EXPECT_EQ(error, "");
    ExpectCleanForFfmpeg(out);

    CAviSimpleParser parser(0);
    parser.Parse(zent::Utf8ToWide(out.string()));
    ASSERT_EQ(parser.m_nGpsCount, 4);
    ASSERT_EQ(parser.m_nSensorByteLength, 48);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const GpsFix& f = parser.m_vecGpsRecords[static_cast<std::size_t>(i)];
        const Step& s = drive[static_cast<std::size_t>(i)];
        if (i == 2) {
            EXPECT_FALSE(f.IsParsed());
            continue;
        }
        EXPECT_EQ(0, std::memcmp(parser.m_pSensorBytes.get() + 12 * i, track.samples[static_cast<std::size_t>(i)].data() + 40, 12));
        if (i == 3) {
            EXPECT_EQ(f.status[0], 'V');
            continue;
        }
        EXPECT_TRUE(f.IsValid());
        EXPECT_EQ(f.latitude, static_cast<double>(s.lat));
        EXPECT_EQ(f.longitude, (s.hemispheres & 12u) == 4u ? double{s.lon} : -double{s.lon});
        EXPECT_EQ(f.speedKmh, static_cast<double>(s.speed));
    }
}

TEST_F(AviWriterTest, TextStreamIsInterleavedInTimeAndReadsBack)
{
    const std::vector<Step> drive = Drive(16, true);
    AviTrackStream track{{'t', 'x', 't', 's'}, {}, 1, 4}; // four steps per second
    for (const Step& s : drive) track.samples.push_back(Record(s));
    track.samples[5].resize(69, 0xAB); // an odd length needs RIFF padding

    const fs::path out = s_dir / "txts.avi";
    std::string error;
    ASSERT_TRUE(AddTrackStreamToAvi(s_source, out, track, error)) << error;
    ExpectCleanForFfmpeg(out);

    CAviFile avi;
    ASSERT_TRUE(avi.OpenUtf8(out.string()));
    EXPECT_TRUE(avi.HasIndex());
    const int video = avi.FindStream("vids");
    const int text = avi.FindStream("txts");
    ASSERT_GE(video, 0);
    ASSERT_EQ(text, avi.GetStreamCount() - 1);
    const AviStreamHeader* info = avi.GetStreamInfo(text);
    EXPECT_EQ(info->rate, 4u);
    EXPECT_EQ(info->scale, 1u);
    EXPECT_EQ(info->length, 16u);
    ASSERT_EQ(avi.GetSampleCount(text), 16);
    for (int i = 0; i < 16; ++i) {
        Bytes buf(256);
        const int n = avi.ReadSample(text, i, buf.data(), buf.size());
        buf.resize(static_cast<std::size_t>(std::max(n, 0)));
        EXPECT_EQ(buf, track.samples[static_cast<std::size_t>(i)]) << "sample " << i;
    }

    // Step i (at i/4 s) lies among the video frames of that moment (25 frames per second).
    const AviStreamHeader* v = avi.GetStreamInfo(video);
    ASSERT_EQ(v->rate / v->scale, 25u);
    for (int i = 0; i < 16; ++i) {
        const std::uint64_t at = avi.GetSampleEntry(text, i)->offset;
        int framesBefore = 0;
        for (int k = 0; k < avi.GetSampleCount(video); ++k) framesBefore += avi.GetSampleEntry(video, k)->offset < at;
        EXPECT_NEAR(framesBefore, i * 25 / 4, 3) << "step " << i;
    }

    CAviSimpleParser parser(0);
    parser.Parse(zent::Utf8ToWide(out.string()));
    ASSERT_EQ(parser.m_nGpsCount, 16);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const GpsFix& f = parser.m_vecGpsRecords[static_cast<std::size_t>(i)];
        const Step& s = drive[static_cast<std::size_t>(i)];
        ASSERT_TRUE(f.IsParsed());
        if (i == 3) {
            EXPECT_EQ(f.status[0], 'V');
            EXPECT_TRUE(std::isnan(f.latitude));
            continue;
        }
        EXPECT_EQ(f.latitude, static_cast<double>(NmeaDegrees(s.lat)));
        const double lon = NmeaDegrees(s.lon);
        EXPECT_EQ(f.longitude, (s.hemispheres & 12u) == 4u ? lon : -lon);
        EXPECT_STREQ(f.lonHemisphere, (s.hemispheres & 12u) == 4u ? "E" : "W");
    }

    // The first-fix read sees the same first step.
    CAviSimpleParser first(1);
    first.Parse(zent::Utf8ToWide(out.string()));
    ASSERT_EQ(first.m_nGpsCount, 16);
    EXPECT_EQ(first.m_vecGpsRecords[0].latitude, parser.m_vecGpsRecords[0].latitude);
    EXPECT_FALSE(first.m_vecGpsRecords[1].IsParsed());
}

TEST_F(AviWriterTest, RefusesBadInputWithoutLeavingATarget)
{
    AviTrackStream track{{'d', 'a', 't', 's'}, {Record(Step{1, 2, 3, 0, 0, 0, 5})}, 1, 1};
    std::string error;
    const fs::path out = s_dir / "refused.avi";

    const fs::path notAvi = s_dir / "not.avi";
    std::ofstream(notAvi) << "this is not a RIFF file";
    EXPECT_FALSE(AddTrackStreamToAvi(notAvi, out, track, error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(fs::exists(out));

    EXPECT_FALSE(AddTrackStreamToAvi(s_source, s_source, track, error));
    EXPECT_NE(error, "");
    EXPECT_TRUE(DecodedFrames(s_source, "v:0").find(',') != std::string::npos);

    AviTrackStream noRate = track;
    noRate.rate = 0;
    EXPECT_FALSE(AddTrackStreamToAvi(s_source, out, noRate, error));
    EXPECT_FALSE(fs::exists(out));

    EXPECT_FALSE(AddTrackStreamToAvi(s_source, s_dir / "no" / "such" / "dir.avi", track, error));
    EXPECT_NE(error, "");
}

} // namespace
