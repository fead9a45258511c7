// Builds TorvixLangRes.dat from the language table: mklang IN.tsv OUT.dat
//
// Input: UTF-8, first line the header "group item ko en ja note" (tab-separated), then one
// text per line in ascending (group, item) order; "#" lines are comments, empty lines are
// allowed. "\n" (backslash, n) in a text stands for a line break and is copied as it stands.
//
// Output: UTF-16LE with a byte-order mark, one line per text, "group<TAB>item<TAB>ko<TAB>en<TAB>ja"
// ended by CR LF, after one leading "#" comment line. The same input gives the same bytes.
//
// Exit status: 0 written, 1 the input is bad or a file cannot be read or written (one line on
// standard error per fault, "FILE:LINE: reason"), 2 wrong usage. Nothing is left at OUT on failure.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kHeader = "group\titem\tko\ten\tja\tnote";
constexpr const char* kLanguages[] = {"ko", "en", "ja"};
// A text longer than this is a mistake in the table (no control shows that much).
constexpr std::size_t kMaxTextBytes = 2000;

// Strict UTF-8 to UTF-16LE: overlong forms, surrogates and values above U+10FFFF are refused,
// since they would reach the interface as replacement characters.
bool AppendUtf16Le(const std::string& in, std::string& out)
{
    auto put = [&](char16_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    for (std::size_t i = 0; i < in.size();) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        char32_t c;
        std::size_t len;
        char32_t min;
        if (b0 < 0x80) { c = b0; len = 1; min = 0; }
        else if ((b0 & 0xE0) == 0xC0) { c = b0 & 0x1F; len = 2; min = 0x80; }
        else if ((b0 & 0xF0) == 0xE0) { c = b0 & 0x0F; len = 3; min = 0x800; }
        else if ((b0 & 0xF8) == 0xF0) { c = b0 & 0x07; len = 4; min = 0x10000; }
        else return false;
        if (i + len > in.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto b = static_cast<unsigned char>(in[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            c = (c << 6) | (b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += len;
        if (c >= 0x10000) {
            c -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (c >> 10)));
            put(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            put(static_cast<char16_t>(c));
        }
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

// A group or item number: decimal digits only, 0..65535 (the reader keeps 16 bits of each).
bool ParseId(const std::string& text, unsigned& value)
{
    if (text.empty() || text.size() > 5) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 0xFFFF;
}

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

struct Entry {
    unsigned group = 0;
    unsigned item = 0;
    std::string texts[3];
    int line = 0;
};

class Checker {
public:
    explicit Checker(std::string file) : m_file(std::move(file)) {}

    void Fail(int line, const std::string& reason)
    {
        std::cerr << m_file << ':' << line << ": " << reason << '\n';
        ++m_errors;
    }
    int Errors() const { return m_errors; }

private:
    std::string m_file;
    int m_errors = 0;
};

// Reads and checks the whole table; every fault is reported, not only the first.
bool ReadTable(const std::string& path, std::vector<Entry>& entries)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot read\n";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Checker check(path);

    std::map<unsigned long, int> firstLine;
    std::size_t pos = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    int lineNo = 0;
    bool sawHeader = false;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        std::string unused;
        if (!AppendUtf16Le(line, unused)) {
            check.Fail(lineNo, "invalid UTF-8");
            continue;
        }
        if (!sawHeader) {
            sawHeader = true;
            if (line != kHeader) check.Fail(lineNo, "the first line must be the header \"group<TAB>item<TAB>ko<TAB>en<TAB>ja<TAB>note\"");
            continue;
        }
        if (line.empty() || line[0] == '#') continue;

        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() != 5 && fields.size() != 6) {
            check.Fail(lineNo, "wrong field count " + std::to_string(fields.size()) +
                                   " (want group, item, ko, en, ja and an optional note; a tab inside a text?)");
            continue;
        }
        Entry e;
        e.line = lineNo;
        bool ok = true;
        if (!ParseId(fields[0], e.group)) {
            check.Fail(lineNo, "group \"" + fields[0] + "\" is not a decimal number 0..65535");
            ok = false;
        }
        if (!ParseId(fields[1], e.item)) {
            check.Fail(lineNo, "item \"" + fields[1] + "\" is not a decimal number 0..65535");
            ok = false;
        }
        for (int k = 0; k < 3; ++k) {
            const std::string& text = fields[2 + static_cast<std::size_t>(k)];
            const std::string lang = kLanguages[k];
            if (IsBlank(text)) {
                check.Fail(lineNo, "empty " + lang + " text");
                ok = false;
            } else if (text.find('`') != std::string::npos) {
                // The reader splits lines at backquotes as well as at tabs.
                check.Fail(lineNo, lang + " text holds a backquote, which the reader takes as a field separator");
                ok = false;
            } else if (text.find('\r') != std::string::npos) {
                check.Fail(lineNo, lang + " text holds a carriage return");
                ok = false;
            } else if (text.size() > kMaxTextBytes) {
                check.Fail(lineNo, lang + " text is longer than " + std::to_string(kMaxTextBytes) + " bytes");
                ok = false;
            }
            e.texts[k] = text;
        }
        if (!ok) continue;

        const unsigned long key = (static_cast<unsigned long>(e.group) << 16) | e.item;
        const std::string id = std::to_string(e.group) + "/" + std::to_string(e.item);
        if (auto it = firstLine.find(key); it != firstLine.end()) {
            check.Fail(lineNo, "duplicate key " + id + " (first on line " + std::to_string(it->second) + ")");
            continue;
        }
        if (!entries.empty()) {
            const Entry& prev = entries.back();
            if (((static_cast<unsigned long>(prev.group) << 16) | prev.item) > key)
                check.Fail(lineNo, "key " + id + " is out of order (the table is sorted by group, then item)");
        }
        firstLine.emplace(key, lineNo);
        entries.push_back(std::move(e));
    }
    if (!sawHeader) check.Fail(1, "empty file (the header line is missing)");
    else if (entries.empty() && check.Errors() == 0) check.Fail(lineNo, "no texts");
    return check.Errors() == 0;
}

std::string Encode(const std::vector<Entry>& entries)
{
    std::string out = "\xFF\xFE";
    auto line = [&](const std::string& utf8) {
        AppendUtf16Le(utf8, out);
        AppendUtf16Le("\r\n", out);
    };
    line("# TorvixLangRes.dat: group, item, Korean, English, Japanese (generated from strings.tsv)");
    for (const Entry& e : entries) {
        line(std::to_string(e.group) + '\t' + std::to_string(e.item) + '\t' + e.texts[0] + '\t' + e.texts[1] +
             '\t' + e.texts[2]);
    }
    return out;
}

// Writes beside the target and renames, so a reader never sees half a file.
bool WriteAtomically(const std::filesystem::path& target, const std::string& bytes)
{
    std::filesystem::path tmp = target;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, target, ec);
    if (!ec) return true;
    std::filesystem::remove(tmp, ec);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mklang IN.tsv OUT.dat\n";
        return 2;
    }
    std::vector<Entry> entries;
    if (!ReadTable(argv[1], entries)) {
        std::error_code ec;
        std::filesystem::remove(argv[2], ec);
        return 1;
    }
    if (!WriteAtomically(argv[2], Encode(entries))) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
