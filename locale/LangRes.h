#pragma once

// The language table: every interface text, looked up by a two-part number (group, item) in the
// language chosen at start-up. The texts come from "TorvixLangRes.dat", a tab-separated text file
// delivered beside the program that holds each text in Korean, English and Japanese side by side.
//
// Thread safety: the table is filled by LoadLanguageFile once at start-up, before any window
// exists; lookups may then come from any thread. A reload (tests) is safe as well: loading and
// lookups are serialised by a reader-writer lock, and a lookup returns its own copy of the text.

#include "locale/LangIds.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Language indices of the interface.
inline constexpr int kLangIndexKorean = 0;
inline constexpr int kLangIndexEnglish = 1;
inline constexpr int kLangIndexJapanese = 2;
inline constexpr int kLangIndexDutch = 3;   // shows the Korean texts

// The language index of a Windows language identifier: 1042 -> 0, 1033 -> 1, 1041 -> 2,
// 1043 -> 3; any other identifier (0 = missing) -> 1.
int LanguageIndexFromId(std::uint32_t languageId);
// The language identifier of an index (the settings dialog stores it); out of range -> 1033.
std::uint32_t LanguageIdFromIndex(int index);

// The language index from the language setting "ID".
int GetLanguageIndex();

// The field of a line that holds the text for an index: 2 + index, except index 3 reads
// field 2 (Korean). An index outside 0..3 counts as 1.
int LanguageTextField(int index);

// Fills the table from the delivered "TorvixLangRes.dat" (found by the data-file search) with the
// texts of the given language index. The table is emptied first; when the file cannot be read
// it stays empty, so every lookup yields " ". Returns whether the file was read.
bool LoadLanguageFile(int index);
// The same from a given file.
bool LoadLanguageFileFrom(const std::filesystem::path& file, int index);
// The same from text already in memory (the file's content after decoding).
void LoadLanguageText(std::wstring_view text, int index);

// The text of (group, item), each taken to its low 16 bits, or a single blank " " when the
// table has no such text.
std::wstring GetLangString(int group, int item);
std::wstring GetLangString(lang::LangId id);
// Whether the table holds (group, item).
bool HasLangString(lang::LangId id);
// Number of texts in the table.
std::size_t GetLangStringCount();

// The text of id with its first "%s" replaced by arg. The text is never used as a printf
// format, so a translation cannot make a caller read arguments it did not pass.
std::wstring FormatLangString(lang::LangId id, std::wstring_view arg);

// Decodes the bytes of a language file by its byte-order mark: UTF-16LE (FF FE), UTF-16BE
// (FE FF), UTF-8 (EF BB BF); without a mark as UTF-8. Ill-formed sequences become U+FFFD.
std::wstring DecodeLanguageFile(std::string_view bytes);
