#pragma once

// What the player's inner dialogs share: the main window, the channel code and view mode of the
// current recording, its file name, and a few texts handed from one dialog to the next (the
// message pop-up reads its text from here). Header only: the card tools' dialogs read it too.

#include <zent/bctrl/InDialog.h>
#include <zent/platform/Window.h>

#include <array>
#include <string>

class CTorvixPlayerDocument : public zent::CInDlgDocument {
public:
    CTorvixPlayerDocument() = default;
    ~CTorvixPlayerDocument() override = default;

    // The application's main window (the top-level dialog); set once by it.
    void SetMainWnd(zent::HWND hwnd) { m_hMainWnd = hwnd; }
    zent::HWND GetMainWnd() const { return m_hMainWnd; }

    // 0: the player has one file open, 1: two, 2: more.
    int m_nChannelCode = 0;
    int m_nViewMode = 5;
    // The current file name; empty when nothing plays. Paths longer than the fixed buffer of
    // 260 characters are kept whole: nothing reads a cut-off path from here.
    std::wstring m_strFileName;
    // Texts for the inner dialogs; slot 0 is the message pop-up's text.
    std::array<std::wstring, 7> m_strTexts;

    static constexpr std::size_t kPopupText = 0;
    // A folder named on the command line, opened instead of the last access folder.
    std::wstring m_strStartFolder;

private:
    zent::HWND m_hMainWnd = nullptr;
};
