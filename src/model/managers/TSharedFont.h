#pragma once

#include <cstdint>
#include <string_view>

#include "model/formats/TCharFormat.h"
#include "platform/Fonts.h"
#include "platform/GdiTypes.h"

class TFontManager;

// One drawing font for one character format at one device height, with its
// metrics and the advances of the 256 codes of its character set. Line
// layout measures text with Widths alone.
class TSharedFont {
public:
    // Makes the font for format at deviceHeight and leaves it selected in
    // dc. Quiet suppresses the record of faces the system replaced.
    TSharedFont(TFontManager& manager,
                const TCharFormat& format,
                bool quiet,
                Platform::HDC dc,
                std::int32_t deviceHeight);
    TSharedFont(const TSharedFont&) = delete;
    TSharedFont& operator=(const TSharedFont&) = delete;
    ~TSharedFont();

    // The sum of the advances of the bytes of text.
    std::int32_t TextWidth(std::string_view text) const;

    Platform::HFONT Handle = nullptr;
    TCharFormat Format{};  // with caSize replaced by the device height
    Platform::TTextMetrics Metrics;
    std::int32_t Descent = 0;  // descent + external leading
    std::int32_t Height = 0;   // ascent + Descent
    std::int32_t Widths[256] = {};
    std::int32_t UseCount = 0;
};

// Whether two formats make the same shared font: same font, device height
// (caSize), bold, italic, strike, double strike, underline and scale.
bool SharedFontFormatsMatch(const TCharFormat& a, const TCharFormat& b);
