#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/core/TList.h"
#include "base/core/TMemory.h"
#include "model/formats/LineStartFormats.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TParOwner.h"
#include "platform/Files.h"

class TCompoundFragment;
class TDocClient;
class TField;
class TOperation;
class TPar;
class TPostActions;
class TShape;
class TSection;
class TStrings;
class TStyleList;
class TSubOperation;
class TTableRow;
struct TAutoPageNumbers;  // layout/pagination/AutoPageNumbers.h
struct TFieldTypeSet;
struct TParFormat;

// Stories of the paragraph list, in list order.
enum : int { stMain = 0, stFootnotes = 1, stEndnotes = 2, stHeadersFooters = 3 };
constexpr int StoryCount = 4;

// View modes and zoom modes.
enum : std::uint8_t { vmPrintLayout = 0, vmDraft = 1, vmDraftWrapped = 2 };
enum : std::uint8_t { zmPercent = 0, zmPageWidth = 1, zmTextWidth = 2, zmWholePage = 3, zmTwoPages = 4 };

// Where section settings apply, in the order of the section dialogs' lists.
enum : std::uint8_t {
    ssWholeDocument = 0,
    ssThisPointForward = 1,
    ssSelectedText = 2,
    ssThisSection = 3,
    ssSelectedSections = 4,
};

// What TDoc::ApplySectionSettings applies.
enum : int { saPageSetup = 0, saSectionFormat = 1, saNoteSettings = 2 };

// The largest page extents over the sections that own a page setup.
struct TMaxPageExtents {
    std::int32_t PageWidth = 0;        // twips
    std::int32_t PaginationValue = 0;  // kept by pagination
    std::int32_t PageHeight = 0;       // twips
    std::int32_t PageWidth100 = 0;     // pixels at 100 %
    std::int32_t PageHeight100 = 0;
    std::int32_t PageWidthZoomed = 0;  // pixels at the current zoom
    std::int32_t PageHeightZoomed = 0;
    std::int32_t TextWidth = 0;  // twips
};

struct TViewPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

struct TViewRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// Zoom percent and zoom mode as one value.
struct TZoomSetting {
    std::int32_t Zoom = 100;
    std::uint8_t Mode = zmPercent;
};

// Automatic hyphenation of a document.
struct THyphenationOptions {
    std::uint8_t Automatic = 0;
    std::uint8_t HyphenateCaps = 1;
    std::int32_t Zone = 360;            // twips
    std::int32_t ConsecutiveLimit = 0;  // 0 no limit
};

// What one change of page settings applies (opChangePageSettings): one
// margin or distance word (What 0 to 5, words 4 to 9 of the page setup),
// the orientation (6), or the whole setup (any other value).
struct TPageSetupValues {
    std::uint8_t What = 255;
    std::int32_t Value = 0;
    TPageSetup Setup{};
};

// One open document: its text, formatting and objects, its view state and
// its undo history.
//
// The four stories (main text, footnotes, endnotes, headers and footers)
// stand one after another in one paragraph list. Every change goes through
// PerformOperation (or the same recording protocol) as undoable steps;
// everything that depends on layout and view is noted in the post-actions
// and done once afterwards through the document's client
// (model/host/TDocClient.h).
//
// The implementation is spread by topic, one file per section below. The
// sections that record undoable steps live in the undo room
// (model/undo/TDoc*.cpp), which lies above the document; the rest sit
// beside this header.
class TDoc final : public TParOwner {
public:
    // --- Lifetime and the objects it owns: TDoc.cpp ---

    // A hidden document (templates, previews, tools) gets no window and
    // keeps no undo history.
    explicit TDoc(bool hidden = false);
    TDoc(const TDoc&) = delete;
    TDoc& operator=(const TDoc&) = delete;
    ~TDoc();
    // Closes the file the document keeps open, when there is one.
    void CloseFile();
    // Removes a shape from the shape list and frees it.
    void DeleteShape(TShape* shape);

    // --- Paragraphs and stories: TDocStories.cpp ---

    std::int32_t ParCount() const override { return Pars.Count; }
    TPar* Par(std::int32_t index) const override { return Pars.At<TPar>(index); }
    int StoryOfPar(std::int32_t par) const;
    std::int32_t FirstParOfStory(int story) const;
    std::int32_t LastParOfStory(int story) const;
    bool IsParDimmed(std::int32_t par) const;
    // Sets the cached index of every paragraph from the given one on.
    void RenumberPars(std::int32_t from);
    // The run of adjacent paragraphs that share the paragraph's border set.
    void BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const override;
    // The character format in effect at a position (of the character there).
    void FormatAtPos(const TTextPos& pos, TCharFormat& format) const;
    // The range a field, bookmark or note covers, from its start control to
    // its end control; false when its marks are not in the document.
    bool FieldRange(const TField* field, TFragment& range) const;
    // The text of a range, as UTF-16 (paragraph ends as code 2).
    std::u16string RangeText(const TFragment& range) const;
    TField* DropCapOfPar(std::int32_t par) const;
    // A line start format by index, with its sizes back in half-points.
    void LoadCharFormat(std::uint32_t index, TCharFormat& format) const { LineStartFormats.Load(index, format); }
    // Selects the screen font layout measures a format with (flags: 1
    // zoomed height, 2 kerning, 4 script, 8 small caps, 0x10 select into the
    // device at once). In the layout library (layout/lines/MeasureFont.cpp).
    void SelectMeasureFont(const TCharFormat& format, std::uint32_t flags);

    // --- Pages, in the layout library (layout/pagination/TDocPaginate.cpp),
    //     which this room cannot see; only code that links it calls these ---

    // Discards the pages from fromPage on and builds pages until page
    // untilPage exists or the text is exhausted.
    void Paginate(std::int32_t fromPage, std::int32_t untilPage);
    void PaginateAll();
    // Releases the pages from one index on; pagination is then incomplete.
    void DiscardPages(std::int32_t fromPage);
    // Drops every paragraph's lines and every page (closing the document).
    void DestroyLayout();
    // Lays a changed paragraph out again in place when its lines keep their
    // number and heights; otherwise notes it for repagination.
    void ReformatPar(std::int32_t par);
    std::int32_t ParLength(std::int32_t par) const;
    // Header and footer editing (layout/pagination/THeaderFooterEditing.cpp):
    // starts editing a header or footer field of a page (the page's header
    // when field is null); false when the page or field cannot be edited.
    bool BeginHeaderFooterEditing(TField* field, std::int32_t page);
    // Leaves editing when it is active, else creates the header and footer
    // fields the first section lacks (one undo step) and begins editing on
    // the given page.
    void ToggleHeaderFooterEditing(TField* field, std::int32_t page);
    // After the pages changed: ends editing silently when the edited page no
    // longer shows the edited field, else lays that field out again.
    void RefreshEditedHeaderFooter();
    // Page numbers in every section's headers or footers as the settings
    // ask (layout/pagination/TDocAutoPageNumbers.cpp); header and footer
    // editing begins on the given page. False when nothing changed.
    bool InsertAutoPageNumbers(const TAutoPageNumbers& settings, std::int32_t page);

    // --- Tables: TDoc.cpp (the queries are the editing library's) ---

    // Forgets the cached table ranges and their rows; every step that
    // changes paragraphs or rows calls it.
    void ClearTableCache();

    // --- Sections: TDocSections.cpp ---

    void UpdateSectionIndex();
    TSection* SectionOfPar(std::int32_t par) override;
    TSection* PageSectionOfPar(std::int32_t par);
    TSection* SectionOfPage(std::int32_t page);
    void GetCaretPageSetup(TPageSetup& setup);
    void GetMaxPageExtents(TMaxPageExtents& extents);
    // Puts the section list back in document order after breaks came or
    // went: sections by the place of their breaks, the last one last.
    void ResortSections();
    // New lists (TList::Acquire; the caller releases them).
    TList* SectionsOfFragment(const TFragment& fragment);
    TList* SectionsOfCompoundFragment(const TCompoundFragment& set);
    void WidenToPageSections(const TFragment& fragment, TFragment& widened);
    void GetSelSectionFormat(TSectionFormat& format);
    void BuildSectionScopeList(TStrings& strings, int kind, std::uint8_t& defaultScope);
    void ResetSectionPageRanges(TSection* section);
    // Recomputes the derived page sizes of every section and the maximum
    // page extents.
    void UpdatePageMetrics();

    // --- Section settings as one undoable operation:
    //     model/undo/TDocSectionSettings.cpp ---

    bool ApplySectionSettings(std::uint8_t scope, const TFragment* fragment, const void* settings, int what);

    // --- State flags: TDocStateFlags.cpp ---

    // Pushes and pops pair exactly; nested pushes of the same index restore
    // in reverse order.
    void PushStateFlag(std::uint8_t index);
    void PushStateFlagClear(std::uint8_t index);
    void PopStateFlag();
    void PopStateFlags(std::int32_t n);
    std::int32_t StateFlagStackDepth() const { return FlagStackTop / 2; }
    std::int32_t StateFlagStackCapacity() const { return FlagStackCapacity; }

    // --- View, saving state and conversions: TDocView.cpp ---

    // View mode, print preview, zoom and scrolling.
    void SetViewMode(std::uint8_t mode);
    void BeginTempViewMode(std::uint8_t mode);
    void EndTempViewMode(bool restore);
    void SetPrintPreview(bool on);
    void SetZoom(std::int32_t percent);
    void SetZoomAt(std::int32_t percent, const TViewPoint* anchor);
    void SetZoomAndMode(const TZoomSetting& setting);
    void SaveZoomForPreview();
    void RestoreZoomAfterPreview();
    std::int32_t FitZoom();
    void ScrollTo(TViewPoint point);
    void ScrollToY(std::int32_t y);
    void ClampScrollPos(TViewPoint& point);
    bool SpotlightActive() const { return Spotlight != 0 && PrintPreview == 0; }
    void InvalidateSpotlight();
    bool HasWindow() const;

    // Saving state.
    void SetModified(bool modified);
    bool NeedsSave() const;
    bool IsFileOpenElsewhere() const;

    // Conversions, rounding half up.
    std::int32_t TwipsToPixelsX(std::int32_t twips) const override;
    std::int32_t TwipsToPixelsY(std::int32_t twips) const;
    void TwipsRectToPixels(const TViewRect& twips, TViewRect& pixels) const;
    std::int32_t TwipsToZoomedPixelsX(std::int32_t twips, std::int32_t percent) const;
    std::int32_t TwipsToZoomedPixelsY(std::int32_t twips, std::int32_t percent) const;
    std::int32_t PixelsToTwipsY(std::int32_t pixels) const;
    std::int32_t ApplyZoom(std::int32_t value) const;
    std::int32_t ApplyZoomInForce(std::int32_t value) const;
    std::int32_t FontHeightPixels(std::int32_t halfPoints) const;

    // --- Operations and the undo stack: model/undo/TDocUndo.cpp ---

    void BeginOperation(TOperation* operation);
    void AddSubOperation(TSubOperation* step);
    void EndOperation();
    void CommitOperation(TOperation* operation);
    std::int32_t LastOperationSerial() const;
    std::int32_t NextRedoSerial() const;
    void Undo(bool refresh);
    void Redo();
    void UndoAll();
    void RedoAll();
    void ClearUndoHistory();
    void ClearRedoHistory();
    TOperation* UndoOperation(std::int32_t index) const { return UndoList.At<TOperation>(index); }
    bool RecordingSuspended() const;

    // --- The one entry that changes a document: model/undo/TDocPerform.cpp ---

    // Runs the code of an argument record (model/undo/OperationArgs.h), e.g.
    // doc.PerformOperation(TInsertTextArgs{&text, flags}).
    template <class TArgs>
    requires requires { TArgs::Code; }
    void PerformOperation(const TArgs& args) { PerformOperationCode(TArgs::Code, &args); }

    // --- Post-actions: TDocPostActions.cpp ---

    TPostActions& PostActions();
    void NoteParChanged(std::int32_t par);
    void ApplyPostActions();

    // --- The model's own workers: model/undo/TDocWorkers.cpp ---

    // They record their changes as steps of the open operation and note
    // what the post-actions restore; the editing library builds its workers
    // on them.
    void UpdateTypingFormat();
    void InsertFormatted(const TMemory& content,
                         const TTextPos& pos,
                         std::int32_t flags,
                         int story,
                         std::int32_t parEnds,
                         TTextPos* resultPos);
    void InsertFormattedAtCaret(const TMemory& content, std::int32_t parEnds, std::int32_t flags);
    void InsertTextAtCaret(const TMemory& text, std::int32_t flags);
    void DeleteText(const TCompoundFragment* set, const TTextPos& start, const TTextPos& end, std::int32_t flags);
    void FormatParagraphs(const TCompoundFragment* set, const TFragment* range, const TParFormat& format);
    void FormatFont(const TCompoundFragment* set,
                    const TFragment* range,
                    const TCharFormat& format,
                    std::uint8_t flags);
    bool SortParagraphs(std::int32_t first, std::int32_t last, std::uint8_t options);
    void ChangeDefaultLanguage(std::int32_t language);
    void ChangeSectionBreak(std::int32_t par, std::uint8_t kind);
    void FormatPageSettings(const TPageSetupValues& values, const TFragment& range);
    void FormatSections(const TSectionFormat& format, const TFragment& range);
    void SetNoteSeparator(std::uint8_t kind);
    void ChangeHyphenation(const THyphenationOptions& options);
    void EditFieldCode(TField* field, const std::u16string& instruction);
    void DeleteField(TField* field);

    // --- What its paragraphs ask of their owner (TParOwner): here ---

    TStyleList* OwnerStyles() const override { return Styles; }
    std::uint8_t OwnerViewMode() const override { return ViewMode; }
    std::int32_t OwnerDefaultTabWidth() const override { return DefaultTabWidth; }

    // Paragraphs: the four stories one after another.
    TList Pars;  // TPar, owned
    std::int32_t StoryCounts[StoryCount] = {1, 0, 0, 0};
    TList Pages;               // layout pages, owned by the layout library
    std::int32_t PrintLayoutPageCount = 0;  // pages when print-layout pagination last completed
    std::int32_t FieldPageCount = 0;        // pages when pagination last completed (page-count fields)
    TList Sections;            // TSection in document order, owned
    TList SectionsByFirstPar;  // the same, sorted by first paragraph
    TList Fields;              // TField, owned
    TList Lists;               // TAutoList, owned
    TList Shapes;              // TShape, owned
    TList TableRowList;        // TTableRow named by row-end controls, owned
    TList SelectedShapes;
    TStyleList* Styles = nullptr;
    // The formats lines start under (TLine::StartFormat); only grows.
    TLineStartFormats LineStartFormats;

    // Caret, selection and typing format (kept by the selection code).
    TTextPos Caret{};
    TCompoundFragment* Selection = nullptr;  // pooled, owned
    TCharFormat TypingFormat = DefaultCharFormat;

    // Identity and file.
    std::int32_t DocNumber = 0;
    std::string FileName;
    std::string TempFileName;
    std::int32_t FormatCode = 0;
    std::int32_t TextEncoding = 1;
    std::uint8_t LineBreakKind = 0;
    std::uint8_t Modified = 0;
    // The password of an encrypted document, only ever in the protected
    // form of the encryption manager; empty for other documents.
    std::string Password;
    // The file a document opened from disk keeps open for reading and
    // writing until it closes or is saved elsewhere; none for read-only
    // documents, temporary copies and files on removable drives.
    Platform::TFileHandle FileHandle = Platform::kNoFile;
    std::int64_t LoadedFileSize = 0;
    std::uint8_t ReadOnly = 0;
    // Set exactly while the document is being loaded.
    std::uint8_t Loading = 0;
    // Loading: a file that fails the test of the requested format is
    // refused without the question whether to detect its real format.
    std::uint8_t StrictFormat = 0;
    // Loading: a file held by another program is copied without asking.
    std::uint8_t QuietOpen = 0;
    // A reader has already reported its failure; no second message follows.
    std::uint8_t ErrorShown = 0;
    // Loading ensures a final paragraph end mark (documents with a window,
    // and the hidden documents of conversions).
    std::uint8_t TakesParEndMarks = 0;
    // A reader found tables whose structure must be checked after loading.
    std::uint8_t TablesNeedFixUp = 0;

    // View.
    TDocClient* Client = nullptr;  // never nil: the silent client without a window
    std::uint8_t ViewMode = vmPrintLayout;
    std::uint8_t PrintPreview = 0;
    std::uint8_t Spotlight = 0;
    std::uint8_t ZoomMode = zmPercent;
    std::int32_t Zoom = 100;  // percent
    std::int32_t ZoomInForce = 100;
    // Layout measures a line again at the display zoom: sixteenths are
    // then pixels at the zoom (DocSixteenths.h).
    bool MeasuringAtZoom = false;
    std::int32_t ZoomedResolutionY = 96;  // pixels per inch at the current zoom
    std::int32_t ZoomedResolutionX = 96;
    TViewPoint ViewExtent;  // the whole laid-out view in pixels
    TViewPoint ScrollPos;
    std::int32_t SideBySideOffset = 0;
    std::int32_t PagesPerRow = 1;
    TMaxPageExtents MaxPageExtents;
    // Saved around print preview and temporary view modes.
    TZoomSetting PreviewSavedZoom;
    TViewPoint PreviewSavedScroll;
    std::uint8_t PreviewSavedViewMode = vmPrintLayout;
    std::uint8_t TempSavedViewMode = vmPrintLayout;
    TViewPoint TempSavedScroll;
    // Plain flags that no code pushes (spotlight).
    std::uint8_t SpotlightRecentre = 0;

    // Header and footer editing (the edited object and page).
    TField* EditedHeaderFooter = nullptr;
    std::int32_t EditedPage = 0;
    // Where the caret goes back to when header and footer editing ends (the
    // caret when it began).
    TTextPos HeaderFooterReturnCaret{};

    // --- Search results shown in the text (editing/search fills them) ---
    // The Find panel's result list, in document order: each result's found
    // part, its whole match (context parts included) and its caption; the
    // paragraph where the collection goes on, -1 when it is complete.
    std::vector<TFragment> FindResults;
    std::vector<TFragment> FindResultMatches;
    std::vector<std::u16string> FindResultCaptions;
    std::int32_t FindResultNextPar = -1;
    // The selected word whose other instances are highlighted, and those
    // instances, which painting marks.
    std::u16string HighlightText;
    std::vector<TFragment> HighlightRanges;

    // Document settings.
    std::int32_t DefaultTabWidth = 720;  // twips
    std::int32_t DefaultLanguage = 0x409;
    THyphenationOptions Hyphenation;
    std::uint8_t NoteSeparator = 0;
    // Reference-mark and note-text formats of footnotes and endnotes.
    TCharFormat NoteCharFormats[2][2];

    // State flags: 180 bytes, each 0 or 1.
    std::uint8_t StateFlags[180] = {};

    // The undo stack.
    TList UndoList;  // TOperation, owned, oldest first
    std::int32_t UndoIndex = -1;
    std::int32_t SavedUndoIndex = static_cast<std::int32_t>(0x80000000u);
    std::int32_t SafeCopyUndoIndex = static_cast<std::int32_t>(0x80000000u);
    std::int32_t BackupUndoIndex = static_cast<std::int32_t>(0x80000000u);
    TList OpenOperations;  // an entry may be nil: recording suspended
    TOperation* CurrentOperation = nullptr;
    std::uint8_t UndoNameOverride = 255;

    TPostActions* MainPostActions = nullptr;
    TPostActions* SuspendedPostActions = nullptr;

    // The table cache: the ranges of the tables asked for so far and, beside
    // each, its rows in row order.
    std::vector<TFragment> TableCacheRanges;
    std::vector<std::vector<TTableRow*>> TableCacheRows;
    // Set while a piece of work repairs its tables itself at its end.
    std::uint8_t TableRepairSuspended = 0;

    // Scratch objects for other libraries.
    TMemory ScratchMemory;
    TList ScratchList;

private:
    // model/undo/TDocPerform.cpp: args is the record of code; the template
    // above pairs them.
    void PerformOperationCode(std::uint8_t code, const void* args);
    // TDocStateFlags.cpp.
    void PushFlagEntry(std::uint8_t index);
    // model/undo/TDocUndo.cpp.
    void FinishUndoRedo(bool scroll, bool refresh, bool applied);
    void FreeUndoList();

    std::uint16_t* FlagStack = nullptr;
    std::int32_t FlagStackCapacity = 32;  // bytes
    std::int32_t FlagStackTop = 0;        // bytes
    TDocClient* OwnedClient = nullptr;
};

// --- The document call and the client factory: TDoc.cpp ---

// The document call: every change of a document is bracketed by the pair,
// so that an exception escaping it can be put down to that document.
void BeginDocumentCall(TDoc* doc);
void EndDocumentCall(TDoc* doc);
TDoc* CurrentDocument();
std::int32_t DocumentCallDepth();
// The shell's exception handler forgets the document calls it unwound.
void ResetDocumentCalls();

// Makes the window (client) of each new visible document; none until the
// document-window library installs it.
using TDocClientFactory = TDocClient* (*)(TDoc& doc);
void SetDocClientFactory(TDocClientFactory factory);
