#include "files/rtf/RtfReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/text/Charsets.h"
#include "base/text/WideText.h"
#include "editing/dropcaps/DropCaps.h"
#include "editing/tables/TableStructure.h"
#include "files/import/ImportHelpers.h"
#include "files/import/TReadWindow.h"
#include "files/rtf/RtfControlWords.h"
#include "files/rtf/RtfPictures.h"
#include "files/rtf/RtfTabStops.h"
#include "files/rtf/TRtfScanner.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/DocConstants.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/formats/TTableRow.h"
#include "model/host/FontQueries.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TStyleManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"
#include "platform/CodePages.h"

namespace {

constexpr std::int32_t PresetFontNumber = 2147483647;
constexpr std::int32_t MacCharset = 77;
constexpr std::int32_t SymbolCharset = 2;
constexpr std::int32_t MacCodePage = 10000;

// The Mac East Asian character sets of RTF's font table ("fcharset" 78 Mac
// Shift JIS, 79 Mac Hangul, 80 Mac GB2312, 81 Mac Big5), each beside the
// Windows set of the same double-byte encoding (128, 129, 134, 136), whose
// code page the reader has.
constexpr std::int32_t MacEastAsianCharsets[][2] = {{78, 128}, {79, 129}, {80, 134}, {81, 136}};

std::int32_t WindowsCharset(std::int32_t charset) {
    for (const auto& pair : MacEastAsianCharsets)
        if (pair[0] == charset)
            return pair[1];
    return charset;
}

// Groups nested deeper than this still count, but no longer save and
// restore the formatting: real documents stay far below it, and a hostile
// file cannot make the state stack grow without bound.
constexpr std::size_t MaxSavedDepth = 4096;
constexpr std::int32_t MaxTwips = 31680;

// The destinations a group may open with. Those the reader gives no meaning
// (yet) are skipped whole, so that their text never reaches the body.
constexpr int DestinationWords[] = {
    rwAftncn,
    rwAftnsep,
    rwAftnsepc,
    rwAnnotation,
    rwAtnauthor,
    rwAtnicn,
    rwAtnid,
    rwAtnref,
    rwAtntime,
    rwAtrfend,
    rwAtrfstart,
    rwAuthor,
    rwAutosavedorigfmt,
    rwAutosavedorigname,
    rwBkmkend,
    rwBkmkstart,
    rwBuptim,
    rwCategory,
    rwColortbl,
    rwComment,
    rwCompany,
    rwCreatim,
    rwDatafield,
    rwDo,
    rwDoccomm,
    rwDptxbxtext,
    rwFalt,
    rwField,
    rwFile,
    rwFiletbl,
    rwFldinst,
    rwFldrslt,
    rwFnetwork,
    rwFontemb,
    rwFontfile,
    rwFonttbl,
    rwFooter,
    rwFooterf,
    rwFooterl,
    rwFooterr,
    rwFootnote,
    rwFtncn,
    rwFtnsep,
    rwFtnsepc,
    rwGenerator,
    rwHeader,
    rwHeaderf,
    rwHeaderl,
    rwHeaderr,
    rwInfo,
    rwJpegdata,
    rwKeywords,
    rwLevelnumbers,
    rwLeveltext,
    rwLfolevel,
    rwList,
    rwListlevel,
    rwListoverride,
    rwListoverridetable,
    rwListpicture,
    rwListtable,
    rwListtext,
    rwManager,
    rwNextfile,
    rwNonshppict,
    rwObjalias,
    rwObjclass,
    rwObjdata,
    rwObject,
    rwObjname,
    rwObjsect,
    rwObjtime,
    rwOperator,
    rwPicprop,
    rwPict,
    rwPn,
    rwPnseclvl,
    rwPntext,
    rwPntxta,
    rwPntxtb,
    rwPrintim,
    rwPrivate1,
    rwResult,
    rwRevtbl,
    rwRevtim,
    rwRxe,
    rwShp,
    rwShpinst,
    rwShppict,
    rwShprslt,
    rwShptxt,
    rwSn,
    rwSp,
    rwStylesheet,
    rwSubject,
    rwSv,
    rwTc,
    rwTemplate,
    rwTitle,
    rwTxe,
    rwUd,
    rwUpr,
    rwXe,
};

struct TDestinationSet {
    bool Is[RtfControlWordCount] = {};
    constexpr TDestinationSet() {
        for (int w : DestinationWords)
            Is[w] = true;
    }
};
constexpr TDestinationSet Destinations;

bool IsDestination(int word) {
    return word >= 0 && word < RtfControlWordCount && Destinations.Is[word];
}

// What the reader does with the content of a group.
enum TFrameKind : std::uint8_t {
    fkBody,           // text and formatting of the document
    fkFontTable,      // "fonttbl"
    fkFontEntry,      // one font of it
    fkColorTable,     // "colortbl"
    fkStyleSheet,     // "stylesheet"
    fkStyle,          // one style of it
    fkKeyCode,        // a style's hot key
    fkListTable,      // "listtable"
    fkList,           // one list of it
    fkListLevel,      // one level of a list
    fkOverrideTable,  // "listoverridetable"
    fkOverride,       // one "listoverride"
    fkPn,             // old paragraph numbering
    fkText,           // a text destination collected as a string
    fkInfo,           // "info"
    fkUpr,            // "upr": the ANSI version is skipped, "ud" read
    fkPicture,        // "pict": a picture's words and data
};

// Where collected text goes.
enum TTextTarget : std::uint8_t {
    ttNone,
    ttLevelText,
    ttPnBefore,
    ttPnAfter,
    ttOriginalName,
    ttOriginalFormat,
    ttFieldInst,      // a field's instruction
    ttBookmarkStart,  // the name of a bookmark that begins here
    ttBookmarkEnd,    // the name of a bookmark that ends here
    ttIndexEntry,     // "xe": an index entry's text
    ttIndexRange,     // its "rxe": the bookmark of a page range
    ttIndexCrossRef,  // its "txe": a cross-reference text
    ttShapePropName,  // "sn": the name of a drawing property
    // "sv": a drawing property's value, when its name is known
    ttShapePropValue,
};

// The formatting that a group saves on entry and restores on exit.
struct TRtfReaderState {
    TCharFormat Char;
    TParFormat Par;
    std::int32_t Uc = 1;
    bool Skip = false;
    std::int32_t CodePage = 1252;  // of the text bytes under the current font
};

// The reader's table state, set aside while a header or footer is read.
struct TSavedTableState {
    TTableRow* Row = nullptr;
    TTableCell PendingCell;
    std::int32_t CellEnds = 0;
    std::int32_t ColumnNumber = 0;
    std::int32_t RowsRead = 0;
    std::int32_t RowWidthUnit = 0;
};

struct TFrame {
    TFrameKind Kind = fkBody;
    TTextTarget Target = ttNone;
    bool Saved = false;
    TRtfReaderState State;
    // A "field" group: the field its instruction created (none before the
    // instruction, or for an unknown keyword), and where its result began.
    bool FieldGroup = false;
    TField* Field = nullptr;
    std::int32_t ResultPar = 0;
    std::int32_t ResultChars = 0;
    // A header or footer group: its slot in the section, else -1.
    std::int8_t HeaderSlot = -1;
    // A "footnote" group, whose text goes to the note stories.
    bool NoteGroup = false;
    // A "shp" group, whose properties go to the shape its picture makes.
    bool ShapeGroup = false;
    // A "picprop" group of a picture: its properties are the picture's.
    bool PicPropGroup = false;
    // A text box's "shptxt" group: its text flows into the paragraphs from
    // TextBoxFirstPar on, each taking the in-table mark TextBoxInTable of the
    // paragraph it began in; TextBoxTable is the table state set aside.
    bool TextBoxGroup = false;
    std::int32_t TextBoxFirstPar = 0;
    std::int8_t TextBoxInTable = 0;
    TSavedTableState TextBoxTable;
    // The "listpicture" group of the list table: its pictures are the
    // picture bullets that "levelpicture" numbers.
    bool ListPictureGroup = false;
    // Where the group began in the text: its paragraph, stream offset and
    // character count then, and the reader's count of controls put into
    // the middle of a stream (which moves the offsets after them).
    TPar* OpenedIn = nullptr;
    std::int32_t OpenedAtStream = 0;
    std::int32_t OpenedAtChars = 0;
    std::uint32_t OpenedAtInsertions = 0;
};

// A group of the text that has just closed, for a note that follows it at
// once: a note reference's own mark is written as a group of its own
// before the note.
struct TClosedGroup {
    TPar* Par = nullptr;
    std::int32_t StreamStart = 0;
    std::int32_t CharStart = 0;
    std::int32_t CharEnd = 0;
    std::uint32_t Insertions = 0;
};

struct TFontEntry {
    std::int32_t Number = 0;
    std::int32_t FontIndex = 0;
    std::string Name;
    std::int32_t Charset = 0;
};

struct TPendingOverride {
    std::int32_t ListId = UnsetValue;
    std::int32_t Number = 0;
    std::int32_t StartAt[9];
    std::int32_t Level = 0;
};

enum TBorderTarget : std::uint8_t { btNone, btPar, btCell, btRow };

class TRtfReader {
public:
    TRtfReader(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options, TRtfReadOutcome& outcome)
        : Doc(doc), Window(window), Scanner(window), Options(options), Outcome(outcome) {}
    ~TRtfReader();

    TReadResult Run();

private:
    // --- The group machine ---
    bool NextToken();
    void Dispatch();
    void OpenGroup();
    void PushFrame(TFrameKind kind, TTextTarget target = ttNone);
    void BeginSkip();
    void CloseGroup();
    void FinishFrame(TFrame& frame);
    void SkipBinary(std::int64_t count);
    bool OpensSkippedDestination(int word) const;
    TFrameKind KindOfDestination(int word, TTextTarget& target) const;

    // --- Text ---
    void TextBytes(const std::uint8_t* p, std::size_t n);
    void EscapedByte(std::uint8_t b);
    void FlushText();
    void AppendRawBytes(const std::uint8_t* p, std::size_t n);
    void AppendWide(char16_t c);
    void AppendSpecial(std::uint8_t code);
    void AppendControl(std::uint8_t code, std::int32_t value);
    void CollectText(const std::uint8_t* p, std::size_t n);
    void CollectWide(char16_t c);

    // --- Words ---
    void Word(const TRtfToken& token);
    void UnknownWord(const TRtfToken& token);
    void BodyWord(int word, bool hasParam, std::int32_t param);
    bool CharWord(int word, bool hasParam, std::int32_t param, TCharFormat& target, bool withControls);
    bool ParWord(int word, bool hasParam, std::int32_t param, TParFormat& target, bool body);
    bool TableWord(int word, bool hasParam, std::int32_t param);
    bool SectionWord(int word, bool hasParam, std::int32_t param);
    bool DocumentWord(int word, bool hasParam, std::int32_t param);
    bool BorderWord(int word, std::int32_t param);
    void SetCharAttr(TCharFormat& target, int attr, std::int32_t value, bool unlessEqual, bool withControls);
    void UnicodeChar(std::int32_t param);
    void NestedTableWord(std::string_view letters, std::int32_t param);

    // --- Paragraphs, rows and sections ---
    TPar* NewPar();
    void ParagraphEnd();
    void StartNextParagraph();
    // The controls of the character format in force that differ from the
    // default, at the end of the paragraph being read.
    void AppendCurrentCharFormat();
    void CommitPendingTabsAndBorders();
    void CellEnd();
    void RowEnd();
    void SectionBreak();
    void ResetPendingCell();
    void Pard();
    void Plain(TCharFormat& target, bool withControls);
    void Finish();
    void RepairTables();
    bool JoinDropCap();
    void ValidateDropCapsRead();

    // --- Fields and bookmarks ---
    void FinishFieldInstruction();
    void FinishField(TFrame& frame);
    void BookmarkStart(std::u16string name);
    void BookmarkEnd(const std::u16string& name);
    void ForgetOpenField(const TField* field);
    void PageNumberField();
    void BeginHeaderFooter();
    void FinishHeaderFooter(std::int8_t slot);
    void BeginStory();
    std::vector<TPar*> TakeStory(std::size_t openFields, TField* storyField);
    void EndStory();
    void BeginNote();
    std::int32_t OwnMarkStart() const;
    void FinishNote(const TRtfReaderState& outside);
    void FinishIndexEntry();

    // --- Pictures ---
    void PictureWord(std::string_view letters, bool hasParam, std::int32_t param);
    void PictureHex(const std::uint8_t* p, std::size_t n);
    void PictureBinary(std::int64_t count);
    void FinishPicture();
    void BeginShape();
    void FinishShape();
    void BeginTextBox(TFrame& frame);
    void FinishTextBox(TFrame& frame);
    bool ShapeWord(std::string_view letters, bool hasParam, std::int32_t param);
    void ShapePropertyValue(std::string_view text);
    void AppendStories();
    void EndFieldControl(TField* field, bool here);

    // --- Tables of the header ---
    void FinishFontEntry();
    void FinishFontTable(TFrame& frame);
    void FinishColorEntry();
    void FinishStyle();
    void FinishStyleSheet();
    void FinishListOverride();
    void FinishPn();
    std::int32_t Color(std::int32_t n) const;
    const TFontEntry* FontEntryOf(std::int32_t number) const;
    std::int32_t SourceCodePage(std::int32_t charset) const;
    std::int32_t RegisteredCharset(std::int32_t charset) const;
    TAutoList* ListOfNumber(std::int32_t number) const;

    TRtfReaderState& Cur() { return State; }
    TFrame& Top() { return Frames.back(); }

    TDoc& Doc;
    TReadWindow& Window;
    TRtfScanner Scanner;
    const TRtfReadOptions& Options;
    TRtfReadOutcome& Outcome;

    TRtfToken Token;
    bool HaveToken = false;  // Token holds a token not yet dispatched
    std::vector<TFrame> Frames;
    std::int64_t UnsavedDepth = 0;  // groups beyond MaxSavedDepth
    std::int64_t SkipDepth = 0;     // > 0 while a group is skipped whole
    TRtfReaderState State;
    TPar* Par = nullptr;
    std::int32_t AnsiCodePage = 1252;
    bool MacText = false;
    std::int32_t PendingFallback = 0;
    std::string PendingText;

    // Header tables.
    std::vector<TFontEntry> Fonts;
    TFontEntry DefaultFont;
    TFontEntry FontBeingRead;
    bool FontNameDone = false;
    bool FontTableRead = false;
    std::vector<std::int32_t> Colors;
    bool ColorHasWord = false;
    std::int32_t ColorComponents[3] = {};
    std::unique_ptr<TStyle> StyleBeingRead;
    std::string StyleName;
    std::int32_t StyleCharStyle = UnsetValue;
    bool StyleIsSection = false;
    std::int32_t StyleBasedOn = 222;
    std::int32_t StyleNext = UnsetValue;
    std::int32_t StyleNumber = UnsetValue;
    std::vector<std::int32_t> StyleBasedOnNumbers;  // beside each document style
    std::vector<std::int32_t> StyleNextNumbers;
    std::vector<std::unique_ptr<TStyle>> CharStyles;
    bool NoteStyleRead[2] = {false, false};
    std::int32_t StyleSheetParLength = 0;
    std::int32_t StyleSheetCharLength = 0;
    std::vector<std::unique_ptr<TAutoList>> ListTable;
    std::int32_t LevelsRead = 0;
    TListLevel* LevelBeingRead = nullptr;
    std::u16string CollectedWide;
    std::string CollectedNarrow;
    TPendingOverride Override;
    bool OverrideStart = false;
    std::vector<std::pair<std::int32_t, TAutoList*>> ListNumbers;
    TListLevel PnLevel;
    TParFormat* PnTarget = nullptr;
    std::u16string PnBefore, PnAfter;

    // Paragraph state.
    TList PendingTabs;
    std::uint8_t PendingTabKind = 0;
    std::uint8_t PendingTabLeader = 0;
    TBorderSet PendingBorders;
    bool BordersPending = false;
    TBorderTarget BorderTarget = btNone;
    std::int32_t BorderIndex = 0;
    std::int32_t ParShading = 0;
    std::int32_t ParPattern = AutoColor;
    std::int32_t CharShading = 0;
    std::int32_t CharPattern = AutoColor;
    std::int8_t DefaultWidowControl = 0;
    // The drop cap of the paragraph being read ("dropcapt", "dropcapli",
    // "dxfrtext"): kind 0 none, 1 dropped, 2 in the margin. It applies at
    // the paragraph's end, and "pard" clears it.
    std::int32_t DropCapKind = 0;
    std::int32_t DropCapLines = 0;
    std::int32_t DropCapDistance = 0;
    // The drop caps made, checked once the whole text is read.
    std::vector<TField*> DropCapsRead;

    // Table and section state.
    TTableRow* Row = nullptr;
    TTableCell PendingCell;
    std::int32_t CellEnds = 0;
    std::int32_t ColumnNumber = 0;
    std::int32_t RowsRead = 0;
    std::int32_t RowWidthUnit = 0;
    // Styles whose list number waits for the list overrides, which follow
    // the style sheet in the file.
    std::vector<std::pair<TStyle*, std::int32_t>> StyleListNumbers;

    // Fields and bookmarks begun and not yet ended, the last begun last.
    std::vector<TField*> OpenFields;
    std::vector<TField*> ShapeFields;
    std::unordered_set<std::u16string> BookmarkNames;
    std::unordered_set<std::u16string> OpenBookmarkNames;  // so that a stray end looks through nothing

    // Headers and footers: read after the main text's paragraphs, then set
    // aside until the main text ends, when they follow it as their story.
    // StoryStart is the first paragraph of the story being read (0 in the
    // main text).
    std::int32_t StoryStart = 0;
    TField* HeaderField = nullptr;
    std::size_t HeaderOpenFields = 0;
    TSavedTableState SavedTable;
    std::vector<TPar*> HeaderFooterPars;
    // The section and slot of each header or footer read, beside the count
    // of its paragraphs: the story is put in the order the writer gives it
    // (by section, then slot), so that a document saved and read again has
    // its header story in the same order.
    struct TStoryPiece {
        std::int32_t Section = 0;
        std::int8_t Slot = 0;
        std::size_t Count = 0;
    };
    std::vector<TStoryPiece> HeaderFooterPieces;

    // The body group closed last, and the count of controls put into the
    // middle of a paragraph's stream so far.
    TClosedGroup LastClosedGroup;
    std::uint32_t StreamInsertions = 0;

    // Notes: the note text being read (its field), whether "ftnalt" made it
    // an endnote, and the paragraphs of the two note stories so far.
    TField* NoteBody = nullptr;
    bool NoteIsEndnote = false;
    std::size_t NoteOpenFields = 0;
    std::vector<TPar*> FootnotePars;
    std::vector<TPar*> EndnotePars;

    // An index entry ("xe") being read: its text, the reading after "yxe",
    // the bookmark of "rxe", the cross-reference of "txe", and its switches.
    std::u16string IndexText;
    std::u16string IndexReading;
    std::u16string IndexRange;
    std::u16string IndexCrossRef;
    bool IndexHasReading = false;
    bool IndexAfterYxe = false;
    bool IndexBold = false;
    bool IndexItalic = false;

    // The picture being read ("pict"), the high digit of a byte whose low
    // digit has not come yet (-1 none), and the name of the drawing property
    // whose value follows ("sn", then "sv").
    TShapePicture PictureBeingRead;
    std::int32_t PictureNibble = -1;
    std::string ShapePropName;

    // The drawing shape being read ("shp"): its properties, and the shape
    // its picture made (none until the "pib" picture ends). PictureProps
    // are the "picprop" properties of a picture outside a shape.
    bool InShape = false;
    TShapeProps ShapeProps;
    TShape* ShapeMade = nullptr;
    std::int32_t PicPropDepth = 0;
    bool PictureHasProps = false;
    TShapeProps PictureProps;
    // Text-box groups being read ("shptxt"); their pictures are inline
    // pictures of the text, not the picture of the shape around them.
    std::int32_t TextBoxDepth = 0;

    // The pictures of the list table's "listpicture" group, in order; the
    // document owns them. ListPictureDepth > 0 while the group is read.
    std::vector<TShape*> ListPictures;
    std::int32_t ListPictureDepth = 0;
};

TRtfReader::~TRtfReader() {
    if (Row != nullptr && !Doc.TableRowList.Contains(Row))
        delete Row;
    // The main text's row, set aside by a header whose reading was
    // abandoned, and stories never handed to the document.
    if (SavedTable.Row != nullptr && !Doc.TableRowList.Contains(SavedTable.Row))
        delete SavedTable.Row;
    for (const TFrame& frame : Frames)
        if (frame.TextBoxGroup && frame.TextBoxTable.Row != nullptr &&
            !Doc.TableRowList.Contains(frame.TextBoxTable.Row))
            delete frame.TextBoxTable.Row;
    for (TPar* par : HeaderFooterPars)
        delete par;
    for (TPar* par : FootnotePars)
        delete par;
    for (TPar* par : EndnotePars)
        delete par;
}

// --- Set-up and the main loop ------------------------------------------

TReadResult TRtfReader::Run() {
    (void)Window.Fill();
    if (Options.Encrypted) {
        std::size_t skip = std::min<std::size_t>(42, Window.Unread());
        Window.ReadPos += skip;
    }

    State.Char = DefaultCharFormat;
    State.CodePage = AnsiCodePage;
    DefaultFont.Number = PresetFontNumber;
    DefaultFont.Name = "Times New Roman";
    DefaultFont.Charset = DefaultCharset();
    DefaultFont.FontIndex = DefaultCharFormat[caFont];
    Row = new TTableRow;
    ResetPendingCell();
    InitBorderSet(PendingBorders);
    ListTable.push_back(std::make_unique<TAutoList>());
    if (Doc.Sections.Count > 0)
        Doc.Sections.At<TSection>(Doc.Sections.Count - 1)->PageSetup.EndnotesNotHere = 1;

    Frames.reserve(64);
    Frames.push_back(TFrame{});

    // The input must open with a group; stray bytes before it are passed
    // over, as other readers do.
    bool found = false;
    while (NextToken())
        if (Token.Kind == rtkGroupOpen) {
            found = true;
            break;
        }
    if (!found) {
        if (!Scanner.Result())
            return Scanner.Result();
        return TReadResult::Failure("the input does not begin with an RTF group", 0);
    }

    // The document's first paragraph becomes the paragraph being filled;
    // input that is no RTF has left the document as it was.
    Par = Doc.Par(Doc.ParCount() - 1);
    Par->Stream.Clear();
    Par->Chars.Clear();
    Par->Format = DefaultParFormat;
    Par->Changed();
    HaveToken = true;
    while (HaveToken || NextToken()) {
        HaveToken = false;
        Dispatch();
    }
    // Text after the document's closing brace is read when more RTF
    // follows it (an extra brace closed the document early); bytes that
    // merely trail the document are dropped.
    if (Frames.size() > 1)
        FlushText();
    else
        PendingText.clear();
    Finish();
    Outcome.Flaw = Scanner.FirstFlaw();
    if (!Scanner.Result())
        return Scanner.Result();
    return TReadResult::Success();
}

bool TRtfReader::NextToken() {
    return Scanner.Next(Token) != rtkEnd;
}

void TRtfReader::Dispatch() {
    const TRtfToken& t = Token;
    if (SkipDepth > 0) {
        if (t.Kind == rtkGroupOpen)
            ++SkipDepth;
        else if (t.Kind == rtkGroupClose)
            --SkipDepth;
        else if (t.Kind == rtkControlWord && t.Word == RtfUnknownWord && t.Scanned.Letters != nullptr &&
                 t.Scanned.LetterCount == 3 && std::memcmp(t.Scanned.Letters, "bin", 3) == 0)
            SkipBinary(t.Scanned.Param);
        return;
    }
    if (t.Kind != rtkText && t.Kind != rtkEscapedByte)
        FlushText();
    switch (t.Kind) {
        case rtkText:
            TextBytes(t.Text, t.TextLength);
            break;
        case rtkEscapedByte:
            EscapedByte(t.Byte);
            break;
        case rtkGroupOpen:
            OpenGroup();
            break;
        case rtkGroupClose:
            PendingFallback = 0;
            CloseGroup();
            break;
        case rtkControlWord:
            Word(t);
            break;
        case rtkControlSymbol: {
            const std::uint8_t b = t.Byte;
            if (PendingFallback > 0 && b != '\r' && b != '\n') {
                --PendingFallback;
                break;
            }
            if (b == '\r' || b == '\n') {
                PendingFallback = 0;
                if (Top().Kind == fkBody)
                    ParagraphEnd();
            } else if (b == '\\' || b == '{' || b == '}') {
                TextBytes(&b, 1);
            } else if (b == ':' && Top().Kind == fkText && Top().Target >= ttIndexEntry) {
                // An escaped colon is part of an index entry's text, not the
                // separator of its sub-entries.
                TextBytes(&b, 1);
            } else if (Top().Kind == fkBody && !State.Skip) {
                if (b == '~')
                    AppendSpecial(chNoBreakSpace);
                else if (b == '_')
                    AppendSpecial(chNonBreakingHyphen);
                else if (b == '-')
                    AppendSpecial(chSoftHyphen);
            }
            break;
        }
        case rtkEnd:
            break;
    }
}

void TRtfReader::SkipBinary(std::int64_t count) {
    while (count > 0) {
        const std::int64_t take = std::min<std::int64_t>(count, static_cast<std::int64_t>(Window.Unread()));
        Window.ReadPos += take;
        count -= take;
        if (count == 0)
            break;
        if (Window.AtEnd)
            break;
        if (!Window.Fill())
            break;
    }
}

TFrameKind TRtfReader::KindOfDestination(int word, TTextTarget& target) const {
    target = ttNone;
    const TFrameKind parent = Frames.back().Kind;
    switch (word) {
        case rwFonttbl:
            return fkFontTable;
        case rwColortbl:
            return fkColorTable;
        case rwStylesheet:
            return fkStyleSheet;
        case rwListtable:
            return fkListTable;
        case rwList:
            return parent == fkListTable ? fkList : fkText;
        case rwListlevel:
            return parent == fkList ? fkListLevel : fkText;
        case rwLeveltext:
            if (parent == fkListLevel)
                target = ttLevelText;
            return fkText;
        case rwListoverridetable:
            return fkOverrideTable;
        case rwListoverride:
            return parent == fkOverrideTable ? fkOverride : fkText;
        case rwPn:
            return fkPn;
        case rwPntxtb:
            if (parent == fkPn)
                target = ttPnBefore;
            return fkText;
        case rwPntxta:
            if (parent == fkPn)
                target = ttPnAfter;
            return fkText;
        case rwInfo:
            return fkInfo;
        case rwAutosavedorigname:
            target = ttOriginalName;
            return fkText;
        case rwAutosavedorigfmt:
            target = ttOriginalFormat;
            return fkText;
        case rwUpr:
            return fkUpr;
        case rwUd:
        case rwField:
        case rwFldrslt:
            return fkBody;
        case rwFldinst:
            target = ttFieldInst;
            return fkText;
        case rwHeader:
        case rwHeaderr:
        case rwHeaderl:
        case rwHeaderf:
        case rwFooter:
        case rwFooterr:
        case rwFooterl:
        case rwFooterf:
            return fkBody;
        case rwBkmkstart:
            target = ttBookmarkStart;
            return fkText;
        case rwBkmkend:
            target = ttBookmarkEnd;
            return fkText;
        case rwFootnote:
            return fkBody;
        // Pictures: a "pict" group wherever the text may hold one; in an
        // object, its "result"; in a drawing shape, the picture of its "pib"
        // property, the other properties being skipped. The alternatives
        // written for other readers ("nonshppict", "shprslt") are skipped.
        case rwPict:
            return fkPicture;
        case rwShppict:
        case rwShp:
        case rwShpinst:
        case rwSp:
        case rwObject:
        case rwResult:
            return fkBody;
        case rwSn:
            target = ttShapePropName;
            return fkText;
        case rwSv:
            if (ShapePropName == "pib")
                return fkBody;
            // Values of names the property table knows; others are skipped.
            if ((InShape || PicPropDepth > 0) && TShapeProps::IdOfName(ShapePropName) >= 0)
                target = ttShapePropValue;
            return fkText;
        case rwPicprop:
        case rwShptxt:
            return fkBody;
        case rwListpicture:
            return parent == fkListTable ? fkBody : fkText;
        case rwXe:
            target = ttIndexEntry;
            return fkText;
        case rwRxe:
        case rwTxe:
            if (parent == fkText && Frames.back().Target == ttIndexEntry)
                target = word == rwRxe ? ttIndexRange : ttIndexCrossRef;
            return fkText;
        default:
            return fkText;
    }
}

// The destinations read by their own procedures; the others are skipped.
bool TRtfReader::OpensSkippedDestination(int word) const {
    switch (word) {
        case rwFonttbl:
        case rwColortbl:
        case rwStylesheet:
        case rwListtable:
        case rwList:
        case rwListlevel:
        case rwLeveltext:
        case rwListoverridetable:
        case rwListoverride:
        case rwPn:
        case rwPntxta:
        case rwPntxtb:
        case rwInfo:
        case rwAutosavedorigname:
        case rwAutosavedorigfmt:
        case rwUpr:
        case rwUd:
        case rwField:
        case rwFldrslt:
        case rwFldinst:
        case rwBkmkstart:
        case rwBkmkend:
        case rwHeader:
        case rwHeaderr:
        case rwHeaderl:
        case rwHeaderf:
        case rwFooter:
        case rwFooterr:
        case rwFooterl:
        case rwFooterf:
        case rwFootnote:
        case rwXe:
        case rwRxe:
        case rwTxe:
        case rwPict:
        case rwShppict:
        case rwShp:
        case rwShpinst:
        case rwSp:
        case rwSn:
        case rwSv:
        case rwPicprop:
        case rwShptxt:
        case rwListpicture:
        case rwObject:
        case rwResult:
            return false;
        default:
            return true;
    }
}

void TRtfReader::OpenGroup() {
    PendingFallback = 0;
    // Look at the group's first token to tell a destination.
    if (!NextToken()) {
        PushFrame(fkBody);
        return;
    }
    bool star = false;
    if (Token.Kind == rtkControlSymbol && Token.Byte == '*') {
        star = true;
        if (!NextToken())
            return;
    }
    const TFrameKind parent = Top().Kind;
    if (Token.Kind == rtkControlWord && IsDestination(Token.Word)) {
        const int word = Token.Word;
        if (OpensSkippedDestination(word)) {
            BeginSkip();
            return;
        }
        TTextTarget target;
        TFrameKind kind = KindOfDestination(word, target);
        // Text being skipped holds no fields or bookmarks; an instruction
        // counts only as the first of its field group.
        const bool fieldWord = word == rwField || word == rwFldinst || word == rwBkmkstart || word == rwBkmkend;
        if (fieldWord &&
            (State.Skip || parent != fkBody || (word == rwFldinst && (!Top().FieldGroup || Top().Field != nullptr)))) {
            BeginSkip();
            return;
        }
        std::int8_t slot = -1;
        switch (word) {
            case rwHeader:
            case rwHeaderr:
                slot = hfOddHeader;
                break;
            case rwHeaderl:
                slot = hfEvenHeader;
                break;
            case rwHeaderf:
                slot = hfFirstHeader;
                break;
            case rwFooter:
            case rwFooterr:
                slot = hfOddFooter;
                break;
            case rwFooterl:
                slot = hfEvenFooter;
                break;
            case rwFooterf:
                slot = hfFirstFooter;
                break;
            default:
                break;
        }
        // Headers and footers do not nest, and text pasted into another
        // story or a table takes none; a group too deep to save its state
        // cannot hold one.
        if (slot >= 0 && (State.Skip || parent != fkBody || HeaderField != nullptr || NoteBody != nullptr ||
                          Options.NotMainText || Options.IntoTable || Frames.size() >= MaxSavedDepth)) {
            BeginSkip();
            return;
        }
        // Notes do not nest and stand in no header; text pasted into another
        // story takes none.
        if (word == rwFootnote && (State.Skip || parent != fkBody || HeaderField != nullptr || NoteBody != nullptr ||
                                   Options.NotMainText || Frames.size() >= MaxSavedDepth)) {
            BeginSkip();
            return;
        }
        // An index entry of a header, of skipped text or inside a field's
        // instruction makes nothing.
        if (word == rwXe && (State.Skip || parent != fkBody || HeaderField != nullptr)) {
            BeginSkip();
            return;
        }
        if ((word == rwPict || word == rwShp || word == rwObject) && (State.Skip || parent != fkBody)) {
            BeginSkip();
            return;
        }
        if (word == rwSn)
            ShapePropName.clear();
        // A shape inside a shape (a group's members, a text box's text)
        // stays unread; a picture's properties are read inside it only.
        if ((word == rwShp && InShape) || (word == rwPicprop && (parent != fkPicture || PicPropDepth > 0))) {
            BeginSkip();
            return;
        }
        // Only a text box's text is read; other shapes' texts (callouts,
        // word art) have no place in this system's text.
        if (word == rwShptxt && (State.Skip || parent != fkBody || !InShape || TextBoxDepth > 0 ||
                                 !ShapeProps.HasProp(spShapeType) || ShapeProps.GetProp(spShapeType) != stypeTextBox)) {
            BeginSkip();
            return;
        }
        const std::size_t depth = Frames.size();
        // A destination of the body inside a table reader means nothing.
        if ((kind == fkBody && parent != fkBody && parent != fkUpr && !(word == rwPicprop && parent == fkPicture) &&
             !(word == rwListpicture && parent == fkListTable)) ||
            (kind == fkText && target == ttNone && word != rwLevelnumbers)) {
            BeginSkip();
            return;
        }
        PushFrame(kind, target);
        if (slot >= 0) {
            Top().HeaderSlot = slot;
            BeginHeaderFooter();
        }
        if (word == rwFootnote && Frames.size() > depth) {
            Top().NoteGroup = true;
            BeginNote();
        }
        if (word == rwPict) {
            PictureBeingRead = TShapePicture{};
            PictureNibble = -1;
            PictureHasProps = false;
            PictureProps = TShapeProps{};
        }
        if (word == rwShp && Frames.size() > depth) {
            Top().ShapeGroup = true;
            BeginShape();
        }
        if (word == rwShptxt && Frames.size() > depth)
            BeginTextBox(Top());
        if (word == rwListpicture && Frames.size() > depth) {
            Top().ListPictureGroup = true;
            ++ListPictureDepth;
        }
        if (word == rwPicprop && Frames.size() > depth) {
            Top().PicPropGroup = true;
            ++PicPropDepth;
            PictureHasProps = true;
        }
        if (word == rwXe) {
            IndexText.clear();
            IndexReading.clear();
            IndexRange.clear();
            IndexCrossRef.clear();
            IndexHasReading = IndexAfterYxe = IndexBold = IndexItalic = false;
        }
        if (word == rwField && Frames.size() > depth) {
            Top().FieldGroup = true;
            Top().ResultPar = Doc.ParCount();
            Top().ResultChars = Par->Chars.Size;
        }
        if (kind == fkList) {
            ListTable.push_back(std::make_unique<TAutoList>());
            LevelsRead = 0;
        } else if (kind == fkListLevel) {
            TAutoList* list = ListTable.back().get();
            LevelBeingRead = &list->Levels[std::min(LevelsRead, 8)];
            ++LevelsRead;
        } else if (kind == fkOverride) {
            Override = TPendingOverride{};
            for (auto& s : Override.StartAt)
                s = UnsetValue;
            OverrideStart = false;
        } else if (kind == fkPn) {
            PnLevel = TListLevel{};
            PnLevel.StartValue = 0;
            PnBefore.clear();
            PnAfter.clear();
            PnTarget = parent == fkStyle && StyleBeingRead ? &StyleBeingRead->ParFormat : &Par->Format;
        } else if (kind == fkStyleSheet) {
            StyleSheetParLength = Par->Stream.Size;
            StyleSheetCharLength = Par->Chars.Size;
            Outcome.StylesRead = true;
            TStyle* normal = nullptr;
            if (StyleManager != nullptr && StyleManager->DefaultStyles.Count > 0)
                normal = new TStyle(Doc.Styles, *StyleManager->DefaultStyles.Style(0));
            if (normal == nullptr) {
                normal = new TStyle(Doc.Styles);
                normal->Name = normal->DisplayName = "Normal";
                normal->BuiltInId = 0;
                normal->CharFormat = DefaultCharFormat;
                normal->ParFormat = DefaultParFormat;
            }
            if (Doc.Styles->Count == 0) {
                Doc.Styles->AddStyle(normal);
                StyleBasedOnNumbers.push_back(222);
                StyleNextNumbers.push_back(UnsetValue);
            } else {
                delete normal;
            }
        } else if (kind == fkText) {
            CollectedWide.clear();
            CollectedNarrow.clear();
        }
        return;
    }
    if (star) {
        // An unknown destination, or one only a style knows.
        if (Token.Kind == rtkControlWord && parent == fkStyle &&
            (Token.Word == rwKeycode || Token.Word == rwStloverrides)) {
            if (Token.Word == rwKeycode) {
                PushFrame(fkKeyCode);
            } else {
                PushFrame(fkStyle);
                Outcome.StylesOwnFormatting = true;
                if (StyleBeingRead) {
                    const std::int16_t own = StyleBeingRead->ParFormat.Style;
                    StyleBeingRead->ParFormat = UnsetParFormat;
                    StyleBeingRead->ParFormat.Style = own;
                    StyleBeingRead->CharFormat = UnsetCharFormat;
                }
            }
            return;
        }
        if (parent == fkStyleSheet) {
            // A character style: "{\*\cs..." read the same way as a style.
            PushFrame(fkStyle);
            StyleBeingRead = std::make_unique<TStyle>(Doc.Styles);
            StyleName.clear();
            StyleCharStyle = UnsetValue;
            StyleIsSection = false;
            StyleBasedOn = 222;
            StyleNext = UnsetValue;
            StyleNumber = UnsetValue;
            HaveToken = Token.Kind != rtkEnd;
            return;
        }
        BeginSkip();
        return;
    }
    // The text of a nested table's row for readers without nested tables:
    // this reader reads the nested table itself.
    if (Token.Kind == rtkControlWord && Token.Word == RtfUnknownWord && Token.Scanned.Letters != nullptr &&
        std::string_view(reinterpret_cast<const char*>(Token.Scanned.Letters),
                         static_cast<std::size_t>(Token.Scanned.LetterCount)) == "nonesttables") {
        BeginSkip();
        return;
    }
    // A plain group: its kind follows from where it stands.
    TFrameKind kind = parent;
    switch (parent) {
        case fkFontTable:
            kind = fkFontEntry;
            FontBeingRead = TFontEntry{};
            FontNameDone = false;
            CollectedNarrow.clear();
            break;
        case fkStyleSheet:
            kind = fkStyle;
            StyleBeingRead = std::make_unique<TStyle>(Doc.Styles);
            StyleName.clear();
            StyleCharStyle = UnsetValue;
            StyleIsSection = false;
            StyleBasedOn = 222;
            StyleNext = UnsetValue;
            StyleNumber = UnsetValue;
            break;
        case fkUpr:
            // The ANSI version of the text; the "ud" version is read.
            BeginSkip();
            return;
        case fkListTable:
        case fkOverrideTable:
        case fkInfo:
        case fkColorTable:
            BeginSkip();
            return;
        default:
            break;
    }
    PushFrame(kind, kind == fkText ? Top().Target : ttNone);
    HaveToken = true;  // the first token is content of the group
}

// Skips the rest of the group whose opening brace was just read; the token
// taken after it is looked at again in skip mode, so that a brace or a
// binary run among the first tokens is counted.
void TRtfReader::BeginSkip() {
    SkipDepth = 1;
    HaveToken = true;
}

void TRtfReader::PushFrame(TFrameKind kind, TTextTarget target) {
    if (Frames.size() >= MaxSavedDepth) {
        ++UnsavedDepth;
        return;
    }
    CommitPendingTabsAndBorders();
    TFrame frame;
    frame.Kind = kind;
    frame.Target = target;
    // The document's outermost group saves nothing: its end is the end of
    // the text, whose last paragraph keeps its formatting.
    frame.Saved = Frames.size() > 1;
    State.Par = Par->Format;
    frame.State = State;
    frame.OpenedIn = Par;
    frame.OpenedAtStream = Par->Stream.Size;
    frame.OpenedAtChars = Par->Chars.Size;
    frame.OpenedAtInsertions = StreamInsertions;
    Frames.push_back(frame);
}

void TRtfReader::CloseGroup() {
    if (UnsavedDepth > 0) {
        --UnsavedDepth;
        return;
    }
    if (Frames.size() <= 1) {
        // A closing brace without its group: the rest of the input is read
        // all the same.
        return;
    }
    CommitPendingTabsAndBorders();
    TFrame frame = std::move(Frames.back());
    Frames.pop_back();
    FinishFrame(frame);
    if (frame.Kind == fkBody)
        LastClosedGroup = {frame.OpenedIn, frame.OpenedAtStream, frame.OpenedAtChars, Par->Chars.Size,
                           frame.OpenedAtInsertions};
    if (!frame.Saved)
        return;
    // Restore the formatting of the enclosing group. Only the groups of the
    // body carry paragraph formatting; the tables and destinations read
    // their own way leave the paragraph as they found it.
    const TRtfReaderState& saved = frame.State;
    for (int attr = fcLastCharAttr; attr >= 0; --attr) {
        if (saved.Char[attr] != State.Char[attr])
            AppendFormatControl(Par->Stream, static_cast<std::uint8_t>(attr), saved.Char[attr]);
    }
    State.Char = saved.Char;
    if (frame.Kind == fkBody)
        Par->Format = saved.Par;
    State.Uc = saved.Uc;
    State.Skip = saved.Skip;
    State.CodePage = saved.CodePage;
}

void TRtfReader::FinishFrame(TFrame& frame) {
    // A plain group nested in a table entry or a text destination is part
    // of it; only the outermost group of the kind finishes it.
    const TFrameKind parent = Frames.back().Kind;
    if (frame.Kind != fkBody && parent == frame.Kind)
        return;
    switch (frame.Kind) {
        case fkFontEntry:
            if (parent == fkFontTable)
                FinishFontEntry();
            break;
        case fkFontTable:
            // Bare entries written straight into the table end with ";".
            if (!FontBeingRead.Name.empty() || !CollectedNarrow.empty())
                FinishFontEntry();
            FinishFontTable(frame);
            break;
        case fkStyle:
            if (Frames.back().Kind == fkStyleSheet)
                FinishStyle();
            break;
        case fkStyleSheet:
            FinishStyleSheet();
            break;
        case fkListLevel:
            if (parent == fkList)
                LevelBeingRead = nullptr;
            break;
        case fkListTable:
            Outcome.ListTableRead = true;
            break;
        case fkOverride:
            if (parent == fkOverrideTable)
                FinishListOverride();
            break;
        case fkPn:
            FinishPn();
            break;
        case fkText:
            switch (frame.Target) {
                case ttLevelText:
                    if (LevelBeingRead != nullptr) {
                        std::u16string text = CollectedWide;
                        if (!text.empty() && text.back() == u';')
                            text.pop_back();
                        if (!text.empty())
                            text.erase(0, 1);
                        if (text.size() > 255)
                            text.resize(255);
                        LevelBeingRead->LabelText = text;
                    }
                    break;
                case ttPnBefore:
                    PnBefore = CollectedWide;
                    break;
                case ttPnAfter:
                    PnAfter = CollectedWide;
                    break;
                case ttOriginalName:
                    Outcome.OriginalName = CollectedNarrow;
                    break;
                case ttOriginalFormat: {
                    static const char* const names[] = {"RTF", "DOC", "DOCX", "ODT", "COD", "WRI", "TXT"};
                    std::string name = CollectedNarrow;
                    while (!name.empty() && (name.back() == ';' || name.back() == ' '))
                        name.pop_back();
                    for (int i = 0; i < 7; ++i)
                        if (name == names[i])
                            Outcome.OriginalFormat = i;
                    break;
                }
                case ttFieldInst:
                    FinishFieldInstruction();
                    break;
                case ttBookmarkStart:
                    BookmarkStart(CollectedWide);
                    break;
                case ttBookmarkEnd:
                    BookmarkEnd(CollectedWide);
                    break;
                case ttIndexEntry:
                    FinishIndexEntry();
                    break;
                case ttShapePropName: {
                    ShapePropName = CollectedNarrow;
                    while (!ShapePropName.empty() && ShapePropName.back() == ' ')
                        ShapePropName.pop_back();
                    while (!ShapePropName.empty() && ShapePropName.front() == ' ')
                        ShapePropName.erase(0, 1);
                    break;
                }
                case ttShapePropValue:
                    ShapePropertyValue(CollectedNarrow);
                    break;
                default:
                    break;
            }
            CollectedWide.clear();
            CollectedNarrow.clear();
            break;
        case fkPicture:
            FinishPicture();
            break;
        case fkBody:
            if (frame.FieldGroup && frame.Field != nullptr)
                FinishField(frame);
            if (frame.HeaderSlot >= 0)
                FinishHeaderFooter(frame.HeaderSlot);
            if (frame.NoteGroup)
                FinishNote(frame.State);
            if (frame.PicPropGroup)
                --PicPropDepth;
            if (frame.ShapeGroup)
                FinishShape();
            if (frame.TextBoxGroup)
                FinishTextBox(frame);
            if (frame.ListPictureGroup)
                --ListPictureDepth;
            break;
        default:
            break;
    }
}

// --- Text ----------------------------------------------------------------

void TRtfReader::TextBytes(const std::uint8_t* p, std::size_t n) {
    if (PendingFallback > 0) {
        while (n > 0 && PendingFallback > 0) {
            if (*p > 31)
                --PendingFallback;
            ++p;
            --n;
        }
        if (n == 0)
            return;
    }
    // Line breaks of the file are no text. A level text keeps its control
    // characters (the placeholders come as escaped bytes), so the breaks a
    // writer put inside it must go here, or they would shift its numbers.
    if (Top().Target == ttLevelText) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] != '\r' && p[i] != '\n')
                PendingText.push_back(static_cast<char>(p[i]));
        return;
    }
    PendingText.append(reinterpret_cast<const char*>(p), n);
}

void TRtfReader::EscapedByte(std::uint8_t b) {
    if (PendingFallback > 0) {
        --PendingFallback;
        return;
    }
    PendingText.push_back(static_cast<char>(b));
}

void TRtfReader::FlushText() {
    if (PendingText.empty())
        return;
    std::string text;
    text.swap(PendingText);
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    switch (Top().Kind) {
        case fkBody:
            // A drawing shape and a picture's properties hold no text of
            // the document; stray text there is dropped.
            if (State.Skip || (InShape && TextBoxDepth == 0) || PicPropDepth > 0 || ListPictureDepth > 0)
                return;
            break;
        case fkFontEntry:
        case fkFontTable:
        case fkStyle:
        case fkText:
        case fkKeyCode:
            CollectText(p, text.size());
            return;
        case fkColorTable:
            for (char c : text)
                if (c == ';')
                    FinishColorEntry();
            return;
        case fkPicture:
            PictureHex(p, text.size());
            return;
        default:
            return;
    }
    const std::int32_t sourceCp = State.CodePage;
    const int storeCp = DocFontCodePage(State.Char[caFont]);
    const bool symbol = DocFontCharset(State.Char[caFont]) == SymbolCharset;
    if (sourceCp == 0 || symbol || (sourceCp == storeCp && Platform::IsSingleByteCodePage(sourceCp)) ||
        !Platform::IsCodePageAvailable(sourceCp)) {
        AppendRawBytes(p, text.size());
        return;
    }
    const std::u16string wide = Platform::BytesToWide(sourceCp, text);
    for (char16_t c : wide)
        AppendWide(c);
}

void TRtfReader::CollectText(const std::uint8_t* p, std::size_t n) {
    const TFrameKind kind = Top().Kind;
    if (kind == fkFontEntry || kind == fkFontTable) {
        for (std::size_t i = 0; i < n; ++i) {
            if (FontNameDone)
                break;
            if (p[i] == ';') {
                if (kind == fkFontTable) {
                    // A bare entry of the table itself ends here.
                    FontBeingRead.Name = CollectedNarrow;
                    CollectedNarrow.clear();
                    FinishFontEntry();
                    FontBeingRead = TFontEntry{};
                    continue;
                }
                FontNameDone = true;
                break;
            }
            if (p[i] >= 32)
                CollectedNarrow.push_back(static_cast<char>(p[i]));
        }
        return;
    }
    if (kind == fkKeyCode) {
        if (StyleBeingRead && n > 0) {
            const std::uint8_t c = p[n - 1];
            StyleBeingRead->HotKey = (StyleBeingRead->HotKey & 0xFF00u) | (c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        return;
    }
    if (kind == fkStyle) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] >= 32)
                StyleName.push_back(static_cast<char>(p[i]));
        return;
    }
    // A text destination: narrow keeps the bytes, wide converts them.
    for (std::size_t i = 0; i < n; ++i)
        CollectedNarrow.push_back(static_cast<char>(p[i]));
    std::int32_t cp = State.CodePage;
    if (cp == 0 || !Platform::IsCodePageAvailable(cp))
        cp = 1252;
    const std::u16string wide = Platform::BytesToWide(cp, std::string_view(reinterpret_cast<const char*>(p), n));
    const bool levelText = Top().Target == ttLevelText;
    for (char16_t c : wide)
        if (c >= 32 || levelText)
            CollectWide(c);
}

// Index entries keep their parts apart; every other text destination
// collects one text.
void TRtfReader::CollectWide(char16_t c) {
    switch (Top().Target) {
        case ttIndexEntry:
            (IndexAfterYxe ? IndexReading : IndexText).push_back(c);
            break;
        case ttIndexRange:
            IndexRange.push_back(c);
            break;
        case ttIndexCrossRef:
            IndexCrossRef.push_back(c);
            break;
        default:
            CollectedWide.push_back(c);
            break;
    }
}

void TRtfReader::AppendControl(std::uint8_t code, std::int32_t value) {
    AppendFormatControl(Par->Stream, code, value);
}

void TRtfReader::AppendSpecial(std::uint8_t code) {
    AppendFormatControl(Par->Stream, fcSpecialChar, code);
    Par->Chars.AppendByte(code);
}

void TRtfReader::AppendRawBytes(const std::uint8_t* p, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        std::size_t j = i;
        while (j < n && p[j] >= 32 && p[j] != 150 && p[j] != 151 && p[j] != 160)
            ++j;
        if (j > i) {
            Par->Stream.AppendBuffer(p + i, static_cast<std::int32_t>(j - i));
            Par->Chars.AppendBuffer(p + i, static_cast<std::int32_t>(j - i));
            i = j;
            continue;
        }
        const std::uint8_t b = p[i++];
        if (b == 150)
            AppendSpecial(chEnDash);
        else if (b == 151)
            AppendSpecial(chEmDash);
        else if (b == 160)
            AppendSpecial(chNoBreakSpace);
        else if (b == 9)
            AppendSpecial(chTab);
    }
}

void TRtfReader::AppendWide(char16_t c) {
    if (c < 128) {
        const auto b = static_cast<std::uint8_t>(c);
        AppendRawBytes(&b, 1);
        return;
    }
    const std::uint8_t special = SpecialCharCode(c);
    if (special != 255) {
        AppendSpecial(special);
        return;
    }
    const std::int32_t font = State.Char[caFont];
    int storeCp = DocFontCodePage(font);
    if (storeCp < 1250 || storeCp > 1258 || DocFontCharset(font) == SymbolCharset)
        storeCp = 1252;
    bool usedDefault = false;
    std::string bytes = Platform::WideToBytes(storeCp, std::u16string_view(&c, 1), '?', &usedDefault);
    if (!usedDefault && bytes.size() == 1 && static_cast<std::uint8_t>(bytes[0]) >= 32) {
        Par->Stream.AppendBuffer(bytes.data(), 1);
        Par->Chars.AppendBuffer(bytes.data(), 1);
        return;
    }
    const std::int32_t cp = CodePageOfChar(c, 0);
    if (cp != 0) {
        const std::uint8_t charset = CodePageCharset(cp);
        const std::int32_t other = FontManager != nullptr ? FontManager->FontWithCharset(DocFontNameId(font), charset)
                                                          : DocFontInCharset(font, charset);
        if (other != font && DocFontCodePage(other) == cp) {
            bytes = Platform::WideToBytes(cp, std::u16string_view(&c, 1), '?', &usedDefault);
            if (!usedDefault && bytes.size() == 1 && static_cast<std::uint8_t>(bytes[0]) >= 32) {
                AppendControl(caFont, other);
                Par->Stream.AppendBuffer(bytes.data(), 1);
                Par->Chars.AppendBuffer(bytes.data(), 1);
                AppendControl(caFont, font);
                return;
            }
        }
    }
    AppendFormatControl(Par->Stream, fcUnicodeChar, c);
    Par->Chars.AppendByte(chUnicode);
}

void TRtfReader::UnicodeChar(std::int32_t param) {
    const auto c = static_cast<char16_t>(static_cast<std::uint32_t>(param) & 0xFFFF);
    PendingFallback = State.Uc;
    const TFrameKind kind = Top().Kind;
    if (kind == fkBody) {
        if (!State.Skip)
            AppendWide(c);
    } else if (kind == fkText) {
        if (c >= 32 || Top().Target < ttIndexEntry)
            CollectWide(c);
    } else if (kind == fkStyle) {
        const std::string utf8 = Platform::Utf16ToUtf8(std::u16string_view(&c, 1));
        StyleName += utf8;
    }
}

// --- Words ---------------------------------------------------------------

void TRtfReader::UnknownWord(const TRtfToken& t) {
    if (t.Scanned.Letters == nullptr)
        return;
    const std::string_view letters(reinterpret_cast<const char*>(t.Scanned.Letters),
                                   static_cast<std::size_t>(t.Scanned.LetterCount));
    const std::int32_t param = t.Scanned.Param;
    if (Top().Kind == fkPicture) {
        if (letters == "bin")
            PictureBinary(param);
        else
            PictureWord(letters, t.Scanned.ParamLength > 0, param);
        return;
    }
    if (InShape && Top().Kind == fkBody && ShapeWord(letters, t.Scanned.ParamLength > 0, param))
        return;
    if (letters == "bin") {
        SkipBinary(param);
    } else if (letters == "ansicpg") {
        if (Platform::IsCodePageAvailable(param)) {
            AnsiCodePage = param;
            if (!FontTableRead)
                State.CodePage = MacText ? MacCodePage : param;
        }
    } else if (letters == "pc") {
        AnsiCodePage = 437;
    } else if (letters == "pca") {
        AnsiCodePage = 850;
    } else if (Top().Kind == fkBody && (letters == "itap" || letters == "nestcell")) {
        NestedTableWord(letters, t.Scanned.ParamLength > 0 ? param : 1);
    }
}

// Nested tables (the RTF specification 1.9.1, "Nested Tables"). This
// system's tables have one level, so a table inside a cell is read flat:
// each of its cells becomes a paragraph of the cell around it, and its row
// definitions ("nesttableprops") are passed over, as is the text that
// writers give readers without nested tables ("nonesttables"). The words
// of the table around are the ordinary ones.
void TRtfReader::NestedTableWord(std::string_view letters, std::int32_t param) {
    if (State.Skip)
        return;
    if (letters == "itap") {
        // A nesting depth of one or more stands in a table; "itap0" comes
        // with "pard", which has already left the table.
        if (param >= 1)
            (void)TableWord(rwIntbl, false, 0);
    } else {
        ParagraphEnd();
    }
}

void TRtfReader::Word(const TRtfToken& t) {
    const int word = t.Word;
    const bool hasParam = t.Scanned.ParamLength > 0;
    const std::int32_t param = t.Scanned.Param;
    if (PendingFallback > 0) {
        // The fallback skips control words without counting them, but a
        // paragraph or table end, or the next Unicode character, is never
        // part of it.
        if (word != rwPar && word != rwCell && word != rwRow && word != rwSect && word != rwU && word != rwUc)
            return;
        PendingFallback = 0;
    }
    if (word == RtfUnknownWord) {
        if (Top().Kind == fkColorTable)
            ColorHasWord = true;
        UnknownWord(t);
        return;
    }
    if (word == rwU) {
        UnicodeChar(param);
        return;
    }
    if (word == rwUc) {
        State.Uc = std::max(0, param);
        return;
    }
    switch (Top().Kind) {
        case fkFontTable:
        case fkFontEntry:
            if (word == rwF)
                FontBeingRead.Number = param;
            else if (word == rwFcharset)
                FontBeingRead.Charset = param;
            return;
        case fkColorTable:
            ColorHasWord = true;
            if (word == rwRed)
                ColorComponents[0] = param & 0xFF;
            else if (word == rwGreen)
                ColorComponents[1] = param & 0xFF;
            else if (word == rwBlue)
                ColorComponents[2] = param & 0xFF;
            return;
        case fkStyle:
            if (!StyleBeingRead)
                return;
            switch (word) {
                case rwCs:
                    StyleCharStyle = param;
                    return;
                case rwDs:
                    StyleIsSection = true;
                    return;
                case rwSbasedon:
                    StyleBasedOn = param;
                    return;
                case rwSnext:
                    StyleNext = param;
                    return;
                case rwS:
                    StyleNumber = param;
                    StyleBeingRead->ParFormat.Style = static_cast<std::int16_t>(param);
                    return;
                case rwLs:
                    StyleBeingRead->ParFormat.List = param;
                    return;
                default:
                    break;
            }
            if (!CharWord(word, hasParam, param, StyleBeingRead->CharFormat, false))
                ParWord(word, hasParam, param, StyleBeingRead->ParFormat, false);
            return;
        case fkKeyCode:
            if (StyleBeingRead) {
                if (word == rwShift)
                    StyleBeingRead->HotKey |= 0x100;
                else if (word == rwAlt)
                    StyleBeingRead->HotKey |= 0x200;
                else if (word == rwCtrl)
                    StyleBeingRead->HotKey |= 0x400;
                else if (word == rwFn)
                    StyleBeingRead->HotKey = (StyleBeingRead->HotKey & 0xFF00u) | ((111 + param) & 0xFF);
            }
            return;
        case fkList: {
            TAutoList* list = ListTable.back().get();
            if (word == rwListid)
                list->FileValue = param;
            else if (word == rwListsimple)
                list->SingleLevel = (list->SingleLevel & 0x80) | ((hasParam ? param : 1) != 0 ? 1 : 0);
            else if (word == rwListhybrid)
                list->SingleLevel &= 0x80;
            return;
        }
        case fkListLevel: {
            TListLevel* level = LevelBeingRead;
            if (level == nullptr)
                return;
            switch (word) {
                case rwLevelstartat:
                    level->StartValue = param;
                    return;
                case rwLevelnfc:
                    level->NumberFormat = param;
                    return;
                case rwLeveljc:
                    level->Alignment = static_cast<std::uint8_t>(std::clamp(param, 0, 2));
                    return;
                case rwLevelfollow:
                    level->FollowKind = static_cast<std::uint8_t>(std::clamp(param, 0, 2));
                    return;
                case rwLevelnorestart:
                    level->NumberingFlags[0] = (hasParam ? param : 1) != 0;
                    return;
                case rwLevellegal:
                    level->NumberingFlags[1] = (hasParam ? param : 1) != 0;
                    return;
                case rwLevelpicture:
                    // A number outside the pictures read leaves a plain
                    // bullet: the level text still gives one.
                    level->PictureBullet = param >= 0 && static_cast<std::size_t>(param) < ListPictures.size()
                                               ? ListPictures[static_cast<std::size_t>(param)]
                                               : nullptr;
                    return;
                default:
                    break;
            }
            if (!CharWord(word, hasParam, param, level->CharFormat, false))
                ParWord(word, hasParam, param, level->ParFormat, false);
            return;
        }
        case fkOverride:
            if (word == rwListid)
                Override.ListId = param;
            else if (word == rwLs)
                Override.Number = std::max(1, param);
            else if (word == rwListoverridestartat)
                OverrideStart = true;
            else if (word == rwLevelstartat && Override.Level < 9)
                Override.StartAt[Override.Level] = param;
            else if (word == rwLevelnumbers && Override.Level < 8)
                ++Override.Level;
            return;
        case fkPn:
            switch (word) {
                case rwPnf:
                    if (const TFontEntry* e = FontEntryOf(param))
                        PnLevel.CharFormat[caFont] = e->FontIndex;
                    return;
                case rwPnlvl:
                    if (PnTarget != nullptr)
                        PnTarget->ListLevel = static_cast<std::int8_t>(std::clamp(param - 1, 0, 8));
                    return;
                case rwPnlvlblt:
                    PnLevel.NumberFormat = 23;
                    if (PnTarget != nullptr)
                        PnTarget->ListLevel = 0;
                    return;
                case rwPnstart:
                    PnLevel.StartValue = param;
                    return;
                case rwPnprev:
                    PnLevel.FileBytes[lfbIncludesPrevious] = (hasParam ? param : 1) != 0 ? 1 : 0;
                    return;
                default:
                    return;
            }
        case fkText:
            if (word == rwF) {
                if (const TFontEntry* e = FontEntryOf(param))
                    State.CodePage = SourceCodePage(e->Charset);
            } else if (word == rwTab && (Top().Target == ttNone || Top().Target == ttFieldInst)) {
                CollectedWide.push_back(u'\t');
            } else if (Top().Target == ttIndexEntry) {
                if (word == rwBxe)
                    IndexBold = true;
                else if (word == rwIxe)
                    IndexItalic = true;
                else if (word == rwYxe)
                    IndexAfterYxe = IndexHasReading = true;
            }
            return;
        case fkInfo:
            DocumentWord(word, hasParam, param);
            return;
        case fkPicture:
            PictureWord(RtfControlWords[static_cast<std::size_t>(word)], hasParam, param);
            return;
        case fkListTable:
        case fkOverrideTable:
        case fkStyleSheet:
        case fkUpr:
            return;
        case fkBody:
            // The list pictures' group holds pictures only: its other
            // words would format or end the paragraph being read.
            if (ListPictureDepth == 0)
                BodyWord(word, hasParam, param);
            return;
    }
}

void TRtfReader::SetCharAttr(TCharFormat& target, int attr, std::int32_t value, bool unlessEqual, bool withControls) {
    if (unlessEqual && target[attr] == value)
        return;
    target[attr] = value;
    if (withControls)
        AppendControl(static_cast<std::uint8_t>(attr), value);
}

std::int32_t TRtfReader::Color(std::int32_t n) const {
    if (n >= 0 && n < static_cast<std::int32_t>(Colors.size()))
        return Colors[static_cast<std::size_t>(n)];
    return AutoColor;
}

static std::int32_t NormalizedLanguage(std::int32_t value, std::int32_t defaultLanguage) {
    if (value == 0)
        return defaultLanguage;
    if (value >= 1 && value <= 255)
        return value + 1024;
    return value;
}

bool TRtfReader::CharWord(int word, bool hasParam, std::int32_t param, TCharFormat& target, bool withControls) {
    const std::int32_t flag = hasParam ? param : 1;
    const std::int32_t onOff = flag != 0 ? 1 : 0;
    static constexpr std::pair<int, std::int32_t> underlines[] = {
        {rwUlnone, 0},      {rwUlw, 2},       {rwUldb, 3},     {rwUld, 4},         {rwUlth, 6},       {rwUldash, 7},
        {rwUldashd, 9},     {rwUldashdd, 10}, {rwUlwave, 11},  {rwUlthd, 20},      {rwUlthdash, 23},  {rwUlthdashd, 25},
        {rwUlthdashdd, 26}, {rwUlhwave, 27},  {rwUlldash, 39}, {rwUluldbwave, 43}, {rwUlthldash, 55},
    };
    for (const auto& [w, kind] : underlines)
        if (w == word) {
            SetCharAttr(target, caUnderline, kind, false, withControls);
            return true;
        }
    switch (word) {
        case rwB:
            SetCharAttr(target, caBold, onOff, true, withControls);
            return true;
        case rwI:
            SetCharAttr(target, caItalic, onOff, true, withControls);
            return true;
        case rwStrike:
            SetCharAttr(target, caStrike, onOff, true, withControls);
            return true;
        case rwStriked:
            SetCharAttr(target, caDoubleStrike, onOff, false, withControls);
            return true;
        case rwUl:
            SetCharAttr(target, caUnderline, onOff, false, withControls);
            return true;
        case rwUlc:
            SetCharAttr(target, caUnderlineColor, Color(param), false, withControls);
            return true;
        case rwCs:
            SetCharAttr(target, caCharStyle, param, false, withControls);
            return true;
        case rwScaps:
            SetCharAttr(target, caSmallCaps, onOff, true, withControls);
            return true;
        case rwCaps:
            SetCharAttr(target, caAllCaps, onOff, true, withControls);
            return true;
        case rwShad:
            SetCharAttr(target, caShadow, onOff, true, withControls);
            return true;
        case rwOutl:
            SetCharAttr(target, caOutline, onOff, true, withControls);
            return true;
        case rwEmbo:
            SetCharAttr(target, caEmboss, onOff, true, withControls);
            return true;
        case rwImpr:
            SetCharAttr(target, caEngrave, onOff, true, withControls);
            return true;
        case rwCf:
            SetCharAttr(target, caColor, Color(param), false, withControls);
            return true;
        case rwHighlight:
            SetCharAttr(target, caHighlight, Color(param), false, withControls);
            return true;
        case rwChcbpat:
            if (CharShading == 0 && CharPattern == AutoColor)
                SetCharAttr(target, caHighlight, Color(param), false, withControls);
            return true;
        case rwChshdng:
            CharShading = param;
            return true;
        case rwChcfpat:
            CharPattern = Color(param);
            return true;
        case rwNosupersub:
            SetCharAttr(target, caScript, 0, false, withControls);
            return true;
        case rwSuper:
            SetCharAttr(target, caScript, 1, false, withControls);
            return true;
        case rwSub:
            SetCharAttr(target, caScript, 2, false, withControls);
            return true;
        case rwCharscalex:
            if (param >= 1 && param <= 600)
                SetCharAttr(target, caScale, param, false, withControls);
            return true;
        case rwExpnd:
            SetCharAttr(target, caSpacing, param * 5, false, withControls);
            return true;
        case rwExpndtw:
            SetCharAttr(target, caSpacing, param, false, withControls);
            return true;
        case rwUp:
            SetCharAttr(target, caOffset, param / 2, false, withControls);
            return true;
        case rwDn:
            SetCharAttr(target, caOffset, -(param / 2), false, withControls);
            return true;
        case rwKerning:
            SetCharAttr(target, caKerning, param, false, withControls);
            return true;
        case rwLang:
            SetCharAttr(target, caLanguage, NormalizedLanguage(param, Doc.DefaultLanguage), false, withControls);
            return true;
        case rwF: {
            const TFontEntry* entry = FontEntryOf(param);
            SetCharAttr(target, caFont, entry->FontIndex, false, withControls);
            if (&target == &State.Char)
                State.CodePage = SourceCodePage(entry->Charset);
            return true;
        }
        case rwFs:
            if (param >= 2 && param <= 2000)
                SetCharAttr(target, caSize, param, false, withControls);
            return true;
        case rwPlain:
            Plain(target, withControls);
            return true;
        default:
            return false;
    }
}

void TRtfReader::Plain(TCharFormat& target, bool withControls) {
    TCharFormat plain = DefaultCharFormat;
    plain[caFont] = DefaultFont.FontIndex;
    plain[caLanguage] = Doc.DefaultLanguage;
    for (int attr = 0; attr < CharAttrCount; ++attr)
        if (plain[attr] != target[attr] || attr == caLanguage)
            SetCharAttr(target, attr, plain[attr], false, withControls);
    if (&target == &State.Char)
        State.CodePage = SourceCodePage(DefaultFont.Charset);
    CharShading = 0;
    CharPattern = AutoColor;
}

void TRtfReader::Pard() {
    TParFormat& f = Par->Format;
    const std::int8_t pageBreak = f.PageBreakBefore;
    f = DefaultParFormat;
    if (Par->Chars.Size > 0)
        f.PageBreakBefore = pageBreak;
    f.WidowControl = DefaultWidowControl;
    PendingTabs.Clear();
    PendingTabKind = 0;
    PendingTabLeader = 0;
    InitBorderSet(PendingBorders);
    BordersPending = false;
    BorderTarget = btNone;
    ParShading = 0;
    ParPattern = AutoColor;
    DropCapKind = DropCapLines = DropCapDistance = 0;
}

bool TRtfReader::ParWord(int word, bool hasParam, std::int32_t param, TParFormat& f, bool body) {
    const std::int32_t flag = hasParam ? param : 1;
    const auto i16 = [](std::int32_t v) { return static_cast<std::int16_t>(std::clamp(v, -32767, 32767)); };
    switch (word) {
        case rwPard:
            if (body)
                Pard();
            else
                f = DefaultParFormat;
            return true;
        case rwFi:
            f.FirstIndent = i16(param);
            return true;
        case rwLi:
            f.LeftIndent = i16(param);
            return true;
        case rwRi:
            f.RightIndent = i16(param);
            return true;
        case rwSl:
            f.LineSpacing = i16(param == 0 || param == 1000 ? 240 : param);
            f.LineSpacingMultiple = 0;
            return true;
        case rwSlmult:
            f.LineSpacingMultiple = static_cast<std::int16_t>(param != 0 ? 1 : 0);
            if (!ParPropIsUnset(f, ppLineSpacing) && f.LineSpacing < 0)
                f.LineSpacingMultiple = 0;
            return true;
        case rwQl:
        case rwQc:
        case rwQr:
        case rwQj:
            f.Alignment = static_cast<std::int8_t>(word == rwQl ? 0 : word == rwQc ? 1 : word == rwQr ? 2 : 3);
            return true;
        case rwKeepn:
            f.KeepWithNext = 1;
            return true;
        case rwKeepnoff:
            f.KeepWithNext = 0;
            return true;
        case rwKeep:
            f.KeepTogether = 1;
            return true;
        case rwKeepoff:
            f.KeepTogether = 0;
            return true;
        case rwPagebb:
            f.PageBreakBefore = 1;
            return true;
        case rwPagebboff:
            f.PageBreakBefore = 0;
            return true;
        case rwWidctlpar:
            f.WidowControl = 1;
            return true;
        case rwNowidctlpar:
            f.WidowControl = 0;
            return true;
        case rwHyphpar:
            f.NoHyphenation = static_cast<std::int8_t>((flag != 0 ? 1 : 0) ^ 1);
            return true;
        case rwSb:
            f.SpaceBefore = i16(param);
            return true;
        case rwSa:
            f.SpaceAfter = i16(param);
            return true;
        case rwSbauto:
        case rwSaauto: {
            const int prop = word == rwSbauto ? ppSpaceBefore : ppSpaceAfter;
            if (param == 1)
                SetParProp(f, prop, -20);
            else if (GetParProp(f, prop) == -20)
                SetParProp(f, prop, 0);
            return true;
        }
        case rwContextualspace:
            f.ContextualSpacing = static_cast<std::int8_t>(flag != 0);
            return true;
        case rwNoline:
            f.SuppressLineNumbers = static_cast<std::int8_t>(flag != 0);
            return true;
        case rwS: {
            std::int32_t index = 0;
            for (std::int32_t i = Doc.Styles->Count - 1; i >= 0; --i)
                if (Doc.Styles->Style(i)->FileNumber == param) {
                    index = i;
                    break;
                }
            f.Style = static_cast<std::int16_t>(index);
            return true;
        }
        case rwOutlinelevel:
            f.OutlineLevel = static_cast<std::int8_t>(param < 0 || param > 9 ? 9 : param);
            return true;
        case rwLs:
            if (TAutoList* list = ListOfNumber(param))
                f.List = static_cast<std::int32_t>(ObjectHandle(list));
            return true;
        case rwIlvl:
            f.ListLevel = static_cast<std::int8_t>(std::clamp(param, 0, 8));
            return true;
        case rwCollapsedh:
            if (!Options.NotMainText && !Options.IntoTable) {
                f.Collapsed = 1;
                Outcome.HasCollapsedHeadings = true;
            }
            return true;
        case rwShading:
            ParShading = param;
            return true;
        case rwCfpat:
            ParPattern = Color(param);
            return true;
        case rwCbpat:
            if (ParShading == 0 && ParPattern == AutoColor && Color(param) != AutoColor)
                f.Shading = Color(param);
            return true;
        case rwTqc:
            PendingTabKind = 1;
            return true;
        case rwTqr:
            PendingTabKind = 2;
            return true;
        case rwTqdec:
            PendingTabKind = 3;
            return true;
        case rwJclisttab:
            PendingTabKind = 6;
            return true;
        case rwTldot:
            PendingTabLeader = 1;
            return true;
        case rwTlhyph:
            PendingTabLeader = 2;
            return true;
        case rwTlul:
            PendingTabLeader = 3;
            return true;
        case rwTx:
            if (PendingTabKind != 6 && param >= 0)
                AddRtfTabStop(PendingTabs, param, PendingTabKind, PendingTabLeader);
            PendingTabKind = 0;
            PendingTabLeader = 0;
            return true;
        case rwTb:
            if (param >= 0)
                AddRtfTabStop(PendingTabs, param, 4, 0);
            PendingTabKind = 0;
            PendingTabLeader = 0;
            return true;
        // A drop cap belongs to a paragraph of the text; in a style or a
        // list level the words mean nothing.
        case rwDropcapt:
            if (body)
                DropCapKind = param;
            return true;
        case rwDropcapli:
            if (body)
                DropCapLines = param;
            return true;
        case rwDxfrtext:
            if (body)
                DropCapDistance = param;
            return true;
        default:
            return BorderWord(word, param);
    }
}

bool TRtfReader::BorderWord(int word, std::int32_t param) {
    static constexpr std::pair<int, std::int32_t> kinds[] = {
        {rwBrdrs, 1},       {rwBrdrth, 2},          {rwBrdrdb, 3},        {rwBrdrhair, 5},     {rwBrdrdot, 6},
        {rwBrdrdash, 7},    {rwBrdrdashd, 8},       {rwBrdrdashdd, 9},    {rwBrdrtriple, 10},  {rwBrdrtnthsg, 11},
        {rwBrdrthtnsg, 12}, {rwBrdrtnthtnsg, 13},   {rwBrdrtnthmg, 14},   {rwBrdrthtnmg, 15},  {rwBrdrtnthtnmg, 16},
        {rwBrdrtnthlg, 17}, {rwBrdrthtnlg, 18},     {rwBrdrtnthtnlg, 19}, {rwBrdrwavy, 20},    {rwBrdrwavydb, 21},
        {rwBrdrdashsm, 22}, {rwBrdrdashdotstr, 23}, {rwBrdremboss, 24},   {rwBrdrengrave, 25}, {rwBrdroutset, 26},
        {rwBrdrinset, 27},  {rwBrdrnone, 255},
    };
    switch (word) {
        case rwBrdrt:
            BorderTarget = btPar, BorderIndex = bsTop, BordersPending = true;
            return true;
        case rwBrdrl:
            BorderTarget = btPar, BorderIndex = bsLeft, BordersPending = true;
            return true;
        case rwBrdrb:
            BorderTarget = btPar, BorderIndex = bsBottom, BordersPending = true;
            return true;
        case rwBrdrr:
            BorderTarget = btPar, BorderIndex = bsRight, BordersPending = true;
            return true;
        case rwBrdrbtw:
            BorderTarget = btPar, BorderIndex = bsInside, BordersPending = true;
            return true;
        case rwClbrdrl:
        case rwClbrdrt:
        case rwClbrdrr:
        case rwClbrdrb:
            BorderTarget = btCell;
            BorderIndex = word == rwClbrdrl ? 0 : word == rwClbrdrt ? 1 : word == rwClbrdrr ? 2 : 3;
            return true;
        case rwTrbrdrl:
        case rwTrbrdrt:
        case rwTrbrdrr:
        case rwTrbrdrb:
        case rwTrbrdrh:
        case rwTrbrdrv:
            BorderTarget = btRow;
            BorderIndex = word == rwTrbrdrl   ? tbLeft
                          : word == rwTrbrdrt ? tbTop
                          : word == rwTrbrdrr ? tbRight
                          : word == rwTrbrdrb ? tbBottom
                          : word == rwTrbrdrh ? tbInsideH
                                              : tbInsideV;
            return true;
        default:
            break;
    }
    std::int32_t kind = -1;
    for (const auto& [w, k] : kinds)
        if (w == word)
            kind = k;
    if (kind < 0 && word != rwBrdrw && word != rwBrdrcf && word != rwBrsp)
        return false;
    if (BorderTarget == btNone)
        return true;
    std::int32_t value = param;
    if (word == rwBrdrcf)
        value = Color(param);
    if (BorderTarget == btPar) {
        TBorder& b = PendingBorders.Borders[BorderIndex];
        if (kind >= 0)
            b.Type = kind;
        else if (word == rwBrdrw)
            b.Width = value;
        else if (word == rwBrdrcf)
            b.Color = value;
        else
            b.Spacing = value;
        return true;
    }
    TTableBorder& b = BorderTarget == btCell ? PendingCell.Borders[BorderIndex] : Row->Data.Borders[BorderIndex];
    if (kind >= 0)
        b.Kind = kind == 255 ? 0 : kind;
    else if (word == rwBrdrw)
        b.Width = value;
    else if (word == rwBrdrcf)
        b.Color = value;
    else
        b.Spacing = value;
    return true;
}

void TRtfReader::BodyWord(int word, bool hasParam, std::int32_t param) {
    if (InShape && ShapeWord(RtfControlWords[static_cast<std::size_t>(word)], hasParam, param))
        return;
    if (CharWord(word, hasParam, param, State.Char, true))
        return;
    if (ParWord(word, hasParam, param, Par->Format, true))
        return;
    if (TableWord(word, hasParam, param) || SectionWord(word, hasParam, param) || DocumentWord(word, hasParam, param))
        return;
    const bool skip = State.Skip;
    const bool otherStory = Options.NotMainText || Options.IntoTable;
    switch (word) {
        case rwPar:
            if (!skip)
                ParagraphEnd();
            return;
        case rwTab:
            if (!skip)
                AppendSpecial(chTab);
            return;
        case rwLine:
            if (!skip)
                AppendSpecial(chLineBreak);
            return;
        case rwPage:
            if (!skip)
                AppendSpecial(Par->Format.InTable != 0 || otherStory ? chLineBreak : chPageBreak);
            return;
        case rwColumn:
            if (!skip)
                AppendSpecial(Par->Format.InTable != 0 || otherStory ? chLineBreak : chColumnBreak);
            return;
        case rwEmdash:
            if (!skip)
                AppendSpecial(chEmDash);
            return;
        case rwEndash:
            if (!skip)
                AppendSpecial(chEnDash);
            return;
        case rwChftn:
            AppendSpecial(chNoteRef);
            return;
        case rwChpgn:
            if (!skip)
                PageNumberField();
            return;
        case rwBullet:
        case rwLquote:
        case rwRquote:
        case rwLdblquote:
        case rwRdblquote: {
            if (skip)
                return;
            const char16_t c = word == rwBullet      ? u'\u2022'
                               : word == rwLquote    ? u'\u2018'
                               : word == rwRquote    ? u'\u2019'
                               : word == rwLdblquote ? u'\u201C'
                                                     : u'\u201D';
            AppendWide(c);
            return;
        }
        case rwDeleted:
            State.Skip = !hasParam || param != 0;
            return;
        case rwMac:
            MacText = true;
            if (!FontTableRead)
                State.CodePage = MacCodePage;
            return;
        default:
            return;
    }
}

bool TRtfReader::TableWord(int word, bool hasParam, std::int32_t param) {
    // A text box's text flows into the paragraph it stands in, which may
    // itself be a cell: a table of the box arrives as plain paragraphs.
    const bool refused = Options.TablesRefused || TextBoxDepth > 0;
    TTableRowData& r = Row->Data;
    const auto pad = [](std::int32_t v) { return std::clamp(v, 0, MaxTwips); };
    switch (word) {
        case rwTrowd: {
            if (!Doc.TableRowList.Contains(Row))
                delete Row;
            Row = new TTableRow;
            for (auto& b : Row->Data.Borders)
                b.Color = AutoColor;
            Row->Data.Background = AutoColor;
            Row->Data.PatternColor = UnsetValue;
            Row->Data.Shading = UnsetValue;
            // The cell ends read so far stay counted: writers repeat a row's
            // definition after its cells, just before "row", and those cells
            // belong to the row that "row" ends.
            ResetPendingCell();
            BorderTarget = btNone;
            return true;
        }
        case rwTrleft:
            r.LeftEdge = std::clamp(param, -MaxTwips, MaxTwips);
            return true;
        case rwTrrh:
            r.Height = std::clamp(param, -MaxTwips, MaxTwips);
            return true;
        case rwTrgaph:
            r.Padding[0] = r.Padding[2] = pad(param);
            return true;
        case rwTrpaddl:
            r.Padding[0] = pad(param);
            return true;
        case rwTrpaddt:
            r.Padding[1] = pad(param);
            return true;
        case rwTrpaddr:
            r.Padding[2] = pad(param);
            return true;
        case rwTrpaddb:
            r.Padding[3] = pad(param);
            return true;
        case rwTrpaddfl:
        case rwTrpaddft:
        case rwTrpaddfr:
        case rwTrpaddfb:
        case rwClpadfl:
        case rwClpadft:
        case rwClpadfr:
        case rwClpadfb:
            return true;
        case rwTrql:
            r.Alignment = taLeft;
            return true;
        case rwTrqc:
            r.Alignment = taCentre;
            return true;
        case rwTrqr:
            r.Alignment = taRight;
            return true;
        case rwTrhdr:
            r.HeaderRow = 1;
            return true;
        case rwTrkeep:
            r.KeepTogether = 1;
            return true;
        case rwTrftswidth:
            RowWidthUnit = param;
            return true;
        case rwTrwwidth:
            r.PreferredWidth = RowWidthUnit == 2 ? param : 0;
            return true;
        case rwTrcbpat:
            r.Background = Color(param);
            return true;
        case rwTrcfpat:
            r.PatternColor = Color(param);
            return true;
        case rwTrshdng:
            if (param >= 0 && param <= 10000)
                r.Shading = param;
            return true;
        case rwClpadl:
            PendingCell.Padding[0] = pad(param);
            return true;
        case rwClpadt:
            PendingCell.Padding[1] = pad(param);
            return true;
        case rwClpadr:
            PendingCell.Padding[2] = pad(param);
            return true;
        case rwClpadb:
            PendingCell.Padding[3] = pad(param);
            return true;
        case rwClvertalt:
            PendingCell.VerticalAlignment = 0;
            return true;
        case rwClvertalc:
            PendingCell.VerticalAlignment = 1;
            return true;
        case rwClvertalb:
            PendingCell.VerticalAlignment = 2;
            return true;
        case rwClvmgf:
            PendingCell.FirstOfMerge = 1;
            PendingCell.Merged = 1;
            return true;
        case rwClvmrg:
            PendingCell.Merged = 1;
            return true;
        case rwClrltvwdth:
            PendingCell.RelativeWidth = 1;
            return true;
        case rwClcbpat:
            PendingCell.Background = Color(param);
            return true;
        case rwClcfpat:
            PendingCell.PatternColor = Color(param);
            return true;
        case rwClshdng:
            if (param >= 0 && param <= 10000)
                PendingCell.Shading = param;
            return true;
        case rwCellx:
            if (!refused && r.CellCount < MaxTableCells) {
                PendingCell.RightEdge = std::min(param, MaxTwips);
                r.Cells[r.CellCount++] = PendingCell;
                ResetPendingCell();
            }
            BorderTarget = btNone;
            return true;
        case rwIntbl:
            if (!refused) {
                Par->Format.InTable = 1;
                Outcome.HasTables = true;
            }
            return true;
        case rwCell:
            if (State.Skip)
                return true;
            if (refused || CellEnds >= MaxTableCells) {
                ParagraphEnd();
                return true;
            }
            CellEnd();
            return true;
        case rwRow:
            if (!refused && !State.Skip)
                RowEnd();
            return true;
        default:
            (void)hasParam;
            return false;
    }
}

void TRtfReader::ResetPendingCell() {
    PendingCell = TTableCell{};
    for (auto& b : PendingCell.Borders)
        b.Color = AutoColor;
    PendingCell.Background = AutoColor;
    PendingCell.PatternColor = UnsetValue;
    PendingCell.Shading = -1;
    PendingCell.Span = 1;
}

void TRtfReader::CellEnd() {
    Par->Format.InTable = 1;
    Outcome.HasTables = true;
    AppendFormatControl(Par->Stream, fcCellEnd, 0);
    Par->Chars.AppendByte(chCellEnd);
    ++CellEnds;
    StartNextParagraph();
}

void TRtfReader::RowEnd() {
    TTableRowData& r = Row->Data;
    // Cells that were defined but never ended become empty cells of their
    // own, so that the row keeps one cell paragraph per definition.
    if (Par->Chars.Size > 0) {
        // Text before "row" that no "cell" ended stays as a cell of its own.
        if (CellEnds < MaxTableCells)
            CellEnd();
        else
            ParagraphEnd();
    }
    while (CellEnds < r.CellCount)
        CellEnd();
    while (r.CellCount < CellEnds && r.CellCount < MaxTableCells) {
        TTableCell cell;
        const TTableCell saved = PendingCell;
        ResetPendingCell();
        cell = PendingCell;
        PendingCell = saved;
        const std::int32_t previous = r.CellCount == 0 ? r.LeftEdge : r.Cells[r.CellCount - 1].RightEdge;
        cell.RightEdge = std::min(previous + 720, MaxTwips);
        r.Cells[r.CellCount++] = cell;
    }
    // The row-end mark has the character format in force at "row", as a
    // cell's marks have theirs: its size sets the height of the row's end.
    Par->Stream.Clear();
    Par->Chars.Clear();
    AppendCurrentCharFormat();
    Par->Format.InTable = 1;
    AppendFormatControl(Par->Stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(Row)));
    Par->Chars.AppendByte(chRowEnd);
    Doc.TableRowList.Add(Row);
    Outcome.HasTables = true;
    auto* next = new TTableRow;
    next->Data = Row->Data;
    Row = next;
    CellEnds = 0;
    ++RowsRead;
    StartNextParagraph();
}

bool TRtfReader::SectionWord(int word, bool hasParam, std::int32_t param) {
    if (Doc.Sections.Count == 0)
        return false;
    TSection* section = Doc.Sections.At<TSection>(Doc.Sections.Count - 1);
    TSection* first = Doc.Sections.At<TSection>(0);
    TPageSetup& ps = section->PageSetup;
    TSectionFormat& sf = section->Format;
    const std::int32_t flag = hasParam ? param : 1;
    switch (word) {
        case rwSect:
            if (Options.NotMainText || Options.IntoTable || Par->Format.InTable != 0)
                ParagraphEnd();
            else
                SectionBreak();
            return true;
        case rwSectd:
            if (Doc.Sections.Count >= 2) {
                const TNoteSettings foot = section->FootnoteSettings, end = section->EndnoteSettings;
                const std::uint8_t mirror = ps.MirrorMargins, facing = ps.FacingPages;
                section->SetDefaults();
                section->FootnoteSettings = foot;
                section->EndnoteSettings = end;
                section->PageSetup.MirrorMargins = mirror;
                section->PageSetup.FacingPages = facing;
                section->PageSetup.PageWidth = first->PageSetup.PageWidth;
                section->PageSetup.PageHeight = first->PageSetup.PageHeight;
                section->PageSetup.LeftMargin = first->PageSetup.LeftMargin;
                section->PageSetup.RightMargin = first->PageSetup.RightMargin;
                section->PageSetup.TopMargin = first->PageSetup.TopMargin;
                section->PageSetup.BottomMargin = first->PageSetup.BottomMargin;
            }
            return true;
        case rwSbknone:
        case rwSbkpage:
        case rwSbkeven:
        case rwSbkodd:
            if (Doc.Sections.Count >= 2)
                Doc.Sections.At<TSection>(Doc.Sections.Count - 2)->Format.BreakKind =
                    static_cast<std::uint8_t>(word == rwSbknone   ? 0
                                              : word == rwSbkpage ? 1
                                              : word == rwSbkeven ? 2
                                                                  : 3);
            return true;
        case rwPaperw:
        case rwPgwsxn:
            ps.PageWidth = param;
            return true;
        case rwPaperh:
        case rwPghsxn:
            ps.PageHeight = param;
            return true;
        case rwMargl:
        case rwMarglsxn:
            ps.LeftMargin = param;
            return true;
        case rwMargr:
        case rwMargrsxn:
            ps.RightMargin = param;
            return true;
        case rwMargt:
        case rwMargtsxn:
            ps.TopMargin = param;
            return true;
        case rwMargb:
        case rwMargbsxn:
            ps.BottomMargin = param;
            return true;
        case rwHeadery:
            ps.HeaderDistance = param;
            return true;
        case rwFootery:
            ps.FooterDistance = param;
            return true;
        case rwLandscape:
        case rwLndscpsxn:
            ps.Orientation = 1;
            return true;
        case rwMargmirror:
            first->PageSetup.MirrorMargins = 1;
            return true;
        case rwFacingp:
            first->PageSetup.FacingPages = 1;
            return true;
        case rwTitlepg:
            ps.DifferentFirstPage = 1;
            return true;
        case rwCols:
            sf.ColumnCount = std::clamp(param, 1, 64);
            return true;
        case rwColsx:
            sf.ColumnSpacing = param;
            return true;
        case rwColno:
            ColumnNumber = std::clamp(param, 1, sf.ColumnCount);
            return true;
        case rwColw:
        case rwColsr:
            if (ColumnNumber >= 1) {
                sf.ColumnTable[ColumnNumber - 1][word == rwColw ? 1 : 2] = param;
                sf.EqualColumns = 0;
            }
            return true;
        case rwLinebetcol:
            sf.LineBetween = 1;
            return true;
        case rwPgndec:
        case rwPgnlcltr:
        case rwPgnucltr:
        case rwPgnlcrm:
        case rwPgnucrm:
            section->PageNumberStyle = static_cast<std::uint8_t>(word == rwPgndec     ? pnDecimal
                                                                 : word == rwPgnlcltr ? pnLowerLetter
                                                                 : word == rwPgnucltr ? pnUpperLetter
                                                                 : word == rwPgnlcrm  ? pnLowerRoman
                                                                                      : pnUpperRoman);
            return true;
        case rwPgncont:
            section->PageNumberStart = -1;
            return true;
        case rwPgnrestart:
            section->PageNumberStart = 1;
            return true;
        case rwPgnstarts:
            section->PageNumberStart = param;
            return true;
        case rwLinemod:
            ps.LineNumberStep = param >= 0 && param <= 100 ? param : 0;
            return true;
        case rwLinex:
            ps.LineNumberDistance = param >= 0 && param <= MaxTwips ? param : 0;
            return true;
        case rwLinestarts:
            ps.LineNumberStart = param >= 1 && param <= 32767 ? param : 1;
            return true;
        case rwLineppage:
            ps.LineNumberRestart = 0;
            return true;
        case rwLinerestart:
            ps.LineNumberRestart = 1;
            return true;
        case rwLinecont:
            ps.LineNumberRestart = 2;
            return true;
        case rwEndnhere:
            ps.EndnotesNotHere = 0;
            return true;
        case rwSectfullsaved:
            section->ReaderValues.Second = 1;
            return true;
        default:
            break;
    }
    // Note settings.
    TNoteSettings& fn = section->FootnoteSettings;
    TNoteSettings& en = section->EndnoteSettings;
    const std::int32_t start = std::clamp(param, 1, 16383);
    switch (word) {
        case rwFtnbj:
        case rwSftnbj:
            fn.Position = 1;
            return true;
        case rwFtntj:
        case rwSftntj:
            fn.Position = 2;
            return true;
        case rwFtnnar:
        case rwSftnnar:
            fn.NumberFormat = 0;
            return true;
        case rwFtnnruc:
        case rwSftnnruc:
            fn.NumberFormat = 1;
            return true;
        case rwFtnnrlc:
        case rwSftnnrlc:
            fn.NumberFormat = 2;
            return true;
        case rwFtnnauc:
        case rwSftnnauc:
            fn.NumberFormat = 3;
            return true;
        case rwFtnnalc:
        case rwSftnnalc:
            fn.NumberFormat = 4;
            return true;
        case rwFtnnchi:
        case rwSftnnchi:
            fn.NumberFormat = 9;
            return true;
        case rwFtnrstcont:
        case rwSftnrstcont:
            fn.Restart = 0;
            return true;
        case rwFtnrestart:
        case rwSftnrestart:
            fn.Restart = 1;
            return true;
        case rwFtnrstpg:
        case rwSftnrstpg:
            fn.Restart = 2;
            return true;
        case rwFtnstart:
        case rwSftnstart:
            fn.StartNumber = start;
            return true;
        case rwAendnotes:
            en.Position = 0;
            return true;
        case rwAenddoc:
            en.Position = 3;
            return true;
        case rwAftnnar:
        case rwSaftnnar:
            en.NumberFormat = 0;
            return true;
        case rwAftnnruc:
        case rwSaftnnruc:
            en.NumberFormat = 1;
            return true;
        case rwAftnnrlc:
        case rwSaftnnrlc:
            en.NumberFormat = 2;
            return true;
        case rwAftnnauc:
        case rwSaftnnauc:
            en.NumberFormat = 3;
            return true;
        case rwAftnnalc:
        case rwSaftnnalc:
            en.NumberFormat = 4;
            return true;
        case rwAftnnchi:
        case rwSaftnnchi:
            en.NumberFormat = 9;
            return true;
        case rwAftnrstcont:
        case rwSaftnrstcont:
            en.Restart = 0;
            return true;
        case rwAftnrestart:
        case rwSaftnrestart:
            en.Restart = 1;
            return true;
        case rwAftnstart:
        case rwSaftnstart:
            en.StartNumber = start;
            return true;
        case rwFtnalt:
            if (NoteBody != nullptr)
                NoteIsEndnote = true;
            return true;
        default:
            (void)flag;
            return false;
    }
}

bool TRtfReader::DocumentWord(int word, bool hasParam, std::int32_t param) {
    const std::int32_t flag = hasParam ? param : 1;
    switch (word) {
        case rwDeftab:
            Doc.DefaultTabWidth = param < 1 ? 720 : param;
            return true;
        case rwDeflang:
            Doc.DefaultLanguage = NormalizedLanguage(param, Doc.DefaultLanguage);
            SetCharAttr(State.Char, caLanguage, Doc.DefaultLanguage, false, Top().Kind == fkBody);
            return true;
        case rwDeflangcoding:
            return true;
        case rwViewscale:
            if (param >= 10 && param <= 500)
                Doc.Zoom = param;
            return true;
        case rwViewzk:
            if (param >= 0 && param <= 3) {
                static constexpr std::uint8_t modes[] = {zmPercent, zmWholePage, zmPageWidth, zmTextWidth};
                Doc.ZoomMode = modes[param];
            }
            return true;
        case rwWidowctrl:
            DefaultWidowControl = 1;
            if (Doc.ParCount() > 0)
                Doc.Par(0)->Format.WidowControl = 1;
            return true;
        case rwHyphauto:
            Doc.Hyphenation.Automatic = static_cast<std::uint8_t>(flag != 0);
            return true;
        case rwHyphcaps:
            Doc.Hyphenation.HyphenateCaps = static_cast<std::uint8_t>(flag != 0);
            return true;
        case rwHyphconsec:
            Doc.Hyphenation.ConsecutiveLimit = param;
            return true;
        case rwHyphhotz:
            Doc.Hyphenation.Zone = param;
            return true;
        case rwZududevuzi:
            Outcome.IsZududeVuzi = true;
            return true;
        case rwShpsel:
            if (!Options.IntoNote)
                Outcome.ShapeSelection = true;
            return true;
        case rwTblseltype:
            Outcome.TableSelectionType = param;
            return true;
        case rwDskparnr:
            Outcome.CaretPar = param;
            return true;
        case rwDskcharnr:
            Outcome.CaretChar = param;
            return true;
        case rwWrttarg:
        case rwWrttargrelto:
        case rwWrttargtype:
        case rwVersion:
        case rwNofpages:
        case rwNofwords:
        case rwNofchars:
        case rwNofcharsws:
            return true;
        default:
            return false;
    }
}

// --- Paragraphs, rows and sections ------------------------------------

void TRtfReader::CommitPendingTabsAndBorders() {
    if (Par == nullptr)
        return;
    if (PendingTabs.Count > 0) {
        Par->Format.Tabs = static_cast<std::int16_t>(InternRtfTabStops(PendingTabs));
        PendingTabs.Clear();
    }
    if (BordersPending) {
        Par->Format.Borders = static_cast<std::int16_t>(InternBorderSet(PendingBorders));
        InitBorderSet(PendingBorders);
        BordersPending = false;
    }
}

void TRtfReader::ParagraphEnd() {
    if (State.Skip)
        return;
    if (JoinDropCap())
        return;
    AppendSpecial(chParEnd);
    StartNextParagraph();
}

// A paragraph that holds a drop cap's letters is a frame of its own in the
// file; here the letters become a drop-cap field at the start of the
// paragraph that follows, which continues in the same paragraph: no mark
// ends it and no new paragraph begins. Notes, headers and footers, tables
// and text pasted into them cannot hold a drop cap, and their frames stay
// paragraphs.
bool TRtfReader::JoinDropCap() {
    const std::int32_t kind = DropCapKind;
    if (kind != 1 && kind != 2)
        return false;
    if (Par->Chars.Size == 0 || Par->Format.InTable != 0 || NoteBody != nullptr || HeaderField != nullptr ||
        Options.NotMainText || Options.IntoTable)
        return false;
    // One drop cap to a paragraph: a frame that is not ended by "pard"
    // does not make the rest of the paragraph a second one.
    DropCapKind = 0;
    TDropCapDescription settings;
    settings.Position = static_cast<std::uint8_t>(kind);
    settings.Lines = static_cast<std::uint8_t>(std::clamp(DropCapLines, 1, DropCapMaxLines));
    settings.Distance = static_cast<std::uint16_t>(std::clamp<std::int32_t>(DropCapDistance, 0, 0x7FFF));
    const TParFormat& f = Par->Format;
    if (f.LineSpacingMultiple == 0 && f.LineSpacing < 0)
        SetDropCapLineHeight(settings, -f.LineSpacing);
    TField* cap = NewDropCapField(settings);
    Doc.Fields.Add(cap);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(cap));
    InsertFormatControl(Par->Stream, 0, fcFieldStart, handle);
    ++StreamInsertions;
    AppendControl(fcFieldEnd, handle);
    Par->Changed();
    DropCapsRead.push_back(cap);
    return true;
}

// A drop cap joined to what followed it may still be one the text cannot
// keep: nothing followed it, or a table row or a second frame did. Such a
// drop cap is taken away; its letters stay as text.
void TRtfReader::ValidateDropCapsRead() {
    if (DropCapsRead.empty())
        return;
    auto* op = new TOperation(&Doc, 0);
    Doc.BeginOperation(op);
    for (TField* cap : DropCapsRead) {
        TFragment range;
        if (Doc.Fields.Contains(cap) && Doc.FieldRange(cap, range))
            ValidateDropCaps(Doc, range.Start.Par);
    }
    Doc.EndOperation();
    Doc.CommitOperation(op);
    Doc.ClearUndoHistory();
    DropCapsRead.clear();
}

TPar* TRtfReader::NewPar() {
    auto* par = new TPar(&Doc);
    par->Format = Par->Format;
    Doc.Pars.Add(par);
    return par;
}

void TRtfReader::StartNextParagraph() {
    CommitPendingTabsAndBorders();
    Par = NewPar();
    AppendCurrentCharFormat();
}

void TRtfReader::AppendCurrentCharFormat() {
    for (int attr = fcLastCharAttr; attr >= 0; --attr)
        if (State.Char[attr] != DefaultCharFormat[attr])
            AppendControl(static_cast<std::uint8_t>(attr), State.Char[attr]);
}

void TRtfReader::SectionBreak() {
    TSection* last = Doc.Sections.At<TSection>(Doc.Sections.Count - 1);
    AppendFormatControl(Par->Stream, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(last)));
    Par->Chars.AppendByte(chSectionBreak);
    auto* section = new TSection(&Doc);
    section->Assign(*last);
    for (int i = 0; i < HeaderFooterSlotCount; ++i)
        section->HeadersFooters[i] = last->HeadersFooters[i];
    section->PageSetup.EndnotesNotHere = 1;
    Doc.Sections.Add(section);
    ColumnNumber = 0;
    StartNextParagraph();
}

// --- Header tables -----------------------------------------------------

std::int32_t TRtfReader::SourceCodePage(std::int32_t charset) const {
    charset = WindowsCharset(charset);
    if (charset == MacCharset)
        return MacCodePage;
    if (charset == SymbolCharset)
        return 0;
    // A font that declares the Western character set holds single bytes
    // even in a document whose code page is double-byte: East Asian writers
    // give their Western fonts (Courier New for a no-break space, say) set 0
    // and their own fonts the set of the script.
    if (charset == 0 && !MacText && !Platform::IsSingleByteCodePage(AnsiCodePage))
        return 1252;
    if (charset == 0 || charset == 1)
        return MacText ? MacCodePage : AnsiCodePage;
    const std::int32_t cp = CharsetCodePage(static_cast<std::uint8_t>(charset));
    return Platform::IsCodePageAvailable(cp) ? cp : AnsiCodePage;
}

std::int32_t TRtfReader::RegisteredCharset(std::int32_t charset) const {
    charset = WindowsCharset(charset);
    if (charset == MacCharset)
        return 0;
    if (charset == 0 || charset == 1) {
        const std::int32_t cp = MacText ? MacCodePage : AnsiCodePage;
        if (cp >= 1250 && cp <= 1257)
            return CodePageCharset(cp);
        return 0;
    }
    return charset;
}

const TFontEntry* TRtfReader::FontEntryOf(std::int32_t number) const {
    auto it = std::lower_bound(Fonts.begin(), Fonts.end(), number,
                               [](const TFontEntry& e, std::int32_t n) { return e.Number < n; });
    if (it != Fonts.end() && it->Number == number)
        return &*it;
    return &DefaultFont;
}

void TRtfReader::FinishFontEntry() {
    std::string name = FontBeingRead.Name.empty() ? CollectedNarrow : FontBeingRead.Name;
    CollectedNarrow.clear();
    while (!name.empty() && (static_cast<std::uint8_t>(name.back()) <= 13 || name.back() == ' ' || name.back() == ';'))
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(0, 1);
    FontNameDone = false;
    if (name.empty())
        return;
    FontBeingRead.Name = name;
    Fonts.push_back(FontBeingRead);
    FontBeingRead = TFontEntry{};
}

void TRtfReader::FinishFontTable(TFrame& frame) {
    FontTableRead = true;
    if (Fonts.empty())
        return;
    for (TFontEntry& e : Fonts) {
        const std::int32_t charset = RegisteredCharset(e.Charset);
        if (FontManager != nullptr)
            e.FontIndex = FontManager->RegisterFont(e.Name, charset, false);
        else
            e.FontIndex = DefaultCharFormat[caFont];
        if (e.FontIndex < 0 || e.FontIndex == UnsetValue)
            e.FontIndex = DefaultCharFormat[caFont];
    }
    DefaultFont = Fonts.front();
    std::stable_sort(Fonts.begin(), Fonts.end(),
                     [](const TFontEntry& a, const TFontEntry& b) { return a.Number < b.Number; });
    // The text after the table starts in the default font: restoring the
    // state saved with the table's group appends the font control.
    frame.State.Char[caFont] = DefaultFont.FontIndex;
    frame.State.CodePage = SourceCodePage(DefaultFont.Charset);
}

void TRtfReader::FinishColorEntry() {
    if (!ColorHasWord)
        Colors.push_back(AutoColor);
    else
        Colors.push_back(ColorComponents[0] | (ColorComponents[1] << 8) | (ColorComponents[2] << 16));
    ColorHasWord = false;
    ColorComponents[0] = ColorComponents[1] = ColorComponents[2] = 0;
}

void TRtfReader::FinishStyle() {
    std::unique_ptr<TStyle> style = std::move(StyleBeingRead);
    if (!style)
        return;
    std::string name = StyleName;
    StyleName.clear();
    while (!name.empty() && (name.back() == ';' || name.back() == ' '))
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(0, 1);
    if (name.size() > 255)
        name.resize(255);
    style->Name = style->DisplayName = name;
    if (StyleCharStyle != UnsetValue) {
        style->IsCharStyle = 1;
        style->FileNumber = StyleCharStyle;
        // The file's note-reference styles give the format of new note
        // references; the first of a name counts.
        static const char* const noteStyles[2] = {"footnote reference", "endnote reference"};
        for (int kind = 0; kind < 2; ++kind) {
            if (NoteStyleRead[kind] || name.size() != std::strlen(noteStyles[kind]) ||
                !std::equal(name.begin(), name.end(), noteStyles[kind],
                            [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; }))
                continue;
            TCharFormat format = style->CharFormat;
            FillUnsetCharFormat(format, DefaultCharFormat);
            Doc.NoteCharFormats[kind][0] = format;
            NoteStyleRead[kind] = true;
            Outcome.NoteReferenceStyles[kind] = StyleCharStyle;
        }
        CharStyles.push_back(std::move(style));
        return;
    }
    if (StyleIsSection)
        return;
    if (name == "Normal" || (StyleNumber == 0 && name.empty())) {
        TStyle* normal = Doc.Styles->Style(0);
        normal->CharFormat = style->CharFormat;
        FillUnsetCharFormat(normal->CharFormat, DefaultCharFormat);
        normal->ParFormat = style->ParFormat;
        FillUnsetParFormat(normal->ParFormat, DefaultParFormat);
        normal->ParFormat.Style = 0;
        normal->FileNumber = StyleNumber == UnsetValue ? 0 : StyleNumber;
        normal->BasedOn = -1;
        normal->HotKey = style->HotKey;
        if (!StyleNextNumbers.empty())
            StyleNextNumbers[0] = StyleNext;
        return;
    }
    if (StyleNumber == UnsetValue)
        return;
    if (!name.empty() && Doc.Styles->IndexOfName(name) >= 0)
        return;
    style->FileNumber = StyleNumber;
    if (style->ParFormat.List != UnsetValue) {
        const std::int32_t number = style->ParFormat.List;
        StyleListNumbers.emplace_back(style.get(), number);
        style->ParFormat.List = UnsetValue;
    }
    Doc.Styles->AddStyle(style.release());
    StyleBasedOnNumbers.push_back(StyleBasedOn);
    StyleNextNumbers.push_back(StyleNext);
}

void TRtfReader::FinishStyleSheet() {
    TStyleList& styles = *Doc.Styles;
    // Styles without a name get "Style n".
    std::int32_t n = 1;
    for (std::int32_t i = 0; i < styles.Count; ++i) {
        TStyle* s = styles.Style(i);
        if (!s->Name.empty())
            continue;
        std::string name;
        do
            name = "Style " + std::to_string(n++);
        while (styles.IndexOfName(name) >= 0);
        s->Name = s->DisplayName = name;
    }
    const auto indexOfNumber = [&](std::int32_t number) {
        for (std::int32_t i = styles.Count - 1; i >= 0; --i)
            if (styles.Style(i)->FileNumber == number)
                return i;
        return -1;
    };
    for (std::int32_t i = 0; i < styles.Count; ++i) {
        TStyle* s = styles.Style(i);
        const std::size_t k = static_cast<std::size_t>(i);
        const std::int32_t next = k < StyleNextNumbers.size() ? StyleNextNumbers[k] : UnsetValue;
        s->NextStyle = next == UnsetValue ? i : std::max(0, indexOfNumber(next));
        const std::int32_t based = k < StyleBasedOnNumbers.size() ? StyleBasedOnNumbers[k] : 222;
        s->BasedOn = based == 222 || i == 0 ? -1 : indexOfNumber(based);
        if (s->BasedOn == i)
            s->BasedOn = -1;
        s->ParFormat.Style = static_cast<std::int16_t>(i);
    }
    // Break based-on loops: a chain that comes back to a style it passed is
    // cut at the style where it closes.
    for (std::int32_t i = 0; i < styles.Count; ++i) {
        std::int32_t slow = i, steps = 0;
        for (std::int32_t at = styles.Style(i)->BasedOn; at >= 0; at = styles.Style(at)->BasedOn) {
            if (at == i || ++steps > styles.Count) {
                styles.Style(slow)->BasedOn = -1;
                break;
            }
            slow = at;
        }
    }
    IdentifyBuiltInStyles(styles);
    // Controls the style words left in the paragraph go.
    Par->Stream.SetSize(std::min(Par->Stream.Size, StyleSheetParLength));
    Par->Chars.SetSize(std::min(Par->Chars.Size, StyleSheetCharLength));
}

TAutoList* TRtfReader::ListOfNumber(std::int32_t number) const {
    for (auto it = ListNumbers.rbegin(); it != ListNumbers.rend(); ++it)
        if (it->first == number)
            return it->second;
    return nullptr;
}

void TRtfReader::FinishListOverride() {
    TAutoList* source = nullptr;
    for (std::size_t i = ListTable.size(); i-- > 1;)
        if (ListTable[i]->FileValue == Override.ListId) {
            source = ListTable[i].get();
            break;
        }
    if (source == nullptr)
        return;
    if (!OverrideStart) {
        for (const auto& [number, list] : ListNumbers)
            if (list->FileValue == Override.ListId) {
                ListNumbers.emplace_back(Override.Number, list);
                return;
            }
    }
    auto* list = new TAutoList;
    list->Assign(*source);
    list->FileValue = Override.ListId;
    list->FileNumbers[0] = Override.Number;
    for (int level = 0; level < list->UsedLevelCount(); ++level)
        if (Override.StartAt[level] != UnsetValue)
            list->Levels[level].StartValue = Override.StartAt[level];
    Doc.Lists.Add(list);
    ListNumbers.emplace_back(Override.Number, list);
}

void TRtfReader::FinishPn() {
    if (PnBefore.empty() && PnAfter.empty())
        return;
    if (PnTarget == nullptr)
        return;
    auto* list = new TAutoList;
    list->SingleLevel = 1;
    const std::int32_t level = std::clamp<std::int32_t>(PnTarget->ListLevel, 0, 8);
    PnLevel.ParFormat.FirstIndent = PnTarget->FirstIndent;
    PnLevel.ParFormat.LeftIndent = PnTarget->LeftIndent;
    PnLevel.LabelText = PnBefore + PnAfter;
    // The texts before and after the number stay apart: the lists of
    // consecutive paragraphs are merged after loading, and the labels are
    // made from them then.
    PnLevel.FileStrings[lfsPrefix] = Platform::Utf16ToUtf8(PnBefore);
    PnLevel.FileStrings[lfsSuffix] = Platform::Utf16ToUtf8(PnAfter);
    PnLevel.FileBytes[lfbDefined] = 1;
    list->Levels[level] = PnLevel;
    Doc.Lists.Add(list);
    PnTarget->List = static_cast<std::int32_t>(ObjectHandle(list));
}

// --- The end -------------------------------------------------------------

void TRtfReader::Finish() {
    // A header or a note the input leaves open ends with it.
    for (TFrame& frame : Frames) {
        if (frame.HeaderSlot >= 0) {
            FinishHeaderFooter(frame.HeaderSlot);
            frame.HeaderSlot = -1;
        }
        if (frame.NoteGroup) {
            FinishNote(State);
            frame.NoteGroup = false;
        }
        if (frame.ShapeGroup) {
            FinishShape();
            frame.ShapeGroup = false;
        }
    }
    // The last paragraph ends the text. An empty one after a table's last
    // row stands outside the table.
    CommitPendingTabsAndBorders();
    if (Par->Chars.Size == 0) {
        Par->Format.InTable = 0;
        // The empty paragraph after the last paragraph mark inherits the
        // properties of the one before it; a page break before it would
        // make a page of its own at the end of the document.
        if (Doc.ParCount() > 1)
            Par->Format.PageBreakBefore = 0;
    }
    // Fields and bookmarks still open end with the text, the last begun
    // first.
    while (!OpenFields.empty()) {
        TField* field = OpenFields.back();
        OpenFields.pop_back();
        EndFieldControl(field, false);
    }
    AppendSpecial(chParEnd);
    for (const auto& [style, number] : StyleListNumbers)
        if (TAutoList* list = ListOfNumber(number))
            style->ParFormat.List = static_cast<std::int32_t>(ObjectHandle(list));
    // List pictures no list of the document shows are dropped.
    for (TShape* picture : ListPictures) {
        bool used = false;
        for (std::int32_t i = 0; i < Doc.Lists.Count && !used; ++i)
            for (const TListLevel& level : Doc.Lists.At<TAutoList>(i)->Levels)
                used = used || level.PictureBullet == picture;
        if (!used)
            Doc.DeleteShape(picture);
    }
    ListPictures.clear();
    Doc.StoryCounts[stMain] = Doc.ParCount();
    AppendStories();
    Doc.RenumberPars(0);
    Doc.StateFlags[sfSectionIndexStale] = 1;
    Doc.StateFlags[sfFieldIndexStale] = 1;
    Doc.StateFlags[sfListsStale] = 1;
    Doc.ClearTableCache();
    if (Outcome.HasTables)
        RepairTables();
    ValidateDropCapsRead();
    Doc.UpdateSectionIndex();
}

// --- Fields and bookmarks ----------------------------------------------

// The field type of PRIVATE, which carries data of other programs only.
constexpr std::uint8_t ftPrivate = 77;

// The instruction just read makes the field of the enclosing "field" group;
// an unknown keyword makes none, and the result stays plain text.
void TRtfReader::FinishFieldInstruction() {
    TFrame& group = Top();
    if (!group.FieldGroup || group.Field != nullptr)
        return;
    group.Field = FieldFromInstruction(Doc, Doc.ParCount() - 1, CollectedWide, FindFieldType, HeaderField != nullptr,
                                       OpenFields, ShapeFields);
    group.ResultPar = Doc.ParCount();
    group.ResultChars = Par->Chars.Size;
}

// The current page number of a header or footer ("chpgn") is a PAGE field
// with the placeholder result an empty field gets; each page shows its own
// number once the field is updated for it.
void TRtfReader::PageNumberField() {
    TField* field = FieldFromInstruction(Doc, Doc.ParCount() - 1, u"PAGE", FindFieldType, HeaderField != nullptr,
                                         OpenFields, ShapeFields);
    if (field == nullptr)
        return;
    const std::uint8_t mark = '?';
    AppendRawBytes(&mark, 1);
    ForgetOpenField(field);
    EndFieldControl(field, true);
}

void TRtfReader::ForgetOpenField(const TField* field) {
    for (auto it = OpenFields.rbegin(); it != OpenFields.rend(); ++it)
        if (*it == field) {
            OpenFields.erase(std::next(it).base());
            return;
        }
}

// The end of a "field" group ends its field. A result the file left empty
// is shown as a question mark, so that the field can be seen and updated;
// index entries, and the hyperlinks and private fields that carry nothing
// to show, stay empty.
void TRtfReader::FinishField(TFrame& frame) {
    TField* field = frame.Field;
    const bool empty = Doc.ParCount() == frame.ResultPar && Par->Chars.Size == frame.ResultChars;
    if (empty && field->Type != ftIndexEntry && field->Type != ftHyperlink && field->Type != ftPrivate) {
        const std::uint8_t mark = '?';
        AppendRawBytes(&mark, 1);
    }
    ForgetOpenField(field);
    EndFieldControl(field, field->Type == ftIndexEntry);
}

// Appends a field's or bookmark's end. A result that ended with a paragraph
// end ends the field there, at the end of the previous paragraph: the next
// paragraph, still empty, takes its formatting after the field's group.
void TRtfReader::EndFieldControl(TField* field, bool here) {
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    if (here || Par->Chars.Size > 0 || Doc.ParCount() - 1 <= StoryStart) {
        AppendControl(fcFieldEnd, handle);
        return;
    }
    TPar* previous = Doc.Par(Doc.ParCount() - 2);
    AppendFormatControl(previous->Stream, fcFieldEnd, handle);
    previous->Changed();
}

// A bookmark whose name is empty or already taken is dropped; the first of
// a name wins.
void TRtfReader::BookmarkStart(std::u16string name) {
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    while (!name.empty() && name.front() == u' ')
        name.erase(0, 1);
    if (name.empty() || State.Skip || HeaderField != nullptr || !BookmarkNames.insert(name).second)
        return;
    auto* bookmark = new TField;
    bookmark->Kind = fkBookmark;
    bookmark->Instruction = std::move(name);
    bookmark->Range.Start.Par = Doc.ParCount() - 1;
    bookmark->Range.Start.Offset = Par->Chars.Size;
    Doc.Fields.Add(bookmark);
    OpenFields.push_back(bookmark);
    OpenBookmarkNames.insert(bookmark->Instruction);
    AppendControl(fcFieldStart, static_cast<std::int32_t>(ObjectHandle(bookmark)));
}

// Ends the last begun bookmark of the name (compared exactly); an end
// without its start does nothing.
void TRtfReader::BookmarkEnd(const std::u16string& rawName) {
    std::u16string_view name = rawName;
    while (!name.empty() && name.back() == u' ')
        name.remove_suffix(1);
    while (!name.empty() && name.front() == u' ')
        name.remove_prefix(1);
    // A bookmark of the main text cannot end inside a header.
    if (State.Skip || HeaderField != nullptr)
        return;
    if (OpenBookmarkNames.erase(std::u16string(name)) == 0)
        return;
    for (auto it = OpenFields.rbegin(); it != OpenFields.rend(); ++it) {
        TField* field = *it;
        if (field->Kind == fkBookmark && field->Instruction == name) {
            const bool startedHere = field->Range.Start.Par == Doc.ParCount() - 1;
            OpenFields.erase(std::next(it).base());
            EndFieldControl(field, startedHere);
            return;
        }
    }
}

// --- Headers, footers and notes ----------------------------------------

// A story's paragraphs (a header's, a note's) follow the main text's for
// now; the main text's last paragraph and table state wait until the group
// ends.
void TRtfReader::BeginStory() {
    CommitPendingTabsAndBorders();
    SavedTable = TSavedTableState{Row, PendingCell, CellEnds, ColumnNumber, RowsRead, RowWidthUnit};
    Row = new TTableRow;
    ResetPendingCell();
    CellEnds = 0;
    ColumnNumber = 0;
    RowsRead = 0;
    StoryStart = Doc.ParCount();
    Par = NewPar();
    Par->Format = DefaultParFormat;
    Par->Format.WidowControl = DefaultWidowControl;
}

// Takes the story's paragraphs out of the main text's list. Fields and
// bookmarks the story left open end with its last paragraph.
std::vector<TPar*> TRtfReader::TakeStory(std::size_t openFields, TField* storyField) {
    std::vector<TPar*> pars;
    for (std::int32_t p = StoryStart; p < Doc.ParCount(); ++p)
        pars.push_back(Doc.Par(p));
    Doc.Pars.SetCount(StoryStart);
    TPar* last = pars.back();
    while (OpenFields.size() > openFields) {
        TField* open = OpenFields.back();
        if (open->Kind == fkBookmark)
            OpenBookmarkNames.erase(open->Instruction);
        AppendFormatControl(last->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(open)));
        OpenFields.pop_back();
    }
    (void)storyField;
    return pars;
}

// Back to the main text's last paragraph and table state.
void TRtfReader::EndStory() {
    if (!Doc.TableRowList.Contains(Row))
        delete Row;
    Row = SavedTable.Row;
    PendingCell = SavedTable.PendingCell;
    CellEnds = SavedTable.CellEnds;
    ColumnNumber = SavedTable.ColumnNumber;
    RowsRead = SavedTable.RowsRead;
    RowWidthUnit = SavedTable.RowWidthUnit;
    SavedTable = TSavedTableState{};
    StoryStart = 0;
    Par = Doc.Par(Doc.ParCount() - 1);
}

void TRtfReader::BeginHeaderFooter() {
    BeginStory();
    HeaderField = new TField;
    HeaderField->Kind = fkHeaderFooter;
    Doc.Fields.Add(HeaderField);
    HeaderOpenFields = OpenFields.size();
    AppendControl(fcFieldStart, static_cast<std::int32_t>(ObjectHandle(HeaderField)));
    for (int attr = fcLastCharAttr; attr >= 0; --attr)
        if (State.Char[attr] != DefaultCharFormat[attr])
            AppendControl(static_cast<std::uint8_t>(attr), State.Char[attr]);
}

// The header's paragraphs leave the main text for the header story. The
// paragraph begun by a final paragraph end is dropped when it stayed empty;
// one that holds text (the group ended without a paragraph end) is kept.
// A group that holds no more than one empty paragraph makes no header.
void TRtfReader::FinishHeaderFooter(std::int8_t slot) {
    CommitPendingTabsAndBorders();
    std::int32_t end = Doc.ParCount();
    if (end - StoryStart >= 2 && Doc.Par(end - 2)->Format.InTable == 0 && Doc.Par(end - 1)->Chars.Size == 0) {
        // Fields ending in it end with the paragraph before.
        TPar* dropped = Doc.Par(end - 1);
        TPar* previous = Doc.Par(end - 2);
        TStreamElement e;
        for (std::int32_t off = 0; off < dropped->Stream.Size; off += e.Length) {
            ReadStreamElement(dropped->Stream.Data, dropped->Stream.Size, off, e);
            if (e.Truncated)
                break;
            if (e.IsControl && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
                AppendFormatControl(previous->Stream, e.Code, e.Value);
        }
        delete dropped;
        Doc.Pars.SetCount(--end);
    }
    std::vector<TPar*> pars = TakeStory(HeaderOpenFields, HeaderField);
    TPar* last = pars.back();
    const bool empty =
        pars.size() == 1 && (last->Chars.Size == 0 || (last->Chars.Size == 1 && last->Chars.Data[0] == chParEnd));
    if (!empty) {
        last->Format.InTable = 0;
        if (last->Chars.Size == 0 || last->Chars.Data[last->Chars.Size - 1] != chParEnd) {
            AppendFormatControl(last->Stream, fcSpecialChar, chParEnd);
            last->Chars.AppendByte(chParEnd);
        }
        AppendFormatControl(last->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(HeaderField)));
        for (TPar* par : pars) {
            par->Changed();
            HeaderFooterPars.push_back(par);
        }
        HeaderFooterPieces.push_back(TStoryPiece{Doc.Sections.Count - 1, slot, pars.size()});
        // A later header of the same slot replaces this one.
        Doc.Sections.At<TSection>(Doc.Sections.Count - 1)->HeadersFooters[slot] = HeaderField;
    } else {
        for (TPar* par : pars)
            delete par;
        Doc.Fields.Remove(HeaderField);
        delete HeaderField;
    }
    HeaderField = nullptr;
    EndStory();
}

// A note: its reference mark ends the current paragraph (the automatic
// number when the paragraph holds no character yet), enclosed in a
// note-reference field; its text is read into paragraphs of its own, which
// go to the footnote or the endnote story when the group ends.
void TRtfReader::BeginNote() {
    CommitPendingTabsAndBorders();
    if (Par->Chars.Size == 0)
        AppendSpecial(chNoteRef);
    auto* reference = new TField;
    reference->Kind = fkNoteRef;
    const bool automatic = Par->Chars.Data[Par->Chars.Size - 1] == chNoteRef;
    if (automatic)
        reference->Flags |= ffAutoNumber;
    // The start goes before the paragraph's last character, or before the
    // whole of a mark of the reference's own.
    const std::int32_t ownMarkAt = automatic ? -1 : OwnMarkStart();
    Doc.Fields.Add(reference);
    std::int32_t lastAt = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < Par->Stream.Size && ownMarkAt < 0; off += e.Length) {
        ReadStreamElement(Par->Stream.Data, Par->Stream.Size, off, e);
        if (e.Truncated)
            break;
        if (!e.IsControl || ControlTakesPosition(e.Code))
            lastAt = off + (e.IsControl ? 0 : e.Length - 1);
    }
    if (ownMarkAt >= 0)
        lastAt = ownMarkAt;
    const auto referenceHandle = static_cast<std::int32_t>(ObjectHandle(reference));
    InsertFormatControl(Par->Stream, lastAt, fcFieldStart, referenceHandle);
    ++StreamInsertions;
    AppendControl(fcFieldEnd, referenceHandle);
    Par->Changed();

    BeginStory();
    NoteBody = new TField;
    NoteBody->Kind = fkNoteBody;
    NoteBody->Partner = reference;
    reference->Partner = NoteBody;
    Doc.Fields.Add(NoteBody);
    NoteIsEndnote = false;
    NoteOpenFields = OpenFields.size();
    AppendControl(fcFieldStart, static_cast<std::int32_t>(ObjectHandle(NoteBody)));
    for (int attr = fcLastCharAttr; attr >= 0; --attr)
        if (State.Char[attr] != DefaultCharFormat[attr])
            AppendControl(static_cast<std::uint8_t>(attr), State.Char[attr]);
}

// A note's reference with a mark of its own: a group of the text that
// closed right before the note, in the same paragraph, with characters in
// it, is the mark (the whole of it, as programs write a mark of more than
// one character). The stream offset where the group began, or -1 when the
// text before the note is no such group.
std::int32_t TRtfReader::OwnMarkStart() const {
    const TClosedGroup& g = LastClosedGroup;
    if (g.Par != Par || g.Insertions != StreamInsertions || g.CharEnd != Par->Chars.Size || g.CharStart >= g.CharEnd ||
        g.StreamStart < 0 || g.StreamStart > Par->Stream.Size)
        return -1;
    // The offset must fall between two elements or inside a run of text
    // (a group without formatting of its own continues the run before it),
    // and the mark must not hold a note reference of its own.
    bool boundary = false;
    TStreamElement e;
    for (std::int32_t off = 0; off < Par->Stream.Size; off += e.Length) {
        ReadStreamElement(Par->Stream.Data, Par->Stream.Size, off, e);
        if (e.Truncated || e.Length <= 0)
            return -1;
        if (off == g.StreamStart || (!e.IsControl && off < g.StreamStart && g.StreamStart < off + e.Length))
            boundary = true;
        if (off >= g.StreamStart && e.IsControl && e.Code == fcFieldStart) {
            const TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field != nullptr && field->Kind == fkNoteRef)
                return -1;
        }
    }
    return boundary ? g.StreamStart : -1;
}

// The note's last paragraph ends the note text; the formatting of the text
// around the note is what it was before, so the closing brace restores
// nothing in the main text.
void TRtfReader::FinishNote(const TRtfReaderState& outside) {
    CommitPendingTabsAndBorders();
    // A note text that ends with a paragraph end has begun an empty
    // paragraph; as with headers it is dropped, its fields ending with the
    // paragraph before.
    const std::int32_t end = Doc.ParCount();
    if (end - StoryStart >= 2 && Doc.Par(end - 2)->Format.InTable == 0 && Doc.Par(end - 1)->Chars.Size == 0) {
        TPar* dropped = Doc.Par(end - 1);
        TPar* previous = Doc.Par(end - 2);
        TStreamElement e;
        for (std::int32_t off = 0; off < dropped->Stream.Size; off += e.Length) {
            ReadStreamElement(dropped->Stream.Data, dropped->Stream.Size, off, e);
            if (e.Truncated)
                break;
            if (e.IsControl && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
                AppendFormatControl(previous->Stream, e.Code, e.Value);
        }
        delete dropped;
        Doc.Pars.SetCount(end - 1);
    }
    std::vector<TPar*> pars = TakeStory(NoteOpenFields, NoteBody);
    TPar* last = pars.back();
    last->Format.InTable = 0;
    // The note's end mark takes the format of its last character: a saved
    // note's last paragraph is written without its mark, so neither the
    // mark's own format nor formatting that closed after the last character
    // would come back. Field marks after it stay.
    if (last->Chars.Size > 0) {
        // The ends of the last two position-taking elements.
        std::int32_t beforeEnd = 0, lastEnd = 0;
        TStreamElement e;
        for (std::int32_t off = 0; off < last->Stream.Size; off += e.Length) {
            ReadStreamElement(last->Stream.Data, last->Stream.Size, off, e);
            if (e.Truncated)
                break;
            if (!e.IsControl || ControlTakesPosition(e.Code)) {
                beforeEnd = e.IsControl || e.Length == 1 ? lastEnd : off + e.Length - 1;
                lastEnd = off + e.Length;
            }
        }
        if (last->Chars.Data[last->Chars.Size - 1] == chParEnd) {
            lastEnd = beforeEnd;
            last->Chars.SetSize(last->Chars.Size - 1);
        }
        std::string tail;
        for (std::int32_t off = lastEnd; off < last->Stream.Size; off += e.Length) {
            ReadStreamElement(last->Stream.Data, last->Stream.Size, off, e);
            if (e.Truncated)
                break;
            if (e.IsControl && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
                tail.append(reinterpret_cast<const char*>(last->Stream.Data) + off, static_cast<std::size_t>(e.Length));
        }
        last->Stream.SetSize(lastEnd);
        last->Stream.AppendBuffer(tail.data(), static_cast<std::int32_t>(tail.size()));
    }
    AppendFormatControl(last->Stream, fcSpecialChar, chParEnd);
    last->Chars.AppendByte(chParEnd);
    AppendFormatControl(last->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(NoteBody)));
    NoteBody->Endnote = NoteIsEndnote ? 1 : 0;
    std::vector<TPar*>& story = NoteIsEndnote ? EndnotePars : FootnotePars;
    for (TPar* par : pars) {
        par->Changed();
        story.push_back(par);
    }
    NoteBody = nullptr;
    NoteIsEndnote = false;
    EndStory();
    State.Char = outside.Char;
}

// An index entry becomes an empty XE field here, its instruction built from
// the entry's parts; an entry without text makes none.
void TRtfReader::FinishIndexEntry() {
    if (IndexText.empty() || State.Skip || HeaderField != nullptr)
        return;
    const auto quoted = [](const std::u16string& text) {
        std::u16string out = u"\"";
        for (char16_t c : text) {
            if (c == u'"' || c == u'\\')
                out.push_back(u'\\');
            out.push_back(c);
        }
        return out + u"\"";
    };
    std::u16string instruction = u"XE " + quoted(IndexText);
    if (!IndexRange.empty())
        instruction += u" \\r " + quoted(IndexRange);
    if (!IndexCrossRef.empty())
        instruction += u" \\t " + quoted(IndexCrossRef);
    if (IndexHasReading)
        instruction += u" \\y " + quoted(IndexReading);
    if (IndexBold)
        instruction += u" \\b";
    if (IndexItalic)
        instruction += u" \\i";
    TField* field =
        FieldFromInstruction(Doc, Doc.ParCount() - 1, instruction, ftIndexEntry, false, OpenFields, ShapeFields);
    if (field == nullptr)
        return;
    ForgetOpenField(field);
    AppendControl(fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
}

// The stories follow the main text: footnotes, endnotes, then headers and
// footers by section and in the order of their slots in the written file.
void TRtfReader::AppendStories() {
    for (TPar* par : FootnotePars)
        Doc.Pars.Add(par);
    Doc.StoryCounts[stFootnotes] = static_cast<std::int32_t>(FootnotePars.size());
    FootnotePars.clear();
    for (TPar* par : EndnotePars)
        Doc.Pars.Add(par);
    Doc.StoryCounts[stEndnotes] = static_cast<std::int32_t>(EndnotePars.size());
    EndnotePars.clear();

    // The writer's order of the slots: header (right), left, first page;
    // then the footers the same way.
    constexpr int slotRank[HeaderFooterSlotCount] = {1, 0, 4, 3, 2, 5};
    std::vector<std::pair<std::size_t, std::size_t>> pieces;  // first paragraph, count
    std::vector<std::size_t> order;
    std::size_t first = 0;
    for (const TStoryPiece& piece : HeaderFooterPieces) {
        pieces.emplace_back(first, piece.Count);
        first += piece.Count;
        order.push_back(order.size());
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const TStoryPiece& pa = HeaderFooterPieces[a];
        const TStoryPiece& pb = HeaderFooterPieces[b];
        if (pa.Section != pb.Section)
            return pa.Section < pb.Section;
        return slotRank[pa.Slot] < slotRank[pb.Slot];
    });
    for (std::size_t i : order)
        for (std::size_t p = 0; p < pieces[i].second; ++p)
            Doc.Pars.Add(HeaderFooterPars[pieces[i].first + p]);
    Doc.StoryCounts[stHeadersFooters] = static_cast<std::int32_t>(HeaderFooterPars.size());
    HeaderFooterPars.clear();
    HeaderFooterPieces.clear();
}

// --- Pictures ------------------------------------------------------------

// The words of a "pict" group (the RTF specification 1.9.1, "Pictures").
void TRtfReader::PictureWord(std::string_view w, bool hasParam, std::int32_t param) {
    TShapePicture& p = PictureBeingRead;
    const std::int32_t n = hasParam ? param : 0;
    if (w == "pngblip") {
        p.Kind = pkPng;
    } else if (w == "jpegblip") {
        p.Kind = pkJpeg;
    } else if (w == "emfblip") {
        p.Kind = pkEmf;
    } else if (w == "wmetafile") {
        p.Kind = pkWmf;
        p.KindParam = hasParam ? param : 1;
    } else if (w == "dibitmap") {
        p.Kind = pkDib;
        p.KindParam = n;
    } else if (w == "wbitmap") {
        p.Kind = pkBitmap;
        p.KindParam = n;
    } else if (w == "wbmbitspixel") {
        p.BitsPerPixel = hasParam ? param : 1;
    } else if (w == "wbmplanes") {
        p.Planes = hasParam ? param : 1;
    } else if (w == "wbmwidthbytes") {
        p.WidthBytes = n;
    } else if (w == "picw") {
        p.PicWidth = n;
    } else if (w == "pich") {
        p.PicHeight = n;
    } else if (w == "picwgoal") {
        p.GoalWidth = n;
    } else if (w == "pichgoal") {
        p.GoalHeight = n;
    } else if (w == "picscalex") {
        p.ScaleX = std::clamp(n, 1, 1000);
    } else if (w == "picscaley") {
        p.ScaleY = std::clamp(n, 1, 1000);
    } else if (w == "piccropl") {
        p.CropLeft = n;
    } else if (w == "piccropt") {
        p.CropTop = n;
    } else if (w == "piccropr") {
        p.CropRight = n;
    } else if (w == "piccropb") {
        p.CropBottom = n;
    } else if (w == "macpict" || w == "pmmetafile") {
        // Kinds this system does not read: the picture is dropped.
        p.Kind = pkNone;
    }
}

// Pairs of hexadecimal digits make the bytes; anything else between them
// (line breaks, spaces) is passed over.
void TRtfReader::PictureHex(const std::uint8_t* p, std::size_t n) {
    std::string& data = PictureBeingRead.Data;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t c = p[i];
        std::int32_t digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            continue;
        if (PictureNibble < 0) {
            PictureNibble = digit;
        } else {
            data.push_back(static_cast<char>(PictureNibble * 16 + digit));
            PictureNibble = -1;
        }
    }
}

// "bin" n: the next n bytes of the input are picture data as they are.
void TRtfReader::PictureBinary(std::int64_t count) {
    std::string& data = PictureBeingRead.Data;
    while (count > 0) {
        if (Window.Unread() == 0 && (Window.AtEnd || !Window.Fill()))
            break;
        const std::int64_t take = std::min<std::int64_t>(count, static_cast<std::int64_t>(Window.Unread()));
        data.append(reinterpret_cast<const char*>(Window.ReadPos), static_cast<std::size_t>(take));
        Window.ReadPos += take;
        count -= take;
    }
}

// A picture whose data fits its kind becomes an inline picture shape here;
// any other is dropped without a message. Without a goal size the picture's
// own size is taken, for every kind (JPEG pictures too).
void TRtfReader::FinishPicture() {
    TShapePicture picture = std::move(PictureBeingRead);
    PictureBeingRead = TShapePicture{};
    PictureNibble = -1;
    if (State.Skip || picture.Kind == pkNone || !MeasurePicture(picture))
        return;
    if (picture.GoalWidth <= 0 || picture.GoalHeight <= 0) {
        picture.ScaleX = picture.ScaleY = 100;
        SetDefaultGoalSize(picture);
    }
    auto* shape = new TShape(&Doc);
    shape->Picture = std::move(picture);
    // A picture bullet stands in no text: the list levels refer to it.
    if (ListPictureDepth > 0) {
        Doc.Shapes.Add(shape);
        ListPictures.push_back(shape);
        return;
    }
    shape->Story = HeaderField != nullptr ? stHeadersFooters : NoteBody != nullptr ? stFootnotes : stMain;
    shape->AnchorPar = Par;
    shape->AnchorOffset = Par->Chars.Size;
    Doc.Shapes.Add(shape);
    AppendControl(fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
    Par->Chars.AppendByte(chShapeAnchor);
    // The drawing shape around the picture gives it its properties when it
    // ends; a picture of its own takes those of its "picprop".
    if (InShape && TextBoxDepth == 0) {
        if (ShapeMade == nullptr)
            ShapeMade = shape;
    } else if (PictureHasProps) {
        shape->Props = std::move(PictureProps);
        shape->Props.WrapKind = swInline;
        shape->Props.ClearPosRect();
    }
}

// --- Drawing shapes ------------------------------------------------------

// A "shp" group (the RTF specification 1.9.1, "Shapes"): its words and
// "sp" properties are collected here and given to the shape its "pib"
// picture makes. Shapes without a picture make nothing.
void TRtfReader::BeginShape() {
    InShape = true;
    ShapeMade = nullptr;
    ShapeProps = TShapeProps{};
    // The type is kept only when the shape states it.
    ShapeProps.DeleteProp(spShapeType);
    ShapeProps.PosRect = {};
}

void TRtfReader::FinishShape() {
    if (!InShape)
        return;
    InShape = false;
    TShape* shape = ShapeMade;
    ShapeMade = nullptr;
    if (shape == nullptr || !Doc.Shapes.Contains(shape))
        return;
    TShapeProps props = std::move(ShapeProps);
    // A drawing shape floats: without a wrap kind it wraps square. Kinds
    // and sides the format does not define are read as the usual ones.
    if (props.WrapKind <= swInline || props.WrapKind > swThrough)
        props.WrapKind = swSquare;
    if (props.WrapSide < wsBoth || props.WrapSide > wsLargest)
        props.WrapSide = wsBoth;
    shape->Props = std::move(props);
}

// A text box's text (the RTF specification 1.9.1, "shptxt") becomes
// ordinary paragraphs of the flow where the shape stands, since this system
// has no text boxes; the shape itself, having no picture, is dropped. The
// table being read is set aside, and a table of the box is read as plain
// paragraphs, so that the box's text cannot end the cells or rows around
// it.
void TRtfReader::BeginTextBox(TFrame& frame) {
    CommitPendingTabsAndBorders();
    frame.TextBoxGroup = true;
    frame.TextBoxFirstPar = Doc.ParCount() - 1;
    frame.TextBoxInTable = Par->Format.InTable;
    frame.TextBoxTable = TSavedTableState{Row, PendingCell, CellEnds, ColumnNumber, RowsRead, RowWidthUnit};
    Row = new TTableRow;
    ResetPendingCell();
    CellEnds = 0;
    ColumnNumber = 0;
    RowsRead = 0;
    ++TextBoxDepth;
}

void TRtfReader::FinishTextBox(TFrame& frame) {
    CommitPendingTabsAndBorders();
    --TextBoxDepth;
    for (std::int32_t p = frame.TextBoxFirstPar; p < Doc.ParCount(); ++p) {
        TPar* par = Doc.Par(p);
        if (par->Format.InTable != frame.TextBoxInTable) {
            par->Format.InTable = frame.TextBoxInTable;
            par->Changed();
        }
    }
    if (!Doc.TableRowList.Contains(Row))
        delete Row;
    const TSavedTableState& saved = frame.TextBoxTable;
    Row = saved.Row;
    PendingCell = saved.PendingCell;
    CellEnds = saved.CellEnds;
    ColumnNumber = saved.ColumnNumber;
    RowsRead = saved.RowsRead;
    RowWidthUnit = saved.RowWidthUnit;
    // The paragraph format in force before the box comes back with the
    // group's state; the in-table mark must agree with it.
    frame.State.Par.InTable = frame.TextBoxInTable;
}

// The words of "shp" and "shpinst"; false for words that are not a
// shape's.
bool TRtfReader::ShapeWord(std::string_view w, bool hasParam, std::int32_t param) {
    const std::int32_t n = hasParam ? param : 0;
    TShapeProps& p = ShapeProps;
    if (w == "shpleft") {
        p.PosRect.Left = n;
    } else if (w == "shptop") {
        p.PosRect.Top = n;
    } else if (w == "shpright") {
        p.PosRect.Right = n;
    } else if (w == "shpbottom") {
        p.PosRect.Bottom = n;
    } else if (w == "shpwr") {
        p.WrapKind = n;
    } else if (w == "shpwrk") {
        p.WrapSide = n;
    } else if (w == "shpz") {
        p.ZOrder = n;
    } else if (w == "shpfblwtxt") {
        p.SetProp(spBehindDocument, n != 0 ? 1 : 0);
    } else if (w == "shpbxmargin") {
        p.SetProp(spPosRelH, prefMargin);
    } else if (w == "shpbxpage") {
        p.SetProp(spPosRelH, prefPage);
    } else if (w == "shpbxcolumn") {
        p.SetProp(spPosRelH, prefText);
    } else if (w == "shpbymargin") {
        p.SetProp(spPosRelV, prefMargin);
    } else if (w == "shpbypage") {
        p.SetProp(spPosRelV, prefPage);
    } else if (w == "shpbypara") {
        p.SetProp(spPosRelV, prefText);
    } else if (w == "shpbxignore" || w == "shpbyignore" || w == "shpleftpg" || w == "shptoppg" || w == "shprightpg" ||
               w == "shpbottompg" || w == "shpfhdr" || w == "shplockanchor" || w == "shplid") {
        // The page rectangle is layout's to compute; the others carry
        // nothing this system keeps.
    } else {
        return false;
    }
    return true;
}

// An "sv" value of a known property name: the polygon by its vertex
// pairs, any other as a decimal number (a value that does not parse is
// passed over).
void TRtfReader::ShapePropertyValue(std::string_view text) {
    TShapeProps* props = PicPropDepth > 0 ? &PictureProps : InShape ? &ShapeProps : nullptr;
    const std::int32_t id = TShapeProps::IdOfName(ShapePropName);
    if (props == nullptr || id < 0)
        return;
    if (id == spWrapPolygonVertices) {
        props->WrapPolygonFromRtf(text);
        return;
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc())
        props->SetProp(id, value);
}

void TRtfReader::RepairTables() {
    auto* op = new TOperation(&Doc, 0);
    Doc.BeginOperation(op);
    for (std::int32_t p = 0; p < Doc.ParCount(); ++p) {
        const TPar* par = Doc.Par(p);
        const bool marks =
            par->Format.InTable != 0 || (par->Chars.Size > 0 && (par->Chars.Data[par->Chars.Size - 1] == chCellEnd ||
                                                                 par->Chars.Data[par->Chars.Size - 1] == chRowEnd));
        if (!marks)
            continue;
        RepairTable(Doc, p);
        Doc.ClearTableCache();
        while (p < Doc.ParCount() && Doc.Par(p)->Format.InTable != 0)
            ++p;
    }
    Doc.EndOperation();
    Doc.CommitOperation(op);
    Doc.ClearUndoHistory();
}

}  // namespace

TReadResult ReadRtfDocument(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options, TRtfReadOutcome& outcome) {
    outcome = TRtfReadOutcome{};
    try {
        TRtfReader reader(doc, window, options, outcome);
        return reader.Run();
    } catch (const std::bad_alloc&) {
        return TReadResult::Failure("out of memory while reading the RTF", static_cast<std::uint64_t>(window.Offset()));
    }
}

bool ReadRtf(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options) {
    TRtfReadOutcome outcome;
    return static_cast<bool>(ReadRtfDocument(doc, window, options, outcome));
}
