#pragma once

// The dropped-down part of the skinned combo box: CListWnd, a top-most pop-up window owned by the
// dialog's top-level window, and CDropList, the owner-drawn list inside it (rows of 18 pixels,
// the selected one in the selection colour, a thin scroll bar at the right edge when the rows do
// not fit).
//
// The platform has no window activation, so "the pop-up lost activation" is made of what a user
// does to leave it: while it is shown the list holds the mouse capture, and a press outside the
// pop-up, Escape, the list losing the keyboard focus or another window taking the capture closes
// it and tells the combo box (0x468). Such a press does nothing else, except on the combo box
// itself, which then closes the list as its own press would. GUI thread only.

#include <zent/platform/Gdi.h>
#include <zent/platform/Window.h>

#include <memory>
#include <string>
#include <vector>

class CBmpComboBox;
class CListWnd;

// One row of the list: its text and the colours it is drawn in.
struct CDropRow {
    std::wstring strText;
    zent::COLORREF clrText = 0xFFFFFF;
    zent::COLORREF clrSelText = 0xFFFFFF;
};

class CDropList : public zent::CWnd {
public:
    static constexpr int kRowHeight = 18;
    // Rows a wheel notch scrolls, and the width of the scroll bar drawn when rows do not fit.
    static constexpr int kWheelRows = 3;
    static constexpr int kScrollBarWidth = 8;
    static constexpr int kScrollThumbMinHeight = 16;

    CDropList();
    ~CDropList() override;

    // A child of the pop-up, window class "ListBox" (so that it takes the interface font as its
    // window font).
    zent::BOOL Create(CListWnd* popup, const zent::RECT& rc, zent::UINT id);

    // Appends a row (both colours white); its index.
    int AddRow(const std::wstring& text);
    int GetCount() const { return static_cast<int>(m_vecRows.size()); }
    const CDropRow* GetRow(int index) const;
    std::wstring GetText(int index) const;
    void ResetContent();
    // -1 when none.
    int GetCurSel() const { return m_nCurSel; }
    // -1 clears the selection; an index outside the rows changes nothing and answers -1. A new
    // selection is scrolled into view.
    int SetCurSel(int index);
    int GetTopIndex() const { return m_nTopIndex; }
    // Held within the rows that can be scrolled to.
    int SetTopIndex(int index);
    int GetItemHeight() const { return kRowHeight; }
    // The row the arrow keys have moved to (shown as selected until Enter chooses it), or -1.
    int GetHotRow() const { return m_nHotRow; }
    // Rows wholly visible, and whether the scroll bar is shown.
    int GetPageRows() const;
    int HasScrollBar() const;

    // The pen of the row frames and the brushes of the ground and the selected row.
    void SetFramePen(zent::UniquePen pen);
    void SetBackgroundBrush(zent::UniqueBrush brush);
    void SetSelectionBrush(zent::UniqueBrush brush);
    zent::HFONT GetFont() const { return m_hFont; }

    // The pop-up has just been shown: no key navigation yet, the selection in view.
    void OnDropped();

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void OnPaint();
    void DrawRow(zent::HDC dc, int index, const zent::RECT& rcRow);
    void DrawScrollBar(zent::HDC dc, const zent::RECT& rcClient);
    zent::RECT GetScrollThumbRect() const;
    void OnPress(zent::UINT message, zent::UINT flags, zent::POINT pt);
    void OnKey(zent::UINT key);
    void MoveHotRow(int row);
    void Choose(int row);
    void EnsureVisible(int row);
    int GetMaxTopIndex() const;
    int GetClientHeight() const;

    CListWnd* m_pPopup = nullptr; // the window this list lies in; it owns this object
    std::vector<CDropRow> m_vecRows;
    int m_nCurSel = -1;
    int m_nTopIndex = 0;
    int m_nHotRow = -1;
    int m_nWheelRest = 0;
    // A row was chosen since the pop-up was shown: later presses wait for it to close.
    int m_bChosen = 0;
    int m_bBarDrag = 0;
    int m_nBarGrab = 0; // pointer offset into the scroll thumb while dragging it
    zent::UniquePen m_penFrame;
    zent::UniqueBrush m_brBackground;
    zent::UniqueBrush m_brSelection;
    zent::HFONT m_hFont = nullptr; // the window font; owned by the font cache
};

class CListWnd : public zent::CWnd {
public:
    // The list's control id; the frame the pop-up draws around it.
    static constexpr zent::UINT kDropListId = 1125;
    static constexpr int kFrameWidth = 1;

    CListWnd();
    ~CListWnd() override;

    // The hidden pop-up (200 x 200 at (0, 0), owned by the owner's top-level window) and the
    // list in it, in the list colours and the interface font. 0 when either cannot be made.
    int CreateDropList(CBmpComboBox* owner, zent::UINT notifyCode);
    CDropList* GetDropList() const { return m_pDropList.get(); }
    CBmpComboBox* GetOwnerCombo() const { return m_pOwner; }
    zent::UINT GetNotifyCode() const { return m_nNotifyCode; }

    // Moves the pop-up to rcScreen without repainting, fits the list inside the frame, shows the
    // pop-up and gives the list the mouse capture.
    void ShowDropList(const zent::RECT& rcScreen);
    // Hides the pop-up, lets the capture go and hands the keyboard focus back to the dialog
    // when the list had it.
    void HideDropList();
    int IsDropped() const;

    // What stands in for losing activation: trace, hide, tell the owner (0x468). Nothing while
    // hidden.
    void Deactivate();
    // A press outside the pop-up reached the list through its capture (ptScreen in screen
    // coordinates).
    void OnOutsidePress(zent::UINT message, zent::UINT flags, zent::POINT ptScreen);

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void OnActivate(zent::UINT state, zent::HWND hwndOther, zent::BOOL bMinimized);
    void NotifyOwner();
    void OnPaint();

    CBmpComboBox* m_pOwner = nullptr; // owns this window
    zent::HWND m_hwndOwner = nullptr;
    zent::UINT m_nNotifyCode = 0;
    std::unique_ptr<CDropList> m_pDropList;
    int m_bDestroying = 0;
};
