#include "model/document/DocSixteenths.h"

#include "base/graphics/PixelSixteenths.h"
#include "model/document/TDoc.h"

// The vertical zoom is the document's zoom; the horizontal one the zoom in
// force, which differs from it only while a zoom change is being applied.

std::int32_t DocValueToSixteenths(std::int32_t value, const TDoc& doc) {
    return ValueToSixteenths(value, doc.MeasuringAtZoom, doc.Zoom);
}

std::int32_t DocValueFromSixteenths(std::int32_t value, const TDoc& doc) {
    return ValueFromSixteenths(value, doc.MeasuringAtZoom, doc.Zoom);
}

std::int32_t ViewValueToSixteenths(std::int32_t value, const TDoc& doc) {
    return ValueToSixteenths(value, doc.MeasuringAtZoom, doc.ZoomInForce);
}

std::int32_t ViewValueFromSixteenths(std::int32_t value, const TDoc& doc) {
    return ValueFromSixteenths(value, doc.MeasuringAtZoom, doc.ZoomInForce);
}
