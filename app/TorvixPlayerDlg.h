#pragma once

// The top-level window of the program: a dialog-stack host whose first screen is the player
// window. It makes inner dialogs on request (0x6F0, 0x6F1) and relays the player's messages,
// which the player's timer thread posts here, to the player window.

#include "app/TorvixPlayerDocument.h"
#include "app/TorvixPlayerFactory.h"

#include <zent/bctrl/MainDialog.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class CTorvixPlayerMainDlg;

// Messages of the top-level window.
constexpr zent::UINT WM_CREATE_INDLG = 0x6F0;        // wParam id, lParam parent: a new dialog object
constexpr zent::UINT WM_GET_OR_CREATE_INDLG = 0x6F1; // wParam id, lParam parent: the registered one
constexpr zent::UINT WM_FORWARD_TO_PLAYER = 0x466;
// Another start of the program asked this one to come forward (posted by the listener thread).
constexpr zent::UINT WM_APP_ACTIVATE_INSTANCE = zent::WM_APP + 0x101;

class CTorvixPlayerDlg : public zent::CMainDialog {
public:
    explicit CTorvixPlayerDlg(zent::CWnd* parent = nullptr);
    ~CTorvixPlayerDlg() override;

    CTorvixPlayerDocument& GetDocument() { return m_document; }
    CTorvixPlayerFactory& GetFactory() { return m_factory; }
    CTorvixPlayerMainDlg* GetPlayerWindow() const { return m_pMainDlg; }
    bool IsInitialised() const { return m_bInitialised; }

    zent::BOOL PreTranslateMessage(zent::MSG* pMsg) override;
    // Called with the window once it exists (the application's single-instance listener posts
    // to it).
    void SetOnInitialised(std::function<void(zent::HWND)> fn) { m_fnInitialised = std::move(fn); }

protected:
    zent::BOOL OnInitDialog() override;
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;
    // Escape and Ctrl+Enter are handled by the keys of the player window; the framework's
    // dialog keys must not end the program.
    void OnOK() override {}
    void OnCancel() override {}

private:
    zent::LRESULT OnCreateInDlg(zent::UINT id, zent::HWND hwndParent);
    zent::LRESULT OnGetOrCreateInDlg(zent::UINT id, zent::HWND hwndParent);
    void CenterOnScreen();

    // The stack keeps pointers to both; the destructor empties the stack before they go.
    CTorvixPlayerDocument m_document;
    CTorvixPlayerFactory m_factory;
    // The copy of the skin file's index block, taken at initialisation.
    std::vector<zent::BYTE> m_vecIndexBlock;
    // Dialogs registered by 0x6F1, by id.
    std::map<zent::UINT, std::unique_ptr<zent::CInDialog>> m_mapDialogs;
    CTorvixPlayerMainDlg* m_pMainDlg = nullptr; // owned by the stack
    bool m_bInitialised = false;
    std::function<void(zent::HWND)> m_fnInitialised;
};
