#pragma once

// Makes the program's inner dialogs by resource id. Ids outside the table make nothing.

#include <zent/bctrl/InDialog.h>

#include <memory>

class CTorvixPlayerDocument;

class CTorvixPlayerFactory : public zent::CInDlgFactory {
public:
    explicit CTorvixPlayerFactory(CTorvixPlayerDocument* pDocument);
    ~CTorvixPlayerFactory() override;

    // The dialog object of an id, without its window (modal dialogs create theirs in DoModal);
    // null for an id the table does not have.
    std::unique_ptr<zent::CInDialog> MakeDialog(zent::UINT id, zent::CWnd* parent);
    // Whether the table has an id.
    static bool IsKnownDialog(zent::UINT id);

    // The dialog stack's screens: the object and its window.
    zent::CInDialog* CreateInDlg(zent::UINT id, zent::CWnd* parent) override;
    int ReleaseInDlg(zent::CInDialog* dlg) override;
    void OnAllDlgDeleted() override {}

private:
    CTorvixPlayerDocument* m_pDocument; // not owned
};
