// The bitmap dialog: pixel layout, registration, painting into one picture, input lock, hit
// testing and capture, key routing, backgrounds from the skin file.

#include "BCtrlTestSupport.h"

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_TEST = 100;
constexpr UINT IDD_RELAYOUT = 101;
constexpr UINT IDC_A = 1001;
constexpr UINT IDC_B = 1002;
constexpr UINT IDC_C = 1003;

constexpr DialogItemTemplate kItems[] = {
    {L"Static", IDC_A, 10, 10, 20, 20},
    {L"Static", IDC_B, 20, 20, 20, 15},
    {L"Static", IDC_C, 45, 5, 10, 10},
};
// The same items laid out again, with an id in the middle that no child window has.
constexpr DialogItemTemplate kRelayoutItems[] = {
    {L"Static", IDC_A, 1, 2, 3, 4},
    {L"Static", 9999, 0, 0, 5, 5},
    {L"Static", IDC_C, 7, 8, 9, 9},
};
constexpr DialogTemplate kTemplates[] = {
    {IDD_TEST, 0, 0, 60, 40, WS_POPUP, 0, L"", kItems},
    {IDD_RELAYOUT, 0, 0, 60, 40, WS_POPUP, 0, L"", kRelayoutItems},
};

class CTestDlg : public CBmpDialog {
public:
    CTestDlg(UINT id, std::vector<std::string>* log) : CBmpDialog(id, nullptr), m_pLog(log) {}
    using CBmpDialog::LoadBackground;
    using CBmpDialog::LoadBackgroundEx;

    int LButtonDown(UINT, POINT pt) override { return Note("dlg:down", pt); }
    int LButtonUp(UINT, POINT pt) override { return Note("dlg:up", pt); }
    int LButtonDblClk(UINT, POINT pt) override { return Note("dlg:dbl", pt); }
    int MouseMove(UINT, POINT) override { return 0; }
    int KeyDown(UINT key, UINT, UINT) override
    {
        m_pLog->push_back("dlg:key" + std::to_string(key));
        return m_nKeyResult;
    }
    void PaintDlg(HDC) override { ++m_nFullPaints; }
    void PaintDlg(HDC, RECT*) override { ++m_nCtrlPaints; }

    int m_nKeyResult = 0;
    int m_nFullPaints = 0;
    int m_nCtrlPaints = 0;

private:
    int Note(const char* what, POINT pt)
    {
        m_pLog->push_back(std::string(what) + "@" + std::to_string(pt.x) + "," + std::to_string(pt.y));
        return 0;
    }
    std::vector<std::string>* m_pLog;
};

class CBmpDialogTest : public CBCtrlTest {
protected:
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
    }
    // Creates the dialog with its three controls registered and its background placed.
    void Build()
    {
        ASSERT_TRUE(m_dlg.Create(IDD_TEST, nullptr));
        for (auto [ctrl, id] : {std::pair{&m_a, IDC_A}, std::pair{&m_b, IDC_B}, std::pair{&m_c, IDC_C}}) {
            ASSERT_TRUE(ctrl->SubclassDlgItem(id, m_dlg.GetSafeHwnd()));
            ASSERT_EQ(ctrl->InitControl(0), 1);
        }
        m_dlg.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, RGB(1, 2, 3));
    }
    std::vector<COLORREF> ScreenPicture() const
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) out.push_back(Screen(m_dlg.GetSafeHwnd(), x, y));
        return out;
    }
    // The background with the given rectangles filled on top, in order.
    static std::vector<COLORREF> Expected(std::initializer_list<std::pair<RECT, COLORREF>> fills)
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) {
                COLORREF c = x < 30 ? kBkLeft : kBkRight;
                for (const auto& [rc, colour] : fills)
                    if (rc.Contains(POINT{x, y})) c = colour;
                out.push_back(c);
            }
        return out;
    }
    // Drawing through the client device context reaches the screen at the end of a loop pass
    // that handled something; a call made from the test rather than a handler needs one.
    void Settle()
    {
        PostMessage(m_dlg.GetSafeHwnd(), WM_NULL, 0, 0);
        Pump();
    }
    void Click(POINT pt)
    {
        m_pPresenter->InjectClick(m_dlg.GetSafeHwnd(), pt);
        Pump();
    }

    CResModule m_kModule;
    std::vector<std::string> m_log;
    CTestDlg m_dlg{IDD_TEST, &m_log};
    CTestCtrl m_a{"A", &m_log, RGB(255, 0, 0)};
    CTestCtrl m_b{"B", &m_log, RGB(0, 0, 255)};
    CTestCtrl m_c{"C", &m_log, RGB(0, 255, 0)};
};

constexpr RECT kRectA{10, 10, 30, 30};
constexpr RECT kRectB{20, 20, 40, 35};
constexpr RECT kRectC{45, 5, 55, 15};

} // namespace

TEST_F(CBmpDialogTest, RegistrationRecordsTheRectangleAndParksTheWindow)
{
    Build();
    EXPECT_EQ(m_a.GetControlPos(), kRectA);
    EXPECT_EQ(m_b.GetControlPos(), kRectB);
    EXPECT_EQ(m_a.GetParentDlg(), &m_dlg);
    EXPECT_EQ(m_a.GetParentDC(), m_dlg.GetClientDC());
    ASSERT_EQ(m_dlg.GetControls().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        RECT rc{};
        GetWindowRect(m_dlg.GetControls()[i]->GetSafeHwnd(), &rc);
        POINT pt{rc.left, rc.top};
        ScreenToClient(m_dlg.GetSafeHwnd(), &pt);
        EXPECT_EQ(pt.x, i * 10 - 10000);
        EXPECT_EQ(rc.right - rc.left, 10);
        EXPECT_EQ(rc.bottom - rc.top, 10);
    }
    // Null controls and handles are refused; a second registration changes nothing.
    EXPECT_EQ(SendMessage(m_dlg.GetSafeHwnd(), WM_BCTRL_INIT, 0, 0), -1);
    EXPECT_EQ(SendMessage(m_dlg.GetSafeHwnd(), WM_BCTRL_SELFDRAW, 0, 0), -1);
    m_a.InitControl(0);
    EXPECT_EQ(m_dlg.GetControls().size(), 3u);
    EXPECT_EQ(m_a.GetControlPos(), kRectA);
}

TEST_F(CBmpDialogTest, ControlWithoutParentWindowIsNotRegistered)
{
    CTestCtrl loose{"L", &m_log, 0};
    EXPECT_EQ(loose.InitControl(0x30), 0);
    EXPECT_EQ(loose.DestroyControl(), 0);
    EXPECT_EQ(loose.GetParentDlg(), nullptr);
}

TEST_F(CBmpDialogTest, BackgroundPlacesTheDialogAtTheSkinRectanglePlusStartPoint)
{
    CResDialog::m_lDlgStartPoint = POINT{7, 3};
    Build();
    RECT rc{};
    GetWindowRect(m_dlg.GetSafeHwnd(), &rc);
    EXPECT_EQ(rc, (RECT{107, 53, 167, 93}));
    EXPECT_TRUE(IsWindowVisible(m_dlg.GetSafeHwnd()));
}

TEST_F(CBmpDialogTest, FirstPaintDrawsBackgroundAndControlsInRegistrationOrder)
{
    Build();
    Pump();
    EXPECT_EQ(ScreenPicture(), Expected({{kRectA, RGB(255, 0, 0)}, {kRectB, RGB(0, 0, 255)}, {kRectC, RGB(0, 255, 0)}}));
    EXPECT_EQ(m_a.GetDrawEnable(), 1);
    EXPECT_EQ(m_dlg.m_nFullPaints, 1);
}

TEST_F(CBmpDialogTest, SingleControlRepaintTouchesOnlyItsRectangle)
{
    Build();
    // Before the dialog has drawn it, a control's Draw does nothing.
    m_a.Draw();
    EXPECT_EQ(m_a.m_nDraws, 0);
    Pump();
    m_c.m_clrFill = RGB(9, 9, 9);
    m_a.m_clrFill = RGB(8, 8, 8); // not repainted: must not show
    m_c.Draw();
    Settle();
    EXPECT_EQ(ScreenPicture(), Expected({{kRectA, RGB(255, 0, 0)}, {kRectB, RGB(0, 0, 255)}, {kRectC, RGB(9, 9, 9)}}));
    EXPECT_EQ(m_dlg.m_nCtrlPaints, 1);
}

TEST_F(CBmpDialogTest, HidingRepaintsThroughTheDialogOnlyWhenAsked)
{
    Build();
    Pump();
    const int draws = m_c.m_nDraws;
    m_c.SetVisibleCtrl(0, 0);
    Settle();
    EXPECT_EQ(m_c.m_nDraws, draws);
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 50, 10), RGB(0, 255, 0));
    m_c.SetVisibleCtrl(0, 1);
    Settle();
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 50, 10), kBkRight);
}

TEST_F(CBmpDialogTest, MouseIsIgnoredUntilTheFirstPaint)
{
    Build();
    EXPECT_EQ(m_dlg.GetInputLock(), 1);
    // The click is routed before the pass paints.
    m_pPresenter->InjectClick(m_dlg.GetSafeHwnd(), POINT{15, 15});
    Pump();
    EXPECT_TRUE(m_log.empty());
    EXPECT_EQ(m_dlg.GetInputLock(), 0);
    Click(POINT{15, 15});
    EXPECT_EQ(m_log, (std::vector<std::string>{"A:sound", "A:down@5,5", "A:up@5,5", "dlg:up@15,15"}));
}

TEST_F(CBmpDialogTest, LaterControlWinsWhereControlsOverlap)
{
    Build();
    Pump();
    Click(POINT{25, 25});
    EXPECT_EQ(m_log, (std::vector<std::string>{"B:sound", "B:down@5,5", "B:up@5,5", "dlg:up@25,25"}));
}

TEST_F(CBmpDialogTest, HiddenControlIsSkippedAndEmptySpotReachesTheDialog)
{
    Build();
    Pump();
    m_b.SetVisibleCtrl(0, 0);
    Click(POINT{25, 25});
    EXPECT_EQ(m_log, (std::vector<std::string>{"A:sound", "A:down@15,15", "A:up@15,15", "dlg:up@25,25"}));
    m_log.clear();
    m_pPresenter->InjectDoubleClick(m_dlg.GetSafeHwnd(), POINT{2, 38});
    Pump();
    EXPECT_EQ(m_log, (std::vector<std::string>{"dlg:down@2,38", "dlg:up@2,38", "dlg:dbl@2,38", "dlg:up@2,38"}));
}

TEST_F(CBmpDialogTest, DisabledControlTakesPressesButNoUncapturedReleaseOrMove)
{
    Build();
    Pump();
    m_c.SetDisableCtrl(1, 0);
    Click(POINT{50, 10});
    EXPECT_EQ(m_log, (std::vector<std::string>{"C:sound", "C:down@5,5", "C:up@5,5", "dlg:up@50,10"}));
    m_log.clear();
    // A press on an empty spot ends the capture; the release over C then goes to the dialog.
    m_pPresenter->InjectButtonDown(m_dlg.GetSafeHwnd(), POINT{2, 2});
    m_pPresenter->InjectMouseMove(m_dlg.GetSafeHwnd(), POINT{50, 10});
    m_pPresenter->InjectButtonUp(m_dlg.GetSafeHwnd(), POINT{50, 10});
    Pump();
    EXPECT_EQ(m_log, (std::vector<std::string>{"dlg:down@2,2", "dlg:up@50,10"}));
}

TEST_F(CBmpDialogTest, CaptureEndsWhenTheControlsMoveReturnsZero)
{
    Build();
    Pump();
    m_a.m_nMoveResult = 0;
    m_pPresenter->InjectButtonDown(m_dlg.GetSafeHwnd(), POINT{15, 15});
    m_pPresenter->InjectMouseMove(m_dlg.GetSafeHwnd(), POINT{50, 10});
    m_pPresenter->InjectMouseMove(m_dlg.GetSafeHwnd(), POINT{51, 11});
    Pump();
    // The first move goes to the captured control wherever the mouse is, the second under it.
    EXPECT_EQ(m_log, (std::vector<std::string>{"A:sound", "A:down@5,5", "A:move@40,0", "C:move@6,6"}));
    EXPECT_EQ(m_dlg.GetCapturedCtrl(), nullptr);

    m_log.clear();
    m_a.m_nMoveResult = 1;
    m_pPresenter->InjectButtonDown(m_dlg.GetSafeHwnd(), POINT{15, 15});
    m_pPresenter->InjectButtonUp(m_dlg.GetSafeHwnd(), POINT{15, 15});
    m_pPresenter->InjectMouseMove(m_dlg.GetSafeHwnd(), POINT{50, 10});
    Pump();
    // A control that keeps the capture keeps getting moves after the release.
    EXPECT_EQ(m_log.back(), "A:move@40,0");
    EXPECT_EQ(m_dlg.GetCapturedCtrl(), &m_a);
}

TEST_F(CBmpDialogTest, KeysGoToKeyDownAndNeverCloseTheDialog)
{
    Build();
    Pump();
    m_a.SetRemocon(1);
    m_pPresenter->InjectKeyDown(m_dlg.GetSafeHwnd(), VK_ESCAPE);
    m_pPresenter->InjectKeyDown(m_dlg.GetSafeHwnd(), VK_RIGHT);
    Pump();
    EXPECT_EQ(m_log, (std::vector<std::string>{"dlg:key27", "dlg:key39"}));
    EXPECT_TRUE(IsWindowVisible(m_dlg.GetSafeHwnd()));
    EXPECT_EQ(m_a.GetFocusCtrl(), 0);

    // With the navigation switched on an unhandled arrow focuses the first eligible control; a
    // handled one does not reach the navigation.
    CBmpDialog::m_bRemoconProgram = 1;
    m_dlg.m_nKeyResult = 1;
    m_pPresenter->InjectKeyDown(m_dlg.GetSafeHwnd(), VK_RIGHT);
    Pump();
    EXPECT_EQ(m_a.GetFocusCtrl(), 0);
    m_dlg.m_nKeyResult = 0;
    m_pPresenter->InjectKeyDown(m_dlg.GetSafeHwnd(), VK_RIGHT);
    Pump();
    EXPECT_EQ(m_a.GetFocusCtrl(), 1);
}

TEST_F(CBmpDialogTest, CleanControlCleansLastToFirstAndResetsDrawEnable)
{
    Build();
    Pump();
    m_dlg.CleanControl();
    EXPECT_EQ(m_log, (std::vector<std::string>{"C:clean", "B:clean", "A:clean"}));
    EXPECT_EQ(m_a.GetDrawEnable(), 0);
    m_a.Draw();
    EXPECT_EQ(m_dlg.m_nCtrlPaints, 0);
}

TEST_F(CBmpDialogTest, ControlDestroyedBeforeTheDialogIsForgotten)
{
    Build();
    Pump();
    {
        CTestCtrl shortLived{"S", &m_log, RGB(1, 1, 1)};
        shortLived.CreateEx(0, L"Static", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 60, 40}, m_dlg.GetSafeHwnd(), 7);
        shortLived.InitControl(0);
        m_pPresenter->InjectButtonDown(m_dlg.GetSafeHwnd(), POINT{1, 1});
        Pump();
        EXPECT_EQ(m_dlg.GetCapturedCtrl(), &shortLived);
    }
    EXPECT_EQ(m_dlg.GetControls().size(), 3u);
    EXPECT_EQ(m_dlg.GetCapturedCtrl(), nullptr);
    m_pPresenter->InjectMouseMove(m_dlg.GetSafeHwnd(), POINT{2, 2});
    InvalidateRect(m_dlg.GetSafeHwnd(), nullptr, TRUE);
    Pump();
}

TEST_F(CBmpDialogTest, PixelLayoutStopsAtAnItemWithoutWindow)
{
    CTestDlg dlg(IDD_RELAYOUT, &m_log);
    ASSERT_TRUE(dlg.Create(IDD_TEST, nullptr));
    EXPECT_EQ(dlg.GetDialogID(), IDD_RELAYOUT);
    RECT rc{};
    GetWindowRect(GetDlgItem(dlg.GetSafeHwnd(), IDC_A), &rc);
    EXPECT_EQ(rc, (RECT{1, 2, 4, 6}));
    GetWindowRect(GetDlgItem(dlg.GetSafeHwnd(), IDC_C), &rc);
    EXPECT_EQ(rc, (RECT{45, 5, 55, 15}));
}

TEST_F(CBmpDialogTest, MissingTemplateFailsCreateAndDoModal)
{
    CTestDlg dlg(555, &m_log);
    EXPECT_FALSE(dlg.Create(555, nullptr));
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST_F(CBmpDialogTest, ComposedBackgroundKeysAndPlacement)
{
    Build();
    Pump();
    m_dlg.LoadBackgroundEx(&m_kLoader, kOverlayId, 2, -1, 50, POINT{0, 0});
    EXPECT_EQ(m_dlg.GetKeyColor(), 0xFFFFFFFFu);
    // Type 1: the old client pixels at the skin rectangle show through the magenta half.
    m_dlg.LoadBackgroundEx(&m_kLoader, kOverlayId, 1, -1, 0, POINT{0, 0});
    EXPECT_EQ(m_dlg.GetKeyColor(), kSkinKeyColor);
    RECT rc{};
    GetWindowRect(m_dlg.GetSafeHwnd(), &rc);
    EXPECT_EQ(rc, (RECT{5, 5, 25, 15}));
}

TEST_F(CBmpDialogTest, SlideSettings)
{
    Build();
    EXPECT_EQ(m_dlg.SetSlideDirection(9, 1, 1), 0);
    EXPECT_EQ(m_dlg.GetSlideShowEnable(), 0);
    EXPECT_EQ(m_dlg.GetSlideDirection(), kSlideFromRight);
    m_dlg.SetSlideWndMode(1, 1, kSlideFromTop, 1);
    EXPECT_EQ(m_dlg.GetSlideDirection(), kSlideFromTop);
    EXPECT_EQ(m_dlg.GetShowType(), 0x100);
    EXPECT_EQ(m_dlg.IsShown(), 0);
    m_dlg.SetSlideWndMode(0, 1, 2, 0);
    EXPECT_EQ(m_dlg.GetSlideShowEnable(), 0);
    EXPECT_EQ(m_dlg.GetSlideHideEnable(), 0);
    EXPECT_EQ(m_dlg.IsShown(), 1);
}

TEST_F(CBmpDialogTest, ControlOutlivingItsDialogIsDetached)
{
    CTestCtrl survivor{"S", &m_log, RGB(1, 1, 1)};
    {
        CTestDlg dlg(IDD_TEST, &m_log);
        ASSERT_TRUE(dlg.Create(IDD_TEST, nullptr));
        ASSERT_TRUE(survivor.SubclassDlgItem(IDC_A, dlg.GetSafeHwnd()));
        survivor.InitControl(0);
        EXPECT_EQ(survivor.GetParentDlg(), &dlg);
    }
    EXPECT_EQ(survivor.GetParentDlg(), nullptr);
    EXPECT_EQ(survivor.GetParentDC(), nullptr);
    EXPECT_EQ(survivor.Draw(), 0);
}

TEST_F(CBmpDialogTest, WithoutBackgroundImageTheColourStandsUnderARepaintedControl)
{
    ASSERT_TRUE(m_dlg.Create(IDD_TEST, nullptr));
    ASSERT_TRUE(m_c.SubclassDlgItem(IDC_C, m_dlg.GetSafeHwnd()));
    m_c.InitControl(0);
    m_dlg.SetBackgroundColor(RGB(40, 50, 60));
    ShowWindow(m_dlg.GetSafeHwnd(), SW_SHOW);
    Pump();
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 50, 10), RGB(0, 255, 0));
    m_c.SetVisibleCtrl(0, 1);
    Settle();
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 50, 10), RGB(40, 50, 60));
}

TEST_F(CBmpDialogTest, OverlappingSelfDrawnWindowsAreBothLeftAlone)
{
    ASSERT_TRUE(m_dlg.Create(IDD_TEST, nullptr));
    m_dlg.SetBackgroundColor(RGB(40, 50, 60));
    // Windows that paint themselves: here in a colour of their own.
    auto selfPainting = [](COLORREF colour) {
        return [colour](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg != WM_PAINT) return DefWindowProc(hwnd, msg, w, l);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            FillSolidRect(dc, &ps.rcPaint, colour);
            EndPaint(hwnd, &ps);
            return 0;
        };
    };
    HWND one = CreateWindowEx(0, L"Self", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, m_dlg.GetSafeHwnd(), 50,
                              selfPainting(RGB(1, 1, 1)));
    HWND two = CreateWindowEx(0, L"Self", L"", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, m_dlg.GetSafeHwnd(), 51,
                              selfPainting(RGB(2, 2, 2)));
    SendMessage(m_dlg.GetSafeHwnd(), WM_BCTRL_SELFDRAW, reinterpret_cast<WPARAM>(one), 0);
    SendMessage(m_dlg.GetSafeHwnd(), WM_BCTRL_SELFDRAW, reinterpret_cast<WPARAM>(two), 0);
    ShowWindow(m_dlg.GetSafeHwnd(), SW_SHOW);
    Pump();
    // The dialog's own copy comes after the children have painted; it must spare both of them,
    // their overlap included.
    PostMessage(m_dlg.GetSafeHwnd(), WM_NULL, 0, 0);
    m_dlg.Draw(1);
    Settle();
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 5, 5), RGB(1, 1, 1));
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 15, 15), RGB(2, 2, 2));
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 25, 25), RGB(2, 2, 2));
    EXPECT_EQ(Screen(m_dlg.GetSafeHwnd(), 45, 35), RGB(40, 50, 60));
}

TEST_F(CBmpDialogTest, RawResourcesReadOnlyTheBytesThatExist)
{
    m_kModule.rawData[7] = {0x10, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00,
                            0x40, 0x00, 0x00, 0x00, 0xFF};
    m_kModule.rawData[8] = {0x05, 0x01};
    EXPECT_EQ(CResDialog::LoadReslong(7, nullptr), 0x10);
    EXPECT_EQ(CResDialog::LoadRespoint(7, &m_kModule), (POINT{0x10, 0x20}));
    EXPECT_EQ(CResDialog::LoadResrect(7, nullptr), (RECT{0x10, 0x20, 0x30, 0x40}));
    EXPECT_EQ(CResDialog::LoadReslong(8, nullptr), 0x105);
    EXPECT_EQ(CResDialog::LoadResrect(8, nullptr), (RECT{0x105, 0, 0, 0}));
    EXPECT_EQ(CResDialog::LoadRespoint(99, nullptr), (POINT{0, 0}));
    CResModule other;
    EXPECT_EQ(CResDialog::LoadReslong(7, &other), 0);
}
