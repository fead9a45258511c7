#include "locale/Settings.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Registry.h>

#include <filesystem>

#ifndef TORVIX_VERSION
#define TORVIX_VERSION "0.0.0.0"
#endif

namespace {

// Sizes of the original buffers: 520 bytes for paths, 256 for the last folder.
constexpr std::size_t kPathBytes = 520;
constexpr std::size_t kLastFolderBytes = 256;

std::wstring ReadText(const wchar_t* value, std::size_t maxBytes = kPathBytes)
{
    return zent::RegReadString(settings::kSettingsKey, value, maxBytes).value_or(L"");
}

int ReadNumber(const wchar_t* value)
{
    return static_cast<int>(zent::RegReadDword(settings::kSettingsKey, value).value_or(0));
}

void WriteNumber(const wchar_t* value, int n)
{
    zent::RegWriteDword(settings::kSettingsKey, value, static_cast<std::uint32_t>(n));
}

} // namespace

std::wstring GetCapturePath() { return ReadText(L"CapturePath"); }
void SetCapturePath(const std::wstring& path) { zent::RegWriteString(settings::kSettingsKey, L"CapturePath", path); }
std::wstring GetBackupPath() { return ReadText(L"BackupPath"); }
void SetBackupPath(const std::wstring& path) { zent::RegWriteString(settings::kSettingsKey, L"BackupPath", path); }
std::wstring GetLastAccessFolder() { return ReadText(L"LastAccessFolder", kLastFolderBytes); }
void SetLastAccessFolder(const std::wstring& path)
{
    zent::RegWriteString(settings::kSettingsKey, L"LastAccessFolder", path);
}

int GetAutoUpdate() { return ReadNumber(L"AutoUpdate"); }
void SetAutoUpdate(int on) { WriteNumber(L"AutoUpdate", on); }
int GetIsFirstRunning() { return ReadNumber(L"IsFirstRunning"); }
int GetVideoVolume() { return ReadNumber(L"VideoVolume"); }
void SetVideoVolume(int volume) { WriteNumber(L"VideoVolume", volume); }
int GetSpeedUnit() { return ReadNumber(L"SpeedUnit"); }
void SetSpeedUnit(int unit) { WriteNumber(L"SpeedUnit", unit); }
int GetGraphMode() { return ReadNumber(L"GraphMode"); }
void SetGraphMode(int mode) { WriteNumber(L"GraphMode", mode); }

std::uint32_t GetLanguageId() { return zent::RegReadDword(settings::kLanguageKey, L"ID").value_or(0); }
void SetLanguageId(std::uint32_t id) { zent::RegWriteDword(settings::kLanguageKey, L"ID", id); }

bool ApplyFirstRunDefaults()
{
    if (GetIsFirstRunning() != 0) return false;
    WriteNumber(L"IsFirstRunning", 1);
    WriteNumber(L"AutoUpdate", 1);
    const std::wstring folder = zent::PathToWide(zent::GetDocumentsDir() / "Torvix Player 2.0 4K");
    SetCapturePath(folder);
    SetBackupPath(folder);
    return true;
}

std::wstring GetDefaultDataFolder() { return zent::PathToWide(zent::GetDocumentsDir() / "Stravon Player"); }

std::wstring ShortVersionText(const std::wstring& fullVersion)
{
    std::wstring out;
    std::size_t start = 0;
    for (int part = 0; part < 3 && start <= fullVersion.size(); ++part) {
        const std::size_t dot = fullVersion.find(L'.', start);
        const std::wstring piece = fullVersion.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
        if (piece.empty() && dot == std::wstring::npos) break;
        if (part > 0) out += L'.';
        out += piece;
        if (dot == std::wstring::npos) break;
        start = dot + 1;
    }
    return out;
}

std::wstring GetFileVersionText()
{
    const std::string v = TORVIX_VERSION;
    return ShortVersionText(std::wstring(v.begin(), v.end()));
}
