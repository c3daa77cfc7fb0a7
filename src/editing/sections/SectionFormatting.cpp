#include "editing/sections/SectionFormatting.h"

#include <algorithm>

#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/TOperation.h"

namespace {

// The equal-width flag value that asks for unequal columns unless the
// section already has several equal ones.
constexpr std::int32_t EqualUnlessSeveral = -1;

// SetCaret's flags for the jump: refresh only when needed, drop the
// selection.
constexpr std::uint32_t CaretJumpFlags = 1 | 4;

// The per-column table filled with the columns an equal layout gives under
// the page setup that governs the section.
void FillEqualColumns(TDoc& doc, const TSection& section, TSectionFormat& format) {
    if (format.ColumnCount < 2)
        return;
    const TSection* pageSection = doc.PageSectionOfPar(section.FirstPar);
    const TPageSetup& setup = pageSection != nullptr ? pageSection->PageSetup : section.PageSetup;
    TSectionFormat equal = format;
    equal.EqualColumns = 1;
    const std::int32_t count = std::min(format.ColumnCount, 64);
    for (std::int32_t c = 0; c < count; ++c) {
        TColumnGeometry geometry;
        GetColumnGeometry(equal, setup, c, geometry);
        format.ColumnTable[c][1] = geometry.Width;
        format.ColumnTable[c][2] = geometry.Gap;
    }
}

TSectionFormat SectionRecord(TDoc& doc, const TSection& section, const TSectionFormat& given) {
    const TSectionFormat& own = section.Format;
    const bool countSet = given.ColumnCount != UnsetValue;
    TSectionFormat record = countSet ? given : own;
    if (given.EqualColumns == UnsetValue) {
        record.EqualColumns = own.EqualColumns;
    } else if (given.EqualColumns == EqualUnlessSeveral) {
        if (own.ColumnCount > 1 && own.EqualColumns == 1) {
            record.EqualColumns = 1;
        } else {
            record.EqualColumns = 0;
            FillEqualColumns(doc, section, record);
        }
    } else {
        if (!countSet && given.EqualColumns == 0 && own.EqualColumns == 1)
            FillEqualColumns(doc, section, record);
        record.EqualColumns = given.EqualColumns;
    }
    record.LineBetween = given.LineBetween == UnsetValue ? own.LineBetween : given.LineBetween;
    if (given.BreakKind == KeepBreakKind)
        record.BreakKind = own.BreakKind;
    return record;
}

}  // namespace

void FormatSections(TDoc& doc, const TSectionFormat& format, const TFragment& range) {
    if (doc.ParCount() == 0 || doc.Sections.Count == 0)
        return;
    const std::int32_t lastMain = std::max(doc.LastParOfStory(stMain), 0);
    const std::int32_t firstPar = std::clamp(std::min(range.Start.Par, range.End.Par), 0, lastMain);
    const std::int32_t lastPar = std::clamp(std::max(range.Start.Par, range.End.Par), firstPar, lastMain);
    const std::int32_t first = std::max(doc.Sections.IndexOf(doc.SectionOfPar(firstPar)), 0);
    const std::int32_t last = std::max(doc.Sections.IndexOf(doc.SectionOfPar(lastPar)), first);
    auto* step = new TFormatSectOperation(&doc, firstPar, lastPar, format);
    // The step holds one record per section it found, the same sections.
    constexpr auto recordSize = static_cast<std::int32_t>(sizeof(TSectionFormat));
    for (std::int32_t i = first; i <= last && (i - first + 1) * recordSize <= step->Saved.Size; ++i) {
        const TSectionFormat record = SectionRecord(doc, *doc.Sections.At<TSection>(i), format);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(&record), recordSize,
                    step->Saved.Data + (i - first) * recordSize);
    }
    step->Execute();
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    pa.Selection->Assign(*doc.Selection);
}

bool LastEditPosition(const TDoc& doc, TTextPos& pos) {
    pos = doc.Caret;
    if (doc.UndoIndex >= 0 && doc.UndoIndex < doc.UndoList.Count)
        pos = doc.UndoOperation(doc.UndoIndex)->CaretAfter;
    else if (doc.UndoList.Count > 0)
        pos = doc.UndoOperation(0)->CaretBefore;
    else
        return true;
    if (doc.ParCount() == 0 || doc.Caret.Par < 0 || doc.Caret.Par >= doc.ParCount())
        return false;
    const int story = doc.StoryOfPar(doc.Caret.Par);
    return pos.Par >= doc.FirstParOfStory(story) && pos.Par <= doc.LastParOfStory(story);
}

void GoToLastEditPosition(TDoc& doc) {
    TTextPos pos;
    if (LastEditPosition(doc, pos))
        doc.MoveCaretTo(pos.Par, pos.Offset, CaretJumpFlags, pos.Line);
}
