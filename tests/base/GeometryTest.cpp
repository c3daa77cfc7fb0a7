#include "base/core/Geometry.h"

#include <gtest/gtest.h>

#include "platform/Regions.h"

namespace {

TEST(GeometryTest, ClipRectTo) {
    struct Case {
        const char* name;
        TRect rect, bounds;
        bool result;
        TRect expected;
    };
    const Case cases[] = {
        {"inside", {2, 2, 8, 8}, {0, 0, 10, 10}, true, {2, 2, 8, 8}},
        {"overlap", {-5, 5, 5, 15}, {0, 0, 10, 10}, true, {0, 5, 5, 10}},
        // Empty horizontally: the vertical edges are left untouched.
        {"right of bounds", {0, 0, 10, 10}, {20, 0, 30, 10}, false, {20, 0, 10, 10}},
        {"below bounds", {0, 20, 10, 30}, {0, 0, 10, 10}, false, {0, 20, 10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRect r = c.rect;
        EXPECT_EQ(ClipRectTo(r, c.bounds), c.result);
        EXPECT_EQ(r, c.expected);
    }
}

TEST(GeometryTest, PointNearSegment) {
    struct Case {
        TPoint p, a, b;
        double tolerance;
        bool near;
    };
    const Case cases[] = {
        {{5, 3}, {0, 0}, {10, 0}, 3, true},
        {{5, 3}, {0, 0}, {10, 0}, 2, false},
        {{13, 0}, {0, 0}, {10, 0}, 3, true},  // beyond the end: distance to B
        {{14, 0}, {0, 0}, {10, 0}, 3, false},
        {{2, 2}, {1, 1}, {1, 1}, 1.5, true},  // a zero-length segment is its point
        {{3, 3}, {1, 1}, {1, 1}, 2.5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.X << "," << c.p.Y << " tol " << c.tolerance);
        EXPECT_EQ(PointNearSegment(c.p, c.a, c.b, c.tolerance), c.near);
    }
    EXPECT_TRUE(PointsEqual({1, 2}, {1, 2}));
    EXPECT_FALSE(PointsEqual({1, 2}, {2, 1}));
}

TEST(GeometryTest, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(8, 96, 72), 11);
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);  // no overflow in between
}

TEST(GeometryTest, RectanglesCombineIntoRegions) {
    Platform::HRGN region = Platform::CreateRectRgn(0, 0, 0, 0);
    AddRectToRegion({0, 0, 10, 10}, region);
    AddRectToRegion({20, 0, 30, 10}, region);
    SubtractRectFromRegion({5, 0, 25, 5}, region);
    EXPECT_TRUE(Platform::PtInRegion(region, 2, 2));
    EXPECT_FALSE(Platform::PtInRegion(region, 7, 2));
    EXPECT_TRUE(Platform::PtInRegion(region, 7, 7));
    EXPECT_FALSE(Platform::PtInRegion(region, 15, 7));
    EXPECT_TRUE(Platform::PtInRegion(region, 27, 2));
    TRect box;
    EXPECT_EQ(Platform::GetRgnBox(region, box), Platform::COMPLEXREGION);
    EXPECT_EQ(box, (TRect{0, 0, 30, 10}));
    Platform::DeleteRegion(region);
}

}  // namespace
