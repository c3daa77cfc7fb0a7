#include "model/host/FontQueries.h"

namespace {

const TDocFontQueries* Queries = nullptr;

// The published Windows character-set numbers and their ANSI code pages.
int CharsetCodePage(std::uint8_t charset) {
    switch (charset) {
        case 128:
            return 932;  // Shift JIS
        case 129:
            return 949;  // Hangul
        case 134:
            return 936;  // GB 2312
        case 136:
            return 950;  // Big5
        case 161:
            return 1253;  // Greek
        case 162:
            return 1254;  // Turkish
        case 163:
            return 1258;  // Vietnamese
        case 177:
            return 1255;  // Hebrew
        case 178:
            return 1256;  // Arabic
        case 186:
            return 1257;  // Baltic
        case 204:
            return 1251;  // Russian
        case 222:
            return 874;  // Thai
        case 238:
            return 1250;  // Eastern European
        default:
            return 1252;  // ANSI, symbol, and sets without a code page of their own
    }
}

}  // namespace

void SetDocFontQueries(const TDocFontQueries* queries) {
    Queries = queries;
}

std::uint8_t DocFontCharset(std::int32_t font) {
    return Queries != nullptr ? Queries->Charset(font) : 0;
}

std::int32_t DocFontNameId(std::int32_t font) {
    return Queries != nullptr ? Queries->NameId(font) : font;
}

int DocFontCodePage(std::int32_t font) {
    return CharsetCodePage(DocFontCharset(font));
}

std::int32_t DocFontInCharset(std::int32_t font, std::uint8_t charset) {
    return Queries != nullptr ? Queries->SameFaceInCharset(font, charset) : font;
}
