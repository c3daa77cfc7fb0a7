// Floating shapes under deletion: shapes anchored in whole deleted
// paragraphs leave the stacking order, and the Delete key takes the
// selected shapes.

#include <gtest/gtest.h>

#include "EditDoc.h"
#include "base/core/ObjectHandles.h"
#include "editing/typing/TextDeletion.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

// A floating shape anchored at the start of paragraph par.
TShape* AnchorShape(TDoc& doc, std::int32_t par, std::int32_t zOrder) {
    auto* shape = new TShape(&doc);
    shape->SetZOrder(zOrder);
    shape->AnchorPar = doc.Par(par);
    doc.Shapes.Add(shape);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(shape));
    TPar& p = *doc.Par(par);
    TMemory control;
    AppendFormatControl(control, fcShapeAnchor, handle);
    p.Stream.InsertBuffer(control.Data, 0, control.Size);
    const std::uint8_t ch = ControlCharCode(fcShapeAnchor, handle);
    p.Chars.InsertBuffer(&ch, 0, 1);
    p.Changed();
    return shape;
}

bool Live(const TShape* shape) {
    return (shape->ShapeFlags & 4) == 0;
}

class ShapeDeletionTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST_F(ShapeDeletionTest, ShapesLeaveTheStackingOrderWithTheirParagraphs) {
    struct Case {
        const char* Name;
        TTextPos Start;
        TTextPos End;
        std::int32_t Flags;
        std::int32_t Selected;  // the shape selected, -1 none
        bool Live[3];
        std::int32_t ZOrders[3];  // of the shapes still live
        std::int32_t SelectedAfter;
    };
    const Case cases[] = {
        {"a whole paragraph takes its shape out", {1, 0}, {2, 0}, 0, -1, {true, false, true}, {0, 0, 1}, 0},
        {"two whole paragraphs", {0, 0}, {2, 0}, 0, -1, {false, false, true}, {0, 0, 0}, 0},
        {"text after the anchor leaves the shape", {1, 1}, {1, 3}, 0, -1, {true, true, true}, {0, 1, 2}, 0},
        {"the selected shape goes with the Delete key",
         {0, 2},
         {0, 2},
         dfSelectedShapes,
         2,
         {true, true, false},
         {0, 1, 0},
         0},
        {"the shapes above a selected one close up",
         {0, 2},
         {0, 2},
         dfSelectedShapes,
         1,
         {true, false, true},
         {0, 0, 1},
         0},
        {"kept objects keep the selection",
         {0, 2},
         {0, 2},
         dfSelectedShapes | dfKeepObjects,
         2,
         {true, true, true},
         {0, 1, 2},
         1},
        {"without the flag the selection stays", {0, 2}, {0, 3}, 0, 2, {true, true, true}, {0, 1, 2}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "def", "ghi"});
        TDoc& doc = ed.Doc();
        TShape* shapes[3];
        for (std::int32_t i = 0; i < 3; ++i)
            shapes[i] = AnchorShape(doc, i, i);
        if (c.Selected >= 0)
            doc.SelectedShapes.Add(shapes[c.Selected]);
        const std::string before = TestSupport::DocumentBytes(doc);
        doc.PerformOperation(TDeleteTextArgs{nullptr, c.Start, c.End, c.Flags});
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "") << ed.Text();
        for (std::int32_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Live(shapes[i]), c.Live[i]);
            if (c.Live[i])
                EXPECT_EQ(shapes[i]->ZOrder(), c.ZOrders[i]);
        }
        EXPECT_EQ(doc.SelectedShapes.Count, c.SelectedAfter);

        doc.Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        for (std::int32_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(Live(shapes[i]));
            EXPECT_EQ(shapes[i]->ZOrder(), i);
        }
        EXPECT_EQ(doc.SelectedShapes.Count, c.Selected >= 0 ? 1 : 0);
    }
}

}  // namespace
