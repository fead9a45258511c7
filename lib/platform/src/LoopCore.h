#pragma once

// The state of one GUI thread's message loop: its windows, queue, timers, focus, capture, key
// state, painting and presenter. All of it belongs to that thread; only the inbox
// (WindowInbox.h) is shared with other threads. The free window functions find the core of the
// calling thread through a thread-local pointer, so a window used from a thread that does not
// own it is simply not found.

#include "WindowInbox.h"

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Presenter.h>
#include <zent/platform/Window.h>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zent {

// Reaches CWnd's private parts for the loop.
class CWndAccess {
public:
    static void Bind(CWnd& wnd, HWND hwnd) { wnd.m_hWnd = hwnd; }
    static LRESULT CallOnMessage(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return wnd.OnMessage(message, wParam, lParam);
    }
    static void CallPostNcDestroy(CWnd& wnd) { wnd.PostNcDestroy(); }
};

namespace wnd {

// Rectangle arithmetic on half-open RECTs.
RECT IntersectRc(const RECT& a, const RECT& b);
RECT UnionRc(const RECT& a, const RECT& b);
RECT OffsetRc(const RECT& rc, int dx, int dy);

// Owned by its loop and touched by its GUI thread only.
struct CWindowRecord {
    HWND hwnd = nullptr;
    CWnd* pWnd = nullptr; // the bound object, not owned
    // A callable procedure, or the one a CWnd took over. Shared so that a call in progress keeps
    // it alive when the window is destroyed inside its own procedure.
    std::shared_ptr<const WNDPROC> pProc;
    HWND hwndParent = nullptr;       // children only
    HWND hwndOwner = nullptr;        // top-level windows only
    std::vector<HWND> vecChildren;   // back to front
    RECT rc{};                       // parent client coordinates; screen for top-level windows
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    UINT nID = 0;
    std::wstring strText;
    std::wstring strClass;
    bool bNative = false;
    bool bDestroying = false;  // DestroyWindow has begun: no new timers, focus or capture
    bool bDestroySent = false; // WM_DESTROY went out
    // EndDialog.
    bool bEnded = false;
    INT_PTR nEndResult = 0;
    int nModalRuns = 0;
    // Top-level windows: the picture that the window and its children paint into.
    UniqueBitmap pPicture;
    RECT rcDirty{};
    bool bPainting = false;
    int nShowCmd = SW_HIDE;
    WindowState windowState = WindowState::Normal; // top-level windows

    bool IsTopLevel() const { return hwndParent == nullptr; }
    LONG Width() const { return rc.right - rc.left; }
    LONG Height() const { return rc.bottom - rc.top; }
};

struct CTimer {
    HWND hwnd = nullptr;
    UINT_PTR nID = 0;
    std::chrono::milliseconds interval{};
    TimePoint due{};
};

// A device context over part of a top-level picture. Each has its own bitmap over the picture's
// memory, because a bitmap can be selected into one device context only and a window may hold a
// client device context while it paints. The bitmap is declared first so that the device
// context, which has it selected, goes first.
struct CPictureDC {
    HWND hwnd = nullptr;
    UniqueBitmap pOver;
    UniqueDC pDC;
    bool bDetached = false; // its window has gone; it draws into a pixel of its own

    // The device context first: a bitmap still selected refuses to be deleted.
    void Release()
    {
        pDC.reset();
        pOver.reset();
        bDetached = false;
    }
};

// One WM_PAINT in progress.
struct CPaintFrame {
    HWND hwnd = nullptr;
    RECT rcPaint{};  // client coordinates
    CPictureDC dc;   // made by BeginPaint
};

class CLoopCore {
public:
    // Null when the thread has a loop already. Use Create, not the constructor, which does not
    // make the core the thread's current one.
    static std::unique_ptr<CLoopCore> Create(std::unique_ptr<IPresenter> pPresenter);
    explicit CLoopCore(std::unique_ptr<IPresenter> pPresenter);
    ~CLoopCore();
    // Destroys the windows that are left while everything, the public loop included, still
    // stands for their handlers.
    void Shutdown();
    CLoopCore(const CLoopCore&) = delete;
    CLoopCore& operator=(const CLoopCore&) = delete;

    // The core of the calling thread, or null.
    static CLoopCore* Current();

    IPresenter& Presenter() { return *m_pPresenter; }
    const std::shared_ptr<CThreadInbox>& Inbox() const { return m_pInbox; }
    TimePoint Now() const { return m_pPresenter->Now(); }
    DWORD NowMillis() const;

    // --- records (LoopCore.cpp) ---
    CWindowRecord* Find(HWND hwnd) const;
    HWND Root(HWND hwnd) const;
    // Back to front.
    const std::vector<HWND>& TopLevels() const { return m_vecTopLevels; }

    // --- windows and messages (LoopCore.cpp) ---
    HWND CreateWindowRecord(const CREATESTRUCT& cs, CWnd* pWnd, WNDPROC fnProc);
    BOOL Destroy(HWND hwnd);
    LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // What a CWnd leaves to DefWindowProc: the procedure it took over, else DefProc.
    LRESULT CallSuper(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PostLocal(const MSG& msg);
    void PostQuit(int nExitCode);
    // A SendMessage to a window of another thread; waits, answering sends to this thread.
    static LRESULT SendAcrossThreads(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL SubclassWindow(HWND hwnd, CWnd& wnd);
    HWND UnsubclassWindow(CWnd& wnd);

    // --- timers (LoopCore.cpp) ---
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR nID, UINT uElapse);
    BOOL KillTimer(HWND hwnd, UINT_PTR nID);

    // --- running (LoopCore.cpp) ---
    int Run();
    bool Pass(bool bWait, const std::function<bool()>& fnStop);
    INT_PTR RunModal(HWND hwnd);
    BOOL EndDialog(HWND hwnd, INT_PTR nResult);
    bool IsDialogEnded(HWND hwnd) const;
    int ModalDepth() const { return m_nModalDepth; }
    // A modal wait for something other than a window (a native dialog): passes until fnDone or
    // PostQuitMessage; false when the quit ended it.
    bool RunModalUntil(const std::function<bool()>& fnDone);

    // --- state and geometry (LoopState.cpp) ---
    HWND SetFocus(HWND hwnd);
    HWND GetFocus() const { return m_hwndFocus; }
    HWND SetCapture(HWND hwnd);
    BOOL ReleaseCapture();
    HWND GetCapture() const { return m_hwndCapture; }
    BOOL EnableWindow(HWND hwnd, BOOL bEnable);
    bool IsEnabled(HWND hwnd) const;
    BOOL ShowWindow(HWND hwnd, int nCmdShow);
    bool IsVisible(HWND hwnd) const;
    BOOL SetWindowPos(HWND hwnd, HWND hwndInsertAfter, int x, int y, int cx, int cy, UINT uFlags);
    // The client origin in top-level picture coordinates, and in screen coordinates.
    POINT OriginInTop(HWND hwnd) const;
    POINT OriginOnScreen(HWND hwnd) const;
    // The part of the window that can be seen, in top-level picture coordinates: empty when the
    // window or an ancestor is hidden.
    RECT VisibleRectInTop(HWND hwnd) const;
    bool IsInside(HWND hwnd, HWND hwndAncestor) const;
    // Shows, hides and places the native children at or below hwnd as they now stand.
    void SyncNatives(HWND hwnd);

    // --- input (LoopInput.cpp) ---
    // The presenter's new events, kept raw until their turn comes.
    bool TakeInput();
    // The messages of one event, into m_dqInputMsgs.
    void RouteInput(const InputEvent& ev);
    SHORT GetKeyState(int nVirtKey) const;
    // Where the mouse was at the last mouse event, in screen coordinates.
    POINT LastMousePoint() const { return m_ptMouse; }

    // --- painting (LoopPaint.cpp) ---
    BOOL Invalidate(HWND hwnd, const RECT* prc);
    BOOL UpdateWindow(HWND hwnd);
    BOOL GetUpdateRect(HWND hwnd, RECT* prc) const;
    HDC BeginPaint(HWND hwnd, PAINTSTRUCT* pps);
    BOOL EndPaint(HWND hwnd);
    HDC GetDC(HWND hwnd);
    int ReleaseDC(HWND hwnd, HDC hdc);
    HBITMAP GetPicture(HWND hwnd) const;
    // A top-level window's new size: a new picture, all of it dirty.
    void ResizePicture(HWND hwndTop);
    // Paints every dirty visible top-level window; true when any was painted.
    bool PaintDirty();
    void PaintTop(HWND hwndTop);
    // Client device contexts follow their windows' moves and pictures; presents what they drew.
    void RefreshClientDCs();
    void FlushClientDCs();

private:
    bool DrainInbox();
    bool QueueDueTimers();
    std::optional<TimePoint> NextTimerDue() const;
    void Dispatch(MSG msg);
    void ExecuteSend(CSendRequest& request);
    void WaitForReply(const CSendRequest& request);
    void CollectSubtree(HWND hwnd, std::vector<HWND>& vecOut) const;
    void DestroyTree(HWND hwnd);
    void PurgeQueued(const std::vector<HWND>& vecWindows);
    void PaintTree(HWND hwnd, const RECT& rcDirtyTop, const RECT& rcClipTop);
    bool MakePictureDC(HWND hwnd, const RECT& rcClipTop, CPictureDC& dc);

    // Every member: the owning GUI thread only (the inbox guards its own contents).
    std::unique_ptr<IPresenter> m_pPresenter;
    std::shared_ptr<CThreadInbox> m_pInbox;
    std::unordered_map<HWND, std::unique_ptr<CWindowRecord>> m_mapWindows;
    std::vector<HWND> m_vecTopLevels;          // creation order
    std::deque<MSG> m_dqQueue;                 // posted and timer messages
    std::deque<InputEvent> m_dqRawInput;       // input not yet routed
    std::deque<MSG> m_dqInputMsgs;             // the messages of the input event being dispatched
    std::vector<CTimer> m_vecTimers;
    HWND m_hwndFocus = nullptr;
    HWND m_hwndCapture = nullptr;
    std::array<bool, 256> m_arrKeyDown{};      // virtual keys and mouse buttons
    POINT m_ptMouse{};
    bool m_bQuit = false;
    int m_nQuitCode = 0;
    int m_nModalDepth = 0;
    std::vector<std::unique_ptr<CPaintFrame>> m_vecPaintFrames;
    std::vector<std::unique_ptr<CPictureDC>> m_vecClientDCs;
};

} // namespace wnd
} // namespace zent
