#include "editing/sections/NoteConversion.h"

#include <algorithm>

#include "base/core/TList.h"
#include "editing/fields/FieldIndex.h"
#include "editing/formatting/BuiltInStyles.h"
#include "editing/formatting/Formatting.h"
#include "editing/typing/TextInsertion.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/NoteOperations.h"
#include "model/undo/TMoveParsOperation.h"

namespace {

// Built-in style ids of the two note text styles.
constexpr std::int32_t FootnoteTextStyle = 29;
constexpr std::int32_t EndnoteTextStyle = 43;

bool IsConvertibleNote(const TDoc& doc, const TField* field) {
    return field != nullptr && doc.Fields.Contains(field) && field->Kind == fkNoteBody && field->Partner != nullptr &&
           doc.Fields.Contains(field->Partner) && field->Partner->Kind == fkNoteRef;
}

// Moves one note's paragraphs to the start of the other note story, after
// giving them the other kind's style.
void MoveNoteToOtherStory(TDoc& doc, TField* body) {
    const bool toEndnotes = body->Endnote == 0;
    const std::int32_t style = EnsureBuiltInStyle(doc, toEndnotes ? EndnoteTextStyle : FootnoteTextStyle);
    RebuildFieldIndex(doc);
    TFragment range;
    if (!IndexedFieldRange(doc, body, range))
        return;
    const std::int32_t first = range.Start.Par;
    const std::int32_t last = range.End.Par;
    if (style >= 0) {
        TFragment whole;
        MakeTextPos(first, 0, whole.Start);
        MakeTextPos(last, doc.Par(last)->CharCount(), whole.End);
        ApplyStyle(doc, {whole}, nullptr, nullptr, false, style);
    }
    const int storyFrom = toEndnotes ? stFootnotes : stEndnotes;
    const int storyTo = toEndnotes ? stEndnotes : stFootnotes;
    if (doc.StoryOfPar(first) != storyFrom)
        return;
    const std::int32_t count = last - first + 1;
    // The target index counts the list as it is after the paragraphs left:
    // the endnote story starts count paragraphs earlier then.
    const std::int32_t to = toEndnotes ? doc.FirstParOfStory(stEndnotes) - count : doc.FirstParOfStory(stFootnotes);
    (new TMoveParsOperation(&doc, first, count, to, true, storyFrom, storyTo))->Execute();
}

}  // namespace

void ConvertNotes(TDoc& doc, const TList& notes) {
    std::vector<TField*> bodies;
    for (std::int32_t i = 0; i < notes.Count; ++i) {
        auto* field = notes.At<TField>(i);
        if (IsConvertibleNote(doc, field) && std::find(bodies.begin(), bodies.end(), field) == bodies.end())
            bodies.push_back(field);
    }
    if (bodies.empty())
        return;
    for (auto it = bodies.rbegin(); it != bodies.rend(); ++it)
        MoveNoteToOtherStory(doc, *it);
    TList references;
    for (TField* body : bodies)
        references.Add(body->Partner);
    (new TConvertNotesOperation(&doc, references))->Execute();
    ReorderNotes(doc);
    RebuildFieldIndex(doc);
    TFragment range;
    TPostActions& pa = doc.PostActions();
    if (IndexedFieldRange(doc, bodies.front(), range))
        pa.Caret = range.Start;
    pa.Selection->Reset();
}
