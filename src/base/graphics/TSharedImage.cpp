#include "base/graphics/TSharedImage.h"

void TSharedImage::Release() {
    if (--RefCount > 0)
        return;
    ReleaseHandles();
    delete this;
}
