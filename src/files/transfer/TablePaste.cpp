#include "files/transfer/TablePaste.h"

#include <algorithm>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "editing/tables/TableStructure.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "files/transfer/InsertDocument.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace {

// One table as rows of cells: each row's first paragraph and its row-end
// paragraph, and each cell's first and last paragraph.
struct TCellSpan {
    std::int32_t First = 0;
    std::int32_t Last = 0;  // ends with the cell-end mark
};
struct TRowSpan {
    std::int32_t First = 0;
    std::int32_t End = 0;  // the row-end paragraph
    TTableRow* Row = nullptr;
    std::vector<TCellSpan> Cells;
};

std::vector<TRowSpan> TableLayout(TDoc& doc, std::int32_t p) {
    std::vector<TRowSpan> rows;
    if (p < 0 || p >= doc.ParCount() || !InTablePar(doc, p))
        return rows;
    TFragment table;
    TableRange(doc, p, table);
    TRowSpan row;
    row.First = table.Start.Par;
    std::int32_t cellFirst = row.First;
    for (std::int32_t q = table.Start.Par; q <= std::min(table.End.Par, doc.ParCount() - 1); ++q) {
        if (!InTablePar(doc, q))
            break;
        if (IsRowEnd(doc, q)) {
            row.End = q;
            row.Row = TableRowOf(doc, q);
            rows.push_back(row);
            row = TRowSpan{};
            row.First = q + 1;
            cellFirst = q + 1;
            continue;
        }
        if (EndsCellOrRow(doc, q)) {
            row.Cells.push_back(TCellSpan{cellFirst, q});
            cellFirst = q + 1;
        }
    }
    return rows;
}

std::int32_t RowIndexOf(const std::vector<TRowSpan>& rows, std::int32_t p) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (p >= rows[i].First && p <= rows[i].End)
            return static_cast<std::int32_t>(i);
    return -1;
}

std::int32_t CellIndexIn(const TRowSpan& row, std::int32_t p) {
    for (std::size_t c = 0; c < row.Cells.size(); ++c)
        if (p >= row.Cells[c].First && p <= row.Cells[c].Last)
            return static_cast<std::int32_t>(c);
    return static_cast<std::int32_t>(row.Cells.size());
}

// The first cell of a row whose right edge lies beyond x, or the cell count.
std::int32_t FirstCellRightOf(const TTableRowData& data, std::int32_t x) {
    for (std::int32_t c = 0; c < data.CellCount; ++c)
        if (data.Cells[c].RightEdge > x)
            return c;
    return data.CellCount;
}

// A cell's text without its cell-end mark.
TFragment CellText(TDoc& doc, const TCellSpan& cell) {
    TFragment range;
    MakeFragmentFromPositions(TTextPos{cell.First, 0}, TTextPos{cell.Last, ParTextLength(*doc.Par(cell.Last))}, range);
    return range;
}

// Empties a cell, keeping its cell-end mark.
void ClearCell(TDoc& doc, const TCellSpan& cell) {
    const TFragment text = CellText(doc, cell);
    if (!FragmentIsEmpty(text))
        DeleteText(doc, nullptr, text.Start, text.End, 0);
}

// Inserts count empty cells, each one paragraph with the cell-end mark,
// before the cell that starts at paragraph at, or after the row's last cell
// when at is its row-end paragraph (nothing is inserted on a row end: the
// new marks go before the last cell's own, which then ends the last new
// cell). Returns the first new cell's paragraph.
std::int32_t InsertEmptyCells(TDoc& doc, const TRowSpan& row, std::int32_t at, std::int32_t count) {
    if (count <= 0)
        return at;
    TTextPos pos{at, 0};
    std::int32_t first = at;
    if (at == row.End && !row.Cells.empty()) {
        const std::int32_t last = row.Cells.back().Last;
        pos = TTextPos{last, ParTextLength(*doc.Par(last))};
        first = last + 1;
    }
    TMemory stream;
    AppendCharFormatControls(stream, DefaultCharFormat);
    for (std::int32_t i = 0; i < count; ++i) {
        AppendFormatControl(stream, fcCellEnd, 0);
        if (i == 0)
            AppendParagraphMark(stream, TableParFormat);
        else
            stream.AppendByte(ParagraphMarkByte);
    }
    InsertFormatted(doc, stream, pos, 0, doc.StoryOfPar(at), count);
    return first;
}

// Appends n empty rows to the table, copies of its last row without merges.
void AppendTableRows(TDoc& doc, std::vector<TRowSpan>& rows, std::int32_t n) {
    if (n <= 0 || rows.empty() || rows.back().Row == nullptr)
        return;
    const TRowSpan& last = rows.back();
    TMemory stream;
    AppendCharFormatControls(stream, DefaultCharFormat);
    std::int32_t parEnds = 0;
    bool first = true;
    for (std::int32_t r = 0; r < n; ++r) {
        auto* row = new TTableRow;
        row->Data = last.Row->Data;
        for (std::int32_t c = 0; c < row->Data.CellCount; ++c) {
            row->Data.Cells[c].FirstOfMerge = 0;
            row->Data.Cells[c].Merged = 0;
        }
        doc.TableRowList.Add(row);
        for (const TCellSpan& cell : last.Cells) {
            AppendFormatControl(stream, fcCellEnd, 0);
            if (first)
                AppendParagraphMark(stream, doc.Par(cell.Last)->Format);
            else
                stream.AppendByte(ParagraphMarkByte);
            first = false;
            ++parEnds;
        }
        AppendFormatControl(stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(row)));
        AppendParagraphMark(stream, doc.Par(last.End)->Format);
        first = true;
        ++parEnds;
    }
    const std::int32_t after = last.End + 1;
    InsertFormatted(doc, stream, TTextPos{after, 0}, 0, doc.StoryOfPar(last.End), parEnds);
    doc.StateFlags[sfTypingFormatFixed] = 0;
    rows = TableLayout(doc, rows.front().First);
}

class TTablePaster {
public:
    explicit TTablePaster(TTablePasteContext& context) : C(context), Doc(context.Doc) {}

    void NewRows();
    void NewColumns();
    void Cells();
    void CellContents();
    void CellsOverSelection();
    void IntoSelectedCells();

private:
    // The selected cells, in document order, continuation cells left out.
    std::vector<TCellSpan> SelectedCells();
    // The content's paragraphs that hold text (no row ends), for spreading
    // over cells.
    std::vector<TFragment> ContentParagraphs(bool splitTabs);
    void PasteText(const TFragment& range, const TTextPos& at) { PasteRangeAt(Doc, C.Content, range, at, C.PlainText); }

    TTablePasteContext& C;
    TDoc& Doc;
};

void TTablePaster::NewRows() {
    std::vector<TRowSpan> rows = TableLayout(Doc, Doc.Caret.Par);
    const std::int32_t r = RowIndexOf(rows, Doc.Caret.Par);
    if (r < 0)
        return;
    TMemory stream;
    InsertDocumentStream(Doc, C.Content, C.Loaded.ParEnds, stream);
    if (stream.Size == 0)
        return;
    const TTextPos at{rows[static_cast<std::size_t>(r)].First, 0};
    Doc.UpdateTypingFormat(at, true);
    InsertFormatted(Doc, stream, at, 0, Doc.StoryOfPar(at.Par), C.Loaded.ParEnds);
}

void TTablePaster::NewColumns() {
    std::vector<TRowSpan> rows = TableLayout(Doc, Doc.Caret.Par);
    const std::vector<TRowSpan> content = TableLayout(C.Content, 0);
    const std::int32_t r = RowIndexOf(rows, Doc.Caret.Par);
    if (r < 0 || content.empty())
        return;
    for (std::size_t i = 0; i < std::min(rows.size(), content.size()); ++i) {
        if (rows[i].Row == nullptr || content[i].Row == nullptr)
            return;
        if (rows[i].Row->Data.CellCount + content[i].Row->Data.CellCount > MaxTableCells) {
            ShowInformation(TooManyCellsMessage);
            return;
        }
    }
    const TRowSpan& caretRow = rows[static_cast<std::size_t>(r)];
    const std::int32_t caretCell = CellIndexIn(caretRow, Doc.Caret.Par);
    const std::int32_t column = caretRow.Row->Data.CellLeft(std::min(caretCell, caretRow.Row->Data.CellCount));
    if (content.size() > rows.size())
        AppendTableRows(Doc, rows, static_cast<std::int32_t>(content.size() - rows.size()));
    for (std::int32_t i = static_cast<std::int32_t>(content.size()) - 1; i >= 0; --i) {
        rows = TableLayout(Doc, rows.front().First);
        const TRowSpan& row = rows[static_cast<std::size_t>(i)];
        const TRowSpan& from = content[static_cast<std::size_t>(i)];
        TTableRowData data = row.Row->Data;
        const TTableRowData& added = from.Row->Data;
        const std::int32_t k = column <= data.LeftEdge ? 0 : FirstCellRightOf(data, column);
        const std::int32_t n = added.CellCount;
        const std::int32_t base = data.CellLeft(k);
        std::int32_t width = 0;
        TTableRowData rebuilt = data;
        for (std::int32_t c = 0; c < n; ++c) {
            width += added.Cells[c].RightEdge - added.CellLeft(c);
            rebuilt.Cells[k + c] = added.Cells[c];
            rebuilt.Cells[k + c].RightEdge = base + width;
        }
        for (std::int32_t c = k; c < data.CellCount; ++c) {
            rebuilt.Cells[c + n] = data.Cells[c];
            rebuilt.Cells[c + n].RightEdge = data.Cells[c].RightEdge + width;
        }
        rebuilt.CellCount = data.CellCount + n;
        const std::int32_t at =
            k < static_cast<std::int32_t>(row.Cells.size()) ? row.Cells[static_cast<std::size_t>(k)].First : row.End;
        const std::int32_t first = InsertEmptyCells(Doc, row, at, n);
        ApplyRowData(Doc, row.Row, rebuilt);
        for (std::int32_t c = n - 1; c >= 0; --c)
            PasteText(CellText(C.Content, from.Cells[static_cast<std::size_t>(c)]), TTextPos{first + c, 0});
    }
}

void TTablePaster::Cells() {
    std::vector<TRowSpan> rows = TableLayout(Doc, Doc.Caret.Par);
    const std::vector<TRowSpan> content = TableLayout(C.Content, 0);
    const std::int32_t r = RowIndexOf(rows, Doc.Caret.Par);
    if (r < 0 || content.empty())
        return;
    const TRowSpan& caretRow = rows[static_cast<std::size_t>(r)];
    const std::int32_t caretCell = CellIndexIn(caretRow, Doc.Caret.Par);
    const std::int32_t column = caretRow.Row->Data.CellLeft(std::min(caretCell, caretRow.Row->Data.CellCount));
    // Every row that receives cells must stay within the limit.
    std::vector<std::int32_t> pasteColumns;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const std::size_t d = static_cast<std::size_t>(r) + i;
        const TTableRowData& data = d < rows.size() ? rows[d].Row->Data : rows.back().Row->Data;
        const std::int32_t k = d == static_cast<std::size_t>(r) ? caretCell : FirstCellRightOf(data, column);
        if (content[i].Row == nullptr || k + content[i].Row->Data.CellCount > MaxTableCells) {
            ShowInformation(TooManyCellsMessage);
            return;
        }
        pasteColumns.push_back(k);
    }
    const std::size_t needed = static_cast<std::size_t>(r) + content.size();
    if (needed > rows.size())
        AppendTableRows(Doc, rows, static_cast<std::int32_t>(needed - rows.size()));
    for (std::int32_t i = static_cast<std::int32_t>(content.size()) - 1; i >= 0; --i) {
        rows = TableLayout(Doc, rows.front().First);
        const std::size_t d = static_cast<std::size_t>(r + i);
        const TRowSpan& from = content[static_cast<std::size_t>(i)];
        const std::int32_t k = pasteColumns[static_cast<std::size_t>(i)];
        const std::int32_t n = from.Row->Data.CellCount;
        TTableRowData data = rows[d].Row->Data;
        // Cells the row lacks are added at its end, as wide as the content's.
        const std::int32_t extra = k + n - data.CellCount;
        if (extra > 0) {
            InsertEmptyCells(Doc, rows[d], rows[d].End, extra);
            for (std::int32_t c = data.CellCount; c < k + n; ++c) {
                const std::int32_t j = c - k;
                data.Cells[c] = from.Row->Data.Cells[j];
                data.Cells[c].RightEdge =
                    data.CellLeft(c) + from.Row->Data.Cells[j].RightEdge - from.Row->Data.CellLeft(j);
            }
            data.CellCount = k + n;
            rows = TableLayout(Doc, rows.front().First);
        }
        // The content's cell formatting, the destination's column widths.
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t edge = data.Cells[k + j].RightEdge;
            data.Cells[k + j] = from.Row->Data.Cells[j];
            data.Cells[k + j].RightEdge = edge;
        }
        for (std::int32_t j = n - 1; j >= 0; --j) {
            const TCellSpan& cell = rows[d].Cells[static_cast<std::size_t>(k + j)];
            ClearCell(Doc, cell);
            PasteText(CellText(C.Content, from.Cells[static_cast<std::size_t>(j)]), TTextPos{cell.First, 0});
        }
        rows = TableLayout(Doc, rows.front().First);
        ApplyRowData(Doc, rows[d].Row, data);
    }
}

std::vector<TFragment> TTablePaster::ContentParagraphs(bool splitTabs) {
    std::vector<TFragment> pars;
    const std::int32_t count = C.Content.StoryCounts[stMain];
    for (std::int32_t p = 0; p < count; ++p) {
        if (IsRowEnd(C.Content, p))
            continue;
        TPar& par = *C.Content.Par(p);
        // The final empty paragraph after the content's last paragraph end
        // is no paragraph of the content.
        if (p == count - 1 && p > 0 && ParTextLength(par) == 0 && p >= C.Loaded.ParEnds)
            continue;
        pars.push_back(TFragment{TTextPos{p, 0}, TTextPos{p, ParTextLength(par)}});
    }
    if (!splitTabs || pars.empty())
        return pars;
    // Tab-separated items become paragraphs of their own when every
    // paragraph has a tab.
    for (const TFragment& f : pars) {
        const TPar& par = *C.Content.Par(f.Start.Par);
        if (std::find(par.Chars.Data, par.Chars.Data + par.CharCount(), chTab) == par.Chars.Data + par.CharCount())
            return pars;
    }
    std::vector<TFragment> items;
    for (const TFragment& f : pars) {
        const TPar& par = *C.Content.Par(f.Start.Par);
        std::int32_t start = 0;
        for (std::int32_t i = 0; i <= f.End.Offset; ++i) {
            if (i == f.End.Offset || par.Chars.Data[i] == chTab) {
                items.push_back(TFragment{TTextPos{f.Start.Par, start}, TTextPos{f.Start.Par, i}});
                start = i + 1;
            }
        }
    }
    return items;
}

void TTablePaster::CellContents() {
    std::vector<TFragment> pars = ContentParagraphs(false);
    TTextPos at = Doc.Caret;
    for (std::size_t i = 0; i < pars.size(); ++i) {
        if (i > 0) {
            TMemory end;
            end.AppendBuffer("\r\n", 2);
            InsertText(Doc, end, at, 0);
            at = Doc.Caret;
        }
        if (!FragmentIsEmpty(pars[i])) {
            PasteText(pars[i], at);
            at = Doc.Caret;
        }
    }
}

std::vector<TCellSpan> TTablePaster::SelectedCells() {
    std::vector<TCellSpan> cells;
    if (IsEmptyCompoundFragment(Doc.Selection))
        return cells;
    TCompoundFragment* split = SplitRangesByRows(Doc, *Doc.Selection);
    const std::vector<TRowSpan> rows = TableLayout(Doc, split->Fragment(0).Start.Par);
    for (std::int32_t i = 0; i < split->Count(); ++i) {
        const TFragment& f = split->Fragment(i);
        const std::int32_t r = RowIndexOf(rows, f.Start.Par);
        if (r < 0)
            continue;
        const TRowSpan& row = rows[static_cast<std::size_t>(r)];
        const std::int32_t lastPar = f.End.Offset == 0 && f.End.Par > f.Start.Par ? f.End.Par - 1 : f.End.Par;
        for (std::int32_t c = CellIndexIn(row, f.Start.Par);
             c < static_cast<std::int32_t>(row.Cells.size()) && row.Cells[static_cast<std::size_t>(c)].First <= lastPar;
             ++c) {
            if (row.Row != nullptr && c < row.Row->Data.CellCount && row.Row->Data.Cells[c].IsContinuation())
                continue;
            const TCellSpan& cell = row.Cells[static_cast<std::size_t>(c)];
            if (cells.empty() || cells.back().First != cell.First)
                cells.push_back(cell);
        }
    }
    ReleaseCompoundFragment(split);
    return cells;
}

void TTablePaster::CellsOverSelection() {
    std::vector<TCellSpan> cells = SelectedCells();
    const std::vector<TRowSpan> content = TableLayout(C.Content, 0);
    std::vector<std::pair<const TRowSpan*, std::size_t>> sources;
    for (const TRowSpan& row : content)
        for (std::size_t c = 0; c < row.Cells.size(); ++c)
            sources.emplace_back(&row, c);
    if (cells.empty() || sources.empty())
        return;
    DropSelection(Doc);
    for (std::int32_t i = static_cast<std::int32_t>(cells.size()) - 1; i >= 0; --i) {
        const auto& [fromRow, fromCell] = sources[static_cast<std::size_t>(i) % sources.size()];
        const TCellSpan cell = cells[static_cast<std::size_t>(i)];
        const std::vector<TRowSpan> rows = TableLayout(Doc, cell.First);
        const std::int32_t r = RowIndexOf(rows, cell.First);
        if (r < 0)
            continue;
        const TRowSpan& row = rows[static_cast<std::size_t>(r)];
        const std::int32_t c = CellIndexIn(row, cell.First);
        if (row.Row != nullptr && fromRow->Row != nullptr && c < row.Row->Data.CellCount) {
            TTableRowData data = row.Row->Data;
            const std::int32_t edge = data.Cells[c].RightEdge;
            data.Cells[c] = fromRow->Row->Data.Cells[fromCell];
            data.Cells[c].RightEdge = edge;
            ApplyRowData(Doc, row.Row, data);
        }
        ClearCell(Doc, cell);
        PasteText(CellText(C.Content, fromRow->Cells[fromCell]), TTextPos{cell.First, 0});
    }
}

void TTablePaster::IntoSelectedCells() {
    std::vector<TCellSpan> cells = SelectedCells();
    const std::vector<TFragment> pars = ContentParagraphs(true);
    if (cells.empty() || pars.empty())
        return;
    DropSelection(Doc);
    for (std::int32_t i = static_cast<std::int32_t>(cells.size()) - 1; i >= 0; --i) {
        const TCellSpan& cell = cells[static_cast<std::size_t>(i)];
        ClearCell(Doc, cell);
        const TFragment& text = pars[static_cast<std::size_t>(i) % pars.size()];
        if (!FragmentIsEmpty(text))
            PasteText(text, TTextPos{cell.First, 0});
    }
}

}  // namespace

void PasteIntoTable(TTablePasteContext& context, std::int32_t kind) {
    // Cells come and go in several steps, and the rows' data follows them
    // only at the end of each row: the table is repaired once, by the paste
    // after all of it.
    struct TSuspendRepair {
        TDoc& Doc;
        std::uint8_t Saved;
        explicit TSuspendRepair(TDoc& doc) : Doc(doc), Saved(doc.TableRepairSuspended) { doc.TableRepairSuspended = 1; }
        ~TSuspendRepair() { Doc.TableRepairSuspended = Saved; }
    } suspend(context.Doc);
    TTablePaster paster(context);
    switch (kind) {
        case pkNewRows:
            paster.NewRows();
            break;
        case pkNewColumns:
            paster.NewColumns();
            break;
        case pkCells:
            paster.Cells();
            break;
        case pkCellContents:
            paster.CellContents();
            break;
        case pkCellsOverSelection:
            paster.CellsOverSelection();
            break;
        case pkIntoSelectedCells:
            paster.IntoSelectedCells();
            break;
        default:
            break;
    }
}
