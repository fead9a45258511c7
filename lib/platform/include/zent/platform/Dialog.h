#pragma once

// Dialogs made from C++ template tables (DialogTemplate.h), modeless or modal.
//
// DoModal runs a nested message loop on the calling GUI thread until EndDialog. Meanwhile the
// owner's top-level window is disabled, so it takes no input, while timers, posted messages,
// painting and messages sent from other threads go on for every window. Modal dialogs nest: each
// loop waits for its own dialog, so ending an outer dialog while an inner one runs takes effect
// when the inner one has returned. PostQuitMessage ends every modal loop (they return -1) and
// then the outer Run.

#include <zent/platform/DialogTemplate.h>
#include <zent/platform/Export.h>
#include <zent/platform/Window.h>

namespace zent {

class ZENT_PLATFORM_API CDialog : public CWnd {
public:
    CDialog();
    ~CDialog() override;

    // Modeless: the window and its items; WM_INITDIALOG (lParam: lInitParam); shown when the
    // template has WS_VISIBLE. FALSE without a template or a loop, or when creation fails.
    BOOL Create(const DialogTemplate* pTemplate, HWND hwndParent, LPARAM lInitParam = 0);
    // Modal: creates the dialog, disables the owner's top-level window, shows the dialog, runs
    // until EndDialog, then enables the owner again, gives the focus back to the window that had
    // it, destroys the dialog and returns the EndDialog code. -1 without a template or a loop,
    // when creation fails, when the dialog is destroyed before it ends, or on PostQuitMessage.
    INT_PTR DoModal(const DialogTemplate* pTemplate, HWND hwndOwner, LPARAM lInitParam = 0);
    void EndDialog(INT_PTR nResult);

protected:
    // TRUE gives the focus to the first enabled item with WS_TABSTOP.
    virtual BOOL OnInitDialog();
    // EndDialog(IDOK) and EndDialog(IDCANCEL); WM_COMMAND with IDOK or IDCANCEL and WM_CLOSE
    // call them.
    virtual void OnOK();
    virtual void OnCancel();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL CreateFromTemplate(const DialogTemplate& tmpl, HWND hwndParent, bool bModal, LPARAM lInitParam);
};

} // namespace zent
