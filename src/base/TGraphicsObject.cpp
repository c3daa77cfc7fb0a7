#include "base/TGraphicsObject.h"

void TGraphicsObject::Changed() {
    if (OnChange)
        OnChange(this);
}
