// The questions asked of laid-out lines: regions, rows, pixel heights,
// column blocks and the notes a line refers to.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LineFixture.h"
#include "base/core/ObjectHandles.h"
#include "layout/lines/WrapArea.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"

namespace {

using LineQueriesTest = LineFixture;

TEST_F(LineQueriesTest, LinesThatEndARegion) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t line;
        bool endsWithBreak;
        bool endsRegion;
        bool regionBreakLine;
    };
    const Case cases[] = {
        {"plain text", "abc", 0, false, false, false},
        {"a line break", "abc\adef", 0, true, false, false},
        {"a column break after text",
         "abc\x06"
         "def",
         0, true, true, false},
        {"a page break alone", "\bdef", 0, true, true, true},
        {"a page break before the mark", "abc\b", 0, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par(c.text);
        Layout(par, 20000);
        ASSERT_GT(par.LineCount(), c.line);
        const TLine& line = LineOf(par, c.line);
        EXPECT_EQ(line.EndsWithBreak(), c.endsWithBreak);
        EXPECT_EQ(line.EndsRegion(), c.endsRegion);
        EXPECT_EQ(line.IsRegionBreakLine(), c.regionBreakLine);
    }
}

TEST_F(LineQueriesTest, ASectionBreakEndsARegionByItsSectionsKind) {
    for (std::uint8_t kind : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(static_cast<int>(kind));
        auto* section = new TSection(Doc.get());
        section->Format.BreakKind = kind;
        Doc->Sections.Add(section);
        TPar& par = Par("abc");
        AppendAttr(par, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
        par.Chars.SetSize(par.Chars.Size - 1);
        par.Chars.AppendByte(chSectionBreak);
        par.Chars.AppendByte(chParEnd);
        Layout(par, 20000);
        ASSERT_GE(par.LineCount(), 1);
        const TLine& line = LineOf(par, 0);
        EXPECT_EQ(line.EndsRegion(), kind >= 1 && kind <= 3);
    }
}

TEST_F(LineQueriesTest, RowFirstAndRowLastOfWrapPieces) {
    std::string text;
    for (int i = 0; i < 80; ++i)
        text += "word ";
    TPar& par = Par(text);
    TWrapArea area;
    area.Exclusions = {{2500, 0, 3500, 1000}};
    par.LayoutLines(0, 6000, &area);
    ASSERT_GT(par.LineCount(), 4);
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        SCOPED_TRACE(i);
        TLine& line = LineOf(par, i);
        const TLine* first = line.RowFirst();
        const TLine* last = line.RowLast();
        EXPECT_EQ(first->Row, line.Row);
        EXPECT_EQ(last->Row, line.Row);
        EXPECT_TRUE(first->IndexInPar == 0 || LineOf(par, first->IndexInPar - 1).Row < line.Row);
        EXPECT_TRUE(last->IndexInPar == par.LineCount() - 1 || LineOf(par, last->IndexInPar + 1).Row > line.Row);
    }
    // The first row beside the rectangle holds two pieces.
    EXPECT_EQ(LineOf(par, 0).RowLast(), &LineOf(par, 1));
    EXPECT_EQ(LineOf(par, 1).RowFirst(), &LineOf(par, 0));
}

TEST_F(LineQueriesTest, HeightInPixelsLeavesNoGapToTheNextRow) {
    struct Case {
        const char* name;
        std::int32_t top, height, nextTop;
        bool dropCap;
        std::int32_t expected;
    };
    // At 96 pixels per inch a pixel is 15 twips.
    const Case cases[] = {
        {"exact", 0, 300, 300, false, 20},
        {"rounded down, next row rounded up", 0, 290, 295, false, 20},
        {"rounded down, next row as well", 0, 290, 290, false, 19},
        {"the last line of its box", 0, 290, -1, false, 19},
        {"a drop cap keeps its own height", 0, 290, 295, true, 19},
        {"never below one pixel", 0, 2, -1, false, 1},
    };
    TPar& par = Par("abc");
    Layout(par, 6000);
    TPar& next = Par("def");
    Layout(next, 6000);
    TLine& line = LineOf(par, 0);
    TLine& below = LineOf(next, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line.Top = c.top;
        line.Height = c.height;
        line.Flags = c.dropCap ? line.Flags | lfDropCap : line.Flags & ~lfDropCap;
        below.Top = c.nextTop;
        EXPECT_EQ(line.HeightPixels(c.nextTop < 0 ? nullptr : &below), c.expected);
    }
    line.Flags &= ~lfDropCap;
}

TEST_F(LineQueriesTest, ColumnBlockRange) {
    TPar& par = Par("abcdefgh");
    Layout(par, 20000);
    TLine& line = LineOf(par, 0);
    std::vector<std::int32_t> x;
    for (std::int32_t k = 0; k <= line.CharCount; ++k)
        x.push_back(line.CharX(k));
    const auto mid = [&](std::int32_t k) { return (x[k] + x[k + 1]) / 2; };
    struct Case {
        const char* name;
        std::int32_t lo, hi;
        std::int32_t first, last;
    };
    const Case cases[] = {
        {"empty", x[2], x[2], 0, 0},
        {"on boundaries", x[2], x[5], 2, 5},
        {"either order", x[5], x[2], 2, 5},
        {"ends inside characters, nearer their left", x[2] + 1, x[5] + 1, 2, 5},
        {"ends past the middles", mid(2) + 1, mid(5) + 1, 3, 6},
        {"beyond the text stops before the mark", x[0], x[8] + 500, 0, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t first = -1, last = -1;
        line.BlockRange(c.lo, c.hi, first, last);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
    }
}

// References in the first paragraph, note texts in the paragraphs after
// it: the footnotes of paragraphs 1, 3 and 4, the endnote of paragraph 2.
TEST_F(LineQueriesTest, CollectNotesJoinsNotesOfAdjacentParagraphs) {
    TPar& refs = Par("x");
    const bool endnote[] = {false, true, false, false};
    std::vector<TField*> bodies;
    for (int i = 0; i < 4; ++i) {
        auto* ref = new TField;
        auto* body = new TField;
        ref->Kind = fkNoteRef;
        body->Kind = fkNoteBody;
        body->Endnote = endnote[i] ? 1 : 0;
        ref->Partner = body;
        body->Partner = ref;
        Doc->Fields.Add(ref);
        Doc->Fields.Add(body);
        AppendAttr(refs, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(ref)));
        AppendText(refs, "r ");
        AppendAttr(refs, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(ref)));
        bodies.push_back(body);
    }
    for (int i = 0; i < 4; ++i) {
        TPar& note = Par("");
        AppendAttr(note, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(bodies[static_cast<std::size_t>(i)])));
        AppendText(note, "note");
        AppendAttr(note, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(bodies[static_cast<std::size_t>(i)])));
    }
    Layout(refs, 20000);
    ASSERT_EQ(refs.LineCount(), 1);
    const TLine& line = LineOf(refs, 0);

    TCompoundFragment* footnotes = nullptr;
    line.CollectNotes(false, footnotes);
    ASSERT_NE(footnotes, nullptr);
    ASSERT_EQ(footnotes->Count(), 2);
    EXPECT_EQ(footnotes->Fragment(0).Start.Par, 1);
    EXPECT_EQ(footnotes->Fragment(0).End.Par, 1);
    EXPECT_EQ(footnotes->Fragment(1).Start.Par, 3);
    EXPECT_EQ(footnotes->Fragment(1).End.Par, 4);
    EXPECT_EQ(footnotes->Fragment(1).End.Offset, 4);

    TCompoundFragment* endnotes = nullptr;
    line.CollectNotes(true, endnotes);
    ASSERT_NE(endnotes, nullptr);
    ASSERT_EQ(endnotes->Count(), 1);
    EXPECT_EQ(endnotes->Fragment(0).Start.Par, 2);
    ReleaseCompoundFragment(footnotes);
    ReleaseCompoundFragment(endnotes);

    // A line without references leaves the set alone.
    TCompoundFragment* none = nullptr;
    TPar& note = *Doc->Par(1);
    Layout(note, 20000);
    ASSERT_EQ(note.LineCount(), 1);
    LineOf(note, 0).CollectNotes(false, none);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
