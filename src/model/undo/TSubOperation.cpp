#include "model/undo/TSubOperation.h"

#include "model/document/TDoc.h"

void TSubOperation::Execute() {
    Redo();
    // The cached tables may no longer match the text or the rows.
    Doc->ClearTableCache();
    Doc->AddSubOperation(this);
}
