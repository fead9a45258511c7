#pragma once

// Sound output that stands in for wave-out: one ALSA playback stream of interleaved PCM.
//
// The device is "default" unless TORVIX_ALSA_DEVICE names another ALSA PCM (tests use "null",
// or the "file" plug-in to capture what was played). On a machine without a sound device Open
// fails at once and quietly: the ALSA library's own error lines are routed to the trace channel.
//
// Nothing here blocks without a bound. The stream runs in non-blocking mode and waits with
// time-outs, so a device that stops consuming samples makes Write fail instead of hanging the
// playing thread, and Write and Drain give up early when the caller's cancel flag is raised.
//
// One object is used by one thread at a time; hand it between threads with the usual
// happens-before (a join, a lock).

#include <zent/platform/Export.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct _snd_pcm; // ALSA's opaque stream; only PcmOutput.cpp sees its definition

namespace zent {

// Sample layouts that wave files carry, all little-endian.
enum class PcmSample { U8, S16, S24In3, S32, Float32, Float64 };

struct PcmFormat {
    PcmSample sample = PcmSample::S16;
    unsigned channels = 0;
    unsigned rate = 0; // frames per second
};

// Bytes one sample of the layout takes.
ZENT_PLATFORM_API std::size_t PcmSampleBytes(PcmSample sample);

class ZENT_PLATFORM_API CPcmOutput {
public:
    // The device name Open uses when given none: $TORVIX_ALSA_DEVICE when set and not empty,
    // else "default".
    static std::string GetDefaultDeviceName();

    // Opens a playback stream for the format on the named device (empty: the default above).
    // Null when the device does not exist, is busy, or refuses the format.
    static std::unique_ptr<CPcmOutput> Open(const PcmFormat& format, std::string_view device = {});

    // Only Open can make the key, so only Open can construct.
    class Key {
        friend class CPcmOutput;
        Key() = default;
    };
    CPcmOutput(Key, _snd_pcm* pPcm, const PcmFormat& format, std::string device);
    ~CPcmOutput();
    CPcmOutput(const CPcmOutput&) = delete;
    CPcmOutput& operator=(const CPcmOutput&) = delete;

    const PcmFormat& GetFormat() const { return m_kFormat; }
    std::size_t GetFrameBytes() const { return m_nFrameBytes; }
    const std::string& GetDeviceName() const { return m_strDevice; }

    // Queues frames interleaved samples, waiting for room as the device plays. False when the
    // device failed, made no progress for two seconds, or *pbCancel became true.
    bool Write(const void* pFrames, std::size_t nFrames, const std::atomic<bool>* pbCancel = nullptr);

    // Waits until every queued frame has been played. False when cancelled (the rest is then
    // dropped), or when the device did not finish within the queued time plus a margin.
    bool Drain(const std::atomic<bool>* pbCancel = nullptr);

    // Discards every queued frame at once; the stream can be written again afterwards.
    void Drop();

private:
    struct Closer {
        void operator()(_snd_pcm* pPcm) const;
    };

    std::unique_ptr<_snd_pcm, Closer> m_pPcm;
    PcmFormat m_kFormat;
    std::size_t m_nFrameBytes = 0;
    std::string m_strDevice;
};

} // namespace zent
