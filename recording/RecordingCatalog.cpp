#include "recording/RecordingCatalog.h"

#include "engine/StreamProbe.h"
#include "locale/Settings.h"
#include "recording/AdminDistrict.h"
#include "recording/TorvixGpsData.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <memory>
#include <regex>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// Folders nested deeper than this are not walked: no camera writes them, and a hostile tree
// must not exhaust the stack.
constexpr int kMaxWalkDepth = 64;

constexpr std::wstring_view kClassLetters = L"NEPMCI";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAlnum(wchar_t c) { return IsDigit(c) || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
// ECMAScript '.' matches anything but a line terminator.
bool IsDotChar(wchar_t c) { return c != L'\n' && c != L'\r' && c != 0x2028 && c != 0x2029; }

// "\d{8}-\d{2}h\d{2}m\d{2}s_": the 19 characters every camera name starts with.
bool HasTimePrefix(std::wstring_view n)
{
    if (n.size() < 19) return false;
    for (int i = 0; i < 8; ++i)
        if (!IsDigit(n[static_cast<std::size_t>(i)])) return false;
    return n[8] == L'-' && IsDigit(n[9]) && IsDigit(n[10]) && n[11] == L'h' && IsDigit(n[12]) && IsDigit(n[13]) &&
           n[14] == L'm' && IsDigit(n[15]) && IsDigit(n[16]) && n[17] == L's' && n[18] == L'_';
}

// class letter, any character, three letters or digits, end.
bool HasClassTail(std::wstring_view n, std::size_t at)
{
    return n.size() == at + 5 && kClassLetters.find(n[at]) != std::wstring_view::npos && IsDotChar(n[at + 1]) &&
           IsAlnum(n[at + 2]) && IsAlnum(n[at + 3]) && IsAlnum(n[at + 4]);
}

// The two name patterns, matched by hand: the list build runs them on every file of a card,
// and they are equivalent to
//   ^\d{8}-\d{2}h\d{2}m\d{2}s_(F|R|FR|FO)_(N|E|P|M|C|I).[a-zA-Z0-9]{3}$
//   ^\d{8}-\d{2}h\d{2}m\d{2}s_(N|E|P|M|C|I).[a-zA-Z0-9]{3}$
bool MatchesWithChannel(std::wstring_view n)
{
    if (!HasTimePrefix(n)) return false;
    if (n.size() == 26) return (n[19] == L'F' || n[19] == L'R') && n[20] == L'_' && HasClassTail(n, 21);
    if (n.size() == 27)
        return n[19] == L'F' && (n[20] == L'R' || n[20] == L'O') && n[21] == L'_' && HasClassTail(n, 22);
    return false;
}

bool MatchesWithoutChannel(std::wstring_view n) { return HasTimePrefix(n) && HasClassTail(n, 19); }

bool Contains(std::wstring_view text, std::wstring_view what) { return text.find(what) != std::wstring_view::npos; }

std::wstring_view WithoutExtension(std::wstring_view name)
{
    const auto dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? name : name.substr(0, dot);
}

const wchar_t* LabelFromName(std::wstring_view bareName)
{
    static constexpr std::pair<std::wstring_view, int> kTokens[] = {
        {L"_N", kClassNormal}, {L"_E", kClassEvent},    {L"_P", kClassParking}, {L"_M", kClassMotion},
        {L"_C", kClassCamcoder}, {L"_I", kClassAiEvent}, {L"_my", kClassMyFolder},
    };
    const std::wstring_view stem = WithoutExtension(bareName);
    for (const auto& [token, cls] : kTokens)
        if (Contains(stem, token)) return GetClassLabel(cls);
    return GetClassLabel(kClassUnknown);
}

std::wstring PartnerName(std::wstring_view bareName)
{
    std::wstring partner(bareName);
    if (const auto f = partner.find(L"_F_"); f != std::wstring::npos) {
        partner[f + 1] = L'R';
        return partner;
    }
    if (const auto r = partner.find(L"_R_"); r != std::wstring::npos) {
        partner[r + 1] = L'F';
        return partner;
    }
    return {};
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

} // namespace

const wchar_t* GetClassLabel(int index)
{
    switch (index) {
    case kClassNormal: return L"Normal";
    case kClassEvent: return L"Event";
    case kClassParking: return L"Parking";
    case kClassMotion: return L"Motion";
    case kClassCamcoder: return L"Camcoder";
    case kClassMyFolder: return L"MyFolder";
    case kClassUnknown: return L"Unknown";
    case kClassAiEvent: return L"Ai Event";
    default: return L"";
    }
}

bool Utf16Less::operator()(const std::wstring& a, const std::wstring& b) const { return zent::CompareUtf16(a, b) < 0; }

bool GetRowDateTimeTexts(std::wstring_view fileName, std::wstring& date, std::wstring& time)
{
    date.clear();
    time.clear();
    std::wstring n;
    n.reserve(fileName.size());
    for (wchar_t c : fileName)
        if (c != L'-') n.push_back(c);
    if (n.size() <= 17 || n[10] != L'h' || n[13] != L'm' || n[16] != L's') return false;
    date = n.substr(0, 4) + L"." + n.substr(4, 2) + L"." + n.substr(6, 2);
    time = n.substr(8, 2) + L":" + n.substr(11, 2) + L":" + n.substr(14, 2);
    return true;
}

CRecordingCatalog::CRecordingCatalog() : m_nLanguageId(0) {}

bool CRecordingCatalog::IsMatchRegex(const std::wstring& text, const std::wstring& pattern)
{
    try {
        const std::wregex re(pattern, std::regex_constants::ECMAScript);
        return std::regex_match(text, re);
    } catch (const std::regex_error&) {
        return false;
    }
}

bool CRecordingCatalog::MatchesNameGrammar(std::wstring_view fileName)
{
    return MatchesWithChannel(fileName) || MatchesWithoutChannel(fileName);
}

int CRecordingCatalog::GetCategoryIndex(std::wstring_view fileName)
{
    if (MatchesNameGrammar(fileName)) {
        static constexpr std::pair<std::wstring_view, int> kMarks[] = {
            {L"_N.", kClassNormal},   {L"_E.", kClassEvent},   {L"_P.", kClassParking},
            {L"_M.", kClassMotion},   {L"_C.", kClassCamcoder}, {L"_I.", kClassAiEvent},
        };
        for (const auto& [mark, cls] : kMarks) {
            const auto pos = fileName.find(mark);
            if (pos != std::wstring_view::npos && pos > 0) return cls;
        }
        return kClassUnknown;
    }
    const auto my = fileName.find(L"_my");
    return (my != std::wstring_view::npos && my > 0) ? kClassMyFolder : kClassUnknown;
}

bool CRecordingCatalog::IsAcceptedVideoName(std::wstring_view fileName)
{
    if (fileName.size() <= 4) return false;
    const std::wstring upper = zent::AsciiUpper(fileName);
    const auto dot = upper.rfind(L'.');
    const std::wstring_view ext = dot == std::wstring::npos ? std::wstring_view(upper) : std::wstring_view(upper).substr(dot);
    return Contains(ext, L".AVI") || Contains(ext, L".MPG") || Contains(ext, L".MPEG") || Contains(ext, L".MP4");
}

std::vector<std::wstring>& CRecordingCatalog::GetCategoryList(std::wstring_view fileName)
{
    return m_vecClassLists[static_cast<std::size_t>(GetCategoryIndex(fileName))];
}

const std::vector<std::wstring>& CRecordingCatalog::GetCategoryListByIndex(int index) const
{
    static const std::vector<std::wstring> kEmpty;
    if (index < 1 || index >= kClassCount) return kEmpty;
    return m_vecClassLists[static_cast<std::size_t>(index)];
}

void CRecordingCatalog::ClearCategoryLists()
{
    for (int i = 1; i < kClassCount; ++i) m_vecClassLists[static_cast<std::size_t>(i)].clear();
}

int CRecordingCatalog::RemoveFromCategoryList(int index, const std::wstring& path)
{
    const auto removeFrom = [&](int list) {
        auto& v = m_vecClassLists[static_cast<std::size_t>(list)];
        auto it = std::find(v.begin(), v.end(), path);
        if (it == v.end()) return false;
        v.erase(it);
        return true;
    };
    if (index == kClassAll) {
        for (int list = 0; list < kClassCount; ++list)
            if (removeFrom(list)) return list;
        return -1;
    }
    if (index < 1 || index >= kClassCount) return -1;
    return removeFrom(index) ? index : -1;
}

void CRecordingCatalog::SearchVideoFiles(const std::wstring& folder)
{
    std::string root = zent::WideToUtf8(folder);
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    WalkFolder(root, 0);
}

void CRecordingCatalog::WalkFolder(const std::string& folder, int depth)
{
    if (depth > kMaxWalkDepth) return;
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return;
    const std::string prefix = folder == "/" ? folder : folder + "/";
    while (const dirent* e = readdir(dir.get())) {
        const std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        const std::string full = prefix + std::string(name);
        bool isDir = e->d_type == DT_DIR;
        bool isFile = e->d_type == DT_REG;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            // Links to files count as files; links to folders are not followed, so that a loop
            // of links cannot keep the walk going forever.
            struct stat st {};
            if (e->d_type == DT_UNKNOWN && lstat(full.c_str(), &st) == 0) {
                isDir = S_ISDIR(st.st_mode);
                isFile = S_ISREG(st.st_mode);
            } else if (e->d_type == DT_LNK && stat(full.c_str(), &st) == 0) {
                isFile = S_ISREG(st.st_mode);
            }
        }
        if (isDir) {
            WalkFolder(full, depth + 1);
            continue;
        }
        if (!isFile) continue;
        const std::wstring wideName = zent::Utf8ToWide(name);
        if (!IsAcceptedVideoName(wideName)) continue;
        GetCategoryList(wideName).push_back(zent::Utf8ToWide(full));
    }
}

std::wstring CRecordingCatalog::FindPairFile(const std::wstring& path, const std::vector<std::wstring>& list)
{
    const std::wstring partner = PartnerName(zent::BareFileName(path));
    if (partner.empty()) return {};
    for (const auto& candidate : list)
        if (zent::BareFileName(candidate) == partner) return candidate;
    return {};
}

const RecordingEntry* CRecordingCatalog::FindEntry(const std::wstring& path) const
{
    const auto it = m_mapEntries.find(path);
    return it == m_mapEntries.end() ? nullptr : &it->second;
}

int CRecordingCatalog::BuildSelectionList(int index)
{
    m_vecSelection.clear();
    m_mapEntries.clear();
    if (index == kClassAll) {
        for (const auto& list : m_vecClassLists) m_vecSelection.insert(m_vecSelection.end(), list.begin(), list.end());
    } else if (index > 0 && index < kClassCount) {
        const auto& list = m_vecClassLists[static_cast<std::size_t>(index)];
        m_vecSelection.assign(list.begin(), list.end());
    }
    std::stable_sort(m_vecSelection.begin(), m_vecSelection.end(), [](const std::wstring& a, const std::wstring& b) {
        return zent::CompareUtf16(zent::BareFileName(a), zent::BareFileName(b)) < 0;
    });

    // The partner search asks for the first path in list order with a given bare name; an index
    // of first occurrences gives the same answer without scanning the list for every row.
    std::unordered_map<std::wstring_view, std::size_t> firstByName;
    firstByName.reserve(m_vecSelection.size());
    for (std::size_t i = 0; i < m_vecSelection.size(); ++i) firstByName.emplace(zent::BareFileName(m_vecSelection[i]), i);
    auto findPartner = [&](std::wstring_view bareName) -> const std::wstring* {
        const std::wstring partner = PartnerName(bareName);
        if (partner.empty()) return nullptr;
        const auto it = firstByName.find(partner);
        return it == firstByName.end() ? nullptr : &m_vecSelection[it->second];
    };

    const std::uint32_t language = m_nLanguageId != 0 ? m_nLanguageId : GetLanguageId();
    const bool korean = language == settings::kLangKorean;
    int multiStream = 0;
    for (const std::wstring& path : m_vecSelection) {
        const std::wstring_view bare = zent::BareFileName(path);
        RecordingEntry entry;
        entry.path = path;
        if (Contains(bare, L"_F_")) {
            entry.channelText = findPartner(bare) ? L"2CH" : L"1CH";
        } else if (Contains(bare, L"_R_")) {
            if (findPartner(bare)) continue; // reached through its front file
            entry.channelText = L"1CH";
        } else {
            const int streams = m_fnStreamCounter ? m_fnStreamCounter(path) : GetVidoeStreamCount(path);
            wchar_t text[16];
            std::swprintf(text, 16, L"%dCH", streams);
            entry.channelText = text;
            if (streams > 1) multiStream = 1;
        }
        if (korean) {
            entry.districtText = L"-";
            const GpsFix first = CTorvixGpsData::GetFirstGpsOfFile(path);
            if (!std::isnan(first.latitude) && !std::isnan(first.longitude) && first.latitude != first.longitude &&
                m_pAdminDistrict)
                entry.districtText = m_pAdminDistrict->GetAdminDistrictName(first.latitude, first.longitude);
        } else {
            entry.classLabel = LabelFromName(bare);
            entry.districtText = L"-";
        }
        entry.multiStream = multiStream;
        m_mapEntries[path] = std::move(entry);
    }
    return static_cast<int>(m_vecSelection.size());
}
