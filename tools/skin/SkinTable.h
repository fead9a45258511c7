#pragma once

// The skin's readable sources: the layout table (one row per image id: its window, rectangle,
// entry kind, state and drawing recipe) and the table of texts the skin draws in three languages.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace torvix::skin {

enum class EntryKind { Raw, Png, Empty };

// The languages whose texts the skin draws, in the order of the language index (0, 1, 2).
enum class Lang { Ko = 0, En = 1, Ja = 2 };
std::optional<Lang> ParseLang(const std::string& text);
const char* LangCode(Lang lang);

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct LayoutRow {
    int id = 0;
    std::string name;
    std::vector<int> windows;  // the first owns the row; others show the same image (shared rows)
    std::string control;       // dialog item id or "-"
    Rect rect;
    EntryKind kind = EntryKind::Raw;
    std::string state;  // bg, normal, rect, or an alternative state that previews leave out
    std::string art;    // drawing recipe, "-" for rectangle-only rows
    std::string text;   // key into the text table, "-" for none
    std::string font;   // preview text style: size, alignment (l/c/r) and flags, "-" for none
    std::string notes;
    int line = 0;  // line in the table file, for messages
};

class CSkinTexts {
public:
    // Key -> texts in the three languages; "\n" (two characters) becomes a line break. An optional
    // fifth column names the (group:item) of the player's language table that the preview shows
    // for the key instead, once that table is loaded.
    bool Load(const std::filesystem::path& path, std::string& error);
    bool Parse(const std::string& content, std::string& error);
    // The player's language table (group, item, ko, en, ja, note). Only previews use it: the
    // pictures themselves never depend on it.
    bool LoadLanguageTable(const std::filesystem::path& path, std::string& error);
    bool ParseLanguageTable(const std::string& content, std::string& error);

    // The skin's own text of a key, or nullopt when the key is unknown.
    std::optional<std::string> Get(const std::string& key, Lang lang) const;
    // The text a preview shows: the language table's when the key names an entry it holds, else
    // the skin's own.
    std::optional<std::string> GetShown(const std::string& key, Lang lang) const;
    std::size_t Size() const { return m_mapTexts.size(); }
    std::size_t LanguageTableSize() const { return m_mapLanguage.size(); }

private:
    struct Entry {
        std::array<std::string, 3> m_arrText;
        std::optional<std::uint32_t> m_nLangKey;  // group * 65536 + item
    };
    std::map<std::string, Entry> m_mapTexts;
    std::map<std::uint32_t, std::array<std::string, 3>> m_mapLanguage;
};

class CSkinLayout {
public:
    bool Load(const std::filesystem::path& path, std::string& error);
    // Checks every row: unique ids in the format's range, rectangles that fit its 16-bit fields,
    // known kinds, a recipe for every row that holds a picture and none for empty rows, and one
    // background per window.
    bool Parse(const std::string& content, std::string& error);

    const std::vector<LayoutRow>& Rows() const { return m_vecRows; }
    const LayoutRow* Find(int id) const;
    // Windows in ascending dialog id order.
    std::vector<int> Windows() const;
    // The background row of a window, or null.
    const LayoutRow* Background(int window) const;

private:
    std::vector<LayoutRow> m_vecRows;
};

// Splits one line at tabs.
std::vector<std::string> SplitTabs(const std::string& line);

} // namespace torvix::skin
