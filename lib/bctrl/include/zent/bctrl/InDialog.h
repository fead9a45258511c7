#pragma once

// A screen of the dialog stack, the factory that makes screens by template id, and the document
// that the main dialog hands to every screen it shows.

#include <zent/bctrl/BmpDialog.h>
#include <zent/bctrl/Export.h>

namespace zent {

class CInDialog;

// What the screens share; the program derives its document from it.
class ZENT_BCTRL_API CInDlgDocument {
public:
    CInDlgDocument() = default;
    virtual ~CInDlgDocument() = default;
    CInDlgDocument(const CInDlgDocument&) = delete;
    CInDlgDocument& operator=(const CInDlgDocument&) = delete;
};

class ZENT_BCTRL_API CInDlgFactory {
public:
    CInDlgFactory() = default;
    virtual ~CInDlgFactory() = default;
    CInDlgFactory(const CInDlgFactory&) = delete;
    CInDlgFactory& operator=(const CInDlgFactory&) = delete;

    // A new screen (allocated with new; the stack deletes it) whose window has been created as a
    // child of parent, or null for an unknown id.
    virtual CInDialog* CreateInDlg(UINT id, CWnd* parent) = 0;
    virtual int ReleaseInDlg(CInDialog* dlg) = 0;
    // After DelAllDlg has emptied the stack.
    virtual void OnAllDlgDeleted() = 0;

    void SetResourceHandle(HINSTANCE module) { m_hResModule = module; }
    BOOL CreateDlg(CInDialog* dlg, UINT id, CWnd* parent);
    void DestroyDlg(CInDialog* dlg);

protected:
    HINSTANCE m_hResModule = nullptr;
};

class ZENT_BCTRL_API CInDialog : public CBmpDialog {
public:
    CInDialog(UINT id, CWnd* parent);
    ~CInDialog() override;

    // --- called by the stack, in the order a screen's life runs through them ---
    virtual void CreateWnd(int param);
    virtual void DestroyWnd(int param);
    virtual void HideWnd(int param);
    virtual void ShowWnd(int param);
    // Give button the pressed look for a moment, then end like the framework's OK / Cancel.
    virtual void OnOK(CBmpCtrl* button);
    virtual void OnCancel(CBmpCtrl* button);

    void SetParam(int param) { m_nParam = param; }
    int GetParam() const { return m_nParam; }
    void SetDocument(CInDlgDocument* doc) { m_pDocument = doc; }
    CInDlgDocument* GetDocument() const { return m_pDocument; }
    // Posts to the parent given to the constructor; TRUE when the post succeeded.
    BOOL SendParent(UINT msg, WPARAM w, LPARAM l);
    void SlideShow(int) {}
    void SlideHide(int) { SlideHideWnd(); }

    // A slot the library only holds.
    static void* m_PtrStaticVoid;

protected:
    void OnOK() override { OnOK(nullptr); }
    void OnCancel() override { OnCancel(nullptr); }

private:
    void ShowPressed(CBmpCtrl* button);

    int m_nParam = 0;
    HWND m_hParentWnd = nullptr;
    CInDlgDocument* m_pDocument = nullptr; // not owned
};

} // namespace zent
