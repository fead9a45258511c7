#pragma once

// A strip of image buttons over an optional view picture, vertical or (style bit 0x00800000)
// horizontal. A button looks pressed while held and while selected; a tap selects it (0x521 with
// the view's item id and the index). Paged a whole view at a time by 0x541/0x544; its scroll
// positions count pages. Dragging, flinging and overscroll come from CBmpTouchView; the caller
// binds the control's window before InitControl. GUI thread only.

#include <zent/bctrl/BmpTouchView.h>
#include <zent/bctrl/Export.h>
#include <zent/bctrl/ViewImageCache.h>

#include <algorithm>
#include <vector>

namespace zent {

class ZENT_BCTRL_API CBmpImgView : public CBmpTouchView {
public:
    static constexpr int kStyleHorizontal = 0x00800000;

    CBmpImgView();
    ~CBmpImgView() override;

    using CBmpCtrl::InitControl;
    // The pictures of AddItem(id, id) and SetViewImage come from this loader, which must outlive
    // the view.
    int InitControl(int style, QLBMLoader* loader, UINT viewId, DWORD, DWORD);

    // A button of the stored size of normalId, placed along the strip after the last one (and the
    // spacing); pressedId (optional) is its pressed and selected look.
    int AddItem(UINT normalId, UINT pressedId, int redraw);
    // A button at rc (content coordinates); the bitmaps are borrowed and must outlive the item.
    int AddItem(HBITMAP normal, HBITMAP pressed, const RECT& rc, int redraw);
    int RemoveAt(int index, int redraw);
    int RemoveAll(int redraw);
    int GetCount() const { return static_cast<int>(m_vecItems.size()); }
    RECT GetItemRect(int index) const;

    // spacing: pixels between buttons placed by id; keyed: the button pictures leave out the
    // skin's key colour.
    int SetImgBtnOption(int spacing, int keyed);
    // The picture under the strip (it does not scroll); 0 removes it.
    int SetViewImage(UINT id, int redraw);

    int SetSelectItem(int index, int redraw);
    int GetSelectItem() const { return m_nSelect; }
    // Pages of the strip: the view's length each, the last one possibly partly filled.
    int GetPageCount() const;
    int GetCurrentPage() const { return GetScrollPosition(); }
    // In pages; the end of the strip counts as its last page even when that page is not full.
    int GetScrollPosition() const override;

    int Clean() override;

protected:
    int ContentExtent() const override;
    int RowExtent() const override { return std::max(ViewExtent(), 1); }
    int PageExtent() const override { return std::max(ViewExtent(), 1); }
    bool HasPressedLook() const override { return true; }
    int HitTest(POINT content, UINT* message) const override;
    void OnTap(int item, UINT message) override;
    void DrawContent(HDC dc, int offset) override;

private:
    struct SItem {
        RECT rc{};
        UINT nNormalId = 0;
        UINT nPressedId = 0;
        HBITMAP hNormal = nullptr;  // borrowed
        HBITMAP hPressed = nullptr; // borrowed
    };
    void DrawPicture(HDC dc, const SItem& item, bool bPressed, int x, int y);

    std::vector<SItem> m_vecItems;
    CViewImageCache m_kImages;
    QLBMLoader* m_pLoader = nullptr; // not owned
    UINT m_nViewImageId = 0;
    int m_nSpacing = 0;
    int m_bKeyed = 0;
    int m_nSelect = -1;
};

} // namespace zent
