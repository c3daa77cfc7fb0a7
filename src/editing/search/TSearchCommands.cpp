#include "editing/search/TSearchCommands.h"

#include <algorithm>

#include "base/core/Ticks.h"
#include "base/messages/MessageBoxes.h"
#include "editing/search/PerformReplacement.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TSearchSelection.h"
#include "editing/search/TToken.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"

namespace {

// A range within a paragraph this long or longer is searched as a scope of
// its own rather than taken as the text to find.
constexpr std::int32_t ScopeRangeLength = 128;

const char* const NotFoundMessage = "No (other) instance of the search item could be found.";

TTextPos FirstTextPos() {
    return TTextPos{};
}

// The last character of the text stories: the last paragraph's mark.
TTextPos LastTextChar(const TDoc& doc) {
    const TFragment text = TextStoriesRange(doc);
    return {text.End.Par, std::max(text.End.Offset - 1, 0), 0, 0};
}

TTextPos OneCharBefore(const TDoc& doc, TTextPos pos) {
    if (pos.Offset > 0) {
        --pos.Offset;
    } else if (pos.Par > 0) {
        --pos.Par;
        pos.Offset = doc.Par(pos.Par)->CharCount() - 1;
    } else {
        pos.Offset = -1;  // before the text: no attempt there
    }
    return pos;
}

bool SameRanges(const std::vector<TFragment>& a, const std::vector<TFragment>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!FragmentsEqual(a[i], b[i]))
            return false;
    return true;
}

// The text stories less some ranges, as the ranges in between.
std::vector<TFragment> TextStoriesLess(const TDoc& doc, std::vector<TFragment> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const TFragment& a, const TFragment& b) { return CompareTextPos(a.Start, b.Start) < 0; });
    std::vector<TFragment> rest;
    const TFragment text = TextStoriesRange(doc);
    TTextPos from = text.Start;
    for (const TFragment& range : ranges) {
        if (CompareTextPos(from, range.Start) < 0)
            rest.push_back({from, range.Start});
        if (CompareTextPos(range.End, from) > 0)
            from = range.End;
    }
    if (CompareTextPos(from, text.End) < 0)
        rest.push_back({from, text.End});
    return rest;
}

// Records a replacement step the way the perform-operation entry does.
class TReplaceStep {
public:
    TReplaceStep(TDoc& doc, bool chained) : Doc(doc), Operation(new TOperation(&doc, FindReplaceUndoName)) {
        if (chained)
            Operation->Flags |= ofChained;
        Doc.BeginOperation(Operation);
    }
    TReplaceStep(const TReplaceStep&) = delete;
    TReplaceStep& operator=(const TReplaceStep&) = delete;
    // Ends and commits the step; one that recorded nothing is dropped.
    ~TReplaceStep() {
        Doc.EndOperation();
        Doc.ApplyPostActions();
        Doc.CommitOperation(Operation);
    }

private:
    TDoc& Doc;
    TOperation* Operation;
};

}  // namespace

TSearchCommands::TSearchCommands(TSearchSelection& selection) : Selection(selection) {}

bool TSearchCommands::CancelRequested() const {
    return SearchCancelRequested();
}

void TSearchCommands::Select(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret) {
    Selection.Select(doc, ranges, caret);
}

bool TSearchCommands::ValidateFindPattern(bool silent) {
    if (FindText.empty() && !(FindFormatChecked && !FindFormat.IsEmpty())) {
        if (!silent) {
            if (FindFormatChecked)
                ShowInformation(
                    "Please either specify text to find, or use the buttons below the \"Find what\" box to specify a "
                    "format pattern to search for.");
            else
                ShowInformation("Please specify text to find.");
        }
        return false;
    }
    std::int32_t position = 1;
    if (TToken::Compile(FindPattern, FindText, position, (SearchOptions & soWildcards) != 0, false, 0))
        return true;
    if (!silent) {
        std::string message = "The \"Find what\" pattern is invalid.";
        if (!PatternError.empty())
            message += "\r\r" + PatternError;
        ShowInformation(message);
    }
    return false;
}

bool TSearchCommands::ValidateReplacePattern() {
    std::int32_t position = 1;
    if (TToken::Compile(ReplacePattern, ReplaceText, position, (SearchOptions & soWildcards) != 0, true, 0)) {
        FindPattern.Referenced = 0;
        for (const auto& child : FindPattern.Children)
            child->Referenced = 0;
        for (const auto& node : ReplacePattern.Children) {
            if (node->Kind != tkGroupRef)
                continue;
            if (node->GroupIndex == WholeFoundText)
                FindPattern.Referenced = 1;
            else if (node->GroupIndex < static_cast<std::int32_t>(FindPattern.Groups.size()))
                FindPattern.Groups[node->GroupIndex]->Referenced = 1;
        }
        return true;
    }
    std::string message = "The \"Replace with\" pattern is invalid.";
    if (!PatternError.empty())
        message += "\r\r" + PatternError;
    ShowInformation(message);
    return false;
}

std::uint8_t TSearchCommands::SelectionScopeKind(TDoc& doc) {
    TDocSearchState& state = StateOf(doc);
    const std::vector<TFragment> ranges = Selection.Ranges(doc);
    if (state.ScopeKind != 0 || ranges.empty() || state.SelectionIsFindResult != 0)
        return state.ScopeKind;
    const TFragment text = TextStoriesRange(doc);
    if (ranges.size() == 1 && FragmentsEqual(ranges[0], text))
        return 0;
    if (ranges.size() > 1 || ranges[0].Start.Par != ranges[0].End.Par)
        return 1;
    // One range within a paragraph: a long one is a scope, a short one is
    // what the user wants to find.
    const TFragment& range = ranges[0];
    if (range.End.Offset - range.Start.Offset < ScopeRangeLength)
        return 0;
    std::u16string selected = doc.RangeText(range);
    return selected != FindText ? 1 : 0;
}

void TSearchCommands::UpdateSearchScope(TDoc& doc) {
    TDocSearchState& state = StateOf(doc);
    const std::uint8_t old = state.ScopeKind;
    state.ScopeKind = SelectionScopeKind(doc);
    const std::vector<TFragment> ranges = Selection.Ranges(doc);
    if (old == 0 && state.ScopeKind == 1) {
        state.Scope = ranges;
        const bool backward = (SearchOptions & soBackward) != 0;
        Select(doc, {}, backward ? ranges.back().End : ranges.front().Start);
    }
    if (state.ScopeKind == 0) {
        const TFragment text = TextStoriesRange(doc);
        state.Scope = {text};
        if (state.SelectionIsFindResult == 0 && ranges.size() == 1 && FragmentsEqual(ranges[0], text))
            Select(doc, {}, text.Start);
    }
}

void TSearchCommands::ClearSearchOrigin(TDoc& doc) {
    StateOf(doc).OriginSet = false;
}

void TSearchCommands::SetSearchOriginIfUnset(TDoc& doc) {
    TDocSearchState& state = StateOf(doc);
    if (!state.OriginSet) {
        state.OriginSet = true;
        state.Origin = doc.Caret;
    }
}

void TSearchCommands::ReturnToSearchOrigin(TDoc& doc) {
    TDocSearchState& state = StateOf(doc);
    if (!state.OriginSet)
        return;
    const TFragment text = TextStoriesRange(doc);
    TTextPos pos = state.Origin;
    pos.Par = std::clamp(pos.Par, text.Start.Par, text.End.Par);
    pos.Offset = std::clamp(pos.Offset, 0, doc.Par(pos.Par)->CharCount() - 1);
    Select(doc, {}, pos);
}

bool TSearchCommands::IncludesStoryEnd(TDoc& doc, const TFragment& range) const {
    const std::int32_t last = doc.LastParOfStory(doc.StoryOfPar(range.Start.Par));
    return range.End.Par > last || (range.End.Par == last && range.End.Offset >= doc.Par(last)->CharCount());
}

bool TSearchCommands::AskToContinueSearch(TDoc& doc) {
    TDocSearchState& state = StateOf(doc);
    if (WrapCount > MaxSearchWraps || QuietBrowsing || CancelRequested())
        return false;
    const bool backward = (SearchOptions & soBackward) != 0;
    const std::vector<TFragment> savedRanges = Selection.Ranges(doc);
    const TTextPos savedCaret = doc.Caret;
    const std::uint8_t savedFindResult = state.SelectionIsFindResult;
    const TFragment span =
        state.Scope.empty() ? TextStoriesRange(doc) : TFragment{state.Scope.front().Start, state.Scope.back().End};
    Select(doc, {}, backward ? span.Start : span.End);

    bool yes = false;
    const TFragment text = TextStoriesRange(doc);
    if (text.End.Par > text.Start.Par || doc.Par(text.Start.Par)->CharCount() > 1) {
        const bool selection = state.ScopeKind == 1;
        const char* message =
            selection
                ? "Rezozuri has finished searching the selection.\rWould you like to search the remainder of this "
                  "document?"
                : "Rezozuri has reached one end of the document.\rWould you like to relaunch searching from the "
                  "other end of this document?";
        yes = ShowOptionalMessage(message, mbkConfirm,
                                  selection ? AskSearchRemainderMessage : AskRelaunchSearchMessage) == mrYes;
    }
    if (yes) {
        Select(doc, {}, backward ? LastTextChar(doc) : FirstTextPos());
        if (state.ScopeKind == 1) {
            state.ScopeKind = 2;
            state.Scope = TextStoriesLess(doc, savedRanges.empty() ? state.Scope : savedRanges);
        } else if (state.ScopeKind == 2) {
            state.ScopeKind = 0;
            state.Scope = {text};
        } else {
            ++WrapCount;
        }
    } else {
        Select(doc, savedRanges, savedCaret);
        state.SelectionIsFindResult = savedFindResult;
    }
    return yes;
}

void TSearchCommands::RepeatCommand(TDoc& doc, std::uint8_t kind) {
    if (kind > rcReplaceAllNext)
        return;
    if (Host != nullptr)
        Host->RefreshInterfaceIfDirty();
    if (kind == rcRedoLast)
        kind = LastAction == laReplace ? rcReplaceNext : LastAction == laReplaceAll ? rcReplaceAllNext : rcFindNext;
    const bool replacing = kind == rcReplaceNext || kind == rcReplaceAllNext;
    const bool ready = (replacing ? ReplaceDone : FindDone) || (Host != nullptr && Host->FindPanelVisible(replacing));
    if (!ready) {
        if (Host != nullptr)
            Host->ShowFindReplace(replacing ? 1 : 0);
        return;
    }
    switch (kind) {
        case rcFindNext:
            FindNext(doc);
            break;
        case rcReplaceNext:
            Replace(doc, false);
            break;
        case rcReplaceAllNext:
            FindOrReplaceAll(doc, true, false);
            break;
        default:
            break;
    }
}

void TSearchCommands::FindNext(TDoc& doc) {
    if (!ValidateFindPattern(false))
        return;
    TDocSearchState& state = StateOf(doc);
    LastCancelPoll = NonNegativeTickCount();
    SetSearchOriginIfUnset(doc);
    const std::vector<TFragment> savedRanges = Selection.Ranges(doc);
    const TTextPos savedCaret = doc.Caret;
    const std::uint8_t savedFindResult = state.SelectionIsFindResult;
    WrapCount = 0;
    UpdateSearchScope(doc);

    const bool backward = (SearchOptions & soBackward) != 0;
    const std::vector<TFragment> ranges = Selection.Ranges(doc);
    TTextPos start = backward ? OneCharBefore(doc, ranges.empty() ? doc.Caret : ranges.front().Start)
                              : (ranges.empty() ? doc.Caret : ranges.back().End);
    const TTextPos limit = ranges.empty() ? doc.Caret : ranges.front().Start;
    const TFragment span =
        state.Scope.empty() ? TextStoriesRange(doc) : TFragment{state.Scope.front().Start, state.Scope.back().End};
    bool full = backward ? (start.Par == span.End.Par && start.Offset >= span.End.Offset - 1)
                         : CompareTextPos(start, span.Start) == 0;
    bool found = false;
    bool gaveUp = false;
    while (true) {
        TSearchResult result;
        SearchFrom(doc, state, start, result, 0, backward ? limit : span.End);
        if (result.Found) {
            Select(doc, {TFragment{result.FoundStart, result.FoundEnd}}, result.FoundEnd);
            state.SelectionIsFindResult = 1;
            found = true;
            break;
        }
        if (result.TooComplex) {
            ShowError(TooComplexMessage);
            gaveUp = true;
            break;
        }
        if (result.Cancelled || (full && state.ScopeKind == 0) || !AskToContinueSearch(doc))
            break;
        start = backward ? LastTextChar(doc) : FirstTextPos();
        full = true;
    }
    if (!found) {
        const std::vector<TFragment> now = Selection.Ranges(doc);
        if (savedFindResult == 0 && !savedRanges.empty() && !SameRanges(savedRanges, now))
            Select(doc, savedRanges, savedCaret);
        if (!QuietBrowsing) {
            ReturnToSearchOrigin(doc);
            if (!CancelRequested() && !gaveUp)
                ShowInformation(NotFoundMessage);
        }
    }
    FindDone = true;
    LastAction = laFindNext;
}

void TSearchCommands::Replace(TDoc& doc, bool noFindNext) {
    if (!ValidateFindPattern(false) || !ValidateReplacePattern())
        return;
    TDocSearchState& state = StateOf(doc);
    LastCancelPoll = NonNegativeTickCount();
    SetSearchOriginIfUnset(doc);
    WrapCount = 0;
    const std::vector<TFragment> ranges = Selection.Ranges(doc);
    if (ranges.size() == 1) {
        const TFragment range = state.SelectionIsFindResult != 0 ? state.LastWholeMatch : ranges[0];
        // The pattern must match the selection exactly, context parts and all.
        const std::uint8_t options = SearchOptions;
        SearchOptions &= ~soBackward;
        TSearchResult result;
        SearchFrom(doc, state, range.Start, result, 0, range.End);
        SearchOptions = options;
        const TFragment found{result.FoundStart, result.FoundEnd};
        if (result.Found && FragmentsEqual(found, ranges[0])) {
            const bool formatOnly = ReplaceText.empty() && !ReplaceFormat.IsEmpty();
            if (!formatOnly && IncludesStoryEnd(doc, found)) {
                ShowInformation("The selected paragraph end marks cannot be replaced.");
            } else {
                TReplaceStep step(doc, false);
                const TFragment replaced = PerformReplacement(doc, state, found);
                Select(doc, {}, replaced.End);
                state.SelectionIsFindResult = 0;
            }
        }
    }
    if (!noFindNext)
        FindNext(doc);
    ReplaceDone = true;
    LastAction = laReplace;
}

bool TSearchCommands::FindOrReplaceAll(TDoc& doc, bool replace, bool noWrap) {
    if (!ValidateFindPattern(false) || (replace && !ValidateReplacePattern()))
        return true;
    TDocSearchState& state = StateOf(doc);
    LastCancelPoll = NonNegativeTickCount();
    SetSearchOriginIfUnset(doc);
    UpdateSearchScope(doc);
    const std::vector<TFragment> savedRanges = Selection.Ranges(doc);
    const TTextPos savedCaret = doc.Caret;
    const bool backward = (SearchOptions & soBackward) != 0;
    const TFragment span =
        state.Scope.empty() ? TextStoriesRange(doc) : TFragment{state.Scope.front().Start, state.Scope.back().End};
    TTextPos caret = doc.Caret;
    if (!replace)
        caret = backward ? span.End : span.Start;
    else if (!savedRanges.empty())
        caret = backward ? savedRanges.back().End : savedRanges.front().Start;
    bool full = CompareTextPos(caret, backward ? span.End : span.Start) == 0;
    const bool formatOnly = ReplaceText.empty() && !ReplaceFormat.IsEmpty();

    std::int32_t total = 0;
    std::int32_t pass = 0;
    bool gaveUp = false;
    std::vector<TFragment> selected;
    std::unique_ptr<TReplaceStep> step;
    if (replace)
        step = std::make_unique<TReplaceStep>(doc, false);
    TTextPos lastStart = caret;
    TTextPos next = backward ? OneCharBefore(doc, caret) : caret;
    while (true) {
        TSearchResult result;
        SearchFrom(doc, state, next, result, 0, lastStart);
        if (result.TooComplex) {
            ShowError(TooComplexMessage);
            gaveUp = true;
        }
        if (!result.Found || (!replace && static_cast<std::int32_t>(selected.size()) > MaxSelectedFindResults)) {
            if (!replace)
                break;
            step.reset();
            if (gaveUp || result.Cancelled || (full && state.ScopeKind == 0 && pass == 0) || noWrap ||
                !AskToContinueSearch(doc))
                break;
            next = backward ? LastTextChar(doc) : FirstTextPos();
            lastStart = backward ? TextStoriesRange(doc).End : next;
            step = std::make_unique<TReplaceStep>(doc, true);
            pass = 0;
            full = true;
            continue;
        }
        const TFragment found{result.FoundStart, result.FoundEnd};
        if (replace && !formatOnly && IncludesStoryEnd(doc, found)) {
            next = backward ? OneCharBefore(doc, found.Start) : found.End;
            lastStart = found.Start;
            continue;
        }
        if (replace) {
            const TFragment replaced = PerformReplacement(doc, state, found);
            next = backward ? OneCharBefore(doc, found.Start) : replaced.End;
            lastStart = found.Start;
            doc.Caret = replaced.End;
        } else {
            selected.push_back(found);
            next = backward ? OneCharBefore(doc, found.Start) : found.End;
            lastStart = found.Start;
            state.SelectionIsFindResult = 1;
        }
        ++total;
        ++pass;
    }
    step.reset();
    const bool cancelled = CancelRequested();
    LastTotal = total;
    if (total == 0) {
        Select(doc, savedRanges, savedCaret);
        if (!cancelled && !gaveUp)
            ShowInformation(NotFoundMessage);
    } else if (replace) {
        Select(doc, {}, doc.Caret);
        if (!noWrap)
            ReturnToSearchOrigin(doc);
        if (!cancelled)
            ShowInformationFmt("Search complete. Replaced %s occurrence(s).", std::to_string(total));
    } else {
        std::sort(selected.begin(), selected.end(),
                  [](const TFragment& a, const TFragment& b) { return CompareTextPos(a.Start, b.Start) < 0; });
        Select(doc, selected, selected.front().Start);
        state.SelectionIsFindResult = 1;
        if (!cancelled) {
            if (static_cast<std::int32_t>(selected.size()) > MaxSelectedFindResults)
                ShowInformationFmt(
                    "Rezozuri found too many items. They cannot all be selected together.\rOnly the first %s items "
                    "were actually selected.",
                    std::to_string(MaxSelectedFindResults + 1));
            else
                ShowInformationFmt("Search complete. Rezozuri found and selected %s occurrence(s).",
                                   std::to_string(total));
        }
    }
    state.ScopeKind = 0;
    if (replace) {
        ReplaceDone = true;
        LastAction = laReplaceAll;
    }
    return !cancelled;
}
