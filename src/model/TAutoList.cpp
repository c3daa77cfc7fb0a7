#include "model/TAutoList.h"

#include "base/ObjectHandles.h"

TAutoList::~TAutoList() {
    ReleaseObjectHandle(this);
}

void TAutoList::Assign(const TAutoList& source) {
    if (&source == this)
        return;
    SingleLevel = source.SingleLevel;
    for (int i = 0; i < 9; ++i)
        Levels[i] = source.Levels[i];
}
