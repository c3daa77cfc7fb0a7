#include "editing/lists/ListOperations.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TShape.h"
#include "model/host/FontQueries.h"
#include "model/host/TEditingServices.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/ListOperations.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/StyleOperations.h"
#include "model/undo/TSubOperation.h"

namespace {

// A typed number is looked for before the first blank or tab within this
// many characters of the paragraph's start.
constexpr std::int32_t TypedNumberReach = 13;
// A lone list paragraph still counts as near within this many paragraphs.
constexpr std::int32_t LoneParagraphReach = 10;

TAutoList* ListOf(const TPar& par) {
    const std::int32_t handle = par.Format.List;
    if (handle == 0 || handle == UnsetValue)
        return nullptr;
    return HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
}

TStyle* StyleOf(const TDoc& doc, const TPar& par) {
    const std::int32_t index = par.Format.Style;
    if (doc.Styles == nullptr || index < 0 || index >= doc.Styles->Count)
        return nullptr;
    return doc.Styles->Style(index);
}

bool StyleHasList(const TDoc& doc, const TPar& par) {
    const TStyle* style = StyleOf(doc, par);
    return style != nullptr && style->HasList();
}

// The whole paragraphs the selection touches (the caret's paragraph when
// nothing is selected), one entry per selected range, in text order.
struct TParSpan {
    std::int32_t First = 0;
    std::int32_t Last = 0;
};

std::vector<TParSpan> SelectedParagraphs(const TDoc& doc) {
    std::vector<TParSpan> spans;
    const TCompoundFragment* set = doc.Selection;
    for (std::int32_t i = 0; set != nullptr && i < set->Count(); ++i) {
        const TFragment& f = set->Fragment(i);
        if (FragmentIsEmpty(f))
            continue;
        TParSpan span{std::max(f.Start.Par, 0), std::min(f.End.Par, doc.ParCount() - 1)};
        // A range that ends at a paragraph's start does not take that
        // paragraph.
        if (f.End.Offset == 0 && f.End.Par > f.Start.Par)
            span.Last = std::min(span.Last, f.End.Par - 1);
        if (span.First <= span.Last)
            spans.push_back(span);
    }
    if (spans.empty()) {
        const std::int32_t p = std::clamp(doc.Caret.Par, 0, doc.ParCount() - 1);
        spans.push_back({p, p});
    }
    std::sort(spans.begin(), spans.end(), [](const TParSpan& a, const TParSpan& b) { return a.First < b.First; });
    return spans;
}

TFragment WholeParagraphs(const TDoc& doc, std::int32_t first, std::int32_t last) {
    TFragment f{};
    f.Start.Par = first;
    f.End.Par = last;
    f.End.Offset = std::max(doc.Par(last)->CharCount() - 1, 0);
    return f;
}

// The selection and caret as they were, clamped to the paragraphs' new
// lengths, for the post-actions.
void KeepSelection(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret) {
    TPostActions& pa = doc.PostActions();
    auto clamp = [&](TTextPos pos) {
        pos.Par = std::clamp(pos.Par, 0, doc.ParCount() - 1);
        pos.Offset = std::clamp(pos.Offset, 0, std::max(doc.Par(pos.Par)->CharCount() - 1, 0));
        return pos;
    };
    doc.Caret = clamp(caret);
    pa.Caret = doc.Caret;
    if (ranges.empty()) {
        pa.Selection->Reset();
        return;
    }
    pa.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        TFragment f = ranges[i];
        f.Start = clamp(f.Start);
        f.End = clamp(f.End);
        pa.Selection->Fragment(static_cast<std::int32_t>(i)) = f;
    }
}

std::vector<TFragment> CurrentRanges(const TDoc& doc) {
    std::vector<TFragment> ranges;
    for (std::int32_t i = 0; doc.Selection != nullptr && i < doc.Selection->Count(); ++i)
        if (!FragmentIsEmpty(doc.Selection->Fragment(i)))
            ranges.push_back(doc.Selection->Fragment(i));
    return ranges;
}

// --- Typed list marks ---

bool IsBulletLike(char16_t ch) {
    return ch == 0x2014 || ch == 0x2013 || ch == u'*' || ch == u'-' || ch == u'>' || (ch >= 0xE000 && ch <= 0xF8FF);
}

bool IsLetterOrDigitChar(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') ||
           (ch >= 0xC0 && ch != 0xD7 && ch != 0xF7 && ch < 0x2000);
}

bool StartsInSymbolFont(const TDoc& doc, const TPar& par) {
    TCharFormat format;
    TTextPos start{};
    start.Par = par.Index;
    doc.FormatAtPos(start, format);
    return DocFontCharset(format[caFont]) == 2;  // the symbol character set
}

// How many characters at the paragraph's start are a typed list mark and
// its separator; 0 when there is none.
std::int32_t TypedMarkLength(const TDoc& doc, TPar& par) {
    par.BuildWideText();
    const std::u16string& text = par.WideText;
    // The text as typed: tabs as tab characters, the special dashes as
    // their Unicode characters.
    auto at = [&](std::size_t i) -> char16_t {
        const std::uint8_t code = par.Chars.Data[i];
        if (code == chTab)
            return u'\t';
        if (code == chEmDash)
            return 0x2014;
        if (code == chEnDash)
            return 0x2013;
        return i < text.size() ? text[i] : u'\0';
    };
    const std::int32_t n = par.CharCount() - 1;  // without the mark
    if (n >= 3) {
        const char16_t second = at(1);
        if ((IsBulletLike(at(0)) || StartsInSymbolFont(doc, par)) && (second == u'\t' || second == u' ') &&
            IsLetterOrDigitChar(at(2)))
            return 2;
    }
    for (std::int32_t i = 1; i < std::min(n, TypedNumberReach); ++i) {
        const char16_t ch = at(static_cast<std::size_t>(i));
        if (ch != u' ' && ch != u'\t')
            continue;
        std::u16string typed;
        for (std::int32_t k = 0; k < i; ++k)
            typed.push_back(at(static_cast<std::size_t>(k)));
        std::u16string labelText;
        std::vector<TListNumberReading> readings;
        if (RecognizeTypedListNumber(typed, labelText, readings) && !readings.empty())
            return i + 1;
        break;
    }
    return 0;
}

void DeleteTypedMarks(TDoc& doc, std::int32_t first, std::int32_t last) {
    for (std::int32_t p = last; p >= first; --p) {
        const std::int32_t length = TypedMarkLength(doc, *doc.Par(p));
        if (length == 0)
            continue;
        TTextPos start{};
        start.Par = p;
        TTextPos end = start;
        end.Offset = length;
        doc.DeleteText(nullptr, start, end, 0);
    }
}

// --- Applying a list ---

// The indents a group takes: those every paragraph of the list at the
// level (any level for a single-level list) in the story already shares,
// else the level's own. Unset where neither says.
void GroupIndents(const TDoc& doc,
                  const TAutoList& list,
                  std::int32_t level,
                  std::int32_t story,
                  std::int32_t& first,
                  std::int32_t& left) {
    bool found = false;
    bool same = true;
    for (std::int32_t p = doc.FirstParOfStory(story); p <= doc.LastParOfStory(story) && same; ++p) {
        const TPar& par = *doc.Par(p);
        if (ListOf(par) != &list || (!list.IsSingleLevel() && par.Format.ListLevel != level))
            continue;
        if (!found) {
            first = par.Format.FirstIndent;
            left = par.Format.LeftIndent;
            found = true;
        } else if (first != par.Format.FirstIndent || left != par.Format.LeftIndent) {
            same = false;
        }
    }
    if (found && same)
        return;
    const TParFormat& own = list.Levels[list.IsSingleLevel() ? 0 : level].ParFormat;
    first = GetParProp(own, ppFirstIndent);
    left = GetParProp(own, ppLeftIndent);
}

bool IsEmptyPar(const TPar& par) {
    return par.CharCount() <= 1;
}

// --- Removing a list ---

bool PlainOfStyle(const TDoc& doc, std::int32_t p, std::int32_t style) {
    const TPar& par = *doc.Par(p);
    return ListOf(par) == nullptr && par.Format.Style == style;
}

void RemoveRun(TDoc& doc, std::int32_t first, std::int32_t last, bool keepIndents) {
    const TPar& head = *doc.Par(first);
    const std::int32_t style = head.Format.Style;
    const int story = doc.StoryOfPar(first);
    const std::int32_t storyFirst = doc.FirstParOfStory(story);
    const std::int32_t storyLast = doc.LastParOfStory(story);
    std::int32_t before = -1;
    for (std::int32_t p = first - 1; p >= storyFirst && before < 0; --p)
        if (PlainOfStyle(doc, p, style))
            before = p;
    const std::int32_t after = last + 1 <= storyLast ? last + 1 : -1;
    const bool afterUsable = after >= 0 && PlainOfStyle(doc, after, style);
    std::int32_t source = -1;
    if (before >= 0)
        source = before == first - 1 || !afterUsable ? before : after;
    for (std::int32_t p = last + 1; source < 0 && p <= storyLast; ++p)
        if (PlainOfStyle(doc, p, style))
            source = p;

    TParFormat change = UnsetParFormat;
    change.List = 0;
    change.ListLevel = 0;
    if (keepIndents) {
        // The indents stay as they are.
    } else if (source >= 0) {
        change.FirstIndent = doc.Par(source)->Format.FirstIndent;
        change.LeftIndent = doc.Par(source)->Format.LeftIndent;
    } else if (const TStyle* s = StyleOf(doc, head)) {
        TParFormat resolved = DefaultParFormat;
        s->ResolveFormat(nullptr, &resolved, 0);
        change.FirstIndent = resolved.FirstIndent;
        change.LeftIndent = resolved.LeftIndent;
    } else {
        change.FirstIndent = DefaultParFormat.FirstIndent;
        change.LeftIndent = DefaultParFormat.LeftIndent;
    }
    const TFragment range = WholeParagraphs(doc, first, last);
    doc.FormatParagraphs(nullptr, &range, change);
}

// --- Continuing lists ---

// Whether paragraph p lies within reach paragraphs of a range's first or
// last paragraph.
bool Near(std::int32_t p, const std::vector<TFragment>& ranges, std::int32_t reach) {
    for (const TFragment& f : ranges)
        if (std::abs(p - f.Start.Par) <= reach || std::abs(p - f.End.Par) <= reach ||
            (p >= f.Start.Par && p <= f.End.Par))
            return true;
    return false;
}

bool Inside(std::int32_t p, const std::vector<TFragment>& ranges) {
    for (const TFragment& f : ranges)
        if (p >= f.Start.Par && p <= f.End.Par)
            return true;
    return false;
}

bool UsedByStyle(const TDoc& doc, const TAutoList& list) {
    for (std::int32_t i = 0; doc.Styles != nullptr && i < doc.Styles->Count; ++i)
        if (doc.Styles->Style(i)->List() == &list)
            return true;
    return false;
}

bool Qualifies(TDoc& doc, const TAutoList& candidate, const TAutoList& list, const std::vector<TFragment>& ranges) {
    if (!AutoListsEqual(candidate, list, 0) || UsedByStyle(doc, candidate))
        return false;
    const int story = doc.StoryOfPar(ranges.front().Start.Par);
    if (candidate.HasNoNumberedLevel() || story == stHeadersFooters)
        return true;
    std::vector<std::int32_t> pars;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        if (ListOf(*doc.Par(p)) == &candidate && doc.StoryOfPar(p) != stHeadersFooters && !Inside(p, ranges))
            pars.push_back(p);
    if (pars.empty())
        return true;
    for (std::int32_t p : pars)
        if (Near(p, ranges, 1))
            return true;
    if (pars.size() == 1)
        return Near(pars.front(), ranges, LoneParagraphReach);
    std::int64_t total = 0;
    bool gaps = false;
    for (std::size_t i = 1; i < pars.size(); ++i) {
        total += pars[i] - pars[i - 1];
        gaps = gaps || pars[i] - pars[i - 1] > 1;
    }
    if (!gaps)
        return false;
    const auto reach =
        static_cast<std::int32_t>(std::lround(2.0 * static_cast<double>(total) / static_cast<double>(pars.size() - 1)));
    for (std::int32_t p : pars)
        if (Near(p, ranges, reach))
            return true;
    return false;
}

// A list joins the document's list table (and leaves it on undo). While it
// is out of the table, the step owns it.
class TAddListStep : public TSubOperation {
public:
    TAddListStep(TDoc* doc, TAutoList* list) : TSubOperation(doc), List(list) {}
    ~TAddListStep() override {
        if (!InTable)
            delete List;
    }
    void Redo() override {
        if (InTable)
            return;
        Doc->Lists.Add(List);
        InTable = true;
        Doc->StateFlags[sfListsStale] = 1;
    }
    void Undo() override {
        if (!InTable)
            return;
        const std::int32_t index = Doc->Lists.IndexOf(List);
        if (index >= 0)
            Doc->Lists.Delete(index);
        InTable = false;
        Doc->StateFlags[sfListsStale] = 1;
    }

    TAutoList* List = nullptr;
    bool InTable = false;
};

// The paragraphs of a list, as whole-paragraph ranges of runs of
// neighbours in one story; headersFooters picks the header and footer
// story or the others.
std::vector<TFragment> ListParagraphRanges(const TDoc& doc, const TAutoList& list, bool headersFooters) {
    std::vector<TFragment> ranges;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (ListOf(*doc.Par(p)) != &list || (doc.StoryOfPar(p) == stHeadersFooters) != headersFooters)
            continue;
        if (!ranges.empty() && ranges.back().End.Par == p - 1 && doc.StoryOfPar(p) == doc.StoryOfPar(p - 1))
            ranges.back() = WholeParagraphs(doc, ranges.back().Start.Par, p);
        else
            ranges.push_back(WholeParagraphs(doc, p, p));
    }
    return ranges;
}

void Select(TDoc& doc, const std::vector<TFragment>& ranges) {
    if (ranges.empty()) {
        doc.Selection->Reset();
        return;
    }
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        doc.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
}

// The level a paragraph of a list shows.
std::int32_t LevelOf(const TAutoList& list, const TPar& par) {
    return list.IsSingleLevel() ? 0 : std::clamp<std::int32_t>(par.Format.ListLevel, 0, 8);
}

TCharFormat FormatAtParEnd(const TDoc& doc, std::int32_t p) {
    TCharFormat format;
    TTextPos end{};
    end.Par = p;
    end.Offset = std::max(doc.Par(p)->CharCount() - 1, 0);
    doc.FormatAtPos(end, format);
    return format;
}

}  // namespace

void ApplyList(TDoc& doc, TAutoList& list) {
    const std::vector<TFragment> saved = CurrentRanges(doc);
    const TTextPos caret = doc.Caret;
    const std::vector<TParSpan> spans = SelectedParagraphs(doc);
    bool allEmpty = true;
    for (const TParSpan& s : spans)
        for (std::int32_t p = s.First; p <= s.Last; ++p)
            allEmpty = allEmpty && IsEmptyPar(*doc.Par(p));

    // The level of each paragraph: an outline list ranks paragraphs of 2 to
    // 8 different depths by their depth, least indented first.
    std::map<std::int32_t, std::int32_t> levels;
    for (const TParSpan& s : spans)
        for (std::int32_t p = s.First; p <= s.Last; ++p)
            levels[p] = std::clamp<std::int32_t>(doc.Par(p)->Format.ListLevel, 0, 8);
    if (!list.IsSingleLevel()) {
        std::map<std::int32_t, std::int32_t> depthOf;
        std::vector<std::int32_t> depths;
        for (const TParSpan& s : spans)
            for (std::int32_t p = s.First; p <= s.Last; ++p) {
                const TPar& par = *doc.Par(p);
                if (ListOf(par) != nullptr || StyleHasList(doc, par))
                    continue;
                const std::int32_t depth = par.Format.LeftIndent + par.Format.FirstIndent;
                depthOf[p] = depth;
                if (std::find(depths.begin(), depths.end(), depth) == depths.end())
                    depths.push_back(depth);
            }
        if (depths.size() >= 2 && depths.size() <= 8) {
            std::sort(depths.begin(), depths.end());
            for (const auto& [p, depth] : depthOf)
                levels[p] = static_cast<std::int32_t>(std::find(depths.begin(), depths.end(), depth) - depths.begin());
        } else {
            for (const auto& [p, depth] : depthOf)
                levels[p] = 0;
        }
    }

    auto qualifies = [&](std::int32_t p) {
        const TPar& par = *doc.Par(p);
        return (!IsEmptyPar(par) || allEmpty || ListOf(par) != nullptr) && !StyleHasList(doc, par);
    };
    // Last range first and, inside a range, groups from its end, so that
    // deletions never move a paragraph still to come.
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        std::vector<TParSpan> groups;
        for (std::int32_t p = span->First; p <= span->Last;) {
            if (!qualifies(p)) {
                ++p;
                continue;
            }
            TParSpan group{p, p};
            const std::int32_t style = doc.Par(p)->Format.Style;
            while (group.Last + 1 <= span->Last && qualifies(group.Last + 1) &&
                   doc.Par(group.Last + 1)->Format.Style == style &&
                   (list.IsSingleLevel() || levels[group.Last + 1] == levels[p]))
                ++group.Last;
            groups.push_back(group);
            p = group.Last + 1;
        }
        for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
            const std::int32_t level = list.IsSingleLevel() ? 0 : levels[group->First];
            std::int32_t first = UnsetValue;
            std::int32_t left = UnsetValue;
            GroupIndents(doc, list, level, doc.StoryOfPar(group->First), first, left);
            DeleteTypedMarks(doc, group->First, group->Last);
            TParFormat change = UnsetParFormat;
            SetParProp(change, ppFirstIndent, first);
            SetParProp(change, ppLeftIndent, left);
            change.List = static_cast<std::int32_t>(ObjectHandle(&list));
            if (!list.IsSingleLevel())
                change.ListLevel = static_cast<std::int8_t>(level);
            const TFragment range = WholeParagraphs(doc, group->First, group->Last);
            doc.FormatParagraphs(nullptr, &range, change);
        }
    }
    KeepSelection(doc, saved, caret);
}

void RemoveDirectList(TDoc& doc, bool keepIndents) {
    const std::vector<TFragment> saved = CurrentRanges(doc);
    const TTextPos caret = doc.Caret;
    const std::vector<TParSpan> spans = SelectedParagraphs(doc);
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        std::vector<TParSpan> runs;
        for (std::int32_t p = span->First; p <= span->Last;) {
            const TPar& par = *doc.Par(p);
            const TAutoList* list = ListOf(par);
            if (list == nullptr || StyleHasList(doc, par)) {
                ++p;
                continue;
            }
            TParSpan run{p, p};
            while (run.Last + 1 <= span->Last && ListOf(*doc.Par(run.Last + 1)) == list &&
                   doc.Par(run.Last + 1)->Format.Style == par.Format.Style)
                ++run.Last;
            runs.push_back(run);
            p = run.Last + 1;
        }
        for (auto run = runs.rbegin(); run != runs.rend(); ++run)
            RemoveRun(doc, run->First, run->Last, keepIndents);
    }
    KeepSelection(doc, saved, caret);
}

void ReplaceAutoList(TDoc& doc, TAutoList& list, const TAutoList& definition) {
    TAutoList before;
    before.Assign(list);
    (new TFormatAutoListOperation(&doc, &list, definition))->Execute();

    // The list's paragraphs, selected for ApplyList and then put back.
    const std::vector<TFragment> saved = CurrentRanges(doc);
    const TTextPos caret = doc.Caret;
    std::vector<TFragment> ranges;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (ListOf(*doc.Par(p)) != &list)
            continue;
        if (!ranges.empty() && ranges.back().End.Par == p - 1 && doc.StoryOfPar(p) == doc.StoryOfPar(p - 1))
            ranges.back() = WholeParagraphs(doc, ranges.back().Start.Par, p);
        else
            ranges.push_back(WholeParagraphs(doc, p, p));
    }
    if (!ranges.empty()) {
        doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
        for (std::size_t i = 0; i < ranges.size(); ++i)
            doc.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
        ApplyList(doc, list);
    }

    const bool kindChanged = before.IsSingleLevel() != list.IsSingleLevel();
    for (std::int32_t level = 0; level < list.UsedLevelCount(); ++level) {
        const TParFormat& was = before.Levels[level].ParFormat;
        // The paragraphs stay in their list, at their level, in their style.
        TParFormat now = list.Levels[level].ParFormat;
        ClearParProp(now, ppStyle);
        ClearParProp(now, ppList);
        ClearParProp(now, ppListLevel);
        if (!kindChanged && was.FirstIndent == now.FirstIndent && was.LeftIndent == now.LeftIndent)
            continue;
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            const TPar& par = *doc.Par(p);
            if (ListOf(par) != &list || (!list.IsSingleLevel() && par.Format.ListLevel != level))
                continue;
            const TFragment range = WholeParagraphs(doc, p, p);
            doc.FormatParagraphs(nullptr, &range, now);
        }
    }
    if (saved.empty()) {
        doc.Selection->Reset();
    } else {
        doc.Selection->SetCount(static_cast<std::int32_t>(saved.size()));
        for (std::size_t i = 0; i < saved.size(); ++i)
            doc.Selection->Fragment(static_cast<std::int32_t>(i)) = saved[i];
    }
    KeepSelection(doc, saved, caret);
}

TAutoList* FindListToContinue(TDoc& doc, const TAutoList& list, const std::vector<TFragment>& ranges) {
    if (ranges.empty())
        return nullptr;
    const std::int32_t top = ranges.front().Start.Par;
    const std::int32_t bottom = ranges.back().End.Par;
    const int story = doc.StoryOfPar(top);
    const std::int32_t storyFirst = doc.FirstParOfStory(story);
    const std::int32_t storyLast = doc.LastParOfStory(story);
    // A list is judged once, however many of its paragraphs the scan meets.
    std::map<const TAutoList*, bool> judged;
    auto tryPar = [&](std::int32_t p) -> TAutoList* {
        if (Inside(p, ranges))
            return nullptr;
        TAutoList* candidate = ListOf(*doc.Par(p));
        if (candidate == nullptr || candidate == &list)
            return nullptr;
        auto it = judged.find(candidate);
        if (it == judged.end())
            it = judged.emplace(candidate, Qualifies(doc, *candidate, list, ranges)).first;
        return it->second ? candidate : nullptr;
    };
    for (std::int32_t p = top - 1; p >= storyFirst; --p)
        if (TAutoList* found = tryPar(p))
            return found;
    for (std::int32_t p = bottom + 1; p <= storyLast; ++p)
        if (TAutoList* found = tryPar(p))
            return found;
    return nullptr;
}

void JoinPastedLists(TDoc& doc, std::vector<TAutoList*>& pastedLists) {
    const int story = doc.StoryOfPar(std::clamp(doc.Caret.Par, 0, doc.ParCount() - 1));
    for (TAutoList* pasted : pastedLists) {
        std::vector<TFragment> ranges;
        for (std::int32_t p = doc.FirstParOfStory(story); p <= doc.LastParOfStory(story); ++p) {
            if (ListOf(*doc.Par(p)) != pasted)
                continue;
            if (!ranges.empty() && ranges.back().End.Par == p - 1)
                ranges.back() = WholeParagraphs(doc, ranges.back().Start.Par, p);
            else
                ranges.push_back(WholeParagraphs(doc, p, p));
        }
        if (ranges.empty())
            continue;
        TAutoList* target = FindListToContinue(doc, *pasted, ranges);
        if (target == nullptr || std::find(pastedLists.begin(), pastedLists.end(), target) != pastedLists.end())
            continue;
        // The pasted paragraphs are selected for ApplyList, and the
        // selection is put back afterwards.
        const std::vector<TFragment> saved = CurrentRanges(doc);
        const TTextPos caret = doc.Caret;
        doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
        for (std::size_t i = 0; i < ranges.size(); ++i)
            doc.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
        ApplyList(doc, *target);
        if (saved.empty()) {
            doc.Selection->Reset();
        } else {
            doc.Selection->SetCount(static_cast<std::int32_t>(saved.size()));
            for (std::size_t i = 0; i < saved.size(); ++i)
                doc.Selection->Fragment(static_cast<std::int32_t>(i)) = saved[i];
        }
        KeepSelection(doc, saved, caret);
    }
    pastedLists.clear();
}

void RemoveListFromStyles(TDoc& doc, TAutoList& list, bool keepIndents) {
    const std::vector<TFragment> saved = CurrentRanges(doc);
    TTextPos caret = doc.Caret;
    if (doc.Styles != nullptr && UsedByStyle(doc, list)) {
        const TOperationWorker<TFormatDocStylesArgs> formatStyles = OperationWorker<TFormatDocStylesArgs>();
        if (formatStyles != nullptr) {
            auto* info = new TFormatStyleListInfo;
            info->NewStyles = new TStyleList(&doc);
            info->NewStyles->Assign(*doc.Styles);
            info->NewStyles->Doc = &doc;
            for (std::int32_t i = 0; i < doc.Styles->Count; ++i) {
                if (doc.Styles->Style(i)->List() != &list)
                    continue;
                TStyle& style = *info->NewStyles->Style(i);
                style.ParFormat.List = 0;
                style.ParFormat.ListLevel = 0;
                info->ChangedStyles.Add(IntItem(i));
                doc.Styles->GetDerivedStyles(i, info->ChangedStyles, true);
            }
            const TFormatDocStylesArgs args{info};
            TOperationCall call = TOperationCall::Of(args);
            formatStyles(doc, call, args);
        }
    }
    const std::vector<TFragment> headers = ListParagraphRanges(doc, list, true);
    if (!headers.empty()) {
        Select(doc, headers);
        RemoveDirectList(doc, keepIndents);
    }
    const std::vector<TFragment> others = ListParagraphRanges(doc, list, false);
    if (!others.empty()) {
        Select(doc, others);
        RemoveDirectList(doc, keepIndents);
        caret = others.front().Start;
    }
    Select(doc, saved);
    KeepSelection(doc, saved, caret);
}

void ConvertToManualList(TDoc& doc, TAutoList& list) {
    const TOperationWorker<TInsertFormattedTextArgs> insert = OperationWorker<TInsertFormattedTextArgs>();
    if (insert == nullptr)
        return;
    const auto& copyPicture = PictureBulletHooks().CopyToDoc;
    for (std::int32_t level = 0; level < list.UsedLevelCount(); ++level)
        if (list.Levels[level].PictureBullet != nullptr && !copyPicture)
            return;
    // The labels as the numbering shows them now.
    EditingServices().RenumberLists(doc);
    TTextPos caret = doc.Caret;
    const auto listHandle = static_cast<std::int32_t>(ObjectHandle(&list));
    for (std::int32_t p = doc.ParCount() - 1; p >= 0; --p) {
        TPar& par = *doc.Par(p);
        if (par.Format.List != listHandle || !par.LabelPar || par.LabelPar->Chars.Size == 0)
            continue;
        const TPar& label = *par.LabelPar;
        TTextPos start{};
        start.Par = p;
        TCharFormat here;
        doc.FormatAtPos(start, here);
        TMemory content;
        AppendFormatChange(content, here, DefaultCharFormat);
        TStreamElement e;
        for (std::int32_t off = 0; off < label.Stream.Size; off += e.Length) {
            ReadStreamElement(label.Stream.Data, label.Stream.Size, off, e);
            if (e.IsControl && !e.Truncated && e.Code == fcShapeAnchor) {
                // The picture bullet goes in as the document's own copy, at
                // the scale the label showed it.
                const auto* bullet = HandleTo<TShape>(static_cast<TObjectHandle>(e.Value));
                TShape* copy = bullet != nullptr ? copyPicture(*bullet, doc) : nullptr;
                if (copy == nullptr)
                    continue;
                if (label.ShapeScale > 0) {
                    copy->Picture.ScaleX = static_cast<std::int32_t>(std::min<std::uint32_t>(label.ShapeScale, 1000));
                    copy->Picture.ScaleY = copy->Picture.ScaleX;
                }
                AppendFormatControl(content, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(copy)));
                continue;
            }
            content.AppendBuffer(label.Stream.Data + off, e.Length);
        }
        const std::int32_t length = label.Chars.Size;
        doc.Caret = start;
        doc.Selection->Reset();
        MakeFragmentFromPositions(start, start, doc.Selection->Fragment(0));
        const TInsertFormattedTextArgs args{&content, 0, 0};
        TOperationCall call = TOperationCall::Of(args);
        insert(doc, call, args);
        if (caret.Par == p)
            caret.Offset += length;
    }
    doc.Selection->Reset();
    RemoveListFromStyles(doc, list, true);
    KeepSelection(doc, {}, caret);
}

void ListLevelFormats(TDoc& doc, const TAutoList& list, TParFormat parFormats[9], TCharFormat charFormats[9]) {
    bool seen[9] = {};
    for (int level = 0; level < 9; ++level) {
        parFormats[level] = UnsetParFormat;
        charFormats[level] = UnsetCharFormat;
    }
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        if (ListOf(par) != &list)
            continue;
        const std::int32_t level = LevelOf(list, par);
        const TCharFormat atEnd = FormatAtParEnd(doc, p);
        if (!seen[level]) {
            parFormats[level] = par.Format;
            charFormats[level] = atEnd;
            seen[level] = true;
            continue;
        }
        for (int prop = 0; prop < ParPropCount; ++prop)
            if (GetParProp(parFormats[level], prop) != GetParProp(par.Format, prop))
                ClearParProp(parFormats[level], prop);
        for (int attr = 0; attr < CharAttrCount; ++attr)
            if (charFormats[level][attr] != atEnd[attr])
                charFormats[level][attr] = UnsetValue;
    }
    for (int level = 0; level < 9; ++level) {
        ClearParProp(parFormats[level], ppStyle);
        ClearParProp(parFormats[level], ppList);
        ClearParProp(parFormats[level], ppListLevel);
    }
}

void ApplyListTemplate(TDoc& doc, const TAutoList& templateList) {
    TParFormat parFormats[9];
    TCharFormat charFormats[9];
    ListLevelFormats(doc, templateList, parFormats, charFormats);
    auto* copy = new TAutoList;
    copy->Assign(templateList);
    (new TAddListStep(&doc, copy))->Execute();
    ApplyList(doc, *copy);
    const std::vector<TFragment> saved = CurrentRanges(doc);
    const TTextPos caret = doc.Caret;
    for (std::int32_t level = 0; level < copy->UsedLevelCount(); ++level) {
        const bool anyPar = !ParFormatsEqual(parFormats[level], UnsetParFormat);
        const bool anyChar = !CharFormatIsClear(charFormats[level]);
        if (!anyPar && !anyChar)
            continue;
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            const TPar& par = *doc.Par(p);
            if (ListOf(par) != copy || LevelOf(*copy, par) != level)
                continue;
            if (anyPar) {
                const TFragment range = WholeParagraphs(doc, p, p);
                doc.FormatParagraphs(nullptr, &range, parFormats[level]);
            }
            if (anyChar) {
                TFragment mark{};
                mark.Start.Par = mark.End.Par = p;
                mark.Start.Offset = std::max(doc.Par(p)->CharCount() - 1, 0);
                mark.End.Offset = doc.Par(p)->CharCount();
                doc.FormatFont(nullptr, &mark, charFormats[level], 0);
            }
        }
    }
    KeepSelection(doc, saved, caret);
}

bool StepListLabelSize(TDoc& doc, bool larger, bool apply) {
    const std::vector<TFragment> saved = CurrentRanges(doc);
    const TTextPos caret = doc.Caret;
    std::vector<std::pair<TAutoList*, std::int32_t>> marked;
    for (const TParSpan& span : SelectedParagraphs(doc))
        for (std::int32_t p = span.First; p <= span.Last; ++p) {
            TAutoList* list = ListOf(*doc.Par(p));
            if (list == nullptr)
                continue;
            const std::pair<TAutoList*, std::int32_t> key{list, LevelOf(*list, *doc.Par(p))};
            if (std::find(marked.begin(), marked.end(), key) == marked.end())
                marked.push_back(key);
        }
    bool changed = false;
    for (const auto& [list, level] : marked) {
        std::int32_t size = list->Levels[level].CharFormat[caSize];
        if (size == UnsetValue || size <= 0) {
            size = UnsetValue;
            for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
                const TPar& par = *doc.Par(p);
                if (ListOf(par) != list || LevelOf(*list, par) != level)
                    continue;
                const std::int32_t atEnd = FormatAtParEnd(doc, p)[caSize];
                if (size == UnsetValue || (larger ? atEnd > size : atEnd < size))
                    size = atEnd;
            }
            if (size == UnsetValue)
                continue;
        }
        const std::int32_t step = std::max(4, size * 15 / 100);
        const std::int32_t fresh = larger ? std::min(144, size + step) : std::max(8, size - step);
        if (fresh == size)
            continue;
        changed = true;
        if (!apply)
            continue;
        TListLevel next = list->Levels[level];
        next.CharFormat[caSize] = fresh;
        (new TFormatListLevelOperation(&doc, list, level, next))->Execute();
    }
    if (apply)
        KeepSelection(doc, saved, caret);
    return changed;
}
