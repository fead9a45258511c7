// Dialogs from template tables: items, modal loops that nest and unwind, the disabled owner.

#include "WindowTestSupport.h"

#include <zent/platform/Dialog.h>

using namespace zent;
using windowtest::CWindowTest;

namespace {

constexpr UINT IDC_TITLE = 1000;
constexpr UINT IDC_NAME = 1001;

constexpr DialogItemTemplate kAskItems[] = {
    {L"Static", IDC_TITLE, 10, 10, 200, 20, 0, 0, L"Name?"},
    {L"Edit", IDC_NAME, 10, 40, 200, 20, WS_TABSTOP | WS_DISABLED},
    {L"Button", IDOK, 60, 70, 80, 24, WS_TABSTOP},
    {L"Button", IDCANCEL, 150, 70, 80, 24, WS_TABSTOP},
};
constexpr DialogTemplate kAsk{200, 30, 20, 240, 110, WS_POPUP, 0, L"Ask", kAskItems};
constexpr DialogTemplate kPanel{201, 5, 5, 100, 50, WS_CHILD | WS_VISIBLE, 0, L"", {}};
constexpr DialogTemplate kTable[] = {kAsk, kPanel};

// The click-to-command behaviour of a push button, enough for a dialog to be ended by a click.
class CPushButton : public CWnd {
protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONUP)
            SendMessage(GetParent(GetSafeHwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(GetSafeHwnd()), BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetSafeHwnd()));
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

// Runs a script of steps from its own timer, one step per tick, so that everything happens
// inside its modal loop.
class CScriptedDialog : public CDialog {
public:
    std::vector<std::function<void(CScriptedDialog&)>> m_vecSteps;
    CPushButton m_okButton;
    bool m_bShownWhileInit = false;

protected:
    BOOL OnInitDialog() override
    {
        m_okButton.SubclassDlgItem(IDOK, GetSafeHwnd());
        m_bShownWhileInit = IsWindowVisible(GetSafeHwnd());
        SetTimer(GetSafeHwnd(), 1, 10);
        return TRUE;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == 1) {
            if (m_nStep < m_vecSteps.size()) m_vecSteps[m_nStep++](*this);
            return 0;
        }
        return CDialog::OnMessage(message, wParam, lParam);
    }

private:
    std::size_t m_nStep = 0;
};

} // namespace

class CDialogTest : public CWindowTest {
protected:
    void SetUp() override
    {
        CWindowTest::SetUp();
        m_pPresenter->SetAutoAdvance(true);
        m_hwndMain = MakeTop(0, 0, 640, 480);
        m_hwndMainButton = MakeChild(m_hwndMain, 10, 10, 50, 20);
        SetFocus(m_hwndMainButton);
    }
    HWND m_hwndMain = nullptr;
    HWND m_hwndMainButton = nullptr;
};

TEST_F(CDialogTest, ModalDialogRunsItsOwnLoopWhileItsOwnerTakesNoInput)
{
    CScriptedDialog dlg;
    HWND hwndDlg = nullptr;
    BOOL bOwnerEnabled = TRUE;
    HWND hwndFocusInDialog = nullptr;
    int nFocusID = 0;
    RECT rcName{};
    dlg.m_vecSteps = {
        [&](CScriptedDialog& d) {
            hwndDlg = d.GetSafeHwnd();
            bOwnerEnabled = IsWindowEnabled(m_hwndMain);
            hwndFocusInDialog = GetFocus();
            nFocusID = GetDlgCtrlID(hwndFocusInDialog);
            GetWindowRect(GetDlgItem(hwndDlg, IDC_NAME), &rcName);
            // The owner is disabled: neither the click nor the key may reach it.
            m_pPresenter->InjectClick(m_hwndMain, POINT{15, 15});
            m_pPresenter->InjectKey(m_hwndMain, VK_RETURN);
        },
        [&](CScriptedDialog& d) { m_pPresenter->InjectClick(GetDlgItem(d.GetSafeHwnd(), IDOK), POINT{3, 3}); },
    };
    const INT_PTR nResult = dlg.DoModal(&kAsk, m_hwndMainButton);

    EXPECT_EQ(nResult, IDOK);
    EXPECT_FALSE(dlg.m_bShownWhileInit);
    EXPECT_FALSE(bOwnerEnabled);
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN, m_hwndMain) + m_log.Count(WM_LBUTTONDOWN, m_hwndMainButton), 0);
    EXPECT_EQ(m_log.Count(WM_KEYDOWN), 0);
    // Items sit at their template pixels inside the dialog; the focus went to the first enabled
    // tab stop.
    EXPECT_EQ(rcName, (RECT{40, 60, 240, 80}));
    EXPECT_NE(hwndFocusInDialog, nullptr);
    EXPECT_EQ(nFocusID, IDOK);
    // Afterwards: the dialog is gone, the owner takes input again and has its focus back.
    EXPECT_FALSE(IsWindow(hwndDlg));
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(m_hwndMain));
    EXPECT_EQ(GetFocus(), m_hwndMainButton);
    m_pPresenter->InjectClick(m_hwndMain, POINT{15, 15});
    Pump();
    EXPECT_EQ(m_log.Count(WM_LBUTTONDOWN, m_hwndMainButton), 1);
}

TEST_F(CDialogTest, EndingAnOuterDialogWhileAnInnerRunsTakesEffectWhenTheInnerReturns)
{
    CScriptedDialog outer;
    CScriptedDialog inner;
    std::vector<std::string> vecOrder;
    BOOL bMainEnabledInInner = TRUE;
    BOOL bOuterEnabledInInner = TRUE;
    BOOL bOuterEnabledAfterInner = FALSE;
    INT_PTR nInner = 0;
    outer.m_vecSteps = {[&](CScriptedDialog& d) {
        nInner = inner.DoModal(&kAsk, d.GetSafeHwnd());
        vecOrder.push_back("inner returned");
        bOuterEnabledAfterInner = IsWindowEnabled(d.GetSafeHwnd());
    }};
    inner.m_vecSteps = {[&](CScriptedDialog& d) {
        bMainEnabledInInner = IsWindowEnabled(m_hwndMain);
        bOuterEnabledInInner = IsWindowEnabled(outer.GetSafeHwnd());
        EXPECT_EQ(CMessageLoop::Current()->GetModalDepth(), 2);
        outer.EndDialog(11);
        d.EndDialog(22);
    }};
    const INT_PTR nOuter = outer.DoModal(&kAsk, m_hwndMain);
    vecOrder.push_back("outer returned");

    EXPECT_EQ(nInner, 22);
    EXPECT_EQ(nOuter, 11);
    EXPECT_EQ(vecOrder, (std::vector<std::string>{"inner returned", "outer returned"}));
    EXPECT_FALSE(bMainEnabledInInner);
    EXPECT_FALSE(bOuterEnabledInInner);
    EXPECT_TRUE(bOuterEnabledAfterInner);
    EXPECT_TRUE(IsWindowEnabled(m_hwndMain));
    EXPECT_EQ(m_pLoop->GetModalDepth(), 0);
}

TEST_F(CDialogTest, QuitEndsEveryModalLoopAndThenTheOuterRun)
{
    CScriptedDialog outer;
    CScriptedDialog inner;
    INT_PTR nInner = 0;
    outer.m_vecSteps = {[&](CScriptedDialog& d) { nInner = inner.DoModal(&kAsk, d.GetSafeHwnd()); }};
    inner.m_vecSteps = {[&](CScriptedDialog&) { PostQuitMessage(3); }};
    const INT_PTR nOuter = outer.DoModal(&kAsk, m_hwndMain);
    EXPECT_EQ(nInner, -1);
    EXPECT_EQ(nOuter, -1);
    EXPECT_TRUE(IsWindowEnabled(m_hwndMain));
    EXPECT_EQ(m_pLoop->Run(), 3);
    // The quit was consumed by the outer loop.
    PostMessage(m_hwndMain, WM_APP, 0, 0);
    m_log.On(WM_APP, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        PostQuitMessage(4);
        return 0;
    });
    EXPECT_EQ(m_pLoop->Run(), 4);
    EXPECT_EQ(m_log.Count(WM_APP), 1);
}

TEST_F(CDialogTest, DialogEndedOrDestroyedEarlyNeverLeavesItsOwnerDisabled)
{
    class CRefusing : public CDialog {
    protected:
        BOOL OnInitDialog() override
        {
            EndDialog(IDCANCEL);
            return TRUE;
        }
    } refusing;
    EXPECT_EQ(refusing.DoModal(&kAsk, m_hwndMain), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(m_hwndMain));

    CScriptedDialog destroyed;
    HWND hwndDestroyed = nullptr;
    destroyed.m_vecSteps = {[&](CScriptedDialog& d) {
        hwndDestroyed = d.GetSafeHwnd();
        d.DestroyWindow();
    }};
    EXPECT_EQ(destroyed.DoModal(&kAsk, m_hwndMain), -1);
    EXPECT_TRUE(IsWindowEnabled(m_hwndMain));
    EXPECT_FALSE(IsWindow(hwndDestroyed));

    CDialog none;
    EXPECT_EQ(none.DoModal(nullptr, m_hwndMain), -1);
    EXPECT_EQ(none.DoModal(FindDialogTemplate(kTable, 999), m_hwndMain), -1);

    // Closing asks the dialog to cancel.
    CScriptedDialog closed;
    closed.m_vecSteps = {[](CScriptedDialog& d) { PostMessage(d.GetSafeHwnd(), WM_CLOSE, 0, 0); }};
    EXPECT_EQ(closed.DoModal(&kAsk, m_hwndMain), IDCANCEL);
}

TEST_F(CDialogTest, ModelessChildDialogBecomesAChildWithItsTemplateItems)
{
    CDialog panel;
    ASSERT_TRUE(panel.Create(FindDialogTemplate(kTable, 201), m_hwndMain));
    EXPECT_EQ(GetParent(panel.GetSafeHwnd()), m_hwndMain);
    EXPECT_TRUE(IsWindowVisible(panel.GetSafeHwnd()));
    EXPECT_EQ(GetDlgCtrlID(panel.GetSafeHwnd()), 201);

    CDialog popup;
    ASSERT_TRUE(popup.Create(FindDialogTemplate(kTable, 200), m_hwndMainButton, 7));
    EXPECT_EQ(GetAncestor(popup.GetSafeHwnd(), GA_PARENT), nullptr);
    EXPECT_EQ(GetWindow(popup.GetSafeHwnd(), GW_OWNER), m_hwndMain);
    EXPECT_FALSE(IsWindowVisible(popup.GetSafeHwnd()));
    const HWND hwndTitle = GetDlgItem(popup.GetSafeHwnd(), IDC_TITLE);
    EXPECT_EQ(GetWindowText(hwndTitle), L"Name?");
    EXPECT_EQ(GetClassName(hwndTitle), L"Static");
    // Items are visible in their own right but not seen while the dialog is hidden.
    EXPECT_TRUE(GetWindowLong(GetDlgItem(popup.GetSafeHwnd(), IDC_NAME), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(popup.GetSafeHwnd(), IDC_NAME)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(popup.GetSafeHwnd(), IDC_NAME)));
    // Destroying the owner takes the owned dialog along.
    DestroyWindow(m_hwndMain);
    EXPECT_EQ(popup.GetSafeHwnd(), nullptr);
    EXPECT_EQ(panel.GetSafeHwnd(), nullptr);
}
