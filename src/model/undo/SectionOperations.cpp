#include "model/undo/SectionOperations.h"

#include <cstring>
#include <utility>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"

namespace {

// The sections a step covers, in document order (a released list).
struct TSectionRange {
    TList* List;
    explicit TSectionRange(TDoc& doc, const TFragment& range) : List(doc.SectionsOfFragment(range)) {}
    ~TSectionRange() { TList::Release(List); }
    TSectionRange(const TSectionRange&) = delete;
    TSectionRange& operator=(const TSectionRange&) = delete;
    std::int32_t Count() const { return List->Count; }
    TSection* operator[](std::int32_t i) const { return List->At<TSection>(i); }
};

void RepaginateFromStart(TDoc& doc) {
    TPostActions& pa = doc.PostActions();
    pa.FirstPage = 0;
    pa.RepaintRange = TFragment{};
}

void SectionsTouched(TDoc& doc, std::int32_t firstPar, std::int32_t lastPar, std::int32_t& first, std::int32_t& last) {
    first = doc.Sections.IndexOf(doc.SectionOfPar(firstPar));
    last = doc.Sections.IndexOf(doc.SectionOfPar(lastPar));
    if (first < 0)
        first = 0;
    if (last < first)
        last = first;
}

// One copy of the new value for each section the range touches; executing
// swaps each copy with its section's.
template <class TValue>
void SaveOnePerSection(TDoc& doc, std::int32_t firstPar, std::int32_t lastPar, const TValue& value, TMemory& saved) {
    std::int32_t first, last;
    SectionsTouched(doc, firstPar, lastPar, first, last);
    for (std::int32_t i = first; i <= last; ++i)
        saved.AppendBuffer(&value, sizeof value);
}

}  // namespace

TChangePageParamsOperation::TChangePageParamsOperation(TDoc* doc,
                                                       const TFragment& range,
                                                       std::uint8_t what,
                                                       std::int32_t value,
                                                       const TPageSetup* setup)
    : TSubOperation(doc), Range(range), What(what) {
    TSectionRange sections(*doc, range);
    if (What < 6) {
        for (std::int32_t i = 0; i < sections.Count(); ++i)
            Saved.AppendInt(value);
    } else if (What != pwOrientation) {
        TPageSetup fresh = setup != nullptr ? *setup : sections[0]->PageSetup;
        for (std::int32_t i = 0; i < sections.Count(); ++i)
            Saved.AppendBuffer(&fresh, sizeof fresh);
        if (What == pwWithSpreads) {
            for (std::int32_t i = 0; i < doc->Sections.Count; ++i) {
                Spreads.push_back(fresh.MirrorMargins);
                Spreads.push_back(fresh.FacingPages);
            }
        }
    }
}

void TChangePageParamsOperation::Undo() {
    Swap(false);
}

void TChangePageParamsOperation::Redo() {
    Swap(true);
}

void TChangePageParamsOperation::Swap(bool redo) {
    TDoc& doc = *Doc;
    // Undo gives the spread bytes back before the setups, so that the
    // sections of the range end with the setup they had, bytes included.
    if (What == pwWithSpreads && !redo)
        SwapSpreads();
    TSectionRange sections(doc, Range);
    for (std::int32_t i = 0; i < sections.Count(); ++i) {
        TPageSetup& ps = sections[i]->PageSetup;
        if (What < 6) {
            if ((i + 1) * 4 > Saved.Size)
                break;
            std::int32_t stored;
            std::memcpy(&stored, Saved.Data + i * 4, 4);
            std::int32_t& word = PageSetupWord(ps, PageSetupFirstMarginWord + What);
            std::swap(word, stored);
            std::memcpy(Saved.Data + i * 4, &stored, 4);
        } else if (What == pwOrientation && redo) {
            if (i == 0)
                Saved.Clear();
            Saved.AppendBuffer(&ps, sizeof ps);
            ps.Orientation ^= 1;
            const bool landscape = ps.Orientation == 1;
            if ((landscape && ps.PageWidth < ps.PageHeight) || (!landscape && ps.PageWidth > ps.PageHeight))
                std::swap(ps.PageWidth, ps.PageHeight);
        } else {
            const auto size = static_cast<std::int32_t>(sizeof(TPageSetup));
            if ((i + 1) * size > Saved.Size)
                break;
            TPageSetup stored;
            std::memcpy(&stored, Saved.Data + i * size, size);
            std::memcpy(Saved.Data + i * size, &ps, size);
            ps = stored;
        }
        ps.TextWidth = ps.PageWidth - ps.LeftMargin - ps.RightMargin;
    }
    if (What == pwWithSpreads && redo)
        SwapSpreads();
    doc.UpdatePageMetrics();
    if (doc.HasWindow())
        doc.SetZoom(doc.Zoom);
    RepaginateFromStart(doc);
    doc.PostActions().Selection->Assign(*doc.Selection);
}

void TChangePageParamsOperation::SwapSpreads() {
    TDoc& doc = *Doc;
    for (std::int32_t i = 0; i < doc.Sections.Count && 2 * i + 1 < static_cast<std::int32_t>(Spreads.size()); ++i) {
        TPageSetup& ps = doc.Sections.At<TSection>(i)->PageSetup;
        std::swap(ps.MirrorMargins, Spreads[2 * i]);
        std::swap(ps.FacingPages, Spreads[2 * i + 1]);
    }
}

TFormatSectOperation::TFormatSectOperation(TDoc* doc,
                                           std::int32_t firstPar,
                                           std::int32_t lastPar,
                                           const TSectionFormat& format)
    : TSubOperation(doc), FirstPar(firstPar), LastPar(lastPar) {
    SaveOnePerSection(*doc, firstPar, lastPar, format, Saved);
}

TFormatSectOperation::TFormatSectOperation(TDoc* doc,
                                           std::int32_t firstPar,
                                           std::int32_t lastPar,
                                           const TSectionReaderValues& values)
    : TSubOperation(doc), ShortForm(1), FirstPar(firstPar), LastPar(lastPar) {
    SaveOnePerSection(*doc, firstPar, lastPar, values, Saved);
}

TFormatSectOperation::TFormatSectOperation(TDoc* doc,
                                           std::int32_t firstPar,
                                           std::int32_t lastPar,
                                           const TPageNumberOptions& options)
    : TSubOperation(doc), PageNumbers(1), FirstPar(firstPar), LastPar(lastPar) {
    SaveOnePerSection(*doc, firstPar, lastPar, options, Saved);
}

void TFormatSectOperation::Undo() {
    TDoc& doc = *Doc;
    std::int32_t first, last;
    SectionsTouched(doc, FirstPar, LastPar, first, last);
    if (PageNumbers != 0) {
        SwapPageNumbers(first, last);
        return;
    }
    const std::int32_t size = ShortForm != 0 ? sizeof(TSectionReaderValues) : sizeof(TSectionFormat);
    for (std::int32_t i = first; i <= last && (i - first + 1) * size <= Saved.Size; ++i) {
        TSection* section = doc.Sections.At<TSection>(i);
        std::uint8_t* stored = Saved.Data + (i - first) * size;
        void* own = ShortForm != 0 ? static_cast<void*>(&section->ReaderValues) : static_cast<void*>(&section->Format);
        std::uint8_t temp[sizeof(TSectionFormat)];
        std::memcpy(temp, own, size);
        std::memcpy(own, stored, size);
        std::memcpy(stored, temp, size);
        if (ShortForm == 0 && section->FirstPar < doc.ParCount())
            doc.NoteParChanged(section->FirstPar);
    }
    if (ShortForm == 0)
        doc.StateFlags[sfPageSizesStale] = 1;
    ModelHost().RefreshSidePanels(prSections);
}

// The numbers of every page from the first section changed on may differ
// now (later sections may continue its numbering), so the pages are made
// again from there.
void TFormatSectOperation::SwapPageNumbers(std::int32_t first, std::int32_t last) {
    TDoc& doc = *Doc;
    constexpr std::int32_t size = sizeof(TPageNumberOptions);
    for (std::int32_t i = first; i <= last && (i - first + 1) * size <= Saved.Size; ++i) {
        TSection* section = doc.Sections.At<TSection>(i);
        TPageNumberOptions stored;
        std::memcpy(&stored, Saved.Data + (i - first) * size, size);
        TPageNumberOptions own;
        own.NumberStyle = section->PageNumberStyle;
        own.StartNumber = section->PageNumberStart;
        section->PageNumberStyle = stored.NumberStyle;
        section->PageNumberStart = stored.StartNumber;
        std::memcpy(Saved.Data + (i - first) * size, &own, size);
    }
    if (first < doc.Sections.Count) {
        const TSection* section = doc.Sections.At<TSection>(first);
        if (section->FirstPar < doc.ParCount())
            doc.NoteParChanged(section->FirstPar);
    }
    ModelHost().RefreshSidePanels(prSections);
}

void TExchangeSectFormattingOperation::Undo() {
    std::swap(A->Format, B->Format);
    std::swap(A->PageSetup, B->PageSetup);
    std::swap(A->HeadersFooters, B->HeadersFooters);
    std::swap(A->ReaderValues, B->ReaderValues);
    std::swap(A->FootnoteSettings, B->FootnoteSettings);
    std::swap(A->EndnoteSettings, B->EndnoteSettings);
    Doc->StateFlags[sfPageSizesStale] = 1;
    RepaginateFromStart(*Doc);
}

void TAssignSectOperation::Redo() {
    Saved.Format = Target->Format;
    Saved.PageSetup = Target->PageSetup;
    std::memcpy(Saved.HeadersFooters, Target->HeadersFooters, sizeof Saved.HeadersFooters);
    Saved.ReaderValues = Target->ReaderValues;
    Saved.FootnoteSettings = Target->FootnoteSettings;
    Saved.EndnoteSettings = Target->EndnoteSettings;
    Target->Format = Source->Format;
    Target->PageSetup = Source->PageSetup;
    std::memcpy(Target->HeadersFooters, Source->HeadersFooters, sizeof Target->HeadersFooters);
    Target->FootnoteSettings = Source->FootnoteSettings;
    Target->EndnoteSettings = Source->EndnoteSettings;
    Doc->StateFlags[sfPageSizesStale] = 1;
    RepaginateFromStart(*Doc);
}

void TAssignSectOperation::Undo() {
    Target->Format = Saved.Format;
    Target->PageSetup = Saved.PageSetup;
    std::memcpy(Target->HeadersFooters, Saved.HeadersFooters, sizeof Target->HeadersFooters);
    Target->ReaderValues = Saved.ReaderValues;
    Target->FootnoteSettings = Saved.FootnoteSettings;
    Target->EndnoteSettings = Saved.EndnoteSettings;
    Doc->StateFlags[sfPageSizesStale] = 1;
    RepaginateFromStart(*Doc);
}

TChangeSectHeadersOperation::TChangeSectHeadersOperation(TDoc* doc,
                                                         TSection* section,
                                                         TField* const slots[HeaderFooterSlotCount])
    : TSubOperation(doc), Section(section) {
    for (int i = 0; i < HeaderFooterSlotCount; ++i)
        Slots[i] = slots[i];
}

void TChangeSectHeadersOperation::Undo() {
    for (int i = 0; i < HeaderFooterSlotCount; ++i)
        std::swap(Section->HeadersFooters[i], Slots[i]);
    Doc->StateFlags[sfSectionIndexStale] = 1;
    Doc->UpdateSectionIndex();
    ModelHost().RefreshSidePanels(prSections);
}

void TChangeSectBreakOperation::Undo() {
    TDoc& doc = *Doc;
    if (Par < 0 || Par >= doc.ParCount())
        return;
    TSection* section = doc.Par(Par)->EndingSection();
    if (section == nullptr)
        return;
    const std::uint8_t old = section->Format.BreakKind;
    section->Format.BreakKind = BreakKind;
    BreakKind = old;
    // A continuous break joins pages: the section's start is laid out again.
    const bool continuous = old == 0 || section->Format.BreakKind == 0;
    doc.StateFlags[sfSectionIndexStale] = 1;
    doc.StateFlags[sfPageSizesStale] = 1;
    doc.UpdateSectionIndex();
    doc.NoteParChanged(continuous ? section->FirstPar : Par);
    ModelHost().RefreshSidePanels(prSections);
}
