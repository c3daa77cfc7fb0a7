#include "base/core/RecordBuilders.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordBuildersTest, PackedValues) {
    EXPECT_EQ(MakeLong(0x12345, 0x7), 0x72345);
    EXPECT_EQ(MakeLong(-1, -1), -1);
    TPoint p;
    UnpackPoint(static_cast<std::int32_t>(0xFFFE0003u), p);
    EXPECT_EQ(p.X, 3);
    EXPECT_EQ(p.Y, -2);
    EXPECT_EQ(PackPoint(MakePoint(-1, 5)), 0x0005FFFF);
    EXPECT_EQ(PackPoint(p), static_cast<std::int32_t>(0xFFFE0003u));
    EXPECT_EQ(MakeBoundsRect(10, 20, 30, 40), MakeRect(10, 20, 40, 60));
    EXPECT_EQ(MakeSizeRect(7, 8), MakeRect(0, 0, 7, 8));
}

}  // namespace
