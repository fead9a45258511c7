#pragma once

// Logical fonts and text, drawn with Pango and cairo over the device context's picture.
//
// Face names of the Windows skin are mapped onto the fonts of this system ("Malgun Gothic" and
// "Gulim" onto Noto Sans CJK KR, "Meiryo UI" and "Yu Gothic UI Regular" onto Noto Sans CJK JP,
// "Segoe UI" and "Tahoma" onto DejaVu Sans or Noto Sans); other faces go to fontconfig as they are,
// including faces of fonts registered for this process only.

#include <zent/platform/Export.h>
#include <zent/platform/Types.h>

#include <memory>
#include <string>
#include <string_view>

namespace zent {

constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr int FW_HEAVY = 900;

constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE SHIFTJIS_CHARSET = 128;

struct LOGFONTW {
    // Negative: the character (em) height in pixels; positive: the cell height (ascent plus
    // descent); 0: a default of 12 pixels.
    LONG lfHeight = 0;
    // Average character width in pixels; 0 keeps the face's own proportions.
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    wchar_t lfFaceName[32] = {};
};

ZENT_PLATFORM_API HFONT CreateFontIndirect(const LOGFONTW* lf);
ZENT_PLATFORM_API HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                                   DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                                   DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                                   std::wstring_view faceName);
// Safe while the font is selected: a device context keeps what it draws with alive.
ZENT_PLATFORM_API BOOL DeleteObject(HFONT hFont);
// DEFAULT_GUI_FONT; never deleted.
ZENT_PLATFORM_API HFONT GetStockFont(int index);
ZENT_PLATFORM_API int GetObject(HFONT hFont, LOGFONTW* lf);

// The fontconfig family list that a face name stands for ("Noto Sans CJK KR" for "Malgun Gothic").
ZENT_PLATFORM_API std::string ResolveFontFace(std::wstring_view faceName);

// Fonts registered for this process only (fontconfig application fonts). The memory form writes
// the data to a private file first. Both return null on failure; *pNumFonts receives the number
// of faces added.
ZENT_PLATFORM_API void* AddFontResourcePrivate(const std::wstring& path, DWORD* pNumFonts);
ZENT_PLATFORM_API void* AddFontMemResourceEx(const void* pData, DWORD size, void* pReserved, DWORD* pNumFonts);
// Removes a font registered by either form; fonts already created keep drawing.
ZENT_PLATFORM_API BOOL RemoveFontMemResourceEx(void* hFontResource);

// DrawText format bits.
constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// Draws text in rc with the selected font, text colour and (in OPAQUE mode) background colour,
// clipped to rc unless DT_NOCLIP. As in GDI, DT_VCENTER and DT_BOTTOM apply to single lines only,
// and DT_END_ELLIPSIS cuts a line that does not fit with "...". With DT_CALCRECT nothing is drawn
// and rc's right and bottom are set to the text's extent. Returns the text height in logical units.
ZENT_PLATFORM_API int DrawText(HDC hdc, std::wstring_view text, RECT* rc, UINT format);
ZENT_PLATFORM_API BOOL TextOut(HDC hdc, int x, int y, std::wstring_view text);
ZENT_PLATFORM_API BOOL GetTextExtentPoint32(HDC hdc, std::wstring_view text, SIZE* size);

struct ZENT_PLATFORM_API FontDeleter {
    void operator()(HFONT h) const { DeleteObject(h); }
};
using UniqueFont = std::unique_ptr<FontObject, FontDeleter>;

} // namespace zent
