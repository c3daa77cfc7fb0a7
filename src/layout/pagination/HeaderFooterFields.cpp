// New header and footer fields, made with the model's undo steps so that
// one Undo takes them out again: the paragraph with the field's marks goes
// in through a text insertion (which registers the field with the document)
// and the section's slot changes through a slot step.

#include "layout/pagination/HeaderFooterFields.h"

#include <cstring>

#include "base/core/ObjectHandles.h"
#include "base/core/TMemory.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/DocConstants.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTextPos.h"
#include "model/managers/TStyleList.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/TInsDelOperation.h"
#include "model/undo/TOperation.h"

namespace {

bool IsHeaderSlot(int slot) {
    return slot == hfEvenHeader || slot == hfOddHeader || slot == hfFirstHeader;
}

std::int32_t BuiltInIdOf(const char* name) {
    for (int id = 0; id < BuiltInStyleCount; ++id)
        if (std::strcmp(BuiltInStyleNames[id], name) == 0)
            return id;
    return -1;
}

}  // namespace

TParFormat HeaderFooterParFormat(const TDoc& doc, int slot) {
    TParFormat format = DefaultParFormat;
    if (doc.Styles != nullptr) {
        const std::int32_t style = doc.Styles->IndexOfBuiltIn(BuiltInIdOf(IsHeaderSlot(slot) ? "Header" : "Footer"));
        if (style >= 0)
            format.Style = static_cast<std::int16_t>(style);
    }
    return format;
}

TField* AddHeaderFooterField(TDoc& doc, TSection& section, int slot, const TMemory& content, const TParFormat& format) {
    auto* field = new TField;
    field->Kind = fkHeaderFooter;
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    // The field's end mark follows the paragraph's end, as in every header
    // and footer the readers make, so that the field covers the whole
    // paragraph.
    TMemory stream;
    AppendFormatControl(stream, fcFieldStart, handle);
    stream.AppendMemory(content);
    AppendFormatControl(stream, fcSpecialChar, chParEnd);
    AppendFormatControl(stream, fcFieldEnd, handle);
    AppendParagraphMark(stream, format);
    // Appended after the story's last paragraph, which inserts whole
    // paragraphs: at the story's start the new text would go in after the
    // first header's own start mark and take that header's start with it.
    const TTextPos at{doc.LastParOfStory(stHeadersFooters) + 1, 0, 0, 0};
    auto* insertion = TInsDelOperation::CreateInsertion(&doc, stream, at, stHeadersFooters);
    insertion->Redo();
    doc.AddSubOperation(insertion);

    TField* slots[HeaderFooterSlotCount];
    for (int i = 0; i < HeaderFooterSlotCount; ++i)
        slots[i] = section.HeadersFooters[i];
    slots[slot] = field;
    auto* change = new TChangeSectHeadersOperation(&doc, &section, slots);
    change->Redo();
    doc.AddSubOperation(change);
    return field;
}

void RemoveHeaderFooterField(TDoc& doc, TField* field) {
    TFragment range;
    if (field == nullptr || !doc.FieldRange(field, range))
        return;
    // Whole paragraphs: the removal ends at the start of the paragraph after
    // the field's last one.
    const TTextPos start{range.Start.Par, 0, 0, 0};
    const TTextPos end{range.End.Par + 1, 0, 0, 0};
    auto* removal = TInsDelOperation::CreateRemoval(&doc, start, end, stHeadersFooters);
    removal->Redo();
    doc.AddSubOperation(removal);
}

bool CreateMissingHeadersFooters(TDoc& doc) {
    if (doc.Sections.Count == 0)
        return false;
    TSection& first = *doc.Sections.At<TSection>(0);
    bool missing = false;
    for (TField* field : first.HeadersFooters)
        if (field == nullptr)
            missing = true;
    if (!missing)
        return false;
    auto* operation = new TOperation(&doc, unHeaderAndFooter);
    doc.BeginOperation(operation);
    const TMemory empty;
    // From the last slot to the first.
    for (int slot = HeaderFooterSlotCount - 1; slot >= 0; --slot)
        if (first.HeadersFooters[slot] == nullptr)
            AddHeaderFooterField(doc, first, slot, empty, HeaderFooterParFormat(doc, slot));
    doc.EndOperation();
    doc.ApplyPostActions();
    doc.CommitOperation(operation);
    return true;
}
