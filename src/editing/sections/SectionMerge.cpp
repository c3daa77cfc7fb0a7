#include "editing/sections/SectionMerge.h"

#include <utility>

#include "base/core/TMemory.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/SectionOperations.h"

namespace {

// The paragraph whose break ends the section, -1 when none does (the last
// section ends with the text).
std::int32_t BreakParOf(TDoc& doc, const TSection* section) {
    const std::int32_t last = doc.LastParOfStory(stMain);
    for (std::int32_t p = 0; p <= last; ++p)
        if (doc.Par(p)->EndingSection() == section)
            return p;
    return -1;
}

}  // namespace

void MergeSections(TDoc& doc, TSection* kept, TSection* removed) {
    const std::int32_t keptIndex = doc.Sections.IndexOf(kept);
    const std::int32_t removedIndex = doc.Sections.IndexOf(removed);
    if (keptIndex < 0 || removedIndex < 0 || (keptIndex - removedIndex != 1 && removedIndex - keptIndex != 1))
        return;
    TSection* earlier = keptIndex < removedIndex ? kept : removed;
    TSection* later = keptIndex < removedIndex ? removed : kept;
    const std::int32_t breakPar = BreakParOf(doc, earlier);
    if (breakPar < 0)
        return;
    // Deleting a break leaves the later section's object in place, so that
    // object takes the kept section's properties first; the headers it then
    // shows are kept by the deletion since a staying section uses them.
    if (later != kept)
        (new TAssignSectOperation(&doc, later, kept))->Execute();
    const TTextPos caret = doc.Caret;
    std::int32_t par = breakPar;
    const std::int32_t chars = doc.Par(par)->CharCount();
    if (chars > 1) {
        TMemory parEnd;
        parEnd.AppendByte('\r');
        parEnd.AppendByte('\n');
        InsertText(doc, parEnd, TTextPos{par, chars - 1}, 0);
        ++par;
    }
    DeleteText(doc, nullptr, TTextPos{par, 0}, TTextPos{par + 1, 0}, 0);
    TPostActions& pa = doc.PostActions();
    pa.Caret = caret.Par < doc.ParCount() ? caret : TTextPos{};
    pa.Selection->Reset();
    doc.StateFlags[sfSectionIndexStale] = 1;
}

void ChangeSectionBreakKind(TDoc& doc, std::int32_t par, std::uint8_t kind) {
    doc.ChangeSectionBreak(par, kind);
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    pa.Selection->Reset();
}
