#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

// A readable list of phrases for a character format and a paragraph format
// ("font: Arial, bold, left indent: 2.54 cm"), shown for styles, in the
// Reveal Formatting panel and for find formats. Only the values a format
// sets are described. The text is UTF-8.

enum : std::uint32_t {
    dfDefaultFontAndSize = 1,  // an unset font or size is taken from DefaultCharFormat
    dfNegatives = 2,           // also "not strike", "not double strike", "no tab stops"
    dfColorSamples = 4,        // colours as "\x13value\x13 name" for a viewer that paints a sample
    dfNonBreaking = 8,         // spaces inside values become non-breaking spaces
};

std::string DescribeFormatting(const TCharFormat& charFormat,
                               const TParFormat& parFormat,
                               std::string_view separator,
                               std::uint32_t flags);

// The names the description takes from the shared managers: font names,
// colour names and the stops of a tab table. The managers install their own
// answers; until then a font is named by its number, a colour "Auto" or
// "RGB(r,g,b)", and no tab table holds stops.
class TFormatNames {
public:
    virtual ~TFormatNames() = default;
    virtual std::string FontName(std::int32_t font) const;
    virtual std::string ColorName(std::int32_t color) const;
    // The packed stops (position in bits 0-23, alignment in bits 24-27).
    virtual std::vector<std::uint32_t> TabStops(std::int32_t tabTable) const;
};

const TFormatNames& FormatNames();
void SetFormatNames(const TFormatNames* names);  // nullptr restores the defaults
