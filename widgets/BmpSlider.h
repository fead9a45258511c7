#pragma once

// The play-position and volume bars: a track picture stretched over the track rectangle, an
// optional filled part from the track's start to the thumb's centre, and a thumb the user drags.
// The position runs 0..maximum; the thumb offset is derived from it, and a press or drag derives
// the position from the pointer, so the thumb always snaps to a value. While the user presses or
// drags, the owner dialog is sent WM_HSCROLL with (position << 16) | SB_THUMBTRACK and the
// slider's window, in both orientations. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>

#include <vector>
#include <zent/util/ZuImage.h>

class CBmpSlider : public zent::CBmpCtrl {
public:
    // Until a thumb picture is loaded the thumb is this large.
    static constexpr int kDefaultThumbSize = 12;

    CBmpSlider();
    ~CBmpSlider() override;

    // Track and thumb pictures from the loader; the control is moved to the track's skin
    // rectangle, which becomes the track (relative to the control). 0 without a loader or when
    // the control cannot register with its dialog.
    using zent::CBmpCtrl::InitControl;
    int InitControl(zent::QLBMLoader* loader, zent::UINT trackId, zent::UINT thumbId);
    // The filled part (track start .. thumb centre; thumb centre .. track end when reversed).
    void SetFillImage(zent::QLBMLoader* loader, zent::UINT id);
    // Shown instead of the thumb while the user holds it.
    void SetThumbPressedImage(zent::QLBMLoader* loader, zent::UINT id);

    // 0 horizontal (the default), 1 vertical (position 0 at the top).
    void SetOrientation(int vertical);
    int GetOrientation() const { return m_nOrientation; }
    // A negative maximum counts as 0; the position is held within 0..maximum.
    void SetMaximum(int maximum);
    int GetMaximum() const { return m_nMax; }
    // Held within 0..maximum; the thumb follows; redraw 1 repaints through the dialog.
    void SetPos(int pos, int redraw = 1);
    int GetPos() const { return m_nPos; }
    // Width and height of the track, from its top-left corner; (-1, -1) makes it the control's
    // whole rectangle again.
    void SetTrackSize(int width, int height);
    zent::RECT GetTrackRect() const { return m_rcTrack; }
    // The thumb, relative to the control.
    zent::RECT GetThumbRect() const;
    // The owner reads a reversed slider as maximum - position (the volume bar); the filled part
    // then runs from the thumb to the track's end.
    void SetReverse(int reverse) { m_bReverse = reverse ? 1 : 0; }
    int GetReverse() const { return m_bReverse; }
    // The user holds the thumb: the owner leaves the position alone meanwhile.
    int IsPressed() const { return m_bPressed; }

    // Ticks over the track at the given positions (0..maximum), for places worth finding before
    // playing; an empty list removes them. Drawn under the thumb.
    void SetMarks(std::vector<int> positions, zent::COLORREF colour, int redraw = 1);
    const std::vector<int>& GetMarks() const { return m_vecMarks; }
    int IsDragging() const { return m_bDragging; }
    int IsHover() const { return m_bHover; }

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
    int LButtonDown(zent::UINT flags, zent::POINT pt) override;
    int LButtonUp(zent::UINT flags, zent::POINT pt) override;
    int MouseMove(zent::UINT flags, zent::POINT pt) override;
    int SetDisableCtrl(int disable, int redraw) override;
    int Clean() override;

private:
    bool IsVertical() const { return m_nOrientation == 1; }
    int TrackStart() const;
    int TrackEnd() const;
    int ThumbLength() const;
    int PosFromThumb(int thumb) const;
    int ThumbFromPos(int pos) const;
    // The thumb to the pointer (centred on it), snapped to the value it stands for.
    void FollowPointer(zent::POINT pt);
    void NotifyOwner();
    void EndPress();
    void DrawFill(zent::HDC dc, zent::POINT origin);
    void DrawMarks(zent::HDC dc, zent::POINT origin);
    std::vector<int> m_vecMarks;
    zent::COLORREF m_clrMarks = 0;

    zent::CZuImage m_kTrack;
    zent::CZuImage m_kFill;
    zent::CZuImage m_kThumb;
    zent::CZuImage m_kThumbPressed;
    int m_nOrientation = 0;
    zent::RECT m_rcTrack{};
    zent::SIZE m_szThumb{kDefaultThumbSize, kDefaultThumbSize};
    int m_nThumb = 0; // thumb offset from the control's left (top when vertical)
    int m_nMax = 0;
    int m_nPos = 0;
    int m_bReverse = 0;
    int m_bPressed = 0;
    int m_bDragging = 0;
    int m_bHover = 0;
    // The dialog window's mouse capture, taken by a press so that the release reaches the
    // slider even outside the window; released with the press.
    zent::HWND m_hwndCaptured = nullptr;
};
