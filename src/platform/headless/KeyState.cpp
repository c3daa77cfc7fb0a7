#include "platform/KeyState.h"

namespace Platform {

bool IsKeyDown(int virtualKey) {
    return false;
}

unsigned AsyncShiftState() {
    return 0;
}

}  // namespace Platform
