// Buttons and statics on a dialog: lazy images per state, the 150 ms pressed look, commands on
// press or release, disabled presses, placement from the skin file.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpButton.h>
#include <zent/bctrl/BmpStatic.h>

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_PANEL = 300;
constexpr UINT IDC_BUTTON = 11; // not IDOK: the framework would end the dialog
constexpr UINT IDC_STATIC = 12;
constexpr DialogItemTemplate kItems[] = {
    {L"Button", IDC_BUTTON, 3, 4, 30, 8},
    {L"Static", IDC_STATIC, 0, 0, 5, 5},
};
constexpr DialogTemplate kTemplates[] = {{IDD_PANEL, 0, 0, 60, 40, WS_POPUP, 0, L"", kItems}};

class CPanel : public CBmpDialog {
public:
    CPanel() : CBmpDialog(IDD_PANEL, nullptr) {}
    using CBmpDialog::LoadBackground;
    std::vector<UINT> m_vecCommands;
    std::vector<UINT> m_vecFocusMessages;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND) m_vecCommands.push_back(LOWORD(wParam));
        if (message >= WM_BCTRL_FOCUSKILL && message <= WM_BCTRL_FOCUSOUT && message != WM_BCTRL_SELFDRAW)
            m_vecFocusMessages.push_back(message);
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

class CButtonTest : public CBCtrlTest {
protected:
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_panel.Create(IDD_PANEL, nullptr));
        ASSERT_TRUE(m_button.SubclassDlgItem(IDC_BUTTON, m_panel.GetSafeHwnd()));
        ASSERT_TRUE(m_static.SubclassDlgItem(IDC_STATIC, m_panel.GetSafeHwnd()));
        m_pPresenter->SetAutoAdvance(false);
    }
    void Open(int style, UINT rectId = 0)
    {
        ASSERT_EQ(m_button.InitControl(style, &m_kLoader, kNormalId, kPressedId, kDisabledId, rectId), 1);
        m_panel.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, 0);
        Pump();
    }
    COLORREF ButtonPixel() const { return Screen(m_panel.GetSafeHwnd(), 15, 12); }
    void Down() { m_pPresenter->InjectButtonDown(m_panel.GetSafeHwnd(), POINT{15, 12}); Pump(); }
    void Up() { m_pPresenter->InjectButtonUp(m_panel.GetSafeHwnd(), POINT{15, 12}); Pump(); }

    CResModule m_kModule;
    CPanel m_panel;
    CBmpButton m_button;
    CBmpStatic m_static;
};

} // namespace

TEST_F(CButtonTest, PlacedAtTheImageRectangleWithImagesLoadedAtFirstPaint)
{
    ASSERT_EQ(m_button.InitControl(BCS_COMMAND_ON_RELEASE, &m_kLoader, kNormalId, kPressedId, kDisabledId, 0), 1);
    EXPECT_EQ(m_button.GetControlPos(), (RECT{10, 10, 30, 20}));
    EXPECT_FALSE(IsWindowVisible(m_button.GetSafeHwnd()));
    m_panel.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, 0);
    Pump();
    EXPECT_EQ(ButtonPixel(), kNormalColour);
    EXPECT_EQ(Screen(m_panel.GetSafeHwnd(), 9, 12), kBkLeft);
    // Cleaned images come back at the next paint.
    m_panel.CleanControl();
    InvalidateRect(m_panel.GetSafeHwnd(), nullptr, TRUE);
    Pump();
    EXPECT_EQ(ButtonPixel(), kNormalColour);
}

TEST_F(CButtonTest, NoPlacementKeepsTheTemplatePlace)
{
    Open(0, static_cast<UINT>(-1));
    EXPECT_EQ(m_button.GetControlPos(), (RECT{3, 4, 33, 12}));
}

TEST_F(CButtonTest, ReleaseSendsTheCommandWhilePressed)
{
    Open(BCS_COMMAND_ON_RELEASE);
    Down();
    EXPECT_EQ(ButtonPixel(), kPressedColour);
    EXPECT_TRUE(m_panel.m_vecCommands.empty());
    Up();
    EXPECT_EQ(ButtonPixel(), kNormalColour);
    EXPECT_EQ(m_panel.m_vecCommands, (std::vector<UINT>{IDC_BUTTON}));
}

TEST_F(CButtonTest, PressedLookEndsAfter150msAndTheLateReleaseSendsNothing)
{
    Open(BCS_COMMAND_ON_RELEASE);
    Down();
    m_pPresenter->AdvanceClock(std::chrono::milliseconds(149));
    Pump();
    EXPECT_EQ(m_button.IsPressed(), 1);
    m_pPresenter->AdvanceClock(std::chrono::milliseconds(1));
    Pump();
    EXPECT_EQ(m_button.IsPressed(), 0);
    EXPECT_EQ(ButtonPixel(), kNormalColour);
    Up();
    EXPECT_TRUE(m_panel.m_vecCommands.empty());
}

TEST_F(CButtonTest, PressCommandIsPostedOnPress)
{
    Open(BCS_COMMAND_ON_PRESS);
    Down();
    EXPECT_EQ(m_panel.m_vecCommands, (std::vector<UINT>{IDC_BUTTON}));
    Up();
    EXPECT_EQ(m_panel.m_vecCommands.size(), 1u);
}

TEST_F(CButtonTest, DisabledButtonShowsItsImageAndIgnoresPresses)
{
    Open(BCS_COMMAND_ON_PRESS | BCS_COMMAND_ON_RELEASE);
    m_button.SetDisableCtrl(1, 1);
    PostMessage(m_panel.GetSafeHwnd(), WM_NULL, 0, 0);
    Pump();
    EXPECT_EQ(ButtonPixel(), kDisabledColour);
    Down();
    Up();
    EXPECT_EQ(m_button.IsPressed(), 0);
    EXPECT_EQ(ButtonPixel(), kDisabledColour);
    EXPECT_TRUE(m_panel.m_vecCommands.empty());
}

TEST_F(CButtonTest, LeavingWhilePressedDropsTheLookAndTheCapture)
{
    Open(BCS_COMMAND_ON_RELEASE);
    Down();
    m_pPresenter->InjectMouseMove(m_panel.GetSafeHwnd(), POINT{50, 30});
    Pump();
    EXPECT_EQ(m_button.IsPressed(), 0);
    EXPECT_EQ(m_panel.GetCapturedCtrl(), nullptr);
    EXPECT_EQ(ButtonPixel(), kNormalColour);
    m_pPresenter->InjectButtonUp(m_panel.GetSafeHwnd(), POINT{50, 30});
    Pump();
    EXPECT_TRUE(m_panel.m_vecCommands.empty());
}

TEST_F(CButtonTest, StateImagesBySlot)
{
    Open(0);
    EXPECT_EQ(m_button.SetBitmap(4, &m_kLoader, kNormalId), 0);
    EXPECT_EQ(m_button.SetBitmap(1, nullptr, kNormalId), 0);
    EXPECT_EQ(m_button.SetBitmap(1, &m_kLoader, 0), 0);
    EXPECT_EQ(m_button.SetBitmap(1, &m_kLoader, kDisabledId), 1);
    InvalidateRect(m_panel.GetSafeHwnd(), nullptr, TRUE);
    Pump();
    EXPECT_EQ(ButtonPixel(), kDisabledColour);
    // An id the skin file does not have leaves the slot empty: the background shows.
    EXPECT_EQ(m_button.SetBitmap(1, &m_kLoader, 77), 1);
    InvalidateRect(m_panel.GetSafeHwnd(), nullptr, TRUE);
    Pump();
    EXPECT_EQ(ButtonPixel(), kBkLeft);
}

TEST_F(CButtonTest, EnterSendsTheCommand)
{
    Open(0);
    EXPECT_EQ(m_button.KeyInput(VK_RETURN), 1);
    EXPECT_EQ(m_button.KeyInput(VK_SPACE), 0);
    EXPECT_EQ(m_panel.m_vecCommands, (std::vector<UINT>{IDC_BUTTON}));
}

TEST_F(CButtonTest, StaticSolidPictureAndClicks)
{
    ASSERT_EQ(m_static.InitControl(&m_kLoader, kStaticRectId, 0, 0), 1);
    EXPECT_EQ(m_static.GetControlPos(), (RECT{40, 20, 47, 25}));
    ASSERT_EQ(m_static.SetBitmap(&m_kLoader, kStaticRectId, RGB(1, 250, 3)), 1);
    EXPECT_EQ(m_static.GetImage().GetWidth(), 7u);
    EXPECT_EQ(m_static.GetImage().GetHeight(), 5u);
    m_panel.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, 0);
    Pump();
    EXPECT_EQ(Screen(m_panel.GetSafeHwnd(), 46, 24), RGB(1, 250, 3));
    EXPECT_EQ(Screen(m_panel.GetSafeHwnd(), 47, 24), kBkRight);
    m_pPresenter->InjectClick(m_panel.GetSafeHwnd(), POINT{41, 21});
    Pump();
    EXPECT_EQ(m_panel.m_vecCommands, (std::vector<UINT>{IDC_STATIC}));
    m_static.SetDisableCtrl(1, 0);
    EXPECT_EQ(m_static.LButtonDown(0, POINT{1, 1}), 0);
    EXPECT_EQ(m_panel.m_vecCommands.size(), 1u);
}

TEST_F(CButtonTest, FocusAndStateChangesAreReportedToTheDialog)
{
    Open(0);
    m_button.FocusChange(1, 0);
    m_button.FocusChange(0, 0);
    m_button.SetDisableCtrl(0, 0); // no change: nothing sent
    m_button.SetDisableCtrl(1, 0);
    m_button.SetVisibleCtrl(0, 0);
    EXPECT_EQ(m_panel.m_vecFocusMessages,
              (std::vector<UINT>{WM_BCTRL_FOCUSIN, WM_BCTRL_FOCUSOUT, WM_BCTRL_FOCUSKILL, WM_BCTRL_FOCUSKILL}));
}

TEST_F(CButtonTest, ReSetKeepsTheCornerAndTakesTheNewSize)
{
    Open(0);
    m_button.SetControlPos(RECT{2, 3, 4, 5});
    EXPECT_EQ(m_button.ReSetCtrl(0, &m_kLoader, 0, 0, kStaticRectId, 0), 1);
    EXPECT_EQ(m_button.GetControlPos(), (RECT{2, 3, 9, 8}));
}

TEST_F(CButtonTest, SlideInEndsWithTheWholePicture)
{
    m_panel.SetSlideDirection(kSlideFromLeft, 1, 0);
    Open(0);
    EXPECT_EQ(m_panel.IsShown(), 1);
    EXPECT_EQ(ButtonPixel(), kNormalColour);
    EXPECT_EQ(Screen(m_panel.GetSafeHwnd(), 59, 39), kBkRight);
}
