// What the native side shows besides pictures, through the headless presenter: scripted message
// boxes and folder choices with the loop kept running while they are open, pointer shapes,
// opacity, input shapes, top-most windows, window states, caption drags, tool tips, and what
// the native side reports back (moves, close requests).

#include "WindowTestSupport.h"

#include <zent/platform/Gdi.h>

#include <thread>

using namespace zent;
using namespace windowtest;

namespace {

class CPresenterExtTest : public CWindowTest {};

// A presenter that keeps message boxes open until the test answers them, so that the modal wait
// itself can be watched. Everything else goes to a headless presenter.
class CDeferredBoxPresenter final : public IPresenter {
public:
    CHeadlessPresenter inner;
    MessageBoxDone fnPending;
    MessageBoxRequest lastRequest;

    TimePoint Now() const override { return inner.Now(); }
    void Wake() override { inner.Wake(); }
    void WaitForWork(std::optional<TimePoint> deadline) override { inner.WaitForWork(deadline); }
    void TakeInput(std::vector<InputEvent>& vecOut) override { inner.TakeInput(vecOut); }
    void CreateTopLevel(HWND hwnd, const RECT& rc, DWORD s, DWORD x) override { inner.CreateTopLevel(hwnd, rc, s, x); }
    void CreateNativeChild(HWND hwnd, HWND top, const RECT& rc) override { inner.CreateNativeChild(hwnd, top, rc); }
    void DestroyNative(HWND hwnd) override { inner.DestroyNative(hwnd); }
    void MoveNative(HWND hwnd, const RECT& rc) override { inner.MoveNative(hwnd, rc); }
    void ShowNative(HWND hwnd, int n) override { inner.ShowNative(hwnd, n); }
    void Present(HWND hwnd, HBITMAP bmp, const RECT& rc) override { inner.Present(hwnd, bmp, rc); }
    void PresentNativePicture(HWND hwnd, const std::uint32_t* p, int w, int h) override
    {
        inner.PresentNativePicture(hwnd, p, w, h);
    }
    void SetCursor(HWND hwnd, CursorShape shape) override { inner.SetCursor(hwnd, shape); }
    void SetOpacity(HWND hwnd, BYTE a) override { inner.SetOpacity(hwnd, a); }
    void SetInputShape(HWND hwnd, const std::vector<RECT>& v) override { inner.SetInputShape(hwnd, v); }
    void SetTopMost(HWND hwnd, bool b) override { inner.SetTopMost(hwnd, b); }
    void SetWindowState(HWND hwnd, WindowState s) override { inner.SetWindowState(hwnd, s); }
    void BeginWindowDrag(HWND hwnd, POINT pt) override { inner.BeginWindowDrag(hwnd, pt); }
    void ShowToolTip(HWND hwnd, std::wstring_view t, POINT pt) override { inner.ShowToolTip(hwnd, t, pt); }
    void ShowMessageBox(const MessageBoxRequest& request, MessageBoxDone fnDone) override
    {
        lastRequest = request;
        fnPending = std::move(fnDone);
    }
    void ChooseFolder(HWND hwnd, std::wstring_view t, std::wstring_view f, FolderDone fn) override
    {
        inner.ChooseFolder(hwnd, t, f, std::move(fn));
    }
};

} // namespace

TEST_F(CPresenterExtTest, MessageBoxesAnswerScriptedRepliesThenTheirMostCautiousButton)
{
    const HWND top = MakeTop(0, 0, 100, 80);
    const HWND child = MakeChild(top, 10, 10, 20, 20);
    SetFocus(child);
    m_pPresenter->ScriptMessageBoxReply(IDYES);
    EXPECT_EQ(MessageBox(child, L"Delete the files?", L"Torvix", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBox(child, L"again", L"", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(top, L"", L"", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(top, L"", L"", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(top, L"", L"", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(top, L"", L"", MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(MessageBox(nullptr, L"no owner", L"", MB_OK), IDOK);

    const std::vector<MessageBoxRequest> asked = m_pPresenter->GetMessageBoxes();
    ASSERT_EQ(asked.size(), 7u);
    EXPECT_EQ(asked[0].hwndOwner, top); // the owner is the top-level window, not the child
    EXPECT_EQ(asked[0].strText, L"Delete the files?");
    EXPECT_EQ(asked[0].strCaption, L"Torvix");
    EXPECT_EQ(asked[0].uType, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(asked[6].hwndOwner, nullptr);
    // The owner is enabled again and the focus went back where it was.
    EXPECT_TRUE(IsWindowEnabled(top));
    EXPECT_EQ(GetFocus(), child);

    // Without a loop on the thread there is nobody to ask.
    int nOther = -1;
    std::thread([&] { nOther = MessageBox(nullptr, L"", L"", MB_OK); }).join();
    EXPECT_EQ(nOther, 0);
}

TEST_F(CPresenterExtTest, FolderChooserAnswersScriptedFoldersThenCancels)
{
    const HWND top = MakeTop(0, 0, 100, 80);
    m_pPresenter->ScriptFolderReply(std::wstring(L"/media/card/DCIM"));
    m_pPresenter->ScriptFolderReply(std::nullopt);
    EXPECT_EQ(BrowseForFolder(top, L"Backup folder", L"/tmp"), std::optional<std::wstring>(L"/media/card/DCIM"));
    EXPECT_EQ(BrowseForFolder(top, L"Second", L""), std::nullopt);
    EXPECT_EQ(BrowseForFolder(top, L"Unscripted", L""), std::nullopt);
    EXPECT_EQ(m_pPresenter->GetFolderTitles(), (std::vector<std::wstring>{L"Backup folder", L"Second", L"Unscripted"}));
    EXPECT_TRUE(IsWindowEnabled(top));
}

TEST(PresenterExtModal, AnOpenMessageBoxKeepsTheLoopRunningWithItsOwnerDisabled)
{
    CMessageLog log; // outlives the loop, whose windows log into it until they go
    auto pOwned = std::make_unique<CDeferredBoxPresenter>();
    CDeferredBoxPresenter* p = pOwned.get();
    p->inner.SetAutoAdvance(true);
    auto pLoop = CMessageLoop::Create(std::move(pOwned));
    ASSERT_TRUE(pLoop);
    const HWND owner = CreateWindowEx(0, L"Top", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, 0, log.Proc());
    const HWND other = CreateWindowEx(0, L"Top", L"", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50, nullptr, 0, log.Proc());
    ASSERT_TRUE(owner && other);

    // While the box is open: timers tick, posts are handled, the owner takes no input; the third
    // tick answers the box.
    bool bOwnerDisabledMeanwhile = false;
    log.On(WM_TIMER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        bOwnerDisabledMeanwhile = !IsWindowEnabled(owner);
        if (log.Count(WM_TIMER) == 3 && p->fnPending) p->fnPending(IDRETRY);
        return 0;
    });
    SetTimer(other, 1, 50);
    PostMessage(other, WM_USER + 5, 0, 0);
    EXPECT_EQ(MessageBox(owner, L"Card removed", L"", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(p->lastRequest.strText, L"Card removed");
    EXPECT_EQ(log.Count(WM_TIMER), 3);
    EXPECT_EQ(log.Count(WM_USER + 5), 1);
    EXPECT_TRUE(bOwnerDisabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // A quit ends the wait with 0 and stays pending for the loop outside; an answer that comes
    // later reaches nothing.
    log.On(WM_TIMER, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        PostQuitMessage(3);
        return 0;
    });
    EXPECT_EQ(MessageBox(owner, L"", L"", MB_OK), 0);
    ASSERT_TRUE(p->fnPending);
    p->fnPending(IDOK);
    KillTimer(other, 1);
    EXPECT_EQ(pLoop->Run(), 3);
}

TEST_F(CPresenterExtTest, WindowLooksReachThePresenterForTopLevelWindowsOnly)
{
    const HWND top = MakeTop(10, 20, 200, 100);
    const HWND child = MakeChild(top, 5, 5, 50, 50);
    EXPECT_EQ(m_pPresenter->GetCursor(top), CursorShape::Arrow);
    EXPECT_TRUE(SetWindowCursor(child, CursorShape::Hand)); // a child's pointer is its window's
    EXPECT_EQ(m_pPresenter->GetCursor(top), CursorShape::Hand);

    EXPECT_TRUE(SetLayeredWindowAttributes(top, 0, 128, LWA_ALPHA));
    EXPECT_EQ(m_pPresenter->GetOpacity(top), 128);
    EXPECT_TRUE(GetWindowLong(top, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(SetLayeredWindowAttributes(top, RGB(255, 0, 255), 0, LWA_COLORKEY));
    EXPECT_FALSE(SetLayeredWindowAttributes(child, 0, 10, LWA_ALPHA));
    EXPECT_EQ(m_pPresenter->GetOpacity(top), 128);

    // Input shapes are clipped to the window; rectangles wholly outside leave nothing to click,
    // which is not the same as no shape at all.
    EXPECT_TRUE(SetWindowInputShape(top, {RECT{-10, -10, 50, 40}, RECT{150, 50, 400, 400}}));
    EXPECT_EQ(m_pPresenter->GetInputShape(top), (std::vector<RECT>{RECT{0, 0, 50, 40}, RECT{150, 50, 200, 100}}));
    EXPECT_TRUE(SetWindowInputShape(top, {RECT{300, 300, 400, 400}}));
    EXPECT_EQ(m_pPresenter->GetInputShape(top), (std::vector<RECT>{RECT{0, 0, 0, 0}}));
    EXPECT_TRUE(SetWindowInputShape(top, {}));
    EXPECT_TRUE(m_pPresenter->GetInputShape(top).empty());
    EXPECT_FALSE(SetWindowInputShape(child, {}));

    // Top-most: from the creation style and from SetWindowPos.
    const HWND popup =
        CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Tip", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0, m_log.Proc());
    EXPECT_TRUE(m_pPresenter->IsTopMost(popup));
    EXPECT_FALSE(m_pPresenter->IsTopMost(top));
    SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(m_pPresenter->IsTopMost(top));
    EXPECT_TRUE(GetWindowLong(top, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(top, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(m_pPresenter->IsTopMost(top));
    EXPECT_FALSE(GetWindowLong(top, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(CPresenterExtTest, MaximisingTakesTheScreenAndRestoringGivesTheRectangleBack)
{
    const HWND top = MakeTop(10, 20, 200, 100);
    Pump();
    m_log.Clear();
    EXPECT_TRUE(SetWindowState(top, WindowState::Maximized));
    Pump();
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    RECT rc{};
    GetWindowRect(top, &rc);
    EXPECT_EQ(rc, (RECT{0, 0, cx, cy}));
    EXPECT_EQ(GetWindowState(top), WindowState::Maximized);
    ASSERT_EQ(m_log.Count(WM_SIZE, top), 1);
    EXPECT_EQ(m_log.Of(WM_SIZE, top)[0].lParam, MAKELPARAM(cx, cy));

    EXPECT_TRUE(SetWindowState(top, WindowState::FullScreen));
    EXPECT_TRUE(SetWindowState(top, WindowState::Normal));
    Pump();
    GetWindowRect(top, &rc);
    EXPECT_EQ(rc, (RECT{10, 20, 210, 120}));
    EXPECT_EQ(GetWindowState(top), WindowState::Normal);

    // The show commands mean the same states.
    ShowWindow(top, SW_SHOWMAXIMIZED);
    Pump();
    EXPECT_EQ(GetWindowState(top), WindowState::Maximized);
    EXPECT_EQ(m_pPresenter->GetWindowState(top), WindowState::Maximized);
    GetWindowRect(top, &rc);
    EXPECT_EQ(rc, (RECT{0, 0, cx, cy}));
    ShowWindow(top, SW_RESTORE);
    Pump();
    EXPECT_EQ(GetWindowState(top), WindowState::Normal);
    GetWindowRect(top, &rc);
    EXPECT_EQ(rc, (RECT{10, 20, 210, 120}));
    EXPECT_FALSE(SetWindowState(MakeChild(top, 0, 0, 5, 5), WindowState::Maximized));
}

TEST_F(CPresenterExtTest, CaptionPressesDragTheTopLevelWindowAndToolTipsSitOnTheScreen)
{
    const HWND top = MakeTop(100, 50, 200, 100);
    const HWND child = MakeChild(top, 20, 10, 50, 50);
    Pump();
    m_pPresenter->InjectButtonDown(child, POINT{5, 6});
    m_log.On(WM_LBUTTONDOWN, [](HWND hwnd, UINT, WPARAM, LPARAM) -> LRESULT {
        SetCapture(hwnd);
        SendMessage(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
    });
    Pump();
    EXPECT_EQ(m_pPresenter->GetDragCount(top), 1);
    EXPECT_EQ(m_pPresenter->GetLastDragPoint(top), (POINT{125, 66}));
    EXPECT_EQ(GetCapture(), nullptr); // the drag owns the pointer now
    SendMessage(child, WM_NCLBUTTONDOWN, HTCLIENT, 0);
    EXPECT_EQ(m_pPresenter->GetDragCount(top), 1);
    EXPECT_TRUE(BeginWindowDrag(child));
    EXPECT_EQ(m_pPresenter->GetDragCount(top), 2);

    EXPECT_TRUE(ShowToolTip(child, L"Play", POINT{3, 4}));
    EXPECT_EQ(m_pPresenter->GetToolTip(top), L"Play");
    EXPECT_EQ(m_pPresenter->GetToolTipPoint(top), (POINT{123, 64}));
    EXPECT_TRUE(ShowToolTip(child, L"", POINT{}));
    EXPECT_EQ(m_pPresenter->GetToolTip(top), L"");
    EXPECT_FALSE(ShowToolTip(reinterpret_cast<HWND>(0x7777), L"x", POINT{}));
}

TEST_F(CPresenterExtTest, TheNativeSidesCloseRequestBecomesWmClose)
{
    const HWND top = MakeTop(0, 0, 50, 50);
    const HWND child = MakeChild(top, 0, 0, 10, 10);
    m_log.On(WM_CLOSE, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }); // refuses to close
    m_pPresenter->InjectCloseRequest(top);
    m_pPresenter->InjectCloseRequest(child); // only top-level windows can be closed from outside
    Pump();
    EXPECT_EQ(m_log.Receivers(WM_CLOSE), (std::vector<HWND>{top}));
    EXPECT_TRUE(IsWindow(top));
}
