#pragma once

// Wave-sound playback: one uncompressed WAV sound at a time per player, from a file or from a
// RIFF image in memory, synchronously or in the background. Two process-wide players serve the
// skinned controls (touch and key clicks) and guidance sounds; every player shares one volume
// level of sixteen steps.
//
// Sound goes to the ALSA device of ZentPlatform's CPcmOutput ("default", or the device named by
// TORVIX_ALSA_DEVICE). Without a sound device a play request fails at once with 0.

#include <zent/util/Export.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zent {
class CPcmOutput;
}

// Flags of SndPlay, those of the platform's play-sound call.
inline constexpr std::uint32_t kSndAsync = 0x0001;     // return at once; without it SndPlay waits for the end
inline constexpr std::uint32_t kSndMemory = 0x0004;    // the source is a RIFF image in memory
inline constexpr std::uint32_t kSndNoStop = 0x0010;    // refuse while this player is playing
inline constexpr std::uint32_t kSndFileName = 0x20000; // the source is a file name

// The format of the loaded sound as wave-out describes it. Integer samples carry tag 1, float
// samples tag 3 (an extensible header is reduced to one of these); bits are the container size.
struct ZuWaveFormat {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

// Where the samples lie inside the loaded image.
struct ZuWaveHeader {
    const std::uint8_t* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwLoops = 0;
    std::uintptr_t dwUser = 0;
};

class ZENT_UTIL_API SndPl {
public:
    SndPl();
    ~SndPl();
    SndPl(const SndPl&) = delete;
    SndPl& operator=(const SndPl&) = delete;

    // Plays a sound. pszSound is a file name with kSndFileName, or points at a RIFF image with
    // kSndMemory (then the image must hold its RIFF size + 8 readable bytes); with neither the
    // sound loaded last is played again. Any play first stops this player's sound; a null
    // source only stops. hModule is ignored. Returns 1 when playback started (kSndAsync) or
    // has ended (without it), 0 when nothing plays.
    int SndPlay(const wchar_t* pszSound, void* hModule, std::uint32_t dwFlags);
    // The same for an image of known length: nothing past nImageSize is ever read, whatever its
    // RIFF size says. Always a memory source.
    int SndPlay(const void* pImage, std::size_t nImageSize, void* hModule, std::uint32_t dwFlags);

    // Stops the sound and closes the device.
    void SndStop();

    // The shared level, 0 (silent) to 15 (full). SetVolume returns 0 for a level above 15 and
    // leaves the level as it was; a sound playing on this player follows the new level at once.
    int SetVolume(std::uint16_t wLevel);
    std::uint16_t GetVolume() const;

    // 1 while a sound is playing on this player.
    int IsBusy() const;

private:
    int Play(const void* pSource, std::size_t nLimit, std::uint32_t dwFlags);
    int PrepareFromFile(const wchar_t* pszPath);
    int PrepareFromBuffer(const std::uint8_t* pImage, std::size_t nLimit);
    int SetFormat();
    int SetHeader(std::size_t nOffset, std::size_t nLength);
    void ReleaseSound();
    void CloseDevice();
    void PlaybackThread(zent::CPcmOutput* pDevice, std::uint64_t nPlayId);
    // Stands in for the device's completion callback: the playback thread calls it with the
    // buffer-done message (0x3BD) and the play's number in dwParam1 when a play has ended.
    static void waveOutProc(void* hWaveOut, std::uint32_t uMsg, std::uintptr_t dwInstance, std::uintptr_t dwParam1,
                            std::uintptr_t dwParam2);

    // The shared level; any thread.
    static std::atomic<std::uint16_t> m_wVolume;

    // Serialises SndPlay, SndStop, SetVolume and the destructor on this player. Not held while
    // a synchronous SndPlay waits, so that SndStop from another thread can end the wait.
    std::mutex m_mtxControl;

    // Guarded by m_mtxControl. The playback thread reads m_vecSound, m_kWaveFormat and
    // m_kWaveHeader while it runs; they are only replaced after it has been joined.
    std::vector<std::uint8_t> m_vecSound; // the whole RIFF image
    std::size_t m_nSize = 0;              // its byte length
    ZuWaveFormat m_kWaveFormat;
    ZuWaveHeader m_kWaveHeader;
    std::unique_ptr<zent::CPcmOutput> m_pDevice; // used by the playback thread while it runs
    std::thread m_thrPlayback;
    bool m_bOpen = false;     // a device is open
    bool m_bPrepared = false; // the samples are queued on the device

    // Written by the control side and by the playback thread's end; read by anyone.
    std::atomic<int> m_nPlaying{0};
    // Raised by the control side to end the playback thread early.
    std::atomic<bool> m_bStopRequest{false};
    // The level applied to this player's device, left channel in the low word: level × 4369
    // per channel. Written by the control side, read by the playback thread per block.
    std::atomic<std::uint32_t> m_dwDeviceVolume{0};

    // The done event. A synchronous SndPlay waits until its own play has ended; numbering the
    // plays lets a stop and an immediate new play from another thread release that wait.
    std::mutex m_mtxDone;
    std::condition_variable m_cvDone;
    std::uint64_t m_nPlaysStarted = 0; // guarded by m_mtxDone
    std::uint64_t m_nPlaysEnded = 0;   // guarded by m_mtxDone
};

// The touch and key-click sounds of every skinned control and dialog.
extern ZENT_UTIL_API SndPl g_kSndPlEffect;
// Guidance sounds.
extern ZENT_UTIL_API SndPl g_kSndPlGuide;
