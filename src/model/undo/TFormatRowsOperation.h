#pragma once

#include <cstdint>
#include <vector>

#include "model/undo/TSubOperation.h"

class TTableRow;
struct TTableRowData;

// New data for table rows. The step keeps, per row, only the 32-bit words
// of the row data that differ, with their byte offsets, and exchanges them
// with the row's own on every call, so undo and redo are the same. Every
// call marks the rows changed (layout measures them again) and forgets the
// cached tables.
class TFormatRowsOperation : public TSubOperation {
public:
    explicit TFormatRowsOperation(TDoc* doc) : TSubOperation(doc) {}

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
};
