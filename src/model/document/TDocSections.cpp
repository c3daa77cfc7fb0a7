// The section lookup and order, the sections of a selection, the scopes of
// section settings, section page ranges and the derived page metrics.
#include "model/document/TDoc.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "base/core/ObjectHandles.h"
#include "base/text/TStrings.h"
#include "model/document/StateFlags.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"

namespace {

const char* const ScopeTexts[5] = {"Whole document", "This point forward", "Selected text", "This section",
                                   "Selected sections"};

std::int32_t ToPixels(std::int32_t twips, std::int32_t resolution) {
    const std::int64_t n = static_cast<std::int64_t>(twips) * resolution + 720;
    return static_cast<std::int32_t>(n >= 0 ? n / 1440 : -((-n + 1439) / 1440));
}

// The index of the section whose page setup applies to section i.
std::int32_t PageSectionIndex(const TDoc& doc, std::int32_t i) {
    while (i > 0 && doc.Sections.At<TSection>(i - 1)->Format.BreakKind == 0)
        --i;
    return i;
}

bool ColumnLayoutsEqual(const TSectionFormat& a, const TSectionFormat& b) {
    if (a.ColumnCount != b.ColumnCount || a.ColumnSpacing != b.ColumnSpacing)
        return false;
    const std::int32_t n = std::clamp(a.ColumnCount, 0, 64);
    for (std::int32_t i = 0; i < n; ++i)
        for (int v = 0; v < 5; ++v)
            if (a.ColumnTable[i][v] != b.ColumnTable[i][v])
                return false;
    return true;
}

}  // namespace

void TDoc::ResortSections() {
    // Sections whose break stands in the main text, in text order; then the
    // others (the last section, without a break) in their present order.
    TList* ordered = TList::Acquire();
    const std::int32_t lastMain = LastParOfStory(stMain);
    for (std::int32_t p = 0; p <= lastMain; ++p) {
        TSection* section = Par(p)->EndingSection();
        if (section != nullptr && Sections.Contains(section) && !ordered->Contains(section))
            ordered->Add(section);
    }
    for (std::int32_t i = 0; i < Sections.Count; ++i)
        if (!ordered->Contains(Sections.Item(i)))
            ordered->Add(Sections.Item(i));
    Sections.Assign(*ordered);
    TList::Release(ordered);
    StateFlags[sfSectionIndexStale] = 1;
}

void TDoc::UpdateSectionIndex() {
    if (StateFlags[sfSectionIndexStale] == 0)
        return;
    StateFlags[sfSectionIndexStale] = 0;
    if (Sections.Count == 0)
        return;
    const std::int32_t lastMain = LastParOfStory(stMain);
    std::int32_t first = 0;
    std::int32_t number = 0;
    TSection* last = static_cast<TSection*>(Sections.Last());
    if (Sections.Count >= 2) {
        for (std::int32_t p = 0; p <= lastMain; ++p) {
            TSection* section = Par(p)->EndingSection();
            if (section == nullptr || section == last)
                continue;
            section->FirstPar = first;
            section->LastPar = p;
            section->Number = number++;
            first = p + 1;
        }
    }
    last->FirstPar = first;
    last->LastPar = lastMain;
    last->Number = number;
    SectionsByFirstPar.Assign(Sections);
    SectionsByFirstPar.Sort([](TList* list, std::int32_t i, std::int32_t j) {
        const std::int32_t a = list->At<TSection>(i)->FirstPar, b = list->At<TSection>(j)->FirstPar;
        return a < b ? -1 : a > b ? 1 : 0;
    });
    UpdatePageMetrics();
}

TSection* TDoc::SectionOfPar(std::int32_t par) {
    UpdateSectionIndex();
    if (StateFlags[sfPageSizesStale] != 0)
        UpdatePageMetrics();
    if (Sections.Count == 0)
        return nullptr;
    const int story = StoryOfPar(par);
    if ((story == stFootnotes || story == stEndnotes) && par >= 0 && par < Pars.Count) {
        const TSection* first = Sections.At<TSection>(0);
        const bool toEnd = ViewMode != vmPrintLayout || (story == stEndnotes && first->EndnoteSettings.Position == 3);
        std::int32_t target = LastParOfStory(stMain);
        if (!toEnd) {
            // The note body at the paragraph's start leads to its reference.
            const TPar* p = Par(par);
            TStreamElement e;
            for (std::int32_t off = 0; off < p->Stream.Size; off += e.Length) {
                ReadStreamElement(p->Stream.Data, p->Stream.Size, off, e);
                if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
                    break;
                if (e.Code != fcFieldStart)
                    continue;
                const TField* body = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                TFragment range;
                if (body != nullptr && body->Kind == fkNoteBody && FieldRange(body->Partner, range)) {
                    target = range.Start.Par;
                    break;
                }
            }
        }
        par = target;
    } else if (story == stHeadersFooters && EditedHeaderFooter != nullptr) {
        TFragment range;
        if (FieldRange(EditedHeaderFooter, range) && range.Start.Par <= par && par <= range.End.Par)
            return SectionOfPage(EditedPage);
    }
    std::int32_t lo = 0, hi = SectionsByFirstPar.Count - 1;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) / 2;
        TSection* s = SectionsByFirstPar.At<TSection>(mid);
        if (par < s->FirstPar)
            hi = mid - 1;
        else if (par > s->LastPar)
            lo = mid + 1;
        else
            return s;
    }
    return static_cast<TSection*>(Sections.Last());
}

TSection* TDoc::PageSectionOfPar(std::int32_t par) {
    TSection* section = SectionOfPar(par);
    if (section == nullptr)
        return nullptr;
    // A section after a continuous break shares the page of the one before.
    std::int32_t i = Sections.IndexOf(section);
    while (i > 0 && Sections.At<TSection>(i - 1)->Format.BreakKind == 0)
        --i;
    return i >= 0 ? Sections.At<TSection>(i) : section;
}

TSection* TDoc::SectionOfPage(std::int32_t page) {
    if (Sections.Count == 0)
        return nullptr;
    const std::int32_t count = Client->PageCount(*this);
    if (count <= 0)
        return Sections.At<TSection>(0);
    page = std::clamp(page, 0, count - 1);
    std::int32_t first = 0, last = 0;
    if (!Client->MainParsOfPage(*this, page, first, last))
        return Sections.At<TSection>(0);
    return SectionOfPar(first);
}

void TDoc::GetCaretPageSetup(TPageSetup& setup) {
    const TSection* section = PageSectionOfPar(Caret.Par);
    if (section != nullptr)
        setup = section->PageSetup;
    else
        SetDefaultPageSetup(setup);
}

void TDoc::GetMaxPageExtents(TMaxPageExtents& extents) {
    UpdateSectionIndex();
    extents = MaxPageExtents;
}

TList* TDoc::SectionsOfFragment(const TFragment& fragment) {
    TList* list = TList::Acquire();
    TSection* first = SectionOfPar(fragment.Start.Par);
    TSection* last = SectionOfPar(fragment.End.Par);
    std::int32_t from = Sections.IndexOf(first), to = Sections.IndexOf(last);
    if (from < 0 || to < 0)
        return list;
    if (to < from)
        std::swap(from, to);
    for (std::int32_t i = from; i <= to; ++i)
        list->Add(Sections.Item(i));
    return list;
}

TList* TDoc::SectionsOfCompoundFragment(const TCompoundFragment& set) {
    TList* list = TList::Acquire();
    for (std::int32_t f = 0; f < set.Count(); ++f) {
        TList* part = SectionsOfFragment(set.Fragment(f));
        for (std::int32_t i = 0; i < part->Count; ++i)
            if (!list->Contains(part->Item(i)))
                list->Add(part->Item(i));
        TList::Release(part);
    }
    return list;
}

void TDoc::WidenToPageSections(const TFragment& fragment, TFragment& widened) {
    const TSection* start = PageSectionOfPar(fragment.Start.Par);
    MakeTextPos(start != nullptr ? start->FirstPar : 0, 0, widened.Start);
    std::int32_t i = Sections.IndexOf(SectionOfPar(fragment.End.Par));
    if (i < 0) {
        widened.End = fragment.End;
        return;
    }
    while (i < Sections.Count - 1 && Sections.At<TSection>(i)->Format.BreakKind == 0)
        ++i;
    const std::int32_t lastPar = std::min(Sections.At<TSection>(i)->LastPar, LastParOfStory(stMain));
    MakeTextPos(lastPar, Par(lastPar)->CharCount(), widened.End);
}

void TDoc::GetSelSectionFormat(TSectionFormat& format) {
    if (IsEmptyCompoundFragment(Selection)) {
        format = SectionOfPar(Caret.Par)->Format;
        return;
    }
    TList* sections = SectionsOfCompoundFragment(*Selection);
    if (sections->Count == 0) {
        format = SectionOfPar(Caret.Par)->Format;
        TList::Release(sections);
        return;
    }
    format = sections->At<TSection>(0)->Format;
    for (std::int32_t i = 1; i < sections->Count; ++i) {
        const TSectionFormat& other = sections->At<TSection>(i)->Format;
        if (!ColumnLayoutsEqual(format, other)) {
            format.ColumnCount = UnsetValue;
            format.ColumnSpacing = UnsetValue;
        }
        if (format.EqualColumns != other.EqualColumns)
            format.EqualColumns = UnsetValue;
        if (format.LineBetween != other.LineBetween)
            format.LineBetween = UnsetValue;
    }
    TList::Release(sections);
}

void TDoc::BuildSectionScopeList(TStrings& strings, int kind, std::uint8_t& defaultScope) {
    UpdateSectionIndex();
    strings.Clear();
    auto add = [&strings](std::uint8_t scope) {
        strings.AddObject(ScopeTexts[scope], reinterpret_cast<void*>(static_cast<std::intptr_t>(scope)));
    };
    const bool several = Sections.Count > 1;
    const bool selection = !IsEmptyCompoundFragment(Selection);
    if (!selection) {
        if (several)
            add(ssThisSection);
        add(ssWholeDocument);
        const std::int32_t lastMain = LastParOfStory(stMain);
        const bool atStart = Caret.Par == 0 && Caret.Offset == 0;
        const bool atLast = Caret.Par == lastMain && Caret.Offset >= Par(lastMain)->CharCount() - 1;
        if (EditedHeaderFooter == nullptr && !atStart && !atLast && StoryOfPar(Caret.Par) == stMain)
            add(ssThisPointForward);
    } else if (EditedHeaderFooter != nullptr) {
        add(ssThisSection);
    } else {
        TFragment span;
        Selection->GetSpan(span);
        const int story = StoryOfPar(span.Start.Par);
        const bool inNotes = story == stFootnotes || story == stEndnotes;
        const std::int32_t lastMain = LastParOfStory(stMain);
        const bool wholeMain = span.Start.Par == 0 && span.Start.Offset == 0 && span.End.Par >= lastMain &&
                               span.End.Offset >= Par(lastMain)->CharCount() - 1;
        const bool crosses = !inNotes && SectionOfPar(span.Start.Par) != SectionOfPar(span.End.Par);
        if (crosses) {
            add(ssSelectedSections);
        } else {
            // Note settings belong to whole sections; only page and column
            // settings can start a section around the selected text.
            if (!wholeMain && !inNotes && kind != saNoteSettings)
                add(ssSelectedText);
            if (several)
                add(ssThisSection);
        }
        add(ssWholeDocument);
    }
    if (strings.GetCount() > 0 && (defaultScope == 255 || (defaultScope == 0 && (selection || several))))
        defaultScope = static_cast<std::uint8_t>(reinterpret_cast<std::intptr_t>(strings.GetObject(0)));
}

void TDoc::ResetSectionPageRanges(TSection* section) {
    UpdateSectionIndex();
    for (std::int32_t i = 0; i < Sections.Count; ++i) {
        TSection* s = Sections.At<TSection>(i);
        if (section != nullptr && s != section)
            continue;
        s->FirstPage = INT32_MAX;
        s->LastPage = INT32_MIN;
    }
    const std::int32_t pages = Client->PageCount(*this);
    for (std::int32_t page = 0; page < pages; ++page) {
        std::int32_t first = 0, last = 0;
        if (!Client->MainParsOfPage(*this, page, first, last))
            continue;
        for (std::int32_t i = 0; i < Sections.Count; ++i) {
            TSection* s = Sections.At<TSection>(i);
            if ((section != nullptr && s != section) || first > s->LastPar || last < s->FirstPar)
                continue;
            s->FirstPage = std::min(s->FirstPage, page);
            s->LastPage = std::max(s->LastPage, page);
        }
    }
}

void TDoc::UpdatePageMetrics() {
    StateFlags[sfPageSizesStale] = 0;
    const std::int32_t screen = ModelOptions().ScreenPixelsPerInch;
    TMaxPageExtents extents;
    extents.PaginationValue = MaxPageExtents.PaginationValue;
    for (std::int32_t i = 0; i < Sections.Count; ++i) {
        TSection* s = Sections.At<TSection>(i);
        const std::int32_t own = PageSectionIndex(*this, i);
        const TPageSetup& source = Sections.At<TSection>(own)->PageSetup;
        TPageSetup& ps = s->PageSetup;
        const std::int32_t twips[6] = {source.PageWidth,   source.PageHeight, source.LeftMargin,
                                       source.RightMargin, source.TopMargin,  source.BottomMargin};
        for (int v = 0; v < 6; ++v) {
            ps.Pixels100[v] = ToPixels(twips[v], screen);
            ps.PixelsZoomed[v] = ToPixels(twips[v], ZoomedResolutionY);
        }
        ps.TextHeight100 = ToPixels(source.PageHeight - source.TopMargin - source.BottomMargin, screen);
        if (own != i)
            continue;
        extents.PageWidth = std::max(extents.PageWidth, ps.PageWidth);
        extents.PageHeight = std::max(extents.PageHeight, ps.PageHeight);
        extents.TextWidth = std::max(extents.TextWidth, ps.PageWidth - ps.LeftMargin - ps.RightMargin);
    }
    extents.PageWidth100 = ToPixels(extents.PageWidth, screen);
    extents.PageHeight100 = ToPixels(extents.PageHeight, screen);
    extents.PageWidthZoomed = ToPixels(extents.PageWidth, ZoomedResolutionX);
    extents.PageHeightZoomed = ToPixels(extents.PageHeight, ZoomedResolutionY);
    MaxPageExtents = extents;
}
