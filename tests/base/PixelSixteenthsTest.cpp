#include "base/graphics/PixelSixteenths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PixelSixteenthsTest, ToAndFromSixteenths) {
    struct Case {
        std::int32_t value;
        bool scaled;
        std::int32_t zoom;
        std::int32_t to, from;
    };
    const Case cases[] = {
        {1, false, 100, 16, 0},    {-1, false, 100, -31, 1},  // negative values mirror around one half: 1 - f(1 - v)
        {24, false, 100, 384, 2},                             // 24 / 16 = 1.5 rounds up
        {23, false, 100, 368, 1},  {8, false, 100, 128, 1},   {7, false, 100, 112, 0},
        {-8, false, 100, -143, 0}, {-9, false, 100, -159, 0}, {-24, false, 100, -399, -1},
        {150, true, 50, 75, 300},  {3, true, 50, 2, 6},  // 1.5 rounds up
        {1, true, 150, 2, 1},                            // 1.5 rounds up; 100 / 150 rounds to 1
        {-3, true, 50, -1, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + (c.scaled ? " scaled" : ""));
        EXPECT_EQ(ValueToSixteenths(c.value, c.scaled, c.zoom), c.to);
        EXPECT_EQ(ValueFromSixteenths(c.value, c.scaled, c.zoom), c.from);
    }
    EXPECT_EQ(ValueFromSixteenths(ValueToSixteenths(-1, false, 100), false, 100), -1);
    EXPECT_EQ(SixteenthsToWhole(24), 2);
    EXPECT_EQ(SixteenthsToWhole(23), 1);
}

}  // namespace
