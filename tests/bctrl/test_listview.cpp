// The touch-scrolled list view on a dialog, driven by injected mouse input and the headless
// clock: taps, the delayed release, flings, overscroll with spring back, paging and row upkeep.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpListView.h>

#include <chrono>
#include <string>
#include <utility>

using namespace zent;
using namespace bctrltest;
using std::chrono::milliseconds;

namespace {

constexpr UINT IDD_VIEWPANEL = 320;
constexpr UINT IDC_VIEW = 31;
constexpr DialogItemTemplate kItems[] = {{L"Static", IDC_VIEW, 0, 0, 10, 10}};
constexpr DialogTemplate kTemplates[] = {{IDD_VIEWPANEL, 0, 0, 130, 400, WS_POPUP, 0, L"", kItems}};

constexpr UINT kPanelId = 1; // 130 x 400: room to drag below the view
constexpr UINT kViewId = 2;  // 100 x 60 at (10, 10): three rows
constexpr UINT kRowId = 3;   // 100 x 20
constexpr int kViewLeft = 10;
constexpr int kViewTop = 10;
constexpr int kRowH = 20;
constexpr int kItemCount = 10;
constexpr int kMaxOffset = kItemCount * kRowH - 60;
constexpr COLORREF kHighlight = 0x8C5A1E;
constexpr COLORREF kRowBg = 0x202020;

class CViewPanel : public CBmpDialog {
public:
    CViewPanel() : CBmpDialog(IDD_VIEWPANEL, nullptr) {}
    using CBmpDialog::LoadBackground;
    std::vector<std::pair<UINT, LPARAM>> m_vecNotes;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if ((message == WM_BVIEW_TAP || message == WM_BVIEW_SETTLED) && wParam == IDC_VIEW)
            m_vecNotes.emplace_back(message, lParam);
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

class CListViewTest : public CBCtrlTest {
protected:
    CTouchSoundOff m_kSoundOff;
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        torvix::skin::CMergeImageWriter writer;
        std::vector<std::uint32_t> panel(130 * 400, SkinPixel(RGB(1, 2, 3)));
        ASSERT_TRUE(writer.AddCompressed(kPanelId, {0, 0, 130, 400}, 130, 400, panel.data()));
        writer.AddEmpty(kViewId, {kViewLeft, kViewTop, 100, 60});
        writer.AddEmpty(kRowId, {0, 0, 100, kRowH});
        ASSERT_TRUE(writer.Write(m_kDir / "view.dat"));
        ASSERT_GE(m_kViewLoader.OpenMergeFile((m_kDir / "view.dat").wstring(), 1), 2);

        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_panel.Create(IDD_VIEWPANEL, nullptr));
        ASSERT_TRUE(m_view.SubclassDlgItem(IDC_VIEW, m_panel.GetSafeHwnd()));
        m_pPresenter->SetAutoAdvance(false);
        ASSERT_EQ(m_view.InitControl(0, &m_kViewLoader, kViewId, kRowId, 0, 0), 1);
        for (int i = 0; i < kItemCount; ++i)
            ASSERT_EQ(m_view.AddItem((L"row " + std::to_wstring(i)).c_str(), nullptr, nullptr, 0), 1);
        m_panel.LoadBackground(&m_kViewLoader, kPanelId, POINT{0, 0}, 0);
        Pump();
    }
    void TearDown() override
    {
        CBCtrlTest::TearDown();
    }
    HWND Panel() const { return m_panel.GetSafeHwnd(); }
    static POINT At(int x, int y) { return POINT{kViewLeft + x, kViewTop + y}; }
    void Wait(int ms)
    {
        // One timer period at a time, as a real clock would deliver them.
        for (int done = 0; done < ms; done += 10) {
            m_pPresenter->AdvanceClock(milliseconds(std::min(10, ms - done)));
            Pump();
        }
    }
    void Down(POINT pt) { m_pPresenter->InjectButtonDown(Panel(), pt); Pump(); }
    void Move(POINT pt) { m_pPresenter->InjectMouseMove(Panel(), pt); Pump(); }
    void Up(POINT pt) { m_pPresenter->InjectButtonUp(Panel(), pt); Pump(); }
    std::vector<std::pair<UINT, LPARAM>> TakeNotes() { return std::exchange(m_panel.m_vecNotes, {}); }

    QLBMLoader m_kViewLoader;
    CResModule m_kModule;
    CViewPanel m_panel;
    CBmpListView m_view;
};

} // namespace

TEST_F(CListViewTest, RowsAndPositions)
{
    EXPECT_EQ(m_view.GetCount(), kItemCount);
    EXPECT_EQ(m_view.GetRowHeight(), kRowH);
    EXPECT_EQ(m_view.GetLastTopPos(), 7);
    int splitters = -1, top = -1;
    EXPECT_EQ(m_view.GetListItemFromPos(45, &splitters, &top), 2);
    EXPECT_EQ(splitters, 0);
    EXPECT_EQ(top, 40);
    EXPECT_EQ(m_view.GetListItemFromPos(kItemCount * kRowH, nullptr, nullptr), -1);
    EXPECT_EQ(m_view.GetListItemFromPos(-1, nullptr, nullptr), -1);

    m_view.SetScrollPosition(99, 0);
    EXPECT_EQ(m_view.GetScrollOffset(), kMaxOffset);
    m_view.SetScrollPosition(-3, 0);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);

    // Removing rows keeps the selection on its row and the offset in range.
    m_view.SetSelectItem(5, 0);
    m_view.SetScrollPosition(7, 0);
    EXPECT_EQ(m_view.RemoveAt(2, 0), 1);
    EXPECT_EQ(m_view.GetSelectItem(), 4);
    EXPECT_EQ(std::wstring(m_view.GetItemText(4)), L"row 5");
    EXPECT_EQ(m_view.GetScrollOffset(), (kItemCount - 1) * kRowH - 60);
    EXPECT_EQ(m_view.RemoveAt(4, 0), 1);
    EXPECT_EQ(m_view.GetSelectItem(), -1);
    EXPECT_EQ(m_view.RemoveAt(40, 0), 0);
    m_view.RemoveAll(0);
    EXPECT_EQ(m_view.GetCount(), 0);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);

    const std::wstring longText(200, L'x');
    m_view.AddItem(longText.c_str(), nullptr, nullptr, 0);
    EXPECT_EQ(std::wstring(m_view.GetItemText(0)).size(), 127u);
}

TEST_F(CListViewTest, TapSelectsTheRowOnlyAfterTheReleaseDelay)
{
    Down(At(30, 45));
    Wait(50);
    Up(At(32, 47));
    Wait(100);
    EXPECT_EQ(m_view.GetSelectItem(), -1);
    EXPECT_TRUE(TakeNotes().empty());
    Wait(10);
    EXPECT_EQ(m_view.GetSelectItem(), 2);
    EXPECT_EQ(TakeNotes(), (std::vector<std::pair<UINT, LPARAM>>{{WM_BVIEW_TAP, 2}}));
    PostMessage(Panel(), WM_NULL, 0, 0);
    Pump();
    EXPECT_EQ(Screen(Panel(), kViewLeft + 90, kViewTop + 45), kHighlight);
    EXPECT_EQ(Screen(Panel(), kViewLeft + 90, kViewTop + 25), kRowBg);
    // The 2-pixel jitter pulled the content past the top; it springs back as well.
    Wait(500);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);
    EXPECT_EQ(TakeNotes(), (std::vector<std::pair<UINT, LPARAM>>{{WM_BVIEW_SETTLED, 0}}));
}

TEST_F(CListViewTest, HoldingLongerThanHalfASecondIsNoTap)
{
    Down(At(30, 45));
    Wait(510);
    Up(At(30, 45));
    Wait(120);
    EXPECT_EQ(m_view.GetSelectItem(), -1);
    EXPECT_EQ(TakeNotes(), (std::vector<std::pair<UINT, LPARAM>>{{WM_BVIEW_SETTLED, 0}}));
}

TEST_F(CListViewTest, FastFlickKeepsScrollingAndDecays)
{
    Down(At(30, 55));
    for (int y = 45; y >= 15; y -= 10) {
        Wait(20);
        Move(At(30, y));
    }
    Up(At(30, 15));
    const int released = m_view.GetScrollOffset();
    ASSERT_EQ(released, 40);
    Wait(110);
    ASSERT_EQ(m_view.GetScroller().GetMode(), CBmpFlingScroller::kModeFling);
    const int v0 = m_view.GetScroller().GetVelocity();
    EXPECT_EQ(v0, 40 * 1000 / 80); // 40 pixels in the last 80 ms
    Wait(50);
    const int v1 = m_view.GetScroller().GetVelocity();
    EXPECT_GT(m_view.GetScrollOffset(), released);
    const double step = (v0 + CBmpFlingScroller::GetFlingBoost(v0)) * 0.08;
    EXPECT_EQ(v1, static_cast<int>((v0 + step) * 0.84));
    Wait(3000);
    EXPECT_FALSE(m_view.GetScroller().IsAnimating());
    EXPECT_GE(m_view.GetScrollOffset(), 0);
    EXPECT_LE(m_view.GetScrollOffset(), kMaxOffset);
    EXPECT_EQ(m_view.GetSelectItem(), -1);
    const auto notes = TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].first, WM_BVIEW_SETTLED);
    EXPECT_EQ(notes[0].second, m_view.GetScrollPosition());
}

TEST_F(CListViewTest, DraggingPastTheTopStopsAt150AndSpringsBack)
{
    Down(At(30, 5));
    Wait(20);
    Move(At(30, 55));
    Wait(20);
    m_pPresenter->InjectMouseMove(Panel(), POINT{kViewLeft + 30, 300});
    Pump();
    EXPECT_EQ(m_view.GetScrollOffset(), -150);
    Up(POINT{kViewLeft + 30, 300});
    Wait(110);
    EXPECT_EQ(m_view.GetScroller().GetMode(), CBmpFlingScroller::kModeSpringTop);
    Wait(50);
    EXPECT_EQ(m_view.GetScrollOffset(), -75);
    Wait(1000);
    EXPECT_EQ(m_view.GetScrollOffset(), 0);
    EXPECT_EQ(TakeNotes(), (std::vector<std::pair<UINT, LPARAM>>{{WM_BVIEW_SETTLED, 0}}));
}

TEST_F(CListViewTest, PressSoonAfterAReleaseContinuesTheDrag)
{
    Down(At(30, 45));
    Up(At(30, 45));
    Wait(50);
    Down(At(30, 45));
    Wait(200);
    Up(At(30, 45));
    Wait(120);
    // Neither touch became a tap.
    EXPECT_EQ(m_view.GetSelectItem(), -1);
    EXPECT_EQ(TakeNotes(), (std::vector<std::pair<UINT, LPARAM>>{{WM_BVIEW_SETTLED, 0}}));
}

TEST_F(CListViewTest, PagingEasesToTheNextPage)
{
    SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0);
    Wait(50);
    EXPECT_EQ(m_view.GetScrollOffset(), 27); // 45 % of 60
    Wait(500);
    EXPECT_EQ(m_view.GetScrollOffset(), 60);
    EXPECT_EQ(m_view.GetScrollPosition(), 3);
    EXPECT_EQ(TakeNotes(), (std::vector<std::pair<UINT, LPARAM>>{{WM_BVIEW_SETTLED, 3}}));
    SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0);
    SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0); // a second page restarts from here
    Wait(1000);
    EXPECT_EQ(m_view.GetScrollOffset(), 120);
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEUP, 0, 0), 1);
    Wait(1000);
    EXPECT_EQ(m_view.GetScrollOffset(), 60);
    SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_SCROLLTO, 0, 100);
    EXPECT_EQ(m_view.GetScrollOffset(), kMaxOffset);
    EXPECT_EQ(SendMessage(m_view.GetSafeHwnd(), WM_BVIEW_PAGEDOWN, 0, 0), 0);
}
