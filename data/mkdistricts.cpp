// Builds AdminDistrictInfo.dat from the district table: mkdistricts IN.tsv OUT.dat
// Input: UTF-8, tab-separated "code, province, district, longitude, latitude", north to south.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// UTF-8 to UTF-16LE; the table is well-formed UTF-8 (checked here, since a bad byte would
// otherwise end up in every district name).
bool AppendUtf16Le(const std::string& in, std::string& out)
{
    for (std::size_t i = 0; i < in.size();) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        char32_t c;
        int len;
        if (b0 < 0x80) { c = b0; len = 1; }
        else if ((b0 & 0xE0) == 0xC0) { c = b0 & 0x1F; len = 2; }
        else if ((b0 & 0xF0) == 0xE0) { c = b0 & 0x0F; len = 3; }
        else if ((b0 & 0xF8) == 0xF0) { c = b0 & 0x07; len = 4; }
        else return false;
        if (i + len > in.size()) return false;
        for (int k = 1; k < len; ++k) {
            const auto b = static_cast<unsigned char>(in[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            c = (c << 6) | (b & 0x3F);
        }
        i += len;
        auto put = [&](char16_t u) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        };
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

std::vector<std::string> Split(const std::string& line, char sep)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, sep)) fields.push_back(field);
    return fields;
}

// Names are single tokens of the file: every blank inside one (such as "고양시 덕양구") becomes a
// no-break space, which still shows as a space.
const std::string kNoBreakSpace = "\xC2\xA0";

std::string NoBlanks(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c == ' ') out += kNoBreakSpace;
        else out.push_back(c);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mkdistricts IN.tsv OUT.dat\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[1] << ": cannot read\n";
        return 1;
    }
    std::string line;
    std::string body;
    int rows = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto f = Split(line, '\t');
        if (f.size() != 5 || f[0].empty() || f[1].empty() || f[2].empty() || f[3].empty() || f[4].empty()) {
            std::cerr << argv[1] << ": malformed row " << rows + 1 << "\n";
            return 1;
        }
        if (!body.empty()) body += ' ';
        body += f[0] + ' ' + NoBlanks(f[1]) + kNoBreakSpace + NoBlanks(f[2]) + ' ' + f[3] + ' ' + f[4];
        ++rows;
    }
    std::string out("\xFF\xFE", 2);
    if (!AppendUtf16Le(body, out)) {
        std::cerr << argv[1] << ": not UTF-8\n";
        return 1;
    }
    out += std::string("\r\0\n\0", 4);
    std::ofstream o(argv[2], std::ios::binary);
    o.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!o) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    std::printf("%d districts\n", rows);
    return 0;
}
