#pragma once

// The skin's drawing code: every picture of the skin is one recipe (the layout table's "art"
// column) drawn with cairo and Pango into a picture of the row's rectangle size.

#include "tools/skin/SkinTable.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace torvix::skin {

struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using UniqueCairo = std::unique_ptr<cairo_t, CairoDeleter>;
using UniqueSurface = std::unique_ptr<cairo_surface_t, CairoDeleter>;

// A transparent 32-bit picture, or null when cairo cannot make one.
UniqueSurface MakeSurface(int width, int height);

// Text style of the layout table's "font" column: pixel size, then l, c or r for the alignment,
// then flags: b bold, a accent colour, d dimmed colour, w white, t wrapped lines from the top, m
// wrapped lines centred vertically.
struct TextStyle {
    int size = 12;
    char align = 'l';
    bool bold = false;
    bool accent = false;
    bool dim = false;
    bool white = false;
    bool wrap = false;
    bool middle = false;
};
bool ParseTextStyle(const std::string& text, TextStyle& style);

// Selects the colour of a text style as the cairo source.
void SetTextColour(cairo_t* cr, const TextStyle& style);

// The Noto CJK family used for a language.
const char* FontFamily(Lang lang);

// Draws text into the box (the context's user space, pixels). Returns whether it fits: one line
// no wider than the box, or wrapped lines no taller than it. What does not fit is cut with an
// ellipsis or at the box's bottom, never drawn outside the box.
bool DrawTextInBox(cairo_t* cr, const std::string& text, const TextStyle& style, double x, double y, double width,
                   double height, Lang lang);

// Draws the recipe into a width x height picture whose top-left is the context's origin. Texts
// baked into pictures come from texts, in the language the recipe names. False with a message for
// an unknown recipe, a missing text or a baked text that does not fit.
bool PaintArt(cairo_t* cr, const std::string& art, int width, int height, const CSkinTexts& texts,
              std::string& error);

// True for recipes whose pictures keep their own transparency (drawn with per-pixel alpha over
// whatever lies under them); all other pictures are made opaque over their window's background.
bool KeepsAlpha(const std::string& art);
// For recipes that form the window's surface under other controls: 1 for panels and frames, 2 for
// what lies on a panel (graph scales); 0 for everything else.
int UnderlayLevel(const std::string& art);

// The needle angle in degrees (clockwise from the positive x axis, screen coordinates) of the
// gauge for a speed in the shown unit; 0 to 220 sweep from 135 to 405 degrees.
double GaugeAngleForSpeed(double speed);

} // namespace torvix::skin
