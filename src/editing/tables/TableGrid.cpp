#include "editing/tables/TableGrid.h"

#include "editing/tables/TableStructure.h"
#include "model/formats/Tolerances.h"
#include "model/paragraphs/TPar.h"

std::vector<TGridRow> TableGrid(const TDoc& doc, std::int32_t p) {
    std::vector<TGridRow> rows;
    if (!InTablePar(doc, p))
        return rows;
    const int story = doc.StoryOfPar(p);
    const std::int32_t storyFirst = doc.FirstParOfStory(story);
    const std::int32_t storyLast = doc.LastParOfStory(story);
    std::int32_t first = p;
    while (first > storyFirst && InTablePar(doc, first - 1))
        --first;
    TGridRow row;
    row.First = first;
    std::int32_t cellFirst = first;
    for (std::int32_t q = first; q <= storyLast && InTablePar(doc, q); ++q) {
        if (IsRowEnd(doc, q)) {
            row.End = q;
            row.Row = TableRowOf(doc, q);
            if (row.Row != nullptr)
                rows.push_back(row);
            row = TGridRow{};
            row.First = q + 1;
            cellFirst = q + 1;
            continue;
        }
        if (EndsCellOrRow(doc, q)) {
            row.Cells.push_back(TGridCell{cellFirst, q});
            cellFirst = q + 1;
        }
    }
    return rows;
}

std::int32_t GridRowOf(const std::vector<TGridRow>& grid, std::int32_t p) {
    for (std::size_t i = 0; i < grid.size(); ++i)
        if (p >= grid[i].First && p <= grid[i].End)
            return static_cast<std::int32_t>(i);
    return -1;
}

std::int32_t GridCellOf(const TGridRow& row, std::int32_t p) {
    for (std::size_t c = 0; c < row.Cells.size(); ++c)
        if (p >= row.Cells[c].First && p <= row.Cells[c].Last)
            return static_cast<std::int32_t>(c);
    return static_cast<std::int32_t>(row.Cells.size());
}

TFragment GridCellRange(const TDoc& doc, const TGridCell& cell) {
    TFragment range{};
    MakeFragment(cell.First, 0, cell.Last, doc.Par(cell.Last)->CharCount(), range);
    return range;
}

bool IsEmptyGridCell(const TDoc& doc, const TGridCell& cell) {
    return cell.First == cell.Last && doc.Par(cell.First)->CharCount() == 1;
}

std::int32_t CellAtEdge(const TTableRowData& row, std::int32_t x) {
    for (std::int32_t c = std::min(row.CellCount, MaxTableCells) - 1; c >= 0; --c)
        if (TwipsNearlyEqual(row.Cells[c].RightEdge, x))
            return c;
    return -1;
}
