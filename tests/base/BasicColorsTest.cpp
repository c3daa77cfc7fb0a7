#include "base/graphics/BasicColors.h"

#include <gtest/gtest.h>

namespace {

TEST(BasicColorsTest, NearestBasicColor) {
    EXPECT_EQ(NearestBasicColor(0x7F7F7F, -1), 15);        // 50% grey
    EXPECT_EQ(NearestBasicColor(0x0000FF, -1), 6);         // red
    EXPECT_EQ(NearestBasicColor(0x0000F0, 0x0000FF), 13);  // red excluded: dark red is next
    EXPECT_EQ(NearestBasicColor(0x0000FF, 0x0000FF), 6);   // the colour itself is never excluded
    EXPECT_EQ(NearestBasicColor(0x404040, -1), 1);         // black and 50% grey tie: the first wins
    EXPECT_EQ(NearestBasicColor(static_cast<std::int32_t>(0xFF000000u), -1), 0);
    EXPECT_TRUE(IsBasicColor(0xC0C0C0));
    EXPECT_FALSE(IsBasicColor(0xC0C0C1));
    EXPECT_FALSE(IsBasicColor(static_cast<std::int32_t>(0xFF000000u)));
}

}  // namespace
