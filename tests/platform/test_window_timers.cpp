// Timers on the loop's clock (the manual one of the headless presenter: no real time passes).

#include "WindowTestSupport.h"

using namespace zent;
using windowtest::CWindowTest;

TEST_F(CWindowTest, TimerTicksWhenItsIntervalHasPassedAndThenEveryInterval)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    ASSERT_EQ(SetTimer(hwnd, 3, 100), 3u);
    Advance(99);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 0);
    Advance(1);
    Pump();
    ASSERT_EQ(m_log.Count(WM_TIMER), 1);
    EXPECT_EQ(m_log.Of(WM_TIMER)[0].wParam, 3u);
    EXPECT_EQ(m_log.Of(WM_TIMER)[0].hwnd, hwnd);
    Advance(100);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 2);
}

TEST_F(CWindowTest, LoopThatFellBehindGetsOneTickNotABurst)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    SetTimer(hwnd, 1, 100);
    Advance(1000);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 1);
    // The next tick counts from the late one.
    Advance(99);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 1);
    Advance(1);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 2);
}

TEST_F(CWindowTest, SettingATimerAgainRestartsItAndShortIntervalsAreRaised)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    SetTimer(hwnd, 1, 100);
    Advance(60);
    Pump();
    SetTimer(hwnd, 1, 100);
    Advance(60);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 0);
    Advance(40);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 1);

    SetTimer(hwnd, 2, 1);
    Advance(USER_TIMER_MINIMUM - 1);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 1);
    Advance(1);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 2);
}

TEST_F(CWindowTest, KillTimerDropsATickAlreadyQueued)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    SetTimer(hwnd, 1, 100);
    SetTimer(hwnd, 2, 100);
    // The posted message is queued before the pass queues the due ticks, so its handler runs
    // while both ticks wait behind it.
    m_log.On(WM_APP, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        EXPECT_TRUE(KillTimer(h, 1));
        return 0;
    });
    PostMessage(hwnd, WM_APP, 0, 0);
    Advance(100);
    m_pLoop->PumpPending();
    Pump();
    ASSERT_EQ(m_log.Count(WM_APP), 1);
    const auto vecTicks = m_log.Of(WM_TIMER);
    ASSERT_EQ(vecTicks.size(), 1u);
    EXPECT_EQ(vecTicks[0].wParam, 2u);
    EXPECT_FALSE(KillTimer(hwnd, 1));
    Advance(100);
    Pump();
    EXPECT_EQ(m_log.Count(WM_TIMER), 2);
}

TEST_F(CWindowTest, WindowThatKeepsPostingToItselfDoesNotStarveTimersOrPainting)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    Pump();
    m_log.On(WM_APP, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        PostMessage(h, WM_APP, 0, 0);
        return 0;
    });
    PostMessage(hwnd, WM_APP, 0, 0);
    SetTimer(hwnd, 1, 10);
    InvalidateRect(hwnd, nullptr, FALSE);
    Advance(10);
    m_pLoop->PumpPending();
    m_pLoop->PumpPending();
    EXPECT_EQ(m_log.Count(WM_TIMER), 1);
    EXPECT_GE(m_log.Count(WM_PAINT), 1);
    EXPECT_EQ(m_pLoop->PumpUntilIdle(50), 50);
}

TEST_F(CWindowTest, AutoAdvanceRunsTimedSequencesWithoutWaiting)
{
    m_pPresenter->SetAutoAdvance(true);
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    SetTimer(hwnd, 1, 250);
    const TimePoint start = m_pLoop->Now();
    m_log.On(WM_TIMER, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        KillTimer(h, 1);
        PostQuitMessage(4);
        return 0;
    });
    EXPECT_EQ(m_pLoop->Run(), 4);
    EXPECT_EQ(m_pLoop->Now() - start, std::chrono::milliseconds(250));
}
