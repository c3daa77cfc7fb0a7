#include "editing/sections/SectionHeaders.h"

#include <algorithm>
#include <map>

#include "base/core/ObjectHandles.h"
#include "base/core/TMemory.h"
#include "layout/pagination/HeaderFooterFields.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/TInsDelOperation.h"

namespace {

std::int32_t Handle(const void* object) {
    return static_cast<std::int32_t>(ObjectHandle(object));
}

// The section whose pages include the page being edited.
TSection* SectionOfPage(TDoc& doc, std::int32_t page) {
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        auto* section = doc.Sections.At<TSection>(i);
        if (page >= section->FirstPage && page <= section->LastPage)
            return section;
    }
    return nullptr;
}

// The object a section shows in a slot: its own, else the nearest earlier
// section's.
TField* ShownObject(TDoc& doc, std::int32_t index, int slot) {
    for (std::int32_t s = index; s >= 0; --s)
        if (TField* field = doc.Sections.At<TSection>(s)->HeadersFooters[slot])
            return field;
    return nullptr;
}

// The slots of a section with one slot changed.
void SetSlot(TDoc& doc, TSection& section, int slot, TField* field) {
    TField* slots[HeaderFooterSlotCount];
    std::copy(section.HeadersFooters, section.HeadersFooters + HeaderFooterSlotCount, slots);
    slots[slot] = field;
    SetSectionHeaders(doc, section, slots);
}

// The sections after index that show field because they name it
// themselves (the readers give a section that repeats the previous one's
// header the same object) follow the section at index from now on: their
// slots are emptied, so they show what it shows.
void UnnameInFollowers(TDoc& doc, std::int32_t index, int slot, const TField* field) {
    for (std::int32_t k = index + 1; k < doc.Sections.Count && ShownObject(doc, k, slot) == field; ++k) {
        TSection& section = *doc.Sections.At<TSection>(k);
        if (section.HeadersFooters[slot] == field)
            SetSlot(doc, section, slot, nullptr);
    }
}

bool NamedBySomeSection(TDoc& doc, const TField* field) {
    for (std::int32_t k = 0; k < doc.Sections.Count; ++k) {
        const TSection& section = *doc.Sections.At<TSection>(k);
        if (std::find(section.HeadersFooters, section.HeadersFooters + HeaderFooterSlotCount, field) !=
            section.HeadersFooters + HeaderFooterSlotCount)
            return true;
    }
    return false;
}

// The text of a header or footer as the content of a new one: every
// paragraph with its format, its own marks left out. Field codes (page
// numbers, dates) are copied; bookmarks, whose names must stay unique, and
// other objects, which a copy cannot share, are left out; table rows get
// rows of their own. The new field's marks wrap the whole.
void CopyHeaderFooterText(TDoc& doc,
                          const TFragment& range,
                          const TField* source,
                          TField* target,
                          TMemory& stream,
                          std::int32_t& parEnds) {
    // Only fields with both marks inside the text are copied.
    std::map<const TField*, int> marks;
    for (std::int32_t p = range.Start.Par; p <= range.End.Par; ++p) {
        const TPar* par = doc.Par(p);
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (e.Truncated)
                break;
            if (e.IsControl && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
                marks[HandleTo<TField>(static_cast<TObjectHandle>(e.Value))] |= e.Code == fcFieldStart ? 1 : 2;
        }
    }
    std::map<const TField*, TField*> copies;
    AppendFormatControl(stream, fcFieldStart, Handle(target));
    parEnds = 0;
    for (std::int32_t p = range.Start.Par; p <= range.End.Par; ++p) {
        const TPar* par = doc.Par(p);
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (e.Truncated)
                break;
            if (!e.IsControl) {
                stream.AppendBuffer(par->Stream.Data + off, e.Length);
                continue;
            }
            switch (e.Code) {
                case fcFieldStart:
                case fcFieldEnd: {
                    const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                    if (field == nullptr || field == source || field->Kind != fkCode || marks[field] != 3)
                        break;
                    TField*& copy = copies[field];
                    if (e.Code == fcFieldStart && copy == nullptr) {
                        copy = new TField;
                        copy->Kind = field->Kind;
                        copy->Type = field->Type;
                        copy->Flags = field->Flags;
                        copy->Instruction = field->Instruction;
                        copy->ResultText = field->ResultText;
                        copy->Number = field->Number;
                    }
                    if (copy != nullptr)
                        AppendFormatControl(stream, e.Code, Handle(copy));
                    break;
                }
                case fcRowEnd: {
                    const auto* row = HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value));
                    if (row == nullptr)
                        break;
                    auto* copy = new TTableRow;
                    copy->Data = row->Data;
                    doc.TableRowList.Add(copy);
                    AppendFormatControl(stream, fcRowEnd, Handle(copy));
                    break;
                }
                case fcSectionBreak:
                case fcShapeAnchor:
                    break;
                default:
                    stream.AppendBuffer(par->Stream.Data + off, e.Length);
            }
        }
        if (p == range.End.Par)
            AppendFormatControl(stream, fcFieldEnd, Handle(target));
        AppendParagraphMark(stream, par->Format);
        ++parEnds;
    }
}

void CaretToStartOf(TDoc& doc, const TField* field) {
    TPostActions& pa = doc.PostActions();
    pa.Selection->Reset();
    TFragment range;
    if (field != nullptr && doc.FieldRange(field, range)) {
        doc.Caret = range.Start;
        pa.Caret = range.Start;
    }
}

}  // namespace

void SetSectionHeaders(TDoc& doc, TSection& section, TField* const slots[]) {
    if (std::equal(slots, slots + HeaderFooterSlotCount, section.HeadersFooters))
        return;
    (new TChangeSectHeadersOperation(&doc, &section, slots))->Execute();
    TPostActions& pa = doc.PostActions();
    if (pa.FirstPage == static_cast<std::int32_t>(0x80000000u) || pa.FirstPage > section.FirstPage)
        pa.FirstPage = std::max(section.FirstPage, 0);
}

void ToggleSameAsPrevious(TDoc& doc, TSection* section, int slot) {
    if (section == nullptr || slot < 0) {
        TField* edited = doc.EditedHeaderFooter;
        section = SectionOfPage(doc, doc.EditedPage);
        if (edited == nullptr || section == nullptr)
            return;
        const std::int32_t index = doc.Sections.IndexOf(section);
        slot = -1;
        for (int s = 0; s < HeaderFooterSlotCount && slot < 0; ++s)
            if (ShownObject(doc, index, s) == edited)
                slot = s;
    }
    const std::int32_t index = doc.Sections.IndexOf(section);
    if (index < 0 || slot < 0 || slot >= HeaderFooterSlotCount)
        return;
    TField* shown = ShownObject(doc, index, slot);
    if (shown == nullptr)
        return;
    // "Same as Previous" is on when the section before shows the same object,
    // whether through an empty slot or by naming it too.
    const bool linked = index > 0 && ShownObject(doc, index - 1, slot) == shown;
    if (linked) {
        // Unlinking: the section takes a copy of what it showed.
        TFragment range;
        if (!doc.FieldRange(shown, range))
            return;
        auto* copy = new TField;
        copy->Kind = fkHeaderFooter;
        TMemory stream;
        std::int32_t parEnds = 0;
        CopyHeaderFooterText(doc, range, shown, copy, stream, parEnds);
        // Appended after the story's last paragraph: at the story's start
        // the new text would go in after the first object's start mark.
        const TTextPos at{doc.LastParOfStory(stHeadersFooters) + 1, 0, 0, 0};
        TInsDelOperation::CreateInsertion(&doc, stream, at, stHeadersFooters)->Execute();
        doc.ClearTableCache();
        UnnameInFollowers(doc, index, slot, shown);
        SetSlot(doc, *section, slot, copy);
        if (doc.EditedHeaderFooter != nullptr)
            doc.EditedHeaderFooter = copy;
        CaretToStartOf(doc, copy);
        return;
    }
    // Linking: the section's own object goes, the earlier one shows.
    if (index == 0)
        return;
    TField* earlier = ShownObject(doc, index - 1, slot);
    UnnameInFollowers(doc, index, slot, shown);
    SetSlot(doc, *section, slot, nullptr);
    if (doc.EditedHeaderFooter != nullptr && earlier != nullptr)
        doc.EditedHeaderFooter = earlier;
    if (!NamedBySomeSection(doc, shown))
        RemoveHeaderFooterField(doc, shown);
    CaretToStartOf(doc, earlier);
}
