#include "base/text/UnderlineStyles.h"

#include <gtest/gtest.h>

namespace {

TEST(UnderlineStylesTest, IndexOfUnderlineStyle) {
    EXPECT_EQ(IndexOfUnderlineStyle(0), 0);
    EXPECT_EQ(IndexOfUnderlineStyle(55), 17);
    EXPECT_EQ(IndexOfUnderlineStyle(5), -1);
    EXPECT_STREQ(UnderlineStyles[IndexOfUnderlineStyle(11)].Name, "wave underline");
}

}  // namespace
