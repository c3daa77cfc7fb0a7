#include "base/core/TFrequencyMemList.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(TFrequencyMemListTest, TracksTheHeaviestRecord) {
    TFrequencyMemList list(8);
    const char a[8] = "aaaaaaa", b[8] = "bbbbbbb", c[8] = "ccccccc";
    list.Add(a, 3);
    list.Add(b, 2);
    EXPECT_EQ(list.MaxIndex, 0);
    EXPECT_EQ(list.MaxWeight, 3);
    list.Add(b, 2);
    EXPECT_EQ(list.MaxIndex, 1);
    EXPECT_EQ(list.MaxWeight, 4);
    list.Add(c, 10);
    EXPECT_EQ(list.MaxIndex, 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(b), 1);
    EXPECT_EQ(list.Weight(1), 4);
    const char d[8] = "ddddddd";
    EXPECT_EQ(list.IndexOf(d), -1);
    // The list keeps its own copy of each record.
    char e[8] = "eeeeeee";
    list.Add(e, 1);
    e[0] = 'x';
    EXPECT_EQ(std::memcmp(list.Record(3), "eeeeeee", 8), 0);
}

}  // namespace
