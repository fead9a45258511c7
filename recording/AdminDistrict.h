#pragma once

// Names the administrative district (city, county, ward) nearest to a position, by a banded
// nearest-point search over reference points sorted by latitude from north to south.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct AdminDistrictInfo {
    std::int32_t code;
    wchar_t name[34]; // at most 33 characters and the terminator; longer names are cut
    double latitude;
    double longitude;
};

class CAdminDistrict {
public:
    CAdminDistrict() = default;
    virtual ~CAdminDistrict() = default;
    CAdminDistrict(const CAdminDistrict&) = delete;
    CAdminDistrict& operator=(const CAdminDistrict&) = delete;

    // Reads "AdminDistrictInfo.dat" from the program's data folder. A missing file gives an
    // empty table. Returns the number of districts read.
    int LoadAdminDistrict();
    int LoadAdminDistrictFile(const std::filesystem::path& file);
    // The first line of a district file given as decoded text (tests and fuzzing).
    int LoadAdminDistrictText(std::wstring_view firstLine);

    // The nearest district's name, or "확인안됨" when the position cannot be placed.
    std::wstring GetAdminDistrictName(double latitude, double longitude);

    std::size_t GetCount() const { return m_vecDistricts.size(); }
    const AdminDistrictInfo& GetAt(std::size_t i) const { return m_vecDistricts[i]; }

    static constexpr const wchar_t* kUnknownName = L"확인안됨";

private:
    int FindNearest(double latitude, double longitude) const;

    std::map<int, int> m_mapBandIndex;              // latitude band (lat x 100) -> first entry
    std::vector<AdminDistrictInfo> m_vecDistricts;  // file order, north to south
    std::mutex m_cacheLock;                         // guards m_mapResultCache (list build vs window)
    std::map<std::uint64_t, int> m_mapResultCache;  // position key -> entry index
};

// Decodes a text file by its byte-order mark (UTF-16LE, UTF-16BE, UTF-8; none: UTF-8), as the
// program's data files are read. Returns false when the file cannot be read.
bool ReadUnicodeTextFile(const std::filesystem::path& file, std::wstring& text);
