#include "locale/LangRes.h"

#include "locale/Settings.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* kLanguageFileName = "TorvixLangRes.dat";
// The delivered file is a few tens of kilobytes; anything near this is not a language file.
constexpr std::uintmax_t kMaxFileBytes = 16u * 1024 * 1024;

// The language table of the process. Written only by the loaders; see the note in the header.
struct LangTable {
    std::shared_mutex lock;
    std::unordered_map<std::uint32_t, std::wstring> texts; // guarded by lock
};

LangTable& Table()
{
    static LangTable table;
    return table;
}

std::uint32_t MakeKey(int group, int item)
{
    return (static_cast<std::uint32_t>(group) & 0xFFFFu) << 16 | (static_cast<std::uint32_t>(item) & 0xFFFFu);
}

// A number field read as the original's integer conversion reads it: leading blanks, an
// optional sign, then decimal digits up to the first other character; no digits give 0, and
// values beyond the 32-bit range stop at its ends.
int ParseNumber(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// One line of the file as the loader reads it: tabs become backquotes, the two characters
// backslash-n become a line feed, then the line is split at backquotes.
std::vector<std::wstring> SplitLine(std::wstring line)
{
    for (wchar_t& c : line)
        if (c == L'\t') c = L'`';
    std::wstring expanded;
    expanded.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == L'\\' && i + 1 < line.size() && line[i + 1] == L'n') {
            expanded.push_back(L'\n');
            ++i;
        } else {
            expanded.push_back(line[i]);
        }
    }
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t sep = expanded.find(L'`', start);
        fields.emplace_back(expanded.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start));
        if (sep == std::wstring::npos) break;
        start = sep + 1;
    }
    return fields;
}

std::unordered_map<std::uint32_t, std::wstring> ParseTable(std::wstring_view text, int index)
{
    std::unordered_map<std::uint32_t, std::wstring> texts;
    const auto field = static_cast<std::size_t>(LanguageTextField(index));
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L'\n', pos);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view line = text.substr(pos, end - pos);
        pos = end + 1;
        // Text mode: a CR LF line end reads as LF.
        if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == L'#') continue;

        std::vector<std::wstring> fields = SplitLine(std::wstring(line));
        if (fields.size() < 3) continue;
        const std::uint32_t key = MakeKey(ParseNumber(fields[0]), ParseNumber(fields[1]));
        // A line too short for the chosen language gives the last text it has (Japanese falls
        // back to English, English to Korean) rather than failing the whole load.
        std::wstring& chosen = field < fields.size() ? fields[field] : fields.back();
        texts.insert_or_assign(key, std::move(chosen));
    }
    return texts;
}

void Replace(std::unordered_map<std::uint32_t, std::wstring> texts)
{
    LangTable& table = Table();
    std::unique_lock guard(table.lock);
    table.texts = std::move(texts);
}

} // namespace

int LanguageIndexFromId(std::uint32_t languageId)
{
    switch (languageId) {
    case settings::kLangKorean: return kLangIndexKorean;
    case settings::kLangEnglish: return kLangIndexEnglish;
    case settings::kLangJapanese: return kLangIndexJapanese;
    case settings::kLangDutch: return kLangIndexDutch;
    default: return kLangIndexEnglish;
    }
}

std::uint32_t LanguageIdFromIndex(int index)
{
    switch (index) {
    case kLangIndexKorean: return settings::kLangKorean;
    case kLangIndexJapanese: return settings::kLangJapanese;
    case kLangIndexDutch: return settings::kLangDutch;
    default: return settings::kLangEnglish;
    }
}

int GetLanguageIndex() { return LanguageIndexFromId(GetLanguageId()); }

int LanguageTextField(int index)
{
    switch (index) {
    case kLangIndexKorean:
    case kLangIndexDutch: return 2;
    case kLangIndexJapanese: return 4;
    default: return 3;
    }
}

std::wstring DecodeLanguageFile(std::string_view bytes)
{
    auto utf16 = [](std::string_view b, bool bigEndian) {
        std::u16string units;
        units.reserve(b.size() / 2);
        for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(b[i + (bigEndian ? 1 : 0)]);
            const auto hi = static_cast<unsigned char>(b[i + (bigEndian ? 0 : 1)]);
            units.push_back(static_cast<char16_t>(hi << 8 | lo));
        }
        return zent::Utf16ToWide(units);
    };
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return utf16(bytes.substr(2), false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return utf16(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return zent::Utf8ToWide(bytes.substr(3));
    return zent::Utf8ToWide(bytes);
}

void LoadLanguageText(std::wstring_view text, int index) { Replace(ParseTable(text, index)); }

bool LoadLanguageFileFrom(const std::filesystem::path& file, int index)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (ec || !in || size > kMaxFileBytes) {
        Replace({});
        if (zent::IsTraceEnabled())
            zent::TraceWrite("LoadLanguageFile - cannot read " + file.string() + "; every text shows as a blank\n");
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LoadLanguageText(DecodeLanguageFile(bytes), index);
    return true;
}

bool LoadLanguageFile(int index) { return LoadLanguageFileFrom(zent::FindDataFile(kLanguageFileName), index); }

std::wstring GetLangString(int group, int item)
{
    LangTable& table = Table();
    std::shared_lock guard(table.lock);
    const auto it = table.texts.find(MakeKey(group, item));
    return it == table.texts.end() ? std::wstring(L" ") : it->second;
}

std::wstring GetLangString(lang::LangId id) { return GetLangString(id.group, id.item); }

bool HasLangString(lang::LangId id)
{
    LangTable& table = Table();
    std::shared_lock guard(table.lock);
    return table.texts.count(MakeKey(id.group, id.item)) != 0;
}

std::size_t GetLangStringCount()
{
    LangTable& table = Table();
    std::shared_lock guard(table.lock);
    return table.texts.size();
}

std::wstring FormatLangString(lang::LangId id, std::wstring_view arg)
{
    std::wstring text = GetLangString(id);
    const std::size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, arg);
    return text;
}
