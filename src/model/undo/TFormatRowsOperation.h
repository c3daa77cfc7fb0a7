#pragma once

#include <cstdint>
#include <vector>

#include "model/undo/TSubOperation.h"

#include "model/formats/TTextPos.h"

class TTableRow;
struct TTableRowData;
struct TFormatRowsArgs;

// New data for table rows. The step keeps, per row, only the 32-bit words
// of the row data that differ, with their byte offsets, and exchanges them
// with the row's own on every call, so undo and redo are the same. Every
// call marks the rows changed (layout measures them again) and forgets the
// cached tables.
class TFormatRowsOperation : public TSubOperation {
public:
    explicit TFormatRowsOperation(TDoc* doc) : TSubOperation(doc) {}
    // The step for a record (model/undo/TableRowSteps.cpp): every row with
    // its new data. It keeps the rows, over which each exchange recomputes
    // the preferred widths, and the carets to set after undo and redo.
    TFormatRowsOperation(TDoc* doc, const TFormatRowsArgs& args);

    // Records the words in which data differs from the row's current data;
    // false when it does not differ at all.
    bool AddRow(TTableRow* row, const TTableRowData& data);
    bool Empty() const { return Rows.empty(); }

    void Undo() override;

    struct TWordChange {
        std::int32_t Offset = 0;  // bytes into the row data
        std::int32_t Value = 0;   // the value the row does not have now
    };
    struct TRowChanges {
        TTableRow* Row = nullptr;
        std::vector<TWordChange> Words;
    };
    std::vector<TRowChanges> Rows;

    // From a TFormatRowsArgs record: the rows handed over, and the carets.
    std::vector<TTableRow*> TableRows;
    TTextPos CaretAfterUndo{static_cast<std::int32_t>(0x80000000u), 0};
    TTextPos CaretAfterRedo{static_cast<std::int32_t>(0x80000000u), 0};
    bool Undone = false;
    bool Executed = false;
};
