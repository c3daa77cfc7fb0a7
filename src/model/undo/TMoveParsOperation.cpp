#include "model/undo/TMoveParsOperation.h"

#include <algorithm>
#include <vector>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/host/TEditingServices.h"
#include "model/paragraphs/TPar.h"

TMoveParsOperation::TMoveParsOperation(TDoc* doc,
                                       std::int32_t from,
                                       std::int32_t count,
                                       std::int32_t to,
                                       bool keepFields,
                                       int storyFrom,
                                       int storyTo)
    : TSubOperation(doc),
      From(from),
      Count(count),
      To(to),
      KeepFields(keepFields ? 1 : 0),
      StoriesChanged(storyFrom != storyTo ? 1 : 0),
      StoryFrom(static_cast<std::uint8_t>(storyFrom)),
      StoryTo(static_cast<std::uint8_t>(storyTo)) {}

void TMoveParsOperation::Undo() {
    TDoc& doc = *Doc;
    if (Count <= 0 || From < 0 || From + Count > doc.ParCount() || To < 0 || To + Count > doc.ParCount())
        return;
    TTextPos start{}, end{};
    if (KeepFields != 0) {
        MakeTextPos(From, 0, start);
        MakeTextPos(From + Count - 1, doc.Par(From + Count - 1)->CharCount(), end);
        doc.PushStateFlag(sfFieldFixUp);
        EditingServices().BeginFieldFixUp(doc, start, end, true);
    }
    std::vector<void*> moved(doc.Pars.Items + From, doc.Pars.Items + From + Count);
    doc.Pars.DeleteRange(From, Count);
    doc.Pars.InsertGap(To, Count);
    std::copy(moved.begin(), moved.end(), doc.Pars.Items + To);
    if (StoriesChanged != 0) {
        doc.StoryCounts[StoryFrom] -= Count;
        doc.StoryCounts[StoryTo] += Count;
        std::swap(StoryFrom, StoryTo);
    }
    doc.RenumberPars(std::min(From, To));
    if (KeepFields != 0) {
        MakeTextPos(To, 0, start);
        MakeTextPos(To + Count - 1, doc.Par(To + Count - 1)->CharCount(), end);
        EditingServices().EndFieldFixUp(doc, start, end);
        doc.PopStateFlag();
    }
    for (std::int32_t p = To; p < To + Count; ++p)
        doc.Par(p)->FreeLines();
    doc.NoteParChanged(std::min(From, To));
    std::swap(From, To);
    doc.StateFlags[sfListsStale] = 1;
    doc.StateFlags[sfContentChanged] = 1;
    doc.StateFlags[sfCollapsedStale] = 1;
    doc.StateFlags[sfSectionIndexStale] = 1;
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);
}
