#pragma once

// The interface fonts: one family chosen by the interface language, one font per distinct
// request, created on first use and kept until the program ends; and the Roboto face of the
// speed figures, registered for this process only.
//
// GUI thread only (the cache is not locked).

#include <zent/platform/Types.h>
#include <zent/platform/Window.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zent {
class CBmpCtrl;
}

// WM_SETFONT: the window font of the two standard control kinds that take one (list boxes and
// edit fields); wParam is the font, lParam the redraw flag.
constexpr zent::UINT WM_SETFONT = 0x0030;
constexpr zent::UINT WM_GETFONT = 0x0031;

// Window class names of the standard control kinds that take a window font.
inline constexpr const wchar_t* kFontClassListBox = L"ListBox";
inline constexpr const wchar_t* kFontClassEdit = L"Edit";

// The language and operating-system version the default face is chosen by; set once at start-up
// (the language index of the language table, the kernel's major version, 0 when unknown).
void SetAppFontLanguage(int languageIndex, double osMajorVersion);
// The default face of a language index: 0 and 3 "Malgun Gothic", 1 "Segoe UI", 2 "Yu Gothic UI
// Regular" above version 9, else "Meiryo UI".
std::wstring GetDefaultFaceName(int languageIndex, double osMajorVersion);

// A new interface font (the caller owns it); p3 and p4 do not influence it. An empty face takes
// the language's default face; faces are cut to 31 characters.
zent::HFONT CreateAppFont(int height, int width, int p3, int p4, std::wstring_view face);

// The number that the font's key text "%d|%d|%d|%d|%s" reads as when taken digit by digit
// (separators and letters count their code minus 48), in 32-bit wrap-around arithmetic. Shown in
// the trace only: the cache itself is keyed by the whole request, because different requests can
// read as the same number.
std::int32_t GetAppFontKeyNumber(const std::wstring& keyText);

// The cached font of a request (created on first use) handed to a window: a skinned control gets
// it through CBmpCtrl::SetFont without redraw; a list box or edit field (by window class) as its
// window font; anything else keeps its font, with a trace. Null only creates or finds the font.
// Returns 1.
int SetFontToObject(zent::CWnd* object, int height, int width, int p3, int p4, std::wstring_view face);
// The cached font of a request, created on first use (never null: a font that cannot be made
// falls back to the platform's GUI font).
zent::HFONT GetAppFont(int height, int width, int p3, int p4, std::wstring_view face);
// How many distinct fonts the cache holds, and how many windows received one (tests).
std::size_t GetAppFontCount();
std::size_t GetAppFontReceiverCount();

// Registers the Roboto Regular face of the speed figures for this process (fontconfig
// application font). Null when the font file cannot be found or registered; the caller removes
// it with zent::RemoveFontMemResourceEx at exit.
void* AddEmbeddedFont();
// Where the Roboto Regular file is looked for: beside the data files ("fonts/Roboto-Regular.ttf"),
// then the system's fonts-roboto-unhinted package. Empty when none exists.
std::wstring FindEmbeddedFontFile();
