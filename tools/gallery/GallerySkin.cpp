// Drawing the gallery's skin. Everything is opaque: the controls copy or key their pictures, and
// the skin's key colour never appears by accident in these colours.

#include "GallerySkin.h"

#include "tools/skin/MergeImageWriter.h"

#include <zent/bctrl/BmpInputEx.h>

#include <cairo.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace gallery {

namespace {

using torvix::skin::CMergeImageWriter;
using torvix::skin::Placement;

struct SurfaceReleaser {
    void operator()(cairo_surface_t* p) const { cairo_surface_destroy(p); }
};
struct ContextReleaser {
    void operator()(cairo_t* p) const { cairo_destroy(p); }
};

struct SColour {
    double r, g, b;
};
constexpr SColour Hex(std::uint32_t rgb)
{
    return SColour{((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

constexpr SColour kNavy = Hex(0x16202A);
constexpr SColour kNavyLight = Hex(0x223140);
constexpr SColour kHeader = Hex(0x2B3A4A);
constexpr SColour kAccent = Hex(0x3FA9F5);
constexpr SColour kSlate = Hex(0x34495E);
constexpr SColour kSlateEdge = Hex(0x4A6580);
constexpr SColour kOrange = Hex(0xF39C12);
constexpr SColour kOrangeDark = Hex(0xD35400);
constexpr SColour kGrey = Hex(0x555B61);
constexpr SColour kWhite = Hex(0xF4F7FA);
constexpr SColour kInk = Hex(0x10161C);

// One opaque picture being drawn.
class CPicture {
public:
    CPicture(int w, int h)
        : m_nWidth(w), m_nHeight(h), m_pSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)),
          m_pCr(cairo_create(m_pSurface.get()))
    {
    }
    cairo_t* Cr() const { return m_pCr.get(); }
    bool Ok() const { return cairo_status(m_pCr.get()) == CAIRO_STATUS_SUCCESS; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // B, G, R, A bytes, top row first, as the writer takes them.
    std::vector<std::uint32_t> Pixels() const
    {
        cairo_surface_flush(m_pSurface.get());
        const unsigned char* pData = cairo_image_surface_get_data(m_pSurface.get());
        const int nStride = cairo_image_surface_get_stride(m_pSurface.get());
        std::vector<std::uint32_t> px(static_cast<std::size_t>(m_nWidth) * m_nHeight);
        for (int y = 0; y < m_nHeight; ++y) {
            const auto* pRow = reinterpret_cast<const std::uint32_t*>(pData + static_cast<std::ptrdiff_t>(y) * nStride);
            for (int x = 0; x < m_nWidth; ++x) px[static_cast<std::size_t>(y) * m_nWidth + x] = pRow[x] | 0xFF000000u;
        }
        return px;
    }

private:
    int m_nWidth;
    int m_nHeight;
    std::unique_ptr<cairo_surface_t, SurfaceReleaser> m_pSurface;
    std::unique_ptr<cairo_t, ContextReleaser> m_pCr;
};

void Fill(cairo_t* cr, SColour c)
{
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_paint(cr);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// A rounded key or button on the ground colour: a vertical gradient and a one-pixel edge.
void Button(cairo_t* cr, double x, double y, double w, double h, SColour top, SColour bottom, SColour edge,
            double r = 8)
{
    cairo_pattern_t* pGrad = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(pGrad, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(pGrad, 1, bottom.r, bottom.g, bottom.b);
    RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
    cairo_set_source(cr, pGrad);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(pGrad);
    cairo_set_source_rgb(cr, edge.r, edge.g, edge.b);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Label(cairo_t* cr, const char* text, double cx, double cy, double size, SColour c, bool bCjk = false)
{
    cairo_select_font_face(cr, bCjk ? "Noto Sans CJK KR" : "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext{};
    cairo_text_extents(cr, text, &ext);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_move_to(cr, cx - ext.width / 2 - ext.x_bearing, cy - ext.height / 2 - ext.y_bearing);
    cairo_show_text(cr, text);
}

Placement Place(const RECT& rc)
{
    return Placement{static_cast<std::uint16_t>(rc.left), static_cast<std::uint16_t>(rc.top),
                     static_cast<std::uint16_t>(rc.Width()), static_cast<std::uint16_t>(rc.Height())};
}

bool Add(CMergeImageWriter& writer, UINT id, const RECT& rcPlace, const CPicture& pic)
{
    if (!pic.Ok()) return false;
    const std::vector<std::uint32_t> px = pic.Pixels();
    return writer.AddCompressed(static_cast<int>(id), Place(rcPlace), pic.Width(), pic.Height(), px.data());
}

// --- the pieces -----------------------------------------------------------------------------------

CPicture Background()
{
    CPicture pic(kWidth, kHeight);
    cairo_t* cr = pic.Cr();
    cairo_pattern_t* pGrad = cairo_pattern_create_linear(0, 0, 0, kHeight);
    cairo_pattern_add_color_stop_rgb(pGrad, 0, kNavyLight.r, kNavyLight.g, kNavyLight.b);
    cairo_pattern_add_color_stop_rgb(pGrad, 1, kNavy.r, kNavy.g, kNavy.b);
    cairo_set_source(cr, pGrad);
    cairo_paint(cr);
    cairo_pattern_destroy(pGrad);
    cairo_rectangle(cr, 0, 0, kWidth, kHeaderHeight);
    cairo_set_source_rgb(cr, kHeader.r, kHeader.g, kHeader.b);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, kHeaderHeight - 3, kWidth, 3);
    cairo_set_source_rgb(cr, kAccent.r, kAccent.g, kAccent.b);
    cairo_fill(cr);
    return pic;
}

CPicture Tab(SColour top, SColour bottom, SColour edge)
{
    const RECT rc = TabRect(0);
    CPicture pic(rc.Width(), rc.Height());
    Fill(pic.Cr(), kHeader);
    Button(pic.Cr(), 0, 0, rc.Width(), rc.Height(), top, bottom, edge);
    return pic;
}

CPicture Big(SColour top, SColour bottom, SColour edge)
{
    const RECT rc = BigRect(0);
    CPicture pic(rc.Width(), rc.Height());
    Fill(pic.Cr(), kNavyLight);
    Button(pic.Cr(), 0, 0, rc.Width(), rc.Height(), top, bottom, edge, 12);
    return pic;
}

CPicture Logo(int size)
{
    CPicture pic(size, size);
    cairo_t* cr = pic.Cr();
    // The skin's key colour around the disc: the static draws it keyed over the background.
    Fill(cr, Hex(0xFF00FF));
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_pattern_t* pGrad = cairo_pattern_create_radial(size * 0.35, size * 0.35, 2, size / 2.0, size / 2.0, size / 2.0);
    cairo_pattern_add_color_stop_rgb(pGrad, 0, 0.55, 0.85, 1.0);
    cairo_pattern_add_color_stop_rgb(pGrad, 1, kAccent.r * 0.6, kAccent.g * 0.6, kAccent.b * 0.7);
    cairo_arc(cr, size / 2.0, size / 2.0, size / 2.0 - 2, 0, 2 * M_PI);
    cairo_set_source(cr, pGrad);
    cairo_fill(cr);
    cairo_pattern_destroy(pGrad);
    cairo_move_to(cr, size * 0.40, size * 0.30);
    cairo_line_to(cr, size * 0.72, size * 0.50);
    cairo_line_to(cr, size * 0.40, size * 0.70);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, kWhite.r, kWhite.g, kWhite.b);
    cairo_fill(cr);
    return pic;
}

CPicture ListRow(int w, int h, bool bHigh)
{
    CPicture pic(w, h);
    cairo_t* cr = pic.Cr();
    Fill(cr, bHigh ? Hex(0x2E86C1) : Hex(0x1E2A36));
    cairo_rectangle(cr, 0, h - 1, w, 1);
    cairo_set_source_rgb(cr, 0.2, 0.27, 0.34);
    cairo_fill(cr);
    if (bHigh) {
        cairo_rectangle(cr, 0, 0, 6, h);
        cairo_set_source_rgb(cr, kOrange.r, kOrange.g, kOrange.b);
        cairo_fill(cr);
    }
    return pic;
}

// A scroll-bar button: one or two arrow heads pointing up or down.
CPicture BarButton(int w, int h, bool bUp, bool bDouble, int state)
{
    CPicture pic(w, h);
    cairo_t* cr = pic.Cr();
    Fill(cr, kNavy);
    const SColour top = state == 1 ? kOrange : (state == 2 ? kGrey : kSlate);
    const SColour bottom = state == 1 ? kOrangeDark : (state == 2 ? kGrey : Hex(0x2C3E50));
    Button(cr, 1, 1, w - 2, h - 2, top, bottom, kSlateEdge, 5);
    const double cx = w / 2.0;
    const int nHeads = bDouble ? 2 : 1;
    for (int i = 0; i < nHeads; ++i) {
        const double cy = h / 2.0 + (nHeads == 2 ? (i == 0 ? -3.5 : 3.5) : 0);
        const double d = bUp ? -1 : 1;
        cairo_move_to(cr, cx - 7, cy - 3 * d);
        cairo_line_to(cr, cx + 7, cy - 3 * d);
        cairo_line_to(cr, cx, cy + 4 * d);
        cairo_close_path(cr);
    }
    cairo_set_source_rgb(cr, kWhite.r, kWhite.g, kWhite.b);
    cairo_fill(cr);
    return pic;
}

CPicture Track(int w, int h)
{
    CPicture pic(w, h);
    Fill(pic.Cr(), kNavy);
    RoundRect(pic.Cr(), w / 2.0 - 6, 2, 12, h - 4, 6);
    cairo_set_source_rgb(pic.Cr(), 0.11, 0.15, 0.19);
    cairo_fill(pic.Cr());
    return pic;
}

CPicture Thumb(int w, int h)
{
    CPicture pic(w, h);
    Fill(pic.Cr(), kNavy);
    Button(pic.Cr(), 4, 1, w - 8, h - 2, Hex(0x7FA7CF), Hex(0x5D7EA0), kSlateEdge, 6);
    return pic;
}

// A vertical scroll bar of four buttons around a track, as CBmpScroll reads it.
bool AddBar(CMergeImageWriter& writer, const RECT& rc, UINT rectId, UINT thumbId, UINT trackId, UINT button0)
{
    constexpr int kButtonH = 30;
    const int w = rc.Width();
    writer.AddEmpty(static_cast<int>(rectId), Place(rc));
    const RECT rcTrack{rc.left, rc.top + 2 * kButtonH, rc.right, rc.bottom - 2 * kButtonH};
    bool bOk = Add(writer, trackId, rcTrack, Track(w, rcTrack.Height()));
    bOk = bOk && Add(writer, thumbId, RECT{rc.left, rcTrack.top, rc.right, rcTrack.top + 40}, Thumb(w, 40));
    const int tops[4] = {static_cast<int>(rc.top), static_cast<int>(rc.top + kButtonH),
                         static_cast<int>(rc.bottom - 2 * kButtonH), static_cast<int>(rc.bottom - kButtonH)};
    for (int b = 0; b < 4 && bOk; ++b) {
        const RECT rcButton{rc.left, tops[b], rc.right, tops[b] + kButtonH};
        for (int state = 0; state < 3 && bOk; ++state)
            bOk = Add(writer, button0 + static_cast<UINT>(b * 3 + state), rcButton,
                      BarButton(w, kButtonH, b < 2, b == 0 || b == 3, state));
    }
    return bOk;
}

// --- the touch screen and the switch rows ---------------------------------------------------------

constexpr SColour kPanel = Hex(0x1B2733);
constexpr SColour kSelected = Hex(0x2E86C1);
constexpr SColour kRule = Hex(0x33455A);

constexpr RECT kTouchCaptions[4] = {
    {20, 60, 390, 82}, {20, 188, 390, 210}, {20, 280, 390, 302}, {410, 60, 780, 82}};
constexpr RECT kTextViewPlace{20, 84, 390, 184};
constexpr RECT kStripPlace{20, 212, 390, 212 + kStripButtonSize};
constexpr RECT kList2Place{20, 304, 390, 304 + 4 * kList2RowHeight};
constexpr RECT kList3Place{410, 84, 780, 488};
constexpr RECT kSwitchPlace{500, 80, 780, 80 + kSwitchRows * 48};

// The strip buttons' colours, one per button, and the list rows' kind colours.
constexpr std::uint32_t kStripHues[kStripButtons] = {0x2E86C1, 0x27AE60, 0x8E44AD, 0xC0392B,
                                                     0x16A085, 0xB7950B, 0x5D6D7E, 0x1F618D};
// None of them is the selected rows' blue, so a thumbnail stays visible on a selected row.
constexpr std::uint32_t kKindHues[kList2Kinds] = {0xB7950B, 0x27AE60, 0xC0392B, 0x8E44AD};

void SetColour(cairo_t* cr, SColour c)
{
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

// A white (or ink) sign on a strip button: play, pause, stop, record, previous, next, plus, ring.
void StripGlyph(cairo_t* cr, int index, double cx, double cy, SColour c)
{
    SetColour(cr, c);
    const double r = 14;
    switch (index) {
    case 0:
        cairo_move_to(cr, cx - r * 0.6, cy - r);
        cairo_line_to(cr, cx + r, cy);
        cairo_line_to(cr, cx - r * 0.6, cy + r);
        cairo_close_path(cr);
        break;
    case 1:
        cairo_rectangle(cr, cx - r * 0.8, cy - r, r * 0.55, 2 * r);
        cairo_rectangle(cr, cx + r * 0.25, cy - r, r * 0.55, 2 * r);
        break;
    case 2: cairo_rectangle(cr, cx - r * 0.8, cy - r * 0.8, r * 1.6, r * 1.6); break;
    case 3: cairo_arc(cr, cx, cy, r * 0.85, 0, 2 * M_PI); break;
    case 4:
    case 5: {
        const double d = index == 4 ? -1 : 1;
        for (int k = 0; k < 2; ++k) {
            const double x0 = cx - d * r + d * k * r;
            cairo_move_to(cr, x0, cy - r * 0.8);
            cairo_line_to(cr, x0 + d * r, cy);
            cairo_line_to(cr, x0, cy + r * 0.8);
            cairo_close_path(cr);
        }
        break;
    }
    case 6:
        cairo_rectangle(cr, cx - r, cy - 3, 2 * r, 6);
        cairo_rectangle(cr, cx - 3, cy - r, 6, 2 * r);
        break;
    default:
        cairo_set_line_width(cr, 5);
        cairo_arc(cr, cx, cy, r * 0.8, 0, 2 * M_PI);
        cairo_stroke(cr);
        return;
    }
    cairo_fill(cr);
}

CPicture StripGround(int w, int h)
{
    CPicture pic(w, h);
    Fill(pic.Cr(), kPanel);
    return pic;
}

CPicture StripButton(int index, bool bPressed)
{
    const int s = kStripButtonSize;
    CPicture pic(s, s);
    cairo_t* cr = pic.Cr();
    Fill(cr, kPanel);
    const SColour hue = Hex(kStripHues[index]);
    const SColour dark{hue.r * 0.7, hue.g * 0.7, hue.b * 0.7};
    if (bPressed) Button(cr, 2, 2, s - 4, s - 4, kOrange, kOrangeDark, kWhite, 12);
    else Button(cr, 2, 2, s - 4, s - 4, hue, dark, kSlateEdge, 12);
    StripGlyph(cr, index, s / 2.0, s / 2.0, bPressed ? kInk : kWhite);
    return pic;
}

// A thumbnail sign per kind: a landscape, a note, a film frame, a pin.
void KindGlyph(cairo_t* cr, int kind, double x, double y, double s)
{
    SetColour(cr, kWhite);
    switch (kind) {
    case 0:
        cairo_move_to(cr, x + 4, y + s - 6);
        cairo_line_to(cr, x + s * 0.4, y + s * 0.4);
        cairo_line_to(cr, x + s * 0.65, y + s * 0.7);
        cairo_line_to(cr, x + s * 0.8, y + s * 0.55);
        cairo_line_to(cr, x + s - 4, y + s - 6);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_arc(cr, x + s * 0.75, y + s * 0.28, 3.5, 0, 2 * M_PI);
        break;
    case 1:
        cairo_arc(cr, x + s * 0.38, y + s * 0.7, 5, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_rectangle(cr, x + s * 0.38 + 3, y + s * 0.2, 3, s * 0.5);
        cairo_fill(cr);
        cairo_rectangle(cr, x + s * 0.38 + 3, y + s * 0.2, 10, 4);
        break;
    case 2:
        cairo_rectangle(cr, x + 6, y + 9, s - 12, s - 18);
        cairo_fill(cr);
        SetColour(cr, Hex(kKindHues[2]));
        cairo_move_to(cr, x + s * 0.42, y + s * 0.36);
        cairo_line_to(cr, x + s * 0.62, y + s * 0.5);
        cairo_line_to(cr, x + s * 0.42, y + s * 0.64);
        cairo_close_path(cr);
        break;
    default:
        cairo_arc(cr, x + s / 2, y + s * 0.4, s * 0.22, M_PI, 0);
        cairo_line_to(cr, x + s / 2, y + s - 6);
        cairo_close_path(cr);
        break;
    }
    cairo_fill(cr);
}

// A picture row of list view 2: its ground, a check box (ticked when selected) and a thumbnail of
// its kind at the right end, where the text never reaches.
CPicture List2Row(int w, int h, int kind, bool bSelected)
{
    CPicture pic(w, h);
    cairo_t* cr = pic.Cr();
    Fill(cr, bSelected ? kSelected : Hex(0x1E2A36));
    cairo_rectangle(cr, 0, h - 1, w, 1);
    SetColour(cr, kRule);
    cairo_fill(cr);
    const double t = h - 10;
    const double tx = w - t - 8;
    RoundRect(cr, tx, 5, t, t, 6);
    SetColour(cr, Hex(kKindHues[kind]));
    cairo_fill(cr);
    KindGlyph(cr, kind, tx, 5, t);
    const double bx = tx - 34;
    const double by = h / 2.0 - 10;
    RoundRect(cr, bx + 0.5, by + 0.5, 20, 20, 4);
    if (bSelected) {
        SetColour(cr, kWhite);
        cairo_fill(cr);
        cairo_move_to(cr, bx + 5, by + 10);
        cairo_line_to(cr, bx + 9, by + 15);
        cairo_line_to(cr, bx + 16, by + 5);
        cairo_set_line_width(cr, 3);
        SetColour(cr, kSelected);
        cairo_stroke(cr);
    } else {
        cairo_set_line_width(cr, 2);
        SetColour(cr, Hex(0x7F8C99));
        cairo_stroke(cr);
    }
    return pic;
}

CPicture List3Row(int w, int h, bool bHigh)
{
    CPicture pic(w, h);
    cairo_t* cr = pic.Cr();
    Fill(cr, bHigh ? kSelected : Hex(0x1A2530));
    cairo_rectangle(cr, 0, h - 1, w, 1);
    SetColour(cr, kRule);
    cairo_fill(cr);
    if (bHigh) {
        cairo_rectangle(cr, 0, 0, 4, h);
        SetColour(cr, kOrange);
        cairo_fill(cr);
    }
    return pic;
}

// The icon at the left of a section header: a small calendar page.
CPicture SectionIcon(int s)
{
    CPicture pic(s, s);
    cairo_t* cr = pic.Cr();
    Fill(cr, kHeader);
    RoundRect(cr, 6, 6, s - 12, s - 11, 2);
    SetColour(cr, kWhite);
    cairo_fill(cr);
    cairo_rectangle(cr, 6, 6, s - 12, 5);
    SetColour(cr, kAccent);
    cairo_fill(cr);
    return pic;
}

// A switch on the skin's key colour: green with the knob right when on, grey with it left when off.
CPicture SwitchPill(bool bOn)
{
    constexpr int w = 52;
    constexpr int h = 28;
    CPicture pic(w, h);
    cairo_t* cr = pic.Cr();
    Fill(cr, Hex(0xFF00FF));
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    RoundRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2.0);
    SetColour(cr, bOn ? Hex(0x27AE60) : kGrey);
    cairo_fill(cr);
    cairo_arc(cr, bOn ? w - h / 2.0 : h / 2.0, h / 2.0, h / 2.0 - 4, 0, 2 * M_PI);
    SetColour(cr, kWhite);
    cairo_fill(cr);
    return pic;
}

bool AddTouch(CMergeImageWriter& writer)
{
    for (int i = 0; i < 4; ++i) writer.AddEmpty(static_cast<int>(kTouchCaption0) + i, Place(kTouchCaptions[i]));
    writer.AddEmpty(kTextViewRect, Place(kTextViewPlace));
    writer.AddEmpty(kTextViewRow, Place(RECT{0, 0, kTextViewPlace.Width(), 24}));
    writer.AddEmpty(kStripRect, Place(kStripPlace));
    bool bOk = Add(writer, kStripGround, RECT{0, 0, kStripPlace.Width(), kStripPlace.Height()},
                   StripGround(kStripPlace.Width(), kStripPlace.Height()));
    const RECT rcButton{0, 0, kStripButtonSize, kStripButtonSize};
    for (int i = 0; i < kStripButtons && bOk; ++i) {
        const UINT id = kStripButton0 + 2 * static_cast<UINT>(i);
        bOk = Add(writer, id, rcButton, StripButton(i, false)) && Add(writer, id + 1, rcButton, StripButton(i, true));
    }
    writer.AddEmpty(kList2Rect, Place(kList2Place));
    const RECT rcRow2{0, 0, kList2Place.Width(), kList2RowHeight};
    writer.AddEmpty(kList2Row, Place(rcRow2));
    for (int k = 0; k < kList2Kinds && bOk; ++k) {
        const UINT id = kList2Picture0 + 2 * static_cast<UINT>(k);
        bOk = Add(writer, id, rcRow2, List2Row(rcRow2.Width(), kList2RowHeight, k, false)) &&
              Add(writer, id + 1, rcRow2, List2Row(rcRow2.Width(), kList2RowHeight, k, true));
    }
    writer.AddEmpty(kList3Rect, Place(kList3Place));
    const RECT rcRow3{0, 0, kList3Place.Width(), kList3RowHeight};
    bOk = bOk && Add(writer, kList3Row, rcRow3, List3Row(rcRow3.Width(), kList3RowHeight, false));
    bOk = bOk && Add(writer, kList3RowHigh, rcRow3, List3Row(rcRow3.Width(), kList3RowHeight, true));
    bOk = bOk && Add(writer, kList3Section, RECT{0, 0, kList3SectionHeight, kList3SectionHeight},
                     SectionIcon(kList3SectionHeight));
    return bOk;
}

bool AddSwitches(CMergeImageWriter& writer)
{
    writer.AddEmpty(kSwitchRect, Place(kSwitchPlace));
    const RECT rcRow{0, 0, kSwitchPlace.Width(), kListRowHeight};
    bool bOk = Add(writer, kSwitchRow, rcRow, ListRow(rcRow.Width(), kListRowHeight, false));
    bOk = bOk && Add(writer, kSwitchRowHigh, rcRow, ListRow(rcRow.Width(), kListRowHeight, true));
    bOk = bOk && Add(writer, kSwitchOn, RECT{0, 0, 52, 28}, SwitchPill(true));
    bOk = bOk && Add(writer, kSwitchOff, RECT{0, 0, 52, 28}, SwitchPill(false));
    return bOk;
}

// --- the keyboard ---------------------------------------------------------------------------------

constexpr RECT kKeyboardRect{20, 66, 780, 416};
constexpr int kKeyTop = 136;
constexpr int kKeyPitchY = 68;
constexpr int kKeyHeight = 60;
constexpr int kKeyGap = 6;

// Labels in the control's key order (see BmpInputEx.h).
const std::vector<std::vector<const char*>> kLabels[3] = {
    {{"ㅂ", "ㅈ", "ㄷ", "ㄱ", "ㅅ", "ㅛ", "ㅕ", "ㅑ", "ㅐ", "ㅔ"},
     {"ㅁ", "ㄴ", "ㅇ", "ㄹ", "ㅎ", "ㅗ", "ㅓ", "ㅏ", "ㅣ"},
     {"ㅋ", "ㅌ", "ㅊ", "ㅍ", "ㅠ", "ㅜ", "ㅡ"},
     {"Bksp", "Space", "ABC", "123"}},
    {{"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P"},
     {"A", "S", "D", "F", "G", "H", "J", "K", "L"},
     {"Z", "X", "C", "V", "B", "N", "M"},
     {"Bksp", "Space", "한", "123", "Clear"}},
    {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"}, {".", "-", "Bksp", "Clear", "Space", "한", "ABC"}},
};

struct SKey {
    RECT rc;
    const char* label;
};

std::vector<SKey> KeysOf(int type)
{
    std::vector<SKey> keys;
    const int nInner = kKeyboardRect.right - kKeyboardRect.left - 2 * 16;
    for (std::size_t row = 0; row < kLabels[type].size(); ++row) {
        const auto& labels = kLabels[type][row];
        const int n = static_cast<int>(labels.size());
        // Letter rows keep a common pitch and are centred; the last row spreads over the width.
        const bool bSpread = row + 1 == kLabels[type].size() && type != 2;
        const int nPitch = bSpread ? nInner / n : nInner / 10;
        const int nLeft = kKeyboardRect.left + 16 + (nInner - nPitch * n) / 2;
        const int y = kKeyTop + static_cast<int>(row) * kKeyPitchY;
        for (int i = 0; i < n; ++i)
            keys.push_back(SKey{RECT{nLeft + i * nPitch, y, nLeft + (i + 1) * nPitch - kKeyGap, y + kKeyHeight},
                                labels[static_cast<std::size_t>(i)]});
    }
    return keys;
}

bool IsCjk(const char* label)
{
    return static_cast<unsigned char>(label[0]) >= 0xE0;
}

bool AddKeyboard(CMergeImageWriter& writer)
{
    const RECT& kb = kKeyboardRect;
    CPicture bg(kb.right - kb.left, kb.bottom - kb.top);
    Fill(bg.Cr(), Hex(0x18222C));
    RoundRect(bg.Cr(), 12, 10, kb.right - kb.left - 24, 50, 8);
    cairo_set_source_rgb(bg.Cr(), 0.93, 0.95, 0.97);
    cairo_fill(bg.Cr());
    bool bOk = Add(writer, kKeyboardBase, kb, bg);
    for (int type = 0; type < 3 && bOk; ++type) {
        const std::vector<SKey> keys = KeysOf(type);
        if (static_cast<int>(keys.size()) != zent::CBmpInputEx::kKeyCounts[type]) return false;
        // The layout picture covers the key area from the first row down.
        const RECT rcLayout{kb.left, kKeyTop, kb.right, kb.bottom};
        CPicture layout(rcLayout.right - rcLayout.left, rcLayout.bottom - rcLayout.top);
        Fill(layout.Cr(), Hex(0x18222C));
        for (const SKey& key : keys) {
            const double x = key.rc.left - rcLayout.left;
            const double y = key.rc.top - rcLayout.top;
            Button(layout.Cr(), x, y, key.rc.right - key.rc.left, key.rc.bottom - key.rc.top, Hex(0x3A4D60),
                   Hex(0x2F3F4F), kSlateEdge, 7);
            Label(layout.Cr(), key.label, x + (key.rc.right - key.rc.left) / 2.0, y + kKeyHeight / 2.0,
                  IsCjk(key.label) ? 24 : 18, kWhite, IsCjk(key.label));
        }
        bOk = Add(writer, kKeyboardBase + 1 + static_cast<UINT>(type), rcLayout, layout);
        for (std::size_t k = 0; k < keys.size() && bOk; ++k) {
            const SKey& key = keys[k];
            const UINT id = kKeyboardBase + zent::CBmpInputEx::kKeyIdOffsets[type] + 2 * static_cast<UINT>(k);
            writer.AddEmpty(static_cast<int>(id), Place(key.rc));
            const int w = key.rc.right - key.rc.left;
            CPicture pressed(w, kKeyHeight);
            Fill(pressed.Cr(), Hex(0x18222C));
            Button(pressed.Cr(), 0, 0, w, kKeyHeight, kOrange, kOrangeDark, Hex(0xA04000), 7);
            Label(pressed.Cr(), key.label, w / 2.0, kKeyHeight / 2.0, IsCjk(key.label) ? 24 : 18, kInk,
                  IsCjk(key.label));
            bOk = Add(writer, id + 1, RECT{0, 0, w, kKeyHeight}, pressed);
        }
    }
    return bOk;
}

} // namespace

RECT TabRect(int index)
{
    const int nLeft = 10 + index * 130;
    return RECT{nLeft, 8, nLeft + 124, 48};
}

RECT BigRect(int index)
{
    const int nLeft = 40 + (index % 2) * 200;
    const int nTop = 90 + (index / 2) * 80;
    return RECT{nLeft, nTop, nLeft + 180, nTop + 64};
}

bool WriteGallerySkin(const std::filesystem::path& path, std::string* pError)
{
    CMergeImageWriter writer;
    bool bOk = Add(writer, kBkScreen, RECT{0, 0, kWidth, kHeight}, Background());
    bOk = bOk && Add(writer, kTabNormal, TabRect(0), Tab(kSlate, Hex(0x2C3E50), kSlateEdge));
    bOk = bOk && Add(writer, kTabPressed, TabRect(0), Tab(kOrange, kOrangeDark, Hex(0xA04000)));
    bOk = bOk && Add(writer, kTabCurrent, TabRect(0), Tab(kAccent, Hex(0x2E86C1), Hex(0x1B6FA8)));
    for (int i = 0; i < kTabCount; ++i) writer.AddEmpty(static_cast<int>(kTabRect0) + i, Place(TabRect(i)));
    bOk = bOk && Add(writer, kBigNormal, BigRect(0), Big(Hex(0x3B5B7A), Hex(0x2C4560), kSlateEdge));
    bOk = bOk && Add(writer, kBigPressed, BigRect(0), Big(kOrange, kOrangeDark, Hex(0xA04000)));
    bOk = bOk && Add(writer, kBigDisabled, BigRect(0), Big(kGrey, Hex(0x44494E), Hex(0x666B70)));
    for (int i = 0; i < kBigCount; ++i) writer.AddEmpty(static_cast<int>(kBigRect0) + i, Place(BigRect(i)));
    bOk = bOk && Add(writer, kLogo, RECT{520, 90, 640, 210}, Logo(120));
    writer.AddEmpty(kStatusRect, Place(RECT{20, 500, 780, 544}));
    writer.AddEmpty(kCounterRect, Place(RECT{40, 270, 760, 310}));

    const RECT rcList{40, 80, 440, 80 + kListRows * kListRowHeight};
    writer.AddEmpty(kListRect, Place(rcList));
    bOk = bOk && Add(writer, kListRow, RECT{0, 0, rcList.Width(), kListRowHeight},
                     ListRow(rcList.Width(), kListRowHeight, false));
    bOk = bOk && Add(writer, kListRowHigh, RECT{0, 0, rcList.Width(), kListRowHeight},
                     ListRow(rcList.Width(), kListRowHeight, true));
    bOk = bOk && AddBar(writer, RECT{448, 80, 484, rcList.bottom}, kBarRect, kBarThumb, kBarTrack, kBarButton0);

    const RECT rcView{40, 70, 440, 70 + 8 * kViewRowHeight};
    writer.AddEmpty(kViewRect, Place(rcView));
    writer.AddEmpty(kViewRow, Place(RECT{0, 0, rcView.Width(), kViewRowHeight}));
    bOk = bOk &&
          AddBar(writer, RECT{448, 70, 484, rcView.bottom}, kViewBarRect, kViewBarThumb, kViewBarTrack, kViewBarButton0);

    for (int i = 0; i < kAboutLines; ++i)
        writer.AddEmpty(static_cast<int>(kAboutRect0) + i, Place(RECT{40, 76 + i * 40, 760, 112 + i * 40}));
    bOk = bOk && AddSwitches(writer);
    bOk = bOk && AddTouch(writer);
    bOk = bOk && AddKeyboard(writer);
    if (!bOk) {
        if (pError) *pError = "a skin picture could not be drawn";
        return false;
    }
    if (!writer.Write(path)) {
        if (pError) *pError = "cannot write " + path.string();
        return false;
    }
    return true;
}

} // namespace gallery
