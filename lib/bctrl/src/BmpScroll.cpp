#include <zent/bctrl/BmpScroll.h>

#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace zent {

namespace {

RECT RelativeTo(const RECT& rc, const RECT& origin)
{
    return RECT{rc.left - origin.left, rc.top - origin.top, rc.right - origin.left, rc.bottom - origin.top};
}

bool Inside(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

RECT StoredRect(QLBMLoader* loader, UINT id)
{
    RECT rc{};
    if (loader && id) loader->GetRect(static_cast<int>(id), &rc);
    return rc;
}

// Thumb extents of the bar with buttons: the lane less one pixel on each side.
constexpr int kThumbInset = 1;
// The thumb lane of the bar without buttons inside its track.
constexpr int kExLaneTop = 12;
constexpr int kExLaneBottom = 7;
constexpr int kExLaneShift = 2;

} // namespace

CZuImage* CBmpScroll::Slot::Ensure()
{
    if (!image.IsLoaded() && pLoader && nId) image.Load(pLoader, nId);
    return image.IsLoaded() ? &image : nullptr;
}

CBmpScroll::CBmpScroll() = default;
CBmpScroll::~CBmpScroll() = default;

int CBmpScroll::InitControl(int style, QLBMLoader* loader, UINT rectId, UINT thumbId, UINT trackId, UINT pageUpN,
                            UINT pageUpP, UINT pageUpD, UINT lineUpN, UINT lineUpP, UINT lineUpD, UINT lineDnN,
                            UINT lineDnP, UINT lineDnD, UINT pageDnN, UINT pageDnP, UINT pageDnD, UINT page)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    m_pLoader = loader;
    const RECT rcCtrl = StoredRect(loader, rectId);
    m_rcCtrl = rcCtrl;
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rcCtrl.left, rcCtrl.top, rcCtrl.right - rcCtrl.left, rcCtrl.bottom - rcCtrl.top,
                   FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    m_kThumb.pLoader = loader;
    m_kThumb.nId = thumbId;
    m_kThumb.image.Unload();
    const RECT rcThumbImage = StoredRect(loader, thumbId);
    m_nThumbImageHeight = rcThumbImage.bottom - rcThumbImage.top;
    m_kTrack.pLoader = loader;
    m_kTrack.nId = trackId;
    m_kTrack.image.Unload();
    m_rcTrackImage = RelativeTo(StoredRect(loader, trackId), rcCtrl);
    m_rcTrack = m_rcTrackImage;
    m_nThumbLeft = m_rcTrack.left + kThumbInset;
    m_nThumbRight = m_rcTrack.right - kThumbInset;

    const UINT ids[4][3] = {{pageUpN, pageUpP, pageUpD},
                            {lineUpN, lineUpP, lineUpD},
                            {lineDnN, lineDnP, lineDnD},
                            {pageDnN, pageDnP, pageDnD}};
    for (int b = 0; b < 4; ++b) {
        Button& button = m_kButtons[b];
        UINT last = 0;
        for (int s = 0; s < 3; ++s) {
            button.images[s].pLoader = loader;
            button.images[s].nId = ids[b][s];
            button.images[s].image.Unload();
            if (ids[b][s]) last = ids[b][s];
        }
        button.rc = last ? RelativeTo(StoredRect(loader, last), rcCtrl) : RECT{};
        button.nState = kScrollButtonNormal;
    }
    SetPage(static_cast<int>(page));
    m_nMin = 0;
    m_nMax = -1;
    m_nCount = 0;
    m_nPos = 0;
    m_bDrag = 0;
    m_ptDrag = POINT{-1, -1};
    LayoutThumb();
    return 1;
}

int CBmpScroll::LastPos() const
{
    return std::max(m_nMin, m_nMax - m_nPage + 1);
}

void CBmpScroll::LayoutThumb()
{
    const int length = m_rcTrack.bottom - m_rcTrack.top;
    int height = m_nThumbImageHeight;
    if (m_nCount > 0) height = std::max(height, (length / m_nCount) * m_nPage);
    // A thumb taller than its lane would run past the track's end.
    height = std::clamp(height, 0, std::max(length, 0));
    int top = m_rcTrack.top;
    const int steps = m_nCount - m_nPage;
    if (steps > 0) {
        const double step = static_cast<double>(length - height) / steps;
        top += static_cast<int>(step * (m_nPos - m_nMin));
    }
    m_rcThumb = RECT{m_nThumbLeft, top, m_nThumbRight, top + height};
}

int CBmpScroll::SetRange(UINT min, UINT max, int redraw)
{
    m_nMin = static_cast<int>(min);
    m_nMax = static_cast<int>(max);
    // An upside-down range holds no rows.
    if (m_nMax < m_nMin - 1) m_nMax = m_nMin - 1;
    m_nCount = m_nMax - m_nMin + 1;
    m_nPos = m_nMin;
    const int state = (m_nMax - m_nPage - m_nMin + 2 <= 1) ? kScrollButtonDisabled : kScrollButtonNormal;
    for (Button& button : m_kButtons) button.nState = state;
    m_bDrag = 0;
    m_ptDrag = POINT{-1, -1};
    LayoutThumb();
    SetVisibleCtrl(m_nPage < m_nCount ? 1 : 0, 1);
    if (redraw) Draw();
    return 1;
}

int CBmpScroll::SetRange(UINT count, int redraw)
{
    return SetRange(0, count - 1, redraw);
}

int CBmpScroll::SetThumbPos(int pos, int redraw)
{
    m_nPos = std::clamp(pos, m_nMin, LastPos());
    LayoutThumb();
    if (redraw) Draw();
    return 1;
}

int CBmpScroll::GetListIndex(int row) const
{
    if (row < 0 || row >= m_nCount) return -1;
    const int index = row + m_nPos;
    // A row past the range's end holds no item either.
    return index <= m_nMax ? index : -1;
}

RECT CBmpScroll::GetButtonRect(int button) const
{
    return button >= 0 && button < 4 ? m_kButtons[button].rc : RECT{};
}

int CBmpScroll::GetButtonState(int button) const
{
    return button >= 0 && button < 4 ? m_kButtons[button].nState : -1;
}

void CBmpScroll::NotifyParent()
{
    if (const HWND parent = GetParentWnd())
        PostMessage(parent, WM_BSCROLL_CHANGED, static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd())),
                    static_cast<LPARAM>(m_nPos));
}

int CBmpScroll::MoveTo(int pos)
{
    pos = std::clamp(pos, m_nMin, LastPos());
    if (pos == m_nPos) return 0;
    m_nPos = pos;
    LayoutThumb();
    Draw();
    NotifyParent();
    return 1;
}

int CBmpScroll::OnPageUp() { return MoveTo(m_nPos - m_nPage); }
int CBmpScroll::OnItemUp() { return MoveTo(m_nPos - 1); }
int CBmpScroll::OnItemDn() { return MoveTo(m_nPos + 1); }
int CBmpScroll::OnPageDn() { return MoveTo(m_nPos + m_nPage); }

void CBmpScroll::SetColorUP(COLORREF text, COLORREF effect, COLORREF back)
{
    m_clrUpText = text;
    m_clrUpEffect = effect;
    m_clrUpBack = back;
}

void CBmpScroll::SetColorDN(COLORREF text, COLORREF effect, COLORREF back)
{
    m_clrDnText = text;
    m_clrDnEffect = effect;
    m_clrDnBack = back;
}

int CBmpScroll::SoundPlay()
{
    if (!m_bTouchSoundUse || m_strSoundFileTrue.empty()) return 0;
    g_kSndPlEffect.SndPlay(m_strSoundFileTrue.c_str(), nullptr, kSndFileName | kSndAsync);
    return 1;
}

int CBmpScroll::Clean()
{
    m_kTrack.image.Unload();
    m_kThumb.image.Unload();
    for (Button& button : m_kButtons) {
        for (Slot& slot : button.images) slot.image.Unload();
        if (button.nState == kScrollButtonPressed) button.nState = kScrollButtonNormal;
    }
    m_bDrag = 0;
    m_ptDrag = POINT{-1, -1};
    return 1;
}

int CBmpScroll::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    const bool bKeyed = (m_nCtrlStyle & BCS_IMAGE_KEYED) != 0;
    auto draw = [&](CZuImage& image, const RECT& rc, bool bStretch) {
        const int w = bStretch ? rc.right - rc.left : static_cast<int>(image.GetWidth());
        const int h = bStretch ? rc.bottom - rc.top : static_cast<int>(image.GetHeight());
        const int x = origin.x + rc.left;
        const int y = origin.y + rc.top;
        if (bKeyed) image.DrawTransparent(dc, x, y, w, h, kSkinKeyColor);
        else image.Draw(dc, x, y, w, h);
    };
    if (CZuImage* track = m_kTrack.Ensure()) draw(*track, m_rcTrackImage, false);
    for (Button& button : m_kButtons) {
        CZuImage* image = button.images[button.nState].Ensure();
        // A missing pressed or disabled look falls back to the normal one.
        if (!image) image = button.images[kScrollButtonNormal].Ensure();
        if (image) draw(*image, button.rc, false);
    }
    if (m_rcThumb.bottom > m_rcThumb.top)
        if (CZuImage* thumb = m_kThumb.Ensure()) draw(*thumb, m_rcThumb, true);
    if (m_nCtrlStyle & BSS_NUMBERS) {
        const int row = m_nCount > 0 ? m_nPos - m_nMin + 1 : 0;
        const int height = m_rcTrackImage.bottom - m_rcTrackImage.top;
        const int band = std::min(height / 2, 20);
        RECT rcUp{origin.x + m_rcTrackImage.left, origin.y + m_rcTrackImage.top, origin.x + m_rcTrackImage.right,
                  origin.y + m_rcTrackImage.top + band};
        RECT rcDn{origin.x + m_rcTrackImage.left, origin.y + m_rcTrackImage.bottom - band,
                  origin.x + m_rcTrackImage.right, origin.y + m_rcTrackImage.bottom};
        constexpr UINT kFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        DrawTextW(GetTextDrawStyle(), kFormat, std::to_wstring(row), dc, &rcUp, m_hFont, m_clrUpText, m_clrUpEffect);
        DrawTextW(GetTextDrawStyle(), kFormat, std::to_wstring(m_nCount), dc, &rcDn, m_hFont, m_clrDnText,
                  m_clrDnEffect);
    }
    return 1;
}

int CBmpScroll::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    if (Inside(m_rcTrack, pt)) {
        if (m_nCount <= m_nPage) return 1;
        if (pt.y >= m_rcThumb.top && pt.y < m_rcThumb.bottom) {
            m_bDrag = 1;
            m_ptDrag = pt;
            m_nDragOffset = pt.y - m_rcThumb.top;
        } else if (pt.y < m_rcThumb.top) {
            OnPageUp();
            SoundPlay();
        } else {
            OnPageDn();
            SoundPlay();
        }
        return 1;
    }
    for (int b = 0; b < 4; ++b) {
        Button& button = m_kButtons[b];
        if (!Inside(button.rc, pt)) continue;
        if (button.nState != kScrollButtonNormal) return 1;
        button.nState = kScrollButtonPressed;
        if (m_nCount > m_nPage) {
            switch (b) {
            case kScrollPageUp: OnPageUp(); break;
            case kScrollLineUp: OnItemUp(); break;
            case kScrollLineDown: OnItemDn(); break;
            default: OnPageDn(); break;
            }
            SoundPlay();
        }
        Draw();
        return 1;
    }
    return 0;
}

int CBmpScroll::MouseMove(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    if (m_bDrag) {
        const int height = m_rcThumb.bottom - m_rcThumb.top;
        const int top = std::clamp(pt.y - m_nDragOffset, static_cast<int>(m_rcTrack.top),
                                   static_cast<int>(m_rcTrack.bottom) - height);
        m_ptDrag = pt;
        m_rcThumb.top = top;
        m_rcThumb.bottom = top + height;
        const int free = (m_rcTrack.bottom - m_rcTrack.top) - height;
        const int steps = m_nCount - m_nPage;
        // A thumb that fills its lane leaves nothing to drag.
        if (free > 0 && steps > 0) {
            const double step = static_cast<double>(free) / steps;
            m_nPos = std::clamp(m_nMin + static_cast<int>(std::lround((top - m_rcTrack.top) / step)), m_nMin,
                                LastPos());
        }
        Draw();
        NotifyParent();
        return 1;
    }
    int bPressed = 0;
    for (Button& button : m_kButtons) {
        if (button.nState != kScrollButtonPressed) continue;
        if (Inside(button.rc, pt)) {
            bPressed = 1;
            continue;
        }
        button.nState = kScrollButtonNormal;
        Draw();
    }
    return bPressed;
}

int CBmpScroll::LButtonUp(UINT, POINT)
{
    if (m_bDrag) {
        m_bDrag = 0;
        m_ptDrag = POINT{-1, -1};
        LayoutThumb();
        Draw();
        NotifyParent();
        return 1;
    }
    // Every pressed look ends with the release, wherever the pointer is.
    int bChanged = 0;
    for (Button& button : m_kButtons) {
        if (button.nState != kScrollButtonPressed) continue;
        button.nState = kScrollButtonNormal;
        bChanged = 1;
    }
    if (bChanged) Draw();
    return bChanged;
}

// --- the bar without buttons -------------------------------------------------------------------

CBmpScrollEx::CBmpScrollEx() = default;
CBmpScrollEx::~CBmpScrollEx() = default;

int CBmpScrollEx::InitControl(int style, QLBMLoader* loader, UINT trackId, UINT thumbId, UINT page, HWND list)
{
    if (!CBmpScroll::InitControl(style, loader, trackId, thumbId, trackId, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, page))
        return 0;
    m_hList = list;
    const RECT rcThumbImage = StoredRect(loader, thumbId);
    const int thumbWidth = rcThumbImage.right - rcThumbImage.left;
    const int trackWidth = m_rcTrackImage.right - m_rcTrackImage.left;
    m_nThumbLeft = m_rcTrackImage.left + (trackWidth - thumbWidth) / 2 + kExLaneShift;
    m_nThumbRight = m_nThumbLeft + thumbWidth;
    m_rcTrack = RECT{m_rcTrackImage.left, m_rcTrackImage.top + kExLaneTop, m_rcTrackImage.right,
                     std::max(m_rcTrackImage.top + kExLaneTop, m_rcTrackImage.bottom - kExLaneBottom)};
    LayoutThumb();
    return 1;
}

int CBmpScrollEx::ExtraRows(int row) const
{
    if (!m_hList || !IsWindow(m_hList)) return 0;
    const LRESULT extra = SendMessage(m_hList, WM_BSCROLL_EXTRAROWS, static_cast<WPARAM>(row), 0);
    // A negative answer would turn the range upside down.
    return extra > 0 ? static_cast<int>(extra) : 0;
}

int CBmpScrollEx::SetRange(UINT min, UINT max, int redraw)
{
    const int extra = ExtraRows(static_cast<int>(max));
    return CBmpScroll::SetRange(min, static_cast<UINT>(static_cast<int>(max) + extra), redraw);
}

int CBmpScrollEx::SetThumbPos(int pos, int redraw)
{
    return CBmpScroll::SetThumbPos(pos + ExtraRows(pos), redraw);
}

int CBmpScrollEx::LButtonDown(UINT flags, POINT pt)
{
    if (m_bDisable) return 0;
    if (!Inside(m_rcTrack, pt) || m_nCount <= m_nPage) return CBmpScroll::LButtonDown(flags, pt);
    if (pt.y >= m_rcThumb.top && pt.y < m_rcThumb.bottom) return CBmpScroll::LButtonDown(flags, pt);
    const bool bUp = pt.y < m_rcThumb.top;
    const int target = std::clamp(bUp ? m_nPos - m_nPage : m_nPos + m_nPage, m_nMin, LastPos());
    if (target == m_nPos) return 1;
    m_nPos = target;
    LayoutThumb();
    Draw();
    const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd()));
    if (m_hList) PostMessage(m_hList, bUp ? WM_BSCROLL_PAGEUP : WM_BSCROLL_PAGEDOWN, id, static_cast<LPARAM>(m_nPos));
    else NotifyParent();
    SoundPlay();
    return 1;
}

} // namespace zent
