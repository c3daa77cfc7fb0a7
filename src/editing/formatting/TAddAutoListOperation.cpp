#include "editing/formatting/TAddAutoListOperation.h"

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/managers/TAutoList.h"

TAddAutoListOperation::~TAddAutoListOperation() {
    if (!InTable)
        delete List;
}

void TAddAutoListOperation::Redo() {
    if (InTable)
        return;
    Doc->Lists.Add(List);
    InTable = true;
    Doc->StateFlags[sfListsStale] = 1;
}

void TAddAutoListOperation::Undo() {
    if (!InTable)
        return;
    const std::int32_t index = Doc->Lists.IndexOf(List);
    if (index >= 0)
        Doc->Lists.Delete(index);
    InTable = false;
    Doc->StateFlags[sfListsStale] = 1;
}
