#pragma once

// Image ids of the skin file (data/skin/layout.tsv) that the program's windows use. An id is a
// picture and, through its stored rectangle, the place of the control that shows it.

#include <zent/platform/Types.h>

namespace skin {

using zent::UINT;

// A button's pictures: normal, pressed, disabled.
struct ButtonIds {
    UINT normal, pressed, disabled;
};

// Player window (129).
constexpr UINT kMainBackground = 1;
constexpr UINT kLogo = 2;
constexpr UINT kTitleBand = 3;
constexpr UINT kModelName = 4;
constexpr UINT kFirmwareVer = 5;
constexpr ButtonIds kHelp{6, 7, 8};
constexpr ButtonIds kMinimise{9, 10, 11};
constexpr ButtonIds kMaximise{12, 13, 14};
constexpr ButtonIds kFullScreen{15, 16, 17};
constexpr ButtonIds kExit{18, 19, 20};
constexpr UINT kFileName = 21;
constexpr UINT kChannel = 22;
constexpr ButtonIds kViewFront{23, 24, 25};
constexpr UINT kViewFrontSelected = 26;
constexpr ButtonIds kViewRear{27, 28, 29};
constexpr UINT kViewRearSelected = 30;
constexpr ButtonIds kViewFrontRear{31, 32, 33};
constexpr UINT kViewFrontRearSelected = 34;
constexpr ButtonIds kViewCh3{35, 36, 37};
constexpr UINT kViewCh3Selected = 38;
constexpr ButtonIds kViewCh4{39, 40, 207};
constexpr UINT kViewCh4Selected = 208;
constexpr UINT kGaugeFace = 42;
constexpr UINT kGaugeNeedleIdle = 43;
constexpr UINT kGaugeNoFix = 44;
constexpr UINT kGaugeHub = 48;
constexpr UINT kGraphBackground = 99;
constexpr UINT kGraphSensorOff = 101;
constexpr UINT kGraphSensorOn = 102;
constexpr UINT kGraphSpeedOff = 103;
constexpr UINT kGraphSpeedOn = 104;
constexpr UINT kGraphScaleKmh = 325;
constexpr UINT kGraphScaleMph = 326;
constexpr UINT kGraphScaleG = 105;
constexpr UINT kStartPicture = 106;
constexpr UINT kGraphPanel = 107;
constexpr UINT kGsensorX = 108;
constexpr UINT kGsensorY = 109;
constexpr UINT kGsensorZ = 110;
constexpr UINT kListOptionBackground = 111;
constexpr UINT kCategoryCombo = 112;
constexpr UINT kCategoryComboOpen = 113;
constexpr UINT kSearchBox = 114;
constexpr UINT kSearchBoxFocus = 115;
constexpr UINT kListFrame = 116;
constexpr UINT kList = 117;
constexpr UINT kListColDate = 119;
constexpr UINT kListColTime = 120;
constexpr UINT kListColType = 121;
constexpr UINT kListColChannel = 122;
constexpr UINT kListColDistrict = 206;
constexpr UINT kPlayTime = 125;
constexpr UINT kVideoSliderTrack = 126;
constexpr UINT kVideoSliderFill = 127;
constexpr UINT kVideoSliderThumb = 128;
constexpr UINT kVideoSliderThumbPressed = 129;
constexpr UINT kTotalTime = 130;
constexpr ButtonIds kOpen{131, 132, 133};
constexpr ButtonIds kPrev{134, 135, 136};
constexpr ButtonIds kBack10{137, 138, 139};
constexpr ButtonIds kPlay{140, 141, 142};
constexpr ButtonIds kPause{143, 144, 145};
constexpr ButtonIds kForward10{146, 147, 148};
constexpr ButtonIds kNext{149, 150, 151};
constexpr ButtonIds kStop{152, 153, 154};
constexpr UINT kToolBackground = 155;
constexpr UINT kZoomLabel = 157;
constexpr UINT kZoomCombo = 158;
constexpr UINT kMuteOff = 159;
constexpr UINT kMuteOn = 160;
constexpr UINT kZoomComboOpen = 161;
constexpr UINT kSpeedLabel = 163;
constexpr UINT kSpeedCombo = 164;
constexpr UINT kSpeedComboOpen = 165;
constexpr UINT kMonoLabel = 167;
constexpr ButtonIds kMono{168, 169, 170};
constexpr UINT kMonoOn = 171;
constexpr UINT kAiLabel = 173;
constexpr ButtonIds kAi{174, 175, 176};
constexpr ButtonIds kCapture{178, 179, 180};
constexpr ButtonIds kRepeat{181, 189, 190};
constexpr ButtonIds kRepeatOn{191, 192, 190};
constexpr UINT kMapPlaceholderNoGps = 183; // + language index 0..2
constexpr ButtonIds kDownload{193, 194, 195};
constexpr ButtonIds kSettings{196, 197, 198};
constexpr UINT kVolumeBackground = 199;
constexpr UINT kMutePressed = 200;
constexpr UINT kMuteDisabled = 201;
constexpr UINT kVolumeSliderTrack = 202;
constexpr UINT kVolumeSliderFill = 203;
constexpr UINT kVolumeSliderThumb = 204;
constexpr UINT kVolumeValue = 205;
constexpr UINT kVideoArea = 209;
constexpr UINT kPane1 = 210;

// Message pop-up (134).
constexpr UINT kPopupBackground = 267;
constexpr UINT kPopupCaution = 268;
constexpr UINT kPopupMessage = 269;
constexpr ButtonIds kPopupConfirm{670, 671, 672};

// File-load dialog (144).
constexpr UINT kFileLoadBackground = 790;
constexpr UINT kFileLoadProgress0 = 791; // eight frames
constexpr int kFileLoadFrames = 8;
constexpr UINT kFileLoadMessage = 799;

} // namespace skin
