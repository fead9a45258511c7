#include "recording/ISimpleParser.h"

#include "recording/AmbaParser.h"
#include "recording/AviParsers.h"
#include "recording/MovieOldParser.h"
#include "recording/NovatekParser.h"

std::unique_ptr<ISimpleParser> CreateParser(int kind, int firstRecordOnly)
{
    switch (kind) {
    case kParserMovieOld: return std::make_unique<CMovieOldParser>(firstRecordOnly);
    case kParserAviSimple: return std::make_unique<CAviSimpleParser>(firstRecordOnly);
    case kParserAviUserData: return std::make_unique<CAviUserDataParser>(firstRecordOnly);
    case kParserAmba: return std::make_unique<AmbaParser>(firstRecordOnly);
    case kParserNovatek: return std::make_unique<NovatekParser>(firstRecordOnly);
    default: return nullptr;
    }
}

const char* ParserKindName(int kind)
{
    switch (kind) {
    case kParserMovieOld: return "CMovieOldParser";
    case kParserAviSimple: return "CAviSimpleParser";
    case kParserAviUserData: return "CAviUserDataParser";
    case kParserAmba: return "AmbaParser";
    case kParserNovatek: return "NovatekParser";
    default: return "";
    }
}
