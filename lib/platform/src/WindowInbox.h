#pragma once

// What crosses threads in the window layer: the process-wide handle table (which GUI thread owns
// a window) and each GUI thread's inbox of posted and sent messages. Everything else of a window
// lives in its loop and is touched by its GUI thread only.

#include <zent/platform/Window.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace zent::wnd {

class CThreadInbox;

// A SendMessage from another thread, waiting for its answer.
struct CSendRequest {
    MSG msg;
    // The sender's own inbox when the sender is a GUI thread: it waits there, so that it can
    // answer messages sent to it meanwhile. Null for a sender without a loop. Set before the
    // request is handed over, then read-only.
    std::shared_ptr<CThreadInbox> pReplyTo;
    // Written once by the answering thread before bDone is set; read by the sender after.
    LRESULT lResult = 0;
    std::atomic<bool> bDone{false};

    // Answering thread: publishes the result and wakes the sender.
    void Complete(LRESULT lResult);
    // Sender without a loop: blocks until Complete.
    void WaitDone();

private:
    std::mutex m_mutex;             // pairs with m_cv for senders without a loop
    std::condition_variable m_cv;
};

// One per GUI thread, shared by its loop, the handle table and senders in flight, so that it may
// outlive the loop: once closed it refuses new work and answers waiting senders with 0.
class CThreadInbox {
public:
    explicit CThreadInbox(std::thread::id owner) : m_owner(owner) {}

    std::thread::id GetOwner() const { return m_owner; }

    // Owning thread: how to wake the loop when work arrives; cleared by Close.
    void SetWake(std::function<void()> fnWake);

    // Any thread; never waits for anything but this inbox's own short lock.
    bool Post(const MSG& msg);
    bool Send(std::shared_ptr<CSendRequest> pRequest);

    // Owning thread: everything that arrived; false when nothing had.
    bool TakeAll(std::deque<MSG>& dqPosts, std::vector<std::shared_ptr<CSendRequest>>& vecSends);
    // Owning thread, while its own SendMessage is in flight: waits until that request is answered
    // or requests sent to this thread arrive, and returns the latter.
    std::vector<std::shared_ptr<CSendRequest>> WaitForSendsOrReply(const CSendRequest& waiting);
    // Any thread: a request this inbox's thread waits for has been answered.
    void NotifyReply();
    // Owning thread: drops posted messages that the predicate selects.
    void PurgePosts(const std::function<bool(const MSG&)>& fnDrop);
    // Owning thread, when its loop goes away.
    void Close();

private:
    const std::thread::id m_owner;
    std::mutex m_mutex;
    std::condition_variable m_cv;                           // new sends, or a reply for this thread
    std::deque<MSG> m_dqPosts;                              // guarded by m_mutex
    std::vector<std::shared_ptr<CSendRequest>> m_vecSends;  // guarded by m_mutex
    std::function<void()> m_fnWake;                         // guarded by m_mutex
    bool m_bClosed = false;                                 // guarded by m_mutex
};

// Which inbox serves a window. Handles are numbers that are never reused, so a stale handle finds
// nothing instead of somebody else's window.
class CHandleTable {
public:
    static CHandleTable& Instance();

    HWND Register(std::shared_ptr<CThreadInbox> pInbox);
    void Unregister(HWND hwnd);
    std::shared_ptr<CThreadInbox> Find(HWND hwnd) const;

private:
    mutable std::mutex m_mutex;
    std::unordered_map<HWND, std::shared_ptr<CThreadInbox>> m_mapOwners; // guarded by m_mutex
    std::uintptr_t m_nLast = 0;                                          // guarded by m_mutex
};

} // namespace zent::wnd
