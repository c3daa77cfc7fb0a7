#pragma once

#include <cstdint>

class TDoc;

// Joining a rectangle of selected cells into one cell, dividing cells into
// a grid of cells, and cutting a table in two above a row.

// Why Merge Cells is not offered: the numbers the command layer's table of
// reasons uses.
enum : std::int32_t {
    mrOnlyRowEnds = 8,        // only row-end marks are selected
    mrNotMultipleCells = 49,  // the selection does not hold several cells
    mrCannotMerge = 50,       // the selected cells make no rectangle
};

struct TMergeCellsInfo {
    bool Ok = false;
    std::int32_t LeftX = 0;  // twips: the merged cell's edges
    std::int32_t RightX = 0;
    std::int32_t FirstRow = 0;  // row indexes within the table
    std::int32_t LastRow = 0;
    std::int32_t Reason = mrNotMultipleCells;
};

// Whether the selection can be merged into one cell, and into which.
// Changes nothing.
TMergeCellsInfo MergeCellsCheck(TDoc& doc);

// The workers. Each records its changes as steps of the open operation.
// Merges the selected cells when the check passes; nothing otherwise.
void MergeCells(TDoc& doc);
// Divides every selected cell (or the caret's) into columns x rows cells,
// each 1 to MaxTableCells. Refuses, telling the user and changing nothing,
// when a row would get more cells than a row can hold.
void SplitCells(TDoc& doc, std::int32_t columns, std::int32_t rows);
// Cuts the table above the row of the selection start (or the caret) with
// an empty paragraph.
void SplitTable(TDoc& doc);

// The number of paragraphs cell g (from 0) receives when n paragraphs are
// dealt out over k cells: at least one, the earlier cells one more while
// the remainder lasts.
std::int32_t ParagraphShare(std::int32_t n, std::int32_t k, std::int32_t g);
