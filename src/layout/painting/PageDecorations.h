#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/GdiTypes.h"

class TBox;
class TPage;
class TSection;
class TShape;

// The decorations the box painter leaves to BoxDecorationPainter: table
// borders and gridlines, the separators above notes, the lines between
// columns, the margin tint, the text boundaries, the labels of the
// header and footer being edited, the handles of the table under the mouse
// and the anchor marker of the selected shapes.

// What the decorations show; the options holder fills them in with the
// view options.
struct TDecorationOptions {
    // Dotted grey lines where table cells have no border.
    bool ShowGridlines = false;
    // Dotted lines around the text area of each page.
    bool ShowTextBoundaries = false;
    // A line above the footnotes and above the endnotes of a column.
    bool FootnoteSeparator = true;
    bool EndnoteSeparator = true;
    // The table under the mouse, named by its first paragraph (-1: none):
    // its move handle is drawn on the part where it starts (print layout)
    // and its resize handle on the part where it ends, while none of its
    // edges is being dragged.
    std::int32_t HotTablePar = -1;
    bool TableEdgeDragged = false;
    // A shape being dragged: its anchor gets the marker as the anchor of
    // the selected shapes does.
    const TShape* DraggedShape = nullptr;
    // The side of the anchor marker, in pixels.
    std::int32_t AnchorMarkerSize = 14;
};

// Where the anchor marker of a shape anchored on the given line start goes:
// eight thirds of a marker left of the line's start, but no more than a
// third of a marker left of a table paragraph's start; inside the page;
// and left of any shape it would cover. Pixels relative to the page.
struct TAnchorMarkerPlace {
    std::int32_t LineLeft = 0;
    std::int32_t Top = 0;
    bool InTable = false;
    std::int32_t PageWidth = 0;
    std::int32_t PageHeight = 0;
    std::int32_t Size = 14;
    std::vector<Platform::TRect> Shapes;
};
Platform::TRect AnchorMarkerRect(const TAnchorMarkerPlace& place);

TDecorationOptions& DecorationOptions();

// Fills BoxDecorationPainter with the decoration painter.
void InstallPageDecorations();

// The decoration painter itself (the seam's signature).
void PaintBoxDecorations(TBox& box, Platform::HDC dc, std::int32_t x, std::int32_t y, int when);

// The label shown at the header (or footer) of a page while headers and
// footers are edited: by the kind of page within its section, and, in a
// document of several sections, with the section's number.
struct THeaderFooterLabelCase {
    bool Footer = false;
    bool TitlePage = false;         // the section has a title page ...
    bool StartsSection = false;     // ... and the page's first line starts it
    bool DifferentOddEven = false;  // the section's odd and even pages differ
    std::int32_t PageIndex = 0;
    std::int32_t SectionNumber = 1;  // from 1
    std::int32_t SectionCount = 1;
};
std::string HeaderFooterLabel(const THeaderFooterLabelCase& c);
