// Wave-sound playback: the WAV reader on good and broken files, the shared volume level and
// what it does to the samples, the two global players, and playing through ALSA devices that
// every machine has: "null", the "file" plug-in (to capture what was played, or to hold a
// player busy behind a FIFO), and a device name that does not exist.
#include "TestSupport.h"
#include "lib/util/src/WavReader.h"

#include <zent/platform/PcmOutput.h>
#include <zent/util/SndPl.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::string;

void PutU16(Bytes& b, unsigned v)
{
    b.push_back(char(v & 0xFF));
    b.push_back(char((v >> 8) & 0xFF));
}
void PutU32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.push_back(char((v >> (8 * i)) & 0xFF));
}

// A chunk with its pad byte when the body is odd.
Bytes Chunk(const char* id, const Bytes& body, std::uint32_t declared = 0xFFFFFFFFu)
{
    Bytes b(id, 4);
    PutU32(b, declared == 0xFFFFFFFFu ? std::uint32_t(body.size()) : declared);
    b += body;
    if (body.size() & 1) b.push_back('\0');
    return b;
}

Bytes FmtBody(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits, int blockAlign = -1)
{
    const unsigned align = blockAlign < 0 ? channels * bits / 8 : unsigned(blockAlign);
    Bytes b;
    PutU16(b, tag);
    PutU16(b, channels);
    PutU32(b, rate);
    PutU32(b, rate * align);
    PutU16(b, align);
    PutU16(b, bits);
    return b;
}

Bytes FmtExtensible(unsigned channels, std::uint32_t rate, unsigned container, unsigned valid, unsigned subTag,
                    unsigned cbSize = 22, bool goodGuid = true)
{
    Bytes b = FmtBody(0xFFFE, channels, rate, container);
    PutU16(b, cbSize);
    PutU16(b, valid);
    PutU32(b, channels == 2 ? 3 : 4);
    PutU16(b, subTag);
    const unsigned char tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    for (unsigned char c : tail) b.push_back(char(goodGuid ? c : c ^ 0x5A));
    return b;
}

// "RIFF" size "WAVE" chunks...; the size is the true one unless given.
Bytes Riff(const Bytes& chunks, std::int64_t riffSize = -1)
{
    Bytes b("RIFF", 4);
    PutU32(b, riffSize < 0 ? std::uint32_t(chunks.size() + 4) : std::uint32_t(riffSize));
    b += "WAVE";
    b += chunks;
    return b;
}

// Interleaved 16-bit samples of a loud saw with both signs, distinct per channel.
Bytes Saw16(std::size_t frames, unsigned channels)
{
    Bytes b;
    for (std::size_t i = 0; i < frames; ++i)
        for (unsigned c = 0; c < channels; ++c) {
            const int v = int((i * 997 + c * 4099) % 60001) - 30000;
            PutU16(b, unsigned(std::uint16_t(std::int16_t(v))));
        }
    return b;
}

Bytes Canonical16(const Bytes& samples, unsigned channels = 2, std::uint32_t rate = 22050)
{
    return Riff(Chunk("fmt ", FmtBody(1, channels, rate, 16)) + Chunk("data", samples));
}

WavLayout ParseBytes(const Bytes& b)
{
    // An exact-size heap copy, so that a read past the end is a real out-of-bounds read.
    const std::vector<std::uint8_t> copy(b.begin(), b.end());
    return CWavReader::Parse(copy.data(), copy.size());
}

bool WaitUntil(const std::function<bool()>& done)
{
    // Generous: only a hang may fail this, never a slow machine.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string CaptureDevice(const std::filesystem::path& file) { return "file:FILE=" + file.string() + ",FORMAT=raw"; }

std::vector<std::int16_t> AsS16(const Bytes& b)
{
    std::vector<std::int16_t> v(b.size() / 2);
    std::memcpy(v.data(), b.data(), v.size() * 2);
    return v;
}

// A FIFO behind the "file" plug-in: the player blocks once the pipe is full, so it stays busy
// until the test starts reading.
class CFifoDevice {
public:
    explicit CFifoDevice(const std::filesystem::path& path) : m_path(path)
    {
        ::mkfifo(path.c_str(), 0600);
        m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    }
    ~CFifoDevice()
    {
        FinishReading();
        if (m_fd >= 0) ::close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    std::string Name() const { return CaptureDevice(m_path); }
    // Reads everything until the player closes its end; call once the player has opened it.
    void StartReading()
    {
        if (m_reader.joinable()) return;
        m_reader = std::thread([this] {
            char buf[65536];
            for (;;) {
                const ssize_t n = ::read(m_fd, buf, sizeof buf);
                if (n > 0) m_nRead += std::size_t(n);
                else if (n == 0) break; // the writer has closed
                else std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    void FinishReading()
    {
        if (m_reader.joinable()) m_reader.join();
    }
    std::size_t BytesRead() const { return m_nRead; }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    std::thread m_reader;
    std::atomic<std::size_t> m_nRead{0};
};

// Declared after the FIFO and the player: when a test ends early, the player still gets to
// write out and close before the FIFO's reading end goes away.
class CReleaseOnExit {
public:
    CReleaseOnExit(CFifoDevice& fifo, SndPl& player) : m_fifo(fifo), m_player(player) {}
    ~CReleaseOnExit()
    {
        m_fifo.StartReading();
        m_player.SndStop();
    }
    CReleaseOnExit(const CReleaseOnExit&) = delete;
    CReleaseOnExit& operator=(const CReleaseOnExit&) = delete;

private:
    CFifoDevice& m_fifo;
    SndPl& m_player;
};

class SndPlTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        g_kSndPlEffect.SndStop();
        g_kSndPlGuide.SndStop();
        g_kSndPlEffect.SetVolume(15);
    }
    std::filesystem::path Write(const std::string& name, const Bytes& bytes)
    {
        const auto p = m_dir / name;
        testsupport::WriteFile(p, bytes);
        return p;
    }
    static std::wstring W(const std::filesystem::path& p) { return p.wstring(); }

    testsupport::TempDir m_dir;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The reader

TEST(SndPlWav, ReadsEverySampleLayoutOfTheCanonicalHeader)
{
    struct Case {
        unsigned tag, channels, rate, bits;
        zent::PcmSample sample;
    };
    const Case cases[] = {
        {1, 1, 8000, 8, zent::PcmSample::U8},       {1, 2, 44100, 16, zent::PcmSample::S16},
        {1, 2, 48000, 24, zent::PcmSample::S24In3}, {1, 1, 96000, 32, zent::PcmSample::S32},
        {3, 2, 48000, 32, zent::PcmSample::Float32}, {3, 6, 44100, 64, zent::PcmSample::Float64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const unsigned align = c.channels * c.bits / 8;
        const Bytes samples(align * 37, '\x11');
        const Bytes file = Riff(Chunk("fmt ", FmtBody(c.tag, c.channels, c.rate, c.bits)) + Chunk("data", samples));
        const WavLayout l = ParseBytes(file);
        ASSERT_EQ(l.status, WavStatus::Ok);
        EXPECT_EQ(l.format.wFormatTag, c.tag);
        EXPECT_EQ(l.format.nChannels, c.channels);
        EXPECT_EQ(l.format.nSamplesPerSec, c.rate);
        EXPECT_EQ(l.format.nBlockAlign, align);
        EXPECT_EQ(l.format.nAvgBytesPerSec, c.rate * align);
        EXPECT_EQ(l.format.wBitsPerSample, c.bits);
        EXPECT_EQ(l.sample, c.sample);
        EXPECT_EQ(l.dataOffset, 12u + 8 + 16 + 8); // the canonical 44-byte header
        EXPECT_EQ(l.dataLength, samples.size());
    }
}

TEST(SndPlWav, WalksChunksInAnyOrderWithPadBytes)
{
    const Bytes samples = Saw16(50, 2);
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 22050, 16));
    const Bytes list = Chunk("LIST", Bytes("INFOabc", 7)); // odd: one pad byte follows
    const Bytes junk = Chunk("junk", Bytes(3, 'd') + "data"); // a fake id inside a chunk body
    const Bytes data = Chunk("data", samples);

    struct Case {
        const char* name;
        Bytes chunks;
        std::size_t dataBody; // offset of the samples inside the chunks
    };
    const Case cases[] = {
        {"list first", list + fmt + data, list.size() + fmt.size() + 8},
        {"between", fmt + list + junk + data, fmt.size() + list.size() + junk.size() + 8},
        {"data before fmt", list + data + fmt, list.size() + 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WavLayout l = ParseBytes(Riff(c.chunks));
        ASSERT_EQ(l.status, WavStatus::Ok);
        EXPECT_EQ(l.dataOffset, 12 + c.dataBody);
        EXPECT_EQ(l.dataLength, samples.size());
        EXPECT_EQ(l.format.nChannels, 2);
    }

    // The first of two data chunks is the sound.
    const WavLayout twice = ParseBytes(Riff(fmt + Chunk("data", Saw16(10, 2)) + data));
    ASSERT_EQ(twice.status, WavStatus::Ok);
    EXPECT_EQ(twice.dataLength, 10u * 4);
}

TEST(SndPlWav, ReducesExtensibleHeaders)
{
    const Bytes data = Chunk("data", Bytes(8 * 12, '\x22'));
    WavLayout l = ParseBytes(Riff(Chunk("fmt ", FmtExtensible(2, 48000, 32, 24, 1)) + data));
    ASSERT_EQ(l.status, WavStatus::Ok);
    EXPECT_EQ(l.format.wFormatTag, 1);
    EXPECT_EQ(l.format.wBitsPerSample, 32);
    EXPECT_EQ(l.sample, zent::PcmSample::S32);

    l = ParseBytes(Riff(Chunk("fmt ", FmtExtensible(2, 48000, 32, 32, 3)) + data));
    ASSERT_EQ(l.status, WavStatus::Ok);
    EXPECT_EQ(l.format.wFormatTag, 3);
    EXPECT_EQ(l.sample, zent::PcmSample::Float32);

    EXPECT_EQ(ParseBytes(Riff(Chunk("fmt ", FmtExtensible(2, 48000, 32, 24, 1, 22, false)) + data)).status,
              WavStatus::Unsupported);
    EXPECT_EQ(ParseBytes(Riff(Chunk("fmt ", FmtExtensible(2, 48000, 32, 24, 2)) + data)).status,
              WavStatus::Unsupported);
    EXPECT_EQ(ParseBytes(Riff(Chunk("fmt ", FmtExtensible(2, 48000, 32, 24, 1, 20)) + data)).status,
              WavStatus::BadFormat);
    EXPECT_EQ(ParseBytes(Riff(Chunk("fmt ", FmtExtensible(2, 48000, 16, 24, 1)) + data)).status,
              WavStatus::BadFormat);
    // An extensible tag on an 18-byte header has no sub-format to read.
    EXPECT_EQ(ParseBytes(Riff(Chunk("fmt ", FmtBody(0xFFFE, 2, 48000, 16) + Bytes(2, '\0')) + data)).status,
              WavStatus::BadFormat);
}

TEST(SndPlWav, RefusesWhatItCannotPlay)
{
    const Bytes data = Chunk("data", Saw16(20, 2));
    const Bytes good = FmtBody(1, 2, 22050, 16);
    struct Case {
        const char* name;
        Bytes file;
        WavStatus status;
    };
    const Case cases[] = {
        {"empty", Bytes(), WavStatus::NotRiffWave},
        {"header only", Bytes("RIFF\4\0\0\0WAV", 11), WavStatus::NotRiffWave},
        {"big-endian RIFX", "RIFX" + Riff(Chunk("fmt ", good) + data).substr(4), WavStatus::NotRiffWave},
        {"AVI", Riff(Chunk("fmt ", good)).replace(8, 4, "AVI "), WavStatus::NotRiffWave},
        {"ADPCM", Riff(Chunk("fmt ", FmtBody(2, 2, 22050, 4, 1024)) + data), WavStatus::Unsupported},
        {"mu-law", Riff(Chunk("fmt ", FmtBody(7, 1, 8000, 8)) + data), WavStatus::Unsupported},
        {"12-bit", Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 12, 2)) + data), WavStatus::Unsupported},
        {"16-bit float", Riff(Chunk("fmt ", FmtBody(3, 1, 8000, 16)) + data), WavStatus::Unsupported},
        {"nine channels", Riff(Chunk("fmt ", FmtBody(1, 9, 8000, 16)) + data), WavStatus::Unsupported},
        {"rate 5 Hz", Riff(Chunk("fmt ", FmtBody(1, 2, 5, 16)) + data), WavStatus::Unsupported},
        {"no channels", Riff(Chunk("fmt ", FmtBody(1, 0, 8000, 16, 4)) + data), WavStatus::BadFormat},
        {"rate 0", Riff(Chunk("fmt ", FmtBody(1, 2, 0, 16)) + data), WavStatus::BadFormat},
        {"block align", Riff(Chunk("fmt ", FmtBody(1, 2, 22050, 16, 3)) + data), WavStatus::BadFormat},
        {"short fmt", Riff(Chunk("fmt ", good.substr(0, 14)) + data), WavStatus::BadFormat},
        {"fmt past the end", Riff(Chunk("fmt ", good, 200)), WavStatus::BadFormat},
        {"no fmt", Riff(data), WavStatus::NoFormat},
        {"no data", Riff(Chunk("fmt ", good)), WavStatus::NoData},
        {"less than a frame", Riff(Chunk("fmt ", good) + Chunk("data", Bytes(3, '\1'))), WavStatus::NoData},
        {"huge chunk first", Riff(Chunk("LIST", Bytes(4, 'x'), 0xFFFFFFF0u) + Chunk("fmt ", good) + data),
         WavStatus::NoFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WavLayout l = ParseBytes(c.file);
        EXPECT_EQ(l.status, c.status);
        EXPECT_EQ(l.dataLength, 0u);
    }
}

TEST(SndPlWav, KeepsTheDataInsideTheImage)
{
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 22050, 16));
    const Bytes samples = Saw16(100, 2);

    // Cut short mid-frame, with a data size that promises far more: whole frames that are there.
    Bytes cut = Riff(fmt + Chunk("data", samples, 1000000));
    cut.resize(cut.size() - 3);
    WavLayout l = ParseBytes(cut);
    ASSERT_EQ(l.status, WavStatus::Ok);
    EXPECT_EQ(l.dataLength, samples.size() - 4);

    // A streaming writer's sizes: RIFF and data both all ones.
    l = ParseBytes(Riff(fmt + Chunk("data", samples, 0xFFFFFFFFu - 1), 0xFFFFFFFFu));
    ASSERT_EQ(l.status, WavStatus::Ok);
    EXPECT_EQ(l.dataLength, samples.size());

    // Bytes after the RIFF end are not part of the sound, even when the data size reaches them.
    const Bytes inside = Riff(fmt + Chunk("data", samples, std::uint32_t(samples.size() + 400)),
                              std::int64_t(4 + fmt.size() + 8 + samples.size()));
    l = ParseBytes(inside + Saw16(100, 2));
    ASSERT_EQ(l.status, WavStatus::Ok);
    EXPECT_EQ(l.dataOffset + l.dataLength, inside.size());

    // Every prefix of a file with extra chunks stays inside its bytes.
    const Bytes full = Riff(Chunk("LIST", Bytes("INFOx", 5)) + fmt + Chunk("junk", Bytes(9, 'j')) +
                            Chunk("data", samples));
    for (std::size_t n = 0; n <= full.size(); ++n) {
        const WavLayout p = ParseBytes(full.substr(0, n));
        ASSERT_LE(p.dataOffset + p.dataLength, n) << n;
        if (p.status == WavStatus::Ok) {
            ASSERT_EQ(p.dataLength % 4, 0u) << n;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The output layer

TEST(SndPlOutput, DeviceNameFollowsTheEnvironment)
{
    {
        testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", "null");
        EXPECT_EQ(zent::CPcmOutput::GetDefaultDeviceName(), "null");
        auto out = zent::CPcmOutput::Open({zent::PcmSample::S16, 2, 44100});
        ASSERT_TRUE(out);
        EXPECT_EQ(out->GetDeviceName(), "null");
    }
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", "");
    EXPECT_EQ(zent::CPcmOutput::GetDefaultDeviceName(), "default");
}

TEST(SndPlOutput, NullDeviceTakesEveryLayoutAndMissingDeviceFails)
{
    const zent::PcmSample layouts[] = {zent::PcmSample::U8,  zent::PcmSample::S16,     zent::PcmSample::S24In3,
                                       zent::PcmSample::S32, zent::PcmSample::Float32, zent::PcmSample::Float64};
    for (zent::PcmSample s : layouts) {
        auto out = zent::CPcmOutput::Open({s, 2, 48000}, "null");
        ASSERT_TRUE(out);
        EXPECT_EQ(out->GetFrameBytes(), 2 * zent::PcmSampleBytes(s));
        const std::vector<char> frames(out->GetFrameBytes() * 4800);
        EXPECT_TRUE(out->Write(frames.data(), 4800));
        EXPECT_TRUE(out->Drain());
        std::atomic<bool> cancel{true};
        EXPECT_FALSE(out->Write(frames.data(), 4800, &cancel));
    }
    EXPECT_FALSE(zent::CPcmOutput::Open({zent::PcmSample::S16, 2, 44100}, "torvix_no_such_pcm"));
    EXPECT_FALSE(zent::CPcmOutput::Open({zent::PcmSample::S16, 0, 44100}, "null"));
}

// ---------------------------------------------------------------------------------------------
// Volume

TEST_F(SndPlTest, VolumeIsOneSharedLevelOfSixteenSteps)
{
    SndPl a;
    for (std::uint16_t level = 0; level <= 15; ++level) {
        EXPECT_EQ(a.SetVolume(level), 1);
        EXPECT_EQ(g_kSndPlGuide.GetVolume(), level);
        EXPECT_EQ(g_kSndPlEffect.GetVolume(), level);
    }
    a.SetVolume(6);
    EXPECT_EQ(a.SetVolume(16), 0);
    EXPECT_EQ(a.SetVolume(0xFFFF), 0);
    EXPECT_EQ(a.GetVolume(), 6);
    // A player made later does not undo the level the user chose.
    SndPl later;
    EXPECT_EQ(later.GetVolume(), 6);
    EXPECT_EQ(g_kSndPlEffect.GetVolume(), 6);
}

TEST_F(SndPlTest, LevelScalesTheSamplesThatReachTheDevice)
{
    const auto capture = m_dir / "out.raw";
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", CaptureDevice(capture));
    const Bytes samples = Saw16(3000, 2);
    const auto input = AsS16(samples);
    const auto file = Write("saw.wav", Canonical16(samples));

    SndPl player;
    for (std::uint16_t level : {15, 0, 5, 11}) {
        SCOPED_TRACE(level);
        ASSERT_EQ(player.SetVolume(level), 1);
        ASSERT_EQ(player.SndPlay(W(file).c_str(), nullptr, kSndFileName), 1);
        player.SndStop();
        const auto out = AsS16(testsupport::ReadFile(capture));
        ASSERT_EQ(out.size(), input.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_LE(std::abs(out[i] - input[i] * level / 15.0), 1.0) << i;
    }

    // Unsigned 8-bit silence sits at 128, and float samples scale too.
    const Bytes u8(400, '\xF0');
    const auto u8file = Write("u8.wav", Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8)) + Chunk("data", u8)));
    player.SetVolume(0);
    ASSERT_EQ(player.SndPlay(W(u8file).c_str(), nullptr, kSndFileName), 1);
    player.SndStop();
    EXPECT_EQ(testsupport::ReadFile(capture), Bytes(400, '\x80'));

    std::vector<float> f(256);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = std::sin(float(i)) * 0.9f;
    const Bytes fbytes(reinterpret_cast<const char*>(f.data()), f.size() * 4);
    const auto ffile = Write("f.wav", Riff(Chunk("fmt ", FmtBody(3, 1, 8000, 32)) + Chunk("data", fbytes)));
    player.SetVolume(3);
    ASSERT_EQ(player.SndPlay(W(ffile).c_str(), nullptr, kSndFileName), 1);
    player.SndStop();
    const Bytes fout = testsupport::ReadFile(capture);
    ASSERT_EQ(fout.size(), fbytes.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        float v;
        std::memcpy(&v, fout.data() + 4 * i, 4);
        ASSERT_NEAR(v, f[i] * 3 / 15.0, 1e-4) << i;
    }
}

// ---------------------------------------------------------------------------------------------
// Playing

TEST_F(SndPlTest, WithoutASoundDeviceEveryPlayFailsAtOnce)
{
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", "torvix_no_such_pcm");
    const Bytes image = Canonical16(Saw16(44100, 2), 2, 44100);
    const auto file = Write("a.wav", image);
    SndPl player;
    EXPECT_EQ(player.SndPlay(W(file).c_str(), nullptr, kSndFileName | kSndAsync), 0);
    EXPECT_EQ(player.SndPlay(W(file).c_str(), nullptr, kSndFileName), 0);
    EXPECT_EQ(player.SndPlay(reinterpret_cast<const wchar_t*>(image.data()), nullptr, kSndMemory), 0);
    EXPECT_EQ(player.IsBusy(), 0);
    EXPECT_EQ(g_kSndPlEffect.SndPlay(W(file).c_str(), nullptr, kSndFileName | kSndAsync), 0);
    EXPECT_EQ(g_kSndPlEffect.IsBusy(), 0);
}

TEST_F(SndPlTest, PlaysFilesAndImagesOnTheNullDevice)
{
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", "null");
    const Bytes image = Canonical16(Saw16(4410, 2), 2, 44100);
    const auto file = Write("a.wav", image);
    SndPl player;

    EXPECT_EQ(player.SndPlay(W(file).c_str(), nullptr, kSndFileName | kSndAsync), 1);
    EXPECT_TRUE(WaitUntil([&] { return player.IsBusy() == 0; }));
    // Synchronous: the sound has ended when the call returns.
    EXPECT_EQ(player.SndPlay(W(file).c_str(), nullptr, kSndFileName), 1);
    EXPECT_EQ(player.IsBusy(), 0);
    EXPECT_EQ(player.SndPlay(reinterpret_cast<const wchar_t*>(image.data()), nullptr, kSndMemory), 1);
    EXPECT_EQ(player.SndPlay(image.data(), image.size(), nullptr, 0), 1);
    // Neither source flag: the sound loaded last plays again; a null source only stops.
    EXPECT_EQ(player.SndPlay(L"ignored", nullptr, 0), 1);
    EXPECT_EQ(player.SndPlay(nullptr, nullptr, kSndFileName), 0);
    SndPl fresh;
    EXPECT_EQ(fresh.SndPlay(L"ignored", nullptr, 0), 0);

    // Nothing plays from what is not a playable wave file, and nothing hangs on a FIFO.
    const auto fifo = m_dir / "fifo.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto adpcm = Write("adpcm.wav", Riff(Chunk("fmt ", FmtBody(2, 1, 8000, 4, 256)) + Chunk("data", "xx")));
    const auto text = Write("text.wav", "not a wave file at all");
    for (const auto& bad : {m_dir / "missing.wav", m_dir.Path(), fifo, adpcm, text}) {
        SCOPED_TRACE(bad.string());
        EXPECT_EQ(player.SndPlay(W(bad).c_str(), nullptr, kSndFileName), 0);
        EXPECT_EQ(player.IsBusy(), 0);
    }
    // A failed load leaves nothing to play again.
    EXPECT_EQ(player.SndPlay(L"ignored", nullptr, 0), 0);
}

TEST_F(SndPlTest, OnlyTheSamplesOfTheDataChunkArePlayed)
{
    const auto capture = m_dir / "out.raw";
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", CaptureDevice(capture));
    const Bytes samples = Saw16(777, 2);
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 22050, 16));
    SndPl player;

    // Chunks around the data, an odd one among them, and bytes after the RIFF end.
    const Bytes file = Riff(Chunk("LIST", Bytes("INFOabc", 7)) + fmt + Chunk("fact", Bytes(4, '\7')) +
                            Chunk("data", samples) + Chunk("cue ", Bytes(5, 'c')));
    const auto path = Write("chunks.wav", file + Saw16(50, 2));
    ASSERT_EQ(player.SndPlay(W(path).c_str(), nullptr, kSndFileName), 1);
    player.SndStop();
    EXPECT_EQ(testsupport::ReadFile(capture), samples);

    // An image in memory is its RIFF size + 8 bytes, whatever follows it and whatever the data
    // chunk claims.
    const Bytes head = Riff(fmt + Chunk("data", samples, std::uint32_t(samples.size() + 200)),
                            std::int64_t(4 + fmt.size() + 8 + samples.size()));
    const Bytes memory = head + Saw16(50, 2);
    ASSERT_EQ(player.SndPlay(reinterpret_cast<const wchar_t*>(memory.data()), nullptr, kSndMemory), 1);
    player.SndStop();
    EXPECT_EQ(testsupport::ReadFile(capture), samples);

    // With a length given, a RIFF size beyond it is not believed.
    const Bytes lying = Riff(fmt + Chunk("data", samples, 0x7FFFFFF0u), 0x7FFFFFF8);
    ASSERT_EQ(player.SndPlay(lying.data(), lying.size(), nullptr, kSndMemory), 1);
    player.SndStop();
    EXPECT_EQ(testsupport::ReadFile(capture), samples);
    // Without one, an image claiming more than a sound could need is refused unread.
    const Bytes huge = Riff(fmt + Chunk("data", samples), 0xFFFFFFF0u);
    EXPECT_EQ(player.SndPlay(reinterpret_cast<const wchar_t*>(huge.data()), nullptr, kSndMemory), 0);
}

TEST_F(SndPlTest, NoStopRefusesWhilePlayingAndStopEndsAPlay)
{
    CFifoDevice fifo(m_dir / "pipe");
    ASSERT_TRUE(fifo.IsOpen());
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", fifo.Name());
    const Bytes samples = Saw16(44100 * 3, 2); // far more than the pipe holds
    const auto longFile = Write("long.wav", Canonical16(samples, 2, 44100));
    const auto shortFile = Write("short.wav", Canonical16(Saw16(100, 2), 2, 44100));

    SndPl player;
    CReleaseOnExit release(fifo, player);
    ASSERT_EQ(player.SndPlay(W(longFile).c_str(), nullptr, kSndFileName | kSndAsync), 1);
    EXPECT_EQ(player.IsBusy(), 1);
    EXPECT_EQ(player.SndPlay(W(shortFile).c_str(), nullptr, kSndFileName | kSndAsync | kSndNoStop), 0);
    EXPECT_EQ(player.IsBusy(), 1);
    // The refused request did not cut the sound short: all of it comes out.
    fifo.StartReading();
    ASSERT_TRUE(WaitUntil([&] { return player.IsBusy() == 0; }));
    player.SndStop();
    fifo.FinishReading();
    EXPECT_EQ(fifo.BytesRead(), samples.size());
}

TEST_F(SndPlTest, StopReleasesASynchronousPlayOnAnotherThread)
{
    CFifoDevice fifo(m_dir / "pipe");
    ASSERT_TRUE(fifo.IsOpen());
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", fifo.Name());
    const Bytes samples = Saw16(44100 * 3, 2);
    const auto longFile = Write("long.wav", Canonical16(samples, 2, 44100));

    SndPl player;
    std::atomic<int> result{-1};
    std::jthread caller([&] { result = player.SndPlay(W(longFile).c_str(), nullptr, kSndFileName); });
    CReleaseOnExit release(fifo, player); // before the caller is joined
    ASSERT_TRUE(WaitUntil([&] { return player.IsBusy() == 1; }));
    EXPECT_EQ(result.load(), -1); // still waiting for its sound
    fifo.StartReading();
    player.SndStop();
    caller.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(player.IsBusy(), 0);
    fifo.FinishReading();
    EXPECT_LE(fifo.BytesRead(), samples.size());
}

TEST_F(SndPlTest, TheGlobalPlayersAreIndependent)
{
    CFifoDevice fifo(m_dir / "pipe");
    ASSERT_TRUE(fifo.IsOpen());
    const Bytes samples = Saw16(44100 * 3, 2);
    const auto longFile = Write("long.wav", Canonical16(samples, 2, 44100));
    const auto shortFile = Write("short.wav", Canonical16(Saw16(100, 2), 2, 44100));
    CReleaseOnExit release(fifo, g_kSndPlEffect);
    {
        testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", fifo.Name());
        ASSERT_EQ(g_kSndPlEffect.SndPlay(W(longFile).c_str(), nullptr, kSndFileName | kSndAsync), 1);
    }
    testsupport::ScopedEnv env("TORVIX_ALSA_DEVICE", "null");
    EXPECT_EQ(g_kSndPlEffect.IsBusy(), 1);
    EXPECT_EQ(g_kSndPlGuide.IsBusy(), 0);
    // The guide player plays and stops without touching the effect player's sound.
    EXPECT_EQ(g_kSndPlGuide.SndPlay(W(shortFile).c_str(), nullptr, kSndFileName | kSndNoStop), 1);
    g_kSndPlGuide.SndStop();
    EXPECT_EQ(g_kSndPlEffect.IsBusy(), 1);
    // One level for both.
    g_kSndPlGuide.SetVolume(9);
    EXPECT_EQ(g_kSndPlEffect.GetVolume(), 9);

    fifo.StartReading();
    ASSERT_TRUE(WaitUntil([&] { return g_kSndPlEffect.IsBusy() == 0; }));
    g_kSndPlEffect.SndStop();
    fifo.FinishReading();
    EXPECT_GT(fifo.BytesRead(), 0u);
}
