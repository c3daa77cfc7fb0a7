#include "model/formats/TTableRow.h"

#include "base/core/ObjectHandles.h"

TTableRow::~TTableRow() {
    ReleaseObjectHandle(this);
}
