// Table records for the painting tests, apart from the fixtures: the table
// header and the tab manager's header name the same alignments.
#include <cstdint>

#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"

void SetLastRowCellBackground(TDoc& doc, std::int32_t cell, std::int32_t color) {
    TTableRow* row = doc.TableRowList.At<TTableRow>(doc.TableRowList.Count - 1);
    row->Data.Cells[cell].Background = color;
}
