#include <zent/bctrl/BmpListView2.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>

#include "ViewSupport.h"

#include <algorithm>

namespace zent {

using namespace viewsupport;

CBmpListView2::CBmpListView2() = default;
CBmpListView2::~CBmpListView2() = default;

int CBmpListView2::InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    PlaceFromLoader(loader, viewId);
    m_kImages.SetLoader(loader);
    m_nRowHeight = RowHeightOf(loader, rowId);
    m_bRemocon = 0;
    UpdateRange();
    return 1;
}

int CBmpListView2::AddItem(const wchar_t* text, UINT normalId, UINT selectedId, int redraw)
{
    return InsertItem(GetCount(), text, normalId, selectedId, redraw);
}

int CBmpListView2::InsertItem(int index, const wchar_t* text, UINT normalId, UINT selectedId, int redraw)
{
    if (index < 0 || index > GetCount()) return 0;
    m_vecItems.insert(m_vecItems.begin() + index, SItem{CutText(text, kMaxText), normalId, selectedId, 0});
    if (m_nFocusItem >= index) ++m_nFocusItem;
    ForgetPendingItem();
    UpdateRange();
    SetDisableCtrl(0, redraw);
    return 1;
}

int CBmpListView2::EditItem(int index, const wchar_t* text, UINT normalId, UINT selectedId, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    SItem& item = m_vecItems[index];
    item.strText = CutText(text, kMaxText);
    item.nNormalId = normalId;
    item.nSelectedId = selectedId;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView2::RemoveAt(int index, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems.erase(m_vecItems.begin() + index);
    AfterRemove(m_nFocusItem, index);
    AfterItemsRemoved(false, redraw);
    return 1;
}

int CBmpListView2::RemoveAll(int redraw)
{
    m_vecItems.clear();
    m_nFocusItem = -1;
    AfterItemsRemoved(true, redraw);
    return 1;
}

const wchar_t* CBmpListView2::GetItemText(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_vecItems[index].strText.c_str();
}

int CBmpListView2::GetSelectItem(int index) const
{
    if (index < 0 || index >= GetCount()) return -1;
    return m_vecItems[index].bSelected;
}

int CBmpListView2::SetSelectItem(int index, int select)
{
    if (index < 0 || index >= GetCount()) return -1;
    const int previous = m_vecItems[index].bSelected;
    m_vecItems[index].bSelected = select ? 1 : 0;
    return previous;
}

int CBmpListView2::GetSelectedCount() const
{
    return static_cast<int>(std::count_if(m_vecItems.begin(), m_vecItems.end(), [](const SItem& i) { return i.bSelected; }));
}

int CBmpListView2::SetFocusItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nFocusItem = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView2::SetTextColor(COLORREF normal, COLORREF selected)
{
    m_clrText = normal;
    m_clrTextSelected = selected;
    return 1;
}

int CBmpListView2::HitTest(POINT content, UINT* message) const
{
    if (message) *message = 0;
    if (content.x < 0 || content.x >= ViewWidth() || content.y < 0) return -1;
    const int index = content.y / m_nRowHeight;
    return index < GetCount() ? index : -1;
}

void CBmpListView2::OnTap(int item, UINT)
{
    if (item >= GetCount()) return;
    const int now = m_vecItems[item].bSelected ? 0 : 1;
    m_vecItems[item].bSelected = now;
    m_nFocusItem = item;
    PlayTouchSound();
    if (TapRepaints()) Draw();
    PostParent(now ? WM_BLIST_SELECT : WM_BLIST_UNSELECT, item);
}

void CBmpListView2::DrawContent(HDC dc, int offset)
{
    const int w = ViewWidth();
    const int h = ViewHeight();
    for (int i = std::max(offset, 0) / m_nRowHeight; i < GetCount(); ++i) {
        const int top = i * m_nRowHeight - offset;
        if (top >= h) break;
        const SItem& item = m_vecItems[i];
        const RECT rcRow{0, top, w, top + m_nRowHeight};
        CZuImage* picture = m_kImages.Get(item.bSelected && item.nSelectedId ? item.nSelectedId : item.nNormalId);
        if (picture) picture->Draw(dc, 0, top, w, m_nRowHeight);
        else if (item.bSelected) FillSolidRect(dc, &rcRow, m_clrHighlight);
        if (item.strText.empty()) continue;
        RECT rc{kTextIndent, top, w, top + m_nRowHeight};
        DrawTextW(GetTextDrawStyle(), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, item.strText, dc, &rc,
                  m_hFont, item.bSelected ? m_clrTextSelected : m_clrText, 0);
    }
}

int CBmpListView2::Clean()
{
    m_kImages.Clear();
    return CBmpTouchView::Clean();
}

} // namespace zent
