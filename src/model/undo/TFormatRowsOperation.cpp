#include "model/undo/TFormatRowsOperation.h"

#include <cstddef>
#include <cstring>

#include "base/core/Checks.h"
#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"
#include "model/undo/TableRowSteps.h"

namespace {

// The Changed word itself is kept out of the comparison: it only tells
// layout that a row changed and is set on every exchange anyway.
constexpr std::int32_t ChangedOffset = static_cast<std::int32_t>(offsetof(TTableRowData, Changed));

std::int32_t WordAt(const TTableRowData& data, std::int32_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(&data) + offset, sizeof value);
    return value;
}

void StoreWordAt(TTableRowData& data, std::int32_t offset, std::int32_t value) {
    std::memcpy(reinterpret_cast<std::uint8_t*>(&data) + offset, &value, sizeof value);
}

}  // namespace

bool TFormatRowsOperation::AddRow(TTableRow* row, const TTableRowData& data) {
    // A second entry for one row would exchange against the first one's
    // result; callers collect a row's changes into one data block.
    for (const TRowChanges& listed : Rows)
        REZ_ASSERT(listed.Row != row);
    TRowChanges changes;
    changes.Row = row;
    for (std::int32_t offset = 0; offset < static_cast<std::int32_t>(sizeof(TTableRowData));
         offset += static_cast<std::int32_t>(sizeof(std::int32_t))) {
        if (offset == ChangedOffset)
            continue;
        const std::int32_t wanted = WordAt(data, offset);
        if (wanted != WordAt(row->Data, offset))
            changes.Words.push_back({offset, wanted});
    }
    if (changes.Words.empty())
        return false;
    Rows.push_back(std::move(changes));
    return true;
}

void TFormatRowsOperation::Undo() {
    // Each row is listed once (AddRow), so the order of the exchanges does
    // not matter.
    for (auto it = Rows.begin(); it != Rows.end(); ++it) {
        TTableRowData& data = it->Row->Data;
        for (TWordChange& change : it->Words) {
            const std::int32_t current = WordAt(data, change.Offset);
            StoreWordAt(data, change.Offset, change.Value);
            change.Value = current;
        }
        data.Changed = 1;
    }
    RecomputePreferredWidths(TableRows);
    // The first call applies the change; every later one alternates.
    const TTextPos& caret = Undone ? CaretAfterRedo : CaretAfterUndo;
    if (Executed && caret.Par != NoCaretPar && caret.Par >= 0 && caret.Par < Doc->ParCount())
        Doc->Caret = caret;
    if (Executed)
        Undone = !Undone;
    Executed = true;
    Doc->ClearTableCache();
}
