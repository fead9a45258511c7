#pragma once

// The player interface the main window holds; CFFMpegPlayerEx is its only implementation.

#include <zent/platform/Types.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

// Posted by the player's timer thread: wParam = duration, lParam = play time (whole seconds).
constexpr zent::UINT WM_FFMPEG_PLAY_POS = 0x910;
// Posted once at the end of play: wParam = duration, lParam = last play time; (0, 0) when the
// timer gave up on a file that never made progress.
constexpr zent::UINT WM_FFMPEG_PLAY_END = 0x904;

// Codes of m_nState.
enum : int {
    ZENT_PLAYER_READY = 2,
    ZENT_PLAYER_PLAYING = 3,
    ZENT_PLAYER_PAUSED = 4,
    ZENT_PLAYER_STOPPED = 6,
    ZENT_PLAYER_ACTIVE = 7, // counted as playing; never set by this engine
};

class IZentPlayer {
public:
    // Destroying through the interface must release the engine.
    virtual ~IZentPlayer() = default;

    virtual void Configure(int nValue) = 0;
    virtual int GetFileDuration(const std::string& strPath) = 0;
    virtual int GetDuration() = 0;
    virtual int GetPlayTime(int nIndex) = 0;
    virtual int GetState() = 0;
    virtual int GetFileCount() = 0;
    virtual zent::BOOL IsPlaying() = 0;
    virtual void SetPlayTimer(zent::HWND hWnd, int nPeriod) = 0;
    virtual void SetPlayVolume(int nVolume) = 0;
    virtual std::wstring GetFilePath(int nIndex) = 0;
    virtual int Open(const wchar_t* pszFirst, const wchar_t* pszSecond) = 0;
    virtual int Play(float fRate) = 0;
    virtual int Speed(float fRate) = 0;
    virtual int Pause() = 0;
    virtual int Step() = 0;
    virtual int Stop() = 0;
    virtual int Seek(int nSeconds) = 0;
    virtual int Reset() = 0;
    virtual int VideoSyncCorrection(int nForce) = 0;
    virtual void SetMonochrome(int nOn) = 0;
    virtual int DrawSnapshot(int nIndex, zent::HDC hDC, const std::wstring& strFolder, const zent::RECT& rc) = 0;
    virtual zent::BOOL GetVideoSize(int nIndex, unsigned* pWidth, unsigned* pHeight) = 0;
    virtual void Zoom(int nTarget, float fZoom, int dx, int dy) = 0;
    virtual void SetContrast(float fValue) = 0;
    virtual int GetVidoeStreamCount(const std::wstring& strPath) = 0;
    virtual int GetAudioStreamCount(const std::wstring& strPath) = 0;

    IZentPlayer(const IZentPlayer&) = delete;
    IZentPlayer& operator=(const IZentPlayer&) = delete;

    // The main window writes this directly; Play hands it to SetPlayTimer. GUI thread only.
    zent::HWND m_hNotifyWnd = nullptr;

protected:
    IZentPlayer() = default;

    // UTF-8 paths of the open recordings, sorted. Changed only by Open and Reset (GUI thread, under
    // the process-wide lock) while no timer thread or zoom worker runs; those threads only read.
    std::vector<std::string> m_vecFilePath;
    // Render targets; entry i takes media player i. Fixed at construction.
    std::array<zent::HWND, 4> m_hVideoWnd{};
    // State code; written by the GUI thread and by the timer thread at the end of play.
    std::atomic<int> m_nState{ZENT_PLAYER_READY};
};
