// Where the breaker ends lines, and how wide it makes tabs and breaks.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LineFixture.h"
#include "base/core/ObjectHandles.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/LineStartFormats.h"
#include "model/managers/TSharedFont.h"
#include "platform/Heap.h"

namespace {

using LineBreakTest = LineFixture;

TEST_F(LineBreakTest, BreakOffsets) {
    struct Case {
        const char* name;
        bool arial;
        std::int32_t halfPoints;
        const char* fit;  // the line is made just wide enough for this text
        std::uint8_t viewMode;
        const char* text;
        std::vector<std::int32_t> starts;
    };
    const Case cases[] = {
        {"the last word that does not fit moves down", false, 24, "aaa bbb", vmPrintLayout, "aaa bbb ccc", {0, 8}},
        {"blanks that overflow stay on the line", false, 24, "aaa bbb", vmPrintLayout, "aaa bbb      ccc", {0, 13}},
        {"a word longer than the line is split", true, 20, "aaaa", vmPrintLayout, "aaaaaaaaaa", {0, 4, 8}},
        {"a character wider than the line stands alone", true, 20, "", vmPrintLayout, "abc", {0, 1, 2}},
        {"a hyphen is a break opportunity", false, 24, "aaa-bb", vmPrintLayout, "aaa-bbb", {0, 4}},
        {"a non-breaking space is none",
         false,
         24,
         "aaa bb",
         vmPrintLayout,
         "aaa\x0B"
         "bbb ccc",
         {0, 6}},
        {"a non-breaking hyphen is none",
         false,
         24,
         "aaa-bb",
         vmPrintLayout,
         "aaa\x0C"
         "bbb ccc",
         {0, 6}},
        {"an optional hyphen is one",
         false,
         24,
         "aaabb",
         vmPrintLayout,
         "aaa\x0F"
         "bbb",
         {0, 4}},
        // The first tab of the second line overflows on its own and stays.
        {"a second tab after an overflowing blank starts a line",
         false,
         24,
         "aaaa",
         vmPrintLayout,
         "aaaa \t\tb",
         {0, 5, 6, 7}},
        {"a line break ends the line", false, 24, "aaa bbb ccc ddd", vmPrintLayout, "aaa\abbb", {0, 4}},
        {"a page break at the end of the last paragraph", false, 24, "aaa bbb ccc ddd", vmPrintLayout, "aaa\b", {0, 4}},
        {"a page break after text stands alone in draft", false, 24, "aaa bbb ccc ddd", vmDraft, "aaa\b", {0, 3, 4}},
        {"a column break after text stands alone in draft",
         false,
         24,
         "aaa bbb ccc ddd",
         vmDraft,
         "aaa\x06"
         "bbb",
         {0, 3, 4}},
        {"a line break stays after text in draft", false, 24, "aaa bbb ccc ddd", vmDraft, "aaa\abbb", {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Doc->ViewMode = c.viewMode;
        const std::int32_t font = c.arial ? Arial() : Times();
        TPar& par = Par(c.text, font, c.halfPoints);
        Layout(par, FitWidth(c.fit, font, c.halfPoints));
        EXPECT_EQ(LineStarts(par), c.starts);
        // Every character is on exactly one line and every byte on one.
        const TLine& last = LineOf(par, par.LineCount() - 1);
        EXPECT_EQ(last.FirstChar + last.CharCount, par.CharCount());
        EXPECT_EQ(last.StreamStart + last.StreamLength, par.Stream.Size);
    }
}

TEST_F(LineBreakTest, OverflowingBlanksPassTheLimitButTextNever) {
    TPar& par = Par("aaa bbb          ccc ddd eee fff");
    const std::int32_t limit = FitWidth("aaa bbb", Times(), 24);
    Layout(par, limit);
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        const TLine& line = LineOf(par, i);
        std::int32_t k = line.CharCount;
        while (k > 0 &&
               (par.Chars.Data[line.FirstChar + k - 1] == ' ' || par.Chars.Data[line.FirstChar + k - 1] == chParEnd))
            --k;
        EXPECT_LE(Px16ToTwips(line.Pos(k)), limit) << "line " << i;
    }
    EXPECT_GT(Px16ToTwips(LineOf(par, 0).Pos(LineOf(par, 0).CharCount)), limit);
}

TEST_F(LineBreakTest, AnOptionalHyphenShowsOnlyAtALineEnd) {
    const std::int32_t hyphen = TextWidth("-", Times(), 24);
    TPar& par =
        Par("aaa\x0F"
            "bbb ccc\x0F"
            "ddd");
    // The room of the hyphen is kept wherever the line could end at one.
    Layout(par, FitWidth("aaabbb ccc-", Times(), 24));
    ASSERT_EQ(LineStarts(par), (std::vector<std::int32_t>{0, 12}));
    const TLine& first = LineOf(par, 0);
    // Inside the line the optional hyphen takes no room...
    EXPECT_EQ(first.Pos(4), first.Pos(3));
    // ...at the line's end it shows its width.
    EXPECT_EQ(first.Pos(12) - first.Pos(11), hyphen);
    Layout(par, FitWidth("aaabbb ccc", Times(), 24));
    EXPECT_EQ(LineStarts(par), (std::vector<std::int32_t>{0, 8}));
}

TEST_F(LineBreakTest, PageBreakBeforeTheMarkKeepsTheMarkOnItsLine) {
    TPar& par = Par("aaa\b");
    Par("next");
    for (std::uint8_t mode : {vmPrintLayout, vmDraft}) {
        SCOPED_TRACE(int(mode));
        Doc->ViewMode = mode;
        Layout(par, 9000);
        if (mode == vmPrintLayout) {
            ASSERT_EQ(LineStarts(par), (std::vector<std::int32_t>{0}));
            EXPECT_NE(LineOf(par, 0).Flags & lfPageBreakEnd, 0u);
            EXPECT_EQ(LineOf(par, 0).CharCount, 5);
        } else {
            EXPECT_EQ(LineStarts(par), (std::vector<std::int32_t>{0, 3, 4}));
            EXPECT_EQ(LineOf(par, 1).Flags & lfPageBreakEnd, 0u);
        }
    }
}

TEST_F(LineBreakTest, WidthsOfBreaks) {
    struct Case {
        const char* name;
        const char* text;
        std::int8_t alignment;
        std::int32_t width;     // twips
        std::int32_t expected;  // px16 from the break's start; -1: to the limit
    };
    const Case cases[] = {
        {"line break", "aa\a", 0, 9000, 11 * 16},
        {"line break, centred", "aa\a", 1, 9000, 11 * 16},
        {"page break reaches the limit", "aa\b", 0, 9000, -1},
        {"column break justified reaches the limit", "aa\x06", 3, 9000, -1},
        {"section break reaches the limit", "aa\x03", 0, 9000, -1},
        {"page break centred is 150 px", "aa\b", 1, 9000, 150 * 16},
        {"section break near the limit is at least 150 px", "aa\x03", 0, 600, 150 * 16},
    };
    Par("x");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A second paragraph, so that a page break is not its story's last.
        TPar& par = *Doc->Par(0);
        par.Stream.Clear();
        par.Chars.Clear();
        AppendAttr(par, caFont, Times());
        AppendAttr(par, caSize, 24);
        AppendText(par, c.text);
        CloseParagraph(par);
        Par("next");
        par.Format.Alignment = c.alignment;
        // The page break before the mark keeps no width when it joins the
        // mark's line, so test it followed by text.
        AppendText(par, "b");
        Layout(par, c.width);
        const TLine& line = LineOf(par, 0);
        const std::int32_t width = line.Pos(3) - line.Pos(2);
        if (c.expected < 0)
            EXPECT_EQ(line.Pos(3), TwipsToPx16(c.width));
        else
            EXPECT_EQ(width, c.expected);
        while (Doc->Pars.Count > 1) {
            delete Doc->Pars.At<TPar>(Doc->Pars.Count - 1);
            Doc->Pars.DeleteLast();
        }
        Doc->StoryCounts[0] = 1;
    }
}

TEST_F(LineBreakTest, AlignedTabs) {
    // One stop at 2 inches; x of the stop in px16.
    const std::int32_t stop = 2880;
    const std::int32_t stopX = TwipsToPx16(stop);
    struct Case {
        const char* name;
        std::uint8_t kind;
        const char* after;  // the text after the tab
        // Which boundary after the tab must meet the stop: the text end
        // (right), its middle (centre), the separator (decimal); -1: the
        // tab keeps width 0.
        int anchor;
    };
    enum { End, Middle, Separator, Unmoved };
    const Case cases[] = {
        {"right tab", taRight, "12345", End},
        {"centre tab", taCenter, "123456", Middle},
        {"decimal tab", taDecimal, "123.45", Separator},
        {"decimal tab without a separator acts as a right tab", taDecimal, "12345", End},
        {"right tab with text longer than the room", taRight, "abcdefghijklmnopqrstuvwxyzabcdefghijk", Unmoved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPar& par = Par(std::string("a\t") + c.after, Times(), 24);
        SetTabStop(par, stop, c.kind);
        Layout(par, 9 * 1440);
        ASSERT_EQ(par.LineCount(), 1);
        const TLine& line = LineOf(par, 0);
        const std::int32_t n = static_cast<std::int32_t>(std::string(c.after).size());
        switch (c.anchor) {
            case End:
                EXPECT_EQ(line.Pos(2 + n), stopX);
                break;
            case Middle:
                EXPECT_NEAR((line.Pos(2) + line.Pos(2 + n)) / 2, stopX, 1);
                break;
            case Separator:
                EXPECT_EQ(line.Pos(2 + 3), stopX);
                break;
            default:
                EXPECT_EQ(line.Pos(2), line.Pos(1));
                break;
        }
        // The painter finds the resolved kind in the tab's control.
        const std::int32_t tab = par.StreamOffsetOfChar(1);
        EXPECT_EQ(par.Stream.Data[tab + 3] & 15, c.kind);
    }
}

TEST_F(LineBreakTest, HangingIndentIsTheFirstTabStop) {
    TPar& par = Par("1.\tText");
    par.Format.LeftIndent = 720;
    par.Format.FirstIndent = -360;
    Layout(par, 9000);
    const TLine& line = LineOf(par, 0);
    EXPECT_EQ(line.Pos(0), TwipsToPx16(360));
    EXPECT_EQ(line.Pos(3), TwipsToPx16(720));
}

TEST_F(LineBreakTest, LaterLinesStartUnderTheFormatInForceThere) {
    TPar& par = Par("aaa bbb ");
    AppendAttr(par, caBold, 1);
    AppendText(par, "ccc ddd ");
    AppendAttr(par, caBold, 0);
    AppendText(par, "eee");
    Layout(par, FitWidth("aaa bbb", Times(), 24));
    ASSERT_GE(par.LineCount(), 3);
    TCharFormat f;
    Doc->LoadCharFormat(LineOf(par, 0).StartFormat, f);
    EXPECT_EQ(f[caBold], 0);
    EXPECT_EQ(f[caSize], 24);
    Doc->LoadCharFormat(LineOf(par, 1).StartFormat, f);
    EXPECT_EQ(f[caBold], 1);
    // Two lines under byte-identical formats share one record.
    TPar& other = Par("xx yy zz");
    Layout(other, FitWidth("xx", Times(), 24));
    ASSERT_GE(other.LineCount(), 2);
    EXPECT_EQ(LineOf(other, 0).StartFormat, LineOf(other, 1).StartFormat);
    EXPECT_EQ(LineOf(other, 0).StartFormat, LineOf(par, 0).StartFormat);
}

TEST_F(LineBreakTest, LayingOutFromALineKeepsTheLinesBefore) {
    TPar& par = Par("aaa bbb ");
    AppendAttr(par, caItalic, 1);
    AppendText(par, "ccc ddd eee fff ggg");
    const std::int32_t width = FitWidth("aaa bbb", Times(), 24);
    Layout(par, width);
    ASSERT_GE(par.LineCount(), 3);
    std::vector<TLine*> before;
    std::vector<std::int32_t> ends;
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        before.push_back(&LineOf(par, i));
        ends.push_back(LineOf(par, i).Pos(LineOf(par, i).CharCount));
    }
    const std::int32_t stream2 = LineOf(par, 2).StreamStart;
    const std::uint32_t format2 = LineOf(par, 2).StartFormat;
    const std::int32_t count = par.LineCount();
    par.LayoutLines(2, width, nullptr);
    ASSERT_EQ(par.LineCount(), count);
    EXPECT_EQ(&LineOf(par, 0), before[0]);
    EXPECT_EQ(&LineOf(par, 1), before[1]);
    EXPECT_EQ(LineOf(par, 1).Pos(LineOf(par, 1).CharCount), ends[1]);
    EXPECT_EQ(LineOf(par, 2).StreamStart, stream2);
    EXPECT_EQ(LineOf(par, 2).StartFormat, format2);
    EXPECT_EQ(LineOf(par, 2).Pos(LineOf(par, 2).CharCount), ends[2]);
    // From the line count on: the tail after the last line, here nothing.
    par.LayoutLines(par.LineCount(), width, nullptr);
    EXPECT_EQ(par.LineCount(), count);
}

TEST_F(LineBreakTest, AHugeFontKeepsItsMetrics) {
    // RTF allows sizes up to 1,638 points: some 35,000 sixteenths high.
    TPar& par = Par("Ag Ag", Arial(), 3276);
    Layout(par, 60000);
    ASSERT_EQ(par.LineCount(), 2);
    // The second line starts under the huge format.
    const TLine& line = LineOf(par, 1);
    EXPECT_GT(line.Ascent, 0);
    EXPECT_GT(line.Descent, 0);
    EXPECT_GT(line.Ascent + line.Descent, 32767);
    // At least the em height (1,638 points is 32,760 twips), and not twice it.
    EXPECT_GE(line.Height, 32760);
    EXPECT_LT(line.Height, 2 * 32760);
    TCharFormat f;
    Doc->LoadCharFormat(line.StartFormat, f);
    EXPECT_EQ(f[caSize], 3276);
}

TEST_F(LineBreakTest, SizesRoundTripThroughTheStartFormats) {
    TLineStartFormats table;
    for (std::int32_t size : {1, 2, 23, 24, 3276}) {
        for (std::int32_t kerning : {0, -1, 16, UnsetValue}) {
            SCOPED_TRACE(size * 100000 + kerning);
            TCharFormat f = DefaultCharFormat;
            f[caSize] = size;
            f[caKerning] = kerning;
            TCharFormat measured = f;
            CharSizesToSixteenths(measured);
            EXPECT_EQ(measured[caSize], size * 16);
            TCharFormat back;
            table.Load(table.Add(measured), back);
            EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0);
        }
    }
    // A format that differs in one attribute is a new record.
    TCharFormat a = DefaultCharFormat;
    TCharFormat b = a;
    b[caColor] = 0x123456;
    EXPECT_NE(table.Add(a), table.Add(b));
    EXPECT_EQ(table.Add(a), table.Add(TCharFormat(a)));
}

TEST_F(LineBreakTest, LinesComeFromThePool) {
    TPar& par = Par("aaa aaa aaa aaa");
    Layout(par, FitWidth("aaa", Times(), 24));
    ASSERT_EQ(par.LineCount(), 4);
    TLine* second = &LineOf(par, 1);
    const std::int32_t pooled = PooledLineCount();
    par.RebuildLines(false, 0);
    EXPECT_EQ(par.LineCount(), 0);
    EXPECT_EQ(PooledLineCount(), pooled + 4);
    EXPECT_EQ(par.Flags & pfLaidOut, 0);
    // Re-breaking takes the same objects back, last released first.
    Layout(par, FitWidth("aaa", Times(), 24));
    EXPECT_EQ(&LineOf(par, 1), second);
    EXPECT_EQ(LineOf(par, 0).Flags & lfShadedFields, lfShadedFields);

    // Over 1 GiB of heap, released lines are destroyed instead.
    const std::int32_t before = PooledLineCount();
    Platform::SetAllocatedHeapBytesOverride(std::int64_t{2} << 30);
    par.RebuildLines(false, 0);
    Platform::SetAllocatedHeapBytesOverride(-1);
    EXPECT_EQ(PooledLineCount(), before);
    TrimLinePool();
    EXPECT_EQ(PooledLineCount(), 0);
}

TEST_F(LineBreakTest, PaginatedLineInfoRestoresPlacementButNotHeight) {
    TLine old;
    old.Top = 1234;
    old.IndexInBox = 7;
    old.LineNumber = 9;
    old.Height = 555;
    old.Flags = lfWrapPiece | lfTopFixed | lfHighlight | lfHyphenated;
    const TPaginatedLineInfo info(old);
    TLine fresh;
    fresh.Height = 100;
    fresh.Flags = lfShadedFields;
    info.RestoreTo(fresh);
    EXPECT_EQ(fresh.Top, 1234);
    EXPECT_EQ(fresh.IndexInBox, 7);
    EXPECT_EQ(fresh.LineNumber, 9);
    EXPECT_EQ(fresh.Height, 100);
    EXPECT_EQ(fresh.Flags, lfShadedFields | lfWrapPiece | lfTopFixed);
}

TEST_F(LineBreakTest, TheBreakTables) {
    for (int c = 0; c < 256; ++c) {
        const bool opportunity =
            c == 9 || c == 13 || c == 14 || c == 15 || c == 18 || c == 19 || c == 20 || c == 32 || c == 45;
        EXPECT_EQ(BreakAfterChars[c], opportunity) << c;
    }
    EXPECT_EQ(MarkGlyphs[chParEnd], 182);
    EXPECT_EQ(MarkGlyphs[chCellEnd], 164);
    EXPECT_EQ(MarkGlyphs[chSoftHyphen], '-');
    EXPECT_TRUE(WordSeparatorChars[' ']);
    EXPECT_FALSE(WordSeparatorChars['\'']);
    EXPECT_FALSE(WordSeparatorChars['a']);
}

}  // namespace

namespace {

TEST_F(LineBreakTest, ADropCapLineHoldsTheWholeFieldWhateverItsWidth) {
    TField field;
    field.Kind = fkDropCap;
    const auto handle = static_cast<std::int32_t>(ObjectHandle(&field));
    TPar& par = Par("");
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, fcFieldStart, handle);
    AppendText(par, "WWW");
    AppendFormatControl(par.Stream, fcFieldEnd, handle);
    AppendText(par, "ide text that goes on");
    CloseParagraph(par);
    par.Flags |= pfDropCap | pfNormalized;
    // Far narrower than the three capitals.
    par.LayoutLines(0, 100, nullptr);
    ASSERT_EQ(par.LineCount(), 1);
    const TLine& line = LineOf(par, 0);
    EXPECT_EQ(line.CharCount, 3);
    EXPECT_NE(line.Flags & lfDropCap, 0u);
    EXPECT_EQ(line.Pos(0), 0);
    EXPECT_EQ(line.Pos(3), TextWidth("WWW", Times(), 24));
    // The flow lays out the rest from line 1.
    par.LayoutLines(1, 9000, nullptr);
    ASSERT_EQ(par.LineCount(), 2);
    EXPECT_EQ(LineOf(par, 1).FirstChar, 3);
    ReleaseObjectHandle(&field);
}

}  // namespace
