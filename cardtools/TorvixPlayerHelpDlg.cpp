#include "cardtools/TorvixPlayerHelpDlg.h"

#include "cardtools/DialogPlacement.h"

#include "locale/AppFont.h"
#include "locale/LangRes.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Font.h>

using namespace zent;

namespace {

constexpr UINT kIdConfirm = 1093;
constexpr UINT kIdClose = 1137;
constexpr UINT kBackground = 640;
// The skin ids of the texts, in control order (the close button's pictures sit between them).
constexpr UINT kTextImages[CTorvixPlayerHelpDlg::kTextCount] = {641, 645, 646, 647, 648, 649, 650, 651, 652,
                                                               653, 654, 655, 656, 657, 658, 659, 660, 661};
constexpr UINT kConfirmImages[3] = {662, 663, 664};
constexpr UINT kCloseImages[3] = {642, 643, 644};

constexpr COLORREF kText = RGB(0xE6, 0xEA, 0xEF);
constexpr COLORREF kAccent = RGB(0xF2, 0x7A, 0x1A);
constexpr COLORREF kDim = RGB(0x9A, 0xA4, 0xB0);

int Align(UINT format)
{
    return static_cast<int>(format << BCS_TEXT_ALIGN_SHIFT) | BCS_IMAGE_KEYED;
}

} // namespace

CTorvixPlayerHelpDlg::CTorvixPlayerHelpDlg(UINT id, CWnd* parent) : CInDialog(id, parent) {}

CTorvixPlayerHelpDlg::~CTorvixPlayerHelpDlg()
{
    DestroyWindow();
}

BOOL CTorvixPlayerHelpDlg::OnInitDialog()
{
    CInDialog::OnInitDialog();
    QLBMLoader* loader = GetSkinLoader();
    const HWND hwnd = GetSafeHwnd();
    LoadBackground(loader, kBackground, POINT{0, 0}, RGB(0x1C, 0x22, 0x2A));
    CenterWindowOver(hwnd, GetParent(hwnd));

    for (int i = 0; i < kTextCount; ++i) {
        CBmpText& line = m_txtLines[static_cast<std::size_t>(i)];
        const int control = lang::kHelpFirstControl + i;
        if (!line.SubclassDlgItem(static_cast<UINT>(control), hwnd)) continue;
        // The title, the two headings and the credits have looks of their own.
        const bool bHeading = i == 1 || i == 16;
        const bool bCredits = i == 17;
        line.InitControl(Align(bCredits ? DT_LEFT | DT_WORDBREAK : DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS),
                         loader, kTextImages[i]);
        SetFontToObject(&line, i == 0 ? -15 : (bHeading ? -13 : -12), 0, i == 0 || bHeading ? 700 : 500, 5, L"");
        const COLORREF colour = bHeading ? kAccent : (bCredits ? kDim : kText);
        line.SetColor(colour, colour, 0);
        line.SetText(GetLangString(lang::HelpTextForControl(control)), 0);
    }
    if (m_btnConfirm.SubclassDlgItem(kIdConfirm, hwnd)) {
        m_btnConfirm.InitControl(BCS_COMMAND_ON_RELEASE, loader, kConfirmImages[0], kConfirmImages[1], kConfirmImages[2],
                                 kConfirmImages[0]);
        SetFontToObject(&m_btnConfirm, -13, 0, 700, 5, L"");
        m_btnConfirm.SetTextColor(RGB(0xFF, 0xFF, 0xFF), RGB(0xFF, 0xFF, 0xFF));
        m_btnConfirm.SetButtonText(GetLangString(lang::kHelpConfirm), 0);
    }
    if (m_btnClose.SubclassDlgItem(kIdClose, hwnd))
        m_btnClose.InitControl(BCS_COMMAND_ON_RELEASE, loader, kCloseImages[0], kCloseImages[1], kCloseImages[2],
                               kCloseImages[0]);
    return TRUE;
}

LRESULT CTorvixPlayerHelpDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == kIdConfirm || LOWORD(wParam) == kIdClose)) {
        EndDialog(IDOK);
        return 0;
    }
    return CInDialog::OnMessage(message, wParam, lParam);
}

int CTorvixPlayerHelpDlg::KeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_RETURN || key == VK_ESCAPE) {
        EndDialog(IDOK);
        return 1;
    }
    return CInDialog::KeyDown(key, repeat, flags);
}
