#include "editing/sections/NoteFormatting.h"

#include <algorithm>

#include "model/document/TDoc.h"
#include "model/undo/NoteOperations.h"

void FormatNotes(TDoc& doc,
                 std::int32_t firstPar,
                 std::int32_t lastPar,
                 const TNoteSettings& footnotes,
                 const TNoteSettings& endnotes,
                 const TCharFormat* formats) {
    if (doc.ParCount() == 0 || doc.Sections.Count == 0)
        return;
    firstPar = std::clamp(firstPar, 0, doc.ParCount() - 1);
    lastPar = std::clamp(lastPar, firstPar, doc.ParCount() - 1);
    auto* step = new TFormatNotesOperation(&doc, firstPar, lastPar, footnotes, endnotes, formats);
    if (step->Changed == 0) {
        delete step;
        return;
    }
    step->Execute();
}
