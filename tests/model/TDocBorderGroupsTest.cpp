#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "DocFixture.h"
#include "model/document/TDoc.h"
#include "model/formats/BorderSets.h"
#include "model/paragraphs/TPar.h"

namespace {

// One paragraph of a case: its text (ParText.h), which of two border sets
// it has (0 none, 1 or 2, 3 an index outside the table), its indents and
// shading, and whether it stands in a table.
struct TParSpec {
    const char* Text = "x{par}";
    int Borders = 1;
    std::int16_t Left = 0;
    std::int16_t Right = 0;
    std::int16_t First = 0;
    std::int32_t Shading = -1;
    bool InTable = false;
};

struct Case {
    const char* Name;
    std::vector<TParSpec> Pars;
    // Paragraphs per story (main, footnotes, endnotes, headers and
    // footers); all in the main text when zero.
    std::array<std::int32_t, 4> Stories;
    // Shading groups instead of border groups.
    bool Shading;
    // The group of each paragraph, numbered in order.
    std::vector<int> Groups;
};

std::int16_t BorderSet(int which) {
    if (which == 0)
        return 0;
    if (which == 3)
        return 30000;
    TBorderSet set;
    InitBorderSet(set);
    for (TBorder& border : set.Borders) {
        border.Type = 1;
        border.Width = which == 1 ? 15 : 30;
    }
    return static_cast<std::int16_t>(InternBorderSet(set));
}

TParSpec Indented(std::int16_t left, std::int16_t right = 0, std::int16_t first = 0) {
    TParSpec spec;
    spec.Left = left;
    spec.Right = right;
    spec.First = first;
    return spec;
}

TParSpec Text(const char* text, bool inTable = false, int borders = 1) {
    TParSpec spec;
    spec.Text = text;
    spec.InTable = inTable;
    spec.Borders = borders;
    return spec;
}

TParSpec Shaded(std::int32_t shading, int borders = 0, std::int16_t left = 0) {
    TParSpec spec;
    spec.Shading = shading;
    spec.Borders = borders;
    spec.Left = left;
    return spec;
}

const Case Cases[] = {
    {"left indents 3 twips apart join", {Indented(720), Indented(723)}, {}, false, {0, 0}},
    {"left indents 4 twips apart part", {Indented(720), Indented(724)}, {}, false, {0, 1}},
    {"right indents 4 twips apart part", {Indented(0, 0), Indented(0, -3), Indented(0, 1)}, {}, false, {0, 0, 1}},
    // Each paragraph is held against its neighbour, so the groups do not
    // depend on which paragraph is asked.
    {"indents creeping 2 twips a step stay one box",
     {Indented(720), Indented(722), Indented(724)},
     {},
     false,
     {0, 0, 0}},
    {"hanging first line against none parts", {Indented(720, 0, -100), Indented(720, 0, 0)}, {}, false, {0, 1}},
    {"first lines that are not negative join", {Indented(720, 0, 0), Indented(720, 0, 200)}, {}, false, {0, 0}},
    {"hanging first lines within 3 twips join",
     {Indented(720, 0, -360), Indented(720, 0, -357), Indented(720, 0, -353)},
     {},
     false,
     {0, 0, 1}},
    {"another border set parts",
     {Text("a{par}", false, 1), Text("b{par}", false, 2), Text("c{par}", false, 2)},
     {},
     false,
     {0, 1, 1}},
    {"a border set outside the table counts as none",
     {Text("a{par}", false, 3), Text("b{par}", false, 0)},
     {},
     false,
     {0, 0}},
    {"a section break ends the group", {Text("a{par}"), Text("b{sect:S}"), Text("c{par}")}, {}, false, {0, 0, 1}},
    {"two cells of one row are two groups",
     {Text("a{cell}", true), Text("b{cell}", true), Text("{row}", true)},
     {},
     false,
     {0, 1, 2}},
    {"consecutive rows are separate groups",
     {Text("a{cell}", true), Text("{row}", true), Text("b{cell}", true), Text("{row}", true)},
     {},
     false,
     {0, 1, 2, 3}},
    {"the paragraphs of one cell join",
     {Text("a{par}", true), Text("b{cell}", true), Text("{row}", true)},
     {},
     false,
     {0, 0, 1}},
    {"a table and the text around it part",
     {Text("a{par}"), Text("b{cell}", true), Text("{row}", true), Text("c{par}")},
     {},
     false,
     {0, 1, 2, 3}},
    // Sections belong to the main text; a section break elsewhere (a damaged
    // file) ends nothing.
    {"a header group stays inside its story",
     {Text("m{par}"), Text("f{par}"), Text("h{sect:S}"), Text("h{par}")},
     {1, 1, 0, 2},
     false,
     {0, 1, 2, 2}},
    {"no shading never groups", {Shaded(-1), Shaded(-1), Shaded(0xFF), Shaded(-1)}, {}, true, {0, 1, 2, 3}},
    {"shadings of any colour join", {Shaded(0xFF), Shaded(0xFF00), Shaded(0)}, {}, true, {0, 0, 0}},
    {"shading groups part where the border sets differ",
     {Shaded(0xFF, 0), Shaded(0xFF, 1), Shaded(0xFF, 1)},
     {},
     true,
     {0, 1, 1}},
    {"shading groups part where the indents differ", {Shaded(0xFF, 0, 0), Shaded(0xFF, 0, 4)}, {}, true, {0, 1}},
};

TEST(DocBorderGroupsTest, GroupsFollowIndentsAndStopAtCellsStoriesAndSections) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        TDocFixture f;
        f.Objects.Section("S");
        for (const TParSpec& spec : c.Pars)
            f.Add(spec.Text);
        TDoc& doc = f.Doc();
        const auto count = static_cast<std::int32_t>(c.Pars.size());
        ASSERT_EQ(doc.ParCount(), count);
        ASSERT_EQ(c.Groups.size(), c.Pars.size());
        if (c.Stories[0] != 0)
            for (int s = 0; s < 4; ++s)
                doc.StoryCounts[s] = c.Stories[s];
        for (std::int32_t p = 0; p < count; ++p) {
            const TParSpec& spec = c.Pars[p];
            TParFormat& format = doc.Par(p)->Format;
            format.Borders = BorderSet(spec.Borders);
            format.LeftIndent = spec.Left;
            format.RightIndent = spec.Right;
            format.FirstIndent = spec.First;
            format.Shading = spec.Shading;
            format.InTable = spec.InTable ? 1 : 0;
        }
        for (std::int32_t p = 0; p < count; ++p) {
            std::int32_t first = -1, last = -1;
            if (c.Shading)
                doc.ShadingGroupRange(p, first, last);
            else
                doc.BorderGroupRange(p, first, last);
            std::int32_t wantFirst = p, wantLast = p;
            while (wantFirst > 0 && c.Groups[wantFirst - 1] == c.Groups[p])
                --wantFirst;
            while (wantLast + 1 < count && c.Groups[wantLast + 1] == c.Groups[p])
                ++wantLast;
            EXPECT_EQ(first, wantFirst) << "paragraph " << p;
            EXPECT_EQ(last, wantLast) << "paragraph " << p;
            // The neighbour test painting and line layout use agrees with
            // the range, for every pair.
            for (std::int32_t q = 0; q < count; ++q) {
                const bool in = c.Shading ? doc.InShadingGroup(p, q) : doc.InBorderGroup(p, q);
                EXPECT_EQ(in, c.Groups[q] == c.Groups[p]) << "paragraphs " << p << " and " << q;
            }
        }
    }
}

TEST(DocBorderGroupsTest, ParagraphsOutsideTheDocumentFormNoGroup) {
    TDocFixture f({"a{par}", "b{par}"});
    TDoc& doc = f.Doc();
    for (std::int32_t p : {-1, 2, 1000}) {
        SCOPED_TRACE(p);
        std::int32_t first = 7, last = 7;
        doc.BorderGroupRange(p, first, last);
        EXPECT_EQ(first, p);
        EXPECT_EQ(last, p);
        doc.ShadingGroupRange(p, first, last);
        EXPECT_EQ(first, p);
        EXPECT_EQ(last, p);
        EXPECT_FALSE(doc.InBorderGroup(p, 0));
        EXPECT_FALSE(doc.InBorderGroup(0, p));
        EXPECT_FALSE(doc.InShadingGroup(0, p));
    }
}

}  // namespace
