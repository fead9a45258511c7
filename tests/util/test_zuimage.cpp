// The image object: loading both entry kinds, the plain and stretched copies, and the blending
// rules to the bit, on whole pictures.
#include "MergeFileBuilder.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/ZuImage.h>

using namespace zent;
using namespace mergefile;
using pictureart::Canvas;

namespace {

using Pixels = std::vector<std::uint32_t>;

Pixels PixelsOf(HBITMAP bmp)
{
    BITMAP bm;
    GetObject(bmp, &bm);
    Pixels out;
    for (int y = 0; y < bm.bmHeight; ++y) out.insert(out.end(), GetBitmapRow(bmp, y), GetBitmapRow(bmp, y) + bm.bmWidth);
    return out;
}

void SetPixels(HBITMAP bmp, const Pixels& px)
{
    BITMAP bm;
    GetObject(bmp, &bm);
    for (int y = 0; y < bm.bmHeight; ++y)
        std::copy_n(px.begin() + y * bm.bmWidth, bm.bmWidth, GetBitmapRow(bmp, y));
}

// A 24-bit BMP of one row: red, green.
Bytes Bmp24()
{
    Bytes v = {'B', 'M'};
    auto put = [&](std::uint32_t x, int n) {
        for (int i = 0; i < n; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    put(14 + 40 + 8, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(2, 4);
    put(1, 4);
    put(1, 2);
    put(24, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    const std::uint8_t row[] = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0};
    v.insert(v.end(), std::begin(row), std::end(row));
    return v;
}

class ImageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_file = Build({
            {},
            {0, 0, 2, 2, 1, CompressedArt({"RG", "BY"})},
            {0, 0, 3, 1, 2, PngArt({"RGB"})},
            {0, 0, 2, 1, 2, Bmp24()},
            {0, 0, 2, 1, 1, Compressed(2, 1, {0x80FF0000, 0x00FFFFFF})},
            {0, 0, 1, 1, 1, Bytes{'M', 'B', 'L', 'Q'}},
        });
        ASSERT_EQ(m_loader.OpenMergeFile(Save(m_dir, m_file), 1), 5);
    }
    testsupport::TempDir m_dir;
    Bytes m_file;
    QLBMLoader m_loader;
};

} // namespace

TEST_F(ImageFixture, LoadsCompressedAndEncodedEntries)
{
    CZuImage image;
    EXPECT_EQ(image.Load(&m_loader, 1), 1);
    ASSERT_TRUE(image.IsLoaded());
    EXPECT_EQ(image.GetWidth(), 2u);
    EXPECT_EQ(PixelsOf(image.GetHandleBitmap()), (Pixels{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00}));

    // The PNG carries no alpha: its pixels get a zero top byte, like any 24-bit picture.
    EXPECT_EQ(image.Load(&m_loader, 2), 1);
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(PixelsOf(image.GetHandleBitmap()), (Pixels{0x00FF0000, 0x0000FF00, 0x000000FF}));

    image.Load(&m_loader, 3);
    ASSERT_TRUE(image.IsLoaded());
    EXPECT_EQ(PixelsOf(image.GetHandleBitmap()), (Pixels{0x00FF0000, 0x0000FF00}));
}

TEST_F(ImageFixture, FailedLoadsLeaveTheObjectEmptyAndStillReturnOne)
{
    CZuImage image;
    image.Load(&m_loader, 1);
    for (unsigned id : {0u, 5u, 6u, 70000u}) {
        EXPECT_EQ(image.Load(&m_loader, id), 1);
        EXPECT_FALSE(image.IsLoaded()) << id;
        EXPECT_EQ(image.GetWidth(), 0u);
    }
    EXPECT_EQ(image.Load(nullptr, 1), 1);
    EXPECT_FALSE(image.IsLoaded());
    Canvas c(2, 1, 'g');
    EXPECT_EQ(image.Draw(c.Dc(), 0, 0), 1);
    EXPECT_PICTURE(c, "gg");
}

TEST_F(ImageFixture, DecompressBufferIsUsedOnlyWhenLargeEnough)
{
    std::vector<BYTE> small(4), large(64);
    CZuImage image;
    SetDecompressBuffer(small.data(), small.size());
    image.Load(&m_loader, 1);
    EXPECT_TRUE(image.IsLoaded());
    EXPECT_EQ(small, std::vector<BYTE>(4)) << "too small: never written";
    SetDecompressBuffer(large.data(), large.size());
    image.Load(&m_loader, 1);
    SetDecompressBuffer(nullptr, 0);
    EXPECT_EQ(large[0], 0x00);
    EXPECT_EQ(large[2], 0xFF); // red's R byte of the first pixel
    EXPECT_EQ(PixelsOf(image.GetHandleBitmap())[3], 0xFFFFFF00u);
}

TEST(ZuImageHandles, AttachedBitmapsAreBorrowedNeverDeleted)
{
    UniqueBitmap bmp(CreateDIBSection(nullptr, 3, 2, nullptr));
    CZuImage image;
    EXPECT_EQ(image.Attach(nullptr), 0);
    ASSERT_EQ(image.Attach(bmp.get()), 1);
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(image.GetHeight(), 2u);
    image.Unload();
    EXPECT_FALSE(image.IsLoaded());
    image.Attach(bmp.get());
    image.Dettach();
    EXPECT_EQ(image.GetHandleBitmap(), nullptr);
    {
        CZuImage scoped;
        scoped.Attach(bmp.get());
    }
    // Still ours to delete: it would fail (or crash) had any of the above deleted it.
    EXPECT_TRUE(DeleteObject(bmp.release()));
}

TEST(ZuImageDraw, NaturalSizeStretchModeAndNegativeOrigins)
{
    UniqueBitmap bmp = pictureart::MakeBitmap({"RG", "BY"});
    CZuImage image;
    image.Attach(bmp.get());

    Canvas natural(4, 3);
    image.Draw(natural.Dc(), 1, 1, -1, -1);
    EXPECT_PICTURE(natural, "....", ".RG.", ".BY.");

    Canvas stretched(4, 2);
    image.Draw(stretched.Dc(), 0, 0, 4, 2);
    EXPECT_PICTURE(stretched, "RRGG", "BBYY");

    // A negative origin with a new size: exactly the w x h stretched picture, shifted.
    Canvas shifted(3, 4);
    image.Draw(shifted.Dc(), -1, 0, 4, 4);
    EXPECT_PICTURE(shifted, "RGG", "RGG", "BYY", "BYY");

    // Stretch mode overrides whatever size is passed, -1 included.
    image.StretchMode(1, 2, 4);
    Canvas forced(3, 4);
    image.Draw(forced.Dc(), 0, 0, -1, -1);
    EXPECT_PICTURE(forced, "RG.", "RG.", "BY.", "BY.");
    image.StretchMode(0, 0, 0);

    Canvas part(3, 1);
    image.DrawRect(part.Dc(), 1, 0, 2, 1, 0, 1);
    EXPECT_PICTURE(part, ".BY");

    RECT rc{0, 0, 2, 1};
    image.DrawFillRect(part.Dc(), rc, RGB(255, 255, 255));
    EXPECT_PICTURE(part, "WWY");
    image.Dettach();
}

TEST(ZuImageKey, ColourKeyIgnoresTheTopByteButTheFixedOpacityBlendDoesNot)
{
    UniqueBitmap bmp(CreateDIBSection(nullptr, 3, 1, nullptr));
    // Plain magenta, magenta with a top byte, red.
    SetPixels(bmp.get(), {0x00FF00FF, 0x40FF00FF, 0x00FF0000});
    CZuImage image;
    image.Attach(bmp.get());

    Canvas keyed(3, 1);
    SetPixels(keyed.Bmp(), {0x00101010, 0x00202020, 0x00303030});
    EXPECT_TRUE(image.DrawTransparent(keyed.Dc(), 0, 0, -1, -1, RGB(255, 0, 255)));
    EXPECT_EQ(PixelsOf(keyed.Bmp()), (Pixels{0x00101010, 0x00202020, 0x00FF0000}));

    Canvas blended(3, 1);
    SetPixels(blended.Bmp(), {0x00101010, 0x00202020, 0x00303030});
    EXPECT_TRUE(image.DrawAlphaTransBlt(blended.Dc(), 0, 0, 100, -1, -1, RGB(255, 0, 255)));
    // Weight 255: (p * 255 + b * 0) >> 8 per channel; the plain key pixel is skipped.
    EXPECT_EQ(PixelsOf(blended.Bmp()), (Pixels{0x00101010, 0x00FE00FE, 0x00FE0000}));
    image.Dettach();
}

TEST(ZuImageKey, TransStretchBltStretchesThePartAndKeysByColour)
{
    UniqueBitmap bmp = pictureart::MakeBitmap({"MRG", "BMY"});
    CZuImage image;
    image.Attach(bmp.get());
    Canvas c(4, 2, 'W');
    // A non-symmetric key: red is 0x0000FF as a colour.
    EXPECT_TRUE(image.DrawTransStretchBlt(c.Dc(), RECT{0, 0, 4, 2}, RECT{1, 0, 3, 2}, RGB(255, 0, 0)));
    EXPECT_PICTURE(c, "WWGG", "MMYY");
    EXPECT_EQ(image.DrawTransStretchBlt(c.Dc(), RECT{0, 0, 0, 2}, RECT{0, 0, 1, 1}, 0), 0);
    image.Dettach();
}

TEST(ZuImageAlpha, PerPixelAlphaBlendsWithTheShiftByEight)
{
    UniqueBitmap bmp(CreateDIBSection(nullptr, 4, 1, nullptr));
    // Opaque pure blue, half-opaque red, alpha 0 white, alpha 1 green.
    SetPixels(bmp.get(), {0xFF0000FF, 0x80FF0000, 0x00FFFFFF, 0x0100FF00});
    CZuImage image;
    image.Attach(bmp.get());
    Canvas c(5, 1);
    SetPixels(c.Bmp(), {0x00000000, 0x000000FF, 0x7F123456, 0x00FFFFFF, 0x11223344});
    EXPECT_TRUE(image.DrawAlphablend(c.Dc(), 0, 0));
    EXPECT_EQ(PixelsOf(c.Bmp()), (Pixels{
                                     0x000000FE, // 255 * 255 >> 8
                                     0x007F007E, // r (255*128)>>8, b (255*127)>>8
                                     0x7F123456, // alpha 0: untouched, top byte too
                                     0x00FDFEFD, // g (255*1 + 255*254)>>8, others (255*254)>>8
                                     0x11223344, // outside the picture
                                 }));
    image.Dettach();
}

TEST(ZuImageAlpha, OpacityZeroScalesTheBackgroundAndOutOfRangeOpacityIsHeld)
{
    UniqueBitmap bmp(CreateDIBSection(nullptr, 2, 1, nullptr));
    SetPixels(bmp.get(), {0x00000000, 0x00FF00FF});
    CZuImage image;
    image.Attach(bmp.get());
    Canvas c(2, 1);
    SetPixels(c.Bmp(), {0x00FFFFFF, 0x00FFFFFF});
    image.DrawAlphaTransBlt(c.Dc(), 0, 0, 0, -1, -1, RGB(255, 0, 255));
    EXPECT_EQ(PixelsOf(c.Bmp()), (Pixels{0x00FEFEFE, 0x00FFFFFF}));
    SetPixels(c.Bmp(), {0x00FFFFFF, 0x00FFFFFF});
    image.DrawAlphaTransBlt(c.Dc(), 0, 0, 250, -1, -1, RGB(255, 0, 255));
    EXPECT_EQ(PixelsOf(c.Bmp())[0], 0x00000000u) << "held at 100 %";
    // Opacity 50: g = 127.
    SetPixels(c.Bmp(), {0x00FFFFFF, 0x00FFFFFF});
    image.DrawAlphaTransBlt(c.Dc(), 0, 0, 50, -1, -1, RGB(255, 0, 255));
    EXPECT_EQ(PixelsOf(c.Bmp())[0], 0x007F7F7Fu); // (0 * 127 + 255 * 128) >> 8
    image.Dettach();
}

TEST_F(ImageFixture, TwentyFourBitPicturesBlendToNothingAndStretchedBlendsUseTheStretchedPicture)
{
    CZuImage image;
    image.Load(&m_loader, 3);
    Canvas c(2, 1, 'g');
    EXPECT_TRUE(image.DrawAlphablend(c.Dc(), 0, 0));
    EXPECT_PICTURE(c, "gg");

    image.Load(&m_loader, 4); // half-opaque red, alpha 0 white
    Canvas s(4, 1);
    image.DrawAlphablend(s.Dc(), 0, 0, 4, 1);
    EXPECT_EQ(PixelsOf(s.Bmp()), (Pixels{0x007F0000, 0x007F0000, 0, 0})); // (255 * 128) >> 8
    // A work picture that cannot be made leaves the device alone.
    EXPECT_EQ(image.DrawAlphablend(s.Dc(), 0, 0, 0, 1), 0);
    EXPECT_EQ(image.DrawAlphaTransBlt(s.Dc(), 0, 0, 50, 4, 0, 0), 0);
}

TEST(ZuImageSlots, OffScreenBufferIsOnlyStored)
{
    UniqueDC dc(CreateCompatibleDC(nullptr));
    EXPECT_EQ(GetOffScreenBuffer(), nullptr);
    SetOffScreenBuffer(dc.get());
    EXPECT_EQ(GetOffScreenBuffer(), dc.get());
    SetOffScreenBuffer(nullptr);
}
