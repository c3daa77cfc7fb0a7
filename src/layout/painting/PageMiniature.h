#pragma once

#include <cstdint>

#include "base/core/Geometry.h"

class TCanvas;
struct TPageSetup;
struct TSectionFormat;

// Style flags of a miniature.
enum : std::uint32_t {
    pmFrame = 0x1,     // the page's frame and shadow
    pmEnvelope = 0x2,  // an envelope instead of a page
};

// Which part of the text the columns of a miniature apply to.
enum : std::uint8_t {
    pmsWholeText = 0,
    pmsFromHere = 1,
    pmsMiddle = 2,  // 2, 3 and 4 all show one part in the middle
};

// Where the miniature shows the page number.
struct TPageNumberMark {
    std::uint8_t Position = 2;  // 0 left, 1 centre, 2 right, 3 inside, 4 outside
    std::uint8_t Bottom = 1;    // non-zero: in the bottom margin
};

// A small picture of a page following the settings a dialog edits: its
// proportions and margins, greeked text, columns with the line between
// them, the page number's place, mirrored facing pages, or an envelope
// with its address blocks where the envelope settings
// (model/host/EnvelopeOptions.h) put them.
void PaintPageMiniature(TCanvas& canvas,
                        const TRect& rect,
                        const TPageSetup& setup,
                        std::uint32_t style,
                        std::uint8_t scope,
                        const TPageNumberMark* pageNumber,
                        const TSectionFormat* columns);

// Unequal column widths scaled so that they and the gaps between them fill
// the page setup's text width.
void ScaleColumnWidths(TSectionFormat& columns, const TPageSetup& setup);
