#pragma once

#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
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
// With keepIndents the paragraphs keep the indents they have (the labels
// were just turned into text).
void RemoveDirectList(TDoc& doc, bool keepIndents = false);

// opRemoveListFromStyles: the styles that use list drop it (through the
// style-sheet worker), then every paragraph of list, those of the headers
// and footers first, leaves it as opRemoveList would take it out. The
// selection comes back; the caret goes to the first such paragraph outside
// the headers and footers.
void RemoveListFromStyles(TDoc& doc, TAutoList& list, bool keepIndents = false);

// opConvertToManualList: every label of list becomes text at the start of
// its paragraph (the label's own formatting first reset to the default),
// then the list is removed from the styles and the paragraphs keeping
// their indents. A picture bullet goes in as a copy the document owns at
// the label's scale; without the shape code's copier a list with picture
// bullets is left as it is.
void ConvertToManualList(TDoc& doc, TAutoList& list);

// The paragraph properties and the character attributes (at the paragraph
// marks) that all paragraphs of list at each level share; unset where they
// differ or where the level has no paragraph. Style, list and level stay
// unset.
void ListLevelFormats(TDoc& doc, const TAutoList& list, TParFormat parFormats[9], TCharFormat charFormats[9]);

// opApplyListTemplate: a copy of the template joins the document's list
// table and is applied to the selection; then its paragraphs of each level
// take the formats the template's paragraphs of that level share.
void ApplyListTemplate(TDoc& doc, const TAutoList& templateList);

// opFormatListLevel: grows (larger) or shrinks the label font of every
// level the selected paragraphs use, by 15 percent and at least 2 points,
// within 4 and 72 points; an unset size starts from the smallest (when
// shrinking) or largest (when growing) size at the ends of the level's
// paragraphs. With apply false only answers whether anything would change.
bool StepListLabelSize(TDoc& doc, bool larger, bool apply);

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
