#include "tools/skin/SkinTable.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <set>
#include <sstream>

namespace torvix::skin {

namespace {

bool ReadFile(const std::filesystem::path& path, std::string& content, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.string();
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    content = text.str();
    return true;
}

bool ParseInt(const std::string& text, int& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// Calls f(lineNumber, fields) for every line that is neither empty nor a comment.
template <typename F> bool ForEachRecord(const std::string& content, F&& f)
{
    std::istringstream in(content);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (!f(number, SplitTabs(line))) return false;
    }
    return true;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::optional<Lang> ParseLang(const std::string& text)
{
    if (text == "ko") return Lang::Ko;
    if (text == "en") return Lang::En;
    if (text == "ja") return Lang::Ja;
    return std::nullopt;
}

const char* LangCode(Lang lang)
{
    switch (lang) {
    case Lang::Ko: return "ko";
    case Lang::En: return "en";
    case Lang::Ja: return "ja";
    }
    return "en";
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

bool CSkinTexts::Load(const std::filesystem::path& path, std::string& error)
{
    std::string content;
    return ReadFile(path, content, error) && Parse(content, error);
}

bool CSkinTexts::Parse(const std::string& content, std::string& error)
{
    m_mapTexts.clear();
    std::size_t columns = 0;
    return ForEachRecord(content, [&](int line, const std::vector<std::string>& f) {
        const auto fail = [&](const std::string& what) {
            error = "texts: line " + std::to_string(line) + ": " + what;
            return false;
        };
        if (columns == 0) {
            const bool plain = f == std::vector<std::string>{"key", "ko", "en", "ja"};
            const bool linked = f == std::vector<std::string>{"key", "ko", "en", "ja", "lang"};
            if (!plain && !linked) return fail("expected the header key, ko, en, ja[, lang]");
            columns = f.size();
            return true;
        }
        if (f.size() != columns || f[0].empty()) return fail("expected " + std::to_string(columns) + " fields");
        Entry entry{{Unescape(f[1]), Unescape(f[2]), Unescape(f[3])}, std::nullopt};
        if (columns == 5 && f[4] != "-") {
            const std::size_t colon = f[4].find(':');
            int group = 0, item = 0;
            if (colon == std::string::npos || !ParseInt(f[4].substr(0, colon), group) ||
                !ParseInt(f[4].substr(colon + 1), item) || group < 0 || group > 0xFFFF || item < 0 || item > 0xFFFF)
                return fail("bad language table reference " + f[4]);
            entry.m_nLangKey = static_cast<std::uint32_t>(group) * 65536u + static_cast<std::uint32_t>(item);
        }
        if (!m_mapTexts.emplace(f[0], std::move(entry)).second) return fail("key " + f[0] + " appears twice");
        return true;
    });
}

bool CSkinTexts::LoadLanguageTable(const std::filesystem::path& path, std::string& error)
{
    std::string content;
    return ReadFile(path, content, error) && ParseLanguageTable(content, error);
}

bool CSkinTexts::ParseLanguageTable(const std::string& content, std::string& error)
{
    m_mapLanguage.clear();
    bool header = true;
    return ForEachRecord(content, [&](int line, const std::vector<std::string>& f) {
        if (header) {
            header = false;
            if (f.size() >= 5 && f[0] == "group" && f[1] == "item" && f[2] == "ko" && f[3] == "en" && f[4] == "ja")
                return true;
            error = "language table: line " + std::to_string(line) + ": expected the header group, item, ko, en, ja";
            return false;
        }
        int group = 0, item = 0;
        if (f.size() < 5 || !ParseInt(f[0], group) || !ParseInt(f[1], item) || group < 0 || item < 0) {
            error = "language table: line " + std::to_string(line) + ": expected group, item and three texts";
            return false;
        }
        // A later line replaces an earlier one, as in the player.
        m_mapLanguage[(static_cast<std::uint32_t>(group) & 0xFFFFu) * 65536u + (static_cast<std::uint32_t>(item) & 0xFFFFu)] =
            {Unescape(f[2]), Unescape(f[3]), Unescape(f[4])};
        return true;
    });
}

std::optional<std::string> CSkinTexts::Get(const std::string& key, Lang lang) const
{
    const auto it = m_mapTexts.find(key);
    if (it == m_mapTexts.end()) return std::nullopt;
    return it->second.m_arrText[static_cast<std::size_t>(lang)];
}

std::optional<std::string> CSkinTexts::GetShown(const std::string& key, Lang lang) const
{
    const auto it = m_mapTexts.find(key);
    if (it == m_mapTexts.end()) return std::nullopt;
    if (it->second.m_nLangKey) {
        const auto found = m_mapLanguage.find(*it->second.m_nLangKey);
        if (found != m_mapLanguage.end()) return found->second[static_cast<std::size_t>(lang)];
    }
    return it->second.m_arrText[static_cast<std::size_t>(lang)];
}

bool CSkinLayout::Load(const std::filesystem::path& path, std::string& error)
{
    std::string content;
    return ReadFile(path, content, error) && Parse(content, error);
}

bool CSkinLayout::Parse(const std::string& content, std::string& error)
{
    static const std::vector<std::string> kHeader = {"id",    "name",  "window", "control", "left", "top", "right",
                                                     "bottom", "kind", "state",  "art",     "text", "font", "notes"};
    m_vecRows.clear();
    bool header = true;
    std::set<int> ids;
    const bool parsed = ForEachRecord(content, [&](int line, const std::vector<std::string>& f) {
        const auto fail = [&](const std::string& what) {
            error = "layout: line " + std::to_string(line) + ": " + what;
            return false;
        };
        if (header) {
            header = false;
            return f == kHeader ? true : fail("expected the header " + std::to_string(kHeader.size()) + " columns");
        }
        if (f.size() != kHeader.size()) return fail("expected " + std::to_string(kHeader.size()) + " fields");
        LayoutRow row;
        row.line = line;
        if (!ParseInt(f[0], row.id) || row.id < 0 || row.id > 0xFFFF) return fail("bad id " + f[0]);
        if (!ids.insert(row.id).second) return fail("id " + f[0] + " appears twice");
        row.name = f[1];
        std::size_t start = 0;
        while (start <= f[2].size()) {
            const std::size_t plus = f[2].find('+', start);
            const std::string part = f[2].substr(start, plus == std::string::npos ? std::string::npos : plus - start);
            int window = 0;
            if (!ParseInt(part, window) || window <= 0) return fail("bad window " + f[2]);
            row.windows.push_back(window);
            if (plus == std::string::npos) break;
            start = plus + 1;
        }
        row.control = f[3];
        int* edges[] = {&row.rect.left, &row.rect.top, &row.rect.right, &row.rect.bottom};
        for (int i = 0; i < 4; ++i)
            if (!ParseInt(f[4 + i], *edges[i]) || *edges[i] < 0 || *edges[i] > 0xFFFF)
                return fail("bad rectangle edge " + f[4 + i]);
        if (row.rect.Width() <= 0 || row.rect.Height() <= 0) return fail("empty rectangle");
        if (f[8] == "raw")
            row.kind = EntryKind::Raw;
        else if (f[8] == "png")
            row.kind = EntryKind::Png;
        else if (f[8] == "empty")
            row.kind = EntryKind::Empty;
        else
            return fail("unknown kind " + f[8]);
        row.state = f[9];
        row.art = f[10];
        row.text = f[11];
        row.font = f[12];
        row.notes = f[13];
        if (row.state.empty()) return fail("empty state");
        if ((row.kind == EntryKind::Empty) != (row.art == "-"))
            return fail("an empty row has no recipe and a picture row needs one");
        if ((row.text == "-") != (row.font == "-")) return fail("text and font go together");
        m_vecRows.push_back(std::move(row));
        return true;
    });
    if (!parsed) return false;
    if (m_vecRows.empty()) {
        error = "layout: no rows";
        return false;
    }
    std::sort(m_vecRows.begin(), m_vecRows.end(), [](const LayoutRow& a, const LayoutRow& b) { return a.id < b.id; });
    for (int window : Windows()) {
        int backgrounds = 0;
        for (const auto& row : m_vecRows)
            if (row.windows.front() == window && row.state == "bg") ++backgrounds;
        if (backgrounds != 1) {
            error = "layout: window " + std::to_string(window) + " has " + std::to_string(backgrounds) +
                    " background rows, expected 1";
            return false;
        }
    }
    return true;
}

const LayoutRow* CSkinLayout::Find(int id) const
{
    const auto it = std::lower_bound(m_vecRows.begin(), m_vecRows.end(), id,
                                     [](const LayoutRow& row, int value) { return row.id < value; });
    return it != m_vecRows.end() && it->id == id ? &*it : nullptr;
}

std::vector<int> CSkinLayout::Windows() const
{
    std::set<int> windows;
    for (const auto& row : m_vecRows)
        for (int window : row.windows) windows.insert(window);
    return {windows.begin(), windows.end()};
}

const LayoutRow* CSkinLayout::Background(int window) const
{
    for (const auto& row : m_vecRows)
        if (row.windows.front() == window && row.state == "bg") return &row;
    return nullptr;
}

} // namespace torvix::skin
