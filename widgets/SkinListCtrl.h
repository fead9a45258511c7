#pragma once

// The skinned video list of the player window: a report-style list (a header row, then one row
// per recording) drawn entirely by itself in the skin's flat colours, with the playing row and
// the focused row highlighted and a skinned scroll bar laid over its right edge.
//
// It is a self-drawn child window of its bitmap dialog (the dialog is told to leave its area
// alone) and takes mouse, wheel and key messages directly. It reports to its parent with the
// Win32 list-view notifications (WM_NOTIFY) the player window is written against. GUI thread only.

#include "widgets/SkinHeaderCtrl.h"
#include "widgets/SkinVScrollbar.h"

#include <zent/platform/Window.h>

#include <memory>
#include <string>
#include <vector>

namespace zent {
class QLBMLoader;
}

// --- notifications (Win32 shapes and values) --------------------------------------------------

struct NMHDR {
    zent::HWND hwndFrom = nullptr;
    zent::UINT_PTR idFrom = 0;
    int code = 0;
};

struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    zent::UINT uNewState = 0;
    zent::UINT uOldState = 0;
    zent::UINT uChanged = 0;
    zent::POINT ptAction{};
    zent::LPARAM lParam = 0;
    zent::UINT uKeyFlags = 0;
};

struct NMLVKEYDOWN {
    NMHDR hdr;
    zent::WORD wVKey = 0;
    zent::UINT flags = 0;
};

constexpr int NM_DBLCLK = -3;
constexpr int LVN_KEYDOWN = -155;

// Item states and the full-row-select extended style, with their Win32 values.
constexpr zent::UINT LVIS_FOCUSED = 0x0001;
constexpr zent::UINT LVIS_SELECTED = 0x0002;
constexpr zent::DWORD LVS_EX_FULLROWSELECT = 0x00000020;

// --- the control ----------------------------------------------------------------------------------

class CSkinListCtrl : public zent::CWnd {
public:
    // Colours (0x00BBGGRR).
    static constexpr zent::COLORREF kBackground = 0x76554C;
    static constexpr zent::COLORREF kText = 0xDEDEDE;
    static constexpr zent::COLORREF kHighlightText = 0xE5E5E5;
    static constexpr zent::COLORREF kPlayingBackground = 0x0F4786;
    static constexpr zent::COLORREF kFocusBackground = 0x363636;
    // Text of a column that has no value.
    static constexpr const wchar_t* kEmptyCellText = L"-";
    static constexpr int kRowHeight = 20;
    static constexpr int kWheelRows = 3;
    // Skin pictures of the player window's list, used unless SetSkinImages says otherwise.
    static constexpr zent::UINT kHeaderImageId = 118;
    static constexpr zent::UINT kTrackImageId = 123;
    static constexpr zent::UINT kThumbImageId = 124;

    CSkinListCtrl();
    ~CSkinListCtrl() override;

    // A child window of the dialog at rc (the dialog's client coordinates), excluded from the
    // dialog's own painting.
    zent::BOOL Create(const zent::RECT& rc, zent::HWND hwndParent, zent::UINT nID);
    // Where the header and scroll-bar pictures come from; call before Initialise. By default the
    // program's loader (GetSkinLoader) and the player window's ids.
    void SetSkinImages(zent::QLBMLoader* loader, zent::UINT headerId, zent::UINT trackId, zent::UINT thumbId);
    // Full-row selection, the list colours, the scroll bar (a sibling window) and the placement
    // of both at the control's rectangle.
    void Initialise();
    // A centred column whose width is the width of the skin rectangle of imageId (0 for id 0).
    // Returns the column's index.
    int SetColumnOption(int index, const std::wstring& caption, zent::UINT imageId);
    // A column's width in pixels (0 hides it); false for a column that does not exist.
    bool SetColumnWidth(int column, int width);
    void SetControlPos(const zent::RECT& rc);

    // No row selected and no playing row.
    void ClearSelection();
    // Every row and its record go; no playing, focused or marked row remains.
    void DeleteAllItems();
    // Prepares room for count rows, so that a large fill does not grow the table step by step.
    void SetItemCount(int count);
    // A row holding itemRecord (the recording's record: its first "*"-separated piece is the
    // path); index at or past the end appends. Returns the row.
    int InsertItem(int index, const std::wstring& itemRecord);
    // A row for a recording: the date and time texts taken from its file name (empty when the
    // name does not have the camera's shape), then texts, in the columns from the first one that
    // has a width (a zero-width first column stays empty). Returns the row. Needs the recording
    // layer (torvix_recording) at link time.
    int InsertRecordingRow(const std::wstring& itemRecord, const std::vector<std::wstring>& texts);
    void SetItemText(int row, int column, const std::wstring& text);
    std::wstring GetItemText(int row, int column) const;
    // The row's record, valid until the row is deleted; null for no such row.
    const std::wstring* GetItemData(int row) const;
    bool DeleteItem(int row);
    int GetItemCount() const { return static_cast<int>(m_vecRows.size()); }
    int GetColumnCount() const { return m_kHeader.GetColumnCount(); }

    // The playing row (-1: none).
    void SetCurrentItem(int row);
    int GetCurrentItem() const { return m_nCurrentItem; }
    // One row at most is selected: selecting a row deselects the others.
    void SetItemSelected(int row, bool select);
    int GetSelectedItem() const;
    int GetSelectedCount() const;
    bool IsItemSelected(int row) const;
    int GetSelectionMark() const { return m_nSelectionMark; }
    void SetSelectionMark(int row);
    void SetFocusItem(int row);
    int GetFocusItem() const { return m_nFocusItem; }

    bool EnsureVisible(int row);
    int GetTopIndex() const { return m_nTopIndex; }
    // Rows that fit below the header entirely.
    int GetCountPerPage() const;
    // How far the top row can go: rows that do not fit on the first page.
    int GetScrollLimit() const;
    // Scrolls by whole rows (negative: up), held to 0 .. GetScrollLimit().
    bool Scroll(int rows);
    // Off: changes are not shown (nor the scroll bar adjusted) until it is turned on again.
    void SetRedraw(bool on);
    bool IsScrollbarVisible() const;
    CSkinVScrollbar* GetScrollbar() { return m_pScrollbar.get(); }

    // The row under a point of the client area; -1 on the header or below the last row.
    int HitTest(zent::POINT pt) const;
    int GetHeaderHeight() const { return m_kHeader.GetHeight(); }
    zent::COLORREF GetBkColor() const { return m_clrBackground; }
    zent::COLORREF GetTextColor() const { return m_clrText; }
    zent::DWORD GetExtendedStyle() const { return m_dwExStyle; }
    zent::HFONT GetFont() const { return m_hFont; }

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    struct Row {
        std::unique_ptr<std::wstring> pRecord; // owned; its address stays put while rows move
        std::vector<std::wstring> vecTexts;    // by column
    };

    bool IsValidRow(int row) const { return row >= 0 && row < GetItemCount(); }
    zent::RECT GetRowRect(int row) const;
    zent::RECT GetScrollbarRect() const;
    int GetListHeight() const;
    void InvalidateRow(int row);
    void InvalidateAll();
    void UpdateScrollbar();
    void SetTopIndex(int top);
    void SelectOnly(int row);
    void ShiftRowIndices(int row, int delta);
    void EnsureFont();
    void MoveFocusBy(int delta);
    void MoveFocusTo(int row);
    void NotifyParent(NMHDR& hdr, int code);

    void OnPaint();
    void DrawRow(zent::HDC dc, int row);
    void OnButtonDown(zent::POINT pt, bool bDouble);
    void OnWheel(int delta);
    void OnKeyDown(zent::UINT key);
    void OnVScroll(int code, int pos);

    std::vector<Row> m_vecRows;
    CSkinHeaderCtrl m_kHeader;
    std::unique_ptr<CSkinVScrollbar> m_pScrollbar;
    zent::QLBMLoader* m_pLoader = nullptr; // not owned
    zent::UINT m_nHeaderImageId = kHeaderImageId;
    zent::UINT m_nTrackImageId = kTrackImageId;
    zent::UINT m_nThumbImageId = kThumbImageId;
    zent::RECT m_rcCtrl{};
    zent::HFONT m_hFont = nullptr; // not owned (the font cache or the caller keeps it)
    zent::COLORREF m_clrBackground = kBackground;
    zent::COLORREF m_clrText = kText;
    zent::DWORD m_dwExStyle = 0;
    int m_nCurrentItem = -1;
    int m_nSelectedItem = -1;
    int m_nFocusItem = -1;
    int m_nSelectionMark = -1;
    int m_nTopIndex = 0;
    int m_nWheelRemainder = 0;
    bool m_bRedraw = true;
};
