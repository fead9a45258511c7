#pragma once

// A touch-scrolled vertical list of rows (a bitmap, normal or highlighted, with a text line):
// dragged with the finger or mouse, flung with momentum, pulled up to 150 pixels past either end
// and sprung back, paged with an easing animation. A tap selects its row. The caller binds the
// control's window before InitControl; the window's timers drive the animations.
//
// Messages: received 0x541/0x544 (page up/down, animated) and 0x545 (scroll to the row in
// lParam); sent to the parent 0x521 (item id, index) on a tap and 0x528 (item id, scroll row)
// once a scroll has settled. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpFlingScroller.h>
#include <zent/bctrl/Export.h>

#include <chrono>
#include <string>
#include <vector>

namespace zent {

// The view answers the scroll bar's messages and reports a tap as a list selection: the same
// numbers under the names its callers read best.
constexpr UINT WM_BVIEW_PAGEUP = WM_BSCROLL_PAGEUP;
constexpr UINT WM_BVIEW_PAGEDOWN = WM_BSCROLL_PAGEDOWN;
constexpr UINT WM_BVIEW_SCROLLTO = WM_BSCROLL_CHANGED;
constexpr UINT WM_BVIEW_TAP = WM_BLIST_SELECT;

class ZENT_BCTRL_API CBmpListView : public CBmpCtrl {
public:
    static constexpr int kMaxText = 127;
    static constexpr UINT kAnimTimerId = 0xF101;
    static constexpr UINT kReleaseTimerId = 0xF102;
    static constexpr int kReleaseDelayMs = 110;
    static constexpr int kPressAfterReleaseMs = 100;
    static constexpr int kTapSlop = 20;
    static constexpr int kTapMaxMs = 500;
    // Style bit: a tap does not repaint.
    static constexpr int kStyleNoTapRepaint = 0x10000000;

    CBmpListView();
    ~CBmpListView() override;

    using CBmpCtrl::InitControl;
    int InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD);

    // The bitmaps are borrowed and must outlive the item.
    int AddItem(const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw);
    int RemoveAt(int index, int redraw);
    int RemoveAll(int redraw);
    int GetCount() const { return static_cast<int>(m_vecItems.size()); }
    int GetItemCount() const { return GetCount(); }
    const wchar_t* GetItemText(int index) const;

    int SetSelectItem(int index, int redraw);
    int GetSelectItem() const { return m_nSelect; }
    int SetFocusItem(int index, int redraw);
    int GetFocusItem() const { return m_nFocusItem; }

    // In rows: the top row shown, held to 0..GetLastTopPos().
    int SetScrollPosition(int row, int redraw);
    int GetScrollPosition() const;
    int GetLastTopPos() const;
    // The item under a content y coordinate, or -1; splitters are never counted here.
    int GetListItemFromPos(int y, int* splitters, int* rowTop) const;
    int GetScrollOffset() const { return m_kScroller.GetOffset(); }
    int GetRowHeight() const { return m_nRowHeight; }
    const CBmpFlingScroller& GetScroller() const { return m_kScroller; }

    int DrawCtrl(HDC dc, POINT origin) override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    int LButtonUp(UINT flags, POINT pt) override;
    int MouseMove(UINT flags, POINT pt) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct SItem {
        std::wstring strText;
        HBITMAP hNormal = nullptr;      // borrowed
        HBITMAP hHighlighted = nullptr; // borrowed
    };
    using Clock = std::chrono::steady_clock;

    void UpdateRange();
    int ViewHeight() const;
    void StartAnimation();
    void StopAnimation();
    void OnAnimTick();
    void OnReleaseTimer();
    void PostParent(UINT message, LPARAM lParam);
    Clock::time_point Now() const;
    int Page(bool bDown);

    std::vector<SItem> m_vecItems;
    int m_nRowHeight = 0;
    int m_nSelect = -1;
    int m_nFocusItem = -1;
    CBmpFlingScroller m_kScroller;
    bool m_bPressed = false;
    bool m_bPressAtRest = false;
    int m_nPressItem = -1;
    POINT m_ptPress{};
    POINT m_ptLast{};
    Clock::time_point m_tPress{};
    Clock::time_point m_tLastMove{};
    Clock::time_point m_tRelease{};
    bool m_bReleaseValid = false;
    bool m_bReleasePending = false;
    bool m_bReleaseWasTap = false;
    int m_nReleaseItem = -1;
};

} // namespace zent
