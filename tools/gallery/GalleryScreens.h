#pragma once

// The gallery's dialog stack: a main dialog hosting one screen per control family (buttons,
// statics and texts; the list box with its scroll bar and switch rows; the list view with its
// scroll bar and fling; the touch views: text view, picture strip, list views 2 and 3; the
// on-screen keyboard) and an about screen pushed on top of them. Every screen logs
// each message its controls send it and shows what happened in its status line.

#include <zent/bctrl/BmpButton.h>
#include <zent/bctrl/BmpImgView.h>
#include <zent/bctrl/BmpInputEx.h>
#include <zent/bctrl/BmpListBox.h>
#include <zent/bctrl/BmpListView.h>
#include <zent/bctrl/BmpListView2.h>
#include <zent/bctrl/BmpScroll.h>
#include <zent/bctrl/BmpStatic.h>
#include <zent/bctrl/BmpText.h>
#include <zent/bctrl/BmpTextView.h>
#include <zent/bctrl/MainDialog.h>
#include <zent/bctrl/ResModule.h>
#include <zent/platform/Bitmap.h>
#include <zent/util/QLBMLoader.h>

#include <array>
#include <string>
#include <string_view>

namespace gallery {

using namespace zent;

constexpr UINT IDD_GALLERY_MAIN = 0x100;
constexpr UINT IDD_BUTTONS = 0x81;
constexpr UINT IDD_LISTS = 0x82;
constexpr UINT IDD_VIEW = 0x83;
constexpr UINT IDD_KEYBOARD = 0x84;
constexpr UINT IDD_ABOUT = 0x85;
constexpr UINT IDD_TOUCH = 0x86;

// Control ids.
constexpr UINT IDC_TAB0 = 1001; // six tabs
constexpr int kTabs = 6;
constexpr UINT IDC_STATUS = 1090;
constexpr UINT IDC_PLAY = 1101;
constexpr UINT IDC_STOP = 1102;
constexpr UINT IDC_RECORD = 1103;
constexpr UINT IDC_DISABLED = 1104;
constexpr UINT IDC_LOGO = 1105;
constexpr UINT IDC_COUNTER = 1106;
constexpr UINT IDC_LIST = 1201;
constexpr UINT IDC_LISTBAR = 1202;
constexpr UINT IDC_SWITCHES = 1203;
constexpr UINT IDC_VIEW = 1301;
constexpr UINT IDC_VIEWBAR = 1302;
constexpr UINT IDC_KEYBOARD = 1401;
constexpr UINT IDC_ABOUT_LINE0 = 1501;
constexpr UINT IDC_MSGBOX = 1511;
constexpr UINT IDC_FOLDER = 1512;
constexpr UINT IDC_BACK = 1513;
constexpr UINT IDC_TEXTVIEW = 1601;
constexpr UINT IDC_STRIP = 1602;
constexpr UINT IDC_LIST2 = 1603;
constexpr UINT IDC_LIST3 = 1604;
constexpr UINT IDC_TOUCH_CAPTION0 = 1611; // four captions

// The screen names of --screen, by template id; null for an unknown id.
const char* ScreenName(UINT id);
// 0 for an unknown name.
UINT ScreenId(std::string_view name);

// The templates of every dialog above.
const CResModule& GalleryResources();

class CGalleryScreen : public CInDialog {
public:
    CGalleryScreen(UINT id, CWnd* parent, QLBMLoader* loader);
    ~CGalleryScreen() override;

    // A character typed on the physical keyboard while this screen is on top.
    virtual void OnTypedChar(wchar_t ch);
    const char* Name() const { return ScreenName(m_nDialogID); }

protected:
    BOOL OnInitDialog() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int LButtonDown(UINT flags, POINT pt) override;

    // The screen's own controls, after the background, tabs and status line.
    virtual void InitScreen() = 0;
    // A message from one of the screen's controls, after it has been logged.
    virtual void OnControl(UINT message, WPARAM wParam, LPARAM lParam);
    // The tabs the screen shows, and whether the screen has a status line.
    virtual bool ShowsTab(int) const { return true; }

    void SetStatus(const std::wstring& text);
    void InitBig(CBmpButton& button, UINT id, int place, const wchar_t* text);
    QLBMLoader* Loader() const { return m_pLoader; }

private:
    void LogControlMessage(UINT message, WPARAM wParam, LPARAM lParam) const;

    QLBMLoader* m_pLoader; // the gallery's, not owned
    std::array<CBmpButton, kTabs> m_tabs;
    CBmpText m_status;
};

class CButtonsScreen final : public CGalleryScreen {
public:
    CButtonsScreen(CWnd* parent, QLBMLoader* loader) : CGalleryScreen(IDD_BUTTONS, parent, loader) {}
    ~CButtonsScreen() override;

protected:
    void InitScreen() override;
    void OnControl(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CBmpButton m_play, m_stop, m_record, m_disabled;
    CBmpStatic m_logo;
    CBmpText m_counter;
    int m_nClicks = 0;
};

class CListsScreen final : public CGalleryScreen {
public:
    CListsScreen(CWnd* parent, QLBMLoader* loader) : CGalleryScreen(IDD_LISTS, parent, loader) {}
    ~CListsScreen() override;

protected:
    void InitScreen() override;
    void OnControl(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The switch pictures are borrowed by the rows: declared first, they go after the list.
    UniqueBitmap m_bmpOn;
    UniqueBitmap m_bmpOff;
    CBmpListBox m_list;
    CBmpScroll m_bar;
    CBmpListBoxEx m_switches;
};

class CViewScreen final : public CGalleryScreen {
public:
    CViewScreen(CWnd* parent, QLBMLoader* loader) : CGalleryScreen(IDD_VIEW, parent, loader) {}
    ~CViewScreen() override;

protected:
    void InitScreen() override;
    void OnControl(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CBmpListView m_view;
    CBmpScroll m_bar;
    UniqueBitmap m_bmpRow;
    UniqueBitmap m_bmpRowHigh;
};

// A view whose ground (what shows around and past its content) matches the screen's panels.
template <class TView>
class CGroundedView : public TView {
public:
    void SetGround(COLORREF colour) { this->m_clrViewBack = colour; }
};

class CTouchScreen final : public CGalleryScreen {
public:
    CTouchScreen(CWnd* parent, QLBMLoader* loader) : CGalleryScreen(IDD_TOUCH, parent, loader) {}
    ~CTouchScreen() override;

protected:
    void InitScreen() override;
    void OnControl(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void InitTextView();
    void InitStrip();
    void InitList2();
    void InitList3();

    // List view 3 borrows its row pictures and the section icon: declared first, they go after it.
    UniqueBitmap m_bmpRow;
    UniqueBitmap m_bmpRowHigh;
    UniqueBitmap m_bmpSection;
    std::array<CBmpText, 4> m_captions;
    CGroundedView<CBmpTextView> m_text;
    CBmpImgView m_strip;
    CGroundedView<CBmpListView2> m_list2;
    CGroundedView<CBmpListView3> m_list3;
};

class CKeyboardScreen final : public CGalleryScreen {
public:
    CKeyboardScreen(CWnd* parent, QLBMLoader* loader) : CGalleryScreen(IDD_KEYBOARD, parent, loader) {}
    ~CKeyboardScreen() override;
    void OnTypedChar(wchar_t ch) override;

protected:
    void InitScreen() override;
    void OnControl(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CBmpInputEx m_kb;
};

class CAboutScreen final : public CGalleryScreen {
public:
    CAboutScreen(CWnd* parent, QLBMLoader* loader) : CGalleryScreen(IDD_ABOUT, parent, loader) {}
    ~CAboutScreen() override;

protected:
    void InitScreen() override;
    void OnControl(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool ShowsTab(int index) const override { return index == kTabs - 1; }

private:
    std::array<CBmpText, 3> m_lines;
    CBmpButton m_msgbox, m_folder, m_back;
};

class CGalleryFactory final : public CInDlgFactory {
public:
    explicit CGalleryFactory(QLBMLoader* loader) : m_pLoader(loader) {}
    CInDialog* CreateInDlg(UINT id, CWnd* parent) override;
    int ReleaseInDlg(CInDialog*) override { return 0; }
    void OnAllDlgDeleted() override {}

private:
    QLBMLoader* m_pLoader;
};

class CGalleryMain final : public CMainDialog {
public:
    CGalleryMain(CInDlgFactory* factory, CInDlgDocument* document);
    ~CGalleryMain() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace gallery
