// The two searches that run in the background in time slices: the Find
// panel's list of every result with its caption, and the highlighting of
// the other instances of a selected word. Both borrow the search state of
// the window (options, Find format, scope) for the duration of a call and
// put it back, so that a search the user runs meanwhile finds it unchanged.

#include <algorithm>

#include "base/core/Ticks.h"
#include "editing/search/PatternMatcher.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TSearchCommands.h"
#include "editing/search/TToken.h"
#include "model/document/TDoc.h"
#include "model/formats/WordSeparators.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"
#include "platform/Collation.h"

namespace {

constexpr char16_t CarriageReturn = 0x000D;
constexpr char16_t NoBreakSpace = 0x00A0;
// A part shortened word by word keeps at least this many characters.
constexpr std::size_t MinShortenedPart = 9;

// The characters of a paragraph from one offset to another (its end mark
// excluded), breaks and other special characters as blanks.
std::u16string ParText(TDoc& doc, std::int32_t par, std::int32_t from, std::int32_t to) {
    TPar* p = doc.Par(par);
    if ((p->Flags & pfWideTextValid) == 0)
        p->BuildWideText();
    const std::int32_t last = static_cast<std::int32_t>(p->WideText.size()) - 1;  // the end mark
    to = std::min(to, last);
    std::u16string text;
    for (std::int32_t i = std::max(from, 0); i < to; ++i) {
        const char16_t c = p->WideText[i];
        text += c < 0x20 ? u' ' : c;
    }
    return text;
}

void TrimTrailingBlanks(std::u16string& s) {
    while (!s.empty() && s.back() == u' ')
        s.pop_back();
}

void TrimLeadingBlanks(std::u16string& s) {
    std::size_t n = 0;
    while (n < s.size() && s[n] == u' ')
        ++n;
    s.erase(0, n);
}

bool IsAlphaNumeric(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= 0x20 && Platform::IsLetterWide(c));
}

// The last paragraph of the story that holds par.
std::int32_t LastOfStory(TDoc& doc, std::int32_t par) {
    return doc.LastParOfStory(doc.StoryOfPar(par));
}

// A part that runs from a position forward to its paragraph's end, and on
// into the next paragraph up to limit when the first part is short: the
// match and the text after it.
std::u16string ForwardPart(TDoc& doc, const TTextPos& from, const TTextPos& limit) {
    std::u16string first = ParText(doc, from.Par, from.Offset, limit.Par == from.Par ? limit.Offset : 2147483647);
    if (limit.Par == from.Par)
        return first;
    if (first.size() <= static_cast<std::size_t>(CaptionPartLength)) {
        std::u16string next = ParText(doc, from.Par + 1, 0, from.Par + 1 == limit.Par ? limit.Offset : 2147483647);
        TrimTrailingBlanks(next);
        first += CarriageReturn;
        first += next;
    }
    return first;
}

}  // namespace

std::u16string ShortenContext(std::u16string part, bool before) {
    if (part.size() <= static_cast<std::size_t>(CaptionPartLength))
        return part;
    while (part.size() > static_cast<std::size_t>(CaptionPartLength)) {
        if (before) {
            // The first word goes with the character after it, or the first
            // character when it is no letter or digit.
            std::size_t n = 1;
            if (IsAlphaNumeric(part.front())) {
                while (n < part.size() && IsAlphaNumeric(part[n]))
                    ++n;
                n = std::min(n + 1, part.size());
            }
            if (part.size() - n < MinShortenedPart)
                break;
            part.erase(0, n);
        } else {
            // The last word goes with the character before it, or the last
            // character when it is no letter or digit.
            std::size_t start = part.size() - 1;
            if (IsAlphaNumeric(part.back())) {
                while (start > 0 && IsAlphaNumeric(part[start - 1]))
                    --start;
                if (start > 0)
                    --start;
            }
            if (start < MinShortenedPart)
                break;
            part.erase(start);
        }
    }
    if (before)
        return std::u16string{NoBreakSpace} + u"..." + NoBreakSpace + part;
    return part + u" ... ";
}

std::u16string BuildFindResultCaption(TDoc& doc, const TFragment& found) {
    // The match.
    std::u16string match = ForwardPart(doc, found.Start, found.End);

    // The text before: the found part's paragraph up to its start; from the
    // start of a paragraph, the paragraph before in the same story.
    std::u16string before;
    {
        TTextPos from{found.Start.Par, 0, 0, 0};
        if (found.Start.Offset == 0 && found.Start.Par > doc.FirstParOfStory(doc.StoryOfPar(found.Start.Par)))
            --from.Par;
        before = ParText(doc, found.Start.Par, 0, found.Start.Offset);
        if (from.Par != found.Start.Par && before.size() <= static_cast<std::size_t>(CaptionPartLength)) {
            std::u16string previous = ParText(doc, from.Par, 0, 2147483647);
            TrimLeadingBlanks(previous);
            before = previous + CarriageReturn + before;
        }
    }

    // The text after: to the end of the found end's paragraph, or on to the
    // end of the next paragraph in the same story when the found end is at
    // the paragraph's last character or after it.
    std::u16string after;
    {
        const TTextPos& from = found.End;
        const std::int32_t lastChar = doc.Par(from.Par)->CharCount() - 1;
        std::int32_t limitPar = from.Par;
        if (from.Offset >= lastChar && from.Par < LastOfStory(doc, from.Par))
            ++limitPar;
        after = ForwardPart(doc, from, {limitPar, 2147483647, 0, 0});
    }

    std::u16string caption;
    caption += CaptionPartMark;
    caption += ShortenContext(before, true);
    caption += CaptionPartMark;
    caption += CaptionMatchMark;
    caption += ShortenContext(match, false);
    caption += CaptionMatchMark;
    caption += CaptionPartMark;
    caption += ShortenContext(after, false);
    caption += CaptionPartMark;
    return caption;
}

void TSearchCommands::StartFindResults(TDoc& doc) {
    doc.FindResults.clear();
    doc.FindResultMatches.clear();
    doc.FindResultCaptions.clear();
    doc.FindResultNextPar = 0;
}

void TSearchCommands::CollectFindResults(TDoc& doc, const std::u16string& panelFindText, std::int64_t sliceMs) {
    if (doc.FindResultNextPar < 0)
        return;
    TDocSearchState& state = StateOf(doc);
    const bool savedSuppress = SuppressCancelPoll;
    SuppressCancelPoll = true;
    const std::uint8_t savedOptions = SearchOptions;
    SearchOptions = static_cast<std::uint8_t>(SearchOptions & ~soBackward);
    const std::uint8_t savedKind = state.ScopeKind;
    const std::vector<TFragment> savedScope = state.Scope;
    const TFragment savedWholeMatch = state.LastWholeMatch;
    const TFragment text = TextStoriesRange(doc);
    state.ScopeKind = 1;
    state.Scope = {{{doc.FindResultNextPar, 0, 0, 0}, text.End}};

    std::int32_t position = 1;
    const bool compiled =
        TToken::Compile(FindPattern, panelFindText, position, (SearchOptions & soWildcards) != 0, false, 0);
    TTextPos next{doc.FindResultNextPar, 0, 0, 0};
    if (compiled && doc.FindResultNextPar <= text.End.Par) {
        // A deadline of 0 means none: a slice always has one.
        const std::int64_t deadline = std::max<std::int64_t>(1, NonNegativeTickCount() + sliceMs);
        TSearchResult result;
        while (true) {
            SearchFrom(doc, state, next, result, deadline, next);
            next = result.Next;
            if (!result.Found)
                break;
            doc.FindResults.push_back({result.FoundStart, result.FoundEnd});
            doc.FindResultMatches.push_back(state.LastWholeMatch);
            const std::size_t index = doc.FindResults.size() - 1;
            std::u16string caption = BuildFindResultCaption(doc, doc.FindResults.back());
            if (index < doc.FindResultCaptions.size())
                doc.FindResultCaptions[index] = std::move(caption);
            else
                doc.FindResultCaptions.push_back(std::move(caption));
        }
    } else {
        // Nothing to find (or nothing left): the list is as complete as it
        // can be.
        next.Par = text.End.Par + 1;
    }
    doc.FindResultNextPar = next.Par;
    if (next.Par > text.End.Par) {
        doc.FindResultNextPar = -1;
        doc.Client->Repaint(doc, nullptr);
    }

    state.Scope = savedScope;
    state.ScopeKind = savedKind;
    state.LastWholeMatch = savedWholeMatch;
    SearchOptions = savedOptions;
    SuppressCancelPoll = savedSuppress;
}

void TSearchCommands::HighlightOccurrencesInPar(TDoc& doc, std::int32_t par, bool exactMatch) {
    if (par < 0 || par >= doc.ParCount() || doc.HighlightText.empty())
        return;
    TDocSearchState& state = StateOf(doc);
    const bool savedSuppress = SuppressCancelPoll;
    SuppressCancelPoll = true;
    ExcludeApostrophesFromWords();
    const std::uint8_t savedOptions = SearchOptions;
    SearchOptions = exactMatch ? soExactMatch : 0;
    const TFindFormat savedFormat = FindFormat;
    FindFormat.Clear();
    const std::uint8_t savedKind = state.ScopeKind;
    const std::vector<TFragment> savedScope = state.Scope;
    const TFragment savedWholeMatch = state.LastWholeMatch;
    const TPar* p = doc.Par(par);
    const std::int32_t length = p->CharCount();
    state.ScopeKind = 1;
    state.Scope = {{{par, 0, 0, 0}, {par, length, 0, 0}}};

    std::int32_t position = 1;
    if (TToken::Compile(FindPattern, doc.HighlightText, position, false, false, 0)) {
        const bool wordStart = IsWordPatternChar(doc.HighlightText.front());
        const bool wordEnd = IsWordPatternChar(doc.HighlightText.back());
        auto delimiterAt = [&](std::int32_t offset) { return WordSeparators[p->Chars.Data[offset]] != 0; };
        TTextPos from{par, 0, 0, 0};
        TSearchResult result;
        while (true) {
            SearchFrom(doc, state, from, result, 0, from);
            if (!result.Found || result.FoundStart.Par != par)
                break;
            const std::int32_t start = result.FoundStart.Offset;
            const std::int32_t end = result.FoundEnd.Par == par ? result.FoundEnd.Offset : length;
            const bool partOfWord = (wordStart && start > 0 && !delimiterAt(start - 1)) ||
                                    (wordEnd && end < length - 1 && !delimiterAt(end));
            if (partOfWord) {
                from = {par, start + 1, 0, 0};
                continue;
            }
            doc.HighlightRanges.push_back({result.FoundStart, result.FoundEnd});
            from = result.FoundEnd;
            if (from.Par != par)
                break;
        }
    }

    state.Scope = savedScope;
    state.ScopeKind = savedKind;
    state.LastWholeMatch = savedWholeMatch;
    FindFormat = savedFormat;
    SearchOptions = savedOptions;
    IncludeApostrophesInWords();
    SuppressCancelPoll = savedSuppress;
}
