#include "editing/search/PatternMatcher.h"

#include <type_traits>
#include <unordered_map>

#include "base/core/Ticks.h"
#include "base/text/CompareLocale.h"
#include "base/text/TextCase.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TToken.h"
#include "model/document/TDoc.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/WordSeparators.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"
#include "platform/Collation.h"

std::int64_t LastCancelPoll = 0;
bool SuppressCancelPoll = false;

namespace {

TSearchCancelHost* CancelHost = nullptr;

// Runs the pending messages when a poll is due, so that Esc can be noticed;
// true when cancelling was asked for.
bool PollCancelIfDue() {
    if (CancelHost == nullptr)
        return false;
    if (!SuppressCancelPoll) {
        const std::int64_t now = NonNegativeTickCount();
        if (now - LastCancelPoll >= CancelPollInterval) {
            CancelHost->PollSearchCancel();
            LastCancelPoll = now;
        }
    }
    return CancelHost->CancelRequested();
}

// Backtracking is bounded so that a pattern with nested repetitions cannot
// hang the program on a long text: a search may take this many steps, plus
// StepsPerAttempt for each position it tries, before it gives up as too
// complex. A plain pattern takes a handful of steps per position; the slack
// lets an unbounded run scan a few thousand characters from every position.
constexpr std::int64_t BaseStepBudget = 2000000;
constexpr std::int64_t StepsPerAttempt = 4096;
// Repetitions of groups nest calls; beyond this depth the pattern is too
// complex for the stack.
constexpr int MaxMatchDepth = 8000;
// How often the step counter looks at the clock for the Esc poll.
constexpr std::int64_t PollCheckSteps = 4096;

// A non-owning reference to a callable, for the continuations of the
// matcher: they live on the stack of the call that passes them.
template <class Sig>
class TFunctionRef;
template <class R, class... A>
class TFunctionRef<R(A...)> {
public:
    template <class F>
    requires(!std::is_same_v<std::decay_t<F>, TFunctionRef>) TFunctionRef(F&& f)  // NOLINT: converting on purpose
        : Object(const_cast<void*>(static_cast<const void*>(&f))),
          Invoker([](void* o, A... a) -> R { return (*static_cast<std::remove_reference_t<F>*>(o))(a...); }) {}
    R operator()(A... a) const { return Invoker(Object, a...); }

private:
    void* Object;
    R (*Invoker)(void*, A...);
};

using TContinuation = TFunctionRef<bool(const TTextPos&)>;

bool SamePos(const TTextPos& a, const TTextPos& b) {
    return a.Par == b.Par && a.Offset == b.Offset;
}

bool InClass(char16_t c, std::initializer_list<char16_t> members) {
    for (char16_t m : members)
        if (m == c)
            return true;
    return false;
}

// The equivalence classes of a search without exact matching.
int EquivalenceClass(char16_t c) {
    if (InClass(c,
                {pcNbSpace, pcEnSpace, pcEmSpace, pcQuarterEmSpace, u' ', u'\u00A0', u'\u2002', u'\u2003', u'\u2005'}))
        return 1;
    if (InClass(c, {pcNbHyphen, pcLongDash, pcShortDash, u'-', u'\u2010', u'\u2011', u'\u2013', u'\u2014', u'\u2015'}))
        return 2;
    if (InClass(c, {u'"', u'\u00AB', u'\u00BB', u'\u201C', u'\u201D', u'\u201E'}))
        return 3;
    if (InClass(c, {u'\'', u'`', u'\u2018', u'\u2019'}))
        return 4;
    return 0;
}

char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

// Comparisons of two characters under the locale, which are slow, once per
// pair and locale.
std::unordered_map<std::uint64_t, bool>& LocaleMatchCache() {
    static std::unordered_map<std::uint64_t, bool> cache;
    return cache;
}

bool LocaleCharsEqual(char16_t a, char16_t b) {
    const std::uint32_t locale = CompareLocale();
    const std::uint64_t key = (static_cast<std::uint64_t>(locale) << 32) | (static_cast<std::uint32_t>(a) << 16) | b;
    auto& cache = LocaleMatchCache();
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    const char16_t sa[1] = {a};
    const char16_t sb[1] = {b};
    const bool equal = Platform::CompareWideInLocale(locale, Platform::clIgnoreCase | Platform::clIgnoreAccents,
                                                     std::u16string_view(sa, 1), std::u16string_view(sb, 1)) == 0;
    cache.emplace(key, equal);
    return equal;
}

}  // namespace

TSearchCancelHost* SetSearchCancelHost(TSearchCancelHost* host) {
    TSearchCancelHost* previous = CancelHost;
    CancelHost = host;
    return previous;
}

bool SearchCancelRequested() {
    return CancelHost != nullptr && CancelHost->CancelRequested();
}

bool CharMatches(std::uint16_t code, char16_t t, bool exact) {
    switch (code) {
        case pcAnyChar:
            return true;
        case pcAnyDigit:
            return t >= u'0' && t <= u'9';
        case pcAnyLetter:
            return t >= 32 && Platform::IsLetterWide(t);
        case pcAnyUpper:
            return t >= 32 && LowerWideCharLocale(t) != t;
        case pcAnyLower:
            return t >= 32 && UpperWideCharLocale(t) != t;
        default:
            break;
    }
    if (code == t)
        return true;
    if (exact)
        return false;
    const int cls = EquivalenceClass(code);
    if (cls != 0)
        return cls == EquivalenceClass(t);
    if (code < 32 || t < 32)
        return false;
    if (code < 128 && t < 128)
        return AsciiLower(code) == AsciiLower(t);
    return LocaleCharsEqual(code, t);
}

TFragment TextStoriesRange(const TDoc& doc) {
    TFragment range{};
    const std::int32_t last = doc.StoryCounts[stMain] + doc.StoryCounts[stFootnotes] + doc.StoryCounts[stEndnotes] - 1;
    range.End.Par = last;
    range.End.Offset = last >= 0 ? doc.Par(last)->CharCount() : 0;
    return range;
}

namespace {

class TMatcher {
public:
    TMatcher(TDoc& doc, TDocSearchState& state) : Doc(doc), State(state) {
        Exact = (SearchOptions & soExactMatch) != 0;
        Backward = (SearchOptions & soBackward) != 0;
        LastTextPar = TextStoriesRange(doc).End.Par;
        CharFormatGiven = !CharFormatIsClear(FindFormat.CharFormat);
        ParFormatGiven = !ParFormatIsClear(FindFormat.ParFormat);
        // The style is named, not numbered, in the Find format: the
        // document's style of that display name is the criterion, and a name
        // the document lacks matches no paragraph.
        if (!FindFormat.StyleName.empty()) {
            const std::string name = Platform::Utf16ToUtf8(FindFormat.StyleName);
            StyleCriterion = doc.Styles != nullptr ? doc.Styles->IndexOfDisplayName(name) : -1;
            ParFormatGiven = true;
        }
    }

    // Tries the pattern at q; true with the whole match's end in WholeEnd.
    bool Attempt(const TTextPos& q) {
        AttemptStart = q;
        AttemptStory = Doc.StoryOfPar(q.Par);
        Budget += StepsPerAttempt;
        return MatchSeq(FindPattern, 0, q, false, [&](const TTextPos& end) {
            // A match of nothing but empty elements is no match.
            bool allEmpty = true;
            for (const auto& child : FindPattern.Children)
                if (!SamePos(child->MatchStart, child->MatchEnd))
                    allEmpty = false;
            if (allEmpty)
                return false;
            WholeEnd = end;
            return true;
        });
    }

    bool PosInSearchScope(const TTextPos& pos) const {
        if (State.ScopeKind == 0)
            return true;
        for (const TFragment& range : State.Scope)
            if (PosInFragmentIncl(pos, range))
                return true;
        return false;
    }

    std::int32_t Length(std::int32_t par) const { return Doc.Par(par)->CharCount(); }
    const std::u16string& Text(std::int32_t par) const {
        TPar* p = Doc.Par(par);
        if ((p->Flags & pfWideTextValid) == 0)
            p->BuildWideText();
        return p->WideText;
    }

    // The character at a position in the pattern's code space: text that
    // holds a special character as its Unicode form (a soft hyphen typed as
    // U+00AD) reads as the special code, as a typed pattern does.
    std::uint16_t CharAt(std::int32_t par, std::int32_t offset) const { return PatternCodeOf(Text(par)[offset]); }

    TTextPos WholeEnd{};
    bool GiveUp = false;
    bool Cancelled = false;
    TTextPos Limit{};

private:
    bool Step() {
        if (GiveUp || Cancelled)
            return false;
        if (++Steps > Budget) {
            GiveUp = true;
            return false;
        }
        if ((Steps % PollCheckSteps) == 0 && PollCancelIfDue()) {
            Cancelled = true;
            return false;
        }
        return true;
    }

    // A position at or after its paragraph's end moves to the start of the
    // next paragraph, which must lie in the attempt's story and the text
    // stories.
    bool Normalise(TTextPos& pos) const {
        while (pos.Offset >= Length(pos.Par)) {
            const std::int32_t next = pos.Par + 1;
            if (next > LastTextPar || Doc.StoryOfPar(next) != AttemptStory)
                return false;
            pos.Par = next;
            pos.Offset = 0;
        }
        return true;
    }

    bool IsDelimiterAt(std::int32_t par, std::int32_t offset) const {
        const TPar* p = Doc.Par(par);
        if (offset < 0 || offset >= p->CharCount())
            return true;
        return WordSeparators[p->Chars.Data[offset]] != 0;
    }

    bool AnchorHolds(const TToken& e, const TTextPos& p) const {
        switch (e.Kind) {
            case tkWordStart:
                return (p.Offset == 0 || IsDelimiterAt(p.Par, p.Offset - 1)) && !IsDelimiterAt(p.Par, p.Offset);
            case tkWordEnd:
                return p.Offset > 0 && !IsDelimiterAt(p.Par, p.Offset - 1) && IsDelimiterAt(p.Par, p.Offset);
            default:
                return p.Offset == 0;
        }
    }

    bool ParFormatMatches(std::int32_t par) const {
        if (!ParFormatGiven)
            return true;
        const TParFormat& format = Doc.Par(par)->Format;
        if (StyleCriterion != NoStyleCriterion && (StyleCriterion < 0 || format.Style != StyleCriterion))
            return false;
        for (int prop = 0; prop < ParPropCount; ++prop) {
            if (prop == ppStyle || ParPropIsUnset(FindFormat.ParFormat, prop))
                continue;
            if (GetParProp(FindFormat.ParFormat, prop) != GetParProp(format, prop))
                return false;
        }
        return true;
    }

    bool CharFormatMatches(const TTextPos& pos) const {
        if (!CharFormatGiven)
            return true;
        TCharFormat format;
        Doc.FormatAtPos(pos, format);
        for (int a = 0; a < CharAttrCount; ++a) {
            const std::int32_t wanted = FindFormat.CharFormat[a];
            if (wanted == UnsetValue)
                continue;
            if (a == caHighlight && wanted == AnyHighlight) {
                if (format[a] == AutoColor)
                    return false;
                continue;
            }
            if (format[a] != wanted)
                return false;
        }
        return true;
    }

    bool InTable(std::int32_t par) const { return GetParProp(Doc.Par(par)->Format, ppInTable) > 0; }

    bool CodeMatches(const TToken& e, char16_t t) const {
        if (e.Kind == tkChar)
            return NoteMarkOrChar(e.Code, t, Exact || e.Escaped != 0);
        bool hit = false;
        for (std::size_t m = e.SetRanges.size(); m-- > 0 && !hit;) {
            const std::uint32_t low = e.SetRanges[m] & 0xFFFF;
            const std::uint32_t high = e.SetRanges[m] >> 16;
            const bool exact = Exact || e.SetEscapes[m] != 0;
            for (std::uint32_t c = low; c <= high && !hit; ++c)
                hit = NoteMarkOrChar(static_cast<std::uint16_t>(c), t, exact);
        }
        return e.Kind == tkNegatedSet ? !hit : hit;
    }

    bool NoteMarkOrChar(std::uint16_t code, char16_t t, bool exact) const {
        if (code == pcFootnoteMark || code == pcEndnoteMark) {
            if (t != pcNoteRef)
                return false;
            // The story tells the kind of a mark in a note's own text; in
            // the main text a reference mark counts as either.
            const int story = AttemptStory;
            return code == pcFootnoteMark ? story != stEndnotes : story != stFootnotes;
        }
        return CharMatches(code, t, exact);
    }

    // One character of a character or set node at pos; q gets the position
    // after it.
    bool StepChar(const TToken& e, TTextPos pos, int count, bool context, TTextPos& q) {
        if (!Step())
            return false;
        if (!Normalise(pos))
            return false;
        if (&e == FindPattern.Children.front().get() && e.Kind == tkChar && e.Code == pcAnyChar &&
            e.Maximum == UnboundedRepeat && count >= 1 && !FormatOnlySearch)
            return false;
        if (IgnoreSoftHyphens) {
            while (pos.Offset < Length(pos.Par) && CharAt(pos.Par, pos.Offset) == pcSoftHyphen)
                ++pos.Offset;
            if (!Normalise(pos))
                return false;
        }
        const char16_t t = CharAt(pos.Par, pos.Offset);
        if (t == pcCellEnd || t == pcRowEnd)
            return false;
        if (pos.Offset == 0 && pos.Par > AttemptStart.Par && InTable(pos.Par) && InTable(pos.Par - 1))
            return false;
        if (!context && (!ParFormatMatches(pos.Par) || !CharFormatMatches(pos)))
            return false;
        if (!CodeMatches(e, t))
            return false;
        q = {pos.Par, pos.Offset + 1, 0, 0};
        return PosInSearchScope(q);
    }

    bool MatchGroupRef(const TToken& e, TTextPos p, TContinuation k) {
        if (!Step())
            return false;
        const TToken* group = e.GroupIndex >= 0 && e.GroupIndex < static_cast<std::int32_t>(FindPattern.Groups.size())
                                  ? FindPattern.Groups[e.GroupIndex]
                                  : nullptr;
        if (group == nullptr)
            return false;
        // The candidate is as many characters as the group matched, paragraph
        // marks included, each equal to the group's under the search's rules.
        TTextPos g = group->MatchStart;
        const TTextPos gEnd = group->MatchEnd;
        while (CompareTextPos(g, gEnd) < 0) {
            if (g.Offset >= Length(g.Par)) {
                g = {g.Par + 1, 0, 0, 0};
                continue;
            }
            if (!Normalise(p))
                return false;
            const char16_t want = CharAt(g.Par, g.Offset);
            const char16_t t = CharAt(p.Par, p.Offset);
            if (t == pcCellEnd || t == pcRowEnd)
                return false;
            if (!CharMatches(want, t, Exact))
                return false;
            ++g.Offset;
            ++p.Offset;
        }
        if (!PosInSearchScope(p))
            return false;
        return k(p);
    }

    bool MatchSeq(TToken& g, std::size_t i, TTextPos p, bool groupContext, TContinuation k) {
        if (GiveUp || Cancelled)
            return false;
        if (i == g.Children.size())
            return k(p);
        TToken& e = *g.Children[i];
        const bool context =
            groupContext ||
            (&g == &FindPattern &&
             ((FindPattern.FirstBar != NoBar && static_cast<std::int32_t>(i) < FindPattern.FirstBar) ||
              (FindPattern.SecondBar != NoBar && static_cast<std::int32_t>(i) >= FindPattern.SecondBar)));
        TTextPos q = p;
        if (!Normalise(q)) {
            if (i + 1 == g.Children.size() && e.Minimum == 0) {
                e.MatchStart = p;
                e.MatchEnd = p;
                return k(p);
            }
            return false;
        }
        if (Backward && CompareTextPos(q, Limit) >= 0)
            return false;
        e.MatchStart = q;
        return MatchRep(g, i, 0, q, context, k);
    }

    bool MatchRep(TToken& g, std::size_t i, int count, TTextPos p, bool context, TContinuation k) {
        TToken& e = *g.Children[i];
        auto next = [&](const TTextPos& q) {
            e.MatchEnd = q;
            return MatchSeq(g, i + 1, q, context && &g != &FindPattern, k);
        };
        if (e.IsAnchor())
            return Step() && AnchorHolds(e, p) && next(p);
        if (e.Kind == tkChar || e.Kind == tkSet || e.Kind == tkNegatedSet) {
            // Single characters repeat in a loop rather than by recursion,
            // so that a long run costs no stack.
            if (e.Greedy == 0) {
                TTextPos pos = p;
                for (int c = count;; ++c) {
                    if (c >= e.Minimum && next(pos))
                        return true;
                    if (c >= e.Maximum || GiveUp || Cancelled)
                        return false;
                    TTextPos q;
                    if (!StepChar(e, pos, c, context, q))
                        return false;
                    pos = q;
                }
            }
            std::vector<TTextPos> ends{p};
            TTextPos pos = p;
            for (int c = count; c < e.Maximum; ++c) {
                TTextPos q;
                if (!StepChar(e, pos, c, context, q))
                    break;
                pos = q;
                ends.push_back(pos);
            }
            for (std::size_t j = ends.size(); j-- > 0;) {
                if (count + static_cast<int>(j) >= e.Minimum && next(ends[j]))
                    return true;
                if (GiveUp || Cancelled)
                    return false;
            }
            return false;
        }
        // Groups and group references: one repetition, then the rest.
        if (++Depth > MaxMatchDepth) {
            --Depth;
            GiveUp = true;
            return false;
        }
        auto more = [&](const TTextPos& q) {
            if (SamePos(q, p))
                return count + 1 >= e.Minimum && next(q);
            return MatchRep(g, i, count + 1, q, context, k);
        };
        bool ok;
        if (e.Greedy != 0)
            ok = (count < e.Maximum && MatchOnce(e, p, context, more)) || (count >= e.Minimum && next(p));
        else
            ok = (count >= e.Minimum && next(p)) || (count < e.Maximum && MatchOnce(e, p, context, more));
        --Depth;
        return ok;
    }

    bool MatchOnce(TToken& e, TTextPos p, bool context, TContinuation k) {
        if (!Step() || !Normalise(p))
            return false;
        if (e.Kind == tkGroupRef)
            return MatchGroupRef(e, p, k);
        const TTextPos start = e.MatchStart;
        return MatchSeq(e, 0, p, context, [&](const TTextPos& q) {
            e.MatchEnd = q;
            const bool ok = k(q);
            if (!ok)
                e.MatchStart = start;
            return ok;
        });
    }

    TDoc& Doc;
    TDocSearchState& State;
    bool Exact = false;
    bool Backward = false;
    bool CharFormatGiven = false;
    bool ParFormatGiven = false;
    // The style index found paragraphs must have; -1 for a style the
    // document lacks.
    static constexpr std::int32_t NoStyleCriterion = -2;
    std::int32_t StyleCriterion = NoStyleCriterion;
    std::int32_t LastTextPar = 0;
    TTextPos AttemptStart{};
    int AttemptStory = 0;
    std::int64_t Steps = 0;
    std::int64_t Budget = BaseStepBudget;
    int Depth = 0;
};

}  // namespace

void SearchFrom(TDoc& doc,
                TDocSearchState& state,
                const TTextPos& start,
                TSearchResult& result,
                std::int64_t deadline,
                const TTextPos& backwardLimit) {
    result = TSearchResult{};
    const bool backward = (SearchOptions & soBackward) != 0;
    TFragment span = TextStoriesRange(doc);
    if (!state.Scope.empty()) {
        span.Start = state.Scope.front().Start;
        span.End = state.Scope.back().End;
    }
    TMatcher matcher(doc, state);
    matcher.Limit = backwardLimit;
    // The first element that takes a character, when it is a literal one
    // that must match: positions whose character differs need no attempt,
    // and are passed over in a tight loop over the paragraph's text.
    const TToken* lead = nullptr;
    for (const auto& child : FindPattern.Children) {
        if (child->IsAnchor())
            continue;
        if (child->Kind == tkChar && child->Minimum >= 1 && !(child->Code >= pcAnyChar && child->Code <= pcEndnoteMark))
            lead = child.get();
        break;
    }
    const bool leadExact = lead != nullptr && ((SearchOptions & soExactMatch) != 0 || lead->Escaped != 0);
    auto cannotStart = [&](char16_t c) {
        const std::uint16_t t = PatternCodeOf(c);
        if (t == lead->Code || (t == pcSoftHyphen && IgnoreSoftHyphens))
            return false;
        return leadExact || !CharMatches(lead->Code, static_cast<char16_t>(t), false);
    };
    TTextPos q = start;
    while (true) {
        if (!backward) {
            if (q.Par > span.End.Par || q.Par >= doc.ParCount())
                break;
        } else if (q.Par < span.Start.Par || q.Par < 0) {
            break;
        }
        bool tryHere = true;
        if (lead != nullptr && q.Offset >= 0) {
            const std::u16string& text = matcher.Text(q.Par);
            const auto n = static_cast<std::int32_t>(text.size());
            if (!backward) {
                while (q.Offset < n && cannotStart(text[q.Offset]))
                    ++q.Offset;
                if (q.Offset >= n) {
                    q.Offset = n - 1;  // the step below goes on to the next paragraph
                    tryHere = false;
                }
            } else {
                while (q.Offset > 0 && q.Offset < n && cannotStart(text[q.Offset]))
                    --q.Offset;
                tryHere = q.Offset >= n || !cannotStart(text[q.Offset]);
            }
        }
        if (tryHere && q.Offset >= 0 && q.Offset < doc.Par(q.Par)->CharCount() && !FindPattern.Children.empty() &&
            matcher.Attempt(q)) {
            const TTextPos wholeEnd = matcher.WholeEnd;
            if (matcher.PosInSearchScope(q) && matcher.PosInSearchScope(wholeEnd)) {
                const auto n = static_cast<std::int32_t>(FindPattern.Children.size());
                TTextPos foundStart = q;
                TTextPos foundEnd = wholeEnd;
                if (FindPattern.FirstBar != NoBar)
                    foundStart =
                        FindPattern.FirstBar >= n ? wholeEnd : FindPattern.Children[FindPattern.FirstBar]->MatchStart;
                if (FindPattern.SecondBar != NoBar)
                    foundEnd =
                        FindPattern.SecondBar == 0 ? q : FindPattern.Children[FindPattern.SecondBar - 1]->MatchEnd;
                if (IgnoreSoftHyphens && CompareTextPos(foundStart, foundEnd) < 0) {
                    while (foundStart.Offset < doc.Par(foundStart.Par)->CharCount() &&
                           matcher.CharAt(foundStart.Par, foundStart.Offset) == pcSoftHyphen &&
                           CompareTextPos(foundStart, foundEnd) < 0)
                        ++foundStart.Offset;
                    while (foundEnd.Offset > 0 && matcher.CharAt(foundEnd.Par, foundEnd.Offset - 1) == pcSoftHyphen &&
                           CompareTextPos(foundStart, foundEnd) < 0)
                        --foundEnd.Offset;
                }
                if (CompareTextPos(foundStart, foundEnd) < 0) {
                    result.Found = true;
                    result.FoundStart = foundStart;
                    result.FoundEnd = foundEnd;
                    result.Next = foundEnd;
                    MakeFragmentFromPositions(q, wholeEnd, state.LastWholeMatch);
                    return;
                }
            }
        }
        if (matcher.GiveUp) {
            result.TooComplex = true;
            break;
        }
        if (matcher.Cancelled) {
            result.Cancelled = true;
            break;
        }
        if (!backward) {
            if (q.Offset + 1 < doc.Par(q.Par)->CharCount()) {
                ++q.Offset;
            } else {
                ++q.Par;
                q.Offset = 0;
                if (deadline > 0 && NonNegativeTickCount() >= deadline)
                    break;
                // Positions passed over without an attempt take no steps of
                // the matcher, so Esc is also polled between paragraphs.
                if (PollCancelIfDue()) {
                    result.Cancelled = true;
                    break;
                }
            }
        } else if (q.Offset > 0) {
            --q.Offset;
        } else {
            --q.Par;
            q.Offset = q.Par >= 0 ? doc.Par(q.Par)->CharCount() - 1 : 0;
            if (PollCancelIfDue()) {
                result.Cancelled = true;
                break;
            }
        }
    }
    result.Next = q;
}
