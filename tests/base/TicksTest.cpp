#include "base/core/Ticks.h"

#include <gtest/gtest.h>

namespace {

TEST(TicksTest, TheTickCounterNeverGoesBackAndIdlenessFollowsActivity) {
    const std::int64_t a = NonNegativeTickCount();
    const std::int64_t b = NonNegativeTickCount();
    EXPECT_GE(a, 0);
    EXPECT_GE(b, a);
    MarkUserActivity();
    EXPECT_TRUE(UserIdleFor(0));
    // A day of idleness has not passed since the action just now, however
    // long the machine has been running: there is no wrap to fool the test.
    EXPECT_FALSE(UserIdleFor(86400000));
}

}  // namespace
