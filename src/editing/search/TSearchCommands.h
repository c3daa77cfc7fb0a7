#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "editing/search/PatternMatcher.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TSearchSelection;

// The undo name of the steps a replacement records ("Find/Replace").
constexpr std::uint8_t FindReplaceUndoName = 23;
// Find & Select All selects at most this many ranges.
constexpr std::int32_t MaxSelectedFindResults = 32766;
// After this many relaunches from the other end no more questions come.
constexpr std::int32_t MaxSearchWraps = 15;
// The optional messages that ask whether to go on searching.
constexpr int AskSearchRemainderMessage = 37;
constexpr int AskRelaunchSearchMessage = 19;

// What LastAction records for the repeat commands.
enum : std::uint8_t { laFindNext = 0, laReplace = 1, laReplaceAll = 3, laNothing = 4 };

// The commands behind the Find/Replace window's buttons: Find Next,
// Replace, Find & Select All and Replace All on a document, with the search
// scope, the search origin and the questions at the end of a scope. The
// window (and its test stand-ins) set the texts and the options
// (SearchOptions, FindFormat, ReplaceFormat) before calling them.
class TSearchCommands {
public:
    explicit TSearchCommands(TSearchSelection& selection);

    bool ValidateFindPattern(bool silent);
    bool ValidateReplacePattern();

    void FindNext(TDoc& doc);
    void Replace(TDoc& doc, bool noFindNext);
    // False when Esc cancelled it.
    bool FindOrReplaceAll(TDoc& doc, bool replace, bool noWrap);
    bool AskToContinueSearch(TDoc& doc);

    void UpdateSearchScope(TDoc& doc);
    std::uint8_t SelectionScopeKind(TDoc& doc);
    void ClearSearchOrigin(TDoc& doc);
    void SetSearchOriginIfUnset(TDoc& doc);
    void ReturnToSearchOrigin(TDoc& doc);

    TDocSearchState& StateOf(TDoc& doc) { return States[&doc]; }
    // Forgets a document that closes.
    void DocumentClosed(TDoc& doc) { States.erase(&doc); }

    std::u16string FindText;
    std::u16string ReplaceText;
    // The Format check box under the Find box.
    bool FindFormatChecked = false;
    // A browse command runs Find Next: no questions and no messages.
    bool QuietBrowsing = false;
    std::int32_t WrapCount = 0;
    std::uint8_t LastAction = laNothing;
    bool FindDone = false;
    bool ReplaceDone = false;
    // The number of occurrences the last Find & Select All or Replace All
    // found or replaced.
    std::int32_t LastTotal = 0;

private:
    bool CancelRequested() const;
    bool IncludesStoryEnd(TDoc& doc, const TFragment& range) const;
    void Select(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret);

    TSearchSelection& Selection;
    std::unordered_map<const TDoc*, TDocSearchState> States;
};
