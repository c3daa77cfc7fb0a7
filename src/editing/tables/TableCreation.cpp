#include "editing/tables/TableCreation.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/core/ObjectHandles.h"
#include "base/files/FolderLocations.h"
#include "editing/tables/TableSelection.h"
#include "editing/tables/TableStructure.h"
#include "editing/tables/TableTabStops.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TFastReplaceTextOperation.h"
#include "platform/Files.h"
#include "platform/Resources.h"

namespace {

// Pushed while text becomes a table, so that the insertions keep the
// typing language they find (the typing room's flag of that number).
constexpr std::uint8_t sfTypingLanguageKept = 47;

// The default table file's name in the data folder, and the folder kind
// (base/files/FolderLocations.h: 4, the user's documents folder of the
// program).
constexpr const char* DefaultTableFileName = "Default Table.rtf";
constexpr int DefaultTableFolderKind = 4;

// New-row defaults: a row as wide as the text column, 108 twips of cell
// padding left and right, and single borders of 10 twips around each cell.
constexpr std::int32_t FullPreferredWidth = 5000;
constexpr std::int32_t DefaultCellPadding = 108;
constexpr std::int32_t DefaultCellBorderWidth = 10;

std::int32_t Len(const TDoc& doc, std::int32_t p) {
    return doc.Par(p)->CharCount();
}

std::uint8_t LastChar(const TDoc& doc, std::int32_t p) {
    const TPar& par = *doc.Par(p);
    return par.CharCount() > 0 ? par.Chars.Data[par.CharCount() - 1] : 0;
}

// a * b / c rounded to the nearest, halves away from zero, as proportional
// arithmetic does everywhere in the table code.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = std::llabs(static_cast<std::int64_t>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(static_cast<std::int64_t>(c));
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// A paragraph mark at pos that keeps the format of the paragraph it splits.
void InsertParagraphMark(TDoc& doc, const TTextPos& pos) {
    TMemory stream;
    AppendFormatControl(stream, fcSpecialChar, chParEnd);
    AppendParagraphMark(stream, doc.Par(pos.Par)->Format);
    doc.InsertFormatted(stream, pos, 0, doc.StoryOfPar(pos.Par), 1, nullptr);
}

// The format of a paragraph that goes into a table: in the table, and free
// of the keep and page-break properties that would tie rows together.
TParFormat InTableFormat(TParFormat format) {
    format.KeepWithNext = 0;
    format.KeepTogether = 0;
    format.PageBreakBefore = 0;
    format.InTable = 1;
    return format;
}

TTableCell DefaultCell() {
    TTableCell cell;
    for (TTableBorder& border : cell.Borders) {
        border.Width = DefaultCellBorderWidth;
        border.Kind = brSingle;
        border.Color = AutomaticTableColor;
    }
    return cell;
}

// Which default row (or cell) a new row (or cell) i of count copies: the
// first for the first, the last for the last, and otherwise the one at the
// same place, but neither the first nor the last of the defaults while
// there is one between them. Of two defaults the first is the heading look,
// so the rows between take the last.
std::int32_t SourceIndex(std::int32_t i, std::int32_t count, std::int32_t available) {
    if (i == 0)
        return 0;
    if (i == count - 1)
        return available - 1;
    return std::min(std::max(1, std::min(i, available - 2)), available - 1);
}

// The row properties a new row takes from the default table.
void TakeRowDefaults(TTableRowData& row, const TDefaultTable& defaults, std::int32_t r, std::int32_t count) {
    const std::int32_t n = static_cast<std::int32_t>(defaults.Rows.size());
    if (n == 0)
        return;
    const TTableRowData& first = defaults.Rows.front();
    const TTableRowData& source = defaults.Rows[SourceIndex(r, count, n)];
    row.Alignment = first.Alignment;
    row.LeftEdge = first.LeftEdge;
    row.PreferredWidth = first.PreferredWidth;
    row.Height = source.Height;
    std::copy(std::begin(source.Padding), std::end(source.Padding), std::begin(row.Padding));
    row.KeepTogether = source.KeepTogether;
    row.HeaderRow = source.HeaderRow;
}

// The default cell new cell i copies, or nil when the source row has none.
const TTableCell* SourceCell(const TDefaultTable& defaults,
                             std::int32_t r,
                             std::int32_t rows,
                             std::int32_t i,
                             std::int32_t columns) {
    const std::int32_t n = static_cast<std::int32_t>(defaults.Rows.size());
    if (n == 0)
        return nullptr;
    const TTableRowData& source = defaults.Rows[SourceIndex(r, rows, n)];
    if (source.CellCount <= 0)
        return nullptr;
    return &source.Cells[SourceIndex(i, columns, source.CellCount)];
}

void TakeCellDefaults(TTableCell& cell, const TTableCell& source) {
    std::copy(std::begin(source.Padding), std::end(source.Padding), std::begin(cell.Padding));
    cell.VerticalAlignment = source.VerticalAlignment;
    std::copy(std::begin(source.Borders), std::end(source.Borders), std::begin(cell.Borders));
    cell.Background = source.Background;
}

// The text formats of a new cell: those at the insertion point, with the
// look (not the font, size, character style or language) and the paragraph
// properties (not the page break, style, outline level or list) of the
// default cell.
void TakeCellFormats(const TDefaultTableCell& source, TCharFormat& chars, TParFormat& par) {
    for (int attr = caBold; attr <= caKerning; ++attr)
        if (attr != caCharStyle)
            chars[attr] = source.CharFormat[attr];
    for (int prop = 0; prop < ParPropCount; ++prop) {
        switch (prop) {
            case ppPageBreakBefore:
            case ppStyle:
            case ppOutlineLevel:
            case ppList:
            case ppListLevel:
                break;
            default:
                CopyParProp(par, prop, source.ParFormat);
                break;
        }
    }
    par.InTable = 1;
}

// A new row named by its row-end control; the document owns it from now on
// (TDoc::TableRowList), whether or not the text keeps naming it.
std::int32_t NewRowHandle(TDoc& doc, const TTableRowData& data) {
    auto* row = new TTableRow;
    row->Data = data;
    doc.TableRowList.Add(row);
    return static_cast<std::int32_t>(ObjectHandle(row));
}

void AppendRowEnd(TMemory& stream, TDoc& doc, const TTableRowData& data) {
    AppendFormatControl(stream, fcRowEnd, NewRowHandle(doc, data));
    AppendParagraphMark(stream, TableParFormat);
}

void AppendEmptyCell(TMemory& stream, const TCharFormat& chars, const TParFormat& par) {
    AppendFormatChange(stream, DefaultCharFormat, chars);
    AppendFormatControl(stream, fcCellEnd, 0);
    AppendParagraphMark(stream, par);
}

std::int32_t SeparatorCode(std::uint8_t c) {
    // Non-breaking hyphens and dashes count as the hyphen-minus.
    return c >= chNonBreakingHyphen && c <= chEnDash ? '-' : c;
}

// Appends paragraph p as cells: its text with each character at an offset
// of cuts turned into a cell end, the characters at offsets of dropped left
// out, and its own end a cell end. Each piece keeps the character format it
// had, and every piece takes the paragraph's format. With bodyOnly the
// paragraph's own end is left to the caller, which receives the character
// format in force there.
void AppendParagraphAsCells(TMemory& out,
                            const TDoc& doc,
                            std::int32_t p,
                            const std::vector<std::int32_t>& cuts,
                            const std::vector<std::int32_t>& dropped,
                            const TParFormat& format,
                            TCharFormat* bodyOnly = nullptr) {
    const TPar& par = *doc.Par(p);
    const std::uint8_t* data = par.Stream.Data;
    const std::int32_t size = par.Stream.Size;
    const std::int32_t endChar = par.CharCount() - 1;
    TCharFormat current = DefaultCharFormat;
    std::size_t nextCut = 0;
    std::size_t nextDrop = 0;
    std::int32_t ch = 0;
    // What happens to character ch: 0 copied, 1 a cell end, 2 left out.
    auto fate = [&]() {
        if (ch == endChar)
            return 2;
        if (nextCut < cuts.size() && cuts[nextCut] == ch) {
            ++nextCut;
            return 1;
        }
        if (nextDrop < dropped.size() && dropped[nextDrop] == ch) {
            ++nextDrop;
            return 2;
        }
        return 0;
    };
    auto cellEnd = [&]() {
        AppendFormatControl(out, fcCellEnd, 0);
        AppendParagraphMark(out, format);
        AppendFormatChange(out, DefaultCharFormat, current);
    };
    TStreamElement e;
    for (std::int32_t off = 0; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (e.Truncated)
            break;
        if (e.IsControl) {
            if (e.Code <= fcLastCharAttr) {
                current[e.Code] = e.Value;
                out.AppendBuffer(data + off, e.Length);
            } else if (ControlTakesPosition(e.Code)) {
                switch (fate()) {
                    case 0:
                        out.AppendBuffer(data + off, e.Length);
                        break;
                    case 1:
                        cellEnd();
                        break;
                    default:
                        break;
                }
                ++ch;
            } else {
                out.AppendBuffer(data + off, e.Length);
            }
            continue;
        }
        for (std::int32_t i = 0; i < e.Length; ++i, ++ch) {
            switch (fate()) {
                case 0:
                    out.AppendByte(data[off + i]);
                    break;
                case 1:
                    cellEnd();
                    break;
                default:
                    break;
            }
        }
    }
    if (bodyOnly != nullptr) {
        *bodyOnly = current;
        return;
    }
    AppendFormatControl(out, fcCellEnd, 0);
    AppendParagraphMark(out, format);
}

// One row of text to convert: the text paragraphs it takes and, for a
// separator other than paragraphs, the characters of its one paragraph that
// become cell ends or go.
struct TRowPlan {
    std::int32_t First = 0;
    std::int32_t Last = 0;
    std::vector<std::int32_t> Cuts;
    std::vector<std::int32_t> Dropped;
    std::int32_t Cells = 0;
};

void PlanRowOfParagraph(const TDoc& doc, std::int32_t p, std::int32_t columns, std::int32_t separator, TRowPlan& row) {
    row.First = row.Last = p;
    const TPar& par = *doc.Par(p);
    const std::int32_t end = par.CharCount() - 1;
    std::vector<std::int32_t> found;
    for (std::int32_t o = 0; o < end; ++o)
        if (SeparatorCode(par.Chars.Data[o]) == separator)
            found.push_back(o);
    const std::size_t used = std::min<std::size_t>(found.size(), static_cast<std::size_t>(columns - 1));
    row.Cuts.assign(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(used));
    row.Cells = static_cast<std::int32_t>(used) + 1;
    // Tabs beyond the last cell would only indent the last cell's text.
    if (separator == tsepTab) {
        std::int32_t o = row.Cuts.empty() ? 0 : row.Cuts.back() + 1;
        while (o < end && par.Chars.Data[o] == chTab)
            row.Dropped.push_back(o++);
    }
}

// The row the new table's rows copy when the text lies right under or
// above a table: that table's neighbouring row, with the cell count made
// columns, added cells copying its last one, the edges spread evenly over
// its width, and no merges (the new cells hold text of their own).
bool TemplateRowData(TDoc& doc, std::int32_t first, std::int32_t last, std::int32_t columns, TTableRowData& data) {
    const int story = doc.StoryOfPar(first);
    const TTableRow* row = nullptr;
    if (first > doc.FirstParOfStory(story) && IsRowEnd(doc, first - 1))
        row = TableRowOf(doc, first - 1);
    else if (last < doc.LastParOfStory(story) && InTablePar(doc, last + 1))
        row = TableRowOf(doc, last + 1);
    if (row == nullptr || row->Data.CellCount <= 0)
        return false;
    data = row->Data;
    for (std::int32_t c = 0; c < data.CellCount; ++c)
        data.Cells[c].FirstOfMerge = data.Cells[c].Merged = 0;
    if (data.CellCount != columns) {
        const TTableCell lastCell = data.Cells[data.CellCount - 1];
        for (std::int32_t c = data.CellCount; c < columns; ++c)
            data.Cells[c] = lastCell;
        data.CellCount = columns;
        if (lastCell.RightEdge != UnsetValue && data.LeftEdge != UnsetValue) {
            const std::int32_t width = lastCell.RightEdge - data.LeftEdge;
            for (std::int32_t j = 1; j <= columns; ++j)
                data.Cells[j - 1].RightEdge = data.LeftEdge + MulDiv(width, j, columns);
        }
    }
    return true;
}

std::unique_ptr<TDoc> OpenRtfBytes(const std::string& bytes) {
    if (TableCreationSeams().OpenRtfText == nullptr || bytes.empty())
        return nullptr;
    return TableCreationSeams().OpenRtfText(bytes);
}

// The bytes of a file, or nothing when it cannot be read: a missing or
// unreadable default table only means the built-in look.
std::string ReadFileQuietly(const std::string& path) {
    if (path.empty() || !Platform::FileExists(path))
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return in.bad() ? std::string() : bytes.str();
}

void SelectRange(TDoc& doc, std::int32_t first, std::int32_t last) {
    TPostActions& pa = doc.PostActions();
    pa.Selection->SetSingle(first, 0, last, Len(doc, last));
    pa.Caret = TTextPos{first, 0};
    doc.Caret = pa.Caret;
}

}  // namespace

TTableCreationSettings& TableCreationSettings() {
    static TTableCreationSettings settings;
    return settings;
}

TTableCreationSeams& TableCreationSeams() {
    static TTableCreationSeams seams;
    return seams;
}

std::string DefaultTablePath() {
    return GetDataFolder(DefaultTableFolderKind) + DefaultTableFileName;
}

TDefaultTable DefaultTableOf(TDoc& doc, bool withCells) {
    TDefaultTable table;
    std::int32_t p = 0;
    while (p < doc.ParCount() && !InTablePar(doc, p))
        ++p;
    if (p >= doc.ParCount())
        return table;
    const std::int32_t storyEnd = doc.LastParOfStory(doc.StoryOfPar(p));
    std::vector<std::int32_t> cellStarts;
    std::int32_t cellStart = p;
    for (; p <= storyEnd && InTablePar(doc, p); ++p) {
        if (IsRowEnd(doc, p)) {
            if (const TTableRow* row = TableRowOf(doc, p)) {
                TTableRowData data = row->Data;
                if (withCells) {
                    for (std::int32_t c = 0; c < data.CellCount; ++c) {
                        TDefaultTableCell cell;
                        if (c < static_cast<std::int32_t>(cellStarts.size())) {
                            cell.ParFormat = doc.Par(cellStarts[c])->Format;
                            doc.FormatAtPos(TTextPos{cellStarts[c], 0}, cell.CharFormat);
                        }
                        const auto index = static_cast<std::int32_t>(table.Cells.size());
                        data.Cells[c].Work[0] = data.Cells[c].Work[1] = index;
                        table.Cells.push_back(cell);
                    }
                }
                table.Rows.push_back(data);
            }
            cellStarts.clear();
            cellStart = p + 1;
        } else if (LastChar(doc, p) == chCellEnd) {
            cellStarts.push_back(cellStart);
            cellStart = p + 1;
        }
    }
    return table;
}

TDefaultTable LoadDefaultTableFormat(bool withCells) {
    const TTableCreationSeams& seams = TableCreationSeams();
    const std::string path = seams.DefaultTableFile != nullptr ? seams.DefaultTableFile() : DefaultTablePath();
    if (seams.FindOpenDocument != nullptr && !path.empty())
        if (TDoc* open = seams.FindOpenDocument(path))
            return DefaultTableOf(*open, withCells);
    std::string bytes = ReadFileQuietly(path);
    if (bytes.empty()) {
        Platform::TResourceData data;
        if (Platform::FindResourceData("RCDATA", DefaultTableResource, data) && data.Size > 0)
            bytes.assign(reinterpret_cast<const char*>(data.Data), static_cast<std::size_t>(data.Size));
    }
    std::unique_ptr<TDoc> doc = OpenRtfBytes(bytes);
    if (doc == nullptr)
        return {};
    return DefaultTableOf(*doc, withCells);
}

TTableRowData NewRowDefaults(std::int32_t cells) {
    TTableRowData row;
    row.Alignment = taLeft;
    row.LeftEdge = 0;
    row.Height = 0;
    row.PreferredWidth = FullPreferredWidth;
    row.Padding[0] = DefaultCellPadding;
    row.Padding[1] = 0;
    row.Padding[2] = DefaultCellPadding;
    row.Padding[3] = 0;
    row.Background = AutomaticTableColor;
    row.CellCount = std::clamp(cells, 0, MaxTableCells);
    for (std::int32_t c = 0; c < row.CellCount; ++c)
        row.Cells[c] = DefaultCell();
    return row;
}

void InsertTable(TDoc& doc,
                 std::int32_t rows,
                 std::int32_t columns,
                 bool noSeparator,
                 const std::vector<TTableRowData>* list) {
    if (list != nullptr && list->empty())
        list = nullptr;
    if (rows <= 0 || (list == nullptr && columns <= 0))
        return;
    columns = std::min(columns, MaxTableCells);
    rows = std::min(rows, MaxNewTableRows);

    // Where the table goes: the end of the selection, or the caret; an end
    // after a paragraph's mark is the next paragraph's start.
    TTextPos p = doc.Caret;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        p = span.End;
    }
    if (p.Par >= doc.ParCount())
        p = TTextPos{doc.ParCount() - 1, Len(doc, doc.ParCount() - 1)};
    const int story = doc.StoryOfPar(p.Par);
    if (p.Offset > 0 && p.Offset >= Len(doc, p.Par))
        p = TTextPos{p.Par + 1, 0};

    // A table never cuts a paragraph and never ends a story; it joins the
    // table right above only when asked to.
    const std::int32_t lastOfStory = doc.LastParOfStory(story);
    // Tables do not nest: nothing goes into a cell.
    if (p.Par <= lastOfStory && InTablePar(doc, p.Par))
        return;
    bool split = false;
    if (p.Par > lastOfStory) {
        p = TTextPos{lastOfStory, Len(doc, lastOfStory) - 1};
        split = true;
    } else if (p.Offset > 0 || (!noSeparator && p.Par > doc.FirstParOfStory(story) && InTablePar(doc, p.Par - 1))) {
        split = true;
    }
    if (split) {
        InsertParagraphMark(doc, p);
        p = TTextPos{p.Par + 1, 0};
    }

    TCharFormat hereChars;
    doc.FormatAtPos(p, hereChars);
    const TParFormat herePar = InTableFormat(doc.Par(p.Par)->Format);

    TDefaultTable defaults;
    if (list == nullptr)
        defaults = LoadDefaultTableFormat(true);

    TMemory stream;
    std::int32_t parEnds = 0;
    for (std::int32_t r = 0; r < rows; ++r) {
        TTableRowData row;
        if (list != nullptr) {
            row = (*list)[std::min<std::size_t>(static_cast<std::size_t>(r), list->size() - 1)];
            row.CellCount = std::clamp(row.CellCount, 1, MaxTableCells);
        } else {
            row = NewRowDefaults(columns);
            TakeRowDefaults(row, defaults, r, rows);
        }
        for (std::int32_t i = 0; i < row.CellCount; ++i) {
            TCharFormat chars = hereChars;
            TParFormat par = herePar;
            if (list == nullptr) {
                if (const TTableCell* source = SourceCell(defaults, r, rows, i, row.CellCount)) {
                    TakeCellDefaults(row.Cells[i], *source);
                    const std::int32_t index = source->Work[0];
                    if (index >= 0 && index < static_cast<std::int32_t>(defaults.Cells.size()))
                        TakeCellFormats(defaults.Cells[static_cast<std::size_t>(index)], chars, par);
                }
            }
            row.Cells[i].Work[0] = row.Cells[i].Work[1] = 0;
            AppendEmptyCell(stream, chars, par);
            ++parEnds;
        }
        AppendRowEnd(stream, doc, row);
        ++parEnds;
    }
    doc.InsertFormatted(stream, p, 0, story, parEnds, nullptr);

    TPostActions& pa = doc.PostActions();
    pa.Caret = p;
    pa.Selection->Reset();
    doc.Caret = p;
}

void ConvertTextToTable(TDoc& doc, std::int32_t columns, std::int32_t rows, std::int32_t separator) {
    if (columns <= 0 || doc.ParCount() == 0)
        return;
    columns = std::min(columns, MaxTableCells);
    // Characters below 32 other than the tab are marks of the text's own
    // structure (anchors, note references), never separators: such a
    // separator means paragraphs, as the dialog makes it.
    if (separator < ' ' && separator != tsepTab)
        separator = tsepParagraphs;
    doc.PushStateFlag(sfTypingLanguageKept);

    TTextPos s = doc.Caret;
    TTextPos e = doc.Caret;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        s = span.Start;
        e = span.End;
    } else {
        // Without a selection the caret's paragraph is the text.
        s.Offset = 0;
        e.Offset = Len(doc, e.Par) - 1;
    }
    const int story = doc.StoryOfPar(s.Par);
    if (e.Par > doc.LastParOfStory(story))
        e = TTextPos{doc.LastParOfStory(story), Len(doc, doc.LastParOfStory(story)) - 1};

    // Text that already holds table paragraphs is no text for a table (an
    // end at a paragraph's start does not take that paragraph).
    const std::int32_t lastTouched = e.Par > s.Par && e.Offset == 0 ? e.Par - 1 : e.Par;
    for (std::int32_t p = s.Par; p <= lastTouched; ++p) {
        if (InTablePar(doc, p)) {
            doc.PopStateFlag();
            return;
        }
    }

    // Whole paragraphs only: cut the first and last paragraph where the
    // selection cuts them.
    if (s.Offset > 0 && s.Offset >= Len(doc, s.Par)) {
        s = TTextPos{s.Par + 1, 0};
    } else if (s.Offset > 0) {
        InsertParagraphMark(doc, s);
        if (e.Par == s.Par)
            e.Offset -= s.Offset;
        ++e.Par;
        s = TTextPos{s.Par + 1, 0};
    }
    std::int32_t last = e.Par;
    if (e.Par > s.Par && e.Offset == 0) {
        last = e.Par - 1;
    } else if (e.Offset > 0 && e.Offset < Len(doc, e.Par) - 1) {
        InsertParagraphMark(doc, e);
    }
    const std::int32_t first = s.Par;
    if (last < first) {
        doc.PopStateFlag();
        return;
    }
    // The story keeps a last paragraph outside the table.
    if (last == doc.LastParOfStory(story))
        InsertParagraphMark(doc, TTextPos{last, Len(doc, last) - 1});

    // No section, column or page breaks inside a table.
    for (std::int32_t p = last; p >= first; --p) {
        if (LastChar(doc, p) == chSectionBreak && TableCreationSeams().MergeSectionBreak != nullptr) {
            // Joining the sections may take the break's paragraph with it.
            const std::int32_t before = doc.ParCount();
            TableCreationSeams().MergeSectionBreak(doc, p);
            last += doc.ParCount() - before;
            if (p > last)
                continue;
        }
        const TPar& par = *doc.Par(p);
        for (std::int32_t o = par.CharCount() - 2; o >= 0; --o) {
            const std::uint8_t c = doc.Par(p)->Chars.Data[o];
            if (c == chColumnBreak || c == chPageBreak)
                (new TFastReplaceTextOperation2(&doc, p, o, chLineBreak))->Execute();
        }
    }

    if (last < first) {
        doc.PopStateFlag();
        return;
    }

    // Which paragraphs make which rows.
    std::vector<TRowPlan> plan;
    for (std::int32_t f = first; f <= last && (rows <= 0 || static_cast<std::int32_t>(plan.size()) < rows);) {
        TRowPlan row;
        if (separator == tsepParagraphs) {
            row.First = f;
            row.Last = std::min(last, f + columns - 1);
            row.Cells = row.Last - row.First + 1;
        } else {
            PlanRowOfParagraph(doc, f, columns, separator, row);
        }
        f = row.Last + 1;
        plan.push_back(std::move(row));
    }
    const std::int32_t consumed = plan.back().Last;

    TTableRowData templ;
    const bool hasTemplate = TemplateRowData(doc, first, consumed, columns, templ);
    TDefaultTable defaults;
    if (!hasTemplate)
        defaults = LoadDefaultTableFormat(false);

    // The new table as one stream that replaces the text paragraphs, so that
    // converting long texts costs one pass over them.
    TMemory stream;
    std::int32_t parEnds = 0;
    const auto rowCount = static_cast<std::int32_t>(plan.size());
    for (std::int32_t r = 0; r < rowCount; ++r) {
        const TRowPlan& row = plan[static_cast<std::size_t>(r)];
        TParFormat format = TableParFormat;
        for (std::int32_t p = row.First; p <= row.Last; ++p) {
            format = InTableFormat(doc.Par(p)->Format);
            if (separator == tsepParagraphs)
                AppendParagraphAsCells(stream, doc, p, {}, {}, format);
            else
                AppendParagraphAsCells(stream, doc, p, row.Cuts, row.Dropped, format);
        }
        parEnds += row.Cells;
        TCharFormat atEnd;
        doc.FormatAtPos(TTextPos{row.Last, Len(doc, row.Last) - 1}, atEnd);
        for (std::int32_t c = row.Cells; c < columns; ++c) {
            AppendEmptyCell(stream, atEnd, format);
            ++parEnds;
        }
        TTableRowData data;
        if (hasTemplate) {
            data = templ;
        } else {
            data = NewRowDefaults(columns);
            TakeRowDefaults(data, defaults, r, rowCount);
            for (std::int32_t i = 0; i < columns; ++i)
                if (const TTableCell* source = SourceCell(defaults, r, rowCount, i, columns))
                    TakeCellDefaults(data.Cells[i], *source);
        }
        AppendRowEnd(stream, doc, data);
        ++parEnds;
    }
    doc.DeleteText(nullptr, TTextPos{first, 0}, TTextPos{consumed + 1, 0}, 0);
    doc.InsertFormatted(stream, TTextPos{first, 0}, 0, story, parEnds, nullptr);

    const std::int32_t tableLast = first + parEnds - 1;
    if (TableCreationSeams().ValidateDropCaps != nullptr)
        for (std::int32_t p = tableLast; p >= first; --p)
            TableCreationSeams().ValidateDropCaps(doc, p);
    SelectRange(doc, first, tableLast);
    doc.PopStateFlag();
}

void ConvertTableToText(TDoc& doc, std::int32_t separator) {
    // The rows to convert, as paragraph ranges from the first to the last.
    std::int32_t from = -1;
    std::int32_t to = -1;
    TFragment range;
    if (IsEmptyCompoundFragment(doc.Selection)) {
        if (doc.Caret.Par < 0 || doc.Caret.Par >= doc.ParCount() || !InTablePar(doc, doc.Caret.Par))
            return;
        TableRange(doc, doc.Caret.Par, range);
        from = range.Start.Par;
        to = range.End.Par;
    } else {
        TFragment span;
        doc.Selection->GetSpan(span);
        if (span.Start.Par < 0 || span.Start.Par >= doc.ParCount() || !InTablePar(doc, span.Start.Par))
            return;
        if (TableSelectionType(doc) == tsRows) {
            RowRange(doc, span.Start.Par, range);
            from = range.Start.Par;
            std::int32_t endPar = span.End.Par;
            if (span.End.Offset == 0 && endPar > span.Start.Par)
                --endPar;
            endPar = std::min(endPar, doc.ParCount() - 1);
            while (endPar > from && !InTablePar(doc, endPar))
                --endPar;
            RowRange(doc, endPar, range);
            to = range.End.Par;
        } else {
            TableRange(doc, span.Start.Par, range);
            from = range.Start.Par;
            to = range.End.Par;
        }
    }
    struct TRowSpan {
        std::int32_t First;
        std::int32_t End;  // the row-end paragraph
    };
    std::vector<TRowSpan> rows;
    std::int32_t start = from;
    for (std::int32_t p = from; p <= to; ++p) {
        if (IsRowEnd(doc, p)) {
            rows.push_back(TRowSpan{start, p});
            start = p + 1;
        }
    }
    if (rows.empty())
        return;

    const int story = doc.StoryOfPar(from);
    const std::int32_t after = rows.back().End + 1;
    // A table that ends its story is damaged; the repair mends it first.
    if (after > doc.LastParOfStory(story))
        return;

    // The text as one stream that replaces the rows, so that a long table
    // costs one pass over it. A cell end becomes a paragraph end, or the
    // separator after which the next cell's text continues the paragraph
    // (its stream starts from the default format, so the format in force
    // is undone first). Each paragraph keeps the format of its first
    // source paragraph, out of the table.
    TMemory stream;
    std::int32_t produced = 0;
    for (const TRowSpan& row : rows) {
        std::int16_t tabs = 0;
        if (separator == tsepTab) {
            std::vector<std::int32_t> edges;
            if (const TTableRow* tableRow = TableRowOf(doc, row.End))
                for (std::int32_t c = 0; c < tableRow->Data.CellCount; ++c)
                    if (tableRow->Data.Cells[c].RightEdge != UnsetValue && tableRow->Data.Cells[c].RightEdge > 0)
                        edges.push_back(tableRow->Data.Cells[c].RightEdge);
            tabs = LeftTabTableAt(edges);
        }
        std::int32_t lastCellEnd = -1;
        for (std::int32_t p = row.First; p < row.End; ++p)
            if (LastChar(doc, p) == chCellEnd)
                lastCellEnd = p;
        bool paragraphOpen = false;
        TParFormat format = DefaultParFormat;
        for (std::int32_t p = row.First; p < row.End; ++p) {
            if (!paragraphOpen) {
                format = doc.Par(p)->Format;
                format.InTable = 0;
                if (separator == tsepTab)
                    format.Tabs = tabs;
                paragraphOpen = true;
            }
            TCharFormat current = DefaultCharFormat;
            AppendParagraphAsCells(stream, doc, p, {}, {}, format, &current);
            const bool joins = LastChar(doc, p) == chCellEnd && separator != tsepParagraphs && p != lastCellEnd;
            if (joins) {
                // A character below 32 is no text: a tab stands in for it.
                if (separator >= ' ' && separator <= 255)
                    stream.AppendByte(static_cast<std::uint8_t>(separator));
                else
                    AppendFormatControl(stream, fcSpecialChar, chTab);
                AppendFormatChange(stream, current, DefaultCharFormat);
                continue;
            }
            AppendFormatControl(stream, fcSpecialChar, chParEnd);
            AppendParagraphMark(stream, format);
            paragraphOpen = false;
            ++produced;
        }
        // A row whose last cell lost its mark still ends its paragraph.
        if (paragraphOpen) {
            AppendFormatControl(stream, fcSpecialChar, chParEnd);
            AppendParagraphMark(stream, format);
            ++produced;
        }
    }
    doc.DeleteText(nullptr, TTextPos{from, 0}, TTextPos{after, 0}, 0);
    if (produced > 0)
        doc.InsertFormatted(stream, TTextPos{from, 0}, 0, story, produced, nullptr);

    // Rows left below make a table of their own now.
    const std::int32_t next = from + produced;
    if (next < doc.ParCount() && InTablePar(doc, next))
        RepairTable(doc, next);
    if (produced > 0)
        SelectRange(doc, from, next - 1);
}

void JoinAdjacentTables(TDoc& doc, std::int32_t par) {
    if (par <= 0 || par >= doc.ParCount() || !InTablePar(doc, par))
        return;
    const int story = doc.StoryOfPar(par);
    if (par == doc.FirstParOfStory(story) || !IsRowEnd(doc, par - 1))
        return;
    const TTableRow* upper = TableRowOf(doc, par - 1);
    if (upper == nullptr || upper->Data.CellCount <= 0)
        return;
    std::vector<TTableRow*> lower;
    const std::int32_t storyEnd = doc.LastParOfStory(story);
    for (std::int32_t p = par; p <= storyEnd && InTablePar(doc, p); ++p)
        if (IsRowEnd(doc, p))
            if (TTableRow* row = TableRowOf(doc, p))
                lower.push_back(row);
    if (lower.empty())
        return;
    const TTableRowData& model = lower.front()->Data;
    if (model.CellCount <= 0)
        return;
    for (const TTableRow* row : lower) {
        if (row->Data.CellCount != model.CellCount || row->Data.LeftEdge != model.LeftEdge)
            return;
        for (std::int32_t c = 0; c < model.CellCount; ++c)
            if (row->Data.Cells[c].RightEdge != model.Cells[c].RightEdge)
                return;
    }
    const TTableRowData& u = upper->Data;
    const bool sameCount = model.CellCount == u.CellCount;
    // Scaling needs every edge; rows that layout has not fitted yet (edges
    // unset) only take the upper row's edges as they are.
    auto hasUnsetEdge = [](const TTableRowData& row) {
        if (row.LeftEdge == UnsetValue)
            return true;
        for (std::int32_t c = 0; c < row.CellCount; ++c)
            if (row.Cells[c].RightEdge == UnsetValue)
                return true;
        return false;
    };
    if (!sameCount && (hasUnsetEdge(u) || hasUnsetEdge(model)))
        return;
    const std::int32_t upperRight = u.Cells[u.CellCount - 1].RightEdge;
    const std::int32_t lowerRight = model.Cells[model.CellCount - 1].RightEdge;
    const std::int32_t upperWidth = upperRight - u.LeftEdge;
    const std::int32_t lowerWidth = lowerRight - model.LeftEdge;
    if (!sameCount && (upperWidth <= 0 || lowerWidth <= 0 ||
                       10 * static_cast<std::int64_t>(std::abs(upperWidth - lowerWidth)) >= upperWidth))
        return;
    for (TTableRow* row : lower) {
        TTableRowData data = row->Data;
        data.LeftEdge = u.LeftEdge;
        if (sameCount) {
            for (std::int32_t c = 0; c < data.CellCount; ++c)
                data.Cells[c].RightEdge = u.Cells[c].RightEdge;
        } else {
            for (std::int32_t c = 0; c + 1 < data.CellCount; ++c)
                data.Cells[c].RightEdge =
                    upperRight - MulDiv(lowerRight - model.Cells[c].RightEdge, upperWidth, lowerWidth);
            data.Cells[data.CellCount - 1].RightEdge = upperRight;
        }
        ApplyRowData(doc, row, data);
    }
}

namespace {

void InsertTableWorker(TDoc& doc, TOperationCall&, const TInsertTableArgs& args) {
    InsertTable(doc, args.Rows, args.Columns, false, args.Table != nullptr ? &args.Table->Rows : nullptr);
}

void TextToTableWorker(TDoc& doc, TOperationCall&, const TConvertTextToTableArgs& args) {
    ConvertTextToTable(doc, args.Columns, args.Rows, args.Separator);
}

void TableToTextWorker(TDoc& doc, TOperationCall&, const TConvertTableToTextArgs&) {
    ConvertTableToText(doc, TableCreationSettings().TableToTextCellSep);
}

void JoinTablesWorker(TDoc& doc, TOperationCall&, const TJoinAdjacentTablesArgs& args) {
    JoinAdjacentTables(doc, args.Par);
}

}  // namespace

void InstallTableCreationWorkers() {
    SetOperationWorker<TInsertTableArgs>(&InsertTableWorker);
    SetOperationWorker<TConvertTextToTableArgs>(&TextToTableWorker);
    SetOperationWorker<TConvertTableToTextArgs>(&TableToTextWorker);
    SetOperationWorker<TJoinAdjacentTablesArgs>(&JoinTablesWorker);
}
