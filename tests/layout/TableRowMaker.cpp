// Kept apart from the fixtures: the row record's alignment names and the tab
// manager's cannot meet in one file.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"

std::int32_t NewTableRowHandle(TDoc& doc, const std::vector<std::int32_t>& rightEdges) {
    // A row holds at most MaxTableCells definitions; a row of more cells
    // keeps the first ones.
    auto* row = new TTableRow;
    const std::size_t count = std::min<std::size_t>(rightEdges.size(), MaxTableCells);
    row->Data.CellCount = static_cast<std::int32_t>(count);
    for (std::size_t k = 0; k < count; ++k)
        row->Data.Cells[k].RightEdge = rightEdges[k];
    doc.TableRowList.Add(row);
    return static_cast<std::int32_t>(ObjectHandle(row));
}

void KeepLastTableRowTogether(TDoc& doc) {
    static_cast<TTableRow*>(doc.TableRowList.Last())->Data.KeepTogether = 1;
}

void MarkLastTableRowAsHeading(TDoc& doc) {
    static_cast<TTableRow*>(doc.TableRowList.Last())->Data.HeaderRow = 1;
}
