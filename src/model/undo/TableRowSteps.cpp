#include "model/undo/TableRowSteps.h"

#include <algorithm>
#include <cstdlib>

#include "base/core/Geometry.h"
#include "model/undo/TFormatRowsOperation.h"

namespace {

// 100 percent in fiftieths of a percent.
constexpr std::int32_t WholeWidth = 5000;
// Scaled edges closer than this to their old place stay where they were.
constexpr std::int32_t ScaleTolerance = 4;

std::int32_t CellCountOf(const TTableRow& row) {
    return std::clamp(row.Data.CellCount, 0, MaxTableCells);
}

}  // namespace

void RecomputePreferredWidths(const std::vector<TTableRow*>& rows) {
    if (rows.empty() || rows.front()->Data.ReferenceWidth <= 0)
        return;
    std::int32_t leftmost = rows.front()->Data.LeftEdge;
    for (const TTableRow* row : rows)
        leftmost = std::min(leftmost, row->Data.LeftEdge);
    std::int64_t extent = 0;
    for (const TTableRow* row : rows) {
        const std::int32_t n = CellCountOf(*row);
        if (n > 0)
            extent =
                std::max<std::int64_t>(extent, static_cast<std::int64_t>(row->Data.Cells[n - 1].RightEdge) - leftmost);
    }
    const std::int32_t preferred = MulDiv(static_cast<std::int32_t>(std::min<std::int64_t>(extent, 0x3FFFFFFF)),
                                          WholeWidth, rows.front()->Data.ReferenceWidth);
    for (TTableRow* row : rows)
        if (row->Data.PreferredWidth != 0)
            row->Data.PreferredWidth = preferred;
}

void ScaleTableRows(const std::vector<TTableRow*>& rows, std::int32_t width, bool keep) {
    for (TTableRow* row : rows) {
        const std::int32_t n = CellCountOf(*row);
        bool unset = false;
        for (std::int32_t c = 0; c < n; ++c)
            unset = unset || row->Data.Cells[c].RightEdge == UnsetValue;
        if (!unset)
            continue;
        for (std::int32_t c = 0; c < n; ++c)
            row->Data.Cells[c].RightEdge =
                static_cast<std::int32_t>(row->Data.LeftEdge + static_cast<std::int64_t>(width) * (c + 1) / n);
        row->RequestedWidth = row->AppliedWidth = width;
    }
    if (!keep && !rows.empty() && rows.front()->Data.PreferredWidth > 0) {
        const std::int64_t target = static_cast<std::int64_t>(width) * rows.front()->Data.PreferredWidth / WholeWidth;
        std::int32_t left = rows.front()->Data.LeftEdge;
        for (const TTableRow* row : rows)
            left = std::min(left, row->Data.LeftEdge);
        std::int64_t extent = 0;
        for (const TTableRow* row : rows) {
            const std::int32_t n = CellCountOf(*row);
            if (n > 0)
                extent =
                    std::max<std::int64_t>(extent, static_cast<std::int64_t>(row->Data.Cells[n - 1].RightEdge) - left);
        }
        const auto scaled = [&](std::int32_t x) {
            return static_cast<std::int32_t>(left + (static_cast<std::int64_t>(x) - left) * target / extent);
        };
        const auto store = [](std::int32_t& at, std::int32_t value) {
            if (std::abs(static_cast<std::int64_t>(value) - at) >= ScaleTolerance)
                at = value;
        };
        for (TTableRow* row : rows) {
            if (extent <= 0 || row->Data.PreferredWidth == 0 || row->AppliedWidth == target)
                continue;
            store(row->Data.LeftEdge, scaled(row->Data.LeftEdge));
            for (std::int32_t c = 0; c < CellCountOf(*row); ++c)
                store(row->Data.Cells[c].RightEdge, scaled(row->Data.Cells[c].RightEdge));
            row->AppliedWidth = static_cast<std::int32_t>(target);
        }
    }
    for (TTableRow* row : rows) {
        row->BaseWidth = width;
        row->Scaled = 0;
    }
}

TFormatRowsOperation::TFormatRowsOperation(TDoc* doc, const TFormatRowsArgs& args)
    : TSubOperation(doc),
      TableRows(args.Rows),
      CaretAfterUndo(args.CaretAfterUndo),
      CaretAfterRedo(args.CaretAfterRedo) {
    for (std::size_t i = 0; i < args.Rows.size() && i < args.Data.size(); ++i)
        AddRow(args.Rows[i], args.Data[i]);
}
