#pragma once

// Dialog templates as plain C++ tables. Geometry is in pixels (there are no dialog units here);
// every item becomes a child window of the dialog, in table order, so later items lie on top.
//
//   constexpr DialogItemTemplate kAboutItems[] = {
//       {L"Static", IDC_TITLE, 10, 10, 200, 20},
//       {L"Button", IDOK, 60, 40, 80, 24, WS_TABSTOP},
//   };
//   constexpr DialogTemplate kAbout{IDD_ABOUT, 0, 0, 220, 80, WS_POPUP, 0, L"About", kAboutItems};

#include <zent/platform/Types.h>

#include <span>
#include <string_view>

namespace zent {

struct DialogItemTemplate {
    // Tables list only what they need; the rest defaults (and -Wextra stays quiet about it).
    constexpr DialogItemTemplate(std::wstring_view className_, UINT nID_, int x_, int y_, int cx_, int cy_,
                                 DWORD dwStyle_ = 0, DWORD dwExStyle_ = 0, std::wstring_view text_ = {})
        : className(className_), nID(nID_), x(x_), y(y_), cx(cx_), cy(cy_), dwStyle(dwStyle_), dwExStyle(dwExStyle_),
          text(text_)
    {
    }

    // What the item stands for ("Static", "Button", "Edit", ...): kept as the child's class name
    // for the controls that adopt it later.
    std::wstring_view className;
    UINT nID = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    // WS_CHILD and WS_VISIBLE are added (hide an item in WM_INITDIALOG); the low 16 bits are the
    // control's own style.
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    std::wstring_view text;
};

struct DialogTemplate {
    constexpr DialogTemplate(UINT nID_, int x_, int y_, int cx_, int cy_, DWORD dwStyle_ = 0, DWORD dwExStyle_ = 0,
                             std::wstring_view title_ = {}, std::span<const DialogItemTemplate> items_ = {})
        : nID(nID_), x(x_), y(y_), cx(cx_), cy(cy_), dwStyle(dwStyle_), dwExStyle(dwExStyle_), title(title_),
          items(items_)
    {
    }

    UINT nID = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    // WS_CHILD makes a child of the parent given at creation; otherwise a top-level window owned
    // by the parent's top-level window. WS_VISIBLE shows a modeless dialog after WM_INITDIALOG;
    // a modal dialog is always shown.
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    std::wstring_view title;
    std::span<const DialogItemTemplate> items;
};

// The template with id nID in a table, or null.
constexpr const DialogTemplate* FindDialogTemplate(std::span<const DialogTemplate> table, UINT nID)
{
    for (const DialogTemplate& t : table)
        if (t.nID == nID) return &t;
    return nullptr;
}

} // namespace zent
