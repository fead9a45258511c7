#include "LoopCore.h"

#include <zent/platform/Trace.h>

#include <algorithm>
#include <exception>
#include <string>

namespace zent::wnd {

namespace {

// The loop of this thread. Only the pointer is per thread; the state is the loop object's.
thread_local CLoopCore* t_pCurrent = nullptr;

} // namespace

RECT IntersectRc(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return r.IsEmpty() ? RECT{} : r;
}

RECT UnionRc(const RECT& a, const RECT& b)
{
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT OffsetRc(const RECT& rc, int dx, int dy)
{
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

// --- life ------------------------------------------------------------------------------------------

CLoopCore::CLoopCore(std::unique_ptr<IPresenter> pPresenter)
    : m_pPresenter(std::move(pPresenter)), m_pInbox(std::make_shared<CThreadInbox>(std::this_thread::get_id()))
{
}

std::unique_ptr<CLoopCore> CLoopCore::Create(std::unique_ptr<IPresenter> pPresenter)
{
    if (!pPresenter || t_pCurrent) return nullptr;
    auto pCore = std::make_unique<CLoopCore>(std::move(pPresenter));
    IPresenter* pRaw = pCore->m_pPresenter.get();
    pCore->m_pInbox->SetWake([pRaw] { pRaw->Wake(); });
    t_pCurrent = pCore.get();
    return pCore;
}

void CLoopCore::Shutdown()
{
    // Windows created while others are being destroyed are destroyed too, within reason.
    for (int nRound = 0; nRound < 16 && !m_vecTopLevels.empty(); ++nRound) {
        const std::vector<HWND> vecTops = m_vecTopLevels;
        for (HWND hwnd : vecTops) Destroy(hwnd);
    }
}

CLoopCore::~CLoopCore()
{
    Shutdown();
    // Senders still waiting get 0 rather than waiting for ever.
    m_pInbox->Close();
    m_vecClientDCs.clear();
    m_vecPaintFrames.clear();
    if (t_pCurrent == this) t_pCurrent = nullptr;
}

CLoopCore* CLoopCore::Current()
{
    return t_pCurrent;
}

DWORD CLoopCore::NowMillis() const
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Now().time_since_epoch()).count();
    return static_cast<DWORD>(ms);
}

CWindowRecord* CLoopCore::Find(HWND hwnd) const
{
    if (!hwnd) return nullptr;
    auto it = m_mapWindows.find(hwnd);
    return it == m_mapWindows.end() ? nullptr : it->second.get();
}

HWND CLoopCore::Root(HWND hwnd) const
{
    const CWindowRecord* pRec = Find(hwnd);
    while (pRec && pRec->hwndParent) {
        hwnd = pRec->hwndParent;
        pRec = Find(hwnd);
    }
    return pRec ? hwnd : nullptr;
}

// --- creation --------------------------------------------------------------------------------------

HWND CLoopCore::CreateWindowRecord(const CREATESTRUCT& cs, CWnd* pWnd, WNDPROC fnProc)
{
    const bool bChild = (cs.style & WS_CHILD) != 0;
    HWND hwndParent = nullptr;
    HWND hwndOwner = nullptr;
    if (bChild) {
        const CWindowRecord* pParent = Find(cs.hwndParent);
        if (!pParent || pParent->bDestroying) return nullptr;
        hwndParent = cs.hwndParent;
    } else if (cs.hwndParent) {
        const CWindowRecord* pOwner = Find(cs.hwndParent);
        if (!pOwner || pOwner->bDestroying) return nullptr;
        hwndOwner = Root(cs.hwndParent);
    }
    if (pWnd && pWnd->GetSafeHwnd()) return nullptr;

    const HWND hwnd = CHandleTable::Instance().Register(m_pInbox);
    auto pRec = std::make_unique<CWindowRecord>();
    pRec->hwnd = hwnd;
    pRec->pWnd = pWnd;
    if (fnProc) pRec->pProc = std::make_shared<const WNDPROC>(std::move(fnProc));
    pRec->hwndParent = hwndParent;
    pRec->hwndOwner = hwndOwner;
    pRec->rc = RECT{cs.x, cs.y, cs.x + std::max(cs.cx, 0), cs.y + std::max(cs.cy, 0)};
    // Visibility is applied after WM_CREATE, once the window is complete.
    pRec->dwStyle = cs.style & ~WS_VISIBLE;
    pRec->dwExStyle = cs.dwExStyle;
    pRec->nID = cs.nID;
    pRec->strText = std::wstring(cs.lpszName);
    pRec->strClass = std::wstring(cs.lpszClass);
    pRec->bNative = bChild && (cs.dwExStyle & WS_EX_ZENT_NATIVE) != 0;
    m_mapWindows.emplace(hwnd, std::move(pRec));
    if (hwndParent)
        Find(hwndParent)->vecChildren.push_back(hwnd);
    else
        m_vecTopLevels.push_back(hwnd);
    if (pWnd) CWndAccess::Bind(*pWnd, hwnd);

    if (!hwndParent) {
        ResizePicture(hwnd);
        const CWindowRecord* pTop = Find(hwnd);
        m_pPresenter->CreateTopLevel(hwnd, pTop->rc, cs.style & ~WS_VISIBLE, cs.dwExStyle);
        if (!pTop->strText.empty()) m_pPresenter->SetTitle(hwnd, pTop->strText);
    } else if (Find(hwnd)->bNative) {
        const POINT org = OriginInTop(hwnd);
        const CWindowRecord* pRec2 = Find(hwnd);
        m_pPresenter->CreateNativeChild(hwnd, Root(hwnd),
                                        RECT{org.x, org.y, org.x + pRec2->Width(), org.y + pRec2->Height()});
        m_pPresenter->ShowNative(hwnd, SW_HIDE);
    }

    CREATESTRUCT csCopy = cs;
    const LRESULT lCreate = CallProc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&csCopy));
    if (!Find(hwnd)) return nullptr;
    if (lCreate == -1) {
        Destroy(hwnd);
        return nullptr;
    }
    const CWindowRecord* pNew = Find(hwnd);
    CallProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(pNew->Width(), pNew->Height()));
    if ((pNew = Find(hwnd)) == nullptr) return nullptr;
    CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(pNew->rc.left, pNew->rc.top));
    CWindowRecord* pDone = Find(hwnd);
    if (!pDone) return nullptr;

    if (cs.style & WS_VISIBLE) {
        // Created visible: no WM_SHOWWINDOW, as with Win32 child windows.
        pDone->dwStyle |= WS_VISIBLE;
        if (pDone->IsTopLevel()) {
            pDone->nShowCmd = SW_SHOW;
            m_pPresenter->ShowNative(hwnd, SW_SHOW);
        }
        Invalidate(hwnd, nullptr);
        SyncNatives(hwnd);
    }
    return hwnd;
}

// --- destruction -----------------------------------------------------------------------------------

void CLoopCore::CollectSubtree(HWND hwnd, std::vector<HWND>& vecOut) const
{
    const CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return;
    vecOut.push_back(hwnd);
    for (HWND hwndChild : pRec->vecChildren) CollectSubtree(hwndChild, vecOut);
}

void CLoopCore::PurgeQueued(const std::vector<HWND>& vecWindows)
{
    auto fnDrop = [&](const MSG& msg) {
        return std::find(vecWindows.begin(), vecWindows.end(), msg.hwnd) != vecWindows.end();
    };
    std::erase_if(m_dqQueue, fnDrop);
    std::erase_if(m_dqInputMsgs, fnDrop);
    m_pInbox->PurgePosts(fnDrop);
}

BOOL CLoopCore::Destroy(HWND hwnd)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec || pRec->bDestroying) return FALSE;

    // Owned top-level windows go first, as on Win32.
    if (pRec->IsTopLevel()) {
        const std::vector<HWND> vecTops = m_vecTopLevels;
        for (HWND hwndTop : vecTops) {
            const CWindowRecord* pTop = Find(hwndTop);
            if (pTop && pTop->hwndOwner == hwnd) Destroy(hwndTop);
        }
        pRec = Find(hwnd);
        if (!pRec || pRec->bDestroying) return TRUE;
    }

    std::vector<HWND> vecSubtree;
    CollectSubtree(hwnd, vecSubtree);
    for (HWND h : vecSubtree) Find(h)->bDestroying = true;

    std::erase_if(m_vecTimers, [&](const CTimer& t) {
        return std::find(vecSubtree.begin(), vecSubtree.end(), t.hwnd) != vecSubtree.end();
    });
    PurgeQueued(vecSubtree);

    if (m_hwndCapture && std::find(vecSubtree.begin(), vecSubtree.end(), m_hwndCapture) != vecSubtree.end())
        ReleaseCapture();
    if (m_hwndFocus && std::find(vecSubtree.begin(), vecSubtree.end(), m_hwndFocus) != vecSubtree.end()) {
        const HWND hwndOld = m_hwndFocus;
        m_hwndFocus = nullptr;
        CallProc(hwndOld, WM_KILLFOCUS, 0, 0);
    }

    pRec = Find(hwnd);
    if (pRec && pRec->hwndParent && IsVisible(hwnd)) Invalidate(pRec->hwndParent, &pRec->rc);

    DestroyTree(hwnd);
    // Whatever the WM_DESTROY handlers posted to the dying windows.
    PurgeQueued(vecSubtree);
    return TRUE;
}

void CLoopCore::DestroyTree(HWND hwnd)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return;
    pRec->bDestroying = true;
    if (!pRec->bDestroySent) {
        pRec->bDestroySent = true;
        CallProc(hwnd, WM_DESTROY, 0, 0);
    }
    // Children are looked up afresh each time: handlers may create or destroy windows.
    for (;;) {
        pRec = Find(hwnd);
        if (!pRec || pRec->vecChildren.empty()) break;
        DestroyTree(pRec->vecChildren.front());
    }
    if (!Find(hwnd)) return;
    CallProc(hwnd, WM_NCDESTROY, 0, 0);

    auto it = m_mapWindows.find(hwnd);
    if (it == m_mapWindows.end()) return;
    std::unique_ptr<CWindowRecord> pGone = std::move(it->second);
    m_mapWindows.erase(it);
    CHandleTable::Instance().Unregister(hwnd);
    if (pGone->hwndParent) {
        if (CWindowRecord* pParent = Find(pGone->hwndParent)) std::erase(pParent->vecChildren, hwnd);
    } else {
        std::erase(m_vecTopLevels, hwnd);
    }
    if (pGone->IsTopLevel() || pGone->bNative) m_pPresenter->DestroyNative(hwnd);
    if (m_hwndFocus == hwnd) m_hwndFocus = nullptr;
    if (m_hwndCapture == hwnd) m_hwndCapture = nullptr;
    // Device contexts over the picture must let go of it before it is freed below.
    RefreshClientDCs();
    CWnd* pWnd = pGone->pWnd;
    pGone.reset();
    if (pWnd) {
        CWndAccess::Bind(*pWnd, nullptr);
        CWndAccess::CallPostNcDestroy(*pWnd);
    }
}

// --- messages --------------------------------------------------------------------------------------

LRESULT CLoopCore::CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return 0;
    // A procedure that throws must not unwind through the loop, out of the library, or past a
    // sender on another thread that waits for the answer.
    try {
        if (pRec->pWnd) return CWndAccess::CallOnMessage(*pRec->pWnd, message, wParam, lParam);
        if (pRec->pProc) {
            const std::shared_ptr<const WNDPROC> pProc = pRec->pProc;
            return (*pProc)(hwnd, message, wParam, lParam);
        }
    } catch (const std::exception& e) {
        TraceWrite(std::string("### window procedure threw: ") + e.what() + "\n");
        return 0;
    } catch (...) {
        TraceWrite("### window procedure threw\n");
        return 0;
    }
    return DefProc(hwnd, message, wParam, lParam);
}

LRESULT CLoopCore::CallSuper(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const CWindowRecord* pRec = Find(hwnd);
    if (pRec && pRec->pProc) {
        const std::shared_ptr<const WNDPROC> pProc = pRec->pProc;
        return (*pProc)(hwnd, message, wParam, lParam);
    }
    return DefProc(hwnd, message, wParam, lParam);
}

LRESULT CLoopCore::DefProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return 0;
    switch (message) {
    case WM_CLOSE:
        Destroy(hwnd);
        return 0;
    case WM_MOUSEWHEEL:
        // Unhandled wheel turns scroll the nearest ancestor that wants them.
        if (pRec->hwndParent) return CallProc(pRec->hwndParent, message, wParam, lParam);
        return 0;
    case WM_CANCELMODE:
        if (m_hwndCapture == hwnd) ReleaseCapture();
        return 0;
    case WM_NCLBUTTONDOWN:
        // A press on what the window calls its caption moves the window, as on Win32.
        if (wParam == HTCAPTION) {
            if (m_hwndCapture) ReleaseCapture();
            m_pPresenter->BeginWindowDrag(Root(hwnd), m_ptMouse);
        }
        return 0;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(pRec->strText.size());
    default:
        return 0;
    }
}

void CLoopCore::PostLocal(const MSG& msg)
{
    m_dqQueue.push_back(msg);
}

void CLoopCore::PostQuit(int nExitCode)
{
    m_bQuit = true;
    m_nQuitCode = nExitCode;
}

BOOL CLoopCore::SubclassWindow(HWND hwnd, CWnd& wnd)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec || pRec->pWnd || wnd.GetSafeHwnd()) return FALSE;
    pRec->pWnd = &wnd;
    CWndAccess::Bind(wnd, hwnd);
    return TRUE;
}

HWND CLoopCore::UnsubclassWindow(CWnd& wnd)
{
    const HWND hwnd = wnd.GetSafeHwnd();
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec || pRec->pWnd != &wnd) return nullptr;
    pRec->pWnd = nullptr;
    CWndAccess::Bind(wnd, nullptr);
    return hwnd;
}

void CLoopCore::ExecuteSend(CSendRequest& request)
{
    LRESULT lResult = 0;
    if (Find(request.msg.hwnd))
        lResult = CallProc(request.msg.hwnd, request.msg.message, request.msg.wParam, request.msg.lParam);
    request.Complete(lResult);
}

void CLoopCore::WaitForReply(const CSendRequest& request)
{
    while (!request.bDone.load(std::memory_order_acquire)) {
        // Answering what is sent to us while we wait is what keeps two GUI threads that send to
        // each other from deadlocking.
        for (auto& pIncoming : m_pInbox->WaitForSendsOrReply(request)) ExecuteSend(*pIncoming);
    }
}

LRESULT CLoopCore::SendAcrossThreads(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<CThreadInbox> pTarget = CHandleTable::Instance().Find(hwnd);
    if (!pTarget) return 0;
    CLoopCore* pSelf = t_pCurrent;
    if (pSelf && pTarget == pSelf->m_pInbox) return 0; // ours, yet not found: being removed
    auto pRequest = std::make_shared<CSendRequest>();
    pRequest->msg = MSG{hwnd, message, wParam, lParam, 0, {}};
    if (pSelf) pRequest->pReplyTo = pSelf->m_pInbox;
    if (!pTarget->Send(pRequest)) return 0;
    if (pSelf)
        pSelf->WaitForReply(*pRequest);
    else
        pRequest->WaitDone();
    return pRequest->lResult;
}

// --- timers ----------------------------------------------------------------------------------------

UINT_PTR CLoopCore::SetTimer(HWND hwnd, UINT_PTR nID, UINT uElapse)
{
    const CWindowRecord* pRec = Find(hwnd);
    if (!pRec || pRec->bDestroying) return 0;
    const auto interval = std::chrono::milliseconds(std::max(uElapse, USER_TIMER_MINIMUM));
    const TimePoint due = Now() + interval;
    std::erase_if(m_dqQueue, [&](const MSG& m) { return m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == nID; });
    for (CTimer& t : m_vecTimers) {
        if (t.hwnd == hwnd && t.nID == nID) {
            t.interval = interval;
            t.due = due;
            return nID ? nID : 1;
        }
    }
    m_vecTimers.push_back(CTimer{hwnd, nID, interval, due});
    return nID ? nID : 1;
}

BOOL CLoopCore::KillTimer(HWND hwnd, UINT_PTR nID)
{
    const auto nBefore = m_vecTimers.size();
    std::erase_if(m_vecTimers, [&](const CTimer& t) { return t.hwnd == hwnd && t.nID == nID; });
    std::erase_if(m_dqQueue, [&](const MSG& m) { return m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == nID; });
    return m_vecTimers.size() != nBefore ? TRUE : FALSE;
}

bool CLoopCore::QueueDueTimers()
{
    if (m_vecTimers.empty()) return false;
    const TimePoint now = Now();
    bool bQueued = false;
    for (CTimer& t : m_vecTimers) {
        if (t.due > now) continue;
        // The next tick counts from now, so a loop that fell behind gets one tick, not a burst.
        t.due = now + t.interval;
        const bool bPending = std::any_of(m_dqQueue.begin(), m_dqQueue.end(), [&](const MSG& m) {
            return m.hwnd == t.hwnd && m.message == WM_TIMER && m.wParam == t.nID;
        });
        if (bPending) continue;
        m_dqQueue.push_back(MSG{t.hwnd, WM_TIMER, t.nID, 0, NowMillis(), {}});
        bQueued = true;
    }
    return bQueued;
}

std::optional<TimePoint> CLoopCore::NextTimerDue() const
{
    std::optional<TimePoint> next;
    for (const CTimer& t : m_vecTimers)
        if (!next || t.due < *next) next = t.due;
    return next;
}

// --- running ---------------------------------------------------------------------------------------

bool CLoopCore::DrainInbox()
{
    std::deque<MSG> dqPosts;
    std::vector<std::shared_ptr<CSendRequest>> vecSends;
    if (!m_pInbox->TakeAll(dqPosts, vecSends)) return false;
    for (auto& pRequest : vecSends) ExecuteSend(*pRequest);
    for (const MSG& msg : dqPosts) m_dqQueue.push_back(msg);
    return true;
}

void CLoopCore::Dispatch(MSG msg)
{
    if (!Find(msg.hwnd)) return;
    // Innermost first, up to the top-level window, as MFC walks its pre-translate tree.
    for (HWND hwnd = msg.hwnd; hwnd;) {
        const CWindowRecord* pRec = Find(hwnd);
        if (!pRec) return;
        const HWND hwndNext = pRec->hwndParent;
        if (pRec->pWnd && pRec->pWnd->PreTranslateMessage(&msg)) return;
        hwnd = hwndNext;
    }
    CallProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

bool CLoopCore::Pass(bool bWait, const std::function<bool()>& fnStop)
{
    bool bDid = DrainInbox();
    bDid |= TakeInput();
    bDid |= QueueDueTimers();

    // Only what was queued when the pass began, so a window that keeps posting to itself cannot
    // starve input, timers and painting.
    std::size_t nBudget = m_dqQueue.size();
    while (nBudget-- > 0 && !m_dqQueue.empty()) {
        if (fnStop && fnStop()) break;
        MSG msg = m_dqQueue.front();
        m_dqQueue.pop_front();
        Dispatch(msg);
        bDid = true;
    }
    // Input that arrived before the pass, each event routed only when the messages of the one
    // before it have been handled. A loop that stops (a dialog ended) leaves the rest to the loop
    // outside it.
    while (!(fnStop && fnStop())) {
        if (m_dqInputMsgs.empty()) {
            if (m_dqRawInput.empty()) break;
            const InputEvent ev = m_dqRawInput.front();
            m_dqRawInput.pop_front();
            RouteInput(ev);
            continue;
        }
        MSG msg = m_dqInputMsgs.front();
        m_dqInputMsgs.pop_front();
        Dispatch(msg);
        bDid = true;
    }
    if (bDid && !m_vecClientDCs.empty()) FlushClientDCs();
    // Every pass, not only when the queue runs dry: a window that keeps posting must not freeze
    // the picture.
    bDid |= PaintDirty();

    if (!bDid && bWait && !(fnStop && fnStop())) m_pPresenter->WaitForWork(NextTimerDue());
    return bDid;
}

int CLoopCore::Run()
{
    const auto fnStop = [this] { return m_bQuit; };
    while (!m_bQuit) Pass(true, fnStop);
    // The quit is consumed by the outermost loop only; modal loops leave it for the ones outside.
    if (m_nModalDepth == 0) m_bQuit = false;
    return m_nQuitCode;
}

INT_PTR CLoopCore::RunModal(HWND hwnd)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return -1;
    ++pRec->nModalRuns;
    ++m_nModalDepth;
    const auto fnStop = [this, hwnd] {
        const CWindowRecord* p = Find(hwnd);
        return !p || p->bEnded || m_bQuit;
    };
    while (!fnStop()) Pass(true, fnStop);
    --m_nModalDepth;
    pRec = Find(hwnd);
    if (!pRec) return -1;
    --pRec->nModalRuns;
    return pRec->bEnded ? pRec->nEndResult : -1;
}

BOOL CLoopCore::EndDialog(HWND hwnd, INT_PTR nResult)
{
    CWindowRecord* pRec = Find(hwnd);
    if (!pRec) return FALSE;
    pRec->bEnded = true;
    pRec->nEndResult = nResult;
    if (pRec->nModalRuns == 0) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

bool CLoopCore::RunModalUntil(const std::function<bool()>& fnDone)
{
    ++m_nModalDepth;
    const auto fnStop = [&] { return m_bQuit || fnDone(); };
    while (!fnStop()) Pass(true, fnStop);
    --m_nModalDepth;
    return fnDone();
}

bool CLoopCore::IsDialogEnded(HWND hwnd) const
{
    const CWindowRecord* pRec = Find(hwnd);
    return pRec && pRec->bEnded;
}

} // namespace zent::wnd
