#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "editing/search/PatternMatcher.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TSearchSelection;

// The caption of a found part in the Find panel's list: the text before,
// the match and the text after, each between two CaptionPartMark, the match
// also between two CaptionMatchMark; long parts are shortened.
std::u16string BuildFindResultCaption(TDoc& doc, const TFragment& found);
// Shortens a caption part longer than CaptionPartLength word by word, from
// its end (or its start when it is the text before the match), and marks
// the cut with an ellipsis.
std::u16string ShortenContext(std::u16string part, bool before);

// The undo name of the steps a replacement records ("Find/Replace").
constexpr std::uint8_t FindReplaceUndoName = 23;
// Find & Select All selects at most this many ranges.
constexpr std::int32_t MaxSelectedFindResults = 32766;
// After this many relaunches from the other end no more questions come.
constexpr std::int32_t MaxSearchWraps = 15;
// The optional messages that ask whether to go on searching.
constexpr int AskSearchRemainderMessage = 37;
constexpr int AskRelaunchSearchMessage = 19;

// A background slice of the Find panel's result collection lasts this long.
constexpr std::int64_t FindResultSliceMs = 100;
// Caption parts longer than this are shortened word by word.
constexpr std::int32_t CaptionPartLength = 32;
// The marks around a result caption's parts: the match stands between two
// MatchMark, every part between two PartMark.
constexpr char16_t CaptionMatchMark = 0x000C;
constexpr char16_t CaptionPartMark = 0x000F;

// What LastAction records for the repeat commands.
enum : std::uint8_t { laFindNext = 0, laReplace = 1, laReplaceAll = 3, laNothing = 4 };

// The repeat commands (menu and hot-key commands 3645 to 3648).
enum : std::uint8_t { rcFindNext = 0, rcReplaceNext = 1, rcRedoLast = 2, rcReplaceAllNext = 3 };

// What the repeat commands need of the program above this library: the main
// window's interface, the Find/Replace window (page 0 Find, 1 Replace) and
// the Find panel. The window code fills it in; without one the window is
// never shown and the panel never counts as visible.
class TFindReplaceHost {
public:
    virtual ~TFindReplaceHost() = default;
    // Refreshes the main window's interface when it is marked dirty.
    virtual void RefreshInterfaceIfDirty() {}
    virtual void ShowFindReplace(int page) = 0;
    // The Find panel is shown (with its replace controls, when asked).
    virtual bool FindPanelVisible(bool withReplaceControls) = 0;
};

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
    // Find next, Replace next, Redo last Find/Replace operation and Replace
    // all next occurrences: the search runs again when one of its kind ran
    // before or the Find panel offers it, else the window opens.
    void RepeatCommand(TDoc& doc, std::uint8_t kind);

    // The Find panel's result list of a document, built in the background:
    // StartFindResults empties the document's lists and starts from its
    // first paragraph; each CollectFindResults call searches for the
    // panel's text for about sliceMs milliseconds and appends what it finds
    // (FindResultNextPar becomes -1 when the text stories are done).
    void StartFindResults(TDoc& doc);
    void CollectFindResults(TDoc& doc, const std::u16string& panelFindText, std::int64_t sliceMs = FindResultSliceMs);
    // Appends the whole-word instances of the document's HighlightText in
    // one paragraph to its HighlightRanges; apostrophes separate words
    // meanwhile, so that "don" is found in "don't". exactMatch is the
    // instance highlighting's own Exact Match option.
    void HighlightOccurrencesInPar(TDoc& doc, std::int32_t par, bool exactMatch);

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
    TFindReplaceHost* Host = nullptr;

private:
    bool CancelRequested() const;
    bool IncludesStoryEnd(TDoc& doc, const TFragment& range) const;
    void Select(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret);

    TSearchSelection& Selection;
    std::unordered_map<const TDoc*, TDocSearchState> States;
};
