#include "base/core/DateTime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DateTimeTest, EncodesAndDecodesAcrossTheCalendar) {
    struct Case {
        int Y, M, D;
        double Serial;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},  {1900, 1, 1, 2},    {2000, 2, 29, 36585},    {2024, 3, 5, 45356},
        {1899, 12, 29, -1}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Y) + "-" + std::to_string(c.M) + "-" + std::to_string(c.D));
        TDateTime dt = 0;
        ASSERT_TRUE(TryEncodeDate(c.Y, c.M, c.D, dt));
        EXPECT_EQ(dt, c.Serial);
        int y, m, d;
        DecodeDate(dt, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.Y * 10000 + c.M * 100 + c.D);
    }
    TDateTime dt = 0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, dt));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, dt));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, dt));
    // Before 1899-12-30 the fraction still runs forwards.
    int h, mi, s, ms;
    DecodeTime(-1.25, h, mi, s, ms);
    EXPECT_EQ(h, 6);
}

}  // namespace
