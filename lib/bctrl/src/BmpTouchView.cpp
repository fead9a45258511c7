#include <zent/bctrl/BmpTouchView.h>

#include <zent/platform/Bitmap.h>
#include <zent/platform/MessageLoop.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

#include <algorithm>
#include <cstdlib>

namespace zent {

namespace {
int MsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}
} // namespace

CBmpTouchView::CBmpTouchView() = default;

CBmpTouchView::~CBmpTouchView()
{
    // Timers belong to the window, which must not outlive this object's handler.
    DestroyWindow();
}

void CBmpTouchView::PlaceFromLoader(QLBMLoader* loader, UINT viewId)
{
    RECT rc{};
    if (loader) loader->GetRect(static_cast<int>(viewId), rc);
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
}

CBmpTouchView::Clock::time_point CBmpTouchView::Now() const
{
    if (CMessageLoop* loop = CMessageLoop::Current()) return loop->Now();
    return Clock::now();
}

int CBmpTouchView::ViewWidth() const
{
    return std::max<int>(m_rcCtrl.right - m_rcCtrl.left, 0);
}

int CBmpTouchView::ViewHeight() const
{
    return std::max<int>(m_rcCtrl.bottom - m_rcCtrl.top, 0);
}

void CBmpTouchView::UpdateRange()
{
    m_kScroller.SetMaxOffset(ContentExtent() - ViewExtent());
}

int CBmpTouchView::PageExtent() const
{
    const int row = std::max(RowExtent(), 1);
    return std::max(ViewExtent() / row, 1) * row;
}

int CBmpTouchView::GetLastTopPos() const
{
    const int row = std::max(RowExtent(), 1);
    return (m_kScroller.GetMaxOffset() + row - 1) / row;
}

int CBmpTouchView::SetScrollPosition(int row, int redraw)
{
    StopAnimation();
    m_kScroller.SetOffset(std::clamp(row * RowExtent(), 0, m_kScroller.GetMaxOffset()));
    if (redraw == 1) Draw();
    return 1;
}

int CBmpTouchView::GetScrollPosition() const
{
    return std::max(m_kScroller.GetOffset(), 0) / std::max(RowExtent(), 1);
}

void CBmpTouchView::ForgetPendingItem()
{
    m_nPressItem = -1;
    m_nReleaseItem = -1;
}

void CBmpTouchView::AfterItemsRemoved(bool bAll, int redraw)
{
    if (bAll) StopAnimation();
    ForgetPendingItem();
    UpdateRange();
    if (bAll) SetScrollPosition(0, 0);
    else if (GetScrollOffset() > GetScroller().GetMaxOffset()) SetScrollPosition(GetLastTopPos(), 0);
    if (redraw == 1) Draw();
}

void CBmpTouchView::PostParent(UINT message, LPARAM lParam)
{
    const HWND parent = GetParentWnd();
    if (!parent) return;
    PostMessage(parent, message, static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd())), lParam);
}

void CBmpTouchView::PlayTouchSound()
{
    if (m_bTouchSoundUse && !m_strSoundFileTrue.empty())
        g_kSndPlEffect.SndPlay(m_strSoundFileTrue.c_str(), nullptr, kSndFileName | kSndAsync);
}

void CBmpTouchView::StartAnimation()
{
    if (GetSafeHwnd()) SetTimer(GetSafeHwnd(), kAnimTimerId, CBmpFlingScroller::kTickMs);
}

void CBmpTouchView::StopAnimation()
{
    m_kScroller.Stop();
    if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kAnimTimerId);
}

void CBmpTouchView::OnAnimTick()
{
    const bool bMoving = m_kScroller.Tick();
    Draw();
    if (bMoving) return;
    KillTimer(GetSafeHwnd(), kAnimTimerId);
    PostParent(WM_BVIEW_SETTLED, GetScrollPosition());
}

void CBmpTouchView::MarkDoubleClickPress()
{
    m_bDoubleClickPress = true;
    m_nDoubleClickOffset = m_kScroller.GetOffset();
}

int CBmpTouchView::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    m_bDoubleClickPress = false;
    const Clock::time_point now = Now();
    const bool bPending = m_bReleasePending;
    if (bPending) {
        KillTimer(GetSafeHwnd(), kReleaseTimerId);
        m_bReleasePending = false;
    }
    if (m_bReleaseValid && MsBetween(m_tRelease, now) < kPressAfterReleaseMs && bPending) {
        // A quick second touch continues the drag before it rather than starting a tap.
        m_bPressed = true;
        m_nPressItem = -1;
        m_nPressMessage = 0;
        m_ptLast = pt;
        m_tLastMove = now;
        return 1;
    }
    const bool bAtRest = !m_kScroller.IsAnimating();
    StopAnimation();
    m_kScroller.Press();
    m_nPressItem = -1;
    m_nPressMessage = 0;
    if (bAtRest) {
        // pt is relative to the control; the content starts offset pixels before the view.
        POINT content = pt;
        (m_bHorizontal ? content.x : content.y) += m_kScroller.GetOffset();
        m_nPressItem = HitTest(content, &m_nPressMessage);
    }
    m_bPressed = true;
    m_ptPress = m_ptLast = pt;
    m_tPress = m_tLastMove = now;
    if (m_nPressItem >= 0 && HasPressedLook()) Draw();
    return 1;
}

int CBmpTouchView::MouseMove(UINT, POINT pt)
{
    if (!m_bPressed) return 0;
    const Clock::time_point now = Now();
    if (m_nPressItem >= 0 &&
        (std::abs(pt.x - m_ptPress.x) > kTapSlop || std::abs(pt.y - m_ptPress.y) > kTapSlop)) {
        // Past the tap distance the touch can only be a drag: the item under it lets go.
        m_nPressItem = -1;
        m_nPressMessage = 0;
        if (HasPressedLook()) Draw();
    }
    const int d = Along(pt) - Along(m_ptLast);
    if (d != 0 && !m_bScrollOff) {
        m_kScroller.DragBy(MsBetween(m_tLastMove, now), -d);
        m_tLastMove = now;
        Draw();
    }
    m_ptLast = pt;
    return 1;
}

int CBmpTouchView::LButtonUp(UINT flags, POINT pt)
{
    if (!m_bPressed) return 0;
    MouseMove(flags, pt);
    m_bPressed = false;
    const Clock::time_point now = Now();
    const bool bDrag = std::abs(pt.x - m_ptPress.x) > kTapSlop || std::abs(pt.y - m_ptPress.y) > kTapSlop ||
                       MsBetween(m_tPress, now) > kTapMaxMs;
    m_bReleaseWasTap = !bDrag && m_nPressItem >= 0;
    m_nReleaseItem = m_nPressItem;
    m_nReleaseMessage = m_nPressMessage;
    m_tRelease = now;
    m_bReleaseValid = true;
    m_bReleasePending = true;
    if (GetSafeHwnd()) SetTimer(GetSafeHwnd(), kReleaseTimerId, kReleaseDelayMs);
    // The pressed look (if any) ends with the touch.
    if (m_nPressItem >= 0 && HasPressedLook()) Draw();
    return 1;
}

void CBmpTouchView::OnReleaseTimer()
{
    KillTimer(GetSafeHwnd(), kReleaseTimerId);
    if (!m_bReleasePending) return;
    m_bReleasePending = false;
    if (!m_bReleaseWasTap) {
        const bool bQuiet = m_bDoubleClickPress && m_kScroller.GetOffset() == m_nDoubleClickOffset;
        m_bDoubleClickPress = false;
        if (m_kScroller.Release() != CBmpFlingScroller::kModeIdle) {
            StartAnimation();
        } else {
            Draw();
            if (!bQuiet) PostParent(WM_BVIEW_SETTLED, GetScrollPosition());
        }
        return;
    }
    // A tap that jittered a few pixels past an end still counts; the content springs back too.
    if (m_kScroller.GetOverscroll() > 0 && m_kScroller.Release() != CBmpFlingScroller::kModeIdle) StartAnimation();
    if (m_nReleaseItem < 0) return;
    OnTap(m_nReleaseItem, m_nReleaseMessage);
}

int CBmpTouchView::Page(bool bDown)
{
    const int page = PageExtent();
    const int from = std::clamp(m_kScroller.GetOffset(), 0, m_kScroller.GetMaxOffset());
    const int target = std::clamp(from + (bDown ? page : -page), 0, m_kScroller.GetMaxOffset());
    if (target == from && m_kScroller.GetOverscroll() == 0) return 0;
    StopAnimation();
    m_kScroller.StartPaging(target);
    StartAnimation();
    return 1;
}

LRESULT CBmpTouchView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kAnimTimerId) {
        OnAnimTick();
        return 0;
    }
    if (message == WM_TIMER && wParam == kReleaseTimerId) {
        OnReleaseTimer();
        return 0;
    }
    if (message == WM_BVIEW_PAGEUP) return Page(false);
    if (message == WM_BVIEW_PAGEDOWN) return Page(true);
    if (message == WM_BVIEW_SCROLLTO) return SetScrollPosition(static_cast<int>(lParam), 1);
    return CBmpCtrl::OnMessage(message, wParam, lParam);
}

int CBmpTouchView::Clean()
{
    m_bPressed = false;
    m_bReleasePending = false;
    if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kReleaseTimerId);
    m_bmpCanvas.reset();
    m_nCanvasWidth = m_nCanvasHeight = 0;
    return 1;
}

int CBmpTouchView::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const int w = ViewWidth();
    const int h = ViewHeight();
    if (w <= 0 || h <= 0) return 1;
    // The content is painted into a picture of the view's own size, which cuts off the rows that
    // stick out at either end without touching the clip of the dialog's picture.
    if (!m_bmpCanvas || m_nCanvasWidth != w || m_nCanvasHeight != h) {
        m_bmpCanvas.reset(CreateCompatibleBitmap(dc, w, h));
        m_nCanvasWidth = w;
        m_nCanvasHeight = h;
    }
    if (!m_bmpCanvas) return 0;
    UniqueDC mem(CreateCompatibleDC(dc));
    CSelectObject<HBITMAP> sel(mem.get(), m_bmpCanvas.get());
    FillSolidRect(mem.get(), 0, 0, w, h, m_clrViewBack);
    DrawContent(mem.get(), m_kScroller.GetOffset());
    BitBlt(dc, origin.x, origin.y, w, h, mem.get(), 0, 0, SRCCOPY);
    return 1;
}

} // namespace zent
