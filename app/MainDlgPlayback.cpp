// The player window's playback flow: the play routine, stop, previous and next, seeking, the
// end of a recording, mute, monochrome and the position updates.

#include "app/TorvixPlayerMainDlg.h"

#include "app/DashboardText.h"
#include "app/TorvixPlayerDocument.h"
#include "diag/PrintLog.h"
#include "diag/Trace.h"
#include "engine/FFMpegPlayerEx.h"
#include "engine/StreamProbe.h"
#include "locale/LangIds.h"
#include "locale/Settings.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace zent;

namespace {

constexpr DWORD kSkipDebounceMs = 1500;
constexpr DWORD kSeekDebounceMs = 500;

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool FileExists(const std::wstring& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(WideToPath(path), ec);
}

} // namespace

// --- the player object -------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::CreatePlayer(bool bIs4K)
{
    CPrintLog::GetInstance()->WriteLog(L"%s, bIs4K=%d", "CTorvixPlayerMainDlg::CreatePlayer", bIs4K ? 1 : 0);
    if (m_pPlayer) return;
    std::array<HWND, 4> views{};
    for (std::size_t i = 0; i < views.size(); ++i) views[i] = m_views[i].GetSafeHwnd();
    static const PlayerMaker kDefault = [](const std::array<HWND, 4>& hwnds) -> std::unique_ptr<IZentPlayer> {
        return std::make_unique<CFFMpegPlayerEx>(hwnds);
    };
    const PlayerMaker& maker = MakerSlot() ? MakerSlot() : kDefault;
    m_pPlayer = maker(views);
    if (!m_pPlayer) return;
    m_pPlayer->Configure(130);
    // A player made after the folder scan must report its position too, not only the one that
    // the file-load dialog's end handed the main window to.
    m_pPlayer->m_hNotifyWnd = Doc() ? Doc()->GetMainWnd() : nullptr;
    if (!bIs4K) m_pPlayer->SetPlayVolume(m_bMute ? 0 : GetVideoVolume());
    CPrintLog::GetInstance()->WriteLog(L"%s, before return", "CTorvixPlayerMainDlg::CreatePlayer");
}

void CTorvixPlayerMainDlg::DestroyPlayer(bool bDelete)
{
    TraceA("### %s", "CTorvixPlayerMainDlg::DestroyPlayer");
    // The recording's track goes first (each of its parsers is reset with it).
    CloseDashboard();
    if (m_pPlayer) {
        m_pPlayer->Stop();
        if (bDelete) m_pPlayer.reset();
    }
}

// --- choosing the recording --------------------------------------------------------------------------

bool CTorvixPlayerMainDlg::SetPlayFileFromList(int index)
{
    TraceA("### %s", "CTorvixPlayerMainDlg::SetPlayFileFromList");
    if (index >= 0 && index < m_listVideo.GetItemCount()) {
        m_nSelIndex = index;
        TraceA("####################### SetSelectItem(%d) #######################", index);
        SelectListItem(index);
        const std::wstring* record = m_listVideo.GetItemData(index);
        const std::wstring data = record ? *record : std::wstring();
        m_strPlayFile = data.substr(0, data.find(L'*'));
        if (Doc()) Doc()->m_strFileName = m_strPlayFile;
        TraceA("### %s - ret:TRUE", "CTorvixPlayerMainDlg::SetPlayFileFromList");
        return true;
    }
    TraceA("### %s - ret:FALSE", "CTorvixPlayerMainDlg::SetPlayFileFromList");
    return false;
}

// --- the play routine ----------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::FilePlay()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::FilePlay");
    CPrintLog::GetInstance()->WriteLog(L"%s", "CTorvixPlayerMainDlg::FilePlay");
    if (m_bStartPictureShown) {
        m_bStartPictureShown = false;
        m_imgBanner.SetVisibleCtrl(0, 1);
    }

    if (m_pPlayer) {
        switch (m_pPlayer->GetState()) {
        case ZENT_PLAYER_PLAYING:
            m_pPlayer->Pause();
            SetPlayButtonImages(false);
            m_bPlayStarted = true;
            RedrawList();
            return;
        case ZENT_PLAYER_PAUSED:
            m_pPlayer->Play(1.0f);
            SetPlayButtonImages(true);
            m_bPlayStarted = true;
            RedrawList();
            return;
        case 1:
        case 5: return;
        default: break; // 0, 2, 6: a new start
        }
    }

    DestroyPlayer(false);
    if (!SetPlayFileFromList(m_nCurrentItemNo)) return;

    const PlayableRule& rule = RuleSlot();
    m_bIs4K = rule ? rule(m_strModel, m_strPlayFile) : IsPlayable(m_strModel, m_strPlayFile);
    if (!m_bIs4K) {
        InitPlay();
        DestroyPlayer(false);
        ResetDashboard();
        RedrawList();
        ShowPopup(lang::kMsgNotPlayable.item);
        return;
    }

    CPrintLog::GetInstance()->WriteLog(L"%s, m_bIs4K=%d", "CTorvixPlayerMainDlg::FilePlay - Before CreatePlayer",
                                       m_bIs4K ? 1 : 0);
    CreatePlayer(m_bIs4K);
    CPrintLog::GetInstance()->WriteLog(L"%s, m_bIs4K=%d", "CTorvixPlayerMainDlg::FilePlay - After CreatePlayer",
                                       m_bIs4K ? 1 : 0);
    if (!m_pPlayer) return;

    const std::wstring partner = CRecordingCatalog::FindPairFile(m_strPlayFile, m_vecShown);
    CPrintLog::GetInstance()->WriteLog(L"%s, fileName=%ls", "CTorvixPlayerMainDlg::FilePlay - Before Open",
                                       m_strPlayFile.c_str());
    m_pPlayer->Open(m_strPlayFile.c_str(), partner.empty() ? nullptr : partner.c_str());
    CPrintLog::GetInstance()->WriteLog(L"%s, fileName=%ls", "CTorvixPlayerMainDlg::FilePlay - After Open",
                                       m_strPlayFile.c_str());

    m_nDuration = m_pPlayer->GetFileDuration(WideToUtf8(m_strPlayFile));
    m_sliderVideo.SetMaximum(std::max(m_nDuration, 0));
    m_sliderVideo.SetPos(0, 1);
    SetTimeLabel(m_txtTotalTime, m_nDuration);
    OpenDashboard();

    const int nFiles = m_pPlayer->GetFileCount();
    const bool bExists = FileExists(m_strPlayFile);
    if (nFiles == 0 || !bExists) {
        TraceA("### %s, videoCnt=%d, isExistFile=%d, fileName=%s, bIs4K=%d", "CTorvixPlayerMainDlg::FilePlay", nFiles,
               bExists ? 1 : 0, WideToUtf8(m_strPlayFile).c_str(), m_bIs4K ? 1 : 0);
        DestroyPlayer(false);
        ResetDashboard();
        InitPlay();
        ShowPopup(lang::kPlayerNoFile.item);
        return;
    }

    const int nChannel = nFiles <= 1 ? 0 : (nFiles == 2 ? 1 : 2);
    if (Doc()) Doc()->m_nChannelCode = nChannel;

    // The view mode: automatic resolves by the channels; one channel always shows the front.
    int mode = m_nViewMode;
    if (mode == 5 || (mode == 4 && m_bIs4K)) {
        if (nChannel == 0) mode = 0;
        else if (mode == 5) mode = m_nScreenMode == kScreenFull ? 0 : 4;
    }
    if (nChannel == 0) mode = 0;
    m_nViewMode = mode;
    if (Doc()) Doc()->m_nViewMode = mode;
    UpdateViewButtons();
    if (mode != 5) {
        const int n = ((mode == 4 || mode == 5) && m_nScreenMode != kScreenFull) ? nChannel : 0;
        ChangeVideoViewMode(mode, n);
    }

    SetPlayButtonImages(true);
    UpdateFileNameLabel();
    m_listVideo.SetCurrentItem(m_nCurrentItemNo);
    // The volume the window shows is the one that plays, for every recording (the player made for
    // a playable recording is otherwise left at the engine's full volume).
    m_pPlayer->SetPlayVolume(m_bMute ? 0 : GetVideoVolume());
    m_pPlayer->Play(1.0f);
    m_bPlayStarted = true;
    RedrawList();
}

// --- stop and reset ------------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnBtnStop()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::OnBtnStop");
    m_bPlayStarted = false;
    DestroyPlayer(false);
    ResetDashboard();
    InitPlay();
    m_txtFileName.SetText(L"", 1);
    m_txtChannel.SetText(L"", 1);
    if (Doc()) Doc()->m_strFileName.clear();
    LayoutViewsForStop();
    SetPlayButtonImages(false);
    m_sliderVideo.SetPos(0, 1);
    SetMonochromeButton(false);
    m_listVideo.SetCurrentItem(-1);
    RedrawList();
}

void CTorvixPlayerMainDlg::LayoutViewsForStop()
{
    const int n = ((m_nViewMode == 4 || m_nViewMode == 5) && m_nScreenMode != kScreenFull) ? 3 : 0;
    if (m_nViewMode != 5) ChangeVideoViewMode(m_nViewMode, n);
    else ChangeVideoViewMode(4, n);
    // The start picture stands where the pictures were.
    for (COglViewWnd& view : m_views) ShowWindow(view.GetSafeHwnd(), SW_HIDE);
}

void CTorvixPlayerMainDlg::InitPlay()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::InitPlay");
    m_bPlayStarted = false;
    m_nPlayPos = 0;
    if (m_nScreenMode != kScreenFull) {
        SetPlayButtonImages(false);
        m_sliderVideo.SetPos(0, 1);
        m_txtPlayTime.SetText(L"00:00:00", 1);
        m_txtTotalTime.SetText(L"00:00:00", 1);
    }
    m_cbSpeed.SetCurSel(1, 1);
    m_cbZoom.SetCurSel(0, 1);
    SetMonochromeButton(false);
    if (m_nGraphMode == 0) {
        m_txtGx.SetText(L"X : 0.00", 1);
        m_txtGy.SetText(L"Y : 0.00", 1);
        m_txtGz.SetText(L"Z : 0.00", 1);
    }
    m_bStartPictureShown = true;
    m_imgBanner.SetVisibleCtrl(1, 1);
    for (COglViewWnd& view : m_views)
        if (view.GetSafeHwnd()) ShowWindow(view.GetSafeHwnd(), SW_HIDE);
}

// --- transport -----------------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnBtnPlay()
{
    if (m_listVideo.GetItemCount() <= 0) return;
    m_btnPlay.SetCheck(m_btnPlay.GetCheck() ? 0 : 1, 0);
    FilePlay();
}

void CTorvixPlayerMainDlg::OnBtnPrev()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::OnBtnPrev");
    SkipRecording(-1, "PrevPlay");
}

void CTorvixPlayerMainDlg::OnBtnNext()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::OnBtnNext");
    SkipRecording(1, "NextPlay");
}

void CTorvixPlayerMainDlg::SkipRecording(int nStep, const char* pszName)
{
    if (!m_pPlayer || m_pPlayer->GetState() <= ZENT_PLAYER_READY) return;
    if (m_bSkipTickValid && GetTick() - m_dwLastSkipTick < kSkipDebounceMs) {
        TraceA("%s - PASS!!!!!!\n", pszName);
        return;
    }
    TraceA("%s - FilePlay\n", pszName);
    if (m_pPlayer->GetState() > ZENT_PLAYER_READY) {
        OnBtnStop();
        SleepMs(100);
        const int n = m_listVideo.GetItemCount();
        if (n > 0) {
            // Past either end the list wraps; only an index below the first goes to the last.
            int index = m_nCurrentItemNo + nStep;
            if (index < 0) index = n - 1;
            else if (index >= n) index = 0;
            m_nCurrentItemNo = index;
            if (SetPlayFileFromList(m_nCurrentItemNo)) FilePlay();
        }
    }
    m_dwLastSkipTick = GetTick();
    m_bSkipTickValid = true;
}

void CTorvixPlayerMainDlg::OnBtnBack10()
{
    if (!m_pPlayer) return;
    const int state = m_pPlayer->GetState();
    if (state != ZENT_PLAYER_PLAYING && state != ZENT_PLAYER_PAUSED) return;
    const DWORD now = GetTick();
    if (m_bSeekTickValid && now - m_dwLastSeekTick <= kSeekDebounceMs) return;
    m_dwLastSeekTick = now;
    m_bSeekTickValid = true;
    const int target = std::max(m_nPlayPos - 10, 0);
    m_pPlayer->Seek(target);
    m_nPlayPos = target;
    OnSeekRoute(target);
    OnChangePlayPos(m_pPlayer->GetDuration(), target);
}

void CTorvixPlayerMainDlg::OnBtnForward10()
{
    if (!m_pPlayer) return;
    const int state = m_pPlayer->GetState();
    if (state != ZENT_PLAYER_PLAYING && state != ZENT_PLAYER_PAUSED) return;
    const DWORD now = GetTick();
    if (m_bSeekTickValid && now - m_dwLastSeekTick <= kSeekDebounceMs) return;
    m_dwLastSeekTick = now;
    m_bSeekTickValid = true;
    const int duration = m_pPlayer->GetDuration();
    if (m_nPlayPos >= duration) return;
    const int target = std::min(m_nPlayPos + 10, duration);
    m_pPlayer->Seek(target);
    m_nPlayPos = target;
    OnSeekRoute(target);
    OnChangePlayPos(duration, target);
}

void CTorvixPlayerMainDlg::OnVideoSlider(int value)
{
    const DWORD now = GetTick();
    if (m_pPlayer && m_pPlayer->IsPlaying() && !(m_bSeekTickValid && now - m_dwLastSeekTick <= kSeekDebounceMs)) {
        m_dwLastSeekTick = now;
        m_bSeekTickValid = true;
        const int target = std::clamp(value, 0, std::max(m_pPlayer->GetDuration(), 0));
        m_pPlayer->Seek(target);
        m_nPlayPos = target;
        OnSeekRoute(target);
        OnChangePlayPos(m_pPlayer->GetDuration(), target);
        return;
    }
    m_sliderVideo.SetPos(m_nPlayPos, 1);
}

void CTorvixPlayerMainDlg::OnVolumeSlider(int value)
{
    const int volume = m_sliderVolume.GetReverse() ? m_sliderVolume.GetMaximum() - value : value;
    if (m_pPlayer && !m_bMute) m_pPlayer->SetPlayVolume(volume);
    SetVideoVolume(volume);
    m_txtVolume.SetText(std::to_wstring(volume), 1);
}

void CTorvixPlayerMainDlg::OnListDblClk(int index)
{
    if (index < 0 || index >= m_listVideo.GetItemCount()) return;
    m_nCurrentItemNo = index;
    m_nSelIndex = index;
    m_btnPlay.SetCheck(1, 0);
    SelectListItem(index);
    RedrawList();
    if (!m_pPlayer) {
        TraceA("### %s() - FilePlay #3", "CTorvixPlayerMainDlg::OnNMDblclkListVideo");
        FilePlay();
        return;
    }
    const int state = m_pPlayer->GetState();
    if (m_pPlayer->IsPlaying()) {
        OnBtnStop();
        SleepMs(100);
    }
    SetPlayFileFromList(index);
    if (state == 0 || state == ZENT_PLAYER_READY || state == ZENT_PLAYER_STOPPED) {
        TraceA("### %s() - FilePlay #1", "CTorvixPlayerMainDlg::OnNMDblclkListVideo");
        FilePlay();
    } else if (state == ZENT_PLAYER_PLAYING || state == ZENT_PLAYER_PAUSED) {
        TraceA("### %s() - FilePlay #2", "CTorvixPlayerMainDlg::OnNMDblclkListVideo");
        FilePlay();
    }
}

void CTorvixPlayerMainDlg::OnPlayEnd()
{
    CPrintLog::GetInstance()->WriteLog(L"%s - MSG_PLAY_COMPLETED", "CTorvixPlayerMainDlg::OnPlayEnd");
    TraceA("##### %s()", "CTorvixPlayerMainDlg::OnPlayEnd");
    if (m_pPlayer) OnChangePlayPos(m_pPlayer->GetDuration(), 0);
    DestroyPlayer(false);
    ResetDashboard();
    if (IsRepeatOn()) {
        TraceA("##### %s() - call OnBtnNext()", "CTorvixPlayerMainDlg::OnPlayEnd");
        OnBtnNext();
        return;
    }
    TraceA("##### %s() - call OnFilePlay()", "CTorvixPlayerMainDlg::OnPlayEnd");
    OnBtnStop();
    SleepMs(100);
    SetPlayFileFromList(m_nCurrentItemNo);
    FilePlay();
}

// --- switches --------------------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnBtnMute()
{
    if (!m_bMute) {
        m_btnSpeaker.SetBitmap(0, GetSkinLoader(), skin::kMuteOn);
        if (m_pPlayer) m_pPlayer->SetPlayVolume(0);
        m_bMute = true;
        m_sliderVolume.SetDisableCtrl(1, 1);
    } else {
        m_btnSpeaker.SetBitmap(0, GetSkinLoader(), skin::kMuteOff);
        if (m_pPlayer) m_pPlayer->SetPlayVolume(GetVideoVolume());
        m_bMute = false;
        m_sliderVolume.SetDisableCtrl(0, 1);
    }
    m_btnSpeaker.Draw();
}

bool CTorvixPlayerMainDlg::IsRepeatOn() const
{
    return m_bRepeat;
}

void CTorvixPlayerMainDlg::OnBtnRepeat()
{
    m_bRepeat = !m_bRepeat;
    const skin::ButtonIds& ids = m_bRepeat ? skin::kRepeatOn : skin::kRepeat;
    m_btnRepeat.SetBitmap(0, GetSkinLoader(), ids.normal);
    m_btnRepeat.SetBitmap(1, GetSkinLoader(), ids.pressed);
    m_btnRepeat.Draw();
}

void CTorvixPlayerMainDlg::OnBtnMonochrome()
{
    if (!m_pPlayer || !m_pPlayer->IsPlaying() || m_pPlayer->GetPlayTime(0) == 0) return;
    SetMonochromeButton(!m_bMonochrome);
    m_pPlayer->SetMonochrome(m_bMonochrome ? 1 : 0);
}

void CTorvixPlayerMainDlg::SetMonochromeButton(bool bOn)
{
    m_bMonochrome = bOn;
    m_btnMono.SetBitmap(0, GetSkinLoader(), bOn ? skin::kMonoOn : skin::kMono.normal);
    m_btnMono.SetButtonText(bOn ? L"ON" : L"OFF", 1);
}

void CTorvixPlayerMainDlg::SetPlayButtonImages(bool bPlaying)
{
    const skin::ButtonIds& ids = bPlaying ? skin::kPause : skin::kPlay;
    m_btnPlay.SetBitmap(0, GetSkinLoader(), ids.normal);
    m_btnPlay.SetBitmap(1, GetSkinLoader(), ids.pressed);
    m_btnPlay.SetBitmap(2, GetSkinLoader(), ids.disabled);
    m_btnPlay.Draw();
}

// --- the position ----------------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::SetTimeLabel(CBmpText& label, int nSeconds)
{
    label.SetText(FormatPlayTime(nSeconds), 1);
}

float CTorvixPlayerMainDlg::GetSpeedRate() const
{
    static constexpr float kRates[] = {0.5f, 1.0f, 1.5f, 2.0f};
    const int sel = m_cbSpeed.GetCurSel();
    return sel >= 0 && sel < 4 ? kRates[sel] : 1.0f;
}

float CTorvixPlayerMainDlg::GetZoomFactor() const
{
    static constexpr float kFactors[] = {1.0f, 1.5f, 2.0f, 3.0f};
    const int sel = m_cbZoom.GetCurSel();
    return sel >= 0 && sel < 4 ? kFactors[sel] : 1.0f;
}
