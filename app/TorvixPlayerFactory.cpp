#include "app/TorvixPlayerFactory.h"

#include "app/FileLoadDlg.h"
#include "app/Resources.h"
#include "app/TorvixPlayerDocument.h"
#include "app/TorvixPlayerMainDlg.h"
#include "cardtools/TorvixPlayerHelpDlg.h"
#include "cardtools/TorvixPlayerPopUpDlg.h"

using namespace zent;
using namespace player;

CTorvixPlayerFactory::CTorvixPlayerFactory(CTorvixPlayerDocument* pDocument) : m_pDocument(pDocument) {}

CTorvixPlayerFactory::~CTorvixPlayerFactory() = default;

bool CTorvixPlayerFactory::IsKnownDialog(UINT id)
{
    switch (id) {
    case IDD_MAIN:
    case IDD_HELP:
    case IDD_POPUP:
    case IDD_FILE_LOAD: return true;
    default: return false;
    }
}

std::unique_ptr<CInDialog> CTorvixPlayerFactory::MakeDialog(UINT id, CWnd* parent)
{
    std::unique_ptr<CInDialog> dlg;
    switch (id) {
    case IDD_MAIN: dlg = std::make_unique<CTorvixPlayerMainDlg>(id, parent); break;
    case IDD_HELP: dlg = std::make_unique<CTorvixPlayerHelpDlg>(id, parent); break;
    case IDD_POPUP: dlg = std::make_unique<CTorvixPlayerPopUpDlg>(id, parent); break;
    case IDD_FILE_LOAD: dlg = std::make_unique<CFileLoadDlg>(id, parent); break;
    default: return nullptr;
    }
    dlg->SetDocument(m_pDocument);
    dlg->SetResourceHandle(&PlayerResources());
    return dlg;
}

CInDialog* CTorvixPlayerFactory::CreateInDlg(UINT id, CWnd* parent)
{
    std::unique_ptr<CInDialog> dlg = MakeDialog(id, parent);
    if (!dlg) return nullptr;
    SetResourceHandle(&PlayerResources());
    if (!CreateDlg(dlg.get(), id, parent)) return nullptr;
    // The dialog stack owns what it is given.
    return dlg.release();
}

int CTorvixPlayerFactory::ReleaseInDlg(CInDialog*)
{
    // The stack destroys its screens itself.
    return 0;
}
