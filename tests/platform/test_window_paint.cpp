// Invalidation, painting back to front into the top-level picture, and presenting.

#include "WindowTestSupport.h"

#include <zent/platform/Gdi.h>

using namespace zent;
using windowtest::CWindowTest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

} // namespace

class CPaintTest : public CWindowTest {
protected:
    void SetUp() override
    {
        CWindowTest::SetUp();
        // Every window fills its whole client area with its colour, trusting the clip to keep
        // it inside the part being painted, and notes the part it was asked to paint.
        m_log.On(WM_PAINT, [this](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
            PAINTSTRUCT ps;
            const HDC hdc = BeginPaint(h, &ps);
            m_vecPainted.push_back({h, ps.rcPaint});
            RECT rc;
            GetClientRect(h, &rc);
            FillSolidRect(hdc, &rc, m_mapColour[h]);
            EndPaint(h, &ps);
            return 0;
        });
        m_hwndTop = MakeTop(40, 40, 200, 200);
        m_hwndChild = MakeChild(m_hwndTop, 50, 50, 100, 100);
        m_mapColour[m_hwndTop] = kRed;
        m_mapColour[m_hwndChild] = kBlue;
        Pump();
    }
    COLORREF Screen(int x, int y) const { return m_pPresenter->GetScreenPixel(m_hwndTop, x, y); }

    struct Painted {
        HWND hwnd;
        RECT rc;
    };
    std::vector<Painted> m_vecPainted;
    std::map<HWND, COLORREF> m_mapColour;
    HWND m_hwndTop = nullptr;
    HWND m_hwndChild = nullptr;
};

TEST_F(CPaintTest, FirstPaintDrawsParentThenChildAndPresentsOnce)
{
    ASSERT_EQ(m_vecPainted.size(), 2u);
    EXPECT_EQ(m_vecPainted[0].hwnd, m_hwndTop);
    EXPECT_EQ(m_vecPainted[0].rc, (RECT{0, 0, 200, 200}));
    EXPECT_EQ(m_vecPainted[1].hwnd, m_hwndChild);
    EXPECT_EQ(m_vecPainted[1].rc, (RECT{0, 0, 100, 100}));
    EXPECT_EQ(m_pPresenter->GetPresentCount(m_hwndTop), 1);
    EXPECT_EQ(Screen(10, 10), kRed);
    EXPECT_EQ(Screen(50, 50), kBlue);
    EXPECT_EQ(Screen(149, 149), kBlue);
    EXPECT_EQ(Screen(150, 150), kRed);
    EXPECT_FALSE(m_pLoop->PumpPending());
}

TEST_F(CPaintTest, InvalidationsMergeIntoOnePaintClippedToTheirBoundingRectangle)
{
    m_vecPainted.clear();
    m_mapColour[m_hwndTop] = kGreen;
    m_mapColour[m_hwndChild] = kGreen;
    const RECT rcTopPart{10, 10, 20, 20};
    const RECT rcChildPart{0, 0, 10, 10}; // (50, 50, 60, 60) in the top-level window
    InvalidateRect(m_hwndTop, &rcTopPart, FALSE);
    InvalidateRect(m_hwndChild, &rcChildPart, FALSE);
    RECT rcUpdate{};
    EXPECT_TRUE(GetUpdateRect(m_hwndChild, &rcUpdate, FALSE));
    EXPECT_EQ(rcUpdate, (RECT{0, 0, 10, 10}));
    Pump();

    ASSERT_EQ(m_vecPainted.size(), 2u);
    EXPECT_EQ(m_vecPainted[0].hwnd, m_hwndTop);
    EXPECT_EQ(m_vecPainted[0].rc, (RECT{10, 10, 60, 60}));
    EXPECT_EQ(m_vecPainted[1].hwnd, m_hwndChild);
    EXPECT_EQ(m_vecPainted[1].rc, (RECT{0, 0, 10, 10}));
    EXPECT_EQ(m_pPresenter->GetPresentCount(m_hwndTop), 2);
    EXPECT_EQ(m_pPresenter->GetLastPresentRect(m_hwndTop), (RECT{10, 10, 60, 60}));
    // Inside the merged rectangle everything is new; outside it nothing was touched.
    EXPECT_EQ(Screen(10, 10), kGreen);
    EXPECT_EQ(Screen(59, 59), kGreen);
    EXPECT_EQ(Screen(60, 60), kBlue);
    EXPECT_EQ(Screen(9, 9), kRed);
    EXPECT_EQ(Screen(60, 10), kRed);
    EXPECT_FALSE(GetUpdateRect(m_hwndTop, nullptr, FALSE));
}

TEST_F(CPaintTest, ChildrenOutsideTheDirtyRectangleAreNotAskedToPaint)
{
    m_vecPainted.clear();
    const RECT rc{0, 0, 30, 30};
    InvalidateRect(m_hwndTop, &rc, FALSE);
    Pump();
    ASSERT_EQ(m_vecPainted.size(), 1u);
    EXPECT_EQ(m_vecPainted[0].hwnd, m_hwndTop);
}

TEST_F(CPaintTest, HidingAChildRepaintsWhatItCoveredAndHiddenWindowsAreNotPainted)
{
    m_vecPainted.clear();
    ShowWindow(m_hwndChild, SW_HIDE);
    EXPECT_EQ(m_log.Count(WM_SHOWWINDOW, m_hwndChild), 1);
    InvalidateRect(m_hwndChild, nullptr, FALSE);
    Pump();
    ASSERT_EQ(m_vecPainted.size(), 1u);
    EXPECT_EQ(m_vecPainted[0].hwnd, m_hwndTop);
    EXPECT_EQ(m_vecPainted[0].rc, (RECT{50, 50, 150, 150}));
    EXPECT_EQ(Screen(100, 100), kRed);

    ShowWindow(m_hwndTop, SW_HIDE);
    EXPECT_FALSE(m_pPresenter->IsNativeVisible(m_hwndTop));
    InvalidateRect(m_hwndTop, nullptr, FALSE);
    m_vecPainted.clear();
    Pump();
    EXPECT_TRUE(m_vecPainted.empty());
    ShowWindow(m_hwndTop, SW_SHOW);
    Pump();
    EXPECT_EQ(m_vecPainted.size(), 1u);
}

TEST_F(CPaintTest, UpdateWindowPaintsAtOnceAndMovingAChildRepaintsBothPlaces)
{
    m_vecPainted.clear();
    InvalidateRect(m_hwndChild, nullptr, FALSE);
    UpdateWindow(m_hwndChild);
    EXPECT_EQ(m_vecPainted.size(), 2u);

    m_vecPainted.clear();
    MoveWindow(m_hwndChild, 0, 0, 20, 20, TRUE);
    Pump();
    ASSERT_FALSE(m_vecPainted.empty());
    EXPECT_EQ(m_vecPainted[0].rc, (RECT{0, 0, 150, 150}));
    EXPECT_EQ(Screen(100, 100), kRed);
    EXPECT_EQ(Screen(5, 5), kBlue);
}

TEST_F(CPaintTest, ResizingTheTopLevelWindowGivesItANewPictureAllDirty)
{
    m_vecPainted.clear();
    m_log.Clear();
    SetWindowPos(m_hwndTop, nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(m_log.Count(WM_SIZE, m_hwndTop), 1);
    EXPECT_EQ(LOWORD(static_cast<DWORD>(m_log.Of(WM_SIZE)[0].lParam)), 300);
    EXPECT_EQ(m_pPresenter->GetNativeRect(m_hwndTop), (RECT{40, 40, 340, 160}));
    Pump();
    ASSERT_FALSE(m_vecPainted.empty());
    EXPECT_EQ(m_vecPainted[0].rc, (RECT{0, 0, 300, 120}));
    BITMAP bm{};
    ASSERT_TRUE(GetObject(GetWindowPicture(m_hwndTop), &bm));
    EXPECT_EQ(bm.bmWidth, 300);
    EXPECT_EQ(bm.bmHeight, 120);
    EXPECT_EQ(Screen(299, 119), kRed);
    EXPECT_EQ(Screen(100, 100), kBlue);
}

TEST_F(CPaintTest, ClientDeviceContextDrawsClippedToItsWindowAndReachesTheScreen)
{
    const HDC hdc = GetDC(m_hwndChild);
    ASSERT_NE(hdc, nullptr);
    FillSolidRect(hdc, -20, -20, 40, 40, kGreen);
    // Drawn between messages: presented at the end of the next pass.
    PostMessage(m_hwndTop, WM_APP, 0, 0);
    m_pLoop->PumpPending();
    EXPECT_EQ(Screen(50, 50), kGreen);
    EXPECT_EQ(Screen(69, 69), kGreen);
    EXPECT_EQ(Screen(45, 45), kRed);

    // Follows its window when it moves.
    MoveWindow(m_hwndChild, 100, 100, 100, 100, TRUE);
    Pump();
    FillSolidRect(hdc, 0, 0, 5, 5, kGreen);
    EXPECT_EQ(ReleaseDC(m_hwndChild, hdc), 1);
    EXPECT_EQ(Screen(100, 100), kGreen);
    EXPECT_EQ(Screen(105, 105), kBlue);
    EXPECT_EQ(ReleaseDC(m_hwndChild, hdc), 0);

    // A device context that outlives its window draws nowhere.
    const HDC hdcLate = GetDC(m_hwndChild);
    DestroyWindow(m_hwndChild);
    FillSolidRect(hdcLate, 0, 0, 200, 200, kGreen);
    EXPECT_EQ(ReleaseDC(nullptr, hdcLate), 1);
    Pump();
    EXPECT_EQ(Screen(150, 150), kRed);
}

TEST_F(CPaintTest, BeginPaintOutsidePaintingGivesNothingToDraw)
{
    PAINTSTRUCT ps;
    ps.rcPaint = RECT{1, 2, 3, 4};
    EXPECT_EQ(BeginPaint(m_hwndTop, &ps), nullptr);
    EXPECT_TRUE(ps.rcPaint.IsEmpty());
}
