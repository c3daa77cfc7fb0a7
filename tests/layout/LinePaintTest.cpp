// Painting lines: golden page images of underline kinds, shading and
// borders joined between paragraphs, break labels, formatting marks in the
// text colour and in the special-symbol colour, and raised and lowered
// text; and the contract between layout and painting: every glyph run
// starts at the x layout measured for it, with its measured advances, at
// any zoom. Regenerate the goldens with REZ_UPDATE_GOLDEN=1.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "LinePaintFixture.h"
#include "base/core/ObjectHandles.h"
#include "layout/painting/TLinePainter.h"
#include "model/document/TSection.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Heap.h"
#include "platform/Regions.h"

namespace {

class LinePaintTest : public LinePaintFixture {
protected:
    // A paragraph whose text is drawn with one attribute set.
    TPar& ParWith(std::string_view text, std::uint8_t attr, std::int32_t value, std::int32_t halfPoints = 20) {
        TPar& par = Par("", Arial(), halfPoints);
        AppendAttr(par, attr, value);
        AppendText(par, text);
        AppendAttr(par, attr, 0);
        return par;
    }

    // A border set with the same border on all five sides.
    static std::int32_t BoxBorders(std::int32_t color) {
        TBorderSet set;
        InitBorderSet(set);
        for (TBorder& border : set.Borders) {
            border.Type = 1;
            border.Width = 30;
            border.Color = color;
            border.Spacing = 60;
        }
        return InternBorderSet(set);
    }
};

TEST_F(LinePaintTest, UnderlineKindsMatchTheGoldenImage) {
    const std::int32_t kinds[] = {ulSingle,      ulWords,        ulDouble,          ulDotted,    ulThick,
                                  ulDashed,      ulDotDash,      ulDotDotDash,      ulWave,      ulThickDotted,
                                  ulThickDashed, ulThickDotDash, ulThickDotDotDash, ulHeavyWave, ulLongDash,
                                  ulDoubleWave,  ulThickLongDash};
    std::vector<TPar*> pars;
    for (std::int32_t kind : kinds) {
        TPar& par = ParWith("Under lined words", caUnderline, kind);
        Layout(par, 3600);
        pars.push_back(&par);
    }
    MakeBitmap(180, 270);
    PaintPars(pars, 4, 2);
    const std::string mismatch = CompareBitmap("line-underline-kinds");
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

// Paragraphs with the same borders form one bordered block with borders
// between them; the same shading without borders joins into one block too;
// space before shows above a group's first paragraph only and space after
// below its last.
TEST_F(LinePaintTest, ShadingAndBordersJoinBetweenParagraphs) {
    const std::int32_t borders = BoxBorders(0x800000);
    std::vector<TPar*> pars;
    const auto add = [&](std::string_view text, std::int32_t shading, std::int32_t set) {
        TPar& par = Par(text, Arial(), 20);
        par.Format.Shading = shading;
        par.Format.Borders = static_cast<std::int16_t>(set);
        par.Format.SpaceBefore = 120;
        par.Format.SpaceAfter = 120;
        par.Format.LeftIndent = 300;
        par.Format.RightIndent = 300;
        pars.push_back(&par);
    };
    add("Bordered one", 0xE0FFE0, borders);
    add("Bordered two", 0xE0FFE0, borders);
    add("Bordered three", 0xE0FFE0, borders);
    add("Shaded one", 0xFFE0E0, 0);
    add("Shaded two", 0xFFE0E0, 0);
    add("Plain", -1, 0);
    for (TPar* par : pars)
        Layout(*par, 3600);
    MakeBitmap(260, 200);
    PaintPars(pars, 4, 4);
    const std::string mismatch = CompareBitmap("line-shading-borders");
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

TEST_F(LinePaintTest, BreakLabelsMatchTheGoldenImage) {
    LinePaintOptions().ShowMarks = true;
    TPar& page = Par("Page\b", Arial(), 20);
    TPar& column = Par("Column\x06", Arial(), 20);
    TPar& section = Par("Section\x03", Arial(), 20);
    for (TPar* par : {&page, &column, &section})
        Layout(*par, 4200);
    MakeBitmap(300, 80);
    PaintPars({&page, &column, &section}, 4, 4);
    const std::string mismatch = CompareBitmap("line-break-labels");
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

// The same marks twice: in the text colour while the colour scheme leaves
// the special-symbol slot alone, then in that slot's colour.
TEST_F(LinePaintTest, MarksWithAndWithoutTheSpecialSymbolColour) {
    LinePaintOptions().ShowMarks = true;
    TPar& text =
        Par("a b\tc\x0B"
            "d\x0C"
            "e\x0F"
            "f\x12g",
            Arial(), 24);
    AppendAttr(text, caColor, 0x008000);
    AppendText(text, " green\ah");
    TPar& second = Par("Last", Arial(), 24);
    for (TPar* par : {&text, &second})
        Layout(*par, 4200);
    MakeBitmap(300, 120);
    const std::int32_t middle = PaintPars({&text, &second}, 4, 2);
    Colors->ScreenPalette->Entries[csSpecialSymbol].SetColor(0xC00000);
    LinePaintOptions().SchemeSpecialSymbol = 0xC00000;
    PaintPars({&text, &second}, 4, middle + 6);
    const std::string mismatch = CompareBitmap("line-marks-special-colour");
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

TEST_F(LinePaintTest, RaisedAndLoweredTextMatchTheGoldenImage) {
    TPar& par = Par("X", Times(), 48);
    AppendAttr(par, caScript, 1);
    AppendText(par, "2");
    AppendAttr(par, caScript, 0);
    AppendText(par, "Yg");
    AppendAttr(par, caScript, 2);
    AppendText(par, "ij");
    AppendAttr(par, caScript, 0);
    AppendText(par, " Hg");
    Layout(par, 4000);
    MakeBitmap(140, 50);
    PaintPars({&par}, 4, 4);
    const std::string mismatch = CompareBitmap("line-super-subscript");
    EXPECT_TRUE(mismatch.empty()) << mismatch;
}

// A superscript's top stands at the full-size font's top, a subscript's
// bottom at the full-size font's bottom, whatever the zoom.
TEST_F(LinePaintTest, RaisedAndLoweredTextAlignWithTheFullSizeFont) {
    TPar& par = Par("X", Times(), 48);
    AppendAttr(par, caScript, 1);
    AppendText(par, "2");
    AppendAttr(par, caScript, 2);
    AppendText(par, "i");
    Layout(par, 4000);
    for (std::int32_t zoom : {100, 200, 500}) {
        SCOPED_TRACE(zoom);
        SetZoom(zoom);
        const TRecording recording = Record({&par}, 0, 0);
        ASSERT_GE(recording.Texts.size(), 3u);
        const TRecordedText& full = recording.Texts[0];
        const TRecordedText& raised = recording.Texts[1];
        const TRecordedText& lowered = recording.Texts[2];
        EXPECT_LT(raised.Height, full.Height);
        EXPECT_NEAR(raised.Y, full.Y, 1 + zoom / 200);
        EXPECT_NEAR(lowered.Y + lowered.Height, full.Y + full.Height, 1 + zoom / 200);
    }
    SetZoom(100);
}

// Every glyph run starts where layout put its first character, at the
// zoom: within a pixel of the 100 % position scaled (the contract of the
// zoomed widths), and its advances are the widths layout measured at the
// zoom, so each run ends where the next one starts.
TEST_F(LinePaintTest, EveryRunStartsAtTheXLayoutGaveIt) {
    TPar& par = Par("Plain text ", Times(), 24);
    AppendAttr(par, caBold, 1);
    AppendText(par, "bold ");
    AppendAttr(par, caItalic, 1);
    AppendText(par, "bold italic\t");
    AppendAttr(par, caBold, 0);
    AppendAttr(par, caSize, 36);
    AppendText(par, "larger ");
    AppendAttr(par, caItalic, 0);
    AppendAttr(par, caFont, Arial());
    AppendAttr(par, caSize, 17);
    AppendText(par, "small Arial text that wraps onto a second line of the paragraph ");
    AppendAttr(par, fcUnicodeChar, 0x0416);
    AppendText(par, "end");
    // The Unicode control takes a position the helpers do not add: build
    // the character buffer again from the stream.
    par.Chars.SetSize(0);
    for (std::int32_t i = 0; i < par.Stream.Size;) {
        const std::uint8_t b = par.Stream.Data[i];
        if (b != 0) {
            par.Chars.AppendByte(b);
            ++i;
            continue;
        }
        const std::uint8_t code = par.Stream.Data[i + 1];
        if (ControlTakesPosition(code))
            par.Chars.AppendByte(ControlCharCode(code, FormatControlValue(par.Stream.Data + i)));
        i += FormatControlSize;
    }
    par.Format.LeftIndent = 200;
    Layout(par, 5000);
    ASSERT_GE(par.LineCount(), 2);
    const std::int32_t originX = 7;
    for (std::int32_t zoom : {10, 100, 500}) {
        SCOPED_TRACE(zoom);
        SetZoom(zoom);
        const TRecording recording = Record({&par}, originX, 0);
        ASSERT_FALSE(recording.Texts.empty());
        // Walk the runs in order, each taking the next characters of the
        // lines' text that draw glyphs.
        std::int32_t lineIndex = 0;
        std::int32_t k = 0;
        std::size_t runs = 0;
        for (const TRecordedText& run : recording.Texts) {
            TLine* line = &LineOf(par, lineIndex);
            while (k >= line->CharCount || par.Chars.Data[line->FirstChar + k] == chTab ||
                   par.Chars.Data[line->FirstChar + k] == chParEnd) {
                if (k >= line->CharCount) {
                    ++lineIndex;
                    k = 0;
                    ASSERT_LT(lineIndex, par.LineCount());
                    line = &LineOf(par, lineIndex);
                } else {
                    ++k;
                }
            }
            const double exact = originX + line->Pos(k) * zoom / 1600.0;
            EXPECT_LE(std::abs(run.X - exact), 1.0) << "line " << lineIndex << " char " << k;
            const auto* widths =
                reinterpret_cast<const std::uint16_t*>(par.LayoutScratch->Data + 4) + line->FirstChar + k;
            ASSERT_EQ(run.Advances.size(), run.Characters.size());
            std::int32_t x = run.X;
            for (std::size_t i = 0; i < run.Advances.size(); ++i) {
                EXPECT_EQ(run.Advances[i], widths[i]) << "line " << lineIndex << " char " << k + i;
                x += run.Advances[i];
            }
            k += static_cast<std::int32_t>(run.Characters.size());
            const double end = originX + line->Pos(k) * zoom / 1600.0;
            EXPECT_LE(std::abs(x - end), 1.0) << "line " << lineIndex << " char " << k;
            ++runs;
        }
        EXPECT_GE(runs, 6u);
    }
    SetZoom(100);
}

// While part of the view waits to be painted, lines away from it are
// skipped before any work; the painting flag is clear after every paint.
TEST_F(LinePaintTest, LinesOutsideThePendingUpdateRegionAreSkipped) {
    TPar& par = Par("Skipped or not", Arial(), 24);
    Layout(par, 4000);
    static Platform::HRGN pending = nullptr;
    LinePaintHooks().PendingUpdateRegion = [](const TDoc&) { return pending; };
    struct Case {
        Platform::TRect region;
        bool painted;
    };
    const std::int32_t bottom = LineOf(par, 0).HeightPixels(nullptr);
    const Case cases[] = {
        {{0, 0, 200, 40}, true},                       // the whole line
        {{150, bottom + 2, 160, bottom + 4}, true},    // within the 5 pixels around it
        {{150, bottom + 6, 160, bottom + 40}, false},  // below that
        {{0, 0, 0, 0}, false},                         // nothing pending
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.region.Top);
        pending = Platform::CreateRectRgn(c.region.Left, c.region.Top, c.region.Right, c.region.Bottom);
        MakeBitmap(200, 80);
        PaintPars({&par}, 0, 0);
        bool inked = false;
        for (std::int32_t i = 0; i < 200 * 80 && !inked; ++i)
            inked = (Bitmap->Bits[i] & 0xFFFFFF) != 0xFFFFFF;
        EXPECT_EQ(inked, c.painted);
        EXPECT_EQ(LineOf(par, 0).Flags & lfPainting, 0u);
        Platform::DeleteRegion(pending);
        pending = nullptr;
    }
}

// A list label is painted with the line's own painter, standing in the
// line's box on the line's baseline, and ends exactly where the text
// starts, at any zoom.
TEST_F(LinePaintTest, AListLabelEndsWhereTheTextStarts) {
    auto* list = new TAutoList;
    list->Levels[0].FollowKind = lfNothing;
    Doc->Lists.Add(list);
    TPar& par = Par("Item text", Arial(), 24);
    par.Format.List = static_cast<std::int32_t>(ObjectHandle(list));
    par.Format.ListLevel = 0;
    par.Format.LeftIndent = 360;
    par.LabelPar = std::make_unique<TPar>(Doc.get());
    TPar& label = *par.LabelPar;
    label.Flags = pfProxy;
    label.LabelOwner = &par;
    AppendFormatControl(label.Stream, caFont, Arial());
    AppendFormatControl(label.Stream, caSize, 24);
    for (char16_t c : u"12.") {
        if (c == 0)
            break;
        AppendFormatControl(label.Stream, fcUnicodeChar, c);
        label.Chars.AppendByte(chUnicode);
    }
    label.LayoutLines(0, 20000, nullptr);
    Layout(par, 5000);
    ASSERT_TRUE(LineOf(par, 0).ShowsListLabel());
    for (std::int32_t zoom : {100, 250}) {
        SCOPED_TRACE(zoom);
        SetZoom(zoom);
        const TRecording recording = Record({&par}, 5, 3);
        ASSERT_GE(recording.Texts.size(), 2u);
        const TRecordedText& labelRun = recording.Texts[0];
        const TRecordedText& text = recording.Texts[1];
        EXPECT_EQ(labelRun.Characters, U"12.");
        std::int32_t end = labelRun.X;
        for (std::int32_t advance : labelRun.Advances)
            end += advance;
        EXPECT_EQ(end, text.X);
        EXPECT_EQ(labelRun.Y, text.Y);
        EXPECT_LE(std::abs(text.X - (5 + LineOf(par, 0).Pos(0) * zoom / 1600.0)), 1.0);
    }
    SetZoom(100);
    // The label's own line is left as it was laid out.
    EXPECT_EQ(label.Lines->At<TLine>(0)->Box, nullptr);
}

// Line numbers stand right-aligned at the section's distance left of the
// text (360 twips when it gives none), on every line whose number is a
// multiple of the interval.
TEST_F(LinePaintTest, LineNumbersStandAtTheSectionsDistanceLeftOfTheText) {
    TPar& par = Par("Numbered line", Arial(), 24);
    Layout(par, 5000);
    TSection* section = Doc->SectionOfPar(0);
    ASSERT_NE(section, nullptr);
    section->PageSetup.LineNumberStep = 5;
    struct Case {
        std::int32_t number;
        std::int32_t distance;
        const char32_t* shown;  // nullptr: no number
    };
    const Case cases[] = {{10, 0, U"10"}, {5, 720, U"5"}, {7, 0, nullptr}, {0, 0, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        section->PageSetup.LineNumberDistance = c.distance;
        LineOf(par, 0).LineNumber = c.number;
        const TRecording recording = Record({&par}, 100, 0);
        const TRecordedText* number = nullptr;
        for (const TRecordedText& text : recording.Texts)
            if (text.X < 100)
                number = &text;
        if (c.shown == nullptr) {
            EXPECT_EQ(number, nullptr);
            continue;
        }
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->Characters, c.shown);
        std::int32_t end = number->X;
        for (std::int32_t advance : number->Advances)
            end += advance;
        EXPECT_EQ(end, 100 - (c.distance == 0 ? 24 : 48));
    }
    LineOf(par, 0).LineNumber = 0;
}

// Under memory pressure a paragraph's zoomed widths are let go once its
// last line is painted, and painting it again measures them anew.
TEST_F(LinePaintTest, MemoryPressureFreesTheZoomedWidthsAfterTheLastLine) {
    TPar& par = Par("A paragraph long enough to take two lines of the narrow width", Arial(), 24);
    Layout(par, 2400);
    ASSERT_GE(par.LineCount(), 2);
    const TRecording before = Record({&par}, 0, 0);
    ASSERT_NE(par.LayoutScratch, nullptr);
    Platform::SetAllocatedHeapBytesOverride(std::int64_t{3} << 30);
    MakeBitmap(200, 60);
    LineOf(par, 0).Paint(Bitmap->DC, 0, 0);
    EXPECT_NE(par.LayoutScratch, nullptr);  // not after the first line
    const TRecording pressed = Record({&par}, 0, 0);
    EXPECT_EQ(par.LayoutScratch, nullptr);
    Platform::SetAllocatedHeapBytesOverride(-1);
    ASSERT_EQ(pressed.Texts.size(), before.Texts.size());
    for (std::size_t i = 0; i < before.Texts.size(); ++i) {
        EXPECT_EQ(pressed.Texts[i].X, before.Texts[i].X);
        EXPECT_EQ(pressed.Texts[i].Advances, before.Texts[i].Advances);
    }
}

// A heading that can fold shows its box while the pointer is over it, with
// a plus once folded; without foldable content, or elsewhere, none.
TEST_F(LinePaintTest, AFoldableHeadingShowsItsCollapseBox) {
    TPar& heading = Par("Heading", Arial(), 28);
    heading.Format.LeftIndent = 600;
    Layout(heading, 5000);
    static const TPar* pointer = nullptr;
    static bool foldable = true;
    LinePaintHooks().HasCollapsibleContent = [](const TDoc&, const TPar&) { return foldable; };
    LinePaintHooks().HeadingUnderPointer = [](const TDoc&) { return pointer; };
    const std::uint32_t red = 0x0000FF;  // DisplayColor keeps pure red on white
    const std::uint32_t redPixel = 0xFF0000;
    ASSERT_EQ(static_cast<std::uint32_t>(Colors->DisplayColor(static_cast<std::int32_t>(red))), red);
    struct Case {
        const char* name;
        bool underPointer;
        bool collapsed;
        bool foldable;
        std::int32_t redPixels;  // 0: no box
    };
    // A 9 x 9 frame has 32 pixels, the minus 5 more, and the plus's upright
    // 4 beyond those (it crosses the minus).
    const Case cases[] = {
        {"under the pointer", true, false, true, 37},
        {"folded", false, true, true, 41},
        {"elsewhere", false, false, true, 0},
        {"nothing to fold", true, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pointer = c.underPointer ? &heading : nullptr;
        heading.Format.Collapsed = c.collapsed ? 1 : 0;
        foldable = c.foldable;
        MakeBitmap(120, 40);
        PaintPars({&heading}, 0, 0);
        std::int32_t count = 0;
        std::int32_t right = -1;
        for (std::int32_t y = 0; y < 40; ++y)
            for (std::int32_t x = 0; x < 120; ++x)
                if ((Bitmap->Bits[y * 120 + x] & 0xFFFFFF) == redPixel) {
                    ++count;
                    right = std::max(right, x);
                }
        EXPECT_EQ(count, c.redPixels);
        if (count > 0)
            EXPECT_EQ(right + 1, 40 - 9);  // two boxes left of the text at 600 twips
    }
    heading.Format.Collapsed = 0;
}

// Leaders fill a tab up to its end: dots and hyphens drawn at the leader
// character's own advance and placed so that the last one ends at the
// tab's end; underscores start at the tab and are cut at its end.
TEST_F(LinePaintTest, TabLeadersEndAtTheTabsEnd) {
    struct Case {
        std::uint8_t kind;
        std::uint8_t leader;
        char32_t character;
    };
    const Case cases[] = {
        {taLeft, tlDots, U'.'},
        {taRight, tlHyphens, U'-'},
        {taCenter, tlDots, U'.'},
        {taLeft, tlUnderline, U'_'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.leader) * 10 + c.kind);
        TPar& par = Par("Name\tPage", Arial(), 24);
        TList stops;
        AddTabStop(stops, MakeTabStop(3600, c.kind, c.leader));
        par.Format.Tabs = static_cast<std::int16_t>(TabManager->InternTabTable(stops));
        Layout(par, 6000);
        const TRecording recording = Record({&par}, 0, 0);
        const TRecordedText* leader = nullptr;
        const TRecordedText* after = nullptr;
        for (const TRecordedText& text : recording.Texts) {
            if (!text.Characters.empty() && text.Characters[0] == c.character)
                leader = &text;
            else if (text.Characters == U"Page")
                after = &text;
        }
        ASSERT_NE(leader, nullptr);
        ASSERT_NE(after, nullptr);
        ASSERT_FALSE(leader->Advances.empty());
        std::int32_t end = leader->X;
        for (std::int32_t advance : leader->Advances)
            end += advance;
        if (c.leader == tlUnderline) {
            EXPECT_GE(end, after->X);  // cut at the tab's end by the clip
        } else {
            for (std::int32_t advance : leader->Advances)
                EXPECT_EQ(advance, leader->Advances[0]);
            if (c.kind == taCenter)
                EXPECT_LE(after->X - end, leader->Advances[0]);
            else
                EXPECT_EQ(end, after->X);
        }
    }
}

}  // namespace
