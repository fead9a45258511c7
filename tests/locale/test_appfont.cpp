// The interface fonts: the face per language, the fixed attributes, one font per request, and
// handing fonts to the three kinds of window that take them.

#include "locale/AppFont.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/platform/Font.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtest/gtest.h>

#include <string>

using namespace zent;

namespace {

// A window that remembers the window font it was sent.
class CFontSink : public CWnd {
public:
    HFONT m_hReceived = nullptr;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SETFONT) m_hReceived = reinterpret_cast<HFONT>(wParam);
        return CWnd::OnMessage(message, wParam, lParam);
    }
};

std::wstring FaceOf(HFONT font)
{
    LOGFONTW lf{};
    GetObject(font, &lf);
    return lf.lfFaceName;
}

} // namespace

TEST(AppFont, DefaultFacePerLanguageAndOperatingSystem)
{
    EXPECT_EQ(GetDefaultFaceName(0, 6.0), L"Malgun Gothic");
    EXPECT_EQ(GetDefaultFaceName(3, 6.0), L"Malgun Gothic");
    EXPECT_EQ(GetDefaultFaceName(1, 6.0), L"Segoe UI");
    EXPECT_EQ(GetDefaultFaceName(2, 6.0), L"Meiryo UI");
    EXPECT_EQ(GetDefaultFaceName(2, 10.0), L"Yu Gothic UI Regular");
}

TEST(AppFont, FontsCarryTheFixedAttributesAndTheLanguageFace)
{
    SetAppFontLanguage(1, 6.0);
    UniqueFont english(CreateAppFont(14, 0, 956, 5, L""));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObject(english.get(), &lf));
    EXPECT_EQ(lf.lfHeight, 14);
    EXPECT_EQ(lf.lfWeight, 500);
    EXPECT_EQ(lf.lfCharSet, 1);
    EXPECT_EQ(lf.lfOutPrecision, 7);
    EXPECT_EQ(lf.lfClipPrecision, 1);
    EXPECT_EQ(lf.lfQuality, 6);
    EXPECT_EQ(lf.lfPitchAndFamily, 0x20);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Segoe UI");

    SetAppFontLanguage(2, 6.0);
    UniqueFont japanese(CreateAppFont(14, 0, 0, 0, L""));
    EXPECT_EQ(FaceOf(japanese.get()), L"Meiryo UI");
    // A face of the caller's stands; names longer than a face may be are cut to 31 characters.
    UniqueFont named(CreateAppFont(14, 0, 0, 0, std::wstring(40, L'A')));
    EXPECT_EQ(FaceOf(named.get()), std::wstring(31, L'A'));
    SetAppFontLanguage(1, 6.0);
}

TEST(AppFont, OneFontPerRequestEvenWhenTheKeyNumbersCollide)
{
    const std::size_t before = GetAppFontCount();
    HFONT a = GetAppFont(21, 0, 400, 6, L"");
    EXPECT_EQ(GetAppFont(21, 0, 400, 6, L""), a);
    EXPECT_EQ(GetAppFontCount(), before + 1);
    // "79|0|400|6|" and "1|60|400|6|" read as the same number, digit by digit; they are still two
    // different fonts (a 79-pixel one and a 1-pixel one 60 wide), not one shared by accident.
    EXPECT_EQ(GetAppFontKeyNumber(L"79|0|400|6|"), GetAppFontKeyNumber(L"1|60|400|6|"));
    HFONT big = GetAppFont(79, 0, 400, 6, L"");
    HFONT narrow = GetAppFont(1, 60, 400, 6, L"");
    EXPECT_NE(big, narrow);
    LOGFONTW lf{};
    GetObject(big, &lf);
    EXPECT_EQ(lf.lfHeight, 79);
    // The key number itself is the description's: the decimal reading in 32-bit arithmetic.
    EXPECT_EQ(GetAppFontKeyNumber(L"42"), 42);
    EXPECT_EQ(GetAppFontKeyNumber(L"|"), '|' - 48);
}

TEST(AppFont, SkinnedControlsListBoxesAndEditsReceiveTheirFont)
{
    auto loop = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>());
    ASSERT_TRUE(loop);
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, L"Host", L"", WS_POPUP, RECT{0, 0, 200, 200}, nullptr, 0));

    CBmpCtrl ctrl;
    ASSERT_TRUE(ctrl.CreateEx(0, L"Static", L"", WS_CHILD, RECT{0, 0, 10, 10}, host, 1));
    const std::size_t receivers = GetAppFontReceiverCount();
    SetFontToObject(&ctrl, 13, 0, 500, 5, L"");
    EXPECT_EQ(ctrl.GetFont(), GetAppFont(13, 0, 500, 5, L""));

    // List boxes and edit fields take the font as their window font.
    for (const wchar_t* className : {kFontClassListBox, kFontClassEdit}) {
        CFontSink sink;
        ASSERT_TRUE(sink.CreateEx(0, className, L"", WS_CHILD, RECT{0, 0, 10, 10}, host, 2));
        SetFontToObject(&sink, 14, 0, 956, 5, L"");
        EXPECT_EQ(sink.m_hReceived, GetAppFont(14, 0, 956, 5, L""));
    }

    // Any other window keeps its own; every window that was offered one is remembered.
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, L"Button", L"", WS_CHILD, RECT{0, 0, 10, 10}, host, 4));
    SetFontToObject(&other, 15, 0, 0, 0, L"");
    SetFontToObject(nullptr, 16, 0, 0, 0, L"");
    EXPECT_EQ(GetAppFontReceiverCount(), receivers + 4);
}
