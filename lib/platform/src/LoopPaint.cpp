// Invalidation and painting: each top-level window has one picture and one dirty rectangle, the
// bounding rectangle of everything invalidated since it was last painted. A paint walks the
// window tree back to front (a parent before its children, older siblings before newer), gives
// each window that meets the dirty rectangle a WM_PAINT clipped to it, and presents once.

#include "LoopCore.h"

#include <algorithm>

namespace zent::wnd {

HBITMAP CLoopCore::GetPicture(HWND hwnd) const
{
    const CWindowRecord* pTop = Find(Root(hwnd));
    return pTop ? pTop->pPicture.get() : nullptr;
}

void CLoopCore::ResizePicture(HWND hwndTop)
{
    CWindowRecord* pTop = Find(hwndTop);
    if (!pTop || !pTop->IsTopLevel()) return;
    // A picture needs at least one pixel; an empty window still clips everything away.
    const int nWidth = std::max<int>(pTop->Width(), 1);
    const int nHeight = std::max<int>(pTop->Height(), 1);
    pTop->pPicture.reset(CreateDIBSection(nullptr, nWidth, nHeight, nullptr));
    pTop->rcDirty = RECT{0, 0, pTop->Width(), pTop->Height()};
    RefreshClientDCs();
}

BOOL CLoopCore::Invalidate(HWND hwnd, const RECT* prc)
{
    if (!Find(hwnd)) return FALSE;
    CWindowRecord* pTop = Find(Root(hwnd));
    const CWindowRecord* pRec = Find(hwnd);
    RECT rc = prc ? *prc : RECT{0, 0, pRec->Width(), pRec->Height()};
    const POINT org = OriginInTop(hwnd);
    rc = IntersectRc(OffsetRc(rc, org.x, org.y), VisibleRectInTop(hwnd));
    if (!rc.IsEmpty()) pTop->rcDirty = UnionRc(pTop->rcDirty, rc);
    return TRUE;
}

BOOL CLoopCore::GetUpdateRect(HWND hwnd, RECT* prc) const
{
    const CWindowRecord* pTop = Find(Root(hwnd));
    if (!pTop) return FALSE;
    const POINT org = OriginInTop(hwnd);
    const RECT rc = IntersectRc(pTop->rcDirty, VisibleRectInTop(hwnd));
    if (prc) *prc = rc.IsEmpty() ? RECT{} : OffsetRc(rc, -org.x, -org.y);
    return rc.IsEmpty() ? FALSE : TRUE;
}

BOOL CLoopCore::UpdateWindow(HWND hwnd)
{
    const HWND hwndTop = Root(hwnd);
    if (!hwndTop) return FALSE;
    PaintTop(hwndTop);
    return TRUE;
}

bool CLoopCore::PaintDirty()
{
    bool bPainted = false;
    const std::vector<HWND> vecTops = m_vecTopLevels;
    for (HWND hwndTop : vecTops) {
        const CWindowRecord* pTop = Find(hwndTop);
        if (!pTop || pTop->rcDirty.IsEmpty() || pTop->bPainting || !IsVisible(hwndTop)) continue;
        PaintTop(hwndTop);
        bPainted = true;
    }
    return bPainted;
}

void CLoopCore::PaintTop(HWND hwndTop)
{
    CWindowRecord* pTop = Find(hwndTop);
    // A paint inside a paint (UpdateWindow from a WM_PAINT handler) waits for the next pass.
    if (!pTop || !pTop->pPicture || pTop->bPainting || !IsVisible(hwndTop)) return;
    const RECT rcAll{0, 0, pTop->Width(), pTop->Height()};
    const RECT rcDirty = IntersectRc(pTop->rcDirty, rcAll);
    // Cleared first: whatever the handlers invalidate while painting is painted next time.
    pTop->rcDirty = RECT{};
    if (rcDirty.IsEmpty()) return;
    pTop->bPainting = true;
    PaintTree(hwndTop, rcDirty, rcAll);
    pTop = Find(hwndTop);
    if (!pTop) return;
    pTop->bPainting = false;
    if (pTop->pPicture) m_pPresenter->Present(hwndTop, pTop->pPicture.get(), rcDirty);
}

void CLoopCore::PaintTree(HWND hwnd, const RECT& rcDirtyTop, const RECT& rcClipTop)
{
    const CWindowRecord* pRec = Find(hwnd);
    // Native children paint themselves, and their subtree with them.
    if (!pRec || !(pRec->dwStyle & WS_VISIBLE) || pRec->bNative) return;
    const POINT org = OriginInTop(hwnd);
    const RECT rcWindow = IntersectRc(RECT{org.x, org.y, org.x + pRec->Width(), org.y + pRec->Height()}, rcClipTop);
    const RECT rcHere = IntersectRc(rcDirtyTop, rcWindow);
    if (rcHere.IsEmpty()) return;

    auto pFrame = std::make_unique<CPaintFrame>();
    pFrame->hwnd = hwnd;
    pFrame->rcPaint = OffsetRc(rcHere, -org.x, -org.y);
    const CPaintFrame* pMine = pFrame.get();
    m_vecPaintFrames.push_back(std::move(pFrame));
    CallProc(hwnd, WM_PAINT, 0, 0);
    auto it = std::find_if(m_vecPaintFrames.begin(), m_vecPaintFrames.end(),
                           [&](const std::unique_ptr<CPaintFrame>& p) { return p.get() == pMine; });
    if (it != m_vecPaintFrames.end()) m_vecPaintFrames.erase(it);

    pRec = Find(hwnd);
    if (!pRec) return;
    const std::vector<HWND> vecChildren = pRec->vecChildren;
    for (HWND hwndChild : vecChildren) PaintTree(hwndChild, rcDirtyTop, rcWindow);
}

bool CLoopCore::MakePictureDC(HWND hwnd, const RECT& rcClipTop, CPictureDC& dc)
{
    if (dc.bDetached) return true;
    if (!dc.pDC) dc.pDC.reset(CreateCompatibleDC(nullptr));
    if (!dc.pDC) return false;
    BITMAP bmPicture{};
    const HBITMAP hPicture = Find(hwnd) ? GetPicture(hwnd) : nullptr;
    const bool bLive = hPicture && GetObject(hPicture, &bmPicture) != 0;
    BITMAP bmOver{};
    const bool bOverValid = dc.pOver && GetObject(dc.pOver.get(), &bmOver) != 0;
    if (bLive) {
        const bool bSame = bOverValid && bmOver.bmBits == bmPicture.bmBits && bmOver.bmWidth == bmPicture.bmWidth &&
                           bmOver.bmHeight == bmPicture.bmHeight;
        if (!bSame) {
            UniqueBitmap pOver(CreateBitmapOverMemory(bmPicture.bmBits, bmPicture.bmWidth, bmPicture.bmHeight,
                                                      bmPicture.bmWidthBytes));
            if (!pOver) return false;
            SelectObject(dc.pDC.get(), pOver.get());
            dc.pOver = std::move(pOver);
        }
    } else {
        // The window has gone: the device context stays usable until it is released, but it
        // draws into a pixel of its own instead of freed memory.
        UniqueBitmap pDummy(CreateDIBSection(nullptr, 1, 1, nullptr));
        if (!pDummy) return false;
        SelectObject(dc.pDC.get(), pDummy.get());
        dc.pOver = std::move(pDummy);
        dc.bDetached = true;
        SelectClipRgn(dc.pDC.get(), UniqueRegion(CreateRectRgn(0, 0, 0, 0)).get());
        return true;
    }
    const POINT org = OriginInTop(hwnd);
    SetViewportOrgEx(dc.pDC.get(), org.x, org.y, nullptr);
    UniqueRegion pClip(CreateRectRgn(rcClipTop.left, rcClipTop.top, rcClipTop.right, rcClipTop.bottom));
    SelectClipRgn(dc.pDC.get(), pClip.get());
    return true;
}

HDC CLoopCore::BeginPaint(HWND hwnd, PAINTSTRUCT* pps)
{
    if (!pps) return nullptr;
    *pps = PAINTSTRUCT{};
    if (!Find(hwnd)) return nullptr;
    for (auto it = m_vecPaintFrames.rbegin(); it != m_vecPaintFrames.rend(); ++it) {
        CPaintFrame& frame = **it;
        if (frame.hwnd != hwnd) continue;
        const POINT org = OriginInTop(hwnd);
        if (!frame.dc.pDC && !MakePictureDC(hwnd, OffsetRc(frame.rcPaint, org.x, org.y), frame.dc)) return nullptr;
        pps->hdc = frame.dc.pDC.get();
        pps->rcPaint = frame.rcPaint;
        return pps->hdc;
    }
    return nullptr;
}

BOOL CLoopCore::EndPaint(HWND hwnd)
{
    for (auto it = m_vecPaintFrames.rbegin(); it != m_vecPaintFrames.rend(); ++it) {
        if ((*it)->hwnd != hwnd) continue;
        (*it)->dc.Release();
        return TRUE;
    }
    return FALSE;
}

HDC CLoopCore::GetDC(HWND hwnd)
{
    if (!Find(hwnd) || !GetPicture(hwnd)) return nullptr;
    auto pDC = std::make_unique<CPictureDC>();
    pDC->hwnd = hwnd;
    if (!MakePictureDC(hwnd, VisibleRectInTop(hwnd), *pDC)) return nullptr;
    const HDC hdc = pDC->pDC.get();
    m_vecClientDCs.push_back(std::move(pDC));
    return hdc;
}

int CLoopCore::ReleaseDC(HWND hwnd, HDC hdc)
{
    auto it = std::find_if(m_vecClientDCs.begin(), m_vecClientDCs.end(),
                           [&](const std::unique_ptr<CPictureDC>& p) { return p->pDC.get() == hdc; });
    if (it == m_vecClientDCs.end() || (hwnd && (*it)->hwnd != hwnd)) return 0;
    const HWND hwndDC = (*it)->hwnd;
    m_vecClientDCs.erase(it);
    const HWND hwndTop = Root(hwndDC);
    const RECT rc = VisibleRectInTop(hwndDC);
    if (hwndTop && !rc.IsEmpty() && GetPicture(hwndTop)) m_pPresenter->Present(hwndTop, GetPicture(hwndTop), rc);
    return 1;
}

void CLoopCore::RefreshClientDCs()
{
    for (auto& pDC : m_vecClientDCs) MakePictureDC(pDC->hwnd, VisibleRectInTop(pDC->hwnd), *pDC);
    for (auto& pFrame : m_vecPaintFrames) {
        if (!pFrame->dc.pDC) continue;
        const POINT org = OriginInTop(pFrame->hwnd);
        const RECT rcClip = IntersectRc(OffsetRc(pFrame->rcPaint, org.x, org.y), VisibleRectInTop(pFrame->hwnd));
        MakePictureDC(pFrame->hwnd, rcClip, pFrame->dc);
    }
}

void CLoopCore::FlushClientDCs()
{
    for (const auto& pDC : m_vecClientDCs) {
        const HWND hwndTop = Root(pDC->hwnd);
        const RECT rc = VisibleRectInTop(pDC->hwnd);
        if (!hwndTop || rc.IsEmpty() || !GetPicture(hwndTop)) continue;
        m_pPresenter->Present(hwndTop, GetPicture(hwndTop), rc);
    }
}

} // namespace zent::wnd
