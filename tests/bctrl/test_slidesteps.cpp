// The single steps of the dialog's slide effects and its transparent background, checked on
// the screen and in the picture they produce.

#include "BCtrlTestSupport.h"

using namespace zent;
using namespace bctrltest;

namespace {

constexpr UINT IDD_SLIDE = 140;
constexpr DialogTemplate kTemplates[] = {{IDD_SLIDE, 0, 0, 60, 40, WS_POPUP, 0, L"", {}}};
constexpr COLORREF kGround = RGB(1, 2, 3);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);

class CSlideDlg : public CBmpDialog {
public:
    CSlideDlg() : CBmpDialog(IDD_SLIDE, nullptr) {}
    using CBmpDialog::LoadBackground;
};

class CSlideStepTest : public CBCtrlTest {
protected:
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_dlg.Create(IDD_SLIDE, nullptr));
        m_dlg.LoadBackground(&m_kLoader, kBkId, POINT{0, 0}, kGround);
        ShowWindow(m_dlg.GetSafeHwnd(), SW_SHOW);
        Pump();
        // The incoming picture: green on the left half, blue on the right.
        m_bmp.reset(CreateCompatibleBitmap(nullptr, 60, 40));
        m_dc.reset(CreateCompatibleDC(nullptr));
        SelectObject(m_dc.get(), m_bmp.get());
        FillSolidRect(m_dc.get(), 0, 0, 30, 40, kGreen);
        FillSolidRect(m_dc.get(), 30, 0, 30, 40, kBlue);
    }
    // One row of what the user sees.
    std::vector<COLORREF> Row(int y)
    {
        PostMessage(m_dlg.GetSafeHwnd(), WM_NULL, 0, 0);
        Pump();
        std::vector<COLORREF> out;
        for (int x = 0; x < 60; ++x) out.push_back(Screen(m_dlg.GetSafeHwnd(), x, y));
        return out;
    }
    // Spans of colours from the left: (width, colour).
    static std::vector<COLORREF> Spans(std::initializer_list<std::pair<int, COLORREF>> spans)
    {
        std::vector<COLORREF> out;
        for (auto [n, c] : spans) out.insert(out.end(), static_cast<std::size_t>(n), c);
        return out;
    }

    CResModule m_kModule;
    CSlideDlg m_dlg;
    UniqueBitmap m_bmp;
    UniqueDC m_dc;
};

} // namespace

TEST_F(CSlideStepTest, ShowStepsUncoverThePictureFromTheEntrySide)
{
    ASSERT_EQ(Row(20), Spans({{30, kBkLeft}, {30, kBkRight}}));
    ASSERT_EQ(m_dlg.SetSlideDirection(kSlideFromRight, 1, 1), 1);
    // Step 0 shows 20 % (12 pixels) of the picture's left edge at the right of the window.
    EXPECT_EQ(m_dlg.DrawShowSliding(m_dc.get(), 0), 1);
    EXPECT_EQ(Row(20), Spans({{30, kBkLeft}, {18, kBkRight}, {12, kGreen}}));
    // Step 2: 60 %, 36 pixels.
    EXPECT_EQ(m_dlg.DrawShowSliding(m_dc.get(), 2), 1);
    EXPECT_EQ(Row(20), Spans({{24, kBkLeft}, {30, kGreen}, {6, kBlue}}));
    EXPECT_EQ(m_dlg.DrawShowSliding(m_dc.get(), 10), 0);
    EXPECT_EQ(m_dlg.DrawShowSliding(nullptr, 0), 0);

    // From the left: the picture's right edge comes in first.
    m_dlg.SetSlideDirection(kSlideFromLeft, 1, 1);
    m_dlg.Draw(1);
    EXPECT_EQ(m_dlg.DrawShowSliding(m_dc.get(), 0), 1);
    EXPECT_EQ(Row(20), Spans({{12, kBlue}, {18, kBkLeft}, {30, kBkRight}}));
}

TEST_F(CSlideStepTest, HideStepsRunBackOverTheGround)
{
    m_dlg.SetSlideDirection(kSlideFromRight, 1, 1);
    // Nothing kept yet: no hide step can be drawn.
    EXPECT_EQ(m_dlg.DrawHideSliding(0), 0);
    ASSERT_EQ(m_dlg.SlideShowWnd(m_dc.get()), 1);
    EXPECT_EQ(Row(20), Spans({{30, kGreen}, {30, kBlue}}));
    // The first hide step still shows all of it, the last only 20 %, over the ground colour.
    EXPECT_EQ(m_dlg.DrawHideSliding(0), 1);
    EXPECT_EQ(Row(20), Spans({{30, kGreen}, {30, kBlue}}));
    EXPECT_EQ(m_dlg.DrawHideSliding(9), 1);
    EXPECT_EQ(Row(20), Spans({{48, kGround}, {12, kGreen}}));
    EXPECT_EQ(m_dlg.DrawHideSliding(10), 0);
}

TEST_F(CSlideStepTest, TransparentBackgroundKeepsTheScreenUnderTheKey)
{
    // A background whose left half is the key colour (20 x 10).
    m_dlg.LoadBackground(&m_kLoader, kOverlayId, POINT{0, 0}, kGround);
    m_dlg.Draw(1);
    UniqueBitmap screenBmp(CreateCompatibleBitmap(nullptr, 20, 10));
    UniqueDC screen(CreateCompatibleDC(nullptr));
    SelectObject(screen.get(), screenBmp.get());
    FillSolidRect(screen.get(), 0, 0, 20, 10, kBlue);
    UniqueBitmap pictureBmp(CreateCompatibleBitmap(nullptr, 20, 10));
    UniqueDC picture(CreateCompatibleDC(nullptr));
    SelectObject(picture.get(), pictureBmp.get());
    EXPECT_EQ(m_dlg.DrawBackgroundEx(screen.get(), picture.get()), 1);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(GetPixel(picture.get(), x, y) & 0xFFFFFF, x < 10 ? kBlue : RGB(0, 255, 0)) << x << "," << y;
    EXPECT_EQ(m_dlg.DrawBackgroundEx(nullptr, picture.get()), 0);
}
