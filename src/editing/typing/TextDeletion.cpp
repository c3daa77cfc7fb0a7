#include "editing/typing/TextDeletion.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldIndexMarks.h"
#include "editing/tables/TableStructure.h"
#include "editing/typing/SmartSpacing.h"
#include "editing/typing/TextInsertion.h"
#include "editing/typing/TypingSeams.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/ShapeOperations.h"
#include "model/undo/TFormatFontOperation.h"
#include "model/undo/TFormatParsOperation.h"
#include "model/undo/TInsDelOperation.h"

namespace {

// What the spans of one DeleteText call share.
struct TDeletion {
    TDoc& Doc;
    std::int32_t Flags = 0;
    std::int32_t Deleted = 0;
    std::vector<std::int32_t> TablesToRepair;  // a paragraph of each table
};

std::int32_t Len(const TDoc& doc, std::int32_t p) {
    return doc.Par(p)->CharCount();
}

bool InTable(const TDoc& doc, std::int32_t p) {
    return p >= 0 && p < doc.ParCount() && InTablePar(doc, p);
}

bool IsWordChar(std::uint8_t c) {
    return c >= 32 && c != ' ' && c != chNoBreakSpace;
}

// The range starts and ends at word boundaries.
bool WholeWords(const TDoc& doc, const TFragment& r) {
    const TPar& sp = *doc.Par(r.Start.Par);
    if (r.Start.Offset > 0 && r.Start.Offset < sp.CharCount() && IsWordChar(sp.Chars.Data[r.Start.Offset - 1]) &&
        IsWordChar(sp.Chars.Data[r.Start.Offset]))
        return false;
    if (r.End.Par >= doc.ParCount())
        return true;
    const TPar& ep = *doc.Par(r.End.Par);
    if (r.End.Offset > 0 && r.End.Offset < ep.CharCount() && IsWordChar(ep.Chars.Data[r.End.Offset - 1]) &&
        IsWordChar(ep.Chars.Data[r.End.Offset]))
        return false;
    return true;
}

void DeleteSpan(TDeletion& del, TTextPos s, TTextPos e);

bool IsLiveShape(const TShape* shape) {
    return (shape->ShapeFlags & 4) == 0;
}

// The floating shapes anchored in a paragraph, with the character offset of
// each anchor, in text order. The anchor controls are read from the stream,
// which stays right however the paragraph was edited.
void ShapeAnchorsIn(const TDoc& doc, std::int32_t par, std::vector<std::pair<std::int32_t, TShape*>>& out) {
    const TPar& p = *doc.Par(par);
    TStreamElement e;
    std::int32_t chars = 0;
    for (std::int32_t off = 0; off < p.Stream.Size; off += e.Length) {
        ReadStreamElement(p.Stream.Data, p.Stream.Size, off, e);
        if (!e.IsControl) {
            chars += e.Length;
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == fcShapeAnchor)
            if (auto* shape = HandleTo<TShape>(static_cast<TObjectHandle>(e.Value)))
                out.emplace_back(chars, shape);
        if (ControlTakesPosition(e.Code))
            ++chars;
    }
}

// Floating shapes anchored in whole paragraphs that a span removes leave
// the stacking order before they go, from the last paragraph back, so that
// the shapes above close up and undo opens the places again.
void RemoveShapesFromZOrder(TDoc& doc, std::int32_t first, std::int32_t last) {
    std::vector<std::pair<std::int32_t, TShape*>> anchors;
    for (std::int32_t p = last; p >= first; --p) {
        anchors.clear();
        ShapeAnchorsIn(doc, p, anchors);
        for (auto it = anchors.rbegin(); it != anchors.rend(); ++it)
            if (IsLiveShape(it->second) && doc.Shapes.Contains(it->second))
                (new TRemoveShapeFromZOrderOperation(&doc, it->second))->Execute();
    }
}

// The selected floating shapes go with their anchors; the selection is
// recorded before and after, so that undo brings the shapes back selected.
void DeleteSelectedShapes(TDoc& doc, std::int32_t flags) {
    if (doc.SelectedShapes.Count == 0 || (flags & dfKeepObjects) != 0)
        return;
    (new TSelShapesOperation(&doc, doc.SelectedShapes))->Execute();
    std::vector<TShape*> selected;
    for (std::int32_t i = 0; i < doc.SelectedShapes.Count; ++i)
        selected.push_back(doc.SelectedShapes.At<TShape>(i));
    const TTextPos caret = doc.Caret;
    for (TShape* shape : selected) {
        if (!doc.Shapes.Contains(shape) || !IsLiveShape(shape) || shape->InlineField != nullptr ||
            shape->AnchorPar == nullptr)
            continue;
        const std::int32_t par = doc.Pars.IndexOf(shape->AnchorPar);
        if (par < 0)
            continue;
        std::vector<std::pair<std::int32_t, TShape*>> anchors;
        ShapeAnchorsIn(doc, par, anchors);
        for (const auto& [offset, anchored] : anchors) {
            if (anchored != shape)
                continue;
            (new TRemoveShapeFromZOrderOperation(&doc, shape))->Execute();
            TInsDelOperation::CreateRemoval(&doc, TTextPos{par, offset}, TTextPos{par, offset + 1}, doc.StoryOfPar(par))
                ->Execute();
            if (caret.Par == par && caret.Offset > offset)
                doc.Caret.Offset = caret.Offset - 1;
            break;
        }
    }
    const TList none;
    (new TSelShapesOperation(&doc, none))->Execute();
}

TSection* SectionAt(TDoc& doc, std::int32_t par) {
    if (par < 0 || doc.ParCount() == 0)
        return nullptr;
    return doc.SectionOfPar(std::min(par, doc.ParCount() - 1));
}

// The start section's break goes with the span and its text joins the end
// section: every header or footer the start section has and the end section
// lacks moves over, so that the joined text keeps the headers it showed.
void HandOverHeaders(TDoc& doc, TSection* from, TSection* to) {
    if (from == nullptr || to == nullptr || from == to)
        return;
    TField* fromSlots[HeaderFooterSlotCount];
    TField* toSlots[HeaderFooterSlotCount];
    bool moved = false;
    for (int i = 0; i < HeaderFooterSlotCount; ++i) {
        fromSlots[i] = from->HeadersFooters[i];
        toSlots[i] = to->HeadersFooters[i];
        if (fromSlots[i] != nullptr && toSlots[i] == nullptr) {
            toSlots[i] = fromSlots[i];
            fromSlots[i] = nullptr;
            moved = true;
        }
    }
    if (!moved)
        return;
    (new TChangeSectHeadersOperation(&doc, to, toSlots))->Execute();
    (new TChangeSectHeadersOperation(&doc, from, fromSlots))->Execute();
}

bool SectionListed(const TDoc& doc, const TSection* section) {
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i)
        if (doc.Sections.At<TSection>(i) == section)
            return true;
    return false;
}

// The header and footer fields of sections that went with their breaks,
// which no section that stays shows (sections may share a field).
std::vector<TField*> OrphanedHeaders(TDoc& doc, const std::vector<TSection*>& before) {
    std::vector<TField*> gone;
    for (TSection* section : before) {
        if (SectionListed(doc, section))
            continue;
        for (TField* field : section->HeadersFooters)
            if (field != nullptr && std::find(gone.begin(), gone.end(), field) == gone.end())
                gone.push_back(field);
    }
    for (std::int32_t i = 0; i < doc.Sections.Count && !gone.empty(); ++i)
        for (TField* field : doc.Sections.At<TSection>(i)->HeadersFooters)
            gone.erase(std::remove(gone.begin(), gone.end(), field), gone.end());
    return gone;
}

// Takes a header or footer field's whole paragraphs out of the header and
// footer story; the field leaves with them.
void RemoveHeaderParagraphs(TDoc& doc, TField* field) {
    TFragment range;
    if (!doc.Fields.Contains(field) || !IndexedFieldRange(doc, field, range))
        return;
    const std::int32_t first = range.Start.Par;
    if (first < 0 || first >= doc.ParCount() || doc.StoryOfPar(first) != stHeadersFooters)
        return;
    std::int32_t last = range.End.Par;
    if (range.End.Offset == 0 && last > first)
        --last;
    last = std::min(last, doc.LastParOfStory(stHeadersFooters));
    TInsDelOperation::CreateRemoval(&doc, TTextPos{first, 0}, TTextPos{last + 1, 0}, stHeadersFooters)->Execute();
    if (doc.Fields.Contains(field))
        doc.DeleteField(field);
}

// Cell by cell, each cell's text without its mark, from the last cell.
void DeleteCellWise(TDeletion& del, const TTextPos& s, const TTextPos& e) {
    TDoc& doc = del.Doc;
    std::vector<TFragment> cells;
    for (std::int32_t p = s.Par; p <= e.Par && p < doc.ParCount();) {
        TFragment cell;
        CellRange(doc, p, cell);
        if (!IsRowEnd(doc, p))
            cells.push_back(cell);
        p = std::max(cell.End.Par, p) + 1;
    }
    doc.PushStateFlagClear(sfDeletingText);
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
        const std::int32_t lastPar = std::min(it->End.Par, doc.ParCount() - 1);
        TTextPos from = it->Start;
        TTextPos to{lastPar, Len(doc, lastPar) - 1};
        if (CompareTextPos(from, to) < 0)
            DeleteSpan(del, from, to);
    }
    doc.PopStateFlag();
}

void DeleteSpan(TDeletion& del, TTextPos s, TTextPos e) {
    TDoc& doc = del.Doc;
    const std::int32_t flags = del.Flags;
    const std::int32_t parCount = doc.ParCount();
    if (s.Par < 0 || s.Par >= parCount)
        return;
    s.Offset = std::clamp(s.Offset, 0, Len(doc, s.Par) - 1);
    if (e.Par >= parCount) {
        e.Par = parCount - 1;
        e.Offset = Len(doc, e.Par);
    }
    // An end at a paragraph's start is the end of the paragraph before.
    if (e.Offset <= 0 && e.Par > s.Par) {
        --e.Par;
        e.Offset = Len(doc, e.Par);
    }
    e.Offset = std::min(e.Offset, Len(doc, e.Par));
    if (CompareTextPos(s, e) > 0)
        return;
    const int story = doc.StoryOfPar(s.Par);
    const std::int32_t storyFirst = doc.FirstParOfStory(story);
    const std::int32_t storyLast = doc.LastParOfStory(story);
    if (e.Par > storyLast) {
        e.Par = storyLast;
        e.Offset = Len(doc, storyLast);
    }
    // A row's end goes only with its whole row: a span starting on it
    // starts after it, one ending just before it keeps the last cell's mark.
    if (IsRowEnd(doc, s.Par) && CompareTextPos(e, s) > 0) {
        if (s.Par + 1 > storyLast)
            return;
        s = TTextPos{s.Par + 1, 0};
    }
    if (CompareTextPos(s, e) >= 0)
        return;
    const std::int32_t sp = s.Par;

    // Text before a table never runs into it.
    if (s.Offset > 0 && !InTable(doc, sp) && InTable(doc, e.Par))
        return;

    // Whole cells under the user's Delete: emptied, the table kept.
    if (doc.StateFlags[sfDeletingText] != 0 && InTable(doc, sp) && InTable(doc, e.Par)) {
        TFragment t1, t2, c1, c2;
        TableRange(doc, sp, t1);
        TableRange(doc, e.Par, t2);
        CellRange(doc, sp, c1);
        CellRange(doc, e.Par, c2);
        const bool cellEnd = e.Par == c2.End.Par && e.Offset >= Len(doc, e.Par);
        if (FragmentsEqual(t1, t2) && CompareTextPos(c1.Start, s) == 0 && cellEnd && !(c1.Start.Par == c2.Start.Par)) {
            DeleteCellWise(del, s, e);
            return;
        }
    }

    if (e.Offset >= Len(doc, e.Par) && e.Par + 1 <= storyLast && IsRowEnd(doc, e.Par + 1) &&
        (flags & dfKeepEndMark) == 0)
        e.Offset = Len(doc, e.Par) - 1;
    // A span that starts inside a row and would take the row's end takes
    // only the text of the cell it starts in.
    if (InTable(doc, s.Par) && !IsRowEnd(doc, s.Par)) {
        TFragment row;
        RowRange(doc, s.Par, row);
        const std::int32_t rowEnd = row.End.Par;
        const bool takesRowEnd = e.Par > rowEnd || (e.Par == rowEnd && e.Offset >= 1) ||
                                 (e.Par == rowEnd - 1 && e.Offset >= Len(doc, e.Par) && (flags & dfKeepEndMark) != 0);
        if (rowEnd < doc.ParCount() && IsRowEnd(doc, rowEnd) && takesRowEnd && CompareTextPos(row.Start, s) < 0) {
            TFragment cell;
            CellRange(doc, s.Par, cell);
            const std::int32_t lastPar = std::min(cell.End.Par, rowEnd - 1);
            e = TTextPos{lastPar, Len(doc, lastPar) - 1};
            if (CompareTextPos(s, e) >= 0)
                return;
        }
    }
    // A span that reaches into a row from before it takes none of the row:
    // cells never lose their row end, nor a row end its cells.
    if (InTable(doc, e.Par) && !(IsRowEnd(doc, e.Par) && e.Offset >= 1)) {
        TFragment row;
        RowRange(doc, e.Par, row);
        if (CompareTextPos(s, row.Start) < 0 && CompareTextPos(e, row.Start) > 0) {
            e = row.Start;
            if (e.Par > s.Par) {
                --e.Par;
                e.Offset = Len(doc, e.Par);
            }
            if (CompareTextPos(s, e) >= 0)
                return;
        }
    }
    std::int32_t ep = e.Par;
    if (e.Offset >= Len(doc, ep) && (flags & dfKeepEndMark) == 0) {
        if (s.Offset > 0 && !InTable(doc, ep) && InTable(doc, ep + 1) && ep + 1 <= storyLast) {
            e.Offset = Len(doc, ep) - 1;  // the mark before a table stays
        } else if (ep < storyLast) {
            e = TTextPos{ep + 1, 0};
        } else if ((flags & dfStoryEnd) == 0 || story != stMain) {
            e.Offset = Len(doc, ep) - 1;
        } else if ((sp == storyFirst && s.Offset == 0) || s.Offset > 0) {
            e.Offset = Len(doc, ep) - 1;
        } else if (!InTable(doc, ep) && (InTable(doc, sp) || InTable(doc, sp - 1))) {
            e.Offset = Len(doc, ep) - 1;
        } else if (doc.Sections.Count <= 1 || doc.SectionOfPar(sp) == nullptr || doc.SectionOfPar(sp)->FirstPar != sp) {
            // Whole paragraphs at the text's end go with their marks.
            e = TTextPos{ep + 1, 0};
        } else {
            e.Offset = Len(doc, ep) - 1;
        }
    } else if (e.Offset >= Len(doc, ep)) {
        e.Offset = Len(doc, ep) - 1;
    }
    if (CompareTextPos(s, e) >= 0)
        return;  // nothing left; the deletion-point format stays as it is
    {
        // The adjustments above may have stopped the end inside a row again
        // (an end kept before a row's end mark): then none of the row goes.
        TTextPos last = e;
        if (last.Offset == 0 && last.Par > s.Par) {
            --last.Par;
            last.Offset = Len(doc, last.Par);
        }
        if (InTable(doc, last.Par) && !(IsRowEnd(doc, last.Par) && last.Offset >= 1)) {
            TFragment row;
            RowRange(doc, last.Par, row);
            if (CompareTextPos(s, row.Start) < 0 && CompareTextPos(last, row.Start) > 0) {
                if (s.Offset > 0 || row.Start.Par == s.Par)
                    e = TTextPos{row.Start.Par - 1, Len(doc, row.Start.Par - 1) - 1};
                else
                    e = row.Start;
                if (CompareTextPos(s, e) >= 0)
                    return;
            }
        }
    }

    // A one-paragraph cell is never deleted together with its mark.
    if (doc.StateFlags[sfWholeCellReplaceable] == 0 && InTable(doc, sp) && e.Offset == 0 && e.Par == sp + 1) {
        TFragment cell;
        CellRange(doc, sp, cell);
        if (cell.Start.Par == sp && std::min(cell.End.Par, parCount - 1) == sp)
            return;
    }
    // Nor is a row end taken away from its cells, or cells from their row
    // end: a span reaching into a row must stop short of it or take it whole.
    const std::int32_t epClamped = std::min(e.Par, parCount - 1);
    if (epClamped != sp) {
        const bool a = InTable(doc, sp);
        const bool b = InTable(doc, epClamped) && e.Offset > 0;
        TFragment ta{}, tb{};
        if (a)
            TableRange(doc, sp, ta);
        if (b)
            TableRange(doc, epClamped, tb);
        if (a != b || (a && b && !FragmentsEqual(ta, tb))) {
            if (a)
                del.TablesToRepair.push_back(sp);
            if (b)
                del.TablesToRepair.push_back(epClamped);
        } else if (a && b) {
            // Cells of one table joined: the rows count their cells again.
            TFragment c1, c2;
            CellRange(doc, sp, c1);
            CellRange(doc, epClamped, c2);
            if (!FragmentsEqual(c1, c2))
                del.TablesToRepair.push_back(sp);
        }
    }

    // The joined paragraph looks like the one where the deletion started.
    const bool startIsList = doc.Par(sp)->Format.List != 0;
    if ((flags & dfNoJoinFormat) == 0 && sp < e.Par && e.Par <= storyLast &&
        (s.Offset > 0 || ((flags & dfListJoinFormat) != 0 && startIsList))) {
        auto* step = new TFormatParsOperation(&doc);
        step->AddChange(e.Par, doc.Par(sp)->Format);
        if (step->Empty())
            delete step;
        else
            step->Execute();
    }

    TFragment span{s, e};
    std::vector<TLinkSnapshot> links;
    GatherSelfAddressedLinks(doc, span, links);
    // The note references wholly inside: their note texts follow them.
    std::vector<TField*> notes;
    if ((flags & dfKeepNotesAndHeaders) == 0 && story == stMain && doc.Fields.Count > 0) {
        std::vector<TField*> refs;
        FieldsInRanges(doc, nullptr, &span, refs, 255, fkNoteRef);
        for (TField* ref : refs)
            if (CompareTextPos(ref->Range.Start, s) >= 0 && CompareTextPos(ref->Range.End, e) <= 0 &&
                ref->Partner != nullptr)
                notes.push_back(ref->Partner);
    }
    if (doc.Shapes.Count > 0 && s.Offset == 0) {
        std::int32_t lastWhole = e.Offset >= Len(doc, std::min(e.Par, parCount - 1)) ? e.Par : e.Par - 1;
        lastWhole = std::min(lastWhole, storyLast);
        if (lastWhole >= sp)
            RemoveShapesFromZOrder(doc, sp, lastWhole);
    }
    // Sections whose breaks lie in the span disappear with them.
    std::vector<TSection*> sectionsBefore;
    bool firstSectionToEnd = false;
    TSectionFormat firstFormat{};
    TPageSetup firstSetup{};
    if (story == stMain && doc.Sections.Count > 1 && (flags & dfHeadersStay) == 0) {
        TSection* startSection = SectionAt(doc, sp);
        TSection* endSection = SectionAt(doc, std::min(e.Par, storyLast));
        if (startSection != endSection) {
            if ((flags & dfKeepNotesAndHeaders) == 0)
                for (std::int32_t i = 0; i < doc.Sections.Count; ++i)
                    sectionsBefore.push_back(doc.Sections.At<TSection>(i));
            HandOverHeaders(doc, startSection, endSection);
        }
        // A span from the first section to the text's end leaves the text
        // in the last section: it takes the first section's look again.
        TSection* first = doc.Sections.At<TSection>(0);
        const bool toEnd = e.Par > storyLast || (e.Par == storyLast && e.Offset >= Len(doc, storyLast) - 1);
        if (startSection == first && endSection != first && toEnd) {
            firstSectionToEnd = true;
            firstFormat = first->Format;
            firstSetup = first->PageSetup;
        }
    }
    TLiftedFieldMarks lifted;
    const bool handleMarks = doc.StateFlags[sfReplacing] == 0;
    if (handleMarks) {
        if ((flags & dfHeadersStay) != 0)
            CollectFieldMarks(doc, e, e, false, lifted);
        else
            CollectFieldMarks(doc, s, e, false, lifted);
    }

    const bool wholePars = s.Offset == 0 && (e.Offset == 0);
    TInsDelOperation::CreateRemoval(&doc, s, e, story, (flags & dfKeepObjects) == 0)->Execute();

    const std::int32_t newLast = doc.LastParOfStory(story);
    TTextPos caret = s;
    if (sp > newLast) {
        caret.Par = newLast;
        caret.Offset = std::max(Len(doc, newLast) - 1, 0);
    }
    doc.Caret = caret;
    doc.PostActions().Caret = caret;
    if (handleMarks)
        RestoreFieldMarks(doc, lifted, caret, caret);

    if (firstSectionToEnd && doc.Sections.Count > 0 && doc.StoryCounts[stMain] > 0) {
        const std::int32_t mainLast = doc.LastParOfStory(stMain);
        (new TFormatSectOperation(&doc, 0, mainLast, firstFormat))->Execute();
        const TFragment whole{TTextPos{0, 0}, TTextPos{mainLast, Len(doc, mainLast)}};
        (new TChangePageParamsOperation(&doc, whole, pwWholeSetup, 0, &firstSetup))->Execute();
    }

    if ((flags & dfSmartSpacing) != 0 && sp <= newLast && !wholePars) {
        TSmartSpaceResult r;
        AdjustSmartSpaces(doc, caret, r);
        doc.Caret = TTextPos{caret.Par, caret.Offset - r.RemovedBefore};
        doc.PostActions().Caret = doc.Caret;
    }

    // The texts of the deleted note references go too.
    if (!notes.empty()) {
        const std::int32_t saved = del.Flags;
        del.Flags = dfKeepNotesAndHeaders;
        const TTextPos keep = doc.Caret;
        for (TField* body : notes) {
            TFragment r;
            if (!doc.Fields.Contains(body) || !IndexedFieldRange(doc, body, r))
                continue;
            // The note-text field goes first, then its text: whole
            // paragraphs when it covers them, else just its stretch (notes
            // joined by editing may share a paragraph).
            doc.DeleteField(body);
            const int noteStory = doc.StoryOfPar(r.Start.Par);
            const std::int32_t first = r.Start.Par;
            const std::int32_t lastPar = std::min(r.End.Par, doc.LastParOfStory(noteStory));
            const bool wholePars = r.Start.Offset == 0 && r.End.Offset >= Len(doc, lastPar) - 1;
            if (!wholePars) {
                if (CompareTextPos(r.Start, r.End) < 0)
                    DeleteSpan(del, r.Start, r.End);
                continue;
            }
            // Marks of other fields in those paragraphs stay in the story.
            TLiftedFieldMarks marks;
            CollectFieldMarks(doc, TTextPos{first, 0}, TTextPos{lastPar, Len(doc, lastPar)}, false, marks);
            // The end after the last mark reaches the next paragraph's start,
            // so the marks before its first character are lifted too; when
            // that paragraph opens the next story (a header after the last
            // note) they are its own and go back where it starts.
            TLiftedFieldMarks next;
            for (const TFieldMark& m : marks.Marks)
                if (m.Pos.Par > lastPar)
                    next.Marks.push_back(m);
            std::erase_if(marks.Marks, [lastPar](const TFieldMark& m) { return m.Pos.Par > lastPar; });
            TInsDelOperation::CreateRemoval(&doc, TTextPos{first, 0}, TTextPos{lastPar + 1, 0}, noteStory)->Execute();
            if (doc.StoryCounts[noteStory] == 0) {
                // The story is gone: fields that reached into it go too.
                std::vector<TField*> gone;
                for (const TFieldMark& m : marks.Marks)
                    if (std::find(gone.begin(), gone.end(), m.Field) == gone.end())
                        gone.push_back(m.Field);
                marks.Marks.clear();
                RestoreFieldMarks(doc, marks, TTextPos{}, TTextPos{});
                for (TField* f : gone)
                    if (doc.Fields.Contains(f))
                        doc.DeleteField(f);
            } else {
                TTextPos at{first, 0};
                if (first > doc.LastParOfStory(noteStory)) {
                    at.Par = doc.LastParOfStory(noteStory);
                    at.Offset = Len(doc, at.Par) - 1;
                }
                RestoreFieldMarks(doc, marks, at, at);
            }
            if (!next.Marks.empty() && first < doc.ParCount()) {
                // One collection, two restorations: the nesting count the
                // collection raised once is lowered by each.
                ++FieldIndexOf(doc).MarkNesting;
                const TTextPos at{first, 0};
                RestoreFieldMarks(doc, next, at, at);
            }
            ++del.Deleted;
        }
        del.Flags = saved;
        doc.Caret = keep;
        doc.PostActions().Caret = keep;
    }
    // The headers and footers of sections that went with their breaks.
    if (!sectionsBefore.empty()) {
        const TTextPos keep = doc.Caret;
        for (TField* field : OrphanedHeaders(doc, sectionsBefore))
            RemoveHeaderParagraphs(doc, field);
        doc.Caret = keep;
        doc.PostActions().Caret = keep;
    }
    RetargetLinks(doc, links);
    TypingSeams().ValidateDropCaps(doc, doc.Caret.Par);
    ++del.Deleted;
}

// After a whole story is cleared the caret's paragraph starts afresh: in the
// main text a paragraph of another style goes back to Normal; elsewhere, or
// already in Normal, it drops its own formatting for its style's.
void ResetClearedParagraph(TDoc& doc) {
    const std::int32_t par = std::min(doc.Caret.Par, doc.ParCount() - 1);
    if (par < 0)
        return;
    const TTextPos caret = doc.Caret;
    const bool toNormal = doc.StoryOfPar(par) == stMain && doc.Par(par)->Format.Style != 0;
    if (auto worker = toNormal ? OperationWorker<TApplyStyleArgs>() : nullptr) {
        // The whole style, not its index alone; the worker works on the
        // caret's paragraph.
        MakeTextPos(par, 0, doc.Caret);
        TApplyStyleArgs args{0, 1};
        TOperationCall call = TOperationCall::Of(args);
        worker(doc, call, args);
    } else if (auto reset = toNormal ? nullptr : OperationWorker<TResetFormatArgs>()) {
        const TFragment range{TTextPos{par, 0}, TTextPos{par, Len(doc, par)}};
        TResetFormatArgs args{nullptr, &range, 0};
        TOperationCall call = TOperationCall::Of(args);
        reset(doc, call, args);
    } else {
        // Without the formatting room: the plain paragraph format, in
        // Normal or the paragraph's own style, its place in a table kept.
        const TParFormat& old = doc.Par(par)->Format;
        TParFormat format = old.InTable != 0 ? TableParFormat : DefaultParFormat;
        format.Style = toNormal ? 0 : old.Style;
        auto* step = new TFormatParsOperation(&doc);
        step->AddChange(par, format);
        if (step->Empty())
            delete step;
        else
            step->Execute();
    }
    doc.Caret = caret;
}

// The paragraph format and the mark's character format of a paragraph,
// carried over a replacement.
struct TSavedParLook {
    TParFormat Format;
    TCharFormat Mark;
};

bool HoldsParagraphEnd(const TMemory& text, std::int32_t flags) {
    if ((flags & ifUtf16) == 0)
        return false;
    for (std::int32_t i = 0; i + 1 < text.Size; i += 2)
        if (text.Data[i] == '\r' && text.Data[i + 1] == 0)
            return true;
    return false;
}

void GiveLook(TDoc& doc, std::int32_t par, const TSavedParLook& look) {
    if (par < 0 || par >= doc.ParCount())
        return;
    auto* step = new TFormatParsOperation(&doc);
    step->AddChange(par, look.Format);
    if (step->Empty())
        delete step;
    else
        step->Execute();
    const std::int32_t len = Len(doc, par);
    if (len > 0)
        (new TFormatFontOperation(&doc, TFragment{TTextPos{par, len - 1}, TTextPos{par, len}}, look.Mark))->Execute();
}

// Moves the tables noted before the last span (the first `noted` of them)
// by the paragraphs the span took from their story and the stories before.
void ShiftNotedTables(TDeletion& del, std::size_t noted, const std::int32_t (&countsBefore)[StoryCount]) {
    const TDoc& doc = del.Doc;
    for (std::size_t i = 0; i < noted; ++i) {
        std::int32_t& p = del.TablesToRepair[i];
        std::int32_t storyEnd = 0;
        std::int32_t removed = 0;
        for (int s = 0; s < StoryCount; ++s) {
            storyEnd += countsBefore[s];
            removed += countsBefore[s] - doc.StoryCounts[s];
            if (p < storyEnd)
                break;
        }
        p = std::max(p - removed, 0);
    }
}

}  // namespace

void DeleteText(TDoc& doc,
                const TCompoundFragment* set,
                const TTextPos& start,
                const TTextPos& end,
                std::int32_t flags) {
    TDeletion del{doc, flags};
    if ((flags & dfSelectedShapes) != 0)
        DeleteSelectedShapes(doc, flags);
    doc.PushStateFlag(sfDeletionRunning);
    // Notes are put in order once, when every span is gone.
    doc.PushStateFlag(sfNoNoteReorder);
    std::vector<TFragment> ranges;
    if (set != nullptr && !IsEmptyCompoundFragment(set)) {
        TCompoundFragment* copy = CloneCompoundFragment(*set);
        copy->Normalize();
        for (std::int32_t i = 0; i < copy->Count(); ++i)
            ranges.push_back(copy->Fragment(i));
        ReleaseCompoundFragment(copy);
    } else {
        TFragment f;
        MakeFragmentFromPositions(start, end, f);
        if (CompareTextPos(f.Start, f.End) > 0)
            std::swap(f.Start, f.End);
        ranges.push_back(f);
    }
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        TFragment f = *it;
        if (del.Deleted > 0 && CompareTextPos(f.End, doc.Caret) > 0)
            f.End = doc.Caret;
        if (CompareTextPos(f.Start, f.End) >= 0)
            continue;
        if ((flags & dfSmartSpacingWholeWords) != 0) {
            if (f.Start.Par < doc.ParCount() && WholeWords(doc, f))
                del.Flags |= dfSmartSpacing;
            else
                del.Flags &= ~dfSmartSpacing;
        }
        // The spans go last first, so the tables the later spans noted lie
        // after this one: they move up by the paragraphs it takes from
        // their story and the stories before it.
        const std::size_t noted = del.TablesToRepair.size();
        std::int32_t countsBefore[StoryCount];
        std::copy(std::begin(doc.StoryCounts), std::end(doc.StoryCounts), countsBefore);
        DeleteSpan(del, f.Start, f.End);
        ShiftNotedTables(del, noted, countsBefore);
    }
    doc.PopStateFlag();
    doc.PopStateFlag();
    std::sort(del.TablesToRepair.begin(), del.TablesToRepair.end());
    for (auto it = del.TablesToRepair.rbegin(); it != del.TablesToRepair.rend(); ++it) {
        std::int32_t p = std::min(*it, doc.ParCount() - 1);
        if (InTable(doc, p))
            RepairTable(doc, p);
        else if (InTable(doc, p - 1))
            RepairTable(doc, p - 1);
    }
    if (del.Deleted > 0)
        ReorderNotes(doc);
    if ((del.Deleted > 0 || doc.StateFlags[sfClearingStory] != 0) && doc.StateFlags[sfSmartSpacing] == 0) {
        if (doc.StateFlags[sfClearingStory] != 0) {
            ResetClearedParagraph(doc);
            // The story's fields go with its text, except note texts and headers.
            const int story = doc.StoryOfPar(std::min(doc.Caret.Par, doc.ParCount() - 1));
            RebuildFieldIndex(doc);
            std::vector<TField*> gone;
            for (const TFieldIndex::TEntry& entry : FieldIndexOf(doc).Entries)
                if (entry.Field->Kind != fkNoteBody && entry.Field->Kind != fkHeaderFooter &&
                    entry.Field->Range.Start.Par < doc.ParCount() &&
                    doc.StoryOfPar(entry.Field->Range.Start.Par) == story)
                    gone.push_back(entry.Field);
            for (auto it = gone.rbegin(); it != gone.rend(); ++it)
                doc.DeleteField(*it);
        }
        doc.PostActions().Selection->Reset();
        doc.PostActions().Caret = doc.Caret;
    }
    if (doc.Selection != nullptr && del.Deleted > 0) {
        doc.Selection->Reset();
        MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    }
}

void ReplaceText(TDoc& doc, const TTextPos& start, const TTextPos& end, std::int32_t flags, const TMemory& text) {
    TTextPos s = start;
    TTextPos e = end;
    if (CompareTextPos(s, e) > 0)
        std::swap(s, e);
    const int story = doc.StoryOfPar(std::min(s.Par, doc.ParCount() - 1));
    const std::int32_t last = doc.LastParOfStory(story);
    if (e.Par > last || (e.Par == last && e.Offset >= Len(doc, last))) {
        e.Par = last;
        e.Offset = Len(doc, last) - 1;
    }
    // A drop cap whose letters the replacement would cut is lifted and made
    // again afterwards.
    TLiftedDropCap dropCap;
    TypingSeams().LiftDropCapForEdit(doc, s, dropCap);
    // Text with paragraph ends may carry the replaced paragraphs' formats
    // over to the paragraphs it makes.
    std::vector<TSavedParLook> looks;
    if (doc.StateFlags[sfKeepParFormatsOnReplace] != 0 && HoldsParagraphEnd(text, flags)) {
        const std::int32_t lastSaved = std::min(e.Offset >= Len(doc, e.Par) ? e.Par + 1 : e.Par, last);
        for (std::int32_t p = s.Par; p <= lastSaved; ++p) {
            TSavedParLook look{doc.Par(p)->Format, {}};
            doc.FormatAtPos(TTextPos{p, Len(doc, p) - 1}, look.Mark);
            looks.push_back(look);
        }
    }
    // A hyperlink whose whole text is replaced goes; part of it keeps it.
    if (doc.StateFlags[sfKeepWholeHyperlink] == 0 && doc.Fields.Count > 0) {
        TFragment span{s, e};
        std::vector<TField*> links;
        FieldsInRanges(doc, nullptr, &span, links, ftHyperlink, fkCode);
        for (TField* f : links)
            if (FragmentsEqual(f->Range, span))
                doc.DeleteField(f);
    }
    // The new text takes the look of the text it replaces.
    TCharFormat replaced;
    doc.FormatAtPos(s, replaced);
    doc.PushStateFlag(sfReplacing);
    TLiftedFieldMarks lifted;
    const bool handleMarks = doc.StateFlags[sfKeepFieldMarksOnReplace] == 0;
    if (handleMarks)
        CollectFieldMarks(doc, s, e, false, lifted);
    DeleteText(doc, nullptr, s, e, flags & ~dfSmartSpacing);
    if (doc.StateFlags[sfNoTypingFormatFromReplaced] == 0) {
        doc.TypingFormat = replaced;
        UpdateTypingLanguage(doc, doc.TypingFormat);
    }
    doc.PushStateFlag(sfInsertingWithFieldMarks);
    InsertText(doc, text, s, flags);
    doc.PopStateFlag();
    doc.PopStateFlag();
    if (handleMarks)
        RestoreFieldMarks(doc, lifted, s, doc.Caret);
    if (!looks.empty()) {
        // The new paragraphs take the saved looks in order, those beyond
        // them the second-to-last, and the caret's paragraph the last.
        const TTextPos caret = doc.Caret;
        const auto n = static_cast<std::int32_t>(looks.size());
        for (std::int32_t p = s.Par; p < caret.Par; ++p) {
            const std::int32_t i = p - s.Par;
            GiveLook(doc, p, looks[static_cast<std::size_t>(i < n ? i : std::max(n - 2, 0))]);
        }
        GiveLook(doc, caret.Par, looks.back());
        doc.Caret = caret;
    }
    if (dropCap.Lifted)
        TypingSeams().RestoreDropCapAfterEdit(doc, dropCap);
    doc.PostActions().Selection->Reset();
    doc.PostActions().Caret = doc.Caret;
}

void ReplaceWithFormatted(TDoc& doc,
                          const TTextPos& start,
                          const TTextPos& end,
                          std::int32_t flags,
                          std::int32_t parEnds,
                          const TMemory& stream) {
    TTextPos s = start;
    TTextPos e = end;
    if (CompareTextPos(s, e) > 0)
        std::swap(s, e);
    const int story = doc.StoryOfPar(std::min(s.Par, doc.ParCount() - 1));
    const std::int32_t last = doc.LastParOfStory(story);
    if (e.Par > last || (e.Par == last && e.Offset >= Len(doc, last))) {
        e.Par = last;
        e.Offset = Len(doc, last) - 1;
    }
    doc.PushStateFlag(sfReplacing);
    TLiftedFieldMarks lifted;
    const bool handleMarks = doc.StateFlags[sfKeepFieldMarksOnReplace] == 0;
    if (handleMarks)
        CollectFieldMarks(doc, s, e, false, lifted);
    DeleteText(doc, nullptr, s, e, flags & ~dfSmartSpacing);
    doc.PushStateFlag(sfInsertingWithFieldMarks);
    InsertFormatted(doc, stream, s, flags, doc.StoryOfPar(s.Par), parEnds);
    doc.PopStateFlag();
    doc.PopStateFlag();
    if (handleMarks)
        RestoreFieldMarks(doc, lifted, s, doc.Caret);
    doc.PostActions().Selection->Reset();
    doc.PostActions().Caret = doc.Caret;
}
