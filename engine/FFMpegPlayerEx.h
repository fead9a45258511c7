#pragma once

// The player over libvlc: one recording, or a front/rear pair side by side, each media player
// rendering into a COglViewWnd. A timer thread reports the play position to a window.

#include "engine/IZentPlayer.h"
#include "engine/OglViewWnd.h"

#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

struct libvlc_instance_t;
struct libvlc_media_player_t;

struct VlcInstanceDeleter {
    void operator()(libvlc_instance_t* p) const;
};
struct VlcPlayerDeleter {
    void operator()(libvlc_media_player_t* p) const; // stops, then releases
};
using UniqueVlcInstance = std::unique_ptr<libvlc_instance_t, VlcInstanceDeleter>;
using UniqueVlcPlayer = std::unique_ptr<libvlc_media_player_t, VlcPlayerDeleter>;

class CFFMpegPlayerEx final : public IZentPlayer {
public:
    // The four view windows of the main window (null entries allowed). Views that are
    // COglViewWnd objects receive the frames of the media player with their index.
    explicit CFFMpegPlayerEx(const std::array<zent::HWND, 4>& hVideoWnd);
    ~CFFMpegPlayerEx() override;

    void Configure(int nValue) override;
    int GetFileDuration(const std::string& strPath) override;
    int GetDuration() override;
    int GetPlayTime(int nIndex) override;
    int GetState() override;
    int GetFileCount() override;
    zent::BOOL IsPlaying() override;
    void SetPlayTimer(zent::HWND hWnd, int nPeriod) override;
    void SetPlayVolume(int nVolume) override;
    std::wstring GetFilePath(int nIndex) override;
    int Open(const wchar_t* pszFirst, const wchar_t* pszSecond) override;
    int Play(float fRate) override;
    int Speed(float fRate) override;
    int Pause() override;
    int Step() override;
    int Stop() override;
    int Seek(int nSeconds) override;
    int Reset() override;
    int VideoSyncCorrection(int nForce) override;
    void SetMonochrome(int nOn) override;
    int DrawSnapshot(int nIndex, zent::HDC hDC, const std::wstring& strFolder, const zent::RECT& rc) override;
    zent::BOOL GetVideoSize(int nIndex, unsigned* pWidth, unsigned* pHeight) override;
    void Zoom(int nTarget, float fZoom, int dx, int dy) override;
    void SetContrast(float fValue) override;
    int GetVidoeStreamCount(const std::wstring& strPath) override;
    int GetAudioStreamCount(const std::wstring& strPath) override;

    void KillPlayTimer();
    static unsigned cbPlayTimerThreadProc(CFFMpegPlayerEx* pPlayer);
    void ApplyCrop(int nView, int dx, int dy);
    static unsigned cbZoomThreadProc(CFFMpegPlayerEx* pPlayer);

    // The libvlc arguments of the constructor: the two fixed ones, then those of the
    // environment variable TORVIX_VLC_ARGS (separated by blanks).
    static std::vector<std::string> GetVlcArguments();

    // Diagnostics beside the interface: libvlc's play time of a media player in milliseconds
    // (-1 when absent) and the id of its playing audio track (-1 when none or absent).
    long long GetPlayTimeMs(int nIndex);
    int GetAudioTrack(int nIndex);
    // libvlc's volume of a media player (-1 when absent or without audio output) and the
    // contrast it was last given (-1 when absent).
    int GetAudioVolume(int nIndex);
    float GetContrast(int nIndex);

    // Times the rear player was moved by VideoSyncCorrection since Open (any thread).
    int GetSyncCorrectionCount() const { return m_nSyncCount.load(); }

private:
    void ResetLocked();
    void StopZoomWorker();
    libvlc_media_player_t* Player(int i) const { return m_pMediaPlayer[static_cast<std::size_t>(i)].get(); }

    // Receiver of the timer thread's messages; non-null exactly while a timer is wanted.
    std::atomic<zent::HWND> m_hTimerWnd{nullptr};
    // GUI thread only (started by SetPlayTimer, joined by KillPlayTimer).
    std::thread m_hTimerThread;
    std::atomic<bool> m_bTimerRunning{false}; // the timer thread has not returned yet
    UniqueVlcInstance m_pInstance;            // fixed from construction to destruction
    // Created by Open, released by Reset (GUI thread, while neither worker runs); the workers
    // only use them.
    std::array<UniqueVlcPlayer, 2> m_pMediaPlayer;
    // Frame sinks of the media players, held as long as the media players render into them.
    // Set by Open and cleared by Reset (GUI thread, while no worker runs); the zoom worker reads them.
    std::array<std::shared_ptr<CVideoFrameSink>, 2> m_pSink;
    bool m_bStarted = false; // media players were told to play since Open (GUI thread only)

    std::mutex m_zoomMutex; // guards m_queMove and m_bZoomRunning
    std::deque<std::pair<int, int>> m_queMove;
    bool m_bZoomRunning = false;
    std::thread m_hZoomThread; // GUI thread only; joined when a new one starts and by Reset
    // Written by the GUI thread; read by the zoom worker (m_fZoom, m_nZoomTarget) and the timer
    // thread (m_fRate).
    std::atomic<float> m_fZoom{1.0f};
    std::atomic<float> m_fRate{1.0f};
    std::atomic<int> m_nZoomTarget{0};
    // Zoom worker only, and GUI thread while no worker runs (Reset).
    std::array<zent::POINT, 4> m_ptZoomPos{};

    std::atomic<int> m_nSyncCount{0}; // reset by Open, counted by VideoSyncCorrection

    // The last reported play time of each media player and when it changed; sampled by the timer
    // thread every round, read by VideoSyncCorrection.
    struct ReportedClock {
        long long value = -1;
        std::chrono::steady_clock::time_point changed{};
    };
    void SampleClocks();
    double EstimateTimeMs(int nIndex) const;
    mutable std::mutex m_clockMutex; // guards m_clock
    std::array<ReportedClock, 2> m_clock{};
};
