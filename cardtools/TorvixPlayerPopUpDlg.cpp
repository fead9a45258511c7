#include "cardtools/TorvixPlayerPopUpDlg.h"

#include "cardtools/DialogPlacement.h"

#include "app/Resources.h"
#include "app/SkinIds.h"
#include "app/TorvixPlayerDocument.h"
#include "diag/Trace.h"
#include "locale/AppFont.h"
#include "locale/LangRes.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>
#include <zent/platform/Text.h>

#include <memory>

using namespace zent;

namespace {

// Sent to the main window: create the dialog of id wParam with parent lParam; the result is the
// dialog object, which the caller owns.
constexpr UINT WM_CREATE_INDLG = 0x6F0;

constexpr COLORREF kWhite = 0xFFFFFF;

} // namespace

int CPopUpMessageText::DrawCtrl(HDC dc, POINT origin)
{
    if (!GetVisibleCtrl()) return 1;
    const RECT rcCtrl = GetControlPos();
    RECT rc{origin.x, origin.y, origin.x + rcCtrl.Width(), origin.y + rcCtrl.Height()};
    HFONT font = GetFont() ? GetFont() : GetAppFont(15, 0, 400, 6, L"");
    CSelectObject selectFont(dc, font);
    RECT rcCalc = rc;
    DrawText(dc, GetText(), &rcCalc, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    const int textHeight = rcCalc.bottom - rcCalc.top;
    RECT rcText = rc;
    if (textHeight < rc.Height()) rcText.top += (rc.Height() - textHeight) / 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kWhite);
    DrawText(dc, GetText(), &rcText, DT_CENTER | DT_WORDBREAK);
    return 1;
}

CTorvixPlayerPopUpDlg::CTorvixPlayerPopUpDlg(UINT id, CWnd* parent) : CInDialog(id, parent) {}

CTorvixPlayerPopUpDlg::~CTorvixPlayerPopUpDlg()
{
    DestroyWindow();
}

BOOL CTorvixPlayerPopUpDlg::OnInitDialog()
{
    CInDialog::OnInitDialog();
    QLBMLoader* loader = GetSkinLoader();
    if (auto* doc = dynamic_cast<CTorvixPlayerDocument*>(GetDocument()))
        m_strMessage = doc->m_strTexts[CTorvixPlayerDocument::kPopupText];
    TraceA("### %s - %s", "CTorvixPlayerPopUpDlg::OnInitDialog", WideToUtf8(m_strMessage).c_str());

    LoadBackgroundEx(loader, skin::kPopupBackground, 1, static_cast<int>(kWhite), 0, POINT{0, 0});
    CenterWindowOver(GetSafeHwnd(), GetParent(GetSafeHwnd()));
    if (m_imgCaution.SubclassDlgItem(player::IDC_POPUP_CAUTION, GetSafeHwnd()))
        m_imgCaution.InitControl(loader, skin::kPopupCaution, 0, 0);
    if (m_txtMessage.SubclassDlgItem(player::IDC_POPUP_MESSAGE, GetSafeHwnd())) {
        m_txtMessage.InitControl(0x50004, loader, skin::kPopupMessage);
        SetFontToObject(&m_txtMessage, 15, 0, 400, 6, L"");
        m_txtMessage.SetColor(kWhite, kWhite, 0);
        m_txtMessage.SetText(m_strMessage, 0);
    }
    if (m_btnConfirm.SubclassDlgItem(player::IDC_POPUP_CONFIRM, GetSafeHwnd())) {
        const auto& ids = skin::kPopupConfirm;
        m_btnConfirm.InitControl(BCS_COMMAND_ON_RELEASE, loader, ids.normal, ids.pressed, ids.disabled, ids.normal);
        SetFontToObject(&m_btnConfirm, 13, 0, 700, 5, L"");
        m_btnConfirm.SetTextColor(kWhite, kWhite);
        m_btnConfirm.SetButtonText(GetLangString(lang::kPopUpConfirm), 0);
    }
    if (s_bUnattended) PostMessage(GetSafeHwnd(), WM_COMMAND, player::IDC_POPUP_CONFIRM, 0);
    return TRUE;
}

LRESULT CTorvixPlayerPopUpDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == player::IDC_POPUP_CONFIRM) {
        EndDialog(IDOK);
        return 0;
    }
    return CInDialog::OnMessage(message, wParam, lParam);
}

int CTorvixPlayerPopUpDlg::KeyDown(UINT key, UINT repeat, UINT flags)
{
    // A pop-up that only informs closes on the keys people press for "OK".
    if (key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE) {
        EndDialog(IDOK);
        return 1;
    }
    return CInDialog::KeyDown(key, repeat, flags);
}

void ShowMessagePopup(CTorvixPlayerDocument* pDocument, const std::wstring& text, HWND hwndOwner)
{
    if (!pDocument || !pDocument->GetMainWnd()) return;
    pDocument->m_strTexts[CTorvixPlayerDocument::kPopupText] = text;
    auto* raw = reinterpret_cast<CInDialog*>(SendMessage(pDocument->GetMainWnd(), WM_CREATE_INDLG, player::IDD_POPUP,
                                                         reinterpret_cast<LPARAM>(hwndOwner)));
    std::unique_ptr<CInDialog> dlg(raw);
    if (dlg) dlg->DoModal();
}
