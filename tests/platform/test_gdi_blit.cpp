// Copies, stretches, colour keys, fills, clipping and map modes, checked on whole pictures.
#include "PictureArt.h"

#include <zent/platform/Gdi.h>

using namespace zent;
using pictureart::Canvas;

TEST(GdiCopy, BitBltClipsAtThePictureEdges)
{
    Canvas src({"RGB", "YCW"});
    Canvas dst(5, 4);
    EXPECT_TRUE(BitBlt(dst.Dc(), -1, 1, 3, 2, src.Dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.Dc(), 3, 3, 3, 2, src.Dc(), 0, 0, SRCCOPY));
    EXPECT_PICTURE(dst, ".....", "GB...", "CW...", "...RG");
}

TEST(GdiCopy, SourceOutsideItsPictureLeavesTheDestination)
{
    Canvas src({"RGB", "YCW"});
    Canvas dst(3, 2, 'g');
    BitBlt(dst.Dc(), 0, 0, 3, 2, src.Dc(), 1, 1, SRCCOPY);
    EXPECT_PICTURE(dst, "CWg", "ggg");
}

TEST(GdiCopy, OverlappingCopyWithinOnePictureDoesNotSmear)
{
    Canvas right({"RGBYC"});
    BitBlt(right.Dc(), 1, 0, 4, 1, right.Dc(), 0, 0, SRCCOPY);
    EXPECT_PICTURE(right, "RRGBY");
    Canvas left({"RGBYC"});
    BitBlt(left.Dc(), 0, 0, 4, 1, left.Dc(), 1, 0, SRCCOPY);
    EXPECT_PICTURE(left, "GBYCC");
}

TEST(GdiCopy, CopyKeepsTheTopByte)
{
    Canvas src(1, 1);
    GetBitmapRow(src.Bmp(), 0)[0] = 0x80112233;
    Canvas dst(1, 1);
    BitBlt(dst.Dc(), 0, 0, 1, 1, src.Dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetBitmapRow(dst.Bmp(), 0)[0], 0x80112233u);
}

TEST(GdiCopy, RasterFillsAndRefusals)
{
    Canvas dst(3, 1, 'g');
    BitBlt(dst.Dc(), 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS);
    BitBlt(dst.Dc(), 1, 0, 1, 1, nullptr, 0, 0, WHITENESS);
    EXPECT_PICTURE(dst, ".Wg");
    Canvas src(1, 1);
    EXPECT_FALSE(BitBlt(dst.Dc(), 0, 0, 1, 1, src.Dc(), 0, 0, 0x00660046 /* SRCINVERT */));
    EXPECT_FALSE(StretchBlt(dst.Dc(), 0, 0, 0, 1, src.Dc(), 0, 0, 1, 1, SRCCOPY));
    UniqueDC empty(CreateCompatibleDC(nullptr));
    EXPECT_FALSE(BitBlt(dst.Dc(), 0, 0, 1, 1, empty.get(), 0, 0, SRCCOPY));
    EXPECT_PICTURE(dst, ".Wg");
}

TEST(GdiStretch, EnlargesEachPixelIntoABlock)
{
    Canvas src({"RG", "BY"});
    Canvas dst(4, 4);
    EXPECT_TRUE(StretchBlt(dst.Dc(), 0, 0, 4, 4, src.Dc(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_PICTURE(dst, "RRGG", "RRGG", "BBYY", "BBYY");
}

TEST(GdiStretch, ShrinksByTakingThePixelUnderEachCentre)
{
    Canvas src({"RGBY", "CWMg"});
    Canvas half(2, 1);
    StretchBlt(half.Dc(), 0, 0, 2, 1, src.Dc(), 0, 0, 4, 2, SRCCOPY);
    EXPECT_PICTURE(half, "Wg");
    Canvas third(2, 1);
    StretchBlt(third.Dc(), 0, 0, 2, 1, src.Dc(), 0, 0, 3, 1, SRCCOPY);
    EXPECT_PICTURE(third, "RB");
}

TEST(GdiStretch, NegativeWidthMirrors)
{
    Canvas src({"RGB"});
    Canvas dst(3, 1);
    StretchBlt(dst.Dc(), 3, 0, -3, 1, src.Dc(), 0, 0, 3, 1, SRCCOPY);
    EXPECT_PICTURE(dst, "BGR");
}

TEST(GdiColourKey, SkipsKeyPixelsWhateverTheirTopByte)
{
    Canvas src({"RMG"});
    GetBitmapRow(src.Bmp(), 0)[1] |= 0x7F000000;
    Canvas dst(3, 1, 'Y');
    EXPECT_TRUE(TransparentBlt(dst.Dc(), 0, 0, 3, 1, src.Dc(), 0, 0, 3, 1, RGB(255, 0, 255)));
    EXPECT_PICTURE(dst, "RYG");
}

TEST(GdiColourKey, KeyIsAColourNotAPixelValue)
{
    // Red is 0x0000FF as a colour and 0xFF0000 as a pixel: the key must name the colour.
    Canvas src({"RGB"});
    Canvas dst(3, 1, 'Y');
    TransparentBlt(dst.Dc(), 0, 0, 3, 1, src.Dc(), 0, 0, 3, 1, RGB(255, 0, 0));
    EXPECT_PICTURE(dst, "YGB");
}

TEST(GdiColourKey, StretchesThenKeys)
{
    Canvas src({"RM", "MB"});
    Canvas dst(4, 2, 'W');
    TransparentBlt(dst.Dc(), 0, 0, 4, 2, src.Dc(), 0, 0, 2, 2, RGB(255, 0, 255));
    EXPECT_PICTURE(dst, "RRWW", "WWBB");
    EXPECT_FALSE(TransparentBlt(dst.Dc(), 4, 0, -4, 2, src.Dc(), 0, 0, 2, 2, RGB(255, 0, 255)));
}

TEST(GdiFill, FillsWriteAZeroTopByte)
{
    Canvas dst(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) GetBitmapRow(dst.Bmp(), y)[x] = 0xFF000000;
    UniqueBrush green(CreateSolidBrush(RGB(0, 255, 0)));
    const RECT rc{1, 1, 3, 3};
    EXPECT_TRUE(FillRect(dst.Dc(), &rc, green.get()));
    EXPECT_EQ(GetBitmapRow(dst.Bmp(), 1)[1], 0x0000FF00u);
    EXPECT_EQ(GetBitmapRow(dst.Bmp(), 0)[0], 0xFF000000u);
    FillSolidRect(dst.Dc(), 0, 0, 1, 4, RGB(0, 0, 255));
    EXPECT_EQ(GetBitmapRow(dst.Bmp(), 3)[0], 0x000000FFu);
    // As in MFC, the solid fill leaves its colour as the background colour.
    EXPECT_EQ(GetBkColor(dst.Dc()), RGB(0, 0, 255));
}

TEST(GdiClip, IntersectAndExcludeMakeAFrame)
{
    Canvas dst(6, 4);
    IntersectClipRect(dst.Dc(), 1, 0, 5, 4);
    EXPECT_EQ(ExcludeClipRect(dst.Dc(), 2, 1, 4, 3), COMPLEXREGION);
    FillSolidRect(dst.Dc(), 0, 0, 6, 4, RGB(255, 255, 255));
    EXPECT_PICTURE(dst, ".WWWW.", ".W..W.", ".W..W.", ".WWWW.");
    RECT box;
    GetClipBox(dst.Dc(), &box);
    EXPECT_EQ(box, (RECT{1, 0, 5, 4}));
    SelectClipRgn(dst.Dc(), nullptr);
    FillSolidRect(dst.Dc(), 0, 0, 1, 1, RGB(255, 0, 0));
    EXPECT_PICTURE(dst, "RWWWW.", ".W..W.", ".W..W.", ".WWWW.");
}

TEST(GdiClip, CombinedRegionsClipEveryDrawing)
{
    UniqueRegion a(CreateRectRgn(0, 0, 3, 2));
    UniqueRegion b(CreateRectRgn(1, 1, 4, 3));
    UniqueRegion x(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(x.get(), a.get(), b.get(), RGN_XOR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(x.get(), 3, 1));
    EXPECT_FALSE(PtInRegion(x.get(), 1, 1));

    Canvas src(5, 3, 'G');
    Canvas dst(5, 3);
    SelectClipRgn(dst.Dc(), x.get());
    x.reset(); // the device context keeps its own copy
    BitBlt(dst.Dc(), 0, 0, 5, 3, src.Dc(), 0, 0, SRCCOPY);
    EXPECT_PICTURE(dst, "GGG..", "G..G.", ".GGG.");

    UniqueRegion u(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(u.get(), a.get(), b.get(), RGN_AND), SIMPLEREGION);
    RECT box;
    GetRgnBox(u.get(), &box);
    EXPECT_EQ(box, (RECT{1, 1, 3, 2}));
    // Two halves of one rectangle join into a simple region again.
    UniqueRegion left(CreateRectRgn(0, 0, 2, 2));
    UniqueRegion right(CreateRectRgn(2, 0, 4, 2));
    EXPECT_EQ(CombineRgn(u.get(), left.get(), right.get(), RGN_OR), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(u.get(), left.get(), left.get(), RGN_DIFF), NULLREGION);
}

TEST(GdiMapMode, AnisotropicFlipsTheYAxis)
{
    Canvas dst(4, 4);
    SetMapMode(dst.Dc(), MM_ANISOTROPIC);
    SetWindowExtEx(dst.Dc(), 100, 100, nullptr);
    SetViewportExtEx(dst.Dc(), 4, -4, nullptr);
    SetViewportOrgEx(dst.Dc(), 0, 4, nullptr);
    FillSolidRect(dst.Dc(), 0, 0, 50, 50, RGB(255, 255, 255));
    EXPECT_PICTURE(dst, "....", "....", "WW..", "WW..");
    POINT pts[2] = {{25, 75}, {-13, 0}};
    LPtoDP(dst.Dc(), pts, 2);
    EXPECT_EQ(pts[0], (POINT{1, 1}));
    EXPECT_EQ(pts[1], (POINT{-1, 4})); // -0.52 rounds away from zero
    DPtoLP(dst.Dc(), pts, 1);
    EXPECT_EQ(pts[0], (POINT{25, 75}));
}

TEST(GdiMapMode, IsotropicKeepsUnitsSquare)
{
    UniqueDC dc(CreateCompatibleDC(nullptr));
    SetMapMode(dc.get(), MM_ISOTROPIC);
    SetWindowExtEx(dc.get(), 100, 50, nullptr);
    SetViewportExtEx(dc.get(), 8, -8, nullptr);
    SIZE ext;
    GetViewportExtEx(dc.get(), &ext);
    EXPECT_EQ(ext, (SIZE{8, -4}));
    POINT p{100, 50};
    LPtoDP(dc.get(), &p, 1);
    EXPECT_EQ(p, (POINT{8, -4}));
    // Back to MM_TEXT: one unit is one pixel again, and extents are ignored.
    SetMapMode(dc.get(), MM_TEXT);
    SetViewportExtEx(dc.get(), 3, 3, nullptr);
    p = {7, 9};
    LPtoDP(dc.get(), &p, 1);
    EXPECT_EQ(p, (POINT{7, 9}));
    EXPECT_FALSE(SetMapMode(dc.get(), 99));
}

TEST(GdiMapMode, OriginsMoveCopiesAndClipRectangles)
{
    Canvas src({"RG"});
    Canvas dst(4, 3);
    SetWindowOrgEx(dst.Dc(), 2, 1, nullptr);
    SetViewportOrgEx(dst.Dc(), 1, 0, nullptr);
    BitBlt(dst.Dc(), 2, 1, 2, 1, src.Dc(), 0, 0, SRCCOPY); // device (1, 0)
    IntersectClipRect(dst.Dc(), 2, 2, 3, 4);               // device x 1, y 1..2
    FillSolidRect(dst.Dc(), 0, 0, 10, 10, RGB(0, 0, 255));
    EXPECT_PICTURE(dst, ".RG.", ".B..", ".B..");
}

TEST(GdiShapes, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    Canvas dst(5, 4, 'W');
    UniqueBrush green(CreateSolidBrush(RGB(0, 255, 0)));
    {
        CSelectObject<HBRUSH> brush(dst.Dc(), green.get());
        Rectangle(dst.Dc(), 0, 0, 4, 3);
    }
    EXPECT_PICTURE(dst, "....W", ".GG.W", "....W", "WWWWW");
    // Without a pen GDI leaves the right and bottom edge out.
    Canvas bare(3, 3, 'W');
    SelectObject(bare.Dc(), GetStockPen(NULL_PEN));
    SelectObject(bare.Dc(), GetStockBrush(BLACK_BRUSH));
    Rectangle(bare.Dc(), 0, 0, 3, 3);
    EXPECT_PICTURE(bare, "..W", "..W", "WWW");
}

TEST(GdiShapes, LinesLeaveOutTheirLastPixel)
{
    Canvas dst(5, 4, 'W');
    UniquePen red(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    CSelectObject<HPEN> pen(dst.Dc(), red.get());
    MoveToEx(dst.Dc(), 0, 3, nullptr);
    LineTo(dst.Dc(), 4, 3);
    MoveToEx(dst.Dc(), 0, 0, nullptr);
    LineTo(dst.Dc(), 3, 3);
    EXPECT_PICTURE(dst, "RWWWW", "WRWWW", "WWRWW", "RRRRW");
    const POINT pts[] = {{4, 0}, {4, 2}, {2, 2}};
    Polyline(dst.Dc(), pts, 3);
    EXPECT_PICTURE(dst, "RWWWR", "WRWWR", "WWRRR", "RRRRW");
}

TEST(GdiShapes, WidePensDrawThroughCairoInsideTheClip)
{
    Canvas dst(10, 10, 'W');
    UniquePen wide(CreatePen(PS_SOLID, 3, RGB(0, 0, 255)));
    CSelectObject<HPEN> pen(dst.Dc(), wide.get());
    IntersectClipRect(dst.Dc(), 0, 0, 5, 10);
    MoveToEx(dst.Dc(), 1, 5, nullptr);
    LineTo(dst.Dc(), 9, 5);
    const pictureart::Art art = dst.Picture();
    EXPECT_EQ(art[5].substr(1, 4), "BBBB");
    EXPECT_EQ(art[5].substr(5), "WWWWW");
    EXPECT_EQ(art[0], "WWWWWWWWWW");
}

TEST(GdiObjects, SelectedBitmapsAreNeitherDeletedNorSharedBetweenContexts)
{
    HBITMAP bmp = CreateDIBSection(nullptr, 2, 2, nullptr);
    UniqueDC a(CreateCompatibleDC(nullptr));
    UniqueDC b(CreateCompatibleDC(nullptr));
    EXPECT_EQ(SelectObject(a.get(), bmp), nullptr);
    EXPECT_EQ(GetCurrentBitmap(a.get()), bmp);
    EXPECT_EQ(SelectObject(b.get(), bmp), nullptr);
    EXPECT_EQ(GetCurrentBitmap(b.get()), nullptr);
    EXPECT_FALSE(DeleteObject(bmp));
    a.reset();
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_EQ(CreateDIBSection(nullptr, 0, 5, nullptr), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, 100000, 100000, nullptr), nullptr);
}

TEST(GdiObjects, BitmapsFromCallerPixels)
{
    // 24-bit rows are padded to four bytes, as GDI stores them.
    const std::uint8_t rgb24[] = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, /**/ 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    UniqueBitmap bmp(CreateBitmap(2, 2, 1, 24, rgb24));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(pictureart::Joined(pictureart::ToArt(bmp.get())), pictureart::Joined({"BG", "RW"}));
    EXPECT_EQ(CreateBitmap(2, 2, 1, 16, rgb24), nullptr);
    std::uint32_t memory[6] = {0, 0, 0, 0, 0, 0};
    UniqueBitmap over(CreateBitmapOverMemory(memory, 2, 2, 12));
    Canvas src({"RG", "BY"});
    UniqueDC dc(CreateCompatibleDC(nullptr));
    SelectObject(dc.get(), over.get());
    BitBlt(dc.get(), 0, 0, 2, 2, src.Dc(), 0, 0, SRCCOPY);
    dc.reset();
    EXPECT_EQ(memory[0], 0xFF0000u);
    EXPECT_EQ(memory[2], 0u); // the stride's padding is left alone
    EXPECT_EQ(memory[4], 0xFFFF00u);
}
