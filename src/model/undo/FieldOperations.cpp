#include "model/undo/FieldOperations.h"

#include <algorithm>
#include <utility>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FieldControls.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TShape.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"

namespace {

// The run of zero-width controls standing at a character position: from
// the end of the character before up to the character (or the stream end).
void RunAt(const TPar& par, std::int32_t offset, std::int32_t& from, std::int32_t& to) {
    TCharLocation location;
    LocateChar(par.Stream, offset, location);
    from = location.RunStart;
    to = location.CharOffset;
}

// Where a field's marks stand, found by the field's handle in any order.
// A field whose end mark was put in front of its start within one run of
// controls (which earlier edits could leave behind) is still found, so
// that lifting it takes both marks out and no second pair joins them.
bool FindFieldMarks(const TDoc& doc, const TField* field, TTextPos& start, TTextPos& end) {
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    bool haveStart = false, haveEnd = false;
    for (std::int32_t p = 0; p < doc.ParCount() && !(haveStart && haveEnd); ++p) {
        ForEachFieldControl(doc.Par(p)->Stream, [&](const TFieldControl& c) {
            if (c.Value != handle)
                return;
            if (c.Code == fcFieldStart && !haveStart) {
                MakeTextPos(p, c.Pos, start);
                haveStart = true;
            } else if (c.Code == fcFieldEnd && !haveEnd) {
                MakeTextPos(p, c.Pos, end);
                haveEnd = true;
            }
        });
    }
    return haveStart && haveEnd;
}

// Whether the run of controls at pos holds the field's mark of the code.
bool MarkStandsAt(const TDoc& doc, std::int32_t handle, std::uint8_t code, const TTextPos& pos) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount() || pos.Offset < 0)
        return false;
    const TPar& par = *doc.Par(pos.Par);
    // Marks may stand behind the last character, at the stream's end.
    if (pos.Offset > par.CharCount())
        return false;
    std::int32_t from, to;
    RunAt(par, pos.Offset, from, to);
    return FindFieldControl(par.Stream, from, to, code, handle) >= 0;
}

// The marks of a field that the field index placed (TField::Range) are
// checked where it says they stand, which is cheap; only a field whose
// range is stale, or that the index has not seen, costs a search of the
// whole document.
bool LocateFieldMarks(const TDoc& doc, const TField* field, TTextPos& start, TTextPos& end) {
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    if (MarkStandsAt(doc, handle, fcFieldStart, field->Range.Start) &&
        MarkStandsAt(doc, handle, fcFieldEnd, field->Range.End)) {
        start = field->Range.Start;
        end = field->Range.End;
        return true;
    }
    return FindFieldMarks(doc, field, start, end);
}

// Where a mark goes that its maker puts behind every mark of the run of
// controls [from, to): behind the last field mark there, in front of the
// attribute changes that follow it, or at the run's start when it holds
// none. Normalising a paragraph (TPar::Normalize) puts field marks in front
// of attribute changes; a mark put there already is not moved when layout
// normalises, which would leave the index that undo counts different from
// the one the mark went in with.
std::int32_t BehindEveryMark(const TMemory& stream, std::int32_t from, std::int32_t to) {
    std::int32_t slot = from;
    ForEachFieldControl(stream, from, to, [&slot](const TFieldControl& c) { slot = c.Offset + FormatControlSize; });
    return slot;
}

TShape* ShapeOf(const TField& field) {
    if (TShape* shape = field.InlineShape())
        return shape;
    return nullptr;
}

}  // namespace

TInsDelFieldOperation::TInsDelFieldOperation(TDoc* doc, std::uint8_t marks, TField* field)
    : TSubOperation(doc), Marks(marks), Field(field) {
    if (ShapeOf(*field) != nullptr)
        Extra |= feHasShape;
    TTextPos start, end;
    if (LocateFieldMarks(*doc, field, start, end)) {
        StartPar = start.Par;
        StartOffset = start.Offset;
        EndPar = end.Par;
        EndOffset = end.Offset;
    }
}

TInsDelFieldOperation::TInsDelFieldOperation(TDoc* doc,
                                             std::uint8_t marks,
                                             TField* field,
                                             const TTextPos& start,
                                             std::int32_t startIndex,
                                             const TTextPos& end,
                                             std::int32_t endIndex)
    : TSubOperation(doc),
      Present(0),
      Marks(marks),
      Field(field),
      StartPar(start.Par),
      StartOffset(start.Offset),
      StartIndex(startIndex),
      EndPar(end.Par),
      EndOffset(end.Offset),
      EndIndex(endIndex) {
    if (ShapeOf(*field) != nullptr)
        Extra |= feHasShape;
}

TInsDelFieldOperation::~TInsDelFieldOperation() {
    // A complete field that is out of the document belongs to the step.
    if (Present == 0 && Marks == fmBoth && (Extra & feNeverFree) == 0 && !Doc->Fields.Contains(Field)) {
        if ((Extra & feHasShape) != 0)
            Doc->DeleteShape(ShapeOf(*Field));
        delete Field;
    }
}

bool TInsDelFieldOperation::RemoveMark(std::uint8_t code, std::int32_t par, std::int32_t offset, std::int32_t& index) {
    if (par < 0 || par >= Doc->ParCount())
        return false;
    TPar* p = Doc->Par(par);
    std::int32_t from, to;
    RunAt(*p, offset, from, to);
    const std::int32_t off =
        FindFieldControl(p->Stream, from, to, code, static_cast<std::int32_t>(ObjectHandle(Field)));
    if (off < 0)
        return false;
    index = (off - from) / FormatControlSize;
    p->Stream.DeleteRange(off, FormatControlSize);
    p->Changed();
    return true;
}

void TInsDelFieldOperation::InsertMark(std::uint8_t code, std::int32_t par, std::int32_t offset, std::int32_t index) {
    if (par < 0 || par >= Doc->ParCount())
        return;
    TPar* p = Doc->Par(par);
    std::int32_t from, to;
    RunAt(*p, offset, from, to);
    std::int32_t at = index >= MarkBehindEveryMark ? BehindEveryMark(p->Stream, from, to)
                                                   : std::min(from + index * FormatControlSize, to);
    // A field never ends before it starts: within one run a start goes in
    // front of its own end mark and an end behind its own start mark,
    // whatever index the caller asked for (callers that put a mark "after
    // every mark there" do not look for the field's other mark).
    const auto handle = static_cast<std::int32_t>(ObjectHandle(Field));
    const std::uint8_t other = code == fcFieldStart ? fcFieldEnd : fcFieldStart;
    const std::int32_t partner = FindFieldControl(p->Stream, from, to, other, handle);
    if (partner >= 0)
        at = code == fcFieldStart ? std::min(at, partner) : std::max(at, partner + FormatControlSize);
    InsertFormatControl(p->Stream, at, code, static_cast<std::int32_t>(ObjectHandle(Field)));
    p->Changed();
}

void TInsDelFieldOperation::Undo() {
    TDoc& doc = *Doc;
    // The first execution tells what the step is for: one that puts marks
    // in keeps the indexes its maker chose.
    if ((Extra & feExecuted) == 0) {
        Extra |= feExecuted;
        if (Present == 0)
            Extra |= feKeepIndexes;
    }
    if (Present != 0) {
        // A step that put marks in takes them out again without counting
        // their places anew: redo puts them where the first execution did,
        // even if normalising reordered their run in between. A step that
        // took marks out counts where they stood.
        std::int32_t countedStart = 0, countedEnd = 0;
        const bool keep = (Extra & feKeepIndexes) != 0;
        // The end first: when both marks share a run, the start's index
        // stays as it was counted.
        if ((Marks & fmEnd) != 0)
            RemoveMark(fcFieldEnd, EndPar, EndOffset, keep ? countedEnd : EndIndex);
        if ((Marks & fmStart) != 0)
            RemoveMark(fcFieldStart, StartPar, StartOffset, keep ? countedStart : StartIndex);
        if (Marks == fmBoth) {
            doc.Fields.Remove(Field);
            if (TShape* shape = ShapeOf(*Field))
                shape->ShapeFlags |= 4;
        }
        Present = 0;
    } else {
        if ((Marks & fmStart) != 0)
            InsertMark(fcFieldStart, StartPar, StartOffset, StartIndex);
        if ((Marks & fmEnd) != 0)
            InsertMark(fcFieldEnd, EndPar, EndOffset, EndIndex);
        if (Marks == fmBoth) {
            if (!doc.Fields.Contains(Field))
                doc.Fields.Add(Field);
            if (TShape* shape = ShapeOf(*Field))
                shape->ShapeFlags &= ~4;
        }
        Present = 1;
    }
    if (StartPar >= 0 && StartPar < doc.ParCount())
        doc.NoteParChanged(StartPar);
    ModelHost().RestartBackgroundSpellcheck(doc);
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);
}

void TEditFieldOperation::Undo() {
    std::swap(Field->Instruction, Instruction);
    Doc->StateFlags[sfFieldIndexStale] = 1;
    Doc->NoteFieldSpan(-1, -1);
}

void TChangeFieldPropsOperation::Undo() {
    std::swap(Field->Type, Type);
    std::swap(Field->Instruction, Instruction);
    Doc->StateFlags[sfFieldIndexStale] = 1;
    Doc->NoteFieldSpan(-1, -1);
}

void TDoc::UpdatePageFields(bool force) {
    EditingServices().UpdatePageFields(*this, force);
}
