#pragma once

// The help dialog: the keyboard shortcuts and the fonts' credits, closed by its confirm button or
// its X.

#include <zent/bctrl/BmpButton.h>
#include <zent/bctrl/BmpText.h>
#include <zent/bctrl/InDialog.h>

#include <array>

class CTorvixPlayerHelpDlg : public zent::CInDialog {
public:
    // Controls 1095 to 1112, in resource order.
    static constexpr int kTextCount = 18;

    CTorvixPlayerHelpDlg(zent::UINT id, zent::CWnd* parent);
    ~CTorvixPlayerHelpDlg() override;

    const std::wstring& GetLineText(int index) const { return m_txtLines[static_cast<std::size_t>(index)].GetText(); }

protected:
    zent::BOOL OnInitDialog() override;
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;
    int KeyDown(zent::UINT key, zent::UINT repeat, zent::UINT flags) override;

private:
    std::array<zent::CBmpText, kTextCount> m_txtLines;
    zent::CBmpButton m_btnConfirm;
    zent::CBmpButton m_btnClose;
};
