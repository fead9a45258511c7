#pragma once

// The small Win32-shaped vocabulary that the code above ZentPlatform is written in: plain value
// types with the familiar names and layouts, and opaque handles.

#include <cstdint>

namespace zent {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// 0x00BBGGRR, as the skin and every colour of the program are written.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZE&, const SIZE&) = default;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    friend bool operator==(const RECT&, const RECT&) = default;
};

// Opaque handles. Each names an object owned by ZentPlatform; the functions that create them say
// who deletes them.
struct WindowObject;
struct DeviceContext;
struct BitmapObject;
struct FontObject;
struct PenObject;
struct BrushObject;
struct RegionObject;
using HWND = WindowObject*;
using HDC = DeviceContext*;
using HBITMAP = BitmapObject*;
using HFONT = FontObject*;
using HPEN = PenObject*;
using HBRUSH = BrushObject*;
using HRGN = RegionObject*;

} // namespace zent
