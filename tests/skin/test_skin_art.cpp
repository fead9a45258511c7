// The skin's pictures: needles that turn with speed, opaque controls, the keyed pop-up, baked texts
// per language, and previews whose texts fit in every language.
#include "skin/SkinSource.h"
#include "tools/skin/SkinBuild.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace torvix::skin;
using namespace skintest;
namespace fs = std::filesystem;

namespace {



std::vector<std::uint32_t> Render(int id)
{
    const LayoutRow* row = TheSkin().layout.Find(id);
    if (!row) return {};
    CSkinBuilder builder(TheSkin().layout, TheSkin().texts);
    std::string error;
    auto pixels = builder.RenderRow(*row, error);
    EXPECT_FALSE(pixels.empty()) << error;
    return pixels;
}

// The direction of the needle's far end: the angle (degrees, clockwise from +x, 0..360 with the
// dial's start at 135) of the mean of its solid pixels far from the centre.
double NeedleAngle(int id)
{
    const LayoutRow* row = TheSkin().layout.Find(id);
    const auto pixels = Render(id);
    const int w = row->rect.Width(), h = row->rect.Height();
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            if ((pixels[static_cast<std::size_t>(y * w + x)] >> 24) > 128 && std::hypot(dx, dy) > w * 0.25) {
                sx += dx;
                sy += dy;
                ++n;
            }
        }
    if (n == 0) return -1;
    double angle = std::atan2(sy / n, sx / n) * 180 / 3.14159265358979;
    while (angle < 90) angle += 360;
    return angle;
}

} // namespace

TEST(SkinArt, GaugeNeedlesTurnMonotonicallyWithSpeed)
{
    const double idle = NeedleAngle(43);
    EXPECT_NEAR(idle, GaugeAngleForSpeed(0), 3);
    double previous = idle;
    for (int id = 49; id <= 92; ++id) {
        const double angle = NeedleAngle(id);
        EXPECT_GT(angle, previous) << "needle " << id;
        // Each step covers 5 of the dial's 220: about 6 degrees.
        EXPECT_NEAR(angle - previous, id == 49 ? 270.0 * 2.5 / 220 : 270.0 * 5 / 220, 2.0) << id;
        previous = angle;
    }
    EXPECT_NEAR(previous, GaugeAngleForSpeed(217.5), 3);
    // A gauge that asks for a speed beyond the dial finds the needle resting at its end.
    for (int id = 93; id <= 98; ++id) {
        EXPECT_GE(NeedleAngle(id), previous) << id;
        EXPECT_NEAR(NeedleAngle(id), GaugeAngleForSpeed(220), 3) << id;
    }
    EXPECT_LT(GaugeAngleForSpeed(0), GaugeAngleForSpeed(100));
    EXPECT_EQ(GaugeAngleForSpeed(500), GaugeAngleForSpeed(220)) << "beyond the dial the needle rests at its end";
}

TEST(SkinArt, ControlsAreOpaqueAndOverlaysKeepTheirTransparency)
{
    for (const auto& row : TheSkin().layout.Rows()) {
        if (row.kind == EntryKind::Empty || row.state == "bg") continue;
        const auto pixels = Render(row.id);
        ASSERT_FALSE(pixels.empty()) << row.name;
        const bool allOpaque =
            std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
        if (KeepsAlpha(row.art)) {
            EXPECT_FALSE(allOpaque) << row.name << ": shows what lies under it";
        } else if (row.windows.front() != 136) {
            EXPECT_TRUE(allOpaque) << row.name;
        }
    }
}

TEST(SkinArt, PopUpBackgroundIsKeyedOnWhiteOnlyOutside)
{
    const LayoutRow* row = TheSkin().layout.Find(267);
    ASSERT_NE(row, nullptr);
    CSkinBuilder builder(TheSkin().layout, TheSkin().texts);
    std::string error;
    const auto pixels = builder.RenderRow(*row, error);
    ASSERT_FALSE(pixels.empty()) << error;
    const int w = row->rect.Width(), h = row->rect.Height();
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(pixels[static_cast<std::size_t>(w * h - 1)] & 0xFFFFFF, 0xFFFFFFu);
    // Away from the rounded corners nothing is pure white, so the key never punches holes.
    for (int y = 14; y < h - 14; ++y)
        for (int x = 1; x < w - 1; ++x)
            ASSERT_NE(pixels[static_cast<std::size_t>(y * w + x)] & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
}

TEST(SkinArt, PlaceholdersCarryTheirLanguagesText)
{
    // The same picture in three languages: the same ground, different words.
    const auto ko = Render(183), en = Render(184), ja = Render(185);
    ASSERT_EQ(ko.size(), en.size());
    EXPECT_NE(ko, en);
    EXPECT_NE(en, ja);
    EXPECT_NE(Render(184), Render(187)) << "no position data and no internet differ";

    CSkinTexts missing;
    std::string error;
    ASSERT_TRUE(missing.Parse("key\tko\ten\tja\n", error));
    UniqueSurface surface = MakeSurface(308, 176);
    UniqueCairo cr(cairo_create(surface.get()));
    EXPECT_FALSE(PaintArt(cr.get(), "placeholder:nogps:en", 308, 176, missing, error));
    EXPECT_NE(error.find("ph_nogps"), std::string::npos) << error;
    EXPECT_FALSE(PaintArt(cr.get(), "placeholder:nogps:fr", 308, 176, TheSkin().texts, error));
    EXPECT_FALSE(PaintArt(cr.get(), "icon:nosuchicon:normal", 40, 40, TheSkin().texts, error));
    EXPECT_FALSE(PaintArt(cr.get(), "icon:play:sideways", 40, 40, TheSkin().texts, error));
    EXPECT_FALSE(PaintArt(cr.get(), "nosuchrecipe", 40, 40, TheSkin().texts, error));
}

TEST(SkinArt, DisabledButtonsAreVisiblyDimmer)
{
    const auto brightness = [](const std::vector<std::uint32_t>& pixels) {
        double sum = 0;
        for (auto p : pixels) sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
        return sum / static_cast<double>(pixels.size());
    };
    int compared = 0;
    for (const auto& row : TheSkin().layout.Rows()) {
        if (row.state != "disabled") continue;
        const std::string normalName = row.name.substr(0, row.name.rfind('.')) + ".normal";
        for (const auto& other : TheSkin().layout.Rows()) {
            if (other.name != normalName) continue;
            EXPECT_LT(brightness(Render(row.id)), brightness(Render(other.id)) - 2) << row.name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 20);
}

TEST(SkinArt, EveryWindowsTextsFitInEveryLanguage)
{
    CSkinBuilder builder(TheSkin().layout, TheSkin().texts);
    for (int window : TheSkin().layout.Windows()) {
        for (Lang lang : {Lang::Ko, Lang::En, Lang::Ja}) {
            std::vector<std::string> overflow;
            std::string error;
            UniqueSurface preview = builder.RenderPreview(window, lang, overflow, error);
            ASSERT_TRUE(preview) << error;
            EXPECT_EQ(cairo_image_surface_get_width(preview.get()), TheSkin().layout.Background(window)->rect.Width());
            for (const auto& line : overflow) ADD_FAILURE() << "does not fit: " << line;
        }
    }
}

TEST(SkinArt, PreviewsShowThePlayersTextsAndTheyFitToo)
{
    // The player's language table, when it is there, replaces the skin's own preview texts; its
    // texts must fit the same boxes in every language.
    const fs::path table = fs::path(TORVIX_SOURCE_DIR) / "data" / "lang" / "strings.tsv";
    if (!fs::exists(table)) GTEST_SKIP() << "no language table yet";
    CSkinTexts texts = TheSkin().texts;
    std::string error;
    ASSERT_TRUE(texts.LoadLanguageTable(table, error)) << error;
    ASSERT_GT(texts.LanguageTableSize(), 0u);
    CSkinBuilder builder(TheSkin().layout, texts);
    for (int window : TheSkin().layout.Windows()) {
        for (Lang lang : {Lang::Ko, Lang::En, Lang::Ja}) {
            std::vector<std::string> overflow;
            ASSERT_TRUE(builder.RenderPreview(window, lang, overflow, error)) << error;
            for (const auto& line : overflow) ADD_FAILURE() << "does not fit: " << line;
        }
    }
}

TEST(SkinArt, TextsLinkToTheLanguageTableOnlyForPreviews)
{
    CSkinTexts texts;
    std::string error;
    ASSERT_TRUE(texts.Parse("key\tko\ten\tja\tlang\nzoom\t확대\tZoom\t拡大\t19:30\nown\t가\tA\tア\t-\n", error)) << error;
    EXPECT_EQ(texts.GetShown("zoom", Lang::En), "Zoom");
    ASSERT_TRUE(texts.ParseLanguageTable("group\titem\tko\ten\tja\tnote\n# comment\n19\t30\t줌\tMagnify\t拡大表示\tx\n"
                                         "19\t30\t줌\tEnlarge\t拡大表示\tlater line wins\n",
                                         error))
        << error;
    EXPECT_EQ(texts.GetShown("zoom", Lang::En), "Enlarge");
    EXPECT_EQ(texts.GetShown("zoom", Lang::Ko), "줌");
    EXPECT_EQ(texts.Get("zoom", Lang::En), "Zoom") << "pictures keep the skin's own text";
    EXPECT_EQ(texts.GetShown("own", Lang::Ja), "ア");
    EXPECT_FALSE(texts.GetShown("none", Lang::Ja).has_value());

    EXPECT_FALSE(texts.Parse("key\tko\ten\tja\tlang\nzoom\t1\t2\t3\t19-30\n", error));
    EXPECT_NE(error.find("reference"), std::string::npos) << error;
    EXPECT_FALSE(texts.Parse("key\tko\ten\tja\tlang\nzoom\t1\t2\t3\n", error)) << "a missing column";
    EXPECT_FALSE(texts.ParseLanguageTable("group\titem\tko\ten\tja\nx\t1\ta\tb\tc\n", error));
    EXPECT_FALSE(texts.ParseLanguageTable("id\tko\n", error));
}

TEST(SkinArt, TextStylesParseOrFail)
{
    TextStyle style;
    ASSERT_TRUE(ParseTextStyle("13lba", style));
    EXPECT_EQ(style.size, 13);
    EXPECT_EQ(style.align, 'l');
    EXPECT_TRUE(style.bold && style.accent);
    EXPECT_FALSE(style.dim);
    EXPECT_FALSE(ParseTextStyle("13x", style));
    EXPECT_FALSE(ParseTextStyle("c", style));
    EXPECT_FALSE(ParseTextStyle("12cq", style));
    EXPECT_FALSE(ParseTextStyle("200c", style));

    // A text wider than its box is reported and kept inside it.
    UniqueSurface surface = MakeSurface(60, 20);
    UniqueCairo cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    ASSERT_TRUE(ParseTextStyle("12l", style));
    EXPECT_FALSE(DrawTextInBox(cr.get(), "A rather long line of text", style, 10, 0, 40, 20, Lang::En));
    cairo_surface_flush(surface.get());
    const auto pixels = StraightPixels(surface.get());
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(pixels[static_cast<std::size_t>(y * 60 + 5)], 0u);
        EXPECT_EQ(pixels[static_cast<std::size_t>(y * 60 + 55)], 0u);
    }
    EXPECT_TRUE(DrawTextInBox(cr.get(), "Short", style, 0, 0, 60, 20, Lang::En));
}
