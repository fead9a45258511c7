#include "widgets/SkinListCtrl.h"

#include "diag/Trace.h"
#include "locale/AppFont.h"
#include "widgets/MemDC2.h"
#include "widgets/SkinLoader.h"

#include <zent/bctrl/BCtrlMessages.h>
#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Text.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>

using namespace zent;

namespace {
// The list's font when the owner gives it none (the interface face of the language).
constexpr int kFontHeight = 13;
constexpr int kCellPadding = 2;
} // namespace

CSkinListCtrl::CSkinListCtrl() = default;

CSkinListCtrl::~CSkinListCtrl()
{
    // The scroll bar reaches back into this object; it goes first. The list's window is destroyed
    // here so that its WM_DESTROY still reaches this class.
    m_pScrollbar.reset();
    DestroyWindow();
}

// --- creation and layout -----------------------------------------------------------------------

BOOL CSkinListCtrl::Create(const RECT& rc, HWND hwndParent, UINT nID)
{
    m_rcCtrl = rc;
    if (!CreateEx(0, L"SysListView32", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rc, hwndParent, nID)) return FALSE;
    // The bitmap dialog would otherwise paint its background over the list.
    SendMessage(hwndParent, WM_BCTRL_SELFDRAW, reinterpret_cast<WPARAM>(GetSafeHwnd()), 0);
    return TRUE;
}

void CSkinListCtrl::SetSkinImages(QLBMLoader* loader, UINT headerId, UINT trackId, UINT thumbId)
{
    m_pLoader = loader;
    m_nHeaderImageId = headerId;
    m_nTrackImageId = trackId;
    m_nThumbImageId = thumbId;
}

void CSkinListCtrl::Initialise()
{
    m_dwExStyle |= LVS_EX_FULLROWSELECT;
    m_clrBackground = kBackground;
    m_clrText = kText;
    QLBMLoader* loader = m_pLoader ? m_pLoader : GetSkinLoader();
    m_kHeader.SetImage(loader, m_nHeaderImageId);
    if (!m_pScrollbar && GetSafeHwnd()) {
        auto bar = std::make_unique<CSkinVScrollbar>();
        bar->SetImages(loader, m_nTrackImageId, m_nThumbImageId);
        m_pScrollbar = std::move(bar);
        const HWND hwndParent = GetParent(GetSafeHwnd());
        if (m_pScrollbar->Create(this, hwndParent, GetScrollbarRect()))
            SendMessage(hwndParent, WM_BCTRL_SELFDRAW, reinterpret_cast<WPARAM>(m_pScrollbar->GetSafeHwnd()), 0);
    }
    SetControlPos(m_rcCtrl);
}

int CSkinListCtrl::SetColumnOption(int index, const std::wstring& caption, UINT imageId)
{
    RECT rc{};
    QLBMLoader* loader = m_pLoader ? m_pLoader : GetSkinLoader();
    if (imageId && loader) loader->GetRect(static_cast<int>(imageId), &rc);
    const int width = imageId ? static_cast<int>(rc.Width()) : 0;
    const int column = m_kHeader.InsertColumn(index, caption, width, LVCFMT_CENTER);
    // Texts of the rows move right with the columns after the new one, as sub-items do.
    for (Row& row : m_vecRows)
        if (static_cast<int>(row.vecTexts.size()) > column) row.vecTexts.insert(row.vecTexts.begin() + column, L"");
    TraceA("##### SetColumnOption(%d, %s, %d, %d, %d, [%d, %d, %d, %d]", index, WideToUtf8(caption).c_str(),
           static_cast<int>(imageId), width, LVCFMT_CENTER, rc.left, rc.top, rc.right, rc.bottom);
    InvalidateAll();
    return column;
}

bool CSkinListCtrl::SetColumnWidth(int column, int width)
{
    if (!m_kHeader.SetColumnWidth(column, width)) return false;
    InvalidateAll();
    return true;
}

RECT CSkinListCtrl::GetScrollbarRect() const
{
    const int width = m_pScrollbar ? m_pScrollbar->GetPreferredWidth() : CSkinVScrollbar::kDefaultWidth;
    const int top = std::min<int>(m_rcCtrl.top + GetHeaderHeight(), m_rcCtrl.bottom);
    return RECT{m_rcCtrl.right - width, top, m_rcCtrl.right, m_rcCtrl.bottom};
}

void CSkinListCtrl::SetControlPos(const RECT& rc)
{
    m_rcCtrl = rc;
    TraceA("##### %s() - %d %d %d %d", "CSkinListCtrl::SetControlPos", rc.left, rc.top, rc.right, rc.bottom);
    if (GetSafeHwnd()) MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
    if (m_pScrollbar && m_pScrollbar->GetSafeHwnd()) {
        const RECT bar = GetScrollbarRect();
        MoveWindow(m_pScrollbar->GetSafeHwnd(), bar.left, bar.top, bar.Width(), bar.Height(), TRUE);
    }
    SetTopIndex(m_nTopIndex);
    UpdateScrollbar();
    InvalidateAll();
}

int CSkinListCtrl::GetListHeight() const
{
    if (GetSafeHwnd()) {
        RECT rc{};
        GetClientRect(GetSafeHwnd(), &rc);
        return rc.Height();
    }
    return m_rcCtrl.Height();
}

int CSkinListCtrl::GetCountPerPage() const
{
    return std::max(0, (GetListHeight() - GetHeaderHeight()) / kRowHeight);
}

int CSkinListCtrl::GetScrollLimit() const
{
    return std::max(0, GetItemCount() - GetCountPerPage());
}

bool CSkinListCtrl::IsScrollbarVisible() const
{
    return m_pScrollbar && m_pScrollbar->GetSafeHwnd() &&
           (GetWindowLong(m_pScrollbar->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void CSkinListCtrl::UpdateScrollbar()
{
    if (!m_bRedraw || !m_pScrollbar || !m_pScrollbar->GetSafeHwnd()) return;
    const HWND hwndBar = m_pScrollbar->GetSafeHwnd();
    const bool bNeeded = GetItemCount() > GetCountPerPage();
    if (bNeeded != IsScrollbarVisible()) {
        ShowWindow(hwndBar, bNeeded ? SW_SHOWNA : SW_HIDE);
        if (!bNeeded) {
            const RECT rc = GetScrollbarRect();
            TraceA("##### HideScrollbar() - %d, %d, %d, %d", rc.left, rc.top, rc.right, rc.bottom);
            // The rows reach under the bar's place; they show again.
            InvalidateAll();
        }
    }
    m_pScrollbar->SyncThumb();
}

// --- rows ----------------------------------------------------------------------------------------

void CSkinListCtrl::SetItemCount(int count)
{
    if (count > 0) m_vecRows.reserve(static_cast<std::size_t>(count));
}

void CSkinListCtrl::ShiftRowIndices(int row, int delta)
{
    // Inserting (delta +1) moves every index at or after row down; deleting row (delta -1)
    // forgets it and moves the ones after it up.
    for (int* index : {&m_nCurrentItem, &m_nSelectedItem, &m_nFocusItem, &m_nSelectionMark}) {
        if (*index < 0) continue;
        if (delta > 0 && *index >= row) *index += 1;
        else if (delta < 0 && *index == row) *index = -1;
        else if (delta < 0 && *index > row) *index -= 1;
    }
}

int CSkinListCtrl::InsertItem(int index, const std::wstring& itemRecord)
{
    const int count = GetItemCount();
    if (index < 0 || index > count) index = count;
    Row row;
    row.pRecord = std::make_unique<std::wstring>(itemRecord);
    row.vecTexts.resize(static_cast<std::size_t>(GetColumnCount()));
    m_vecRows.insert(m_vecRows.begin() + index, std::move(row));
    ShiftRowIndices(index, +1);
    if (m_bRedraw) {
        // Rows from the new one down move; nothing to show when they are all below the page.
        if (index <= m_nTopIndex + GetCountPerPage()) InvalidateAll();
        UpdateScrollbar();
    }
    return index;
}

void CSkinListCtrl::SetItemText(int row, int column, const std::wstring& text)
{
    if (!IsValidRow(row) || column < 0) return;
    auto& texts = m_vecRows[static_cast<std::size_t>(row)].vecTexts;
    if (column >= static_cast<int>(texts.size())) texts.resize(static_cast<std::size_t>(column) + 1);
    texts[static_cast<std::size_t>(column)] = text;
    InvalidateRow(row);
}

std::wstring CSkinListCtrl::GetItemText(int row, int column) const
{
    if (!IsValidRow(row) || column < 0) return {};
    const auto& texts = m_vecRows[static_cast<std::size_t>(row)].vecTexts;
    return column < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(column)] : std::wstring();
}

const std::wstring* CSkinListCtrl::GetItemData(int row) const
{
    return IsValidRow(row) ? m_vecRows[static_cast<std::size_t>(row)].pRecord.get() : nullptr;
}

bool CSkinListCtrl::DeleteItem(int row)
{
    if (!IsValidRow(row)) return false;
    m_vecRows.erase(m_vecRows.begin() + row);
    ShiftRowIndices(row, -1);
    m_nTopIndex = std::min(m_nTopIndex, GetScrollLimit());
    InvalidateAll();
    UpdateScrollbar();
    return true;
}

void CSkinListCtrl::DeleteAllItems()
{
    const bool bWasOn = m_bRedraw;
    SetRedraw(false);
    // Last to first, as the rows would be taken down one by one; each row's record goes with it.
    while (!m_vecRows.empty()) m_vecRows.pop_back();
    m_nCurrentItem = -1;
    m_nSelectedItem = -1;
    m_nFocusItem = -1;
    m_nSelectionMark = -1;
    m_nTopIndex = 0;
    SetRedraw(bWasOn);
}

void CSkinListCtrl::SetRedraw(bool on)
{
    m_bRedraw = on;
    if (!on) return;
    SetTopIndex(m_nTopIndex);
    InvalidateAll();
    UpdateScrollbar();
}

// --- states --------------------------------------------------------------------------------------

void CSkinListCtrl::ClearSelection()
{
    InvalidateRow(m_nSelectedItem);
    InvalidateRow(m_nCurrentItem);
    m_nSelectedItem = -1;
    m_nCurrentItem = -1;
}

void CSkinListCtrl::SetCurrentItem(int row)
{
    if (!IsValidRow(row)) row = -1;
    if (row == m_nCurrentItem) return;
    InvalidateRow(m_nCurrentItem);
    m_nCurrentItem = row;
    InvalidateRow(row);
}

void CSkinListCtrl::SetItemSelected(int row, bool select)
{
    if (!IsValidRow(row)) return;
    if (select) {
        InvalidateRow(m_nSelectedItem);
        m_nSelectedItem = row;
        InvalidateRow(row);
    } else if (m_nSelectedItem == row) {
        m_nSelectedItem = -1;
        InvalidateRow(row);
    }
}

int CSkinListCtrl::GetSelectedItem() const
{
    return m_nSelectedItem;
}

int CSkinListCtrl::GetSelectedCount() const
{
    return m_nSelectedItem >= 0 ? 1 : 0;
}

bool CSkinListCtrl::IsItemSelected(int row) const
{
    return row >= 0 && row == m_nSelectedItem;
}

void CSkinListCtrl::SetSelectionMark(int row)
{
    m_nSelectionMark = IsValidRow(row) ? row : -1;
}

void CSkinListCtrl::SetFocusItem(int row)
{
    if (!IsValidRow(row)) row = -1;
    if (row == m_nFocusItem) return;
    InvalidateRow(m_nFocusItem);
    m_nFocusItem = row;
    InvalidateRow(row);
}

void CSkinListCtrl::SelectOnly(int row)
{
    SetItemSelected(row, true);
    SetFocusItem(row);
    SetSelectionMark(row);
}

// --- scrolling -----------------------------------------------------------------------------------

void CSkinListCtrl::SetTopIndex(int top)
{
    top = std::clamp(top, 0, GetScrollLimit());
    if (top == m_nTopIndex) return;
    m_nTopIndex = top;
    InvalidateAll();
    UpdateScrollbar();
}

bool CSkinListCtrl::Scroll(int rows)
{
    SetTopIndex(m_nTopIndex + rows);
    return true;
}

bool CSkinListCtrl::EnsureVisible(int row)
{
    if (!IsValidRow(row)) return false;
    const int perPage = std::max(1, GetCountPerPage());
    if (row < m_nTopIndex) SetTopIndex(row);
    else if (row >= m_nTopIndex + perPage) SetTopIndex(row - perPage + 1);
    return true;
}

void CSkinListCtrl::OnVScroll(int code, int pos)
{
    const int page = std::max(1, GetCountPerPage());
    switch (code) {
    case SB_LINEUP: Scroll(-1); break;
    case SB_LINEDOWN: Scroll(1); break;
    case SB_PAGEUP: Scroll(-page); break;
    case SB_PAGEDOWN: Scroll(page); break;
    case SB_TOP: SetTopIndex(0); break;
    case SB_BOTTOM: SetTopIndex(GetScrollLimit()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetTopIndex(pos); break;
    default: break;
    }
    if (m_pScrollbar && m_bRedraw) m_pScrollbar->SyncThumb();
}

void CSkinListCtrl::OnWheel(int delta)
{
    // Fine-grained wheels send parts of a notch; they add up to whole notches.
    m_nWheelRemainder += delta;
    const int notches = m_nWheelRemainder / WHEEL_DELTA;
    m_nWheelRemainder -= notches * WHEEL_DELTA;
    if (notches) Scroll(-notches * kWheelRows);
}

// --- input ---------------------------------------------------------------------------------------

int CSkinListCtrl::HitTest(POINT pt) const
{
    RECT client{0, 0, m_rcCtrl.Width(), GetListHeight()};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &client);
    if (!client.Contains(pt) || pt.y < GetHeaderHeight()) return -1;
    const int row = m_nTopIndex + (pt.y - GetHeaderHeight()) / kRowHeight;
    return IsValidRow(row) ? row : -1;
}

void CSkinListCtrl::NotifyParent(NMHDR& hdr, int code)
{
    const HWND hwnd = GetSafeHwnd();
    if (!hwnd) return;
    hdr.hwndFrom = hwnd;
    hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    hdr.code = code;
    SendMessage(GetParent(hwnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

void CSkinListCtrl::OnButtonDown(POINT pt, bool bDouble)
{
    SetFocus(GetSafeHwnd());
    if (pt.y < GetHeaderHeight()) return;
    const int row = HitTest(pt);
    if (row >= 0) SelectOnly(row);
    if (bDouble) {
        NMITEMACTIVATE nm;
        nm.iItem = row;
        nm.ptAction = pt;
        NotifyParent(nm.hdr, NM_DBLCLK);
    }
}

void CSkinListCtrl::MoveFocusTo(int row)
{
    if (m_vecRows.empty()) return;
    row = std::clamp(row, 0, GetItemCount() - 1);
    SelectOnly(row);
    EnsureVisible(row);
}

void CSkinListCtrl::MoveFocusBy(int delta)
{
    MoveFocusTo(m_nFocusItem < 0 ? 0 : m_nFocusItem + delta);
}

void CSkinListCtrl::OnKeyDown(UINT key)
{
    // The parent hears of the key first, as a list view tells it.
    NMLVKEYDOWN nm;
    nm.wVKey = static_cast<WORD>(key);
    NotifyParent(nm.hdr, LVN_KEYDOWN);
    const int page = std::max(1, GetCountPerPage());
    switch (key) {
    case VK_UP: MoveFocusBy(-1); break;
    case VK_DOWN: MoveFocusBy(1); break;
    case VK_PRIOR: MoveFocusBy(-page); break;
    case VK_NEXT: MoveFocusBy(page); break;
    case VK_HOME: MoveFocusTo(0); break;
    case VK_END: MoveFocusTo(GetItemCount() - 1); break;
    default: break;
    }
}

// --- painting ------------------------------------------------------------------------------------

void CSkinListCtrl::InvalidateAll()
{
    if (m_bRedraw && GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, FALSE);
}

RECT CSkinListCtrl::GetRowRect(int row) const
{
    RECT client{0, 0, m_rcCtrl.Width(), GetListHeight()};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &client);
    const int top = GetHeaderHeight() + (row - m_nTopIndex) * kRowHeight;
    return RECT{0, top, client.right, top + kRowHeight};
}

void CSkinListCtrl::InvalidateRow(int row)
{
    if (!m_bRedraw || !GetSafeHwnd() || !IsValidRow(row) || row < m_nTopIndex) return;
    const RECT rc = GetRowRect(row);
    if (rc.top >= GetListHeight()) return;
    InvalidateRect(GetSafeHwnd(), &rc, FALSE);
}

void CSkinListCtrl::EnsureFont()
{
    // Taken at the first paint rather than at construction, when the interface language is set.
    if (!m_hFont) m_hFont = GetAppFont(kFontHeight, 0, 0, 0, L"");
}

void CSkinListCtrl::DrawRow(HDC dc, int row)
{
    const RECT rc = GetRowRect(row);
    const bool bSelected = row == m_nSelectedItem;
    COLORREF text = m_clrText;
    if (row == m_nCurrentItem) {
        TraceA("##### %s(#1) - GetSelectedItemIndex():%d, m_nCurrentItemIdx:%d,  iRow:%d, IsRowHighlighted:%d",
               "CSkinListCtrl::OnCustomDraw", m_nSelectedItem, m_nCurrentItem, row, bSelected ? 1 : 0);
        FillSolidRect(dc, &rc, kPlayingBackground);
        text = kHighlightText;
    } else if (row == m_nFocusItem || bSelected) {
        TraceA("##### %s(#2) - GetSelectedItemIndex():%d, m_nCurrentItemIdx:%d,  iRow:%d, IsRowHighlighted:%d",
               "CSkinListCtrl::OnCustomDraw", m_nSelectedItem, m_nCurrentItem, row, bSelected ? 1 : 0);
        FillSolidRect(dc, &rc, kFocusBackground);
        text = kHighlightText;
    }
    SetTextColor(dc, text);
    const auto& texts = m_vecRows[static_cast<std::size_t>(row)].vecTexts;
    int x = 0;
    for (int col = 0; col < GetColumnCount(); ++col) {
        const int width = m_kHeader.GetColumn(col)->nWidth;
        if (width > 0) {
            const bool bHasText = col < static_cast<int>(texts.size()) && !texts[static_cast<std::size_t>(col)].empty();
            RECT cell{x + kCellPadding, rc.top, x + width - kCellPadding, rc.bottom};
            DrawText(dc, bHasText ? std::wstring_view(texts[static_cast<std::size_t>(col)]) : kEmptyCellText, &cell,
                     m_kHeader.GetCellFormat(col));
        }
        x += width;
    }
}

void CSkinListCtrl::OnPaint()
{
    const HWND hwnd = GetSafeHwnd();
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    const RECT paint{std::max(ps.rcPaint.left, client.left), std::max(ps.rcPaint.top, client.top),
                     std::min(ps.rcPaint.right, client.right), std::min(ps.rcPaint.bottom, client.bottom)};
    if (!dc || paint.IsEmpty()) {
        EndPaint(hwnd, &ps);
        return;
    }
    EnsureFont();
    {
        CMemDC2 mem(dc, paint);
        if (mem.IsValid()) {
            FillSolidRect(mem, &paint, m_clrBackground);
            const int headerHeight = GetHeaderHeight();
            if (paint.top < headerHeight) m_kHeader.Draw(mem, RECT{0, 0, client.right, headerHeight}, m_hFont);
            CSelectObject<HFONT> font(mem, m_hFont);
            SetBkMode(mem, TRANSPARENT);
            // Only the rows that meet the part being painted.
            const int first = m_nTopIndex + std::max(0, static_cast<int>(paint.top) - headerHeight) / kRowHeight;
            const int last = m_nTopIndex + std::max(0, static_cast<int>(paint.bottom) - 1 - headerHeight) / kRowHeight;
            for (int row = first; row <= last && row < GetItemCount(); ++row) DrawRow(mem, row);
        }
    }
    EndPaint(hwnd, &ps);
}

LRESULT CSkinListCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: OnButtonDown(MakePoint(lParam), false); return 0;
    case WM_LBUTTONDBLCLK: OnButtonDown(MakePoint(lParam), true); return 0;
    case WM_MOUSEWHEEL: OnWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_SETREDRAW: SetRedraw(wParam != 0); return 0;
    case WM_SETFONT:
        m_hFont = reinterpret_cast<HFONT>(wParam);
        if (lParam) InvalidateAll();
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_hFont);
    case WM_SIZE:
        SetTopIndex(m_nTopIndex);
        UpdateScrollbar();
        InvalidateAll();
        return 0;
    default: return CWnd::OnMessage(message, wParam, lParam);
    }
}
