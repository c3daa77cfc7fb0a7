// The members of TField that look at the whole document: the note a
// NOTEREF field names, and a note reference's number in its section's format.
// The field room lies below the paragraphs and the document, so these live
// with the document, which sees all three.
#include "model/fields/TField.h"

#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/text/TextCase.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/FieldInstructions.h"
#include "model/formats/FormatStream.h"
#include "model/host/TEditingServices.h"
#include "model/paragraphs/TPar.h"

namespace {

// The note reference whose mark is the character at pos: a field-start
// control of a kind-3 field opened before the character and not yet closed.
TField* NoteReferenceAt(const TDoc& doc, const TTextPos& pos) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return nullptr;
    const TPar* par = doc.Par(pos.Par);
    std::vector<TField*> open;
    std::int32_t charPos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
        ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
        std::int32_t count = 0;
        if (!e.IsControl) {
            count = e.Length;
        } else if (e.Truncated) {
            break;
        } else if (ControlTakesPosition(e.Code)) {
            count = 1;
        } else if (e.Code == fcFieldStart || e.Code == fcFieldEnd) {
            TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field != nullptr && field->Kind == fkNoteRef) {
                if (e.Code == fcFieldStart)
                    open.push_back(field);
                else
                    std::erase(open, field);
            }
        }
        if (count > 0 && pos.Offset >= charPos && pos.Offset < charPos + count)
            return open.empty() ? nullptr : open.back();
        charPos += count;
    }
    return nullptr;
}

}  // namespace

TField* TField::FindReferencedNote(TDoc& doc) const {
    std::u16string name;
    ParseNoteRefCode(Instruction, nullptr, nullptr, name);
    if (name.empty())
        return nullptr;
    EditingServices().RebuildFieldIndex(doc);
    // Bookmark names compare without regard to case, as Word files expect.
    const std::u16string wanted = LowerCaseWideLocale(name);
    const TField* bookmark = nullptr;
    for (std::int32_t i = 0; i < doc.Fields.Count && bookmark == nullptr; ++i) {
        const TField* f = doc.Fields.At<TField>(i);
        if (f->Kind == fkBookmark && LowerCaseWideLocale(f->Instruction) == wanted)
            bookmark = f;
    }
    TFragment range;
    if (bookmark == nullptr || !doc.FieldRange(bookmark, range))
        return nullptr;
    if (TField* note = NoteReferenceAt(doc, range.Start))
        return note;
    if (FragmentIsEmpty(range))
        return nullptr;
    TTextPos last = range.End;
    if (last.Offset > 0) {
        --last.Offset;
    } else if (last.Par > range.Start.Par && last.Par - 1 < doc.ParCount()) {
        --last.Par;
        last.Offset = doc.Par(last.Par)->CharCount() - 1;
    }
    return NoteReferenceAt(doc, last);
}

bool TField::SetNoteNumber(const TSection* section, std::int32_t number) {
    Number = number;
    std::int32_t format = 0;
    if (section != nullptr)
        format = Partner != nullptr && Partner->Endnote != 0 ? section->EndnoteSettings.NumberFormat
                                                             : section->FootnoteSettings.NumberFormat;
    std::string text = FormatPageNumber(number, format);
    if (text == ResultText)
        return false;
    ResultText = std::move(text);
    return true;
}
