#include "base/graphics/TGraphicsObject.h"

void TGraphicsObject::Changed() {
    if (OnChange)
        OnChange(this);
}
