#include "WindowInbox.h"

#include <algorithm>

namespace zent::wnd {

void CSendRequest::Complete(LRESULT lAnswer)
{
    lResult = lAnswer;
    bDone.store(true, std::memory_order_release);
    if (pReplyTo) {
        pReplyTo->NotifyReply();
        return;
    }
    // Taking the lock orders the store above before a waiter's check, so the wake is not lost.
    { std::lock_guard lock(m_mutex); }
    m_cv.notify_all();
}

void CSendRequest::WaitDone()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return bDone.load(std::memory_order_acquire); });
}

void CThreadInbox::SetWake(std::function<void()> fnWake)
{
    std::lock_guard lock(m_mutex);
    m_fnWake = std::move(fnWake);
}

bool CThreadInbox::Post(const MSG& msg)
{
    std::lock_guard lock(m_mutex);
    if (m_bClosed) return false;
    m_dqPosts.push_back(msg);
    // Called under the lock so that Close cannot free the presenter behind the call; waking
    // only sets a flag and signals.
    if (m_fnWake) m_fnWake();
    return true;
}

bool CThreadInbox::Send(std::shared_ptr<CSendRequest> pRequest)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bClosed) return false;
        m_vecSends.push_back(std::move(pRequest));
        if (m_fnWake) m_fnWake();
    }
    // The owner may be waiting for its own reply rather than in its loop.
    m_cv.notify_all();
    return true;
}

bool CThreadInbox::TakeAll(std::deque<MSG>& dqPosts, std::vector<std::shared_ptr<CSendRequest>>& vecSends)
{
    std::lock_guard lock(m_mutex);
    const bool bAny = !m_dqPosts.empty() || !m_vecSends.empty();
    for (MSG& msg : m_dqPosts) dqPosts.push_back(msg);
    m_dqPosts.clear();
    for (auto& p : m_vecSends) vecSends.push_back(std::move(p));
    m_vecSends.clear();
    return bAny;
}

std::vector<std::shared_ptr<CSendRequest>> CThreadInbox::WaitForSendsOrReply(const CSendRequest& waiting)
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return waiting.bDone.load(std::memory_order_acquire) || !m_vecSends.empty(); });
    std::vector<std::shared_ptr<CSendRequest>> vecSends;
    vecSends.swap(m_vecSends);
    return vecSends;
}

void CThreadInbox::NotifyReply()
{
    { std::lock_guard lock(m_mutex); }
    m_cv.notify_all();
}

void CThreadInbox::PurgePosts(const std::function<bool(const MSG&)>& fnDrop)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_dqPosts, fnDrop);
}

void CThreadInbox::Close()
{
    std::vector<std::shared_ptr<CSendRequest>> vecSends;
    {
        std::lock_guard lock(m_mutex);
        m_bClosed = true;
        m_fnWake = nullptr;
        m_dqPosts.clear();
        vecSends.swap(m_vecSends);
    }
    for (auto& p : vecSends) p->Complete(0);
}

CHandleTable& CHandleTable::Instance()
{
    static CHandleTable s_table;
    return s_table;
}

HWND CHandleTable::Register(std::shared_ptr<CThreadInbox> pInbox)
{
    std::lock_guard lock(m_mutex);
    // Steps of 4 keep the values looking like aligned pointers to tools that print them.
    m_nLast += 4;
    HWND hwnd = reinterpret_cast<HWND>(0x10000 + m_nLast);
    m_mapOwners.emplace(hwnd, std::move(pInbox));
    return hwnd;
}

void CHandleTable::Unregister(HWND hwnd)
{
    std::lock_guard lock(m_mutex);
    m_mapOwners.erase(hwnd);
}

std::shared_ptr<CThreadInbox> CHandleTable::Find(HWND hwnd) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_mapOwners.find(hwnd);
    return it == m_mapOwners.end() ? nullptr : it->second;
}

} // namespace zent::wnd
