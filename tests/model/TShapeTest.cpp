#include "model/formats/TShape.h"

#include <gtest/gtest.h>

#include <string>

#include "model/formats/DocumentUnit.h"

namespace {

// A letter page with a wider left margin, one column; the anchor's box
// starts at the margins and its line 500 twips down.
TShapeFrame LetterPage(std::int32_t pageNumber = 1) {
    TShapeFrame f;
    f.PageWidth = 12240;
    f.PageHeight = 15840;
    f.MarginLeft = 1800;
    f.MarginRight = 1440;
    f.BodyTop = 1440;
    f.BodyBottom = 1080;
    f.TopMargin = 1440;
    f.BottomMargin = 1000;
    f.PageNumber = pageNumber;
    f.TextWidth = 9000;
    f.ParLeftIndent = 720;
    f.ParRightIndent = 360;
    f.BoxLeft = 1800;
    f.BoxTop = 1440;
    f.InsetLeft = 100;
    f.InsetTop = 50;
    f.ColumnTop = 4000;
    f.AnchorLineTop = 500;
    return f;
}

TEST(ShapeTest, PlaceRectFollowsKindAndReference) {
    struct Case {
        const char* What;
        std::int32_t PosH, RelH, PosV, RelV;
        std::int32_t Page;
        TRect Anchor;  // offsets from the anchor
        std::int32_t LineY;
        std::int32_t Left, Top;
    };
    const std::int32_t none = ShapePropNone;
    const Case cases[] = {
        {"centred on the page", 2, 1, 2, 1, 1, {0, 0, 3000, 2000}, none, 4620, 6920},
        {"odd width: the half rounds toward zero", 2, 1, 1, 1, 1, {0, 0, 3001, 2000}, none, 4619, 0},
        {"centred in the left margin area: negative half", 2, 4, 1, 4, 1, {0, 0, 3001, 100}, none, -600, 0},
        {"inside on an odd page is the left margin area", 1, 6, 1, 6, 1, {0, 0, 1000, 100}, none, 0, 0},
        {"inside on an even page is the right margin area", 1, 6, 1, 6, 2, {0, 0, 1000, 100}, none, 10800, 14840},
        {"outside on an odd page is the right margin area", 1, 7, 0, 7, 3, {0, 200, 1000, 300}, none, 10800, 15040},
        {"outside on an even page is the left margin area", 3, 7, 0, 7, 4, {0, 200, 1000, 300}, none, 800, 200},
        {"offset from the margins", 0, 0, 0, 0, 1, {500, 200, 1500, 400}, none, 2300, 1640},
        {"offset from the right margin area", 0, 5, 0, 5, 1, {40, 30, 140, 130}, none, 10840, 14870},
        {"left of the margin: outside it", 1, 1, 1, 0, 1, {0, 0, 1000, 100}, none, 800, 1440},
        {"right in the margins", 3, 0, 3, 0, 1, {0, 0, 3000, 2000}, none, 7800, 12760},
        {"right of the page: outside the margin", 3, 1, 3, 1, 1, {0, 0, 3000, 2000}, none, 10800, 13840},
        {"centred between the margins", 2, 0, 2, 0, 1, {0, 0, 3000, 2000}, none, 4800, 7100},
        {"centred in the bottom margin area", 1, 5, 2, 5, 1, {0, 0, 1000, 600}, none, 10800, 15040},
        {"centred in the top margin area", 3, 4, 3, 4, 1, {0, 0, 1000, 600}, none, 800, 840},
        {"centred in the column, offset from the line", 2, 2, 0, 2, 1, {0, 100, 3000, 200}, 700, 4900, 2290},
        {"left in the column takes the indent", 1, 2, 1, 2, 1, {0, 100, 3000, 200}, 700, 2620, 2290},
        {"right at the character, less the indent", 3, 3, 3, 3, 1, {0, 0, 3000, 200}, 700, 7540, 1990},
        {"no line y: the anchor line's top", 0, 3, 0, 3, 1, {10, 20, 30, 40}, none, 1910, 2010},
        {"centred on the paragraph", 0, 2, 2, 2, 1, {0, 0, 10, 600}, 0, 1900, 5190},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TShape shape(nullptr);
        shape.Props.SetProp(spPosH, c.PosH);
        shape.Props.SetProp(spPosRelH, c.RelH);
        shape.Props.SetProp(spPosV, c.PosV);
        shape.Props.SetProp(spPosRelV, c.RelV);
        const TRect r = shape.PlaceRect(c.Anchor, LetterPage(c.Page), c.LineY);
        EXPECT_EQ(r.Left, c.Left);
        EXPECT_EQ(r.Top, c.Top);
        EXPECT_EQ(r.Width(), c.Anchor.Width());
        EXPECT_EQ(r.Height(), c.Anchor.Height());
    }
}

TEST(ShapeTest, PlacementInDraftTablesAndOnAPageBox) {
    // A table anchor places against its cell whatever the references say.
    TShape shape(nullptr);
    shape.Props.SetProp(spPosH, posCentre);
    shape.Props.SetProp(spPosRelH, prefPage);
    shape.Props.SetProp(spPosV, posAbsolute);
    shape.Props.SetProp(spPosRelV, prefPage);
    TShapeFrame f = LetterPage();
    f.InTable = true;
    EXPECT_EQ(shape.PlaceRect({0, 10, 3000, 110}, f, 0), (TRect{4900, 1500, 7900, 1600}));

    // Draft views snap a shape placed by offset to the nearer column edge
    // and put it at the top of its line; the choice is remembered.
    TShape moved(nullptr);
    moved.Props.WrapKind = swSquare;
    f = LetterPage();
    f.Draft = true;
    EXPECT_EQ(moved.PlaceRect({5500, 300, 8500, 400}, f, 0), (TRect{7900, 1490, 10900, 1590}));
    EXPECT_EQ(moved.DraftAlign, posTrailing);
    // Centring is offered only to top-and-bottom shapes.
    moved.Props.WrapKind = swTopAndBottom;
    EXPECT_EQ(moved.PlaceRect({3100, 300, 6100, 400}, f, 0).Left, 1900 + 3000);
    EXPECT_EQ(moved.DraftAlign, posCentre);

    // On a page box the margin reference is the page for centred shapes and
    // the top margin area for the others.
    TShape onPage(nullptr);
    onPage.Props.SetProp(spPosV, posCentre);
    onPage.Props.SetProp(spPosRelV, prefMargin);
    f = LetterPage();
    f.OnPageBox = true;
    EXPECT_EQ(onPage.PlaceRect({0, 0, 10, 840}, f, 0).Top, 7500);
    onPage.Props.SetProp(spPosV, posAbsolute);
    EXPECT_EQ(onPage.PlaceRect({0, 30, 10, 130}, f, 0).Top, 30);
}

TEST(ShapeTest, OffsetsFromAFileCannotOverflowThePlacement) {
    // The sums of page sizes and offsets stay in range (the sanitizer
    // build would report an overflow); the shape lands far off the page.
    TShape shape(nullptr);
    shape.Props.SetProp(spPosRelH, prefTrailingMargin);
    shape.Props.SetProp(spPosRelV, prefTrailingMargin);
    const TRect r = shape.PlaceRect({INT32_MAX - 10, INT32_MAX - 5, INT32_MAX, INT32_MAX}, LetterPage(), 0);
    EXPECT_GT(r.Left, 12240);
    EXPECT_GT(r.Top, 15840);
    TRect offsets;
    shape.RectToOffsets({INT32_MIN, INT32_MIN, INT32_MIN + 5, INT32_MIN + 5}, LetterPage(), offsets, 0);
    EXPECT_LT(offsets.Left, 0);
    EXPECT_LT(offsets.Top, 0);
}

TEST(ShapeTest, RectToOffsetsUndoesPlaceRect) {
    struct Case {
        std::int32_t RelH, RelV;
        std::int32_t Page;
        std::int32_t StoredH, StoredV;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 0}, {1, 1, 2, 1, 1}, {5, 5, 1, 5, 5},
        {2, 2, 1, 2, 2}, {3, 3, 1, 2, 2},  // character and line become column and paragraph
        {6, 7, 2, 6, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.RelH) + "/" + std::to_string(c.RelV));
        TShape shape(nullptr);
        shape.Props.SetProp(spPosRelH, c.RelH);
        shape.Props.SetProp(spPosRelV, c.RelV);
        const TRect anchor{250, -80, 1250, 920};
        const TShapeFrame f = LetterPage(c.Page);
        const TRect placed = shape.PlaceRect(anchor, f, 600);
        TRect offsets;
        const std::int32_t line = shape.RectToOffsets(placed, f, offsets, 600);
        EXPECT_EQ(offsets, anchor);
        EXPECT_EQ(line, c.StoredV == prefText ? 600 : 0);
        EXPECT_EQ(shape.Props.GetProp(spPosRelH), c.StoredH);
        EXPECT_EQ(shape.Props.GetProp(spPosRelV), c.StoredV);
    }
}

TEST(ShapeTest, NativeSizeIsCapped) {
    struct Case {
        std::int32_t Pixels;
        std::int32_t Shown;
    };
    const Case cases[] = {{100, 100}, {3999, 3999}, {4000, 4000}, {5000, 4000}, {100000, 4000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pixels);
        TShape shape(nullptr);
        shape.Props.NaturalWidth = c.Pixels * 15;
        shape.Props.NaturalHeight = 15;
        EXPECT_EQ(shape.GetNativeSize().X, c.Shown);
        EXPECT_EQ(shape.GetNativeSize().Y, 1);
    }
}

TEST(ShapeTest, WrapExclusionByKindAndSide) {
    struct Case {
        const char* What;
        std::int32_t Kind, Side;
        bool Draft;
        TRect Expected;
    };
    // The shape at 2000..4000 in a box 0..9000; distances 100 twips left,
    // 200 right, 30 above, 40 below.
    const Case cases[] = {
        {"square, both sides", swSquare, wsBoth, false, {1900, 970, 4200, 2040}},
        {"tight grows sideways only", swTight, wsBoth, false, {1900, 1000, 4200, 2000}},
        {"through grows sideways only", swThrough, wsBoth, false, {1900, 1000, 4200, 2000}},
        {"top and bottom spans the box", swTopAndBottom, wsBoth, false, {0, 970, 9000, 2040}},
        {"none stays", swNone, wsBoth, false, {2000, 1000, 4000, 2000}},
        {"text on the left only", swSquare, wsLeftOnly, false, {1900, 970, 9000, 2040}},
        {"text on the right only", swTight, wsRightOnly, false, {0, 1000, 4200, 2000}},
        {"larger side: the left is smaller", swSquare, wsLargest, false, {0, 970, 4200, 2040}},
        {"draft shows tight as square", swTight, wsBoth, true, {1900, 970, 4200, 2040}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TShape shape(nullptr);
        shape.Props.WrapKind = c.Kind;
        shape.Props.WrapSide = c.Side;
        shape.Props.SetProp(spWrapDistLeft, 100 * EmuPerTwip);
        shape.Props.SetProp(spWrapDistRight, 200 * EmuPerTwip);
        shape.Props.SetProp(spWrapDistTop, 30 * EmuPerTwip);
        shape.Props.SetProp(spWrapDistBottom, 40 * EmuPerTwip);
        TRect r{2000, 1000, 4000, 2000};
        shape.WrapExclusion(r, {0, 0, 9000, 20000}, c.Draft);
        EXPECT_EQ(r, c.Expected);
    }
}

bool Covers(const std::vector<TRect>& cells, std::int32_t x, std::int32_t y) {
    for (const TRect& r : cells)
        if (r.Contains(x, y))
            return true;
    return false;
}

// A C turned to open upward (a cup): the opening lies between two arms in
// the same lines of text.
TShape* Cup(TShape& shape, std::int32_t kind) {
    shape.Props.WrapKind = kind;
    shape.Props.WrapPolygon = {{0, 0},     {7200, 0},  {7200, 14400},  {14400, 14400},
                               {14400, 0}, {21600, 0}, {21600, 21600}, {0, 21600}};
    shape.Rect = {1000, 1000, 1000 + 2400, 1000 + 2400};  // 300 cells each way
    return &shape;
}

TEST(ShapeTest, TightWrapClosesTheOpeningThroughWrapLeavesIt) {
    TShape tight(nullptr), through(nullptr);
    const auto& closed = Cup(tight, swTight)->WrapRegion(false);
    const auto& open = Cup(through, swThrough)->WrapRegion(false);
    ASSERT_FALSE(closed.empty());
    ASSERT_FALSE(open.empty());
    // In the opening (cells 100..200 across, 0..200 down).
    EXPECT_TRUE(Covers(closed, 150, 50));
    EXPECT_FALSE(Covers(open, 150, 50));
    EXPECT_FALSE(Covers(open, 150, 199));
    // Both hold the arms and the base, and nothing outside the shape.
    for (const auto* cells : {&closed, &open}) {
        EXPECT_TRUE(Covers(*cells, 50, 50));
        EXPECT_TRUE(Covers(*cells, 250, 50));
        EXPECT_TRUE(Covers(*cells, 150, 250));
        EXPECT_FALSE(Covers(*cells, 300, 50));
        EXPECT_FALSE(Covers(*cells, 150, 300));
        EXPECT_FALSE(Covers(*cells, -1, 50));
    }
    // The arms are one rectangle each in through wrapping, not a row each;
    // in tight wrapping the filled band has the base's edges and joins it.
    EXPECT_EQ(open.size(), 3u);
    EXPECT_EQ(closed.size(), 1u);  // arms and base close into one block

    // Square wrapping has no region, and the cache holds until cleared.
    TShape square(nullptr);
    Cup(square, swSquare);
    EXPECT_TRUE(square.WrapRegion(false).empty());
    square.Props.WrapKind = swThrough;
    EXPECT_TRUE(square.WrapRegion(false).empty());
    square.ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
    EXPECT_EQ(square.WrapRegion(false).size(), 3u);
    EXPECT_TRUE(square.WrapRegion(true).size() == 3u);  // cached: draft is not looked at
}

TEST(ShapeTest, AHostilePolygonGivesABoundedRegion) {
    // A comb of the most vertices a shape keeps, on a shape far larger than
    // any page: the region stays within its row bound.
    TShape shape(nullptr);
    shape.Props.WrapKind = swThrough;
    for (std::size_t i = 0; i + 1 < MaxWrapPolygonPoints; i += 2) {
        const auto x = static_cast<std::int32_t>(i * 21600 / MaxWrapPolygonPoints);
        shape.Props.WrapPolygon.push_back({x, i % 4 == 0 ? 0 : 21600});
        shape.Props.WrapPolygon.push_back({x + 5, i % 4 == 0 ? 21600 : 0});
    }
    shape.Rect = {0, 0, INT32_MAX / 2, INT32_MAX / 2};
    const auto& cells = shape.WrapRegion(false);
    EXPECT_FALSE(cells.empty());
    EXPECT_LE(cells.size(), 16384u + static_cast<std::size_t>(MaxWrapRegionCells));
    for (const TRect& r : cells) {
        EXPECT_GE(r.Top, 0);
        EXPECT_LE(r.Bottom, MaxWrapRegionCells);
    }
}

TEST(ShapeTest, BoundsTakeInThePolygon) {
    TShape shape(nullptr);
    shape.Rect = {100, 200, 2260, 2360};
    shape.Props.WrapPolygon = {{-2160, 0}, {21600, 0}, {21600, 32400}, {0, 21600}};
    EXPECT_EQ(shape.BoundsWithPolygon(), (TRect{-116, 200, 2260, 3440}));
}

TEST(ShapeTest, HorizontalLinesAreKnownByTheirProperties) {
    struct Case {
        std::int32_t Id, Value;
        bool Line;
    };
    const Case cases[] = {{spPctHR, 100, true},   {spHeightHR, 30, true},  {spWidthHR, 1440, true},
                          {spHorizRule, 1, true}, {spHorizRule, 0, false}, {spAlignHR, 1, false},
                          {spFillColor, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Id);
        TShape shape(nullptr);
        shape.Props.SetProp(c.Id, c.Value);
        EXPECT_EQ(shape.IsHorizontalLine(), c.Line);
    }
}

TEST(ShapeTest, HandlesDependOnTheShapeSize) {
    struct Case {
        const char* What;
        TRect Rect;
        bool Dragging;
        std::vector<std::int32_t> Indexes;
    };
    const Case cases[] = {
        {"large", {0, 0, 100, 100}, false, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"narrow: no top and bottom middles", {0, 0, 17, 100}, false, {0, 2, 3, 4, 6, 7}},
        {"flat: no side middles", {0, 0, 100, 17}, false, {0, 1, 2, 4, 5, 6}},
        {"exactly three handles wide", {0, 0, 18, 18}, false, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"being dragged", {0, 0, 100, 100}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const auto handles = TShape::GetHandles(c.Rect, 6, c.Dragging);
        std::vector<std::int32_t> indexes;
        for (const auto& h : handles) {
            indexes.push_back(h.Index);
            EXPECT_EQ(h.Rect.Width(), 6);
            EXPECT_EQ(h.Rect.Height(), 6);
        }
        EXPECT_EQ(indexes, c.Indexes);
    }
    const auto handles = TShape::GetHandles({10, 20, 110, 220}, 6, false);
    EXPECT_EQ(handles[4].Rect, (TRect{107, 217, 113, 223}));  // centred on the corner
}

TEST(ShapeTest, CornerResizeKeepsALockedAspect) {
    TShape shape(nullptr);
    shape.Rect = {0, 0, 2000, 1000};
    EXPECT_EQ(shape.ResizeByHandle(4, {3000, 1200}), (TRect{0, 0, 3000, 1200}));
    shape.Props.SetProp(spLockAspectRatio, 1);
    EXPECT_EQ(shape.ResizeByHandle(4, {3000, 1200}), (TRect{0, 0, 3000, 1500}));
    EXPECT_EQ(shape.ResizeByHandle(0, {1000, 900}), (TRect{1000, 500, 2000, 1000}));
    // Edge handles change one side only.
    EXPECT_EQ(shape.ResizeByHandle(3, {2500, 0}), (TRect{0, 0, 2500, 1000}));
    // A handle dragged past the opposite edge leaves a shape of one twip.
    EXPECT_EQ(shape.ResizeByHandle(5, {0, -50}), (TRect{0, 0, 2000, 1}));
}

TEST(ShapeTest, AnchoringChangesBothWays) {
    TShape shape(nullptr);
    shape.Props.NaturalWidth = 1500;
    shape.Props.NaturalHeight = 750;
    shape.Props.ScaleX = 200;
    shape.Props.ScaleY = 100;
    shape.Props.SetProp(spLockAspectRatio, 1);
    shape.Props.SetProp(spFillColor, 0);
    shape.ChangeAnchoring(true, {300, 2000, 1});
    EXPECT_TRUE(shape.IsFloating());
    EXPECT_EQ(shape.Props.PosRect, (TRect{300, 1250, 3300, 2000}));
    EXPECT_EQ(shape.Props.GetProp(spPosH), posCentre);
    EXPECT_EQ(shape.Props.GetProp(spPosRelH), prefText);
    EXPECT_EQ(shape.Props.GetProp(spPosRelV), prefText);
    EXPECT_TRUE(shape.Props.HasProp(spLayoutInCell));

    shape.Picture.Kind = pkPng;
    shape.Picture.PixelWidth = 200;
    shape.Picture.PixelHeight = 50;
    shape.Props.SetProp(5, 1);  // unnamed: kept
    shape.ChangeAnchoring(false);
    EXPECT_FALSE(shape.IsFloating());
    EXPECT_EQ(shape.Props.Pairs, (std::vector<TShapeProp>{{5, 1}, {spLockAspectRatio, 1}}));
    EXPECT_EQ(shape.Props.NaturalWidth, 3000);
    EXPECT_EQ(shape.Props.NaturalHeight, 750);
    EXPECT_EQ(shape.Props.ScaleX, 100);
    EXPECT_EQ(shape.Props.ScaleY, 100);
    EXPECT_FALSE(shape.Props.HasPosRect());
}

TEST(ShapeTest, ShapesBehindTextStackBelowTheOthers) {
    TShape a(nullptr), b(nullptr);
    a.SetZOrder(5);
    b.SetZOrder(1);
    EXPECT_GT(CompareShapesZOrder(&a, &b), 0);
    a.SetBehindText(true);
    EXPECT_LT(CompareShapesZOrder(&a, &b), 0);
    a.SetBehindText(false);
    EXPECT_FALSE(a.Props.HasProp(spBehindDocument));
}

}  // namespace
