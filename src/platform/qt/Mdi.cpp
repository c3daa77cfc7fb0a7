#include "platform/Windows.h"
#include "platform/qt/WindowObjects.h"

namespace Platform {
void RegisterBuiltInClasses() {
}
}  // namespace Platform
