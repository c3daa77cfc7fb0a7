#include "base/core/Versions.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionsTest, VersionToNumber) {
    struct Case {
        const char* Text;
        std::int32_t Number;
    };
    const Case cases[] = {
        {"1.2.3.4", 10203004},   {"2", 20000000}, {"1.10", 11000000}, {"1.2.x", 10200000},
        {"1.2.3.4.5", 10203009}, {"", 0},         {"a.b", 0},         {"3.0.12", 30012000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(VersionToNumber(c.Text), c.Number);
    }
}

}  // namespace
