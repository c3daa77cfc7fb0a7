#include "editing/references/CellWidth.h"

#include <algorithm>

#include "editing/tables/TableStructure.h"
#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"

std::int32_t CellInnerWidth(const TDoc& doc, std::int32_t par) {
    if (!InTablePar(doc, par))
        return 0;
    const TTableRow* row = TableRowOf(doc, par);
    const std::int32_t cell = CellIndex(doc, par);
    if (row == nullptr || cell < 0 || cell >= row->Data.CellCount || row->Data.Cells[cell].RightEdge == UnsetValue)
        return 0;
    const TTableCell& c = row->Data.Cells[cell];
    const std::int32_t left = c.Padding[0] != UnsetValue ? c.Padding[0] : row->Data.Padding[0];
    const std::int32_t right = c.Padding[2] != UnsetValue ? c.Padding[2] : row->Data.Padding[2];
    return std::max(0, c.RightEdge - row->Data.CellLeft(cell) - left - right);
}
