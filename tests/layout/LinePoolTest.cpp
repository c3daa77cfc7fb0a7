// The line pool and its memory trim.

#include <gtest/gtest.h>

#include <string>

#include "LineFixture.h"
#include "model/formats/DocumentUnit.h"

namespace {

using LinePoolTest = LineFixture;

TEST_F(LinePoolTest, TheDocumentPoolTrimEmptiesThePool) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "word ";
    TPar& par = Par(text);
    Layout(par, 2000);
    const std::int32_t lines = par.LineCount();
    ASSERT_GT(lines, 10);
    // Zoomed widths use the shared scratch positions, which the trim frees.
    Doc->Zoom = Doc->ZoomInForce = 150;
    const std::int32_t zoomedEnd = LineOf(par, 0).CharX(LineOf(par, 0).CharCount);
    par.RebuildLines(false, 2000);
    EXPECT_GE(PooledLineCount(), lines);

    ReleaseDocumentPools();
    EXPECT_EQ(PooledLineCount(), 0);
    EXPECT_LE(LinePoolCapacity(), 32);

    // Lines and zoomed positions come back as before.
    Doc->Zoom = Doc->ZoomInForce = 100;
    Layout(par, 2000);
    EXPECT_EQ(par.LineCount(), lines);
    Doc->Zoom = Doc->ZoomInForce = 150;
    EXPECT_EQ(LineOf(par, 0).CharX(LineOf(par, 0).CharCount), zoomedEnd);
    Doc->Zoom = Doc->ZoomInForce = 100;
    par.RebuildLines(false, 2000);
    EXPECT_GE(PooledLineCount(), lines);
}

}  // namespace
