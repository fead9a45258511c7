#include <zent/bctrl/BmpImgView.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>

#include "ViewSupport.h"

#include <algorithm>

namespace zent {

using namespace viewsupport;

CBmpImgView::CBmpImgView() = default;
CBmpImgView::~CBmpImgView() = default;

int CBmpImgView::InitControl(int style, QLBMLoader* loader, UINT viewId, DWORD, DWORD)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    SetHorizontal((style & kStyleHorizontal) != 0);
    PlaceFromLoader(loader, viewId);
    m_pLoader = loader;
    m_kImages.SetLoader(loader);
    m_bRemocon = 0;
    UpdateRange();
    return 1;
}

int CBmpImgView::AddItem(UINT normalId, UINT pressedId, int redraw)
{
    RECT stored{};
    if (!m_pLoader || !m_pLoader->GetRect(static_cast<int>(normalId), stored) || stored.IsEmpty()) return 0;
    const int w = stored.right - stored.left;
    const int h = stored.bottom - stored.top;
    const int at = m_vecItems.empty() ? 0 : ContentExtent() + m_nSpacing;
    SItem item;
    item.rc = IsHorizontal() ? RECT{at, 0, at + w, h} : RECT{0, at, w, at + h};
    item.nNormalId = normalId;
    item.nPressedId = pressedId;
    m_vecItems.push_back(item);
    UpdateRange();
    SetDisableCtrl(0, redraw);
    return 1;
}

int CBmpImgView::AddItem(HBITMAP normal, HBITMAP pressed, const RECT& rc, int redraw)
{
    if (!normal || rc.IsEmpty()) return 0;
    SItem item;
    item.rc = rc;
    item.hNormal = normal;
    item.hPressed = pressed;
    m_vecItems.push_back(item);
    UpdateRange();
    SetDisableCtrl(0, redraw);
    return 1;
}

int CBmpImgView::RemoveAt(int index, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems.erase(m_vecItems.begin() + index);
    AfterRemove(m_nSelect, index);
    AfterItemsRemoved(false, redraw);
    return 1;
}

int CBmpImgView::RemoveAll(int redraw)
{
    m_vecItems.clear();
    m_nSelect = -1;
    AfterItemsRemoved(true, redraw);
    return 1;
}

RECT CBmpImgView::GetItemRect(int index) const
{
    if (index < 0 || index >= GetCount()) return RECT{};
    return m_vecItems[index].rc;
}

int CBmpImgView::SetImgBtnOption(int spacing, int keyed)
{
    m_nSpacing = std::max(spacing, 0);
    m_bKeyed = keyed ? 1 : 0;
    return 1;
}

int CBmpImgView::SetViewImage(UINT id, int redraw)
{
    m_nViewImageId = id;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpImgView::SetSelectItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nSelect = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpImgView::GetPageCount() const
{
    const int page = PageExtent();
    return (ContentExtent() + page - 1) / page;
}

int CBmpImgView::GetScrollPosition() const
{
    const int max = GetScroller().GetMaxOffset();
    if (max > 0 && GetScrollOffset() >= max) return std::max(GetPageCount() - 1, 0);
    return CBmpTouchView::GetScrollPosition();
}

int CBmpImgView::ContentExtent() const
{
    int end = 0;
    for (const SItem& item : m_vecItems) end = std::max<int>(end, IsHorizontal() ? item.rc.right : item.rc.bottom);
    return end;
}

int CBmpImgView::HitTest(POINT content, UINT* message) const
{
    if (message) *message = 0;
    for (int i = GetCount() - 1; i >= 0; --i)
        if (m_vecItems[i].rc.Contains(content)) return i;
    return -1;
}

void CBmpImgView::OnTap(int item, UINT)
{
    if (item >= GetCount()) return;
    m_nSelect = item;
    PlayTouchSound();
    if (TapRepaints()) Draw();
    PostParent(WM_BVIEW_TAP, item);
}

void CBmpImgView::DrawPicture(HDC dc, const SItem& item, bool bPressed, int x, int y)
{
    const int w = item.rc.right - item.rc.left;
    const int h = item.rc.bottom - item.rc.top;
    CZuImage borrowed;
    CZuImage* picture = nullptr;
    if (item.hNormal) {
        borrowed.Attach(bPressed && item.hPressed ? item.hPressed : item.hNormal);
        picture = &borrowed;
    } else {
        picture = bPressed ? m_kImages.Get(item.nPressedId) : nullptr;
        if (!picture) picture = m_kImages.Get(item.nNormalId);
    }
    if (!picture) return;
    if (m_bKeyed) picture->DrawTransparent(dc, x, y, w, h, kSkinKeyColor);
    else picture->Draw(dc, x, y, w, h);
}

void CBmpImgView::DrawContent(HDC dc, int offset)
{
    if (CZuImage* back = m_kImages.Get(m_nViewImageId)) back->Draw(dc, 0, 0, ViewWidth(), ViewHeight());
    const int pressed = GetPressItem();
    for (int i = 0; i < GetCount(); ++i) {
        const SItem& item = m_vecItems[i];
        const int x = IsHorizontal() ? item.rc.left - offset : item.rc.left;
        const int y = IsHorizontal() ? item.rc.top : item.rc.top - offset;
        if (x >= ViewWidth() || y >= ViewHeight() || x + (item.rc.right - item.rc.left) <= 0 ||
            y + (item.rc.bottom - item.rc.top) <= 0)
            continue;
        DrawPicture(dc, item, i == pressed || i == m_nSelect, x, y);
    }
}

int CBmpImgView::Clean()
{
    m_kImages.Clear();
    return CBmpTouchView::Clean();
}

} // namespace zent
