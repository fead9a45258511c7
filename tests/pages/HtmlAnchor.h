#pragma once

// Finds the first anchor of an HTML document the way a browser's tokenizer meets it: comments and
// the raw text of script, style, title and textarea elements hold no tags, tag and attribute names
// ignore case, attribute values may be double-quoted, single-quoted or bare.

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace pagetest {

inline std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Replaces the character references a link may hold (&amp; and friends).
inline std::string DecodeEntities(const std::string& s)
{
    static const std::pair<const char*, const char*> table[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&apos;", "'"}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool replaced = false;
        for (const auto& [from, to] : table) {
            const std::string f = from;
            if (s.compare(i, f.size(), f) == 0) {
                out += to;
                i += f.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += s[i++];
    }
    return out;
}

struct Anchor {
    bool hasHref = false;
    std::string href;
};

// The first <a> element of the document, or nothing when there is none.
inline std::optional<Anchor> FirstAnchor(const std::string& html)
{
    size_t i = 0;
    const size_t n = html.size();
    while (i < n) {
        const size_t lt = html.find('<', i);
        if (lt == std::string::npos) return std::nullopt;
        if (html.compare(lt, 4, "<!--") == 0) {
            const size_t end = html.find("-->", lt + 4);
            if (end == std::string::npos) return std::nullopt;
            i = end + 3;
            continue;
        }
        if (lt + 1 < n && (html[lt + 1] == '!' || html[lt + 1] == '?' || html[lt + 1] == '/')) {
            const size_t end = html.find('>', lt + 1);
            if (end == std::string::npos) return std::nullopt;
            i = end + 1;
            continue;
        }
        size_t p = lt + 1;
        size_t nameEnd = p;
        while (nameEnd < n && (std::isalnum(static_cast<unsigned char>(html[nameEnd])) || html[nameEnd] == '-')) ++nameEnd;
        if (nameEnd == p) {
            i = p; // a lone "<" in text
            continue;
        }
        const std::string name = Lower(html.substr(p, nameEnd - p));
        // Attributes up to the end of the tag, honouring quotes.
        Anchor anchor;
        p = nameEnd;
        while (p < n && html[p] != '>') {
            while (p < n && (std::isspace(static_cast<unsigned char>(html[p])) || html[p] == '/')) ++p;
            if (p >= n || html[p] == '>') break;
            size_t attrEnd = p;
            while (attrEnd < n && !std::isspace(static_cast<unsigned char>(html[attrEnd])) && html[attrEnd] != '=' &&
                   html[attrEnd] != '>' && html[attrEnd] != '/')
                ++attrEnd;
            const std::string attr = Lower(html.substr(p, attrEnd - p));
            p = attrEnd;
            while (p < n && std::isspace(static_cast<unsigned char>(html[p]))) ++p;
            std::string value;
            if (p < n && html[p] == '=') {
                ++p;
                while (p < n && std::isspace(static_cast<unsigned char>(html[p]))) ++p;
                if (p < n && (html[p] == '"' || html[p] == '\'')) {
                    const char quote = html[p];
                    const size_t close = html.find(quote, p + 1);
                    if (close == std::string::npos) return std::nullopt;
                    value = html.substr(p + 1, close - p - 1);
                    p = close + 1;
                } else {
                    const size_t start = p;
                    while (p < n && !std::isspace(static_cast<unsigned char>(html[p])) && html[p] != '>') ++p;
                    value = html.substr(start, p - start);
                }
            }
            if (name == "a" && attr == "href" && !anchor.hasHref) {
                anchor.hasHref = true;
                anchor.href = DecodeEntities(value);
            }
        }
        if (name == "a") return anchor;
        i = p < n ? p + 1 : n;
        if (name == "script" || name == "style" || name == "title" || name == "textarea") {
            const std::string lowerRest = Lower(html.substr(i));
            const size_t close = lowerRest.find("</" + name);
            if (close == std::string::npos) return std::nullopt;
            i += close;
        }
    }
    return std::nullopt;
}

} // namespace pagetest
