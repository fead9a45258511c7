#include <zent/bctrl/InDialog.h>

#include <chrono>
#include <thread>

namespace zent {

void* CInDialog::m_PtrStaticVoid = nullptr;

namespace {
constexpr auto kPressedLook = std::chrono::milliseconds(100);
}

BOOL CInDlgFactory::CreateDlg(CInDialog* dlg, UINT id, CWnd* parent)
{
    if (!dlg) return FALSE;
    if (m_hResModule) dlg->SetResourceHandle(m_hResModule);
    return dlg->Create(id, parent);
}

void CInDlgFactory::DestroyDlg(CInDialog* dlg)
{
    if (!dlg) return;
    dlg->DestroyWindow();
    delete dlg;
}

CInDialog::CInDialog(UINT id, CWnd* parent)
    : CBmpDialog(id, parent), m_hParentWnd(parent ? parent->GetSafeHwnd() : nullptr)
{
}

CInDialog::~CInDialog()
{
    DestroyWindow();
}

void CInDialog::CreateWnd(int) {}
void CInDialog::DestroyWnd(int) {}
void CInDialog::HideWnd(int) {}
void CInDialog::ShowWnd(int) {}

void CInDialog::ShowPressed(CBmpCtrl* button)
{
    if (!button) return;
    button->SetCtrlStyle(button->GetCtrlStyle() | BCS_PRESSED);
    button->Draw();
    // What was drawn reaches the screen when the device context is released at the end of the
    // loop pass; hold the look long enough to be seen.
    std::this_thread::sleep_for(kPressedLook);
}

void CInDialog::OnOK(CBmpCtrl* button)
{
    ShowPressed(button);
    EndDialog(IDOK);
}

void CInDialog::OnCancel(CBmpCtrl* button)
{
    ShowPressed(button);
    EndDialog(IDCANCEL);
}

BOOL CInDialog::SendParent(UINT msg, WPARAM w, LPARAM l)
{
    return PostMessage(m_hParentWnd, msg, w, l);
}

} // namespace zent
