#include "widgets/SkinHeaderCtrl.h"

#include <zent/util/QLBMLoader.h>

#include <algorithm>

using namespace zent;

void CSkinHeaderCtrl::SetImage(QLBMLoader* loader, UINT id)
{
    m_kImage.Unload();
    if (loader && id) m_kImage.Load(loader, id);
}

int CSkinHeaderCtrl::GetHeight() const
{
    return m_kImage.IsLoaded() ? static_cast<int>(m_kImage.GetHeight()) : kDefaultHeight;
}

int CSkinHeaderCtrl::InsertColumn(int index, const std::wstring& caption, int width, int format)
{
    const int count = GetColumnCount();
    if (index < 0 || index > count) index = count;
    m_vecColumns.insert(m_vecColumns.begin() + index, Column{caption, std::max(width, 0), format});
    return index;
}

const CSkinHeaderCtrl::Column* CSkinHeaderCtrl::GetColumn(int index) const
{
    if (index < 0 || index >= GetColumnCount()) return nullptr;
    return &m_vecColumns[static_cast<std::size_t>(index)];
}

bool CSkinHeaderCtrl::SetColumnWidth(int index, int width)
{
    if (index < 0 || index >= GetColumnCount()) return false;
    m_vecColumns[static_cast<std::size_t>(index)].nWidth = std::max(width, 0);
    return true;
}

int CSkinHeaderCtrl::GetColumnLeft(int index) const
{
    int x = 0;
    for (int i = 0; i < index && i < GetColumnCount(); ++i) x += m_vecColumns[static_cast<std::size_t>(i)].nWidth;
    return x;
}

UINT CSkinHeaderCtrl::GetCellFormat(int index) const
{
    UINT align = DT_CENTER;
    if (const Column* col = GetColumn(index)) {
        if (col->nFormat == LVCFMT_LEFT) align = DT_LEFT;
        else if (col->nFormat == LVCFMT_RIGHT) align = DT_RIGHT;
    }
    return align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
}

void CSkinHeaderCtrl::Draw(HDC dc, const RECT& rc, HFONT font)
{
    if (m_kImage.IsLoaded()) {
        // The picture is made for the list's width; another width stretches it rather than
        // leaving a gap at the right.
        m_kImage.Draw(dc, rc.left, rc.top, rc.Width(), rc.Height());
    } else {
        FillSolidRect(dc, &rc, kFallbackColour);
    }
    CSelectObject<HFONT> sel(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, kCaptionColour);
    int x = rc.left;
    for (int i = 0; i < GetColumnCount(); ++i) {
        const Column& col = m_vecColumns[static_cast<std::size_t>(i)];
        if (col.nWidth > 0 && !col.strCaption.empty()) {
            RECT cell{x + 2, rc.top, x + col.nWidth - 2, rc.bottom};
            DrawText(dc, col.strCaption, &cell, GetCellFormat(i));
        }
        x += col.nWidth;
    }
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}
