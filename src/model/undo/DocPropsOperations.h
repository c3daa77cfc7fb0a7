#pragma once

#include "model/document/TDocProps.h"
#include "model/undo/TSubOperation.h"

// The document properties the user edits: the step holds the other record
// and exchanges it with the document's. The automatic properties are left
// as the document has them, since they follow the text and the saves, not
// the step.
class TChangeDocPropsOperation : public TSubOperation {
public:
    TChangeDocPropsOperation(TDoc* doc, const TDocProps& props) : TSubOperation(doc), Props(props) {}
    void Undo() override;

    TDocProps Props;
};
