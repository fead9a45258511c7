#pragma once

// A skinned single-column list box: a fixed number of equally tall rows drawn over row images,
// each showing an item's text (and optionally a second text and an icon), scrolled row by row or
// page by page by a companion scroll bar. Selection and focus changes go to the parent as
// WM_BLIST_* (list item id, item index); the scroll bar's WM_BSCROLL_* messages move the rows.
// GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpScroll.h>
#include <zent/bctrl/Export.h>
#include <zent/platform/Bitmap.h>
#include <zent/util/ZuImage.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zent {

// List style bits: the scroll value is the first visible row (else the page number), and
// selecting does not repaint.
constexpr int BLS_ROW_SCROLL = 0x02000000;
constexpr int BLS_NO_SELECT_REPAINT = 0x10000000;

constexpr int kListMaxRowImages = 16;

class ZENT_BCTRL_API CListBoxItem {
public:
    std::wstring m_strText;
    std::wstring m_strText2;
    HBITMAP m_hBitmap = nullptr; // not owned
    int m_nFlag = 0;
    int m_bCheck = 0; // also the selected flag
    int m_nValue1 = 0;
    int m_nValue2 = 0;
    COLORREF m_clrText = 0xFFFFFFFF; // 0xFFFFFFFF: the list's text colour
    HFONT m_hFont = nullptr;         // not owned; null: the list's font
    // A switch row shows m_hBitmap while on and m_hBitmap2 (not owned) while off.
    HBITMAP m_hBitmap2 = nullptr;
    int m_bSwitch = 0;
    int m_nSwitchState = 0;
    // The icon picture the list copied for the item (AddStringDC), shared by copies of the item.
    std::shared_ptr<BitmapObject> m_pOwnedBitmap;
};

class ZENT_BCTRL_API CBmpListBoxEx : public CBmpCtrl {
public:
    CBmpListBoxEx();
    ~CBmpListBoxEx() override;

    using CBmpCtrl::InitControl;
    // listId places the control and its list rectangle, rowId gives the row height and the
    // normal row image, bkId (optional) the background image.
    int InitControl(int style, int pageSize, QLBMLoader* loader, UINT listId, UINT rowId, UINT bkId);
    int ResetList(int pageSize, QLBMLoader* loader, UINT listId, UINT rowId, UINT bkId, int redraw);

    // The new item's index.
    int AddString(const std::wstring& text, const std::wstring& text2 = {}, HBITMAP bitmap = nullptr, int flag = 0,
                  int value1 = 0, int value2 = 0, int redraw = 1);
    // The index, or -1 outside 0..count.
    int InsertString(int index, const std::wstring& text, const std::wstring& text2 = {}, HBITMAP bitmap = nullptr,
                     int flag = 0, int value1 = 0, int value2 = 0, int redraw = 1);
    // An item whose icon is copied from rcSource of the picture selected into source (the list
    // keeps the copy), for icons drawn at run time. The new index, or -1.
    int AddStringDC(const std::wstring& text, const std::wstring& text2, HDC source, const RECT& rcSource,
                    int redraw = 1);
    // A switch row: 'on' or 'off' (both borrowed) at the row's right end shows the state; a press
    // on the row flips it before the selection messages go out. The new index, or -1.
    int AddStringSW(const std::wstring& text, HBITMAP on, HBITMAP off, int state, int redraw = 1);
    // The state of a switch row, or -1 for any other index.
    int GetSwitchState(int index) const;
    int SetSwitchState(int index, int state, int redraw);
    int EditString(int index, const std::wstring& text, const std::wstring& text2, HBITMAP bitmap, int redraw);
    int RemoveAt(int index, int redraw);
    int RemoveAll(int redraw);

    int SetSelectItem(int index);
    int GetSelectItem() const;
    int SetFocusItem(int index);
    int GetFocusItem() const { return m_nFocusItem; }
    int SetCheck(int index, int check);
    int GetCheck(int index) const;
    int SetScrollPosition(int pos, int redraw);
    int GetScrollPosition() const { return m_nScroll; }
    int SelectChange(int index);
    // Shows the page at pos (a page up or down from the scroll bar): the new rows slide in over
    // the list from the side they come from, driven by the window's timer. Any other change of
    // the scroll value ends a slide.
    int SlideMovePage(int pos);
    bool IsSliding() const { return m_nSlideStep >= 0; }
    static constexpr UINT kSlideTimerId = 0xF103;
    static constexpr int kSlideTickMs = 20;
    static constexpr int kSlideSteps = 10;
    int SetRowTextColor(int index, COLORREF colour);
    // A font of its own for one item's texts (the caller keeps it alive), null for the list's.
    int SetBoldFont(int index, HFONT font, int redraw);

    int GetCount() const { return static_cast<int>(m_vecItems.size()); }
    int GetPageCount() const { return m_nPageCount; }
    int GetPageSize() const { return m_nPageSize; }
    int GetRowHeight() const { return m_nRowHeight; }
    int GetScrollMode() const { return m_nScrollMode; }
    RECT GetListRect() const { return m_rcList; }
    const CListBoxItem* GetItem(int index) const;
    // The item shown at a point relative to the control, or -1.
    int ItemFromPoint(POINT pt) const;
    // The first item shown.
    int GetFirstVisibleItem() const;

    int SetListColor(int index, COLORREF colour);
    COLORREF GetListColor(int index) const;
    int SetTextColor(int index, COLORREF colour);
    COLORREF GetTextColor(int index) const;
    int SetRowImage(int row, UINT normalId, UINT highlightId);

    int DrawCtrl(HDC dc, POINT origin) override;
    int SoundPlay() override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    int KeyInput(UINT key) override;
    int FocusChange(int focus, UINT key) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Rows in the list colours alone (ground, selection), for skins without row pictures.
    int DrawColorList(HDC dc, POINT origin);
    // The rows of the page starting at item first, the list's top-left at origin.
    void DrawRows(HDC dc, POINT origin, int first);
    void DrawColorRows(HDC dc, POINT origin, int first);
    // The icon and texts of one row into rcRow (picture coordinates).
    virtual void DrawRowTexts(HDC dc, const CListBoxItem& item, const RECT& rcRow);
    // The colour of an item's main text as things stand.
    COLORREF RowTextColour(const CListBoxItem& item) const;

private:
    void Geometry(QLBMLoader* loader, UINT listId, UINT rowId, UINT bkId, int pageSize);
    void UpdatePageCount();
    void StopSlide();
    void DrawSlide(HDC dc, POINT origin);
    void SendParent(UINT message, int index);
    CZuImage* Image(UINT id);

    std::vector<std::unique_ptr<CListBoxItem>> m_vecItems;
    QLBMLoader* m_pLoader = nullptr; // not owned
    int m_nScrollMode = 0;
    int m_nPageSize = 1;
    int m_nRowHeight = 0;
    RECT m_rcList{};
    int m_nFocusItem = -1;
    int m_nScroll = 0;
    int m_nPageCount = 0;
    COLORREF m_clrList[3] = {0xFFFFFF, 0xFFBF00, 0xFFBF00};
    COLORREF m_clrText[4] = {0xFFFFFF, 0, 0, 0x7F7F7F};
    UINT m_nBkId = 0;
    UINT m_nRowImage[kListMaxRowImages][2] = {};
    std::map<UINT, std::unique_ptr<CZuImage>> m_mapImages;
    int m_nSlideStep = -1;     // -1: no slide
    int m_nSlideFromFirst = 0; // the first item of the page sliding out
    int m_nSlideDir = 1;       // 1: the new page comes up from below, -1: down from above
    UniqueBitmap m_bmpSlide;
};

// The plain member: text rows only, with a font of its own per shown row.
class ZENT_BCTRL_API CBmpListBox : public CBmpListBoxEx {
public:
    CBmpListBox();
    ~CBmpListBox() override;

    int AddString(const std::wstring& text, int redraw = 1);
    // row counts from the top of the shown rows; a null font gives the row back to the list's.
    int setListBoldFont(int row, HFONT font, int redraw);

protected:
    void DrawRowTexts(HDC dc, const CListBoxItem& item, const RECT& rcRow) override;

private:
    HFONT m_hRowFont[kListMaxRowImages] = {}; // not owned
};

// Items with a main and a sub text; the sub text has a font, a place in the row and colours of
// its own.
class ZENT_BCTRL_API CBmpListBoxEx2 : public CBmpListBoxEx {
public:
    CBmpListBoxEx2();
    ~CBmpListBoxEx2() override;

    int AddString(const std::wstring& text, const std::wstring& subText, HBITMAP bitmap = nullptr, int flag = 0,
                  int redraw = 1);
    // rcInRow is relative to a row's top-left corner; the font is the caller's to keep alive.
    int SetSubText(HFONT font, const RECT& rcInRow, COLORREF normal, COLORREF selected);
    RECT GetSubTextRect() const { return m_rcSubText; }

protected:
    void DrawRowTexts(HDC dc, const CListBoxItem& item, const RECT& rcRow) override;

private:
    HFONT m_hSubFont = nullptr; // not owned
    RECT m_rcSubText{};
    COLORREF m_clrSubText = 0x7F7F7F;
    COLORREF m_clrSubSelected = 0xFFFFFF;
};

} // namespace zent
