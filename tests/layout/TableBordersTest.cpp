// Table borders as merged segments: which border wins where two meet and
// how a line's segments are cut and joined.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/painting/TableBorders.h"
#include "model/formats/TTableRow.h"

namespace {

constexpr std::int32_t Auto = AutomaticTableColor;

TTableBorder Border(std::int32_t width, std::int32_t kind = brSingle, std::int32_t color = Auto) {
    return {width, kind, color, 0};
}

TEST(BorderPrecedenceTest, StrongerBorderByRank) {
    struct Case {
        const char* name;
        TTableBorder a, b;
        bool aWins, bWins;
    };
    const Case cases[] = {
        {"wider wins: 30 against 10", Border(30), Border(10), true, false},
        {"a set border beats a wider one of kind none", Border(5), Border(60, 255), true, false},
        {"a set border beats an unset one", Border(5), Border(60, 0), true, false},
        {"a zero width draws nothing and loses", Border(0), Border(1), false, true},
        {"same width: single beats another kind", Border(20, brSingle), Border(20, 3), true, false},
        {"same width, two other kinds: by colour", Border(20, 3, 0x0000FF), Border(20, 7, 0x000080), false, true},
        {"same width and kind: the darker colour", Border(20, 1, 0x000000), Border(20, 1, 0x00FF00), true, false},
        {"automatic paints black and beats grey", Border(20, 1, Auto), Border(20, 1, 0x808080), true, false},
        {"equal borders: neither wins", Border(20), Border(20), false, false},
        {"two unset borders: neither wins", Border(0, 0), Border(0, 0), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BorderStronger(c.a, c.b), c.aWins);
        EXPECT_EQ(BorderStronger(c.b, c.a), c.bWins);
    }
}

// A segment list as text, line by line: "h5:0-50w10" is a horizontal
// segment on y 5 from 0 to 50 of a 10-twip border.
std::string Describe(const std::vector<TBorderSegment>& segments) {
    std::string out;
    for (const TBorderSegment& s : segments) {
        if (!out.empty())
            out += ' ';
        out += (s.Kind == bsHorizontal ? "h" : "v") + std::to_string(s.Line) + ":" + std::to_string(s.Start) + "-" +
               std::to_string(s.End) + "w" + std::to_string(s.Border.Width);
    }
    return out;
}

TEST(BorderSegmentsTest, OverlapsGoToTheStrongerBorder) {
    struct Case {
        const char* name;
        std::vector<TBorderSegment> added;
        const char* expected;  // weakest first
    };
    const Case cases[] = {
        {"a wider border takes the part it shares",
         {{bsHorizontal, Border(10), 5, 0, 100}, {bsHorizontal, Border(30), 5, 50, 150}},
         "h5:0-50w10 h5:50-150w30"},
        {"a weaker border inside a stronger one vanishes",
         {{bsHorizontal, Border(30), 5, 0, 100}, {bsHorizontal, Border(10), 5, 20, 60}},
         "h5:0-100w30"},
        {"a stronger border inside a weaker one cuts it in three",
         {{bsVertical, Border(10), 7, 0, 100}, {bsVertical, Border(30), 7, 40, 60}},
         "v7:0-40w10 v7:60-100w10 v7:40-60w30"},
        {"the same stretch twice, weaker second: one segment",
         {{bsVertical, Border(30), 7, 0, 100}, {bsVertical, Border(10), 7, 0, 100}},
         "v7:0-100w30"},
        {"a segment over two others fills the gap between them",
         {{bsHorizontal, Border(30), 0, 0, 10},
          {bsHorizontal, Border(30), 0, 20, 30},
          {bsHorizontal, Border(10), 0, 0, 30}},
         "h0:10-20w10 h0:0-10w30 h0:20-30w30"},
        {"touching equal borders join",
         {{bsHorizontal, Border(10), 0, 0, 50}, {bsHorizontal, Border(10), 0, 50, 90}},
         "h0:0-90w10"},
        {"other lines and the other direction are left alone",
         {{bsHorizontal, Border(10), 0, 0, 50},
          {bsHorizontal, Border(30), 1, 0, 50},
          {bsVertical, Border(30), 0, 0, 50}},
         "h0:0-50w10 h1:0-50w30 v0:0-50w30"},
        {"an empty segment adds nothing", {{bsHorizontal, Border(10), 0, 30, 30}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBorderSegments segments;
        for (const TBorderSegment& s : c.added)
            segments.Add(s);
        segments.Finish();
        EXPECT_EQ(Describe(segments.All()), c.expected);
    }
}

}  // namespace
