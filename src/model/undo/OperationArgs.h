#pragma once

#include <concepts>
#include <cstdint>
#include <string>

#include "model/fields/TField.h"
#include "model/formats/TTextPos.h"
#include "model/undo/OperationCodes.h"

// The argument record of each operation code: TDoc::PerformOperation takes
// one of these, and the record's Code names the code it runs, so a caller
// cannot hand a worker the arguments of another code. Objects and records
// are passed by address (nil: the caller has none; the worker then does
// what the code does without it); scalars are passed by value, and a
// member's initialiser is what the code does when the caller states nothing.
//
// Codes whose workers are not written yet name their descriptions through
// a declared record; the library that writes the worker defines it. Codes
// that take nothing have an empty record.

class TAutoList;
class TCompoundFragment;
class TFormatStyleListInfo;
class TList;
class TMemory;
class TSection;
struct TCharFormat;
struct THyphenationOptions;
struct TListLevel;
struct TPageSetupValues;
struct TParFormat;
struct TSectionFormat;

// Descriptions of codes whose workers the editing library will write.
struct TTabsDescription;
struct TPasteDescription;
struct TCopyMoveDescription;
struct TConvertTextOptions;
struct TMarkIndexOptions;
struct TPageNumberOptions;
struct TListDescription;
struct TNoteOptions;
struct TTableDescription;
struct TRowProperties;
struct TDocProps;
struct TLockDescription;
struct TPictureValues;
struct TDropCapDescription;

// Tables of contents and indexes (editing/references): the options of a
// generated table of contents.
struct TGenerateTocOptions;

struct TChangePageSettingsArgs {
    static constexpr std::uint8_t Code = opChangePageSettings;
    const TPageSetupValues* Values = nullptr;
    const TFragment* Range = nullptr;
};

// The formatting codes work on Set when there is one, else on Range, else
// on the selection.
struct TFormatParagraphArgs {
    static constexpr std::uint8_t Code = opFormatParagraph;
    const TCompoundFragment* Set = nullptr;
    const TFragment* Range = nullptr;
    const TParFormat* Format = nullptr;
};

struct TFormatFontArgs {
    static constexpr std::uint8_t Code = opFormatFont;
    const TCompoundFragment* Set = nullptr;
    const TFragment* Range = nullptr;
    const TCharFormat* Format = nullptr;
    std::uint8_t Flags = 0;
};

struct TStepFontAttributeArgs {
    static constexpr std::uint8_t Code = opStepFontAttribute;
    std::int32_t Attribute = 0;
    std::int32_t Step = 0;
};

struct TFormatBrushArgs {
    static constexpr std::uint8_t Code = opFormatBrush;
};

struct TShrinkPageCountArgs {
    static constexpr std::uint8_t Code = opShrinkPageCount;
};

struct TFormatTabsArgs {
    static constexpr std::uint8_t Code = opFormatTabs;
    const TTabsDescription* Tabs = nullptr;
};

struct TResetFormatArgs {
    static constexpr std::uint8_t Code = opResetFormat;
    const TCompoundFragment* Set = nullptr;
    const TFragment* Range = nullptr;
    std::uint8_t FontNotParagraph = 0;

    std::uint8_t UndoName() const;
};

struct TStepParAttributeArgs {
    static constexpr std::uint8_t Code = opStepParAttribute;
    const TCompoundFragment* Set = nullptr;
    const TFragment* Range = nullptr;
    std::uint8_t Kind = 0;  // 6 and 7 step the list level
    std::int32_t Step = 0;

    std::uint8_t UndoName() const;
};

struct TApplyStyleArgs {
    static constexpr std::uint8_t Code = opApplyStyle;
    std::int32_t Style = 0;
    std::uint8_t Flag = 0;
};

struct TFormatDocStylesArgs {
    static constexpr std::uint8_t Code = opFormatDocStyles;
    TFormatStyleListInfo* Info = nullptr;  // the step that executes it owns it

    std::uint8_t UndoName() const;
};

struct TUpdateStyleArgs {
    static constexpr std::uint8_t Code = opUpdateStyle;
    std::int32_t Style = 0;
};

struct TInsertFormattedTextArgs {
    static constexpr std::uint8_t Code = opInsertFormattedText;
    const TMemory* Content = nullptr;  // a format stream
    std::int32_t ParEnds = 0;
    std::int32_t Flags = 0;
};

struct TInsertTextArgs {
    static constexpr std::uint8_t Code = opInsertText;
    const TMemory* Text = nullptr;  // characters; CR, LF and the other controls become their special characters
    std::int32_t Flags = 0;
};

struct TPasteArgs {
    static constexpr std::uint8_t Code = opPaste;
    const TPasteDescription* Paste = nullptr;
};

struct TPasteFromBankArgs {
    static constexpr std::uint8_t Code = opPasteFromBank;
};

struct TDeleteTextArgs {
    static constexpr std::uint8_t Code = opDeleteText;
    const TCompoundFragment* Set = nullptr;  // when given and not empty, the ranges deleted in place of Start..End
    TTextPos Start;
    TTextPos End;
    std::int32_t Flags = 0;
};

struct TReplaceTextArgs {
    static constexpr std::uint8_t Code = opReplaceText;
    TTextPos Start;
    TTextPos End;
    const TMemory* Text = nullptr;
    std::int32_t Flags = 0;
};

// The source and the target of a copy or move (four slots) travel as one
// description.
struct TCopyMoveTextArgs {
    static constexpr std::uint8_t Code = opCopyMoveText;
    const TCopyMoveDescription* Move = nullptr;
    std::int32_t Flags = 0;
};

struct TJoinParagraphsArgs {
    static constexpr std::uint8_t Code = opJoinParagraphs;
    std::int32_t First = 0;
    std::int32_t Last = 0;
};

struct TSplitParagraphsArgs {
    static constexpr std::uint8_t Code = opSplitParagraphs;
    std::int32_t First = 0;
    std::int32_t Last = 0;
};

struct TSortParagraphsArgs {
    static constexpr std::uint8_t Code = opSortParagraphs;
    std::int32_t First = 0;
    std::int32_t Last = 0;
    std::uint8_t Options = 0;
};

struct TMoveParagraphsArgs {
    static constexpr std::uint8_t Code = opMoveParagraphs;
    std::int32_t Direction = 0;
};

struct TConvertTextArgs {
    static constexpr std::uint8_t Code = opConvertText;
    const TCompoundFragment* Set = nullptr;
    const TFragment* Range = nullptr;
    std::uint8_t Kind = 0;  // 0 keyboard layouts ... 7 calculate expression
    std::int32_t Value = 0;
    const TConvertTextOptions* Options = nullptr;  // optional

    std::uint8_t UndoName() const;
};

struct TChangeDefaultLanguageArgs {
    static constexpr std::uint8_t Code = opChangeDefaultLanguage;
    std::int32_t Language = 0;
};

struct TAutoCorrectTypedArgs {
    static constexpr std::uint8_t Code = opAutoCorrectTyped;
    std::uint8_t Separator = 0;
    TTextPos Pos;
};

struct TAutoCorrectRangeArgs {
    static constexpr std::uint8_t Code = opAutoCorrectRange;
    const TCompoundFragment* Ranges = nullptr;
    std::uint8_t Rules = 0;
};

struct TFormatSectionsArgs {
    static constexpr std::uint8_t Code = opFormatSections;
    const TSectionFormat* Format = nullptr;
    const TFragment* Range = nullptr;
};

struct TInsertBookmarkArgs {
    static constexpr std::uint8_t Code = opInsertBookmark;
    const std::string* Name = nullptr;
};

struct TDeleteBookmarkArgs {
    static constexpr std::uint8_t Code = opDeleteBookmark;
    const std::string* Name = nullptr;
};

struct TMarkIndexEntryArgs {
    static constexpr std::uint8_t Code = opMarkIndexEntry;
    const std::u16string* Entry = nullptr;
};

struct TMarkIndexEntriesArgs {
    static constexpr std::uint8_t Code = opMarkIndexEntries;
    const TList* Entries = nullptr;
    const TMarkIndexOptions* Options = nullptr;
};

struct TEditFieldCodeArgs {
    static constexpr std::uint8_t Code = opEditFieldCode;
    TField* Field = nullptr;
    const std::u16string* Instruction = nullptr;
};

struct TRemoveHyperlinkArgs {
    static constexpr std::uint8_t Code = opRemoveHyperlink;
};

struct TDeactivateHyperlinksArgs {
    static constexpr std::uint8_t Code = opDeactivateHyperlinks;
};

struct TSetHyperlinkArgs {
    static constexpr std::uint8_t Code = opSetHyperlink;
    const std::u16string* Target = nullptr;
    const std::u16string* Text = nullptr;
};

struct THyperlinkToUrlArgs {
    static constexpr std::uint8_t Code = opHyperlinkToUrl;
};

struct TInsertTOCArgs {
    static constexpr std::uint8_t Code = opInsertTOC;
    const TList* Options = nullptr;
    // Tables of contents (editing/references): the generation's options;
    // nil generates with the defaults.
    const TGenerateTocOptions* Toc = nullptr;
};

struct TRemoveTOCArgs {
    static constexpr std::uint8_t Code = opRemoveTOC;
    // Tables of contents (editing/references): the table's TOC field; nil
    // takes the one at the caret.
    TField* Field = nullptr;
};

struct TInsertFieldObjectArgs {
    static constexpr std::uint8_t Code = opInsertFieldObject;
    TField* Field = nullptr;
};

struct TInsertFieldArgs {
    static constexpr std::uint8_t Code = opInsertField;
    std::uint8_t Type = 0;
    const std::u16string* Instruction = nullptr;
};

struct TUpdateFieldsArgs {
    static constexpr std::uint8_t Code = opUpdateFields;
    const TCompoundFragment* Set = nullptr;
    const TFragment* Range = nullptr;
    TFieldTypeSet Types;
};

struct TRemoveFieldArgs {
    static constexpr std::uint8_t Code = opRemoveField;
    const TList* Fields = nullptr;  // of TField
};

struct TChangeSectionBreakArgs {
    static constexpr std::uint8_t Code = opChangeSectionBreak;
    std::int32_t Par = 0;  // the paragraph that ends the section
    std::uint8_t Kind = 1;
};

struct TSameAsPreviousArgs {
    static constexpr std::uint8_t Code = opSameAsPrevious;
    // Notes and sections (editing/sections): the section and header/footer
    // slot to link or unlink; nil and -1 take the header or footer being
    // edited.
    const TSection* Section = nullptr;
    int Slot = -1;
};

struct TMergeSectionsArgs {
    static constexpr std::uint8_t Code = opMergeSections;
    const TSection* First = nullptr;
    const TSection* Second = nullptr;
};

struct TInsertSymbolArgs {
    static constexpr std::uint8_t Code = opInsertSymbol;
    std::int32_t Char = 0;
    const std::string* FontName = nullptr;
    std::uint8_t Flag = 0;
};

struct TInsertPageNumbersArgs {
    static constexpr std::uint8_t Code = opInsertPageNumbers;
    const TPageNumberOptions* Options = nullptr;
};

struct TInsertEnvelopeArgs {
    static constexpr std::uint8_t Code = opInsertEnvelope;
    const std::u16string* Address = nullptr;
    const std::u16string* ReturnAddress = nullptr;
    std::uint8_t Flag = 0;
};

struct TChangeHyphenationArgs {
    static constexpr std::uint8_t Code = opChangeHyphenation;
    const THyphenationOptions* Options = nullptr;
};

struct TChangeFieldTypeArgs {
    static constexpr std::uint8_t Code = opChangeFieldType;
    const TList* Fields = nullptr;
    std::uint8_t Type = 0;
    const TList* Arguments = nullptr;
};

struct TApplyListArgs {
    static constexpr std::uint8_t Code = opApplyList;
    const TListDescription* List = nullptr;
};

struct TRemoveListArgs {
    static constexpr std::uint8_t Code = opRemoveList;
};

struct TRemoveListFromStylesArgs {
    static constexpr std::uint8_t Code = opRemoveListFromStyles;
    TAutoList* List = nullptr;
};

struct TApplyListTemplateArgs {
    static constexpr std::uint8_t Code = opApplyListTemplate;
    TAutoList* Template = nullptr;
};

struct TConvertToManualListArgs {
    static constexpr std::uint8_t Code = opConvertToManualList;
    TAutoList* List = nullptr;
};

struct TProcessPicturesArgs {
    static constexpr std::uint8_t Code = opProcessPictures;
    std::uint8_t Kind = 0;
};

struct TFormatListLevelArgs {
    static constexpr std::uint8_t Code = opFormatListLevel;
    std::uint8_t Level = 0;
    const TListLevel* Description = nullptr;
};

struct TReplaceAutoListArgs {
    static constexpr std::uint8_t Code = opReplaceAutoList;
    TAutoList* OldList = nullptr;
    TAutoList* NewList = nullptr;
};

struct TInsertNoteArgs {
    static constexpr std::uint8_t Code = opInsertNote;
    const TNoteOptions* Options = nullptr;
};

struct TConvertNotesArgs {
    static constexpr std::uint8_t Code = opConvertNotes;
    const TList* Notes = nullptr;
};

struct TInsertTableArgs {
    static constexpr std::uint8_t Code = opInsertTable;
    std::int32_t Rows = 0;
    std::int32_t Columns = 0;
    const TTableDescription* Table = nullptr;
};

struct TAppendTableRowArgs {
    static constexpr std::uint8_t Code = opAppendTableRow;
};

struct TFormatTableRowsArgs {
    static constexpr std::uint8_t Code = opFormatTableRows;
    const TRowProperties* Properties = nullptr;
};

struct TMergeCellsArgs {
    static constexpr std::uint8_t Code = opMergeCells;
};

struct TSplitCellsArgs {
    static constexpr std::uint8_t Code = opSplitCells;
    // Cell merging and splitting (editing/tables): the grid each selected
    // cell is divided into, as the Split Cells dialog keeps it.
    std::int32_t Columns = 2;
    std::int32_t Rows = 1;
};

struct TSplitTableArgs {
    static constexpr std::uint8_t Code = opSplitTable;
};

struct TDeleteCellsArgs {
    static constexpr std::uint8_t Code = opDeleteCells;
    std::uint8_t Kind = 0;
};

struct TDistributeRowsArgs {
    static constexpr std::uint8_t Code = opDistributeRows;
};

struct TDistributeColumnsArgs {
    static constexpr std::uint8_t Code = opDistributeColumns;
};

struct TTableBorderResizeArgs {
    static constexpr std::uint8_t Code = opTableBorderResize;
};

// Inserting rows and columns at the table-insertion handle (editing/tables,
// TableRowsColumns.h). Code 70 serves the handle: the document window fills
// the record from its hit test while the mouse moves over a table's edge,
// and the row and column insertions fill one themselves.
class TTableRow;
enum : std::uint8_t { thNone = 0, thRow = 1, thColumn = 2 };  // TTableHandleHit::Kind
struct TTableHandleHit {
    std::uint8_t Kind = thNone;
    std::int32_t TablePar = 0;               // a paragraph of the table
    TTableRow* RowToCopy = nullptr;          // thRow: the row whose layout the new row copies
    TTableRow* RowToInsertBefore = nullptr;  // thRow: nil puts the new row after the table's last row
    std::int32_t ColumnX = 0;                // thColumn: x in twips of the line where the new column goes
};
struct TInsertAtTableHandleArgs {
    static constexpr std::uint8_t Code = opTableBorderResize;
    TTableHandleHit Hit;
};

struct TInsertRowsAboveArgs {
    static constexpr std::uint8_t Code = opInsertRowsAbove;
};

struct TInsertRowsBelowArgs {
    static constexpr std::uint8_t Code = opInsertRowsBelow;
};

struct TInsertColumnsLeftArgs {
    static constexpr std::uint8_t Code = opInsertColumnsLeft;
};

struct TInsertColumnsRightArgs {
    static constexpr std::uint8_t Code = opInsertColumnsRight;
};

struct TInsertCellsArgs {
    static constexpr std::uint8_t Code = opInsertCells;
    std::uint8_t Kind = 0;
};

struct TJoinAdjacentTablesArgs {
    static constexpr std::uint8_t Code = opJoinAdjacentTables;
    std::int32_t Par = 0;
};

struct TConvertTableToTextArgs {
    static constexpr std::uint8_t Code = opConvertTableToText;
};

struct TConvertTextToTableArgs {
    static constexpr std::uint8_t Code = opConvertTextToTable;
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    std::int32_t Separator = 0;
};

struct TChangeDocPropertiesArgs {
    static constexpr std::uint8_t Code = opChangeDocProperties;
    const TDocProps* Properties = nullptr;  // model/document/TDocProps.h
};

struct TInsertIndexArgs {
    static constexpr std::uint8_t Code = opInsertIndex;
    const std::u16string* Instruction = nullptr;
};

struct TLockSelectionArgs {
    static constexpr std::uint8_t Code = opLockSelection;
    const TLockDescription* Lock = nullptr;
};

struct TSetNoteSeparatorArgs {
    static constexpr std::uint8_t Code = opSetNoteSeparator;
    std::uint8_t Kind = 0;
};

struct TBeginMultiSelectionOvertypeArgs {
    static constexpr std::uint8_t Code = opBeginMultiSelectionOvertype;
};

struct TSetFastNavMarkArgs {
    static constexpr std::uint8_t Code = opSetFastNavMark;
    std::int32_t Digit = 0;
};

struct TFormatPictureArgs {
    static constexpr std::uint8_t Code = opFormatPicture;
    const TList* Shapes = nullptr;
    std::uint8_t Kind = 0;
    const TPictureValues* Values = nullptr;
};

// Drop caps (editing/dropcaps): the drop caps to work on (TField items; nil
// takes the selection's), the settings to give them (nil removes them) and
// the letters' font name (nil or empty keeps the font).
struct TDropCapArgs {
    static constexpr std::uint8_t Code = opDropCap;
    const TList* Caps = nullptr;
    const TDropCapDescription* Settings = nullptr;
    const std::string* FontName = nullptr;
};

// An argument record: a type that names its operation code.
template <class TArgs>
concept OperationArgs = requires {
    { TArgs::Code } -> std::convertible_to<std::uint8_t>;
};

// The undo name a call with these arguments files its operation under.
template <OperationArgs TArgs>
std::uint8_t OperationUndoName(const TArgs& args) {
    return OperationUndoName(TArgs::Code, &args);
}

// The code table's way to ask a record for its undo name: nil for records
// that leave it to the code.
template <class TArgs>
std::uint8_t ChooseUndoNameOf(const void* args) {
    return static_cast<const TArgs*>(args)->UndoName();
}
template <class TArgs>
constexpr std::uint8_t (*UndoNameChooser())(const void*) {
    if constexpr (requires(const TArgs& a) { a.UndoName(); })
        return &ChooseUndoNameOf<TArgs>;
    else
        return nullptr;
}
