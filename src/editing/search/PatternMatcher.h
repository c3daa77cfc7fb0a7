#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTextPos.h"

class TDoc;

// What a document keeps of the searches run on it: the ranges a search is
// limited to, the position where the current series of searches began, and
// the last match. One record per document, kept beside it by the search
// commands until the document carries these members itself.
struct TDocSearchState {
    // The ranges a search is limited to (ScopeKind 0: the text stories).
    std::vector<TFragment> Scope;
    // 0 the whole text stories, 1 the selection, 2 the rest of the text
    // stories after a searched selection.
    std::uint8_t ScopeKind = 0;
    bool OriginSet = false;
    TTextPos Origin{};
    // The range of the last match, context parts included.
    TFragment LastWholeMatch{};
    std::uint8_t SelectionIsFindResult = 0;
};

// The outcome of one search.
struct TSearchResult {
    bool Found = false;
    TTextPos FoundStart{};
    TTextPos FoundEnd{};
    // The found end after a hit, else where the search stopped.
    TTextPos Next{};
    // The search gave up: the pattern needed more backtracking than the text
    // can justify (TooComplexMessage), or Esc was pressed.
    bool TooComplex = false;
    bool Cancelled = false;
};

constexpr const char* TooComplexMessage =
    "The \"Find what\" pattern is too complex to search this text. Please simplify it.";

// How a long search notices Esc: the message loop installs a host that runs
// the pending messages and tells whether cancelling was asked for. Without
// one nothing is ever cancelled.
class TSearchCancelHost {
public:
    virtual ~TSearchCancelHost() = default;
    virtual void PollSearchCancel() = 0;
    virtual bool CancelRequested() = 0;
};
TSearchCancelHost* SetSearchCancelHost(TSearchCancelHost* host);  // returns the previous one
// Esc was pressed during the running command.
bool SearchCancelRequested();

// Polling is due at most once every this many milliseconds.
constexpr std::int64_t CancelPollInterval = 1000;
extern std::int64_t LastCancelPoll;
extern bool SuppressCancelPoll;

// One pattern code against one text character; without exact, case and
// accents are ignored and the spaces, dashes and quotes match their kin.
bool CharMatches(std::uint16_t code, char16_t t, bool exact);

// The text stories (main text, footnotes, endnotes) as one range.
TFragment TextStoriesRange(const TDoc& doc);

// Tries FindPattern at successive positions from start in the direction
// SearchOptions gives, inside state's scope, and reports the found part of
// the first match. deadline (a tick count, 0 none) stops a forward search
// when it moves to a next paragraph after that time; in a backward search no
// element may start at or after backwardLimit.
void SearchFrom(TDoc& doc,
                TDocSearchState& state,
                const TTextPos& start,
                TSearchResult& result,
                std::int64_t deadline,
                const TTextPos& backwardLimit);
