// Line heights, spacing, alignment and the positions of characters at a zoom.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "LineFixture.h"
#include "base/core/ObjectHandles.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"

namespace {

using LineMetricsTest = LineFixture;

TEST_F(LineMetricsTest, HeightsAndLineSpacing) {
    struct Case {
        const char* name;
        std::int16_t spacing;
        std::int16_t multiple;
        std::int32_t halfPoints;
    };
    const Case cases[] = {
        {"single", 240, 1, 24},
        {"double", 480, 1, 24},
        {"one and a half", 360, 1, 24},
        {"exact 300", -300, 0, 24},
        {"exact 300, big text", -300, 0, 96},
        {"at least 600", 600, 0, 24},
        {"at least 100", 100, 0, 24},
        {"automatic", 0, 0, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par("aaa bbb ccc ddd eee", Times(), c.halfPoints);
        par.Format.LineSpacing = c.spacing;
        par.Format.LineSpacingMultiple = c.multiple;
        Layout(par, FitWidth("aaa bbb", Times(), c.halfPoints));
        ASSERT_GE(par.LineCount(), 2);
        for (std::int32_t i = 0; i < par.LineCount(); ++i) {
            const TLine& line = LineOf(par, i);
            const std::int32_t text = Px16ToTwips(line.Ascent + line.Descent);
            std::int32_t expected = text;
            if (c.multiple == 1)
                expected += (Px16ToTwips(line.BaseAscent + line.Descent) * (c.spacing - 240)) / 240;
            else if (c.spacing < 0)
                expected = -c.spacing;
            else if (c.spacing > 0)
                expected = std::max<std::int32_t>(text, c.spacing);
            EXPECT_NEAR(line.Height, expected, 1) << "line " << i;
        }
    }
}

TEST_F(LineMetricsTest, AMarkOnlyLineHasTheHeightOfTheMarksFont) {
    TPar& par = Par("", Arial(), 48);
    Layout(par, 9000);
    ASSERT_EQ(par.LineCount(), 1);
    const TLine& line = LineOf(par, 0);
    EXPECT_EQ(line.CharCount, 1);
    TPar& text = Par("x", Arial(), 48);
    Layout(text, 9000);
    EXPECT_EQ(line.Ascent, LineOf(text, 0).Ascent);
    EXPECT_EQ(line.Height, LineOf(text, 0).Height);
}

TEST_F(LineMetricsTest, SpaceBeforeOnTheFirstLineAndAfterOnTheLast) {
    TPar& plain = Par("aaa aaa aaa");
    const std::int32_t width = FitWidth("aaa", Times(), 24);
    Layout(plain, width);
    TPar& par = Par("aaa aaa aaa");
    par.Format.SpaceBefore = 120;
    par.Format.SpaceAfter = 240;
    Layout(par, width);
    ASSERT_EQ(par.LineCount(), 3);
    EXPECT_EQ(LineOf(par, 0).Height, LineOf(plain, 0).Height + 120);
    EXPECT_EQ(LineOf(par, 1).Height, LineOf(plain, 1).Height);
    EXPECT_EQ(LineOf(par, 2).Height, LineOf(plain, 2).Height + 240);

    // A page break at the paragraph's start hands the space before on.
    TPar& broken = Par("\baaa");
    Par("next");
    broken.Format.SpaceBefore = 120;
    Layout(broken, 9000);
    ASSERT_EQ(broken.LineCount(), 2);
    EXPECT_EQ(LineOf(broken, 0).SpaceBefore(), 0);
    EXPECT_EQ(LineOf(broken, 1).SpaceBefore(), 120);
}

TEST_F(LineMetricsTest, Alignment) {
    const std::int32_t width = 4000;
    const std::int32_t limit = TwipsToPx16(width);
    for (std::int8_t alignment : {0, 1, 2}) {
        SCOPED_TRACE(int(alignment));
        TPar& par = Par("abc def  ");
        par.Format.Alignment = alignment;
        Layout(par, width);
        const TLine& line = LineOf(par, 0);
        const std::int32_t end = line.Pos(7);  // trailing blanks and the mark hang
        const std::int32_t left = line.Pos(0);
        const std::int32_t textWidth = TextWidth("abc def", Times(), 24);
        EXPECT_EQ(end - left, textWidth);
        if (alignment == 0)
            EXPECT_EQ(left, 0);
        else if (alignment == 1)
            EXPECT_EQ(left, (limit - textWidth) / 2);
        else
            EXPECT_EQ(end, limit);
    }
}

TEST_F(LineMetricsTest, JustificationFillsTheLineExactly) {
    std::string text;
    std::mt19937 random(7);
    for (int w = 0; w < 80; ++w) {
        text += std::string(1 + random() % 9, static_cast<char>('a' + random() % 26));
        text += ' ';
    }
    for (std::int32_t width : {2000, 3333, 7000}) {
        SCOPED_TRACE(width);
        TPar& par = Par(text);
        par.Format.Alignment = 3;
        Layout(par, width);
        ASSERT_GE(par.LineCount(), 2);
        for (std::int32_t i = 0; i + 1 < par.LineCount(); ++i) {
            const TLine& line = LineOf(par, i);
            std::int32_t k = line.CharCount;
            while (k > 0 && par.Chars.Data[line.FirstChar + k - 1] == ' ')
                --k;
            bool innerSpace = false;
            for (std::int32_t j = 0; j + 1 < k; ++j)
                innerSpace = innerSpace || par.Chars.Data[line.FirstChar + j] == ' ';
            if (innerSpace)
                EXPECT_EQ(line.Pos(k), TwipsToPx16(width)) << "line " << i;
            else
                EXPECT_EQ(line.Pos(0), 0) << "line " << i;
            for (std::int32_t j = 0; j < line.CharCount; ++j)
                EXPECT_LE(line.Pos(j), line.Pos(j + 1));
        }
        // The last line stays as it was set.
        const TLine& last = LineOf(par, par.LineCount() - 1);
        EXPECT_LT(last.Pos(last.CharCount - 1), TwipsToPx16(width));
    }

    // Only the spaces after the last tab stretch, and a line without inner
    // spaces stays left-aligned.
    TPar& tabbed = Par("a b\tc d e f g h i j k l m");
    tabbed.Format.Alignment = 3;
    Layout(tabbed, FitWidth("a b\tc d e f", Times(), 24) + 1440);
    const TLine& first = LineOf(tabbed, 0);
    EXPECT_EQ(first.Pos(2) - first.Pos(1), TextWidth(" ", Times(), 24));
    TPar& solid = Par("abcdefghijklmnopqrstuvwxyz");
    solid.Format.Alignment = 3;
    Layout(solid, FitWidth("abcdefghij", Times(), 24));
    EXPECT_EQ(LineOf(solid, 0).Pos(0), 0);
    EXPECT_EQ(LineOf(solid, 0).Pos(10), TextWidth("abcdefghij", Times(), 24));
}

TEST_F(LineMetricsTest, CharXAndCharAtXAtEveryZoom) {
    std::mt19937 random(11);
    std::string text;
    for (int i = 0; i < 300; ++i) {
        const auto r = random() % 40;
        text += r < 6 ? ' ' : r == 6 ? '\t' : static_cast<char>(r < 20 ? 'a' + r : 'A' + r - 14);
    }
    TPar& par = Par(text);
    par.Format.LeftIndent = 300;
    Layout(par, 6000);
    ASSERT_GE(par.LineCount(), 3);
    for (std::int32_t zoom : {10, 25, 33, 50, 75, 100, 150, 200, 333, 500}) {
        SCOPED_TRACE(zoom);
        Doc->Zoom = Doc->ZoomInForce = zoom;
        for (std::int32_t i = 0; i < par.LineCount(); ++i) {
            TLine& line = LineOf(par, i);
            std::int32_t previous = line.CharX(0);
            for (std::int32_t k = 0; k <= line.CharCount; ++k) {
                const std::int32_t x = line.CharX(k);
                EXPECT_GE(x, previous);
                previous = x;
                // Within a pixel at the zoom of the scaled 100 % position,
                // plus the half pixel at 100 % that the result is kept in.
                const double exact = line.Pos(k) * zoom / 1600.0;
                const double shown = x * zoom / 100.0;
                EXPECT_LE(std::abs(shown - exact), 1.0 + zoom / 200.0) << "line " << i << " char " << k;
                // CharAtX finds a boundary at the same place.
                if (k < line.CharCount) {
                    const std::int32_t back = line.CharAtX(x);
                    EXPECT_EQ(line.CharX(back), x) << "line " << i << " char " << k;
                }
            }
        }
    }
    // At 100 % the positions are the 100 % layout rounded character by
    // character.
    Doc->Zoom = Doc->ZoomInForce = 100;
    TLine& line = LineOf(par, 0);
    EXPECT_NEAR(line.CharX(0), line.Pos(0) / 16.0, 0.5);
    EXPECT_NEAR(line.CharX(line.CharCount), line.Pos(line.CharCount) / 16.0, 1.0);
    // Beyond the last boundary of the paragraph's last line the caret stops
    // before the mark.
    TLine& last = LineOf(par, par.LineCount() - 1);
    EXPECT_EQ(last.CharAtX(100000), last.CharCount - 1);
    EXPECT_EQ(line.CharAtX(100000), line.CharCount);
}

// Text in changing sizes, bold runs and tabs, under each alignment: the
// widths are measured again at the zoom with the fonts of that zoom, and
// the boundaries still stay on the scaled 100 % positions. Measuring must
// leave the line, the breaker and the document as they were.
TEST_F(LineMetricsTest, ZoomedWidthsOfMixedTextAreMeasuredAtTheZoom) {
    std::mt19937 random(5);
    TPar& par = Par("");
    for (int run = 0; run < 40; ++run) {
        AppendAttr(par, caSize, 16 + static_cast<std::int32_t>(random() % 40));
        AppendAttr(par, caBold, static_cast<std::int32_t>(random() % 2));
        std::string text;
        for (int i = 0; i < 12; ++i) {
            const auto r = random() % 30;
            text += r < 4 ? ' ' : r == 4 ? '\t' : static_cast<char>('a' + r);
        }
        AppendText(par, text);
    }
    for (std::int8_t alignment : {0, 1, 2, 3}) {
        SCOPED_TRACE(static_cast<int>(alignment));
        par.Format.Alignment = alignment;
        Doc->Zoom = Doc->ZoomInForce = 100;
        Layout(par, 5000);
        ASSERT_GE(par.LineCount(), 3);
        for (std::int32_t zoom : {10, 37, 66, 100, 125, 175, 250, 400, 500}) {
            SCOPED_TRACE(zoom);
            Doc->Zoom = Doc->ZoomInForce = zoom;
            for (std::int32_t i = 0; i < par.LineCount(); ++i) {
                TLine& line = LineOf(par, i);
                const std::vector<std::int32_t> before(line.Positions + 1, line.Positions + line.CharCount + 2);
                const std::uint32_t flags = line.Flags;
                const std::int32_t height = line.Height, ascent = line.Ascent, count = line.CharCount;
                const std::int32_t stream = line.StreamLength;
                const TCharFormat breakerFormat = Breaker.Format;
                line.PrepareZoomWidths();
                EXPECT_FALSE(Doc->MeasuringAtZoom);
                EXPECT_FALSE(Breaker.NoOverflow);
                EXPECT_EQ(std::memcmp(&Breaker.Format, &breakerFormat, sizeof breakerFormat), 0);
                EXPECT_EQ(line.Flags, flags | lfZoomWidthsValid);
                EXPECT_EQ(line.Height, height);
                EXPECT_EQ(line.Ascent, ascent);
                EXPECT_EQ(line.CharCount, count);
                EXPECT_EQ(line.StreamLength, stream);
                EXPECT_EQ(std::vector<std::int32_t>(line.Positions + 1, line.Positions + line.CharCount + 2), before);
                std::int32_t previous = line.CharX(0);
                for (std::int32_t k = 0; k <= line.CharCount; ++k) {
                    const std::int32_t x = line.CharX(k);
                    EXPECT_GE(x, previous) << "line " << i << " char " << k;
                    previous = x;
                    const double exact = line.Pos(k) * zoom / 1600.0;
                    EXPECT_LE(std::abs(x * zoom / 100.0 - exact), 1.0 + zoom / 200.0) << "line " << i << " char " << k;
                    if (k < line.CharCount) {
                        EXPECT_EQ(line.CharX(line.CharAtX(x)), x) << "line " << i << " char " << k;
                    }
                }
            }
        }
    }
    Doc->Zoom = Doc->ZoomInForce = 100;
}

// A horizontal rule stands alone on its line; measuring that line again at
// a zoom must still take the rule and the mark after it.
TEST_F(LineMetricsTest, ALineWithARuleIsMeasuredWholeAtTheZoom) {
    auto* rule = new TShape(Doc.get());
    rule->Props.SetProp(spHorizRule, 1);
    Doc->Shapes.Add(rule);
    TPar& par = Par("");
    AppendAttr(par, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(rule)));
    par.Chars.SetSize(par.Chars.Size - 1);
    par.Chars.AppendByte(chShapeAnchor);
    par.Chars.AppendByte(chParEnd);
    Layout(par, 6000);
    ASSERT_GE(par.LineCount(), 1);
    TLine& line = LineOf(par, 0);
    ASSERT_NE(line.Flags & lfHorizontalLine, 0u);
    ASSERT_GE(line.CharCount, 1);
    Doc->Zoom = Doc->ZoomInForce = 200;
    line.PrepareZoomWidths();
    EXPECT_NE(line.Flags & lfHorizontalLine, 0u);
    // The rule spans the line: at 200 % it is twice as many pixels wide.
    const double exact = line.Pos(1) * 200 / 1600.0;
    EXPECT_NEAR((line.CharX(1) - line.CharX(0)) * 2.0, exact - line.Pos(0) * 200 / 1600.0, 2.0);
    Doc->Zoom = Doc->ZoomInForce = 100;
}

TEST_F(LineMetricsTest, ChangingTheZoomInvalidatesEveryLineOfTheParagraph) {
    TPar& par = Par("aaa bbb ccc ddd");
    Layout(par, FitWidth("aaa", Times(), 24));
    for (std::int32_t i = 0; i < par.LineCount(); ++i)
        LineOf(par, i).PrepareZoomWidths();
    for (std::int32_t i = 0; i < par.LineCount(); ++i)
        EXPECT_NE(LineOf(par, i).Flags & lfZoomWidthsValid, 0u);
    Doc->Zoom = Doc->ZoomInForce = 200;
    LineOf(par, 0).PrepareZoomWidths();
    EXPECT_NE(LineOf(par, 0).Flags & lfZoomWidthsValid, 0u);
    for (std::int32_t i = 1; i < par.LineCount(); ++i)
        EXPECT_EQ(LineOf(par, i).Flags & lfZoomWidthsValid, 0u);
}

}  // namespace
