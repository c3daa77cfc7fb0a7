#include "model/formats/TShape.h"

#include "base/core/ObjectHandles.h"

TShape::~TShape() {
    ReleaseObjectHandle(this);
}
