#include <zent/util/SndPl.h>

#include "WavReader.h"

#include <zent/platform/Paths.h>
#include <zent/platform/PcmOutput.h>
#include <zent/platform/Trace.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <new>
#include <string>

namespace {

constexpr std::uint32_t kWomDone = 0x3BD;
constexpr std::uint16_t kMaxLevel = 15;
constexpr std::uint32_t kLevelStep = 4369; // 15 × 4369 = 0xFFFF

// Interface sounds are seconds long; anything near this is a broken or hostile file, and
// loading it whole would only exhaust memory.
constexpr std::size_t kMaxSoundBytes = std::size_t(128) << 20;
// The memory form without a length trusts the image's own size.
constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max();
// Blocks of about 20 ms: a volume change or a stop is heard within one block.
constexpr unsigned kBlocksPerSecond = 50;
constexpr std::size_t kMinBlockFrames = 64;
// A synchronous play gives the device the sound's length plus this before giving up on it.
constexpr auto kSyncWaitMargin = std::chrono::seconds(5);

std::uint32_t DeviceVolumeFor(std::uint16_t wLevel)
{
    const std::uint32_t channel = std::uint32_t(wLevel) * kLevelStep;
    return channel | (channel << 16);
}

bool ToPcmSample(const ZuWaveFormat& format, zent::PcmSample& sample)
{
    if (format.wFormatTag == 1) {
        switch (format.wBitsPerSample) {
        case 8: sample = zent::PcmSample::U8; return true;
        case 16: sample = zent::PcmSample::S16; return true;
        case 24: sample = zent::PcmSample::S24In3; return true;
        case 32: sample = zent::PcmSample::S32; return true;
        default: return false;
        }
    }
    if (format.wFormatTag == 3) {
        switch (format.wBitsPerSample) {
        case 32: sample = zent::PcmSample::Float32; return true;
        case 64: sample = zent::PcmSample::Float64; return true;
        default: return false;
        }
    }
    return false;
}

// The device volume, done in software: every sample times gain / 0xFFFF. Both channels always
// carry the same level, so one gain serves every channel.
void ApplyGain(zent::PcmSample sample, std::uint32_t gain, std::uint8_t* p, std::size_t nBytes)
{
    constexpr std::int64_t kFull = 0xFFFF;
    const std::int64_t g = gain;
    switch (sample) {
    case zent::PcmSample::U8:
        for (std::size_t i = 0; i < nBytes; ++i)
            p[i] = static_cast<std::uint8_t>((std::int64_t(p[i]) - 128) * g / kFull + 128);
        break;
    case zent::PcmSample::S16:
        for (std::size_t i = 0; i + 2 <= nBytes; i += 2) {
            std::int16_t v;
            std::memcpy(&v, p + i, 2);
            v = static_cast<std::int16_t>(v * g / kFull);
            std::memcpy(p + i, &v, 2);
        }
        break;
    case zent::PcmSample::S24In3:
        for (std::size_t i = 0; i + 3 <= nBytes; i += 3) {
            std::int32_t v = std::int32_t(p[i]) | (std::int32_t(p[i + 1]) << 8) | (std::int32_t(p[i + 2]) << 16);
            if (v & 0x800000) v -= 0x1000000;
            v = static_cast<std::int32_t>(v * g / kFull);
            p[i] = static_cast<std::uint8_t>(v & 0xFF);
            p[i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
            p[i + 2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
        }
        break;
    case zent::PcmSample::S32:
        for (std::size_t i = 0; i + 4 <= nBytes; i += 4) {
            std::int32_t v;
            std::memcpy(&v, p + i, 4);
            v = static_cast<std::int32_t>(v * g / kFull);
            std::memcpy(p + i, &v, 4);
        }
        break;
    case zent::PcmSample::Float32:
        for (std::size_t i = 0; i + 4 <= nBytes; i += 4) {
            float v;
            std::memcpy(&v, p + i, 4);
            v = static_cast<float>(v * (double(g) / kFull));
            std::memcpy(p + i, &v, 4);
        }
        break;
    case zent::PcmSample::Float64:
        for (std::size_t i = 0; i + 8 <= nBytes; i += 8) {
            double v;
            std::memcpy(&v, p + i, 8);
            v = v * (double(g) / kFull);
            std::memcpy(p + i, &v, 8);
        }
        break;
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_nFd(fd) {}
    ~FileDescriptor()
    {
        if (m_nFd >= 0) ::close(m_nFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    explicit operator bool() const { return m_nFd >= 0; }
    int Get() const { return m_nFd; }

private:
    int m_nFd;
};

} // namespace

// Constant-initialised, so both global players may be built in any order.
std::atomic<std::uint16_t> SndPl::m_wVolume{kMaxLevel};

SndPl g_kSndPlEffect;
SndPl g_kSndPlGuide;

// The shared level is deliberately left alone here: a player made later (a dialog's own) must
// not undo the level the user chose for every player.
SndPl::SndPl() = default;

SndPl::~SndPl()
{
    std::lock_guard lock(m_mtxControl);
    CloseDevice();
}

int SndPl::SndPlay(const wchar_t* pszSound, void* hModule, std::uint32_t dwFlags)
{
    (void)hModule;
    return Play(pszSound, kUnbounded, dwFlags);
}

int SndPl::SndPlay(const void* pImage, std::size_t nImageSize, void* hModule, std::uint32_t dwFlags)
{
    (void)hModule;
    return Play(pImage, nImageSize, (dwFlags & ~kSndFileName) | kSndMemory);
}

int SndPl::Play(const void* pSource, std::size_t nLimit, std::uint32_t dwFlags)
{
    std::uint64_t nPlayId = 0;
    std::chrono::nanoseconds waitLimit{0};
    {
        std::lock_guard lock(m_mtxControl);
        if ((dwFlags & kSndNoStop) && m_nPlaying.load()) return 0;
        CloseDevice();
        if (!pSource) return 0;

        if (dwFlags & kSndFileName) {
            if (!PrepareFromFile(static_cast<const wchar_t*>(pSource))) return 0;
        } else if (dwFlags & kSndMemory) {
            if (!PrepareFromBuffer(static_cast<const std::uint8_t*>(pSource), nLimit)) return 0;
        } else if (m_vecSound.empty()) {
            return 0; // nothing loaded to play again
        }

        zent::PcmFormat format;
        if (!ToPcmSample(m_kWaveFormat, format.sample)) return 0;
        format.channels = m_kWaveFormat.nChannels;
        format.rate = m_kWaveFormat.nSamplesPerSec;
        std::unique_ptr<zent::CPcmOutput> pDevice = zent::CPcmOutput::Open(format);
        if (!pDevice) return 0; // no device, or none takes the format

        m_pDevice = std::move(pDevice);
        m_bOpen = true;
        m_dwDeviceVolume.store(DeviceVolumeFor(m_wVolume.load()));
        m_bPrepared = true;
        m_bStopRequest.store(false);
        m_nPlaying.store(1);
        {
            std::lock_guard done(m_mtxDone);
            nPlayId = ++m_nPlaysStarted;
        }
        try {
            m_thrPlayback = std::thread(&SndPl::PlaybackThread, this, m_pDevice.get(), nPlayId);
        } catch (...) {
            // No thread to write the samples: as a failed write, close and report nothing played.
            waveOutProc(nullptr, kWomDone, reinterpret_cast<std::uintptr_t>(this), nPlayId, 0);
            CloseDevice();
            return 0;
        }
        const std::uint64_t frames = m_kWaveHeader.dwBufferLength / m_kWaveFormat.nBlockAlign;
        waitLimit = std::chrono::nanoseconds(frames * 1000000000ull / m_kWaveFormat.nSamplesPerSec) + kSyncWaitMargin;
    }
    if (dwFlags & kSndAsync) return 1;

    std::unique_lock wait(m_mtxDone);
    if (m_cvDone.wait_for(wait, waitLimit, [&] { return m_nPlaysEnded >= nPlayId; })) return 1;
    wait.unlock();
    // The device stopped taking samples and did not say so: never leave the caller hanging.
    std::lock_guard lock(m_mtxControl);
    bool bStillOurs = false;
    {
        std::lock_guard done(m_mtxDone);
        bStillOurs = m_nPlaysStarted == nPlayId;
    }
    if (bStillOurs) CloseDevice();
    return 0;
}

void SndPl::SndStop()
{
    std::lock_guard lock(m_mtxControl);
    CloseDevice();
}

int SndPl::SetVolume(std::uint16_t wLevel)
{
    if (wLevel > kMaxLevel) return 0;
    std::lock_guard lock(m_mtxControl);
    m_wVolume.store(wLevel);
    if (m_bOpen) m_dwDeviceVolume.store(DeviceVolumeFor(wLevel));
    return 1;
}

std::uint16_t SndPl::GetVolume() const { return m_wVolume.load(); }

int SndPl::IsBusy() const { return m_nPlaying.load(); }

// With m_mtxControl held. Reset, unprepare, close: the playback thread ends first, so the
// device is never touched from two threads.
void SndPl::CloseDevice()
{
    if (m_thrPlayback.joinable()) {
        m_bStopRequest.store(true);
        m_thrPlayback.join();
    }
    if (!m_bOpen) return;
    m_nPlaying.store(0);
    m_pDevice->Drop();
    m_bPrepared = false;
    m_pDevice.reset();
    m_bOpen = false;
}

void SndPl::ReleaseSound()
{
    std::vector<std::uint8_t>().swap(m_vecSound);
    m_nSize = 0;
    m_kWaveFormat = ZuWaveFormat{};
    m_kWaveHeader = ZuWaveHeader{};
}

// With m_mtxControl held and no playback thread.
int SndPl::PrepareFromFile(const wchar_t* pszPath)
{
    ReleaseSound();
    const std::string path = zent::WideToPath(pszPath).string();
    // Non-blocking open: opening a FIFO for reading would otherwise wait for a writer forever.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return 0;
    struct stat st {};
    // Only a regular file has a length to trust; a FIFO or a device would never end.
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    if (st.st_size <= 0 || static_cast<std::uint64_t>(st.st_size) > kMaxSoundBytes) return 0;
    const std::size_t length = static_cast<std::size_t>(st.st_size);
    try {
        m_vecSound.resize(length);
    } catch (const std::bad_alloc&) {
        ReleaseSound();
        return 0;
    }
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::read(fd.Get(), m_vecSound.data() + got, length - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got != length) {
        ReleaseSound();
        return 0;
    }
    m_nSize = length;
    if (!SetFormat()) {
        ReleaseSound();
        return 0;
    }
    return 1;
}

// With m_mtxControl held and no playback thread.
int SndPl::PrepareFromBuffer(const std::uint8_t* pImage, std::size_t nLimit)
{
    ReleaseSound();
    if (nLimit < 12) return 0;
    const std::uint64_t imageLength = CWavReader::GetImageLength(pImage);
    if (imageLength == 0) return 0;
    std::uint64_t length = imageLength;
    if (nLimit != kUnbounded) {
        // The image's size cannot be believed past the bytes we were given, nor when it is
        // too small to hold even the RIFF header.
        if (imageLength < 12 || imageLength > nLimit) length = nLimit;
    } else if (imageLength < 12) {
        return 0;
    }
    if (length > kMaxSoundBytes) return 0;
    try {
        m_vecSound.assign(pImage, pImage + static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        ReleaseSound();
        return 0;
    }
    m_nSize = m_vecSound.size();
    if (!SetFormat()) {
        ReleaseSound();
        return 0;
    }
    return 1;
}

int SndPl::SetFormat()
{
    const WavLayout layout = CWavReader::Parse(m_vecSound.data(), m_vecSound.size());
    if (layout.status != WavStatus::Ok) {
        if (zent::IsTraceEnabled())
            zent::TraceWrite("### SndPl::SetFormat - refused, reason " + std::to_string(int(layout.status)) + "\n");
        return 0;
    }
    m_kWaveFormat = layout.format;
    return SetHeader(layout.dataOffset, layout.dataLength);
}

int SndPl::SetHeader(std::size_t nOffset, std::size_t nLength)
{
    m_kWaveHeader = ZuWaveHeader{};
    m_kWaveHeader.lpData = m_vecSound.data() + nOffset;
    m_kWaveHeader.dwBufferLength = static_cast<std::uint32_t>(nLength); // below kMaxSoundBytes
    return 1;
}

void SndPl::PlaybackThread(zent::CPcmOutput* pDevice, std::uint64_t nPlayId)
{
    const std::size_t frameBytes = m_kWaveFormat.nBlockAlign;
    const std::size_t totalFrames = m_kWaveHeader.dwBufferLength / frameBytes;
    const std::size_t blockFrames =
        std::max<std::size_t>(m_kWaveFormat.nSamplesPerSec / kBlocksPerSecond, kMinBlockFrames);
    const zent::PcmSample sample = pDevice->GetFormat().sample;

    std::vector<std::uint8_t> vecBlock;
    bool bOk = true;
    try {
        vecBlock.resize(blockFrames * frameBytes);
    } catch (const std::bad_alloc&) {
        bOk = false;
    }
    std::size_t done = 0;
    while (bOk && done < totalFrames && !m_bStopRequest.load()) {
        const std::size_t frames = std::min(blockFrames, totalFrames - done);
        const std::uint8_t* src = m_kWaveHeader.lpData + done * frameBytes;
        const std::uint32_t gain = m_dwDeviceVolume.load() & 0xFFFF;
        if (gain != 0xFFFF) {
            std::memcpy(vecBlock.data(), src, frames * frameBytes);
            ApplyGain(sample, gain, vecBlock.data(), frames * frameBytes);
            src = vecBlock.data();
        }
        bOk = pDevice->Write(src, frames, &m_bStopRequest);
        done += frames;
    }
    if (bOk && !m_bStopRequest.load()) pDevice->Drain(&m_bStopRequest);
    waveOutProc(nullptr, kWomDone, reinterpret_cast<std::uintptr_t>(this), nPlayId, 0);
}

void SndPl::waveOutProc(void* hWaveOut, std::uint32_t uMsg, std::uintptr_t dwInstance, std::uintptr_t dwParam1,
                        std::uintptr_t dwParam2)
{
    (void)hWaveOut;
    (void)dwParam2;
    if (uMsg != kWomDone) return;
    auto* self = reinterpret_cast<SndPl*>(dwInstance);
    self->m_nPlaying.store(0);
    {
        std::lock_guard done(self->m_mtxDone);
        self->m_nPlaysEnded = std::max<std::uint64_t>(self->m_nPlaysEnded, dwParam1);
    }
    self->m_cvDone.notify_all();
}
