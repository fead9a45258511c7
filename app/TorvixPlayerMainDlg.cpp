// The player window: set-up, its controls, the message table, tool tips, keys and exit.

#include "app/TorvixPlayerMainDlg.h"

#include "app/Resources.h"
#include "app/TorvixPlayerDocument.h"
#include "cardtools/TorvixPlayerPopUpDlg.h"
#include "diag/PrintLog.h"
#include "diag/Trace.h"
#include "engine/FFMpegPlayerEx.h"
#include "engine/StreamProbe.h"
#include "locale/AppFont.h"
#include "locale/LangRes.h"
#include "locale/Settings.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/util/QLBMLoader.h>

#include <filesystem>

using namespace zent;
using namespace player;

namespace {

constexpr UINT_PTR kStartTimer = 0x9103;
constexpr UINT_PTR kSettingsTimer = 0x3ED;
constexpr UINT_PTR kTooltipTimer = 0x9104;
constexpr UINT_PTR kSpeedcamTimer = 0x9105;
constexpr UINT kTooltipDelayMs = 600;

// Label colours of the skin.
constexpr COLORREF kTextLight = RGB(0xE6, 0xEA, 0xEF);
constexpr COLORREF kTextDim = RGB(0x9A, 0xA4, 0xB0);
constexpr COLORREF kTextAccent = RGB(0xF2, 0x7A, 0x1A);
constexpr COLORREF kTextWhite = RGB(0xFF, 0xFF, 0xFF);

constexpr int kAlign(UINT format)
{
    return static_cast<int>(format << BCS_TEXT_ALIGN_SHIFT);
}

} // namespace

CTorvixPlayerMainDlg::PlayerMaker& CTorvixPlayerMainDlg::MakerSlot()
{
    static PlayerMaker maker;
    return maker;
}

CTorvixPlayerMainDlg::PlayableRule& CTorvixPlayerMainDlg::RuleSlot()
{
    static PlayableRule rule;
    return rule;
}

void CTorvixPlayerMainDlg::SetPlayerMaker(PlayerMaker maker)
{
    MakerSlot() = std::move(maker);
}

void CTorvixPlayerMainDlg::SetPlayableRule(PlayableRule rule)
{
    RuleSlot() = std::move(rule);
}

DWORD CTorvixPlayerMainDlg::GetTick()
{
    const CMessageLoop* loop = CMessageLoop::Current();
    const auto now = loop ? loop->Now() : std::chrono::steady_clock::now();
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
}

CTorvixPlayerMainDlg::CTorvixPlayerMainDlg(UINT id, CWnd* parent) : CInDialog(id, parent) {}

CTorvixPlayerMainDlg::~CTorvixPlayerMainDlg()
{
    // The player renders into the views: it goes before them.
    m_pPlayer.reset();
    DestroyWindow();
}

CTorvixPlayerDocument* CTorvixPlayerMainDlg::Doc() const
{
    return dynamic_cast<CTorvixPlayerDocument*>(GetDocument());
}

// --- set-up ----------------------------------------------------------------------------------------

BOOL CTorvixPlayerMainDlg::OnInitDialog()
{
    CInDialog::OnInitDialog();
    LoadBackground(GetSkinLoader(), skin::kMainBackground, POINT{0, 0}, RGB(0x12, 0x16, 0x1C));

    // The interface language decides between class labels and district names in the list.
    m_catalog.SetLanguageId(LanguageIdFromIndex(GetLanguageIndex()));
    // The district of the play position is shown on the map in every language.
    m_districts.LoadAdminDistrict();
    if (GetLanguageIndex() == kLangIndexKorean) m_catalog.SetAdminDistrict(&m_districts);

    if (ApplyFirstRunDefaults()) {
        std::error_code ec;
        std::filesystem::create_directories(WideToPath(GetCapturePath()), ec);
    }
    m_nGraphMode = GetGraphMode();
    BuildControls();
    CreateViews();
    m_bIs4K = Is4KModel(m_strModel);
    CreatePlayer(true);
    m_nViewMode = 5;
    if (Doc()) Doc()->m_nViewMode = m_nViewMode;
    InitPlay();
    SetTimer(GetSafeHwnd(), kStartTimer, 100);
    return TRUE;
}

void CTorvixPlayerMainDlg::InitButton(CBmpButton& button, UINT id, const skin::ButtonIds& ids)
{
    if (!button.SubclassDlgItem(id, GetSafeHwnd())) return;
    button.InitControl(BCS_COMMAND_ON_RELEASE, GetSkinLoader(), ids.normal, ids.pressed, ids.disabled, ids.normal);
}

// Heights are negative: the character (em) size of the skin's texts, whatever the face's line
// spacing (the CJK faces have a much larger one than the Latin faces).
void CTorvixPlayerMainDlg::InitLabel(CBmpText& text, UINT ctrlId, UINT imageId, int height, UINT format,
                                     COLORREF colour, const std::wstring& value)
{
    if (!text.SubclassDlgItem(ctrlId, GetSafeHwnd())) return;
    // Image style 4 leaves the background under the text alone (the skin draws the panels).
    text.InitControl(kAlign(format | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS) | BCS_IMAGE_KEYED, GetSkinLoader(),
                     imageId);
    SetFontToObject(&text, height, 0, 500, 5, L"");
    text.SetColor(colour, colour, 0);
    text.SetText(value, 0);
}

void CTorvixPlayerMainDlg::InitPicture(CBmpStatic& picture, UINT ctrlId, UINT imageId)
{
    if (!picture.SubclassDlgItem(ctrlId, GetSafeHwnd())) return;
    picture.InitControl(GetSkinLoader(), imageId, BCS_IMAGE_KEYED, 0);
}

void CTorvixPlayerMainDlg::InitChoiceList(CBmpComboBox& combo, UINT ctrlId, UINT imageId, UINT openImageId,
                                          WPARAM notify, const std::vector<std::wstring>& entries, int selected)
{
    if (!combo.SubclassDlgItem(ctrlId, GetSafeHwnd())) return;
    combo.InitControl(ctrlId, imageId, openImageId, static_cast<UINT>(notify));
    SetFontToObject(&combo, -12, 0, 500, 5, L"");
    combo.SetTextOffset(8);
    for (const std::wstring& entry : entries) combo.AddString(entry);
    combo.SetCurSel(selected, 0);
}

void CTorvixPlayerMainDlg::BuildControls()
{
    QLBMLoader* loader = GetSkinLoader();

    InitPicture(m_imgTitleBand, IDC_TITLE_BACKGROUND, skin::kTitleBand);
    InitPicture(m_imgLogo, IDC_LOGO, skin::kLogo);
    InitLabel(m_txtModel, IDC_MODEL_NAME, skin::kModelName, -12, DT_LEFT, kTextLight, L"");
    InitLabel(m_txtFirmware, IDC_FIRMWARE_VER, skin::kFirmwareVer, -12, DT_LEFT, kTextDim, L"");
    InitButton(m_btnHelp, IDC_BTN_HELP, skin::kHelp);
    InitButton(m_btnMin, IDC_BTN_MIN, skin::kMinimise);
    InitButton(m_btnMax, IDC_BTN_MAX, skin::kMaximise);
    InitButton(m_btnFull, IDC_BTN_FULL, skin::kFullScreen);
    InitButton(m_btnExit, IDC_BTN_EXIT, skin::kExit);
    InitLabel(m_txtFileName, IDC_FILE_NAME, skin::kFileName, -13, DT_LEFT, kTextLight, L"");
    InitLabel(m_txtChannel, IDC_CHANNEL, skin::kChannel, -13, DT_CENTER, kTextAccent, L"");

    struct ViewButton {
        CBmpButton* button;
        UINT id;
        skin::ButtonIds ids;
        lang::LangId text;
    };
    const ViewButton viewButtons[] = {
        {&m_btnFront, IDC_BTN_FRONT, skin::kViewFront, lang::kViewFront},
        {&m_btnRear, IDC_BTN_REAR, skin::kViewRear, lang::kViewRear},
        {&m_btnFrontRear, IDC_BTN_FRONT_REAR, skin::kViewFrontRear, lang::kViewFrontRear},
        {&m_btnCh3, IDC_BTN_CH3, skin::kViewCh3, lang::kViewCh3},
        {&m_btnCh4, IDC_BTN_CH4, skin::kViewCh4, lang::kViewCh4},
    };
    for (const ViewButton& v : viewButtons) {
        InitButton(*v.button, v.id, v.ids);
        SetFontToObject(v.button, -11, 0, 700, 5, L"");
        v.button->SetTextColor(kTextLight, kTextLight);
        v.button->SetButtonText(GetLangString(v.text), 0);
    }

    InitPicture(m_imgBanner, IDC_BANNER_VIEW, skin::kStartPicture);
    if (m_map.SubclassDlgItem(IDC_MAP, GetSafeHwnd())) m_map.InitControl(loader, GetLanguageIndex());
    m_nSpeedUnit = GetSpeedUnit();
    m_map.SetSpeedUnit(m_nSpeedUnit);
    if (m_gauge.SubclassDlgItem(IDC_GAUGE_BG, GetSafeHwnd())) {
        m_gauge.InitControl();
        // The speed figures in the face carried for them.
        SetFontToObject(&m_gauge, 40, 0, 400, 0, L"Roboto");
        m_gauge.m_clrText = 0xFFFFFF;
        m_gauge.m_clrEffect = 0;
        m_gauge.m_clrThird = 0;
        m_gauge.ShowState(CSpeedGaugeWnd::GetIdleState(false, m_nSpeedUnit));
    }
    InitPicture(m_imgGraphPanel, IDC_GRAPH_BG, skin::kGraphPanel);
    InitPicture(m_imgGraphScale, IDC_GRAPH_Y_AXIS, skin::kGraphScaleG);
    if (m_graph.SubclassDlgItem(IDC_GRAPH, GetSafeHwnd())) {
        m_graph.InitControl();
        m_graph.SetGraphMode(m_nGraphMode);
        m_graph.SetSuppressed(1);
    }
    InitButton(m_btnSensor, IDC_BTN_SELECT_SENSOR, {skin::kGraphSensorOn, skin::kGraphSensorOn, skin::kGraphSensorOn});
    InitButton(m_btnSpeed, IDC_BTN_SELECT_SPEED, {skin::kGraphSpeedOff, skin::kGraphSpeedOff, skin::kGraphSpeedOff});
    UpdateGraphButtons();
    UpdateGraphScale();
    InitLabel(m_txtGx, IDC_GSENSOR_X, skin::kGsensorX, -10, DT_CENTER, kTextLight, L"");
    InitLabel(m_txtGy, IDC_GSENSOR_Y, skin::kGsensorY, -10, DT_CENTER, kTextLight, L"");
    InitLabel(m_txtGz, IDC_GSENSOR_Z, skin::kGsensorZ, -10, DT_CENTER, kTextLight, L"");

    InitPicture(m_imgListOptionBg, IDC_LIST_OPTION_BACKGROUND, skin::kListOptionBackground);
    std::vector<std::wstring> categories;
    for (lang::LangId id : lang::kCategoryTexts) categories.push_back(GetLangString(id));
    InitChoiceList(m_cbCategory, IDC_CATEGORY_COMBO, skin::kCategoryCombo, skin::kCategoryComboOpen, kNotifyCategory,
                   categories, 0);
    if (m_editSearch.SubclassDlgItem(IDC_SEARCH_EDIT, GetSafeHwnd())) {
        m_editSearch.InitControl(loader, skin::kSearchBox, skin::kSearchBoxFocus);
        SetFontToObject(&m_editSearch, -12, 0, 500, 5, L"");
        m_editSearch.SetHintText(GetLangString(lang::kPlayerSearchHint));
    }
    InitPicture(m_imgListFrame, IDC_VIDEO_LIST_FRAME, skin::kListFrame);

    InitLabel(m_txtPlayTime, IDC_PLAY_TIME, skin::kPlayTime, -12, DT_LEFT, kTextLight, L"00:00:00");
    if (m_sliderVideo.SubclassDlgItem(IDC_VIDEO_SLIDER, GetSafeHwnd())) {
        m_sliderVideo.InitControl(loader, skin::kVideoSliderTrack, skin::kVideoSliderThumb);
        m_sliderVideo.SetFillImage(loader, skin::kVideoSliderFill);
        m_sliderVideo.SetThumbPressedImage(loader, skin::kVideoSliderThumbPressed);
        m_sliderVideo.SetMaximum(0);
    }
    InitLabel(m_txtTotalTime, IDC_TOTAL_TIME, skin::kTotalTime, -12, DT_RIGHT, kTextLight, L"00:00:00");

    InitButton(m_btnOpen, IDC_BTN_FILE_OPEN, skin::kOpen);
    InitButton(m_btnPrev, IDC_BTN_PREV, skin::kPrev);
    InitButton(m_btnBack10, IDC_BTN_BACK10, skin::kBack10);
    InitButton(m_btnPlay, IDC_BTN_PLAY, skin::kPlay);
    InitButton(m_btnForward10, IDC_BTN_FORWARD10, skin::kForward10);
    InitButton(m_btnNext, IDC_BTN_NEXT, skin::kNext);
    InitButton(m_btnStop, IDC_BTN_STOP, skin::kStop);

    InitPicture(m_imgToolBg, IDC_TOOL_BACKGROUND, skin::kToolBackground);
    InitLabel(m_txtZoomLabel, IDC_ENLARGE_LABEL, skin::kZoomLabel, -11, DT_CENTER, kTextDim,
              GetLangString(lang::kPlayerZoomLabel));
    InitChoiceList(m_cbZoom, IDC_ENLARGE_COMBO, skin::kZoomCombo, skin::kZoomComboOpen, kNotifyZoom,
                   {L"1x", L"1.5x", L"2x", L"3x"}, 0);
    InitLabel(m_txtSpeedLabel, IDC_PLAY_SPEED_LABEL, skin::kSpeedLabel, -11, DT_CENTER, kTextDim,
              GetLangString(lang::kPlayerSpeedLabel));
    InitChoiceList(m_cbSpeed, IDC_PLAY_SPEED_COMBO, skin::kSpeedCombo, skin::kSpeedComboOpen, kNotifySpeed,
                   {L"0.5x", L"1x", L"1.5x", L"2x"}, 1);
    InitLabel(m_txtMonoLabel, IDC_MONOCHROME_LABEL, skin::kMonoLabel, -11, DT_CENTER, kTextDim,
              GetLangString(lang::kPlayerMonochromeLabel));
    InitButton(m_btnMono, IDC_BTN_MONOCHROME, skin::kMono);
    SetFontToObject(&m_btnMono, -11, 0, 700, 5, L"");
    m_btnMono.SetTextColor(kTextLight, kTextLight);
    m_btnMono.SetButtonText(L"OFF", 0);
    InitLabel(m_txtAiLabel, IDC_AI_LABEL, skin::kAiLabel, -11, DT_CENTER, kTextDim, GetLangString(lang::kPlayerAiLabel));
    InitButton(m_btnAi, IDC_BTN_AI, skin::kAi);
    SetFontToObject(&m_btnAi, -11, 0, 700, 5, L"");
    m_btnAi.SetTextColor(kTextLight, kTextLight);
    m_btnAi.SetButtonText(L"OFF", 0);
    // Nothing behind the AI button yet: it shows its state and takes no press.
    m_btnAi.SetDisableCtrl(1, 0);

    InitButton(m_btnCapture, IDC_BTN_CAPTURE, skin::kCapture);
    InitButton(m_btnRepeat, IDC_BTN_REPEAT, skin::kRepeat);
    InitButton(m_btnDownload, IDC_BTN_DOWNLOAD, skin::kDownload);
    InitButton(m_btnSetting, IDC_BTN_SETTING, skin::kSettings);
    // The settings dialog and the full-screen and maximised layouts come later; until
    // then their buttons show that they take no press.
    for (CBmpButton* later : {&m_btnSetting, &m_btnFull, &m_btnMax}) later->SetDisableCtrl(1, 0);

    InitPicture(m_imgVolumeBg, IDC_VOLUME_BACKGROUND, skin::kVolumeBackground);
    InitButton(m_btnSpeaker, IDC_BTN_SPEAKER, {skin::kMuteOff, skin::kMutePressed, skin::kMuteDisabled});
    const int volume = std::clamp(GetVideoVolume(), 0, 100);
    if (m_sliderVolume.SubclassDlgItem(IDC_VOLUME_SLIDER, GetSafeHwnd())) {
        m_sliderVolume.InitControl(loader, skin::kVolumeSliderTrack, skin::kVolumeSliderThumb);
        m_sliderVolume.SetFillImage(loader, skin::kVolumeSliderFill);
        m_sliderVolume.SetMaximum(100);
        m_sliderVolume.SetPos(volume, 0);
    }
    InitLabel(m_txtVolume, IDC_VOLUME_VALUE, skin::kVolumeValue, -12, DT_CENTER, kTextWhite, std::to_wstring(volume));

    // The recording list is a window of its own over the list frame.
    RECT rcList{};
    if (loader) loader->GetRect(static_cast<int>(skin::kList), &rcList);
    if (m_listVideo.Create(rcList, GetSafeHwnd(), IDC_VIDEO_LIST)) {
        m_listVideo.Initialise();
        m_listVideo.SetColumnOption(0, GetLangString(lang::kColumnDate), skin::kListColDate);
        m_listVideo.SetColumnOption(1, GetLangString(lang::kColumnTime), skin::kListColTime);
        m_listVideo.SetColumnOption(2, GetLangString(lang::kColumnType), skin::kListColType);
        m_listVideo.SetColumnOption(3, GetLangString(lang::kColumnChannel), skin::kListColChannel);
        m_listVideo.SetColumnOption(4, GetLangString(lang::kColumnDistrict), skin::kListColDistrict);
        // The Korean interface shows the district instead of the class: the class column's room
        // goes to the district names, which are long.
        if (GetLanguageIndex() == kLangIndexKorean) {
            RECT rcType{}, rcDistrict{};
            if (loader && loader->GetRect(static_cast<int>(skin::kListColType), &rcType) &&
                loader->GetRect(static_cast<int>(skin::kListColDistrict), &rcDistrict)) {
                m_listVideo.SetColumnWidth(2, 0);
                m_listVideo.SetColumnWidth(4, rcType.Width() + rcDistrict.Width());
            }
        }
        SendMessage(m_listVideo.GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(GetAppFont(-11, 0, 500, 5, L"")), 0);
    }
}

void CTorvixPlayerMainDlg::CreateViews()
{
    QLBMLoader* loader = GetSkinLoader();
    for (int i = 0; i < 4; ++i) {
        RECT rc{};
        if (loader) loader->GetRect(static_cast<int>(skin::kPane1) + i, &rc);
        m_views[static_cast<std::size_t>(i)].Create(rc, GetSafeHwnd(), IDC_PANE1 + static_cast<UINT>(i));
        ShowWindow(m_views[static_cast<std::size_t>(i)].GetSafeHwnd(), SW_HIDE);
    }
}

// --- messages ---------------------------------------------------------------------------------------

LRESULT CTorvixPlayerMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_NOTIFY: OnNotify(lParam); return 0;
    case WM_CLOSE:
    case WM_PLAYER_EXIT: OnBtnExit(); return 0;
    case WM_CONTROL_NOTIFY:
        if (wParam == kNotifyZoom) {
            if (m_pPlayer) m_pPlayer->Zoom(4, GetZoomFactor(), 0, 0);
        } else if (wParam == kNotifySpeed) {
            if (m_pPlayer) m_pPlayer->Speed(GetSpeedRate());
        } else if (wParam == kNotifyCategory) {
            OnCategoryChanged(static_cast<int>(lParam));
        }
        return 0;
    case WM_HSCROLL: {
        const HWND hwndFrom = reinterpret_cast<HWND>(lParam);
        const int value = static_cast<int>(HIWORD(wParam));
        if (hwndFrom == m_sliderVideo.GetSafeHwnd()) OnVideoSlider(value);
        else if (hwndFrom == m_sliderVolume.GetSafeHwnd()) OnVolumeSlider(value);
        return 0;
    }
    case WM_FFMPEG_PLAY_POS: OnChangePlayPos(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
    case WM_FFMPEG_PLAY_END: OnPlayEnd(); return 0;
    case WM_FILELOAD_DONE:
        if (m_pPlayer) m_pPlayer->m_hNotifyWnd = Doc() ? Doc()->GetMainWnd() : nullptr;
        RedrawList();
        return 0;
    case WM_TIMER: OnTimer(static_cast<UINT_PTR>(wParam)); return 0;
    case 0x7501:
    case 0x7502: return 0;
    case WM_SEARCH_REQUEST: {
        const auto* text = reinterpret_cast<const std::wstring*>(lParam);
        OnSearchRequest(text ? *text : std::wstring());
        return 0;
    }
    case WM_APP_BROWSE_FOLDER: BrowsePlayFolder(); return 0;
    case WM_BROWSE_DONE:
        m_bBrowsing = false;
        OnReqestedRefreshFileFolder();
        return 0;
    case WM_MAP_LOADED: TraceA("### %s", "CTorvixPlayerMainDlg::OnLoadMapComplete"); return 0;
    case WM_MAP_RESET:
        // The map has reset itself and shows its placeholder.
        m_map.Draw();
        return 0;
    case WM_PAINT:
        if (!m_bPainted) {
            m_bPainted = true;
            // What the start-up benchmark waits for.
            TraceA("### %s - first paint", "CTorvixPlayerMainDlg::OnPaint");
        }
        break;
    default: break;
    }
    return CInDialog::OnMessage(message, wParam, lParam);
}

void CTorvixPlayerMainDlg::OnCommand(UINT id)
{
    // A pressed control's tool tip has done its job (and must not stand over a dialog it opens).
    if (m_nTooltipCtrl) {
        m_nTooltipCtrl = 0;
        KillTimer(GetSafeHwnd(), kTooltipTimer);
        ShowToolTip(GetSafeHwnd(), L"", POINT{});
    }
    switch (id) {
    case IDC_BTN_FILE_OPEN: OnFileOpen(); break;
    case IDC_BTN_PLAY: OnBtnPlay(); break;
    case IDC_BTN_PREV: OnBtnPrev(); break;
    case IDC_BTN_NEXT: OnBtnNext(); break;
    case IDC_BTN_BACK10: OnBtnBack10(); break;
    case IDC_BTN_FORWARD10: OnBtnForward10(); break;
    case IDC_BTN_STOP: OnBtnStop(); break;
    case IDC_BTN_FRONT: SetViewModeCommand(0); break;
    case IDC_BTN_REAR: SetViewModeCommand(1); break;
    case IDC_BTN_CH3: SetViewModeCommand(2); break;
    case IDC_BTN_CH4: SetViewModeCommand(3); break;
    case IDC_BTN_FRONT_REAR: SetViewModeCommand(4); break;
    case IDC_BTN_MONOCHROME: OnBtnMonochrome(); break;
    case IDC_BTN_SPEAKER: OnBtnMute(); break;
    case IDC_BTN_REPEAT: OnBtnRepeat(); break;
    case IDC_BTN_CAPTURE:
    case IDC_BTN_DOWNLOAD:
        // Capture and backup need a playing recording.
        if (!m_pPlayer || !m_pPlayer->IsPlaying()) ShowPopup(lang::kMsgPlayFirst.item);
        break;
    case IDC_BTN_EXIT: OnBtnExit(); break;
    case IDC_BTN_HELP: OnBtnHelp(); break;
    case IDC_BTN_MIN: OnBtnMinimize(); break;
    case IDC_BTN_SELECT_SENSOR: OnGraphModeButton(0); break;
    case IDC_BTN_SELECT_SPEED: OnGraphModeButton(1); break;
    default: break;
    }
}

void CTorvixPlayerMainDlg::OnNotify(LPARAM lParam)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (!hdr || hdr->idFrom != IDC_VIDEO_LIST) return;
    if (hdr->code == NM_DBLCLK) {
        OnListDblClk(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
    } else if (hdr->code == LVN_KEYDOWN) {
        if (reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) OnDeleteKey();
    }
}

void CTorvixPlayerMainDlg::OnKeyDown(UINT key, HWND)
{
    if (key == VK_DELETE) OnDeleteKey();
}

int CTorvixPlayerMainDlg::KeyDown(UINT key, UINT, UINT)
{
    // The list moves its selection when it has the keyboard; it reports every key back to this
    // window (Delete removes the selected entry there).
    if (m_listVideo.GetSafeHwnd() && GetFocus() == m_listVideo.GetSafeHwnd()) {
        SendMessage(m_listVideo.GetSafeHwnd(), WM_KEYDOWN, key, 0);
        return 1;
    }
    OnKeyDown(key, GetSafeHwnd());
    return 1;
}

int CTorvixPlayerMainDlg::LButtonDown(UINT flags, POINT pt)
{
    // The title band moves the window.
    if (pt.y >= 0 && pt.y < 40 && pt.x >= 0 && pt.x < 1280 && m_nScreenMode == kScreenNormal) {
        BeginWindowDrag(GetSafeHwnd());
        return 1;
    }
    return CInDialog::LButtonDown(flags, pt);
}

// --- timers and tool tips -------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kStartTimer:
        KillTimer(GetSafeHwnd(), kStartTimer);
        OnStartTimer();
        break;
    case kSettingsTimer: KillTimer(GetSafeHwnd(), kSettingsTimer); break;
    case kSpeedcamTimer: UpdateSpeedcamPanel(); break;
    case kTooltipTimer: {
        KillTimer(GetSafeHwnd(), kTooltipTimer);
        for (const lang::ControlText& tip : lang::kPlayerTooltips) {
            if (static_cast<UINT>(tip.controlId) != m_nTooltipCtrl) continue;
            const HWND hwndCtrl = GetDlgItem(GetSafeHwnd(), tip.controlId);
            CBmpCtrl* ctrl = dynamic_cast<CBmpCtrl*>(CWnd::FromHandle(hwndCtrl));
            if (!ctrl) break;
            const RECT rc = ctrl->GetControlPos();
            ShowToolTip(GetSafeHwnd(), GetLangString(tip.text), POINT{rc.left, rc.bottom + 4});
        }
        break;
    }
    default: break;
    }
}

void CTorvixPlayerMainDlg::OnStartTimer()
{
    // A folder named on the command line, else the last access folder, is opened at once.
    std::wstring folder = Doc() ? Doc()->m_strStartFolder : std::wstring();
    if (folder.empty()) folder = GetLastAccessFolder();
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_directory(WideToPath(folder), ec)) RefreshFilesInFolder(folder);
    CreateTooltips();
    // The speed-camera page shows over the idle video area once it has loaded. Its web view is
    // made now, after the window's first picture: making it costs about 300 ms of start-up.
    if (m_speedcam.Create(RECT{140, 146, 820, 546}, GetSafeHwnd(), IDC_SPEEDCAM_PANEL, GetSkinLoader(),
                          GetLanguageIndex()))
        m_speedcam.SetVisibleCtrl(0, 1);
    SetTimer(GetSafeHwnd(), kSpeedcamTimer, 1000);
}

void CTorvixPlayerMainDlg::CreateTooltips()
{
    m_nTooltipCtrl = 0;
    m_bTooltipsOn = true;
}

int CTorvixPlayerMainDlg::MouseMove(UINT flags, POINT pt)
{
    if (m_bTooltipsOn) HitTooltip(pt);
    return CInDialog::MouseMove(flags, pt);
}

bool CTorvixPlayerMainDlg::HitTooltip(POINT pt)
{
    for (const lang::ControlText& tip : lang::kPlayerTooltips) {
        const HWND hwndCtrl = GetDlgItem(GetSafeHwnd(), tip.controlId);
        const auto* ctrl = dynamic_cast<const CBmpCtrl*>(CWnd::FromHandle(hwndCtrl));
        if (!ctrl || !ctrl->GetVisibleCtrl() || !ctrl->GetControlPos().Contains(pt)) continue;
        if (m_nTooltipCtrl != static_cast<UINT>(tip.controlId)) {
            m_nTooltipCtrl = static_cast<UINT>(tip.controlId);
            ShowToolTip(GetSafeHwnd(), L"", pt);
            SetTimer(GetSafeHwnd(), kTooltipTimer, kTooltipDelayMs);
        }
        return true;
    }
    if (m_nTooltipCtrl) {
        m_nTooltipCtrl = 0;
        KillTimer(GetSafeHwnd(), kTooltipTimer);
        ShowToolTip(GetSafeHwnd(), L"", pt);
    }
    return false;
}

// --- window commands -------------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnBtnExit()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::OnBtnExit");
    if (m_pPlayer && m_pPlayer->GetState() > ZENT_PLAYER_READY) {
        m_pPlayer->Stop();
        DestroyPlayer(true);
    }
    if (Doc() && Doc()->GetMainWnd()) PostMessage(Doc()->GetMainWnd(), WM_CLOSE, 0, 0);
}

void CTorvixPlayerMainDlg::OnBtnMinimize()
{
    const HWND top = GetAncestor(GetSafeHwnd(), GA_ROOT);
    SetWindowState(top, GetWindowState(top) == WindowState::Minimized ? WindowState::Normal : WindowState::Minimized);
}

void CTorvixPlayerMainDlg::OnBtnHelp()
{
    if (!Doc() || !Doc()->GetMainWnd()) return;
    std::unique_ptr<CInDialog> help(reinterpret_cast<CInDialog*>(
        SendMessage(Doc()->GetMainWnd(), 0x6F0, IDD_HELP, reinterpret_cast<LPARAM>(GetSafeHwnd()))));
    if (help) help->DoModal();
}

void CTorvixPlayerMainDlg::ShowPopup(int nTextItem)
{
    m_nLastPopupText = nTextItem;
    ShowMessagePopup(Doc(), GetLangString(0, nTextItem), GetSafeHwnd());
}
