#include "base/text/CharSearch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CharSearchTest, FindByteAndWideChar) {
    const char bytes[] = "abcabc";
    EXPECT_EQ(FindByte(bytes, 'c', 6), 2);
    EXPECT_EQ(FindByte(bytes, 'c', 2), -1);  // only count bytes are looked at
    EXPECT_EQ(FindByte(bytes, 'z', 6), -1);
    EXPECT_EQ(FindByte(bytes, 'a', 0), -1);
    EXPECT_EQ(FindByte("\xFF", 0xFF, 1), 0);

    const char16_t wide[] = u"x\u20ACy\u20AC";
    EXPECT_EQ(FindWideChar(wide, u'\u20AC', 4), 1);
    EXPECT_EQ(FindWideChar(wide, u'\u20AC', 1), -1);
    EXPECT_EQ(FindWideChar(wide, u'x', 0), -1);
}

TEST(CharSearchTest, FirstControlCharIndex) {
    EXPECT_EQ(FirstControlCharIndex("abc", 3), 3);
    EXPECT_EQ(FirstControlCharIndex("ab\tc", 4), 2);
    EXPECT_EQ(FirstControlCharIndex("\x1F", 1), 0);
    EXPECT_EQ(FirstControlCharIndex(" \x80\xFF", 3), 3);  // high bytes are text
    EXPECT_EQ(FirstControlCharIndex("", 0), 0);
}

}  // namespace
