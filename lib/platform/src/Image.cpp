// Picture decoding and JPEG writing on gdk-pixbuf. Only the four formats the skin and the
// captures use are handed to it, chosen from their first bytes, so that the decoders of other
// formats never see outside data.
#include "GdiObjects.h"

#include <zent/platform/Image.h>
#include <zent/platform/Text.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <fstream>

namespace zent {

namespace {

constexpr std::uint64_t kMaxImageFileBytes = 256ull << 20;

const char* LoaderFor(const std::uint8_t* p, std::size_t n)
{
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return "png";
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return "jpeg";
    if (n >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0)) return "gif";
    if (n >= 14 && p[0] == 'B' && p[1] == 'M') return "bmp";
    return nullptr;
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool SideAccepted(std::int64_t side) { return side != 0 && side >= -kMaxBitmapSide && side <= kMaxBitmapSide; }

// The BMP decoder sizes buffers from the header before it reports the picture's size, so a
// damaged header could ask for gigabytes: check its sizes against the bytes that exist first.
bool BmpHeaderSound(const std::uint8_t* p, std::size_t n)
{
    if (n < 26) return false;
    const std::uint32_t pixelsAt = Le32(p + 10);
    const std::uint32_t infoSize = Le32(p + 14);
    static const std::uint32_t known[] = {12, 16, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(known), std::end(known), infoSize) == std::end(known)) return false;
    if (14u + infoSize > n || pixelsAt > n) return false;
    if (infoSize == 12) return SideAccepted(p[18] | (p[19] << 8)) && SideAccepted(p[20] | (p[21] << 8));
    return SideAccepted(static_cast<std::int32_t>(Le32(p + 18))) && SideAccepted(static_cast<std::int32_t>(Le32(p + 22)));
}

struct PixbufDeleter {
    void operator()(void* p) const
    {
        if (p) g_object_unref(p);
    }
};
using UniquePixbuf = std::unique_ptr<GdkPixbuf, PixbufDeleter>;
using UniqueLoader = std::unique_ptr<GdkPixbufLoader, PixbufDeleter>;

// Refuses pictures above the bitmap limit before their pixels are allocated: the loader is told
// to scale them to one pixel, and the result is thrown away.
void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer tooLarge)
{
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxBitmapPixels) {
        *static_cast<bool*>(tooLarge) = true;
        gdk_pixbuf_loader_set_size(loader, 1, 1);
    }
}

UniquePixbuf PixbufFromBitmap(HBITMAP bmp)
{
    if (!bmp) return nullptr;
    UniquePixbuf pixbuf(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, bmp->m_nWidth, bmp->m_nHeight));
    if (!pixbuf) return nullptr;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf.get());
    for (int y = 0; y < bmp->m_nHeight; ++y) {
        const std::uint32_t* s = bmp->Row(y);
        guchar* d = pixels + static_cast<std::ptrdiff_t>(stride) * y;
        for (int x = 0; x < bmp->m_nWidth; ++x, d += 3) {
            d[0] = static_cast<guchar>(s[x] >> 16);
            d[1] = static_cast<guchar>(s[x] >> 8);
            d[2] = static_cast<guchar>(s[x]);
        }
    }
    return pixbuf;
}

BOOL SavePixbuf(HBITMAP bmp, const std::wstring& path, const char* type, const char* key, const char* value)
{
    UniquePixbuf pixbuf = PixbufFromBitmap(bmp);
    if (!pixbuf) return 0;
    GError* error = nullptr;
    const std::string file = WideToUtf8(path);
    const gboolean ok = gdk_pixbuf_save(pixbuf.get(), file.c_str(), type, &error, key, value, nullptr);
    if (error) g_error_free(error);
    return ok ? 1 : 0;
}

} // namespace

std::unique_ptr<CImage> CImage::FromMemory(const void* pData, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(pData);
    const char* type = pData ? LoaderFor(bytes, size) : nullptr;
    if (!type) return nullptr;
    if (std::strcmp(type, "bmp") == 0 && !BmpHeaderSound(bytes, size)) return nullptr;
    UniqueLoader loader(gdk_pixbuf_loader_new_with_type(type, nullptr));
    if (!loader) return nullptr;
    bool tooLarge = false;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), &tooLarge);
    const bool written = gdk_pixbuf_loader_write(loader.get(), bytes, size, nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader.get(), nullptr);
    if (!written || !closed || tooLarge) return nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get()); // owned by the loader
    if (!pixbuf || gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf) != 8)
        return nullptr;
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    if (width <= 0 || height <= 0 || channels != (alpha ? 4 : 3)) return nullptr;

    std::unique_ptr<CImage> image(new CImage());
    image->m_nWidth = width;
    image->m_nHeight = height;
    image->m_nBitsPerPixel = alpha ? 32 : 24;
    image->m_nStride = width * channels;
    image->m_vecBits.resize(static_cast<std::size_t>(image->m_nStride) * static_cast<std::size_t>(height));
    const int srcStride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    for (int y = 0; y < height; ++y) {
        const guchar* s = src + static_cast<std::ptrdiff_t>(srcStride) * y;
        std::uint8_t* d = image->m_vecBits.data() + static_cast<std::ptrdiff_t>(image->m_nStride) * y;
        for (int x = 0; x < width; ++x, s += channels, d += channels) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            if (alpha) d[3] = s[3];
        }
    }
    return image;
}

std::unique_ptr<CImage> CImage::FromFile(const std::wstring& path)
{
    std::ifstream in(WideToUtf8(path), std::ios::binary | std::ios::ate);
    if (!in) return nullptr;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::uint64_t>(size) > kMaxImageFileBytes) return nullptr;
    std::vector<char> data(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(data.data(), size)) return nullptr;
    return FromMemory(data.data(), data.size());
}

HBITMAP CImage::CreateBitmap() const
{
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, m_nWidth, m_nHeight, &bits);
    if (!bmp) return nullptr;
    const int step = m_nBitsPerPixel / 8;
    for (int y = 0; y < m_nHeight; ++y) {
        const std::uint8_t* s = m_vecBits.data() + static_cast<std::ptrdiff_t>(m_nStride) * y;
        std::uint32_t* d = bmp->Row(y);
        for (int x = 0; x < m_nWidth; ++x, s += step)
            d[x] = static_cast<std::uint32_t>(s[0]) | (static_cast<std::uint32_t>(s[1]) << 8) |
                   (static_cast<std::uint32_t>(s[2]) << 16) | (step == 4 ? static_cast<std::uint32_t>(s[3]) << 24 : 0u);
    }
    return bmp;
}

void CImage::Draw(HDC hdc, const RECT& rc) const
{
    if (!hdc || rc.IsEmpty()) return;
    UniqueBitmap bmp(CreateBitmap());
    if (!bmp) return;
    UniqueDC src(CreateCompatibleDC(nullptr));
    if (!src) return;
    SelectObject(src.get(), bmp.get());
    BitBlt(hdc, rc.left, rc.top, std::min(rc.Width(), m_nWidth), std::min(rc.Height(), m_nHeight), src.get(), 0, 0,
           SRCCOPY);
}

BOOL SaveBitmapAsJpeg(HBITMAP hBitmap, const std::wstring& path, int quality)
{
    const std::string q = std::to_string(std::clamp(quality, 1, 100));
    return SavePixbuf(hBitmap, path, "jpeg", "quality", q.c_str());
}

BOOL SaveBitmapAsPng(HBITMAP hBitmap, const std::wstring& path)
{
    return SavePixbuf(hBitmap, path, "png", nullptr, nullptr);
}

} // namespace zent
