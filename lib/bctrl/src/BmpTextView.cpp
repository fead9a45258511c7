#include <zent/bctrl/BmpTextView.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>

#include "ViewSupport.h"

#include <algorithm>

namespace zent {

using namespace viewsupport;

CBmpTextView::CBmpTextView() = default;
CBmpTextView::~CBmpTextView() = default;

int CBmpTextView::InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    PlaceFromLoader(loader, viewId);
    m_nRowHeight = RowHeightOf(loader, rowId);
    m_bRemocon = 0;
    UpdateRange();
    return 1;
}

int CBmpTextView::AddItem(const wchar_t* text, const RECT& rc, HFONT font, COLORREF colour, UINT format, int redraw)
{
    if (rc.IsEmpty()) return -1;
    m_vecItems.push_back(SItem{CutText(text, kMaxText), rc, font, colour, format});
    UpdateRange();
    SetDisableCtrl(0, redraw);
    return GetCount() - 1;
}

int CBmpTextView::SetItemText(int index, const wchar_t* text, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems[index].strText = CutText(text, kMaxText);
    if (redraw == 1) Draw();
    return 1;
}

int CBmpTextView::RemoveAt(int index, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems.erase(m_vecItems.begin() + index);
    AfterRemove(m_nSelect, index);
    AfterItemsRemoved(false, redraw);
    return 1;
}

int CBmpTextView::RemoveAll(int redraw)
{
    m_vecItems.clear();
    m_nSelect = -1;
    AfterItemsRemoved(true, redraw);
    return 1;
}

const wchar_t* CBmpTextView::GetItemText(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_vecItems[index].strText.c_str();
}

RECT CBmpTextView::GetItemRect(int index) const
{
    if (index < 0 || index >= GetCount()) return RECT{};
    return m_vecItems[index].rc;
}

int CBmpTextView::SetSelectItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nSelect = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpTextView::SetSelectColor(COLORREF text, COLORREF back)
{
    m_clrSelectText = text;
    m_clrSelectBack = back;
    return 1;
}

int CBmpTextView::ContentExtent() const
{
    int bottom = 0;
    for (const SItem& item : m_vecItems) bottom = std::max<int>(bottom, item.rc.bottom);
    return bottom;
}

int CBmpTextView::HitTest(POINT content, UINT* message) const
{
    if (message) *message = 0;
    // The last added lies on top where rectangles overlap.
    for (int i = GetCount() - 1; i >= 0; --i)
        if (m_vecItems[i].rc.Contains(content)) return i;
    return -1;
}

void CBmpTextView::OnTap(int item, UINT)
{
    if (item >= GetCount()) return;
    m_nSelect = item;
    PlayTouchSound();
    if (TapRepaints()) Draw();
    PostParent(WM_BVIEW_TAP, item);
}

int CBmpTextView::LButtonDblClk(UINT flags, POINT pt)
{
    if (m_bDisable) return 0;
    const int item = HitTest(POINT{pt.x, pt.y + GetScrollOffset()}, nullptr);
    if (item >= 0) PostParent(WM_BVIEW_DBLCLK, item);
    // The second press of the double click: its release must find the gesture it belongs to.
    const int handled = LButtonDown(flags, pt);
    MarkDoubleClickPress();
    return handled;
}

void CBmpTextView::DrawContent(HDC dc, int offset)
{
    const int h = ViewHeight();
    for (int i = 0; i < GetCount(); ++i) {
        const SItem& item = m_vecItems[i];
        RECT rc{item.rc.left, item.rc.top - offset, item.rc.right, item.rc.bottom - offset};
        if (rc.bottom <= 0 || rc.top >= h) continue;
        const bool bSelected = i == m_nSelect;
        if (bSelected) FillSolidRect(dc, &rc, m_clrSelectBack);
        if (item.strText.empty()) continue;
        DrawTextW(GetTextDrawStyle(), item.nFormat, item.strText, dc, &rc, item.hFont ? item.hFont : m_hFont,
                  bSelected ? m_clrSelectText : item.clrText, 0);
    }
}

} // namespace zent
