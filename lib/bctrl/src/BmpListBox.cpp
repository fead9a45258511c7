#include <zent/bctrl/BmpListBox.h>

#include <zent/util/QLBMLoader.h>
#include <zent/util/SndPl.h>

#include <algorithm>

namespace zent {

namespace {
constexpr COLORREF kNoColour = 0xFFFFFFFF;
constexpr int kTextIndent = 4;
// How much of the list the incoming page covers after each slide step.
constexpr double kSlideFractions[CBmpListBoxEx::kSlideSteps] = {0.2, 0.4, 0.6, 0.7, 0.75, 0.8, 0.85, 0.9, 0.95, 1.0};

int BitmapSize(HBITMAP bmp, int* height)
{
    BITMAP bm{};
    if (!bmp || !GetObject(bmp, &bm)) return *height = 0;
    *height = bm.bmHeight;
    return bm.bmWidth;
}
} // namespace

CBmpListBoxEx::CBmpListBoxEx() = default;

CBmpListBoxEx::~CBmpListBoxEx()
{
    // The scroll messages reach this object through its window.
    DestroyWindow();
}

void CBmpListBoxEx::Geometry(QLBMLoader* loader, UINT listId, UINT rowId, UINT bkId, int pageSize)
{
    m_pLoader = loader;
    m_nPageSize = std::max(pageSize, 1);
    RECT rcRow{};
    if (loader && rowId) loader->GetRect(static_cast<int>(rowId), &rcRow);
    m_nRowHeight = rcRow.bottom - rcRow.top;
    RECT rc{};
    if (loader && listId) loader->GetRect(static_cast<int>(listId), &rc);
    m_rcCtrl = rc;
    m_rcList = RECT{0, 0, rc.right - rc.left, rc.bottom - rc.top};
    if (GetSafeHwnd()) {
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    m_nBkId = bkId;
    for (auto& pair : m_nRowImage) {
        pair[0] = rowId;
        pair[1] = 0;
    }
    m_mapImages.clear();
    UpdatePageCount();
}

int CBmpListBoxEx::InitControl(int style, int pageSize, QLBMLoader* loader, UINT listId, UINT rowId, UINT bkId)
{
    if (!CBmpCtrl::InitControl(style)) return 0;
    m_nScrollMode = (style & BLS_ROW_SCROLL) ? 1 : 0;
    Geometry(loader, listId, rowId, bkId, pageSize);
    return 1;
}

int CBmpListBoxEx::ResetList(int pageSize, QLBMLoader* loader, UINT listId, UINT rowId, UINT bkId, int redraw)
{
    Geometry(loader, listId, rowId, bkId, pageSize);
    if (redraw) Draw();
    return 1;
}

void CBmpListBoxEx::UpdatePageCount()
{
    m_nPageCount = (GetCount() + m_nPageSize - 1) / m_nPageSize;
}

const CListBoxItem* CBmpListBoxEx::GetItem(int index) const
{
    return index >= 0 && index < GetCount() ? m_vecItems[static_cast<std::size_t>(index)].get() : nullptr;
}

int CBmpListBoxEx::AddString(const std::wstring& text, const std::wstring& text2, HBITMAP bitmap, int flag,
                             int value1, int value2, int redraw)
{
    return InsertString(GetCount(), text, text2, bitmap, flag, value1, value2, redraw);
}

int CBmpListBoxEx::InsertString(int index, const std::wstring& text, const std::wstring& text2, HBITMAP bitmap,
                                int flag, int value1, int value2, int redraw)
{
    if (index < 0 || index > GetCount()) return -1;
    auto item = std::make_unique<CListBoxItem>();
    item->m_strText = text;
    item->m_strText2 = text2;
    item->m_hBitmap = bitmap;
    item->m_nFlag = flag;
    item->m_nValue1 = value1;
    item->m_nValue2 = value2;
    m_vecItems.insert(m_vecItems.begin() + index, std::move(item));
    // The focus stays on the item it was on.
    if (m_nFocusItem >= index) ++m_nFocusItem;
    UpdatePageCount();
    SetDisableCtrl(0, redraw);
    return index;
}

int CBmpListBoxEx::AddStringDC(const std::wstring& text, const std::wstring& text2, HDC source, const RECT& rcSource,
                               int redraw)
{
    const int w = rcSource.right - rcSource.left;
    const int h = rcSource.bottom - rcSource.top;
    if (!source || w <= 0 || h <= 0) return -1;
    std::shared_ptr<BitmapObject> copy(CreateCompatibleBitmap(source, w, h), [](HBITMAP b) { DeleteObject(b); });
    if (!copy) return -1;
    {
        UniqueDC mem(CreateCompatibleDC(source));
        CSelectObject<HBITMAP> sel(mem.get(), copy.get());
        BitBlt(mem.get(), 0, 0, w, h, source, rcSource.left, rcSource.top, SRCCOPY);
    }
    const int index = InsertString(GetCount(), text, text2, copy.get(), 0, 0, 0, 0);
    if (index < 0) return -1;
    m_vecItems[static_cast<std::size_t>(index)]->m_pOwnedBitmap = std::move(copy);
    SetDisableCtrl(0, redraw);
    return index;
}

int CBmpListBoxEx::AddStringSW(const std::wstring& text, HBITMAP on, HBITMAP off, int state, int redraw)
{
    const int index = InsertString(GetCount(), text, {}, on, 0, 0, 0, 0);
    if (index < 0) return -1;
    CListBoxItem& item = *m_vecItems[static_cast<std::size_t>(index)];
    item.m_hBitmap2 = off;
    item.m_bSwitch = 1;
    item.m_nSwitchState = state ? 1 : 0;
    SetDisableCtrl(0, redraw);
    return index;
}

int CBmpListBoxEx::GetSwitchState(int index) const
{
    const CListBoxItem* item = GetItem(index);
    return item && item->m_bSwitch ? item->m_nSwitchState : -1;
}

int CBmpListBoxEx::SetSwitchState(int index, int state, int redraw)
{
    if (GetSwitchState(index) < 0) return 0;
    m_vecItems[static_cast<std::size_t>(index)]->m_nSwitchState = state ? 1 : 0;
    if (redraw) Draw();
    return 1;
}

int CBmpListBoxEx::EditString(int index, const std::wstring& text, const std::wstring& text2, HBITMAP bitmap,
                              int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    CListBoxItem& item = *m_vecItems[static_cast<std::size_t>(index)];
    item.m_strText = text;
    item.m_strText2 = text2;
    item.m_hBitmap = bitmap;
    if (redraw) Draw();
    return 1;
}

int CBmpListBoxEx::RemoveAt(int index, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems.erase(m_vecItems.begin() + index);
    UpdatePageCount();
    // The focus keeps its item, or moves to the nearest one left.
    if (m_nFocusItem > index) --m_nFocusItem;
    if (m_nFocusItem >= GetCount()) m_nFocusItem = GetCount() - 1;
    if (m_vecItems.empty()) {
        m_nFocusItem = -1;
        SetDisableCtrl(1, 0);
        return 1;
    }
    if (redraw) Draw();
    return 1;
}

int CBmpListBoxEx::RemoveAll(int redraw)
{
    m_vecItems.clear();
    m_nScroll = 0;
    m_nFocusItem = -1;
    UpdatePageCount();
    SetDisableCtrl(1, redraw);
    return 1;
}

int CBmpListBoxEx::GetSelectItem() const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_vecItems[static_cast<std::size_t>(i)]->m_bCheck == 1) return i;
    return -1;
}

int CBmpListBoxEx::SetSelectItem(int index)
{
    if (index < 0 || index >= GetCount()) return -1;
    const int previous = GetSelectItem();
    if (previous >= 0) m_vecItems[static_cast<std::size_t>(previous)]->m_bCheck = 0;
    m_vecItems[static_cast<std::size_t>(index)]->m_bCheck = 1;
    return previous;
}

int CBmpListBoxEx::SetFocusItem(int index)
{
    const int previous = m_nFocusItem;
    if (m_vecItems.empty()) m_nFocusItem = -1;
    else m_nFocusItem = std::clamp(index, 0, GetCount() - 1);
    return previous;
}

int CBmpListBoxEx::SetCheck(int index, int check)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems[static_cast<std::size_t>(index)]->m_bCheck = check;
    return 1;
}

int CBmpListBoxEx::GetCheck(int index) const
{
    const CListBoxItem* item = GetItem(index);
    return item ? item->m_bCheck : 0;
}

int CBmpListBoxEx::SetRowTextColor(int index, COLORREF colour)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems[static_cast<std::size_t>(index)]->m_clrText = colour;
    return 1;
}

int CBmpListBoxEx::SetScrollPosition(int pos, int redraw)
{
    StopSlide();
    m_nScroll = std::max(pos, 0);
    if (redraw) Draw();
    return 1;
}

int CBmpListBoxEx::SlideMovePage(int pos)
{
    const int from = GetFirstVisibleItem();
    SetScrollPosition(pos, 0);
    const int to = GetFirstVisibleItem();
    // Nothing to slide, or nobody to drive the slide: show the page at once.
    if (to == from || !GetSafeHwnd() || !m_bVisible) {
        Draw();
        return 1;
    }
    m_nSlideFromFirst = from;
    m_nSlideDir = to > from ? 1 : -1;
    m_nSlideStep = 0;
    SetTimer(GetSafeHwnd(), kSlideTimerId, kSlideTickMs);
    Draw();
    return 1;
}

void CBmpListBoxEx::StopSlide()
{
    if (m_nSlideStep < 0) return;
    m_nSlideStep = -1;
    if (GetSafeHwnd()) KillTimer(GetSafeHwnd(), kSlideTimerId);
}

int CBmpListBoxEx::GetFirstVisibleItem() const
{
    return m_nScrollMode == 1 ? m_nScroll : m_nScroll * m_nPageSize;
}

int CBmpListBoxEx::ItemFromPoint(POINT pt) const
{
    if (m_nRowHeight <= 0 || pt.x < m_rcList.left || pt.x >= m_rcList.right || pt.y < m_rcList.top) return -1;
    const int row = (pt.y - m_rcList.top) / m_nRowHeight;
    if (row >= m_nPageSize) return -1;
    const int index = GetFirstVisibleItem() + row;
    return index < GetCount() ? index : -1;
}

void CBmpListBoxEx::SendParent(UINT message, int index)
{
    if (const HWND parent = GetParentWnd())
        SendMessage(parent, message, static_cast<WPARAM>(GetDlgCtrlID(GetSafeHwnd())), static_cast<LPARAM>(index));
}

int CBmpListBoxEx::SelectChange(int index)
{
    if (index < 0 || index >= GetCount()) return -1;
    const int previous = SetSelectItem(index);
    SetFocusItem(index);
    if (!(m_nCtrlStyle & BLS_NO_SELECT_REPAINT)) Draw();
    if (previous >= 0 && previous != index) {
        SendParent(WM_BLIST_UNSELECT, previous);
        SendParent(WM_BLIST_FOCUSOUT, previous);
    }
    SendParent(WM_BLIST_SELECT, index);
    SendParent(WM_BLIST_FOCUSIN, index);
    return previous;
}

int CBmpListBoxEx::LButtonDown(UINT, POINT pt)
{
    if (m_bDisable) return 0;
    // A press lands on the rows as they will be: a running slide ends here.
    if (IsSliding()) {
        StopSlide();
        Draw();
    }
    const int index = ItemFromPoint(pt);
    if (index < 0) return 0;
    SoundPlay();
    CListBoxItem& item = *m_vecItems[static_cast<std::size_t>(index)];
    if (item.m_bSwitch) item.m_nSwitchState = item.m_nSwitchState ? 0 : 1;
    SelectChange(index);
    return 1;
}

int CBmpListBoxEx::KeyInput(UINT key)
{
    const int first = GetFirstVisibleItem();
    switch (key) {
    case VK_RETURN:
        Draw();
        if (m_nFocusItem >= 0) SelectChange(m_nFocusItem);
        return 1;
    case VK_UP:
        if (m_nFocusItem >= 0) SendParent(WM_BLIST_FOCUSOUT, m_nFocusItem);
        // Leaving the top of the shown rows hands the focus on.
        if (m_nFocusItem - 1 < std::max(first, 0)) return 0;
        --m_nFocusItem;
        SendParent(WM_BLIST_FOCUSIN, m_nFocusItem);
        Draw();
        return 1;
    case VK_DOWN:
        if (m_nFocusItem >= 0) SendParent(WM_BLIST_FOCUSOUT, m_nFocusItem);
        if (m_nFocusItem + 1 >= GetCount() || m_nFocusItem + 1 >= first + m_nPageSize) return 0;
        ++m_nFocusItem;
        SendParent(WM_BLIST_FOCUSIN, m_nFocusItem);
        Draw();
        return 1;
    default:
        if (m_nFocusItem >= 0) SendParent(WM_BLIST_FOCUSOUT, m_nFocusItem);
        return 0;
    }
}

int CBmpListBoxEx::FocusChange(int focus, UINT key)
{
    if (focus) {
        const int first = GetFirstVisibleItem();
        const int shown = std::max(std::min(GetCount() - first, m_nPageSize), 0);
        SetFocusItem(key == VK_UP ? first + std::max(shown - 1, 0) : first);
    }
    return CBmpCtrl::FocusChange(focus, key);
}

int CBmpListBoxEx::SetListColor(int index, COLORREF colour)
{
    if (index < 0 || index >= 3) return 0;
    m_clrList[index] = colour;
    return 1;
}

COLORREF CBmpListBoxEx::GetListColor(int index) const
{
    return index >= 0 && index < 3 ? m_clrList[index] : 0;
}

int CBmpListBoxEx::SetTextColor(int index, COLORREF colour)
{
    if (index < 0 || index >= 4) return 0;
    m_clrText[index] = colour;
    return 1;
}

COLORREF CBmpListBoxEx::GetTextColor(int index) const
{
    return index >= 0 && index < 4 ? m_clrText[index] : 0;
}

int CBmpListBoxEx::SetRowImage(int row, UINT normalId, UINT highlightId)
{
    if (row < 0 || row >= kListMaxRowImages) return 0;
    m_nRowImage[row][0] = normalId;
    m_nRowImage[row][1] = highlightId;
    return 1;
}

CZuImage* CBmpListBoxEx::Image(UINT id)
{
    if (!id || !m_pLoader) return nullptr;
    auto& slot = m_mapImages[id];
    if (!slot) slot = std::make_unique<CZuImage>();
    if (!slot->IsLoaded()) slot->Load(m_pLoader, id);
    return slot->IsLoaded() ? slot.get() : nullptr;
}

int CBmpListBoxEx::SetBoldFont(int index, HFONT font, int redraw)
{
    if (index < 0 || index >= GetCount()) return 0;
    m_vecItems[static_cast<std::size_t>(index)]->m_hFont = font;
    if (redraw) Draw();
    return 1;
}

COLORREF CBmpListBoxEx::RowTextColour(const CListBoxItem& item) const
{
    if (m_bDisable) return m_clrText[3];
    if (item.m_bCheck == 1) return m_clrText[1];
    return item.m_clrText != kNoColour ? item.m_clrText : m_clrText[0];
}

void CBmpListBoxEx::DrawRowTexts(HDC dc, const CListBoxItem& item, const RECT& rcRow)
{
    int textLeft = rcRow.left + kTextIndent;
    int textRight = rcRow.right - kTextIndent;
    if (item.m_bSwitch) {
        // The switch picture keeps the row's right end; the text ends before it.
        const HBITMAP shown = item.m_nSwitchState ? item.m_hBitmap : item.m_hBitmap2;
        int h = 0;
        const int w = BitmapSize(shown, &h);
        if (w > 0) {
            CZuImage picture;
            picture.Attach(shown);
            const int left = rcRow.right - kTextIndent - w;
            picture.DrawTransparent(dc, left, rcRow.top + (m_nRowHeight - h) / 2, -1, -1, kSkinKeyColor);
            textRight = left - kTextIndent;
        }
    } else if (item.m_hBitmap) {
        CZuImage icon;
        icon.Attach(item.m_hBitmap);
        const int top = rcRow.top + (m_nRowHeight - static_cast<int>(icon.GetHeight())) / 2;
        icon.DrawTransparent(dc, textLeft, top, -1, -1, kSkinKeyColor);
        textLeft += static_cast<int>(icon.GetWidth()) + kTextIndent;
    }
    const COLORREF colour = RowTextColour(item);
    const HFONT font = item.m_hFont ? item.m_hFont : m_hFont;
    RECT rcText{textLeft, rcRow.top, textRight, rcRow.bottom};
    if (!item.m_strText.empty())
        DrawTextW(GetTextDrawStyle(), DT_LEFT | DT_VCENTER | DT_SINGLELINE, item.m_strText, dc, &rcText, font,
                  colour, 0);
    if (!item.m_strText2.empty())
        DrawTextW(GetTextDrawStyle(), DT_RIGHT | DT_VCENTER | DT_SINGLELINE, item.m_strText2, dc, &rcText, font,
                  colour, 0);
}

int CBmpListBoxEx::DrawColorList(HDC dc, POINT origin)
{
    if (IsSliding()) DrawSlide(dc, origin);
    else DrawColorRows(dc, origin, GetFirstVisibleItem());
    return 1;
}

void CBmpListBoxEx::DrawColorRows(HDC dc, POINT origin, int first)
{
    const int width = m_rcList.right - m_rcList.left;
    FillSolidRect(dc, origin.x + m_rcList.left, origin.y + m_rcList.top, width, m_rcList.bottom - m_rcList.top,
                  m_clrList[0]);
    for (int row = 0; row < m_nPageSize; ++row) {
        const CListBoxItem* item = GetItem(first + row);
        if (!item) break;
        const RECT rcRow{origin.x + m_rcList.left, origin.y + m_rcList.top + row * m_nRowHeight,
                         origin.x + m_rcList.right, origin.y + m_rcList.top + (row + 1) * m_nRowHeight};
        if (item->m_bCheck == 1) FillSolidRect(dc, rcRow.left, rcRow.top, width, m_nRowHeight, m_clrList[1]);
        if (m_bFocus && first + row == m_nFocusItem)
            DrawRect(dc, RECT{rcRow.left, rcRow.top, rcRow.right - 1, rcRow.bottom - 1}, m_clrList[2]);
        DrawRowTexts(dc, *item, rcRow);
    }
}

int CBmpListBoxEx::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    // A skin without a row picture is painted in the list colours.
    if (!Image(m_nRowImage[0][0])) return DrawColorList(dc, origin);
    if (CZuImage* bk = Image(m_nBkId)) bk->Draw(dc, origin.x, origin.y);
    if (IsSliding()) DrawSlide(dc, origin);
    else DrawRows(dc, origin, GetFirstVisibleItem());
    return 1;
}

void CBmpListBoxEx::DrawSlide(HDC dc, POINT origin)
{
    // Both pages are painted into a picture of the list's size over what lies under the list,
    // so the rows moving out of it are cut off at its edges.
    const int w = m_rcList.right - m_rcList.left;
    const int h = m_rcList.bottom - m_rcList.top;
    if (w <= 0 || h <= 0) return;
    if (!m_bmpSlide) m_bmpSlide.reset(CreateCompatibleBitmap(dc, w, h));
    BITMAP bm{};
    if (m_bmpSlide && GetObject(m_bmpSlide.get(), &bm) && (bm.bmWidth != w || bm.bmHeight != h))
        m_bmpSlide.reset(CreateCompatibleBitmap(dc, w, h));
    if (!m_bmpSlide) return;
    UniqueDC mem(CreateCompatibleDC(dc));
    CSelectObject<HBITMAP> sel(mem.get(), m_bmpSlide.get());
    BitBlt(mem.get(), 0, 0, w, h, dc, origin.x + m_rcList.left, origin.y + m_rcList.top, SRCCOPY);
    const int shift = static_cast<int>(kSlideFractions[m_nSlideStep] * h);
    const POINT list{-m_rcList.left, -m_rcList.top};
    const bool bColour = !Image(m_nRowImage[0][0]);
    auto rows = [&](POINT at, int first) {
        if (bColour) DrawColorRows(mem.get(), at, first);
        else DrawRows(mem.get(), at, first);
    };
    rows(POINT{list.x, list.y - m_nSlideDir * shift}, m_nSlideFromFirst);
    rows(POINT{list.x, list.y + m_nSlideDir * (h - shift)}, GetFirstVisibleItem());
    BitBlt(dc, origin.x + m_rcList.left, origin.y + m_rcList.top, w, h, mem.get(), 0, 0, SRCCOPY);
}

void CBmpListBoxEx::DrawRows(HDC dc, POINT origin, int first)
{
    const int width = m_rcList.right - m_rcList.left;
    for (int row = 0; row < m_nPageSize; ++row) {
        const CListBoxItem* item = GetItem(first + row);
        if (!item) break;
        const int x = origin.x + m_rcList.left;
        const int y = origin.y + m_rcList.top + row * m_nRowHeight;
        const UINT* ids = m_nRowImage[std::min(row, kListMaxRowImages - 1)];
        if (item->m_bCheck == 1) {
            if (CZuImage* image = Image(ids[1])) image->Draw(dc, x, y, width, m_nRowHeight);
            else FillSolidRect(dc, x, y, width, m_nRowHeight, m_clrList[1]);
        } else if (CZuImage* image = Image(ids[0])) {
            image->Draw(dc, x, y, width, m_nRowHeight);
        }
        if (m_bFocus && first + row == m_nFocusItem)
            DrawRect(dc, RECT{x, y, x + width - 1, y + m_nRowHeight - 1}, m_clrList[2]);
        DrawRowTexts(dc, *item, RECT{x, y, x + width, y + m_nRowHeight});
    }
}

int CBmpListBoxEx::SoundPlay()
{
    if (!m_bTouchSoundUse || m_strSoundFileTrue.empty()) return 0;
    g_kSndPlEffect.SndPlay(m_strSoundFileTrue.c_str(), nullptr, kSndFileName | kSndAsync);
    return 1;
}

int CBmpListBoxEx::Clean()
{
    StopSlide();
    m_bmpSlide.reset();
    m_mapImages.clear();
    return 1;
}

LRESULT CBmpListBoxEx::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam != kSlideTimerId) break;
        if (m_nSlideStep >= 0 && ++m_nSlideStep >= kSlideSteps) StopSlide();
        Draw();
        return 0;
    case WM_BSCROLL_PAGEUP:
    case WM_BSCROLL_PAGEDOWN: SlideMovePage(static_cast<int>(lParam)); return 0;
    case WM_BSCROLL_CHANGED:
        if (static_cast<int>(lParam) != m_nScroll) SetScrollPosition(static_cast<int>(lParam), 1);
        return 0;
    default: break;
    }
    return CBmpCtrl::OnMessage(message, wParam, lParam);
}

// --- text rows only ---------------------------------------------------------------------------------

CBmpListBox::CBmpListBox() = default;
CBmpListBox::~CBmpListBox() = default;

int CBmpListBox::AddString(const std::wstring& text, int redraw)
{
    return CBmpListBoxEx::AddString(text, {}, nullptr, 0, 0, 0, redraw);
}

int CBmpListBox::setListBoldFont(int row, HFONT font, int redraw)
{
    if (row < 0 || row >= kListMaxRowImages || row >= GetPageSize()) return 0;
    m_hRowFont[row] = font;
    if (redraw) Draw();
    return 1;
}

void CBmpListBox::DrawRowTexts(HDC dc, const CListBoxItem& item, const RECT& rcRow)
{
    const int first = GetFirstVisibleItem();
    CListBoxItem shown = item;
    // Text rows only: icons are dropped, but a switch row's pictures are the switch itself.
    if (!shown.m_bSwitch) shown.m_hBitmap = nullptr;
    shown.m_strText2.clear();
    for (int row = 0; row < GetPageSize() && row < kListMaxRowImages; ++row)
        if (GetItem(first + row) == &item && m_hRowFont[row]) shown.m_hFont = m_hRowFont[row];
    CBmpListBoxEx::DrawRowTexts(dc, shown, rcRow);
}

// --- main and sub text ----------------------------------------------------------------------------

CBmpListBoxEx2::CBmpListBoxEx2() = default;
CBmpListBoxEx2::~CBmpListBoxEx2() = default;

int CBmpListBoxEx2::AddString(const std::wstring& text, const std::wstring& subText, HBITMAP bitmap, int flag,
                              int redraw)
{
    return CBmpListBoxEx::AddString(text, subText, bitmap, flag, 0, 0, redraw);
}

int CBmpListBoxEx2::SetSubText(HFONT font, const RECT& rcInRow, COLORREF normal, COLORREF selected)
{
    m_hSubFont = font;
    m_rcSubText = rcInRow;
    m_clrSubText = normal;
    m_clrSubSelected = selected;
    return 1;
}

void CBmpListBoxEx2::DrawRowTexts(HDC dc, const CListBoxItem& item, const RECT& rcRow)
{
    CListBoxItem main = item;
    main.m_strText2.clear();
    // Without a place of its own the sub text keeps the right end of the row.
    const bool bPlaced = m_rcSubText.right > m_rcSubText.left && m_rcSubText.bottom > m_rcSubText.top;
    RECT rcMain = rcRow;
    if (bPlaced && m_rcSubText.left > 0) rcMain.right = std::min(rcRow.right, rcRow.left + m_rcSubText.left);
    CBmpListBoxEx::DrawRowTexts(dc, main, rcMain);
    if (item.m_strText2.empty()) return;
    RECT rcSub = bPlaced ? RECT{rcRow.left + m_rcSubText.left, rcRow.top + m_rcSubText.top,
                                rcRow.left + m_rcSubText.right, rcRow.top + m_rcSubText.bottom}
                         : RECT{rcRow.left + kTextIndent, rcRow.top, rcRow.right - kTextIndent, rcRow.bottom};
    const UINT format = (bPlaced ? DT_LEFT : DT_RIGHT) | DT_VCENTER | DT_SINGLELINE;
    const COLORREF colour = m_bDisable ? GetTextColor(3) : (item.m_bCheck == 1 ? m_clrSubSelected : m_clrSubText);
    DrawTextW(GetTextDrawStyle(), format, item.m_strText2, dc, &rcSub, m_hSubFont ? m_hSubFont : m_hFont, colour,
              0);
}

} // namespace zent
