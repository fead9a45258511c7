#pragma once

// The common ground of the touch-scrolled views (list, text and image views): the content is
// dragged with the finger or the mouse, flung with momentum, pulled up to 150 pixels past either
// end and sprung back, paged with an easing animation, and a short touch that hardly moved is a
// tap on whatever lies under it. What the content is, how it is hit and how it is painted is the
// derived view's business. The caller binds the control's window before InitControl; the window's
// timers drive the animations and the delayed release.
//
// Input timing: a press less than 100 ms after a release continues the previous gesture instead of
// starting a new one, and every release is acted on 110 ms later, so that such a press can still
// take it back. A release more than 20 pixels away from its press, or more than 500 ms after it,
// is a drag and never a tap; once a touch has moved that far the item under it lets go.
//
// Messages: received 0x541/0x544 (page up/down, animated) and 0x545 (scroll to the row in
// lParam); sent to the parent 0x528 (item id, scroll row) once a scroll has settled, and what the
// derived view sends on a tap. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpFlingScroller.h>
#include <zent/bctrl/Export.h>

#include <chrono>

namespace zent {

// The views answer the scroll bar's messages and report a tap as a list selection: the same
// numbers under the names their callers read best.
constexpr UINT WM_BVIEW_PAGEUP = WM_BSCROLL_PAGEUP;
constexpr UINT WM_BVIEW_PAGEDOWN = WM_BSCROLL_PAGEDOWN;
constexpr UINT WM_BVIEW_SCROLLTO = WM_BSCROLL_CHANGED;
constexpr UINT WM_BVIEW_EXTRAROWS = WM_BSCROLL_EXTRAROWS;
constexpr UINT WM_BVIEW_TAP = WM_BLIST_SELECT;

class ZENT_BCTRL_API CBmpTouchView : public CBmpCtrl {
public:
    static constexpr UINT kAnimTimerId = 0xF101;
    static constexpr UINT kReleaseTimerId = 0xF102;
    static constexpr int kReleaseDelayMs = 110;
    static constexpr int kPressAfterReleaseMs = 100;
    static constexpr int kTapSlop = 20;
    static constexpr int kTapMaxMs = 500;
    // Style bit: a tap does not repaint.
    static constexpr int kStyleNoTapRepaint = 0x10000000;

    CBmpTouchView();
    ~CBmpTouchView() override;

    // In rows: the top row shown, held to 0..GetLastTopPos().
    int SetScrollPosition(int row, int redraw);
    virtual int GetScrollPosition() const;
    int GetLastTopPos() const;
    // Content pixels scrolled past the start; negative or past the end while overscrolled.
    int GetScrollOffset() const { return m_kScroller.GetOffset(); }
    const CBmpFlingScroller& GetScroller() const { return m_kScroller; }
    // Off: dragging no longer moves the content (taps and paging still work).
    int GetScrollModeOff() const { return m_bScrollOff; }

    int DrawCtrl(HDC dc, POINT origin) override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    int LButtonUp(UINT flags, POINT pt) override;
    int MouseMove(UINT flags, POINT pt) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // --- what the derived view decides ---
    // The content's length along the scrolling axis, in pixels.
    virtual int ContentExtent() const = 0;
    // The pixels of one scroll row (the unit of the scroll positions).
    virtual int RowExtent() const = 0;
    // The item under a point in content coordinates, or -1; *message is the number a tap there
    // sends instead of the view's own (0: the view's own).
    virtual int HitTest(POINT content, UINT* message) const = 0;
    // A tap on item (>= 0) with the hit's message; called after the release delay.
    virtual void OnTap(int item, UINT message) = 0;
    // Paints the content scrolled by offset into a picture of the view's size at (0, 0).
    virtual void DrawContent(HDC dc, int offset) = 0;
    // The distance a page up or down travels; whole rows of the view by default.
    virtual int PageExtent() const;
    // Whether the item under a press looks pressed until the release (then press and release
    // repaint).
    virtual bool HasPressedLook() const { return false; }
    // The item held down by the current press, or -1.
    int GetPressItem() const { return m_bPressed ? m_nPressItem : -1; }

    // Geometry and the scroller's range; call after every change of the content's size.
    void UpdateRange();
    int ViewWidth() const;
    int ViewHeight() const;
    int ViewExtent() const { return m_bHorizontal ? ViewWidth() : ViewHeight(); }
    void SetHorizontal(bool horizontal) { m_bHorizontal = horizontal; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetScrollOff(int off) { m_bScrollOff = off ? 1 : 0; }
    // Binds the control's rectangle (and parks its window) from a loader's stored rectangle.
    void PlaceFromLoader(QLBMLoader* loader, UINT viewId);
    // Forgets a pending press or release that named an item which no longer exists.
    void ForgetPendingItem();
    // After items left the content (bAll: every one): no pending tap names them, the range is
    // measured anew and the position stays inside it, the end shown rather than past it.
    void AfterItemsRemoved(bool bAll, int redraw);
    void StopAnimation();
    void PostParent(UINT message, LPARAM lParam);
    void PlayTouchSound();
    // The press that follows is the second one of a double click, already reported: unless it
    // moves the content, its release reports nothing more.
    void MarkDoubleClickPress();
    // A tap repaints unless the style says otherwise.
    bool TapRepaints() const { return !(m_nCtrlStyle & kStyleNoTapRepaint); }

    COLORREF m_clrViewBack = 0x202020;

private:
    using Clock = std::chrono::steady_clock;

    void StartAnimation();
    void OnAnimTick();
    void OnReleaseTimer();
    Clock::time_point Now() const;
    int Page(bool bDown);
    int Along(POINT pt) const { return m_bHorizontal ? pt.x : pt.y; }

    CBmpFlingScroller m_kScroller;
    bool m_bHorizontal = false;
    int m_bScrollOff = 0;
    bool m_bPressed = false;
    int m_nPressItem = -1;
    UINT m_nPressMessage = 0;
    POINT m_ptPress{};
    POINT m_ptLast{};
    Clock::time_point m_tPress{};
    Clock::time_point m_tLastMove{};
    Clock::time_point m_tRelease{};
    bool m_bReleaseValid = false;
    bool m_bReleasePending = false;
    bool m_bReleaseWasTap = false;
    bool m_bDoubleClickPress = false; // the touch under way is a double click's second press
    int m_nDoubleClickOffset = 0;     // the scroll offset when it began
    int m_nReleaseItem = -1;
    UINT m_nReleaseMessage = 0;
    UniqueBitmap m_bmpCanvas;
    int m_nCanvasWidth = 0;
    int m_nCanvasHeight = 0;
};

} // namespace zent
