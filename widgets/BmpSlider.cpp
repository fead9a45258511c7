#include "widgets/BmpSlider.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cmath>

using namespace zent;

CBmpSlider::CBmpSlider() = default;

CBmpSlider::~CBmpSlider()
{
    if (m_hwndCaptured && GetCapture() == m_hwndCaptured) ReleaseCapture();
}

int CBmpSlider::InitControl(QLBMLoader* loader, UINT trackId, UINT thumbId)
{
    if (!loader) return 0;
    if (!CBmpCtrl::InitControl(1)) return 0;
    m_kTrack.Load(loader, trackId);
    m_kThumb.Load(loader, thumbId);
    if (m_kThumb.IsLoaded())
        m_szThumb = SIZE{static_cast<LONG>(m_kThumb.GetWidth()), static_cast<LONG>(m_kThumb.GetHeight())};
    RECT rc{};
    loader->GetRect(static_cast<int>(trackId), &rc);
    m_kTrack.StretchMode(1, rc.Width(), rc.Height());
    m_rcCtrl = rc;
    if (GetSafeHwnd()) {
        // The dialog paints the control from now on; its own window only stays out of the way.
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    m_rcTrack = RECT{0, 0, rc.Width(), rc.Height()};
    m_nThumb = ThumbFromPos(m_nPos);
    return 1;
}

void CBmpSlider::SetFillImage(QLBMLoader* loader, UINT id)
{
    m_kFill.Load(loader, id);
}

void CBmpSlider::SetThumbPressedImage(QLBMLoader* loader, UINT id)
{
    m_kThumbPressed.Load(loader, id);
}

void CBmpSlider::SetOrientation(int vertical)
{
    m_nOrientation = vertical == 1 ? 1 : 0;
    m_nThumb = ThumbFromPos(m_nPos);
}

void CBmpSlider::SetMaximum(int maximum)
{
    m_nMax = std::max(maximum, 0);
    m_nPos = std::clamp(m_nPos, 0, m_nMax);
    m_nThumb = ThumbFromPos(m_nPos);
}

void CBmpSlider::SetPos(int pos, int redraw)
{
    m_nPos = std::clamp(pos, 0, m_nMax);
    m_nThumb = ThumbFromPos(m_nPos);
    if (redraw) Draw();
}

void CBmpSlider::SetTrackSize(int width, int height)
{
    if (width == -1 && height == -1) {
        m_rcTrack = RECT{0, 0, m_rcCtrl.Width(), m_rcCtrl.Height()};
    } else {
        m_rcTrack.right = m_rcTrack.left + width;
        m_rcTrack.bottom = m_rcTrack.top + height;
    }
    m_kTrack.StretchMode(1, m_rcTrack.Width(), m_rcTrack.Height());
    m_nThumb = ThumbFromPos(m_nPos);
}

// --- geometry ----------------------------------------------------------------------------------

int CBmpSlider::TrackStart() const
{
    return IsVertical() ? m_rcTrack.top : m_rcTrack.left;
}

int CBmpSlider::TrackEnd() const
{
    return IsVertical() ? m_rcTrack.bottom : m_rcTrack.right;
}

int CBmpSlider::ThumbLength() const
{
    return IsVertical() ? m_szThumb.cy : m_szThumb.cx;
}

int CBmpSlider::PosFromThumb(int thumb) const
{
    const int span = TrackEnd() - ThumbLength() - TrackStart();
    // A maximum of 0 (nothing loaded yet) or a thumb as long as the track has only one value.
    if (m_nMax <= 0 || span <= 0) return 0;
    const double value = static_cast<double>(m_nMax) / span * thumb + 0.5;
    // Limited before the conversion, so that a pointer far outside cannot overflow it.
    return std::clamp(static_cast<int>(std::trunc(std::clamp(value, -1.0, m_nMax + 1.0))), 0, m_nMax);
}

int CBmpSlider::ThumbFromPos(int pos) const
{
    const int start = TrackStart();
    const int len = ThumbLength();
    const int span = TrackEnd() - len - start;
    int thumb = start;
    if (m_nMax > 0 && span > 0) thumb = static_cast<int>(std::trunc(static_cast<double>(span) / m_nMax * pos + 0.5));
    if (thumb + len > TrackEnd() - start) thumb = TrackEnd() - start - len;
    if (thumb < start) thumb = start;
    return thumb;
}

RECT CBmpSlider::GetThumbRect() const
{
    if (IsVertical()) {
        const int left = m_rcTrack.left + (m_rcTrack.Width() - m_szThumb.cx) / 2;
        return RECT{left, m_nThumb, left + m_szThumb.cx, m_nThumb + m_szThumb.cy};
    }
    const int top = m_rcTrack.top + (m_rcTrack.Height() - m_szThumb.cy) / 2;
    return RECT{m_nThumb, top, m_nThumb + m_szThumb.cx, top + m_szThumb.cy};
}

// --- input -------------------------------------------------------------------------------------

void CBmpSlider::FollowPointer(POINT pt)
{
    const int pointer = IsVertical() ? pt.y : pt.x;
    m_nPos = PosFromThumb(pointer - ThumbLength() / 2);
    m_nThumb = ThumbFromPos(m_nPos);
}

void CBmpSlider::NotifyOwner()
{
    const HWND parent = GetParentWnd();
    if (!parent) return;
    const WPARAM w = (static_cast<WPARAM>(m_nPos) << 16) | static_cast<WPARAM>(SB_THUMBTRACK);
    SendMessage(parent, WM_HSCROLL, w, reinterpret_cast<LPARAM>(GetSafeHwnd()));
}

int CBmpSlider::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 1;
    m_bPressed = 1;
    const HWND parent = GetParentWnd();
    if (parent && !GetCapture()) {
        SetCapture(parent);
        if (GetCapture() == parent) m_hwndCaptured = parent;
    }
    FollowPointer(pt);
    Draw();
    NotifyOwner();
    return 1;
}

int CBmpSlider::MouseMove(UINT, POINT pt)
{
    if (!m_bPressed) return 0;
    const RECT rcSelf{0, 0, m_rcCtrl.Width(), m_rcCtrl.Height()};
    if (!rcSelf.Contains(pt)) return 1;
    m_bHover = GetThumbRect().Contains(pt) ? 1 : 0;
    m_bDragging = 1;
    FollowPointer(pt);
    Draw();
    NotifyOwner();
    return 1;
}

int CBmpSlider::LButtonUp(UINT, POINT)
{
    const bool bWasPressed = m_bPressed != 0;
    EndPress();
    if (bWasPressed) Draw();
    return 1;
}

void CBmpSlider::EndPress()
{
    m_bPressed = 0;
    m_bDragging = 0;
    m_bHover = 0;
    if (m_hwndCaptured) {
        const HWND hwnd = m_hwndCaptured;
        m_hwndCaptured = nullptr;
        if (GetCapture() == hwnd) ReleaseCapture();
    }
}

int CBmpSlider::SetDisableCtrl(int disable, int redraw)
{
    // A slider disabled under the user's finger lets go, or the owner would wait for a release
    // that the slider no longer reports.
    if (disable) EndPress();
    return CBmpCtrl::SetDisableCtrl(disable, redraw);
}

int CBmpSlider::Clean()
{
    EndPress();
    return 1;
}

// --- drawing -----------------------------------------------------------------------------------

void CBmpSlider::DrawFill(HDC dc, POINT origin)
{
    if (!m_kFill.IsLoaded() || m_rcTrack.IsEmpty()) return;
    const int centre = m_nThumb + ThumbLength() / 2;
    RECT part = m_rcTrack;
    if (IsVertical()) {
        if (m_bReverse) part.top = std::max<LONG>(part.top, centre);
        else part.bottom = std::min<LONG>(part.bottom, centre);
    } else {
        if (m_bReverse) part.left = std::max<LONG>(part.left, centre);
        else part.right = std::min<LONG>(part.right, centre);
    }
    if (part.IsEmpty()) return;
    const int trackW = m_rcTrack.Width();
    const int trackH = m_rcTrack.Height();
    const int srcX = part.left - m_rcTrack.left;
    const int srcY = part.top - m_rcTrack.top;
    if (static_cast<int>(m_kFill.GetWidth()) == trackW && static_cast<int>(m_kFill.GetHeight()) == trackH) {
        m_kFill.DrawRect(dc, origin.x + part.left, origin.y + part.top, part.Width(), part.Height(), srcX, srcY);
        return;
    }
    // The fill picture covers the whole track, stretched; the part is cut from the stretched one.
    UniqueBitmap stretched(CreateCompatibleBitmap(dc, trackW, trackH));
    if (!stretched) return;
    UniqueDC mem(CreateCompatibleDC(dc));
    CSelectObject<HBITMAP> sel(mem.get(), stretched.get());
    m_kFill.Draw(mem.get(), 0, 0, trackW, trackH);
    BitBlt(dc, origin.x + part.left, origin.y + part.top, part.Width(), part.Height(), mem.get(), srcX, srcY, SRCCOPY);
}

void CBmpSlider::SetMarks(std::vector<int> positions, COLORREF colour, int redraw)
{
    m_vecMarks = std::move(positions);
    m_clrMarks = colour;
    if (redraw) Draw();
}

void CBmpSlider::DrawMarks(HDC dc, POINT origin)
{
    if (m_vecMarks.empty() || m_nMax <= 0) return;
    for (int pos : m_vecMarks) {
        if (pos < 0 || pos > m_nMax) continue;
        // At the thumb's centre for that position, across the middle half of the track.
        const int at = ThumbFromPos(pos) + ThumbLength() / 2;
        RECT rc{};
        if (IsVertical()) {
            const int w = m_rcTrack.Width();
            rc = RECT{m_rcTrack.left + w / 4, at - 1, m_rcTrack.right - w / 4, at + 1};
        } else {
            const int h = m_rcTrack.Height();
            rc = RECT{at - 1, m_rcTrack.top + h / 4, at + 1, m_rcTrack.bottom - h / 4};
        }
        rc.left += origin.x;
        rc.right += origin.x;
        rc.top += origin.y;
        rc.bottom += origin.y;
        FillSolidRect(dc, &rc, m_clrMarks);
    }
}

int CBmpSlider::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    m_kTrack.Draw(dc, origin.x + m_rcTrack.left, origin.y + m_rcTrack.top);
    DrawFill(dc, origin);
    DrawMarks(dc, origin);
    CZuImage& thumb = (m_bPressed && m_kThumbPressed.IsLoaded()) ? m_kThumbPressed : m_kThumb;
    if (thumb.IsLoaded()) {
        const RECT rc = GetThumbRect();
        thumb.DrawTransparent(dc, origin.x + rc.left, origin.y + rc.top, rc.Width(), rc.Height(), kSkinKeyColor);
    }
    return 1;
}
