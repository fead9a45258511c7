// Messages across threads: posts from workers, SendMessage that runs on the window's thread, two
// GUI threads sending to each other, and loops that go away under waiting senders.

#include "WindowTestSupport.h"

#include <zent/platform/Dialog.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace zent;
using windowtest::CMessageLog;
using windowtest::CWindowTest;

namespace {

constexpr UINT WM_WORKER_POST = WM_APP + 1;
constexpr UINT WM_WORKER_SEND = WM_APP + 2;
constexpr UINT WM_PING = WM_APP + 3;
constexpr UINT WM_PONG = WM_APP + 4;
constexpr UINT WM_STOP = WM_APP + 5;

constexpr DialogItemTemplate kQuestionItems[] = {{L"Button", IDOK, 10, 40, 60, 20, WS_TABSTOP}};
constexpr DialogTemplate kQuestion{100, 40, 40, 120, 80, WS_POPUP, 0, L"Question", kQuestionItems};

// Ends itself from a timer, and reports what it saw of its owner while it ran.
class CTimedDialog : public CDialog {
public:
    HWND m_hwndOwner = nullptr;
    BOOL m_bOwnerEnabledWhileModal = TRUE;
    int m_nDepthWhileModal = 0;

protected:
    BOOL OnInitDialog() override
    {
        SetTimer(GetSafeHwnd(), 9, 50);
        return TRUE;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == 9) {
            KillTimer(GetSafeHwnd(), 9);
            m_bOwnerEnabledWhileModal = IsWindowEnabled(m_hwndOwner);
            m_nDepthWhileModal = CMessageLoop::Current()->GetModalDepth();
            EndDialog(5);
            return 0;
        }
        return CDialog::OnMessage(message, wParam, lParam);
    }
};

} // namespace

TEST_F(CWindowTest, WorkerPostAndSendThenTimerThenModalDialogAllOnTheGuiThread)
{
    m_pPresenter->SetAutoAdvance(true);
    const HWND hwnd = MakeTop(0, 0, 200, 100);
    const std::thread::id guiThread = std::this_thread::get_id();
    std::thread::id sendHandledOn;
    WPARAM nPosted = 0;
    INT_PTR nDialogResult = 0;
    CTimedDialog dialog;
    dialog.m_hwndOwner = hwnd;

    m_log.On(WM_WORKER_SEND, [&](HWND, UINT, WPARAM w, LPARAM l) -> LRESULT {
        sendHandledOn = std::this_thread::get_id();
        return static_cast<LRESULT>(w) + l;
    });
    m_log.On(WM_WORKER_POST, [&](HWND h, UINT, WPARAM w, LPARAM) -> LRESULT {
        nPosted = w;
        SetTimer(h, 1, 100);
        return 0;
    });
    m_log.On(WM_TIMER, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
        KillTimer(h, 1);
        nDialogResult = dialog.DoModal(&kQuestion, h);
        PostQuitMessage(17);
        return 0;
    });

    LRESULT lSendResult = 0;
    BOOL bPosted = FALSE;
    // The post comes after the send has been answered, so the loop cannot quit under a waiting
    // sender.
    std::thread worker([&] {
        lSendResult = SendMessage(hwnd, WM_WORKER_SEND, 20, 22);
        bPosted = PostMessage(hwnd, WM_WORKER_POST, 7, 0);
    });
    const int nExit = m_pLoop->Run();
    worker.join();

    EXPECT_EQ(nExit, 17);
    EXPECT_EQ(lSendResult, 42);
    EXPECT_EQ(sendHandledOn, guiThread);
    EXPECT_TRUE(bPosted);
    EXPECT_EQ(nPosted, 7u);
    EXPECT_EQ(m_log.Count(WM_TIMER, hwnd), 1);
    EXPECT_EQ(nDialogResult, 5);
    EXPECT_EQ(dialog.m_nDepthWhileModal, 1);
    EXPECT_FALSE(dialog.m_bOwnerEnabledWhileModal);
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_EQ(m_pLoop->GetModalDepth(), 0);
}

TEST_F(CWindowTest, PostsFromOneWorkerArriveInOrderAndStaleHandlesAreRefused)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    constexpr int kCount = 500;
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i) PostMessage(hwnd, WM_WORKER_POST, static_cast<WPARAM>(i), 0);
        PostMessage(hwnd, WM_STOP, 0, 0);
    });
    m_log.On(WM_STOP, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        PostQuitMessage(0);
        return 0;
    });
    m_pLoop->Run();
    worker.join();
    const auto vecPosted = m_log.Of(WM_WORKER_POST);
    ASSERT_EQ(vecPosted.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i) EXPECT_EQ(vecPosted[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i));

    // Once destroyed, a handle is dead for every thread, and what was on its way is dropped.
    PostMessage(hwnd, WM_WORKER_POST, 999, 0);
    ASSERT_TRUE(DestroyWindow(hwnd));
    BOOL bPostAfter = TRUE;
    BOOL bAliveSeenByWorker = TRUE;
    LRESULT lSendAfter = -1;
    std::thread late([&] {
        bPostAfter = PostMessage(hwnd, WM_WORKER_POST, 1000, 0);
        bAliveSeenByWorker = IsWindow(hwnd);
        lSendAfter = SendMessage(hwnd, WM_WORKER_SEND, 1, 1);
    });
    late.join();
    Pump();
    EXPECT_FALSE(bPostAfter);
    EXPECT_FALSE(bAliveSeenByWorker);
    EXPECT_EQ(lSendAfter, 0);
    EXPECT_EQ(m_log.Count(WM_WORKER_POST), kCount);
}

TEST_F(CWindowTest, WindowFunctionsRefuseCallsFromOtherThreads)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    BOOL bShown = TRUE, bDestroyed = TRUE, bAlive = FALSE;
    UINT_PTR nTimer = 1;
    std::thread other([&] {
        bShown = ShowWindow(hwnd, SW_HIDE);
        nTimer = SetTimer(hwnd, 1, 10);
        bDestroyed = DestroyWindow(hwnd);
        bAlive = IsWindow(hwnd);
    });
    other.join();
    EXPECT_FALSE(bShown);
    EXPECT_EQ(nTimer, 0u);
    EXPECT_FALSE(bDestroyed);
    EXPECT_TRUE(bAlive);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST(WindowThreads, TwoGuiThreadsSendingToEachOtherDoNotDeadlock)
{
    auto pLoopA = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
    ASSERT_TRUE(pLoopA);
    std::atomic<HWND> hwndB{nullptr};
    std::thread::id pongHandledOn;
    const HWND hwndA = CreateWindowEx(0, L"A", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0,
                                      [&](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                          if (msg == WM_PONG) {
                                              pongHandledOn = std::this_thread::get_id();
                                              return static_cast<LRESULT>(w) * 10;
                                          }
                                          return DefWindowProc(h, msg, w, l);
                                      });
    ASSERT_TRUE(hwndA);

    std::thread threadB([&] {
        auto pLoopB = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
        const HWND h = CreateWindowEx(0, L"B", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0,
                                      [&](HWND hw, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                          if (msg == WM_PING) return SendMessage(hwndA, WM_PONG, w + 1, 0) + 1;
                                          if (msg == WM_STOP) PostQuitMessage(0);
                                          return DefWindowProc(hw, msg, w, l);
                                      });
        hwndB = h;
        pLoopB->Run();
    });
    while (!hwndB.load()) std::this_thread::yield();

    // A waits for B, B waits for A: A answers B's send while it waits for its own.
    const LRESULT lResult = SendMessage(hwndB.load(), WM_PING, 4, 0);
    PostMessage(hwndB.load(), WM_STOP, 0, 0);
    threadB.join();

    EXPECT_EQ(lResult, 51);
    EXPECT_EQ(pongHandledOn, std::this_thread::get_id());
    // B's loop took its windows with it.
    EXPECT_FALSE(IsWindow(hwndB.load()));
}

TEST(WindowThreads, SenderIsReleasedWhenTheTargetLoopGoesAwayUnanswered)
{
    std::atomic<HWND> hwndTarget{nullptr};
    std::atomic<bool> bSenderStarted{false};
    std::atomic<bool> bLoopGone{false};
    LRESULT lResult = -1;
    std::thread gui([&] {
        auto pLoop = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
        hwndTarget = CreateWindowEx(0, L"T", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0,
                                    [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 99; });
        while (!bSenderStarted.load()) std::this_thread::yield();
        // Never pumps: the loop goes away with the request unanswered (or refuses it).
        pLoop.reset();
        bLoopGone = true;
    });
    while (!hwndTarget.load()) std::this_thread::yield();
    std::thread sender([&] {
        bSenderStarted = true;
        lResult = SendMessage(hwndTarget.load(), WM_PING, 0, 0);
    });
    sender.join();
    gui.join();
    EXPECT_TRUE(bLoopGone.load());
    EXPECT_EQ(lResult, 0);
}

TEST(WindowThreads, OneLoopPerThread)
{
    auto pFirst = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
    ASSERT_TRUE(pFirst);
    EXPECT_EQ(CMessageLoop::Current(), pFirst.get());
    EXPECT_FALSE(CMessageLoop::Create(std::make_unique<CHeadlessPresenter>()));
    EXPECT_FALSE(CMessageLoop::Create(nullptr));
    pFirst.reset();
    EXPECT_EQ(CMessageLoop::Current(), nullptr);
    // Without a loop there are no windows to make.
    EXPECT_EQ(CreateWindowEx(0, L"X", L"", WS_POPUP, 0, 0, 1, 1, nullptr, 0), nullptr);
    auto pSecond = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
    EXPECT_TRUE(pSecond);
}

TEST_F(CWindowTest, ProcedureThatThrowsAnswersZeroAndTheLoopGoesOn)
{
    const HWND hwnd = MakeTop(0, 0, 10, 10);
    m_log.On(WM_WORKER_SEND, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("broken"); });
    m_log.On(WM_STOP, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        PostQuitMessage(0);
        return 0;
    });
    LRESULT lResult = -1;
    std::thread worker([&] {
        lResult = SendMessage(hwnd, WM_WORKER_SEND, 0, 0);
        PostMessage(hwnd, WM_STOP, 0, 0);
    });
    m_pLoop->Run();
    worker.join();
    EXPECT_EQ(lResult, 0);
    EXPECT_EQ(SendMessage(hwnd, WM_WORKER_SEND, 0, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));
}
