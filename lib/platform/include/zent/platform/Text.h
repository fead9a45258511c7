#pragma once

// Text conversion between the wide strings of the interface (UTF-16 in meaning, wchar_t here)
// and the UTF-8 that file systems, libavformat and libvlc take.

#include <zent/platform/Export.h>

#include <string>
#include <string_view>

namespace zent {

// Invalid input never fails: ill-formed UTF-8 sequences become U+FFFD, lone surrogates too.
ZENT_PLATFORM_API std::wstring Utf8ToWide(std::string_view text);
ZENT_PLATFORM_API std::string WideToUtf8(std::wstring_view text);

// Appends the UTF-16 code units of text (surrogate pairs for characters above the BMP).
ZENT_PLATFORM_API std::u16string WideToUtf16(std::wstring_view text);
ZENT_PLATFORM_API std::wstring Utf16ToWide(std::u16string_view text);

// Orders two wide strings as their UTF-16 code units would order: characters above the BMP
// (surrogates 0xD800..0xDFFF) sort below U+E000..U+FFFF, unlike a plain wchar_t comparison.
// Returns <0, 0 or >0.
ZENT_PLATFORM_API int CompareUtf16(std::wstring_view a, std::wstring_view b);

// Upper-cases ASCII letters only, as the recording-name rules do.
ZENT_PLATFORM_API std::wstring AsciiUpper(std::wstring_view text);

// Trims blanks, tabs, CR and LF from both ends.
ZENT_PLATFORM_API std::wstring TrimWhite(std::wstring_view text);

} // namespace zent
