#pragma once

#include <cstdint>
#include <string>

#include "platform/GdiTypes.h"

class TBox;
class TPage;
class TSection;

// The decorations the box painter leaves to BoxDecorationPainter: table
// borders and gridlines, the separators above notes, the lines between
// columns, the margin tint, the text boundaries and the labels of the
// header and footer being edited.

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
};

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
