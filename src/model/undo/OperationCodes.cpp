#include "model/undo/OperationCodes.h"

#include "model/undo/OperationArgs.h"
#include "model/undo/StyleOperations.h"

// The name of a code and of its record come from one spelling, so that a
// row cannot pair a code with another code's record.
#define ROW(name, ...) Row<T##name##Args>("op" #name, "T" #name "Args", __VA_ARGS__)

namespace {

template <OperationArgs TArgs>
constexpr TOperationCodeInfo Row(const char* name,
                                 const char* record,
                                 std::uint8_t undoName,
                                 std::uint8_t before = 0,
                                 std::uint16_t followUps = 0,
                                 std::uint8_t outcome = 0) {
    return {TArgs::Code, name, record, undoName, UndoNameChooser<TArgs>(), before, followUps, outcome};
}

}  // namespace

constexpr TOperationCodeInfo OperationCodes[OperationCodeCount] = {
    ROW(ChangePageSettings, 1, 0, fuCaretStays, 0),
    ROW(FormatParagraph, 5),
    ROW(FormatFont, 9, 0, fuRestartSpellcheck, ocRefreshTypingCaret),
    ROW(StepFontAttribute, 9, 0, 0, ocRefreshTypingCaret),
    ROW(FormatBrush, 10),
    ROW(ShrinkPageCount, 4, 0, fuCaretStays, ocReportNotShrunk),
    ROW(FormatTabs, 6),
    ROW(ResetFormat, 5, 0, 0, ocRefreshTypingCaret),
    ROW(StepParAttribute, 5),
    ROW(ApplyStyle, 7),
    ROW(FormatDocStyles, 7),
    ROW(UpdateStyle, 27, 0, fuCaretStays, 0),
    ROW(InsertFormattedText, 15, beUpdateTypingFormat, 0, 0),
    ROW(InsertText, 15, beUpdateTypingFormat, 0, 0),
    ROW(Paste, 13, bePasting, 0, ocClearStatus),
    ROW(PasteFromBank, 13, beNeverOvertype, 0, 0),
    ROW(DeleteText, 20, beDeleting, 0, 0),
    ROW(ReplaceText, 15),
    ROW(CopyMoveText, 13, 0, 0, ocClearStatus),
    ROW(JoinParagraphs, 24),
    ROW(SplitParagraphs, 25),
    ROW(SortParagraphs, 26, 0, 0, ocSelectDuplicates),
    ROW(MoveParagraphs, 59),
    ROW(ConvertText, 28, beShowProgress, 0, 0),
    ROW(ChangeDefaultLanguage, 40, 0, fuRestartSpellcheck, 0),
    ROW(AutoCorrectTyped, 41),
    ROW(AutoCorrectRange, 41),
    ROW(FormatSections, 42),
    ROW(InsertBookmark, 43),
    ROW(DeleteBookmark, 43),
    ROW(MarkIndexEntry, 64),
    ROW(MarkIndexEntries, 64),
    ROW(EditFieldCode, 0),
    ROW(RemoveHyperlink, 44),
    ROW(DeactivateHyperlinks, 45),
    ROW(SetHyperlink, 44),
    ROW(HyperlinkToUrl, 44),
    ROW(InsertTOC, 46, 0, fuUpdateTocPageRefs, ocReportNoHeadings),
    ROW(RemoveTOC, 48, beRememberTocBookmarks, fuRemoveTocBookmarks, 0),
    ROW(InsertFieldObject, 47),
    ROW(InsertField, 47, 0, fuUpdateNewField, 0),
    ROW(UpdateFields, 49),
    ROW(RemoveField, 48),
    ROW(ChangeSectionBreak, 50),
    ROW(SameAsPrevious, 52),
    ROW(MergeSections, 42),
    ROW(InsertSymbol, 16, 0, fuFormatSymbol, 0),
    ROW(InsertPageNumbers, 53, 0, fuUpdatePageNumbers, 0),
    ROW(InsertEnvelope, 54),
    ROW(ChangeHyphenation, 57),
    ROW(ChangeFieldType, 49),
    ROW(ApplyList, 58),
    ROW(RemoveList, 58),
    ROW(RemoveListFromStyles, 58),
    ROW(ApplyListTemplate, 58),
    ROW(ConvertToManualList, 58),
    ROW(ProcessPictures, 36),
    ROW(FormatListLevel, 58),
    ROW(ReplaceAutoList, 58),
    ROW(InsertNote, 60),
    ROW(ConvertNotes, 60),
    ROW(InsertTable, 62),
    ROW(AppendTableRow, 62),
    ROW(FormatTableRows, 62),
    ROW(MergeCells, 62),
    ROW(SplitCells, 62, 0, fuDistributeRows, 0),
    ROW(SplitTable, 62),
    ROW(DeleteCells, 62),
    ROW(DistributeRows, 62),
    ROW(DistributeColumns, 62),
    ROW(TableBorderResize, 62),
    ROW(InsertRowsAbove, 62),
    ROW(InsertRowsBelow, 62),
    ROW(InsertColumnsLeft, 62),
    ROW(InsertColumnsRight, 62),
    ROW(InsertCells, 62),
    ROW(JoinAdjacentTables, 41),
    ROW(ConvertTableToText, 62),
    ROW(ConvertTextToTable, 62),
    ROW(ChangeDocProperties, 63),
    ROW(InsertIndex, 64, beIndexPages, fuRepeatIndexUntilSettled, ocRestoreIndexView),
    ROW(LockSelection, 65),
    ROW(SetNoteSeparator, 42),
    ROW(BeginMultiSelectionOvertype, 0),
    ROW(SetFastNavMark, 0),
    ROW(FormatPicture, 36),
    ROW(DropCap, 68),
};

#undef ROW

namespace {

constexpr bool RowsInCodeOrder() {
    for (int code = 0; code < OperationCodeCount; ++code)
        if (OperationCodes[code].Code != code)
            return false;
    return true;
}
static_assert(RowsInCodeOrder(), "one row per code, in code order");

}  // namespace

const char* const UndoNames[UndoNameCount] = {
    "operation",                         // 0
    "change page settings",              // 1
    "save selection to file",            // 2
    "save picture to file",              // 3
    "shrink page count",                 // 4
    "format paragraph",                  // 5
    "format tabs",                       // 6
    "apply style",                       // 7
    "format document styles",            // 8
    "font format",                       // 9
    "format brush",                      // 10
    "highlight",                         // 11
    "font color",                        // 12
    "paste",                             // 13
    "paste all formatting",              // 14
    "text input",                        // 15
    "insert symbol",                     // 16
    "insert picture",                    // 17
    "insert file",                       // 18
    "insert function",                   // 19
    "delete text",                       // 20
    "Drag & Drop",                       // 21
    "replace text",                      // 22
    "Find/Replace",                      // 23
    "join paragraphs",                   // 24
    "split paragraphs",                  // 25
    "sort paragraphs",                   // 26
    "update style",                      // 27
    "convert between keyboard layouts",  // 28
    "upper case",                        // 29
    "lower case",                        // 30
    "invert case",                       // 31
    "change case (sentence)",            // 32
    "change case (heading)",             // 33
    "change font character set",         // 34
    "calculate expression",              // 35
    "format picture",                    // 36
    "apply document template",           // 37
    "spellcheck",                        // 38
    "change language",                   // 39
    "change default language",           // 40
    "AutoCorrect",                       // 41
    "format sections",                   // 42
    "format bookmarks",                  // 43
    "format hyperlinks",                 // 44
    "deactivate hyperlinks",             // 45
    "Table Of Contents",                 // 46
    "insert field",                      // 47
    "remove fields",                     // 48
    "update fields",                     // 49
    "change section break",              // 50
    "Header and Footer",                 // 51
    "Same as Previous",                  // 52
    "Page Numbers",                      // 53
    "Envelope",                          // 54
    "Add to Clip Library",               // 55
    "Insert Clip",                       // 56
    "Hyphenation",                       // 57
    "Lists",                             // 58
    "move paragraphs",                   // 59
    "footnotes/endnotes",                // 60
    "thesaurus",                         // 61
    "format table",                      // 62
    "change document properties",        // 63
    "index",                             // 64
    "lock/unlock selection",             // 65
    "horizontal line",                   // 66
    "fast navigation",                   // 67
    "drop caps",                         // 68
};

const TFieldTypeSet DynamicFieldTypes{10, 15, 16, 17, 18, 19, 20, 21, 22, 23, 26,
                                      27, 28, 29, 31, 32, 33, 37, 65, 66, 69, 72};

std::uint8_t TResetFormatArgs::UndoName() const {
    return FontNotParagraph != 0 ? unFontFormat : unFormatParagraph;
}

std::uint8_t TStepParAttributeArgs::UndoName() const {
    return Kind == 6 || Kind == 7 ? unLists : unFormatParagraph;
}

std::uint8_t TFormatDocStylesArgs::UndoName() const {
    return Info != nullptr && Info->NewStyles != nullptr ? unFormatDocStyles : unApplyStyle;
}

std::uint8_t TConvertTextArgs::UndoName() const {
    return static_cast<std::uint8_t>(unConvertKeyboardLayouts + (Kind <= 7 ? Kind : 0));
}

std::uint8_t OperationUndoName(std::uint8_t code, const void* args) {
    if (code >= OperationCodeCount)
        return unOperation;
    const TOperationCodeInfo& row = OperationCodes[code];
    return args != nullptr && row.ChooseUndoName != nullptr ? row.ChooseUndoName(args) : row.UndoName;
}
