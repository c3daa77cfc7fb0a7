#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

class TBox;
class TCellBox;
class TCompoundFragment;
class TDoc;
class TLine;
class TPage;
struct TTableCell;

// What the box painter shares with the view painter above it, and the seams
// through which code that does not exist yet joins in.

// The side of the square handles of tables and shapes, in pixels.
constexpr std::int32_t HandleSize = 7;

// The colour of a slot of the current interface palette (the scheme's
// default while no colour manager runs).
std::int32_t PaletteSlotColor(int slot);

// A document paints straight onto the device (printing, previews) instead
// of through the off-screen bitmap and the view's regions.
bool PaintsDirectly(const TDoc& doc);

// The cell record of a cell box: its own, or its row's cell of its index;
// nil for the row-end box.
const TTableCell* CellRecordOf(const TCellBox& cell);

// Adds a highlighted rectangle (window pixels) to the document's selection
// region, clipped to the off-screen bitmap.
void AddHighlightRect(TDoc& doc, const Platform::TRect& rect);

// The ranges of a highlight kind other than the selection (1 marked
// fragments, 2 occurrences of the selected word, 3 find-panel results), or
// nil while the kind is not shown; filled in by the selection and search
// code.
using THighlightRangeSource = const TCompoundFragment* (*)(TDoc& doc, int kind);
extern THighlightRangeSource HighlightRangeSource;

// Told of every line the box painter asks to paint, with the place it
// paints it at, just before TLine::Paint runs. Tests and tools watch the
// painter through it; nil by default.
using TLinePaintObserver = void (*)(TLine& line, Platform::HDC dc, std::int32_t x, std::int32_t y);
extern TLinePaintObserver LinePaintObserver;

// The shapes of a page, one layer at a time; filled in by the shape
// painter. Layers: 0 header/footer shapes behind the text, 1 header/footer
// shapes in front, 2 body shapes behind, 3 body shapes in front.
using TShapeLayerPainter = void (*)(TPage& page, Platform::HDC dc, std::int32_t x, std::int32_t y, int layer);
extern TShapeLayerPainter ShapeLayerPainter;

// The decorations of a box drawn around and between its text (table
// borders, note separators, lines between columns, margin tint, text
// boundaries, header/footer labels, handles); filled in by the decoration
// painter. when: 0 a page before its children, 1 a box after its children,
// 2 a page at the very end.
using TBoxDecorationPainter = void (*)(TBox& box, Platform::HDC dc, std::int32_t x, std::int32_t y, int when);
extern TBoxDecorationPainter BoxDecorationPainter;

// Updates the page-number fields of a header or footer for the page about
// to show it; filled in by the field code.
using THeaderFooterFieldUpdater = void (*)(TDoc& doc, TPage& page);
extern THeaderFooterFieldUpdater HeaderFooterFieldUpdater;
