#pragma once

// Window message numbers and the parameter-packing helpers, with the values Win32 gives them, so
// that message maps above this library read as they always have. Program-defined messages start
// at WM_USER (window classes) and WM_APP (the application).

#include <zent/platform/Types.h>

#include <cstdint>

// Macros, as Win32 and GLib both have them: GLib defines them only when undefined, and so do we,
// so either may come first.
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

namespace zent {

using SHORT = std::int16_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;

// --- window life ---------------------------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;

// --- keyboard ------------------------------------------------------------------------------------
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;

// --- dialogs, commands, timers, scrolling ------------------------------------------------------------
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;

// --- mouse ---------------------------------------------------------------------------------------
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_DEVICECHANGE = 0x0219;
constexpr UINT WM_MOUSELEAVE = 0x02A3;

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// --- parameters ----------------------------------------------------------------------------------

// Key and button state carried by mouse messages in wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr int WHEEL_DELTA = 120;

// WM_SIZE wParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_ACTIVATE wParam.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM WA_CLICKACTIVE = 2;

// Hit-test codes (WM_NCLBUTTONDOWN wParam).
constexpr WPARAM HTCLIENT = 1;
constexpr WPARAM HTCAPTION = 2;

// Scroll-bar notification codes (LOWORD of WM_HSCROLL / WM_VSCROLL wParam).
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;

// Command identifiers of the standard dialog buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Button notification codes (HIWORD of WM_COMMAND wParam).
constexpr WORD BN_CLICKED = 0;
constexpr WORD BN_DOUBLECLICKED = 5;

// --- virtual keys --------------------------------------------------------------------------------
constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their ASCII codes.
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F3 = 0x72;
constexpr UINT VK_F4 = 0x73;
constexpr UINT VK_F5 = 0x74;
constexpr UINT VK_F6 = 0x75;
constexpr UINT VK_F7 = 0x76;
constexpr UINT VK_F8 = 0x77;
constexpr UINT VK_F9 = 0x78;
constexpr UINT VK_F10 = 0x79;
constexpr UINT VK_F11 = 0x7A;
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_PROCESSKEY = 0xE5;

// --- packing -------------------------------------------------------------------------------------

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(std::uintptr_t v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(std::uintptr_t v) { return static_cast<BYTE>((v >> 8) & 0xFF); }

constexpr DWORD MAKELONG(int lo, int hi)
{
    return static_cast<DWORD>((static_cast<DWORD>(lo) & 0xFFFF) | ((static_cast<DWORD>(hi) & 0xFFFF) << 16));
}
// As on Win32, the packed 32 bits are zero-extended: a negative y makes a large positive LPARAM,
// and GET_Y_LPARAM gets the sign back from the low 16 bits of each half.
constexpr LPARAM MAKELPARAM(int lo, int hi) { return static_cast<LPARAM>(MAKELONG(lo, hi)); }
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(MAKELONG(lo, hi)); }
constexpr LRESULT MAKELRESULT(int lo, int hi) { return static_cast<LRESULT>(MAKELONG(lo, hi)); }

// Signed client coordinates of mouse messages; a captured mouse may report points left of or
// above the window.
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(l))); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(l))); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<SHORT>(HIWORD(w)); }
constexpr UINT GET_KEYSTATE_WPARAM(WPARAM w) { return LOWORD(w); }

constexpr POINT MakePoint(LPARAM l) { return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }

} // namespace zent
