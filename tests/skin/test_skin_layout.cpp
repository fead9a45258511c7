// The skin's layout table and the merged image file built from it: every id the player relies on is
// there with its meaning, the file reads back through the player's loader and image object with the
// table's rectangles and pixels, and the build is the same byte for byte.
#include "skin/SkinSource.h"
#include "tools/skin/SkinBuild.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>
#include <zent/util/ZuImage.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

using namespace torvix::skin;
using namespace skintest;
namespace fs = std::filesystem;

namespace {

const fs::path kBuilt = fs::path(TORVIX_BIN_DIR) / "data" / "TorvixPlayerImg.dat";


bool SameRect(const Rect& a, const Rect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Inside(const Rect& inner, const Rect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

const LayoutRow& Row(int id)
{
    const LayoutRow* row = TheSkin().layout.Find(id);
    if (!row) throw std::runtime_error("id " + std::to_string(id) + " missing");
    return *row;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(SkinLayout, HoldsEveryFixedIdWithItsWindowAndPlace)
{
    const auto& layout = TheSkin().layout;
    // Gauge: face, idle needle, indicators, digit and unit boxes, overlay, 44 needles.
    for (int id = 42; id <= 92; ++id) {
        ASSERT_NE(layout.Find(id), nullptr) << id;
        EXPECT_EQ(Row(id).windows.front(), 129) << id;
    }
    for (int id = 49; id <= 92; ++id) EXPECT_TRUE(SameRect(Row(id).rect, Row(43).rect)) << id;
    EXPECT_TRUE(SameRect(Row(48).rect, Row(42).rect));
    EXPECT_TRUE(SameRect(Row(44).rect, Row(45).rect));
    for (int id : {43, 44, 46, 47, 48}) EXPECT_TRUE(Inside(Row(id).rect, Row(42).rect)) << id;
    EXPECT_EQ(Row(46).kind, EntryKind::Empty);
    EXPECT_EQ(Row(47).kind, EntryKind::Empty);

    // Graph: background, the three scales behind it, the two button pairs.
    EXPECT_TRUE(SameRect(Row(325).rect, Row(105).rect));
    EXPECT_TRUE(SameRect(Row(326).rect, Row(105).rect));
    EXPECT_TRUE(Inside(Row(99).rect, Row(105).rect));
    EXPECT_TRUE(SameRect(Row(101).rect, Row(102).rect));
    EXPECT_TRUE(SameRect(Row(103).rect, Row(104).rect));
    EXPECT_FALSE(Overlap(Row(101).rect, Row(103).rect));

    // Map area and the placeholders of every language over it.
    EXPECT_EQ(Row(182).kind, EntryKind::Empty);
    for (int id : {183, 184, 185, 186, 187, 188, 401, 402, 403}) {
        EXPECT_TRUE(SameRect(Row(id).rect, Row(182).rect)) << id;
        EXPECT_NE(Row(id).kind, EntryKind::Empty) << id;
    }
    EXPECT_EQ(Row(183).art, "placeholder:nogps:ko");
    EXPECT_EQ(Row(187).art, "placeholder:offline:en");
    EXPECT_EQ(Row(403).art, "placeholder:noruntime:ja");

    EXPECT_NE(layout.Find(41), nullptr);
    EXPECT_TRUE(SameRect(Row(159).rect, Row(160).rect));
    // Option pairs of the folder dialogs (the backup dialog shares the first two) and the
    // automatic-update toggle.
    for (auto [off, on] : {std::pair{279, 280}, std::pair{282, 283}, std::pair{302, 303}}) {
        EXPECT_TRUE(SameRect(Row(off).rect, Row(on).rect));
        EXPECT_EQ(Row(off).windows.front(), 145);
    }
    EXPECT_EQ(Row(279).windows, (std::vector<int>{145, 135}));
    EXPECT_EQ(Row(302).windows, (std::vector<int>{145}));
    EXPECT_TRUE(SameRect(Row(239).rect, Row(240).rect));
    EXPECT_EQ(Row(239).windows.front(), 132);
    // The message pop-up: background, caution picture and the message box inside it.
    EXPECT_EQ(Row(267).state, "bg");
    EXPECT_EQ(Row(267).windows.front(), 134);
    EXPECT_TRUE(Inside(Row(268).rect, {0, 0, Row(267).rect.Width(), Row(267).rect.Height()}));
    EXPECT_TRUE(Inside(Row(269).rect, {0, 0, Row(267).rect.Width(), Row(267).rect.Height()}));
}

TEST(SkinLayout, MainWindowHoldsEveryControlInItsPlace)
{
    const auto& layout = TheSkin().layout;
    const LayoutRow* bg = layout.Background(129);
    ASSERT_NE(bg, nullptr);
    EXPECT_TRUE(SameRect(bg->rect, {0, 0, 1280, 720}));
    std::set<int> controls;
    for (const auto& row : layout.Rows())
        if (row.windows.front() == 129 && row.control != "-") {
            controls.insert(std::stoi(row.control));
            EXPECT_TRUE(Inside(row.rect, bg->rect)) << row.name;
        }
    std::vector<int> expected = {1000, 1001, 1002, 1003, 1004, 1005, 1010, 1011, 1006, 1007, 1008, 1009, 1012,
                                 1016, 1017, 1013, 1067, 1068, 1069, 1070, 1062, 1014, 1015, 1072, 1026, 1020,
                                 1021, 1022, 1027, 1028, 1023, 1024, 1025, 1042, 1043, 1045, 1048, 1046, 1044,
                                 1071, 1053, 1064, 1065, 1066, 1049, 1050, 1051, 1052, 1055, 1056, 1057, 1058,
                                 1059, 1063, 1074};
    for (int id = 1029; id <= 1041; ++id) expected.push_back(id);
    for (int id : expected) EXPECT_TRUE(controls.count(id)) << "control " << id << " has no image id";

    // The title band and the video pictures' place: 960x540 starting 76 px from the top.
    const auto controlRect = [&](const std::string& name) {
        for (const auto& row : layout.Rows())
            if (row.name == name) return row.rect;
        ADD_FAILURE() << name;
        return Rect{};
    };
    EXPECT_TRUE(SameRect(controlRect("main.title_band"), {0, 0, 1280, 40}));
    EXPECT_TRUE(SameRect(controlRect("main.video_view"), {0, 76, 960, 616}));
    // Map, gauge, graph and list sit beside the video.
    for (int id : {182, 42, 99})
        EXPECT_GE(Row(id).rect.left, 960) << id;
    EXPECT_GE(controlRect("main.list").left, 960);
}

TEST(SkinLayout, EveryDialogHasItsBackgroundAndTheOverlayItsBands)
{
    const auto& layout = TheSkin().layout;
    for (int dialog : {129, 132, 133, 134, 135, 136, 137, 140, 141, 142, 143, 144, 145}) {
        const LayoutRow* bg = layout.Background(dialog);
        ASSERT_NE(bg, nullptr) << dialog;
        EXPECT_TRUE(Inside(bg->rect, {0, 0, 1280, 720})) << dialog;
        int controls = 0;
        for (const auto& row : layout.Rows()) {
            if (std::find(row.windows.begin(), row.windows.end(), dialog) == row.windows.end() || &row == bg) continue;
            ++controls;
            EXPECT_TRUE(Inside(row.rect, {0, 0, bg->rect.Width(), bg->rect.Height()})) << row.name;
        }
        EXPECT_GE(controls, 2) << dialog;
    }
    const LayoutRow* overlay = layout.Background(136);
    for (const auto& row : layout.Rows()) {
        if (row.windows.front() != 136 || row.state == "bg") continue;
        EXPECT_TRUE(row.rect.bottom <= 43 || row.rect.top >= 720 - 72) << row.name << " lies outside the bands";
    }
    EXPECT_EQ(overlay->rect.Width(), 1280);
}

TEST(SkinLayout, TextsOfAWindowNeverOverlap)
{
    const auto& layout = TheSkin().layout;
    std::vector<const LayoutRow*> texts;
    for (const auto& row : layout.Rows())
        if (row.text != "-" && (row.state == "normal" || row.state == "rect")) texts.push_back(&row);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            if (texts[i]->windows.front() != texts[j]->windows.front()) continue;
            EXPECT_FALSE(Overlap(texts[i]->rect, texts[j]->rect)) << texts[i]->name << " / " << texts[j]->name;
        }
    }
}

TEST(SkinLayout, RefusesBrokenTables)
{
    const std::string header = "id\tname\twindow\tcontrol\tleft\ttop\tright\tbottom\tkind\tstate\tart\ttext\tfont\tnotes\n";
    const std::string bg = "1\tw.bg\t7\t-\t0\t0\t100\t100\traw\tbg\tbg:dialog\t-\t-\t-\n";
    CSkinLayout layout;
    std::string error;
    EXPECT_TRUE(layout.Parse(header + bg, error)) << error;
    EXPECT_FALSE(layout.Parse(header + bg + bg, error));
    EXPECT_NE(error.find("twice"), std::string::npos) << error;
    EXPECT_FALSE(layout.Parse(header + "1\tw.bg\t7\t-\t0\t0\t0\t100\traw\tbg\tbg:dialog\t-\t-\t-\n", error));
    EXPECT_NE(error.find("empty rectangle"), std::string::npos) << error;
    EXPECT_FALSE(layout.Parse(header + bg + "2\tw.x\t7\t-\t0\t0\t70000\t10\traw\tnormal\tpanel\t-\t-\t-\n", error));
    EXPECT_FALSE(layout.Parse(header + bg + "2\tw.x\t7\t-\t0\t0\t10\t10\tempty\trect\tpanel\t-\t-\t-\n", error));
    EXPECT_FALSE(layout.Parse(header + bg + "2\tw.x\t7\t-\t0\t0\t10\t10\tjpeg\tnormal\tpanel\t-\t-\t-\n", error));
    EXPECT_NE(error.find("unknown kind"), std::string::npos) << error;
    EXPECT_FALSE(layout.Parse(header + "2\tw.x\t7\t-\t0\t0\t10\t10\traw\tnormal\tpanel\t-\t-\t-\n", error))
        << "a window without a background";
    EXPECT_FALSE(layout.Parse("id\tname\n" + bg, error));
    EXPECT_FALSE(layout.Parse(header + "x\tw.bg\t7\t-\t0\t0\t100\t100\traw\tbg\tbg:dialog\t-\t-\t-\n", error));

    CSkinTexts texts;
    EXPECT_TRUE(texts.Parse("key\tko\ten\tja\na\t가\\n나\tA\tア\n", error)) << error;
    EXPECT_EQ(texts.Get("a", Lang::Ko), "가\n나");
    EXPECT_EQ(texts.Get("a", Lang::Ja), "ア");
    EXPECT_FALSE(texts.Get("b", Lang::En).has_value());
    EXPECT_FALSE(texts.Parse("key\tko\ten\tja\na\t1\t2\n", error));
    EXPECT_FALSE(texts.Parse("key\tko\ten\tja\na\t1\t2\t3\na\t1\t2\t3\n", error));
}

TEST(SkinFile, EveryIdLoadsWithTheRectangleOfTheTable)
{
    ASSERT_TRUE(fs::exists(kBuilt)) << kBuilt;
    const auto& layout = TheSkin().layout;
    zent::QLBMLoader loader;
    const int last = loader.OpenMergeFile(kBuilt.wstring(), 1);
    ASSERT_EQ(last, layout.Rows().back().id);
    std::set<int> listed;
    for (const auto& row : layout.Rows()) {
        listed.insert(row.id);
        int x = -1, y = -1, w = -1, h = -1;
        ASSERT_EQ(loader.GetRect(row.id, &x, &y, &w, &h), 1) << row.id;
        EXPECT_EQ(x, row.rect.left) << row.name;
        EXPECT_EQ(y, row.rect.top) << row.name;
        EXPECT_EQ(w, row.rect.Width()) << row.name;
        EXPECT_EQ(h, row.rect.Height()) << row.name;
        zent::CZuImage image;
        image.Load(&loader, static_cast<unsigned>(row.id));
        if (row.kind == EntryKind::Empty) {
            EXPECT_FALSE(image.IsLoaded()) << row.name;
            int kind = -1, size = -1;
            EXPECT_EQ(loader.GetDataById(row.id, kind, size), nullptr);
            EXPECT_EQ(kind, 0);
            continue;
        }
        ASSERT_TRUE(image.IsLoaded()) << row.name;
        EXPECT_EQ(image.GetWidth(), static_cast<unsigned long>(row.rect.Width())) << row.name;
        EXPECT_EQ(image.GetHeight(), static_cast<unsigned long>(row.rect.Height())) << row.name;
        int kind = 0, size = 0;
        ASSERT_NE(loader.GetDataById(row.id, kind, size), nullptr);
        EXPECT_EQ(kind, row.kind == EntryKind::Raw ? 1 : 2) << row.name;
    }
    // Ids the table leaves out are empty slots.
    for (int id = 0; id <= last; ++id) {
        if (listed.count(id)) continue;
        int kind = -1, size = -1;
        EXPECT_EQ(loader.GetDataById(id, kind, size), nullptr) << id;
        EXPECT_EQ(kind, 0) << id;
    }
}

TEST(SkinFile, PicturesReadBackAsDrawn)
{
    const auto& skin = TheSkin();
    CSkinBuilder builder(skin.layout, skin.texts);
    zent::QLBMLoader loader;
    ASSERT_GE(loader.OpenMergeFile(kBuilt.wstring(), 1), 0);
    // A compressed entry with transparency, an opaque one and an encoded one.
    for (int id : {60, 159, Row(2).id}) {
        std::string error;
        const auto drawn = builder.RenderRow(Row(id), error);
        ASSERT_FALSE(drawn.empty()) << error;
        zent::CZuImage image;
        image.Load(&loader, static_cast<unsigned>(id));
        ASSERT_TRUE(image.IsLoaded());
        std::vector<std::uint32_t> read;
        for (int y = 0; y < static_cast<int>(image.GetHeight()); ++y) {
            const std::uint32_t* line = zent::GetBitmapRow(image.GetHandleBitmap(), y);
            read.insert(read.end(), line, line + image.GetWidth());
        }
        ASSERT_EQ(read.size(), drawn.size());
        // An opaque picture is stored as a PNG without alpha, which the image object widens with
        // a zero top byte; its colours must be exact.
        const std::uint32_t mask = Row(id).kind == EntryKind::Png ? 0x00FFFFFFu : 0xFFFFFFFFu;
        std::size_t differing = 0, first = read.size();
        for (std::size_t i = 0; i < read.size(); ++i)
            if ((read[i] & mask) != (drawn[i] & mask) && differing++ == 0) first = i;
        EXPECT_EQ(differing, 0u) << "id " << id << ", first at " << first << std::hex << ": read "
                                 << (first < read.size() ? read[first] : 0) << ", drawn "
                                 << (first < read.size() ? drawn[first] : 0);
    }
}

TEST(SkinFile, TheBuildIsTheSameByteForByte)
{
    const auto& skin = TheSkin();
    std::vector<std::uint8_t> files[2];
    for (auto& file : files) {
        CSkinBuilder builder(skin.layout, skin.texts);
        CMergeImageWriter writer;
        std::string error;
        ASSERT_TRUE(builder.Fill(writer, error)) << error;
        file = writer.Build();
    }
    EXPECT_EQ(files[0], files[1]);
    // The delivered file is what the tool wrote from the same sources.
    EXPECT_EQ(ReadAll(kBuilt), files[0]);
}
