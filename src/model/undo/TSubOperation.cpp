#include "model/undo/TSubOperation.h"

#include "model/document/TDoc.h"

void TSubOperation::Execute() {
    Redo();
    Doc->AddSubOperation(this);
}
