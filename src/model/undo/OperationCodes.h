#pragma once

#include <cstdint>

#include "model/fields/TField.h"

// The operation codes of TDoc::PerformOperation: the one way to change a
// document. Each code has a worker (model/OperationWorkers.h) and the index
// of its undo name.
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

// One row of the code table.
struct TOperationCodeInfo {
    std::uint8_t Code;
    const char* Name;
    std::uint8_t UndoName;  // the code's own; a few codes choose by argument
    const char* Arguments;  // the argument slots, in order
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

// The undo name of a call: the code's own, or for codes 7, 8, 10 and 23 the
// one their arguments choose. Codes outside the table give 0.
std::uint8_t OperationUndoName(std::uint8_t code, void* const* args, std::int32_t count);

// The field types whose results depend on the document's state.
extern const TFieldTypeSet DynamicFieldTypes;
