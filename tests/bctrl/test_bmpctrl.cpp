// The control base: style bits, geometry, the drawing helpers, fonts and class-wide sounds, and
// the arrow-key focus navigation over a set of controls.

#include "BCtrlTestSupport.h"

#include <zent/platform/Font.h>

using namespace zent;
using namespace bctrltest;

namespace {

class CDrawingCtrl : public CBmpCtrl {
public:
    using CBmpCtrl::DrawImage;
    using CBmpCtrl::DrawRect;
    using CBmpCtrl::DrawTextW;
};

// A 32-bit picture with a memory device context over it.
class CPicture {
public:
    CPicture(int w, int h, COLORREF fill = 0) : m_w(w), m_h(h)
    {
        m_bmp.reset(CreateCompatibleBitmap(nullptr, w, h));
        m_dc.reset(CreateCompatibleDC(nullptr));
        SelectObject(m_dc.get(), m_bmp.get());
        FillSolidRect(m_dc.get(), 0, 0, w, h, fill);
    }
    HDC DC() const { return m_dc.get(); }
    HBITMAP Bitmap() const { return m_bmp.get(); }
    std::vector<COLORREF> Pixels() const
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x) out.push_back(GetPixel(m_dc.get(), x, y));
        return out;
    }
    int Count(COLORREF c) const
    {
        int n = 0;
        for (COLORREF p : Pixels()) n += p == c;
        return n;
    }

private:
    int m_w;
    int m_h;
    UniqueBitmap m_bmp; // declared first: outlives the device context it is selected into
    UniqueDC m_dc;
};

} // namespace

TEST(CBmpCtrlBase, StyleBitsAndGeometry)
{
    CBmpCtrl ctrl;
    EXPECT_EQ(ctrl.GetImageDrawStyle(), 1);
    EXPECT_EQ(ctrl.GetTextDrawStyle(), BCS_TEXT_PLAIN);
    ctrl.SetCtrlStyle(0x0230);
    EXPECT_EQ(ctrl.GetImageDrawStyle(), 1);
    EXPECT_EQ(ctrl.GetTextDrawStyle(), 0x30);
    ctrl.SetCtrlStyle(0x4047);
    EXPECT_EQ(ctrl.GetImageDrawStyle(), 7);
    EXPECT_EQ(ctrl.GetTextDrawStyle(), BCS_TEXT_OUTLINE);

    ctrl.SetControlPos(RECT{0, 0, 5, 5});
    EXPECT_EQ(ctrl.GetCenterPos(), (POINT{2, 2}));
    ctrl.SetControlPos(RECT{-7, 4, 10, 9});
    EXPECT_EQ(ctrl.GetCenterPos(), (POINT{1, 6}));
    EXPECT_EQ(ctrl.GetLeftTopPos(), (POINT{-7, 4}));
}

TEST(CBmpCtrlBase, FlagsDefaultsAndFonts)
{
    CBmpCtrl ctrl;
    EXPECT_EQ(ctrl.GetVisibleCtrl(), 1);
    EXPECT_EQ(ctrl.GetDisableCtrl(), 0);
    EXPECT_EQ(ctrl.FocusChange(1, 0), 1);
    EXPECT_EQ(ctrl.GetFocusCtrl(), 1);
    // A control without a dialog or window draws nothing and does not fail its caller.
    EXPECT_EQ(ctrl.SetVisibleCtrl(0, 1), 1);
    EXPECT_EQ(ctrl.GetVisibleCtrl(), 0);

    ASSERT_NE(ctrl.GetFont(), nullptr);
    EXPECT_EQ(ctrl.GetFont(), GetBCtrlStockFont(0));
    LOGFONTW lf;
    ASSERT_TRUE(GetObject(GetBCtrlStockFont(5), &lf));
    EXPECT_EQ(lf.lfHeight, 18);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    ASSERT_TRUE(GetObject(GetBCtrlStockFont(1), &lf));
    EXPECT_EQ(lf.lfHeight, 16);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);

    // The caller's font chooser decides, through SetFont(HFONT, int).
    static int s_args = 0;
    auto hook = [](CBmpCtrl* c, int a, int b, int cc, DWORD d, const wchar_t* face) {
        s_args = a + b + cc + static_cast<int>(d) + (face ? 1000 : 0);
        c->SetFont(GetBCtrlStockFont(4), 0);
    };
    EXPECT_EQ(ctrl.SetFont(hook, 1, 2, 3, 4, L"x"), 1);
    EXPECT_EQ(s_args, 1010);
    EXPECT_EQ(ctrl.GetFont(), GetBCtrlStockFont(4));
    EXPECT_EQ(ctrl.SetFont(static_cast<CBmpCtrl::FontHook>(nullptr), 0, 0, 0, 0, nullptr), 0);
}

TEST(CBmpCtrlBase, EveryConstructorResetsTheClassWideSoundPaths)
{
    CBmpCtrl::m_strSoundFileTrue = L"mine.wav";
    CBmpCtrl::m_strSoundFileFalse = L"false.wav";
    CBmpCtrl ctrl;
    EXPECT_EQ(CBmpCtrl::m_strSoundFileTrue, L"\\Application\\APP\\TouchOK.wav");
    EXPECT_EQ(CBmpCtrl::m_strSoundFilePrev, L"\\Application\\APP\\TouchCancel.wav");
    EXPECT_EQ(CBmpCtrl::m_strSoundFileKeyboard, L"\\Application\\APP\\TouchKeyboard.wav");
    EXPECT_TRUE(CBmpCtrl::m_strSoundFileFalse.empty());
    CBmpCtrl::SetTouchSound(0);
    EXPECT_EQ(CBmpCtrl::GetTouchSound(), 0);
    CBmpCtrl::SetTouchSound(1);
}

TEST(CBmpCtrlDrawing, OutlineIsTheSameWhateverTheCornerOrder)
{
    CDrawingCtrl ctrl;
    CPicture a(20, 20), b(20, 20);
    const COLORREF red = RGB(255, 0, 0);
    ctrl.DrawRect(a.DC(), RECT{4, 3, 15, 12}, red);
    ctrl.DrawRect(b.DC(), RECT{15, 12, 4, 3}, red);
    EXPECT_EQ(a.Pixels(), b.Pixels());
    EXPECT_EQ(GetPixel(a.DC(), 4, 3), red);
    EXPECT_EQ(GetPixel(a.DC(), 15, 12), red);
    EXPECT_EQ(GetPixel(a.DC(), 15, 3), red);
    EXPECT_EQ(GetPixel(a.DC(), 4, 12), red);
    EXPECT_EQ(GetPixel(a.DC(), 9, 7), 0u);
    // A one-pixel outline of an 12 x 10 box of corners.
    EXPECT_EQ(a.Count(red), 2 * 12 + 2 * 8);
}

TEST(CBmpCtrlDrawing, ColourKeyedCopyAtSourceSizeWhenNoSizeIsGiven)
{
    CDrawingCtrl ctrl;
    CPicture src(4, 3, RGB(0, 0, 200));
    SetPixel(src.DC(), 1, 1, kSkinKeyColor);
    CPicture dst(8, 8, RGB(7, 7, 7));
    ctrl.TransparentBltFromDC(dst.DC(), 2, 2, src.DC(), 4, 3, kSkinKeyColor, 0, 0);
    CPicture expected(8, 8, RGB(7, 7, 7));
    FillSolidRect(expected.DC(), 2, 2, 4, 3, RGB(0, 0, 200));
    SetPixel(expected.DC(), 3, 3, RGB(7, 7, 7));
    EXPECT_EQ(dst.Pixels(), expected.Pixels());

    // A size stretches.
    CPicture big(8, 8, 0);
    ctrl.TransparentBltFromDC(big.DC(), 0, 0, src.DC(), 4, 3, kSkinKeyColor, 8, 6);
    EXPECT_EQ(big.Count(RGB(0, 0, 200)), 8 * 6 - 4);
}

TEST(CBmpCtrlDrawing, ImageDrawTypes)
{
    CDrawingCtrl ctrl;
    CPicture img(2, 2, RGB(0, 200, 0));
    SetPixel(img.DC(), 0, 0, kSkinKeyColor);
    // A bitmap selected elsewhere cannot be drawn; copy it out first.
    UniqueBitmap bmp(CreateCompatibleBitmap(nullptr, 2, 2));
    {
        UniqueDC dc(CreateCompatibleDC(nullptr));
        SelectObject(dc.get(), bmp.get());
        BitBlt(dc.get(), 0, 0, 2, 2, img.DC(), 0, 0, SRCCOPY);
    }
    const RECT rc{1, 1, 5, 5};
    CPicture stretched(6, 6), keyed(6, 6), plain(6, 6);
    EXPECT_EQ(ctrl.DrawImage(2, SRCCOPY, bmp.get(), stretched.DC(), &rc, 0), 1);
    EXPECT_EQ(ctrl.DrawImage(4, SRCCOPY, bmp.get(), keyed.DC(), &rc, kSkinKeyColor), 1);
    EXPECT_EQ(ctrl.DrawImage(0, SRCCOPY, bmp.get(), plain.DC(), &rc, 0), 1);
    EXPECT_EQ(stretched.Count(RGB(0, 200, 0)), 12);
    EXPECT_EQ(stretched.Count(kSkinKeyColor), 4);
    EXPECT_EQ(keyed.Count(RGB(0, 200, 0)), 3);
    EXPECT_EQ(keyed.Count(kSkinKeyColor), 0);
    EXPECT_EQ(plain.Count(kSkinKeyColor), 1);
    EXPECT_EQ(GetPixel(plain.DC(), 1, 1), kSkinKeyColor);
}

TEST(CBmpCtrlDrawing, TextEffectsAndRestoredState)
{
    CDrawingCtrl ctrl;
    const COLORREF text = RGB(255, 255, 255);
    const COLORREF effect = RGB(255, 0, 0);
    HFONT font = GetBCtrlStockFont(5);
    auto draw = [&](int style, const std::wstring& s) {
        auto pic = std::make_unique<CPicture>(60, 24);
        RECT rc{4, 2, 56, 22};
        SetTextColor(pic->DC(), RGB(1, 1, 1));
        SetBkMode(pic->DC(), OPAQUE);
        ctrl.DrawTextW(style, DT_LEFT | DT_SINGLELINE, s, pic->DC(), &rc, font, text, effect);
        EXPECT_EQ(rc, (RECT{4, 2, 56, 22}));
        EXPECT_EQ(GetTextColor(pic->DC()), RGB(1, 1, 1));
        EXPECT_EQ(GetBkMode(pic->DC()), OPAQUE);
        return pic;
    };
    auto plain = draw(BCS_TEXT_PLAIN, L"HI");
    auto shadow = draw(BCS_TEXT_SHADOW, L"HI");
    auto outline = draw(BCS_TEXT_OUTLINE, L"HI");
    EXPECT_GT(plain->Count(text), 0);
    EXPECT_EQ(plain->Count(effect), 0);
    EXPECT_GT(shadow->Count(effect), 0);
    EXPECT_GT(outline->Count(effect), shadow->Count(effect));
    // Transparent: the background between the letters stays.
    EXPECT_EQ(GetPixel(plain->DC(), 58, 1), 0u);

    // An ampersand is shown once, never taken as a prefix.
    auto amp = draw(BCS_TEXT_PLAIN, L"A&B");
    CPicture direct(60, 24);
    {
        RECT rc{4, 2, 56, 22};
        SetBkMode(direct.DC(), TRANSPARENT);
        SetTextColor(direct.DC(), text);
        SelectObject(direct.DC(), font);
        DrawText(direct.DC(), L"A&B", &rc, DT_LEFT | DT_SINGLELINE);
    }
    EXPECT_EQ(amp->Pixels(), direct.Pixels());
    EXPECT_NE(amp->Pixels(), draw(BCS_TEXT_PLAIN, L"AB")->Pixels());
}

// --- focus navigation ---------------------------------------------------------------------------

namespace {

class CNavTest : public ::testing::Test {
protected:
    CTestCtrl* Add(const std::string& name, RECT rc)
    {
        m_vecOwned.push_back(std::make_unique<CTestCtrl>(name, &m_log, 0));
        CTestCtrl* c = m_vecOwned.back().get();
        c->SetControlPos(rc);
        c->SetRemocon(1);
        m_vecCtrls.push_back(c);
        return c;
    }
    void SetUp() override
    {
        m_nav.SetControlArray(&m_vecCtrls);
        m_nav.SetWindowRect(RECT{0, 0, 300, 200});
    }
    std::vector<std::string> m_log;
    std::vector<std::unique_ptr<CTestCtrl>> m_vecOwned;
    std::vector<CBmpCtrl*> m_vecCtrls;
    CBmpCtrlInput m_nav;
};

} // namespace

TEST_F(CNavTest, ArrowsMoveToTheNearestAndWrapAround)
{
    EXPECT_EQ(m_nav.InputKey(VK_LEFT), nullptr);
    CTestCtrl* a = Add("A", RECT{10, 10, 50, 40});
    CTestCtrl* b = Add("B", RECT{110, 10, 150, 40});
    CTestCtrl* c = Add("C", RECT{210, 10, 250, 40});
    CTestCtrl* d = Add("D", RECT{110, 120, 150, 150});
    // The first key focuses the first eligible control.
    EXPECT_EQ(m_nav.InputKey(VK_LEFT), a);
    EXPECT_EQ(a->GetFocusCtrl(), 1);
    EXPECT_EQ(m_nav.FocusChange(c), 1);
    EXPECT_EQ(a->GetFocusCtrl(), 0);
    EXPECT_EQ(m_nav.InputKey(VK_LEFT), b);
    EXPECT_EQ(m_nav.InputKey(VK_LEFT), a);
    EXPECT_EQ(m_nav.InputKey(VK_LEFT), c); // wraps to the right end of the row
    EXPECT_EQ(m_nav.InputKey(VK_RIGHT), a);
    EXPECT_EQ(m_nav.InputKey(VK_DOWN), d);
    EXPECT_EQ(m_nav.InputKey(VK_DOWN), b); // wraps to the top
    EXPECT_EQ(m_nav.InputKey(VK_RETURN), b);
    int focused = 0;
    for (CBmpCtrl* ctrl : m_vecCtrls) focused += ctrl->GetFocusCtrl();
    EXPECT_EQ(focused, 1);
}

TEST_F(CNavTest, IneligibleControlsAreNeverFocused)
{
    CTestCtrl* a = Add("A", RECT{10, 10, 50, 40});
    CTestCtrl* b = Add("B", RECT{110, 10, 150, 40});
    CTestCtrl* c = Add("C", RECT{210, 10, 250, 40});
    b->SetRemocon(0);
    EXPECT_EQ(m_nav.FocusChange(b), 1);
    EXPECT_EQ(m_nav.GetFocused(), a); // the first eligible instead
    EXPECT_EQ(m_nav.InputKey(VK_RIGHT), c);
    c->SetDisableCtrl(1, 0);
    a->SetVisibleCtrl(0, 0);
    // The focus stays when there is nowhere to go.
    EXPECT_EQ(m_nav.InputKey(VK_LEFT), c);
    CTestCtrl stranger{"X", nullptr, 0};
    EXPECT_EQ(m_nav.FocusChange(&stranger), 0);
    EXPECT_EQ(m_nav.FocusChange(nullptr), 0);
}

TEST_F(CNavTest, ConsumedKeysKeepTheFocusAndKillOnlyTakesItFromTheFocused)
{
    CTestCtrl* a = Add("A", RECT{10, 10, 50, 40});
    CTestCtrl* b = Add("B", RECT{110, 10, 150, 40});
    m_nav.FocusChange(a);
    a->m_nKeyResult = 1;
    EXPECT_EQ(m_nav.InputKey(VK_RIGHT), a);
    EXPECT_EQ(m_nav.InputKey(VK_DOWN), a);
    EXPECT_EQ(m_nav.FocusKill(b), 0);
    EXPECT_EQ(m_nav.FocusKill(a), 1);
    EXPECT_EQ(m_nav.GetFocused(), nullptr);
    EXPECT_EQ(a->GetFocusCtrl(), 0);
}

TEST(CBmpCtrlInputZones, IntervalTests)
{
    EXPECT_EQ(CBmpCtrlInput::BothIncludeZone(0, 10, 2, 8), 1);
    EXPECT_EQ(CBmpCtrlInput::BothIncludeZone(2, 8, 0, 10), 1);
    EXPECT_EQ(CBmpCtrlInput::BothIncludeZone(0, 5, 3, 8), 0);
    EXPECT_EQ(CBmpCtrlInput::BothOverlapZone(0, 5, 3, 8), 1);
    EXPECT_EQ(CBmpCtrlInput::BothOverlapZone(0, 3, 3, 8), 0);
}
