#pragma once

// The search box of the video list: a skinned control drawn by its dialog (its picture, then the
// search text, or the owner's hint while the text is empty). A press opens a text field over it
// (CInputAreaDlg); Enter in the field asks the box's parent to search, with message
// WM_SEARCH_ENTER (wParam: the box's window, lParam: a const std::wstring* to the box's text,
// valid as long as the box lives). Leaving the field keeps what was typed; Escape leaves it and
// puts back the text the box had when the field opened. GUI thread only.

#include "widgets/InputAreaDlg.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/util/ZuImage.h>

#include <memory>
#include <string>

class CBmpSearchEdit : public zent::CBmpCtrl {
public:
    static constexpr zent::COLORREF kTextColour = 0xDEDEDE;
    static constexpr zent::COLORREF kHintColour = 0xA5938C;
    // Ground when the skin has no picture.
    static constexpr zent::COLORREF kFallbackColour = 0x1B1411;
    // Room kept free at the left, and at the right for the picture's magnifier.
    static constexpr int kTextLeft = 8;
    static constexpr int kTextRight = 26;
    // One-second timers restarted by every text update.
    static constexpr zent::UINT kKeyTimer = 1000;
    static constexpr zent::UINT kBackspaceTimer = 1001;
    static constexpr zent::UINT kTimerInterval = 1000;

    CBmpSearchEdit() = default;
    ~CBmpSearchEdit() override;

    // Registers with the dialog (the window must be bound already) and takes its place from the
    // skin rectangle of normalId.
    int InitControl(zent::QLBMLoader* loader, zent::UINT normalId, zent::UINT focusId);
    void SetHintText(const std::wstring& hint);
    const std::wstring& GetText() const { return m_strText; }
    void SetText(const std::wstring& text, int redraw = 1);
    int HasText() const { return m_bHasText; }

    bool IsInputOpen() const { return m_pInput != nullptr; }
    void OpenInput();
    // Closes the field keeping what it holds, as when the user leaves it.
    void CloseInput();
    CInputAreaDlg* GetInputDlg() const { return m_pInput.get(); }

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
    int LButtonDown(zent::UINT flags, zent::POINT pt) override;

protected:
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void CloseInputWith(const std::wstring& text);
    void Redraw();

    zent::CZuImage m_kNormal;
    zent::CZuImage m_kFocus;
    std::wstring m_strText;
    std::wstring m_strHint;
    std::wstring m_strTextAtOpen;
    int m_bHasText = 0;
    std::unique_ptr<CInputAreaDlg> m_pInput;
    zent::HWND m_hwndFocusBefore = nullptr;
};
