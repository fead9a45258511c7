#include "engine/FFMpegPlayerEx.h"

#include "diag/PrintLog.h"
#include "diag/Trace.h"
#include "engine/StreamProbe.h"

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Image.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/Window.h>

#include <vlc/vlc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace zent;

namespace {

// Open, Reset, SetMonochrome and destruction of every player are serialised by this one lock.
// Recursive, as the critical section it stands for is.
std::recursive_mutex& PlayerLock()
{
    static std::recursive_mutex s_lock;
    return s_lock;
}

constexpr auto kTimerRound = std::chrono::milliseconds(20);
constexpr unsigned kStallLimit = 250;
constexpr auto kZoomRound = std::chrono::milliseconds(33);
constexpr double kMaxClockAgeMs = 500.0;

} // namespace

void VlcInstanceDeleter::operator()(libvlc_instance_t* p) const
{
    libvlc_release(p);
}

void VlcPlayerDeleter::operator()(libvlc_media_player_t* p) const
{
    libvlc_media_player_stop(p);
    libvlc_media_player_release(p);
}

std::vector<std::string> CFFMpegPlayerEx::GetVlcArguments()
{
    std::vector<std::string> args{"--no-snapshot-preview", "--no-osd"};
    if (const char* extra = std::getenv("TORVIX_VLC_ARGS")) {
        std::istringstream in(extra);
        for (std::string a; in >> a;) args.push_back(a);
    }
    return args;
}

CFFMpegPlayerEx::CFFMpegPlayerEx(const std::array<HWND, 4>& hVideoWnd)
{
    m_hVideoWnd = hVideoWnd;
    const std::vector<std::string> args = GetVlcArguments();
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    m_pInstance.reset(libvlc_new(static_cast<int>(argv.size()), argv.data()));
    TraceA("### %s", "CFFMpegPlayerEx::CFFMpegPlayerEx");
}

CFFMpegPlayerEx::~CFFMpegPlayerEx()
{
    TraceA("### %s", "CFFMpegPlayerEx::~CFFMpegPlayerEx");
    std::lock_guard lock(PlayerLock());
    m_nState = ZENT_PLAYER_STOPPED;
    KillPlayTimer();
    StopZoomWorker();
    for (auto& p : m_pMediaPlayer) p.reset();
    for (auto& s : m_pSink) s.reset();
    m_pInstance.reset();
    m_vecFilePath.clear();
}

void CFFMpegPlayerEx::Configure(int) {}

int CFFMpegPlayerEx::GetFileDuration(const std::string& strPath)
{
    TraceA("### %s", "CFFMpegPlayerEx::GetFileDuration");
    return ::GetFileDuration(strPath);
}

int CFFMpegPlayerEx::GetDuration()
{
    if (GetFileCount() < 1 || !Player(0)) return -1;
    const double d = static_cast<double>(libvlc_media_player_get_length(Player(0))) / 1000.0;
    return static_cast<int>(std::round(d * 10.0) / 10.0);
}

int CFFMpegPlayerEx::GetPlayTime(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetFileCount() || !Player(nIndex)) return -1;
    return static_cast<int>(std::round(static_cast<double>(libvlc_media_player_get_time(Player(nIndex))) / 1000.0));
}

long long CFFMpegPlayerEx::GetPlayTimeMs(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetFileCount() || !Player(nIndex)) return -1;
    return static_cast<long long>(libvlc_media_player_get_time(Player(nIndex)));
}

int CFFMpegPlayerEx::GetAudioTrack(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetFileCount() || !Player(nIndex)) return -1;
    return libvlc_audio_get_track(Player(nIndex));
}

int CFFMpegPlayerEx::GetAudioVolume(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetFileCount() || !Player(nIndex)) return -1;
    return libvlc_audio_get_volume(Player(nIndex));
}

float CFFMpegPlayerEx::GetContrast(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetFileCount() || !Player(nIndex)) return -1.0f;
    return libvlc_video_get_adjust_float(Player(nIndex), libvlc_adjust_Contrast);
}

int CFFMpegPlayerEx::GetState()
{
    return m_nState.load();
}

int CFFMpegPlayerEx::GetFileCount()
{
    return static_cast<int>(m_vecFilePath.size());
}

BOOL CFFMpegPlayerEx::IsPlaying()
{
    const int s = m_nState.load();
    return s == ZENT_PLAYER_PLAYING || s == ZENT_PLAYER_PAUSED || s == ZENT_PLAYER_ACTIVE;
}

void CFFMpegPlayerEx::SetPlayTimer(HWND hWnd, int)
{
    TraceA("### %s", "CFFMpegPlayerEx::SetPlayTimer");
    CPrintLog::GetInstance()->WriteLog(L"%ls", L"CFFMpegPlayerEx::SetPlayTimer");
    m_hTimerWnd = hWnd;
    if (m_bTimerRunning) return;
    // A thread that ended by itself at the end of play is collected before a new one starts.
    if (m_hTimerThread.joinable()) m_hTimerThread.join();
    m_bTimerRunning = true;
    m_hTimerThread = std::thread([this] {
        cbPlayTimerThreadProc(this);
        m_bTimerRunning = false;
    });
}

void CFFMpegPlayerEx::KillPlayTimer()
{
    TraceA("### %s", "CFFMpegPlayerEx::KillPlayTimer");
    if (!m_hTimerThread.joinable()) return;
    CPrintLog::GetInstance()->WriteLog(L"%ls", L"CFFMpegPlayerEx::KillPlayTimer()");
    m_hTimerWnd = nullptr;
    m_hTimerThread.join();
    TraceA("### %s - exit", "CFFMpegPlayerEx::KillPlayTimer");
}

void CFFMpegPlayerEx::SetPlayVolume(int nVolume)
{
    TraceA("### %s, nVolume = %d", "CFFMpegPlayerEx::SetPlayVolume", nVolume);
    const int v = static_cast<int>(static_cast<double>(nVolume) * 100.0 / 100.0);
    for (auto& p : m_pMediaPlayer)
        if (p) libvlc_audio_set_volume(p.get(), v);
}

std::wstring CFFMpegPlayerEx::GetFilePath(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetFileCount()) return {};
    return Utf8ToWide(m_vecFilePath[static_cast<std::size_t>(nIndex)]);
}

int CFFMpegPlayerEx::Open(const wchar_t* pszFirst, const wchar_t* pszSecond)
{
    TraceA("### %s", "CFFMpegPlayerEx::Open");
    CPrintLog::GetInstance()->WriteLog(L"%ls", L"CFFMpegPlayerEx::Open");
    std::lock_guard lock(PlayerLock());
    // Opening over open media would leak the media players and leave the threads running on
    // them; the caller's order is Reset first, so do it for them.
    if (!m_vecFilePath.empty() || m_pMediaPlayer[0] || m_pMediaPlayer[1]) ResetLocked();
    if (pszFirst) {
        m_vecFilePath.push_back(WideToUtf8(pszFirst));
        TraceA("### %s - sFilePath='%s'", "CFFMpegPlayerEx::Open", m_vecFilePath.back().c_str());
    }
    if (pszSecond) m_vecFilePath.push_back(WideToUtf8(pszSecond));
    std::sort(m_vecFilePath.begin(), m_vecFilePath.end());

    for (std::size_t i = 0; i < m_vecFilePath.size() && m_pInstance; ++i) {
        libvlc_media_t* media = libvlc_media_new_path(m_pInstance.get(), m_vecFilePath[i].c_str());
        if (!media) continue;
        // The rear recording of a pair is always silent. The option must be on the media before
        // the player takes it and before our reference goes.
        if (i == 1) libvlc_media_add_option(media, ":no-audio");
        m_pMediaPlayer[i].reset(libvlc_media_player_new_from_media(media));
        libvlc_media_release(media);
        libvlc_media_player_t* p = m_pMediaPlayer[i].get();
        if (!p) continue;
        COglViewWnd* pView = COglViewWnd::FromView(m_hVideoWnd[i]);
        // Without a view the frames still go to memory, so libvlc never opens a window of its own.
        m_pSink[i] = pView && pView->GetSink() ? pView->GetSink() : std::make_shared<CVideoFrameSink>(nullptr);
        m_pSink[i]->SetCropGeometry({});
        m_pSink[i]->Attach(p);
        libvlc_video_set_mouse_input(p, 0);
        libvlc_video_set_key_input(p, 0);
    }
    m_bStarted = false;
    m_nSyncCount = 0;
    {
        std::lock_guard clockLock(m_clockMutex);
        m_clock = {};
    }
    m_nState = ZENT_PLAYER_READY;
    return 0;
}

int CFFMpegPlayerEx::Play(float)
{
    TraceA("### %s", "CFFMpegPlayerEx::Play");
    const int state = m_nState.load();
    // Paused before it ever played: there is nothing to resume, so it starts.
    if (state == ZENT_PLAYER_READY || (state == ZENT_PLAYER_PAUSED && !m_bStarted)) {
        for (auto& p : m_pMediaPlayer)
            if (p) libvlc_media_player_play(p.get());
        m_bStarted = true;
        m_nState = ZENT_PLAYER_PLAYING;
        SetPlayTimer(m_hNotifyWnd, 1000);
    } else if (state == ZENT_PLAYER_PAUSED) {
        for (auto& p : m_pMediaPlayer)
            if (p) libvlc_media_player_set_pause(p.get(), 0);
        m_nState = ZENT_PLAYER_PLAYING;
    }
    return 0;
}

int CFFMpegPlayerEx::Speed(float fRate)
{
    TraceA("### %s", "CFFMpegPlayerEx::Speed");
    m_fRate = fRate;
    for (auto& p : m_pMediaPlayer)
        if (p) libvlc_media_player_set_rate(p.get(), fRate);
    return 0;
}

int CFFMpegPlayerEx::Pause()
{
    TraceA("### %s", "CFFMpegPlayerEx::Pause");
    for (auto& p : m_pMediaPlayer)
        if (p) libvlc_media_player_set_pause(p.get(), 1);
    m_nState = ZENT_PLAYER_PAUSED;
    return 0;
}

int CFFMpegPlayerEx::Step()
{
    TraceA("### %s", "CFFMpegPlayerEx::Step");
    return 0;
}

int CFFMpegPlayerEx::Stop()
{
    TraceA("### %s", "CFFMpegPlayerEx::Stop");
    return Reset();
}

int CFFMpegPlayerEx::Seek(int nSeconds)
{
    TraceA("### %s", "CFFMpegPlayerEx::Seek");
    const int len = GetDuration();
    // Without a known length there is no position to go to (and no division by zero).
    if (len <= 0) return 0;
    float p = static_cast<float>(nSeconds) / static_cast<float>(len);
    if (p >= 1.0f) p = 0.999f;
    if (p < 0.0f) p = 0.0f;
    for (auto& mp : m_pMediaPlayer)
        if (mp) libvlc_media_player_set_position(mp.get(), p);
    return 0;
}

int CFFMpegPlayerEx::Reset()
{
    TraceA("### %s", "CFFMpegPlayerEx::Reset");
    std::lock_guard lock(PlayerLock());
    ResetLocked();
    return 0;
}

void CFFMpegPlayerEx::ResetLocked()
{
    m_nState = ZENT_PLAYER_STOPPED;
    KillPlayTimer();
    // The zoom worker uses the media players; it must be gone before they are.
    StopZoomWorker();
    for (auto& p : m_pMediaPlayer) p.reset();
    for (auto& s : m_pSink) {
        if (s) s->SetCropGeometry({});
        s.reset();
    }
    m_ptZoomPos = {};
    m_vecFilePath.clear();
    m_bStarted = false;
}

void CFFMpegPlayerEx::SampleClocks()
{
    if (GetFileCount() <= 1) return;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_clockMutex);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!m_pMediaPlayer[i]) continue;
        const long long v = libvlc_media_player_get_time(m_pMediaPlayer[i].get());
        if (v != m_clock[i].value) m_clock[i] = {v, now};
    }
}

double CFFMpegPlayerEx::EstimateTimeMs(int nIndex) const
{
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_clockMutex);
    const ReportedClock& c = m_clock[static_cast<std::size_t>(nIndex)];
    if (c.value < 0) return static_cast<double>(c.value);
    // libvlc reports a new time every 250 to 500 ms while playing; a value older than that
    // belongs to a paused or stalled player and is taken as it is.
    const double age = std::chrono::duration<double, std::milli>(now - c.changed).count();
    return static_cast<double>(c.value) + std::min(age, kMaxClockAgeMs);
}

int CFFMpegPlayerEx::VideoSyncCorrection(int nForce)
{
    if (GetFileCount() <= 1 || !Player(0) || !Player(1)) return 0;
    const double len = static_cast<double>(libvlc_media_player_get_length(Player(0)));
    if (len <= 0) return 0;
    // The reported times lag the pictures by different amounts (up to one report interval), so
    // the raw difference often exceeds 200 ms while the pictures are in step. Each is carried
    // forward by the time since it last changed before they are compared.
    SampleClocks();
    const double t0 = EstimateTimeMs(0);
    const double t1 = EstimateTimeMs(1);
    if (t0 < 0 || t1 < 0) return 0;
    if (!nForce) {
        const auto d = static_cast<std::int64_t>(t0 - t1);
        if (d >= -200 && d <= 200) return 0;
    }
    libvlc_media_player_set_time(Player(1), static_cast<libvlc_time_t>(std::min(t0, len)));
    {
        // The rear's report restarts from the new time; its old one must not be carried forward.
        std::lock_guard lock(m_clockMutex);
        m_clock[1] = {-1, std::chrono::steady_clock::now()};
    }
    ++m_nSyncCount;
    TraceA("### %s - Video Sync Complete", "CFFMpegPlayerEx::VideoSyncCorrection");
    return 0;
}

void CFFMpegPlayerEx::SetMonochrome(int nOn)
{
    std::lock_guard lock(PlayerLock());
    TraceA("### %s BEGIN", "CFFMpegPlayerEx::SetMonochrome");
    if (IsPlaying()) {
        for (auto& p : m_pMediaPlayer) {
            if (!p) continue;
            libvlc_video_set_adjust_int(p.get(), libvlc_adjust_Enable, nOn ? 1 : 0);
            if (nOn) libvlc_video_set_adjust_float(p.get(), libvlc_adjust_Saturation, 0.0f);
        }
    }
    TraceA("### %s END", "CFFMpegPlayerEx::SetMonochrome");
}

int CFFMpegPlayerEx::DrawSnapshot(int nIndex, HDC hDC, const std::wstring& strFolder, const RECT& rc)
{
    TraceA("### %s", "CFFMpegPlayerEx::DrawSnapshot");
    if (nIndex < 1 || nIndex > GetFileCount() || !Player(nIndex - 1)) return -1;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return -1;
    const std::filesystem::path file = WideToPath(strFolder) / (std::to_string(nIndex) + ".jpg");
    // libvlc cannot scale callback frames into a snapshot (its converter chain fails), so the
    // snapshot is taken at the source size and stretched into the rectangle here.
    int ret = libvlc_video_take_snapshot(Player(nIndex - 1), 0, file.c_str(), 0, 0);
    // libvlc writes PNG whatever the name says; the image is recognised by its content.
    if (auto image = CImage::FromFile(PathToWide(file))) {
        ret = -1;
        if (hDC) {
            UniqueBitmap bmp(image->CreateBitmap());
            std::unique_ptr<DeviceContext, DCDeleter> mem(CreateCompatibleDC(hDC));
            if (bmp && mem) {
                HBITMAP old = SelectObject(mem.get(), bmp.get());
                const bool same = image->GetWidth() == w && image->GetHeight() == h;
                const BOOL ok = same ? BitBlt(hDC, rc.left, rc.top, w, h, mem.get(), 0, 0, SRCCOPY)
                                     : StretchBlt(hDC, rc.left, rc.top, w, h, mem.get(), 0, 0, image->GetWidth(),
                                                  image->GetHeight(), SRCCOPY);
                if (ok) ret = 0;
                if (old) SelectObject(mem.get(), old);
            }
        }
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return ret;
}

BOOL CFFMpegPlayerEx::GetVideoSize(int nIndex, unsigned* pWidth, unsigned* pHeight)
{
    if (nIndex < 1 || nIndex > GetFileCount() || !Player(nIndex - 1)) return FALSE;
    unsigned w = 0, h = 0;
    if (libvlc_video_get_size(Player(nIndex - 1), 0, &w, &h) != 0) return FALSE;
    if (pWidth) *pWidth = w;
    if (pHeight) *pHeight = h;
    return TRUE;
}

void CFFMpegPlayerEx::Zoom(int nTarget, float fZoom, int dx, int dy)
{
    TraceA("### %s", "CFFMpegPlayerEx::Zoom");
    m_nZoomTarget = nTarget;
    if (GetFileCount() < 1 || fZoom == 0.0f) return;
    m_fZoom = fZoom;
    std::lock_guard lock(m_zoomMutex);
    m_queMove.emplace_back(dx, dy);
    if (m_bZoomRunning) return;
    // The worker that ran before has returned (it cleared the flag as its last step).
    if (m_hZoomThread.joinable()) m_hZoomThread.join();
    m_bZoomRunning = true;
    m_hZoomThread = std::thread([this] { cbZoomThreadProc(this); });
}

void CFFMpegPlayerEx::StopZoomWorker()
{
    {
        std::lock_guard lock(m_zoomMutex);
        m_queMove.clear();
    }
    if (m_hZoomThread.joinable()) m_hZoomThread.join();
}

unsigned CFFMpegPlayerEx::cbZoomThreadProc(CFFMpegPlayerEx* pPlayer)
{
    for (;;) {
        int sx = 0, sy = 0;
        {
            std::lock_guard lock(pPlayer->m_zoomMutex);
            if (pPlayer->m_queMove.empty()) {
                pPlayer->m_bZoomRunning = false;
                return 0;
            }
            while (!pPlayer->m_queMove.empty() && pPlayer->m_fZoom.load() > 0.0f) {
                sx += pPlayer->m_queMove.front().first;
                sy += pPlayer->m_queMove.front().second;
                pPlayer->m_queMove.pop_front();
            }
        }
        switch (pPlayer->m_nZoomTarget.load()) {
        case 0:
            pPlayer->ApplyCrop(1, sx, sy);
            break;
        case 1:
            pPlayer->ApplyCrop(2, sx, sy);
            break;
        case 4:
            pPlayer->ApplyCrop(1, sx, sy);
            pPlayer->ApplyCrop(2, sx, sy);
            break;
        default:
            break;
        }
        std::this_thread::sleep_for(kZoomRound);
    }
}

void CFFMpegPlayerEx::ApplyCrop(int nView, int dx, int dy)
{
    if (nView < 1 || nView > 2 || nView > GetFileCount()) return;
    unsigned w = 0, h = 0;
    if (!GetVideoSize(nView, &w, &h) || w == 0 || h == 0) return;
    // A factor below 1 would make the visible window larger than the picture.
    const float zoom = std::max(m_fZoom.load(), 1.0f);
    const float cwf = static_cast<float>(w) / zoom, chf = static_cast<float>(h) / zoom;
    const int maxX = static_cast<int>(static_cast<float>(w) - cwf);
    const int maxY = static_cast<int>(static_cast<float>(h) - chf);
    const int cw = static_cast<int>(cwf), ch = static_cast<int>(chf);
    POINT& pos = m_ptZoomPos[static_cast<std::size_t>(nView - 1)];
    pos.x = std::clamp(pos.x + dx, 0, std::max(maxX, 0));
    pos.y = std::clamp(pos.y + dy, 0, std::max(maxY, 0));
    TraceA("ptMove = x:%d, y:%d, m_ptZoomPos = x:%d, y:%d\n", dx, dy, static_cast<int>(pos.x),
           static_cast<int>(pos.y));
    char crop[1024];
    std::snprintf(crop, sizeof crop, "%dx%d%c%d%c%d\n", cw + static_cast<int>(pos.x), ch + static_cast<int>(pos.y),
                  pos.x >= 0 ? '+' : '-', std::abs(static_cast<int>(pos.x)), pos.y >= 0 ? '+' : '-',
                  std::abs(static_cast<int>(pos.y)));
    // libvlc's own crop does not reach callback frames; the view applies the string itself.
    if (const auto& sink = m_pSink[static_cast<std::size_t>(nView - 1)]) sink->SetCropGeometry(crop);
}

void CFFMpegPlayerEx::SetContrast(float fValue)
{
    TraceA("### %s", "CFFMpegPlayerEx::SetContrast");
    for (auto& p : m_pMediaPlayer) {
        if (!p) continue;
        libvlc_video_set_adjust_int(p.get(), libvlc_adjust_Enable, 1);
        libvlc_video_set_adjust_float(p.get(), libvlc_adjust_Contrast, fValue);
    }
}

int CFFMpegPlayerEx::GetVidoeStreamCount(const std::wstring& strPath)
{
    TraceA("### %s", "CFFMpegPlayerEx::GetVidoeStreamCount");
    return ::GetVidoeStreamCount(strPath);
}

int CFFMpegPlayerEx::GetAudioStreamCount(const std::wstring& strPath)
{
    TraceA("### %s", "CFFMpegPlayerEx::GetAudioStreamCount");
    return ::GetAudioStreamCount(strPath);
}

unsigned CFFMpegPlayerEx::cbPlayTimerThreadProc(CFFMpegPlayerEx* pPlayer)
{
    static const char* const kName = "CFFMpegPlayerEx::cbPlayTimerThreadProc";
    CPrintLog::GetInstance()->WriteLog(L"%s BEGIN", kName);
    TraceA("### %s BEGIN", kName);
    TraceA("%s - PlayTime : (%u / %u)\n", kName, 0u, 0u);

    unsigned stall = 0;
    int ticks = 0;
    bool first = true;
    int prev = 0;
    int lastPosted = -1;
    int len = 0;
    const auto post = [pPlayer](UINT msg, int w, int l) {
        PostMessage(pPlayer->m_hTimerWnd.load(), msg, static_cast<WPARAM>(w), static_cast<LPARAM>(l));
    };

    bool ended = false;
    bool gaveUp = false;
    while (pPlayer->GetState() != ZENT_PLAYER_STOPPED) {
        const int t = pPlayer->GetPlayTime(0);
        len = pPlayer->GetDuration();
        pPlayer->SampleClocks();
        if (t == 0 && len == 0) {
            if (++stall > kStallLimit) {
                gaveUp = true;
                break;
            }
            std::this_thread::sleep_for(kTimerRound);
            continue;
        }
        if (prev > 1 && first) {
            pPlayer->VideoSyncCorrection(1);
            first = false;
        }
        prev = t;
        if (t != lastPosted) {
            if (t > len) {
                prev = len;
                post(WM_FFMPEG_PLAY_POS, len, len);
            } else {
                post(WM_FFMPEG_PLAY_POS, len, t);
            }
            if (prev == len && len != 0 && ++stall > kStallLimit) {
                gaveUp = true;
                break;
            }
            if (ticks > 50) {
                if (pPlayer->m_fRate.load() == 1.0f) pPlayer->VideoSyncCorrection(0);
                ticks = 0;
            }
        }
        lastPosted = prev;
        libvlc_media_player_t* p0 = pPlayer->Player(0);
        if (!p0 || libvlc_media_player_get_state(p0) == libvlc_Ended) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(kTimerRound);
        ++ticks;
    }

    if (gaveUp) {
        post(WM_FFMPEG_PLAY_END, 0, 0);
    } else if (ended) {
        TraceA("### %s PostMessage(WM_FFMPEG_PLAY_END)", kName);
        pPlayer->m_nState = ZENT_PLAYER_STOPPED;
        post(WM_FFMPEG_PLAY_END, len, prev);
        TraceA("### %s END", kName);
    } else {
        TraceA("### %s END", kName);
    }
    CPrintLog::GetInstance()->WriteLog(L"%s END", kName);
    return 0;
}
