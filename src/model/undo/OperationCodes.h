#pragma once

#include <cstdint>

#include "model/fields/TField.h"

// The operation codes of TDoc::PerformOperation: the one way to change a
// document. Each code has an argument record (model/undo/OperationArgs.h), a
// worker (model/undo/OperationWorkers.h) and a row of the code table below.
enum : std::uint8_t {
    opChangePageSettings = 0,
    opFormatParagraph = 1,
    opFormatFont = 2,
    opStepFontAttribute = 3,
    opFormatBrush = 4,
    opShrinkPageCount = 5,
    opFormatTabs = 6,
    opResetFormat = 7,
    opStepParAttribute = 8,
    opApplyStyle = 9,
    opFormatDocStyles = 10,
    opUpdateStyle = 11,
    opInsertFormattedText = 12,
    opInsertText = 13,
    opPaste = 14,
    opPasteFromBank = 15,
    opDeleteText = 16,
    opReplaceText = 17,
    opCopyMoveText = 18,
    opJoinParagraphs = 19,
    opSplitParagraphs = 20,
    opSortParagraphs = 21,
    opMoveParagraphs = 22,
    opConvertText = 23,
    opChangeDefaultLanguage = 24,
    opAutoCorrectTyped = 25,
    opAutoCorrectRange = 26,
    opFormatSections = 27,
    opInsertBookmark = 28,
    opDeleteBookmark = 29,
    opMarkIndexEntry = 30,
    opMarkIndexEntries = 31,
    opEditFieldCode = 32,
    opRemoveHyperlink = 33,
    opDeactivateHyperlinks = 34,
    opSetHyperlink = 35,
    opHyperlinkToUrl = 36,
    opInsertTOC = 37,
    opRemoveTOC = 38,
    opInsertFieldObject = 39,
    opInsertField = 40,
    opUpdateFields = 41,
    opRemoveField = 42,
    opChangeSectionBreak = 43,
    opSameAsPrevious = 44,
    opMergeSections = 45,
    opInsertSymbol = 46,
    opInsertPageNumbers = 47,
    opInsertEnvelope = 48,
    opChangeHyphenation = 49,
    opChangeFieldType = 50,
    opApplyList = 51,
    opRemoveList = 52,
    opRemoveListFromStyles = 53,
    opApplyListTemplate = 54,
    opConvertToManualList = 55,
    opProcessPictures = 56,
    opFormatListLevel = 57,
    opReplaceAutoList = 58,
    opInsertNote = 59,
    opConvertNotes = 60,
    opInsertTable = 61,
    opAppendTableRow = 62,
    opFormatTableRows = 63,
    opMergeCells = 64,
    opSplitCells = 65,
    opSplitTable = 66,
    opDeleteCells = 67,
    opDistributeRows = 68,
    opDistributeColumns = 69,
    opTableBorderResize = 70,
    opInsertRowsAbove = 71,
    opInsertRowsBelow = 72,
    opInsertColumnsLeft = 73,
    opInsertColumnsRight = 74,
    opInsertCells = 75,
    opJoinAdjacentTables = 76,
    opConvertTableToText = 77,
    opConvertTextToTable = 78,
    opChangeDocProperties = 79,
    opInsertIndex = 80,
    opLockSelection = 81,
    opSetNoteSeparator = 82,
    opBeginMultiSelectionOvertype = 83,
    opSetFastNavMark = 84,
    opFormatPicture = 85,
    opDropCap = 86,
};

constexpr int OperationCodeCount = 87;

// What PerformOperation does around the worker of a code, besides opening,
// closing and committing the operation. Before the worker:
enum : std::uint8_t {
    beUpdateTypingFormat = 0x01,  // typing takes the format before the caret
    beDeleting = 0x02,            // lay out first when shapes are selected; sfDeletingText while it runs
    bePasting = 0x04,             // sfPasting while it runs
    beNeverOvertype = 0x08,       // sfNeverOvertype while it runs
    beShowProgress = 0x10,        // painting is not suspended, so a long run can show its progress
    beRememberTocBookmarks = 0x20,
    beIndexPages = 0x40,  // the index needs print layout and the pages of its entries
};

// Follow-ups, only when the operation was committed.
enum : std::uint16_t {
    fuCaretStays = 0x001,  // the post-actions do not scroll to the caret
    fuRestartSpellcheck = 0x002,
    fuUpdateTocPageRefs = 0x004,        // chained opUpdateFields over the new table's page references
    fuRemoveTocBookmarks = 0x008,       // asks, then chained opDeleteBookmark for each
    fuUpdateNewField = 0x010,           // chained opUpdateFields over the new field, caret after it
    fuFormatSymbol = 0x020,             // chained opFormatFont: the symbol takes the typing format it had
    fuUpdatePageNumbers = 0x040,        // chained opUpdateFields over the sections given page numbers
    fuDistributeRows = 0x080,           // chained opDistributeRows
    fuRepeatIndexUntilSettled = 0x100,  // chained opInsertIndex while its pages move
};

// The outcome, also of a dropped operation.
enum : std::uint8_t {
    ocRefreshTypingCaret = 0x01,  // when the typing format was set directly
    ocReportNotShrunk = 0x02,
    ocClearStatus = 0x04,  // unless sfStatusKept
    ocSelectDuplicates = 0x08,
    ocReportNoHeadings = 0x10,
    ocRestoreIndexView = 0x20,
};

// One row of the code table: everything PerformOperation knows of a code
// apart from its worker. Adding a code is adding a row, its argument record
// (model/undo/OperationArgs.h) and, where it needs one, a worker.
struct TOperationCodeInfo {
    std::uint8_t Code;
    const char* Name;
    const char* Record;     // the argument record's type
    std::uint8_t UndoName;  // the code's own; a record with UndoName() chooses by its arguments
    std::uint8_t (*ChooseUndoName)(const void* args);  // nil: UndoName
    std::uint8_t Before;
    std::uint16_t FollowUps;
    std::uint8_t Outcome;
};

// Rows in code order, one per code.
extern const TOperationCodeInfo OperationCodes[OperationCodeCount];

// Undo names (captions of the Undo and Redo menu items, progress texts),
// indexed by TOperation::UndoName.
enum : std::uint8_t {
    unOperation = 0,
    unChangePageSettings = 1,
    unFormatParagraph = 5,
    unFormatTabs = 6,
    unApplyStyle = 7,
    unFormatDocStyles = 8,
    unFontFormat = 9,
    unPaste = 13,
    unTextInput = 15,
    unInsertSymbol = 16,
    unDeleteText = 20,
    unDragDrop = 21,
    unSortParagraphs = 26,
    unConvertKeyboardLayouts = 28,
    unFormatSections = 42,
    unTableOfContents = 46,
    unInsertField = 47,
    unRemoveFields = 48,
    unUpdateFields = 49,
    unHeaderAndFooter = 51,
    unPageNumbers = 53,
    unLists = 58,
    unFootnotesEndnotes = 60,
    unFormatTable = 62,
    unIndex = 64,
    unLockSelection = 65,
    unFastNavigation = 67,
};
constexpr int UndoNameCount = 69;
extern const char* const UndoNames[UndoNameCount];

// The undo name of a call with the argument record of its code (nil: the
// code's own name). Codes outside the table give 0.
std::uint8_t OperationUndoName(std::uint8_t code, const void* args);

// The field types whose results depend on the document's state.
extern const TFieldTypeSet DynamicFieldTypes;
