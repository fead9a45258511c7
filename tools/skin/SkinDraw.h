#pragma once

// Drawing helpers shared by the skin's recipes: the theme's colours, boxes, text layouts and the
// icon set, all drawn with cairo in the picture's pixel coordinates.

#include "tools/skin/SkinArt.h"

#include <pango/pangocairo.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace torvix::skin::draw {

constexpr double kPi = 3.14159265358979323846;

// The theme: a dark slate ground with one warm accent. The list, drop list and graph colours are
// those the controls themselves paint with, so the pictures around them belong to the same set.
struct Colour {
    double r, g, b;
};
constexpr Colour Hex(unsigned v) { return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0}; }

inline const Colour kWindow = Hex(0x151821);
inline const Colour kTitle = Hex(0x0E1016);
inline const Colour kBar = Hex(0x1B1F2A);
inline const Colour kColumn = Hex(0x181B25);
inline const Colour kPanel = Hex(0x222736);
inline const Colour kPanelEdge = Hex(0x30374A);
inline const Colour kField = Hex(0x11141B);
inline const Colour kFieldEdge = Hex(0x3A4258);
inline const Colour kTile = Hex(0x2A3042);
inline const Colour kTileEdge = Hex(0x3A4259);
inline const Colour kTileDisabled = Hex(0x1D212C);
inline const Colour kIcon = Hex(0xD9DEE8);
inline const Colour kIconDisabled = Hex(0x4D5466);
inline const Colour kText = Hex(0xDEDEDE);      // list text
inline const Colour kTextDim = Hex(0x8C93A5);
inline const Colour kAccent = Hex(0xED6E00);    // drop list selection
inline const Colour kAccentDark = Hex(0xB65400);
inline const Colour kListBg = Hex(0x4C5576);    // list background
inline const Colour kPenX = Hex(0xFF5A00);
inline const Colour kPenY = Hex(0x7EF00F);
inline const Colour kPenZ = Hex(0x1EC7FF);
inline const Colour kCursor = Hex(0xC0C0C0);
inline const Colour kGood = Hex(0x3DDC84);
inline const Colour kWarn = Hex(0xFFB020);
inline const Colour kDanger = Hex(0xD2453A);
inline const Colour kWhiteKey = Hex(0xFFFFFF);

void SetColour(cairo_t* cr, const Colour& c, double alpha = 1.0);
void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
void FillRect(cairo_t* cr, double x, double y, double w, double h, const Colour& c, double alpha = 1.0);
// A rounded box with a 1-pixel edge inside its bounds.
void Box(cairo_t* cr, double x, double y, double w, double h, double r, const Colour& fill, const Colour& edge);

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
    void operator()(PangoFontDescription* desc) const { pango_font_description_free(desc); }
};

// A Pango layout of the text in the language's Noto CJK face, at a fixed resolution and with fixed
// font options so that pictures never depend on the desktop's settings. The caller owns it.
PangoLayout* NewLayout(cairo_t* cr, const std::string& text, const TextStyle& style, Lang lang);

// Icons are drawn in a square box of side s at (x, y), in one colour, with strokes and fills that
// scale with the box.
struct IconPen {
    cairo_t* cr;
    double x, y, s;
    double X(double u) const { return x + u * s; }
    double Y(double v) const { return y + v * s; }
    void Move(double u, double v) const { cairo_move_to(cr, X(u), Y(v)); }
    void Line(double u, double v) const { cairo_line_to(cr, X(u), Y(v)); }
    void Stroke(double width = 0.09) const
    {
        cairo_set_line_width(cr, std::max(1.4, width * s));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
    }
    void Poly(std::initializer_list<std::pair<double, double>> points) const
    {
        bool first = true;
        for (const auto& [u, v] : points) {
            if (first)
                Move(u, v);
            else
                Line(u, v);
            first = false;
        }
        cairo_close_path(cr);
    }
    void Arc(double u, double v, double r, double a0, double a1) const
    {
        cairo_new_sub_path(cr);
        cairo_arc(cr, X(u), Y(v), r * s, a0, a1);
    }
    void ArcNeg(double u, double v, double r, double a0, double a1) const
    {
        cairo_new_sub_path(cr);
        cairo_arc_negative(cr, X(u), Y(v), r * s, a0, a1);
    }
};

// A filled arrow head pointing along angle (radians) with its tip at (u, v).
void ArrowHead(const IconPen& p, double u, double v, double angle, double size);
// Draws the named icon in the current source colour into the square (x, y, s); false for an
// unknown name.
bool DrawIcon(cairo_t* cr, const std::string& name, double x, double y, double s);

} // namespace torvix::skin::draw
