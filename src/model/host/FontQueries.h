#pragma once

#include <cstdint>

// Queries on registered document fonts (index = caFont value).
//
// The format records and the paragraph code need two facts about a document
// font: its character set (which code page its text bytes are in) and its
// name id (the same face registered for several character sets shares one
// id). The font manager answers them once it exists; until then every font
// is an ANSI font of its own.
class TDocFontQueries {
public:
    virtual ~TDocFontQueries() = default;
    virtual std::uint8_t Charset(
        std::int32_t font) const = 0;  // Windows character set (0 ANSI, 2 SYMBOL, 204 Russian, ...)
    virtual std::int32_t NameId(std::int32_t font) const = 0;  // same face in other character sets -> same id
    // The font of the same face as font in another character set (the
    // font manager registers it on demand); font itself when it knows none.
    virtual std::int32_t SameFaceInCharset(std::int32_t font, std::uint8_t charset) const { return font; }
};

void SetDocFontQueries(const TDocFontQueries* queries);  // nullptr restores the default
std::uint8_t DocFontCharset(std::int32_t font);          // default: 0
std::int32_t DocFontNameId(std::int32_t font);           // default: the index itself
int DocFontCodePage(std::int32_t font);  // from the charset: 1252 for ANSI, symbol and sets without a page of their own
std::int32_t DocFontInCharset(std::int32_t font, std::uint8_t charset);  // default: font
