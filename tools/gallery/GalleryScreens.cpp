#include "GalleryScreens.h"

#include "GalleryLog.h"
#include "GallerySkin.h"

#include <zent/bctrl/BCtrlMessages.h>
#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Text.h>
#include <zent/platform/Window.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace gallery {

namespace {

constexpr DWORD kScreenStyle = WS_CHILD;

constexpr DialogItemTemplate kTabItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},     {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10},
    {L"Static", IDC_STATUS, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kButtonsItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},     {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10}, {L"Static", IDC_STATUS, 0, 0, 10, 10},
    {L"Button", IDC_PLAY, 0, 0, 10, 10},     {L"Button", IDC_STOP, 0, 0, 10, 10},
    {L"Button", IDC_RECORD, 0, 0, 10, 10},   {L"Button", IDC_DISABLED, 0, 0, 10, 10},
    {L"Static", IDC_LOGO, 0, 0, 10, 10},     {L"Static", IDC_COUNTER, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kListsItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},     {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10}, {L"Static", IDC_STATUS, 0, 0, 10, 10},
    {L"ListBox", IDC_LIST, 0, 0, 10, 10},    {L"ScrollBar", IDC_LISTBAR, 0, 0, 10, 10},
    {L"ListBox", IDC_SWITCHES, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kViewItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},     {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10}, {L"Static", IDC_STATUS, 0, 0, 10, 10},
    {L"Static", IDC_VIEW, 0, 0, 10, 10},     {L"ScrollBar", IDC_VIEWBAR, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kTouchItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},     {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10},
    {L"Static", IDC_STATUS, 0, 0, 10, 10},   {L"Static", IDC_TOUCH_CAPTION0, 0, 0, 10, 10},
    {L"Static", IDC_TOUCH_CAPTION0 + 1, 0, 0, 10, 10}, {L"Static", IDC_TOUCH_CAPTION0 + 2, 0, 0, 10, 10},
    {L"Static", IDC_TOUCH_CAPTION0 + 3, 0, 0, 10, 10}, {L"Static", IDC_TEXTVIEW, 0, 0, 10, 10},
    {L"Static", IDC_STRIP, 0, 0, 10, 10},    {L"Static", IDC_LIST2, 0, 0, 10, 10},
    {L"Static", IDC_LIST3, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kKeyboardItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},     {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10}, {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10}, {L"Static", IDC_STATUS, 0, 0, 10, 10},
    {L"Static", IDC_KEYBOARD, 0, 0, 10, 10},
};

constexpr DialogItemTemplate kAboutItems[] = {
    {L"Button", IDC_TAB0, 0, 0, 10, 10},        {L"Button", IDC_TAB0 + 1, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 2, 0, 0, 10, 10},    {L"Button", IDC_TAB0 + 3, 0, 0, 10, 10},
    {L"Button", IDC_TAB0 + 4, 0, 0, 10, 10},    {L"Button", IDC_TAB0 + 5, 0, 0, 10, 10},    {L"Static", IDC_STATUS, 0, 0, 10, 10},
    {L"Static", IDC_ABOUT_LINE0, 0, 0, 10, 10}, {L"Static", IDC_ABOUT_LINE0 + 1, 0, 0, 10, 10},
    {L"Static", IDC_ABOUT_LINE0 + 2, 0, 0, 10, 10}, {L"Button", IDC_MSGBOX, 0, 0, 10, 10},
    {L"Button", IDC_FOLDER, 0, 0, 10, 10},      {L"Button", IDC_BACK, 0, 0, 10, 10},
};

constexpr DialogTemplate kTemplates[] = {
    {IDD_GALLERY_MAIN, 0, 0, kWidth, kHeight, WS_POPUP, 0, L"Torvix control gallery", {}},
    {IDD_BUTTONS, 0, 0, kWidth, kHeight, kScreenStyle, 0, L"", kButtonsItems},
    {IDD_LISTS, 0, 0, kWidth, kHeight, kScreenStyle, 0, L"", kListsItems},
    {IDD_VIEW, 0, 0, kWidth, kHeight, kScreenStyle, 0, L"", kViewItems},
    {IDD_KEYBOARD, 0, 0, kWidth, kHeight, kScreenStyle, 0, L"", kKeyboardItems},
    {IDD_ABOUT, 0, 0, kWidth, kHeight, kScreenStyle, 0, L"", kAboutItems},
    {IDD_TOUCH, 0, 0, kWidth, kHeight, kScreenStyle, 0, L"", kTouchItems},
};

constexpr const wchar_t* kTabTexts[kTabs] = {L"Buttons", L"Lists", L"View", L"Touch", L"Keyboard", L"About"};
constexpr UINT kTabScreens[kTabs] = {IDD_BUTTONS, IDD_LISTS, IDD_VIEW, IDD_TOUCH, IDD_KEYBOARD, IDD_ABOUT};

// Text-alignment style bits of CBmpText: DrawText flags in bits 16..23.
constexpr int kLeftMiddle = static_cast<int>((DT_VCENTER | DT_SINGLELINE) << BCS_TEXT_ALIGN_SHIFT);

constexpr COLORREF kTextWhite = RGB(244, 247, 250);
constexpr COLORREF kStatusGround = RGB(28, 38, 48);
constexpr COLORREF kPanelGround = RGB(27, 39, 51);
constexpr COLORREF kCaption = RGB(127, 167, 207);

constexpr const wchar_t* kSwitchTexts[] = {L"Subtitles", L"Repeat", L"Shuffle", L"Night colours"};

std::string Quoted(const std::wstring& text)
{
    return "text=\"" + WideToUtf8(text) + "\"";
}

// A row picture for the list view: a ground colour, a bottom rule and a coloured mark.
UniqueBitmap MakeRow(int w, int h, COLORREF ground, COLORREF mark)
{
    UniqueBitmap bmp(CreateDIBSection(nullptr, w, h, nullptr));
    if (!bmp) return bmp;
    const auto px = [](COLORREF c) {
        return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
               (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
    };
    for (int y = 0; y < h; ++y) {
        std::uint32_t* row = GetBitmapRow(bmp.get(), y);
        for (int x = 0; x < w; ++x) {
            COLORREF c = ground;
            if (y == h - 1) c = RGB(51, 69, 87);
            else if (x >= w - 28 && x < w - 16 && y >= h / 2 - 6 && y < h / 2 + 6) c = mark;
            row[x] = px(c);
        }
    }
    return bmp;
}

} // namespace

const char* ScreenName(UINT id)
{
    switch (id) {
    case IDD_BUTTONS: return "buttons";
    case IDD_LISTS: return "lists";
    case IDD_VIEW: return "view";
    case IDD_KEYBOARD: return "keyboard";
    case IDD_ABOUT: return "about";
    case IDD_TOUCH: return "touch";
    default: return nullptr;
    }
}

UINT ScreenId(std::string_view name)
{
    for (UINT id : kTabScreens)
        if (name == ScreenName(id)) return id;
    return 0;
}

const CResModule& GalleryResources()
{
    static const CResModule s_module{kTemplates, {}};
    return s_module;
}

// --- the common screen -----------------------------------------------------------------------------

CGalleryScreen::CGalleryScreen(UINT id, CWnd* parent, QLBMLoader* loader) : CInDialog(id, parent), m_pLoader(loader)
{
}

CGalleryScreen::~CGalleryScreen() = default;

BOOL CGalleryScreen::OnInitDialog()
{
    CInDialog::OnInitDialog();
    LoadBackground(m_pLoader, kBkScreen, POINT{0, 0}, RGB(22, 32, 42));
    for (int i = 0; i < kTabs; ++i) {
        CBmpButton& tab = m_tabs[static_cast<std::size_t>(i)];
        if (!tab.SubclassDlgItem(IDC_TAB0 + static_cast<UINT>(i), GetSafeHwnd())) continue;
        const bool bCurrent = kTabScreens[i] == m_nDialogID;
        tab.InitControl(BCS_COMMAND_ON_RELEASE, m_pLoader, bCurrent ? kTabCurrent : kTabNormal,
                        bCurrent ? kTabCurrent : kTabPressed, kTabNormal, kTabRect0 + static_cast<UINT>(i));
        tab.SetFont(GetBCtrlStockFont(4), 0);
        tab.SetButtonText(kTabTexts[i], 0);
        tab.SetRemocon(1);
        if (!ShowsTab(i)) tab.SetVisibleCtrl(0, 0);
    }
    if (m_status.SubclassDlgItem(IDC_STATUS, GetSafeHwnd())) {
        m_status.InitControl(kLeftMiddle, m_pLoader, kStatusRect);
        m_status.SetFont(GetBCtrlStockFont(4), 0);
        m_status.SetColor(kTextWhite, kTextWhite, kStatusGround);
        m_status.SetText(L"Ready", 0);
    }
    InitScreen();
    return TRUE;
}

void CGalleryScreen::SetStatus(const std::wstring& text)
{
    m_status.SetText(text, 1);
}

void CGalleryScreen::InitBig(CBmpButton& button, UINT id, int place, const wchar_t* text)
{
    if (!button.SubclassDlgItem(id, GetSafeHwnd())) return;
    button.InitControl(BCS_COMMAND_ON_RELEASE, m_pLoader, kBigNormal, kBigPressed, kBigDisabled,
                       kBigRect0 + static_cast<UINT>(place));
    button.SetFont(GetBCtrlStockFont(5), 0);
    button.SetButtonText(text, 0);
    // The arrow keys move the focus between the buttons; Enter presses the focused one.
    button.SetRemocon(1);
}

void CGalleryScreen::LogControlMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    UINT id = 0;
    std::string extra;
    switch (message) {
    case WM_COMMAND: id = LOWORD(wParam); break;
    case WM_BCTRL_INIT:
    case WM_BCTRL_FOCUS:
    case WM_BCTRL_FOCUSKILL:
        // The control itself rides in wParam.
        if (const auto* pCtrl = reinterpret_cast<const CBmpCtrl*>(wParam); pCtrl && pCtrl->GetSafeHwnd())
            id = static_cast<UINT>(GetDlgCtrlID(pCtrl->GetSafeHwnd()));
        break;
    case WM_BCTRL_SELFDRAW: id = static_cast<UINT>(GetDlgCtrlID(reinterpret_cast<HWND>(wParam))); break;
    case WM_BCTRL_DESTROY: break;
    case WM_BCTRL_INPUT_CHANGED:
        id = static_cast<UINT>(wParam);
        if (lParam) extra = Quoted(reinterpret_cast<const wchar_t*>(lParam));
        break;
    default: id = static_cast<UINT>(wParam); break;
    }
    CGalleryLog::Message(Name() ? Name() : "?", message, id, wParam, lParam, extra);
}

LRESULT CGalleryScreen::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool bFromControl = message == WM_COMMAND || (message >= 0x500 && message < 0x600);
    if (bFromControl) {
        LogControlMessage(message, wParam, lParam);
        const UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
        if (id >= IDC_TAB0 && id < IDC_TAB0 + kTabs) {
            const UINT target = kTabScreens[id - IDC_TAB0];
            if (target == IDD_ABOUT && m_nDialogID != IDD_ABOUT)
                SendParent(WM_INDLG_NEXT, target, 0);
            else if (target != m_nDialogID)
                SendParent(WM_INDLG_CHANGE, target, 0);
        } else {
            OnControl(message, wParam, lParam);
        }
    }
    return CInDialog::OnMessage(message, wParam, lParam);
}

int CGalleryScreen::LButtonDown(UINT flags, POINT pt)
{
    // The header is the window's caption: pressing it moves the window.
    if (pt.y < kHeaderHeight) {
        CGalleryLog::Line("drag begins");
        BeginWindowDrag(GetSafeHwnd());
        return 1;
    }
    return CInDialog::LButtonDown(flags, pt);
}

void CGalleryScreen::OnTypedChar(wchar_t) {}

void CGalleryScreen::OnControl(UINT, WPARAM, LPARAM) {}

// --- buttons, statics, texts -------------------------------------------------------------------------

CButtonsScreen::~CButtonsScreen() = default;

void CButtonsScreen::InitScreen()
{
    InitBig(m_play, IDC_PLAY, 0, L"Play");
    InitBig(m_stop, IDC_STOP, 1, L"Stop");
    InitBig(m_record, IDC_RECORD, 2, L"Record");
    InitBig(m_disabled, IDC_DISABLED, 3, L"Disabled");
    m_disabled.SetDisableCtrl(1, 0);
    if (m_logo.SubclassDlgItem(IDC_LOGO, GetSafeHwnd())) m_logo.InitControl(Loader(), kLogo, BCS_IMAGE_KEYED, 0);
    if (m_counter.SubclassDlgItem(IDC_COUNTER, GetSafeHwnd())) {
        m_counter.InitControl(kLeftMiddle, Loader(), kCounterRect);
        m_counter.SetFont(GetBCtrlStockFont(2), 0);
        m_counter.SetColor(RGB(255, 200, 80), RGB(255, 200, 80), RGB(34, 49, 64));
        m_counter.SetText(L"No clicks yet", 0);
    }
}

void CButtonsScreen::OnControl(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND) return;
    const wchar_t* pName = nullptr;
    switch (LOWORD(wParam)) {
    case IDC_PLAY: pName = L"Play"; break;
    case IDC_STOP: pName = L"Stop"; break;
    case IDC_RECORD: pName = L"Record"; break;
    case IDC_LOGO: pName = L"Logo"; break;
    default: return;
    }
    ++m_nClicks;
    SetStatus(std::wstring(pName) + L" clicked");
    m_counter.SetText(L"Clicks: " + std::to_wstring(m_nClicks), 1);
}

// --- list box and scroll bar -------------------------------------------------------------------------

CListsScreen::~CListsScreen() = default;

void CListsScreen::InitScreen()
{
    if (m_list.SubclassDlgItem(IDC_LIST, GetSafeHwnd())) {
        m_list.InitControl(BLS_ROW_SCROLL, kListRows, Loader(), kListRect, kListRow, 0);
        for (int row = 0; row < kListRows; ++row) m_list.SetRowImage(row, kListRow, kListRowHigh);
        m_list.SetFont(GetBCtrlStockFont(1), 0);
        for (int i = 0; i < 4; ++i) m_list.SetTextColor(i, i == 3 ? RGB(127, 127, 127) : kTextWhite);
        for (int i = 1; i <= 30; ++i) {
            wchar_t text[64];
            std::swprintf(text, 64, L"Track %02d  -  recording of day %d", i, (i + 1) / 2);
            m_list.AddString(text, 0);
        }
    }
    if (m_bar.SubclassDlgItem(IDC_LISTBAR, GetSafeHwnd())) {
        const UINT b = kBarButton0;
        m_bar.InitControl(0, Loader(), kBarRect, kBarThumb, kBarTrack, b, b + 1, b + 2, b + 3, b + 4, b + 5, b + 6,
                          b + 7, b + 8, b + 9, b + 10, b + 11, kListRows);
        m_bar.SetPage(kListRows);
        m_bar.SetRange(static_cast<UINT>(m_list.GetCount()), 0);
    }
    // Switch rows beside it: a press flips the row's switch before the selection goes out.
    m_bmpOn.reset(Loader()->GetBitmapByID(static_cast<int>(kSwitchOn)));
    m_bmpOff.reset(Loader()->GetBitmapByID(static_cast<int>(kSwitchOff)));
    if (m_switches.SubclassDlgItem(IDC_SWITCHES, GetSafeHwnd())) {
        m_switches.InitControl(0, kSwitchRows, Loader(), kSwitchRect, kSwitchRow, 0);
        for (int row = 0; row < kSwitchRows; ++row) m_switches.SetRowImage(row, kSwitchRow, kSwitchRowHigh);
        m_switches.SetFont(GetBCtrlStockFont(1), 0);
        for (int i = 0; i < 4; ++i) m_switches.SetTextColor(i, i == 3 ? RGB(127, 127, 127) : kTextWhite);
        for (std::size_t i = 0; i < std::size(kSwitchTexts); ++i)
            m_switches.AddStringSW(kSwitchTexts[i], m_bmpOn.get(), m_bmpOff.get(), i % 2 == 0 ? 1 : 0, 0);
    }
}

void CListsScreen::OnControl(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_BSCROLL_CHANGED && wParam == IDC_LISTBAR) {
        // The bar tells its dialog; the list follows.
        SendMessage(m_list.GetSafeHwnd(), WM_BSCROLL_CHANGED, wParam, lParam);
        SetStatus(L"First row: " + std::to_wstring(lParam + 1));
    } else if (message == WM_BLIST_SELECT && wParam == IDC_LIST) {
        const CListBoxItem* pItem = m_list.GetItem(static_cast<int>(lParam));
        SetStatus(L"Selected: " + (pItem ? pItem->m_strText.substr(0, 8) : std::wstring(L"?")));
    } else if (message == WM_BLIST_SELECT && wParam == IDC_SWITCHES) {
        const int nRow = static_cast<int>(lParam);
        const CListBoxItem* pItem = m_switches.GetItem(nRow);
        const int nState = m_switches.GetSwitchState(nRow);
        if (pItem && nState >= 0) SetStatus(pItem->m_strText + (nState ? L": on" : L": off"));
    }
}

// --- list view, scroll bar, fling ----------------------------------------------------------------------

CViewScreen::~CViewScreen()
{
    // The view borrows the row pictures: it goes before them.
    m_view.DestroyWindow();
}

void CViewScreen::InitScreen()
{
    RECT rcRow{};
    Loader()->GetRect(static_cast<int>(kViewRow), &rcRow);
    m_bmpRow = MakeRow(rcRow.Width(), rcRow.Height(), RGB(30, 42, 54), RGB(63, 169, 245));
    m_bmpRowHigh = MakeRow(rcRow.Width(), rcRow.Height(), RGB(46, 134, 193), RGB(243, 156, 18));
    if (m_view.SubclassDlgItem(IDC_VIEW, GetSafeHwnd())) {
        m_view.InitControl(0, Loader(), kViewRect, kViewRow, 0, 0);
        m_view.SetFont(GetBCtrlStockFont(1), 0);
        for (int i = 1; i <= 40; ++i) {
            const std::wstring text = L"Clip " + std::to_wstring(i) + L"  -  drag or fling me";
            m_view.AddItem(text.c_str(), m_bmpRow.get(), m_bmpRowHigh.get(), 0);
        }
    }
    if (m_bar.SubclassDlgItem(IDC_VIEWBAR, GetSafeHwnd())) {
        const UINT b = kViewBarButton0;
        m_bar.InitControl(0, Loader(), kViewBarRect, kViewBarThumb, kViewBarTrack, b, b + 1, b + 2, b + 3, b + 4,
                          b + 5, b + 6, b + 7, b + 8, b + 9, b + 10, b + 11, 8);
        m_bar.SetPage(8);
        m_bar.SetRange(static_cast<UINT>(m_view.GetCount()), 0);
    }
}

void CViewScreen::OnControl(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_BSCROLL_CHANGED && wParam == IDC_VIEWBAR) {
        PostMessage(m_view.GetSafeHwnd(), WM_BVIEW_SCROLLTO, wParam, lParam);
    } else if (message == WM_BVIEW_TAP && wParam == IDC_VIEW) {
        const wchar_t* pText = m_view.GetItemText(static_cast<int>(lParam));
        std::wstring name = pText ? pText : L"?";
        SetStatus(L"Tapped: " + name.substr(0, name.find(L"  ")));
    } else if (message == WM_BVIEW_SETTLED && wParam == IDC_VIEW) {
        m_bar.SetThumbPos(static_cast<int>(lParam), 1);
        SetStatus(L"Settled at row " + std::to_wstring(lParam + 1));
    }
}

// --- the touch views ---------------------------------------------------------------------------------

CTouchScreen::~CTouchScreen() = default;

void CTouchScreen::InitScreen()
{
    static constexpr const wchar_t* kCaptions[] = {
        L"Text view: tap or double-click a line",
        L"Picture strip: tap, or drag sideways",
        L"List view 2: tap rows, several at once",
        L"List view 3: sections; drag or fling",
    };
    for (std::size_t i = 0; i < m_captions.size(); ++i) {
        CBmpText& caption = m_captions[i];
        if (!caption.SubclassDlgItem(IDC_TOUCH_CAPTION0 + static_cast<UINT>(i), GetSafeHwnd())) continue;
        // Keyed: no ground of its own, the screen's gradient shows through.
        caption.InitControl(kLeftMiddle | BCS_IMAGE_KEYED, Loader(), kTouchCaption0 + static_cast<UINT>(i));
        caption.SetFont(GetBCtrlStockFont(3), 0);
        caption.SetColor(kCaption, kCaption, kPanelGround);
        caption.SetText(kCaptions[i], 0);
    }
    InitTextView();
    InitStrip();
    InitList2();
    InitList3();
    SetStatus(L"Touch the views: tap, double-click, drag or fling");
}

void CTouchScreen::InitTextView()
{
    if (!m_text.SubclassDlgItem(IDC_TEXTVIEW, GetSafeHwnd())) return;
    m_text.InitControl(0, Loader(), kTextViewRect, kTextViewRow, 0, 0);
    m_text.SetFont(GetBCtrlStockFont(1), 0);
    m_text.SetGround(kPanelGround);
    m_text.SetSelectColor(kTextWhite, RGB(46, 134, 193));
    constexpr UINT kLine = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    struct SLine {
        const wchar_t* text;
        RECT rc;
        int font;
        COLORREF colour;
        UINT format;
    };
    // Each text has a place of its own; the view is as long as the lowest one and scrolls.
    static constexpr SLine kLines[] = {
        {L"Now playing", {8, 4, 250, 30}, 5, RGB(63, 169, 245), kLine},
        {L"3 / 12", {250, 4, 362, 30}, 4, RGB(243, 156, 18), DT_RIGHT | DT_VCENTER | DT_SINGLELINE},
        {L"Harbour lights, evening walk", {8, 32, 362, 54}, 1, kTextWhite, kLine},
        {L"Recorded 7 Dec, 18:42  -  4:12", {8, 56, 362, 76}, 0, RGB(150, 165, 180), kLine},
        {L"Front camera, 1280 x 720", {8, 78, 362, 98}, 0, RGB(150, 165, 180), kLine},
        {L"Drag up for the rest of the notes", {8, 104, 362, 126}, 1, kTextWhite, kLine},
        {L"Speed 52 km/h, heading north-east", {8, 128, 362, 150}, 1, kTextWhite, kLine},
        {L"Stored on the card, not locked", {8, 152, 362, 174}, 1, kTextWhite, kLine},
        {L"End of the notes", {8, 180, 362, 200}, 0, RGB(150, 165, 180), DT_CENTER | DT_VCENTER | DT_SINGLELINE},
    };
    for (const SLine& line : kLines)
        m_text.AddItem(line.text, line.rc, GetBCtrlStockFont(line.font), line.colour, line.format, 0);
}

void CTouchScreen::InitStrip()
{
    if (!m_strip.SubclassDlgItem(IDC_STRIP, GetSafeHwnd())) return;
    m_strip.InitControl(CBmpImgView::kStyleHorizontal, Loader(), kStripRect, 0, 0);
    m_strip.SetViewImage(kStripGround, 0);
    m_strip.SetImgBtnOption(kStripSpacing, 0);
    for (int i = 0; i < kStripButtons; ++i) {
        const UINT id = kStripButton0 + 2 * static_cast<UINT>(i);
        m_strip.AddItem(id, id + 1, 0);
    }
}

void CTouchScreen::InitList2()
{
    static constexpr const wchar_t* kRows[] = {
        L"Beach at sunrise", L"Road trip playlist", L"Tunnel, eastbound",  L"Route to the coast",
        L"Pier in the fog",  L"Night radio",        L"Bridge crossing",    L"Fuel stops",
        L"Old town square",  L"Morning podcast",    L"Parking, level 3",   L"Speed cameras",
    };
    if (!m_list2.SubclassDlgItem(IDC_LIST2, GetSafeHwnd())) return;
    m_list2.InitControl(0, Loader(), kList2Rect, kList2Row, 0, 0);
    m_list2.SetFont(GetBCtrlStockFont(1), 0);
    m_list2.SetGround(kPanelGround);
    m_list2.SetTextColor(kTextWhite, kTextWhite);
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const UINT id = kList2Picture0 + 2 * static_cast<UINT>(i % kList2Kinds);
        m_list2.AddItem(kRows[i], id, id + 1, 0);
    }
}

void CTouchScreen::InitList3()
{
    struct SRow {
        const wchar_t* text;
        const wchar_t* sub;
        int seconds;
    };
    struct SSection {
        const wchar_t* title;
        std::vector<SRow> rows;
    };
    static const SSection kSections[] = {
        {L"Today", {{L"Morning drive", L"08:12", 754}, {L"School run", L"08:47", 312}, {L"Lunch break", L"12:30", 1204}}},
        {L"Yesterday",
         {{L"Motorway north", L"07:55", 2410}, {L"Rain at the junction", L"09:03", 95}, {L"Car park", L"13:20", 188},
          {L"Evening commute", L"17:48", 1876}, {L"Late shopping", L"20:11", 433}}},
        {L"This week",
         {{L"Coast road", L"Mon 10:05", 3120}, {L"Ferry queue", L"Mon 14:40", 640}, {L"City centre", L"Tue 09:15", 905},
          {L"Airport", L"Tue 18:02", 1533}, {L"Hill pass", L"Wed 11:44", 2287}}},
        {L"Older",
         {{L"Holiday, day 1", L"2 Dec", 5400}, {L"Holiday, day 2", L"3 Dec", 4870}, {L"Holiday, day 3", L"4 Dec", 3925},
          {L"Workshop visit", L"5 Dec", 512}, {L"Test drive", L"6 Dec", 1290}}},
    };
    m_bmpRow.reset(Loader()->GetBitmapByID(static_cast<int>(kList3Row)));
    m_bmpRowHigh.reset(Loader()->GetBitmapByID(static_cast<int>(kList3RowHigh)));
    m_bmpSection.reset(Loader()->GetBitmapByID(static_cast<int>(kList3Section)));
    if (!m_list3.SubclassDlgItem(IDC_LIST3, GetSafeHwnd())) return;
    m_list3.InitControl(0, Loader(), kList3Rect, kList3Row, 0, 0);
    m_list3.SetFont(GetBCtrlStockFont(1), 0);
    m_list3.SetGround(kPanelGround);
    m_list3.SetTextColor(kTextWhite, kTextWhite);
    m_list3.SetSubTextColor(RGB(176, 190, 204));
    m_list3.SetSplitterOption(kList3SectionHeight, GetBCtrlStockFont(3), RGB(63, 169, 245), RGB(43, 58, 74));
    for (const SSection& section : kSections) {
        // The header goes before the section's first row, which is the next one appended.
        const UINT nFirst = static_cast<UINT>(m_list3.GetCount());
        const std::wstring count = std::to_wstring(section.rows.size()) + L" clips";
        m_list3.AddSplitter(nFirst, {section.title, count}, {m_bmpSection.get()}, 0);
        for (const SRow& row : section.rows)
            m_list3.AddItem(row.text, row.sub, m_bmpRow.get(), m_bmpRowHigh.get(), row.seconds, 0);
    }
}

void CTouchScreen::OnControl(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int nItem = static_cast<int>(lParam);
    const auto text = [](const wchar_t* p) { return std::wstring(p ? p : L"?"); };
    switch (wParam) {
    case IDC_TEXTVIEW:
        if (message == WM_BVIEW_TAP) SetStatus(L"Text view: " + text(m_text.GetItemText(nItem)));
        else if (message == WM_BVIEW_DBLCLK) SetStatus(L"Double-clicked: " + text(m_text.GetItemText(nItem)));
        break;
    case IDC_STRIP:
        if (message == WM_BVIEW_TAP) SetStatus(L"Picture button " + std::to_wstring(nItem + 1) + L" selected");
        else if (message == WM_BVIEW_SETTLED) SetStatus(L"Picture strip on page " + std::to_wstring(nItem + 1));
        break;
    case IDC_LIST2:
        if (message == WM_BLIST_SELECT || message == WM_BLIST_UNSELECT)
            SetStatus(text(m_list2.GetItemText(nItem)) + (message == WM_BLIST_SELECT ? L" selected, " : L" unselected, ") +
                      std::to_wstring(m_list2.GetSelectedCount()) + L" in all");
        break;
    case IDC_LIST3:
        if (message == WM_BVIEW_TAP) {
            const LPARAM nSeconds = m_list3.GetItemData(nItem);
            SetStatus(L"Clip: " + text(m_list3.GetItemText(nItem)) + L", " + std::to_wstring(nSeconds / 60) + L" min " +
                      std::to_wstring(nSeconds % 60) + L" s");
        } else if (message == WM_BVIEW_SETTLED) {
            SetStatus(L"List view 3 settled at row " + std::to_wstring(nItem + 1));
        }
        break;
    default: break;
    }
}

// --- the on-screen keyboard ------------------------------------------------------------------------------

CKeyboardScreen::~CKeyboardScreen() = default;

void CKeyboardScreen::InitScreen()
{
    if (!m_kb.SubclassDlgItem(IDC_KEYBOARD, GetSafeHwnd())) return;
    m_kb.InitControl(0, Loader(), kKeyboardBase, 0);
    m_kb.SetFont(GetBCtrlStockFont(5), 0);
    m_kb.SetInputType(CBmpInputEx::kTypeEnglish, 0);
    SetStatus(L"Type on the keys or on your keyboard");
}

void CKeyboardScreen::OnControl(UINT message, WPARAM, LPARAM)
{
    if (message == WM_BCTRL_INPUT_CHANGED) SetStatus(std::wstring(L"Typed: ") + m_kb.GetInputString());
}

void CKeyboardScreen::OnTypedChar(wchar_t ch)
{
    std::wstring text = m_kb.GetInputString();
    if (ch == L'\b') {
        if (!text.empty()) text.pop_back();
    } else if (ch >= 0x20) {
        text.push_back(ch);
    } else {
        return;
    }
    m_kb.SetInputString(text.c_str());
    m_kb.Draw();
    const std::wstring shown = m_kb.GetInputString();
    CGalleryLog::Message(Name(), WM_CHAR, IDC_KEYBOARD, ch, 0, Quoted(shown));
    SetStatus(L"Typed: " + shown);
}

// --- about ------------------------------------------------------------------------------------------------

CAboutScreen::~CAboutScreen() = default;

void CAboutScreen::InitScreen()
{
    static constexpr const wchar_t* kLines[] = {
        L"Skinned controls drawn by their dialogs, on a generated skin.",
        L"This screen was pushed on the dialog stack; Back pops it.",
        L"Native message box and folder chooser below.",
    };
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!m_lines[i].SubclassDlgItem(IDC_ABOUT_LINE0 + static_cast<UINT>(i), GetSafeHwnd())) continue;
        m_lines[i].InitControl(kLeftMiddle, Loader(), kAboutRect0 + static_cast<UINT>(i));
        m_lines[i].SetFont(GetBCtrlStockFont(1), 0);
        m_lines[i].SetColor(kTextWhite, kTextWhite, RGB(34, 49, 64));
        m_lines[i].SetText(kLines[i], 0);
    }
    InitBig(m_msgbox, IDC_MSGBOX, 4, L"Message");
    InitBig(m_folder, IDC_FOLDER, 5, L"Folder");
    InitBig(m_back, IDC_BACK, 6, L"Back");
}

void CAboutScreen::OnControl(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND) return;
    switch (LOWORD(wParam)) {
    case IDC_MSGBOX: {
        const int nAnswer = MessageBox(GetSafeHwnd(), L"Do you like the gallery?", L"Torvix gallery",
                                       MB_YESNO | MB_ICONQUESTION);
        CGalleryLog::Line("msgbox answer=" + std::to_string(nAnswer));
        SetStatus(nAnswer == IDYES ? L"Message box: yes" : L"Message box: no");
        break;
    }
    case IDC_FOLDER: {
        const auto folder = BrowseForFolder(GetSafeHwnd(), L"Choose a folder", L"");
        CGalleryLog::Line("folder " + (folder ? WideToUtf8(*folder) : std::string("cancelled")));
        SetStatus(folder ? L"Folder: " + *folder : L"Folder: cancelled");
        break;
    }
    case IDC_BACK: SendParent(WM_INDLG_PREV, 0, 0); break;
    default: break;
    }
}

// --- the stack -----------------------------------------------------------------------------------------------

CInDialog* CGalleryFactory::CreateInDlg(UINT id, CWnd* parent)
{
    std::unique_ptr<CGalleryScreen> pScreen;
    switch (id) {
    case IDD_BUTTONS: pScreen = std::make_unique<CButtonsScreen>(parent, m_pLoader); break;
    case IDD_LISTS: pScreen = std::make_unique<CListsScreen>(parent, m_pLoader); break;
    case IDD_VIEW: pScreen = std::make_unique<CViewScreen>(parent, m_pLoader); break;
    case IDD_KEYBOARD: pScreen = std::make_unique<CKeyboardScreen>(parent, m_pLoader); break;
    case IDD_ABOUT: pScreen = std::make_unique<CAboutScreen>(parent, m_pLoader); break;
    case IDD_TOUCH: pScreen = std::make_unique<CTouchScreen>(parent, m_pLoader); break;
    default: return nullptr;
    }
    if (!CreateDlg(pScreen.get(), id, parent)) return nullptr;
    // The stack takes ownership (it deletes what it is given).
    return pScreen.release();
}

CGalleryMain::CGalleryMain(CInDlgFactory* factory, CInDlgDocument* document)
    : CMainDialog(factory, IDD_GALLERY_MAIN, document, nullptr)
{
}

CGalleryMain::~CGalleryMain()
{
    DelAllDlg();
    DestroyWindow();
}

BOOL CGalleryMain::PreTranslateMessage(MSG* pMsg)
{
    // Typed characters go to the screen on top, whichever window has the focus.
    if (pMsg->message == WM_CHAR) {
        if (auto* pScreen = dynamic_cast<CGalleryScreen*>(GetCurrentDlg())) pScreen->OnTypedChar(static_cast<wchar_t>(pMsg->wParam));
        return TRUE;
    }
    // Key-downs that reach the main window rather than a screen (no focus inside the screen) go
    // to the screen on top, whose focus navigator handles the arrows and Enter.
    if (pMsg->message == WM_KEYDOWN) {
        if (CInDialog* pScreen = GetCurrentDlg()) {
            pScreen->InputKey(static_cast<UINT>(pMsg->wParam), 1, static_cast<UINT>(pMsg->lParam));
            return TRUE;
        }
    }
    return CMainDialog::PreTranslateMessage(pMsg);
}

LRESULT CGalleryMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_INDLG_NEXT && message <= WM_INDLG_HIDE) {
        const char* pTarget = ScreenName(static_cast<UINT>(wParam));
        CGalleryLog::Message("main", message, static_cast<UINT>(wParam), wParam, lParam,
                             pTarget ? std::string("target=") + pTarget : std::string());
    }
    const LRESULT result = CMainDialog::OnMessage(message, wParam, lParam);
    if (message >= WM_INDLG_NEXT && message <= WM_INDLG_HIDE) {
        if (const auto* pScreen = dynamic_cast<const CGalleryScreen*>(GetCurrentDlg()))
            CGalleryLog::Line(std::string("screen ") + pScreen->Name() + " depth=" + std::to_string(DlgStackSize()));
    }
    switch (message) {
    case WM_MOVE:
        CGalleryLog::Line("window moved x=" + std::to_string(static_cast<short>(LOWORD(lParam))) +
                          " y=" + std::to_string(static_cast<short>(HIWORD(lParam))));
        break;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    default: break;
    }
    return result;
}

} // namespace gallery
