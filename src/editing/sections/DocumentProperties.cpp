#include "editing/sections/DocumentProperties.h"

#include "base/core/Ticks.h"
#include "model/document/TDoc.h"
#include "model/document/TDocProps.h"
#include "model/document/TPostActions.h"
#include "model/undo/DocPropsOperations.h"

void ChangeDocProperties(TDoc& doc, const TDocProps& props) {
    if (doc.DocProps.SameUserProps(props))
        return;
    (new TChangeDocPropsOperation(&doc, props))->Execute();
    doc.PostActions().Caret = doc.Caret;
}

void CountEditingTime(TDoc& doc, std::int64_t tick) {
    if (doc.LastEditingTick >= 0) {
        const std::int64_t gap = tick - doc.LastEditingTick;
        doc.EditingTime += gap >= 0 && gap <= EditingGapLimit ? gap : PausedEditingCredit;
    }
    doc.LastEditingTick = tick;
}

void CountEditingTime(TDoc& doc) {
    CountEditingTime(doc, NonNegativeTickCount());
}

std::int64_t EditingSeconds(const TDoc& doc) {
    return (doc.EditingTime + 500) / 1000;
}
