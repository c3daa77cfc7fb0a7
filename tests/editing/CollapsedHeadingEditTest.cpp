// Collapsed headings follow the edits that change outline levels: a
// paragraph under a collapsed Heading 1 that becomes a Heading 1 itself ends
// the hidden block, by whichever operation it becomes one, and undoing the
// change hides it again.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "FormattingDoc.h"
#include "editing/formatting/BuiltInStyles.h"
#include "editing/formatting/Formatting.h"
#include "editing/services/EditingInstall.h"
#include "layout/view/CollapsedHeadings.h"
#include "model/formats/TParFormat.h"
#include "model/managers/TStyle.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

using Ranges = std::vector<std::pair<std::int32_t, std::int32_t>>;

Ranges HiddenBlocks(TDoc& doc) {
    CollapsedRangeCount(doc);
    return doc.CollapsedRanges;
}

TEST(CollapsedHeadingEditTest, NewHeadingUnderACollapsedOneEndsItsBlock) {
    InstallEditing();
    struct Case {
        const char* name;
        // Makes paragraph 2 a first-level heading.
        std::function<void(TFormattingDoc&, std::int32_t heading)> promote;
    };
    const Case cases[] = {
        {"the Heading 1 style applied",
         [](TFormattingDoc& f, std::int32_t heading) {
             f.PlaceCaret(2, 1);
             f.Doc().PerformOperation(TApplyStyleArgs{heading, 1});
         }},
        {"the heading level set",
         [](TFormattingDoc& f, std::int32_t) { f.InOperation([&] { SetHeadingLevel(f.Doc(), 2, 0); }); }},
        {"the outline level formatted",
         [](TFormattingDoc& f, std::int32_t) {
             TParFormat format = UnsetParFormat;
             format.OutlineLevel = 0;
             f.InOperation([&] { FormatParagraphsEx(f.Doc(), {TFragment{{2, 0}, {2, 0}}}, format); });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFormattingDoc f({"Chapter one", "body text", "Chapter two", "more body text", "the end"});
        TDoc& doc = f.Doc();
        const std::int32_t heading = f.AddStyle("Heading 1", 0, 1);
        f.Style(heading).ParFormat.OutlineLevel = 0;
        f.SetParStyle(0, heading);
        doc.Par(0)->Format.OutlineLevel = 0;
        ASSERT_TRUE(ToggleCollapsed(doc, 0));
        EXPECT_EQ(HiddenBlocks(doc), (Ranges{{1, 4}}));

        c.promote(f, heading);
        EXPECT_EQ(Value(doc.Par(2)->Format.OutlineLevel), 0);
        EXPECT_EQ(HiddenBlocks(doc), (Ranges{{1, 1}}));

        // Undo runs no editing worker: the model's own mark tells.
        doc.Undo(true);
        EXPECT_EQ(HiddenBlocks(doc), (Ranges{{1, 4}}));
    }
}

}  // namespace
