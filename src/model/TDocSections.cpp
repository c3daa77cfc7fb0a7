// Sections of a selection, the scopes of section settings, applying them,
// section page ranges and the derived page metrics.
#include "model/TDoc.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "base/core/ObjectHandles.h"
#include "base/text/TStrings.h"
#include "model/FormatStream.h"
#include "model/ModelOptions.h"
#include "model/NoteOperations.h"
#include "model/SectionOperations.h"
#include "model/StateFlags.h"
#include "model/TCompoundFragment.h"
#include "model/TDocClient.h"
#include "model/TOperation.h"
#include "model/TPar.h"
#include "model/TPostActions.h"
#include "model/TSection.h"

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

bool TDoc::ApplySectionSettings(std::uint8_t scope, const TFragment* fragment, const void* settings, int what) {
    BeginDocumentCall(this);
    const std::uint8_t undoName = what == saPageSetup ? 1 : what == saSectionFormat ? 42 : 60;
    auto* op = new TOperation(this, undoName);
    BeginOperation(op);
    TCompoundFragment* selection = CloneCompoundFragment(*Selection);
    try {
        TFragment range;
        // Inserts a section break at a position (at a paragraph's very end:
        // at the start of the next paragraph) and gives the inserted stretch.
        auto insertBreakAt = [this](TTextPos pos, TFragment& inserted) {
            if (pos.Offset >= Par(pos.Par)->CharCount() - 1 && pos.Par < LastParOfStory(stMain)) {
                pos.Par += 1;
                pos.Offset = 0;
            }
            auto* section = new TSection(this);
            section->Assign(*SectionOfPar(pos.Par));
            TMemory content;
            AppendFormatControl(content, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
            AppendParagraphMark(content, Par(pos.Par)->Format);
            inserted.Start = pos;
            InsertFormatted(content, pos, 0, stMain, 1, &inserted.End);
            UpdateSectionIndex();
        };
        auto atSectionStart = [this](const TTextPos& pos) {
            return pos.Offset == 0 && SectionOfPar(pos.Par)->FirstPar == pos.Par;
        };
        auto atSectionEnd = [this](const TTextPos& pos) {
            const TSection* section = SectionOfPar(pos.Par);
            return (pos.Par == section->LastPar && pos.Offset >= Par(pos.Par)->CharCount() - 1) ||
                   (pos.Offset == 0 && pos.Par == section->LastPar + 1);
        };
        if (fragment != nullptr) {
            range = *fragment;
        } else {
            switch (scope) {
                case ssWholeDocument: {
                    const std::int32_t last = LastParOfStory(stMain);
                    MakeFragment(0, 0, last, Par(last)->CharCount(), range);
                    break;
                }
                case ssThisPointForward: {
                    std::int32_t startPar = Caret.Par;
                    if (!atSectionStart(Caret)) {
                        TFragment inserted;
                        insertBreakAt(Caret, inserted);
                        startPar = inserted.End.Par;
                    }
                    const std::int32_t last = LastParOfStory(stMain);
                    MakeFragment(startPar, 0, last, Par(last)->CharCount(), range);
                    break;
                }
                case ssSelectedText: {
                    // The span follows the breaks inserted in front of it.
                    TCompoundFragment* span = NewCompoundFragment();
                    TFragment whole;
                    selection->GetSpan(whole);
                    span->SetSingle(whole.Start.Par, whole.Start.Offset, whole.End.Par, whole.End.Offset);
                    if (!atSectionStart(whole.Start)) {
                        TFragment inserted, none{};
                        insertBreakAt(whole.Start, inserted);
                        none.Start = none.End = inserted.Start;
                        span->AdjustForEdit(none, inserted);
                        span->Fragment(0).Start = inserted.End;
                    }
                    const TFragment moved = span->Fragment(0);
                    ReleaseCompoundFragment(span);
                    // A span that ends at a paragraph start ends with the
                    // paragraph before.
                    TTextPos end = moved.End;
                    if (end.Offset == 0 && end.Par > moved.Start.Par) {
                        end.Par -= 1;
                        end.Offset = Par(end.Par)->CharCount() - 1;
                    }
                    std::int32_t endPar = end.Par;
                    if (!atSectionEnd(end)) {
                        TFragment inserted;
                        insertBreakAt(end, inserted);
                        endPar = inserted.End.Par - 1;
                    }
                    MakeFragment(moved.Start.Par, 0, endPar, Par(endPar)->CharCount(), range);
                    break;
                }
                case ssThisSection: {
                    const TSection* section = SectionOfPar(Caret.Par);
                    MakeFragment(section->FirstPar, 0, section->FirstPar, 0, range);
                    break;
                }
                default:
                    selection->GetSpan(range);
                    break;
            }
        }
        UpdateSectionIndex();
        TList* sections = SectionsOfFragment(range);
        if (sections->Count > 0) {
            const TSection* firstSection = sections->At<TSection>(0);
            const TSection* lastSection = static_cast<TSection*>(sections->Last());
            if (what == saSectionFormat) {
                (new TFormatSectOperation(this, firstSection->FirstPar, lastSection->LastPar,
                                          *static_cast<const TSectionFormat*>(settings)))
                    ->Execute();
            } else if (what == saNoteSettings) {
                const auto* notes = static_cast<const TNoteSettings*>(settings);
                auto* step = new TFormatNotesOperation(this, firstSection->FirstPar, lastSection->LastPar, notes[0],
                                                       notes[1], nullptr);
                if (step->Changed != 0)
                    step->Execute();
                else
                    delete step;
            } else {
                const auto& setup = *static_cast<const TPageSetup*>(settings);
                bool differs = false;
                for (std::int32_t i = 0; i < sections->Count; ++i)
                    differs = differs || PageSetupsDifferInLayout(sections->At<TSection>(i)->PageSetup, setup);
                if (differs) {
                    // A different page setup must start a page.
                    const std::int32_t before = Sections.IndexOf(const_cast<TSection*>(firstSection)) - 1;
                    if (before >= 0 && Sections.At<TSection>(before)->Format.BreakKind == 0)
                        (new TChangeSectBreakOperation(this, Sections.At<TSection>(before)->LastPar, 1))->Execute();
                    if (lastSection != Sections.Last() && lastSection->Format.BreakKind == 0)
                        (new TChangeSectBreakOperation(this, lastSection->LastPar, 1))->Execute();
                    (new TChangePageParamsOperation(this, range, pwWholeSetup, 0, &setup))->Execute();
                }
            }
        }
        TList::Release(sections);
    } catch (...) {
        EndOperation();
        delete op;
        ReleaseCompoundFragment(selection);
        throw;
    }
    EndOperation();
    const bool changed = op->Count > 0;
    if (changed && StateFlags[sfHidden] == 0) {
        ApplyPostActions();
        CommitOperation(op);
    } else {
        delete op;
    }
    ReleaseCompoundFragment(selection);
    EndDocumentCall(this);
    return changed;
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
