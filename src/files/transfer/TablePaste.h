#pragma once

#include <cstdint>
#include <string_view>

#include "editing/tables/TableLimits.h"
#include "files/transfer/Paste.h"

class TDoc;

// Pasting into tables: rows above the caret's row, columns before the
// caret's cell, cells laid over the caret's cells or over selected cells,
// and content spread over selected cells one paragraph each. No kind lets
// a row exceed MaxTableCells cells: a paste that would is refused before
// it changes anything.

// TooManyCellsMessage, which every table edit shares, is in
// editing/tables/TableLimits.h.

// The paste in progress, as the table kinds see it: the destination, the
// request, and the content loaded into its hidden document.
struct TTablePasteContext {
    TDoc& Doc;
    const TPasteData& Data;
    TDoc& Content;
    const TPasteLoadResult& Loaded;
    bool PlainText = false;
};

// Runs one of the table kinds (pkNewRows ... pkIntoSelectedCells).
void PasteIntoTable(TTablePasteContext& context, std::int32_t kind);
