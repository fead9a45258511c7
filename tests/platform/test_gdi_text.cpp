// Text lands where the DrawText format bits say, in the selected font and colours.
#include "PictureArt.h"

#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace zent;
using pictureart::Canvas;

namespace {

// The bounding box of every pixel that is no longer the background.
RECT InkBox(const Canvas& c, std::uint32_t background = 0xFFFFFF)
{
    BITMAP bm;
    GetObject(c.Bmp(), &bm);
    RECT box{bm.bmWidth, bm.bmHeight, 0, 0};
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            if ((GetBitmapRow(c.Bmp(), y)[x] & 0xFFFFFF) != background) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

struct TextCanvas : Canvas {
    UniqueFont m_font;
    TextCanvas(int w, int h, int fontHeight = -16) : Canvas(w, h, 'W'), m_font(CreateFont(fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Segoe UI"))
    {
        SelectObject(Dc(), m_font.get());
        SetBkMode(Dc(), TRANSPARENT);
        SetTextColor(Dc(), RGB(0, 0, 0));
    }
    ~TextCanvas() { m_dc.reset(); }
};

} // namespace

TEST(GdiText, CentredSingleLineSitsInTheMiddle)
{
    TextCanvas c(200, 60);
    RECT rc{0, 0, 200, 60};
    DrawText(c.Dc(), L"HHHH", &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const RECT ink = InkBox(c);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 2.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 30.0, 4.0);
}

TEST(GdiText, RightAndBottomBitsPushTheTextToThoseEdges)
{
    TextCanvas c(200, 60);
    RECT rc{0, 0, 200, 60};
    DrawText(c.Dc(), L"HHHH", &rc, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    const RECT ink = InkBox(c);
    EXPECT_GE(ink.right, 195);
    EXPECT_GE(ink.bottom, 50);
    EXPECT_GT(ink.left, 100);

    // Without DT_SINGLELINE the vertical bits do nothing, as in GDI.
    TextCanvas top(200, 60);
    DrawText(top.Dc(), L"HHHH", &rc, DT_LEFT | DT_BOTTOM);
    const RECT inkTop = InkBox(top);
    EXPECT_LT(inkTop.top, 10);
    EXPECT_LT(inkTop.left, 5);
}

TEST(GdiText, TextIsClippedToItsRectangleUnlessNoClip)
{
    TextCanvas c(200, 40);
    RECT rc{10, 0, 40, 40};
    DrawText(c.Dc(), L"HHHHHHHHHHHH", &rc, DT_LEFT | DT_SINGLELINE);
    const RECT ink = InkBox(c);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 40);

    TextCanvas wide(200, 40);
    DrawText(wide.Dc(), L"HHHHHHHHHHHH", &rc, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkBox(wide).right, 60);
}

TEST(GdiText, EndEllipsisShortensALineThatDoesNotFit)
{
    const std::wstring text = L"Recording 2024-05-01 12:00:00 front camera";
    TextCanvas cut(300, 30);
    RECT rc{0, 0, 120, 30};
    DrawText(cut.Dc(), text, &rc, DT_SINGLELINE | DT_END_ELLIPSIS);
    TextCanvas clipped(300, 30);
    DrawText(clipped.Dc(), text, &rc, DT_SINGLELINE);
    const RECT a = InkBox(cut), b = InkBox(clipped);
    EXPECT_LE(a.right, 120);
    // The clipped text runs to the edge; the ellipsis ends before it, at a different picture.
    EXPECT_NE(pictureart::Joined(cut.Picture()), pictureart::Joined(clipped.Picture()));
    EXPECT_LT(a.right, b.right + 1);
}

TEST(GdiText, WordBreakWrapsIntoLinesAndCalcRectMeasuresThem)
{
    TextCanvas c(100, 200);
    RECT one{0, 0, 100, 200};
    const int single = DrawText(c.Dc(), L"alpha", &one, DT_CALCRECT);
    RECT wrapped{0, 0, 100, 200};
    const int height = DrawText(c.Dc(), L"alpha beta gamma delta epsilon zeta", &wrapped, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(height, 3 * single - 2);
    EXPECT_EQ(wrapped.bottom, height);
    EXPECT_LE(wrapped.right, 100);
    EXPECT_EQ(InkBox(c).right, 0) << "DT_CALCRECT draws nothing";

    SIZE extent;
    GetTextExtentPoint32(c.Dc(), L"alpha", &extent);
    EXPECT_EQ(one.right, extent.cx);
    EXPECT_EQ(one.bottom, extent.cy);
}

TEST(GdiText, OpaqueModeFillsBehindTheTextWithTheBackgroundColour)
{
    TextCanvas c(100, 30);
    SetBkMode(c.Dc(), OPAQUE);
    SetBkColor(c.Dc(), RGB(255, 255, 0));
    SetTextColor(c.Dc(), RGB(0, 0, 255));
    TextOut(c.Dc(), 5, 5, L"Hi");
    const auto art = c.Picture();
    EXPECT_EQ(art[5][5], 'Y');
    EXPECT_EQ(art[0][0], 'W');
    bool blue = false;
    for (const auto& row : art) blue = blue || row.find('B') != std::string::npos;
    EXPECT_TRUE(blue);
}

TEST(GdiFont, HeightsFollowTheLogicalFontRules)
{
    TextCanvas em(100, 100, -20);
    TextCanvas cell(100, 100, 20);
    SIZE a, b;
    GetTextExtentPoint32(em.Dc(), L"Hg", &a);
    GetTextExtentPoint32(cell.Dc(), L"Hg", &b);
    // A positive height is the whole cell, so its letters come out smaller than a -20 font's.
    EXPECT_NEAR(b.cy, 20, 2);
    EXPECT_GT(a.cy, b.cy);
    EXPECT_GT(a.cx, b.cx);

    // A width stretches or squeezes the letters: twice the width, twice the extent.
    UniqueFont wide(CreateFont(-20, 12, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"));
    UniqueFont narrow(CreateFont(-20, 6, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"));
    SIZE w, n;
    SelectObject(em.Dc(), wide.get());
    GetTextExtentPoint32(em.Dc(), L"abcdefghij", &w);
    SelectObject(em.Dc(), narrow.get());
    GetTextExtentPoint32(em.Dc(), L"abcdefghij", &n);
    EXPECT_NEAR(static_cast<double>(w.cx) / n.cx, 2.0, 0.25);
    EXPECT_NEAR(n.cx, 60, 20);
    // Sizes from damaged settings still make a usable font.
    UniqueFont extreme(CreateFont(INT32_MIN, INT32_MAX, 0, 0, 5000, 0, 0, 0, 0, 0, 0, 0, 0, L""));
    ASSERT_TRUE(extreme);
    SelectObject(em.Dc(), extreme.get());
    SIZE e;
    EXPECT_TRUE(GetTextExtentPoint32(em.Dc(), L"x", &e));
    SelectObject(em.Dc(), narrow.get());
    LOGFONTW lf;
    ASSERT_TRUE(GetObject(narrow.get(), &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");
}

TEST(GdiFont, DeletingASelectedFontKeepsTheDeviceContextDrawing)
{
    TextCanvas c(100, 30);
    c.m_font.reset();
    TextOut(c.Dc(), 2, 2, L"ok");
    EXPECT_FALSE(InkBox(c).IsEmpty());
}

TEST(GdiFont, WindowsFacesMapOntoInstalledFonts)
{
    EXPECT_EQ(ResolveFontFace(L"Malgun Gothic"), "Noto Sans CJK KR");
    EXPECT_EQ(ResolveFontFace(L"gulim"), "Noto Sans CJK KR");
    EXPECT_EQ(ResolveFontFace(L"Meiryo UI"), "Noto Sans CJK JP");
    EXPECT_EQ(ResolveFontFace(L"Yu Gothic UI Regular"), "Noto Sans CJK JP");
    EXPECT_EQ(ResolveFontFace(L"Segoe UI"), "DejaVu Sans,Noto Sans");
    EXPECT_EQ(ResolveFontFace(L"Tahoma"), "DejaVu Sans,Noto Sans");
    EXPECT_EQ(ResolveFontFace(L"Roboto"), "Roboto");
}

TEST(GdiFont, HangulDrawsWithTheKoreanAlias)
{
    Canvas c(120, 40, 'W');
    UniqueFont font(CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, HANGUL_CHARSET, 0, 0, 0, 0, L"Malgun Gothic"));
    SelectObject(c.Dc(), font.get());
    SetBkMode(c.Dc(), TRANSPARENT);
    TextOut(c.Dc(), 0, 0, L"\uD55C\uAE00");
    const RECT ink = InkBox(c);
    EXPECT_GT(ink.Width(), 25);
}

TEST(GdiFont, PrivateFontsRegisterFromMemoryAndRefuseGarbage)
{
    DWORD count = 7;
    const char garbage[] = "not a font at all";
    EXPECT_EQ(AddFontMemResourceEx(garbage, sizeof garbage, nullptr, &count), nullptr);
    EXPECT_EQ(count, 0u);

    const char* path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "fonts-dejavu-core is missing";
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    void* handle = AddFontMemResourceEx(data.data(), static_cast<DWORD>(data.size()), nullptr, &count);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(RemoveFontMemResourceEx(handle));
    EXPECT_FALSE(RemoveFontMemResourceEx(handle));
}

TEST(GdiText, ScaledMapModesScaleTheTextWithTheirUnits)
{
    TextCanvas plain(200, 100, -10);
    SIZE unscaled;
    GetTextExtentPoint32(plain.Dc(), L"Speed 88", &unscaled);

    TextCanvas c(200, 100, -10);
    SetMapMode(c.Dc(), MM_ANISOTROPIC);
    SetWindowExtEx(c.Dc(), 100, 50, nullptr);
    SetViewportExtEx(c.Dc(), 200, 100, nullptr);
    SIZE logical;
    GetTextExtentPoint32(c.Dc(), L"Speed 88", &logical);
    // Glyph positions round to whole pixels at each size, so the widths agree only roughly.
    EXPECT_NEAR(logical.cx, unscaled.cx, unscaled.cx / 10 + 1);
    EXPECT_NEAR(logical.cy, unscaled.cy, 2);

    RECT rc{0, 0, 100, 50};
    DrawText(c.Dc(), L"Speed 88", &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const RECT ink = InkBox(c);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 3.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 50.0, 5.0);
    // Twice the pixels of the unscaled text.
    EXPECT_NEAR(ink.Width(), 2.0 * unscaled.cx, 0.25 * unscaled.cx);
}
