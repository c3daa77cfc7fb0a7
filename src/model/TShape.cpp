#include "model/TShape.h"

#include "base/ObjectHandles.h"

TShape::~TShape() {
    ReleaseObjectHandle(this);
}
