// Text controls: alignment from the style, auto alignment of long texts, background fill, and the
// caret that a press places and the blink timer toggles.

#include "BCtrlTestSupport.h"

#include <zent/bctrl/BmpText.h>
#include <zent/platform/Font.h>

using namespace zent;
using namespace bctrltest;

namespace {

constexpr int kCentred = (DT_CENTER | DT_VCENTER) << BCS_TEXT_ALIGN_SHIFT;
constexpr int kRight = (DT_RIGHT | DT_VCENTER) << BCS_TEXT_ALIGN_SHIFT;
constexpr int kLeft = DT_VCENTER << BCS_TEXT_ALIGN_SHIFT;

std::vector<COLORREF> Paint(CBmpText& text, int w, int h)
{
    UniqueBitmap bmp(CreateCompatibleBitmap(nullptr, w, h));
    UniqueDC dc(CreateCompatibleDC(nullptr));
    SelectObject(dc.get(), bmp.get());
    FillSolidRect(dc.get(), 0, 0, w, h, RGB(0, 0, 0));
    text.DrawCtrl(dc.get(), POINT{0, 0});
    std::vector<COLORREF> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(GetPixel(dc.get(), x, y));
    return out;
}

CBmpText& Prepare(CBmpText& t, int style, const std::wstring& s)
{
    t.SetCtrlStyle(style);
    t.SetControlPos(RECT{0, 0, 40, 20});
    t.SetColor(RGB(255, 255, 255), 0, RGB(0, 0, 90));
    t.SetText(s, 0);
    return t;
}

} // namespace

TEST(CBmpTextDrawing, LongTextWithAutoAlignIsDrawnRightAligned)
{
    const std::wstring longText = L"WWWWWWWWWWWW";
    CBmpText autoText, right, centred;
    Prepare(autoText, kCentred, longText).SetAutoAlign(1);
    Prepare(right, kRight, longText);
    Prepare(centred, kCentred, longText);
    EXPECT_EQ(Paint(autoText, 40, 20), Paint(right, 40, 20));
    EXPECT_NE(Paint(centred, 40, 20), Paint(right, 40, 20));
    // A short text stays centred.
    CBmpText shortAuto, shortCentred;
    Prepare(shortAuto, kCentred, L"i").SetAutoAlign(1);
    Prepare(shortCentred, kCentred, L"i");
    EXPECT_EQ(Paint(shortAuto, 40, 20), Paint(shortCentred, 40, 20));
}

TEST(CBmpTextDrawing, BackgroundFillUnlessImageStyleFour)
{
    CBmpText filled, bare;
    Prepare(filled, kLeft, L"");
    Prepare(bare, kLeft | BCS_IMAGE_KEYED, L"");
    EXPECT_EQ(Paint(filled, 40, 20)[0], RGB(0, 0, 90));
    EXPECT_EQ(Paint(bare, 40, 20)[0], RGB(0, 0, 0));
}

namespace {

constexpr UINT IDD_FORM = 400;
constexpr UINT IDC_TEXT = 21;
constexpr DialogItemTemplate kItems[] = {{L"Static", IDC_TEXT, 0, 0, 60, 20}};
constexpr DialogTemplate kTemplates[] = {{IDD_FORM, 0, 0, 60, 40, WS_POPUP | WS_VISIBLE, 0, L"", kItems}};

class CForm : public CBmpDialog {
public:
    CForm() : CBmpDialog(IDD_FORM, nullptr) {}
    std::vector<LPARAM> m_vecCarets;
    int m_nCommands = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_BCTRL_CARETPOS && wParam == IDC_TEXT) m_vecCarets.push_back(lParam);
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_TEXT) ++m_nCommands;
        return CBmpDialog::OnMessage(message, wParam, lParam);
    }
};

class CTextCaretTest : public CBCtrlTest {
protected:
    void SetUp() override
    {
        CBCtrlTest::SetUp();
        m_kModule.templates = kTemplates;
        SetDefaultResModule(&m_kModule);
        ASSERT_TRUE(m_form.Create(IDD_FORM, nullptr));
        ASSERT_TRUE(m_text.SubclassDlgItem(IDC_TEXT, m_form.GetSafeHwnd()));
        ASSERT_EQ(m_text.InitControl(kLeft | BCS_CARET_BLINK, RECT{0, 0, 60, 20}), 1);
        m_text.SetColor(RGB(255, 255, 255), 0, RGB(0, 0, 90));
        m_text.SetText(L"ABCD", 0);
        Pump();
    }
    CResModule m_kModule;
    CForm m_form;
    CBmpText m_text;
};

} // namespace

TEST_F(CTextCaretTest, PressPlacesTheCaretAndTellsTheDialog)
{
    EXPECT_EQ(m_text.GetNCaretPos(), 4);
    m_pPresenter->InjectClick(m_form.GetSafeHwnd(), POINT{1, 10});
    Pump();
    m_pPresenter->InjectClick(m_form.GetSafeHwnd(), POINT{58, 10});
    Pump();
    EXPECT_EQ(m_form.m_vecCarets, (std::vector<LPARAM>{0, 4}));
    EXPECT_EQ(m_form.m_nCommands, 2);
    EXPECT_EQ(m_text.GetNCaretPos(), 4);
    EXPECT_GT(m_text.GetCaretPixelPos().x, 3);
    m_text.SetTextNCaret(L"AB", 9, 0);
    EXPECT_EQ(m_text.GetNCaretPos(), 2);
}

TEST_F(CTextCaretTest, BlinkTimerTogglesTheCaret)
{
    const POINT caret = m_text.GetCaretPixelPos();
    const COLORREF before = Screen(m_form.GetSafeHwnd(), caret.x, 10);
    EXPECT_EQ(before, RGB(255, 255, 255));
    m_pPresenter->AdvanceClock(std::chrono::milliseconds(500));
    Pump();
    EXPECT_EQ(Screen(m_form.GetSafeHwnd(), caret.x, 10), RGB(0, 0, 90));
    m_pPresenter->AdvanceClock(std::chrono::milliseconds(500));
    Pump();
    EXPECT_EQ(Screen(m_form.GetSafeHwnd(), caret.x, 10), RGB(255, 255, 255));
    // A disabled text takes no press.
    m_text.SetDisableCtrl(1, 0);
    EXPECT_EQ(m_text.LButtonDown(0, POINT{1, 1}), 0);
}
