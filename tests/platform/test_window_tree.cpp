// The window tree: destruction with children, coordinates of nested windows, z-order, natives.

#include "WindowTestSupport.h"

using namespace zent;
using windowtest::CWindowTest;
using windowtest::PointOf;

namespace {

class CCountingWnd : public CWnd {
public:
    int m_nPostNcDestroy = 0;
    HWND m_hwndAtPostNcDestroy = reinterpret_cast<HWND>(1);

protected:
    void PostNcDestroy() override
    {
        ++m_nPostNcDestroy;
        m_hwndAtPostNcDestroy = GetSafeHwnd();
    }
};

} // namespace

TEST_F(CWindowTest, DestroyReachesParentFirstThenChildrenAndFinishesChildrenFirst)
{
    const HWND hwndTop = MakeTop(0, 0, 100, 100);
    const HWND hwndA = MakeChild(hwndTop, 0, 0, 50, 50);
    const HWND hwndA1 = MakeChild(hwndA, 0, 0, 10, 10);
    const HWND hwndB = MakeChild(hwndTop, 50, 50, 50, 50);
    bool bChildrenAliveDuringParentDestroy = false;
    m_log.On(WM_DESTROY, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        if (h == hwndTop) bChildrenAliveDuringParentDestroy = IsWindow(hwndA1) && IsWindow(hwndB);
        return 0;
    });
    ASSERT_TRUE(DestroyWindow(hwndTop));
    EXPECT_EQ(m_log.Receivers(WM_DESTROY), (std::vector<HWND>{hwndTop, hwndA, hwndA1, hwndB}));
    EXPECT_EQ(m_log.Receivers(WM_NCDESTROY), (std::vector<HWND>{hwndA1, hwndA, hwndB, hwndTop}));
    EXPECT_TRUE(bChildrenAliveDuringParentDestroy);
    for (HWND h : {hwndTop, hwndA, hwndA1, hwndB}) EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(DestroyWindow(hwndTop));
}

TEST_F(CWindowTest, DestroyDropsQueuedMessagesTimersFocusAndCaptureOfTheWholeSubtree)
{
    const HWND hwndTop = MakeTop(0, 0, 100, 100);
    const HWND hwndPanel = MakeChild(hwndTop, 0, 0, 50, 50);
    const HWND hwndInner = MakeChild(hwndPanel, 0, 0, 10, 10);
    const HWND hwndOther = MakeChild(hwndTop, 50, 50, 50, 50);
    PostMessage(hwndPanel, WM_APP, 1, 0);
    PostMessage(hwndInner, WM_APP, 2, 0);
    PostMessage(hwndOther, WM_APP, 3, 0);
    SetTimer(hwndInner, 1, 10);
    SetTimer(hwndOther, 1, 10);
    SetFocus(hwndInner);
    SetCapture(hwndPanel);
    // A handler that posts to its dying self gets nothing either.
    m_log.On(WM_DESTROY, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        PostMessage(h, WM_APP, 4, 0);
        return 0;
    });

    ASSERT_TRUE(DestroyWindow(hwndPanel));
    EXPECT_EQ(m_log.Count(WM_KILLFOCUS, hwndInner), 1);
    EXPECT_EQ(m_log.Count(WM_CAPTURECHANGED, hwndPanel), 1);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(KillTimer(hwndInner, 1));

    Advance(10);
    Pump();
    const auto vecApp = m_log.Of(WM_APP);
    ASSERT_EQ(vecApp.size(), 1u);
    EXPECT_EQ(vecApp[0].hwnd, hwndOther);
    EXPECT_EQ(m_log.Receivers(WM_TIMER), std::vector<HWND>{hwndOther});
    EXPECT_FALSE(PostMessage(hwndInner, WM_APP, 5, 0));
    EXPECT_EQ(GetWindow(hwndTop, GW_CHILD), hwndOther);
}

TEST_F(CWindowTest, WindowObjectLetsGoOfItsHandleAndDestroysItsWindowWhenItGoes)
{
    const HWND hwndTop = MakeTop(0, 0, 100, 100);
    CCountingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"Obj", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, hwndTop, 5));
    const HWND hwnd = wnd.GetSafeHwnd();
    EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd);
    EXPECT_EQ(GetDlgItem(hwndTop, 5), hwnd);
    EXPECT_FALSE(wnd.CreateEx(0, L"Obj", L"", WS_CHILD, RECT{}, hwndTop, 6));
    DestroyWindow(hwndTop);
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
    EXPECT_EQ(wnd.m_nPostNcDestroy, 1);
    EXPECT_EQ(wnd.m_hwndAtPostNcDestroy, nullptr);

    HWND hwndScoped = nullptr;
    {
        CWnd scoped;
        ASSERT_TRUE(scoped.CreateEx(0, L"Obj", L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
        hwndScoped = scoped.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(hwndScoped));
    // A handle is never given out again.
    const HWND hwndNew = MakeTop(0, 0, 10, 10);
    EXPECT_NE(hwndNew, hwndScoped);
    EXPECT_NE(hwndNew, hwnd);
}

TEST_F(CWindowTest, CreationFailsWithoutAParentOrWhenWmCreateRefuses)
{
    EXPECT_EQ(CreateWindowEx(0, L"C", L"", WS_CHILD, 0, 0, 1, 1, nullptr, 0), nullptr);
    const HWND hwndTop = MakeTop(0, 0, 10, 10);
    m_log.On(WM_CREATE, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return -1; });
    m_log.Clear();
    EXPECT_EQ(MakeChild(hwndTop, 0, 0, 5, 5), nullptr);
    // The refused window was taken down again and left nothing behind.
    EXPECT_EQ(m_log.Count(WM_DESTROY), 1);
    EXPECT_EQ(GetWindow(hwndTop, GW_CHILD), nullptr);
}

TEST_F(CWindowTest, NestedChildrenMapBetweenClientAndScreenCoordinates)
{
    const HWND hwndTop = MakeTop(100, 50, 400, 300);
    const HWND hwndPanel = MakeChild(hwndTop, 20, 30, 200, 200);
    const HWND hwndButton = MakeChild(hwndPanel, 5, 7, 50, 50);

    POINT pt{1, 2};
    ASSERT_TRUE(ClientToScreen(hwndButton, &pt));
    EXPECT_EQ(pt, (POINT{126, 89}));
    ASSERT_TRUE(ScreenToClient(hwndButton, &pt));
    EXPECT_EQ(pt, (POINT{1, 2}));
    RECT rc{};
    GetWindowRect(hwndButton, &rc);
    EXPECT_EQ(rc, (RECT{125, 87, 175, 137}));
    GetClientRect(hwndButton, &rc);
    EXPECT_EQ(rc, (RECT{0, 0, 50, 50}));

    POINT pts[2] = {{0, 0}, {3, 4}};
    const int nOffset = MapWindowPoints(hwndButton, hwndTop, pts, 2);
    EXPECT_EQ(pts[1], (POINT{28, 41}));
    EXPECT_EQ(LOWORD(static_cast<DWORD>(nOffset)), 25);
    EXPECT_EQ(HIWORD(static_cast<DWORD>(nOffset)), 37);
    MapWindowPoints(hwndTop, hwndButton, pts, 2);
    EXPECT_EQ(pts[1], (POINT{3, 4}));
    POINT ptScreen{0, 0};
    MapWindowPoints(hwndPanel, nullptr, &ptScreen, 1);
    EXPECT_EQ(ptScreen, (POINT{120, 80}));

    // Moving the panel carries the button; only the panel hears of it.
    m_log.Clear();
    ASSERT_TRUE(MoveWindow(hwndPanel, 40, 30, 200, 200, TRUE));
    GetWindowRect(hwndButton, &rc);
    EXPECT_EQ(rc, (RECT{145, 87, 195, 137}));
    ASSERT_EQ(m_log.Count(WM_MOVE, hwndPanel), 1);
    EXPECT_EQ(PointOf(m_log.Of(WM_MOVE, hwndPanel)[0].lParam), (POINT{40, 30}));
    EXPECT_EQ(m_log.Count(WM_SIZE, hwndPanel), 0);
    EXPECT_EQ(m_log.Count(WM_MOVE, hwndButton), 0);

    EXPECT_EQ(ChildWindowFromPoint(hwndPanel, POINT{10, 10}), hwndButton);
    EXPECT_EQ(ChildWindowFromPoint(hwndPanel, POINT{100, 100}), hwndPanel);
    EXPECT_EQ(ChildWindowFromPoint(hwndPanel, POINT{-1, 0}), nullptr);
    EXPECT_EQ(GetParent(hwndButton), hwndPanel);
    EXPECT_EQ(GetAncestor(hwndButton, GA_ROOT), hwndTop);
    EXPECT_TRUE(IsChild(hwndTop, hwndButton));
    EXPECT_FALSE(IsChild(hwndButton, hwndTop));

    // A click at the top-level window's client point over the button lands in button coordinates.
    m_pPresenter->InjectClick(hwndTop, POINT{46, 38});
    Pump();
    ASSERT_EQ(m_log.Count(WM_LBUTTONDOWN, hwndButton), 1);
    EXPECT_EQ(PointOf(m_log.Of(WM_LBUTTONDOWN, hwndButton)[0].lParam), (POINT{1, 1}));
}

TEST_F(CWindowTest, SiblingsStackNewestOnTopAndSetWindowPosRestacks)
{
    const HWND hwndTop = MakeTop(0, 0, 100, 100);
    const HWND hwndOld = MakeChild(hwndTop, 0, 0, 50, 50);
    const HWND hwndNew = MakeChild(hwndTop, 0, 0, 50, 50);
    EXPECT_EQ(GetWindow(hwndTop, GW_CHILD), hwndNew);
    EXPECT_EQ(GetWindow(hwndNew, GW_HWNDNEXT), hwndOld);
    EXPECT_EQ(GetWindow(hwndOld, GW_HWNDPREV), hwndNew);
    EXPECT_EQ(ChildWindowFromPoint(hwndTop, POINT{5, 5}), hwndNew);

    SetWindowPos(hwndOld, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(hwndTop, GW_CHILD), hwndOld);
    m_pPresenter->InjectClick(hwndTop, POINT{5, 5});
    Pump();
    EXPECT_EQ(m_log.Receivers(WM_LBUTTONDOWN), std::vector<HWND>{hwndOld});

    SetWindowPos(hwndOld, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(hwndTop, GW_CHILD), hwndNew);
    EXPECT_EQ(GetWindow(hwndTop, GW_CHILD), GetWindow(hwndOld, GW_HWNDFIRST));
}

TEST_F(CWindowTest, NativeChildrenFollowTheirAncestorsAndAreNotPainted)
{
    const HWND hwndTop = MakeTop(10, 10, 300, 200);
    const HWND hwndPanel = MakeChild(hwndTop, 20, 20, 200, 150);
    const HWND hwndVideo = MakeChild(hwndPanel, 5, 5, 160, 90, 0, WS_VISIBLE, WS_EX_ZENT_NATIVE);
    ASSERT_TRUE(m_pPresenter->HasNative(hwndVideo));
    EXPECT_EQ(m_pPresenter->GetNativeRect(hwndVideo), (RECT{25, 25, 185, 115}));
    EXPECT_TRUE(m_pPresenter->IsNativeVisible(hwndVideo));

    MoveWindow(hwndPanel, 30, 20, 200, 150, TRUE);
    EXPECT_EQ(m_pPresenter->GetNativeRect(hwndVideo), (RECT{35, 25, 195, 115}));
    ShowWindow(hwndPanel, SW_HIDE);
    EXPECT_FALSE(m_pPresenter->IsNativeVisible(hwndVideo));
    ShowWindow(hwndPanel, SW_SHOW);
    EXPECT_TRUE(m_pPresenter->IsNativeVisible(hwndVideo));

    Pump();
    EXPECT_GE(m_log.Count(WM_PAINT, hwndPanel), 1);
    EXPECT_EQ(m_log.Count(WM_PAINT, hwndVideo), 0);
    DestroyWindow(hwndPanel);
    EXPECT_FALSE(m_pPresenter->HasNative(hwndVideo));
    EXPECT_TRUE(m_pPresenter->HasNative(hwndTop));
    DestroyWindow(hwndTop);
    EXPECT_FALSE(m_pPresenter->HasNative(hwndTop));
}
