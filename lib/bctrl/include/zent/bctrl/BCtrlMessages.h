#pragma once

// Message numbers exchanged between the skinned controls, their dialogs and the dialog stack.
// A control sends the 0x50x messages to its dialog with itself in wParam and 0 in lParam; the
// stack messages carry a template id in wParam and the screen's param in lParam.

#include <zent/platform/Types.h>

namespace zent {

// Control -> dialog.
constexpr UINT WM_BCTRL_INIT = 0x501;      // register me
constexpr UINT WM_BCTRL_DESTROY = 0x502;   // I am going away
constexpr UINT WM_BCTRL_FOCUS = 0x503;     // give me the focus
constexpr UINT WM_BCTRL_FOCUSKILL = 0x504; // take the focus from me
constexpr UINT WM_BCTRL_SELFDRAW = 0x505;  // exclude my window (wParam: its HWND) from your painting

// Button -> dialog: the focus came (0x511) or went (0x512); wParam is the item id.
constexpr UINT WM_BCTRL_FOCUSIN = 0x511;
constexpr UINT WM_BCTRL_FOCUSOUT = 0x512;
// Text -> dialog: a press placed the caret; wParam item id, lParam character index.
constexpr UINT WM_BCTRL_CARETPOS = 0x554;

// Screen -> main dialog of the dialog stack.
constexpr UINT WM_INDLG_NEXT = 0x410;
constexpr UINT WM_INDLG_PREV = 0x411;
constexpr UINT WM_INDLG_PPREV = 0x412;
constexpr UINT WM_INDLG_CHANGE = 0x413;
constexpr UINT WM_INDLG_CLOSE = 0x414;
constexpr UINT WM_INDLG_SHOW = 0x421;
constexpr UINT WM_INDLG_HIDE = 0x422;

// Control style bits.
constexpr int BCS_IMAGE_STYLE_MASK = 0x000F;
constexpr int BCS_TEXT_STYLE_MASK = 0x00F0;
constexpr int BCS_TEXT_PLAIN = 0x10;
constexpr int BCS_TEXT_SHADOW = 0x20;
constexpr int BCS_TEXT_OUTLINE = 0x40;
constexpr int BCS_IMAGE_KEYED = 0x0004;
constexpr int BCS_IMAGE_ALPHA = 0x0008;
constexpr int BCS_IMAGE_KEYED_BLEND = 0x000C;
constexpr int BCS_CARET_BLINK = 0x0080;
constexpr int BCS_ICON = 0x0100;
constexpr int BCS_SOUND_SYNC = 0x0200;
constexpr int BCS_COMMAND_ON_PRESS = 0x1000;
constexpr int BCS_COMMAND_ON_RELEASE = 0x2000;
constexpr int BCS_CHECK_IMAGE = 0x4000;
constexpr int BCS_ICON_LEFT = 0x8000;
constexpr int BCS_TEXT_ALIGN_SHIFT = 16;
constexpr int BCS_PRESSED = 0x4000;

// Lists and views -> parent: wParam the list's item id, lParam an item index.
constexpr UINT WM_BLIST_SELECT = 0x521;
constexpr UINT WM_BLIST_UNSELECT = 0x522;
constexpr UINT WM_BLIST_FOCUSIN = 0x523;
constexpr UINT WM_BLIST_FOCUSOUT = 0x524;
// A list view's scrolling came to rest.
constexpr UINT WM_BVIEW_SETTLED = 0x528;
// A text view's item was double-clicked (wParam item id, lParam item index).
constexpr UINT WM_BVIEW_DBLCLK = 0x529;

// Shared by the scroll bars and the lists and views they drive.
constexpr UINT WM_BSCROLL_PAGEUP = 0x541;
constexpr UINT WM_BSCROLL_LINEUP = 0x542;
constexpr UINT WM_BSCROLL_LINEDOWN = 0x543;
constexpr UINT WM_BSCROLL_PAGEDOWN = 0x544;
constexpr UINT WM_BSCROLL_CHANGED = 0x545;    // wParam item id, lParam new position
constexpr UINT WM_BSCROLL_EXTRAROWS = 0x546;  // wParam a row; answer: extra rows before it

// On-screen keyboard -> parent.
// Keyboard -> parent. wParam is the item id; lParam a pointer to the control's display text,
// valid while the control lives (its contents follow later changes).
constexpr UINT WM_BCTRL_INPUT_CHANGED = 0x551;
// Keyboard -> parent: the switch key of a disabled layout was pressed; lParam the wanted type.
constexpr UINT WM_BCTRL_INPUT_TYPE_REQUEST = 0x552;

// The transparent key of the whole skin.
constexpr COLORREF kSkinKeyColor = 0xFF00FF;

} // namespace zent
