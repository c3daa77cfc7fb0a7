#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/core/TList.h"
#include "base/core/TMemory.h"
#include "model/document/TDocProps.h"
#include "model/formats/LineStartFormats.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TParOwner.h"
#include "platform/Files.h"
#include "platform/GdiTypes.h"

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
struct TPageNumberOptions;  // model/document/TSection.h
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

// The draft views' text geometry in twips: the left margin, the text width
// with tables and shapes, and the text width without them.
struct TDraftGeometry {
    std::int32_t LeftMargin = 0;
    std::int32_t TextWidth = 0;
    std::int32_t PlainTextWidth = 0;
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
    // Border and shading groups (TDocBorderGroups.cpp). A border group is
    // the run of neighbouring paragraphs drawn as one box: each shares its
    // neighbour's border set and indents (left and right within 3 twips;
    // first-line within 3 twips or both not negative), and the run stays
    // inside the paragraph's table cell, else inside its story when that is
    // not the main text, else inside its section.
    void BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const override;
    // The same run for one shading box: every paragraph of it has a shading
    // (not negative); a paragraph without one is a group of its own.
    void ShadingGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const;
    // Whether other lies in par's group. For a neighbour (par - 1, par + 1)
    // this is one comparison: line layout and painting ask it per line to
    // learn whether a paragraph opens or closes its group, where a walk
    // over a group as long as the document would make layout quadratic.
    bool InBorderGroup(std::int32_t par, std::int32_t other) const override;
    bool InShadingGroup(std::int32_t par, std::int32_t other) const;
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

    // --- Envelopes at the end of the document, in the layout library
    //     (layout/pagination/TDocEnvelopePages.cpp) ---

    // The pages at the end, counted back from the last page, that hold a
    // paragraph in one of the envelope styles (built-in ids 36 and 37); the
    // count stops at the first page without one and never takes the first
    // page. Paginates the whole document first.
    std::int32_t CountEnvelopePages();

    // --- View geometry, page queries and painting the view, in the layout
    //     library (layout/view), which this room cannot see; only code that
    //     links it calls these ---

    // Pages per row, every page's place in the view, the view extent and
    // the scroll bars, after pagination, zoom, view-mode and window changes.
    void UpdateViewGeometry();
    void DraftGeometry(TDraftGeometry& geometry);
    void SetZoomMode(std::uint8_t mode);
    // Move the view, scrolling the window's pixels when the step is short.
    void ShiftViewX(std::int32_t x);
    void ShiftViewY(std::int32_t y);
    // After a page-setup or zoom change: new page metrics, no pages.
    void ResetPageMetrics();
    void UpdateMaxPageExtents();
    std::int32_t FirstVisiblePage();
    std::int32_t LastVisiblePage();
    std::int32_t CurrentPage();
    // A page's place in the view; an estimate for a page not built yet.
    void GetPageRect(std::int32_t page, Platform::TRect& rect);
    // Paints the window through the off-screen bitmap: everything, or with
    // a fragment only the lines near its ranges. dc is the window's device
    // when the caller has one (a paint message), else nil.
    void PaintView(Platform::HDC dc, const TCompoundFragment* fragment);
    void Repaint();
    // A repaint at idle time once delay milliseconds have passed.
    void RequestRepaint(std::int32_t delay);

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

    // --- A symbol and page numbers: the workers of opInsertSymbol (in the
    //     files library, files/transfer/SymbolInsert.cpp, since it pastes)
    //     and opInsertPageNumbers (editing/sections/PageNumbers.cpp); only
    //     code that links those libraries calls these ---
    // Pastes one character at the caret in the font named (the caret's font
    // when empty); a byte is a character of that font's code page.
    void InsertSymbol(std::int32_t character, const std::string& fontName, std::uint8_t characterIsByte);
    // Gives the sections of the edited header's page, of the selection's
    // first range or of the caret the page numbering.
    void InsertPageNumbers(const TPageNumberOptions& options);

    // --- Page fields after pagination (editing/fields through the editing
    //     services; defined in model/undo/FieldOperations.cpp) ---
    // The page-field pass: header and footer fields that hang on the whole
    // pagination take the final page counts once pagination completes.
    void UpdatePageFields(bool force = false);

    // --- Words, links, sentences and text extraction: in the layout
    //     library (layout/words/TDocWords.cpp, TDocText.cpp), which this
    //     room cannot see; only code that links it calls these ---

    // The word around a position; an empty run at pos when there is none.
    void WordAt(const TTextPos& pos, TTextRun& run);
    // Word movement (Ctrl+Left, Ctrl+Right) inside the caret's move range.
    void PrevWordStart(const TTextPos& pos, TTextPos& result);
    void NextWordStart(const TTextPos& pos, TTextPos& result);
    // The web or e-mail address, the file path, either, or else the word.
    void UrlAt(const TTextPos& pos, TTextRun& run);
    void FileLinkAt(const TTextPos& pos, TTextRun& run);
    void LinkAt(const TTextPos& pos, TTextRun& run);
    void LinkOrWordAt(const TTextPos& pos, TTextRun& run);
    bool IsSentenceStart(const TTextPos& pos);
    void SentenceAt(const TTextPos& pos, TFragment& range);
    // A manual list marker such as "1." or "b)" at a paragraph start.
    bool IsListMarkerWord(const TTextRun& run, const std::string& text) const;
    // The range word movement may run in (the story of the caret, or the
    // edited header or footer).
    void CaretMoveRange(TFragment& range);
    // Text of a run or range: 8-bit in the code page of the fonts, or UTF-16
    // under the extraction flags (tfBlanks ..., layout/words/TextExtraction.h).
    void RunTextA(const TTextRun& run, std::string& text) const;
    void RangeTextA(const TFragment& range, std::string& text) const;
    void RunTextW(const TTextRun& run, std::uint32_t flags, std::u16string& text);
    void RangeTextW(const TFragment& range, std::uint32_t flags, std::u16string& text);
    void RangeTextWAll(const TFragment& range, std::uint32_t flags, std::u16string& text);
    // The whole paragraph as shown: list label, caps, blanks trimmed.
    void ParTextW(std::int32_t par, std::u16string& text);

    // --- Selection queries and current formats: in the layout library
    //     (layout/words/TDocSelectionQueries.cpp, CurrentFormats.cpp) ---

    bool HasSelection() const;
    bool HasSingleSelection() const;
    bool SelectionIsContiguous() const;
    bool IsPosSelected(const TTextPos& pos) const;
    bool SelectionInOneTable() const;
    bool IsCellSelection(const TCompoundFragment* fragment) const;
    bool SelectionOnlyRowEnds() const;
    bool CaretOnRowEnd() const;
    // The story of the selection; 0xFF when its ranges lie in several.
    std::uint8_t SelectionStory() const;
    bool SelectionInNotes() const;
    bool IsParWhollySelected(std::int32_t par) const;
    bool IsSinglePictureRange(const TFragment& range) const;
    bool IsPictureSelected() const;
    // Counts the selected anchored shapes (flags: 1 pictures and shapes, 2
    // horizontal lines) into list and fragment when given.
    std::int32_t SelectedPictures(TList* list, TCompoundFragment* fragment, std::uint32_t flags);
    TShape* ShapeAt(const TTextPos& pos) const;
    bool HasWrappingShapes() const;
    bool RangesHaveHeading(const TCompoundFragment& fragment) const;
    bool SelectionHasHeading() const;
    bool RangeCutsTableRow(const TFragment& range) const;
    bool RangeHasNoteEnd(const TFragment& range) const;
    bool SelectionHasNoteEnd() const;
    bool IsNoteEndAt(const TTextPos& pos) const;
    void NotesOfStory(std::vector<TField*>& notes, int story) const;
    bool RangeOverlapsFields(const TFragment& range) const;
    bool IsWholeWordsRange(const TFragment& range) const;
    bool AllRangesWholeWords(const TCompoundFragment& fragment) const;
    bool RangeHasControlChars(const TFragment& range) const;
    // A new pooled set (the caller releases it): the selection, or the
    // whole caret paragraph.
    TCompoundFragment* SelectionOrCaretPar() const;
    std::int32_t SelectionStartPar() const;
    // Story ranges.
    void WholeDocRange(TFragment& range) const;
    void MainTextRange(TFragment& range) const;
    void HeaderFooterRange(TFragment& range) const;
    void CurrentStoryRange(TFragment& range) const;
    void TextStoriesRange(TFragment& range) const;
    void TextStoryRanges(TCompoundFragment& fragment) const;
    // Formats common to a set of ranges (fragment), or to one range when
    // fragment is nil; mixed attributes come back unset.
    void MergedParFormat(const TCompoundFragment* fragment, const TFragment& range, TParFormat& format) const;
    void MergedCharFormat(const TCompoundFragment* fragment, const TFragment& range, TCharFormat& format) const;
    // The format typing at a position continues.
    void CharFormatAt(const TTextPos& pos, TCharFormat& format) const;
    void CharFormatInPar(std::int32_t par, std::int32_t offset, TCharFormat& format) const;
    std::int32_t LanguageAt(std::int32_t par, std::int32_t offset) const;
    void UpdateTypingFormat(const TTextPos& pos, bool force);
    void RememberFormatsAtRangeEnds(const TFragment& range);

    // --- The caret and the selection model, in the layout library
    //     (layout/selection), which this room cannot see; only code that
    //     links it calls these ---

    // Fills the position's line and page, paginating until its paragraph's
    // first line is placed on a page.
    void LocatePos(TTextPos& pos, bool atLineEnd);
    // Makes pos the caret. Flags: 1 refresh only when the caret changed or
    // is not fully visible, 2 no adjustment before a break at a line end,
    // 4 drop the selection.
    void SetCaret(const TTextPos& pos, std::uint32_t flags);
    void MoveCaretTo(std::int32_t par, std::int32_t offset, std::uint32_t flags, std::int32_t line);
    // A caret movement to pos: mode 0 extends the selection from the
    // anchor, 1 drops the selection, other values keep it.
    void MoveCaret(TTextPos pos, std::int32_t mode, std::int32_t key);
    // The caret's format, size and slant; then its place in view pixels.
    void UpdateCaretShape();
    void ComputeCaretPlace();
    // The caret box widened by a margin, for visibility tests.
    void CaretRect(Platform::TRect& rect) const;
    // One character back, into the previous paragraph's last character;
    // false at the start of the document.
    bool PrevCharPos(TTextPos& pos) const;
    // Selects the range between two ends given in either order. Flags: 1 no
    // user-interface refresh, 2 replace a multi-selection, 4 add a range,
    // 8 no SelectionChanged.
    void SetSelection(std::int32_t startPar,
                      std::int32_t startOffset,
                      std::uint32_t flags,
                      std::int32_t endOffset,
                      std::int32_t endPar);
    void ClearSelection(std::uint32_t flags);
    // Cuts, orders and snaps a range's ends to the positions a range keeps.
    void OrderRangeEnds(TTextPos& start, TTextPos& end, bool tablesKeepEnd) const;
    // Whole cells for a cell's end mark, sorted and merged ranges, and
    // neighbouring ranges joined across paragraph ends.
    void NormalizeRanges(TCompoundFragment& set) const;
    void SelectionChanged();
    // Repaints the lines of a set of ranges, or what changed between the old
    // range and the selection.
    void RepaintRanges(const TCompoundFragment& set);
    void RepaintSelectionChange(const TFragment& old);

    // Caret shape and place (view pixels at the zoom) and the selection's
    // anchor, kept by layout/selection.
    std::int32_t CaretWidth = 2;
    std::int32_t CaretHeight = 1;
    std::int32_t CaretXOffset = 1;
    std::int32_t CaretSlantSteps = 0;  // 0: an upright caret
    std::int32_t CaretX = 0;
    std::int32_t CaretY = 0;
    std::int32_t CaretAscent = 0;   // of the font that shapes the caret
    std::int32_t CaretDescent = 0;  // the same, with external leading
    TCharFormat CaretFormat = DefaultCharFormat;
    TTextPos SelAnchor{};
    // Set by the window while the caret should stay at the end of a line
    // rather than at the start of the next one.
    std::uint8_t CaretAtLineEnd = 0;

    // --- Scrolling the caret and the selection into view, cell blocks and
    //     hidden paragraphs in the selection (layout/selection) ---

    // The scroll position that shows rect (view pixels) in a placement mode
    // (0 plain ... 7 at the bottom, layout/selection/ScrollPlacement.h);
    // coverBand lets a bar over the window's top cover part of it.
    void ScrollPosForRect(const Platform::TRect& rect, int mode, TViewPoint& pos, bool coverBand);
    // Scrolls, when needed, so that the caret shows (the same modes).
    void ScrollCaretIntoView(int mode);
    bool IsCaretVisible() const;
    // Some of the range's text is on screen.
    bool IsRangeOnScreen(const TFragment& range);
    bool IsSelectionOffScreen();
    bool IsSelectionWhollyOnScreen();
    // Shows more of the selection: the next part below the window, or the
    // range nearest to it.
    void ScrollSelectionIntoView();
    // Cells and rows: a range leaving its cell becomes a block of cells (or
    // whole rows); ranges cut at cell bounds; the gaps between ranges.
    void SnapSelectionToCells();
    void SplitRangesAtCells(TCompoundFragment& set) const;
    void InvertRanges(TCompoundFragment& set, const TFragment& within) const;
    // Hidden paragraphs: ranges grown over the hidden paragraphs that follow
    // them, and the hidden paragraphs taken out of ranges.
    bool ExtendRangesOverHidden(TCompoundFragment& set) const;
    void RemoveHiddenFromRanges(TCompoundFragment& set) const;
    // The selection before hidden paragraphs were taken out of it (copy
    // and paste act on it); empty while there is no selection.
    std::shared_ptr<TCompoundFragment> SelectionWithHidden;
    // Whole-selection commands and the anchor.
    void SelectAll();
    void InvertSelection();
    // Whether two sets select the same text once both are normalised.
    bool SameRanges(const TCompoundFragment& a, const TCompoundFragment& b) const;
    // The anchor moves to the nearer end of the range that holds it.
    void SnapAnchorToRangeEnd();
    void CaretToSelectionStart();
    // The selection as it was before the range SetSelection added last
    // (flag 4), cut at cells; the window adds to it or takes from it while
    // the user drags the added range. Nil until a range is added.
    void SaveBaseSelection();
    std::shared_ptr<TCompoundFragment> BaseSelection;

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
    // The Tab step from cell to cell (editing/tables/RowFormatting.cpp):
    // the first paragraph of the merged cell the last step entered through
    // one of its hidden continuation cells, and the paragraph of that
    // continuation cell, so that the next step goes on in the row it came
    // through. -1 when the last step entered no merged cell.
    std::int32_t TabStepOrigin = -1;
    std::int32_t TabStepContinuation = -1;

    // Current formats (layout/words/CurrentFormats.cpp): the formats in
    // force before and after the caret or selection, and just after the two
    // ends of the range an undo or redo step changes. CurCharFormat and
    // CurParFormat are the formats of the selection, kept by the selection
    // code.
    TCharFormat TypingFormatBefore = DefaultCharFormat;
    TCharFormat TypingFormatAfter = DefaultCharFormat;
    TCharFormat FormatAfterRangeStart = DefaultCharFormat;
    TCharFormat FormatAfterRangeEnd = DefaultCharFormat;
    TCharFormat CurCharFormat = DefaultCharFormat;
    TParFormat CurParFormat{};

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

    // Safe copies and backups (files/saving/SafeCopies.cpp, SaveDocument.cpp):
    // the safe copy of the unsaved work ("" while there is none), whether
    // the document was restored from a safe copy, whether a safe copy is
    // being written right now, and whether the next save must make a backup
    // even with backups switched off.
    std::string SafeCopyPath;
    std::uint8_t FromSafeCopy = 0;
    std::uint8_t WritingSafeCopy = 0;
    std::uint8_t ForceBackup = 0;

    // View.
    TDocClient* Client = nullptr;  // never nil: the silent client without a window

    // Collapsed headings (layout/view/CollapsedHeadings.h): the hidden
    // blocks as (first, last) paragraph pairs, valid while CollapsedDirty
    // is clear.
    std::vector<std::pair<std::int32_t, std::int32_t>> CollapsedRanges;
    std::uint8_t CollapsedDirty = 1;
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

    // View geometry (layout/view): the top of every row of pages, the pages
    // estimated below the last laid-out page while pagination runs, the
    // draft views' text geometry and the flags that steer the geometry.
    std::vector<std::int32_t> RowTops;
    std::int32_t LastRow = -1;
    std::vector<Platform::TRect> EstimatedPageRects;
    std::int32_t LastEstimate = -1;
    TDraftGeometry DraftCache;
    std::uint8_t DraftGeometryChanged = 0;
    std::uint8_t GeometrySuppressed = 0;
    std::uint8_t WindowSizeNotRead = 0;
    std::uint8_t ScrollBarsUntouched = 0;
    std::uint8_t ViewWidthChanged = 0;
    // The first page stands alone on the right of the first row (two pages).
    std::uint8_t FirstPageAlone = 0;
    std::int32_t KnownClientWidth = 0;
    std::int32_t KnownClientHeight = 0;

    // Painting the view (layout/view and layout/painting): the rectangles
    // (window pixels) one paint collects, and the deferred-repaint state.
    // The line painter adds the selected text and the three other highlight
    // kinds, the box painter the frames of selected shapes and the repainted
    // lines. The view creates them empty for a paint, tints or copies them,
    // and deletes them after it; outside a paint they are nil and nothing is
    // collected.
    Platform::HRGN SelectionRgn = nullptr;
    Platform::HRGN MarkedRgn = nullptr;
    Platform::HRGN MatchRgn = nullptr;
    Platform::HRGN FindResultsRgn = nullptr;
    Platform::HRGN ShapeFrameRgn = nullptr;
    Platform::HRGN ChangedRgn = nullptr;
    Platform::HRGN ViewClipRgn = nullptr;
    TFragment PaintedSpotlightRange{};
    std::uint8_t RepaintPending = 0;
    std::uint8_t PaintingHighlightKind = 0;
    std::uint8_t SpotlightScrollWanted = 0;
    std::uint8_t SpotlightGrown = 0;
    std::uint8_t FindResultsPainted = 0;
    std::int32_t RepaintDue = 0;
    // A paint asked for while another one ran; painted when that one ends.
    std::uint8_t PaintMissed = 0;

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

    // Document properties and editing time (editing/sections changes them
    // through opChangeDocProperties and counts the time): the properties,
    // the milliseconds spent editing, and the tick of the last editing
    // command (-1 before the first).
    TDocProps DocProps;
    std::int64_t EditingTime = 0;
    std::int64_t LastEditingTick = -1;

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

    // --- The field index of the editing library (editing/fields/FieldIndex.h) ---
    //
    // The library keeps its index of field positions here; the document only
    // owns and frees it. Steps that move text note the paragraphs whose field
    // positions moved (NoteFieldSpan), so that the index refreshes only those;
    // a step that adds or removes fields, or reorders paragraphs, notes the
    // whole document. A step that sets sfFieldIndexStale without noting a
    // span also makes the next rebuild a whole one.
    struct TEditingState {
        virtual ~TEditingState() = default;
    };
    std::unique_ptr<TEditingState> FieldIndexState;
    static constexpr std::int32_t FieldSpanNone = -1;
    static constexpr std::int32_t FieldSpanWhole = static_cast<std::int32_t>(0x80000000u);
    std::int32_t FieldSpanFirst = FieldSpanWhole;  // FieldSpanNone, FieldSpanWhole or a paragraph
    std::int32_t FieldSpanLast = INT32_MAX;        // INT32_MAX: to the end of the document
    // first < 0 notes the whole document.
    void NoteFieldSpan(std::int32_t first, std::int32_t last) {
        if (FieldSpanFirst == FieldSpanWhole)
            return;
        if (first < 0) {
            FieldSpanFirst = FieldSpanWhole;
            FieldSpanLast = INT32_MAX;
        } else if (FieldSpanFirst == FieldSpanNone) {
            FieldSpanFirst = first;
            FieldSpanLast = last;
        } else {
            FieldSpanFirst = first < FieldSpanFirst ? first : FieldSpanFirst;
            FieldSpanLast = last > FieldSpanLast ? last : FieldSpanLast;
        }
    }

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
