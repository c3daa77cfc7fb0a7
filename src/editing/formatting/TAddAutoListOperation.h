#pragma once

#include "model/undo/TSubOperation.h"

class TAutoList;

// A list definition added to the document's list table. The step owns the
// list while it is out of the table (before the first call and after undo);
// the table owns it while it is in.
class TAddAutoListOperation : public TSubOperation {
public:
    TAddAutoListOperation(TDoc* doc, TAutoList* list) : TSubOperation(doc), List(list) {}
    ~TAddAutoListOperation() override;
    void Undo() override;
    void Redo() override;

    TAutoList* List = nullptr;
    bool InTable = false;
};
