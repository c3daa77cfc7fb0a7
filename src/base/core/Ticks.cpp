#include "base/core/Ticks.h"

#include "platform/Time.h"

namespace {

std::int64_t g_lastUserActivity = 0;

}  // namespace

std::int64_t NonNegativeTickCount() {
    return Platform::MonotonicTickMs();
}

void MarkUserActivity() {
    g_lastUserActivity = NonNegativeTickCount();
}

bool UserIdleFor(std::int64_t ms) {
    return NonNegativeTickCount() - g_lastUserActivity >= ms;
}
