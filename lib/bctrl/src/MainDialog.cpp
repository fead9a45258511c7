#include <zent/bctrl/MainDialog.h>

namespace zent {

CMainDialog::CMainDialog(CInDlgFactory* factory, UINT id, CInDlgDocument* document, CWnd* parent)
    : CResDialog(id, parent), m_pFactory(factory), m_pDocument(document)
{
}

CMainDialog::~CMainDialog()
{
    // Screens still stacked are destroyed with their host rather than leaked.
    std::vector<std::unique_ptr<CInDialog>> rest;
    {
        std::lock_guard<std::mutex> lock(m_lockStack);
        rest.swap(m_vecStack);
        m_pCurrent = nullptr;
    }
    while (!rest.empty()) {
        DestroyInDlg(std::move(rest.back()));
        rest.pop_back();
    }
    DestroyWindow();
}

// --- the stack ---------------------------------------------------------------------------------

void CMainDialog::PushInDlg(std::unique_ptr<CInDialog> dlg)
{
    std::lock_guard<std::mutex> lock(m_lockStack);
    m_pCurrent = dlg.get();
    m_vecStack.push_back(std::move(dlg));
}

std::unique_ptr<CInDialog> CMainDialog::PopInDlg()
{
    std::lock_guard<std::mutex> lock(m_lockStack);
    if (m_vecStack.empty()) return nullptr;
    std::unique_ptr<CInDialog> top = std::move(m_vecStack.back());
    m_vecStack.pop_back();
    m_pCurrent = m_vecStack.empty() ? nullptr : m_vecStack.back().get();
    return top;
}

CInDialog* CMainDialog::GetCurrentDlg() const
{
    std::lock_guard<std::mutex> lock(m_lockStack);
    return m_pCurrent;
}

int CMainDialog::DlgStackSize() const
{
    std::lock_guard<std::mutex> lock(m_lockStack);
    return static_cast<int>(m_vecStack.size());
}

std::unique_ptr<CInDialog> CMainDialog::MakeInDlg(UINT id)
{
    if (!m_pFactory) return nullptr;
    std::unique_ptr<CInDialog> dlg(m_pFactory->CreateInDlg(id, this));
    if (dlg) dlg->SetDocument(m_pDocument);
    return dlg;
}

void CMainDialog::DestroyInDlg(std::unique_ptr<CInDialog> dlg)
{
    if (!dlg) return;
    dlg->DestroyWindow();
    dlg.reset();
}

// --- screen switches ---------------------------------------------------------------------------

int CMainDialog::ShowInDlg(UINT id, int param)
{
    std::unique_ptr<CInDialog> dlg = MakeInDlg(id);
    if (!dlg) return 0;
    CInDialog* pDlg = dlg.get();
    PushInDlg(std::move(dlg));
    pDlg->CreateWnd(param);
    pDlg->SlideShow(param);
    pDlg->ShowWnd(param);
    ShowWindow(pDlg->GetSafeHwnd(), SW_SHOW);
    return 1;
}

int CMainDialog::PrevInDlg(int param)
{
    CInDialog* top = GetCurrentDlg();
    if (!top) return 0;
    top->LockInput(1);
    if (top->GetSlideHideEnable()) top->SlideHide(param);
    top->HideWnd(param);
    top->DestroyWnd(param);
    std::unique_ptr<CInDialog> popped = PopInDlg();
    if (CInDialog* now = GetCurrentDlg()) now->LockInput(0);
    DestroyInDlg(std::move(popped));
    return 1;
}

int CMainDialog::PPrevInDlg(UINT id, int param)
{
    while (CInDialog* top = GetCurrentDlg()) {
        top->LockInput(1);
        top->HideWnd(param);
        top->DestroyWnd(param);
        DestroyInDlg(PopInDlg());
        CInDialog* now = GetCurrentDlg();
        if (now && now->GetDialogID() == id) {
            now->LockInput(0);
            return 1;
        }
    }
    return 0;
}

int CMainDialog::ChangeInDlg(UINT id, int param)
{
    if (!GetCurrentDlg()) return 0;
    std::unique_ptr<CInDialog> fresh = MakeInDlg(id);
    if (!fresh) return 0;
    CInDialog* pNew = fresh.get();
    std::unique_ptr<CInDialog> old = PopInDlg();
    PushInDlg(std::move(fresh));
    old->HideWnd(param);
    old->DestroyWnd(param);
    pNew->CreateWnd(param);
    pNew->ShowWnd(param);
    ShowWindow(pNew->GetSafeHwnd(), SW_SHOW);
    // The new screen is up before the old one goes, so nothing flickers through.
    ShowWindow(old->GetSafeHwnd(), SW_HIDE);
    old->UnloadBK();
    old->LockInput(1);
    DestroyInDlg(std::move(old));
    return 1;
}

void CMainDialog::DelAllDlg()
{
    while (std::unique_ptr<CInDialog> dlg = PopInDlg()) {
        dlg->HideWnd(0);
        dlg->DestroyWnd(0);
        DestroyInDlg(std::move(dlg));
    }
    if (m_pFactory) m_pFactory->OnAllDlgDeleted();
}

void CMainDialog::HideCurrentInDlg(int param)
{
    CInDialog* top = GetCurrentDlg();
    if (!top) return;
    ShowWindow(top->GetSafeHwnd(), SW_HIDE);
    top->HideWnd(param);
    top->UnloadBK();
}

void CMainDialog::ShowCurrentInDlg(int)
{
    if (CInDialog* top = GetCurrentDlg()) top->LockInput(0);
}

// --- message operations ------------------------------------------------------------------------

LRESULT CMainDialog::OnFBNext(WPARAM w, LPARAM l)
{
    ShowInDlg(static_cast<UINT>(w), static_cast<int>(l));
    return 0;
}

LRESULT CMainDialog::OnFBPrev(LPARAM l)
{
    if (DlgStackSize() > 1) {
        PrevInDlg(static_cast<int>(l));
    } else {
        // Going back from the last screen closes the whole window.
        DelAllDlg();
        EndDialog(IDOK);
    }
    return 0;
}

LRESULT CMainDialog::OnFBPPrev(WPARAM w, LPARAM l)
{
    PPrevInDlg(static_cast<UINT>(w), static_cast<int>(l));
    return 0;
}

LRESULT CMainDialog::OnFBChange(WPARAM w, LPARAM l)
{
    ChangeInDlg(static_cast<UINT>(w), static_cast<int>(l));
    return 0;
}

LRESULT CMainDialog::OnFBClose(LPARAM)
{
    DelAllDlg();
    EndDialog(IDOK);
    return 0;
}

LRESULT CMainDialog::OnFBShow(LPARAM)
{
    ShowWindow(GetSafeHwnd(), SW_SHOW);
    CInDialog* top = GetCurrentDlg();
    if (top) top->LockInput(0);
    SetFocus(top ? top->GetSafeHwnd() : nullptr);
    return 0;
}

LRESULT CMainDialog::OnFBHide(LPARAM)
{
    HideCurrentInDlg(0);
    ShowWindow(GetSafeHwnd(), SW_HIDE);
    return 0;
}

LRESULT CMainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INDLG_NEXT: return OnFBNext(wParam, lParam);
    case WM_INDLG_PREV: return OnFBPrev(lParam);
    case WM_INDLG_PPREV: return OnFBPPrev(wParam, lParam);
    case WM_INDLG_CHANGE: return OnFBChange(wParam, lParam);
    case WM_INDLG_CLOSE: return OnFBClose(lParam);
    case WM_INDLG_SHOW: return OnFBShow(lParam);
    case WM_INDLG_HIDE: return OnFBHide(lParam);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(GetSafeHwnd(), &ps);
        EndPaint(GetSafeHwnd(), &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_KILLFOCUS:
        if (CInDialog* top = GetCurrentDlg()) {
            const std::vector<CBmpCtrl*>& ctrls = top->GetControls();
            for (auto it = ctrls.rbegin(); it != ctrls.rend(); ++it) (*it)->Clean();
        }
        return 0;
    default: return CResDialog::OnMessage(message, wParam, lParam);
    }
}

} // namespace zent
