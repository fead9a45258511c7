#pragma once

// The player window's choice lists (zoom, playback speed, recording category). Closed, the combo
// box shows a skin picture and the text of the selected row; a press drops down a top-most pop-up
// with the rows (CListWnd / CDropList) under or above it. Choosing a row closes the pop-up and
// posts the dialog one WM_COMBO_SELECT with the combo box's notification code and the row.
// GUI thread only.

#include "widgets/DropList.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/util/ZuImage.h>

#include <memory>
#include <string>

// Sent to the dialog: wParam 1 when the list drops down, 0 when a press on the combo box closes
// it; lParam the combo box's window.
constexpr zent::UINT WM_COMBO_DROP = 0x467;
// Posted to the dialog: wParam the notification code, lParam the chosen row. Also what the
// pop-up posts the combo box when a row was chosen, and the list the pop-up.
constexpr zent::UINT WM_COMBO_SELECT = 0x466;
// Posted by the pop-up to the combo box when it closed because the user left it.
constexpr zent::UINT WM_COMBO_DEACTIVATE = 0x468;

class CBmpComboBox : public zent::CBmpCtrl {
public:
    static constexpr zent::COLORREF kTextColour = 0xFFFFFF;
    static constexpr zent::COLORREF kTextEffectColour = 0x7D7D7D;
    static constexpr zent::COLORREF kListColour = 0x4B4B4B;
    static constexpr zent::COLORREF kSelectionColour = 0x006EED;
    static constexpr int kDefaultListHeightLimit = 500;
    // The arrow at the right end of the picture is kept free of text.
    static constexpr int kArrowWidth = 22;
    // Centred on one line, both ways.
    static constexpr zent::UINT kDefaultTextFormat = 37;

    CBmpComboBox();
    ~CBmpComboBox() override;

    // Places the control at imageId's skin rectangle, takes imageId (closed) and openImageId
    // (dropped down) from the program's loader (GetSkinLoader) and makes the pop-up. 0 without a
    // loader, when the control cannot register with its dialog, or when the pop-up cannot be made.
    using zent::CBmpCtrl::InitControl;
    int InitControl(zent::UINT ctrlId, zent::UINT imageId, zent::UINT openImageId, zent::UINT notifyCode);
    // Null before InitControl.
    CDropList* GetDropList();
    CListWnd* GetListWnd() { return m_pListWnd.get(); }

    // A row at the end; its index (-1 before InitControl).
    int AddString(const std::wstring& text);
    int GetCurSel() const;
    void SetCurSel(int index, int redraw = 1);
    int GetCount() const;
    void ResetContent();
    // The text of the selected row; empty when none is selected.
    std::wstring GetCurText() const;

    // 0 opens below the control, 1 above it.
    void SetDropDirection(int dir) { m_nDropDirection = dir; }
    int GetDropDirection() const { return m_nDropDirection; }
    // Horizontal shift of the pop-up's left edge against the control's.
    void SetListOffset(int dx) { m_nListOffset = dx; }
    // Left inset of the shown text.
    void SetTextOffset(int dx) { m_nTextOffset = dx; }
    // Largest height of the rows in the pop-up; at least one row.
    void SetListHeightLimit(int h);
    int GetListHeightLimit() const { return m_nListHeightLimit; }
    // 0 or less keeps the control's width.
    void SetListWidth(int w) { m_nListWidth = w; }
    void SetTextColors(zent::COLORREF text, zent::COLORREF effect);
    int IsOpen() const { return m_bOpen; }
    zent::UINT GetCtrlId() const { return m_nCtrlId; }
    // Where the pop-up goes when it opens now, in screen coordinates (frame included).
    zent::RECT GetDropRect() const;

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
    int LButtonDown(zent::UINT flags, zent::POINT pt) override;
    int SetDisableCtrl(int disable, int redraw) override;
    int SetVisibleCtrl(int visible, int redraw) override;

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void SendDrop(int dropped);
    // Closes the pop-up without telling the dialog (the combo box itself went away or off).
    void CloseQuietly();

    zent::CZuImage m_kImage;
    zent::CZuImage m_kOpenImage;
    zent::COLORREF m_clrText = kTextColour;
    zent::COLORREF m_clrEffect = kTextEffectColour;
    zent::RECT m_rcPlace{};
    std::unique_ptr<CListWnd> m_pListWnd;
    int m_nListHeightLimit = 0;
    int m_nListWidth = 0;
    int m_nDropDirection = 0;
    int m_bOpen = 0;
    zent::UINT m_nTextFormat = kDefaultTextFormat;
    int m_nTextOffset = 0;
    int m_nListOffset = 0;
    zent::UINT m_nCtrlId = 0;
};
