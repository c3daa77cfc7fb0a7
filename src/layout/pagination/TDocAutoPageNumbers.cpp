// Page numbers put into every section's headers or footers at once: each
// matching slot gets a new field whose paragraph holds a page-number field,
// aligned as asked. Text already there would be lost, so a header or footer
// holding anything but a page number ending its paragraph stops it.

#include "layout/pagination/AutoPageNumbers.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/core/TMemory.h"
#include "base/messages/MessageBoxes.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/HeaderFooterFields.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/TOperation.h"

const char* const NonEmptyHeadersFootersMessage =
    "This document contains one or more nonempty headers or footers. Page numbers cannot be inserted "
    "automatically in the existing headers/footers because this might affect the current contents of these "
    "headers or footers badly.\r\r"
    "To insert a page number, please\r\r"
    " a) activate the \"View | Header and Footer\" mode,\r"
    " b) place the caret within the target header or footer,\r"
    " c) use the \"Insert Page Number\" button from the \"Header/Footer\" toolbar.";

namespace {

// The even-page, odd-page and first-page slot of the place.
struct TPlaceSlots {
    int Even, Odd, First;
};

TPlaceSlots SlotsOf(std::uint8_t place) {
    if (place == pnTop)
        return {hfEvenHeader, hfOddHeader, hfFirstHeader};
    return {hfEvenFooter, hfOddFooter, hfFirstFooter};
}

// A paragraph without text, or one whose text ends with a page-number field
// (nothing but zero-width marks after its end mark before the paragraph's
// end character).
bool HoldsOnlyPageNumberAtEnd(const TPar& par) {
    const std::int32_t last = par.CharCount() - 1;
    if (last <= 0)
        return true;
    std::int32_t pos = 0;
    bool pageNumberAtEnd = false;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl) {
            pos += e.Length;
            continue;
        }
        if (e.Truncated)
            break;
        if (ControlTakesPosition(e.Code)) {
            ++pos;
        } else if (e.Code == fcFieldEnd && pos == last) {
            const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field != nullptr && field->Kind == fkCode && field->Type == ftPageNumber)
                pageNumberAtEnd = true;
        }
    }
    return pageNumberAtEnd;
}

bool HeadersFootersAllowNumbers(TDoc& doc, std::uint8_t place) {
    const TPlaceSlots slots = SlotsOf(place);
    for (std::int32_t s = 0; s < doc.Sections.Count; ++s) {
        const TSection& section = *doc.Sections.At<TSection>(s);
        for (int slot : {slots.Even, slots.Odd, slots.First}) {
            TFragment range;
            if (!doc.FieldRange(section.HeadersFooters[slot], range))
                continue;
            for (std::int32_t p = range.Start.Par; p <= range.End.Par; ++p)
                if (!HoldsOnlyPageNumberAtEnd(*doc.Par(p)))
                    return false;
        }
    }
    return true;
}

// The alignment of the paragraph of a slot, or -1 when the slot shows no
// number. Inside puts odd (right-hand) pages' numbers left and even pages'
// right, outside the reverse; neither numbers the first page.
int AlignmentOf(const TAutoPageNumbers& settings, const TPlaceSlots& slots, int slot) {
    const bool spread = settings.Alignment == pnInside || settings.Alignment == pnOutside;
    if (slot == slots.First)
        return settings.OnFirstPage && !spread ? std::min<int>(settings.Alignment, pnRight) : -1;
    if (!spread)
        return std::min<int>(settings.Alignment, pnRight);
    const bool oddLeft = settings.Alignment == pnInside;
    return (slot == slots.Odd) == oddLeft ? pnLeft : pnRight;
}

// The page-number field with its marks, as the content of a header or
// footer paragraph. Its result is left to the field update, which computes
// it per page.
void AppendPageNumber(TMemory& content) {
    auto* field = new TField;
    field->Kind = fkCode;
    field->Type = ftPageNumber;
    field->Instruction = u"PAGE";
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    AppendFormatControl(content, fcFieldStart, handle);
    AppendFormatControl(content, fcFieldEnd, handle);
}

}  // namespace

bool TDoc::InsertAutoPageNumbers(const TAutoPageNumbers& settings, std::int32_t page) {
    if (Sections.Count == 0)
        return false;
    if (!HeadersFootersAllowNumbers(*this, settings.Place)) {
        ShowInformation(NonEmptyHeadersFootersMessage);
        return false;
    }
    const std::int32_t undoCountBefore = UndoList.Count;
    if (EditedHeaderFooter == nullptr)
        ToggleHeaderFooterEditing(nullptr, page);
    // The first step, undone with the fields editing just made: the first
    // section's facing pages and title page as the alignment and the first
    // page ask.
    TSection& first = *Sections.At<TSection>(0);
    const bool spread = settings.Alignment == pnInside || settings.Alignment == pnOutside;
    TPageSetup setup = first.PageSetup;
    if (spread)
        setup.FacingPages = 1;
    if (!settings.OnFirstPage)
        setup.DifferentFirstPage = 1;
    {
        auto* operation = new TOperation(this, unPageNumbers);
        if (UndoList.Count > undoCountBefore)
            operation->Flags |= ofChained;
        BeginOperation(operation);
        const TFragment range{{first.FirstPar, 0, 0, 0}, {first.LastPar, ParLength(first.LastPar), 0, 0}};
        auto* step = new TChangePageParamsOperation(this, range, pwWholeSetup, 0, &setup);
        step->Redo();
        AddSubOperation(step);
        EndOperation();
        ApplyPostActions();
        CommitOperation(operation);
    }
    // The second: each matching slot of every section gets a new field, with
    // a page number where one shows; the fields there before leave with
    // their paragraphs.
    auto* operation = new TOperation(this, unPageNumbers);
    BeginOperation(operation);
    const TPlaceSlots slots = SlotsOf(settings.Place);
    struct TNewSlot {
        TSection* Section;
        int Slot;
        int Alignment;
    };
    std::vector<TNewSlot> fresh;
    std::unordered_set<TField*> removed;
    for (std::int32_t s = 0; s < Sections.Count; ++s) {
        TSection& section = *Sections.At<TSection>(s);
        for (int slot : {slots.First, slots.Odd, slots.Even}) {
            TField* old = section.HeadersFooters[slot];
            const int alignment = AlignmentOf(settings, slots, slot);
            if (alignment < 0 && old == nullptr)
                continue;
            fresh.push_back({&section, slot, alignment});
            // All old paragraphs go before any new one comes: taking out a
            // paragraph joins what follows it, and a new paragraph's page
            // number, which takes no room, would go with the join.
            if (old != nullptr && removed.insert(old).second)
                RemoveHeaderFooterField(*this, old);
        }
    }
    for (const TNewSlot& n : fresh) {
        TParFormat format = HeaderFooterParFormat(*this, n.Slot);
        TMemory content;
        if (n.Alignment >= 0) {
            format.Alignment = static_cast<std::int8_t>(n.Alignment);
            AppendPageNumber(content);
        }
        AddHeaderFooterField(*this, *n.Section, n.Slot, content, format);
    }
    // Editing goes on in the page's new header or footer, and ends where it
    // would have ended before.
    const TTextPos returnCaret = HeaderFooterReturnCaret;
    EditedHeaderFooter = nullptr;
    EndOperation();
    ApplyPostActions();
    CommitOperation(operation);
    Paginate(0, std::max(page, Pages.Count - 1));
    TField* edited = nullptr;
    if (page >= 0 && page < Pages.Count && settings.Place == pnBottom)
        edited = Pages.At<TPage>(page)->FooterField;
    if (BeginHeaderFooterEditing(edited, page))
        HeaderFooterReturnCaret = returnCaret;
    return true;
}
