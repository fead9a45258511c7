#pragma once

// Turns the layout table into pictures: each row's picture at its rectangle's size, the merged
// image file that holds them all, and the preview of a window as a person would see it.

#include "tools/skin/MergeImageWriter.h"
#include "tools/skin/SkinArt.h"
#include "tools/skin/SkinTable.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace torvix::skin {

class CSkinBuilder {
public:
    CSkinBuilder(const CSkinLayout& layout, const CSkinTexts& texts);

    // The picture of one row as 32-bit pixels (B, G, R, A bytes, not premultiplied), top row
    // first, at the row's rectangle size. Controls are made opaque over what lies under them on
    // their window, except recipes that keep their transparency. Empty on failure (see error).
    std::vector<std::uint32_t> RenderRow(const LayoutRow& row, std::string& error);

    // Adds every row to the writer: raw rows compressed, png rows as PNG files, empty rows as
    // slots with their rectangle.
    bool Fill(CMergeImageWriter& writer, std::string& error);

    // The preview of one window: its background with every picture of the normal state at its
    // rectangle and the texts in one language. Texts that do not fit their boxes are listed in
    // overflow ("window id name lang: text").
    UniqueSurface RenderPreview(int window, Lang lang, std::vector<std::string>& overflow, std::string& error);

    // A picture as a PNG file (the same bytes for the same pixels).
    static bool EncodePng(cairo_surface_t* surface, std::vector<std::uint8_t>& png);

private:
    // The window's background with its underlay rows drawn on it, made once per window.
    cairo_surface_t* WindowBase(int window, std::string& error);
    UniqueSurface PaintRow(const LayoutRow& row, std::string& error);

    const CSkinLayout& m_layout;
    const CSkinTexts& m_texts;
    std::map<int, UniqueSurface> m_mapBases;
};

// Straight (not premultiplied) B, G, R, A pixels of a cairo picture.
std::vector<std::uint32_t> StraightPixels(cairo_surface_t* surface);

} // namespace torvix::skin
