#include <zent/bctrl/BmpListView.h>

#include <zent/platform/Font.h>
#include <zent/platform/MessageLoop.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

namespace zent {

namespace {
constexpr COLORREF kRowColour = 0x202020;
constexpr COLORREF kHighlightColour = 0x8C5A1E;
constexpr COLORREF kTextColour = 0xFFFFFF;
constexpr int kTextIndent = 6;

int MsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}
} // namespace

CBmpListView::CBmpListView() = default;

CBmpListView::~CBmpListView()
{
    // Timers belong to the window, which must not outlive this object's handler.
    DestroyWindow();
}

int CBmpListView::InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    RECT rc{};
    if (loader) loader->GetRect(static_cast<int>(viewId), rc);
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left + 1, rc.bottom - rc.top + 1, FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    RECT row{};
    if (loader) loader->GetRect(static_cast<int>(rowId), row);
    m_nRowHeight = std::max<int>(row.bottom - row.top, 1);
    m_bRemocon = 0;
    UpdateRange();
    return 1;
}

CBmpListView::Clock::time_point CBmpListView::Now() const
{
    if (CMessageLoop* loop = CMessageLoop::Current()) return loop->Now();
    return Clock::now();
}

int CBmpListView::ViewHeight() const
{
    return std::max<int>(m_rcCtrl.bottom - m_rcCtrl.top, 0);
}

void CBmpListView::UpdateRange()
{
    m_kScroller.SetMaxOffset(GetCount() * m_nRowHeight - ViewHeight());
}

int CBmpListView::AddItem(const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw)
{
    SItem item;
    if (text) item.strText.assign(text, std::min<std::size_t>(std::wcslen(text), kMaxText));
    item.hNormal = normal;
    item.hHighlighted = highlighted;
    m_vecItems.push_back(std::move(item));
    UpdateRange();
    SetDisableCtrl(0, redraw);
    return 1;
}

int CBmpListView::RemoveAt(int index, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems.erase(m_vecItems.begin() + index);
    // Indexes after the removed row move up; a removed selection is gone.
    for (int* mark : {&m_nSelect, &m_nFocusItem}) {
        if (*mark == index) *mark = -1;
        else if (*mark > index) --*mark;
    }
    m_nPressItem = -1;
    m_nReleaseItem = -1;
    UpdateRange();
    if (m_kScroller.GetOffset() > m_kScroller.GetMaxOffset()) m_kScroller.SetOffset(m_kScroller.GetMaxOffset());
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::RemoveAll(int redraw)
{
    StopAnimation();
    m_vecItems.clear();
    m_nSelect = m_nFocusItem = m_nPressItem = m_nReleaseItem = -1;
    UpdateRange();
    m_kScroller.SetOffset(0);
    if (redraw == 1) Draw();
    return 1;
}

const wchar_t* CBmpListView::GetItemText(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_vecItems[index].strText.c_str();
}

int CBmpListView::SetSelectItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nSelect = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::SetFocusItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nFocusItem = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::GetLastTopPos() const
{
    return (m_kScroller.GetMaxOffset() + m_nRowHeight - 1) / m_nRowHeight;
}

int CBmpListView::SetScrollPosition(int row, int redraw)
{
    StopAnimation();
    m_kScroller.SetOffset(std::clamp(row * m_nRowHeight, 0, m_kScroller.GetMaxOffset()));
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::GetScrollPosition() const
{
    return std::max(m_kScroller.GetOffset(), 0) / m_nRowHeight;
}

int CBmpListView::GetListItemFromPos(int y, int* splitters, int* rowTop) const
{
    if (splitters) *splitters = 0;
    if (y < 0) return -1;
    const int index = y / m_nRowHeight;
    if (index >= GetCount()) return -1;
    if (rowTop) *rowTop = index * m_nRowHeight;
    return index;
}

void CBmpListView::PostParent(UINT message, LPARAM lParam)
{
    const HWND parent = GetParentWnd();
    if (!parent) return;
    PostMessage(parent, message, static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd())), lParam);
}

void CBmpListView::StartAnimation()
{
    if (GetSafeHwnd()) SetTimer(GetSafeHwnd(), kAnimTimerId, CBmpFlingScroller::kTickMs);
}

void CBmpListView::StopAnimation()
{
    m_kScroller.Stop();
    if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kAnimTimerId);
}

void CBmpListView::OnAnimTick()
{
    const bool bMoving = m_kScroller.Tick();
    Draw();
    if (bMoving) return;
    KillTimer(GetSafeHwnd(), kAnimTimerId);
    PostParent(WM_BVIEW_SETTLED, GetScrollPosition());
}

int CBmpListView::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    const Clock::time_point now = Now();
    const bool bPending = m_bReleasePending;
    if (bPending) {
        KillTimer(GetSafeHwnd(), kReleaseTimerId);
        m_bReleasePending = false;
    }
    if (m_bReleaseValid && MsBetween(m_tRelease, now) < kPressAfterReleaseMs && bPending) {
        // A quick second touch continues the drag before it rather than starting a tap.
        m_bPressed = true;
        m_bPressAtRest = false;
        m_nPressItem = -1;
        m_ptLast = pt;
        m_tLastMove = now;
        return 1;
    }
    m_bPressAtRest = !m_kScroller.IsAnimating();
    StopAnimation();
    m_kScroller.Press();
    m_nPressItem = m_bPressAtRest ? GetListItemFromPos(pt.y + m_kScroller.GetOffset(), nullptr, nullptr) : -1;
    m_bPressed = true;
    m_ptPress = m_ptLast = pt;
    m_tPress = m_tLastMove = now;
    return 1;
}

int CBmpListView::MouseMove(UINT, POINT pt)
{
    if (!m_bPressed) return 0;
    const Clock::time_point now = Now();
    const int dy = pt.y - m_ptLast.y;
    if (dy != 0) {
        m_kScroller.DragBy(MsBetween(m_tLastMove, now), -dy);
        m_tLastMove = now;
        Draw();
    }
    m_ptLast = pt;
    return 1;
}

int CBmpListView::LButtonUp(UINT flags, POINT pt)
{
    if (!m_bPressed) return 0;
    MouseMove(flags, pt);
    m_bPressed = false;
    const Clock::time_point now = Now();
    const bool bDrag = std::abs(pt.x - m_ptPress.x) > kTapSlop || std::abs(pt.y - m_ptPress.y) > kTapSlop ||
                       MsBetween(m_tPress, now) > kTapMaxMs;
    m_bReleaseWasTap = !bDrag && m_nPressItem >= 0;
    m_nReleaseItem = m_nPressItem;
    m_tRelease = now;
    m_bReleaseValid = true;
    m_bReleasePending = true;
    if (GetSafeHwnd()) SetTimer(GetSafeHwnd(), kReleaseTimerId, kReleaseDelayMs);
    return 1;
}

void CBmpListView::OnReleaseTimer()
{
    KillTimer(GetSafeHwnd(), kReleaseTimerId);
    if (!m_bReleasePending) return;
    m_bReleasePending = false;
    if (!m_bReleaseWasTap) {
        if (m_kScroller.Release() != CBmpFlingScroller::kModeIdle) {
            StartAnimation();
        } else {
            Draw();
            PostParent(WM_BVIEW_SETTLED, GetScrollPosition());
        }
        return;
    }
    // A tap that jittered a few pixels past an end still selects; the content springs back too.
    if (m_kScroller.GetOverscroll() > 0 && m_kScroller.Release() != CBmpFlingScroller::kModeIdle) StartAnimation();
    if (m_nReleaseItem < 0 || m_nReleaseItem >= GetCount()) return;
    m_nSelect = m_nReleaseItem;
    if (m_bTouchSoundUse && !m_strSoundFileTrue.empty())
        g_kSndPlEffect.SndPlay(m_strSoundFileTrue.c_str(), nullptr, kSndFileName | kSndAsync);
    if (!(m_nCtrlStyle & kStyleNoTapRepaint)) Draw();
    PostParent(WM_BVIEW_TAP, m_nReleaseItem);
}

int CBmpListView::Page(bool bDown)
{
    const int page = std::max(ViewHeight() / m_nRowHeight, 1) * m_nRowHeight;
    const int from = std::clamp(m_kScroller.GetOffset(), 0, m_kScroller.GetMaxOffset());
    const int target = std::clamp(from + (bDown ? page : -page), 0, m_kScroller.GetMaxOffset());
    if (target == from && m_kScroller.GetOverscroll() == 0) return 0;
    StopAnimation();
    m_kScroller.StartPaging(target);
    StartAnimation();
    return 1;
}

LRESULT CBmpListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
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

int CBmpListView::Clean()
{
    m_bPressed = false;
    m_bReleasePending = false;
    if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kReleaseTimerId);
    return 1;
}

int CBmpListView::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const int w = m_rcCtrl.right - m_rcCtrl.left;
    const int h = ViewHeight();
    FillSolidRect(dc, origin.x, origin.y, w, h, kRowColour);
    const int offset = m_kScroller.GetOffset();
    const int first = std::max(offset, 0) / m_nRowHeight;
    for (int i = first; i < GetCount(); ++i) {
        const int top = i * m_nRowHeight - offset;
        if (top >= h) break;
        const int visTop = std::max(top, 0);
        const int visBottom = std::min(top + m_nRowHeight, h);
        if (visBottom <= visTop) continue;
        const SItem& item = m_vecItems[i];
        const bool bSelected = i == m_nSelect;
        const HBITMAP bmp = bSelected && item.hHighlighted ? item.hHighlighted : item.hNormal;
        if (bmp) {
            UniqueDC mem(CreateCompatibleDC(dc));
            SelectObject(mem.get(), bmp);
            BitBlt(dc, origin.x, origin.y + visTop, w, visBottom - visTop, mem.get(), 0, visTop - top, SRCCOPY);
        } else if (bSelected) {
            FillSolidRect(dc, origin.x, origin.y + visTop, w, visBottom - visTop, kHighlightColour);
        }
        if (!item.strText.empty()) {
            RECT rc{origin.x + kTextIndent, origin.y + top, origin.x + w, origin.y + top + m_nRowHeight};
            RECT clip{origin.x, origin.y + visTop, origin.x + w, origin.y + visBottom};
            if (rc.top >= clip.top && rc.bottom <= clip.bottom)
                DrawTextW(GetTextDrawStyle(), DT_LEFT | DT_VCENTER | DT_SINGLELINE, item.strText, dc, &rc, m_hFont,
                          kTextColour, 0);
        }
    }
    return 1;
}

} // namespace zent
