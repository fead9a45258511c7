// Routing of injected input: capture, focus, disabled windows, wheel, double clicks, characters.

#include "WindowTestSupport.h"

using namespace zent;
using windowtest::CWindowTest;
using windowtest::PointOf;

namespace {

// Takes every key-down of its subtree before it is dispatched.
class CKeyEater : public CWnd {
public:
    int m_nEaten = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_KEYDOWN) return FALSE;
        ++m_nEaten;
        return TRUE;
    }
};

} // namespace

TEST_F(CWindowTest, CapturedWindowGetsTheMouseAnywhereInItsOwnCoordinates)
{
    const HWND hwndTop = MakeTop(100, 100, 200, 200);
    const HWND hwndThumb = MakeChild(hwndTop, 10, 10, 50, 50);
    const HWND hwndOther = MakeChild(hwndTop, 100, 100, 50, 50);
    m_log.On(WM_LBUTTONDOWN, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        SetCapture(h);
        return 0;
    });
    m_log.On(WM_LBUTTONUP, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        ReleaseCapture();
        return 0;
    });

    m_pPresenter->InjectButtonDown(hwndThumb, POINT{5, 5});
    m_pPresenter->InjectMouseMove(hwndTop, POINT{120, 120});   // over the other child
    m_pPresenter->InjectMouseMove(hwndTop, POINT{-20, 250});   // outside the window
    m_pPresenter->InjectButtonUp(hwndTop, POINT{-20, 250});
    m_pPresenter->InjectMouseMove(hwndTop, POINT{120, 120});
    m_pPresenter->InjectMouseMove(hwndTop, POINT{-20, 250});
    Pump();

    const auto vecDown = m_log.Of(WM_LBUTTONDOWN);
    ASSERT_EQ(vecDown.size(), 1u);
    EXPECT_EQ(vecDown[0].hwnd, hwndThumb);
    EXPECT_EQ(PointOf(vecDown[0].lParam), (POINT{5, 5}));
    EXPECT_EQ(vecDown[0].wParam, MK_LBUTTON);

    const auto vecMoves = m_log.Of(WM_MOUSEMOVE);
    ASSERT_EQ(vecMoves.size(), 3u);
    EXPECT_EQ(vecMoves[0].hwnd, hwndThumb);
    EXPECT_EQ(PointOf(vecMoves[0].lParam), (POINT{110, 110}));
    EXPECT_EQ(vecMoves[1].hwnd, hwndThumb);
    EXPECT_EQ(PointOf(vecMoves[1].lParam), (POINT{-30, 240}));
    EXPECT_EQ(vecMoves[1].wParam, MK_LBUTTON);
    // After the release: the window under the point, and nothing outside the window.
    EXPECT_EQ(vecMoves[2].hwnd, hwndOther);
    EXPECT_EQ(PointOf(vecMoves[2].lParam), (POINT{20, 20}));
    EXPECT_EQ(vecMoves[2].wParam, 0u);

    ASSERT_EQ(m_log.Count(WM_LBUTTONUP, hwndThumb), 1);
    ASSERT_EQ(m_log.Count(WM_CAPTURECHANGED, hwndThumb), 1);
    EXPECT_EQ(m_log.Of(WM_CAPTURECHANGED)[0].lParam, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    // Taking the capture away tells the loser who has it now.
    SetCapture(hwndThumb);
    EXPECT_EQ(SetCapture(hwndOther), hwndThumb);
    EXPECT_EQ(m_log.Of(WM_CAPTURECHANGED).back().lParam, reinterpret_cast<LPARAM>(hwndOther));
    EXPECT_EQ(m_log.Of(WM_CAPTURECHANGED).back().hwnd, hwndThumb);
}

TEST_F(CWindowTest, FocusChangesAnnounceEachOtherAndKeysFollowTheFocus)
{
    const HWND hwndTop = MakeTop(0, 0, 200, 100);
    const HWND hwndA = MakeChild(hwndTop, 0, 0, 50, 50);
    const HWND hwndB = MakeChild(hwndTop, 50, 0, 50, 50);
    EXPECT_EQ(SetFocus(hwndA), nullptr);
    EXPECT_EQ(SetFocus(hwndB), hwndA);
    EXPECT_EQ(GetFocus(), hwndB);

    std::vector<windowtest::Logged> vecFocus;
    for (const auto& e : m_log.All())
        if (e.message == WM_SETFOCUS || e.message == WM_KILLFOCUS) vecFocus.push_back(e);
    ASSERT_EQ(vecFocus.size(), 3u);
    EXPECT_EQ(vecFocus[0].message, WM_SETFOCUS);
    EXPECT_EQ(vecFocus[0].hwnd, hwndA);
    EXPECT_EQ(vecFocus[0].wParam, 0u);
    EXPECT_EQ(vecFocus[1].message, WM_KILLFOCUS);
    EXPECT_EQ(vecFocus[1].hwnd, hwndA);
    EXPECT_EQ(vecFocus[1].wParam, reinterpret_cast<WPARAM>(hwndB));
    EXPECT_EQ(vecFocus[2].message, WM_SETFOCUS);
    EXPECT_EQ(vecFocus[2].hwnd, hwndB);
    EXPECT_EQ(vecFocus[2].wParam, reinterpret_cast<WPARAM>(hwndA));

    m_pPresenter->InjectKeyDown(hwndTop, VK_SHIFT);
    m_pPresenter->InjectKey(hwndTop, 'A');
    m_pPresenter->InjectChar(hwndTop, U'A');
    m_pPresenter->InjectChar(hwndTop, U'\U0001F600');
    m_pPresenter->InjectClick(hwndTop, POINT{10, 10});
    Pump();
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0x8000);
    EXPECT_EQ(GetKeyState('A'), 0);
    EXPECT_EQ(m_log.Receivers(WM_KEYDOWN), (std::vector<HWND>{hwndB, hwndB}));
    EXPECT_EQ(m_log.Of(WM_KEYDOWN)[1].wParam, static_cast<WPARAM>('A'));
    ASSERT_EQ(m_log.Count(WM_KEYUP, hwndB), 1);
    EXPECT_EQ(static_cast<std::uint64_t>(m_log.Of(WM_KEYUP)[0].lParam) & 0xC0000000u, 0xC0000000u);
    // A character outside the first plane comes as its two UTF-16 halves.
    const auto vecChars = m_log.Of(WM_CHAR, hwndB);
    ASSERT_EQ(vecChars.size(), 3u);
    EXPECT_EQ(vecChars[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(vecChars[1].wParam, 0xD83Du);
    EXPECT_EQ(vecChars[2].wParam, 0xDE00u);
    // The click (in A) carries the held shift key and does not move the focus by itself.
    ASSERT_EQ(m_log.Count(WM_LBUTTONDOWN, hwndA), 1);
    EXPECT_EQ(m_log.Of(WM_LBUTTONDOWN, hwndA)[0].wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(GetFocus(), hwndB);

    // Without a focus inside the window, keys go to the top-level window.
    SetFocus(nullptr);
    m_log.Clear();
    m_pPresenter->InjectKey(hwndTop, VK_RETURN);
    Pump();
    EXPECT_EQ(m_log.Receivers(WM_KEYDOWN), std::vector<HWND>{hwndTop});
}

TEST_F(CWindowTest, PreTranslateMessageOfAnAncestorTakesKeysBeforeTheFocus)
{
    const HWND hwndTop = MakeTop(0, 0, 200, 100);
    CKeyEater panel;
    ASSERT_TRUE(panel.CreateEx(0, L"Panel", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, hwndTop, 1));
    const HWND hwndEdit = MakeChild(panel.GetSafeHwnd(), 0, 0, 50, 20);
    SetFocus(hwndEdit);
    m_pPresenter->InjectKey(hwndTop, VK_DOWN);
    Pump();
    EXPECT_EQ(panel.m_nEaten, 1);
    EXPECT_EQ(m_log.Count(WM_KEYDOWN), 0);
    EXPECT_EQ(m_log.Count(WM_KEYUP, hwndEdit), 1);
}

TEST_F(CWindowTest, DisabledWindowsTakeNoInputAndGiveUpFocusAndCapture)
{
    const HWND hwndTop = MakeTop(0, 0, 200, 200);
    const HWND hwndPanel = MakeChild(hwndTop, 100, 100, 100, 100);
    const HWND hwndButton = MakeChild(hwndTop, 10, 10, 50, 50);
    const HWND hwndInPanel = MakeChild(hwndPanel, 0, 0, 50, 50);

    SetFocus(hwndButton);
    SetCapture(hwndButton);
    EXPECT_FALSE(EnableWindow(hwndButton, FALSE));
    EXPECT_EQ(m_log.Count(WM_ENABLE, hwndButton), 1);
    EXPECT_EQ(m_log.Of(WM_ENABLE, hwndButton)[0].wParam, 0u);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(m_log.Count(WM_KILLFOCUS, hwndButton), 1);
    EXPECT_EQ(m_log.Count(WM_CAPTURECHANGED, hwndButton), 1);
    EXPECT_EQ(SetFocus(hwndButton), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(hwndButton, FALSE)); // already disabled: no second WM_ENABLE
    EXPECT_EQ(m_log.Count(WM_ENABLE, hwndButton), 1);

    // A click on a disabled child reaches its parent, in the parent's coordinates.
    m_pPresenter->InjectClick(hwndTop, POINT{20, 20});
    // Disabling a container disables what is inside it.
    EnableWindow(hwndPanel, FALSE);
    EXPECT_FALSE(IsWindowEnabled(hwndInPanel));
    m_pPresenter->InjectClick(hwndTop, POINT{110, 110});
    Pump();
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN, hwndButton), 0);
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN, hwndInPanel), 0);
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN, hwndPanel), 0);
    const auto vecTopDowns = m_log.Of(WM_LBUTTONDOWN, hwndTop);
    ASSERT_EQ(vecTopDowns.size(), 2u);
    EXPECT_EQ(PointOf(vecTopDowns[0].lParam), (POINT{20, 20}));
    EXPECT_EQ(PointOf(vecTopDowns[1].lParam), (POINT{110, 110}));

    // A disabled top-level window takes nothing at all.
    m_log.Clear();
    SetFocus(hwndTop);
    EnableWindow(hwndTop, FALSE);
    m_pPresenter->InjectClick(hwndTop, POINT{5, 5});
    m_pPresenter->InjectKey(hwndTop, VK_SPACE);
    m_pPresenter->InjectWheel(hwndTop, POINT{5, 5}, WHEEL_DELTA);
    Pump();
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN) + m_log.Count(WM_KEYDOWN) + m_log.Count(WM_MOUSEWHEEL), 0);

    EXPECT_TRUE(EnableWindow(hwndTop, TRUE));
    EnableWindow(hwndButton, TRUE);
    m_pPresenter->InjectClick(hwndTop, POINT{20, 20});
    Pump();
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN, hwndButton), 1);
}

TEST_F(CWindowTest, WheelThatAChildLeavesAloneScrollsItsParent)
{
    const HWND hwndTop = MakeTop(300, 200, 200, 200);
    const HWND hwndList = MakeChild(hwndTop, 10, 10, 100, 100);
    m_log.On(WM_MOUSEWHEEL, [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return h == hwndTop ? 1 : DefWindowProc(h, m, w, l);
    });
    m_pPresenter->InjectWheel(hwndTop, POINT{20, 30}, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(m_log.Receivers(WM_MOUSEWHEEL), (std::vector<HWND>{hwndList, hwndTop}));
    const auto e = m_log.Of(WM_MOUSEWHEEL, hwndTop)[0];
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(e.wParam), -WHEEL_DELTA);
    // Wheel messages carry screen coordinates.
    EXPECT_EQ(PointOf(e.lParam), (POINT{320, 230}));
}

TEST_F(CWindowTest, DoubleClickArrivesBetweenItsPressesAndReleases)
{
    const HWND hwndTop = MakeTop(0, 0, 100, 100);
    m_pPresenter->InjectDoubleClick(hwndTop, POINT{5, 5});
    m_pPresenter->InjectClick(hwndTop, POINT{5, 5}, MouseButton::Right);
    Pump();
    std::vector<UINT> vecButtons;
    for (const auto& e : m_log.All())
        if (e.message >= WM_LBUTTONDOWN && e.message <= WM_MBUTTONDBLCLK) vecButtons.push_back(e.message);
    EXPECT_EQ(vecButtons, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                             WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(m_log.Of(WM_RBUTTONDOWN)[0].wParam, MK_RBUTTON);
}

TEST_F(CWindowTest, HiddenChildrenAreSkippedByHitTesting)
{
    const HWND hwndTop = MakeTop(0, 0, 100, 100);
    const HWND hwndUnder = MakeChild(hwndTop, 0, 0, 50, 50);
    const HWND hwndOver = MakeChild(hwndTop, 0, 0, 50, 50);
    ShowWindow(hwndOver, SW_HIDE);
    m_pPresenter->InjectClick(hwndTop, POINT{5, 5});
    Pump();
    EXPECT_EQ(m_log.Receivers(WM_LBUTTONDOWN), std::vector<HWND>{hwndUnder});
}
