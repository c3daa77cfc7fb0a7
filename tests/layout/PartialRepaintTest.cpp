// A partial repaint must leave the screen exactly as a full repaint would.
// Lines paint through a stand-in here, a bar as long as the line's text in
// its paragraph's shading colour, so that the test sees what changes.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>

#include "ViewFixture.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TPage.h"
#include "layout/painting/BoxPainting.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "platform/DeviceContexts.h"

namespace {

void StandInLine(TLine& line, Platform::HDC, std::int32_t x, std::int32_t y) {
    TDoc& doc = *line.Box->Document;
    const std::int32_t shading = line.Par->Format.Shading;
    const std::int32_t height = std::max(1, doc.TwipsToPixelsY(line.Height) - 1);
    ServiceBitmap->FillBox(x + 4, y, x + 4 + line.CharCount * 5, y + height, shading >= 0 ? shading : 0x202020);
}

class PartialRepaintTest : public ViewFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        SetBodyLines(12);
        LinePaintObserver = &StandInLine;
    }
    void TearDown() override {
        LinePaintObserver = nullptr;
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

struct Case {
    const char* Name;
    std::function<void(PartialRepaintTest& t, TPar& middle, TPar& last)> Change;
};

const Case Cases[] = {
    {"shading of a paragraph",
     [](PartialRepaintTest& t, TPar& middle, TPar&) {
         middle.Format.Shading = 0x00CCFF;
         t.RepaintPar(middle);
     }},
    {"one more character in a line",
     [](PartialRepaintTest& t, TPar& middle, TPar&) {
         t.Retext(middle, "lines\aline\aline");
         t.RepaintPar(middle);
     }},
    {"the last line deleted",
     [](PartialRepaintTest& t, TPar&, TPar& last) {
         t.Retext(last, "line\aline");
         t.RepaintPar(last);
     }},
    {"scrolled down by a few pixels",
     [](PartialRepaintTest& t, TPar&, TPar&) {
         t.Document().ScrollTo({0, t.Document().ScrollPos.Y + 7});
     }},
    {"scrolled up by a few pixels",
     [](PartialRepaintTest& t, TPar&, TPar&) {
         t.Document().ScrollTo({0, t.Document().ScrollPos.Y - 5});
     }},
};

// Each case on a fresh document: paint, change, repaint what changed, and
// compare the screen with a full paint.
TEST_P(PartialRepaintTest, EqualsAFullRepaint) {
    const Case& c = Cases[GetParam()];
    SCOPED_TRACE(c.Name);
    Plain(Lines(3));
    TPar& middle = Plain(Lines(3));
    TPar& last = Plain(Lines(3));
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

INSTANTIATE_TEST_SUITE_P(Changes, PartialRepaintTest, ::testing::Range(0, static_cast<int>(std::size(Cases))));

}  // namespace
