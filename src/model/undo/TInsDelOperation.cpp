#include "model/undo/TInsDelOperation.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TShape.h"
#include "model/host/TModelHost.h"
#include "model/paragraphs/TPar.h"

namespace {

// A paragraph whose stream is at least this long is cut by moving its
// buffer to the side that keeps the larger part, copying only the smaller.
constexpr std::int32_t LargeStreamBytes = 256;

// The objects a stretch of stream names, for telling which of them a kept
// stretch still holds in the document.
void CollectObjectHandles(const std::uint8_t* data, std::int32_t size, std::vector<std::int32_t>& handles) {
    TStreamElement e;
    for (std::int32_t off = 0; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (e.IsControl && !e.Truncated &&
            (e.Code == fcSectionBreak || e.Code == fcShapeAnchor || e.Code == fcFieldStart))
            handles.push_back(e.Value);
    }
}

// Fresh content may end a paragraph without its end character; every
// paragraph needs one as its last position.
void EnsureParagraphEnd(TMemory& stream) {
    TMemory chars;
    AppendCharsOf(stream.Data, stream.Size, &chars);
    if (chars.Size == 0 || !IsParagraphEndChar(chars.Data[chars.Size - 1]))
        AppendFormatControl(stream, fcSpecialChar, chParEnd);
}

// What a fresh removal leaves in place of the text: the field marks whose
// partner mark lies outside the removed stretch (a removal never takes half
// a field), then the attribute controls that give the following text the
// format it had.
TMemory* KeptForRemoval(const TMemory& removed, const TCharFormat& from, const TCharFormat& to) {
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(removed, pieces);
    std::vector<std::int32_t> marks;
    TStreamElement e;
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = removed.Data + piece.Start;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (e.IsControl && !e.Truncated && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
                marks.push_back(e.Value);
        }
    }
    auto* kept = new TMemory;
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = removed.Data + piece.Start;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (!e.IsControl || e.Truncated || (e.Code != fcFieldStart && e.Code != fcFieldEnd))
                continue;
            if (std::count(marks.begin(), marks.end(), e.Value) == 1)
                kept->AppendBuffer(data + off, FormatControlSize);
        }
    }
    AppendFormatChange(*kept, from, to);
    if (kept->Size == 0) {
        delete kept;
        kept = nullptr;
    }
    return kept;
}

// Whether a stretch of stream holds field marks: moving them may change
// the order of the field index, which is then built afresh.
bool HasFieldMarks(const TMemory& stream) {
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(stream, pieces);
    TStreamElement e;
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = stream.Data + piece.Start;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (e.IsControl && !e.Truncated && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
                return true;
        }
    }
    return false;
}

TPar* MakePar(TDoc& doc, const std::uint8_t* bytes, std::int32_t size, const TParFormat& format, bool fresh) {
    auto* par = new TPar(&doc);
    par->Stream.AssignBuffer(bytes, size);
    if (fresh)
        EnsureParagraphEnd(par->Stream);
    AppendCharsOf(par->Stream.Data, par->Stream.Size, &par->Chars);
    par->Format = format;
    return par;
}

}  // namespace

TInsDelOperation* TInsDelOperation::CreateInsertion(TDoc* doc,
                                                    const TMemory& content,
                                                    const TTextPos& pos,
                                                    int story,
                                                    bool hasObjects) {
    auto* step = new TInsDelOperation(doc);
    step->Content.Assign(content);
    step->StartPar = step->EndPar = pos.Par;
    step->StartOffset = step->EndOffset = pos.Offset;
    step->Story = static_cast<std::uint8_t>(story);
    step->HasObjects = hasObjects ? 1 : 0;
    step->Present = 0;
    return step;
}

TInsDelOperation* TInsDelOperation::CreateRemoval(TDoc* doc,
                                                  const TTextPos& start,
                                                  const TTextPos& end,
                                                  int story,
                                                  bool hasObjects) {
    auto* step = new TInsDelOperation(doc);
    step->StartPar = start.Par;
    step->StartOffset = start.Offset;
    step->EndPar = end.Par;
    step->EndOffset = end.Offset;
    step->Story = static_cast<std::uint8_t>(story);
    step->HasObjects = hasObjects ? 1 : 0;
    step->Present = 1;
    return step;
}

TInsDelOperation::~TInsDelOperation() {
    // Held content that was taken out of the document owns the objects it
    // names; fresh content that never went in belongs to its worker.
    if (Present == 0 && Fresh == 0)
        FreeHeldObjects();
    delete Kept;
}

void TInsDelOperation::Undo() {
    if (Present != 0)
        Remove();
    else
        Insert();
}

void TInsDelOperation::ResultPos(TTextPos& pos) const {
    if (Present != 0)
        MakeTextPos(EndPar, EndOffset, pos);
    else
        MakeTextPos(StartPar, StartOffset, pos);
}

bool TInsDelOperation::WholeParagraphs(std::int32_t par) const {
    return par > Doc->LastParOfStory(Story);
}

void TInsDelOperation::Insert() {
    TDoc& doc = *Doc;
    const bool fresh = Fresh != 0;
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(Content, pieces);
    const std::uint8_t* c = Content.Data;
    bool sectionsChanged = false;
    std::int32_t added = 0;

    if (WholeParagraphs(StartPar)) {
        StartOffset = 0;
        TParFormat format = DefaultParFormat;
        std::vector<TPar*> made;
        for (const TInsertionPiece& piece : pieces) {
            if (!piece.EndsWithMark && piece.Length == 0)
                break;
            if (piece.HasFormat)
                format = piece.Format;
            made.push_back(MakePar(doc, c + piece.Start, piece.Length, format, fresh));
        }
        added = static_cast<std::int32_t>(made.size());
        doc.Pars.InsertGap(StartPar, added);
        for (std::int32_t i = 0; i < added; ++i)
            doc.Pars.Items[StartPar + i] = made[i];
        EndPar = StartPar + added;
        EndOffset = 0;
        delete Kept;
        Kept = nullptr;
    } else {
        TPar* sp = doc.Par(StartPar);
        if (fresh && StartOffset > sp->CharCount() - 1)
            StartOffset = std::max(0, sp->CharCount() - 1);
        TCharLocation loc;
        LocateChar(sp->Stream, StartOffset, loc);
        delete Kept;
        Kept = nullptr;
        if (loc.CharOffset > loc.RunStart) {
            Kept = new TMemory;
            Kept->AssignBuffer(sp->Stream.Data + loc.RunStart, loc.CharOffset - loc.RunStart);
        }
        // The format the text after the insertion point has, which the
        // inserted text must leave in force.
        TCharFormat follow;
        FormatAtOffset(sp->Stream, loc.CharOffset, follow);

        const TInsertionPiece& p0 = pieces.front();
        const TInsertionPiece& pm = pieces.back();
        const std::int32_t marks = static_cast<std::int32_t>(pieces.size()) - 1;
        TMemory first;
        if (fresh && Kept != nullptr)
            first.AppendMemory(*Kept);
        first.AppendBuffer(c + p0.Start, p0.Length);
        if (marks == 0) {
            if (fresh) {
                TCharFormat f = follow;
                ApplyAttributeControls(c + p0.Start, p0.Length, f);
                AppendFormatChange(first, f, follow);
            }
            sp->Stream.DeleteRange(loc.RunStart, loc.CharOffset - loc.RunStart);
            sp->Stream.InsertBuffer(first.Data, loc.RunStart, first.Size);
            TMemory chars;
            const std::int32_t n = AppendCharsOf(first.Data, first.Size, &chars);
            sp->Chars.InsertBuffer(chars.Data, StartOffset, chars.Size);
            EndPar = StartPar;
            EndOffset = StartOffset + n;
        } else {
            if (fresh)
                EnsureParagraphEnd(first);
            TMemory last;
            last.AppendBuffer(c + pm.Start, pm.Length);
            if (fresh) {
                TCharFormat f = DefaultCharFormat;
                ApplyAttributeControls(c + pm.Start, pm.Length, f);
                AppendFormatChange(last, f, follow);
            }
            const TParFormat oldFormat = sp->Format;
            TParFormat format = p0.HasFormat ? p0.Format : oldFormat;
            auto* lastPar = new TPar(&doc);
            lastPar->Format = oldFormat;
            if (sp->Stream.Size >= LargeStreamBytes && loc.RunStart < sp->Stream.Size / 2) {
                // The head is the smaller part: the buffers go to the last
                // paragraph and only the head is copied back.
                SwapMemory(lastPar->Stream, sp->Stream);
                SwapMemory(lastPar->Chars, sp->Chars);
                sp->Stream.AssignBuffer(lastPar->Stream.Data, loc.RunStart);
                sp->Chars.AssignBuffer(lastPar->Chars.Data, StartOffset);
                lastPar->Stream.DeleteRange(0, loc.CharOffset);
                lastPar->Chars.DeleteRange(0, StartOffset);
            } else {
                lastPar->Stream.AssignBuffer(sp->Stream.Data + loc.CharOffset, sp->Stream.Size - loc.CharOffset);
                lastPar->Chars.AssignBuffer(sp->Chars.Data + StartOffset, sp->Chars.Size - StartOffset);
                sp->Stream.SetSize(loc.RunStart);
                sp->Chars.SetSize(StartOffset);
            }
            sp->Stream.AppendMemory(first);
            AppendCharsOf(first.Data, first.Size, &sp->Chars);
            sp->Format = format;
            TMemory lastChars;
            EndOffset = AppendCharsOf(last.Data, last.Size, &lastChars);
            lastPar->Stream.InsertBuffer(last.Data, 0, last.Size);
            lastPar->Chars.InsertBuffer(lastChars.Data, 0, lastChars.Size);

            doc.Pars.InsertGap(StartPar + 1, marks);
            for (std::int32_t i = 1; i < marks; ++i) {
                const TInsertionPiece& piece = pieces[i];
                if (piece.HasFormat)
                    format = piece.Format;
                doc.Pars.Items[StartPar + i] = MakePar(doc, c + piece.Start, piece.Length, format, fresh);
            }
            doc.Pars.Items[StartPar + marks] = lastPar;
            added = marks;
            EndPar = StartPar + marks;
        }
        sp->Changed();
    }

    if (HasObjects != 0) {
        for (const TInsertionPiece& piece : pieces)
            RegisterObjects(c + piece.Start, piece.Length, true, sectionsChanged, nullptr);
    }
    if (HasFieldMarks(Content))
        doc.NoteFieldSpan(-1, -1);
    ParMarks = added;
    doc.StoryCounts[Story] += added;
    Content.Clear();
    Present = 1;
    Fresh = 0;
    if (added > 0)
        doc.RenumberPars(StartPar);
    Finish(sectionsChanged, Story == stMain && added > 0);
}

void TInsDelOperation::Remove() {
    TDoc& doc = *Doc;
    const bool fresh = Fresh != 0;
    bool sectionsChanged = false;
    const std::int32_t lastOfStory = doc.LastParOfStory(Story);
    if (fresh) {
        // An end (or start) after a paragraph's end character is the start
        // of the next paragraph.
        if (EndPar < doc.ParCount() && EndOffset >= doc.Par(EndPar)->CharCount()) {
            ++EndPar;
            EndOffset = 0;
        }
        if (StartPar < doc.ParCount() && StartOffset >= doc.Par(StartPar)->CharCount()) {
            ++StartPar;
            StartOffset = 0;
        }
        // Only whole paragraphs go beyond the story's end.
        if (EndPar > lastOfStory && StartOffset != 0) {
            EndPar = lastOfStory;
            EndOffset = doc.Par(EndPar)->CharCount() - 1;
        }
        if (EndPar > lastOfStory + 1)
            EndPar = lastOfStory + 1;
    }
    const std::int32_t marks = EndPar - StartPar;
    std::vector<std::int32_t> keptObjects;
    Content.Clear();

    if (EndPar > lastOfStory) {
        // Whole paragraphs.
        const TParFormat* previous = nullptr;
        for (std::int32_t p = StartPar; p < EndPar; ++p) {
            const TPar* par = doc.Par(p);
            Content.AppendMemory(par->Stream);
            const bool differs = previous == nullptr || !ParFormatsEqual(*previous, par->Format);
            AppendMark(Content, differs ? &par->Format : nullptr);
            previous = &par->Format;
        }
        doc.Pars.FreeRange<TPar>(StartPar, marks);
        delete Kept;
        Kept = nullptr;
    } else {
        TPar* sp = doc.Par(StartPar);
        TCharLocation ls;
        LocateChar(sp->Stream, StartOffset, ls);
        if (marks == 0) {
            TCharLocation le;
            LocateChar(sp->Stream, EndOffset, le);
            Content.AssignBuffer(sp->Stream.Data + ls.RunStart, le.CharOffset - ls.RunStart);
            if (fresh) {
                TCharFormat from, to;
                FormatAtOffset(sp->Stream, ls.RunStart, from);
                FormatAtOffset(sp->Stream, le.CharOffset, to);
                delete Kept;
                Kept = KeptForRemoval(Content, from, to);
            }
            sp->Stream.DeleteRange(ls.RunStart, le.CharOffset - ls.RunStart);
            if (Kept != nullptr)
                sp->Stream.InsertBuffer(Kept->Data, ls.RunStart, Kept->Size);
            sp->Chars.DeleteRange(StartOffset, EndOffset - StartOffset);
            sp->Changed();
        } else {
            TPar* ep = doc.Par(EndPar);
            TCharLocation le;
            LocateChar(ep->Stream, EndOffset, le);
            Content.AppendBuffer(sp->Stream.Data + ls.RunStart, sp->Stream.Size - ls.RunStart);
            AppendMark(Content, &sp->Format);
            const TParFormat* previous = &sp->Format;
            for (std::int32_t p = StartPar + 1; p < EndPar; ++p) {
                const TPar* par = doc.Par(p);
                Content.AppendMemory(par->Stream);
                AppendMark(Content, ParFormatsEqual(*previous, par->Format) ? nullptr : &par->Format);
                previous = &par->Format;
            }
            Content.AppendBuffer(ep->Stream.Data, le.CharOffset);
            if (fresh) {
                TCharFormat from, to;
                FormatAtOffset(sp->Stream, ls.RunStart, from);
                FormatAtOffset(ep->Stream, le.CharOffset, to);
                delete Kept;
                Kept = KeptForRemoval(Content, from, to);
            }
            TMemory joint;
            joint.AppendBuffer(sp->Stream.Data, ls.RunStart);
            if (Kept != nullptr)
                joint.AppendMemory(*Kept);
            if (ep->Stream.Size >= LargeStreamBytes && le.CharOffset < ep->Stream.Size / 2 &&
                joint.Size < ep->Stream.Size - le.CharOffset) {
                // The end paragraph keeps the larger part: it takes the head
                // and stands in for the start paragraph.
                ep->Stream.DeleteRange(0, le.CharOffset);
                ep->Stream.InsertBuffer(joint.Data, 0, joint.Size);
                ep->Chars.DeleteRange(0, EndOffset);
                ep->Chars.InsertBuffer(sp->Chars.Data, 0, StartOffset);
                ep->Changed();
                doc.Pars.FreeRange<TPar>(StartPar, marks);
            } else {
                joint.AppendBuffer(ep->Stream.Data + le.CharOffset, ep->Stream.Size - le.CharOffset);
                SwapMemory(sp->Stream, joint);
                sp->Chars.SetSize(StartOffset);
                sp->Chars.AppendBuffer(ep->Chars.Data + EndOffset, ep->Chars.Size - EndOffset);
                sp->Format = ep->Format;
                sp->Changed();
                doc.Pars.FreeRange<TPar>(StartPar + 1, marks);
            }
        }
        if (Kept != nullptr) {
            CollectObjectHandles(Kept->Data, Kept->Size, keptObjects);
            if (Kept->Size == 0) {
                delete Kept;
                Kept = nullptr;
            }
        }
    }

    if (HasObjects != 0) {
        // Objects of the kept stretch stay in the document.
        std::vector<TInsertionPiece> pieces;
        SplitInsertionStream(Content, pieces);
        for (const TInsertionPiece& piece : pieces)
            RegisterObjects(Content.Data + piece.Start, piece.Length, false, sectionsChanged, &keptObjects);
    }
    if (HasFieldMarks(Content))
        doc.NoteFieldSpan(-1, -1);
    delete Kept;
    Kept = nullptr;
    ParMarks = marks;
    doc.StoryCounts[Story] -= marks;
    Present = 0;
    Fresh = 0;
    if (marks > 0)
        doc.RenumberPars(StartPar);
    Finish(sectionsChanged, Story == stMain && marks > 0);
}

void TInsDelOperation::RegisterObjects(const std::uint8_t* data,
                                       std::int32_t size,
                                       bool inserting,
                                       bool& sectionsChanged,
                                       const std::vector<std::int32_t>* exclude) {
    TDoc& doc = *Doc;
    TStreamElement e;
    for (std::int32_t off = 0; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (!e.IsControl || e.Truncated)
            continue;
        if (exclude != nullptr && std::find(exclude->begin(), exclude->end(), e.Value) != exclude->end())
            continue;
        const auto handle = static_cast<TObjectHandle>(e.Value);
        switch (e.Code) {
            case fcSectionBreak:
                if (auto* section = HandleTo<TSection>(handle)) {
                    if (inserting) {
                        if (!doc.Sections.Contains(section))
                            doc.Sections.Add(section);
                    } else {
                        doc.Sections.Remove(section);
                    }
                    sectionsChanged = true;
                }
                break;
            case fcShapeAnchor:
                if (auto* shape = HandleTo<TShape>(handle)) {
                    if (inserting)
                        shape->ShapeFlags &= ~4;
                    else
                        shape->ShapeFlags |= 4;
                }
                break;
            case fcFieldStart:
                if (auto* field = HandleTo<TField>(handle)) {
                    if (inserting) {
                        if (!doc.Fields.Contains(field))
                            doc.Fields.Add(field);
                    } else {
                        doc.Fields.Remove(field);
                    }
                    if (TShape* shape = field->InlineShape()) {
                        if (inserting)
                            shape->ShapeFlags &= ~4;
                        else
                            shape->ShapeFlags |= 4;
                    }
                }
                break;
            default:
                break;
        }
    }
}

void TInsDelOperation::FreeHeldObjects() {
    if (HasObjects == 0 || Content.Size == 0)
        return;
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(Content, pieces);
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = Content.Data + piece.Start;
        TStreamElement e;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (!e.IsControl || e.Truncated)
                continue;
            const auto handle = static_cast<TObjectHandle>(e.Value);
            if (e.Code == fcSectionBreak) {
                auto* section = HandleTo<TSection>(handle);
                if (section != nullptr && !Doc->Sections.Contains(section))
                    delete section;
            } else if (e.Code == fcShapeAnchor) {
                if (auto* shape = HandleTo<TShape>(handle))
                    Doc->DeleteShape(shape);
            } else if (e.Code == fcFieldStart) {
                auto* field = HandleTo<TField>(handle);
                if (field != nullptr && !Doc->Fields.Contains(field)) {
                    if (TShape* shape = field->InlineShape())
                        Doc->DeleteShape(shape);
                    delete field;
                }
            }
        }
    }
}

void TInsDelOperation::Finish(bool sectionsChanged, bool mainParsChanged) {
    TDoc& doc = *Doc;
    if (sectionsChanged) {
        doc.ResortSections();
        doc.StateFlags[sfPageSizesStale] = 1;
    }
    // Section ranges are paragraph indexes of the main text.
    if (sectionsChanged || mainParsChanged)
        doc.StateFlags[sfSectionIndexStale] = 1;
    for (std::int32_t p = StartPar; p <= std::min(Present != 0 ? EndPar : StartPar, doc.ParCount() - 1); ++p)
        doc.Par(p)->Changed();
    if (StartPar < doc.ParCount())
        doc.NoteParChanged(StartPar);
    doc.StateFlags[sfContentChanged] = 1;
    doc.StateFlags[sfCollapsedStale] = 1;
    // Paragraphs after the step moved when it added or removed some.
    doc.NoteFieldSpan(StartPar, ParMarks > 0 ? INT32_MAX : StartPar);
    doc.StateFlags[sfFieldIndexStale] = 1;
    ModelHost().RestartBackgroundSpellcheck(doc);
}
