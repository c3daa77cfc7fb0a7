#include <algorithm>
#include <cstdlib>
#include <map>

#include "editing/tables/RowFormatting.h"
#include "editing/tables/TableStructure.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TTableBox.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"

// Row measures from the laid-out table boxes: a row counts once per table
// part (page or column) in which it has a visible cell.

namespace {

void CollectTableBoxes(TBox* box, std::int32_t firstPar, std::vector<TTableBox*>& found) {
    for (std::int32_t i = 0; i < box->Count; ++i) {
        TBox* child = box->Child(i);
        if (child->Kind == bkTable && static_cast<TTableBox*>(child)->FirstPar == firstPar)
            found.push_back(static_cast<TTableBox*>(child));
        else
            CollectTableBoxes(child, firstPar, found);
    }
}

// The sum of the heights of the lines a box and the boxes inside it hold.
std::int32_t LinesHeight(const TBox* box) {
    std::int32_t height = 0;
    for (std::int32_t i = 0; i < box->LineCount(); ++i)
        height += box->Lines->At<TLine>(i)->Height;
    for (std::int32_t i = 0; i < box->Count; ++i)
        height += LinesHeight(box->Child(i));
    return height;
}

// Rows layout does not know are measured by the heights they ask for.
std::vector<TRowMeasure> StoredHeights(const std::vector<TTableRow*>& rows) {
    std::vector<TRowMeasure> measures;
    for (const TTableRow* row : rows) {
        TRowMeasure m;
        if (row->Data.Height != 0) {
            m.Height = std::abs(row->Data.Height);
            m.Parts = 1;
        }
        measures.push_back(m);
    }
    return measures;
}

}  // namespace

std::vector<TRowMeasure> MeasureTableRows(TDoc& doc, const std::vector<TTableRow*>& rows) {
    if (rows.empty() || doc.Pages.Count == 0)
        return StoredHeights(rows);
    TFragment table{};
    TableRange(doc, rows.front()->Range.Start.Par, table);
    doc.PaginateAll();
    std::vector<TTableBox*> boxes;
    for (std::int32_t i = 0; i < doc.Pages.Count; ++i)
        CollectTableBoxes(doc.Pages.At<TBox>(i), table.Start.Par, boxes);
    if (boxes.empty())
        return StoredHeights(rows);

    std::vector<TRowMeasure> measures(rows.size());
    bool measured = false;
    for (const TTableBox* box : boxes) {
        // Per row of this part: the tallest cell box and the tallest text.
        std::map<const TTableRow*, std::pair<std::int32_t, std::int32_t>> part;
        for (std::int32_t i = 0; i < box->Count; ++i) {
            const TBox* child = box->Child(i);
            if (child->Kind != bkCell || (child->Flags & (bxRowEnd | bxMergeContinue)) != 0)
                continue;
            const auto* cell = static_cast<const TCellBox*>(child);
            if (cell->CellRecord != nullptr && cell->CellRecord->Merged != 0) {
                // A merge's height belongs to several rows; only a table
                // that is one merged cell in one part measures it.
                const bool alone = cell->CellRecord->FirstOfMerge != 0 && i == 0 && !measured && boxes.size() == 1;
                if (!alone)
                    continue;
            }
            auto& [height, content] = part[cell->Row];
            height = std::max(height, cell->Height());
            content = std::max(content, LinesHeight(cell));
            measured = true;
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const auto it = part.find(rows[r]);
            if (it == part.end() || it->second.first <= 0)
                continue;
            measures[r].Height += it->second.first;
            measures[r].ContentHeight += it->second.second;
            measures[r].Parts += 1;
        }
    }
    return measures;
}

std::int32_t LaidOutCellHeight(TDoc& doc, const TTableRow* row, std::int32_t cell) {
    if (row == nullptr || doc.Pages.Count == 0)
        return 0;
    TFragment table{};
    TableRange(doc, row->Range.Start.Par, table);
    std::vector<TTableBox*> boxes;
    for (std::int32_t i = 0; i < doc.Pages.Count; ++i)
        CollectTableBoxes(doc.Pages.At<TBox>(i), table.Start.Par, boxes);
    std::int32_t height = 0;
    for (const TTableBox* box : boxes)
        for (std::int32_t i = 0; i < box->Count; ++i) {
            const TBox* child = box->Child(i);
            if (child->Kind != bkCell || (child->Flags & (bxRowEnd | bxMergeContinue)) != 0)
                continue;
            const auto* c = static_cast<const TCellBox*>(child);
            if (c->Row == row && c->CellIndex == cell)
                height = std::max(height, c->Height());
        }
    return height;
}
