// Floating shapes on pages: their place, the text wrapped around them in
// each wrap mode, the re-flow of a page they reach above their anchor, and
// their layers painted behind and in front of the text (golden images;
// regenerate with REZ_UPDATE_GOLDEN=1 and look at them before committing).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "PagePaintFixture.h"
#include "base/core/ObjectHandles.h"
#include "base/core/TMemoryStream.h"
#include "base/pictures/TPNGImage.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/FloatingShapes.h"
#include "model/document/StateFlags.h"
#include "model/formats/FormatStream.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/undo/OperationArgs.h"

namespace {

const char* const Prose =
    "The quick brown fox jumps over the lazy dog while the river runs past the old mill. "
    "Pack my box with five dozen liquor jugs, said the grocer, and write the bill in ink. "
    "Sphinx of black quartz, judge my vow: every line here wraps at the margin of its column. "
    "How vexingly quick daft zebras jump when the bells of the town ring out at noon. "
    "The five boxing wizards jump quickly over the hedge behind the barn at dawn.";

// A solid picture of one colour, w by h pixels; with triangle, a triangle
// pointing down on white (its top edge the picture's, its apex the bottom
// middle).
std::string SolidPng(std::int32_t w, std::int32_t h, std::uint32_t rgb, bool triangle = false) {
    TPNGImage png;
    png.SetPixelFormat(pf24bit);
    png.SetSize(w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = png.ScanLine(y);
        const std::int32_t inset = triangle ? y * w / (2 * h) : 0;
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t c = x >= inset && x < w - inset ? rgb : 0xFFFFFF;
            row[3 * x] = static_cast<std::uint8_t>(c);
            row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    }
    TMemoryStream stream;
    png.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

// Where a line's text stands on its page, in twips.
struct TLineSpan {
    std::int32_t Left, Top, Right, Bottom;
};

TLineSpan SpanOf(const TLine& line) {
    const TPar& par = *line.Par;
    std::int32_t k = line.CharCount;
    while (k > 0 &&
           (par.Chars.Data[line.FirstChar + k - 1] == ' ' || par.Chars.Data[line.FirstChar + k - 1] == chParEnd ||
            par.Chars.Data[line.FirstChar + k - 1] == chShapeAnchor))
        --k;
    std::int32_t first = 0;
    while (first < k && par.Chars.Data[line.FirstChar + first] == chShapeAnchor)
        ++first;
    const Platform::TPoint origin = line.Box->ToPageCoords({0, 0});
    const std::int32_t x = origin.X + line.Box->Insets.Left;
    const std::int32_t y = origin.Y + line.Box->Insets.Top + line.Top;
    return {x + Px16ToTwips(line.Pos(first)), y, x + Px16ToTwips(line.Pos(k)), y + line.Height};
}

bool Meets(const TLineSpan& s, const TRect& r) {
    return s.Left < s.Right && s.Left < r.Right && s.Right > r.Left && s.Top < r.Bottom && s.Bottom > r.Top;
}

class FloatingShapesTest : public PagePaintFixture {
protected:
    FloatingShapesTest() : PagePaintFixture(14) {}

    // A floating picture placed against the margins (left and top in twips
    // from the text's top-left corner), w by h twips.
    TShape* NewShape(std::int32_t wrap,
                     std::int32_t left,
                     std::int32_t top,
                     std::int32_t w,
                     std::int32_t h,
                     std::uint32_t rgb = 0x3060C0) {
        auto* shape = new TShape(Doc.get());
        Doc->Shapes.Add(shape);
        shape->Props.WrapKind = wrap;
        shape->Props.SetProp(spPosH, posAbsolute);
        shape->Props.SetProp(spPosRelH, prefMargin);
        shape->Props.SetProp(spPosV, posAbsolute);
        shape->Props.SetProp(spPosRelV, prefMargin);
        shape->Props.PosRect = {left, top, left + w, top + h};
        shape->Picture.Kind = pkPng;
        shape->Picture.Data = SolidPng(w / 15, h / 15, rgb);
        shape->Picture.GoalWidth = w;
        shape->Picture.GoalHeight = h;
        return shape;
    }
    // A paragraph of text whose first character anchors the shape.
    TPar& Anchored(TShape* shape, std::string_view text) {
        TPar& par = Plain("");
        par.FreeLines();
        par.Stream.Clear();
        par.Chars.Clear();
        AppendAttr(par, caFont, Times());
        AppendAttr(par, caSize, 24);
        AppendAttr(par, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
        par.Chars.AppendByte(chShapeAnchor);
        AppendText(par, text);
        CloseParagraph(par);
        par.Flags |= pfShapes;
        shape->AnchorPar = &par;
        shape->AnchorOffset = 0;
        return par;
    }
    // A header or footer paragraph in slot of section 0 whose first
    // character anchors the shape, followed by text.
    void AnchoredHeaderFooter(int slot, TShape* shape, std::string_view text) {
        TField* field = AddHeaderFooter(slot, "");
        TPar& par = *Doc->Par(Doc->LastParOfStory(stHeadersFooters));
        par.FreeLines();
        par.Stream.Clear();
        par.Chars.Clear();
        AppendAttr(par, caFont, Times());
        AppendAttr(par, caSize, 24);
        AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
        AppendAttr(par, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
        par.Chars.AppendByte(chShapeAnchor);
        AppendText(par, text);
        AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
        CloseParagraph(par);
        par.Flags |= pfShapes;
        shape->Story = stHeadersFooters;
        shape->AnchorPar = &par;
        shape->AnchorOffset = 0;
    }
    // The main-text lines placed on page index p.
    std::vector<const TLine*> PlacedLines(std::int32_t p) {
        std::vector<const TLine*> lines;
        for (std::int32_t i = 0; i < Doc->StoryCounts[stMain]; ++i) {
            const TPar& par = *Doc->Par(i);
            for (std::int32_t k = 0; k < par.LineCount(); ++k)
                if (par.Lines->At<TLine>(k)->Box != nullptr && par.Lines->At<TLine>(k)->Box->Page() == &PageAt(p))
                    lines.push_back(par.Lines->At<TLine>(k));
        }
        return lines;
    }
    // The lines placed on the first page.
    std::vector<const TLine*> PlacedLines() {
        std::vector<const TLine*> lines;
        for (std::int32_t p = 0; p < Doc->StoryCounts[stMain]; ++p) {
            const TPar& par = *Doc->Par(p);
            for (std::int32_t i = 0; i < par.LineCount(); ++i)
                if (par.Lines->At<TLine>(i)->Box != nullptr && par.Lines->At<TLine>(i)->Box->Page() == &PageAt(0))
                    lines.push_back(par.Lines->At<TLine>(i));
        }
        return lines;
    }
};

// The text's top-left corner on the first page, in twips.
constexpr std::int32_t TextLeft = 1440;

// A U-shaped polygon: two arms a third of the width each, open at the top
// for two thirds of the height. Through wrapping lets text between the arms;
// tight wrapping closes the gap.
std::vector<TPoint> UPolygon() {
    const std::int32_t u = WrapPolygonUnit;
    return {{0, 0}, {u / 3, 0}, {u / 3, 2 * u / 3}, {2 * u / 3, 2 * u / 3}, {2 * u / 3, 0}, {u, 0}, {u, u}, {0, u}};
}

TEST_F(FloatingShapesTest, TextAvoidsTheShapeByWrapMode) {
    struct Case {
        const char* name;
        std::int32_t wrap;
        bool behind;
        bool polygon;
        bool beside;   // some line shares a row with the shape, beside it
        bool open;     // some line runs into the polygon's open top
        bool crosses;  // some line runs over the shape's closed part
    };
    const Case cases[] = {
        {"square", swSquare, false, false, true, false, false},
        {"top and bottom", swTopAndBottom, false, false, false, false, false},
        {"tight around a U", swTight, false, true, true, false, false},
        {"through a U", swThrough, false, true, true, true, false},
        {"in front of the text", swNone, false, false, false, true, true},
        {"behind the text", swSquare, true, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        // The shape stands in the middle of the column, below the first
        // lines, so that text could run on both of its sides.
        TShape* shape = NewShape(c.wrap, 2400, 600, 4320, 2400);
        shape->SetBehindText(c.behind);
        if (c.polygon)
            for (const TPoint p : UPolygon())
                shape->Props.AddWrapPolygonPoint(p);
        Anchored(shape, Prose);
        Plain(Prose);
        Plain(Prose);
        Doc->UpdatePageMetrics();
        PaginateAll();
        ASSERT_GE(Doc->Pages.Count, 1);
        TPage& page = PageAt(0);
        ASSERT_EQ(page.PlacedShapes.Count, 1);
        EXPECT_EQ(page.PlacedShapes.At<TShape>(0), shape);
        const TRect r = shape->Rect;
        EXPECT_EQ(r.Left, TextLeft + 2400);
        EXPECT_EQ(r.Width(), 4320);
        EXPECT_EQ(r.Height(), 2400);
        const TRect open{r.Left + r.Width() / 3, r.Top, r.Right - r.Width() / 3, r.Top + 2 * r.Height() / 3 - 100};
        bool beside = false, inOpen = false, crosses = false, below = false;
        for (const TLine* line : PlacedLines()) {
            const TLineSpan s = SpanOf(*line);
            const bool rowMeets = s.Top < r.Bottom && s.Bottom > r.Top;
            if (rowMeets && s.Left < s.Right && (s.Right <= r.Left || s.Left >= r.Right))
                beside = true;
            if (Meets(s, open))
                inOpen = true;
            if (Meets(s, r) && !(s.Left >= open.Left && s.Right <= open.Right && s.Bottom <= open.Bottom))
                crosses = true;
            if (s.Top >= r.Bottom)
                below = true;
        }
        if (c.wrap != swNone && !c.behind) {
            EXPECT_EQ(beside, c.beside);
        }
        EXPECT_EQ(inOpen, c.open);
        EXPECT_EQ(crosses, c.crosses);
        EXPECT_TRUE(below);
    }
}

// A shape whose anchor is in the page's second paragraph but which stands at
// the top of the page: the first paragraph was placed before the shape was
// known, so the page is flowed again and its lines wrap around it too.
TEST_F(FloatingShapesTest, AShapeAboveItsAnchorReflowsThePage) {
    TPar& first = Plain(Prose);
    TShape* shape = NewShape(swSquare, 0, 0, 2880, 1440);
    Anchored(shape, Prose);
    Doc->UpdatePageMetrics();
    PaginateAll();
    ASSERT_EQ(PageAt(0).PlacedShapes.Count, 1);
    const TRect r = shape->Rect;
    EXPECT_EQ(r.Left, TextLeft);
    EXPECT_EQ(r.Top, 720);
    bool firstBeside = false;
    for (const TLine* line : PlacedLines()) {
        const TLineSpan s = SpanOf(*line);
        EXPECT_FALSE(Meets(s, r)) << "a line at " << s.Top << " runs over the shape";
        if (line->Par == &first && s.Top < r.Bottom && s.Left >= r.Right)
            firstBeside = true;
    }
    EXPECT_TRUE(firstBeside);
    // Paginating again from the start gives the same pages.
    const std::string once = Layout();
    Doc->DiscardPages(0);
    PaginateAll();
    EXPECT_EQ(Layout(), once);
}

// A shape that leaves its page (its anchor moves on) leaves the page's list;
// each page lists only the shapes whose anchors it holds.
TEST_F(FloatingShapesTest, EachPageListsTheShapesItAnchors) {
    std::vector<TShape*> shapes;
    for (int i = 0; i < 6; ++i) {
        shapes.push_back(NewShape(swSquare, 0, 0, 1440, 1440));
        Anchored(shapes.back(), Prose);
    }
    Doc->UpdatePageMetrics();
    PaginateAll();
    ASSERT_GT(Doc->Pages.Count, 1);
    for (std::int32_t p = 0; p < Doc->Pages.Count; ++p) {
        TPage& page = PageAt(p);
        for (std::int32_t i = 0; i < page.PlacedShapes.Count; ++i) {
            const TShape* shape = page.PlacedShapes.At<TShape>(i);
            EXPECT_EQ(PageOfLine(*shape->AnchorPar, 0), p);
        }
    }
}

// Only a live floating shape makes the document one whose pages are flowed
// around shapes: inline pictures stand in their lines, and a shape whose
// anchor an undo step holds is on no page.
TEST_F(FloatingShapesTest, OnlyLiveFloatingShapesWrapText) {
    struct Case {
        const char* name;
        std::int32_t wrap;  // -1: no shape at all
        bool deleted;
        bool wraps;
    };
    const Case cases[] = {
        {"no shapes", -1, false, false},
        {"an inline picture", swInline, false, false},
        {"a square shape", swSquare, false, true},
        {"a shape in front of the text", swNone, false, true},
        {"a shape held by an undo step", swSquare, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        TShape* shape = c.wrap >= 0 ? NewShape(c.wrap, 0, 0, 2880, 1440) : nullptr;
        // A deleted shape's anchor has left the text with the step that
        // holds it.
        if (shape != nullptr && c.deleted)
            shape->ShapeFlags |= sfShapeDeleted;
        if (shape != nullptr && !c.deleted)
            Anchored(shape, Prose);
        else
            Plain(Prose);
        Plain(Prose);
        EXPECT_EQ(Doc->HasWrappingShapes(), c.wraps);
        Doc->UpdatePageMetrics();
        PaginateAll();
        ASSERT_GE(Doc->Pages.Count, 1);
        EXPECT_EQ(PageAt(0).PlacedShapes.Count, c.wraps ? 1 : 0);
        EXPECT_EQ(PageAt(0).StateDepth(), 0);
    }
}

// A shape anchored in a header or footer stands on every page that shows
// that header or footer, in that page's place, and the body text of each
// such page wraps around it.
TEST_F(FloatingShapesTest, HeaderAndFooterShapesStandOnEveryPageThatShowsThem) {
    struct Case {
        const char* name;
        int slot;
        bool titlePage;    // the first page has a header and footer of its own (none)
        std::int32_t top;  // from the text's top (header) or above the footer's line
        std::int32_t posRelV;
        bool mirrored;  // margins of 2000 and 800 twips, swapped on pages of odd index
    };
    const Case cases[] = {
        {"header shape at the top of the text", hfOddHeader, false, 0, prefMargin, false},
        {"footer shape above the footer", hfOddFooter, false, -1800, prefText, false},
        {"none on a title page without a header", hfOddHeader, true, 0, prefMargin, false},
        {"each page its own place by its margins", hfOddHeader, false, 0, prefMargin, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        TPageSetup& setup = Section().PageSetup;
        setup.DifferentFirstPage = c.titlePage ? 1 : 0;
        if (c.mirrored) {
            setup.LeftMargin = 2000;
            setup.RightMargin = 800;
            setup.MirrorMargins = 1;
            ValidatePageSetup(setup);
        }
        TShape* shape = NewShape(swSquare, 0, c.top, 2880, 1440);
        shape->Props.SetProp(spPosRelV, c.posRelV);
        AnchoredHeaderFooter(c.slot, shape, "Running text");
        for (int i = 0; i < 8; ++i)
            Plain(Prose);
        Doc->UpdatePageMetrics();
        PaginateAll();
        ASSERT_GE(Doc->Pages.Count, 3);
        TRect first{};
        for (std::int32_t p = 0; p < Doc->Pages.Count; ++p) {
            SCOPED_TRACE(p);
            TPage& page = PageAt(p);
            if (c.titlePage && p == 0) {
                EXPECT_EQ(page.PlacedShapes.Count, 0);
                EXPECT_TRUE(page.HeaderFooterShapes.empty());
                continue;
            }
            ASSERT_EQ(page.PlacedShapes.Count, 1);
            EXPECT_EQ(page.PlacedShapes.At<TShape>(0), shape);
            const TRect r = PlacedRect(page, *shape);
            EXPECT_EQ(r.Width(), 2880);
            EXPECT_EQ(r.Left, !c.mirrored ? TextLeft : p % 2 == 0 ? 2000 : 800);
            if (first.IsEmpty())
                first = r;
            EXPECT_EQ(r.Top, first.Top);
            // The body text avoids it and runs on beside it.
            bool beside = false, below = false;
            for (const TLine* line : PlacedLines(p)) {
                const TLineSpan s = SpanOf(*line);
                EXPECT_FALSE(Meets(s, r)) << "a line at " << s.Top << " runs over the shape";
                if (s.Top < r.Bottom && s.Bottom > r.Top && s.Left >= r.Right)
                    beside = true;
                if (s.Top >= r.Bottom)
                    below = true;
            }
            // The last page's text may end before it reaches the shape.
            if (below) {
                EXPECT_TRUE(beside);
            }
        }
        // Paginating again from the second page gives the same pages.
        const std::string once = Layout();
        Doc->DiscardPages(1);
        PaginateAll();
        EXPECT_EQ(Layout(), once);
    }
}

TEST_F(FloatingShapesTest, GoldenPages) {
    struct Case {
        const char* name;
        std::int32_t wrap;
        bool behind;
    };
    const Case cases[] = {
        {"page-shape-square", swSquare, false}, {"page-shape-behind", swNone, true},
        {"page-shape-in-front", swNone, false}, {"page-shape-top-and-bottom", swTopAndBottom, false},
        {"page-shape-tight", swTight, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases) {
            TearDown();
            SetUp();
        }
        TShape* shape = NewShape(c.wrap, 2400, 300, 3600, 1800, 0xE0A040);
        shape->SetBehindText(c.behind);
        // Tight wrapping follows the outline: beside a triangle pointing
        // down the lines come closer the lower they are.
        if (c.wrap == swTight) {
            shape->Picture.Data = SolidPng(3600 / 15, 1800 / 15, 0xE0A040, true);
            const std::int32_t u = WrapPolygonUnit;
            for (const TPoint p : {TPoint{0, 0}, TPoint{u, 0}, TPoint{u / 2, u}})
                shape->Props.AddWrapPolygonPoint(p);
        }
        Anchored(shape, Prose);
        Plain(Prose);
        PaintFirstPage();
        ExpectGolden(c.name);
    }
}

// A picture anchored in the header, reaching down into the text: painted in
// the header's layer, the body text wrapped beside it.
TEST_F(FloatingShapesTest, GoldenPageWithAHeaderShape) {
    TShape* shape = NewShape(swSquare, 0, -200, 2160, 1440, 0x40A060);
    AnchoredHeaderFooter(hfOddHeader, shape, "Running head of the report");
    Plain(Prose);
    Plain(Prose);
    PaintFirstPage();
    ExpectGolden("page-shape-header");
}

// Random edits in a document with floating shapes of every wrap kind:
// after each, the pages repaginated from the changed page on, with the
// lines earlier passes left, equal a pagination from scratch, shapes and
// their places included.
TEST_F(FloatingShapesTest, IncrementalRepaginationEqualsFreshPagination) {
    Doc->StateFlags[sfHidden] = 0;
    std::mt19937 random(2026);
    const std::int32_t kinds[] = {swSquare, swTopAndBottom, swTight, swThrough, swNone};
    for (int i = 0; i < 24; ++i) {
        const std::string text(Prose, 40 + static_cast<std::size_t>(i * 53) % 300);
        if (i % 4 != 1) {
            TPar& par = Plain(text);
            par.Format.SpaceBefore = static_cast<std::int16_t>(i % 3 == 0 ? -20 : 0);
            continue;
        }
        const std::int32_t kind = kinds[(i / 4) % 5];
        // Shapes above, beside and below their anchors' lines.
        TShape* shape = NewShape(kind, (i * 700) % 4000, (i % 3 - 1) * 600, 1800 + i * 40, 1200);
        if (kind == swTight || kind == swThrough)
            for (const TPoint p : UPolygon())
                shape->Props.AddWrapPolygonPoint(p);
        shape->Props.SetProp(spPosRelV, i % 8 == 1 ? prefText : prefMargin);
        Anchored(shape, text);
    }
    auto layout = [this] {
        std::string out = Layout();
        for (std::int32_t p = 0; p < Doc->Pages.Count; ++p)
            for (std::int32_t i = 0; i < PageAt(p).PlacedShapes.Count; ++i) {
                const TShape& shape = *PageAt(p).PlacedShapes.At<TShape>(i);
                const TRect r = PlacedRect(PageAt(p), shape);
                out += "page " + std::to_string(p) + " shape " + std::to_string(Doc->Shapes.IndexOf(&shape)) + " " +
                       std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
                       std::to_string(r.Bottom) + "\n";
            }
        return out;
    };
    Doc->UpdatePageMetrics();
    PaginateAll();
    for (int step = 0; step < 80; ++step) {
        SCOPED_TRACE(step);
        const std::int32_t p =
            static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(Doc->StoryCounts[stMain]));
        const std::int32_t len = Doc->Par(p)->CharCount();
        // Edits go after the anchor, so that every shape stays in the text.
        const std::int32_t offset =
            len < 2 ? 0 : 1 + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(len - 1));
        Doc->Caret = {p, offset};
        Doc->Selection->SetSingle(p, offset, p, offset);
        const int kind = static_cast<int>(random() % 3);
        if (kind == 0) {
            TMemory text;
            text.AssignString("more words that wrap a line or two onwards ");
            Doc->PerformOperation(TInsertTextArgs{&text, 0});
        } else if (kind == 1 && offset + 12 < len) {
            Doc->PerformOperation(TDeleteTextArgs{nullptr, {p, offset}, {p, offset + 12}, 0});
        } else {
            TMemory text;
            text.AssignString("\r");
            Doc->PerformOperation(TInsertTextArgs{&text, 0});
        }
        Doc->PaginateAll();
        const std::string incremental = layout();
        Doc->DestroyLayout();
        PaginateAll();
        ASSERT_EQ(incremental, layout());
    }
}

}  // namespace
