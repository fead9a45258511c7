// The dialog stack: screens pushed, popped, searched and replaced in the described orders, by
// call and by message.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/MainDialog.h>

#include <thread>

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_MAIN = 200;
constexpr UINT IDD_A = 0x81;
constexpr UINT IDD_B = 0x82;
constexpr UINT IDD_C = 0x83;
constexpr UINT IDD_D = 0x84;
constexpr UINT IDD_UNKNOWN = 0x99;

constexpr DialogTemplate kTemplates[] = {
    {IDD_MAIN, 0, 0, 100, 100, WS_POPUP, 0, L"", {}},
    {IDD_A, 0, 0, 50, 50, WS_CHILD, 0, L"", {}},
    {IDD_B, 0, 0, 50, 50, WS_CHILD, 0, L"", {}},
    {IDD_C, 0, 0, 50, 50, WS_CHILD, 0, L"", {}},
    {IDD_D, 0, 0, 50, 50, WS_CHILD, 0, L"", {}},
};

std::string NameOf(UINT id)
{
    return std::string(1, static_cast<char>('A' + (id - IDD_A)));
}

class CScreen : public CInDialog {
public:
    CScreen(UINT id, CWnd* parent, std::vector<std::string>* log)
        : CInDialog(id, parent), m_strName(NameOf(id)), m_pLog(log)
    {
    }
    ~CScreen() override { m_pLog->push_back(m_strName + ":deleted"); }
    void CreateWnd(int p) override { Note("create", p); }
    void DestroyWnd(int p) override { Note("destroy", p); }
    void HideWnd(int p) override { Note("hide", p); }
    void ShowWnd(int p) override
    {
        Note("show", p);
        m_bVisibleBeforeShow = IsWindowVisible(GetSafeHwnd());
    }
    bool m_bVisibleBeforeShow = true;

private:
    void Note(const char* what, int p) { m_pLog->push_back(m_strName + ":" + what + std::to_string(p)); }
    std::string m_strName;
    std::vector<std::string>* m_pLog;
};

class CTestFactory : public CInDlgFactory {
public:
    explicit CTestFactory(std::vector<std::string>* log) : m_pLog(log) {}
    CInDialog* CreateInDlg(UINT id, CWnd* parent) override
    {
        if (id < IDD_A || id > IDD_D) return nullptr;
        auto* dlg = new CScreen(id, parent, m_pLog);
        if (!CreateDlg(dlg, id, parent)) {
            delete dlg;
            return nullptr;
        }
        return dlg;
    }
    int ReleaseInDlg(CInDialog*) override { return 0; }
    void OnAllDlgDeleted() override { m_pLog->push_back("all deleted"); }

private:
    std::vector<std::string>* m_pLog;
};

class CTestDocument : public CInDlgDocument {};

class CDialogStackTest : public CBCtrlTest {
protected:
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_main.Create(IDD_MAIN, nullptr));
        ShowWindow(m_main.GetSafeHwnd(), SW_SHOW);
    }
    // Pushes the screens and forgets what that logged.
    void Stack(std::initializer_list<UINT> ids)
    {
        for (UINT id : ids) ASSERT_EQ(m_main.ShowInDlg(id, 0), 1);
        m_log.clear();
    }
    UINT TopId() { return m_main.GetCurrentDlg() ? m_main.GetCurrentDlg()->GetDialogID() : 0; }

    CResModule m_kModule;
    std::vector<std::string> m_log;
    CTestFactory m_factory{&m_log};
    CTestDocument m_doc;
    CMainDialog m_main{&m_factory, IDD_MAIN, &m_doc, nullptr};
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(CDialogStackTest, ShowPushesCreatesThenShows)
{
    EXPECT_EQ(m_main.ShowInDlg(IDD_A, 3), 1);
    EXPECT_EQ(m_log, (Log{"A:create3", "A:show3"}));
    CInDialog* a = m_main.GetCurrentDlg();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetDocument(), &m_doc);
    EXPECT_FALSE(static_cast<CScreen*>(a)->m_bVisibleBeforeShow);
    EXPECT_TRUE(IsWindowVisible(a->GetSafeHwnd()));
    EXPECT_EQ(GetParent(a->GetSafeHwnd()), m_main.GetSafeHwnd());

    m_log.clear();
    EXPECT_EQ(m_main.ShowInDlg(IDD_UNKNOWN, 0), 0);
    EXPECT_EQ(m_main.DlgStackSize(), 1);
    EXPECT_EQ(m_main.GetCurrentDlg(), a);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(CDialogStackTest, PrevPopsAndDestroysTheTopAndUnlocksTheOneBelow)
{
    EXPECT_EQ(m_main.PrevInDlg(0), 0);
    Stack({IDD_A, IDD_B});
    m_main.GetCurrentDlg(); // B
    CInDialog* a = nullptr;
    m_main.PrevInDlg(7);
    a = m_main.GetCurrentDlg();
    EXPECT_EQ(m_log, (Log{"B:hide7", "B:destroy7", "B:deleted"}));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetDialogID(), IDD_A);
    EXPECT_EQ(a->GetInputLock(), 0);
    EXPECT_EQ(m_main.DlgStackSize(), 1);
}

TEST_F(CDialogStackTest, PPrevPopsUntilTheScreenBelowHasTheId)
{
    Stack({IDD_A, IDD_B, IDD_C});
    EXPECT_EQ(m_main.PPrevInDlg(IDD_A, 2), 1);
    EXPECT_EQ(m_log, (Log{"C:hide2", "C:destroy2", "C:deleted", "B:hide2", "B:destroy2", "B:deleted"}));
    EXPECT_EQ(TopId(), IDD_A);
    EXPECT_EQ(m_main.GetCurrentDlg()->GetInputLock(), 0);
}

TEST_F(CDialogStackTest, PPrevAlwaysPopsTheTopAndEmptiesTheStackWhenNotFound)
{
    Stack({IDD_A, IDD_B, IDD_C});
    EXPECT_EQ(m_main.PPrevInDlg(IDD_C, 0), 0);
    EXPECT_EQ(m_main.DlgStackSize(), 0);
    EXPECT_EQ(m_main.GetCurrentDlg(), nullptr);
    EXPECT_EQ(m_log.back(), "A:deleted");
}

TEST_F(CDialogStackTest, ChangeReplacesTheTopShowingTheNewOneFirst)
{
    EXPECT_EQ(m_main.ChangeInDlg(IDD_C, 0), 0);
    Stack({IDD_A, IDD_B});
    EXPECT_EQ(m_main.ChangeInDlg(IDD_UNKNOWN, 0), 0);
    EXPECT_EQ(TopId(), IDD_B);
    EXPECT_EQ(m_main.ChangeInDlg(IDD_C, 4), 1);
    EXPECT_EQ(m_log, (Log{"B:hide4", "B:destroy4", "C:create4", "C:show4", "B:deleted"}));
    EXPECT_EQ(m_main.DlgStackSize(), 2);
    EXPECT_EQ(TopId(), IDD_C);
    EXPECT_TRUE(IsWindowVisible(m_main.GetCurrentDlg()->GetSafeHwnd()));
    m_main.PrevInDlg(0);
    EXPECT_EQ(TopId(), IDD_A);
}

TEST_F(CDialogStackTest, DelAllDestroysTopFirstThenTellsTheFactory)
{
    m_main.DelAllDlg();
    EXPECT_EQ(m_log, (Log{"all deleted"}));
    Stack({IDD_A, IDD_B});
    m_main.DelAllDlg();
    EXPECT_EQ(m_log, (Log{"B:hide0", "B:destroy0", "B:deleted", "A:hide0", "A:destroy0", "A:deleted", "all deleted"}));
    EXPECT_EQ(m_main.DlgStackSize(), 0);
}

TEST_F(CDialogStackTest, MessagesCarryTheTemplateIdAndParam)
{
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_NEXT, IDD_D, 1);
    Pump();
    EXPECT_EQ(m_log, (Log{"D:create1", "D:show1"}));
    EXPECT_EQ(TopId(), IDD_D);

    // A screen asks for the next one without knowing the main dialog's class.
    m_log.clear();
    EXPECT_TRUE(m_main.GetCurrentDlg()->SendParent(WM_INDLG_NEXT, IDD_A, 5));
    EXPECT_TRUE(m_log.empty());
    Pump();
    EXPECT_EQ(m_log, (Log{"A:create5", "A:show5"}));

    m_log.clear();
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_CHANGE, IDD_B, 2);
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_PPREV, IDD_D, 3);
    Pump();
    EXPECT_EQ(TopId(), IDD_D);
    EXPECT_EQ(m_main.DlgStackSize(), 1);
    EXPECT_EQ(m_log.back(), "B:deleted");
}

TEST_F(CDialogStackTest, GoingBackFromTheLastScreenEndsTheMainDialog)
{
    Stack({IDD_A, IDD_B});
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_PREV, 0, 0);
    Pump();
    EXPECT_EQ(m_main.DlgStackSize(), 1);
    EXPECT_TRUE(IsWindowVisible(m_main.GetSafeHwnd()));
    m_log.clear();
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_PREV, 0, 0);
    Pump();
    EXPECT_EQ(m_log, (Log{"A:hide0", "A:destroy0", "A:deleted", "all deleted"}));
    // Not modal here: ending it hides it.
    EXPECT_FALSE(IsWindowVisible(m_main.GetSafeHwnd()));
}

namespace {
// Shows one screen and asks to go back from it, all inside its own modal loop.
class CModalMain : public CMainDialog {
public:
    using CMainDialog::CMainDialog;
    UINT m_nCloseMessage = WM_INDLG_PREV;

protected:
    BOOL OnInitDialog() override
    {
        CMainDialog::OnInitDialog();
        ShowInDlg(IDD_A, 0);
        PostMessage(GetSafeHwnd(), m_nCloseMessage, 0, 0);
        return TRUE;
    }
};
} // namespace

TEST_F(CDialogStackTest, ModalMainDialogEndsWithOkOnBackAndOnClose)
{
    for (UINT msg : {WM_INDLG_PREV, WM_INDLG_CLOSE}) {
        m_log.clear();
        CModalMain modal(&m_factory, IDD_MAIN, &m_doc, nullptr);
        modal.m_nCloseMessage = msg;
        EXPECT_EQ(modal.DoModal(), IDOK);
        EXPECT_EQ(m_log, (Log{"A:create0", "A:show0", "A:hide0", "A:destroy0", "A:deleted", "all deleted"}));
    }
}

TEST_F(CDialogStackTest, HideAndShowTheHost)
{
    Stack({IDD_A});
    CInDialog* a = m_main.GetCurrentDlg();
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_HIDE, 0, 0);
    Pump();
    EXPECT_EQ(m_log, (Log{"A:hide0"}));
    EXPECT_FALSE(IsWindowVisible(m_main.GetSafeHwnd()));
    EXPECT_FALSE(IsWindowVisible(a->GetSafeHwnd()));

    a->LockInput(1);
    PostMessage(m_main.GetSafeHwnd(), WM_INDLG_SHOW, 0, 0);
    Pump();
    EXPECT_TRUE(IsWindowVisible(m_main.GetSafeHwnd()));
    EXPECT_EQ(a->GetInputLock(), 0);
    EXPECT_EQ(GetFocus(), a->GetSafeHwnd());
}

TEST_F(CDialogStackTest, StackSizeIsReadableFromAnotherThread)
{
    Stack({IDD_A, IDD_B});
    int size = -1;
    std::thread reader([&] { size = m_main.DlgStackSize(); });
    reader.join();
    EXPECT_EQ(size, 2);
}

TEST_F(CDialogStackTest, OkGivesTheButtonThePressedLookBeforeEnding)
{
    Stack({IDD_A});
    CInDialog* a = m_main.GetCurrentDlg();
    CTestCtrl button{"ok", nullptr, RGB(1, 2, 3)};
    button.SetCtrlStyle(0x10);
    a->OnOK(&button);
    EXPECT_EQ(button.GetCtrlStyle(), 0x10 | BCS_PRESSED);
}

TEST_F(CDialogStackTest, HostDestroysScreensStillStacked)
{
    {
        CMainDialog host(&m_factory, IDD_MAIN, &m_doc, nullptr);
        ASSERT_TRUE(host.Create(IDD_MAIN, nullptr));
        host.ShowInDlg(IDD_A, 0);
        host.ShowInDlg(IDD_B, 0);
        m_log.clear();
    }
    EXPECT_EQ(m_log, (Log{"B:deleted", "A:deleted"}));
}
