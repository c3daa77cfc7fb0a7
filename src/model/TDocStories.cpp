// Stories, paragraph queries and the section lookup.
#include "model/TDoc.h"

#include <algorithm>
#include <climits>

#include "base/core/ObjectHandles.h"
#include "model/FormatStream.h"
#include "model/ModelOptions.h"
#include "model/StateFlags.h"
#include "model/StreamEdit.h"
#include "model/TCompoundFragment.h"
#include "model/TDocClient.h"
#include "model/TField.h"
#include "model/TPar.h"
#include "model/TSection.h"

int TDoc::StoryOfPar(std::int32_t par) const {
    std::int32_t end = 0;
    for (int story = 0; story < StoryCount; ++story) {
        end += StoryCounts[story];
        if (par < end)
            return story;
    }
    return stHeadersFooters;
}

std::int32_t TDoc::FirstParOfStory(int story) const {
    std::int32_t first = 0;
    for (int s = 0; s < story && s < StoryCount; ++s)
        first += StoryCounts[s];
    return first;
}

std::int32_t TDoc::LastParOfStory(int story) const {
    return FirstParOfStory(story) + StoryCounts[story] - 1;
}

bool TDoc::IsParDimmed(std::int32_t par) const {
    if (StateFlags[sfPreviewDocument] != 0 || PrintPreview != 0)
        return false;
    const bool inHeaderFooter = StoryOfPar(par) == stHeadersFooters;
    return EditedHeaderFooter != nullptr ? !inHeaderFooter : inHeaderFooter;
}

void TDoc::RenumberPars(std::int32_t from) {
    for (std::int32_t i = std::max(from, 0); i < Pars.Count; ++i)
        Par(i)->Index = i;
}

void TDoc::BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const {
    first = last = par;
    if (par < 0 || par >= Pars.Count)
        return;
    const std::int16_t borders = Par(par)->Format.Borders;
    while (first > 0 && Par(first - 1)->Format.Borders == borders)
        --first;
    while (last + 1 < Pars.Count && Par(last + 1)->Format.Borders == borders)
        ++last;
}

void TDoc::FormatAtPos(const TTextPos& pos, TCharFormat& format) const {
    format = DefaultCharFormat;
    if (pos.Par < 0 || pos.Par >= Pars.Count)
        return;
    const TPar* par = Par(pos.Par);
    TCharLocation location;
    LocateChar(par->Stream, pos.Offset, location);
    FormatAtOffset(par->Stream, location.CharOffset, format);
}

bool TDoc::FieldRange(const TField* field, TFragment& range) const {
    if (field == nullptr)
        return false;
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    bool haveStart = false;
    for (std::int32_t p = 0; p < Pars.Count; ++p) {
        const TPar* par = Par(p);
        std::int32_t pos = 0;
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (!e.IsControl) {
                pos += e.Length;
                continue;
            }
            if (e.Truncated)
                break;
            if (ControlTakesPosition(e.Code)) {
                ++pos;
            } else if (e.Value == handle && e.Code == fcFieldStart && !haveStart) {
                MakeTextPos(p, pos, range.Start);
                haveStart = true;
            } else if (e.Value == handle && e.Code == fcFieldEnd && haveStart) {
                MakeTextPos(p, pos, range.End);
                return true;
            }
        }
    }
    return false;
}

std::u16string TDoc::RangeText(const TFragment& range) const {
    std::u16string text;
    const std::int32_t last = std::min(range.End.Par, Pars.Count - 1);
    for (std::int32_t p = std::max(range.Start.Par, 0); p <= last; ++p) {
        TPar* par = Par(p);
        par->BuildWideText();
        const std::int32_t from = p == range.Start.Par ? std::clamp(range.Start.Offset, 0, par->CharCount()) : 0;
        const std::int32_t to =
            p == range.End.Par ? std::clamp(range.End.Offset, from, par->CharCount()) : par->CharCount();
        text.append(par->WideText, from, to - from);
    }
    return text;
}

TField* TDoc::DropCapOfPar(std::int32_t par) const {
    if (par < 0 || par >= Pars.Count)
        return nullptr;
    TPar* p = Par(par);
    p->Normalize();
    if ((p->Flags & pfDropCap) == 0)
        return nullptr;
    TStreamElement e;
    for (std::int32_t off = 0; off < p->Stream.Size; off += e.Length) {
        ReadStreamElement(p->Stream.Data, p->Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
            break;
        if (e.Code == fcFieldStart) {
            TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field != nullptr && field->Kind == fkDropCap)
                return field;
        }
    }
    return nullptr;
}

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
