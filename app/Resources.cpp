#include "app/Resources.h"

#include <zent/platform/DialogTemplate.h>
#include <zent/platform/Window.h>

namespace player {

namespace {

using zent::DialogItemTemplate;
using zent::DialogTemplate;
using zent::WS_CHILD;
using zent::WS_POPUP;

// Items in painting order: the title band and the panels lie under the controls placed on them.
constexpr DialogItemTemplate kMainItems[] = {
    {L"Static", IDC_TITLE_BACKGROUND, 0, 0, 10, 10},
    {L"Static", IDC_LOGO, 0, 0, 10, 10},
    {L"Static", IDC_MODEL_NAME, 0, 0, 10, 10},
    {L"Static", IDC_FIRMWARE_VER, 0, 0, 10, 10},
    {L"Button", IDC_BTN_HELP, 0, 0, 10, 10},
    {L"Button", IDC_BTN_MIN, 0, 0, 10, 10},
    {L"Button", IDC_BTN_MAX, 0, 0, 10, 10},
    {L"Button", IDC_BTN_FULL, 0, 0, 10, 10},
    {L"Button", IDC_BTN_EXIT, 0, 0, 10, 10},
    {L"Static", IDC_FILE_NAME, 0, 0, 10, 10},
    {L"Static", IDC_CHANNEL, 0, 0, 10, 10},
    {L"Button", IDC_BTN_FRONT, 0, 0, 10, 10},
    {L"Button", IDC_BTN_REAR, 0, 0, 10, 10},
    {L"Button", IDC_BTN_FRONT_REAR, 0, 0, 10, 10},
    {L"Button", IDC_BTN_CH3, 0, 0, 10, 10},
    {L"Button", IDC_BTN_CH4, 0, 0, 10, 10},
    {L"Static", IDC_BANNER_VIEW, 0, 0, 10, 10},
    {L"Static", IDC_MAP, 0, 0, 10, 10},
    {L"Static", IDC_GAUGE_BG, 0, 0, 10, 10},
    {L"Static", IDC_GRAPH_BG, 0, 0, 10, 10},
    {L"Static", IDC_GRAPH_Y_AXIS, 0, 0, 10, 10},
    {L"Static", IDC_GRAPH, 0, 0, 10, 10},
    {L"Button", IDC_BTN_SELECT_SENSOR, 0, 0, 10, 10},
    {L"Button", IDC_BTN_SELECT_SPEED, 0, 0, 10, 10},
    {L"Static", IDC_GSENSOR_X, 0, 0, 10, 10},
    {L"Static", IDC_GSENSOR_Y, 0, 0, 10, 10},
    {L"Static", IDC_GSENSOR_Z, 0, 0, 10, 10},
    {L"Static", IDC_LIST_OPTION_BACKGROUND, 0, 0, 10, 10},
    {L"Static", IDC_CATEGORY_COMBO, 0, 0, 10, 10},
    {L"Static", IDC_SEARCH_EDIT, 0, 0, 10, 10},
    {L"Static", IDC_VIDEO_LIST_FRAME, 0, 0, 10, 10},
    {L"Static", IDC_PLAY_TIME, 0, 0, 10, 10},
    {L"Static", IDC_VIDEO_SLIDER, 0, 0, 10, 10},
    {L"Static", IDC_TOTAL_TIME, 0, 0, 10, 10},
    {L"Button", IDC_BTN_FILE_OPEN, 0, 0, 10, 10},
    {L"Button", IDC_BTN_PREV, 0, 0, 10, 10},
    {L"Button", IDC_BTN_BACK10, 0, 0, 10, 10},
    {L"Button", IDC_BTN_PLAY, 0, 0, 10, 10},
    {L"Button", IDC_BTN_FORWARD10, 0, 0, 10, 10},
    {L"Button", IDC_BTN_NEXT, 0, 0, 10, 10},
    {L"Button", IDC_BTN_STOP, 0, 0, 10, 10},
    {L"Static", IDC_TOOL_BACKGROUND, 0, 0, 10, 10},
    {L"Static", IDC_ENLARGE_LABEL, 0, 0, 10, 10},
    {L"Static", IDC_ENLARGE_COMBO, 0, 0, 10, 10},
    {L"Static", IDC_PLAY_SPEED_LABEL, 0, 0, 10, 10},
    {L"Static", IDC_PLAY_SPEED_COMBO, 0, 0, 10, 10},
    {L"Static", IDC_MONOCHROME_LABEL, 0, 0, 10, 10},
    {L"Button", IDC_BTN_MONOCHROME, 0, 0, 10, 10},
    {L"Static", IDC_AI_LABEL, 0, 0, 10, 10},
    {L"Button", IDC_BTN_AI, 0, 0, 10, 10},
    {L"Button", IDC_BTN_CAPTURE, 0, 0, 10, 10},
    {L"Button", IDC_BTN_REPEAT, 0, 0, 10, 10},
    {L"Button", IDC_BTN_DOWNLOAD, 0, 0, 10, 10},
    {L"Button", IDC_BTN_SETTING, 0, 0, 10, 10},
    {L"Static", IDC_VOLUME_BACKGROUND, 0, 0, 10, 10},
    {L"Button", IDC_BTN_SPEAKER, 0, 0, 10, 10},
    {L"Static", IDC_VOLUME_SLIDER, 0, 0, 10, 10},
    {L"Static", IDC_VOLUME_VALUE, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kPopupItems[] = {
    {L"Static", IDC_POPUP_CAUTION, 0, 0, 10, 10},
    {L"Static", IDC_POPUP_MESSAGE, 0, 0, 10, 10},
    {L"Button", IDC_POPUP_CONFIRM, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kHelpItems[] = {
    {L"Static", 1095, 0, 0, 10, 10}, {L"Static", 1096, 0, 0, 10, 10}, {L"Static", 1097, 0, 0, 10, 10},
    {L"Static", 1098, 0, 0, 10, 10}, {L"Static", 1099, 0, 0, 10, 10}, {L"Static", 1100, 0, 0, 10, 10},
    {L"Static", 1101, 0, 0, 10, 10}, {L"Static", 1102, 0, 0, 10, 10}, {L"Static", 1103, 0, 0, 10, 10},
    {L"Static", 1104, 0, 0, 10, 10}, {L"Static", 1105, 0, 0, 10, 10}, {L"Static", 1106, 0, 0, 10, 10},
    {L"Static", 1107, 0, 0, 10, 10}, {L"Static", 1108, 0, 0, 10, 10}, {L"Static", 1109, 0, 0, 10, 10},
    {L"Static", 1110, 0, 0, 10, 10}, {L"Static", 1111, 0, 0, 10, 10}, {L"Static", 1112, 0, 0, 10, 10},
    {L"Button", 1093, 0, 0, 10, 10}, {L"Button", 1137, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kFileLoadItems[] = {
    {L"Static", IDC_FILELOAD_PROGRESS, 0, 0, 10, 10},
    {L"Static", IDC_FILELOAD_MESSAGE, 0, 0, 10, 10},
};

constexpr wchar_t kTitle[] = L"Torvix Player 2.0 4K";

constexpr DialogTemplate kTemplates[] = {
    {IDD_TORVIXPLAYER_DIALOG, 0, 0, 1280, 720, WS_POPUP, 0, kTitle, {}},
    {IDD_MAIN, 0, 0, 1280, 720, WS_CHILD, 0, L"", kMainItems},
    {IDD_POPUP, 0, 0, 400, 220, WS_POPUP, 0, L"", kPopupItems},
    {IDD_HELP, 0, 0, 600, 480, WS_POPUP, 0, L"", kHelpItems},
    {IDD_FILE_LOAD, 0, 0, 340, 150, WS_POPUP, 0, L"", kFileLoadItems},
};

} // namespace

const zent::CResModule& PlayerResources()
{
    static const zent::CResModule s_module{kTemplates, {}};
    return s_module;
}

} // namespace player
