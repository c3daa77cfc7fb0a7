#include "model/formats/TLine.h"

#include "base/core/TList.h"
#include "platform/Heap.h"

TLine::~TLine() {
    if (Positions != nullptr)
        Platform::HeapFree(Positions);
}

void DestroyLines(TList* lines) {
    TList::FreeWithItems<TLine>(lines);
}
