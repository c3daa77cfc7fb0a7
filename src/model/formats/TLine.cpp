#include "model/formats/TLine.h"

#include "base/core/TList.h"
#include "platform/Heap.h"

TLineDropHook LineDropHook = nullptr;

TLine::~TLine() {
    if (Box != nullptr && LineDropHook != nullptr)
        LineDropHook(*this);
    if (Positions != nullptr)
        Platform::HeapFree(Positions);
}

void DestroyLines(TList* lines) {
    TList::FreeWithItems<TLine>(lines);
}
