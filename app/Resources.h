#pragma once

// Dialog and control ids of the player program, and its dialog templates. Controls are laid out
// by the skin (every control moves to the rectangle of its image id when it initialises), so the
// templates only name the items; the template rectangles are placeholders.

#include <zent/bctrl/ResModule.h>
#include <zent/platform/Types.h>

namespace player {

using zent::UINT;

// Dialogs.
constexpr UINT IDD_TORVIXPLAYER_DIALOG = 102;
constexpr UINT IDD_MAIN = 129;
constexpr UINT IDD_CONFIG = 132;
constexpr UINT IDD_HELP = 133;
constexpr UINT IDD_POPUP = 134;
constexpr UINT IDD_SELECT_FOLDER = 135;
constexpr UINT IDD_FULL = 136;
constexpr UINT IDD_MEMORYCARD_FORMAT = 137;
constexpr UINT IDD_UPDATE = 140;
constexpr UINT IDD_DOWNLOAD_INSTALLER = 141;
constexpr UINT IDD_FIRMWARE_UPDATE = 142;
constexpr UINT IDD_ALERTCAM_UPDATE = 143;
constexpr UINT IDD_FILE_LOAD = 144;
constexpr UINT IDD_CAPTURE_SELECT_FOLDER = 145;

// Player window controls.
constexpr UINT IDC_LOGO = 1000;
constexpr UINT IDC_MODEL_NAME = 1001;
constexpr UINT IDC_FIRMWARE_VER = 1002;
constexpr UINT IDC_BTN_HELP = 1003;
constexpr UINT IDC_BTN_MIN = 1004;
constexpr UINT IDC_BTN_MAX = 1005;
constexpr UINT IDC_FILE_NAME = 1006;
constexpr UINT IDC_CHANNEL = 1007;
constexpr UINT IDC_BTN_FRONT = 1008;
constexpr UINT IDC_BTN_REAR = 1009;
constexpr UINT IDC_BTN_FULL = 1010;
constexpr UINT IDC_BTN_EXIT = 1011;
constexpr UINT IDC_BTN_FRONT_REAR = 1012;
constexpr UINT IDC_VIDEO_VIEW = 1013;
constexpr UINT IDC_GAUGE_BG = 1014;
constexpr UINT IDC_GRAPH_BG = 1015;
constexpr UINT IDC_BTN_CH3 = 1016;
constexpr UINT IDC_BTN_CH4 = 1017;
constexpr UINT IDC_GSENSOR_X = 1020;
constexpr UINT IDC_GSENSOR_Y = 1021;
constexpr UINT IDC_GSENSOR_Z = 1022;
constexpr UINT IDC_PLAY_TIME = 1023;
constexpr UINT IDC_TOTAL_TIME = 1024;
constexpr UINT IDC_VIDEO_SLIDER = 1025;
constexpr UINT IDC_GRAPH_Y_AXIS = 1026;
constexpr UINT IDC_BTN_SELECT_SENSOR = 1027;
constexpr UINT IDC_BTN_SELECT_SPEED = 1028;
constexpr UINT IDC_TOOL_BACKGROUND = 1029;
constexpr UINT IDC_ENLARGE = 1030;
constexpr UINT IDC_ENLARGE_LABEL = 1031;
constexpr UINT IDC_ENLARGE_COMBO = 1032;
constexpr UINT IDC_PLAY_SPEED = 1033;
constexpr UINT IDC_PLAY_SPEED_LABEL = 1034;
constexpr UINT IDC_PLAY_SPEED_COMBO = 1035;
constexpr UINT IDC_MONOCHROME = 1036;
constexpr UINT IDC_MONOCHROME_LABEL = 1037;
constexpr UINT IDC_BTN_MONOCHROME = 1038;
constexpr UINT IDC_AI = 1039;
constexpr UINT IDC_AI_LABEL = 1040;
constexpr UINT IDC_BTN_AI = 1041;
constexpr UINT IDC_BTN_FILE_OPEN = 1042;
constexpr UINT IDC_BTN_PREV = 1043;
constexpr UINT IDC_BTN_NEXT = 1044;
constexpr UINT IDC_BTN_BACK10 = 1045;
constexpr UINT IDC_BTN_FORWARD10 = 1046;
constexpr UINT IDC_BTN_STOP = 1048;
constexpr UINT IDC_BTN_CAPTURE = 1049;
constexpr UINT IDC_BTN_REPEAT = 1050;
constexpr UINT IDC_BTN_DOWNLOAD = 1051;
constexpr UINT IDC_BTN_SETTING = 1052;
constexpr UINT IDC_VOLUME_BACKGROUND = 1053;
constexpr UINT IDC_VIDEO_LIST_FRAME = 1055;
constexpr UINT IDC_VIDEO_LIST = 1056;
constexpr UINT IDC_LIST_OPTION_BACKGROUND = 1057;
constexpr UINT IDC_SEARCH_EDIT = 1058;
constexpr UINT IDC_CATEGORY_COMBO = 1059;
constexpr UINT IDC_MAP = 1062;
constexpr UINT IDC_TITLE_BACKGROUND = 1063;
constexpr UINT IDC_BTN_SPEAKER = 1064;
constexpr UINT IDC_VOLUME_SLIDER = 1065;
constexpr UINT IDC_VOLUME_VALUE = 1066;
constexpr UINT IDC_PANE1 = 1067;
constexpr UINT IDC_PANE2 = 1068;
constexpr UINT IDC_PANE3 = 1069;
constexpr UINT IDC_PANE4 = 1070;
constexpr UINT IDC_BTN_PLAY = 1071;
constexpr UINT IDC_GRAPH = 1072;
constexpr UINT IDC_BANNER_VIEW = 1074;
// Ours: the speed-camera panel over the idle video area.
constexpr UINT IDC_SPEEDCAM_PANEL = 1075;

// Message pop-up controls.
constexpr UINT IDC_POPUP_CONFIRM = 1093;
constexpr UINT IDC_POPUP_CAUTION = 1113;
constexpr UINT IDC_POPUP_MESSAGE = 1114;

// File-load dialog controls (the skin places them; the template only names them).
constexpr UINT IDC_FILELOAD_PROGRESS = 1140;
constexpr UINT IDC_FILELOAD_MESSAGE = 1141;

// The program's dialog templates.
const zent::CResModule& PlayerResources();

} // namespace player
