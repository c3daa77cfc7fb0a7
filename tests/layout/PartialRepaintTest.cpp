// A partial repaint must leave the screen exactly as a full repaint would.
// Each change runs twice: once with the real line painter alone (glyphs,
// shading and marks as the user sees them), and once with a stand-in drawn
// before each line, a bar as long as the line's text in its paragraph's
// shading colour, which makes a line painted at a stale place or length
// stand out even where the glyphs would hardly differ.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>

#include "ViewFixture.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TPage.h"
#include "layout/painting/BoxPainting.h"
#include "layout/painting/TLinePainter.h"
#include "model/document/TPostActions.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/managers/TColorManager.h"
#include "platform/DeviceContexts.h"

namespace {

void StandInLine(TLine& line, Platform::HDC, std::int32_t x, std::int32_t y) {
    TDoc& doc = *line.Box->Document;
    const std::int32_t shading = line.Par->Format.Shading;
    const std::int32_t height = std::max(1, doc.TwipsToPixelsY(line.Height) - 1);
    ServiceBitmap->FillBox(x + 4, y, x + 4 + line.CharCount * 5, y + height, shading >= 0 ? shading : 0x202020);
}

class PartialRepaintTest : public ViewFixture, public ::testing::WithParamInterface<std::tuple<int, bool>> {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(12);
        Colors = std::make_unique<TColorManager>();
        LinePaintOptions() = TLinePaintOptions();
        LinePaintHooks() = TLinePaintHooks();
        if (std::get<1>(GetParam()))
            LinePaintObserver = &StandInLine;
    }
    void TearDown() override {
        LinePaintObserver = nullptr;
        LinePaintOptions() = TLinePaintOptions();
        LinePaintHooks() = TLinePaintHooks();
        Colors.reset();
        ViewFixture::TearDown();
    }

public:
    TDoc& Document() { return *Doc; }
    // Replaces a paragraph's text and lays the document out again.
    void Retext(TPar& par, const std::string& text) {
        const std::int32_t shading = par.Format.Shading;
        par.FreeLines();
        par.Stream.Clear();
        par.Chars.Clear();
        AppendAttr(par, caFont, Times());
        AppendAttr(par, caSize, 24);
        AppendText(par, text);
        CloseParagraph(par);
        par.Format.Shading = shading;
        Doc->Paginate(0, 2147483647);
        Doc->UpdateViewGeometry();
    }
    void RepaintPar(const TPar& par) {
        TCompoundFragment* set = NewCompoundFragment();
        set->SetSingle(par.Index, 0, par.Index, par.CharCount());
        Doc->PaintView(nullptr, set);
        ReleaseCompoundFragment(set);
    }
    // Types a character into a paragraph's first line as the editor does:
    // the text changes, the paragraph is broken again in place, and the
    // view paints the range reformatting asks for. The first line holds
    // plain text after the font and size controls, so the character's place
    // in the format stream follows from its offset.
    void Type(TPar& par, std::int32_t at, char c) {
        const std::int32_t streamAt = 2 * FormatControlSize + at;
        par.Stream.InsertBuffer(&c, streamAt, 1);
        par.Chars.InsertBuffer(&c, at, 1);
        par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
        TPostActions& pa = Doc->PostActions();
        pa.RepaintRange = {};
        Doc->ReformatPar(par.Index);
        const TFragment range = pa.RepaintRange;
        ASSERT_TRUE(par.IsLaidOut() && range.Start.Par == par.Index && range.End.Par == par.Index)
            << "the paragraph was not broken again in place";
        TCompoundFragment* set = NewCompoundFragment();
        set->SetSingle(range.Start.Par, range.Start.Offset, range.End.Par, range.End.Offset);
        Doc->PaintView(nullptr, set);
        ReleaseCompoundFragment(set);
    }
    std::unique_ptr<TColorManager> Colors;

protected:
    // How many pixels of the screen differ from a fresh full paint.
    int DifferencesFromFullPaint(std::string& where) {
        const auto partial = View.Pixels();
        Platform::PatBlt(View.Screen, 0, 0, View.Width, View.Height, Platform::BLACKNESS);
        Doc->PaintView(nullptr, nullptr);
        const auto full = View.Pixels();
        int differences = 0;
        for (std::size_t i = 0; i < full.size(); ++i) {
            if ((partial[i] & 0xFFFFFF) == (full[i] & 0xFFFFFF))
                continue;
            if (differences++ == 0)
                where = "first at x " + std::to_string(i % View.Width) + ", y " + std::to_string(i / View.Width);
        }
        return differences;
    }
};

// A box of single borders round a paragraph, with its shading: lines of a
// bordered paragraph paint the border pieces beside and between them.
void BorderAndShade(TPar& par) {
    TBorderSet set;
    InitBorderSet(set);
    for (int side : {bsLeft, bsTop, bsRight, bsBottom}) {
        set.Borders[side].Type = 1;
        set.Borders[side].Width = 15;
        set.Borders[side].Color = 0x0000C0;
    }
    par.Format.Borders = static_cast<std::int16_t>(InternBorderSet(set));
    par.Format.Shading = 0xE0F0FF;
}

struct Case {
    const char* Name;
    // Run before the document is laid out and first painted; may be nil.
    std::function<void(TPar& middle)> Prepare;
    std::function<void(PartialRepaintTest& t, TPar& middle, TPar& last)> Change;
};

const Case Cases[] = {
    {"shading of a paragraph", nullptr,
     [](PartialRepaintTest& t, TPar& middle, TPar&) {
         middle.Format.Shading = 0x00CCFF;
         t.RepaintPar(middle);
     }},
    {"a character typed inside a word", nullptr,
     [](PartialRepaintTest& t, TPar& middle, TPar&) { t.Type(middle, 2, 'm'); }},
    {"a character typed with the formatting marks shown", [](TPar&) { LinePaintOptions().ShowMarks = true; },
     [](PartialRepaintTest& t, TPar& middle, TPar&) { t.Type(middle, 30, ' '); }},
    {"a character typed into a bordered, shaded paragraph", &BorderAndShade,
     [](PartialRepaintTest& t, TPar& middle, TPar&) { t.Type(middle, 2, 'm'); }},
    {"shading of a bordered paragraph", &BorderAndShade,
     [](PartialRepaintTest& t, TPar& middle, TPar&) {
         middle.Format.Shading = 0xC0FFC0;
         t.RepaintPar(middle);
     }},
    {"one more character in a line", nullptr,
     [](PartialRepaintTest& t, TPar& middle, TPar&) {
         t.Retext(middle, "lines\aline\aline");
         t.RepaintPar(middle);
     }},
    {"the last line deleted", nullptr,
     [](PartialRepaintTest& t, TPar&, TPar& last) {
         t.Retext(last, "line\aline");
         t.RepaintPar(last);
     }},
    {"scrolled down by a few pixels", nullptr,
     [](PartialRepaintTest& t, TPar&, TPar&) {
         t.Document().ScrollTo({0, t.Document().ScrollPos.Y + 7});
     }},
    {"scrolled up by a few pixels", nullptr,
     [](PartialRepaintTest& t, TPar&, TPar&) {
         t.Document().ScrollTo({0, t.Document().ScrollPos.Y - 5});
     }},
};

// Each case on a fresh document: paint, change, repaint what changed, and
// compare the screen with a full paint.
TEST_P(PartialRepaintTest, EqualsAFullRepaint) {
    const Case& c = Cases[std::get<0>(GetParam())];
    SCOPED_TRACE(c.Name);
    Plain(Lines(3));
    // Prose that wraps at the margin (about three lines): typing into it
    // breaks it again in place, which a paragraph of line breaks never is.
    TPar& middle = Plain(
        "Typing into a paragraph lays it out again where it stands, and the view then paints the lines "
        "around the change; what reaches the screen must match a full paint to the pixel, glyphs, "
        "shading and all, or the user sees stale letters left behind.");
    TPar& last = Plain(Lines(3));
    if (c.Prepare)
        c.Prepare(middle);
    Doc->UpdatePageMetrics();
    PaginateAll();
    Show(900, 300);
    Doc->ScrollTo({0, 20});
    Doc->PaintView(nullptr, nullptr);
    const auto before = View.Pixels();
    c.Change(*this, middle, last);
    EXPECT_NE(before, View.Pixels()) << "the change did not reach the screen";
    std::string where;
    EXPECT_EQ(DifferencesFromFullPaint(where), 0) << where;
}

INSTANTIATE_TEST_SUITE_P(Changes,
                         PartialRepaintTest,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(Cases))), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<int, bool>>& info) {
                             return "Case" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "WithStandIn" : "RealPainter");
                         });

}  // namespace
