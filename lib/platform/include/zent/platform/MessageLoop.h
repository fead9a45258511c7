#pragma once

// The message loop of one GUI thread. It owns that thread's windows, message queue, timers, focus
// and capture, and the presenter that shows them; there is no global queue. Create it on the
// thread it serves and destroy it there; the windows it still holds are destroyed with it.
//
// Each pass: take the messages posted and sent from other threads (sent ones are answered at
// once) and the presenter's input, queue WM_TIMER for timers that are due, dispatch what was
// queued when the pass began (what handlers post waits for the next pass), translate the input
// into mouse and key messages and dispatch them, one event at a time so that each is routed to
// the capture and focus its predecessors left, then paint the dirty pictures and present them. With nothing to do the loop waits in the presenter until
// the next timer, input, or a Wake from another thread.

#include <zent/platform/Export.h>
#include <zent/platform/Messages.h>
#include <zent/platform/Presenter.h>

#include <memory>

namespace zent {

namespace wnd {
class CLoopCore;
}

class ZENT_PLATFORM_API CMessageLoop {
public:
    // Null when the calling thread already has a loop or no presenter is given.
    static std::unique_ptr<CMessageLoop> Create(std::unique_ptr<IPresenter> pPresenter);
    ~CMessageLoop();
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;

    // The loop of the calling thread, or null.
    static CMessageLoop* Current();

    IPresenter& GetPresenter();
    TimePoint Now() const;

    // Runs until PostQuitMessage; returns its exit code.
    int Run();
    // One pass that never waits; true when it found anything to do.
    bool PumpPending();
    // Passes until one finds nothing to do (or nMaxPasses ran, against a window that keeps
    // posting to itself); returns the passes that did something.
    int PumpUntilIdle(int nMaxPasses = 10000);
    // The nested loop of a modal window: runs until EndDialog(hwnd), until hwnd is destroyed (-1)
    // or until PostQuitMessage (-1, and the quit stays pending for the loops outside).
    INT_PTR RunModal(HWND hwnd);
    int GetModalDepth() const;

    // For Create only: the tag cannot be named outside.
    class PrivateTag {
        friend class CMessageLoop;
        PrivateTag() = default;
    };
    CMessageLoop(PrivateTag, std::unique_ptr<wnd::CLoopCore> pCore);

private:
    std::unique_ptr<wnd::CLoopCore> m_pCore; // GUI thread only
};

} // namespace zent
