// The perform-operation entry: one operation around the worker of a code,
// post-actions, commit, and the follow-ups some codes chain to themselves.
#include "model/document/TDoc.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "base/messages/MessageBoxes.h"
#include "model/document/StateFlags.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TOperation.h"

namespace {

// The index is generated again while the page numbers it lists move; a
// layout that never settles (an index that pushes its own entries back and
// forth between two pages) must not make that endless.
constexpr int MaxIndexPasses = 8;
int IndexPass = 0;  // main thread only

const char* const DuplicatesQuestion =
    "The current selection includes several paragraphs with identical text. Would you like Rezozuri to select all "
    "the duplicate items?";
const char* const TocBookmarksQuestion =
    "Rezozuri is removing a Table of Contents.\r\rWould you like the corresponding bookmarks to be removed too?";
const char* const NoHeadingsMessage =
    "Rezozuri found no paragraph associated with \"Heading\" styles in this document.\rThe Table Of Contents for "
    "this document could not be created.\r\rNote: Rezozuri scans for \"Heading\" styles starting from current cursor "
    "position\rdown to end of documents, or till another Table Of Contents is encountered.\rYou might need to "
    "re-position the cursor to a proper location,\ror create \"Heading\" style associations for this document.";
const char* const CannotShrinkMessage = "Cannot shrink page count.";

// Runs a follow-up operation and chains it to the one just committed, so
// that both are undone and redone as one.
template <OperationArgs TArgs>
void PerformChained(TDoc& doc, const TArgs& args, std::uint8_t undoName) {
    const std::uint8_t previous = doc.UndoNameOverride;
    if (undoName != 255)
        doc.UndoNameOverride = undoName;
    // The follow-up is filed right after the current undo index; its own
    // follow-ups may file more behind it, so it is found by that place.
    const std::int32_t slot = doc.UndoIndex + 1;
    doc.PerformOperation(args);
    if (doc.StateFlags[sfCommitted] != 0 && slot < doc.UndoList.Count) {
        doc.UndoOperation(slot)->Flags |= ofChained;
    } else {
        // Nothing was committed: the name must not fall to a later operation.
        doc.UndoNameOverride = previous;
        doc.StateFlags[sfCommitted] = 1;
    }
}

bool SameEntries(const std::vector<TIndexEntryPage>& a, const std::vector<TIndexEntryPage>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].Field != b[i].Field || a[i].Page != b[i].Page)
            return false;
    return true;
}

// The text of the sections that page numbers were put into: the section of
// the page whose header or footer is edited, else the sections of the
// selection, else the caret's.
void PageNumberRange(TDoc& doc, TFragment& range) {
    const TSection* first;
    const TSection* last;
    if (doc.EditedHeaderFooter != nullptr) {
        first = last = doc.SectionOfPage(doc.EditedPage);
    } else if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        first = doc.SectionOfPar(span.Start.Par);
        last = doc.SectionOfPar(doc.Selection->Current().End.Par);
    } else {
        first = last = doc.SectionOfPar(doc.Caret.Par);
    }
    const std::int32_t lastPar = std::min(last->LastPar, doc.ParCount() - 1);
    MakeFragment(first->FirstPar, 0, lastPar, doc.Par(lastPar)->CharCount() - 1, range);
}

void SelectDuplicates(TDoc& doc, const TSortParagraphsArgs& args) {
    const std::int32_t first = std::max(args.First, 0);
    const std::int32_t last = std::min(args.Last, doc.ParCount() - 1);
    std::vector<std::int32_t> duplicates;
    for (std::int32_t p = first + 1; p <= last; ++p)
        if (doc.Par(p)->Chars.View() == doc.Par(p - 1)->Chars.View())
            duplicates.push_back(p);
    if (duplicates.empty() || ShowMessageBox(DuplicatesQuestion, mbkConfirm, mbYes | mbNo) != mrYes)
        return;
    doc.Caret.Par = duplicates.front();
    doc.Caret.Offset = 0;
    doc.Caret.Line = UnlocatedLine;
    doc.Selection->SetCount(static_cast<std::int32_t>(duplicates.size()));
    for (std::size_t i = 0; i < duplicates.size(); ++i) {
        const std::int32_t p = duplicates[i];
        MakeFragment(p, 0, p, doc.Par(p)->CharCount(), doc.Selection->Fragment(static_cast<std::int32_t>(i)));
    }
    doc.Selection->Normalize();
    doc.Client->SelectionChanged(doc);
    ModelHost().InvalidateUI();
    doc.Client->Repaint(doc, nullptr);
}

void PerformFollowUps(TDoc& doc,
                      std::uint16_t followUps,
                      const TOperationCall& call,
                      const TCharFormat& typingBefore,
                      const std::vector<std::string>& tocBookmarks,
                      const std::vector<TIndexEntryPage>& entriesBefore) {
    if ((followUps & fuRestartSpellcheck) != 0)
        ModelHost().RestartBackgroundSpellcheck(doc);
    if ((followUps & fuUpdateTocPageRefs) != 0) {
        TFragment range;
        if (call.EntryCount > 0 && EditingServices().TocPageReferenceRange(doc, range))
            PerformChained(doc, TUpdateFieldsArgs{nullptr, &range, TFieldTypeSet{ftPageRef}}, unTableOfContents);
    }
    if ((followUps & fuRemoveTocBookmarks) != 0 && !tocBookmarks.empty() &&
        ShowMessageBox(TocBookmarksQuestion, mbkConfirm, mbYes | mbNo) == mrYes) {
        for (const std::string& name : tocBookmarks)
            PerformChained(doc, TDeleteBookmarkArgs{&name}, unRemoveFields);
    }
    if ((followUps & fuUpdateNewField) != 0) {
        TFragment range;
        if (call.NewField != nullptr && doc.FieldRange(call.NewField, range)) {
            PerformChained(doc, TUpdateFieldsArgs{nullptr, &range, TFieldTypeSet{call.NewField->Type}}, unInsertField);
            if (doc.FieldRange(call.NewField, range)) {
                doc.Caret.Par = range.End.Par;
                doc.Caret.Offset = range.End.Offset;
                static_cast<TOperation*>(doc.UndoList.Last())->CaretAfter = doc.Caret;
            }
        }
    }
    if ((followUps & fuFormatSymbol) != 0) {
        // The symbol takes the format typing had before it.
        TModelOptions& options = ModelOptions();
        const std::uint32_t saved = options.EditFlags & eoFormatWithoutSelection;
        options.EditFlags &= ~eoFormatWithoutSelection;
        PerformChained(doc, TFormatFontArgs{doc.Selection, nullptr, &typingBefore, 0}, unInsertSymbol);
        options.EditFlags |= saved;
    }
    if ((followUps & fuUpdatePageNumbers) != 0) {
        TFragment range;
        PageNumberRange(doc, range);
        PerformChained(doc, TUpdateFieldsArgs{nullptr, &range, TFieldTypeSet{ftPageNumber, ftPageRef}}, unPageNumbers);
    }
    if ((followUps & fuDistributeRows) != 0)
        PerformChained(doc, TDistributeRowsArgs{}, unFormatTable);
    if ((followUps & fuRepeatIndexUntilSettled) != 0) {
        std::vector<TIndexEntryPage> entriesAfter;
        doc.Client->Paginate(doc, 0, INT32_MAX);
        EditingServices().IndexEntryPages(doc, entriesAfter);
        if (!SameEntries(entriesBefore, entriesAfter) && IndexPass + 1 < MaxIndexPasses) {
            // Once more from the paragraph before the index.
            if (doc.Caret.Par > 0) {
                doc.Caret.Par -= 1;
                doc.Caret.Offset = std::max(doc.Par(doc.Caret.Par)->CharCount() - 1, 0);
            }
            doc.StateFlags[sfScrollCaretMode4] = 1;
            ++IndexPass;
            try {
                PerformChained(doc, call.ArgsAs<TInsertIndexArgs>(), 255);
            } catch (...) {
                --IndexPass;
                throw;
            }
            --IndexPass;
        }
    }
}

}  // namespace

void TDoc::PerformOperationCode(std::uint8_t code, const void* args) {
    BeginDocumentCall(this);
    TModelHost& host = ModelHost();
    TOperationCall call;
    call.Code = code;
    call.Args = args;
    // Every record names a code of the table.
    const TOperationCodeInfo& row = OperationCodes[code];
    StateFlags[sfOperationRunning] = 1;
    StateFlags[sfPaintSuspended] = 1;
    StateFlags[sfCommitted] = 0;
    StateFlags[sfRefreshCaretAfter] = 0;
    if (StateFlags[sfKeepPerOperationMark] == 0)
        StateFlags[sfPerOperationMark] = 0;
    if (!host.ClipboardCopyRunning())
        host.ForgetFastNavigationReturn();

    // What some codes do or remember before their worker.
    const std::int32_t flagDepth = StateFlagStackDepth();
    const TCharFormat typingBefore = TypingFormat;
    std::vector<TIndexEntryPage> entriesBefore;
    std::vector<std::string> tocBookmarks;
    bool viewSwitched = false;
    const std::uint8_t viewBefore = ViewMode;
    if (row.Before != 0) {
        if ((row.Before & beUpdateTypingFormat) != 0)
            UpdateTypingFormat();
        if ((row.Before & beDeleting) != 0) {
            if (SelectedShapes.Count > 0)
                Client->Paginate(*this, 0, INT32_MAX);
            PushStateFlag(sfDeletingText);
        }
        if ((row.Before & bePasting) != 0)
            StateFlags[sfPasting] = 1;
        if ((row.Before & beNeverOvertype) != 0)
            PushStateFlag(sfNeverOvertype);
        if ((row.Before & beShowProgress) != 0)
            StateFlags[sfPaintSuspended] = 0;
        if ((row.Before & beRememberTocBookmarks) != 0)
            EditingServices().TocBookmarks(*this, tocBookmarks);
        if ((row.Before & beIndexPages) != 0) {
            if (ViewMode != vmPrintLayout) {
                viewSwitched = true;
                SetViewMode(vmPrintLayout);
            }
            Client->Paginate(*this, 0, INT32_MAX);
            EditingServices().IndexEntryPages(*this, entriesBefore);
        }
    }

    auto* op = new TOperation(this, unOperation);
    const bool outermost = OpenOperations.Count == 0;
    BeginOperation(op);
    if (outermost) {
        // A worker that does not move the caret or the selection keeps them.
        MainPostActions->Caret = Caret;
        MainPostActions->Selection->Assign(*Selection);
    }
    try {
        op->UndoName = OperationUndoName(code, args);
        RunOperationWorker(*this, call);
    } catch (...) {
        // Nothing is committed and no post-actions run. The document call
        // stays entered, so that the exception is put down to this document.
        EndOperation();
        delete op;
        PopStateFlags(StateFlagStackDepth() - flagDepth);
        StateFlags[sfOperationRunning] = 0;
        StateFlags[sfFromRuler] = 0;
        StateFlags[sfPaintSuspended] = 0;
        StateFlags[sfPasting] = 0;
        if (viewSwitched)
            SetViewMode(viewBefore);
        throw;
    }
    EndOperation();
    PopStateFlags(StateFlagStackDepth() - flagDepth);
    StateFlags[sfPasting] = 0;
    if (StateFlags[sfFromRuler] != 0) {
        Client->RefreshRulers(*this);
        host.InvalidateUI();
    }

    if (op->Count == 0 || StateFlags[sfHidden] != 0) {
        delete op;
    } else {
        op->SnapshotFieldResultsAfter();
        const bool caretStays = (row.FollowUps & fuCaretStays) != 0;
        if (caretStays)
            PushStateFlag(sfNoCaretScroll);
        ApplyPostActions();
        if (caretStays)
            PopStateFlag();
        if (UndoNameOverride != 255) {
            op->UndoName = UndoNameOverride;
            UndoNameOverride = 255;
        }
        CommitOperation(op);
        StateFlags[sfCommitted] = 1;
        StateFlags[sfUndoStateDirty] = 0;
        if ((row.FollowUps & ~fuCaretStays) != 0)
            PerformFollowUps(*this, row.FollowUps, call, typingBefore, tocBookmarks, entriesBefore);
        StateFlags[sfCommitted] = 1;
    }
    EndDocumentCall(this);
    StateFlags[sfOperationRunning] = 0;
    StateFlags[sfFromRuler] = 0;
    StateFlags[sfPaintSuspended] = 0;

    // The outcome, also of a dropped operation.
    if (row.Outcome != 0) {
        if ((row.Outcome & ocRefreshTypingCaret) != 0 && StateFlags[sfTypingFormatDirect] != 0) {
            Client->RefreshCaret(*this);
            host.InvalidateUI();
        }
        if ((row.Outcome & ocReportNotShrunk) != 0 && !call.Shrunk) {
            Client->Repaint(*this, nullptr);
            ShowInformation(CannotShrinkMessage);
        }
        if ((row.Outcome & ocClearStatus) != 0 && StateFlags[sfStatusKept] == 0)
            host.ClearStatusText();
        if ((row.Outcome & ocSelectDuplicates) != 0 && call.DuplicatesFound)
            SelectDuplicates(*this, call.ArgsAs<TSortParagraphsArgs>());
        if ((row.Outcome & ocReportNoHeadings) != 0 && call.EntryCount == 0)
            ShowInformation(NoHeadingsMessage);
        if ((row.Outcome & ocRestoreIndexView) != 0) {
            if (viewSwitched)
                SetViewMode(viewBefore);
            Client->Repaint(*this, nullptr);
        }
    }
    if (StateFlags[sfRefreshCaretAfter] != 0 && Client->MayShowCaret(*this))
        Client->RefreshCaret(*this);
}
