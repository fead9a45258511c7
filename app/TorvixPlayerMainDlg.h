#pragma once

// The player window: the video views, the transport, the sliders and lists, the recording list
// and the dashboard beside the video. It owns the one player object and the class lists of the
// browsed folder. Its code is split by concern:
//   TorvixPlayerMainDlg.cpp   set-up, controls, message table, exit
//   MainDlgPlayback.cpp       the play routine, stop, previous/next, seeking, end of play, mute
//   MainDlgList.cpp           folder browsing, the file-load scan, list fills, search, delete
//   MainDlgLayout.cpp         view modes and the layout of the four video views
// Everything runs on the GUI thread; the player's position and end messages arrive here by
// SendMessage from the top-level window.

#include "app/SkinIds.h"
#include "engine/IZentPlayer.h"
#include "engine/OglViewWnd.h"
#include "map/BmpWebLink.h"
#include "map/MapView.h"
#include "recording/AdminDistrict.h"
#include "recording/RecordingCatalog.h"
#include "widgets/BmpComboBox.h"
#include "widgets/BmpSearchEdit.h"
#include "widgets/BmpSlider.h"
#include "widgets/SensorViewWnd.h"
#include "widgets/SpeedGaugeWnd.h"
#include "widgets/SkinListCtrl.h"

#include <zent/bctrl/BmpButton.h>
#include <zent/bctrl/BmpStatic.h>
#include <zent/bctrl/BmpText.h>
#include <zent/bctrl/InDialog.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CTorvixPlayerDocument;

// Messages of the player window.
constexpr zent::UINT WM_PLAYER_EXIT = 0x401;
constexpr zent::UINT WM_FILELOAD_DONE = 0x403;
constexpr zent::UINT WM_CARD_NOTICE = 0x404;
constexpr zent::UINT WM_MAP_LOADED = 0x405;
constexpr zent::UINT WM_MAP_RESET = 0x406;
constexpr zent::UINT WM_CONTROL_NOTIFY = 0x466;
constexpr zent::UINT WM_SEARCH_REQUEST = 0x7602;
constexpr zent::UINT WM_BROWSE_DONE = 0xBB8;
// Ours: show the folder chooser once the press that asked for it has been handled.
constexpr zent::UINT WM_APP_BROWSE_FOLDER = zent::WM_APP + 0x102;
// Notification codes of WM_CONTROL_NOTIFY.
constexpr zent::WPARAM kNotifyZoom = 0x408;
constexpr zent::WPARAM kNotifySpeed = 0x40B;
constexpr zent::WPARAM kNotifyCategory = 0x423;

// Screen modes.
constexpr int kScreenNormal = 1;
constexpr int kScreenMaximized = 3;
constexpr int kScreenFull = 0x10003;

// The rectangles of the four views for a view mode and a layout n (0: one picture, 1: two,
// 2: four quarters, other: none) in a video area; empty rectangles are hidden views.
std::array<zent::RECT, 4> ComputeVideoLayout(int nMode, int n, const zent::RECT& rcArea);

class CTorvixPlayerMainDlg : public zent::CInDialog {
public:
    CTorvixPlayerMainDlg(zent::UINT id, zent::CWnd* parent);
    ~CTorvixPlayerMainDlg() override;

    // What makes the player object; tests hand in one of their own. The default makes the libvlc
    // player on the four views.
    using PlayerMaker = std::function<std::unique_ptr<IZentPlayer>(const std::array<zent::HWND, 4>&)>;
    static void SetPlayerMaker(PlayerMaker maker);
    // The playability decision (model, path); tests hand in their own. The default probes.
    using PlayableRule = std::function<bool(const std::wstring& model, const std::wstring& path)>;
    static void SetPlayableRule(PlayableRule rule);

    // --- playback flow ---
    void FilePlay();
    void CreatePlayer(bool bIs4K);
    void DestroyPlayer(bool bDelete);
    bool SetPlayFileFromList(int index);
    void InitPlay();
    void OnBtnStop();
    void OnBtnPrev();
    void OnBtnNext();
    void OnBtnBack10();
    void OnBtnForward10();
    void OnBtnPlay();
    void OnListDblClk(int index);
    void OnPlayEnd();
    void OnBtnMute();
    void OnBtnRepeat();
    void OnBtnMonochrome();
    void OnBtnExit();
    void OnBtnMinimize();
    void OnBtnHelp();
    void OnVideoSlider(int value);
    void OnVolumeSlider(int value);
    void OnChangePlayPos(int nDuration, int nPlayTime);
    void SetViewModeCommand(int nMode);
    void ChangeVideoViewMode(int nMode, int n);

    // --- list and browsing ---
    void OnFileOpen();
    void OnReqestedRefreshFileFolder();
    // Scans a folder with the file-load dialog and fills the list (what a chosen folder leads to).
    void RefreshFilesInFolder(const std::wstring& folder);
    void FillList(int nCategory);
    void FillSearchList(int nCategory);
    void OnDeleteKey();
    void OnSearchRequest(const std::wstring& text);
    void OnCategoryChanged(int nCategory);

    // The file-load dialog's worker: scan, build the lists and entries; never touches a window.
    void ScanForFileLoad();
    // The file-load dialog ends (0x403): fill the list control from what the worker built.
    void OnFileLoadDone();

    // Keys that reach the top-level window (the top-level dialog hands every key-down here).
    void OnKeyDown(zent::UINT key, zent::HWND hwndTarget);

    // --- state, for the top-level window and tests ---
    IZentPlayer* GetPlayer() const { return m_pPlayer.get(); }
    int GetScreenMode() const { return m_nScreenMode; }
    zent::CInDialog* GetFullScreenWnd() const { return nullptr; }
    int GetViewMode() const { return m_nViewMode; }
    int GetCurrentItemNo() const { return m_nCurrentItemNo; }
    int GetSelIndex() const { return m_nSelIndex; }
    int GetDuration() const { return m_nDuration; }
    int GetPlayPos() const { return m_nPlayPos; }
    bool IsPlayStarted() const { return m_bPlayStarted; }
    bool IsMuted() const { return m_bMute; }
    bool IsRepeatOn() const;
    const std::wstring& GetPlayFile() const { return m_strPlayFile; }
    int GetItemCount() const { return m_nItemCount; }
    int GetCategory() const { return m_nCategory; }
    const std::vector<std::wstring>& GetShownList() const { return m_vecShown; }
    CRecordingCatalog& GetCatalog() { return m_catalog; }
    CSkinListCtrl& GetVideoList() { return m_listVideo; }
    CBmpComboBox& GetCategoryCombo() { return m_cbCategory; }
    CBmpComboBox& GetZoomCombo() { return m_cbZoom; }
    CBmpComboBox& GetSpeedCombo() { return m_cbSpeed; }
    CBmpSlider& GetVideoSlider() { return m_sliderVideo; }
    CBmpSlider& GetVolumeSlider() { return m_sliderVolume; }
    COglViewWnd& GetView(int i) { return m_views[static_cast<std::size_t>(i)]; }
    const std::wstring& GetPlayTimeText() const { return m_txtPlayTime.GetText(); }
    const std::wstring& GetTotalTimeText() const { return m_txtTotalTime.GetText(); }
    const std::wstring& GetFileNameText() const { return m_txtFileName.GetText(); }
    const std::wstring& GetSelFolder() const { return m_strSelFolder; }
    void SetSelFolder(const std::wstring& folder) { m_strSelFolder = folder; }
    const std::wstring& GetScanFolder() const { return m_strScanFolder; }
    CSpeedGaugeWnd& GetGauge() { return m_gauge; }
    CSensorViewWnd& GetGraph() { return m_graph; }
    CMapView& GetMap() { return m_map; }
    const std::wstring& GetPlaceTextShown() const { return m_strPlaceText; }
    std::wstring GetReadOutText(int axis) const { return (axis == 0 ? m_txtGx : axis == 1 ? m_txtGy : m_txtGz).GetText(); }
    // The language text of the last pop-up shown (group 0 item), 0 when none.
    int GetLastPopupText() const { return m_nLastPopupText; }
    // The tick of the loop's clock in milliseconds.
    static zent::DWORD GetTick();

protected:
    zent::BOOL OnInitDialog() override;
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;
    int LButtonDown(zent::UINT flags, zent::POINT pt) override;
    int MouseMove(zent::UINT flags, zent::POINT pt) override;
    // Every key-down meant for this window or a child of it arrives here first.
    int KeyDown(zent::UINT key, zent::UINT repeat, zent::UINT flags) override;

private:
    static PlayerMaker& MakerSlot();
    static PlayableRule& RuleSlot();

    // Set-up.
    void BuildControls();
    void InitButton(zent::CBmpButton& button, zent::UINT id, const skin::ButtonIds& ids);
    void InitLabel(zent::CBmpText& text, zent::UINT ctrlId, zent::UINT imageId, int height, zent::UINT format,
                   zent::COLORREF colour, const std::wstring& value);
    void InitPicture(zent::CBmpStatic& picture, zent::UINT ctrlId, zent::UINT imageId);
    void InitChoiceList(CBmpComboBox& combo, zent::UINT ctrlId, zent::UINT imageId, zent::UINT openImageId,
                        zent::WPARAM notify, const std::vector<std::wstring>& entries, int selected);
    void CreateViews();
    void CreateTooltips();
    void OnCommand(zent::UINT id);
    void OnNotify(zent::LPARAM lParam);
    void OnTimer(zent::UINT_PTR id);
    void OnStartTimer();
    bool HitTooltip(zent::POINT pt);

    // Playback helpers.
    void SkipRecording(int nStep, const char* pszName);
    void ShowPopup(int nTextItem);
    void ResetDashboard();
    // The dashboard: the track of the opened recording, the gauge, graph and read-out.
    void OpenDashboard();
    void CloseDashboard();
    void UpdateDashboard();
    void ShowReadOut();
    bool GetSampleAt(int nSecond, GpsFix& fix) const;
    std::wstring GetPlaceText(int nSecond);
    void OnGraphModeButton(int nMode);
    void UpdateGraphButtons();
    void UpdateGraphScale();
    // The map beside the video.
    void OnOpenRoute();
    void OnCloseRoute();
    void OnPlacePosition(int nSecond, const std::wstring& place);
    void OnSeekRoute(int nSecond);
    void UpdateSpeedcamPanel();
    void SetPlayButtonImages(bool bPlaying);
    void UpdateViewButtons();
    void UpdateFileNameLabel();
    void SetMonochromeButton(bool bOn);
    void SetTimeLabel(zent::CBmpText& label, int nSeconds);
    float GetSpeedRate() const;
    float GetZoomFactor() const;
    void RedrawList();
    void LayoutViewsForStop();

    // List helpers.
    // The folder chooser (GTK dialogs belong to the GUI thread: the chooser is a nested loop that
    // keeps timers, painting and playback going, which is what a thread of its own was for).
    void BrowsePlayFolder();
    void AddListRows(const std::vector<std::wstring>& paths);
    void BuildRows(int nCategory, const std::wstring& search);
    void SelectListItem(int index);
    void SetBbxInfo(const std::wstring& folder);

    CTorvixPlayerDocument* Doc() const;

    // Controls, in painting order.
    zent::CBmpStatic m_imgTitleBand, m_imgLogo, m_imgBanner, m_imgGraphPanel, m_imgGraphScale,
        m_imgListOptionBg, m_imgListFrame, m_imgToolBg, m_imgVolumeBg;
    CSpeedGaugeWnd m_gauge;
    CSensorViewWnd m_graph; // owns the open recording's track
    CMapView m_map;
    CBmpWebLink m_speedcam; // the speed-camera page, over the idle video area
    zent::CBmpText m_txtModel, m_txtFirmware, m_txtFileName, m_txtChannel, m_txtPlayTime, m_txtTotalTime,
        m_txtZoomLabel, m_txtSpeedLabel, m_txtMonoLabel, m_txtAiLabel, m_txtVolume, m_txtGx, m_txtGy, m_txtGz;
    zent::CBmpButton m_btnHelp, m_btnMin, m_btnMax, m_btnFull, m_btnExit, m_btnFront, m_btnRear, m_btnFrontRear,
        m_btnCh3, m_btnCh4, m_btnOpen, m_btnPrev, m_btnBack10, m_btnPlay, m_btnForward10, m_btnNext, m_btnStop,
        m_btnMono, m_btnAi, m_btnCapture, m_btnRepeat, m_btnDownload, m_btnSetting, m_btnSpeaker, m_btnSensor,
        m_btnSpeed;
    CBmpSlider m_sliderVideo, m_sliderVolume;
    CBmpComboBox m_cbZoom, m_cbSpeed, m_cbCategory;
    CBmpSearchEdit m_editSearch;
    CSkinListCtrl m_listVideo;
    std::array<COglViewWnd, 4> m_views;

    // The player (after the views: it renders into them and goes first).
    std::unique_ptr<IZentPlayer> m_pPlayer;

    // Playback state.
    bool m_bIs4K = false;
    std::wstring m_strPlayFile;
    int m_nCurrentItemNo = 0;
    int m_nSelIndex = 0;
    int m_nDuration = 0;
    int m_nPlayPos = 0;
    bool m_bPlayStarted = false;
    int m_nViewMode = 5;
    int m_nScreenMode = kScreenNormal;
    bool m_bMute = false;
    bool m_bMonochrome = false;
    bool m_bRepeat = false;
    bool m_bStartPictureShown = true;
    std::wstring m_strModel;
    zent::DWORD m_dwLastSeekTick = 0;
    zent::DWORD m_dwLastSkipTick = 0;
    bool m_bSeekTickValid = false;
    bool m_bSkipTickValid = false;
    int m_nLastPopupText = 0;
    int m_nGraphMode = 0;
    int m_nSpeedUnit = 0; // "SpeedUnit" as the open recording was opened
    std::wstring m_strPlaceText;

    // Lists and browsing.
    CAdminDistrict m_districts;
    CRecordingCatalog m_catalog;
    std::vector<std::wstring> m_vecShown; // the selection list of the last fill
    std::wstring m_strSelFolder;
    std::wstring m_strScanFolder;
    int m_nCategory = 0;
    bool m_bPausedForBrowse = false;
    int m_nItemCount = 0;
    std::wstring m_strLastSearch;
    bool m_bBrowsing = false;
    bool m_bScanning = false;

    // Tooltips: the control under the pointer that shows its text.
    zent::UINT m_nTooltipCtrl = 0;
    bool m_bTooltipsOn = false;
    bool m_bPainted = false;
};
