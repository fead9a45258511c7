// The language file is delivered with the program, but users edit and replace it: any bytes must
// load as texts or as none, and every lookup must still answer with a text.
#include "fuzz/FuzzInputFile.h"
#include "locale/LangRes.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const CFuzzInputFile file("langres.dat");
    if (!file.Write(data, size)) return 0;
    const int index = static_cast<int>(size % 4);
    LoadLanguageFileFrom(file.Path(), index);
    for (std::uint16_t group : {0, 1, 15, 16, 19, 65535})
        for (std::uint16_t item : {0, 1, 2, 21, 65535}) {
            // A text the file lacks is a single blank, never nothing (an empty field is a text).
            const lang::LangId id{group, item};
            if (!HasLangString(id) && GetLangString(id) != L" ") std::abort();
        }
    (void)FormatLangString(lang::LangId{16, 2}, L"%s%n");
    return 0;
}
