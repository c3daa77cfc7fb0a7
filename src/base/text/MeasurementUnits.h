#pragma once

#include <cstdint>
#include <string>

// Lengths in the user's measurement unit.
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

// A border width in twips as points: "1 1/2", "3/4", "2", or the general
// decimal form when the width is not a multiple of 5 twips ("0.35").
std::string BorderWidthText(std::int32_t twips);
