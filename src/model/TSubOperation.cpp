#include "model/TSubOperation.h"

#include "model/TDoc.h"

void TSubOperation::Execute() {
    Redo();
    Doc->AddSubOperation(this);
}
