// torvix-track: the recording data layer for people and scripts.
//   scan DIR [--class N] [--lang ko|en|ja]
//   track FILE [--format csv|gpx|json]
//   probe FILE
//   district LAT LON
// Exit status: 0 success, 1 an input cannot be read, 2 wrong usage.

#include "cli/TrackExport.h"
#include "engine/StreamProbe.h"
#include "locale/Settings.h"
#include "recording/AdminDistrict.h"
#include "recording/RecordingCatalog.h"
#include "recording/TorvixGpsData.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: torvix-track [--trace] COMMAND ...\n"
    "  scan DIR [--class N] [--lang ko|en|ja]   list the recordings of a folder tree\n"
    "  track FILE [--format csv|gpx|json]       the embedded GPS/G-sensor track\n"
    "  probe FILE                               streams, codec, width, duration, playable\n"
    "  district LAT LON                         the administrative district of a position\n";

int Usage(const std::string& problem)
{
    if (!problem.empty()) std::cerr << "torvix-track: " << problem << "\n";
    std::cerr << kUsage;
    return kExitUsage;
}

// One line naming the file and the reason; the status for an unreadable input.
int Unreadable(const std::string& path, const std::string& reason)
{
    std::cerr << "torvix-track: " << path << ": " << reason << "\n";
    return kExitUnreadable;
}

// Whether path can be opened for reading as what the command expects; reason on failure.
bool CheckReadable(const std::string& path, bool wantDirectory, std::string& reason)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (wantDirectory && !S_ISDIR(st.st_mode)) {
        reason = "not a folder";
        return false;
    }
    if (!wantDirectory && !S_ISREG(st.st_mode)) {
        reason = S_ISDIR(st.st_mode) ? "is a folder, not a recording" : "not a regular file";
        return false;
    }
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    if (wantDirectory) return true; // a folder is read through opendir
    reason = std::strerror(errno);
    return false;
}

bool ParseInt(std::string_view text, int& out)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool ParseDouble(const std::string& text, double& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && errno == 0;
}

std::string Column(const std::wstring& text) { return text.empty() ? std::string("-") : zent::WideToUtf8(text); }

std::uint32_t LanguageFromName(const std::string& lang)
{
    if (lang == "ko") return settings::kLangKorean;
    if (lang == "en") return settings::kLangEnglish;
    if (lang == "ja") return settings::kLangJapanese;
    return 0;
}

int CommandScan(const std::vector<std::string>& args)
{
    std::string dir;
    int classIndex = kClassAll;
    std::uint32_t language = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--class" && i + 1 < args.size()) {
            if (!ParseInt(args[++i], classIndex) || classIndex < 0 || classIndex >= kClassCount)
                return Usage("--class takes a class number 0..8");
        } else if (a == "--lang" && i + 1 < args.size()) {
            language = LanguageFromName(args[++i]);
            if (language == 0) return Usage("--lang takes ko, en or ja");
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + a);
        } else if (dir.empty()) {
            dir = a;
        } else {
            return Usage("scan takes one folder");
        }
    }
    if (dir.empty()) return Usage("scan needs a folder");
    std::string reason;
    if (!CheckReadable(dir, true, reason)) return Unreadable(dir, reason);
    if (language == 0) {
        // The interface language of the settings; anything unknown reads as English.
        const std::uint32_t id = GetLanguageId();
        language = (id == settings::kLangKorean || id == settings::kLangJapanese || id == settings::kLangDutch)
            ? id : settings::kLangEnglish;
    }

    CAdminDistrict districts;
    CRecordingCatalog catalog;
    catalog.SetLanguageId(language);
    if (language == settings::kLangKorean) {
        districts.LoadAdminDistrict();
        catalog.SetAdminDistrict(&districts);
    }
    catalog.ClearCategoryLists();
    catalog.SearchVideoFiles(zent::Utf8ToWide(dir));
    catalog.BuildSelectionList(classIndex);

    std::string out;
    for (const std::wstring& path : catalog.GetSelectionList()) {
        const RecordingEntry* entry = catalog.FindEntry(path);
        if (!entry) continue; // a rear file shown through its front file
        std::wstring date, time;
        GetRowDateTimeTexts(zent::BareFileName(path), date, time);
        const bool korean = language == settings::kLangKorean;
        out += Column(date) + '\t' + Column(time) + '\t' + Column(entry->channelText) + '\t' +
               Column(korean ? entry->districtText : entry->classLabel) + '\t' + zent::WideToUtf8(path) + '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

int CommandTrack(const std::vector<std::string>& args)
{
    std::string file;
    std::string format = "csv";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--format" && i + 1 < args.size()) {
            format = args[++i];
            if (format != "csv" && format != "gpx" && format != "json") return Usage("--format takes csv, gpx or json");
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return Usage("track takes one file");
        }
    }
    if (file.empty()) return Usage("track needs a file");
    std::string reason;
    if (!CheckReadable(file, false, reason)) return Unreadable(file, reason);

    CTorvixGpsData data;
    const int selected = data.Load(zent::Utf8ToWide(file));
    const std::string parserName = ParserKindName(selected);
    const std::vector<cli::TrackRow> rows = cli::CollectTrackRows(data);
    const std::string bare = std::filesystem::path(file).filename().string();
    if (format == "csv") {
        // The parser goes to standard error so that the CSV on standard output stays plain.
        std::cerr << "parser: " << (parserName.empty() ? "none" : parserName) << " (" << selected << ")\n";
        cli::WriteCsv(std::cout, rows);
    } else if (format == "gpx") {
        cli::WriteGpx(std::cout, rows, bare, parserName, selected);
    } else {
        cli::WriteJson(std::cout, rows, file, parserName, selected);
    }
    std::cout.flush();
    return std::cout ? kExitOk : kExitUnreadable;
}

int CommandProbe(const std::vector<std::string>& args)
{
    if (args.size() != 1 || (!args[0].empty() && args[0][0] == '-')) return Usage("probe takes one file");
    const std::string& file = args[0];
    std::string reason;
    if (!CheckReadable(file, false, reason)) return Unreadable(file, reason);
    const std::wstring wide = zent::Utf8ToWide(file);
    const bool codecSupported = IsSupportCodec(wide);
    const int width = GetVideoWidth(wide);
    std::cout << "video_streams=" << GetVidoeStreamCount(wide) << "\n"
              << "audio_streams=" << GetAudioStreamCount(wide) << "\n"
              << "codec=" << GetVideoCodecName(wide) << "\n"
              << "width=" << width << "\n"
              << "duration=" << GetFileDuration(file) << "\n"
              << "playable=" << (IsPlayableByRule(L"", codecSupported, width) ? 1 : 0) << "\n";
    return kExitOk;
}

int CommandDistrict(const std::vector<std::string>& args)
{
    double lat = 0, lon = 0;
    if (args.size() != 2 || !ParseDouble(args[0], lat) || !ParseDouble(args[1], lon))
        return Usage("district takes a latitude and a longitude in decimal degrees");
    const std::filesystem::path table = zent::FindDataFile("AdminDistrictInfo.dat");
    std::string reason;
    if (!CheckReadable(table.string(), false, reason)) return Unreadable(table.string(), reason);
    CAdminDistrict districts;
    districts.LoadAdminDistrictFile(table);
    std::cout << zent::WideToUtf8(districts.GetAdminDistrictName(lat, lon)) << "\n";
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    while (!args.empty() && args.front() == "--trace") {
        zent::SetTraceEnabled(true);
        args.erase(args.begin());
    }
    if (args.empty()) return Usage("");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (command == "scan") return CommandScan(args);
    if (command == "track") return CommandTrack(args);
    if (command == "probe") return CommandProbe(args);
    if (command == "district") return CommandDistrict(args);
    return Usage("unknown command " + command);
}
