#include "model/undo/ListOperations.h"

#include <utility>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"

void TFormatListLevelOperation::Undo() {
    if (Level < 0 || Level > 8)
        return;
    std::swap(List->Levels[Level], Saved);
    Doc->StateFlags[sfListsStale] = 1;
}

TFormatAutoListOperation::TFormatAutoListOperation(TDoc* doc, TAutoList* list, const TAutoList& saved)
    : TSubOperation(doc), List(list) {
    Saved.Assign(saved);
}

void TFormatAutoListOperation::Undo() {
    TAutoList temp;
    temp.Assign(*List);
    List->Assign(Saved);
    Saved.Assign(temp);
    Doc->StateFlags[sfListsStale] = 1;
    Doc->StateFlags[sfContentChanged] = 1;
}
