#pragma once

// Skinned vertical scroll bars for the library's lists and views. CBmpScroll has four image
// buttons (page up, line up, line down, page down), a track and a draggable thumb; CBmpScrollEx
// has a track and thumb only and may be bound to a list window that inserts extra rows. Both
// report every position change to their parent as WM_BSCROLL_CHANGED (item id, new position).
// Images load at the first paint and go again in Clean. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/Export.h>
#include <zent/util/ZuImage.h>

namespace zent {

// Scroll-bar style bit: write the current row and the count on the track.
constexpr int BSS_NUMBERS = 0x0200;

// Button slots and states.
enum : int { kScrollPageUp = 0, kScrollLineUp = 1, kScrollLineDown = 2, kScrollPageDown = 3 };
enum : int { kScrollButtonNormal = 0, kScrollButtonPressed = 1, kScrollButtonDisabled = 2 };

class ZENT_BCTRL_API CBmpScroll : public CBmpCtrl {
public:
    CBmpScroll();
    ~CBmpScroll() override;

    using CBmpCtrl::InitControl;
    // The button ids come in threes (normal, pressed, disabled) for page up, line up, line down
    // and page down; a button's rectangle is that of the last non-zero id of its three.
    int InitControl(int style, QLBMLoader* loader, UINT rectId, UINT thumbId, UINT trackId, UINT pageUpN,
                    UINT pageUpP, UINT pageUpD, UINT lineUpN, UINT lineUpP, UINT lineUpD, UINT lineDnN, UINT lineDnP,
                    UINT lineDnD, UINT pageDnN, UINT pageDnP, UINT pageDnD, UINT page);

    virtual int SetRange(UINT min, UINT max, int redraw);
    int SetRange(UINT count, int redraw);
    virtual int SetThumbPos(int pos, int redraw);
    int GetThumbPos() const { return m_nPos; }
    // row + position, or -1 when no row of the range lies there.
    int GetListIndex(int row) const;

    // 1 when the position moved, 0 at the limit.
    int OnPageUp();
    int OnItemUp();
    int OnItemDn();
    int OnPageDn();

    void SetColorUP(COLORREF text, COLORREF effect, COLORREF back);
    void SetColorDN(COLORREF text, COLORREF effect, COLORREF back);
    void SetPage(int page) { m_nPage = page > 0 ? page : 1; }

    int GetPage() const { return m_nPage; }
    int GetCount() const { return m_nCount; }
    int GetRangeMin() const { return m_nMin; }
    int GetRangeMax() const { return m_nMax; }
    RECT GetThumbRect() const { return m_rcThumb; }
    RECT GetTrackRect() const { return m_rcTrack; }
    RECT GetButtonRect(int button) const;
    int GetButtonState(int button) const;
    int IsDragging() const { return m_bDrag; }

    int DrawCtrl(HDC dc, POINT origin) override;
    int SoundPlay() override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    int LButtonUp(UINT flags, POINT pt) override;
    int MouseMove(UINT flags, POINT pt) override;

protected:
    struct Slot {
        QLBMLoader* pLoader = nullptr; // not owned
        UINT nId = 0;
        CZuImage image;
        CZuImage* Ensure();
    };
    struct Button {
        Slot images[3];
        RECT rc{};
        int nState = kScrollButtonNormal;
    };

    // The last position the range allows.
    int LastPos() const;
    // Thumb size and place from the range, the page and the position.
    void LayoutThumb();
    // Moves to pos (clamped); repaints and reports when it changed. 1 when it moved.
    int MoveTo(int pos);
    void NotifyParent();
    // The lane the thumb runs in (relative to the control).
    RECT m_rcTrack{};
    // Horizontal extent of the thumb inside the lane.
    int m_nThumbLeft = 0;
    int m_nThumbRight = 0;

    QLBMLoader* m_pLoader = nullptr; // not owned
    Slot m_kTrack;
    Slot m_kThumb;
    RECT m_rcTrackImage{};
    int m_nThumbImageHeight = 0;
    Button m_kButtons[4];
    int m_nMin = 0;
    int m_nMax = -1;
    int m_nCount = 0;
    int m_nPage = 1;
    int m_nPos = 0;
    RECT m_rcThumb{};
    POINT m_ptDrag{-1, -1};
    int m_bDrag = 0;
    int m_nDragOffset = 0;
    COLORREF m_clrUpText = 0x00F0F0;
    COLORREF m_clrUpEffect = 0x3C3C3C;
    COLORREF m_clrUpBack = 0xFFFFFF;
    COLORREF m_clrDnText = 0x646464;
    COLORREF m_clrDnEffect = 0x3C3C3C;
    COLORREF m_clrDnBack = 0xFFFFFF;
};

class ZENT_BCTRL_API CBmpScrollEx : public CBmpScroll {
public:
    CBmpScrollEx();
    ~CBmpScrollEx() override;

    using CBmpScroll::InitControl;
    using CBmpScroll::SetRange;
    int InitControl(int style, QLBMLoader* loader, UINT trackId, UINT thumbId, UINT page, HWND list);

    int SetRange(UINT min, UINT max, int redraw) override;
    int SetThumbPos(int pos, int redraw) override;
    HWND GetListWnd() const { return m_hList; }

    int LButtonDown(UINT flags, POINT pt) override;

private:
    int ExtraRows(int row) const;
    HWND m_hList = nullptr; // not owned
};

} // namespace zent
