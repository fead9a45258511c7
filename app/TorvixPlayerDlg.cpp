#include "app/TorvixPlayerDlg.h"

#include "app/Resources.h"
#include "app/TorvixPlayerMainDlg.h"
#include "diag/Trace.h"
#include "widgets/SkinLoader.h"

#include "engine/IZentPlayer.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <cstring>

using namespace zent;
using namespace player;

CTorvixPlayerDlg::CTorvixPlayerDlg(CWnd* parent)
    : CMainDialog(&m_factory, IDD_TORVIXPLAYER_DIALOG, &m_document, parent), m_factory(&m_document)
{
    SetResourceHandle(&PlayerResources());
}

CTorvixPlayerDlg::~CTorvixPlayerDlg()
{
    m_pMainDlg = nullptr;
    m_bInitialised = false;
    m_mapDialogs.clear();
    DelAllDlg();
    DestroyWindow();
}

BOOL CTorvixPlayerDlg::OnInitDialog()
{
    CMainDialog::OnInitDialog();
    m_document.SetMainWnd(GetSafeHwnd());
    if (QLBMLoader* loader = GetSkinLoader(); loader && loader->GetHeader()) {
        const auto* p = reinterpret_cast<const BYTE*>(loader->GetHeader());
        m_vecIndexBlock.assign(p, p + loader->GetHeaderSize());
    }
    CenterOnScreen();
    if (ShowInDlg(IDD_MAIN, 0)) m_pMainDlg = dynamic_cast<CTorvixPlayerMainDlg*>(GetCurrentDlg());
    m_bInitialised = true;
    if (m_fnInitialised) m_fnInitialised(GetSafeHwnd());
    return TRUE;
}

void CTorvixPlayerDlg::CenterOnScreen()
{
    RECT rc{};
    GetWindowRect(GetSafeHwnd(), &rc);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    if (cx <= 0 || cy <= 0) return;
    SetWindowPos(GetSafeHwnd(), nullptr, std::max(0, (cx - rc.Width()) / 2), std::max(0, (cy - rc.Height()) / 2), 0,
                 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CTorvixPlayerDlg::OnCreateInDlg(UINT id, HWND hwndParent)
{
    CWnd* parent = CWnd::FromHandle(hwndParent);
    std::unique_ptr<CInDialog> dlg = m_factory.MakeDialog(id, parent ? parent : this);
    // The caller owns the object it receives.
    return reinterpret_cast<LRESULT>(dlg.release());
}

LRESULT CTorvixPlayerDlg::OnGetOrCreateInDlg(UINT id, HWND hwndParent)
{
    auto it = m_mapDialogs.find(id);
    if (it != m_mapDialogs.end()) return reinterpret_cast<LRESULT>(it->second.get());
    CWnd* parent = CWnd::FromHandle(hwndParent);
    std::unique_ptr<CInDialog> dlg(m_factory.CreateInDlg(id, parent ? parent : this));
    if (!dlg) return 0;
    CInDialog* raw = dlg.get();
    m_mapDialogs.emplace(id, std::move(dlg));
    return reinterpret_cast<LRESULT>(raw);
}

BOOL CTorvixPlayerDlg::PreTranslateMessage(MSG* pMsg)
{
    // Every key-down ends here after the player window has seen it: nothing else in the window
    // acts on keys, and the framework's dialog keys must not close the program.
    if (pMsg->message == WM_KEYDOWN && m_pMainDlg && IsWindow(m_pMainDlg->GetSafeHwnd()) &&
        IsWindowEnabled(m_pMainDlg->GetSafeHwnd())) {
        m_pMainDlg->OnKeyDown(static_cast<UINT>(pMsg->wParam), pMsg->hwnd);
        return TRUE;
    }
    return CMainDialog::PreTranslateMessage(pMsg);
}

LRESULT CTorvixPlayerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_FFMPEG_PLAY_POS:
        if (m_bInitialised && m_pMainDlg) {
            SendMessage(m_pMainDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, wParam, lParam);
            if (CInDialog* full = m_pMainDlg->GetFullScreenWnd(); full && m_pMainDlg->GetScreenMode() == 0x10003)
                SendMessage(full->GetSafeHwnd(), WM_FFMPEG_PLAY_POS, wParam, lParam);
        }
        return 0;
    case WM_FFMPEG_PLAY_END:
        // Whatever the timer thread reported, the player window restarts or moves on.
        if (m_bInitialised && m_pMainDlg) SendMessage(m_pMainDlg->GetSafeHwnd(), WM_FFMPEG_PLAY_END, 0, 0);
        return 0;
    case WM_CREATE_INDLG: return OnCreateInDlg(static_cast<UINT>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_GET_OR_CREATE_INDLG: return OnGetOrCreateInDlg(static_cast<UINT>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_FORWARD_TO_PLAYER:
        if (m_bInitialised && m_pMainDlg) PostMessage(m_pMainDlg->GetSafeHwnd(), message, wParam, lParam);
        return 0;
    case WM_ACTIVATEAPP:
        if (m_bInitialised && m_pMainDlg && wParam && GetWindowState(GetSafeHwnd()) == WindowState::Minimized)
            m_pMainDlg->OnBtnMinimize();
        return 0;
    case WM_APP_ACTIVATE_INSTANCE:
        TraceA("### %s", "CTorvixPlayerDlg::OnActivateInstance");
        SetForegroundWindow(GetSafeHwnd());
        return 0;
    case WM_CLOSE:
        EndDialog(IDOK);
        return 0;
    case WM_DESTROY: m_vecIndexBlock.clear(); break;
    case WM_QUERYDRAGICON: return 0;
    default: break;
    }
    return CMainDialog::OnMessage(message, wParam, lParam);
}
