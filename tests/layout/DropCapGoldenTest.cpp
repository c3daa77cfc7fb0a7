// Paragraphs that open with a drop cap, painted as whole pages and compared
// with golden images (PagePaintFixture): the letter spanning three lines
// and the lines beside it, dropped into the text and in the margin. A change
// to how drop caps are laid out or painted shows here. Regenerate with
// REZ_UPDATE_GOLDEN=1 and look at the images before committing.
#include <gtest/gtest.h>

#include <string>

#include "PagePaintFixture.h"

namespace {

const char* const Prose =
    "nce upon a time the river ran past the old mill, and the miller wrote every sack of grain into his book "
    "in a small, careful hand. The quick brown fox jumps over the lazy dog while the bells of the town ring "
    "out at noon, and the grocer packs his box with five dozen jugs.";

class DropCapGoldenTest : public PagePaintFixture {
protected:
    DropCapGoldenTest() : PagePaintFixture(12) {}
};

TEST_F(DropCapGoldenTest, ThreeLineDropCaps) {
    struct Case {
        const char* Name;
        std::uint8_t Position;
        const char* Golden;
    };
    // Layout places a drop cap in the margin as it places a dropped one so
    // far; the margin kind keeps an image of its own so that placing it in
    // the margin shows as a change.
    const Case cases[] = {
        {"dropped into the text", 1, "page-drop-cap"},
        {"in the margin", 2, "page-drop-cap-margin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        Plain("The paragraph before the one with the drop cap.");
        // A letter about as tall as three lines of the fixture's text.
        DropCapPar("O", 114, 0, Prose, c.Position, 3);
        Plain("The paragraph after it.");
        PaintFirstPage();
        ExpectGolden(c.Golden);
    }
}

}  // namespace
