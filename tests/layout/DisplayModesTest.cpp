// Collapsed headings, the range preview, the split view and the occurrence
// highlight's rules.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "LineFixture.h"
#include "layout/view/CollapsedHeadings.h"
#include "layout/view/DisplayModes.h"
#include "layout/words/WordServices.h"
#include "model/document/ShownPars.h"
#include "model/formats/TParFormat.h"
#include "model/host/TDocClient.h"

namespace {

class WindowClient : public TDocClient {
public:
    bool HasWindow() const override { return true; }
};

constexpr std::int32_t Body = 9;

// One paragraph of an outline: its level, whether it is collapsed and
// whether it stands in a table.
struct TOutlinePar {
    std::int32_t Level;
    bool Collapsed;
    bool InTable;
};

class DisplayModesTest : public LineFixture {
protected:
    void SetUp() override {
        LineFixture::SetUp();
        SavedClient = Doc->Client;
        Doc->Client = &Window;
        InstallCollapsedHeadings();
    }
    void TearDown() override {
        SetHiddenParQuery(nullptr);
        SetShownParQuery(nullptr);
        Doc->Client = SavedClient;
        LineFixture::TearDown();
    }

    void Outline(const std::vector<TOutlinePar>& pars) {
        for (std::size_t i = 0; i < pars.size(); ++i) {
            TPar& par = Par("text " + std::to_string(i));
            SetParProp(par.Format, ppOutlineLevel, pars[i].Level);
            SetParProp(par.Format, ppCollapsed, pars[i].Collapsed ? 1 : 0);
            par.Format.InTable = pars[i].InTable ? 1 : 0;
        }
        MarkCollapsedDirty(*Doc);
    }

    WindowClient Window;
    TDocClient* SavedClient = nullptr;
};

TEST_F(DisplayModesTest, CollapsedHeadingsHideTheirBlocks) {
    using Ranges = std::vector<std::pair<std::int32_t, std::int32_t>>;
    struct Case {
        const char* name;
        std::vector<TOutlinePar> pars;
        Ranges ranges;
    };
    const Case cases[] = {
        {"a Heading 1 hides headings, body text and a table up to the next Heading 1",
         {{0, true, false},
          {1, false, false},
          {Body, false, false},
          {Body, false, true},
          {0, false, true},  // a cell's heading level does not end the block
          {Body, false, false},
          {0, false, false},
          {Body, false, false}},
         {{1, 5}}},
        {"the same level right after hides nothing", {{1, true, false}, {1, false, false}, {Body, false, false}}, {}},
        {"a higher level ends the block", {{1, true, false}, {Body, false, false}, {0, false, false}}, {{1, 1}}},
        {"body text hides nothing", {{Body, true, false}, {Body, false, false}}, {}},
        {"a heading in a table hides nothing", {{0, true, true}, {Body, false, true}, {Body, false, false}}, {}},
        {"nested collapsed headings make one block",
         {{0, true, false}, {1, true, false}, {Body, false, false}, {0, true, false}, {Body, false, false}},
         {{1, 2}, {4, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc doc(true);
        for (std::size_t i = 0; i < c.pars.size(); ++i) {
            TPar* par = doc.Par(0);
            if (i > 0) {
                par = new TPar(&doc);
                par->Format = doc.Par(0)->Format;
                doc.Pars.Add(par);
                doc.StoryCounts[0] = doc.Pars.Count;
                doc.RenumberPars(0);
            }
            SetParProp(par->Format, ppOutlineLevel, c.pars[i].Level);
            SetParProp(par->Format, ppCollapsed, c.pars[i].Collapsed ? 1 : 0);
            par->Format.InTable = c.pars[i].InTable ? 1 : 0;
        }
        EXPECT_EQ(CollapsedRangeCount(doc), static_cast<std::int32_t>(c.ranges.size()));
        EXPECT_EQ(doc.CollapsedRanges, c.ranges);
        doc.DestroyLayout();
    }
}

TEST_F(DisplayModesTest, HiddenParagraphsAnswerTheViewQuestions) {
    Outline({{0, true, false}, {1, false, false}, {Body, false, true}, {0, false, false}, {Body, false, false}});
    std::int32_t first = 0;
    std::int32_t last = 0;
    FindCollapsedRange(*Doc, 2, first, last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2);
    const bool hidden[] = {false, true, true, false, false};
    for (std::int32_t p = 0; p < 5; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(WordServices().IsParHidden(*Doc, p), hidden[p]);
        EXPECT_EQ(ShownParAtOrBefore(*Doc, p), hidden[p] ? 0 : p);
    }

    // Expanding the heading shows everything again.
    ASSERT_TRUE(ToggleCollapsed(*Doc, 0));
    EXPECT_FALSE(WordServices().IsParHidden(*Doc, 2));
    EXPECT_FALSE(ToggleCollapsed(*Doc, 4));  // body text
}

TEST_F(DisplayModesTest, ADocumentWithoutAWindowHidesNothing) {
    Outline({{0, true, false}, {Body, false, false}});
    Doc->Client = SavedClient;
    std::int32_t first = 0;
    std::int32_t last = 0;
    FindCollapsedRange(*Doc, 1, first, last);
    EXPECT_EQ(first, -1);
    EXPECT_FALSE(WordServices().IsParHidden(*Doc, 1));
    EXPECT_EQ(ShownParAtOrBefore(*Doc, 1), 1);
}

TEST_F(DisplayModesTest, ThePreviewCycle) {
    TRangePreview preview;
    preview.Request(1, 1000);
    EXPECT_EQ(preview.State(), 1);
    EXPECT_FALSE(preview.Step(1500));  // not more than 500 ms yet
    struct Step {
        std::uint32_t tick;
        std::uint8_t state;
        bool frame;
    };
    const Step steps[] = {{1501, 2, false}, {2002, 3, true},  {2503, 4, false},
                          {3004, 5, true},  {3505, 6, false}, {4006, 2, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.tick);
        EXPECT_TRUE(preview.Step(s.tick));
        EXPECT_EQ(preview.State(), s.state);
        EXPECT_EQ(preview.DrawsFrame(), s.frame);
        EXPECT_TRUE(preview.Shown());
    }
    preview.End();
    EXPECT_FALSE(preview.Running());
    EXPECT_FALSE(preview.Shown());
    EXPECT_FALSE(preview.Step(99999));
}

TEST_F(DisplayModesTest, TheInactivePaneIsDimmed) {
    std::uint32_t pixels[] = {0xFFFFFFFFu, 0x00000000u, 0x80FF0C06u};
    DimPanePixels(pixels, 3);
    EXPECT_EQ(pixels[0], 0xFFD4D4D4u);  // 255 -> 212
    EXPECT_EQ(pixels[1], 0x00000000u);
    EXPECT_EQ(pixels[2], 0x80D40A05u);  // integer division, alpha kept
}

TEST_F(DisplayModesTest, SplitView) {
    TSplitView split;
    TPaneData live;
    live.ScrollX = 40;
    live.ScrollY = 300;
    live.Caret.Par = 3;
    split.Toggle(live);
    ASSERT_TRUE(split.Split);
    EXPECT_EQ(split.Pane.ScrollX, 0);  // the other pane starts at the left
    EXPECT_EQ(split.Pane.ScrollY, 300);

    split.SplitPos = 3000;
    split.SwapPanes();
    EXPECT_EQ(split.SplitPos, 7000);
    EXPECT_EQ(split.ActivePane(), 1);
    split.SwapPanes();
    EXPECT_EQ(split.SplitPos, 3000);
    EXPECT_EQ(split.ActivePane(), 0);

    TPaneData now;
    now.Caret.Par = 9;
    const TPaneData activated = split.SwitchPane(now);
    EXPECT_EQ(activated.Caret.Par, 3);
    EXPECT_EQ(split.Pane.Caret.Par, 9);
    EXPECT_EQ(split.ActivePane(), 1);

    split.Toggle(now);
    EXPECT_FALSE(split.Split);
}

TEST_F(DisplayModesTest, OccurrenceHighlightOnlyForWholeWordsUpTo1024) {
    const std::string word1024(1024, 'a');
    const std::string word1025(1025, 'a');
    Par("hello world");  // 0
    Par(word1024);       // 1
    Par(word1025);       // 2
    Par("... !!!");      // 3
    const auto at = [](std::int32_t par, std::int32_t start, std::int32_t end) {
        TFragment f;
        f.Start.Par = f.End.Par = par;
        f.Start.Offset = start;
        f.End.Offset = end;
        return f;
    };
    struct Case {
        const char* name;
        std::vector<TFragment> selection;
        bool allowed;
    };
    TFragment twoPars = at(0, 0, 5);
    twoPars.End.Par = 1;
    const Case cases[] = {
        {"a word", {at(0, 0, 5)}, true},
        {"two words", {at(0, 0, 11)}, true},
        {"part of a word", {at(0, 0, 4)}, false},
        {"a word of 1024", {at(1, 0, 1024)}, true},
        {"a word of 1025", {at(2, 0, 1025)}, false},
        {"two paragraphs", {twoPars}, false},
        {"two ranges", {at(0, 0, 5), at(0, 6, 11)}, false},
        {"nothing selected", {at(0, 3, 3)}, false},
        {"no letter or digit", {at(3, 0, 3)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFragment range;
        EXPECT_EQ(MatchHighlightRange(*Doc, c.selection, range), c.allowed);
    }
}

}  // namespace
