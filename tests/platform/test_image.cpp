// Pictures are recognised by their content and decode to exact pixels; JPEG survives a round trip.
#include "PictureArt.h"

#include "tests/TestSupport.h"

#include <zent/platform/Image.h>

using namespace zent;

namespace {

// A 2 x 1 RGBA PNG: half-transparent red, opaque blue.
const std::uint8_t kPngRgba[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xF4, 0x22, 0x7F, 0x8A, 0x00, 0x00, 0x00, 0x11, 0x49,
    0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xD0, 0xC0, 0xC0, 0xF0, 0xFF, 0x3F, 0x00, 0x0D, 0x7E, 0x03,
    0x7E, 0xEA, 0x1E, 0x17, 0x21, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// A 2 x 1 GIF with a two-colour palette (red, blue), pixels 0 then 1.
const std::uint8_t kGif[] = {'G',  'I',  'F',  '8',  '9',  'a',  0x02, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00,
                             0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00,
                             0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x0A, 0x00, 0x3B};

void Put16(std::vector<std::uint8_t>& v, unsigned x)
{
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, unsigned x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// A 2 x 2, 24-bit bottom-up BMP: top row red, green; bottom row blue, white.
std::vector<std::uint8_t> MakeBmp()
{
    std::vector<std::uint8_t> v = {'B', 'M'};
    Put32(v, 14 + 40 + 16);
    Put32(v, 0);
    Put32(v, 14 + 40);
    Put32(v, 40);
    Put32(v, 2);
    Put32(v, 2);
    Put16(v, 1);
    Put16(v, 24);
    for (int i = 0; i < 6; ++i) Put32(v, 0);
    const std::uint8_t rows[] = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, /* bottom */ 0, 0, 0xFF, 0, 0xFF, 0, 0, 0};
    v.insert(v.end(), std::begin(rows), std::end(rows));
    return v;
}

std::string ArtOf(const CImage& image)
{
    UniqueBitmap bmp(image.CreateBitmap());
    return pictureart::Joined(pictureart::ToArt(bmp.get()));
}

} // namespace

TEST(ImageDecode, PngKeepsStraightAlpha)
{
    auto image = CImage::FromMemory(kPngRgba, sizeof kPngRgba);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBitsPerPixel(), 32);
    UniqueBitmap bmp(image->CreateBitmap());
    EXPECT_EQ(GetBitmapRow(bmp.get(), 0)[0], 0x80FF0000u);
    EXPECT_EQ(GetBitmapRow(bmp.get(), 0)[1], 0xFF0000FFu);
}

TEST(ImageDecode, BmpAndGifByContent)
{
    const std::vector<std::uint8_t> bmp = MakeBmp();
    auto fromBmp = CImage::FromMemory(bmp.data(), bmp.size());
    ASSERT_TRUE(fromBmp);
    EXPECT_EQ(fromBmp->GetBitsPerPixel(), 24);
    EXPECT_EQ(ArtOf(*fromBmp), pictureart::Joined({"RG", "BW"}));

    auto fromGif = CImage::FromMemory(kGif, sizeof kGif);
    ASSERT_TRUE(fromGif);
    EXPECT_EQ(fromGif->GetWidth(), 2);
    UniqueBitmap gifBits(fromGif->CreateBitmap());
    EXPECT_EQ(GetBitmapRow(gifBits.get(), 0)[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(GetBitmapRow(gifBits.get(), 0)[1] & 0xFFFFFF, 0x0000FFu);
}

TEST(ImageDecode, JpegRoundTripKeepsFlatColours)
{
    testsupport::TempDir dir;
    pictureart::Canvas c(16, 16, 'R');
    FillSolidRect(c.Dc(), 8, 0, 8, 16, RGB(0, 0, 255));
    const std::wstring path = (dir / "capture.jpg").wstring();
    ASSERT_TRUE(SaveBitmapAsJpeg(c.Bmp(), path, 95));
    auto image = CImage::FromFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBitsPerPixel(), 24);
    ASSERT_EQ(image->GetWidth(), 16);
    UniqueBitmap bmp(image->CreateBitmap());
    auto near = [](std::uint32_t p, std::uint32_t want) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 8) return false;
        return true;
    };
    EXPECT_TRUE(near(GetBitmapRow(bmp.get(), 4)[2], 0xFF0000));
    EXPECT_TRUE(near(GetBitmapRow(bmp.get(), 12)[13], 0x0000FF));
    EXPECT_EQ(GetBitmapRow(bmp.get(), 4)[2] >> 24, 0u);

    // A PNG written by the same path comes back exactly.
    const std::wstring png = (dir / "golden.png").wstring();
    ASSERT_TRUE(SaveBitmapAsPng(c.Bmp(), png));
    auto exact = CImage::FromFile(png);
    ASSERT_TRUE(exact);
    EXPECT_EQ(ArtOf(*exact), pictureart::Joined(c.Picture()));
}

TEST(ImageDecode, DamagedOrUnknownBytesGiveNoImage)
{
    EXPECT_FALSE(CImage::FromMemory(nullptr, 10));
    EXPECT_FALSE(CImage::FromMemory(kPngRgba, 20));          // cut inside the header
    // Cut inside the pixels: a progressive decoder may keep what arrived, never more.
    if (auto part = CImage::FromMemory(kPngRgba, sizeof kPngRgba - 30)) {
        EXPECT_EQ(part->GetWidth(), 2);
    }
    const std::uint8_t tga[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0, 0, 0xFF};
    EXPECT_FALSE(CImage::FromMemory(tga, sizeof tga));
    std::vector<std::uint8_t> bmp = MakeBmp();
    bmp.resize(40);
    EXPECT_FALSE(CImage::FromMemory(bmp.data(), bmp.size()));
    EXPECT_FALSE(CImage::FromFile(L"/nonexistent/picture.png"));
}

TEST(ImageDecode, OversizedPicturesAreRefusedBeforeTheirPixelsExist)
{
    // A BMP whose header claims to be 3.6 GB long, and one 100000 pixels wide.
    std::vector<std::uint8_t> bmp = MakeBmp();
    bmp[14] = 0x0F; bmp[15] = 0x02; bmp[16] = 0xF9; bmp[17] = 0xD9;
    EXPECT_FALSE(CImage::FromMemory(bmp.data(), bmp.size()));
    bmp = MakeBmp();
    bmp[18] = 0xA0; bmp[19] = 0x86; bmp[20] = 0x01;
    EXPECT_FALSE(CImage::FromMemory(bmp.data(), bmp.size()));

    // A PNG header claiming 40000 x 40000 pixels.
    std::vector<std::uint8_t> png(kPngRgba, kPngRgba + sizeof kPngRgba);
    png[16] = 0x00; png[17] = 0x00; png[18] = 0x9C; png[19] = 0x40;
    png[20] = 0x00; png[21] = 0x00; png[22] = 0x9C; png[23] = 0x40;
    EXPECT_FALSE(CImage::FromMemory(png.data(), png.size()));
}

TEST(ImageDraw, DrawCopiesFromTheTopLeftCroppedToTheRectangle)
{
    const std::vector<std::uint8_t> bmp = MakeBmp();
    auto image = CImage::FromMemory(bmp.data(), bmp.size());
    ASSERT_TRUE(image);
    pictureart::Canvas c(4, 3);
    image->Draw(c.Dc(), RECT{1, 1, 2, 4});
    EXPECT_PICTURE(c, "....", ".R..", ".B..");
}
