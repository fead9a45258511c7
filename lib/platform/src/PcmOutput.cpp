#include <zent/platform/PcmOutput.h>

#include <zent/platform/Trace.h>

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace zent {
namespace {

using Clock = std::chrono::steady_clock;

// How long a stream may take no samples before we call it dead. Far above any scheduling
// hiccup, far below what a user would take for a hung program.
constexpr auto kStallLimit = std::chrono::seconds(2);
// Room the device keeps queued: small enough that a stop is heard at once, large enough that
// a busy machine does not starve the stream.
constexpr unsigned kLatencyMicroseconds = 100000;
// A drain normally ends when the queued time is up; the margin covers device start-up.
constexpr auto kDrainMargin = std::chrono::seconds(1);
constexpr int kWaitSliceMs = 20;

// The ALSA library reports every failed device lookup on standard error; on a machine without
// sound that is a line per touch sound. Route it to the trace channel instead.
void QuietAlsaErrors(const char* file, int line, const char* function, int err, const char* fmt, ...)
{
    if (!IsTraceEnabled()) return;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    char lineText[768];
    std::snprintf(lineText, sizeof lineText, "ALSA %s:%d %s: %s%s%s\n", file ? file : "?", line,
                  function ? function : "?", text, err ? " - " : "", err ? snd_strerror(err) : "");
    TraceWrite(lineText);
}

void InstallErrorHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&QuietAlsaErrors); });
}

snd_pcm_format_t ToAlsa(PcmSample sample)
{
    switch (sample) {
    case PcmSample::U8: return SND_PCM_FORMAT_U8;
    case PcmSample::S16: return SND_PCM_FORMAT_S16_LE;
    case PcmSample::S24In3: return SND_PCM_FORMAT_S24_3LE;
    case PcmSample::S32: return SND_PCM_FORMAT_S32_LE;
    case PcmSample::Float32: return SND_PCM_FORMAT_FLOAT_LE;
    case PcmSample::Float64: return SND_PCM_FORMAT_FLOAT64_LE;
    }
    return SND_PCM_FORMAT_UNKNOWN;
}

bool IsCancelled(const std::atomic<bool>* pbCancel)
{
    return pbCancel && pbCancel->load(std::memory_order_acquire);
}

} // namespace

std::size_t PcmSampleBytes(PcmSample sample)
{
    switch (sample) {
    case PcmSample::U8: return 1;
    case PcmSample::S16: return 2;
    case PcmSample::S24In3: return 3;
    case PcmSample::S32: return 4;
    case PcmSample::Float32: return 4;
    case PcmSample::Float64: return 8;
    }
    return 0;
}

void CPcmOutput::Closer::operator()(_snd_pcm* pPcm) const
{
    if (pPcm) snd_pcm_close(pPcm);
}

std::string CPcmOutput::GetDefaultDeviceName()
{
    const char* env = std::getenv("TORVIX_ALSA_DEVICE");
    return (env && *env) ? std::string(env) : std::string("default");
}

CPcmOutput::CPcmOutput(Key, _snd_pcm* pPcm, const PcmFormat& format, std::string device)
    : m_pPcm(pPcm), m_kFormat(format), m_nFrameBytes(PcmSampleBytes(format.sample) * format.channels),
      m_strDevice(std::move(device))
{
}

CPcmOutput::~CPcmOutput() = default;

std::unique_ptr<CPcmOutput> CPcmOutput::Open(const PcmFormat& format, std::string_view device)
{
    const snd_pcm_format_t alsaFormat = ToAlsa(format.sample);
    if (alsaFormat == SND_PCM_FORMAT_UNKNOWN || format.channels == 0 || format.rate == 0) return nullptr;
    InstallErrorHandler();

    std::string name = device.empty() ? GetDefaultDeviceName() : std::string(device);
    snd_pcm_t* raw = nullptr;
    // Non-blocking open: a device held by another program must fail now, not when it is freed.
    int err = snd_pcm_open(&raw, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0 || !raw) {
        if (IsTraceEnabled())
            TraceWrite("### CPcmOutput::Open - " + name + ": " + snd_strerror(err) + "\n");
        return nullptr;
    }
    std::unique_ptr<snd_pcm_t, Closer> pcm(raw);
    // Soft resampling lets the "default" chain take whatever rate the file has.
    err = snd_pcm_set_params(pcm.get(), alsaFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels, format.rate,
                             1, kLatencyMicroseconds);
    if (err < 0) {
        if (IsTraceEnabled())
            TraceWrite("### CPcmOutput::Open - " + name + " refuses the format: " + snd_strerror(err) + "\n");
        return nullptr;
    }
    try {
        auto out = std::make_unique<CPcmOutput>(Key(), nullptr, format, std::move(name));
        out->m_pPcm = std::move(pcm);
        return out;
    } catch (...) {
        return nullptr; // out of memory: the stream closes with pcm
    }
}

bool CPcmOutput::Write(const void* pFrames, std::size_t nFrames, const std::atomic<bool>* pbCancel)
{
    snd_pcm_t* pcm = m_pPcm.get();
    const auto* p = static_cast<const unsigned char*>(pFrames);
    std::size_t left = nFrames;
    auto lastProgress = Clock::now();
    while (left > 0) {
        if (IsCancelled(pbCancel)) return false;
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, p, static_cast<snd_pcm_uframes_t>(left));
        if (n > 0) {
            p += static_cast<std::size_t>(n) * m_nFrameBytes;
            left -= static_cast<std::size_t>(n);
            lastProgress = Clock::now();
            continue;
        }
        if (Clock::now() - lastProgress > kStallLimit) return false;
        if (n == 0 || n == -EAGAIN) {
            snd_pcm_wait(pcm, kWaitSliceMs);
            continue;
        }
        if (n == -EPIPE) {
            // Underrun: the stream starved (a loaded machine); start it over and go on.
            if (snd_pcm_prepare(pcm) < 0) return false;
            continue;
        }
        if (n == -ESTRPIPE) {
            // Suspended with the machine. snd_pcm_recover would sleep in a loop here; one try
            // per pass keeps the stall limit in charge.
            const int r = snd_pcm_resume(pcm);
            if (r == -EAGAIN) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
            } else if (r < 0 && snd_pcm_prepare(pcm) < 0) {
                return false;
            }
            continue;
        }
        return false; // the device went away or the stream is broken
    }
    return true;
}

bool CPcmOutput::Drain(const std::atomic<bool>* pbCancel)
{
    snd_pcm_t* pcm = m_pPcm.get();
    snd_pcm_sframes_t queued = 0;
    if (snd_pcm_delay(pcm, &queued) == 0 && queued > 0 && snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) {
        // A sound shorter than the start threshold has not started yet.
        snd_pcm_start(pcm);
    }
    // Wait out the queued time in slices, so that a stop is honoured within a slice.
    const auto deadline =
        Clock::now() + std::chrono::microseconds(static_cast<long long>(std::max<snd_pcm_sframes_t>(queued, 0)) *
                                                 1000000 / m_kFormat.rate) +
        kDrainMargin;
    for (;;) {
        if (IsCancelled(pbCancel)) {
            Drop();
            return false;
        }
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm, &delay) < 0 || delay <= 0) break; // an underrun means all was played
        if (Clock::now() > deadline) {
            Drop();
            return false;
        }
        const long long ms = static_cast<long long>(delay) * 1000 / m_kFormat.rate;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp<long long>(ms, 1, kWaitSliceMs)));
    }
    // What is left is at most the device's own delay; a blocking drain lets plug-ins that
    // buffer (a capture file, a sound server) finish their work. The kernel bounds it.
    snd_pcm_nonblock(pcm, 0);
    const int err = snd_pcm_drain(pcm);
    snd_pcm_nonblock(pcm, 1);
    // Ready for another write, as after a drop.
    snd_pcm_prepare(pcm);
    return err == 0 || err == -EPIPE;
}

void CPcmOutput::Drop()
{
    snd_pcm_drop(m_pPcm.get());
    snd_pcm_prepare(m_pPcm.get());
}

} // namespace zent
