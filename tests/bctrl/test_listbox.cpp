// List boxes on a dialog: rows by page or by row, selection and focus reports in their order,
// clamping, insertion and removal, keys, row pictures, and paging by a bound scroll bar.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpListBox.h>
#include <zent/bctrl/BmpScroll.h>

#include <chrono>
#include <tuple>

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_LISTS = 320;
constexpr UINT IDC_LISTBOX = 31;
constexpr UINT IDC_LISTBAR = 32;
constexpr UINT IDC_LISTBOX2 = 33;
constexpr DialogItemTemplate kItems[] = {
    {L"Static", IDC_LISTBOX, 0, 0, 5, 5},
    {L"Static", IDC_LISTBAR, 0, 0, 5, 5},
    {L"Static", IDC_LISTBOX2, 0, 0, 5, 5},
};
constexpr DialogTemplate kTemplates[] = {{IDD_LISTS, 0, 0, 80, 80, WS_POPUP, 0, L"", kItems}};

// A 40 x 40 list at (5, 5): four 10-pixel rows over a background.
constexpr UINT kListId = 60;
constexpr UINT kRowId = 61;
constexpr UINT kHighlightId = 62;
constexpr UINT kListBkId = 63;
constexpr UINT kBarTrackId = 64; // 10 x 60 at (50, 5)
constexpr UINT kBarThumbId = 65; // 4 x 6
constexpr UINT kBareRowId = 66;  // a 10-pixel row without a picture
constexpr int kPage = 4;

constexpr COLORREF kBg = RGB(1, 2, 3);
constexpr COLORREF kRow = RGB(200, 0, 0);
constexpr COLORREF kHighlight = RGB(0, 0, 200);
constexpr COLORREF kListBk = RGB(30, 30, 30);

using Report = std::tuple<UINT, WPARAM, LPARAM>;

class CListPanel : public CBmpDialog {
public:
    CListPanel() : CBmpDialog(IDD_LISTS, nullptr) {}
    std::vector<Report> m_vecReports;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_BLIST_SELECT && message <= WM_BLIST_FOCUSOUT) m_vecReports.emplace_back(message, wParam, lParam);
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

Report R(UINT message, int index) { return Report{message, IDC_LISTBOX, index}; }

class CListBoxTest : public CBCtrlTest {
protected:
    CTouchSoundOff m_kSoundOff;
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        WriteListSkin();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_panel.Create(IDD_LISTS, nullptr));
        ASSERT_TRUE(m_list.SubclassDlgItem(IDC_LISTBOX, m_panel.GetSafeHwnd()));
        ASSERT_TRUE(m_bar.SubclassDlgItem(IDC_LISTBAR, m_panel.GetSafeHwnd()));
        ASSERT_TRUE(m_list2.SubclassDlgItem(IDC_LISTBOX2, m_panel.GetSafeHwnd()));
        m_pPresenter->SetAutoAdvance(false);
        m_panel.SetBackgroundColor(kBg);
        ShowWindow(m_panel.GetSafeHwnd(), SW_SHOW);
    }
    void TearDown() override
    {
        CBCtrlTest::TearDown();
    }
    void WriteListSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        auto add = [&](UINT id, std::uint16_t x, std::uint16_t y, std::uint16_t w, std::uint16_t h, COLORREF c) {
            std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, SkinPixel(c));
            ASSERT_TRUE(writer.AddCompressed(static_cast<int>(id), {x, y, w, h}, w, h, px.data()));
        };
        writer.AddEmpty(kListId, {5, 5, 40, 40});
        add(kRowId, 5, 5, 40, 10, kRow);
        add(kHighlightId, 5, 5, 40, 10, kHighlight);
        add(kListBkId, 5, 5, 40, 40, kListBk);
        add(kBarTrackId, 50, 5, 10, 60, kListBk);
        add(kBarThumbId, 0, 0, 4, 6, kRow);
        writer.AddEmpty(kBareRowId, {5, 5, 40, 10});
        ASSERT_TRUE(writer.Write(m_kDir / "list.dat"));
        ASSERT_GE(m_kListLoader.OpenMergeFile((m_kDir / "list.dat").wstring(), 1), 2);
    }
    void Open(int style, int items)
    {
        ASSERT_EQ(m_list.InitControl(style, kPage, &m_kListLoader, kListId, kRowId, kListBkId), 1);
        for (int i = 0; i < items; ++i) m_list.AddString(L"", L"", nullptr, 0, 0, 0, 0);
    }
    void Show()
    {
        InvalidateRect(m_panel.GetSafeHwnd(), nullptr, TRUE);
        Pump();
    }
    void Flush()
    {
        PostMessage(m_panel.GetSafeHwnd(), WM_NULL, 0, 0);
        Pump();
    }
    void ClickRow(int row)
    {
        m_pPresenter->InjectClick(m_panel.GetSafeHwnd(), POINT{10, 5 + row * 10 + 5});
        Pump();
    }
    // One colour per row, read from the screen.
    std::vector<COLORREF> Rows() const
    {
        std::vector<COLORREF> out;
        for (int row = 0; row < kPage; ++row) {
            const COLORREF c = Screen(m_panel.GetSafeHwnd(), 5, 5 + row * 10);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 40; ++x)
                    if (Screen(m_panel.GetSafeHwnd(), 5 + x, 5 + row * 10 + y) != c) return {};
            out.push_back(c);
        }
        return out;
    }

    QLBMLoader m_kListLoader;
    CResModule m_kModule;
    CListPanel m_panel;
    CBmpListBoxEx m_list;
    CBmpScrollEx m_bar;
    CBmpListBoxEx2 m_list2;
};

} // namespace

TEST_F(CListBoxTest, GeometryAndInitialState)
{
    Open(0, 0);
    EXPECT_EQ(m_list.GetControlPos(), (RECT{5, 5, 45, 45}));
    EXPECT_EQ(m_list.GetListRect(), (RECT{0, 0, 40, 40}));
    EXPECT_EQ(m_list.GetRowHeight(), 10);
    EXPECT_EQ(m_list.GetScrollMode(), 0);
    EXPECT_EQ(m_list.GetFocusItem(), -1);
    EXPECT_EQ(m_list.GetListColor(0), 0xFFFFFFu);
    EXPECT_EQ(m_list.GetListColor(1), 0xFFBF00u);
    EXPECT_EQ(m_list.GetTextColor(3), 0x7F7F7Fu);
    EXPECT_EQ(m_list.SetListColor(3, 0), 0);
    EXPECT_EQ(m_list.SetRowImage(16, 1, 2), 0);
}

TEST_F(CListBoxTest, PagesOfRowsAreHitAndSelectionsReportedInOrder)
{
    Open(0, 6);
    EXPECT_EQ(m_list.GetPageCount(), 2);
    Show();
    ClickRow(1);
    EXPECT_EQ(m_list.GetSelectItem(), 1);
    EXPECT_EQ(m_list.GetFocusItem(), 1);
    ClickRow(2);
    EXPECT_EQ(m_panel.m_vecReports,
              (std::vector<Report>{R(WM_BLIST_SELECT, 1), R(WM_BLIST_FOCUSIN, 1), R(WM_BLIST_UNSELECT, 1),
                                   R(WM_BLIST_FOCUSOUT, 1), R(WM_BLIST_SELECT, 2), R(WM_BLIST_FOCUSIN, 2)}));
    EXPECT_EQ(m_list.GetCheck(1), 0);
    EXPECT_EQ(m_list.GetCheck(2), 1);
    m_panel.m_vecReports.clear();

    // The second page shows items 4 and 5; its third row is empty.
    m_list.SetScrollPosition(1, 0);
    ClickRow(1);
    EXPECT_EQ(m_list.GetSelectItem(), 5);
    ClickRow(2);
    EXPECT_EQ(m_list.GetSelectItem(), 5);
    // Selecting the selected item again reports no deselection.
    ClickRow(1);
    EXPECT_EQ(m_panel.m_vecReports,
              (std::vector<Report>{R(WM_BLIST_UNSELECT, 2), R(WM_BLIST_FOCUSOUT, 2), R(WM_BLIST_SELECT, 5),
                                   R(WM_BLIST_FOCUSIN, 5), R(WM_BLIST_SELECT, 5), R(WM_BLIST_FOCUSIN, 5)}));
}

TEST_F(CListBoxTest, RowModeScrollsByItems)
{
    Open(BLS_ROW_SCROLL, 6);
    EXPECT_EQ(m_list.GetScrollMode(), 1);
    m_list.SetScrollPosition(1, 0);
    Show();
    ClickRow(3);
    EXPECT_EQ(m_list.GetSelectItem(), 4);
    EXPECT_EQ(m_list.ItemFromPoint(POINT{0, 39}), 4);
    EXPECT_EQ(m_list.ItemFromPoint(POINT{40, 0}), -1);
    EXPECT_EQ(m_list.ItemFromPoint(POINT{0, 40}), -1);
    EXPECT_EQ(m_list.ItemFromPoint(POINT{0, -1}), -1);
}

TEST_F(CListBoxTest, SelectionAndFocusAreClamped)
{
    Open(0, 0);
    EXPECT_EQ(m_list.SetFocusItem(3), -1);
    EXPECT_EQ(m_list.GetFocusItem(), -1);
    EXPECT_EQ(m_list.SetSelectItem(0), -1);
    EXPECT_EQ(m_list.SelectChange(0), -1);
    EXPECT_TRUE(m_panel.m_vecReports.empty());

    for (int i = 0; i < 3; ++i) m_list.AddString(L"x", L"", nullptr, 0, 0, 0, 0);
    EXPECT_EQ(m_list.SetFocusItem(10), -1);
    EXPECT_EQ(m_list.GetFocusItem(), 2);
    EXPECT_EQ(m_list.SetFocusItem(-4), 2);
    EXPECT_EQ(m_list.GetFocusItem(), 0);

    EXPECT_EQ(m_list.SetSelectItem(1), -1);
    EXPECT_EQ(m_list.SetSelectItem(2), 1);
    EXPECT_EQ(m_list.SetSelectItem(5), -1);
    EXPECT_EQ(m_list.GetSelectItem(), 2);
    // Check and selection are one flag.
    m_list.SetCheck(2, 0);
    EXPECT_EQ(m_list.GetSelectItem(), -1);
    m_list.SetCheck(0, 1);
    EXPECT_EQ(m_list.GetSelectItem(), 0);
    EXPECT_EQ(m_list.GetCheck(7), 0);
}

TEST_F(CListBoxTest, InsertingAndRemovingKeepCountsFocusAndEnabledState)
{
    Open(0, 0);
    EXPECT_EQ(m_list.InsertString(1, L"a"), -1);
    EXPECT_EQ(m_list.AddString(L"b"), 0);
    EXPECT_EQ(m_list.InsertString(0, L"a"), 0);
    EXPECT_EQ(m_list.AddString(L"d"), 2);
    EXPECT_EQ(m_list.InsertString(2, L"c"), 2);
    ASSERT_EQ(m_list.GetCount(), 4);
    EXPECT_EQ(m_list.GetItem(2)->m_strText, L"c");
    EXPECT_EQ(m_list.GetPageCount(), 1);
    m_list.AddString(L"e", L"E", nullptr, 7, 8, 9, 0);
    EXPECT_EQ(m_list.GetPageCount(), 2);
    EXPECT_EQ(m_list.GetItem(4)->m_nValue2, 9);
    EXPECT_EQ(m_list.EditString(4, L"f", L"F", nullptr, 0), 1);
    EXPECT_EQ(m_list.GetItem(4)->m_strText2, L"F");
    EXPECT_EQ(m_list.EditString(5, L"g", L"", nullptr, 0), 0);

    // The focus follows its item through insertions and removals.
    m_list.SetFocusItem(3);
    m_list.InsertString(0, L"z", L"", nullptr, 0, 0, 0, 0);
    EXPECT_EQ(m_list.GetFocusItem(), 4);
    EXPECT_EQ(m_list.GetItem(4)->m_strText, L"d");
    m_list.RemoveAt(0, 0);
    EXPECT_EQ(m_list.GetFocusItem(), 3);
    EXPECT_EQ(m_list.RemoveAt(5, 0), 0);

    while (m_list.GetCount() > 1) m_list.RemoveAt(0, 0);
    EXPECT_EQ(m_list.GetDisableCtrl(), 0);
    m_list.RemoveAt(0, 0);
    EXPECT_EQ(m_list.GetDisableCtrl(), 1);
    EXPECT_EQ(m_list.GetFocusItem(), -1);
    m_list.AddString(L"a", L"", nullptr, 0, 0, 0, 0);
    EXPECT_EQ(m_list.GetDisableCtrl(), 0);

    m_list.SetScrollPosition(3, 0);
    EXPECT_EQ(m_list.RemoveAll(0), 1);
    EXPECT_EQ(m_list.GetCount(), 0);
    EXPECT_EQ(m_list.GetScrollPosition(), 0);
    EXPECT_EQ(m_list.GetPageCount(), 0);
    EXPECT_EQ(m_list.GetDisableCtrl(), 1);
    EXPECT_EQ(m_list.LButtonDown(0, POINT{5, 5}), 0);
}

TEST_F(CListBoxTest, ArrowKeysMoveTheFocusWithinTheShownRows)
{
    Open(0, 3);
    m_list.FocusChange(1, VK_UP);
    EXPECT_EQ(m_list.GetFocusItem(), 2);
    m_list.FocusChange(0, 0);
    m_list.FocusChange(1, VK_DOWN);
    EXPECT_EQ(m_list.GetFocusItem(), 0);

    EXPECT_EQ(m_list.KeyInput(VK_DOWN), 1);
    EXPECT_EQ(m_list.KeyInput(VK_DOWN), 1);
    EXPECT_EQ(m_list.GetFocusItem(), 2);
    EXPECT_EQ(m_list.KeyInput(VK_DOWN), 0); // past the last item
    EXPECT_EQ(m_list.GetFocusItem(), 2);
    EXPECT_EQ(m_panel.m_vecReports,
              (std::vector<Report>{R(WM_BLIST_FOCUSOUT, 0), R(WM_BLIST_FOCUSIN, 1), R(WM_BLIST_FOCUSOUT, 1),
                                   R(WM_BLIST_FOCUSIN, 2), R(WM_BLIST_FOCUSOUT, 2)}));
    m_panel.m_vecReports.clear();

    EXPECT_EQ(m_list.KeyInput(VK_RETURN), 1);
    EXPECT_EQ(m_list.GetSelectItem(), 2);
    EXPECT_EQ(m_panel.m_vecReports, (std::vector<Report>{R(WM_BLIST_SELECT, 2), R(WM_BLIST_FOCUSIN, 2)}));
    m_panel.m_vecReports.clear();

    EXPECT_EQ(m_list.KeyInput(VK_UP), 1);
    EXPECT_EQ(m_list.KeyInput(VK_UP), 1);
    EXPECT_EQ(m_list.KeyInput(VK_UP), 0); // above the first
    EXPECT_EQ(m_list.GetFocusItem(), 0);
    EXPECT_EQ(m_list.KeyInput(VK_LEFT), 0);
    EXPECT_EQ(m_panel.m_vecReports.back(), R(WM_BLIST_FOCUSOUT, 0));

    // A full page stops at its last row.
    for (int i = 0; i < 3; ++i) m_list.AddString(L"", L"", nullptr, 0, 0, 0, 0);
    m_list.SetFocusItem(3);
    EXPECT_EQ(m_list.KeyInput(VK_DOWN), 0);
    EXPECT_EQ(m_list.GetFocusItem(), 3);
}

TEST_F(CListBoxTest, RowsShowTheirImagesAndTheSelection)
{
    Open(0, 3);
    m_list.SetSelectItem(1);
    Show();
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{kRow, m_list.GetListColor(1), kRow, kListBk}));
    m_list.SetRowImage(1, kRowId, kHighlightId);
    m_list.SelectChange(1);
    Flush();
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{kRow, kHighlight, kRow, kListBk}));
    // Cleaned images come back at the next paint.
    m_list.Clean();
    Show();
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{kRow, kHighlight, kRow, kListBk}));
}

TEST_F(CListBoxTest, SkinWithoutRowPicturesPaintsInTheListColours)
{
    ASSERT_EQ(m_list.InitControl(0, kPage, &m_kListLoader, kListId, kBareRowId, 0), 1);
    EXPECT_EQ(m_list.GetRowHeight(), 10);
    for (int i = 0; i < 2; ++i) m_list.AddString(L"", L"", nullptr, 0, 0, 0, 0);
    m_list.SetListColor(0, RGB(5, 6, 7));
    m_list.SetListColor(1, RGB(8, 9, 10));
    m_list.SetSelectItem(1);
    Show();
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{RGB(5, 6, 7), RGB(8, 9, 10), RGB(5, 6, 7), RGB(5, 6, 7)}));
}

TEST_F(CListBoxTest, KeysOnAnEmptyListReportNothing)
{
    Open(0, 0);
    EXPECT_EQ(m_list.KeyInput(VK_UP), 0);
    EXPECT_EQ(m_list.KeyInput(VK_LEFT), 0);
    EXPECT_EQ(m_list.KeyInput(VK_RETURN), 1);
    EXPECT_TRUE(m_panel.m_vecReports.empty());
    EXPECT_EQ(m_list.SetBoldFont(0, GetBCtrlStockFont(3), 0), 0);
}

TEST_F(CListBoxTest, ScrollMessagesMoveTheRows)
{
    Open(BLS_ROW_SCROLL, 6);
    m_list.SetSelectItem(3);
    m_list.SetRowImage(0, kRowId, kHighlightId);
    m_list.SetRowImage(1, kRowId, kHighlightId);
    Show();
    // Item 3 sits in a row without a highlight image: the list colour marks it.
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{kRow, kRow, kRow, m_list.GetListColor(1)}));
    SendMessage(m_list.GetSafeHwnd(), WM_BSCROLL_CHANGED, IDC_LISTBAR, 2);
    Flush();
    EXPECT_EQ(m_list.GetScrollPosition(), 2);
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{kRow, kHighlight, kRow, kRow}));

    // A bar bound to the list pages it straight.
    ASSERT_EQ(m_bar.InitControl(0, &m_kListLoader, kBarTrackId, kBarThumbId, kPage, m_list.GetSafeHwnd()), 1);
    m_bar.SetRange(6u, 0);
    m_bar.SetThumbPos(0, 0);
    m_list.SetScrollPosition(0, 0);
    Show();
    m_pPresenter->InjectClick(m_panel.GetSafeHwnd(), POINT{52, 5 + 45});
    Pump();
    EXPECT_EQ(m_list.GetScrollPosition(), 2);
    // The new rows slide in on the list's timer.
    for (int step = 0; step < CBmpListBoxEx::kSlideSteps; ++step) {
        m_pPresenter->AdvanceClock(std::chrono::milliseconds(CBmpListBoxEx::kSlideTickMs));
        Pump();
    }
    EXPECT_FALSE(m_list.IsSliding());
    EXPECT_EQ(Rows(), (std::vector<COLORREF>{kRow, kHighlight, kRow, kRow}));
    ClickRow(0);
    EXPECT_EQ(m_list.GetSelectItem(), 2);
}

TEST_F(CListBoxTest, SubTextKeepsItsOwnPlaceAndColours)
{
    constexpr COLORREF kMain = RGB(0, 250, 0);
    constexpr COLORREF kSub = RGB(250, 250, 250);
    constexpr COLORREF kSubSelected = RGB(0, 250, 250);
    ASSERT_EQ(m_list2.InitControl(0, kPage, &m_kListLoader, kListId, kRowId, kListBkId), 1);
    m_list2.SetTextColor(0, kMain);
    m_list2.SetSubText(GetBCtrlStockFont(0), RECT{24, 0, 40, 10}, kSub, kSubSelected);
    EXPECT_EQ(m_list2.AddString(L"WW", L"WW"), 0);
    EXPECT_EQ(m_list2.AddString(L"WW", L"WW"), 1);
    EXPECT_EQ(m_list2.GetCount(), 2);
    m_list2.SetSelectItem(1);
    Show();
    auto count = [&](int row, int x0, int x1, COLORREF c) {
        int n = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = x0; x < x1; ++x) n += Screen(m_panel.GetSafeHwnd(), 5 + x, 5 + row * 10 + y) == c;
        return n;
    };
    EXPECT_GT(count(0, 0, 24, kMain), 0);
    EXPECT_EQ(count(0, 0, 24, kSub), 0);
    EXPECT_GT(count(0, 24, 40, kSub), 0);
    EXPECT_EQ(count(0, 24, 40, kMain), 0);
    // The selected row's sub text takes the selected colour.
    EXPECT_GT(count(1, 24, 40, kSubSelected), 0);
    EXPECT_EQ(count(1, 24, 40, kSub), 0);
}

TEST_F(CListBoxTest, PlainListDrawsTextOnlyWithABoldRow)
{
    constexpr UINT IDC_PLAIN = 34;
    CBmpListBox plain;
    ASSERT_TRUE(plain.CreateEx(0, L"Static", L"", WS_CHILD, RECT{0, 0, 5, 5}, m_panel.GetSafeHwnd(), IDC_PLAIN));
    ASSERT_EQ(plain.InitControl(0, kPage, &m_kListLoader, kListId, kRowId, kListBkId), 1);
    plain.SetTextColor(0, RGB(0, 250, 0));
    EXPECT_EQ(plain.AddString(L"WW", 0), 0);
    EXPECT_EQ(plain.AddString(L"WW", 0), 1);
    EXPECT_EQ(plain.setListBoldFont(kPage, GetBCtrlStockFont(3), 0), 0);
    ASSERT_EQ(plain.setListBoldFont(1, GetBCtrlStockFont(3), 0), 1);
    Show();
    auto count = [&](int row) {
        int n = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 40; ++x) n += Screen(m_panel.GetSafeHwnd(), 5 + x, 5 + row * 10 + y) == RGB(0, 250, 0);
        return n;
    };
    // The same text in the bold font covers more pixels.
    EXPECT_GT(count(0), 0);
    EXPECT_GT(count(1), count(0));
}
