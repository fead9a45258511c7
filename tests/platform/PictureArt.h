#pragma once

// Small pictures written as text, one character a pixel, so that a test states the whole
// expected picture and a failure prints both pictures side by side.

#include <zent/platform/Bitmap.h>
#include <zent/platform/Gdi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pictureart {

// Pixels as stored (0xXXRRGGBB, top byte zero).
inline std::uint32_t PixelOf(char c)
{
    switch (c) {
    case '.': return 0x000000;
    case 'W': return 0xFFFFFF;
    case 'R': return 0xFF0000;
    case 'G': return 0x00FF00;
    case 'B': return 0x0000FF;
    case 'Y': return 0xFFFF00;
    case 'C': return 0x00FFFF;
    case 'M': return 0xFF00FF; // the skin's transparent key
    case 'g': return 0x808080;
    default: return 0x123456;
    }
}

inline char CharOf(std::uint32_t p)
{
    for (char c : std::string(".WRGBYCMg"))
        if (PixelOf(c) == p) return c;
    return '?';
}

using Art = std::vector<std::string>;

// A bitmap holding the art; the caller owns it.
inline zent::UniqueBitmap MakeBitmap(const Art& art)
{
    const int h = static_cast<int>(art.size());
    const int w = static_cast<int>(art.front().size());
    zent::UniqueBitmap bmp(zent::CreateDIBSection(nullptr, w, h, nullptr));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) zent::GetBitmapRow(bmp.get(), y)[x] = PixelOf(art[y][x]);
    return bmp;
}

inline Art ToArt(zent::HBITMAP bmp)
{
    zent::BITMAP bm;
    zent::GetObject(bmp, &bm);
    Art art;
    for (int y = 0; y < bm.bmHeight; ++y) {
        std::string row;
        for (int x = 0; x < bm.bmWidth; ++x) row += CharOf(zent::GetBitmapRow(bmp, y)[x]);
        art.push_back(row);
    }
    return art;
}

inline std::string Joined(const Art& art)
{
    std::string s = "\n";
    for (const auto& row : art) s += row + "\n";
    return s;
}

// A memory device context with its own bitmap, deleted in the right order.
struct Canvas {
    zent::UniqueBitmap m_bitmap;
    zent::UniqueDC m_dc;
    explicit Canvas(const Art& art) : m_bitmap(MakeBitmap(art)), m_dc(zent::CreateCompatibleDC(nullptr))
    {
        zent::SelectObject(m_dc.get(), m_bitmap.get());
    }
    Canvas(int w, int h, char fill = '.') : Canvas(Art(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), fill))) {}
    ~Canvas() { m_dc.reset(); }
    zent::HDC Dc() const { return m_dc.get(); }
    zent::HBITMAP Bmp() const { return m_bitmap.get(); }
    Art Picture() const { return ToArt(m_bitmap.get()); }
};

} // namespace pictureart

#define EXPECT_PICTURE(canvas, ...)                                                                                    \
    EXPECT_EQ(pictureart::Joined((canvas).Picture()), pictureart::Joined(pictureart::Art{__VA_ARGS__}))
