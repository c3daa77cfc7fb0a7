// Noting what an operation changed, and doing the layout, caret, selection,
// scroll and repaint work once afterwards.
#include "model/document/TDoc.h"

#include <algorithm>

#include "model/document/ShownPars.h"
#include "model/document/StateFlags.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TDocClient.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t NoPage = static_cast<std::int32_t>(0x80000000u);

bool IsRowEndPar(const TPar* par) {
    return par->CharCount() > 0 && par->Chars.Data[0] == chRowEnd;
}

bool FragmentIsZero(const TFragment& f) {
    return f.Start.Par == 0 && f.Start.Offset == 0 && f.End.Par == 0 && f.End.Offset == 0;
}

}  // namespace

TPostActions& TDoc::PostActions() {
    return RecordingSuspended() ? *SuspendedPostActions : *MainPostActions;
}

void TDoc::NoteParChanged(std::int32_t par) {
    if (StateFlags[sfNoNoting] != 0 || par < 0 || par >= Pars.Count)
        return;
    const int story = StoryOfPar(par);
    std::int32_t page;
    if (story == stHeadersFooters) {
        page = Client->PageOfPar(*this, par);
    } else {
        // A paragraph kept with the one before moves with it.
        const std::int32_t first = FirstParOfStory(story);
        // A paragraph under a collapsed heading counts as its heading.
        std::int32_t p = std::max(first, ShownParAtOrBefore(*this, par));
        while (p > first && Par(p - 1)->Format.KeepWithNext == 1)
            --p;
        // A table row is laid out as a whole, and so is the row before when
        // it joins this one.
        if (Par(p)->Format.InTable == 1) {
            std::int32_t rowStart = p;
            while (rowStart > first && Par(rowStart - 1)->Format.InTable == 1 && !IsRowEndPar(Par(rowStart - 1)))
                --rowStart;
            std::int32_t target = p;
            if (rowStart > first && IsRowEndPar(Par(rowStart - 1))) {
                target = rowStart - 1;
            } else {
                const std::int32_t last = LastParOfStory(story);
                while (target < last && !IsRowEndPar(Par(target)))
                    ++target;
            }
            p = Client->PageOfPar(*this, target) >= 0 ? target : rowStart;
        }
        page = Client->PageOfPar(*this, p);
    }
    if (page < 0)
        return;
    if (page > 0)
        --page;
    TPostActions& pa = PostActions();
    if (pa.FirstPage == NoPage || pa.FirstPage > page) {
        // Notes continued from earlier pages are laid out from where they
        // began.
        while (page > 0 && Client->PageHasContinuedNotes(*this, page))
            --page;
        pa.FirstPage = page;
    }
    pa.RepaintRange = TFragment{};
    if (OpenOperations.Count > 0) {
        StateFlags[sfDocChanged] = 1;
        if (story == stHeadersFooters)
            StateFlags[sfHeaderFooterChanged] = 1;
    }
}

void TDoc::ApplyPostActions() {
    TPostActions& pa = *MainPostActions;
    TModelHost& host = ModelHost();
    StateFlags[sfPostActionsRunning] = 1;
    StateFlags[sfPostActionsStart] = 0;
    Client->StopOccurrenceHighlight(*this);
    if (StateFlags[sfListsStale] != 0) {
        EditingServices().RenumberLists(*this);
        StateFlags[sfListsStale] = 0;
    }
    Client->DropTableBorderHit(*this);
    StateFlags[sfPostActionsBegun] = 1;
    StateFlags[sfDraftGeometryCached] = 0;
    PushStateFlagClear(sfFollowUI);
    PushStateFlag(sfViewChanges);
    PushStateFlag(sfApplyingPostActions);
    PushStateFlag(sfClientKnown);

    // Layout: from the first changed page to five pages past what is shown.
    if (pa.FirstPage != NoPage) {
        std::int32_t last = std::max(pa.FirstPage, Client->LastVisiblePage(*this));
        if (EditedHeaderFooter != nullptr)
            last = std::max(last, EditedPage);
        const TTextPos caret = Caret;
        Caret.Par = pa.Caret.Par;
        Caret.Offset = pa.Caret.Offset;
        StateFlags[sfPostActionLayout] = 1;
        Client->Paginate(*this, pa.FirstPage, last + 5);
        StateFlags[sfPostActionLayout] = 0;
        Caret = caret;
    }

    // The caret, and header and footer editing.
    auto keepCaret = [this]() {
        if (Caret.Par >= Pars.Count)
            Caret.Par = Pars.Count - 1;
        if (StoryOfPar(Caret.Par) == stHeadersFooters) {
            // Back to the text of the page the header or footer is on.
            std::int32_t first = 0, last = 0;
            const std::int32_t pages = Client->PageCount(*this);
            const std::int32_t page = std::min(Caret.Page, pages - 1);
            Caret.Par = pages > 0 && Client->MainParsOfPage(*this, std::max(page, 0), first, last) ? first : 0;
            Caret.Offset = 0;
            Caret.Line = UnlocatedLine;
        } else {
            Caret.Offset = std::clamp(Caret.Offset, 0, std::max(Par(Caret.Par)->CharCount() - 1, 0));
        }
    };
    const bool paCaretInHeaderFooter = StoryOfPar(pa.Caret.Par) == stHeadersFooters;
    if (EditedHeaderFooter == nullptr) {
        if (paCaretInHeaderFooter) {
            keepCaret();
            pa.Selection->Reset();
            SelectedShapes.Clear();
        } else {
            Caret = pa.Caret;
        }
    } else {
        TFragment edited;
        const bool inside = FieldRange(EditedHeaderFooter, edited) && PosInFragmentIncl(pa.Caret, edited);
        if (inside) {
            Caret = pa.Caret;
        } else {
            if (paCaretInHeaderFooter) {
                keepCaret();
            } else {
                Caret.Par = pa.Caret.Par;
                Caret.Offset = pa.Caret.Offset;
            }
            pa.Selection->Reset();
            SelectedShapes.Clear();
            EditedHeaderFooter = nullptr;
            host.RestartBackgroundSpellcheck(*this);
            pa.RepaintRange = TFragment{};
        }
    }
    if (Caret.Par >= Pars.Count) {
        Caret.Par = Pars.Count - 1;
        Caret.Offset = 0;
    }

    if (!Selection->Equals(*pa.Selection))
        pa.RepaintRange = TFragment{};

    // Whether to scroll: not when asked not to, nor when some of the
    // selection to restore is on screen already.
    bool scroll = true;
    if (StateFlags[sfNoCaretScroll] != 0) {
        scroll = false;
    } else if (!IsEmptyCompoundFragment(pa.Selection)) {
        if (Client->SelectionOnScreen(*this, *pa.Selection)) {
            scroll = false;
        } else if (StateFlags[sfKeepCaretOnSelection] == 0) {
            const TTextPos start = pa.Selection->Current().Start;
            Caret.Par = start.Par;
            Caret.Offset = start.Offset;
            Caret.Line = UnlocatedLine;
        }
    }

    if (EditedHeaderFooter != nullptr && pa.FirstPage != NoPage) {
        const std::int32_t pages = Client->PageCount(*this);
        if (pages > 0)
            EditedPage = std::min(EditedPage, pages - 1);
        host.RestartBackgroundSpellcheck(*this);
    }

    Selection->Assign(*pa.Selection);
    if (!IsEmptyCompoundFragment(Selection))
        Client->SnapSelectionToCells(*this);
    Client->SelectionChanged(*this);
    Client->LocateCaret(*this);
    const TViewPoint scrollBefore = ScrollPos;

    if (IsEmptyCompoundFragment(Selection) && SelectedShapes.Count > 0) {
        scroll = false;
    } else if (StateFlags[sfScrollCaretMode4] != 0) {
        StateFlags[sfScrollCaretMode4] = 0;
        Client->ScrollCaretIntoView(*this, 4);
    } else if (scroll) {
        if (pa.HasScrollTarget()) {
            if (Client->ScrollTargetIntoView(*this, pa.ScrollTargetPos, pa.ScrollTargetX, pa.ScrollTargetY))
                scroll = false;
        } else {
            Client->ScrollCaretIntoView(*this, StateFlags[sfSingleTypingUndone] != 0 ? 3 : 0);
        }
    }

    if (StateFlags[sfNoRepaint] == 0) {
        const bool still = ScrollPos.X == scrollBefore.X && ScrollPos.Y == scrollBefore.Y;
        InvalidateSpotlight();
        if (!FragmentIsZero(pa.RepaintRange) && still && !SpotlightActive())
            Client->Repaint(*this, &pa.RepaintRange);
        else
            Client->Repaint(*this, nullptr);
    }

    pa.Reset();
    PopStateFlags(4);

    if (!scroll)
        PushStateFlag(sfNoCaretScroll);
    Client->PlaceCaret(*this);
    if (!scroll)
        PopStateFlag();
    InvalidateSpotlight();
    SpotlightRecentre = 0;

    StateFlags[sfTypingFormatFixed] = 0;
    Client->ResetPerOperationState(*this, StateFlags[sfKeepFindState] != 0, StateFlags[sfKeepCommandState] != 0,
                                   StateFlags[sfKeepWindowByte] != 0);
    host.InvalidateUI();
    StateFlags[sfKeepCaretOnSelection] = 0;
    StateFlags[sfKeepSelectedShapes] = 0;
    StateFlags[sfPaneDirtyMark] = 1;
    StateFlags[sfPostActionsRunning] = 0;
}
