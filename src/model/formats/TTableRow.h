#pragma once

#include <cstdint>
#include <type_traits>

#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"

// A table row of the text. Tables are no objects of their own: their
// paragraphs carry the in-table property, a cell's last paragraph ends with
// the cell-end mark and a row ends with a paragraph that holds only the
// row-end mark, whose control (fcRowEnd) names this record by its object
// handle. The document owns every row its text has named
// (TDoc::TableRowList).

constexpr std::int32_t MaxTableCells = 63;
// Colours that mean "automatic".
constexpr std::int32_t AutomaticTableColor = static_cast<std::int32_t>(0xFF000000u);
// The x of a cell that a row does not have (the row-end paragraph's "cell").
constexpr std::int32_t NoCellEdge = 0x3FFFFFFF;

enum : std::int32_t { brSingle = 1 };                           // border kinds
enum : std::int32_t { taLeft = 0, taCentre = 1, taRight = 2 };  // row alignment
enum : std::int32_t { tbLeft = 0, tbTop = 1, tbRight = 2, tbBottom = 3, tbInsideH = 4, tbInsideV = 5 };

// Every field is a 32-bit word, so that an undo step can keep only the
// words that changed (TFormatRowsOperation).
struct TTableBorder {
    std::int32_t Width = 0;  // twips
    std::int32_t Kind = 0;   // 0 none, brSingle ...
    std::int32_t Color = AutomaticTableColor;
    std::int32_t Spacing = 0;

    bool operator==(const TTableBorder&) const = default;
};

struct TTableCell {
    std::int32_t RightEdge = UnsetValue;  // twips; the left edge is the right edge of the cell before
    std::int32_t Padding[4] = {UnsetValue, UnsetValue, UnsetValue, UnsetValue};  // left, top, right, bottom
    std::int32_t RelativeWidth = 0;
    std::int32_t VerticalAlignment = 0;  // 0 top, 1 centre, 2 bottom
    std::int32_t FirstOfMerge = 0;
    std::int32_t Merged = 0;
    TTableBorder Borders[4];  // left, top, right, bottom
    std::int32_t Background = AutomaticTableColor;
    std::int32_t PatternColor = AutomaticTableColor;
    std::int32_t Shading = 0;  // 16-bit value
    std::int32_t Span = 0;
    std::int32_t Work[2] = {0, 0};  // free for the operation that runs

    // A cell of a vertical merge below its first cell: layout hides it.
    bool IsContinuation() const { return Merged != 0 && FirstOfMerge == 0; }
    bool operator==(const TTableCell&) const = default;
};

// The row data: the part every table operation copies as one block, changes
// and hands back.
struct TTableRowData {
    std::int32_t Alignment = taLeft;
    std::int32_t LeftEdge = 0;               // twips, relative to the text column
    std::int32_t Height = 0;                 // 0 automatic, > 0 at least, < 0 exactly
    std::int32_t PreferredWidth = 0;         // fiftieths of a percent, 0 none
    std::int32_t Padding[4] = {0, 0, 0, 0};  // the row's cell paddings: left, top, right, bottom
    TTableBorder Borders[6];                 // left, top, right, bottom, inside horizontal, inside vertical
    std::int32_t Background = AutomaticTableColor;
    std::int32_t PatternColor = AutomaticTableColor;
    std::int32_t Shading = 0;
    std::int32_t CellCount = 0;  // 0 to MaxTableCells
    TTableCell Cells[MaxTableCells];
    std::int32_t KeepTogether = 0;
    std::int32_t HeaderRow = 0;
    std::int32_t Changed = 0;         // set when undo or redo changes the row
    std::int32_t ReferenceWidth = 0;  // twips; the width PreferredWidth was taken from

    // The left edge of cell i.
    std::int32_t CellLeft(std::int32_t i) const { return i == 0 ? LeftEdge : Cells[i - 1].RightEdge; }
    bool operator==(const TTableRowData&) const = default;
};

static_assert(std::is_trivially_copyable_v<TTableRowData>);
static_assert(sizeof(TTableRowData) % sizeof(std::int32_t) == 0);

class TTableRow {
public:
    TTableRow() = default;
    TTableRow(const TTableRow&) = delete;
    TTableRow& operator=(const TTableRow&) = delete;
    ~TTableRow();

    TTableRowData Data;
    // Kept by whoever last walked the table (layout, the table queries): the
    // row's index in its table and its paragraphs up to its row end.
    std::int32_t RowIndex = 0;
    TFragment Range{};

    // Kept by table layout: the cell edges resolved for a layout width and
    // the border widths each cell shares with its neighbours (left, top,
    // right, bottom), with the neighbouring rows and the width they were
    // resolved against, so that an unchanged table is not resolved again.
    struct TResolved {
        std::int32_t LeftEdge = 0;
        std::int32_t RightEdges[MaxTableCells] = {};
        std::int32_t Shared[MaxTableCells][4] = {};
        const TTableRow* Previous = nullptr;
        const TTableRow* Next = nullptr;
        std::int32_t Width = -1;
    };
    TResolved Resolved;

    // Kept by ScaleTableRows (model/undo/TableRowSteps.h): the width the row
    // was asked to fill and the width it was last scaled to, the layout
    // width it was last fitted to, and whether it waits to be scaled.
    std::int32_t RequestedWidth = 0;
    std::int32_t AppliedWidth = 0;
    std::int32_t BaseWidth = 0;
    std::uint8_t Scaled = 0;
};
