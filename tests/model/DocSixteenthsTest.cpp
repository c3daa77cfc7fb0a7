// The sixteenths conversions of a document: plain sixteenths, or pixels at
// the zoom while the document measures at the zoom.

#include <gtest/gtest.h>

#include "model/document/DocSixteenths.h"
#include "model/document/TDoc.h"

namespace {

TEST(DocSixteenthsTest, ScaledOnlyWhileMeasuringAtTheZoom) {
    struct Case {
        const char* name;
        bool measuring;
        std::int32_t value;
        std::int32_t docTo, docFrom, viewTo, viewFrom;
    };
    // Zoom 150 (vertical), zoom in force 200 (horizontal).
    const Case cases[] = {
        {"unscaled", false, 24, 384, 2, 384, 2},
        {"unscaled, half up", false, 23, 368, 1, 368, 1},
        // A negative value v converts as 1 - convert(1 - v).
        {"unscaled, negative mirrors", false, -24, -399, -1, -399, -1},
        {"scaled", true, 24, 36, 16, 48, 12},
        {"scaled, halves up", true, 25, 38, 17, 50, 13},
        {"scaled, negative mirrors", true, -25, -38, -16, -51, -12},
        {"zero", true, 0, 0, 0, 0, 0},
    };
    TDoc doc(true);
    doc.Zoom = 150;
    doc.ZoomInForce = 200;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.MeasuringAtZoom = c.measuring;
        EXPECT_EQ(DocValueToSixteenths(c.value, doc), c.docTo);
        EXPECT_EQ(DocValueFromSixteenths(c.value, doc), c.docFrom);
        EXPECT_EQ(ViewValueToSixteenths(c.value, doc), c.viewTo);
        EXPECT_EQ(ViewValueFromSixteenths(c.value, doc), c.viewFrom);
    }
}

}  // namespace
