#pragma once

#include <cstdint>
#include <string>

// Lengths in the user's measurement unit, paper sizes, the basic colours,
// the underline names and sixteenths of a pixel.
//
// Document lengths are twips (1/1440 inch). The user sees them in one of
// five units, chosen in the options ("Measurements").

enum : std::int32_t { muCentimeters = 0, muInches = 1, muPoints = 2, muPicas = 3, muMillimeters = 4 };

// The process-wide unit; a value outside 0..4 is taken as centimetres.
std::int32_t MeasureUnit();
void SetMeasureUnit(std::int32_t unit);

// " cm", "\"", " pt", " pi" or " mm".
const char* MeasureUnitSuffix();
// Hundredths of the current unit (points and millimetres are kept to
// tenths), and back; every step rounds to nearest.
std::int32_t TwipsToUnitHundredths(std::int32_t twips);
std::int32_t UnitHundredthsToTwips(std::int32_t hundredths);
// Hundredths of a point, kept to tenths: 250 twips give 1250.
std::int32_t TwipsToPointHundredths(std::int32_t twips);
// "2.54 cm", "0.75\"", "12 pt": centimetres, inches and picas in the short
// general form, points and millimetres rounded to whole numbers (halves to
// even), with the current decimal separator and the unit's suffix.
std::string FormatTwipsInUnit(std::int32_t twips);

// Paper sizes: width and height in twips, the printer's paper code (0 none)
// and a caption whose two dimensions are marked with "^". Entries 13 to 34
// are envelopes; the last entry stands for a custom size.
struct TPaperSize {
    std::int32_t Width;
    std::int32_t Height;
    std::int32_t Code;
    const char* Caption;
};
constexpr int PaperSizeCount = 36;
constexpr int CustomPaperSize = 35;
constexpr int FirstEnvelopeSize = 13;
constexpr int LastEnvelopeSize = 34;
extern const TPaperSize PaperSizes[PaperSizeCount];

// The caption without its marks; with swap (landscape) its two dimensions
// change places ("US Letter, 11 x 8 1/2 in").
std::string GetPaperSizeCaption(int index, bool swap);
// The first size whose width and height are each within 20 twips of the
// given ones, in either orientation; CustomPaperSize when none is.
int FindPaperSize(std::int32_t width, std::int32_t height);
// The same over the envelopes; -1 when none matches.
int FindEnvelopeSize(std::int32_t width, std::int32_t height);
// The printer code of FindPaperSize (0 for a custom size).
std::int32_t PaperCodeOfSize(std::int32_t width, std::int32_t height);

// The 16 basic colours, numbered 1..16, as 0x00BBGGRR.
constexpr int BasicColorCount = 16;
extern const std::int32_t BasicColors[BasicColorCount];
// 1..16: the basic colour nearest to color by the sum of the red, green
// and blue differences (the first wins ties). A basic colour equal to
// exclude is passed over unless it equals color. Automatic gives 0.
int NearestBasicColor(std::int32_t color, std::int32_t exclude);
bool IsBasicColor(std::int32_t color);

// The underline styles with their description names, in table order.
struct TUnderlineStyle {
    std::int32_t Code;
    const char* Name;
};
constexpr int UnderlineStyleCount = 18;
extern const TUnderlineStyle UnderlineStyles[UnderlineStyleCount];
// Position of the code in UnderlineStyles; -1 when absent.
int IndexOfUnderlineStyle(std::int32_t code);

// Layout positions are counted in sixteenths of a pixel. Unscaled, a pixel
// is 16 sixteenths; in the scaled mode of device output a value is scaled
// by the zoom percentage instead. Negative values mirror the positive side
// around one half, so rounding is symmetric.
std::int32_t ValueToSixteenths(std::int32_t value, bool scaled, std::int32_t zoom);
std::int32_t ValueFromSixteenths(std::int32_t value, bool scaled, std::int32_t zoom);
// Sixteenths to whole pixels, halves rounded up: 24 gives 2, 23 gives 1.
std::int32_t SixteenthsToWhole(std::int32_t value);

// A border width in twips as points: "1 1/2", "3/4", "2", or the general
// decimal form when the width is not a multiple of 5 twips ("0.35").
std::string BorderWidthText(std::int32_t twips);
