#include "base/text/NumberFormats.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberFormatsTest, FormatThousandsSpaced) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {1234567, "1 234 567"},
        {0, "0"},
        {999, "999"},
        {1000, "1 000"},
        {-1234.5, "-1 235"},
        {2.5, "3"},
        {-0.4, "0"},
        {100000, "100 000"},
        {1e15, "1 000 000 000 000 000"},
        {999.5, "1 000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatThousandsSpaced(c.value), c.expected);
    }
}

}  // namespace
