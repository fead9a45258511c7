// Scroll bars on a dialog: range and thumb arithmetic, moves and their reports, buttons, track
// presses, dragging, and the button-less bar that asks its list window for extra rows.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpScroll.h>

#include <tuple>

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_SCROLLS = 310;
constexpr UINT IDC_SCROLL = 21;
constexpr UINT IDC_SCROLLEX = 22;
constexpr UINT IDC_LIST = 23;
constexpr DialogItemTemplate kItems[] = {
    {L"Static", IDC_SCROLL, 0, 0, 5, 5},
    {L"Static", IDC_SCROLLEX, 0, 0, 5, 5},
};
constexpr DialogTemplate kTemplates[] = {{IDD_SCROLLS, 0, 0, 80, 100, WS_POPUP, 0, L"", kItems}};

// The bar with buttons: control (10, 5) 20 x 70; page up, line up, the 50-pixel track, line down
// and page down stacked from the top.
constexpr UINT kBarId = 20;
constexpr UINT kTrackId = 21;
constexpr UINT kThumbId = 22; // 18 x 6
constexpr UINT kButtonBase = 30; // 30 + 3 * button + state
// The bar without buttons: a 20 x 60 track at (40, 5) and an 8 x 6 thumb.
constexpr UINT kExTrackId = 24;
constexpr UINT kExThumbId = 25;

constexpr COLORREF kBg = RGB(1, 2, 3);
constexpr COLORREF kTrack = RGB(20, 120, 20);
constexpr COLORREF kThumb = RGB(240, 240, 0);
constexpr COLORREF kStates[3] = {RGB(200, 0, 0), RGB(0, 0, 200), RGB(90, 90, 90)};

constexpr int kBarX = 10;
constexpr int kBarY = 5;
constexpr int kBarW = 20;
constexpr int kBarH = 70;
// Where each button starts and ends, relative to the bar.
constexpr int kButtonTop[4] = {0, 5, 60, 65};

using Report = std::tuple<UINT, WPARAM, LPARAM>;

class CScrollPanel : public CBmpDialog {
public:
    CScrollPanel() : CBmpDialog(IDD_SCROLLS, nullptr) {}
    std::vector<Report> m_vecReports;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_BSCROLL_PAGEUP && message <= WM_BSCROLL_EXTRAROWS)
            m_vecReports.emplace_back(message, wParam, lParam);
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

// A list window that inserts extra rows before every asked row.
class CListWnd : public CWnd {
public:
    int m_nExtra = 0;
    std::vector<Report> m_vecReports;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_BSCROLL_PAGEUP && message <= WM_BSCROLL_EXTRAROWS) {
            m_vecReports.emplace_back(message, wParam, lParam);
            if (message == WM_BSCROLL_EXTRAROWS) return m_nExtra;
            return 0;
        }
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

class CScrollTest : public CBCtrlTest {
protected:
    CTouchSoundOff m_kSoundOff;
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        WriteScrollSkin();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_panel.Create(IDD_SCROLLS, nullptr));
        ASSERT_TRUE(m_bar.SubclassDlgItem(IDC_SCROLL, m_panel.GetSafeHwnd()));
        ASSERT_TRUE(m_barEx.SubclassDlgItem(IDC_SCROLLEX, m_panel.GetSafeHwnd()));
        m_pPresenter->SetAutoAdvance(false);
        m_panel.SetBackgroundColor(kBg);
        ShowWindow(m_panel.GetSafeHwnd(), SW_SHOW);
    }
    void TearDown() override
    {
        CBCtrlTest::TearDown();
    }
    void WriteScrollSkin()
    {
        torvix::skin::CMergeImageWriter writer;
        auto add = [&](UINT id, int x, int y, int w, int h, COLORREF c) {
            std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h), SkinPixel(c));
            ASSERT_TRUE(writer.AddCompressed(static_cast<int>(id),
                                             {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y),
                                              static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)},
                                             w, h, px.data()));
        };
        writer.AddEmpty(kBarId, {kBarX, kBarY, kBarW, kBarH});
        add(kTrackId, kBarX, kBarY + 10, kBarW, 50, kTrack);
        add(kThumbId, 0, 0, 18, 6, kThumb);
        for (int b = 0; b < 4; ++b)
            for (int s = 0; s < 3; ++s)
                add(kButtonBase + 3 * b + s, kBarX, kBarY + kButtonTop[b], kBarW, 5, kStates[s]);
        add(kExTrackId, 40, 5, 20, 60, kTrack);
        add(kExThumbId, 0, 0, 8, 6, kThumb);
        ASSERT_TRUE(writer.Write(m_kDir / "scroll.dat"));
        ASSERT_GE(m_kScrollLoader.OpenMergeFile((m_kDir / "scroll.dat").wstring(), 1), 2);
    }
    void OpenBar(UINT page, int style = 0)
    {
        UINT ids[12];
        for (UINT i = 0; i < 12; ++i) ids[i] = kButtonBase + i;
        ASSERT_EQ(m_bar.InitControl(style, &m_kScrollLoader, kBarId, kThumbId, kTrackId, ids[0], ids[1], ids[2],
                                    ids[3], ids[4], ids[5], ids[6], ids[7], ids[8], ids[9], ids[10], ids[11], page),
                  1);
    }
    void Show()
    {
        InvalidateRect(m_panel.GetSafeHwnd(), nullptr, TRUE);
        Pump();
    }
    HWND Panel() const { return m_panel.GetSafeHwnd(); }
    // Bar-relative point to dialog coordinates.
    static POINT At(int x, int y) { return POINT{kBarX + x, kBarY + y}; }
    void Press(POINT pt)
    {
        m_pPresenter->InjectButtonDown(Panel(), pt);
        Pump();
    }
    void Release(POINT pt)
    {
        m_pPresenter->InjectButtonUp(Panel(), pt);
        Pump();
    }
    void Move(POINT pt)
    {
        m_pPresenter->InjectMouseMove(Panel(), pt);
        Pump();
    }
    std::vector<COLORREF> BarOnScreen() const
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < kBarH; ++y)
            for (int x = 0; x < kBarW; ++x) out.push_back(Screen(Panel(), kBarX + x, kBarY + y));
        return out;
    }
    // The bar as it must look: buttons in their states, the track, and the thumb over rows
    // [thumbTop, thumbBottom) of the bar, one pixel in from each side of the track.
    static std::vector<COLORREF> ExpectedBar(const int states[4], int thumbTop, int thumbBottom)
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < kBarH; ++y)
            for (int x = 0; x < kBarW; ++x) {
                COLORREF c = kTrack;
                for (int b = 0; b < 4; ++b)
                    if (y >= kButtonTop[b] && y < kButtonTop[b] + 5) c = kStates[states[b]];
                if (y >= thumbTop && y < thumbBottom && x >= 1 && x < kBarW - 1) c = kThumb;
                out.push_back(c);
            }
        return out;
    }
    std::vector<Report> Changes() const
    {
        std::vector<Report> out;
        for (const Report& r : m_panel.m_vecReports)
            if (std::get<0>(r) == WM_BSCROLL_CHANGED) out.push_back(r);
        return out;
    }
    static Report Changed(LPARAM pos, WPARAM id = IDC_SCROLL) { return Report{WM_BSCROLL_CHANGED, id, pos}; }

    QLBMLoader m_kScrollLoader;
    CResModule m_kModule;
    CScrollPanel m_panel;
    CBmpScroll m_bar;
    CBmpScrollEx m_barEx;
};

} // namespace

TEST_F(CScrollTest, PlacesTrackButtonsAndThumbRelativeToTheBar)
{
    OpenBar(4);
    EXPECT_EQ(m_bar.GetControlPos(), (RECT{10, 5, 30, 75}));
    EXPECT_EQ(m_bar.GetTrackRect(), (RECT{0, 10, 20, 60}));
    EXPECT_EQ(m_bar.GetButtonRect(kScrollPageUp), (RECT{0, 0, 20, 5}));
    EXPECT_EQ(m_bar.GetButtonRect(kScrollPageDown), (RECT{0, 65, 20, 70}));
    EXPECT_EQ(m_bar.GetButtonRect(4), (RECT{}));
    EXPECT_EQ(m_bar.GetButtonState(-1), -1);
}

TEST_F(CScrollTest, RangeDecidesVisibilityButtonLookAndThumbSize)
{
    OpenBar(10);
    ASSERT_EQ(m_bar.SetRange(10u, 0), 1);
    EXPECT_EQ(m_bar.GetVisibleCtrl(), 0);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(m_bar.GetButtonState(b), kScrollButtonDisabled);

    m_bar.SetPage(4);
    m_bar.SetRange(10u, 0);
    EXPECT_EQ(m_bar.GetVisibleCtrl(), 1);
    EXPECT_EQ(m_bar.GetCount(), 10);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(m_bar.GetButtonState(b), kScrollButtonNormal);
    // 50 / 10 * 4 = 20 pixels, one pixel in from each side.
    EXPECT_EQ(m_bar.GetThumbRect(), (RECT{1, 10, 19, 30}));

    // A long list: the thumb keeps the image's height.
    m_bar.SetRange(100u, 0);
    EXPECT_EQ(m_bar.GetThumbRect(), (RECT{1, 10, 19, 16}));
    m_bar.SetThumbPos(96, 0);
    EXPECT_EQ(m_bar.GetThumbRect().bottom, 60);

    // A new range starts again at its minimum.
    m_bar.SetRange(20u, 0);
    EXPECT_EQ(m_bar.GetThumbPos(), 0);
}

TEST_F(CScrollTest, MovesClampToTheRangeAndReportEveryChange)
{
    OpenBar(4);
    m_bar.SetRange(10u, 0);
    EXPECT_EQ(m_bar.OnItemDn(), 1);
    EXPECT_EQ(m_bar.GetThumbRect().top, 15); // (50 - 20) / 6 per row
    EXPECT_EQ(m_bar.OnPageDn(), 1);
    EXPECT_EQ(m_bar.GetThumbPos(), 5);
    EXPECT_EQ(m_bar.OnPageDn(), 1);
    EXPECT_EQ(m_bar.GetThumbPos(), 6);
    EXPECT_EQ(m_bar.GetThumbRect(), (RECT{1, 40, 19, 60}));
    EXPECT_EQ(m_bar.OnItemDn(), 0);
    EXPECT_EQ(m_bar.OnPageDn(), 0);
    EXPECT_EQ(m_bar.OnPageUp(), 1);
    EXPECT_EQ(m_bar.OnPageUp(), 1);
    EXPECT_EQ(m_bar.GetThumbPos(), 0);
    EXPECT_EQ(m_bar.OnItemUp(), 0);
    Pump();
    EXPECT_EQ(Changes(), (std::vector<Report>{Changed(1), Changed(5), Changed(6), Changed(2), Changed(0)}));

    EXPECT_EQ(m_bar.SetThumbPos(99, 0), 1);
    EXPECT_EQ(m_bar.GetThumbPos(), 6);
    m_bar.SetThumbPos(-3, 0);
    EXPECT_EQ(m_bar.GetThumbPos(), 0);
    // Setting the position is the owner's doing: nothing is reported.
    Pump();
    EXPECT_EQ(Changes().size(), 5u);
}

TEST_F(CScrollTest, ListIndexOfAVisibleRow)
{
    OpenBar(4);
    m_bar.SetRange(10u, 0);
    m_bar.SetThumbPos(6, 0);
    EXPECT_EQ(m_bar.GetListIndex(-1), -1);
    EXPECT_EQ(m_bar.GetListIndex(0), 6);
    EXPECT_EQ(m_bar.GetListIndex(3), 9);
    // Past the last row there is no item.
    EXPECT_EQ(m_bar.GetListIndex(4), -1);
    EXPECT_EQ(m_bar.GetListIndex(10), -1);
}

TEST_F(CScrollTest, RangeNotStartingAtZeroKeepsTheThumbInTheTrack)
{
    OpenBar(4);
    m_bar.SetRange(5u, 14u, 0);
    EXPECT_EQ(m_bar.GetThumbPos(), 5);
    EXPECT_EQ(m_bar.GetThumbRect().top, 10);
    m_bar.SetThumbPos(99, 0);
    EXPECT_EQ(m_bar.GetThumbPos(), 11);
    EXPECT_EQ(m_bar.GetThumbRect(), (RECT{1, 40, 19, 60}));
    EXPECT_EQ(m_bar.GetListIndex(0), 11);
}

TEST_F(CScrollTest, EmptyAndUpsideDownRangesHoldNoRows)
{
    OpenBar(4);
    m_bar.SetRange(0u, 0);
    EXPECT_EQ(m_bar.GetCount(), 0);
    EXPECT_EQ(m_bar.GetVisibleCtrl(), 0);
    EXPECT_EQ(m_bar.GetListIndex(0), -1);
    EXPECT_EQ(m_bar.OnPageDn(), 0);
    m_bar.SetRange(9u, 3u, 0);
    EXPECT_EQ(m_bar.GetCount(), 0);
    EXPECT_EQ(m_bar.GetThumbPos(), 9);
    EXPECT_EQ(m_bar.OnItemDn(), 0);
}

TEST_F(CScrollTest, PictureFollowsPositionAndButtonPresses)
{
    OpenBar(4);
    m_bar.SetRange(10u, 0);
    m_bar.SetThumbPos(3, 0);
    Show();
    const int normal[4] = {0, 0, 0, 0};
    EXPECT_EQ(BarOnScreen(), ExpectedBar(normal, 25, 45));

    Press(At(10, 62)); // line down
    EXPECT_EQ(m_bar.GetThumbPos(), 4);
    const int lineDownPressed[4] = {0, 0, 1, 0};
    EXPECT_EQ(BarOnScreen(), ExpectedBar(lineDownPressed, 30, 50));
    Release(At(10, 62));
    EXPECT_EQ(BarOnScreen(), ExpectedBar(normal, 30, 50));

    // Leaving a pressed button lets it go at once.
    Press(At(10, 2)); // page up
    EXPECT_EQ(m_bar.GetThumbPos(), 0);
    Move(At(10, 30));
    EXPECT_EQ(m_bar.GetButtonState(kScrollPageUp), kScrollButtonNormal);
    EXPECT_EQ(m_panel.GetCapturedCtrl(), nullptr);
    Release(At(10, 30));
    EXPECT_EQ(BarOnScreen(), ExpectedBar(normal, 10, 30));
    EXPECT_EQ(Changes(), (std::vector<Report>{Changed(4), Changed(0)}));

    // A range that fits the page hides the bar and shows what lies under it.
    m_bar.SetRange(3u, 0);
    PostMessage(Panel(), WM_NULL, 0, 0);
    Pump();
    EXPECT_EQ(BarOnScreen(), std::vector<COLORREF>(kBarW * kBarH, kBg));
}

TEST_F(CScrollTest, DisabledLookButtonsAndDisabledBarDoNothing)
{
    OpenBar(10);
    m_bar.SetRange(12u, 0);
    EXPECT_EQ(m_bar.GetButtonState(kScrollLineDown), kScrollButtonNormal);
    m_bar.SetRange(10u, 0);
    m_bar.SetVisibleCtrl(1, 0);
    Show();
    const int disabled[4] = {2, 2, 2, 2};
    // 50 / 10 * 10 fills the track.
    EXPECT_EQ(BarOnScreen(), ExpectedBar(disabled, 10, 60));
    Press(At(10, 62));
    Release(At(10, 62));
    EXPECT_EQ(m_bar.GetButtonState(kScrollLineDown), kScrollButtonDisabled);

    m_bar.SetPage(4);
    m_bar.SetRange(10u, 0);
    m_bar.SetDisableCtrl(1, 0);
    EXPECT_EQ(m_bar.LButtonDown(0, POINT{10, 62}), 0);
    EXPECT_EQ(m_bar.LButtonDown(0, POINT{10, 50}), 0);
    EXPECT_EQ(m_bar.GetThumbPos(), 0);
    Pump();
    EXPECT_TRUE(Changes().empty());
}

TEST_F(CScrollTest, TrackPressesPageTowardsThePress)
{
    OpenBar(4);
    m_bar.SetRange(10u, 0);
    Show();
    Press(At(10, 55)); // below the thumb (10..30)
    Release(At(10, 55));
    EXPECT_EQ(m_bar.GetThumbPos(), 4);
    Press(At(10, 55)); // the thumb is now 30..50
    Release(At(10, 55));
    EXPECT_EQ(m_bar.GetThumbPos(), 6);
    Press(At(10, 12)); // above
    Release(At(10, 12));
    EXPECT_EQ(m_bar.GetThumbPos(), 2);
    EXPECT_EQ(Changes(), (std::vector<Report>{Changed(4), Changed(6), Changed(2)}));
}

TEST_F(CScrollTest, DraggingTheThumbFollowsThePointerAndSnapsOnRelease)
{
    OpenBar(4);
    m_bar.SetRange(10u, 0);
    Show();
    Press(At(10, 15)); // 5 pixels into the thumb
    EXPECT_EQ(m_bar.IsDragging(), 1);
    Move(At(10, 27)); // thumb top 22: 12 / 5 rounds to row 2
    EXPECT_EQ(m_bar.GetThumbRect().top, 22);
    EXPECT_EQ(m_bar.GetThumbPos(), 2);
    EXPECT_EQ(m_panel.GetCapturedCtrl(), &m_bar);
    Move(At(10, 29)); // top 24: 14 / 5 rounds to row 3
    EXPECT_EQ(m_bar.GetThumbPos(), 3);
    Release(At(10, 29));
    EXPECT_EQ(m_bar.IsDragging(), 0);
    const int normal[4] = {0, 0, 0, 0};
    EXPECT_EQ(BarOnScreen(), ExpectedBar(normal, 25, 45));
    EXPECT_EQ(Changes(), (std::vector<Report>{Changed(2), Changed(3), Changed(3)}));

    // Past the end the thumb stops at the track's bottom, and above its top at the top.
    Press(At(10, 30));
    Move(At(10, 90));
    EXPECT_EQ(m_bar.GetThumbRect(), (RECT{1, 40, 19, 60}));
    EXPECT_EQ(m_bar.GetThumbPos(), 6);
    Move(At(10, -4));
    EXPECT_EQ(m_bar.GetThumbRect().top, 10);
    EXPECT_EQ(m_bar.GetThumbPos(), 0);
    Release(At(10, -4));
}

TEST_F(CScrollTest, CleanEndsDraggingAndPressedLooks)
{
    OpenBar(4);
    m_bar.SetRange(10u, 0);
    Show();
    Press(At(10, 62));
    EXPECT_EQ(m_bar.GetButtonState(kScrollLineDown), kScrollButtonPressed);
    m_bar.Clean();
    EXPECT_EQ(m_bar.GetButtonState(kScrollLineDown), kScrollButtonNormal);
    Release(At(10, 62));
    Press(At(10, 25));
    EXPECT_EQ(m_bar.IsDragging(), 1);
    m_bar.Clean();
    EXPECT_EQ(m_bar.IsDragging(), 0);
}

TEST_F(CScrollTest, BarWithoutButtonsRunsItsThumbInTheInnerLane)
{
    ASSERT_EQ(m_barEx.InitControl(0, &m_kScrollLoader, kExTrackId, kExThumbId, 4, nullptr), 1);
    EXPECT_EQ(m_barEx.GetControlPos(), (RECT{40, 5, 60, 65}));
    // 12 below the top, 7 above the bottom; an 8-pixel column centred 2 pixels to the right.
    EXPECT_EQ(m_barEx.GetTrackRect(), (RECT{0, 12, 20, 53}));
    m_barEx.SetRange(10u, 0);
    // 41 / 10 * 4 = 16 pixels.
    EXPECT_EQ(m_barEx.GetThumbRect(), (RECT{8, 12, 16, 28}));
    m_barEx.SetThumbPos(6, 0);
    EXPECT_EQ(m_barEx.GetThumbRect(), (RECT{8, 37, 16, 53}));

    // Without a list window a track press reports to the parent.
    Show();
    m_pPresenter->InjectClick(Panel(), POINT{48, 5 + 14});
    Pump();
    EXPECT_EQ(m_barEx.GetThumbPos(), 2);
    EXPECT_EQ(Changes(), (std::vector<Report>{Changed(2, IDC_SCROLLEX)}));
}

TEST_F(CScrollTest, BarWithoutButtonsAsksItsListForExtraRowsAndPagesIt)
{
    CListWnd list;
    ASSERT_TRUE(list.CreateEx(0, L"Static", L"", WS_CHILD, RECT{0, 0, 5, 5}, Panel(), IDC_LIST));
    list.m_nExtra = 2;
    ASSERT_EQ(m_barEx.InitControl(0, &m_kScrollLoader, kExTrackId, kExThumbId, 4, list.GetSafeHwnd()), 1);
    m_barEx.SetRange(0u, 7u, 0);
    EXPECT_EQ(m_barEx.GetRangeMax(), 9);
    EXPECT_EQ(m_barEx.GetCount(), 10);
    m_barEx.SetThumbPos(1, 0);
    EXPECT_EQ(m_barEx.GetThumbPos(), 3);
    EXPECT_EQ(list.m_vecReports,
              (std::vector<Report>{{WM_BSCROLL_EXTRAROWS, 7, 0}, {WM_BSCROLL_EXTRAROWS, 1, 0}}));
    list.m_vecReports.clear();

    // A nonsensical negative answer adds nothing.
    list.m_nExtra = -5;
    m_barEx.SetThumbPos(2, 0);
    EXPECT_EQ(m_barEx.GetThumbPos(), 2);
    list.m_vecReports.clear();

    Show();
    const RECT thumb = m_barEx.GetThumbRect();
    m_pPresenter->InjectClick(Panel(), POINT{48, 5 + thumb.bottom + 1});
    Pump();
    EXPECT_EQ(m_barEx.GetThumbPos(), 6);
    m_pPresenter->InjectClick(Panel(), POINT{48, 5 + 13});
    Pump();
    EXPECT_EQ(m_barEx.GetThumbPos(), 2);
    EXPECT_EQ(list.m_vecReports, (std::vector<Report>{{WM_BSCROLL_PAGEDOWN, IDC_SCROLLEX, 6},
                                                      {WM_BSCROLL_PAGEUP, IDC_SCROLLEX, 2}}));
    EXPECT_TRUE(Changes().empty());
}
