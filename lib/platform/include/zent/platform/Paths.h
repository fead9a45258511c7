#pragma once

// Folders that stand in for the Windows known folders, the program folder and data-file lookup.

#include <zent/platform/Export.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace zent {

// Folder of the running executable (from /proc/self/exe); empty when it cannot be read.
ZENT_PLATFORM_API std::filesystem::path GetExeDir();

// A delivered data file: "<exe dir>/data/NAME", then "<exe dir>/../share/torvix-player/NAME",
// then $TORVIX_DATA_DIR/NAME when set (tests). Returns the first that exists, else the first
// candidate so that the caller's open fails with a meaningful name.
ZENT_PLATFORM_API std::filesystem::path FindDataFile(std::string_view name);

// XDG folders; each falls back to the documented default below $HOME.
ZENT_PLATFORM_API std::filesystem::path GetConfigHome();     // $XDG_CONFIG_HOME or ~/.config
ZENT_PLATFORM_API std::filesystem::path GetDataHome();       // $XDG_DATA_HOME or ~/.local/share
ZENT_PLATFORM_API std::filesystem::path GetCacheHome();      // $XDG_CACHE_HOME or ~/.cache
ZENT_PLATFORM_API std::filesystem::path GetDocumentsDir();   // XDG documents dir or ~/Documents
ZENT_PLATFORM_API std::filesystem::path GetRuntimeDir();     // $XDG_RUNTIME_DIR or the temp dir
ZENT_PLATFORM_API std::filesystem::path GetHomeDir();

// A path as the wide text the interface keeps, and back.
ZENT_PLATFORM_API std::wstring PathToWide(const std::filesystem::path& path);
ZENT_PLATFORM_API std::filesystem::path WideToPath(std::wstring_view path);

// The bare file name: the text after the last '/' or '\\' (the whole text if neither occurs).
ZENT_PLATFORM_API std::wstring_view BareFileName(std::wstring_view path);

} // namespace zent
