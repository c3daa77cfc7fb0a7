#include "model/TAutoList.h"

#include "base/ObjectHandles.h"

TAutoList::~TAutoList() {
    ReleaseObjectHandle(this);
}
