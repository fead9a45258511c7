// torvix-skin: builds TorvixPlayerImg.dat from the layout table and drawing code in data/skin, and
// writes per-window previews for people to review the look.
//
//   torvix-skin --source DIR --out FILE.dat
//   torvix-skin --source DIR --preview DIR [--lang ko|en|ja|all]
//   torvix-skin --source DIR --check        (every text of every window fits, in every language)
//   torvix-skin --source DIR --dump DIR     (every picture alone, as <id>-<name>.png)
//
// Previews and the check show the texts of the player's language table (--strings FILE, or
// DIR/../lang/strings.tsv when it exists) for the keys that name one; pictures never use it.

#include "tools/skin/SkinBuild.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace torvix::skin;

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: torvix-skin --source DIR [--out FILE.dat] [--preview DIR [--lang ko|en|ja|all]] [--check]\n"
                 "                   [--dump DIR] [--strings LANGUAGE-TABLE]\n");
    return 2;
}

std::string WindowName(const CSkinLayout& layout, int window)
{
    const LayoutRow* bg = layout.Background(window);
    const std::string& name = bg ? bg->name : std::string();
    return name.substr(0, name.find('.'));
}

} // namespace

int main(int argc, char** argv)
{
    std::string source, out, preview, dump, strings, langArg = "en";
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&](std::string& value) {
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        if (arg == "--source") {
            if (!next(source)) return Usage();
        } else if (arg == "--out") {
            if (!next(out)) return Usage();
        } else if (arg == "--preview") {
            if (!next(preview)) return Usage();
        } else if (arg == "--lang") {
            if (!next(langArg)) return Usage();
        } else if (arg == "--strings") {
            if (!next(strings)) return Usage();
        } else if (arg == "--dump") {
            if (!next(dump)) return Usage();
        } else if (arg == "--check") {
            check = true;
        } else {
            return Usage();
        }
    }
    if (source.empty() || (out.empty() && preview.empty() && dump.empty() && !check)) return Usage();
    std::vector<Lang> langs;
    if (langArg == "all") {
        langs = {Lang::Ko, Lang::En, Lang::Ja};
    } else if (const auto lang = ParseLang(langArg)) {
        langs = {*lang};
    } else {
        std::fprintf(stderr, "torvix-skin: unknown language %s\n", langArg.c_str());
        return 2;
    }

    std::string error;
    CSkinLayout layout;
    CSkinTexts texts;
    if (!layout.Load(std::filesystem::path(source) / "layout.tsv", error) ||
        !texts.Load(std::filesystem::path(source) / "texts.tsv", error)) {
        std::fprintf(stderr, "torvix-skin: %s\n", error.c_str());
        return 1;
    }
    // Previews show the player's own texts when its language table lies beside the skin.
    const auto languageTable = strings.empty() ? std::filesystem::path(source) / ".." / "lang" / "strings.tsv"
                                               : std::filesystem::path(strings);
    if (!strings.empty() || std::filesystem::exists(languageTable)) {
        if (!texts.LoadLanguageTable(languageTable, error)) {
            std::fprintf(stderr, "torvix-skin: %s\n", error.c_str());
            return 1;
        }
    }
    CSkinBuilder builder(layout, texts);

    if (!out.empty()) {
        CMergeImageWriter writer;
        if (!builder.Fill(writer, error)) {
            std::fprintf(stderr, "torvix-skin: %s\n", error.c_str());
            return 1;
        }
        if (!writer.Write(out)) {
            std::fprintf(stderr, "torvix-skin: cannot write %s\n", out.c_str());
            return 1;
        }
    }

    if (!dump.empty()) {
        std::filesystem::create_directories(dump);
        for (const auto& row : layout.Rows()) {
            if (row.kind == EntryKind::Empty) continue;
            const auto pixels = builder.RenderRow(row, error);
            if (pixels.empty()) {
                std::fprintf(stderr, "torvix-skin: %s\n", error.c_str());
                return 1;
            }
            // Back to cairo's premultiplied words for the PNG writer.
            UniqueSurface surface = MakeSurface(row.rect.Width(), row.rect.Height());
            if (!surface) return 1;
            auto* data = cairo_image_surface_get_data(surface.get());
            const int stride = cairo_image_surface_get_stride(surface.get());
            for (int y = 0; y < row.rect.Height(); ++y) {
                auto* line = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
                for (int x = 0; x < row.rect.Width(); ++x) {
                    const std::uint32_t p = pixels[static_cast<std::size_t>(y * row.rect.Width() + x)];
                    const std::uint32_t a = p >> 24;
                    const auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
                    line[x] = (a << 24) | (pre((p >> 16) & 0xFF) << 16) | (pre((p >> 8) & 0xFF) << 8) | pre(p & 0xFF);
                }
            }
            cairo_surface_mark_dirty(surface.get());
            const auto path = std::filesystem::path(dump) / (std::to_string(row.id) + "-" + row.name + ".png");
            if (cairo_surface_write_to_png(surface.get(), path.string().c_str()) != CAIRO_STATUS_SUCCESS) {
                std::fprintf(stderr, "torvix-skin: cannot write %s\n", path.string().c_str());
                return 1;
            }
        }
    }

    std::vector<std::string> overflow;
    if (!preview.empty() || check) {
        if (!preview.empty()) std::filesystem::create_directories(preview);
        for (int window : layout.Windows()) {
            for (Lang lang : check && preview.empty() ? std::vector<Lang>{Lang::Ko, Lang::En, Lang::Ja} : langs) {
                UniqueSurface picture = builder.RenderPreview(window, lang, overflow, error);
                if (!picture) {
                    std::fprintf(stderr, "torvix-skin: %s\n", error.c_str());
                    return 1;
                }
                if (preview.empty()) continue;
                std::vector<std::uint8_t> png;
                const auto path = std::filesystem::path(preview) /
                                  (std::to_string(window) + "-" + WindowName(layout, window) + "-" + LangCode(lang) + ".png");
                std::ofstream file(path, std::ios::binary);
                if (!CSkinBuilder::EncodePng(picture.get(), png) ||
                    !file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()))) {
                    std::fprintf(stderr, "torvix-skin: cannot write %s\n", path.string().c_str());
                    return 1;
                }
            }
        }
    }
    for (const auto& line : overflow) std::fprintf(stderr, "torvix-skin: text does not fit: %s\n", line.c_str());
    return check && !overflow.empty() ? 1 : 0;
}
