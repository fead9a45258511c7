#include "recording/AdminDistrict.h"

#include "diag/Trace.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t kMaxNameLength = 33;

long long ParseInteger(std::wstring_view token)
{
    // Leading sign and digits, as an integer conversion would read them; junk after stops it.
    std::wstring t(token);
    wchar_t* end = nullptr;
    const long long v = std::wcstoll(t.c_str(), &end, 10);
    return v;
}

double ParseDecimal(std::wstring_view token)
{
    const std::string t = zent::WideToUtf8(token);
    char* end = nullptr;
    // The C locale is in force for this program's number parsing.
    const double v = std::strtod(t.c_str(), &end);
    return end == t.c_str() ? 0.0 : v;
}

// Latitude band: hundredths of a degree, truncated.
int BandOf(double latitude) { return static_cast<int>(latitude * 100.0); }

bool IsPlaceable(double latitude, double longitude)
{
    // Beyond these a position is not a position, and the band arithmetic would overflow.
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= 0.0 && longitude >= 0.0 &&
           latitude <= 90.0 && longitude <= 180.0;
}

} // namespace

bool ReadUnicodeTextFile(const std::filesystem::path& file, std::wstring& text)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u8 = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && (( u8(0) == 0xFF && u8(1) == 0xFE) || (u8(0) == 0xFE && u8(1) == 0xFF))) {
        const bool little = u8(0) == 0xFF;
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(little ? (u8(i) | (u8(i + 1) << 8)) : ((u8(i) << 8) | u8(i + 1))));
        text = zent::Utf16ToWide(units);
        return true;
    }
    std::string_view body(bytes);
    if (body.size() >= 3 && u8(0) == 0xEF && u8(1) == 0xBB && u8(2) == 0xBF) body.remove_prefix(3);
    text = zent::Utf8ToWide(body);
    return true;
}

int CAdminDistrict::LoadAdminDistrict() { return LoadAdminDistrictFile(zent::FindDataFile("AdminDistrictInfo.dat")); }

int CAdminDistrict::LoadAdminDistrictFile(const std::filesystem::path& file)
{
    std::wstring text;
    if (!ReadUnicodeTextFile(file, text)) text.clear();
    const std::size_t eol = text.find_first_of(L"\r\n");
    return LoadAdminDistrictText(std::wstring_view(text).substr(0, eol == std::wstring::npos ? text.size() : eol));
}

int CAdminDistrict::LoadAdminDistrictText(std::wstring_view line)
{
    m_vecDistricts.clear();
    m_mapBandIndex.clear();
    {
        std::lock_guard lock(m_cacheLock);
        m_mapResultCache.clear();
    }
    AdminDistrictInfo entry{};
    int counter = 0;
    bool havePrevious = false;
    int previousBand = 0;
    std::size_t pos = 0;
    while (pos <= line.size()) {
        const std::size_t blank = line.find(L' ', pos);
        const std::size_t end = blank == std::wstring_view::npos ? line.size() : blank;
        const std::wstring_view token = line.substr(pos, end - pos);
        if (token.empty()) break; // tokenising ends at the first empty token
        switch (counter) {
        case 0:
            entry = AdminDistrictInfo{};
            entry.code = static_cast<std::int32_t>(ParseInteger(token));
            break;
        case 1: {
            const std::size_t n = std::min(token.size(), kMaxNameLength);
            std::wmemcpy(entry.name, token.data(), n);
            entry.name[n] = L'\0';
            break;
        }
        case 2: entry.longitude = ParseDecimal(token); break;
        case 3: {
            entry.latitude = ParseDecimal(token);
            // Rows whose latitude cannot be banded would poison the search; leave them out.
            if (std::isfinite(entry.latitude) && std::fabs(entry.latitude) <= 90.0 && std::isfinite(entry.longitude)) {
                const int band = BandOf(entry.latitude);
                if (!havePrevious || band != previousBand) m_mapBandIndex[band] = static_cast<int>(m_vecDistricts.size());
                previousBand = band;
                havePrevious = true;
                m_vecDistricts.push_back(entry);
            }
            break;
        }
        }
        counter = (counter + 1) % 4;
        if (blank == std::wstring_view::npos) break;
        pos = blank + 1;
    }
    return static_cast<int>(m_vecDistricts.size());
}

int CAdminDistrict::FindNearest(double lat, double lon) const
{
    if (m_vecDistricts.empty()) return -1;
    const int base = BandOf(lat) + 6;
    std::size_t start = 0;
    bool haveStop = false;
    int foundBand = 0;
    int width = 0;
    for (int tried = 0; tried < 6; ++tried) {
        const auto it = m_mapBandIndex.find(base + tried);
        if (it != m_mapBandIndex.end()) {
            start = static_cast<std::size_t>(it->second);
            foundBand = it->first;
            width = 10 + tried;
            haveStop = true;
            break;
        }
    }
    int best = -1;
    long long bestDistance = INT_MAX;
    for (std::size_t i = start; i < m_vecDistricts.size(); ++i) {
        const AdminDistrictInfo& e = m_vecDistricts[i];
        if (haveStop && foundBand - BandOf(e.latitude) > width) break;
        const double dLat = lat - e.latitude;
        const double dLon = lon - e.longitude;
        const long long d = static_cast<long long>(std::sqrt(dLat * dLat + dLon * dLon) * 10000.0);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

std::wstring CAdminDistrict::GetAdminDistrictName(double lat, double lon)
{
    if (!IsPlaceable(lat, lon)) {
        TraceA("########## Unknown gps [ %f, %f ] ##########", lat, lon);
        return kUnknownName;
    }
    const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(lat * 10000.0))) << 32) |
                              static_cast<std::uint32_t>(static_cast<std::int32_t>(lon * 10000.0));
    {
        std::lock_guard lock(m_cacheLock);
        if (auto it = m_mapResultCache.find(key); it != m_mapResultCache.end())
            return m_vecDistricts[static_cast<std::size_t>(it->second)].name;
    }
    const int best = FindNearest(lat, lon);
    if (best < 0) {
        TraceA("########## Unknown gps [ %f, %f ] ##########", lat, lon);
        return kUnknownName;
    }
    std::lock_guard lock(m_cacheLock);
    m_mapResultCache[key] = best;
    return m_vecDistricts[static_cast<std::size_t>(best)].name;
}
