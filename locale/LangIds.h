#pragma once

// Names for every interface text of the language table (data/lang/strings.tsv), grouped by the
// window that shows it, so that code asks for a text by name instead of by two bare numbers.
// Each constant here must have a row in the table with a text in every language; a test holds
// the two together in both directions.

#include <array>
#include <cstdint>

namespace lang {

struct LangId {
    std::uint16_t group;
    std::uint16_t item;
    friend constexpr bool operator==(LangId, LangId) = default;
};

// Message pop-up texts (group 0) and the folder browser's title.
inline constexpr LangId kMsgLanguageKorean{0, 1};
inline constexpr LangId kMsgLanguageEnglish{0, 2};
inline constexpr LangId kMsgLanguageJapanese{0, 3};
inline constexpr LangId kMsgChooseSaveFolder{0, 4};
inline constexpr LangId kMsgFirmwareListFailed{0, 11};
inline constexpr LangId kMsgNotPlayable{0, 13};
inline constexpr LangId kMsgFolderPathTooLong{0, 14};
// 21 is the player window's "cannot open the recording"; the firmware check's "firmware is
// current", which was given the same number, has 22 of its own.
inline constexpr LangId kPlayerNoFile{0, 21};
inline constexpr LangId kMsgFirmwareCurrent{0, 22};
inline constexpr LangId kMsgPlayFirst{0, 44};
inline constexpr LangId kBrowseFolderTitle{0, 81};

// The notice shown before the restart that a language change needs: the text whose item is the
// new language index plus one, with index 3 counting as 0.
constexpr LangId LanguageChangeNotice(int newIndex)
{
    return LangId{0, static_cast<std::uint16_t>((newIndex >= 0 && newIndex <= 2 ? newIndex : newIndex == 3 ? 0 : 1) + 1)};
}

// Memory card format dialog (137).
inline constexpr LangId kFormatTitle{15, 1};
inline constexpr LangId kFormatCaution{15, 2};
inline constexpr LangId kFormatDrive{15, 3};
inline constexpr LangId kFormatRefresh{15, 4};
inline constexpr LangId kFormatNoDrive{15, 5};
inline constexpr LangId kFormatStart{15, 6};
inline constexpr LangId kFormatCancel{15, 7};
inline constexpr LangId kFormatClose{15, 8};
inline constexpr LangId kFormatDone{15, 9};
inline constexpr LangId kFormatFailed{15, 10};

// Update dialog (140), installer download (141), firmware (142) and speed-camera (143) waits.
inline constexpr LangId kUpdateTitle{16, 1};
inline constexpr LangId kUpdateNewVersion{16, 2};   // holds one %s: FormatLangString
inline constexpr LangId kUpdateDescCaption{16, 3};
inline constexpr LangId kUpdateAutoCheck{16, 4};
inline constexpr LangId kUpdateNow{16, 5};
inline constexpr LangId kUpdateLater{16, 6};
inline constexpr LangId kDownloadTitle{16, 7};
inline constexpr LangId kDownloadCaption{16, 8};
inline constexpr LangId kDownloadCancel{16, 9};
inline constexpr LangId kFirmwareWait{16, 10};
inline constexpr LangId kUpdateDownloadFailed{16, 11};
inline constexpr LangId kAlertcamWait{16, 12};
inline constexpr LangId kFirmwareDone{16, 41};
inline constexpr LangId kFirmwareUnpackFailed{16, 42};
inline constexpr LangId kAlertcamDone{16, 70};
inline constexpr LangId kAlertcamUnpackFailed{16, 71};

// Settings dialog (132).
inline constexpr LangId kConfigTitle{17, 1};
inline constexpr LangId kConfigCardFormat{17, 2};
inline constexpr LangId kConfigFirmware{17, 3};
inline constexpr LangId kConfigFirmwareButton{17, 4};
inline constexpr LangId kConfigAlertcam{17, 5};
inline constexpr LangId kConfigAlertcamButton{17, 6};
inline constexpr LangId kConfigLanguage{17, 7};
inline constexpr LangId kConfigLangKorean{17, 8};
inline constexpr LangId kConfigLangDutch{17, 9};
inline constexpr LangId kConfigLangEnglish{17, 10};
inline constexpr LangId kConfigLangJapanese{17, 11};
inline constexpr LangId kConfigSpeedUnit{17, 12};
inline constexpr LangId kConfigUnitKmh{17, 13};
inline constexpr LangId kConfigUnitMph{17, 14};
inline constexpr LangId kConfigAutoUpdate{17, 15};
inline constexpr LangId kConfigAutoUpdateDesc{17, 16};
inline constexpr LangId kConfigPlayerVersion{17, 17};   // holds one %s: FormatLangString
inline constexpr LangId kConfigConfirm{17, 18};
inline constexpr LangId kConfigClose{17, 19};

// The language list of the settings dialog, in list order (list position -> language index
// 0, 3, 1, 2).
inline constexpr std::array<LangId, 4> kConfigLanguageList{kConfigLangKorean, kConfigLangDutch, kConfigLangEnglish,
                                                          kConfigLangJapanese};
inline constexpr std::array<LangId, 2> kConfigUnitList{kConfigUnitKmh, kConfigUnitMph};

// Help dialog (133); the item is the control id minus 1094.
inline constexpr LangId kHelpTitle{18, 1};
inline constexpr LangId kHelpShortcut{18, 2};
inline constexpr LangId kHelpPlayAndPause{18, 3};
inline constexpr LangId kHelpPlaySpeedControl{18, 4};
inline constexpr LangId kHelpPrevSeek{18, 5};
inline constexpr LangId kHelpVideoReduce{18, 6};
inline constexpr LangId kHelpNextSeek{18, 7};
inline constexpr LangId kHelpVideoEnlarge{18, 8};
inline constexpr LangId kHelpVolumeUp{18, 9};
inline constexpr LangId kHelpVolumeDown{18, 10};
inline constexpr LangId kHelpListDelete{18, 11};
inline constexpr LangId kHelpFullscreen{18, 12};
inline constexpr LangId kHelpFullscreenClose{18, 13};
inline constexpr LangId kHelpPrev{18, 14};
inline constexpr LangId kHelpNext{18, 15};
inline constexpr LangId kHelpExit{18, 16};
inline constexpr LangId kHelpFontTitle{18, 17};
inline constexpr LangId kHelpFontDesc{18, 18};
inline constexpr LangId kHelpConfirm{18, 19};
inline constexpr LangId kHelpClose{18, 20};

// The help dialog's texts by control id, 1095 to 1112 in resource order.
inline constexpr int kHelpFirstControl = 1095;
constexpr LangId HelpTextForControl(int controlId)
{
    return LangId{18, static_cast<std::uint16_t>(controlId - (kHelpFirstControl - 1))};
}

// Player window (129).
inline constexpr LangId kPlayerModelCaption{19, 2};
inline constexpr LangId kPlayerFirmwareCaption{19, 3};
inline constexpr LangId kCategoryAll{19, 10};
inline constexpr LangId kCategoryNormal{19, 11};
inline constexpr LangId kCategoryEvent{19, 12};
inline constexpr LangId kCategoryParking{19, 13};
inline constexpr LangId kCategoryMotion{19, 14};
inline constexpr LangId kCategoryCamcoder{19, 15};
inline constexpr LangId kCategoryMyFolder{19, 16};
inline constexpr LangId kCategoryUnknown{19, 17};
inline constexpr LangId kCategoryAiEvent{19, 18};
inline constexpr LangId kColumnDate{19, 20};
inline constexpr LangId kColumnTime{19, 21};
inline constexpr LangId kColumnChannel{19, 22};
inline constexpr LangId kColumnType{19, 23};
inline constexpr LangId kColumnDistrict{19, 24};
inline constexpr LangId kPlayerZoomLabel{19, 30};
inline constexpr LangId kPlayerSpeedLabel{19, 31};
inline constexpr LangId kPlayerMonochromeLabel{19, 32};
inline constexpr LangId kPlayerAiLabel{19, 33};
inline constexpr LangId kPlayerSearchHint{19, 35};
inline constexpr LangId kViewFront{19, 36};
inline constexpr LangId kViewRear{19, 37};
inline constexpr LangId kViewFrontRear{19, 38};
inline constexpr LangId kViewCh3{19, 39};
inline constexpr LangId kViewCh4{19, 40};
inline constexpr LangId kGraphSensor{19, 41};
inline constexpr LangId kGraphSpeed{19, 42};
inline constexpr LangId kTipHelp{19, 50};
inline constexpr LangId kTipMinimize{19, 51};
inline constexpr LangId kTipMaximize{19, 52};
inline constexpr LangId kTipFullScreen{19, 53};
inline constexpr LangId kTipExit{19, 54};
inline constexpr LangId kTipOpenFolder{19, 55};
inline constexpr LangId kTipPrevious{19, 56};
inline constexpr LangId kTipBack10{19, 57};
inline constexpr LangId kTipPlayPause{19, 58};
inline constexpr LangId kTipStop{19, 59};
inline constexpr LangId kTipForward10{19, 60};
inline constexpr LangId kTipNext{19, 61};
inline constexpr LangId kTipMute{19, 62};
inline constexpr LangId kTipCapture{19, 63};
inline constexpr LangId kTipRepeat{19, 64};
inline constexpr LangId kTipBackup{19, 65};
inline constexpr LangId kTipSettings{19, 66};
inline constexpr LangId kTipGraphSensor{19, 67};
inline constexpr LangId kTipGraphSpeed{19, 68};
inline constexpr LangId kMenuCaptureFrame{19, 70};    // command 20000
inline constexpr LangId kMenuSaveWithSound{19, 71};   // command 20001
inline constexpr LangId kMenuSaveVideoOnly{19, 72};   // command 20002

// The category selector's nine entries, by selector index (0 = all classes, then the classes).
inline constexpr std::array<LangId, 9> kCategoryTexts{kCategoryAll,     kCategoryNormal,   kCategoryEvent,
                                                      kCategoryParking, kCategoryMotion,   kCategoryCamcoder,
                                                      kCategoryMyFolder, kCategoryUnknown, kCategoryAiEvent};

// The player window's tooltips: control id and text.
struct ControlText {
    int controlId;
    LangId text;
};
inline constexpr std::array<ControlText, 19> kPlayerTooltips{{
    {1003, kTipHelp},     {1004, kTipMinimize},   {1005, kTipMaximize},   {1010, kTipFullScreen},
    {1011, kTipExit},     {1042, kTipOpenFolder}, {1043, kTipPrevious},   {1045, kTipBack10},
    {1071, kTipPlayPause}, {1048, kTipStop},      {1046, kTipForward10},  {1044, kTipNext},
    {1064, kTipMute},     {1049, kTipCapture},    {1050, kTipRepeat},     {1051, kTipBackup},
    {1052, kTipSettings}, {1027, kTipGraphSensor}, {1028, kTipGraphSpeed},
}};

// The video pop-up menu: command and text, in menu order.
inline constexpr std::array<ControlText, 3> kVideoMenu{{
    {20000, kMenuCaptureFrame}, {20001, kMenuSaveWithSound}, {20002, kMenuSaveVideoOnly},
}};

// Full-screen overlay (136).
inline constexpr LangId kFullChannelCaption{20, 1};
inline constexpr LangId kFullTypeCaption{20, 2};

// Message pop-up (134) and file-load dialog (144).
inline constexpr LangId kPopUpConfirm{21, 1};
inline constexpr LangId kPopUpTitle{21, 2};
inline constexpr LangId kFileLoadCaption{21, 3};

// Capture dialog (145) and backup dialog (135); the backup dialog shares the folder line and
// the two buttons.
inline constexpr LangId kCaptureTitle{25, 1};
inline constexpr LangId kCaptureSavePath{25, 2};
inline constexpr LangId kCaptureSelectFolder{25, 3};
inline constexpr LangId kCaptureAll{25, 4};
inline constexpr LangId kCaptureOnlyVideo{25, 5};
inline constexpr LangId kCaptureVideoMap{25, 6};
inline constexpr LangId kCaptureSave{25, 7};
inline constexpr LangId kCaptureCancel{25, 8};
inline constexpr LangId kBackupTitle{25, 9};
inline constexpr LangId kBackupWithSound{25, 10};
inline constexpr LangId kBackupVideoOnly{25, 11};
inline constexpr LangId kSavePathTooLong{25, 14};
inline constexpr LangId kBackupSavePath = kCaptureSavePath;
inline constexpr LangId kBackupSelectFolder = kCaptureSelectFolder;
inline constexpr LangId kBackupSave = kCaptureSave;
inline constexpr LangId kBackupCancel = kCaptureCancel;

} // namespace lang
