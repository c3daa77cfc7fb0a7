#pragma once

#include <cstdint>

class TBox;
class TCompoundFragment;
class TField;
class TList;
class TPar;
struct TLineSlice;
struct TWrapArea;
namespace Platform {
class TDeviceContext;
}

// Line flags.
enum : std::uint32_t {
    lfHyphenated = 0x1,      // ends at an automatic hyphenation point
    lfPainting = 0x2,        // being painted
    lfPagePicture = 0x4,     // holds a picture scaled to fit the page
    lfHorizontalLine = 0x8,  // holds a horizontal-line shape
    lfShadedFields = 0x10,   // may hold shaded fields
    lfSectionBreak = 0x20,   // holds a section break
    lfHighlight = 0x40,      // holds highlighted text
    lfWrapPiece = 0x80,      // a piece of a wrap row
    lfWrapRowFirst = 0x100,  // the first piece of its wrap row
    lfWrapFirstRow = 0x200,  // a piece of the paragraph's first wrap row
    lfWrapLastRow = 0x400,   // a piece of the paragraph's last wrap row
    lfTopFixed = 0x800,      // Top was fixed by the wrap layout
    lfBesideSectionBreak = 0x1000,
    lfSectionBreakBeside = 0x2000,  // takes its paragraph's space before
    lfPageBreakEnd = 0x4000,        // a page break ends the paragraph here
    lfZoomWidthsValid = 0x8000,     // the zoomed widths of the line are valid
    lfDropCap = 0x10000,            // the line is a drop cap
};

// A laid-out line of a paragraph, owned by the paragraph's line list.
// Horizontal positions are in sixteenths of a screen pixel at 100 % zoom,
// vertical measures and width limits in twips.
//
// The record and its destruction are the model's; the operations below
// are the layout library's (src/layout/lines), which the paragraph room
// cannot see. Only code that links the layout library calls them.
class TLine {
public:
    TLine() = default;
    TLine(const TLine&) = delete;
    TLine& operator=(const TLine&) = delete;
    ~TLine();

    // --- The line pool and the positions array: layout/lines/TLinePool.cpp ---

    // A line for par from the pool (or a new one), placed after the
    // paragraph's last line and starting under the breaker's format.
    static TLine* Acquire(TPar* par);
    // Back to the pool; destroyed instead while the heap is very large.
    static void Release(TLine* line);
    void GrowPositions(std::int32_t bytes);
    void AppendPos(std::int32_t x);
    std::int32_t Pos(std::int32_t k) const { return Positions[k + 1]; }  // x after k characters

    // --- Breaking: layout/lines/TLineBuild.cpp ---

    // Fills the line from slice and advances slice past its bytes.
    void Build(TLineSlice& slice, TWrapArea* wrapArea);

    // --- Wrap rows: layout/lines/TLineWrap.cpp ---

    // Whether an item that ends at x (px16; WrapLineEndX: the line's end)
    // with these metrics keeps the row clear of the area's exclusions. A
    // failed check leaves in the area's X where the next piece may start.
    bool FitsWrapArea(TWrapArea& area, std::int32_t x, std::int32_t ascent, std::int32_t descent,
                      std::int32_t baseAscent);
    // Whether the current row has more than one piece or meets an exclusion
    // anywhere across its band.
    bool RowHasExclusion(const TWrapArea& area) const;

    // --- Metrics and positions: layout/lines/TLineMetrics.cpp ---

    void FinishMetrics();
    std::int32_t SpaceBefore() const;
    void PrepareZoomWidths();
    // Breaks the line again at the display zoom and stores each
    // character's measured width in zoomed pixels (CharCount entries).
    void MeasureAtZoom(std::uint16_t* widths);
    // Pixels at 100 % of the left edge of character n (0 .. CharCount).
    std::int32_t CharX(std::int32_t n);
    // The character boundary nearest to x (pixels at 100 %).
    std::int32_t CharAtX(std::int32_t x);
    bool EndsWithBreak() const;
    bool StartsParText() const;

    // --- Queries: layout/lines/TLineQueries.cpp ---

    // The last character is a column or page break (or the one before it
    // a page break), or a section break that starts a column or page.
    bool EndsRegion() const;
    // The line holds just one character and EndsRegion holds.
    bool IsRegionBreakLine() const;
    // The line starts the paragraph's text beside a list label with text.
    bool ShowsListLabel() const;
    // The first and the last line of the paragraph in the line's row.
    TLine* RowFirst() const;
    TLine* RowLast() const;
    // The height in device pixels at the zoom, at least 1. nextRowInBox is
    // the next line of the box that starts a row (nil for the box's last):
    // the height grows by the pixel rounding would otherwise leave as a
    // gap above it.
    std::int32_t HeightPixels(const TLine* nextRowInBox) const;
    // The characters first .. last - 1 of the line inside a column block
    // from x lo to x hi (zoomed pixels, either order).
    void BlockRange(std::int32_t lo, std::int32_t hi, std::int32_t& first, std::int32_t& last);
    // Adds the text ranges of the notes whose references end on the line
    // (endnotes or footnotes) to fragments, taking a set from the pool when
    // fragments is nil.
    void CollectNotes(bool endnotes, TCompoundFragment*& fragments) const;

    // --- Painting: layout/painting/TLinePaint.cpp ---

    // Paints the line with its top-left corner at (x, y) device pixels;
    // the caller has placed y at the line's Top in its box.
    void Paint(Platform::TDeviceContext* dc, std::int32_t x, std::int32_t y);

    std::int32_t X = 0;
    TPar* Par = nullptr;
    std::int32_t WidthLimit = 0;
    // Index into the document's LineStartFormats. 32 bits: a long document
    // may start lines under far more than 65536 distinct formats.
    std::uint32_t StartFormat = 0;
    // Sixteenths of a pixel; 32 bits, since a 1,638-point font is some
    // 35,000 sixteenths high.
    std::int32_t Ascent = 0;
    std::int32_t BaseAscent = 0;
    std::int32_t Descent = 0;
    std::int32_t StreamStart = 0;  // offset of the line's first byte in the format stream
    std::int32_t StreamLength = 0;
    std::int32_t Height = 0;
    std::int32_t Top = 0;
    std::int32_t FirstChar = 0;
    std::int32_t CharCount = 0;
    TBox* Box = nullptr;  // the layout box holding the line; nil while unplaced
    std::int32_t IndexInPar = 0;
    std::uint16_t IndexInBox = 0;
    std::uint32_t Flags = 0;
    std::int32_t Row = 0;
    std::int32_t LineNumber = 0;
    TField* FootnoteRef = nullptr;
    TField* EndnoteRef = nullptr;
    std::int32_t* Positions = nullptr;  // a Platform::HeapAlloc block: capacity in bytes, then x0, x1, ...
};

// Called when a line that a layout box still holds is destroyed or goes back
// to the line pool, so that the box forgets it. The layout library sets it
// when it makes its first box; until then no box holds a line.
using TLineDropHook = void (*)(TLine& line);
extern TLineDropHook LineDropHook;

// Destroys a paragraph's lines and their list (nil is allowed).
void DestroyLines(TList* lines);
