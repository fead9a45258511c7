#pragma once

// The modal wait shown while a folder is scanned: an animated picture and one line of text. A
// worker thread scans and builds the lists; when it reports, the player window fills its list on
// the GUI thread and the dialog closes.

#include <zent/bctrl/BmpStatic.h>
#include <zent/bctrl/BmpText.h>
#include <zent/bctrl/InDialog.h>

#include <thread>

class CTorvixPlayerMainDlg;

class CFileLoadDlg : public zent::CInDialog {
public:
    CFileLoadDlg(zent::UINT id, zent::CWnd* parent);
    ~CFileLoadDlg() override;

    // The window whose folder is scanned (the player window); set before DoModal.
    void SetPlayerWindow(CTorvixPlayerMainDlg* pMain) { m_pMain = pMain; }
    int GetFrame() const { return m_nFrame; }

protected:
    zent::BOOL OnInitDialog() override;
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;
    // Nothing closes the wait but the end of the scan.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void JoinWorker();

    CTorvixPlayerMainDlg* m_pMain = nullptr; // not owned
    zent::CBmpStatic m_imgProgress;
    zent::CBmpText m_txtMessage;
    std::thread m_worker;
    int m_nFrame = 0;
};
