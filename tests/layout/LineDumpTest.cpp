// Laying a whole document out at one width, and the text the dump program
// prints for each paragraph's lines.

#include <gtest/gtest.h>

#include <string>

#include "LineFixture.h"
#include "layout/lines/DocumentLines.h"

namespace {

using LineDumpTest = LineFixture;

TEST_F(LineDumpTest, EveryParagraphIsLaidOutAndDescribed) {
    TPar& first = Par("abc def");
    TPar& second = Par("x");
    const std::int32_t width = FitWidth("abc ", Times(), 24);
    EXPECT_EQ(LayoutEveryParagraph(*Doc, width), first.CharCount() + second.CharCount());
    ASSERT_EQ(first.LineCount(), 2);
    ASSERT_EQ(second.LineCount(), 1);

    std::string text;
    DescribeLines(second, text);
    const TLine& line = LineOf(second, 0);
    EXPECT_EQ(text, "line 0 chars 0-2 width " + std::to_string(line.Pos(2)) + " height " + std::to_string(line.Height) +
                        " positions 0 " + std::to_string(line.Pos(1)) + " " + std::to_string(line.Pos(2)) + "\n");
    text.clear();
    DescribeLines(first, text);
    EXPECT_EQ(text.rfind("line 0 chars 0-4 width ", 0), 0u) << text;
    EXPECT_NE(text.find("\nline 1 chars 4-8 width "), std::string::npos) << text;
}

}  // namespace
