#pragma once

// A touch-scrolled vertical list of rows (a bitmap, normal or highlighted, with a text line),
// with optional section headers (splitters) between rows and touch areas inside the rows that
// report a message of their own. Dragging, flinging, overscroll and paging come from
// CBmpTouchView. A tap selects its row. The caller binds the control's window before InitControl.
//
// Messages: received 0x541/0x544 (page up/down, animated), 0x545 (scroll to the row in lParam)
// and 0x546 (answer: how many row heights the splitters before row wParam take); sent to the
// parent 0x521 (item id, index) on a tap, or the touch area's own message when the tap hit one,
// and 0x528 (item id, scroll row) once a scroll has settled. GUI thread only.
//
// CBmpListView3 is the same list with a fuller record: a second text and a value per row, and
// splitters that carry several texts and bitmaps at once.

#include <zent/bctrl/BmpTouchView.h>
#include <zent/bctrl/Export.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace zent {

// A section header shown above an item. Bitmaps are borrowed and must outlive the splitter.
struct ZENT_BCTRL_API CListViewSplitter {
    std::vector<std::wstring> vecTexts;
    std::vector<HBITMAP> vecBitmaps;
};

// One row. Bitmaps are borrowed and must outlive the item.
struct ZENT_BCTRL_API CListViewItem {
    std::wstring strText;
    std::wstring strSubText;
    HBITMAP hNormal = nullptr;
    HBITMAP hHighlighted = nullptr;
    LPARAM lData = 0;
    std::unique_ptr<CListViewSplitter> pSplitter; // the header above this item, if any
};

class ZENT_BCTRL_API CBmpListView : public CBmpTouchView {
public:
    static constexpr int kMaxText = 127;
    static constexpr int kMaxTouchAreas = 4;

    CBmpListView();
    ~CBmpListView() override;

    using CBmpCtrl::InitControl;
    int InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD);

    // Texts are cut to kMaxText characters.
    int AddItem(const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw);
    // index 0..count; 0 outside.
    int InsertItem(int index, const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw);
    int EditItem(int index, const wchar_t* text, HBITMAP normal, HBITMAP highlighted, int redraw);
    // Deleting an item deletes the splitter above it.
    int RemoveAt(int index, int redraw);
    int RemoveAll(int redraw);
    int GetCount() const { return static_cast<int>(m_vecItems.size()); }
    int GetItemCount() const { return GetCount(); }
    const CListViewItem* GetListItem(int index) const;
    const wchar_t* GetItemText(int index) const;
    int SetItemText(int index, const wchar_t* text, int redraw);

    // A header before item index (index may equal the count: the header waits for the next
    // appended item). 0 when the index is out of range or already has one.
    int AddSplitter(UINT index, const wchar_t* text, HBITMAP bitmap, int redraw);
    int EditSplitter(UINT index, const wchar_t* text, HBITMAP bitmap, int redraw);
    int RemoveSplitter(UINT index, int redraw);
    int GetSplitterCount() const;
    const CListViewSplitter* GetSplitter(UINT index) const;
    // height <= 0 keeps the row height; the font is the caller's to keep alive (null: the view's).
    int SetSplitterOption(int height, HFONT font, COLORREF text, COLORREF back);
    int GetSplitterHeight() const { return m_nSplitterHeight > 0 ? m_nSplitterHeight : m_nRowHeight; }

    // Touch area 'area' (0..3) covers rcInRow of every row; a tap inside sends message (0 turns
    // the area off) with the item index instead of 0x521.
    int SetImageOption(int area, const RECT& rcInRow, UINT message);
    // Widens an area's hit box by margins on each side, for small images under a finger.
    int ExtendTouchImgArea(int area, int left, int top, int right, int bottom);

    int SetSelectItem(int index, int redraw);
    int GetSelectItem() const { return m_nSelect; }
    int SetFocusItem(int index, int redraw);
    int GetFocusItem() const { return m_nFocusItem; }
    int SetTextColor(COLORREF normal, COLORREF selected);

    // The item under a content y coordinate, walking the items and splitters in order, or -1
    // (also on a splitter). *splitters gets the splitters above that point, *rowTop the item's top.
    int GetListItemFromPos(int y, int* splitters, int* rowTop) const;
    // The content top of an item's row, or -1.
    int GetItemTop(int index) const;
    int GetRowHeight() const { return m_nRowHeight; }
    // Row heights the splitters before row 'row' take, rounded up (for CBmpScrollEx).
    int GetExtraRows(int row) const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int ContentExtent() const override;
    int RowExtent() const override { return m_nRowHeight; }
    int HitTest(POINT content, UINT* message) const override;
    void OnTap(int item, UINT message) override;
    void DrawContent(HDC dc, int offset) override;

    // One row at top (view coordinates) and one splitter band.
    virtual void DrawRow(HDC dc, int index, const CListViewItem& item, const RECT& rcRow);
    virtual void DrawSplitter(HDC dc, const CListViewSplitter& splitter, const RECT& rcBand);

    int InsertRecord(int index, std::unique_ptr<CListViewItem> item, int redraw);
    CListViewItem* Item(int index);
    // The splitter slot before item index (index == count: the trailing one), or null.
    std::unique_ptr<CListViewSplitter>* SplitterSlot(UINT index);
    const std::unique_ptr<CListViewSplitter>* SplitterSlot(UINT index) const;
    // After any change of rows or splitters.
    void Relayout(int redraw);

    static std::wstring CutText(const wchar_t* text);

    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextSelected = 0xFFFFFF;
    COLORREF m_clrHighlight = 0x8C5A1E;
    COLORREF m_clrSplitterText = 0xFFFFFF;
    COLORREF m_clrSplitterBack = 0x404040;
    HFONT m_hSplitterFont = nullptr; // not owned

private:
    struct STouchArea {
        RECT rcImage{};
        RECT rcHit{};
        UINT nMessage = 0;
    };

    std::vector<std::unique_ptr<CListViewItem>> m_vecItems;
    std::unique_ptr<CListViewSplitter> m_pTailSplitter;
    std::vector<int> m_vecTops; // content top of each row
    int m_nContentExtent = 0;
    int m_nRowHeight = 1;
    int m_nSplitterHeight = 0;
    int m_nSelect = -1;
    int m_nFocusItem = -1;
    std::array<STouchArea, kMaxTouchAreas> m_kAreas{};
};

class ZENT_BCTRL_API CBmpListView3 : public CBmpListView {
public:
    CBmpListView3();
    ~CBmpListView3() override;

    using CBmpListView::AddItem;
    using CBmpListView::AddSplitter;
    using CBmpListView::EditSplitter;
    using CBmpListView::InsertItem;
    int AddItem(const wchar_t* text, const wchar_t* subText, HBITMAP normal, HBITMAP highlighted, LPARAM data,
                int redraw);
    int InsertItem(int index, const wchar_t* text, const wchar_t* subText, HBITMAP normal, HBITMAP highlighted,
                   LPARAM data, int redraw);
    LPARAM GetItemData(int index) const;
    // A header of several texts (laid side by side) and bitmaps (drawn one after another from the
    // left) at once.
    int AddSplitter(UINT index, const std::vector<std::wstring>& texts, const std::vector<HBITMAP>& bitmaps,
                    int redraw);
    int EditSplitter(UINT index, const std::vector<std::wstring>& texts, const std::vector<HBITMAP>& bitmaps,
                     int redraw);
    // 1: dragging does not scroll (a short, fixed list); taps and paging still work.
    int SetScrollModeOff(int off);
    int SetSubTextColor(COLORREF colour);

protected:
    void DrawRow(HDC dc, int index, const CListViewItem& item, const RECT& rcRow) override;

private:
    COLORREF m_clrSubText = 0xB0B0B0;
};

} // namespace zent
