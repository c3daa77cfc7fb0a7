#include "model/TSection.h"

#include "base/ObjectHandles.h"

TSection::~TSection() {
    ReleaseObjectHandle(this);
}
