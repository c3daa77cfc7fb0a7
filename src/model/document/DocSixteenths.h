#pragma once

#include <cstdint>

class TDoc;

// The sixteenths conversions of a document. Layout counts in sixteenths of
// a pixel at 100 %; while the document measures at the display zoom
// (TDoc::MeasuringAtZoom) the same code counts whole pixels at the zoom
// instead, so a value is scaled by the zoom percentage in place of the
// factor 16. The Doc pair takes the document's vertical zoom (font sizes),
// the View pair its horizontal zoom (lengths across the line).
std::int32_t DocValueToSixteenths(std::int32_t value, const TDoc& doc);
std::int32_t DocValueFromSixteenths(std::int32_t value, const TDoc& doc);
std::int32_t ViewValueToSixteenths(std::int32_t value, const TDoc& doc);
std::int32_t ViewValueFromSixteenths(std::int32_t value, const TDoc& doc);
