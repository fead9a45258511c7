#pragma once

// The per-user settings store that stands in for HKEY_CURRENT_USER. A key such as
// "SOFTWARE\\Quenlar\\Stravon Player" is one key file, "$XDG_CONFIG_HOME/Quenlar/Stravon Player.conf"
// (the leading "SOFTWARE" is dropped). Every value keeps its type, text or 32-bit number.
//
// Every read opens and parses the file afresh, so a reader always sees the last write of any
// process. Every write goes to a temporary file that is renamed over the old one, so a crash
// never leaves a half-written file; a damaged file reads as a key without values. Writers of
// one process are serialised; the rename makes concurrent processes last-writer-wins per file.

#include <zent/platform/Export.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zent {

enum class RegType { String, Dword };

// The file that holds a key (exposed for tests and diagnostics).
ZENT_PLATFORM_API std::filesystem::path RegKeyFile(std::wstring_view key);

// Readers: nullopt when the key or value is missing, has the other type, or (for text) needs
// more than maxBytes bytes as UTF-16 including the terminator (as a sized registry query would).
ZENT_PLATFORM_API std::optional<std::wstring> RegReadString(std::wstring_view key, std::wstring_view value,
                                                            std::size_t maxBytes = 520);
ZENT_PLATFORM_API std::optional<std::uint32_t> RegReadDword(std::wstring_view key, std::wstring_view value);

// Writers create the key when missing; they return false when the file cannot be written.
ZENT_PLATFORM_API bool RegWriteString(std::wstring_view key, std::wstring_view value, std::wstring_view data);
ZENT_PLATFORM_API bool RegWriteDword(std::wstring_view key, std::wstring_view value, std::uint32_t data);
ZENT_PLATFORM_API bool RegDeleteValue(std::wstring_view key, std::wstring_view value);

} // namespace zent
