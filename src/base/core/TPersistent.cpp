#include "base/core/TPersistent.h"

void TPersistent::Assign(const TPersistent* source) {
    if (source != nullptr)
        source->AssignTo(*this);
}
