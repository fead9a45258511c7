#pragma once

// A touch-scrolled view of texts, each with its own rectangle, font, colour and format. A tap
// selects (0x521), a double click is reported with 0x529, both with the view's item id and the
// index. Dragging, flinging, overscroll and paging come from CBmpTouchView; the caller binds the
// control's window before InitControl. GUI thread only.

#include <zent/bctrl/BmpTouchView.h>
#include <zent/bctrl/Export.h>

#include <string>
#include <vector>

namespace zent {

class ZENT_BCTRL_API CBmpTextView : public CBmpTouchView {
public:
    static constexpr int kMaxText = 127;

    CBmpTextView();
    ~CBmpTextView() override;

    using CBmpCtrl::InitControl;
    // rowId's stored height is the step of the scroll positions.
    int InitControl(int style, QLBMLoader* loader, UINT viewId, UINT rowId, DWORD, DWORD);

    // rc is in content coordinates (0, 0 the top-left of the unscrolled view); the font is the
    // caller's to keep alive (null: the view's); format takes DT_* flags. The new index, or -1.
    int AddItem(const wchar_t* text, const RECT& rc, HFONT font, COLORREF colour, UINT format, int redraw);
    int SetItemText(int index, const wchar_t* text, int redraw);
    int RemoveAt(int index, int redraw);
    int RemoveAll(int redraw);
    int GetCount() const { return static_cast<int>(m_vecItems.size()); }
    const wchar_t* GetItemText(int index) const;
    RECT GetItemRect(int index) const;

    int SetSelectItem(int index, int redraw);
    int GetSelectItem() const { return m_nSelect; }
    // The selected item's text colour and the band behind it.
    int SetSelectColor(COLORREF text, COLORREF back);

    int LButtonDblClk(UINT flags, POINT pt) override;

protected:
    int ContentExtent() const override;
    int RowExtent() const override { return m_nRowHeight; }
    int HitTest(POINT content, UINT* message) const override;
    void OnTap(int item, UINT message) override;
    void DrawContent(HDC dc, int offset) override;

private:
    struct SItem {
        std::wstring strText;
        RECT rc{};
        HFONT hFont = nullptr; // not owned
        COLORREF clrText = 0;
        UINT nFormat = 0;
    };
    std::vector<SItem> m_vecItems;
    int m_nRowHeight = 1;
    int m_nSelect = -1;
    COLORREF m_clrSelectText = 0xFFFFFF;
    COLORREF m_clrSelectBack = 0x8C5A1E;
};

} // namespace zent
