#include "model/undo/OperationCodes.h"

#include "model/undo/StyleOperations.h"

const TOperationCodeInfo OperationCodes[OperationCodeCount] = {
    {0, "opChangePageSettings", 1, "page-setup values (TPageSetupValues); range (TFragment)"},
    {1, "opFormatParagraph", 5, "frag; range; TParFormat"},
    {2, "opFormatFont", 9, "frag; range; TCharFormat; flags byte"},
    {3, "opStepFontAttribute", 9, "attribute (int32); step (int32)"},
    {4, "opFormatBrush", 10, "-"},
    {5, "opShrinkPageCount", 4, "-"},
    {6, "opFormatTabs", 6, "tab description"},
    {7, "opResetFormat", 5, "frag; range; font-not-paragraph byte"},
    {8, "opStepParAttribute", 5, "frag; range; kind byte; step (int32)"},
    {9, "opApplyStyle", 7, "style index (int32); flag byte"},
    {10, "opFormatDocStyles", 7, "TFormatStyleListInfo"},
    {11, "opUpdateStyle", 27, "style index (int32)"},
    {12, "opInsertFormattedText", 15, "content (TMemory); paragraph ends (int32); flags (int32)"},
    {13, "opInsertText", 15, "text (TMemory); flags (int32)"},
    {14, "opPaste", 13, "paste description"},
    {15, "opPasteFromBank", 13, "-"},
    {16, "opDeleteText", 20, "frag; start TTextPos; end TTextPos; flags (int32)"},
    {17, "opReplaceText", 15, "start; end; text (TMemory); flags (int32)"},
    {18, "opCopyMoveText", 13, "source and target descriptions (four slots); flags (int32)"},
    {19, "opJoinParagraphs", 24, "first (int32); last (int32)"},
    {20, "opSplitParagraphs", 25, "first (int32); last (int32)"},
    {21, "opSortParagraphs", 26, "first (int32); last (int32); options byte"},
    {22, "opMoveParagraphs", 59, "direction (int32)"},
    {23, "opConvertText", 28, "frag; range; kind byte; value (int32); optional fifth slot"},
    {24, "opChangeDefaultLanguage", 40, "language (int32)"},
    {25, "opAutoCorrectTyped", 41, "separator byte; position"},
    {26, "opAutoCorrectRange", 41, "range list; rule kinds byte"},
    {27, "opFormatSections", 42, "section values (TSectionFormat); range (TFragment)"},
    {28, "opInsertBookmark", 43, "bookmark name"},
    {29, "opDeleteBookmark", 43, "bookmark name (string)"},
    {30, "opMarkIndexEntry", 64, "entry text (u16string)"},
    {31, "opMarkIndexEntries", 64, "entry list; options"},
    {32, "opEditFieldCode", 0, "TField; instruction (u16string)"},
    {33, "opRemoveHyperlink", 44, "-"},
    {34, "opDeactivateHyperlinks", 45, "-"},
    {35, "opSetHyperlink", 44, "target (u16string); text (u16string)"},
    {36, "opHyperlinkToUrl", 44, "-"},
    {37, "opInsertTOC", 46, "TOC options list"},
    {38, "opRemoveTOC", 48, "-"},
    {39, "opInsertFieldObject", 47, "TField"},
    {40, "opInsertField", 47, "field type byte; instruction"},
    {41, "opUpdateFields", 49, "frag; range; TFieldTypeSet"},
    {42, "opRemoveField", 48, "list of TField (TList)"},
    {43, "opChangeSectionBreak", 50, "paragraph (int32); break kind byte"},
    {44, "opSameAsPrevious", 52, "-"},
    {45, "opMergeSections", 42, "two section records"},
    {46, "opInsertSymbol", 16, "character code (int32); font name; flag byte"},
    {47, "opInsertPageNumbers", 53, "page-number options"},
    {48, "opInsertEnvelope", 54, "address; return address; flag byte"},
    {49, "opChangeHyphenation", 57, "THyphenationOptions"},
    {50, "opChangeFieldType", 49, "field list; type byte; argument list"},
    {51, "opApplyList", 58, "list description"},
    {52, "opRemoveList", 58, "-"},
    {53, "opRemoveListFromStyles", 58, "list"},
    {54, "opApplyListTemplate", 58, "TAutoList"},
    {55, "opConvertToManualList", 58, "list"},
    {56, "opProcessPictures", 36, "kind byte"},
    {57, "opFormatListLevel", 58, "level byte; level description"},
    {58, "opReplaceAutoList", 58, "old list; new list"},
    {59, "opInsertNote", 60, "note options"},
    {60, "opConvertNotes", 60, "note list"},
    {61, "opInsertTable", 62, "rows (int32); columns (int32); table description"},
    {62, "opAppendTableRow", 62, "-"},
    {63, "opFormatTableRows", 62, "row properties"},
    {64, "opMergeCells", 62, "-"},
    {65, "opSplitCells", 62, "-"},
    {66, "opSplitTable", 62, "-"},
    {67, "opDeleteCells", 62, "kind byte"},
    {68, "opDistributeRows", 62, "-"},
    {69, "opDistributeColumns", 62, "-"},
    {70, "opTableBorderResize", 62, "-"},
    {71, "opInsertRowsAbove", 62, "-"},
    {72, "opInsertRowsBelow", 62, "-"},
    {73, "opInsertColumnsLeft", 62, "-"},
    {74, "opInsertColumnsRight", 62, "-"},
    {75, "opInsertCells", 62, "kind byte"},
    {76, "opJoinAdjacentTables", 41, "paragraph (int32)"},
    {77, "opConvertTableToText", 62, "-"},
    {78, "opConvertTextToTable", 62, "columns (int32); rows (int32); separator (int32)"},
    {79, "opChangeDocProperties", 63, "document properties"},
    {80, "opInsertIndex", 64, "index instruction (u16string)"},
    {81, "opLockSelection", 65, "lock description"},
    {82, "opSetNoteSeparator", 42, "kind byte"},
    {83, "opBeginMultiSelectionOvertype", 0, "-"},
    {84, "opSetFastNavMark", 0, "digit (int32)"},
    {85, "opFormatPicture", 36, "shape list; kind byte; values"},
    {86, "opDropCap", 68, "three drop-cap descriptions"},
};

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

namespace {

std::uint8_t ByteArg(void* const* args, std::int32_t count, std::int32_t slot) {
    return slot < count && args[slot] != nullptr ? *static_cast<const std::uint8_t*>(args[slot]) : 0;
}

}  // namespace

std::uint8_t OperationUndoName(std::uint8_t code, void* const* args, std::int32_t count) {
    if (code >= OperationCodeCount)
        return unOperation;
    switch (code) {
        case opResetFormat:
            return ByteArg(args, count, 2) != 0 ? unFontFormat : unFormatParagraph;
        case opStepParAttribute: {
            const std::uint8_t kind = ByteArg(args, count, 2);
            return kind == 6 || kind == 7 ? unLists : unFormatParagraph;
        }
        case opFormatDocStyles: {
            const auto* info = count > 0 ? static_cast<const TFormatStyleListInfo*>(args[0]) : nullptr;
            return info != nullptr && info->NewStyles != nullptr ? unFormatDocStyles : unApplyStyle;
        }
        case opConvertText: {
            const std::uint8_t kind = ByteArg(args, count, 2);
            return static_cast<std::uint8_t>(unConvertKeyboardLayouts + (kind <= 7 ? kind : 0));
        }
        default:
            return OperationCodes[code].UndoName;
    }
}
