#include "base/core/SystemSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemSettingsTest, SettingsWithoutACounterpartAnswerNotAvailable) {
    EXPECT_FALSE(IsSnapToDefaultButtonOn());
    EXPECT_FALSE(IsProcessElevated());
    // Headless, no key is down.
    EXPECT_EQ(GetShiftStateAsync() & (asShift | asControl), 0u);
}

}  // namespace
