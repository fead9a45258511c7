#pragma once

// The message pop-up: every one-line message the program shows (a recording that cannot be
// played, a capture that needs a playing recording, ...) is a language text in this small modal
// dialog with a caution picture and one confirm button.

#include <zent/bctrl/BmpButton.h>
#include <zent/bctrl/BmpStatic.h>
#include <zent/bctrl/BmpText.h>
#include <zent/bctrl/InDialog.h>

#include <string>

class CTorvixPlayerDocument;

// The message text: wrapped lines centred in both directions (the pop-up's texts may have
// several lines).
class CPopUpMessageText : public zent::CBmpText {
public:
    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;
};

class CTorvixPlayerPopUpDlg : public zent::CInDialog {
public:
    CTorvixPlayerPopUpDlg(zent::UINT id, zent::CWnd* parent);
    ~CTorvixPlayerPopUpDlg() override;

    const std::wstring& GetMessageText() const { return m_strMessage; }
    // Unattended runs (tests): every pop-up confirms itself as soon as it is shown, so nothing
    // waits for a person. The trace still names each message.
    static void SetUnattended(bool bOn) { s_bUnattended = bOn; }

protected:
    zent::BOOL OnInitDialog() override;
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;
    int KeyDown(zent::UINT key, zent::UINT repeat, zent::UINT flags) override;

private:
    zent::CBmpStatic m_imgCaution;
    CPopUpMessageText m_txtMessage;
    zent::CBmpButton m_btnConfirm;
    std::wstring m_strMessage;
    static inline bool s_bUnattended = false;
};

// Shows text in the pop-up, modal to hwndOwner's window, and returns when the user has confirmed
// it. The text travels in the document, as the pop-up reads it there; the dialog comes from the
// main window's factory (message 0x6F0).
void ShowMessagePopup(CTorvixPlayerDocument* pDocument, const std::wstring& text, zent::HWND hwndOwner);
