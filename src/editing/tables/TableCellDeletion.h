#pragma once

#include <cstdint>

#include "model/document/TDoc.h"

// Deleting table cells, rows or the whole table.
enum : std::int32_t {
    dcShiftUp = 0,    // the cells below move up, an empty cell fills the column's foot
    dcShiftLeft = 1,  // the cells right of them move left, the row narrows
    dcRows = 2,       // the rows the selection touches go whole
    dcTable = 3,      // the whole table goes
};

// Deletes the selected cells (or the caret's cell) by mode. A row all of
// whose cells go is deleted whole in either shift mode.
void DeleteCells(TDoc& doc, std::int32_t mode);
