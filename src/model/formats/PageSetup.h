#pragma once

#include <cstddef>
#include <cstdint>

// Page setup, columns and the column geometry of a section. Lengths are in
// twips unless a field says otherwise.

// How the columns of a section are laid out; held and copied whole.
struct TSectionFormat {
    // How the text after this section's break begins: 0 continuous, 1 new
    // page, 2 next even page, 3 next odd page. Unused in the last section.
    std::uint8_t BreakKind = 1;
    std::int32_t ColumnCount = 1;
    std::int32_t EqualColumns = 1;  // the columns share the text width equally
    std::int32_t ColumnSpacing = 720;
    // Per column: 0, width, gap after it, 0, 0.
    std::int32_t ColumnTable[64][5] = {};
    std::int32_t LineBetween = 0;  // a vertical line between columns
};

// The page setup of a section. The record is also addressed by 32-bit word
// (the margin and distance words 4 to 9) and by byte (bytes 40 and 41, the
// mirror and facing-pages flags), so its layout is fixed.
struct TPageSetup {
    std::int32_t PageWidth;
    std::int32_t PageHeight;
    std::uint8_t Orientation;    // 1 landscape
    std::int32_t TextHeight100;  // pixels at 100 %, derived
    std::int32_t LeftMargin;
    std::int32_t RightMargin;
    std::int32_t TopMargin;
    std::int32_t BottomMargin;
    std::int32_t HeaderDistance;  // from the page edge
    std::int32_t FooterDistance;
    std::uint8_t MirrorMargins;
    std::uint8_t FacingPages;
    std::uint8_t DifferentFirstPage;
    std::uint8_t EndnotesNotHere;  // 0: the section's endnotes are collected at its end
    // Page width, page height and the four margins in pixels: at 100 %,
    // then at the current zoom. Derived (TDoc::UpdatePageMetrics).
    std::int32_t Pixels100[6];
    std::int32_t PixelsZoomed[6];
    std::int32_t TextWidth;       // page width less the left and right margins
    std::int32_t LineNumberStep;  // 0: no line numbers
    std::int32_t LineNumberDistance;
    std::int32_t LineNumberStart;
    std::uint8_t LineNumberRestart;  // 0 each page, 1 each section, 2 continuous
};

static_assert(offsetof(TPageSetup, LeftMargin) == 4 * 4 && offsetof(TPageSetup, FooterDistance) == 9 * 4 &&
              offsetof(TPageSetup, MirrorMargins) == 40 && offsetof(TPageSetup, FacingPages) == 41);

// The margin and distance words 4 to 9 of a page setup: left, right, top,
// bottom margin, header distance, footer distance.
constexpr int PageSetupFirstMarginWord = 4;
std::int32_t& PageSetupWord(TPageSetup& setup, int word);

// Zeroes the record, then US Letter with 1-inch margins, half-inch header
// and footer distances and line numbers starting at 1.
void SetDefaultPageSetup(TPageSetup& setup);
// Clamps the page size and the margins and distances into sound ranges and
// recomputes the text width.
void ValidatePageSetup(TPageSetup& setup);
// Whether two page setups differ in what starts a new page: size,
// orientation, margins, distances, mirror, facing and first-page flags.
bool PageSetupsDifferInLayout(const TPageSetup& a, const TPageSetup& b);

// The place of one column, counted from 0 at the left text edge. The edges
// split each gap between the columns on either side, for hit-testing and
// rulers.
struct TColumnGeometry {
    std::int32_t Left = 0;
    std::int32_t Width = 0;
    std::int32_t Gap = 0;
    std::int32_t LeftEdge = 0;
    std::int32_t RightEdge = 0;
};

void GetColumnGeometry(const TSectionFormat& format,
                       const TPageSetup& setup,
                       std::int32_t column,
                       TColumnGeometry& geometry);
