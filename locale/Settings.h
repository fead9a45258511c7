#pragma once

// The user's settings, one reader and writer per value. Nothing is cached: every reader sees
// the last write. Failures are silent: a reader returns the default, a writer does nothing.

#include <cstdint>
#include <string>

namespace settings {

inline constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Quenlar\\Stravon Player";
inline constexpr const wchar_t* kLanguageKey = L"SOFTWARE\\Quenlar\\Torvix Player 2.0 4K\\Language";

// Windows language identifiers that the interface knows.
inline constexpr std::uint32_t kLangKorean = 1042;
inline constexpr std::uint32_t kLangEnglish = 1033;
inline constexpr std::uint32_t kLangJapanese = 1041;
inline constexpr std::uint32_t kLangDutch = 1043;

} // namespace settings

std::wstring GetCapturePath();
void SetCapturePath(const std::wstring& path);
std::wstring GetBackupPath();
void SetBackupPath(const std::wstring& path);
std::wstring GetLastAccessFolder();
void SetLastAccessFolder(const std::wstring& path);

int GetAutoUpdate();
void SetAutoUpdate(int on);
int GetIsFirstRunning();
int GetVideoVolume();
void SetVideoVolume(int volume);
int GetSpeedUnit();
void SetSpeedUnit(int unit);
int GetGraphMode();
void SetGraphMode(int mode);

// The "ID" value of the language key; 0 when missing.
std::uint32_t GetLanguageId();
void SetLanguageId(std::uint32_t id);

// Writes the first-run defaults when "IsFirstRunning" is 0 or missing. Returns true when it did.
bool ApplyFirstRunDefaults();

// The user's documents folder joined with "Stravon Player".
std::wstring GetDefaultDataFolder();

// The program's version text: the first three dot-separated parts of the full version.
std::wstring GetFileVersionText();
// The same rule on any version string ("5.6.3.0" gives "5.6.3", "1.2" gives "1.2").
std::wstring ShortVersionText(const std::wstring& fullVersion);
