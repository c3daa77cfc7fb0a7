#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/formats/TTextPos.h"
#include "model/undo/OperationArgs.h"

class TCompoundFragment;
class TDoc;
class TField;

// The ranges a copy or move takes (Ranges, or the one range Start..End)
// and the place they go to: the argument of opCopyMoveText.
struct TCopyMoveDescription {
    const TCompoundFragment* Ranges = nullptr;
    TTextPos Start;
    TTextPos End;
    TTextPos Target;
};

// Flags of opCopyMoveText; every other bit goes to the deletion of a move.
enum : std::int32_t {
    cmSelectInserted = 0x2,  // select the inserted text afterwards
    cmNoFields = 0x400,      // fields travel as their results, as plain text
    cmMove = 0x4000,         // move (else copy)
};

// Hidden bookmarks: the flag bits of their TField::Flags.
enum : std::uint8_t {
    bmHidden = 0x2,
    bmOvertypeMark = 0x4,
    bmFastNavMark = 0x8,
};

// The worker of opCopyMoveText: the ranges travel as RTF in memory and are
// pasted at the target; a move removes them first, and a target inside
// them does nothing.
void CopyMoveText(TDoc& doc, const TCopyMoveDescription& move, std::int32_t flags);

// The worker of opBeginMultiSelectionOvertype: every selected range is
// emptied and marked by a hidden bookmark at its place, named "\x01" and
// the range's index, for typing into all of them at once.
void BeginMultiSelectionOvertype(TDoc& doc);

// The worker of opSetFastNavMark: hidden bookmarks ("__fastnav" and the
// first free number) over each selected range or at the caret, remembered
// under the digit.
void SetFastNavMark(TDoc& doc, std::int32_t digit);

// The document and the marks remembered under a digit (0 to 9); the
// document is nil when the digit holds none.
struct TFastNavEntry {
    TDoc* Doc = nullptr;
    std::vector<TField*> Marks;
};
TFastNavEntry& FastNavEntry(std::int32_t digit);
// Forgets every entry of a document that closes.
void ForgetFastNavMarks(TDoc& doc);

// A hidden document holding the selected ranges one after another, each
// carried through RTF in memory as a copy is; nil when a range cannot be
// written. Save Selection writes several ranges through it.
std::unique_ptr<TDoc> BuildSelectionDocument(TDoc& doc);
