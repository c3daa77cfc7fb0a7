#include "model/formats/TTextPos.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TTextPos Pos(std::int32_t par, std::int32_t offset, std::int32_t page = 0, std::int32_t line = 0) {
    return TTextPos{par, offset, page, line};
}

TFragment Frag(std::int32_t sp, std::int32_t so, std::int32_t ep, std::int32_t eo) {
    TFragment f;
    MakeFragment(sp, so, ep, eo, f);
    return f;
}

std::string Str(const TFragment& f) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d)-(%d,%d)", f.Start.Par, f.Start.Offset, f.End.Par, f.End.Offset);
    return text;
}

TEST(TextPosTest, ComparesByParagraphThenOffsetIgnoringCaches) {
    struct Case {
        const char* name;
        TTextPos a, b;
        int expected;
    };
    const Case cases[] = {
        {"later paragraph wins over a larger offset", Pos(3, 0), Pos(2, 500), 1},
        {"same paragraph, smaller offset", Pos(2, 4), Pos(2, 5), -1},
        {"only page and line differ", Pos(1, 7, 3, 9), Pos(1, 7, 8, UnlocatedLine), 0},
        {"negative offsets still order", Pos(0, -1), Pos(0, 0), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareTextPos(c.a, c.b), c.expected);
        EXPECT_EQ(CompareTextPos(c.b, c.a), -c.expected);
    }
}

TEST(TextPosTest, ConstructorsLeaveTheCachesAlone) {
    TTextPos p = Pos(9, 9, 4, 5);
    MakeTextPos(1, 2, p);
    EXPECT_EQ(p.Par, 1);
    EXPECT_EQ(p.Offset, 2);
    EXPECT_EQ(p.Page, 4);
    EXPECT_EQ(p.Line, 5);

    TFragment f{Pos(0, 0, 7, 7), Pos(0, 0, 8, 8)};
    MakeCharFragment(2, 5, f);
    EXPECT_EQ(Str(f), "(2,5)-(2,6)");
    EXPECT_EQ(f.Start.Page, 7);
    EXPECT_EQ(f.End.Line, 8);

    MakeFragmentFromPositions(Pos(1, 1, 2, 3), Pos(4, 4, 5, 6), f);
    EXPECT_EQ(Str(f), "(1,1)-(4,4)");
    EXPECT_EQ(f.Start.Page, 7);  // copied paragraph and offset only

    TTextRun run{Pos(3, 10), 4, 0};
    SpanToFragment(run, f);
    EXPECT_EQ(Str(f), "(3,10)-(3,14)");
    MakeCollapsedFragment(6, 2, f);
    EXPECT_TRUE(FragmentIsEmpty(f));
}

TEST(TextPosTest, InclusionTestsDifferOnlyAtTheEnd) {
    const TFragment f = Frag(1, 2, 3, 4);
    EXPECT_TRUE(PosInFragment(Pos(1, 2), f));
    EXPECT_FALSE(PosInFragment(Pos(3, 4), f));
    EXPECT_TRUE(PosInFragmentIncl(Pos(3, 4), f));
    EXPECT_FALSE(PosInFragmentIncl(Pos(1, 1), f));
    EXPECT_TRUE(PosInFragment(Pos(2, 1000), f));
    EXPECT_FALSE(PosInFragment(Pos(1, 2), Frag(1, 2, 1, 2)));  // empty holds nothing
    EXPECT_TRUE(PosInFragmentIncl(Pos(1, 2), Frag(1, 2, 1, 2)));
}

TEST(TextPosTest, IntersectionIsTheLaterStartAndEarlierEnd) {
    TFragment out;
    EXPECT_FALSE(IntersectFragments(&out, Frag(0, 0, 0, 5), Frag(0, 5, 0, 9)));  // they only touch
    EXPECT_EQ(Str(out), "(0,5)-(0,5)");
    EXPECT_FALSE(IntersectFragments(&out, Frag(0, 0, 0, 2), Frag(0, 5, 0, 9)));
    EXPECT_FALSE(IntersectFragments(nullptr, Frag(0, 0, 0, 2), Frag(0, 5, 0, 9)));

    TFragment a{Pos(0, 0, 1, 1), Pos(2, 3, 5, 6)};
    TFragment b{Pos(1, 4, 2, 2), Pos(4, 0, 9, 9)};
    ASSERT_TRUE(IntersectFragments(&out, a, b));
    EXPECT_EQ(Str(out), "(1,4)-(2,3)");
    EXPECT_EQ(out.Start.Page, 2);  // caches of the positions chosen
    EXPECT_EQ(out.End.Page, 5);

    // The output may be one of the inputs.
    ASSERT_TRUE(IntersectFragments(&a, a, b));
    EXPECT_EQ(Str(a), "(1,4)-(2,3)");
}

TEST(TextPosTest, XorGivesTheSymmetricDifferenceInOrder) {
    struct Case {
        const char* name;
        TFragment a, b;
        int count;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"both empty", Frag(0, 3, 0, 3), Frag(1, 1, 1, 1), 0, "", ""},
        {"a empty", Frag(0, 3, 0, 3), Frag(0, 1, 0, 4), 1, "(0,1)-(0,4)", ""},
        {"b empty", Frag(0, 1, 0, 4), Frag(0, 3, 0, 3), 1, "(0,1)-(0,4)", ""},
        {"apart, b first", Frag(2, 0, 2, 3), Frag(0, 0, 0, 1), 2, "(0,0)-(0,1)", "(2,0)-(2,3)"},
        {"touching", Frag(0, 0, 0, 5), Frag(0, 5, 0, 9), 2, "(0,0)-(0,5)", "(0,5)-(0,9)"},
        {"equal", Frag(0, 0, 0, 10), Frag(0, 0, 0, 10), 0, "", ""},
        {"same start, b shorter", Frag(0, 0, 0, 10), Frag(0, 0, 0, 4), 1, "(0,4)-(0,10)", ""},
        {"same start, a shorter", Frag(0, 0, 0, 4), Frag(0, 0, 0, 10), 1, "(0,4)-(0,10)", ""},
        {"same end", Frag(0, 2, 1, 3), Frag(0, 6, 1, 3), 1, "(0,2)-(0,6)", ""},
        {"overlapping", Frag(0, 0, 0, 10), Frag(0, 5, 0, 15), 2, "(0,0)-(0,5)", "(0,10)-(0,15)"},
        {"overlapping, b first", Frag(0, 5, 0, 15), Frag(0, 0, 0, 10), 2, "(0,0)-(0,5)", "(0,10)-(0,15)"},
        {"b strictly inside a", Frag(0, 0, 2, 0), Frag(1, 1, 1, 2), 2, "(0,0)-(1,1)", "(1,2)-(2,0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFragment first = Frag(-1, -1, -1, -1), second = Frag(-1, -1, -1, -1);
        ASSERT_EQ(XorFragments(first, second, c.a, c.b), c.count);
        if (c.count >= 1) {
            EXPECT_EQ(Str(first), c.first);
        }
        if (c.count == 2) {
            EXPECT_EQ(Str(second), c.second);
        }
    }
}

TEST(TextPosTest, XorMayWriteOverItsInputs) {
    TFragment a = Frag(0, 0, 0, 10), b = Frag(0, 5, 0, 15);
    ASSERT_EQ(XorFragments(b, a, a, b), 2);
    EXPECT_EQ(Str(b), "(0,0)-(0,5)");
    EXPECT_EQ(Str(a), "(0,10)-(0,15)");
}

TEST(TextPosTest, BreakScansLookOnlyAtTheirOwnCodes) {
    struct Case {
        const char* name;
        std::string chars;
        int count;
        bool hasBreak, hasPageColumnOrSection;
    };
    const Case cases[] = {
        {"plain text", "abc\x02", 4, false, false},
        {"section break is not a break", std::string("ab\x03", 3), 3, false, true},
        {"line break is not a page break", "ab\x07", 3, true, false},
        {"column break", "ab\x06", 3, true, true},
        {"page break", "\x08xy", 3, true, true},
        {"only the first count bytes", "ab\x08", 2, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* p = reinterpret_cast<const std::uint8_t*>(c.chars.data());
        EXPECT_EQ(CharsHaveBreak(p, c.count), c.hasBreak);
        EXPECT_EQ(CharsHavePageColumnOrSectionBreak(p, c.count), c.hasPageColumnOrSection);
    }
}

}  // namespace
