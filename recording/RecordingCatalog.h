#pragma once

// Recognising recordings by their file names: the name grammar and classes, the folder walk,
// the sorted selection list with front/rear pairing, and one list row per shown recording.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CAdminDistrict;

// Selector indices of the class lists; 0 is the union of all of them.
enum RecordingClass : int {
    kClassAll = 0,
    kClassNormal = 1,
    kClassEvent = 2,
    kClassParking = 3,
    kClassMotion = 4,
    kClassCamcoder = 5,
    kClassMyFolder = 6,
    kClassUnknown = 7,
    kClassAiEvent = 8,
    kClassCount = 9,
};

// The label text of a class ("Normal", ..., "Camcoder", "Ai Event"); "" for kClassAll.
const wchar_t* GetClassLabel(int index);

struct RecordingEntry {
    std::wstring path;         // the recording (the front file of a pair)
    std::wstring classLabel;   // empty when the district text is shown instead (Korean)
    std::wstring channelText;  // "1CH", "2CH", or the video stream count
    std::wstring districtText; // district of the first fix, or "-"
    int multiStream = 0;       // running flag of the list build
};

// Orders wide strings by their UTF-16 code units.
struct Utf16Less {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// The date ("YYYY.MM.DD") and time ("HH:MM:SS") texts of a list row, from a recording's bare
// file name; false (texts empty) when the name does not have the camera's shape.
bool GetRowDateTimeTexts(std::wstring_view fileName, std::wstring& date, std::wstring& time);

class CRecordingCatalog {
public:
    using StreamCounter = std::function<int(const std::wstring& path)>;

    CRecordingCatalog();

    // ECMAScript regular expression over the whole text, case-sensitive.
    static bool IsMatchRegex(const std::wstring& text, const std::wstring& pattern);
    // Whether a bare file name follows the camera's name grammar (with or without a channel code).
    static bool MatchesNameGrammar(std::wstring_view fileName);
    // The class of a bare file name (grammar, then the class letter).
    static int GetCategoryIndex(std::wstring_view fileName);
    // Whether the walk accepts a file by its name (".AVI", ".MPG", ".MPEG", ".MP4" in the
    // upper-cased extension part of a name longer than four characters).
    static bool IsAcceptedVideoName(std::wstring_view fileName);

    std::vector<std::wstring>& GetCategoryList(std::wstring_view fileName);
    // Indices 1..8; anything else gives the list that is always empty.
    const std::vector<std::wstring>& GetCategoryListByIndex(int index) const;

    void SearchVideoFiles(const std::wstring& folder);
    void ClearCategoryLists();
    // Removes path from class list index (1..8), or with 0 from the first of the lists 0..8 that
    // holds it; the file is not touched. The class list it was removed from, or -1 when none held it.
    int RemoveFromCategoryList(int index, const std::wstring& path);

    // The front/rear partner of path in list (first match in list order), or empty.
    static std::wstring FindPairFile(const std::wstring& path, const std::vector<std::wstring>& list);

    // Fills the selection list for a selector index, sorts it by bare name and builds the rows.
    // Returns the number of paths in the selection list.
    int BuildSelectionList(int index);

    const std::vector<std::wstring>& GetSelectionList() const { return m_vecSelection; }
    const std::map<std::wstring, RecordingEntry, Utf16Less>& GetEntries() const { return m_mapEntries; }
    // The row of a path, or null (a rear file reached through its front file has none).
    const RecordingEntry* FindEntry(const std::wstring& path) const;

    // What the list build depends on. The language decides between class labels and district
    // texts (1042 = Korean); the district table may be null (then "-"); the stream counter
    // defaults to libavformat's.
    void SetLanguageId(std::uint32_t id) { m_nLanguageId = id; }
    void SetAdminDistrict(CAdminDistrict* districts) { m_pAdminDistrict = districts; }
    void SetStreamCounter(StreamCounter counter) { m_fnStreamCounter = std::move(counter); }

private:
    void WalkFolder(const std::string& folder, int depth);

    std::array<std::vector<std::wstring>, kClassCount> m_vecClassLists; // [0] is never filled
    std::vector<std::wstring> m_vecSelection;
    std::map<std::wstring, RecordingEntry, Utf16Less> m_mapEntries;
    std::uint32_t m_nLanguageId = 1033;
    CAdminDistrict* m_pAdminDistrict = nullptr; // not owned
    StreamCounter m_fnStreamCounter;
};
