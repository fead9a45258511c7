// The rest of the view family on a dialog, driven by injected input and the headless clock:
// splitters and touch areas of the list view, the fuller third list, the multi-selecting picture
// list, the text view's taps and double clicks, the image strip's placement, pressed look and
// paging, and the list box's switch rows, copied icons and page slide.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpListBox.h>
#include <zent/bctrl/BmpListView.h>
#include <zent/bctrl/BmpScroll.h>
#include <zent/bctrl/BmpImgView.h>
#include <zent/bctrl/BmpListView2.h>
#include <zent/bctrl/BmpTextView.h>

#include <chrono>
#include <string>
#include <tuple>
#include <utility>

using namespace zent;
using namespace bctrltest;
using std::chrono::milliseconds;

namespace {

constexpr UINT IDD_VIEWS = 330;
constexpr UINT IDC_VIEW = 41;
constexpr UINT IDC_BAR = 42;
constexpr DialogItemTemplate kItems[] = {{L"Static", IDC_VIEW, 0, 0, 10, 10}, {L"Static", IDC_BAR, 0, 0, 10, 10}};
constexpr DialogTemplate kTemplates[] = {{IDD_VIEWS, 0, 0, 200, 300, WS_POPUP, 0, L"", kItems}};

constexpr UINT kPanelId = 1;    // 200 x 300
constexpr UINT kViewId = 2;     // 100 x 60 at (10, 10)
constexpr UINT kRowId = 3;      // 100 x 20, no picture
constexpr UINT kRowNormal = 4;  // 100 x 20 pictures
constexpr UINT kRowChosen = 5;
constexpr UINT kBtnA = 6;       // 30 x 20
constexpr UINT kBtnAPressed = 7;
constexpr UINT kBtnB = 8;       // 40 x 20
constexpr UINT kViewBack = 9;   // 100 x 60
constexpr UINT kListBoxId = 10; // 100 x 40 at (10, 10): four 10-pixel rows
constexpr UINT kListRowId = 11; // 100 x 10, no picture: the list box paints in its colours
constexpr UINT kLowViewId = 12; // 100 x 60 at (10, 200): room to drag above it
constexpr UINT kTrackId = 13;   // 10 x 60 at (115, 10), a scroll bar beside the view
constexpr UINT kThumbId = 14;   // 6 x 8
constexpr int kLeft = 10;
constexpr int kTop = 10;
constexpr int kW = 100;
constexpr int kH = 60;

constexpr COLORREF kPanel = RGB(1, 2, 3);
constexpr COLORREF kNormalPic = RGB(120, 0, 0);
constexpr COLORREF kChosenPic = RGB(0, 120, 0);
constexpr COLORREF kA = RGB(200, 200, 0);
constexpr COLORREF kAPressed = RGB(0, 200, 200);
constexpr COLORREF kB = RGB(200, 0, 200);
constexpr COLORREF kBack = RGB(50, 60, 70);
constexpr COLORREF kViewGround = 0x202020;
constexpr COLORREF kHighlight = 0x8C5A1E;

constexpr UINT WM_ROW_BUTTON = 0x600;

using Note = std::pair<UINT, LPARAM>;
using Notes = std::vector<Note>;

class CViewsPanel : public CBmpDialog {
public:
    CViewsPanel() : CBmpDialog(IDD_VIEWS, nullptr) {}
    using CBmpDialog::LoadBackground;
    Notes m_vecNotes;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (wParam == IDC_VIEW && ((message >= WM_BLIST_SELECT && message <= WM_BVIEW_DBLCLK) ||
                                   message == WM_ROW_BUTTON))
            m_vecNotes.emplace_back(message, lParam);
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

// A bitmap of one colour, as the skin stores pixels.
UniqueBitmap Solid(int w, int h, COLORREF c)
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, SkinPixel(c));
    return UniqueBitmap(CreateBitmap(w, h, 1, 32, px.data()));
}

// The expected picture: bands of rows, each (height, colour), or a callback per pixel.
using Picture = std::vector<COLORREF>;
Picture Bands(std::initializer_list<std::pair<int, COLORREF>> bands)
{
    Picture out;
    for (auto [rows, colour] : bands) out.insert(out.end(), static_cast<std::size_t>(rows) * kW, colour);
    return out;
}

template <class View>
class CViewTest : public CBCtrlTest {
protected:
    CTouchSoundOff m_kSoundOff;
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        torvix::skin::CMergeImageWriter writer;
        auto add = [&](UINT id, std::uint16_t x, std::uint16_t y, std::uint16_t w, std::uint16_t h, COLORREF c) {
            std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, SkinPixel(c));
            ASSERT_TRUE(writer.AddCompressed(static_cast<int>(id), {x, y, w, h}, w, h, px.data()));
        };
        add(kPanelId, 0, 0, 200, 300, kPanel);
        writer.AddEmpty(kViewId, {kLeft, kTop, kW, kH});
        writer.AddEmpty(kRowId, {0, 0, kW, 20});
        add(kRowNormal, 0, 0, kW, 20, kNormalPic);
        add(kRowChosen, 0, 0, kW, 20, kChosenPic);
        add(kBtnA, 0, 0, 30, 20, kA);
        add(kBtnAPressed, 0, 0, 30, 20, kAPressed);
        add(kBtnB, 0, 0, 40, 20, kB);
        add(kViewBack, 0, 0, kW, kH, kBack);
        writer.AddEmpty(kListBoxId, {kLeft, kTop, kW, 40});
        writer.AddEmpty(kListRowId, {kLeft, kTop, kW, 10});
        writer.AddEmpty(kLowViewId, {kLeft, 200, kW, kH});
        add(kTrackId, 115, kTop, 10, kH, kBack);
        add(kThumbId, 0, 0, 6, 8, kA);
        ASSERT_TRUE(writer.Write(m_kDir / "views.dat"));
        ASSERT_GE(m_kViewLoader.OpenMergeFile((m_kDir / "views.dat").wstring(), 1), 2);

        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_panel.Create(IDD_VIEWS, nullptr));
        ASSERT_TRUE(m_view.SubclassDlgItem(IDC_VIEW, m_panel.GetSafeHwnd()));
        m_pPresenter->SetAutoAdvance(false);
        m_panel.LoadBackground(&m_kViewLoader, kPanelId, POINT{0, 0}, 0);
    }
    void TearDown() override
    {
        CBCtrlTest::TearDown();
    }
    HWND Panel() const { return m_panel.GetSafeHwnd(); }
    static POINT At(int x, int y) { return POINT{kLeft + x, kTop + y}; }
    void Wait(int ms)
    {
        for (int done = 0; done < ms; done += 10) {
            m_pPresenter->AdvanceClock(milliseconds(std::min(10, ms - done)));
            Pump();
        }
    }
    void Down(POINT pt) { m_pPresenter->InjectButtonDown(Panel(), pt); Pump(); }
    void Move(POINT pt) { m_pPresenter->InjectMouseMove(Panel(), pt); Pump(); }
    void Up(POINT pt) { m_pPresenter->InjectButtonUp(Panel(), pt); Pump(); }
    // A short touch, then the release delay.
    void Tap(int x, int y)
    {
        Down(At(x, y));
        Wait(30);
        Up(At(x, y));
        Wait(120);
    }
    COLORREF Seen(int x, int y)
    {
        PostMessage(Panel(), WM_NULL, 0, 0);
        Pump();
        return Screen(Panel(), kLeft + x, kTop + y);
    }
    Notes TakeNotes() { return std::exchange(m_panel.m_vecNotes, {}); }
    // The view's own painting, whole, into a picture of its size.
    Picture Paint(int w = kW, int h = kH)
    {
        UniqueBitmap bmp(CreateCompatibleBitmap(nullptr, w, h));
        UniqueDC dc(CreateCompatibleDC(nullptr));
        CSelectObject<HBITMAP> sel(dc.get(), bmp.get());
        m_view.DrawCtrl(dc.get(), POINT{0, 0});
        Picture out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) out.push_back(GetPixel(dc.get(), x, y) & 0xFFFFFF);
        return out;
    }

    QLBMLoader m_kViewLoader;
    CResModule m_kModule;
    CViewsPanel m_panel;
    View m_view;
};

using CListViewSplitTest = CViewTest<CBmpListView>;
using CListView3Test = CViewTest<CBmpListView3>;
using CListView2Test = CViewTest<CBmpListView2>;
using CTextViewTest = CViewTest<CBmpTextView>;
using CImgViewTest = CViewTest<CBmpImgView>;
using CListBoxExtraTest = CViewTest<CBmpListBoxEx>;
using CPlainListBoxTest = CViewTest<CBmpListBox>;

} // namespace

// --- list view: splitters and touch areas ----------------------------------------------------

TEST_F(CListViewSplitTest, SplittersTakeTheirPlaceInTheLayout)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 6; ++i) m_view.AddItem(std::to_wstring(i).c_str(), nullptr, nullptr, 0);
    m_view.SetSplitterOption(10, nullptr, 0xFFFFFF, 0x404040);
    EXPECT_EQ(m_view.AddSplitter(0, L"first", nullptr, 0), 1);
    EXPECT_EQ(m_view.AddSplitter(3, L"second", nullptr, 0), 1);
    EXPECT_EQ(m_view.AddSplitter(3, L"again", nullptr, 0), 0); // one per item
    EXPECT_EQ(m_view.AddSplitter(7, L"beyond", nullptr, 0), 0);
    EXPECT_EQ(m_view.GetSplitterCount(), 2);

    // [S0 0..10) [0 10..30) [1 30..50) [2 50..70) [S3 70..80) [3 80..100) [4 ..120) [5 ..140)
    int splitters = -1, top = -1;
    EXPECT_EQ(m_view.GetListItemFromPos(5, &splitters, &top), -1);
    EXPECT_EQ(splitters, 1);
    EXPECT_EQ(m_view.GetListItemFromPos(15, &splitters, &top), 0);
    EXPECT_EQ(std::make_pair(splitters, top), std::make_pair(1, 10));
    EXPECT_EQ(m_view.GetListItemFromPos(75, &splitters, &top), -1);
    EXPECT_EQ(splitters, 2);
    EXPECT_EQ(m_view.GetListItemFromPos(85, &splitters, &top), 3);
    EXPECT_EQ(std::make_pair(splitters, top), std::make_pair(2, 80));
    EXPECT_EQ(m_view.GetListItemFromPos(139, nullptr, nullptr), 5);
    EXPECT_EQ(m_view.GetListItemFromPos(140, nullptr, nullptr), -1);
    EXPECT_EQ(m_view.GetItemTop(3), 80);
    EXPECT_EQ(m_view.GetScroller().GetMaxOffset(), 140 - kH);

    // The scroll bar's question: row heights taken by the splitters up to a row, rounded up.
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_EXTRAROWS, 2, 0), 1);
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_EXTRAROWS, 3, 0), 1);
    m_view.SetSplitterOption(15, nullptr, 0xFFFFFF, 0x404040);
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_EXTRAROWS, 3, 0), 2);
    EXPECT_EQ(m_view.GetItemTop(3), 15 + 60 + 15);

    // A header at the end waits for the next item, which then starts below it.
    EXPECT_EQ(m_view.AddSplitter(6, L"tail", nullptr, 0), 1);
    EXPECT_EQ(m_view.GetScroller().GetMaxOffset(), 3 * 15 + 120 - kH);
    m_view.AddItem(L"6", nullptr, nullptr, 0);
    EXPECT_EQ(m_view.GetItemTop(6), 3 * 15 + 120);
    ASSERT_NE(m_view.GetSplitter(6), nullptr);
    EXPECT_EQ(m_view.GetSplitter(6)->vecTexts, std::vector<std::wstring>{L"tail"});

    // Inserting moves the later rows and their headers; removing an item removes its header.
    EXPECT_EQ(m_view.InsertItem(3, L"new", nullptr, nullptr, 0), 1);
    EXPECT_EQ(std::wstring(m_view.GetItemText(4)), L"3");
    EXPECT_NE(m_view.GetSplitter(4), nullptr);
    EXPECT_EQ(m_view.GetSplitter(3), nullptr);
    EXPECT_EQ(m_view.InsertItem(99, L"x", nullptr, nullptr, 0), 0);
    EXPECT_EQ(m_view.RemoveAt(4, 0), 1);
    EXPECT_EQ(m_view.GetSplitterCount(), 2);
    EXPECT_EQ(m_view.EditSplitter(0, L"renamed", nullptr, 0), 1);
    EXPECT_EQ(m_view.GetSplitter(0)->vecTexts, std::vector<std::wstring>{L"renamed"});
    EXPECT_EQ(m_view.RemoveSplitter(0, 0), 1);
    EXPECT_EQ(m_view.RemoveSplitter(0, 0), 0);
    EXPECT_EQ(m_view.GetItemTop(0), 0);

    EXPECT_EQ(m_view.SetItemText(0, L"zero", 0), 1);
    EXPECT_EQ(std::wstring(m_view.GetListItem(0)->strText), L"zero");
    EXPECT_EQ(m_view.EditItem(40, L"none", nullptr, nullptr, 0), 0);
    m_view.RemoveAll(0);
    EXPECT_EQ(m_view.GetSplitterCount(), 0);
    EXPECT_EQ(m_view.GetScroller().GetMaxOffset(), 0);
}

TEST_F(CListViewSplitTest, PaintsRowsAndHeadersInOrderAndCutsThemAtTheEdges)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    const UniqueBitmap normal = Solid(kW, 20, kNormalPic);
    const UniqueBitmap chosen = Solid(kW, 20, kChosenPic);
    for (int i = 0; i < 3; ++i) m_view.AddItem(L"", normal.get(), chosen.get(), 0);
    const COLORREF header = RGB(9, 99, 199);
    m_view.SetSplitterOption(10, nullptr, 0xFFFFFF, header);
    m_view.AddSplitter(1, L"", nullptr, 0);
    m_view.SetSelectItem(1, 0);

    EXPECT_EQ(Paint(), Bands({{20, kNormalPic}, {10, header}, {20, kChosenPic}, {10, kNormalPic}}));
    // Scrolled to its end (70 - 60 = 10 pixels): half the first row is gone.
    m_view.SetScrollPosition(1, 0);
    EXPECT_EQ(m_view.GetScrollOffset(), 10);
    EXPECT_EQ(Paint(), Bands({{10, kNormalPic}, {10, header}, {20, kChosenPic}, {20, kNormalPic}}));
    // Too few rows to fill the view: the view's ground shows below them.
    m_view.RemoveAt(2, 0);
    EXPECT_EQ(Paint(), Bands({{20, kNormalPic}, {10, header}, {20, kChosenPic}, {10, kViewGround}}));
}

TEST_F(CListViewSplitTest, TouchAreasSendTheirOwnMessage)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 5; ++i) m_view.AddItem(L"", nullptr, nullptr, 0);
    m_view.AddSplitter(1, L"", nullptr, 0); // 20 high: row 1 now starts at 40
    EXPECT_EQ(m_view.SetImageOption(0, RECT{80, 0, 100, 20}, WM_ROW_BUTTON), 1);
    EXPECT_EQ(m_view.SetImageOption(4, RECT{0, 0, 1, 1}, 1), 0);
    Pump();

    Tap(90, 45);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_ROW_BUTTON, 1}}));
    Tap(75, 45);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 1}}));
    // A tap on the header selects nothing: the touch only ends at rest.
    Tap(90, 25);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, 0}}));
    EXPECT_EQ(m_view.GetSelectItem(), 1);

    EXPECT_EQ(m_view.ExtendTouchImgArea(0, 10, 0, 0, 0), 1);
    EXPECT_EQ(m_view.ExtendTouchImgArea(1, 10, 0, 0, 0), 0); // not set up
    Tap(75, 5);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_ROW_BUTTON, 0}}));
    Tap(65, 5);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 0}}));
    // Turned off again.
    m_view.SetImageOption(0, RECT{80, 0, 100, 20}, 0);
    Tap(90, 5);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 0}}));
}

TEST_F(CListViewSplitTest, ATapWhoseItemWentAwayReportsNothing)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 5; ++i) m_view.AddItem(L"", nullptr, nullptr, 0);
    Pump();
    Down(At(30, 45));
    Wait(30);
    Up(At(30, 45));
    // Within the release delay the row under the tap goes away; the index would now name the
    // next row.
    EXPECT_EQ(m_view.RemoveAt(2, 0), 1);
    Wait(120);
    EXPECT_TRUE(TakeNotes().empty());
    EXPECT_EQ(m_view.GetSelectItem(), -1);
    // The same during the press.
    Down(At(30, 45));
    m_view.InsertItem(0, L"first", nullptr, nullptr, 0);
    Wait(30);
    Up(At(30, 45));
    Wait(120);
    // No tap: the touch just ends at rest.
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, 0}}));
    EXPECT_EQ(m_view.GetSelectItem(), -1);
}

TEST_F(CListViewSplitTest, ABoundScrollBarCountsTheSplittersAndPagesTheView)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 6; ++i) m_view.AddItem(L"", nullptr, nullptr, 0);
    m_view.SetSplitterOption(10, nullptr, 0xFFFFFF, 0x404040);
    m_view.AddSplitter(0, L"", nullptr, 0);
    m_view.AddSplitter(3, L"", nullptr, 0);
    CBmpScrollEx bar;
    ASSERT_TRUE(bar.SubclassDlgItem(IDC_BAR, Panel()));
    ASSERT_EQ(bar.InitControl(0, &m_kViewLoader, kTrackId, kThumbId, 3, m_view.GetSafeHwnd()), 1);
    // Six rows and two 10-pixel headers: one more row for the bar.
    bar.SetRange(0, 5, 0);
    EXPECT_EQ(bar.GetRangeMax(), 6);
    EXPECT_EQ(bar.GetCount(), 7);
    Pump();

    // A press in the track below the thumb pages the view straight, animated.
    m_pPresenter->InjectClick(Panel(), POINT{118, kTop + 50});
    Pump();
    EXPECT_EQ(bar.GetThumbPos(), 3);
    Wait(600);
    EXPECT_EQ(m_view.GetScrollOffset(), 60);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, 3}}));
}

// --- the third list ----------------------------------------------------------------------------

TEST_F(CListView3Test, FullerRecordsSeveralPartHeadersAndScrollingOff)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(m_view.AddItem(std::to_wstring(i).c_str(), L"side", nullptr, nullptr, 100 + i, 0), 1);
    EXPECT_EQ(m_view.GetItemData(4), 104);
    EXPECT_EQ(m_view.GetItemData(40), 0);
    EXPECT_EQ(m_view.GetListItem(2)->strSubText, L"side");
    const UniqueBitmap icon = Solid(8, 8, kA);
    EXPECT_EQ(m_view.AddSplitter(2, std::vector<std::wstring>{L"left", L"right"}, std::vector<HBITMAP>{icon.get(), nullptr}, 0), 1);
    ASSERT_NE(m_view.GetSplitter(2), nullptr);
    EXPECT_EQ(m_view.GetSplitter(2)->vecTexts, (std::vector<std::wstring>{L"left", L"right"}));
    EXPECT_EQ(m_view.GetSplitter(2)->vecBitmaps.size(), 1u);
    EXPECT_EQ(m_view.AddSplitter(2, std::vector<std::wstring>{L"twice"}, std::vector<HBITMAP>{}, 0), 0);
    Pump();

    // Scrolling off: a drag leaves the content where it is; a tap still selects.
    EXPECT_EQ(m_view.SetScrollModeOff(1), 1);
    Down(At(30, 55));
    for (int y = 45; y >= 5; y -= 10) {
        Wait(20);
        Move(At(30, y));
    }
    Up(At(30, 5));
    Wait(500);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);
    TakeNotes();
    Tap(30, 25);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 1}}));
    // Paging still moves it.
    SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0);
    Wait(600);
    EXPECT_EQ(m_view.GetScrollOffset(), 60);

    EXPECT_EQ(m_view.SetScrollModeOff(0), 1);
    m_view.SetScrollPosition(0, 0);
    Down(At(30, 55));
    Wait(20);
    Move(At(30, 35));
    EXPECT_EQ(m_view.GetScrollOffset(), 20);
    Up(At(30, 35));
    Wait(1000);
}

// --- the picture list with several selections -----------------------------------------------

TEST_F(CListView2Test, TapsToggleRowsAndPicturesFollow)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(m_view.AddItem(L"", kRowNormal, kRowChosen, 0), 1);
    Pump();

    Tap(50, 25);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BLIST_SELECT, 1}}));
    Tap(50, 45);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BLIST_SELECT, 2}}));
    EXPECT_EQ(m_view.GetSelectedCount(), 2);
    EXPECT_EQ(Seen(50, 25), kChosenPic);
    EXPECT_EQ(Seen(50, 5), kNormalPic);
    Tap(50, 25);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BLIST_UNSELECT, 1}}));
    EXPECT_EQ(m_view.GetSelectItem(1), 0);
    EXPECT_EQ(m_view.GetSelectItem(2), 1);
    EXPECT_EQ(m_view.GetSelectItem(5), -1);
    EXPECT_EQ(m_view.GetFocusItem(), 1);

    EXPECT_EQ(m_view.SetSelectItem(4, 1), 0);
    EXPECT_EQ(m_view.SetSelectItem(4, 1), 1);
    EXPECT_EQ(m_view.SetSelectItem(-1, 1), -1);
    EXPECT_EQ(m_view.GetSelectedCount(), 2);
    m_view.SetScrollPosition(2, 0);
    EXPECT_EQ(Paint(), Bands({{20, kChosenPic}, {20, kNormalPic}, {20, kChosenPic}}));

    // Removing keeps the other rows' states on their rows.
    EXPECT_EQ(m_view.RemoveAt(0, 0), 1);
    EXPECT_EQ(m_view.GetSelectItem(1), 1);
    EXPECT_EQ(m_view.GetSelectItem(3), 1);
    EXPECT_EQ(m_view.GetScrollOffset(), 4 * 20 - kH);
    // A picture that cannot be loaded leaves the ground (or the highlight when selected).
    EXPECT_EQ(m_view.EditItem(3, L"", 999, 0, 0), 1);
    EXPECT_EQ(Paint(), Bands({{20, kChosenPic}, {20, kNormalPic}, {20, kHighlight}}));
    m_view.Clean();
    EXPECT_EQ(Paint(), Bands({{20, kChosenPic}, {20, kNormalPic}, {20, kHighlight}}));
}

// --- the text view -----------------------------------------------------------------------------

TEST_F(CTextViewTest, ItemsOwnTheirPlacesTapsSelectAndDoubleClicksReport)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
    const COLORREF ink = RGB(250, 250, 250);
    EXPECT_EQ(m_view.AddItem(L"one", RECT{0, 0, 100, 20}, nullptr, ink, DT_LEFT | DT_SINGLELINE, 0), 0);
    EXPECT_EQ(m_view.AddItem(L"two", RECT{0, 20, 100, 40}, nullptr, ink, DT_LEFT | DT_SINGLELINE, 0), 1);
    EXPECT_EQ(m_view.AddItem(L"far", RECT{0, 150, 100, 170}, nullptr, ink, DT_LEFT | DT_SINGLELINE, 0), 2);
    EXPECT_EQ(m_view.AddItem(L"empty", RECT{0, 0, 0, 10}, nullptr, ink, 0, 0), -1);
    EXPECT_EQ(m_view.GetScroller().GetMaxOffset(), 170 - kH);
    const COLORREF back = RGB(0, 0, 90);
    m_view.SetSelectColor(ink, back);
    Pump();

    Tap(50, 25);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 1}}));
    EXPECT_EQ(m_view.GetSelectItem(), 1);
    EXPECT_EQ(Seen(95, 25), back);
    EXPECT_EQ(Seen(95, 5), kViewGround);
    // Between the items nothing is hit.
    Tap(50, 55);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, 0}}));

    // A double click reports its item once, is no tap, and moved nothing to settle.
    m_pPresenter->InjectDoubleClick(Panel(), At(50, 5));
    Pump();
    Wait(200);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_DBLCLK, 0}}));
    EXPECT_EQ(m_view.GetSelectItem(), 1);

    // Scrolled to the end, the far item is hit where it shows.
    m_view.SetScrollPosition(99, 0);
    EXPECT_EQ(m_view.GetScrollOffset(), 110);
    Tap(50, 45);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 2}}));
    EXPECT_EQ(m_view.SetItemText(2, L"near", 0), 1);
    EXPECT_EQ(std::wstring(m_view.GetItemText(2)), L"near");
    EXPECT_EQ(m_view.RemoveAt(2, 0), 1);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);
    EXPECT_EQ(m_view.GetSelectItem(), -1);
}

TEST_F(CTextViewTest, PulledPastTheBottomItHoldsAt150AndHalvesBack)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kLowViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 5; ++i)
        m_view.AddItem(std::to_wstring(i).c_str(), RECT{0, i * 34, 100, i * 34 + 34}, nullptr, 0xFFFFFF, 0, 0);
    const int end = 5 * 34 - kH;
    m_view.SetScrollPosition(99, 0);
    ASSERT_EQ(m_view.GetScrollOffset(), end);
    Pump();
    Down(POINT{kLeft + 50, 255});
    Wait(20);
    Move(POINT{kLeft + 50, 5});
    EXPECT_EQ(m_view.GetScrollOffset(), end + 150);
    Up(POINT{kLeft + 50, 5});
    Wait(120);
    EXPECT_EQ(m_view.GetScroller().GetMode(), CBmpFlingScroller::kModeSpringBottom);
    // The overshoot halves every 50 ms while it is more than 3 pixels, then snaps to the end.
    std::vector<int> steps;
    while (m_view.GetScroller().IsAnimating() && steps.size() < 20) {
        Wait(50);
        steps.push_back(m_view.GetScrollOffset() - end);
    }
    EXPECT_EQ(steps, (std::vector<int>{75, 37, 18, 9, 4, 2, 0}));
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, end / 20}}));
}

TEST_F(CTextViewTest, AFlickFlingsWithTheDescribedDecay)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kLowViewId, kRowId, 0, 0), 1);
    for (int i = 0; i < 40; ++i)
        m_view.AddItem(std::to_wstring(i).c_str(), RECT{0, i * 20, 100, i * 20 + 20}, nullptr, 0xFFFFFF, 0, 0);
    Pump();
    // 30 pixels up in 3 steps of 20 ms: 500 pixels a second.
    Down(POINT{kLeft + 50, 250});
    for (int y = 240; y >= 220; y -= 10) {
        Wait(20);
        Move(POINT{kLeft + 50, y});
    }
    Up(POINT{kLeft + 50, 220});
    Wait(110);
    ASSERT_EQ(m_view.GetScroller().GetMode(), CBmpFlingScroller::kModeFling);
    int v = m_view.GetScroller().GetVelocity();
    EXPECT_EQ(v, 30 * 1000 / 60);
    int offset = m_view.GetScrollOffset();
    for (int tick = 0; tick < 5; ++tick) {
        Wait(50);
        const double step = (v + CBmpFlingScroller::GetFlingBoost(v)) * 0.08;
        offset += static_cast<int>(step);
        v = static_cast<int>((v + step) * 0.84);
        ASSERT_EQ(m_view.GetScrollOffset(), offset) << "tick " << tick;
        ASSERT_EQ(m_view.GetScroller().GetVelocity(), v) << "tick " << tick;
    }
    Wait(3000);
    EXPECT_FALSE(m_view.GetScroller().IsAnimating());
    EXPECT_EQ(m_view.GetSelectItem(), -1);
}

// --- the image strip -------------------------------------------------------------------------

TEST_F(CImgViewTest, VerticalStripPaintsOverItsViewPicture)
{
    ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, 0, 0), 1);
    m_view.SetImgBtnOption(5, 0);
    m_view.SetViewImage(kViewBack, 0);
    EXPECT_EQ(m_view.AddItem(kBtnA, kBtnAPressed, 0), 1);
    EXPECT_EQ(m_view.AddItem(kBtnB, 0, 0), 1);
    EXPECT_EQ(m_view.AddItem(kBtnA, 0, 0), 1);
    EXPECT_EQ(m_view.AddItem(kPanelId + 100, 0, 0), 0); // no such picture
    EXPECT_EQ(m_view.GetItemRect(1), (RECT{0, 25, 40, 45}));
    EXPECT_EQ(m_view.GetItemRect(2), (RECT{0, 50, 30, 70}));

    Picture expected(static_cast<std::size_t>(kW) * kH, kBack);
    auto fill = [&](RECT rc, COLORREF c) {
        for (int y = rc.top; y < std::min<int>(rc.bottom, kH); ++y)
            for (int x = rc.left; x < rc.right; ++x) expected[static_cast<std::size_t>(y) * kW + x] = c;
    };
    fill(RECT{0, 0, 30, 20}, kA);
    fill(RECT{0, 25, 40, 45}, kB);
    fill(RECT{0, 50, 30, 70}, kA);
    EXPECT_EQ(Paint(), expected);

    // Selected, a button shows its pressed picture.
    m_view.SetSelectItem(0, 0);
    fill(RECT{0, 0, 30, 20}, kAPressed);
    EXPECT_EQ(Paint(), expected);
}

TEST_F(CImgViewTest, HorizontalStripPagesAndShowsThePress)
{
    ASSERT_EQ(m_view.InitControl(CBmpImgView::kStyleHorizontal, &m_kViewLoader, kViewId, 0, 0), 1);
    m_view.SetImgBtnOption(10, 0);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(m_view.AddItem(kBtnA, kBtnAPressed, 0), 1);
    EXPECT_EQ(m_view.GetItemRect(2), (RECT{80, 0, 110, 20}));
    EXPECT_EQ(m_view.GetPageCount(), 2); // 190 pixels in pages of 100
    Pump();

    // The press shows at once and ends with a touch that was no tap.
    Down(At(45, 10));
    EXPECT_EQ(Seen(45, 10), kAPressed);
    EXPECT_EQ(Seen(5, 10), kA);
    Wait(600);
    Up(At(45, 10));
    Wait(120);
    EXPECT_EQ(Seen(45, 10), kA);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, 0}}));
    Tap(45, 10);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_TAP, 1}}));
    EXPECT_EQ(m_view.GetSelectItem(), 1);

    // A page down eases to the end (90): 45 % of what remains every 50 ms, landing within 6.
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0), 1);
    std::vector<int> steps;
    for (int i = 0; i < 6; ++i) {
        Wait(50);
        steps.push_back(m_view.GetScrollOffset());
    }
    EXPECT_EQ(steps, (std::vector<int>{40, 62, 74, 81, 85, 90}));
    EXPECT_EQ(m_view.GetCurrentPage(), 1);
    EXPECT_EQ(TakeNotes(), (Notes{{WM_BVIEW_SETTLED, 1}}));
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0), 0);
    // The content moved left: the fifth button (160..190) shows at 70..100.
    EXPECT_EQ(Seen(75, 10), kA);
    EXPECT_EQ(Seen(65, 10), kViewGround);
    // A drag along the strip scrolls it; a drag across does not.
    Down(At(50, 10));
    EXPECT_EQ(Seen(45, 10), kAPressed); // the fourth button, 120..150, shows at 30..60
    Wait(20);
    Move(At(50, 50));
    EXPECT_EQ(m_view.GetScrollOffset(), 90);
    // Moved past the tap distance: no longer a press on the button.
    EXPECT_EQ(Seen(45, 10), kA);
    Move(At(80, 50));
    EXPECT_EQ(m_view.GetScrollOffset(), 60);
    Up(At(80, 50));
    Wait(2000);
    SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_SCROLLTO, 0, 0);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);
    EXPECT_EQ(m_view.GetCurrentPage(), 0);
    EXPECT_EQ(m_view.RemoveAt(0, 0), 1);
    EXPECT_EQ(m_view.GetSelectItem(), 0);
}

// --- list box: switch rows, copied icons, page slide ----------------------------------------

TEST_F(CListBoxExtraTest, SwitchRowsFlipOnAPress)
{
    ASSERT_EQ(m_view.InitControl(0, 4, &m_kViewLoader, kListBoxId, kListRowId, 0), 1);
    const UniqueBitmap on = Solid(10, 6, RGB(0, 250, 0));
    const UniqueBitmap off = Solid(10, 6, RGB(250, 0, 0));
    EXPECT_EQ(m_view.AddString(L"plain"), 0);
    EXPECT_EQ(m_view.AddStringSW(L"switch", on.get(), off.get(), 0, 0), 1);
    EXPECT_EQ(m_view.GetSwitchState(1), 0);
    EXPECT_EQ(m_view.GetSwitchState(0), -1);
    Pump();
    // The picture sits at the row's right end (4 pixels in), centred in the 10-pixel row.
    EXPECT_EQ(Seen(kW - 4 - 5, 10 + 5), RGB(250, 0, 0));
    m_pPresenter->InjectClick(Panel(), At(20, 15));
    Pump();
    EXPECT_EQ(m_view.GetSwitchState(1), 1);
    EXPECT_EQ(m_view.GetSelectItem(), 1);
    EXPECT_EQ(Seen(kW - 4 - 5, 10 + 5), RGB(0, 250, 0));
    m_pPresenter->InjectClick(Panel(), At(20, 15));
    Pump();
    EXPECT_EQ(m_view.GetSwitchState(1), 0);
    EXPECT_EQ(m_view.SetSwitchState(1, 1, 0), 1);
    EXPECT_EQ(m_view.SetSwitchState(0, 1, 0), 0);
    EXPECT_EQ(m_view.GetSwitchState(1), 1);
}

// The plain list shows no icons, but a switch row's pictures are its switch, not an icon.
TEST_F(CPlainListBoxTest, SwitchRowsShowBothStates)
{
    ASSERT_EQ(m_view.InitControl(0, 4, &m_kViewLoader, kListBoxId, kListRowId, 0), 1);
    const UniqueBitmap on = Solid(10, 6, RGB(0, 250, 0));
    const UniqueBitmap off = Solid(10, 6, RGB(250, 0, 0));
    EXPECT_EQ(m_view.AddString(L"plain"), 0);
    EXPECT_EQ(m_view.AddStringSW(L"switch", on.get(), off.get(), 1, 0), 1);
    Pump();
    EXPECT_EQ(Seen(kW - 4 - 5, 10 + 5), RGB(0, 250, 0));
    m_pPresenter->InjectClick(Panel(), At(20, 15));
    Pump();
    EXPECT_EQ(m_view.GetSwitchState(1), 0);
    EXPECT_EQ(Seen(kW - 4 - 5, 10 + 5), RGB(250, 0, 0));
}

TEST_F(CListBoxExtraTest, AddStringDCKeepsItsOwnCopyOfTheIcon)
{
    ASSERT_EQ(m_view.InitControl(0, 4, &m_kViewLoader, kListBoxId, kListRowId, 0), 1);
    const COLORREF drawn = RGB(10, 200, 30);
    int index = -1;
    {
        // The caller's picture is gone by the time the list paints.
        UniqueBitmap source(CreateCompatibleBitmap(nullptr, 20, 20));
        UniqueDC dc(CreateCompatibleDC(nullptr));
        CSelectObject<HBITMAP> sel(dc.get(), source.get());
        FillSolidRect(dc.get(), 0, 0, 20, 20, RGB(0, 0, 0));
        FillSolidRect(dc.get(), 5, 5, 6, 6, drawn);
        index = m_view.AddStringDC(L"", L"", dc.get(), RECT{5, 5, 11, 11}, 0);
        EXPECT_EQ(m_view.AddStringDC(L"", L"", dc.get(), RECT{5, 5, 5, 11}, 0), -1);
        EXPECT_EQ(m_view.AddStringDC(L"", L"", nullptr, RECT{5, 5, 11, 11}, 0), -1);
    }
    ASSERT_EQ(index, 0);
    ASSERT_NE(m_view.GetItem(0)->m_hBitmap, nullptr);
    Pump();
    // 6 x 6 at 4 pixels in, centred in the first 10-pixel row.
    EXPECT_EQ(Seen(4, 2), drawn);
    EXPECT_EQ(Seen(9, 7), drawn);
    EXPECT_NE(Seen(10, 2), drawn);
}

TEST_F(CListBoxExtraTest, PageSlidesInFromBelowAndLandsOnTheNewPage)
{
    ASSERT_EQ(m_view.InitControl(0, 4, &m_kViewLoader, kListBoxId, kListRowId, 0), 1);
    for (int i = 0; i < 8; ++i) m_view.AddString(L"");
    // Selected rows show in the list's selection colour; mark the first row of each page.
    m_view.SetCheck(0, 1);
    m_view.SetCheck(4, 1);
    Pump();
    const COLORREF ground = m_view.GetListColor(0);
    const COLORREF chosen = m_view.GetListColor(1);
    ASSERT_NE(ground, chosen);
    auto column = [&] {
        std::vector<COLORREF> out;
        for (int y = 0; y < 40; ++y) out.push_back(Seen(50, y));
        return out;
    };
    auto expect = [&](int newTop) {
        // Old page's row 0 at newTop - 40, the new page's row 0 at newTop (both 10 high).
        std::vector<COLORREF> out(40, ground);
        for (int top : {newTop - 40, newTop})
            for (int y = std::max(top, 0); y < std::min(top + 10, 40); ++y) out[static_cast<std::size_t>(y)] = chosen;
        return out;
    };
    EXPECT_EQ(column(), expect(40));

    SendMessage(m_view.GetSafeHwnd(), WM_BSCROLL_PAGEDOWN, 0, 1);
    EXPECT_EQ(m_view.GetScrollPosition(), 1);
    EXPECT_TRUE(m_view.IsSliding());
    // Step 0 covers 20 % of the list, then 40 %, 60 %...
    EXPECT_EQ(column(), expect(40 - 8));
    Wait(20);
    EXPECT_EQ(column(), expect(40 - 16));
    Wait(20);
    EXPECT_EQ(column(), expect(40 - 24));
    Wait(200);
    EXPECT_FALSE(m_view.IsSliding());
    EXPECT_EQ(column(), expect(0));
    // Back up: the old page leaves downwards.
    SendMessage(m_view.GetSafeHwnd(), WM_BSCROLL_PAGEUP, 0, 0);
    Wait(20);
    EXPECT_TRUE(m_view.IsSliding());
    // A press ends the slide and lands on the new rows.
    m_pPresenter->InjectClick(Panel(), At(20, 15));
    Pump();
    EXPECT_FALSE(m_view.IsSliding());
    EXPECT_EQ(m_view.GetSelectItem(), 1);
}
