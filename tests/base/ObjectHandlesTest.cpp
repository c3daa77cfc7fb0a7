#include "base/core/ObjectHandles.h"

#include <gtest/gtest.h>

namespace {

TEST(ObjectHandlesTest, SameObjectSameHandleAndNilIsZero) {
    int a = 0, b = 0;
    EXPECT_EQ(ObjectHandle(nullptr), 0u);
    EXPECT_EQ(HandleObject(0), nullptr);
    const TObjectHandle ha = ObjectHandle(&a);
    const TObjectHandle hb = ObjectHandle(&b);
    EXPECT_NE(ha, 0u);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(ObjectHandle(&a), ha);
    EXPECT_EQ(HandleTo<int>(ha), &a);
    EXPECT_LT(ha, 0x80000000u);
    EXPECT_EQ(HandleObject(0x80000000u), nullptr);  // the unset mark is never a handle

    const int live = LiveObjectHandleCount();
    ReleaseObjectHandle(&a);
    EXPECT_EQ(HandleObject(ha), nullptr);
    EXPECT_EQ(LiveObjectHandleCount(), live - 1);
    ReleaseObjectHandle(&a);  // twice: harmless
    ReleaseObjectHandle(&b);
}

}  // namespace
