// Tables in the flow. A table is placed row by row into a table box, one
// cell box per cell: each row's cells stand side by side at their resolved
// edges, each cell's paragraphs flow into its own box, and the row is as
// high as its tallest cell. A vertically merged cell is one box that grows
// through the rows it spans. A row that does not fit at the bottom of a page
// is split there, its cells continuing on the next page, unless it may not
// split; then it moves whole, except at the top of a page, where it is
// split however tall it is. A table continued on a later page leaves room
// for its heading rows at the top, where painting shows them again.
//
// Every placement advances: a row that has no room at all at the top of a
// page is placed again with every height request forced, and the cells'
// own text always flows as plain text, so tables in cells never recurse.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "layout/lines/LineLayout.h"
#include "layout/pagination/Pagination.h"
#include "layout/pagination/TableLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace {

// The width a cell gets when its row names no edge for it: one inch.
constexpr std::int32_t FallbackCellWidth = 1440;

std::uint8_t LastChar(const TPar& par) {
    return par.CharCount() > 0 ? par.Chars.Data[par.CharCount() - 1] : 0;
}

TTableRow* RowRecordOf(const TPar& rowEnd) {
    TStreamElement e;
    for (std::int32_t off = 0; off < rowEnd.Stream.Size; off += e.Length) {
        ReadStreamElement(rowEnd.Stream.Data, rowEnd.Stream.Size, off, e);
        if (e.Length <= 0 || e.Truncated)
            break;
        if (e.IsControl && e.Code == fcRowEnd)
            return e.Value > 0 ? HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value)) : nullptr;
    }
    return nullptr;
}

struct TRowShape {
    std::int32_t First = 0;                                    // the row's first paragraph
    std::int32_t RowEnd = -1;                                  // the paragraph that holds the row's end mark
    std::vector<std::pair<std::int32_t, std::int32_t>> Cells;  // first and last paragraph of each cell
    TTableRow* Record = nullptr;
};

// The row that starts at paragraph p and ends by lastPar: cells end with a
// cell mark, the row with the paragraph that ends with the row mark.
bool RowAt(const TDoc& doc, std::int32_t p, std::int32_t lastPar, TRowShape& row) {
    row.First = p;
    row.Cells.clear();
    std::int32_t cellStart = p;
    for (std::int32_t q = p; q <= lastPar; ++q) {
        const TPar& par = *doc.Par(q);
        if (par.Format.InTable != 1)
            return false;
        const std::uint8_t last = LastChar(par);
        if (last == chRowEnd) {
            row.RowEnd = q;
            if (cellStart < q)
                row.Cells.emplace_back(cellStart, q - 1);
            row.Record = RowRecordOf(par);
            return true;
        }
        if (last == chCellEnd) {
            row.Cells.emplace_back(cellStart, q);
            cellStart = q + 1;
        }
    }
    return false;
}

// What the whole table's walk keeps of a row: its paragraphs, its cell
// marks and its record. The cells' paragraphs are found only for the rows
// that are placed.
struct TRowInfo {
    std::int32_t First = 0;
    std::int32_t RowEnd = 0;
    std::int32_t CellMarks = 0;
    TTableRow* Record = nullptr;
};

// The rows from paragraph first on, as far as the table's paragraphs reach
// (never beyond lastPar); a row that no row end closes ends the list.
std::vector<TRowInfo> RowsFrom(const TDoc& doc, std::int32_t first, std::int32_t lastPar) {
    std::vector<TRowInfo> rows;
    TRowInfo row;
    row.First = first;
    for (std::int32_t q = first; q <= lastPar; ++q) {
        const TPar& par = *doc.Par(q);
        if (par.Format.InTable != 1)
            break;
        const std::uint8_t last = LastChar(par);
        if (last == chRowEnd) {
            row.RowEnd = q;
            row.Record = RowRecordOf(par);
            rows.push_back(row);
            row = TRowInfo{};
            row.First = q + 1;
        } else if (last == chCellEnd) {
            ++row.CellMarks;
        }
    }
    return rows;
}

// The rows of the table that holds paragraph p, from the table's first
// paragraph in p's story.
std::vector<TRowInfo> TableShape(const TDoc& doc, std::int32_t p) {
    const int story = doc.StoryOfPar(p);
    const std::int32_t storyFirst = doc.FirstParOfStory(story);
    const std::int32_t storyLast = std::min(doc.LastParOfStory(story), doc.ParCount() - 1);
    std::int32_t first = p;
    while (first > storyFirst && doc.Par(first - 1)->Format.InTable == 1)
        --first;
    return RowsFrom(doc, first, storyLast);
}

// The rows of the tables met during one pagination run (TTableWalkScope):
// a long table is walked once, not once per page.
struct TWalkedTable {
    std::int32_t Story = 0;
    std::vector<TRowInfo> Rows;
    std::int32_t ResolvedWidth = -1;
};

struct TTableWalkCache {
    const TDoc* Doc = nullptr;
    int Depth = 0;
    std::vector<TWalkedTable> Tables;
};

TTableWalkCache& WalkCache() {
    static TTableWalkCache cache;
    return cache;
}

// The walked table whose rows include one that starts at paragraph p.
TWalkedTable* CachedTable(const TDoc& doc, std::int32_t p, int story) {
    TTableWalkCache& cache = WalkCache();
    if (cache.Depth == 0 || cache.Doc != &doc)
        return nullptr;
    for (TWalkedTable& t : cache.Tables) {
        if (t.Story != story || t.Rows.empty() || p < t.Rows.front().First || p > t.Rows.back().RowEnd)
            continue;
        const auto it = std::lower_bound(t.Rows.begin(), t.Rows.end(), p,
                                         [](const TRowInfo& row, std::int32_t par) { return row.First < par; });
        if (it != t.Rows.end() && it->First == p)
            return &t;
    }
    return nullptr;
}

// A row keeps with the next when it is a heading row or one of its
// paragraphs keeps with the next: it stays on the page of the row (or the
// paragraph) after it.
bool RowKeeps(const TDoc& doc, const TRowInfo& row) {
    if (row.Record != nullptr && row.Record->Data.HeaderRow != 0)
        return true;
    for (std::int32_t q = row.First; q <= row.RowEnd; ++q)
        if (doc.Par(q)->Format.KeepWithNext == 1)
            return true;
    return false;
}

// One cell of a row as the flow places it.
struct TCellGeometry {
    std::int32_t Left = 0;
    std::int32_t Right = 0;
    std::int32_t Shared[4] = {0, 0, 0, 0};
    TTableCell* Record = nullptr;
};

// The cells of a row: as many as its marks say, and never more records than
// the row defines; cells the row has no definition for continue to the
// right at the width of the cell before.
std::vector<TCellGeometry> RowGeometry(TTableRow* record, std::int32_t cellCount, std::int32_t tableLeft) {
    std::vector<TCellGeometry> cells(static_cast<std::size_t>(std::max(0, cellCount)));
    const std::int32_t defined = record != nullptr ? std::clamp(record->Data.CellCount, 0, MaxTableCells) : 0;
    std::int32_t left = tableLeft + (record != nullptr ? record->Resolved.LeftEdge : 0);
    std::int32_t lastWidth = FallbackCellWidth;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        TCellGeometry& g = cells[k];
        g.Left = left;
        const auto c = static_cast<std::int32_t>(k);
        if (c < defined) {
            const TTableRow::TResolved& r = record->Resolved;
            g.Right = tableLeft + r.RightEdges[c];
            std::copy(std::begin(r.Shared[c]), std::end(r.Shared[c]), std::begin(g.Shared));
            g.Record = &record->Data.Cells[c];
        } else {
            g.Right = left + lastWidth;
        }
        // Edges out of order still give every cell some width, so that its
        // text can be broken at all.
        g.Right = std::max(g.Right, g.Left + 1);
        lastWidth = std::min(g.Right - g.Left, MaxTableMeasure);
        left = g.Right;
    }
    return cells;
}

// The left edge of a row's first cell and the right edge of its last, by
// the same rules as RowGeometry; false for a row without cells.
bool RowExtent(const TRowInfo& row, std::int64_t& left, std::int64_t& right) {
    if (row.CellMarks <= 0)
        return false;
    const TTableRow* record = row.Record;
    const std::int32_t defined =
        record != nullptr ? std::min(std::clamp(record->Data.CellCount, 0, MaxTableCells), row.CellMarks) : 0;
    std::int64_t x = record != nullptr ? record->Resolved.LeftEdge : 0;
    left = x;
    std::int64_t width = FallbackCellWidth;
    for (std::int32_t c = 0; c < defined; ++c) {
        const std::int64_t r = std::max<std::int64_t>(record->Resolved.RightEdges[c], x + 1);
        width = r - x;
        x = r;
    }
    right = x + width * (row.CellMarks - defined);
    return true;
}

bool SameEdge(std::int32_t a, std::int32_t b) {
    return std::abs(static_cast<std::int64_t>(a) - b) < EdgeTolerance;
}

bool RangeEmpty(const TFragment& range) {
    return range.Start.Par > range.End.Par ||
           (range.Start.Par == range.End.Par && range.Start.Offset >= range.End.Offset);
}

// The range of a cell box's cell that follows the box's last line.
TFragment RestAfter(const TCellBox& box) {
    TFragment rest = box.CellRange;
    const TLine* line = box.LastLine(0);
    if (line == nullptr)
        return rest;
    const std::int32_t par = line->Par->Index;
    const std::int32_t end = line->FirstChar + line->CharCount;
    if (end >= line->Par->CharCount())
        rest.Start = {par + 1, 0};
    else
        rest.Start = {par, end};
    return rest;
}

// The part of range whose lines no box holds yet: text that an earlier
// part of the table, a split row or a merge placed already is skipped, so
// that no line is ever listed by two boxes. (A placed line names a live
// box: a box let go or rolled back clears its lines' references.)
TFragment Unplaced(const TDoc& doc, TFragment range) {
    while (!RangeEmpty(range) && range.Start.Par < doc.ParCount()) {
        const TPar& par = *doc.Par(range.Start.Par);
        const TLine* line = nullptr;
        for (std::int32_t i = 0; i < par.LineCount() && line == nullptr; ++i) {
            const TLine* candidate = par.Lines->At<TLine>(i);
            if (candidate->FirstChar + candidate->CharCount > range.Start.Offset)
                line = candidate;
        }
        if (line == nullptr || line->Box == nullptr)
            break;
        const std::int32_t end = line->FirstChar + line->CharCount;
        if (end >= par.CharCount())
            range.Start = {range.Start.Par + 1, 0};
        else
            range.Start = {range.Start.Par, end};
    }
    return range;
}

// The most recent other part of the table whose first paragraph is first:
// in an earlier column of this page, or on the page before. Headers and
// footers are laid out per page and never continue a table.
TTableBox* PreviousPart(TDoc& doc, TPage* page, const TTableBox& table) {
    if (page == nullptr || table.Story == stHeadersFooters)
        return nullptr;
    TTableBox* found = nullptr;
    bool passed = false;
    auto walk = [&](auto&& self, TBox* box) -> void {
        if (passed)
            return;
        if (box == &table) {
            passed = true;
            return;
        }
        if (box->Kind == bkTable) {
            auto* t = static_cast<TTableBox*>(box);
            if (t->FirstPar == table.FirstPar && t->Story == table.Story)
                found = t;
            return;
        }
        for (std::int32_t i = 0; i < box->Count; ++i)
            self(self, box->Child(i));
    };
    walk(walk, page);
    if (found != nullptr)
        return found;
    const std::int32_t before = page->PageIndex - 1;
    if (before < 0 || before >= doc.Pages.Count || doc.Pages.At<TPage>(before) == page)
        return nullptr;
    passed = false;
    walk(walk, doc.Pages.At<TPage>(before));
    return found;
}

// Gives the cells of a finished row one bottom, at least the row's height
// below its top, and aligns their content vertically.
std::int32_t SettleRow(TTableBox& table,
                       const std::vector<TCellBox*>& cells,
                       std::int32_t top,
                       const TTableRow* record) {
    std::int32_t bottom = top;
    for (const TCellBox* cell : cells)
        bottom = std::max(bottom, cell->Bounds.Bottom);
    if (record != nullptr && record->Data.Height != 0) {
        const std::int64_t least =
            static_cast<std::int64_t>(top) + std::abs(static_cast<std::int64_t>(record->Data.Height));
        bottom = static_cast<std::int32_t>(std::max<std::int64_t>(bottom, std::min<std::int64_t>(least, 0x3FFFFFFF)));
    }
    if (bottom > table.Height())
        table.Grow(bottom - table.Height(), true);
    for (TCellBox* cell : cells) {
        cell->Bounds.Bottom = bottom;
        std::int32_t content = 0;
        for (std::int32_t i = 0; i < cell->Count; ++i)
            content += cell->Child(i)->Height();
        const std::int32_t room = cell->InnerHeight() - content;
        const std::int32_t align = cell->CellRecord != nullptr ? cell->CellRecord->VerticalAlignment : 0;
        const std::int32_t dy = room <= 0 ? 0 : align == 1 ? room / 2 : align == 2 ? room : 0;
        if (dy > 0)
            for (std::int32_t i = 0; i < cell->Count; ++i)
                cell->Child(i)->MoveBy(0, dy);
    }
    return bottom;
}

// Moves the table's boxes to the alignment of its first row and records the
// bounds of its cells.
void AlignTable(TDoc& doc, TTableBox& table, const std::vector<TRowInfo>& rows) {
    const bool draft = doc.ViewMode != vmPrintLayout;
    const TTableRow* first = rows.empty() ? nullptr : rows.front().Record;
    const std::int32_t alignment = first != nullptr ? first->Data.Alignment : taLeft;
    if (alignment != taLeft || draft) {
        std::int64_t leftmost = 0x3FFFFFFF, rightmost = -0x3FFFFFFF;
        for (const TRowInfo& row : rows) {
            std::int64_t left = 0, right = 0;
            if (!RowExtent(row, left, right))
                continue;
            leftmost = std::min(leftmost, left);
            rightmost = std::max(rightmost, right);
        }
        if (leftmost <= rightmost) {
            const std::int32_t available = table.Width() - table.Insets.Left - table.Insets.Right;
            const std::int32_t shift =
                TableAlignShift(alignment, available, static_cast<std::int32_t>(leftmost),
                                static_cast<std::int32_t>(std::min<std::int64_t>(rightmost, 0x3FFFFFFF)), draft);
            for (std::int32_t i = 0; i < table.Count; ++i)
                if ((table.Child(i)->Flags & bxMergeContinue) == 0)
                    table.Child(i)->MoveBy(shift, 0);
        }
    }
    table.CellBounds = {};
    bool any = false;
    for (std::int32_t i = 0; i < table.Count; ++i) {
        const TBox* cell = table.Child(i);
        if ((cell->Flags & (bxRowEnd | bxMergeContinue)) != 0)
            continue;
        if (!any) {
            table.CellBounds = cell->Bounds;
            any = true;
        } else {
            table.CellBounds.Left = std::min(table.CellBounds.Left, cell->Bounds.Left);
            table.CellBounds.Top = std::min(table.CellBounds.Top, cell->Bounds.Top);
            table.CellBounds.Right = std::max(table.CellBounds.Right, cell->Bounds.Right);
            table.CellBounds.Bottom = std::max(table.CellBounds.Bottom, cell->Bounds.Bottom);
        }
    }
    if ((table.Flags & bxTableStarts) == 0 && table.HeadingRowCount > 0 && table.HeadingHeight > 0)
        if (TPage* page = table.Page())
            page->Flags |= bxRepeatedHeading;
}

// The rows below row k whose cell at the right edge x continues a merge.
std::int32_t LastMergedRow(const std::vector<TRowInfo>& rows, std::size_t k, std::int32_t x) {
    std::size_t last = k;
    for (std::size_t j = k + 1; j < rows.size(); ++j) {
        const TTableRow* record = rows[j].Record;
        if (record == nullptr)
            break;
        const std::int32_t n =
            std::min<std::int32_t>(std::clamp(record->Data.CellCount, 0, MaxTableCells), rows[j].CellMarks);
        std::int32_t found = -1;
        for (std::int32_t d = 0; d < n && found < 0; ++d)
            if (SameEdge(record->Resolved.RightEdges[d], x))
                found = d;
        if (found < 0 || !record->Data.Cells[found].IsContinuation())
            break;
        last = j;
    }
    return static_cast<std::int32_t>(last);
}

// A box that takes a continuation cell's own paragraphs, which layout does
// not show: it never has height, and its lines are placed only so that the
// text is laid out somewhere.
void PlaceHiddenCell(TTableBox& table, const TCellGeometry& g, std::int32_t top, const TRowShape& row, std::size_t k) {
    TDoc& doc = *table.Document;
    auto* box = static_cast<TCellBox*>(table.AddChild(bkCell, bxCell | bxFrame | bxMergeContinue));
    box->Story = table.Story;
    box->CellIndex = static_cast<std::int32_t>(k);
    box->Row = row.Record;
    box->CellRecord = g.Record;
    MakeFragment(row.First, 0, row.RowEnd, 1, box->RowRange);
    const std::int32_t last = row.Cells[k].second;
    MakeFragment(row.Cells[k].first, 0, last, doc.Par(last)->CharCount(), box->CellRange);
    box->Bounds = {g.Left, top, g.Right, top};
    box->MaxHeight = 0;
    TFragment range = Unplaced(doc, box->CellRange);
    doc.PushStateFlag(sfForcedRequests);
    box->Flow(range);
    doc.PopStateFlag();
}

}  // namespace

TTableWalkScope::TTableWalkScope(const TDoc& doc) {
    TTableWalkCache& cache = WalkCache();
    if (cache.Depth++ == 0 || cache.Doc != &doc) {
        cache.Doc = &doc;
        cache.Tables.clear();
    }
}

TTableWalkScope::~TTableWalkScope() {
    TTableWalkCache& cache = WalkCache();
    if (--cache.Depth == 0) {
        cache.Doc = nullptr;
        cache.Tables.clear();
    }
}

bool TableResumePoint(const TLine& last, TTextPos& start) {
    TBox* table = last.Box != nullptr ? last.Box->TableOf() : nullptr;
    if (table == nullptr || table->Count == 0)
        return false;
    // The last row of the part: complete when every cell shown in it is.
    const TFragment row = static_cast<const TCellBox*>(table->Child(table->Count - 1))->RowRange;
    bool complete = true;
    for (std::int32_t i = table->Count - 1; i >= 0 && complete; --i) {
        const auto* cell = static_cast<const TCellBox*>(table->Child(i));
        if (cell->RowRange.Start.Par != row.Start.Par)
            break;
        if ((cell->Flags & (bxRowEnd | bxMergeContinue)) == 0 && (cell->Flags & bxCellComplete) == 0)
            complete = false;
    }
    start = {complete ? row.End.Par + 1 : row.Start.Par, 0};
    return true;
}

std::int32_t TableRowEndOf(const TDoc& doc, std::int32_t p) {
    const std::int32_t last = doc.ParCount() - 1;
    for (std::int32_t q = p; q <= last && doc.Par(q)->Format.InTable == 1; ++q)
        if (LastChar(*doc.Par(q)) == chRowEnd)
            return q;
    return p;
}

bool TableRowKeepsWithNext(const TDoc& doc, std::int32_t p) {
    if (p < 0 || p >= doc.ParCount() || doc.Par(p)->Format.InTable != 1)
        return false;
    TRowInfo row;
    row.RowEnd = TableRowEndOf(doc, p);
    row.First = p;
    while (row.First > 0 && doc.Par(row.First - 1)->Format.InTable == 1 &&
           LastChar(*doc.Par(row.First - 1)) != chRowEnd)
        --row.First;
    if (LastChar(*doc.Par(row.RowEnd)) == chRowEnd)
        row.Record = RowRecordOf(*doc.Par(row.RowEnd));
    return RowKeeps(doc, row);
}

bool StartsTableRow(TDoc& doc, std::int32_t par, std::int32_t lastPar) {
    TRowShape row;
    return RowAt(doc, par, lastPar, row);
}

std::uint32_t FlowTableRows(TBox& box, TFragment& range, TTableKeepChain* keep) {
    TDoc& doc = *box.Document;
    TPage* page = box.Page();
    const bool print = doc.ViewMode == vmPrintLayout;
    const int story = doc.StoryOfPar(range.Start.Par);
    TWalkedTable* walked = CachedTable(doc, range.Start.Par, story);
    if (walked == nullptr && WalkCache().Depth > 0 && WalkCache().Doc == &doc) {
        WalkCache().Tables.push_back({story, TableShape(doc, range.Start.Par), -1});
        walked = &WalkCache().Tables.back();
    }
    std::vector<TRowInfo> own;
    if (walked == nullptr)
        own = TableShape(doc, range.Start.Par);
    const std::vector<TRowInfo>* rowList = walked != nullptr ? &walked->Rows : &own;
    std::size_t k = 0;
    while (k < rowList->size() && (*rowList)[k].First != range.Start.Par)
        ++k;
    if (k == rowList->size()) {
        // The range starts at a row the table walk does not reach (a story
        // boundary cut the table): the rows from here on are the table.
        own = RowsFrom(doc, range.Start.Par, range.End.Par);
        rowList = &own;
        walked = nullptr;
        k = 0;
        if (own.empty())
            return frNothing;
    }
    const std::vector<TRowInfo>& rows = *rowList;

    page->SaveState();
    auto* table = static_cast<TTableBox*>(box.AddChild(bkTable, bxTable));
    table->Story = box.Story;
    table->FirstPar = rows.front().First;
    table->Bounds.Right = box.Width();
    table->Insets.Left = box.Insets.Left;
    table->Insets.Right = box.Insets.Right;
    std::int32_t y = box.Insets.Top;
    for (std::int32_t i = 0; i + 1 < box.Count; ++i)
        y += box.Child(i)->Height();
    table->Bounds.Top = table->Bounds.Bottom = y;
    const bool atStart = table->IsAtPageStart();

    // Border widths for the table's layout width.
    const std::int32_t layoutWidth = std::max(1, table->TextWidth(table->FirstPar));
    if (walked == nullptr || walked->ResolvedWidth != layoutWidth) {
        std::vector<TTableRow*> records;
        for (const TRowInfo& row : rows)
            if (row.Record != nullptr)
                records.push_back(row.Record);
        ResolveRowBorders(records, layoutWidth);
        if (walked != nullptr)
            walked->ResolvedWidth = layoutWidth;
    }

    // A table continued from an earlier part: the cells of a row split there
    // go on after their last line, and merges begun there go on here.
    TTableBox* previous = PreviousPart(doc, page, *table);
    if (previous != nullptr && (previous->Flags & bxTableEnds) != 0)
        previous = nullptr;
    std::vector<TCellBox*> carried;  // the earlier part's boxes that reach into row k
    bool endPlaced = false;          // row k's end mark lies in the earlier part
    if (previous != nullptr) {
        for (std::int32_t i = 0; i < previous->Count; ++i) {
            auto* cell = static_cast<TCellBox*>(previous->Child(i));
            if (cell->Kind != bkCell)
                continue;
            // A row's end mark is laid out in the part where the row starts.
            endPlaced = endPlaced || cell->RowRange.Start.Par == rows[k].First;
            if ((cell->Flags & (bxRowEnd | bxMergeContinue)) != 0)
                continue;
            if (cell->RowRange.Start.Par == rows[k].First ||
                (cell->LastMergedRow >= static_cast<std::int32_t>(k) && cell->RowRange.Start.Par < rows[k].First))
                carried.push_back(cell);
        }
        table->HeadingRowCount = previous->HeadingRowCount;
        table->HeadingHeight = previous->HeadingHeight;
        table->LastHeadingPar = previous->LastHeadingPar;
    } else {
        table->Flags |= bxTableStarts;
        table->HeadingRowCount = table->HeadingHeight = 0;
        table->LastHeadingPar = 0;
        if (print && k == 0) {
            while (table->HeadingRowCount < static_cast<std::int32_t>(rows.size()) &&
                   rows[table->HeadingRowCount].Record != nullptr &&
                   rows[table->HeadingRowCount].Record->Data.HeaderRow != 0)
                ++table->HeadingRowCount;
            if (table->HeadingRowCount > 0)
                table->LastHeadingPar = rows[table->HeadingRowCount - 1].RowEnd;
        }
    }
    const bool repeatHeading = previous != nullptr && print && table->HeadingHeight > 0;

    std::vector<TCellBox*> open;  // this box's cell boxes of merges that span further down
    std::int32_t placed = 0;
    std::int32_t rowTop = 0;
    bool tableDone = false;
    bool rowFailed = false;

    // A keep chain that begins at a row of this part: rows that keep with
    // the next stay on one page with the row after them. The chain holds a
    // page snapshot of its own and what the loop below had placed, so that
    // a row after it that does not fit takes the chain to the next page.
    // The draft views, which repeat no heading rows, keep the part that
    // starts a table together instead.
    const std::int32_t outerChainEnd = keep != nullptr ? keep->OpenChainEnd : -1;
    const bool keepsWhole = !print && previous == nullptr;
    struct TChain {
        bool Open = false;
        bool AtStart = false;
        std::size_t LastRow = 0;
        std::size_t Row = 0;
        std::int32_t Placed = 0;
        std::int32_t RowTop = 0;
        std::int32_t HeadingHeight = 0;
        std::vector<TCellBox*> OpenMerges;
        TTextPos Start{};
    } chain;
    const auto keeps = [&](std::size_t r) { return keepsWhole || RowKeeps(doc, rows[r]); };
    const auto dropChain = [&]() {
        if (chain.Open)
            page->DropTopState();
        chain.Open = false;
    };

    while (k < rows.size() && rows[k].RowEnd <= range.End.Par) {
        if (!chain.Open && rows[k].First > outerChainEnd && keeps(k)) {
            chain.Open = true;
            chain.AtStart = placed == 0 && atStart;
            chain.LastRow = k;
            while (chain.LastRow + 1 < rows.size() && keeps(chain.LastRow + 1))
                ++chain.LastRow;
            chain.Row = k;
            chain.Placed = placed;
            chain.RowTop = rowTop;
            chain.HeadingHeight = table->HeadingHeight;
            chain.OpenMerges = open;
            chain.Start = range.Start;
            page->SaveState();
        }
        TRowShape row;
        if (!RowAt(doc, rows[k].First, rows[k].RowEnd, row))
            break;
        const std::vector<TCellGeometry> geometry =
            RowGeometry(row.Record, static_cast<std::int32_t>(row.Cells.size()), table->Insets.Left);
        if (placed == 0) {
            if (repeatHeading)
                rowTop = table->HeadingHeight;
            else if (print || previous == nullptr)
                rowTop = geometry.empty() ? 0 : geometry.front().Shared[tbTop] / 2;
            else
                rowTop = 0;
        }
        bool fits = false;
        bool complete = false;
        std::vector<TCellBox*> rowCells;  // the boxes whose bottom the row settles
        for (int attempt = 0; attempt < 2 && !fits; ++attempt) {
            // The second attempt, at the top of a page only, forces every
            // request: a row with no room at all there still moves on.
            if (attempt == 1) {
                if (placed != 0 || !atStart)
                    break;
                doc.PushStateFlag(sfForcedRequests);
            }
            page->SaveState();
            rowCells.clear();
            std::vector<TCellBox*> flowing;
            std::vector<TFragment> ranges;
            bool anyMerged = false;
            for (std::size_t c = 0; c < geometry.size(); ++c) {
                const TCellGeometry& g = geometry[c];
                const bool continuation = g.Record != nullptr && g.Record->IsContinuation();
                anyMerged = anyMerged || (g.Record != nullptr && g.Record->Merged != 0);
                if (continuation) {
                    // The merge grows when its box is in this part.
                    TCellBox* origin = nullptr;
                    for (TCellBox* o : open)
                        if (SameEdge(o->Bounds.Right, g.Right))
                            origin = o;
                    if (origin != nullptr) {
                        PlaceHiddenCell(*table, g, rowTop, row, c);
                        if (origin->LastMergedRow <= static_cast<std::int32_t>(k))
                            rowCells.push_back(origin);
                        continue;
                    }
                }
                auto* cell = static_cast<TCellBox*>(table->AddChild(bkCell, bxCell | bxFrame | bxCellStarts));
                if (placed == 0)
                    cell->Flags |= bxFirstRow;
                cell->Story = table->Story;
                cell->Row = row.Record;
                MakeFragment(row.First, 0, row.RowEnd, 1, cell->RowRange);
                const std::int32_t lastPar = row.Cells[c].second;
                MakeFragment(row.Cells[c].first, 0, lastPar, doc.Par(lastPar)->CharCount(), cell->CellRange);
                cell->CellIndex = static_cast<std::int32_t>(c);
                cell->PlacedCell = static_cast<std::int32_t>(c);
                cell->PlacedRight = g.Right - table->Insets.Left;
                cell->CellRecord = g.Record;
                cell->LastMergedRow =
                    g.Record != nullptr && g.Record->FirstOfMerge != 0 && g.Record->Merged != 0
                        ? LastMergedRow(rows, k, g.Record != nullptr ? g.Right - table->Insets.Left : 0)
                        : static_cast<std::int32_t>(k);
                TFragment cellRange = cell->CellRange;
                // A cell the earlier part began goes on after its last line;
                // a merge begun there takes its first cell's place here.
                // Only the part's first row continues what the earlier part
                // began; merges go on below it through their boxes here.
                for (const TCellBox* before : placed == 0 ? carried : std::vector<TCellBox*>{}) {
                    const bool sameRow = before->RowRange.Start.Par == row.First;
                    const bool same = sameRow ? before->PlacedCell == cell->PlacedCell
                                              : continuation && SameEdge(before->PlacedRight, cell->PlacedRight);
                    if (!same)
                        continue;
                    cell->Flags &= ~bxCellStarts;
                    if (!sameRow || before->CellRange.Start.Par != cell->CellRange.Start.Par) {
                        cell->CellIndex = before->CellIndex;
                        cell->CellRange = before->CellRange;
                        cell->CellRecord = before->CellRecord;
                        cell->Row = before->Row;
                        cell->LastMergedRow = before->LastMergedRow;
                    }
                    cellRange = (before->Flags & bxCellComplete) != 0
                                    ? TFragment{cell->CellRange.End, cell->CellRange.End}
                                    : RestAfter(*before);
                    break;
                }
                if (continuation && (cell->Flags & bxCellStarts) != 0)
                    cellRange = {cell->CellRange.End, cell->CellRange.End};
                cell->Bounds = {g.Left, rowTop, g.Right, rowTop};
                std::int32_t padding[4] = {0, 0, 0, 0};
                if (row.Record != nullptr)
                    std::copy(std::begin(row.Record->Data.Padding), std::end(row.Record->Data.Padding), padding);
                if (g.Record != nullptr)
                    for (int side = 0; side < 4; ++side)
                        if (g.Record->Padding[side] != UnsetValue)
                            padding[side] = g.Record->Padding[side];
                for (std::int32_t& side : padding)
                    side = std::clamp(side, 0, MaxTableMeasure);
                cell->Insets.Left = std::max(padding[tbLeft], g.Shared[tbLeft] / 2);
                cell->Insets.Right = std::max(padding[tbRight], g.Shared[tbRight] / 2);
                cell->Insets.Top = padding[tbTop] + g.Shared[tbTop] / 2;
                cell->Insets.Bottom = padding[tbBottom] + g.Shared[tbBottom] / 2;
                flowing.push_back(cell);
                ranges.push_back(cellRange);
                cellRange = Unplaced(doc, cellRange);
                if (continuation)
                    PlaceHiddenCell(*table, g, rowTop, row, c);
            }
            bool noRoom = false;
            bool partial = false;
            for (std::size_t c = 0; c < flowing.size(); ++c) {
                TCellBox* cell = flowing[c];
                if (!RangeEmpty(ranges[c])) {
                    const std::uint32_t r = cell->Flow(ranges[c]);
                    if ((r & frNothing) != 0) {
                        noRoom = true;
                        break;
                    }
                }
                if (RangeEmpty(ranges[c]))
                    cell->Flags |= bxCellComplete;
                else
                    partial = true;
                if (cell->LastMergedRow <= static_cast<std::int32_t>(k))
                    rowCells.push_back(cell);
            }
            fits = !noRoom;
            // A row that may not split moves whole, unless it is the first
            // row at the top of a page, where moving gains nothing.
            const bool keep = row.Record != nullptr && row.Record->Data.KeepTogether != 0;
            if (fits && partial && (keep || !print) && !(placed == 0 && atStart) && !anyMerged)
                fits = false;
            complete = fits && !partial;
            if (fits) {
                for (TCellBox* cell : flowing)
                    if (cell->LastMergedRow > static_cast<std::int32_t>(k))
                        open.push_back(cell);
                page->DropTopState();
            } else {
                page->RestoreState();
                page->DropTopState();
            }
            if (attempt == 1)
                doc.PopStateFlag();
        }
        if (!fits) {
            rowFailed = true;
            // The chain before this row leaves with it, unless it began at
            // the top of the page, where moving gains nothing.
            if (chain.Open && !chain.AtStart && k > chain.Row) {
                page->RestoreState();
                page->DropTopState();
                chain.Open = false;
                k = chain.Row;
                placed = chain.Placed;
                rowTop = chain.RowTop;
                table->HeadingHeight = chain.HeadingHeight;
                open = chain.OpenMerges;
                range.Start = chain.Start;
            }
            break;
        }
        // The row after the chain is placed (at least its first lines): the
        // chain stays where it is.
        if (chain.Open && k > chain.LastRow)
            dropChain();
        const std::int32_t bottom = SettleRow(*table, rowCells, rowTop, row.Record);
        std::erase_if(open, [k](const TCellBox* o) { return o->LastMergedRow <= static_cast<std::int32_t>(k); });
        // The row-end mark stands in a box of its own right of the last
        // cell, on the page where the row starts, so that an edit in a row
        // lays out again from there. It never refuses a line, and it is
        // never taller than the row: the spacing and line height of the end
        // mark's paragraph do not make a row taller.
        if (!(placed == 0 && endPlaced)) {
            const std::int32_t right = geometry.empty() ? table->Insets.Left : geometry.back().Right;
            auto* end = static_cast<TCellBox*>(table->AddChild(bkCell, bxCell | bxFrame | bxRowEnd));
            end->Story = table->Story;
            end->CellIndex = -1;
            end->PlacedCell = static_cast<std::int32_t>(geometry.size());
            end->Row = row.Record;
            MakeFragment(row.First, 0, row.RowEnd, 1, end->RowRange);
            MakeFragment(row.RowEnd, 0, row.RowEnd, 1, end->CellRange);
            end->Bounds = {right, rowTop, right + 1, rowTop};
            end->Insets.Left = (geometry.empty() ? 0 : geometry.back().Shared[tbRight] / 2) + RowEndGap;
            end->MaxHeight = std::max(bottom - rowTop, 1);
            TFragment endRange = Unplaced(doc, {{row.RowEnd, 0}, {row.RowEnd, doc.Par(row.RowEnd)->CharCount()}});
            if (!RangeEmpty(endRange)) {
                doc.PushStateFlag(sfForcedRequests);
                end->Flow(endRange);
                doc.PopStateFlag();
            }
            if (const TLine* mark = end->LastLine(0)) {
                const std::int32_t markWidth = Px16ToTwips(mark->Pos(mark->CharCount) - mark->Pos(0));
                end->Bounds.Right = right + end->Insets.Left + markWidth * 11 / 10;
            }
        }
        ++placed;
        if (!complete)
            break;  // the row continues on the next page
        if ((table->Flags & bxTableStarts) != 0 && placed == table->HeadingRowCount)
            table->HeadingHeight = bottom;
        rowTop = bottom;
        range.Start = {row.RowEnd + 1, 0};
        ++k;
        if (k == rows.size())
            tableDone = true;
    }

    dropChain();
    if (keep != nullptr)
        keep->RowFailed = rowFailed;
    if (placed == 0) {
        page->RestoreState();
        page->DropTopState();
        return frNothing;
    }
    page->DropTopState();
    if (tableDone && !rowFailed)
        table->Flags |= bxTableEnds;
    AlignTable(doc, *table, rows);
    if (k < rows.size() && !RangeEmpty(range) && range.Start.Par != rows[k].First)
        range.Start = {rows[k].First, 0};
    return RangeEmpty(range) ? frAll : frPart;
}
