#pragma once

// The column header of the skinned video list: the columns (caption, width, alignment) and the
// header bar drawn from its skin picture with the captions over it. It is part of the list's own
// picture, not a window of its own, so the list paints header and rows in one pass.

#include <zent/platform/Gdi.h>
#include <zent/util/ZuImage.h>

#include <string>
#include <vector>

namespace zent {
class QLBMLoader;
}

// Column formats, with their Win32 values.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

class CSkinHeaderCtrl {
public:
    struct Column {
        std::wstring strCaption;
        int nWidth = 0;
        int nFormat = LVCFMT_CENTER;
    };

    // Ground of the bar when the skin has no picture for it, and the colour of the captions.
    static constexpr zent::COLORREF kFallbackColour = 0x362A22;
    static constexpr zent::COLORREF kCaptionColour = 0xDEDEDE;
    static constexpr int kDefaultHeight = 24;

    CSkinHeaderCtrl() = default;
    CSkinHeaderCtrl(const CSkinHeaderCtrl&) = delete;
    CSkinHeaderCtrl& operator=(const CSkinHeaderCtrl&) = delete;

    // The bar's picture; its height becomes the header's height. Id 0 or a missing picture keeps
    // the plain bar of kDefaultHeight.
    void SetImage(zent::QLBMLoader* loader, zent::UINT id);
    int GetHeight() const;

    // Inserts before index (at the end when index is past it); returns the new column's index.
    int InsertColumn(int index, const std::wstring& caption, int width, int format);
    void DeleteAllColumns() { m_vecColumns.clear(); }
    int GetColumnCount() const { return static_cast<int>(m_vecColumns.size()); }
    const Column* GetColumn(int index) const;
    // False for a column that does not exist; a negative width counts as 0.
    bool SetColumnWidth(int index, int width);
    // Left edge of a column in the list's client coordinates (columns follow each other from 0).
    int GetColumnLeft(int index) const;
    // Text format bits of a column's cells (alignment, one line, vertically centred, ellipsis).
    zent::UINT GetCellFormat(int index) const;

    // Draws the bar over rc (the list's width, the header's height) with the captions.
    void Draw(zent::HDC dc, const zent::RECT& rc, zent::HFONT font);

private:
    std::vector<Column> m_vecColumns;
    zent::CZuImage m_kImage;
};
