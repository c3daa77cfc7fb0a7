#pragma once

#include <vector>

#include "model/formats/TTextPos.h"

class TAutoList;
class TDoc;

// The list that opApplyList puts paragraphs into (a list of the document's
// list table).
struct TListDescription {
    TAutoList* List = nullptr;
};

// The workers that put paragraphs into lists and take them out, and the
// rule by which pasted list paragraphs continue a matching list beside
// them. Numbers and labels follow in the post-actions (ListNumbering.h).

// opApplyList: the selected paragraphs (or the caret's) join the list. An
// outline list gives paragraphs of 2 to 8 different depths the levels of
// their depths; typed list marks at the paragraphs' starts ("1. ", "- ")
// are deleted; the indents are those the list's paragraphs of the level
// already share, else the level's own.
void ApplyList(TDoc& doc, TAutoList& list);

// opRemoveList: runs of selected paragraphs of one list and one style
// (whose style has no list) leave their list and take the indents of their
// plain neighbours of the same style, else the style's.
void RemoveDirectList(TDoc& doc);

// opReplaceAutoList: list takes the definition of definition (one undo
// step), its paragraphs are applied to it again, and the paragraphs of
// every level whose indents changed (every level when the list changed
// between single-level and outline) take the level's paragraph format.
void ReplaceAutoList(TDoc& doc, TAutoList& list, const TAutoList& definition);

// A list beside the ranges that paragraphs of list (just pasted there) may
// continue: the nearest list paragraph above the ranges, then below them,
// whose list equals list in every level, is used by no style, and lies
// close enough to the ranges for a reader to see one list. Nil when none.
TAutoList* FindListToContinue(TDoc& doc, const TAutoList& list, const std::vector<TFragment>& ranges);

// After a paste: the paragraphs of each list the paste created join the
// list FindListToContinue finds for them (one the paste did not create).
// pastedLists is emptied.
void JoinPastedLists(TDoc& doc, std::vector<TAutoList*>& pastedLists);
