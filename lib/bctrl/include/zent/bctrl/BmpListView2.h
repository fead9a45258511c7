#pragma once

// A touch-scrolled list of equal rows drawn over skin pictures (normal and selected) from the
// merged image file, each with a text. Several rows may be selected at once: a tap toggles its
// row and reports 0x521 (now selected) or 0x522 (no longer), with the view's item id and the
// index. Dragging, flinging, overscroll and paging come from CBmpTouchView; the caller binds the
// control's window before InitControl. GUI thread only.

#include <zent/bctrl/BmpTouchView.h>
#include <zent/bctrl/Export.h>
#include <zent/bctrl/ViewImageCache.h>

#include <string>
#include <vector>

namespace zent {

class ZENT_BCTRL_API CBmpListView2 : public CBmpTouchView {
public:
    static constexpr int kMaxText = 127;

    CBmpListView2();
    ~CBmpListView2() override;

    using CBmpCtrl::InitControl;
    // The pictures of AddItem come from this loader, which must outlive the view.
    int InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD);

    int AddItem(const wchar_t* text, UINT normalId, UINT selectedId, int redraw);
    int InsertItem(int index, const wchar_t* text, UINT normalId, UINT selectedId, int redraw);
    int EditItem(int index, const wchar_t* text, UINT normalId, UINT selectedId, int redraw);
    int RemoveAt(int index, int redraw);
    int RemoveAll(int redraw);
    int GetCount() const { return static_cast<int>(m_vecItems.size()); }
    int GetItemCount() const { return GetCount(); }
    const wchar_t* GetItemText(int index) const;

    // 1 or 0 for an item, -1 outside the items.
    int GetSelectItem(int index) const;
    // The previous state, or -1 outside the items.
    int SetSelectItem(int index, int select);
    int GetSelectedCount() const;
    int SetFocusItem(int index, int redraw);
    int GetFocusItem() const { return m_nFocusItem; }
    int SetTextColor(COLORREF normal, COLORREF selected);
    int GetRowHeight() const { return m_nRowHeight; }

    int Clean() override;

protected:
    int ContentExtent() const override { return GetCount() * m_nRowHeight; }
    int RowExtent() const override { return m_nRowHeight; }
    int HitTest(POINT content, UINT* message) const override;
    void OnTap(int item, UINT message) override;
    void DrawContent(HDC dc, int offset) override;

private:
    struct SItem {
        std::wstring strText;
        UINT nNormalId = 0;
        UINT nSelectedId = 0;
        int bSelected = 0;
    };
    std::vector<SItem> m_vecItems;
    CViewImageCache m_kImages;
    int m_nRowHeight = 1;
    int m_nFocusItem = -1;
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrTextSelected = 0xFFFFFF;
    COLORREF m_clrHighlight = 0x8C5A1E;
};

} // namespace zent
