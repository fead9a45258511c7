#pragma once

// The unskinned host of the dialog stack. Showing a screen pushes it on top, going back pops and
// destroys it, going back to a given screen pops until that screen is on top, and changing
// replaces the top. Requests come as calls or as the WM_INDLG_* messages; the screens' windows
// are only touched on the main dialog's thread, while the stack itself may be read from any.

#include <zent/bctrl/Export.h>
#include <zent/bctrl/InDialog.h>
#include <zent/bctrl/ResDialog.h>

#include <memory>
#include <mutex>
#include <vector>

namespace zent {

class ZENT_BCTRL_API CMainDialog : public CResDialog {
public:
    // The factory and the document are the caller's and must outlive the dialog.
    CMainDialog(CInDlgFactory* factory, UINT id, CInDlgDocument* document, CWnd* parent);
    ~CMainDialog() override;

    virtual int ShowInDlg(UINT id, int param);
    virtual int PrevInDlg(int param);
    virtual int PPrevInDlg(UINT id, int param);
    virtual int ChangeInDlg(UINT id, int param);
    virtual void DelAllDlg();
    virtual int KeyDown(UINT, UINT, UINT) { return 0; }
    virtual LRESULT OnFBNext(WPARAM w, LPARAM l);
    virtual LRESULT OnFBPrev(LPARAM l);
    virtual LRESULT OnFBPPrev(WPARAM w, LPARAM l);
    virtual LRESULT OnFBChange(WPARAM w, LPARAM l);
    virtual LRESULT OnFBClose(LPARAM l);
    virtual LRESULT OnFBShow(LPARAM l);
    virtual LRESULT OnFBHide(LPARAM l);

    CInDialog* GetCurrentDlg() const;
    // Any thread.
    int DlgStackSize() const;
    CInDlgDocument* GetDlgDocument() const { return m_pDocument; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PushInDlg(std::unique_ptr<CInDialog> dlg);
    std::unique_ptr<CInDialog> PopInDlg();
    void HideCurrentInDlg(int param);
    void ShowCurrentInDlg(int param);

private:
    std::unique_ptr<CInDialog> MakeInDlg(UINT id);
    static void DestroyInDlg(std::unique_ptr<CInDialog> dlg);

    CInDlgFactory* m_pFactory;   // not owned
    CInDlgDocument* m_pDocument; // not owned
    mutable std::mutex m_lockStack;
    // Bottom first; the links and the size change under m_lockStack, the windows on the GUI thread.
    std::vector<std::unique_ptr<CInDialog>> m_vecStack;
    CInDialog* m_pCurrent = nullptr; // the top, guarded by m_lockStack
};

} // namespace zent
