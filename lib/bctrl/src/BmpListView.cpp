#include <zent/bctrl/BmpListView.h>

#include <zent/platform/Font.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cwchar>

namespace zent {

namespace {
constexpr int kTextIndent = 6;

void BlitBitmap(HDC dc, HBITMAP bmp, const RECT& rc)
{
    if (!bmp) return;
    UniqueDC mem(CreateCompatibleDC(dc));
    CSelectObject<HBITMAP> sel(mem.get(), bmp);
    BitBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem.get(), 0, 0, SRCCOPY);
}

int BitmapWidth(HBITMAP bmp)
{
    BITMAP bm{};
    return bmp && GetObject(bmp, &bm) ? bm.bmWidth : 0;
}
} // namespace

CBmpListView::CBmpListView() = default;
CBmpListView::~CBmpListView() = default;

int CBmpListView::InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    PlaceFromLoader(loader, viewId);
    RECT row{};
    if (loader) loader->GetRect(static_cast<int>(rowId), row);
    m_nRowHeight = std::max<int>(row.bottom - row.top, 1);
    m_bRemocon = 0;
    Relayout(0);
    return 1;
}

std::wstring CBmpListView::CutText(const wchar_t* text)
{
    if (!text) return {};
    return std::wstring(text, std::min<std::size_t>(std::wcslen(text), kMaxText));
}

CListViewItem* CBmpListView::Item(int index)
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_vecItems[index].get();
}

const CListViewItem* CBmpListView::GetListItem(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_vecItems[index].get();
}

std::unique_ptr<CListViewSplitter>* CBmpListView::SplitterSlot(UINT index)
{
    if (index > static_cast<UINT>(GetCount())) return nullptr;
    return index == static_cast<UINT>(GetCount()) ? &m_pTailSplitter : &m_vecItems[index]->pSplitter;
}

const std::unique_ptr<CListViewSplitter>* CBmpListView::SplitterSlot(UINT index) const
{
    return const_cast<CBmpListView*>(this)->SplitterSlot(index);
}

void CBmpListView::Relayout(int redraw)
{
    const int splitH = GetSplitterHeight();
    m_vecTops.resize(m_vecItems.size());
    int pos = 0;
    for (std::size_t i = 0; i < m_vecItems.size(); ++i) {
        if (m_vecItems[i]->pSplitter) pos += splitH;
        m_vecTops[i] = pos;
        pos += m_nRowHeight;
    }
    if (m_pTailSplitter) pos += splitH;
    m_nContentExtent = pos;
    UpdateRange();
    if (redraw == 1) Draw();
}

int CBmpListView::ContentExtent() const
{
    return m_nContentExtent;
}

int CBmpListView::InsertRecord(int index, std::unique_ptr<CListViewItem> item, int redraw)
{
    if (index < 0 || index > GetCount()) return 0;
    // An item appended below a waiting header takes it.
    if (index == GetCount() && m_pTailSplitter) item->pSplitter = std::move(m_pTailSplitter);
    m_vecItems.insert(m_vecItems.begin() + index, std::move(item));
    for (int* mark : {&m_nSelect, &m_nFocusItem})
        if (*mark >= index) ++*mark;
    ForgetPendingItem();
    Relayout(0);
    SetDisableCtrl(0, redraw);
    return 1;
}

int CBmpListView::AddItem(const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw)
{
    return InsertItem(GetCount(), text, normal, highlighted, redraw);
}

int CBmpListView::InsertItem(int index, const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw)
{
    auto item = std::make_unique<CListViewItem>();
    item->strText = CutText(text);
    item->hNormal = normal;
    item->hHighlighted = highlighted;
    return InsertRecord(index, std::move(item), redraw);
}

int CBmpListView::EditItem(int index, const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw)
{
    CListViewItem* item = Item(index);
    if (!item) return 0;
    item->strText = CutText(text);
    item->hNormal = normal;
    item->hHighlighted = highlighted;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::RemoveAt(int index, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems.erase(m_vecItems.begin() + index);
    // Indexes after the removed row move up; a removed selection is gone.
    for (int* mark : {&m_nSelect, &m_nFocusItem}) {
        if (*mark == index) *mark = -1;
        else if (*mark > index) --*mark;
    }
    ForgetPendingItem();
    Relayout(0);
    if (GetScrollOffset() > GetScroller().GetMaxOffset()) SetScrollPosition(GetLastTopPos(), 0);
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::RemoveAll(int redraw)
{
    StopAnimation();
    m_vecItems.clear();
    m_pTailSplitter.reset();
    m_nSelect = m_nFocusItem = -1;
    ForgetPendingItem();
    Relayout(0);
    SetScrollPosition(0, 0);
    if (redraw == 1) Draw();
    return 1;
}

const wchar_t* CBmpListView::GetItemText(int index) const
{
    const CListViewItem* item = GetListItem(index);
    return item ? item->strText.c_str() : nullptr;
}

int CBmpListView::SetItemText(int index, const wchar_t* text, int redraw)
{
    CListViewItem* item = Item(index);
    if (!item) return 0;
    item->strText = CutText(text);
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::AddSplitter(UINT index, const wchar_t* text, HBITMAP bitmap, int redraw)
{
    std::unique_ptr<CListViewSplitter>* slot = SplitterSlot(index);
    if (!slot || *slot) return 0;
    auto splitter = std::make_unique<CListViewSplitter>();
    splitter->vecTexts.push_back(CutText(text));
    if (bitmap) splitter->vecBitmaps.push_back(bitmap);
    *slot = std::move(splitter);
    Relayout(redraw);
    return 1;
}

int CBmpListView::EditSplitter(UINT index, const wchar_t* text, HBITMAP bitmap, int redraw)
{
    std::unique_ptr<CListViewSplitter>* slot = SplitterSlot(index);
    if (!slot || !*slot) return 0;
    (*slot)->vecTexts.assign(1, CutText(text));
    (*slot)->vecBitmaps.clear();
    if (bitmap) (*slot)->vecBitmaps.push_back(bitmap);
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::RemoveSplitter(UINT index, int redraw)
{
    std::unique_ptr<CListViewSplitter>* slot = SplitterSlot(index);
    if (!slot || !*slot) return 0;
    slot->reset();
    Relayout(0);
    if (GetScrollOffset() > GetScroller().GetMaxOffset()) SetScrollPosition(GetLastTopPos(), 0);
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::GetSplitterCount() const
{
    int n = m_pTailSplitter ? 1 : 0;
    for (const auto& item : m_vecItems)
        if (item->pSplitter) ++n;
    return n;
}

const CListViewSplitter* CBmpListView::GetSplitter(UINT index) const
{
    const std::unique_ptr<CListViewSplitter>* slot = SplitterSlot(index);
    return slot ? slot->get() : nullptr;
}

int CBmpListView::SetSplitterOption(int height, HFONT font, COLORREF text, COLORREF back)
{
    m_nSplitterHeight = std::max(height, 0);
    m_hSplitterFont = font;
    m_clrSplitterText = text;
    m_clrSplitterBack = back;
    Relayout(0);
    return 1;
}

int CBmpListView::SetImageOption(int area, const RECT& rcInRow, UINT message)
{
    if (area < 0 || area >= kMaxTouchAreas) return 0;
    STouchArea& a = m_kAreas[area];
    a.rcImage = a.rcHit = rcInRow;
    a.nMessage = message;
    return 1;
}

int CBmpListView::ExtendTouchImgArea(int area, int left, int top, int right, int bottom)
{
    if (area < 0 || area >= kMaxTouchAreas || m_kAreas[area].nMessage == 0) return 0;
    STouchArea& a = m_kAreas[area];
    a.rcHit = RECT{a.rcImage.left - left, a.rcImage.top - top, a.rcImage.right + right, a.rcImage.bottom + bottom};
    return 1;
}

int CBmpListView::SetSelectItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nSelect = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::SetFocusItem(int index, int redraw)
{
    if (index < -1 || index >= GetCount()) return 0;
    m_nFocusItem = index;
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView::SetTextColor(COLORREF normal, COLORREF selected)
{
    m_clrText = normal;
    m_clrTextSelected = selected;
    return 1;
}

int CBmpListView::GetListItemFromPos(int y, int* splitters, int* rowTop) const
{
    if (splitters) *splitters = 0;
    if (y < 0) return -1;
    const int splitH = GetSplitterHeight();
    int pos = 0;
    int seen = 0;
    for (int i = 0; i < GetCount(); ++i) {
        if (m_vecItems[i]->pSplitter) {
            ++seen;
            if (splitters) *splitters = seen;
            if (y < pos + splitH) return -1;
            pos += splitH;
        }
        if (y < pos + m_nRowHeight) {
            if (rowTop) *rowTop = pos;
            return i;
        }
        pos += m_nRowHeight;
    }
    return -1;
}

int CBmpListView::GetItemTop(int index) const
{
    if (index < 0 || index >= GetCount()) return -1;
    return m_vecTops[index];
}

int CBmpListView::GetExtraRows(int row) const
{
    int n = 0;
    for (int i = 0; i < GetCount() && i <= row; ++i)
        if (m_vecItems[i]->pSplitter) ++n;
    // The scroll bar asks for its last row: a header waiting at the end belongs to the content too.
    if (m_pTailSplitter && row >= GetCount() - 1) ++n;
    return (n * GetSplitterHeight() + m_nRowHeight - 1) / m_nRowHeight;
}

int CBmpListView::HitTest(POINT content, UINT* message) const
{
    if (message) *message = 0;
    if (content.x < 0 || content.x >= ViewWidth()) return -1;
    int top = 0;
    const int index = GetListItemFromPos(content.y, nullptr, &top);
    if (index < 0) return -1;
    const POINT inRow{content.x, content.y - top};
    // The last area set up wins where areas overlap.
    for (int a = kMaxTouchAreas - 1; a >= 0; --a) {
        const STouchArea& area = m_kAreas[a];
        if (area.nMessage != 0 && area.rcHit.Contains(inRow)) {
            if (message) *message = area.nMessage;
            break;
        }
    }
    return index;
}

void CBmpListView::OnTap(int item, UINT message)
{
    if (item >= GetCount()) return;
    m_nSelect = item;
    PlayTouchSound();
    if (TapRepaints()) Draw();
    PostParent(message ? message : WM_BVIEW_TAP, item);
}

LRESULT CBmpListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_BVIEW_EXTRAROWS) return GetExtraRows(static_cast<int>(wParam));
    return CBmpTouchView::OnMessage(message, wParam, lParam);
}

void CBmpListView::DrawContent(HDC dc, int offset)
{
    const int w = ViewWidth();
    const int h = ViewHeight();
    const int splitH = GetSplitterHeight();
    // The first row whose band (with its header) reaches into the view.
    auto first = std::upper_bound(m_vecTops.begin(), m_vecTops.end(), offset - m_nRowHeight);
    for (int i = static_cast<int>(first - m_vecTops.begin()); i < GetCount(); ++i) {
        const int top = m_vecTops[i] - offset;
        const CListViewItem& item = *m_vecItems[i];
        if (item.pSplitter) DrawSplitter(dc, *item.pSplitter, RECT{0, top - splitH, w, top});
        if (top >= h) break;
        DrawRow(dc, i, item, RECT{0, top, w, top + m_nRowHeight});
    }
    if (m_pTailSplitter) {
        const int top = m_nContentExtent - splitH - offset;
        if (top < h) DrawSplitter(dc, *m_pTailSplitter, RECT{0, top, w, top + splitH});
    }
}

void CBmpListView::DrawRow(HDC dc, int index, const CListViewItem& item, const RECT& rcRow)
{
    const bool bSelected = index == m_nSelect;
    const HBITMAP bmp = bSelected && item.hHighlighted ? item.hHighlighted : item.hNormal;
    if (bmp) BlitBitmap(dc, bmp, rcRow);
    else if (bSelected) FillSolidRect(dc, &rcRow, m_clrHighlight);
    if (item.strText.empty()) return;
    // A second text, when there is one, takes the right half of the row.
    const int right = item.strSubText.empty() ? rcRow.right : rcRow.left + (rcRow.right - rcRow.left) / 2;
    RECT rc{rcRow.left + kTextIndent, rcRow.top, right, rcRow.bottom};
    DrawTextW(GetTextDrawStyle(), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, item.strText, dc, &rc,
              m_hFont, bSelected ? m_clrTextSelected : m_clrText, 0);
}

void CBmpListView::DrawSplitter(HDC dc, const CListViewSplitter& splitter, const RECT& rcBand)
{
    FillSolidRect(dc, &rcBand, m_clrSplitterBack);
    // Bitmaps from the left, then the texts share what is left in equal columns.
    int x = rcBand.left;
    for (HBITMAP bmp : splitter.vecBitmaps) {
        const int bw = BitmapWidth(bmp);
        BlitBitmap(dc, bmp, RECT{x, rcBand.top, x + bw, rcBand.bottom});
        x += bw;
    }
    const int n = static_cast<int>(splitter.vecTexts.size());
    if (n == 0) return;
    const int column = std::max<int>((rcBand.right - x - kTextIndent) / n, 0);
    for (int i = 0; i < n; ++i) {
        if (splitter.vecTexts[i].empty()) continue;
        RECT rc{x + kTextIndent + i * column, rcBand.top, x + kTextIndent + (i + 1) * column, rcBand.bottom};
        DrawTextW(GetTextDrawStyle(), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, splitter.vecTexts[i],
                  dc, &rc, m_hSplitterFont ? m_hSplitterFont : m_hFont, m_clrSplitterText, 0);
    }
}

// --- CBmpListView3 ---------------------------------------------------------------------------

CBmpListView3::CBmpListView3() = default;
CBmpListView3::~CBmpListView3() = default;

int CBmpListView3::AddItem(const wchar_t* text, const wchar_t* subText, HBITMAP normal, HBITMAP highlighted,
                           LPARAM data, int redraw)
{
    return InsertItem(GetCount(), text, subText, normal, highlighted, data, redraw);
}

int CBmpListView3::InsertItem(int index, const wchar_t* text, const wchar_t* subText, HBITMAP normal,
                              HBITMAP highlighted, LPARAM data, int redraw)
{
    auto item = std::make_unique<CListViewItem>();
    item->strText = CutText(text);
    item->strSubText = CutText(subText);
    item->hNormal = normal;
    item->hHighlighted = highlighted;
    item->lData = data;
    return InsertRecord(index, std::move(item), redraw);
}

LPARAM CBmpListView3::GetItemData(int index) const
{
    const CListViewItem* item = GetListItem(index);
    return item ? item->lData : 0;
}

int CBmpListView3::AddSplitter(UINT index, const std::vector<std::wstring>& texts, const std::vector<HBITMAP>& bitmaps,
                               int redraw)
{
    std::unique_ptr<CListViewSplitter>* slot = SplitterSlot(index);
    if (!slot || *slot) return 0;
    *slot = std::make_unique<CListViewSplitter>();
    Relayout(0);
    return EditSplitter(index, texts, bitmaps, redraw);
}

int CBmpListView3::EditSplitter(UINT index, const std::vector<std::wstring>& texts,
                                const std::vector<HBITMAP>& bitmaps, int redraw)
{
    std::unique_ptr<CListViewSplitter>* slot = SplitterSlot(index);
    if (!slot || !*slot) return 0;
    (*slot)->vecTexts.clear();
    for (const std::wstring& t : texts) (*slot)->vecTexts.push_back(CutText(t.c_str()));
    (*slot)->vecBitmaps.clear();
    for (HBITMAP b : bitmaps)
        if (b) (*slot)->vecBitmaps.push_back(b);
    if (redraw == 1) Draw();
    return 1;
}

int CBmpListView3::SetScrollModeOff(int off)
{
    SetScrollOff(off);
    return 1;
}

int CBmpListView3::SetSubTextColor(COLORREF colour)
{
    m_clrSubText = colour;
    return 1;
}

void CBmpListView3::DrawRow(HDC dc, int index, const CListViewItem& item, const RECT& rcRow)
{
    CBmpListView::DrawRow(dc, index, item, rcRow);
    if (item.strSubText.empty()) return;
    RECT rc{rcRow.left + (rcRow.right - rcRow.left) / 2, rcRow.top, rcRow.right - kTextIndent, rcRow.bottom};
    DrawTextW(GetTextDrawStyle(), DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, item.strSubText, dc, &rc,
              m_hFont, m_clrSubText, 0);
}

} // namespace zent
