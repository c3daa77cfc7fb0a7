#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTextPos.h"

class TDoc;
class TField;

// One field mark lifted out of the text while a deletion or an insertion
// runs beside it.
struct TFieldMark {
    TField* Field = nullptr;
    bool IsStart = false;
    TTextPos Pos{};
};

// The marks a CollectFieldMarks call lifted, in the order they stood; the
// caller hands them to RestoreFieldMarks once the text has changed.
struct TLiftedFieldMarks {
    std::vector<TFieldMark> Marks;
    bool Active = false;
};

// Lifts the field marks of the range [start, end) that must survive a
// change of the text there (with keepBoundary, as an insertion at start
// asks), deletes the fields that lie wholly inside it, and raises the
// document's field-mark nesting. Every change is a step of the open
// operation.
void CollectFieldMarks(TDoc& doc,
                       const TTextPos& start,
                       const TTextPos& end,
                       bool keepBoundary,
                       TLiftedFieldMarks& lifted);
// Puts the lifted marks back: a mark lifted exactly at p1 goes to p1, the
// others to p2, each after the marks already there. Lowers the nesting and
// puts note texts back in reference order.
void RestoreFieldMarks(TDoc& doc, TLiftedFieldMarks& lifted, const TTextPos& p1, const TTextPos& p2);

// Records a step that takes one mark of a field out of the text, or puts it
// in at a position (after every mark already there).
void InsDelFieldMark(TDoc& doc, TField* field, bool isStart, bool insert, const TTextPos& pos);

// The note reordering of the typing room, which lies above this one; it
// runs after the marks are back. nullptr: none.
using TNoteReorderer = void (*)(TDoc& doc);
void SetNoteReorderer(TNoteReorderer reorderer);
