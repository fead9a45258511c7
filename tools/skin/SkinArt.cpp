#include "tools/skin/SkinArt.h"

#include "tools/skin/SkinDraw.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <vector>

namespace torvix::skin {

using namespace draw;

namespace {

std::vector<std::string> SplitArt(const std::string& art)
{
    std::vector<std::string> parts;
    std::stringstream in(art);
    std::string part;
    while (std::getline(in, part, ':')) parts.push_back(part);
    return parts;
}

// ---------------------------------------------------------------------------------------- parts

struct StateLook {
    Colour tile, edge, icon;
    double dy;  // pressed pictures sink by one pixel
};

StateLook LookFor(const std::string& state)
{
    if (state == "pressed" || state == "altpressed" || state == "onpressed")
        return {kAccentDark, kAccent, Hex(0xFFFFFF), 1};
    if (state == "disabled" || state == "altdisabled") return {kTileDisabled, Hex(0x262A36), kIconDisabled, 0};
    if (state == "on" || state == "selected") return {Hex(0x3A2A1C), kAccent, Hex(0xFF8A26), 0};
    return {kTile, kTileEdge, kIcon, 0};
}

bool IsKnownState(const std::string& state)
{
    static const char* kStates[] = {"normal", "pressed", "disabled", "on", "onpressed", "selected",
                                    "alt",    "altpressed", "altdisabled", "open", "focus"};
    for (const char* s : kStates)
        if (state == s) return true;
    return false;
}

void IconTile(cairo_t* cr, const std::string& icon, const std::string& state, int w, int h)
{
    const StateLook look = LookFor(state);
    Box(cr, 0, look.dy, w, h - 1, 8, look.tile, look.edge);
    const double s = std::round(std::min(w, h) * 0.5);
    SetColour(cr, look.icon);
    DrawIcon(cr, icon, std::round((w - s) / 2), std::round((h - 1 - s) / 2 + look.dy), s);
}

void FlatButton(cairo_t* cr, const std::string& icon, const std::string& state, int w, int h)
{
    StateLook look = LookFor(state);
    if (state == "pressed") {
        RoundRect(cr, 0, 0, w, h, 6);
        SetColour(cr, icon == "exit" ? kDanger : kTile);
        cairo_fill(cr);
        look.icon = Hex(0xFFFFFF);
    }
    if (state == "normal") look.icon = Hex(0xC4CAD6);
    const double s = std::round(std::min(w, h) * 0.62);
    SetColour(cr, look.icon);
    DrawIcon(cr, icon, std::round((w - s) / 2), std::round((h - s) / 2), s);
}

void BigButton(cairo_t* cr, const std::string& icon, const std::string& state, int w, int h)
{
    const bool pressed = state.find("pressed") != std::string::npos;
    const bool disabled = state.find("disabled") != std::string::npos;
    const double r = std::min(w, h) / 2.0 - 1;
    cairo_arc(cr, w / 2.0, h / 2.0, r, 0, 2 * kPi);
    SetColour(cr, disabled ? kTileDisabled : pressed ? kAccentDark : kAccent);
    cairo_fill_preserve(cr);
    SetColour(cr, disabled ? Hex(0x2A2F3C) : Hex(0xFF9A40), disabled ? 1.0 : 0.6);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    const double s = std::round(r * 0.9);
    SetColour(cr, disabled ? kIconDisabled : Hex(0xFFFFFF));
    const double shift = icon == "play" ? s * 0.06 : 0;
    DrawIcon(cr, icon, std::round((w - s) / 2 + shift), std::round((h - s) / 2), s);
}

void Segment(cairo_t* cr, const std::string& state, int w, int h)
{
    // The label is the button's text, drawn by the program in the interface language.
    const StateLook look = LookFor(state);
    const bool selected = state == "selected";
    Box(cr, 0, look.dy, w, h - look.dy, 5, selected ? kAccent : look.tile, selected ? Hex(0xFF9A40) : look.edge);
}

void TextButton(cairo_t* cr, bool primary, const std::string& state, int w, int h)
{
    const bool pressed = state == "pressed", disabled = state == "disabled";
    if (primary) {
        Box(cr, 0, 0, w, h, 6, disabled ? kTileDisabled : pressed ? kAccentDark : kAccent,
            disabled ? Hex(0x2A2F3C) : pressed ? kAccent : Hex(0xFF8A26));
    } else {
        const StateLook look = LookFor(state);
        Box(cr, 0, 0, w, h, 6, look.tile, look.edge);
    }
}

void Pill(cairo_t* cr, const std::string& state, int w, int h)
{
    const StateLook look = LookFor(state);
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, h / 2.0);
    SetColour(cr, state == "on" ? kAccent : look.tile);
    cairo_fill_preserve(cr);
    SetColour(cr, state == "on" ? Hex(0xFF9A40) : look.edge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Switch(cairo_t* cr, bool on, int w, int h)
{
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, h / 2.0);
    SetColour(cr, on ? kAccent : kTile);
    cairo_fill_preserve(cr);
    SetColour(cr, on ? Hex(0xFF9A40) : kTileEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const double r = h / 2.0 - 3;
    cairo_arc(cr, on ? w - h / 2.0 : h / 2.0, h / 2.0, r, 0, 2 * kPi);
    SetColour(cr, on ? Hex(0xFFFFFF) : Hex(0x8C93A5));
    cairo_fill(cr);
}

void Radio(cairo_t* cr, bool on, int w, int h)
{
    const double r = std::min(w, h) / 2.0 - 2;
    cairo_arc(cr, w / 2.0, h / 2.0, r, 0, 2 * kPi);
    SetColour(cr, kField);
    cairo_fill_preserve(cr);
    SetColour(cr, on ? kAccent : kFieldEdge);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    if (on) {
        cairo_arc(cr, w / 2.0, h / 2.0, r * 0.5, 0, 2 * kPi);
        SetColour(cr, kAccent);
        cairo_fill(cr);
    }
}

void CheckBox(cairo_t* cr, bool on, int w, int h)
{
    Box(cr, 2, 2, w - 4, h - 4, 4, on ? kAccent : kField, on ? Hex(0xFF9A40) : kFieldEdge);
    if (on) {
        SetColour(cr, Hex(0xFFFFFF));
        DrawIcon(cr, "check", 4, 4, std::min(w, h) - 8);
    }
}

void Field(cairo_t* cr, int w, int h, bool focus = false)
{
    Box(cr, 0, 0, w, h, 5, kField, focus ? kAccent : kFieldEdge);
}

void Combo(cairo_t* cr, bool open, int w, int h)
{
    Field(cr, w, h, open);
    // The text stops 22 pixels short of the right edge; the arrow lives there.
    cairo_rectangle(cr, w - 22.5, 4, 1, h - 8);
    SetColour(cr, kFieldEdge);
    cairo_fill(cr);
    SetColour(cr, open ? kAccent : kIcon);
    const double s = 12;
    DrawIcon(cr, open ? "chevron-up" : "chevron-down", std::round(w - 11 - s / 2), std::round((h - s) / 2), s);
}

void Panel(cairo_t* cr, int w, int h) { Box(cr, 0, 0, w, h, 8, kPanel, kPanelEdge); }

void Caution(cairo_t* cr, int w, int h)
{
    const double s = std::min(w, h);
    const double x = (w - s) / 2, y = (h - s) / 2;
    cairo_move_to(cr, x + s * 0.5, y + s * 0.08);
    cairo_line_to(cr, x + s * 0.96, y + s * 0.9);
    cairo_line_to(cr, x + s * 0.04, y + s * 0.9);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, s * 0.08);
    SetColour(cr, kWarn);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    SetColour(cr, Hex(0x1C2030));
    RoundRect(cr, x + s * 0.455, y + s * 0.34, s * 0.09, s * 0.3, s * 0.03);
    cairo_fill(cr);
    cairo_arc(cr, x + s * 0.5, y + s * 0.76, s * 0.055, 0, 2 * kPi);
    cairo_fill(cr);
}

void Spinner(cairo_t* cr, int frame, int w, int h)
{
    const int dots = 8;
    const double r = std::min(w, h) * 0.36;
    for (int i = 0; i < dots; ++i) {
        // The brightest dot walks one step clockwise per frame.
        const int age = ((frame - i) % dots + dots) % dots;
        const double a = i * 2 * kPi / dots - kPi / 2;
        cairo_arc(cr, w / 2.0 + r * std::cos(a), h / 2.0 + r * std::sin(a), std::min(w, h) * 0.075, 0, 2 * kPi);
        SetColour(cr, kAccent, 1.0 - age * 0.11);
        cairo_fill(cr);
    }
}

void Logo(cairo_t* cr, int w, int h)
{
    const double bar = h * 0.8;
    RoundRect(cr, 0, (h - bar) / 2, 6, bar, 2);
    SetColour(cr, kAccent);
    cairo_fill(cr);
    TextStyle style;
    style.size = static_cast<int>(h * 0.72);
    style.bold = true;
    SetColour(cr, Hex(0xF2F4F8));
    DrawTextInBox(cr, "TORVIX", style, 12, 0, w * 0.55, h, Lang::En);
    style.bold = false;
    style.size = static_cast<int>(h * 0.5);
    SetColour(cr, kTextDim);
    DrawTextInBox(cr, "Player 2.0 4K", style, 12 + w * 0.5, 0, w * 0.5 - 12, h, Lang::En);
}

// The dial of the speed gauge: one tick every 10, a number every 20 (0..220).
void GaugeFace(cairo_t* cr, int w, int h)
{
    const double cx = w / 2.0, cy = h / 2.0, R = std::min(w, h) / 2.0 - 2;
    cairo_pattern_t* ground = cairo_pattern_create_radial(cx, cy - R * 0.3, R * 0.1, cx, cy, R);
    cairo_pattern_add_color_stop_rgb(ground, 0, 0x26 / 255.0, 0x2C / 255.0, 0x3D / 255.0);
    cairo_pattern_add_color_stop_rgb(ground, 1, 0x14 / 255.0, 0x17 / 255.0, 0x20 / 255.0);
    cairo_arc(cr, cx, cy, R, 0, 2 * kPi);
    cairo_set_source(cr, ground);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(ground);
    SetColour(cr, kPanelEdge);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // The sweep: a faint track and the upper range in the accent colour.
    const double rt = R - 7;
    cairo_set_line_width(cr, 3);
    cairo_arc(cr, cx, cy, rt, GaugeAngleForSpeed(0) * kPi / 180, GaugeAngleForSpeed(220) * kPi / 180);
    SetColour(cr, Hex(0x323A50));
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, rt, GaugeAngleForSpeed(160) * kPi / 180, GaugeAngleForSpeed(220) * kPi / 180);
    SetColour(cr, kAccent, 0.85);
    cairo_stroke(cr);
    for (int v = 0; v <= 220; v += 10) {
        const double a = GaugeAngleForSpeed(v) * kPi / 180;
        const bool major = v % 20 == 0;
        const double r0 = rt - (major ? 9 : 5), r1 = rt - 2;
        cairo_move_to(cr, cx + r0 * std::cos(a), cy + r0 * std::sin(a));
        cairo_line_to(cr, cx + r1 * std::cos(a), cy + r1 * std::sin(a));
        SetColour(cr, major ? Hex(0xC9CED9) : Hex(0x6B7288));
        cairo_set_line_width(cr, major ? 1.6 : 1);
        cairo_stroke(cr);
        if (major && v % 40 == 0) {
            TextStyle style;
            style.size = 10;
            style.align = 'c';
            const double rl = rt - 19;
            SetColour(cr, Hex(0xAEB4C2));
            DrawTextInBox(cr, std::to_string(v), style, cx + rl * std::cos(a) - 12, cy + rl * std::sin(a) - 8, 24, 16,
                          Lang::En);
        }
    }
}

void Needle(cairo_t* cr, int w, int h, double speed, bool idle)
{
    const double cx = w / 2.0, cy = h / 2.0, R = std::min(w, h) / 2.0 - 2;
    const double a = GaugeAngleForSpeed(speed) * kPi / 180;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, a);
    const double len = R - 12;
    cairo_move_to(cr, -12, -2.6);
    cairo_line_to(cr, len, -0.8);
    cairo_line_to(cr, len, 0.8);
    cairo_line_to(cr, -12, 2.6);
    cairo_close_path(cr);
    if (idle) {
        SetColour(cr, Hex(0x6B7288));
    } else {
        cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, len, 0);
        cairo_pattern_add_color_stop_rgb(shade, 0, 0xB6 / 255.0, 0x54 / 255.0, 0);
        cairo_pattern_add_color_stop_rgb(shade, 1, 1.0, 0x9A / 255.0, 0x40 / 255.0);
        cairo_set_source(cr, shade);
        cairo_pattern_destroy(shade);
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

void GaugeHub(cairo_t* cr, int w, int h)
{
    const double cx = w / 2.0, cy = h / 2.0;
    cairo_arc(cr, cx, cy, 9, 0, 2 * kPi);
    SetColour(cr, Hex(0x0E1016));
    cairo_fill_preserve(cr);
    SetColour(cr, kAccent);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 3, 0, 2 * kPi);
    SetColour(cr, Hex(0xD9DEE8));
    cairo_fill(cr);
}

void FixIndicator(cairo_t* cr, bool fix, int w, int h)
{
    const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) / 2.0 - 1.5;
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    SetColour(cr, fix ? kGood : Hex(0x6B7288));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    if (fix) {
        cairo_arc(cr, cx, cy, r * 0.5, 0, 2 * kPi);
        cairo_fill(cr);
    } else {
        cairo_move_to(cr, cx - r * 0.6, cy + r * 0.6);
        cairo_line_to(cr, cx + r * 0.6, cy - r * 0.6);
        cairo_stroke(cr);
    }
}

// The graph's scale lies behind the plot: axis numbers in a 24-pixel strip at the left, grid
// lines across the plot where the plot's own mapping puts those values.
void Scale(cairo_t* cr, const std::string& which, int w, int h)
{
    const double strip = 24, pw = w - strip;
    Box(cr, strip, 0, pw, h, 3, Hex(0x121520), Hex(0x2A3042));
    TextStyle style;
    style.size = 9;
    style.align = 'r';
    std::vector<std::pair<double, std::string>> marks;
    if (which == "g") {
        for (int v = -2; v <= 2; ++v)
            marks.emplace_back(h / 2.0 - v * (h / 2.0) / 2.5, (v > 0 ? "+" : "") + std::to_string(v));
    } else {
        const double top = which == "kmh" ? 200 : 120, step = which == "kmh" ? 50 : 30;
        const double H = h - 15;
        for (double v = 0; v <= top + 0.1; v += step)
            marks.emplace_back(h - 7 - v / top * H, std::to_string(static_cast<int>(v)));
    }
    for (const auto& [y, label] : marks) {
        const double yy = std::floor(y) + 0.5;
        cairo_move_to(cr, strip + 2, yy);
        cairo_line_to(cr, w - 2, yy);
        if (label == "0" && which == "g")
            SetColour(cr, kCursor, 0.35);
        else
            SetColour(cr, Hex(0x2E3548));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        SetColour(cr, kTextDim);
        DrawTextInBox(cr, label, style, 0, std::clamp(y - 7, 0.0, h - 14.0), strip - 3, 14, Lang::En);
    }
    if (which != "g") {
        style.align = 'r';
        style.size = 8;
        SetColour(cr, Hex(0x5D647A));
        DrawTextInBox(cr, which == "kmh" ? "km/h" : "mph", style, strip, 1, pw - 4, 12, Lang::En);
    }
}

void GraphButton(cairo_t* cr, const std::string& which, bool on, int w, int h)
{
    Box(cr, 0, 0, w, h, 4, on ? Hex(0x3A2A1C) : kTile, on ? kAccent : kTileEdge);
    const Colour ink = on ? Hex(0xFF8A26) : Hex(0xAEB4C2);
    // The icon takes the colours of the traces the view draws.
    SetColour(cr, on ? (which == "sensor" ? kPenY : kPenZ) : ink);
    DrawIcon(cr, which == "sensor" ? "wave" : "dial", 5, (h - 12) / 2.0, 12);
    SetColour(cr, ink);
    TextStyle style;
    style.size = 9;
    style.bold = true;
    style.align = 'c';
    DrawTextInBox(cr, which == "sensor" ? "G-SENSOR" : "SPEED", style, 18, 0, w - 20, h, Lang::En);
}

void GraphBackground(cairo_t* cr, int w, int h)
{
    // Mostly clear so the scale shows through; a faint frame and a tint over the plot.
    cairo_rectangle(cr, 0, 0, w, h);
    SetColour(cr, Hex(0x1EC7FF), 0.04);
    cairo_fill(cr);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    SetColour(cr, Hex(0x3A4259), 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Slider(cairo_t* cr, const std::string& part, int w, int h)
{
    if (part == "track" || part == "fill") {
        RoundRect(cr, 0, h / 2.0 - 2, w, 4, 2);
        SetColour(cr, part == "track" ? Hex(0x343B50) : kAccent);
        cairo_fill(cr);
    } else {
        const bool pressed = part == "thumbpressed";
        const double r = std::min(w, h) / 2.0 - 1;
        cairo_arc(cr, w / 2.0, h / 2.0, r, 0, 2 * kPi);
        SetColour(cr, pressed ? Hex(0xFF9A40) : Hex(0xF2F4F8));
        cairo_fill_preserve(cr);
        SetColour(cr, kAccent);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
}

void ListHeader(cairo_t* cr, const std::vector<std::string>& widths, int w, int h)
{
    cairo_rectangle(cr, 0, 0, w, h);
    SetColour(cr, Hex(0x2B3145));
    cairo_fill(cr);
    cairo_rectangle(cr, 0, h - 1, w, 1);
    SetColour(cr, kAccent, 0.7);
    cairo_fill(cr);
    double x = 0;
    for (const auto& width : widths) {
        x += std::stod(width);
        cairo_rectangle(cr, x - 0.5 - 0.5, 5, 1, h - 10);
        SetColour(cr, Hex(0x454D66));
        cairo_fill(cr);
    }
}

void Banner(cairo_t* cr, int w, int h)
{
    cairo_pattern_t* ground = cairo_pattern_create_radial(w / 2.0, h * 0.42, 10, w / 2.0, h * 0.42, w * 0.62);
    cairo_pattern_add_color_stop_rgb(ground, 0, 0x1F / 255.0, 0x24 / 255.0, 0x33 / 255.0);
    cairo_pattern_add_color_stop_rgb(ground, 1, 0x08 / 255.0, 0x09 / 255.0, 0x0D / 255.0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, ground);
    cairo_fill(cr);
    cairo_pattern_destroy(ground);
    // A road running to the horizon.
    cairo_move_to(cr, w * 0.5 - 14, h * 0.58);
    cairo_line_to(cr, w * 0.5 + 14, h * 0.58);
    cairo_line_to(cr, w * 0.5 + 250, h);
    cairo_line_to(cr, w * 0.5 - 250, h);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x2A3042), 0.55);
    cairo_fill(cr);
    for (int i = 0; i < 5; ++i) {
        const double t0 = 0.62 + i * 0.08, t1 = t0 + 0.04;
        const double y0 = h * t0, y1 = h * t1;
        const double k0 = (y0 - h * 0.58) / (h * 0.42), k1 = (y1 - h * 0.58) / (h * 0.42);
        cairo_move_to(cr, w * 0.5 - 1 - 4 * k0, y0);
        cairo_line_to(cr, w * 0.5 + 1 + 4 * k0, y0);
        cairo_line_to(cr, w * 0.5 + 1 + 4 * k1, y1);
        cairo_line_to(cr, w * 0.5 - 1 - 4 * k1, y1);
        cairo_close_path(cr);
        SetColour(cr, kAccent, 0.5);
        cairo_fill(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, w / 2.0 - 150, h * 0.3);
    Logo(cr, 300, 42);
    cairo_restore(cr);
    SetColour(cr, Hex(0x8C93A5));
    DrawIcon(cr, "folder", w / 2.0 - 16, h * 0.3 + 62, 32);
}

bool Placeholder(cairo_t* cr, const std::string& what, Lang lang, int w, int h, const CSkinTexts& texts,
                 std::string& error)
{
    cairo_rectangle(cr, 0, 0, w, h);
    SetColour(cr, Hex(0x141823));
    cairo_fill(cr);
    // A quiet street grid hints at the map that would be here.
    cairo_set_line_width(cr, 1);
    SetColour(cr, Hex(0x1E2433));
    for (int x = 12; x < w; x += 34) {
        cairo_move_to(cr, x + 0.5, 0);
        cairo_line_to(cr, x + 0.5 + 18, h);
    }
    for (int y = 10; y < h; y += 30) {
        cairo_move_to(cr, 0, y + 0.5);
        cairo_line_to(cr, w, y + 0.5 - 8);
    }
    cairo_stroke(cr);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    SetColour(cr, kPanelEdge);
    cairo_stroke(cr);

    const double cx = w / 2.0, iconTop = h * 0.16, s = 40;
    cairo_arc(cr, cx, iconTop + s / 2, s / 2 + 6, 0, 2 * kPi);
    SetColour(cr, Hex(0x222736));
    cairo_fill_preserve(cr);
    SetColour(cr, kPanelEdge);
    cairo_stroke(cr);
    const IconPen p{cr, cx - s / 2, iconTop, s};
    SetColour(cr, Hex(0xAEB4C2));
    if (what == "nogps") {
        p.Move(0.5, 0.9);
        cairo_curve_to(cr, p.X(0.2), p.Y(0.55), p.X(0.2), p.Y(0.12), p.X(0.5), p.Y(0.12));
        cairo_curve_to(cr, p.X(0.8), p.Y(0.12), p.X(0.8), p.Y(0.55), p.X(0.5), p.Y(0.9));
        p.Stroke(0.07);
        p.Arc(0.5, 0.38, 0.1, 0, 2 * kPi);
        p.Stroke(0.07);
    } else if (what == "offline") {
        p.Move(0.28, 0.72);
        cairo_curve_to(cr, p.X(0.05), p.Y(0.72), p.X(0.08), p.Y(0.42), p.X(0.3), p.Y(0.44));
        cairo_curve_to(cr, p.X(0.34), p.Y(0.2), p.X(0.66), p.Y(0.2), p.X(0.7), p.Y(0.42));
        cairo_curve_to(cr, p.X(0.94), p.Y(0.42), p.X(0.94), p.Y(0.72), p.X(0.72), p.Y(0.72));
        cairo_close_path(cr);
        p.Stroke(0.07);
    } else if (what == "noruntime") {
        p.Arc(0.5, 0.5, 0.34, 0, 2 * kPi);
        p.Stroke(0.07);
        p.Move(0.16, 0.5);
        p.Line(0.84, 0.5);
        p.Stroke(0.05);
        cairo_save(cr);
        cairo_translate(cr, p.X(0.5), p.Y(0.5));
        cairo_scale(cr, 0.16 * s, 0.34 * s);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        p.Stroke(0.05);
    } else {
        error = "unknown placeholder " + what;
        return false;
    }
    // The slash marks what is missing.
    SetColour(cr, kPenX);
    p.Move(0.12, 0.88);
    p.Line(0.88, 0.12);
    p.Stroke(0.08);

    const auto title = texts.Get("ph_" + what, lang);
    const auto detail = texts.Get("ph_" + what + "_detail", lang);
    if (!title || !detail) {
        error = "texts: ph_" + what + " or its detail missing";
        return false;
    }
    TextStyle style;
    style.size = 14;
    style.bold = true;
    style.align = 'c';
    SetColour(cr, Hex(0xE6E9EF));
    bool fits = DrawTextInBox(cr, *title, style, 10, h * 0.58, w - 20, 22, lang);
    style.size = 11;
    style.bold = false;
    style.wrap = true;
    SetColour(cr, kTextDim);
    fits = DrawTextInBox(cr, *detail, style, 14, h * 0.58 + 24, w - 28, h * 0.42 - 28, lang) && fits;
    if (!fits) {
        error = "placeholder text of " + what + " does not fit in " + LangCode(lang);
        return false;
    }
    return true;
}

void WindowBackground(cairo_t* cr, const std::string& style, int w, int h)
{
    if (style == "main") {
        FillRect(cr, 0, 0, w, h, kWindow);
        FillRect(cr, 0, 0, w, 40, kTitle);
        FillRect(cr, 0, 40, w, 1, Hex(0x262B38));
        FillRect(cr, 0, 41, 960, 35, kBar);
        FillRect(cr, 0, 76, 960, 540, Hex(0x000000));
        FillRect(cr, 0, 616, 960, h - 616, kBar);
        FillRect(cr, 0, 616, 960, 1, Hex(0x262B38));
        FillRect(cr, 960, 41, w - 960, h - 41, kColumn);
        FillRect(cr, 960, 41, 1, h - 41, Hex(0x262B38));
        // Thin rules between the right column's sections.
        FillRect(cr, 968, 386, 304, 1, Hex(0x262B38));
        return;
    }
    if (style == "overlay") {
        // Only the two bands belong to the overlay's window (its region); the middle stays clear.
        cairo_pattern_t* top = cairo_pattern_create_linear(0, 0, 0, 43);
        cairo_pattern_add_color_stop_rgb(top, 0, 0x0C / 255.0, 0x0E / 255.0, 0x13 / 255.0);
        cairo_pattern_add_color_stop_rgb(top, 1, 0x15 / 255.0, 0x18 / 255.0, 0x20 / 255.0);
        cairo_rectangle(cr, 0, 0, w, 43);
        cairo_set_source(cr, top);
        cairo_fill(cr);
        cairo_pattern_destroy(top);
        FillRect(cr, 0, h - 72, w, 72, Hex(0x12151C));
        FillRect(cr, 0, 42, w, 1, kAccent, 0.5);
        FillRect(cr, 0, h - 72, w, 1, Hex(0x30374A));
        return;
    }
    if (style == "popup") {
        // Drawn with the white colour key: the corners are pure white, the inside never is, and
        // the outline is not smoothed so no pale fringe survives the key.
        FillRect(cr, 0, 0, w, h, kWhiteKey);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        RoundRect(cr, 0, 0, w, h, 12);
        SetColour(cr, Hex(0x3A4258));
        cairo_fill(cr);
        RoundRect(cr, 1, 1, w - 2, h - 2, 11);
        SetColour(cr, Hex(0x1C2030));
        cairo_fill(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
        return;
    }
    if (style == "plain") {
        // Waiting dialogs: no title, only the body and its frame.
        FillRect(cr, 0, 0, w, h, Hex(0x1C2030));
        cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
        SetColour(cr, Hex(0x3A4258));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        return;
    }
    // Dialogs: a title strip with an accent mark, a body and a thin frame.
    FillRect(cr, 0, 0, w, h, Hex(0x1C2030));
    FillRect(cr, 0, 0, w, 48, Hex(0x151925));
    FillRect(cr, 0, 48, w, 1, Hex(0x2B3142));
    FillRect(cr, 0, 14, 3, 20, kAccent);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    SetColour(cr, Hex(0x3A4258));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

} // namespace

UniqueSurface MakeSurface(int width, int height)
{
    UniqueSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

bool ParseTextStyle(const std::string& text, TextStyle& style)
{
    std::size_t i = 0;
    int size = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') size = size * 10 + (text[i++] - '0');
    if (size < 6 || size > 72 || i >= text.size()) return false;
    style = TextStyle{};
    style.size = size;
    style.align = text[i++];
    if (style.align != 'l' && style.align != 'c' && style.align != 'r') return false;
    for (; i < text.size(); ++i) {
        switch (text[i]) {
        case 'b': style.bold = true; break;
        case 'a': style.accent = true; break;
        case 'd': style.dim = true; break;
        case 'w': style.white = true; break;
        case 't': style.wrap = true; break;
        case 'm': style.middle = true; break;
        default: return false;
        }
    }
    return true;
}

void SetTextColour(cairo_t* cr, const TextStyle& style)
{
    // White stays just off pure white: the message pop-up is keyed on pure white.
    SetColour(cr, style.accent ? Hex(0xFF8A26) : style.dim ? kTextDim : style.white ? Hex(0xFEFEFE) : kText);
}

const char* FontFamily(Lang lang) { return lang == Lang::Ja ? "Noto Sans CJK JP" : "Noto Sans CJK KR"; }

bool DrawTextInBox(cairo_t* cr, const std::string& text, const TextStyle& style, double x, double y, double width,
                   double height, Lang lang)
{
    std::unique_ptr<PangoLayout, LayoutDeleter> layout(NewLayout(cr, text, style, lang));
    PangoRectangle ink, logical;
    bool fits = true;
    if (style.wrap) {
        pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
        pango_layout_get_pixel_extents(layout.get(), &ink, &logical);
        fits = logical.height <= height + 0.5;
    } else {
        pango_layout_get_pixel_extents(layout.get(), &ink, &logical);
        fits = logical.width <= width + 0.5 && logical.height <= height + 2 && text.find('\n') == std::string::npos;
        if (!fits) {
            pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
            pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
        }
        pango_layout_get_pixel_extents(layout.get(), &ink, &logical);
    }
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    double tx = x;
    if (!style.wrap && pango_layout_get_width(layout.get()) < 0) {
        if (style.align == 'c') tx = x + (width - logical.width) / 2.0;
        if (style.align == 'r') tx = x + width - logical.width;
    }
    // Wrapped text starts at the top unless asked to sit in the middle; one line is centred.
    const double ty = style.wrap && !style.middle ? y : y + std::max(0.0, (height - logical.height) / 2.0);
    cairo_move_to(cr, std::round(tx), std::round(ty));
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
    return fits;
}

double GaugeAngleForSpeed(double speed) { return 135.0 + std::clamp(speed, 0.0, 220.0) / 220.0 * 270.0; }

bool KeepsAlpha(const std::string& art)
{
    return art.rfind("gauge:", 0) == 0 && art != "gauge:face" ? true : art == "graph:bg";
}

int UnderlayLevel(const std::string& art)
{
    if (art == "panel" || art == "field" || art == "listframe" || art == "titleband") return 1;
    // Scales lie on their panel.
    if (art.rfind("scale:", 0) == 0) return 2;
    return 0;
}

bool PaintArt(cairo_t* cr, const std::string& art, int w, int h, const CSkinTexts& texts, std::string& error)
{
    const auto parts = SplitArt(art);
    if (parts.empty()) {
        error = "empty recipe";
        return false;
    }
    const std::string& what = parts[0];
    const auto arg = [&](std::size_t i) { return i < parts.size() ? parts[i] : std::string(); };
    const auto needState = [&](std::size_t i) {
        if (IsKnownState(arg(i))) return true;
        error = "recipe " + art + ": unknown state '" + arg(i) + "'";
        return false;
    };
    if (what == "bg") {
        WindowBackground(cr, arg(1), w, h);
    } else if (what == "icon" || what == "flat" || what == "big") {
        if (!needState(2)) return false;
        // Check the icon name on a scratch picture so that an unknown one is an error.
        UniqueSurface scratch = MakeSurface(1, 1);
        UniqueCairo probe(cairo_create(scratch.get()));
        if (!DrawIcon(probe.get(), arg(1), 0, 0, 1)) {
            error = "recipe " + art + ": unknown icon";
            return false;
        }
        if (what == "icon")
            IconTile(cr, arg(1), arg(2), w, h);
        else if (what == "flat")
            FlatButton(cr, arg(1), arg(2), w, h);
        else
            BigButton(cr, arg(1), arg(2), w, h);
    } else if (what == "seg") {
        if (!needState(1)) return false;
        Segment(cr, arg(1), w, h);
    } else if (what == "tbtn") {
        if (!needState(2)) return false;
        TextButton(cr, arg(1) == "primary", arg(2), w, h);
    } else if (what == "pill") {
        if (!needState(1)) return false;
        Pill(cr, arg(1), w, h);
    } else if (what == "switch") {
        Switch(cr, arg(1) == "on", w, h);
    } else if (what == "radio") {
        Radio(cr, arg(1) == "on", w, h);
    } else if (what == "check") {
        CheckBox(cr, arg(1) == "on", w, h);
    } else if (what == "combo") {
        Combo(cr, arg(1) == "open", w, h);
    } else if (what == "search") {
        Field(cr, w, h, arg(1) == "focus");
        SetColour(cr, arg(1) == "focus" ? kAccent : kTextDim);
        DrawIcon(cr, "search", w - 20, (h - 14) / 2.0, 14);
    } else if (what == "link") {
        if (arg(1) == "pressed") {
            RoundRect(cr, 0, 0, w, h, 5);
            SetColour(cr, kTile);
            cairo_fill(cr);
        }
        SetColour(cr, kAccent);
        DrawIcon(cr, "chevron-right", w - 16, (h - 12) / 2.0, 12);
    } else if (what == "field") {
        Field(cr, w, h);
    } else if (what == "panel") {
        Panel(cr, w, h);
    } else if (what == "listframe") {
        Box(cr, 0, 0, w, h, 4, kListBg, kPanelEdge);
    } else if (what == "listheader") {
        ListHeader(cr, {parts.begin() + 1, parts.end()}, w, h);
    } else if (what == "scroll") {
        if (arg(1) == "track") {
            RoundRect(cr, 2, 0, w - 4, h, (w - 4) / 2.0);
            SetColour(cr, Hex(0x3E4663));
        } else {
            RoundRect(cr, 2, 1, w - 4, h - 2, (w - 4) / 2.0);
            SetColour(cr, Hex(0x9AA3BA));
        }
        cairo_fill(cr);
    } else if (what == "slider") {
        Slider(cr, arg(1), w, h);
    } else if (what == "progress") {
        RoundRect(cr, 0, 0, w, h, h / 2.0);
        SetColour(cr, arg(1) == "fill" ? kAccent : Hex(0x343B50));
        cairo_fill(cr);
    } else if (what == "gauge") {
        const std::string part = arg(1);
        if (part == "face")
            GaugeFace(cr, w, h);
        else if (part == "idle")
            Needle(cr, w, h, 0, true);
        else if (part == "needle")
            Needle(cr, w, h, std::stoi(arg(2)) * 5 + 2.5, false);
        else if (part == "hub")
            GaugeHub(cr, w, h);
        else if (part == "fix" || part == "nofix")
            FixIndicator(cr, part == "fix", w, h);
        else {
            error = "recipe " + art + ": unknown gauge part";
            return false;
        }
    } else if (what == "graph") {
        GraphBackground(cr, w, h);
    } else if (what == "graphbtn") {
        GraphButton(cr, arg(1), arg(2) == "on", w, h);
    } else if (what == "scale") {
        Scale(cr, arg(1), w, h);
    } else if (what == "placeholder") {
        const auto placeLang = ParseLang(arg(2));
        if (!placeLang) {
            error = "recipe " + art + ": unknown language";
            return false;
        }
        return Placeholder(cr, arg(1), *placeLang, w, h, texts, error);
    } else if (what == "logo") {
        Logo(cr, w, h);
    } else if (what == "titleband") {
        FillRect(cr, 0, 0, w, h, kTitle);
    } else if (what == "banner") {
        Banner(cr, w, h);
    } else if (what == "waiting") {
        FillRect(cr, 0, 0, w, h, Hex(0x141823));
        const double s = std::min(w, h) * 0.2;
        cairo_save(cr);
        cairo_translate(cr, (w - s) / 2, (h - s) / 2);
        Spinner(cr, 0, static_cast<int>(s), static_cast<int>(s));
        cairo_restore(cr);
    } else if (what == "spinner") {
        Spinner(cr, std::stoi(arg(1)), w, h);
    } else if (what == "caution") {
        Caution(cr, w, h);
    } else if (what == "bigicon") {
        RoundRect(cr, 0, 0, w, h, 10);
        SetColour(cr, Hex(0x3A2A1C));
        cairo_fill(cr);
        SetColour(cr, kAccent);
        DrawIcon(cr, arg(1), w * 0.2, h * 0.2, std::min(w, h) * 0.6);
    } else {
        error = "unknown recipe " + art;
        return false;
    }
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS || (error = "cairo failed drawing " + art, false);
}

} // namespace torvix::skin
