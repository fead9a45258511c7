#include "tools/skin/SkinBuild.h"

#include <algorithm>
#include <cstring>

namespace torvix::skin {

namespace {

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

bool Shows(const LayoutRow& row) { return row.state == "normal" && row.kind != EntryKind::Empty; }

} // namespace

std::vector<std::uint32_t> StraightPixels(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = 0;
            std::memcpy(&p, data + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) + 4u * x, 4);
            // cairo keeps premultiplied 0xAARRGGBB words; the skin's pixels are straight B, G, R, A
            // bytes, which on this little-endian layout is the same word order.
            const std::uint32_t a = p >> 24;
            if (a != 0 && a != 255) {
                const auto un = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
                p = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
            } else if (a == 0) {
                p = 0;
            }
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = p;
        }
    }
    return pixels;
}

CSkinBuilder::CSkinBuilder(const CSkinLayout& layout, const CSkinTexts& texts) : m_layout(layout), m_texts(texts) {}

bool CSkinBuilder::EncodePng(cairo_surface_t* surface, std::vector<std::uint8_t>& png)
{
    png.clear();
    return cairo_surface_write_to_png_stream(surface, AppendPng, &png) == CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* CSkinBuilder::WindowBase(int window, std::string& error)
{
    const auto found = m_mapBases.find(window);
    if (found != m_mapBases.end()) return found->second.get();
    const LayoutRow* bg = m_layout.Background(window);
    if (!bg) {
        error = "window " + std::to_string(window) + " has no background row";
        return nullptr;
    }
    UniqueSurface base = MakeSurface(bg->rect.Width(), bg->rect.Height());
    if (!base) {
        error = "cannot make a picture for window " + std::to_string(window);
        return nullptr;
    }
    UniqueCairo cr(cairo_create(base.get()));
    if (!PaintArt(cr.get(), bg->art, bg->rect.Width(), bg->rect.Height(), m_texts, error)) return nullptr;
    cairo_surface_t* raw = base.get();
    m_mapBases.emplace(window, std::move(base));
    // Panels and frames join the base level by level and in id order, so each is drawn over what
    // lies under it.
    for (int level = 1; level <= 2; ++level) {
        for (const auto& row : m_layout.Rows()) {
            if (row.windows.front() != window || row.state == "bg" || !Shows(row) || UnderlayLevel(row.art) != level)
                continue;
            UniqueSurface picture = PaintRow(row, error);
            if (!picture) {
                m_mapBases.erase(window);
                return nullptr;
            }
            cairo_set_source_surface(cr.get(), picture.get(), row.rect.left, row.rect.top);
            cairo_paint(cr.get());
        }
    }
    cairo_surface_flush(raw);
    return raw;
}

UniqueSurface CSkinBuilder::PaintRow(const LayoutRow& row, std::string& error)
{
    const int w = row.rect.Width(), h = row.rect.Height();
    UniqueSurface surface = MakeSurface(w, h);
    if (!surface) {
        error = "cannot make a picture for id " + std::to_string(row.id);
        return nullptr;
    }
    UniqueCairo cr(cairo_create(surface.get()));
    if (row.state != "bg" && !KeepsAlpha(row.art)) {
        // Opaque over the window: the control looks the same whether it is drawn plainly, with
        // its alpha or with a colour key.
        cairo_surface_t* base = WindowBase(row.windows.front(), error);
        if (!base) return nullptr;
        cairo_set_source_surface(cr.get(), base, -row.rect.left, -row.rect.top);
        cairo_paint(cr.get());
    }
    if (!PaintArt(cr.get(), row.art, w, h, m_texts, error)) {
        error = "id " + std::to_string(row.id) + " (" + row.name + "): " + error;
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    return surface;
}

std::vector<std::uint32_t> CSkinBuilder::RenderRow(const LayoutRow& row, std::string& error)
{
    if (row.kind == EntryKind::Empty) {
        error = "id " + std::to_string(row.id) + " holds no picture";
        return {};
    }
    UniqueSurface surface = PaintRow(row, error);
    if (!surface) return {};
    return StraightPixels(surface.get());
}

bool CSkinBuilder::Fill(CMergeImageWriter& writer, std::string& error)
{
    for (const auto& row : m_layout.Rows()) {
        const Placement place{static_cast<std::uint16_t>(row.rect.left), static_cast<std::uint16_t>(row.rect.top),
                              static_cast<std::uint16_t>(row.rect.Width()),
                              static_cast<std::uint16_t>(row.rect.Height())};
        if (row.kind == EntryKind::Empty) {
            writer.AddEmpty(row.id, place);
            continue;
        }
        UniqueSurface surface = PaintRow(row, error);
        if (!surface) return false;
        bool added = false;
        if (row.kind == EntryKind::Png) {
            std::vector<std::uint8_t> png;
            added = EncodePng(surface.get(), png) && writer.AddEncoded(row.id, place, std::move(png), 2);
        } else {
            const auto pixels = StraightPixels(surface.get());
            added = writer.AddCompressed(row.id, place, row.rect.Width(), row.rect.Height(), pixels.data());
        }
        if (!added) {
            error = "id " + std::to_string(row.id) + " (" + row.name + ") could not be stored";
            return false;
        }
    }
    return true;
}

UniqueSurface CSkinBuilder::RenderPreview(int window, Lang lang, std::vector<std::string>& overflow,
                                          std::string& error)
{
    const LayoutRow* bg = m_layout.Background(window);
    if (!bg) {
        error = "no window " + std::to_string(window);
        return nullptr;
    }
    UniqueSurface canvas = MakeSurface(bg->rect.Width(), bg->rect.Height());
    if (!canvas) {
        error = "cannot make the preview picture";
        return nullptr;
    }
    UniqueCairo cr(cairo_create(canvas.get()));
    // What the window's region leaves out shows as a neutral grey, so transparent parts are seen.
    cairo_set_source_rgb(cr.get(), 0.35, 0.36, 0.4);
    cairo_paint(cr.get());
    const auto inWindow = [window](const LayoutRow& row) {
        return std::find(row.windows.begin(), row.windows.end(), window) != row.windows.end();
    };
    // Pictures baked for one language show in that language's preview only.
    const auto otherLanguage = [lang](const LayoutRow& row) {
        const std::string suffix = std::string(":") + LangCode(lang);
        return row.art.rfind("placeholder:", 0) == 0 &&
               (row.art.size() < suffix.size() || row.art.compare(row.art.size() - suffix.size(), suffix.size(), suffix) != 0);
    };
    std::vector<const LayoutRow*> order;
    for (const auto& row : m_layout.Rows())
        if (inWindow(row) && (row.state == "bg" || Shows(row)) && !otherLanguage(row)) order.push_back(&row);
    // Background, then panels, then what lies on panels, then the controls in id order.
    std::stable_sort(order.begin(), order.end(), [](const LayoutRow* a, const LayoutRow* b) {
        const auto layer = [](const LayoutRow* r) {
            if (r->state == "bg") return 0;
            const int level = UnderlayLevel(r->art);
            return level ? level : 3;
        };
        return layer(a) < layer(b);
    });
    for (const LayoutRow* row : order) {
        UniqueSurface picture = PaintRow(*row, error);
        if (!picture) return nullptr;
        // Straight pixels blended as the image object blends them would give the same result
        // for opaque pictures; cairo's over is used for the previews only.
        // A background's rectangle places its dialog; in the window it starts at the origin.
        const bool background = row->state == "bg";
        cairo_set_source_surface(cr.get(), picture.get(), background ? 0 : row->rect.left,
                                 background ? 0 : row->rect.top);
        cairo_paint(cr.get());
    }
    for (const auto& row : m_layout.Rows()) {
        if (!inWindow(row) || row.text == "-") continue;
        // Alternative states are not shown, and neither are their texts.
        if (row.state != "normal" && row.state != "rect") continue;
        TextStyle style;
        if (!ParseTextStyle(row.font, style)) {
            error = "id " + std::to_string(row.id) + ": bad font " + row.font;
            return nullptr;
        }
        const auto text = m_texts.GetShown(row.text, lang);
        if (!text) {
            error = "id " + std::to_string(row.id) + ": no text " + row.text;
            return nullptr;
        }
        double x = row.rect.left, w = row.rect.Width();
        // Choice lists keep their text clear of the arrow, search boxes of the magnifier, and
        // left-aligned texts on pictures start a little inside.
        if (row.art.rfind("combo", 0) == 0 || row.art.rfind("search", 0) == 0) {
            x += 8;
            w -= 8 + 24;
        } else if (row.kind != EntryKind::Empty && style.align == 'l') {
            x += 8;
            w -= 16;
        }
        const bool onPicture = row.kind != EntryKind::Empty;
        if (onPicture && row.art.rfind("tbtn:primary", 0) == 0) style.white = true;
        SetTextColour(cr.get(), style);
        if (!DrawTextInBox(cr.get(), *text, style, x, row.rect.top, w, row.rect.Height(), lang))
            overflow.push_back(std::to_string(window) + " " + std::to_string(row.id) + " " + row.name + " " +
                               LangCode(lang) + ": " + *text);
    }
    cairo_surface_flush(canvas.get());
    return canvas;
}

} // namespace torvix::skin
