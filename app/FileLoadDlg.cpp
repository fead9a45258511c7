#include "app/FileLoadDlg.h"

#include "app/Resources.h"
#include "app/SkinIds.h"
#include "app/TorvixPlayerMainDlg.h"
#include "cardtools/DialogPlacement.h"
#include "diag/Trace.h"
#include "locale/AppFont.h"
#include "locale/LangRes.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Font.h>

using namespace zent;

namespace {

constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationMs = 100;

} // namespace

CFileLoadDlg::CFileLoadDlg(UINT id, CWnd* parent) : CInDialog(id, parent) {}

CFileLoadDlg::~CFileLoadDlg()
{
    JoinWorker();
    DestroyWindow();
}

void CFileLoadDlg::JoinWorker()
{
    if (m_worker.joinable()) m_worker.join();
}

BOOL CFileLoadDlg::OnInitDialog()
{
    CInDialog::OnInitDialog();
    QLBMLoader* loader = GetSkinLoader();
    LoadBackground(loader, skin::kFileLoadBackground, POINT{0, 0}, RGB(0x1C, 0x22, 0x2A));
    const HWND hwnd = GetSafeHwnd();
    // Centred on the player window.
    if (m_pMain) CenterWindowOver(hwnd, m_pMain->GetSafeHwnd());

    if (m_imgProgress.SubclassDlgItem(player::IDC_FILELOAD_PROGRESS, hwnd))
        m_imgProgress.InitControl(loader, skin::kFileLoadProgress0, BCS_IMAGE_KEYED, 0);
    if (m_txtMessage.SubclassDlgItem(player::IDC_FILELOAD_MESSAGE, hwnd)) {
        m_txtMessage.InitControl(static_cast<int>((DT_CENTER | DT_VCENTER | DT_SINGLELINE) << BCS_TEXT_ALIGN_SHIFT) |
                                     BCS_IMAGE_KEYED,
                                 loader, skin::kFileLoadMessage);
        SetFontToObject(&m_txtMessage, 13, 0, 500, 5, L"");
        m_txtMessage.SetColor(RGB(0xE6, 0xEA, 0xEF), RGB(0xE6, 0xEA, 0xEF), 0);
        m_txtMessage.SetText(GetLangString(lang::kFileLoadCaption), 0);
    }
    SetTimer(hwnd, kAnimationTimer, kAnimationMs);

    if (!m_pMain) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    CTorvixPlayerMainDlg* pMain = m_pMain;
    m_worker = std::thread([pMain, hwnd] {
        pMain->ScanForFileLoad();
        PostMessage(hwnd, WM_FILELOAD_DONE, 0, 0);
    });
    return TRUE;
}

LRESULT CFileLoadDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kAnimationTimer) {
            m_nFrame = (m_nFrame + 1) % skin::kFileLoadFrames;
            m_imgProgress.SetBitmap(0, GetSkinLoader(), skin::kFileLoadProgress0 + static_cast<UINT>(m_nFrame));
            m_imgProgress.Draw();
        }
        return 0;
    case WM_FILELOAD_DONE:
        KillTimer(GetSafeHwnd(), kAnimationTimer);
        JoinWorker();
        if (m_pMain) m_pMain->OnFileLoadDone();
        EndDialog(IDOK);
        return 0;
    default: return CInDialog::OnMessage(message, wParam, lParam);
    }
}
