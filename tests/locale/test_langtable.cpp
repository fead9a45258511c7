// The delivered language table against the program: every text the program can ask for is in
// the built TorvixLangRes.dat, in all three languages, and every text there has a name.

#include "TestSupport.h"
#include "locale/MklangRunner.h"

#include "locale/LangIds.h"
#include "locale/LangRes.h"

#include <zent/platform/Text.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

using testsupport::ReadFile;

namespace fs = std::filesystem;

namespace {

const fs::path kBuiltTable = fs::path(TORVIX_BIN_DIR) / "data" / "TorvixLangRes.dat";
const fs::path kSourceTable = fs::path(TORVIX_SOURCE_DIR) / "data" / "lang" / "strings.tsv";
const fs::path kIdsHeader = fs::path(TORVIX_SOURCE_DIR) / "locale" / "LangIds.h";

using Key = std::pair<int, int>;

std::string KeyText(const Key& k) { return std::to_string(k.first) + "/" + std::to_string(k.second); }

// The named texts of LangIds.h: "LangId kName{group, item}" definitions, and the other names
// the header declares (aliases, lists, helpers) that code may use as lang::kName.
struct IdsHeader {
    std::map<std::string, Key> ids;
    std::set<std::string> names;
};

IdsHeader ParseIdsHeader()
{
    IdsHeader h;
    const std::string text = ReadFile(kIdsHeader);
    const std::regex def(R"(LangId\s+(k\w+)\s*\{\s*(\d+)\s*,\s*(\d+)\s*\})");
    for (std::sregex_iterator it(text.begin(), text.end(), def), end; it != end; ++it) {
        const Key key{std::stoi((*it)[2]), std::stoi((*it)[3])};
        EXPECT_TRUE(h.ids.emplace((*it)[1], key).second) << "defined twice: " << (*it)[1];
    }
    const std::regex any(R"(\b(k[A-Z]\w*)\b)");
    for (std::sregex_iterator it(text.begin(), text.end(), any), end; it != end; ++it) h.names.insert((*it)[1]);
    return h;
}

// The rows of the built file, as the reader splits them, in all three languages.
std::map<Key, std::vector<std::wstring>> ReadBuiltRows()
{
    std::map<Key, std::vector<std::wstring>> rows;
    for (int index : {kLangIndexKorean, kLangIndexEnglish, kLangIndexJapanese}) {
        EXPECT_TRUE(LoadLanguageFileFrom(kBuiltTable, index));
        const std::wstring text = DecodeLanguageFile(ReadFile(kBuiltTable));
        const std::wregex row(LR"((?:^|\n)(\d+)\t(\d+)\t)");
        for (std::wsregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it) {
            const Key key{std::stoi((*it)[1].str()), std::stoi((*it)[2].str())};
            rows[key].push_back(GetLangString(key.first, key.second));
        }
    }
    LoadLanguageText(L"", kLangIndexEnglish);
    return rows;
}

bool IsBlank(const std::wstring& s) { return s.find_first_not_of(L" \n") == std::wstring::npos; }

} // namespace

TEST(LangTable, BuiltFileIsUtf16WithMarkAndFiveFieldsPerLine)
{
    const std::string bytes = ReadFile(kBuiltTable);
    ASSERT_GE(bytes.size(), 4u) << kBuiltTable;
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.size() % 2, 0u);
    const std::wstring text = DecodeLanguageFile(bytes);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    int lines = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find(L"\r\n", pos);
        ASSERT_NE(end, std::wstring::npos);
        const std::wstring line = text.substr(pos, end - pos);
        pos = end + 2;
        EXPECT_EQ(line.find(L'\n'), std::wstring::npos) << "a bare line feed inside a line";
        if (line.starts_with(L"#")) continue;
        EXPECT_EQ(std::count(line.begin(), line.end(), L'\t'), 4) << zent::WideToUtf8(line);
        EXPECT_EQ(line.find(L'`'), std::wstring::npos);
        ++lines;
    }
    EXPECT_GT(lines, 100);
}

TEST(LangTable, BuiltFileIsWhatTheGeneratorMakesOfTheSource)
{
    testsupport::TempDir dir;
    const langtest::RunResult r = langtest::RunMklang(kSourceTable, dir / "again.dat");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(ReadFile(dir / "again.dat"), ReadFile(kBuiltTable)) << "the build's table is stale or not reproducible";
}

TEST(LangTable, EveryNamedTextExistsInEveryLanguage)
{
    const IdsHeader header = ParseIdsHeader();
    ASSERT_GT(header.ids.size(), 100u);
    const auto rows = ReadBuiltRows();

    std::map<Key, std::string> byKey;
    for (const auto& [name, key] : header.ids) {
        const auto [it, fresh] = byKey.emplace(key, name);
        EXPECT_TRUE(fresh) << name << " and " << it->second << " share " << KeyText(key);
        const auto row = rows.find(key);
        if (row == rows.end()) {
            ADD_FAILURE() << name << " (" << KeyText(key) << ") is not in the table";
            continue;
        }
        ASSERT_EQ(row->second.size(), 3u);
        for (int lang = 0; lang < 3; ++lang)
            EXPECT_FALSE(IsBlank(row->second[static_cast<std::size_t>(lang)]))
                << name << " (" << KeyText(key) << ") is blank in language " << lang;
    }
    // And the other way: a text without a name is one the program can never ask for.
    for (const auto& [key, texts] : rows)
        EXPECT_TRUE(byKey.count(key)) << KeyText(key) << " has no name in LangIds.h";
}

TEST(LangTable, TheCitedNumbersKeepTheirMeaning)
{
    // The numbers that the windows use by number; a renumbering would show the wrong message.
    EXPECT_EQ(lang::kMsgNotPlayable, (lang::LangId{0, 13}));
    EXPECT_EQ(lang::kPlayerNoFile, (lang::LangId{0, 21}));
    EXPECT_EQ(lang::kMsgPlayFirst, (lang::LangId{0, 44}));
    EXPECT_EQ(lang::kBrowseFolderTitle, (lang::LangId{0, 81}));
    EXPECT_EQ(lang::kSavePathTooLong, (lang::LangId{25, 14}));
    EXPECT_EQ(lang::kFormatNoDrive, (lang::LangId{15, 5}));
    EXPECT_EQ(lang::kUpdateDownloadFailed, (lang::LangId{16, 11}));
    EXPECT_EQ(lang::kPlayerModelCaption, (lang::LangId{19, 2}));
    EXPECT_EQ(lang::kPlayerFirmwareCaption, (lang::LangId{19, 3}));
    EXPECT_NE(lang::kMsgFirmwareCurrent, lang::kPlayerNoFile);

    ASSERT_TRUE(LoadLanguageFileFrom(kBuiltTable, kLangIndexEnglish));
    // Texts the windows show as they stand.
    EXPECT_EQ(GetLangString(lang::kCategoryCamcoder), L"Camcoder");
    EXPECT_EQ(GetLangString(lang::kCategoryAiEvent), L"Ai Event");
    // Line breaks arrive as line feeds; placeholders survive for FormatLangString.
    EXPECT_NE(GetLangString(lang::kPlayerNoFile).find(L'\n'), std::wstring::npos);
    EXPECT_EQ(FormatLangString(lang::kUpdateNewVersion, L"5.6.3"), L"Version 5.6.3 is available.");
    for (int index : {kLangIndexKorean, kLangIndexJapanese, kLangIndexDutch}) {
        ASSERT_TRUE(LoadLanguageFileFrom(kBuiltTable, index));
        EXPECT_NE(FormatLangString(lang::kUpdateNewVersion, L"5.6.3").find(L"5.6.3"), std::wstring::npos);
        EXPECT_NE(FormatLangString(lang::kConfigPlayerVersion, L"5.6.3").find(L"5.6.3"), std::wstring::npos);
    }
    // The Dutch setting shows the Korean texts.
    EXPECT_EQ(GetLangString(lang::kCaptureSave), L"저장");
    LoadLanguageText(L"", kLangIndexEnglish);
}

TEST(LangTable, ListsAndTooltipsAreComplete)
{
    std::set<int> controls;
    for (const lang::ControlText& tip : lang::kPlayerTooltips) EXPECT_TRUE(controls.insert(tip.controlId).second);
    EXPECT_EQ(controls.size(), 19u);
    std::set<std::pair<int, int>> categories;
    for (const lang::LangId id : lang::kCategoryTexts) categories.insert({id.group, id.item});
    EXPECT_EQ(categories.size(), 9u);
    EXPECT_EQ(lang::kConfigLanguageList[1], lang::kConfigLangDutch); // list position 1 is index 3
}

// Every text the program's code asks for, by number or by name, is in the table.
TEST(LangTable, SourceTreeAsksOnlyForTextsTheTableHas)
{
    const IdsHeader header = ParseIdsHeader();
    ASSERT_TRUE(LoadLanguageFileFrom(kBuiltTable, kLangIndexEnglish));
    const std::regex literal(R"(GetLangString\s*\(\s*(\d+)\s*,\s*(\d+)\s*\))");
    const std::regex named(R"(\blang::(k\w+))");

    int files = 0;
    int asks = 0;
    for (const char* folder : {"app", "engine", "locale", "map", "widgets", "tools", "lib", "cli", "recording", "diag"}) {
        const fs::path root = fs::path(TORVIX_SOURCE_DIR) / folder;
        if (!fs::is_directory(root)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".hpp" && ext != ".cc")) continue;
            const std::string text = ReadFile(entry.path());
            ++files;
            for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
                ++asks;
                const lang::LangId id{static_cast<std::uint16_t>(std::stoi((*it)[1])),
                                      static_cast<std::uint16_t>(std::stoi((*it)[2]))};
                EXPECT_TRUE(HasLangString(id)) << entry.path() << " asks for " << id.group << "/" << id.item;
            }
            for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it) {
                ++asks;
                const std::string name = (*it)[1];
                EXPECT_TRUE(header.names.count(name)) << entry.path() << " uses lang::" << name
                                                      << ", which LangIds.h does not declare";
                if (const auto id = header.ids.find(name); id != header.ids.end()) {
                    EXPECT_TRUE(HasLangString(lang::LangId{static_cast<std::uint16_t>(id->second.first),
                                                           static_cast<std::uint16_t>(id->second.second)}))
                        << entry.path() << " uses lang::" << name;
                }
            }
        }
    }
    EXPECT_GT(files, 0);
    RecordProperty("asks", asks);
    LoadLanguageText(L"", kLangIndexEnglish);
}
