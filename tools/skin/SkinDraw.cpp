#include "tools/skin/SkinDraw.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace torvix::skin::draw {

void SetColour(cairo_t* cr, const Colour& c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void FillRect(cairo_t* cr, double x, double y, double w, double h, const Colour& c, double alpha)
{
    cairo_rectangle(cr, x, y, w, h);
    SetColour(cr, c, alpha);
    cairo_fill(cr);
}

void Box(cairo_t* cr, double x, double y, double w, double h, double r, const Colour& fill, const Colour& edge)
{
    RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
    SetColour(cr, fill);
    cairo_fill_preserve(cr);
    SetColour(cr, edge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

PangoLayout* NewLayout(cairo_t* cr, const std::string& text, const TextStyle& style, Lang lang)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    // Fixed resolution and font options: the pictures must not depend on the desktop's settings.
    PangoContext* context = pango_layout_get_context(layout);
    pango_cairo_context_set_resolution(context, 96.0);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);

    std::unique_ptr<PangoFontDescription, LayoutDeleter> desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), FontFamily(lang));
    pango_font_description_set_weight(desc.get(), style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(desc.get(), style.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc.get());
    pango_layout_set_text(layout, text.c_str(), -1);
    pango_layout_set_alignment(layout, style.align == 'c'   ? PANGO_ALIGN_CENTER
                                       : style.align == 'r' ? PANGO_ALIGN_RIGHT
                                                            : PANGO_ALIGN_LEFT);
    return layout;
}

void ArrowHead(const IconPen& p, double u, double v, double angle, double size)
{
    const double ca = std::cos(angle), sa = std::sin(angle);
    const auto pt = [&](double du, double dv) { return std::pair{u + du * ca - dv * sa, v + du * sa + dv * ca}; };
    const auto a = pt(size, 0), b = pt(-size * 0.6, size * 0.75), c = pt(-size * 0.6, -size * 0.75);
    p.Poly({a, b, c});
    cairo_fill(p.cr);
}

namespace {

void GlyphIcon(cairo_t* cr, const char* glyph, double x, double y, double s, bool bold)
{
    TextStyle style;
    style.size = static_cast<int>(std::lround(s * 0.95));
    style.bold = bold;
    style.align = 'c';
    std::unique_ptr<PangoLayout, LayoutDeleter> layout(NewLayout(cr, glyph, style, Lang::En));
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout.get(), &ink, &logical);
    cairo_move_to(cr, x + s / 2 - ink.x - ink.width / 2.0, y + s / 2 - ink.y - ink.height / 2.0);
    pango_cairo_show_layout(cr, layout.get());
}

void SeekIcon(const IconPen& p, bool forward)
{
    cairo_t* cr = p.cr;
    // An open circle whose gap sits at the top, with the arrow head at the gap's end, and the
    // seconds inside.
    const double r = 0.44, start = -kPi * 0.5 + (forward ? 0.5 : -0.5);
    if (forward)
        p.ArcNeg(0.5, 0.5, r, start, start - kPi * 1.6);
    else
        p.Arc(0.5, 0.5, r, start, start + kPi * 1.6);
    p.Stroke(0.07);
    const double hx = 0.5 + r * std::cos(start - (forward ? kPi * 1.6 : -kPi * 1.6));
    const double hy = 0.5 + r * std::sin(start - (forward ? kPi * 1.6 : -kPi * 1.6));
    ArrowHead(p, hx, hy, forward ? 0.15 : kPi - 0.15, 0.13);
    GlyphIcon(cr, "10", p.X(0.22), p.Y(0.22), p.s * 0.56, true);
}

void SpeakerIcon(const IconPen& p)
{
    p.Poly({{0.1, 0.38}, {0.28, 0.38}, {0.5, 0.18}, {0.5, 0.82}, {0.28, 0.62}, {0.1, 0.62}});
    cairo_fill(p.cr);
}

void GearIcon(const IconPen& p)
{
    cairo_t* cr = p.cr;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = i * kPi / teeth - kPi / (teeth * 2) * 0.9;
        const double a1 = (i + 1) * kPi / teeth - kPi / (teeth * 2) * 0.9;
        const double r = (i % 2 == 0) ? 0.46 : 0.34;
        if (i == 0) cairo_move_to(cr, p.X(0.5 + r * std::cos(a0)), p.Y(0.5 + r * std::sin(a0)));
        cairo_arc(cr, p.X(0.5), p.Y(0.5), r * p.s, a0, a1);
    }
    cairo_close_path(cr);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, p.X(0.5), p.Y(0.5), 0.15 * p.s, 2 * kPi, 0);
    cairo_fill(cr);
}

} // namespace

bool DrawIcon(cairo_t* cr, const std::string& name, double x, double y, double s)
{
    const IconPen p{cr, x, y, s};
    if (name == "play") {
        p.Poly({{0.26, 0.14}, {0.26, 0.86}, {0.86, 0.5}});
        cairo_fill(cr);
    } else if (name == "pause") {
        RoundRect(cr, p.X(0.22), p.Y(0.16), 0.19 * s, 0.68 * s, 0.03 * s);
        RoundRect(cr, p.X(0.59), p.Y(0.16), 0.19 * s, 0.68 * s, 0.03 * s);
        cairo_fill(cr);
    } else if (name == "stop") {
        RoundRect(cr, p.X(0.2), p.Y(0.2), 0.6 * s, 0.6 * s, 0.07 * s);
        cairo_fill(cr);
    } else if (name == "prev" || name == "next") {
        const bool next = name == "next";
        const auto u = [&](double v) { return next ? 1.0 - v : v; };
        RoundRect(cr, p.X(next ? 0.76 : 0.14), p.Y(0.18), 0.1 * s, 0.64 * s, 0.02 * s);
        cairo_fill(cr);
        p.Poly({{u(0.86), 0.18}, {u(0.86), 0.82}, {u(0.3), 0.5}});
        cairo_fill(cr);
    } else if (name == "back10" || name == "fwd10") {
        SeekIcon(p, name == "fwd10");
    } else if (name == "folder") {
        p.Move(0.1, 0.26);
        p.Line(0.4, 0.26);
        p.Line(0.48, 0.34);
        p.Line(0.9, 0.34);
        p.Line(0.9, 0.8);
        p.Line(0.1, 0.8);
        cairo_close_path(cr);
        p.Stroke(0.085);
        p.Move(0.1, 0.46);
        p.Line(0.9, 0.46);
        p.Stroke(0.085);
    } else if (name == "capture") {
        RoundRect(cr, p.X(0.1), p.Y(0.3), 0.8 * s, 0.52 * s, 0.08 * s);
        p.Stroke(0.085);
        p.Move(0.34, 0.3);
        p.Line(0.4, 0.18);
        p.Line(0.6, 0.18);
        p.Line(0.66, 0.3);
        p.Stroke(0.085);
        p.Arc(0.5, 0.56, 0.15, 0, 2 * kPi);
        p.Stroke(0.085);
    } else if (name == "repeat") {
        p.Move(0.2, 0.56);
        p.Line(0.2, 0.42);
        cairo_arc(cr, p.X(0.32), p.Y(0.42), 0.12 * s, kPi, 1.5 * kPi);
        p.Line(0.74, 0.3);
        p.Stroke(0.085);
        ArrowHead(p, 0.8, 0.3, 0, 0.12);
        p.Move(0.8, 0.44);
        p.Line(0.8, 0.58);
        cairo_arc(cr, p.X(0.68), p.Y(0.58), 0.12 * s, 0, 0.5 * kPi);
        p.Line(0.26, 0.7);
        p.Stroke(0.085);
        ArrowHead(p, 0.2, 0.7, kPi, 0.12);
    } else if (name == "download") {
        p.Move(0.5, 0.12);
        p.Line(0.5, 0.6);
        p.Stroke(0.09);
        p.Move(0.3, 0.42);
        p.Line(0.5, 0.62);
        p.Line(0.7, 0.42);
        p.Stroke(0.09);
        p.Move(0.14, 0.66);
        p.Line(0.14, 0.84);
        p.Line(0.86, 0.84);
        p.Line(0.86, 0.66);
        p.Stroke(0.09);
    } else if (name == "settings") {
        GearIcon(p);
    } else if (name == "help") {
        GlyphIcon(cr, "?", x, y, s, true);
    } else if (name == "minimise") {
        p.Move(0.25, 0.7);
        p.Line(0.75, 0.7);
        p.Stroke(0.08);
    } else if (name == "maximise") {
        cairo_rectangle(cr, p.X(0.26), p.Y(0.26), 0.48 * s, 0.48 * s);
        p.Stroke(0.08);
    } else if (name == "fullscreen" || name == "restore") {
        const bool in = name == "restore";
        for (int corner = 0; corner < 4; ++corner) {
            const double cu = corner % 2 ? 0.8 : 0.2, cv = corner / 2 ? 0.8 : 0.2;
            const double du = corner % 2 ? -0.22 : 0.22, dv = corner / 2 ? -0.22 : 0.22;
            if (!in) {
                p.Move(cu, cv + dv);
                p.Line(cu, cv);
                p.Line(cu + du, cv);
            } else {
                p.Move(cu, cv + dv);
                p.Line(cu + du, cv + dv);
                p.Line(cu + du, cv);
            }
            p.Stroke(0.08);
        }
    } else if (name == "exit") {
        p.Move(0.26, 0.26);
        p.Line(0.74, 0.74);
        p.Move(0.74, 0.26);
        p.Line(0.26, 0.74);
        p.Stroke(0.08);
    } else if (name == "speaker") {
        SpeakerIcon(p);
        p.Arc(0.5, 0.5, 0.18, -0.9, 0.9);
        p.Stroke(0.075);
        p.Arc(0.5, 0.5, 0.34, -0.9, 0.9);
        p.Stroke(0.075);
    } else if (name == "muted") {
        SpeakerIcon(p);
        p.Move(0.64, 0.36);
        p.Line(0.9, 0.64);
        p.Move(0.9, 0.36);
        p.Line(0.64, 0.64);
        p.Stroke(0.08);
    } else if (name == "refresh") {
        p.Arc(0.5, 0.5, 0.32, -kPi * 0.35, kPi * 1.45);
        p.Stroke(0.085);
        ArrowHead(p, 0.5 + 0.32 * std::cos(-kPi * 0.35), 0.5 + 0.32 * std::sin(-kPi * 0.35), kPi * 0.15, 0.14);
    } else if (name == "search") {
        p.Arc(0.44, 0.44, 0.26, 0, 2 * kPi);
        p.Stroke(0.09);
        p.Move(0.63, 0.63);
        p.Line(0.84, 0.84);
        p.Stroke(0.1);
    } else if (name == "chevron-down" || name == "chevron-up") {
        const bool up = name == "chevron-up";
        p.Move(0.22, up ? 0.62 : 0.38);
        p.Line(0.5, up ? 0.34 : 0.66);
        p.Line(0.78, up ? 0.62 : 0.38);
        p.Stroke(0.11);
    } else if (name == "chevron-right") {
        p.Move(0.38, 0.22);
        p.Line(0.66, 0.5);
        p.Line(0.38, 0.78);
        p.Stroke(0.11);
    } else if (name == "wave") {
        p.Move(0.05, 0.5);
        for (int i = 1; i <= 24; ++i) {
            const double u = 0.05 + 0.9 * i / 24.0;
            p.Line(u, 0.5 - 0.3 * std::sin((u - 0.05) / 0.9 * 2 * kPi));
        }
        p.Stroke(0.1);
    } else if (name == "dial") {
        p.Arc(0.5, 0.62, 0.4, kPi, 2 * kPi);
        p.Stroke(0.1);
        p.Move(0.5, 0.62);
        p.Line(0.74, 0.36);
        p.Stroke(0.1);
    } else if (name == "check") {
        p.Move(0.2, 0.52);
        p.Line(0.42, 0.72);
        p.Line(0.8, 0.3);
        p.Stroke(0.13);
    } else {
        return false;
    }
    return true;
}

} // namespace torvix::skin::draw
