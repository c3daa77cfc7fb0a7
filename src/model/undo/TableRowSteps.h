#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTableRow.h"
#include "model/formats/TTextPos.h"

class TDoc;

// The steps that change table rows as a whole: the record every row format
// change hands to TFormatRowsOperation, the preferred widths that follow
// the rows' extent after each exchange, and the scaling of rows to a width.

// A caret paragraph that means "no caret".
constexpr std::int32_t NoCaretPar = static_cast<std::int32_t>(0x80000000u);

struct TFormatRowsArgs {
    std::vector<TTableRow*> Rows;     // the rows to change, in any order
    std::vector<TTableRowData> Data;  // one block per row, in the order of Rows
    std::int32_t CellAlignment = -1;  // -1 no change, else the alignment of the selected cells' text
    std::int32_t TablePar = 0;        // a paragraph of the table
    TTextPos CaretAfterUndo{NoCaretPar, 0};
    TTextPos CaretAfterRedo{NoCaretPar, 0};
    TTextPos PostPosition{NoCaretPar, 0};  // a further position for the post-actions
};

// A row that has a preferred width keeps it as the table's width: the
// widest extent of the rows from the leftmost row start, over the first
// row's reference width, in fiftieths of a percent. Nothing happens when
// the first row has no reference width.
void RecomputePreferredWidths(const std::vector<TTableRow*>& rows);

// Fits rows to a layout width: rows with an unset cell edge get their
// edges spread evenly over the width; unless keep is set, rows laid out
// with a preferred width are scaled about the common left edge to the
// width the first row's preferred width asks for, each edge changing only
// when it moves by 4 twips or more. Every row then takes the width as its
// base width.
void ScaleTableRows(const std::vector<TTableRow*>& rows, std::int32_t width, bool keep);
