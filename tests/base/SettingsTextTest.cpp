#include "base/text/SettingsText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SettingsTextTest, ReplaceCharAndBars) {
    EXPECT_EQ(ReplaceChar("a.b.c", '.', '/'), "a/b/c");
    EXPECT_EQ(ReplaceChar(std::string("a\0b", 3), '\0', ' '), "a b");

    struct Case {
        const char* bars;
        const char* breaks;
    };
    const Case cases[] = {
        {"one||two", "one\r\ntwo"}, {"||", "\r\n"}, {"a||||b", "a\r\n\r\nb"}, {"plain", "plain"}, {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bars);
        EXPECT_EQ(BarsToLineBreaks(c.bars), c.breaks);
        EXPECT_EQ(LineBreaksToBars(c.breaks), c.bars);
    }
    // Lone bars and lone line-break characters pass unchanged.
    EXPECT_EQ(BarsToLineBreaks("a|b|||"), "a|b\r\n|");
    EXPECT_EQ(LineBreaksToBars("a\nb\r\rc\n\r"), "a\nb\r\rc\n\r");
}

}  // namespace
