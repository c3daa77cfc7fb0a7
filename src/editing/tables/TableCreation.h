#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TTableRow.h"

class TDoc;

// Making tables out of nothing or out of text, and turning them back into
// text: inserting an empty table, cutting selected paragraphs into cells at
// a separator, dissolving rows into paragraphs, and aligning a table with
// the one that ends right above it. New tables take their look from the
// first table of a default table document that the user may edit.

// The argument of opInsertTable: the row data of every new row, taken as
// they are; without it the new rows follow the default table.
struct TTableDescription {
    std::vector<TTableRowData> Rows;
};

// Separators of text-to-table and table-to-text; any other value is the
// code of a separator character.
enum : std::int32_t {
    tsepParagraphs = 2,
    tsepTab = 9,
    tsepComma = 44,
};

// The most rows a new table takes at once (the Insert Table dialog's
// limit too).
constexpr std::int32_t MaxNewTableRows = 16384;

// What the table commands remember between their dialogs (the "Internal"
// settings InsTableCols, InsTableRows and TableToText_CellSep); the options
// holder loads and stores them. Table-to-text reads its separator here.
struct TTableCreationSettings {
    std::int32_t InsTableCols = 5;                     // 1 to 63
    std::int32_t InsTableRows = 5;                     // 1 to 16384
    std::int32_t TableToTextCellSep = tsepParagraphs;  // 0 to 255
};
TTableCreationSettings& TableCreationSettings();

// What table creation needs of rooms and libraries above this one. Each
// entry may stay nil: there is then no open default table document to read
// in place, no RTF reader (the built-in defaults hold), sections are not
// merged (the break becomes a paragraph end), and drop caps are not checked.
struct TTableCreationSeams {
    // A hidden document read from RTF text; nil when the text is no RTF.
    std::unique_ptr<TDoc> (*OpenRtfText)(std::string_view rtf) = nullptr;
    // An open document with this path, read in place of the file.
    TDoc* (*FindOpenDocument)(const std::string& path) = nullptr;
    // Removes the section break that ends paragraph par, joining its two
    // sections.
    void (*MergeSectionBreak)(TDoc& doc, std::int32_t par) = nullptr;
    void (*ValidateDropCaps)(TDoc& doc, std::int32_t par) = nullptr;
    // Where the user's default table document lives; nil: DefaultTablePath.
    std::string (*DefaultTableFile)() = nullptr;
};
TTableCreationSeams& TableCreationSeams();

// "Default Table.rtf" in the program's documents data folder.
std::string DefaultTablePath();
// The embedded default table the program ships, used while the user has
// none of their own.
inline constexpr const char* DefaultTableResource = "DEFTABLE";

// The formats of one cell of the default table: those of its first
// paragraph and of the character at its start.
struct TDefaultTableCell {
    TParFormat ParFormat = DefaultParFormat;
    TCharFormat CharFormat = DefaultCharFormat;
};

// The rows of the first table of the default table document, in order.
// With the cells asked for, each cell record's two working values hold the
// index of its entry in Cells.
struct TDefaultTable {
    std::vector<TTableRowData> Rows;
    std::vector<TDefaultTableCell> Cells;
};

// Reads the default table: an open document with its path in place, else
// the user's file, else the program's own; empty when none of them can be
// read or holds a table.
TDefaultTable LoadDefaultTableFormat(bool withCells);
// The first table of a document as default table rows.
TDefaultTable DefaultTableOf(TDoc& doc, bool withCells);

// The row a new table starts from when no default table says otherwise.
TTableRowData NewRowDefaults(std::int32_t cells);

// Inserts an empty table of rows x columns at the end of the selection (or
// the caret). Without noSeparator a table is never inserted right under
// another, so that the two stay apart. Rows given in list are taken as
// they are; without them the default table gives the look.
void InsertTable(TDoc& doc,
                 std::int32_t rows,
                 std::int32_t columns,
                 bool noSeparator,
                 const std::vector<TTableRowData>* list);

// Cuts the selected paragraphs into a table of the given columns (and at
// most the given rows; 0 or less: as many as the text fills) at the
// separator, which is tsepParagraphs, tsepTab, tsepComma or a character code.
void ConvertTextToTable(TDoc& doc, std::int32_t columns, std::int32_t rows, std::int32_t separator);

// Turns the caret's table, the selected rows or the table of the selection
// into paragraphs, the cells joined by the separator (as above).
void ConvertTableToText(TDoc& doc, std::int32_t separator);

// Aligns the table starting at par with the table ending right above it
// when the two are nearly alike; nothing changes otherwise.
void JoinAdjacentTables(TDoc& doc, std::int32_t par);

// Installs the workers of opInsertTable, opConvertTextToTable,
// opConvertTableToText and opJoinAdjacentTables.
void InstallTableCreationWorkers();
