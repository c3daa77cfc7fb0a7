// Drop caps in RTF: a drop cap's letters are a framed paragraph of their
// own in the file, joined to the paragraph that follows when read. Drop
// caps made by the editor survive a save and a read with their settings,
// letters and text; frames written the way other programs write them are
// read; and the frames that cannot become a drop cap stay text.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "RtfMemory.h"
#include "TransferDoc.h"
#include "editing/dropcaps/DropCaps.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

const char* const FontTable = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}";

// Each drop cap of the document: its paragraph, its letters and its
// settings, "0:W k1 l3 d144 h0", joined by "; ".
std::string DropCaps(TDoc& doc) {
    std::string out;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* cap = doc.Fields.At<TField>(i);
        const TDropCapDescription* s = DropCapSettings(cap);
        TFragment range;
        if (s == nullptr || !doc.FieldRange(cap, range))
            continue;
        std::string letters;
        doc.RangeTextA(range, letters);
        if (!out.empty())
            out += "; ";
        out += std::to_string(range.Start.Par) + ":" + letters + " k" + std::to_string(s->Position) + " l" +
               std::to_string(s->Lines) + " d" + std::to_string(s->Distance) + " h" +
               std::to_string(DropCapLineHeight(*s));
        if (range.Start.Offset != 0 || range.End.Par != range.Start.Par)
            out += " (misplaced)";
    }
    return out.empty() ? "none" : out;
}

// The text of the stories after the main text (notes, headers and
// footers), paragraphs joined by "|", control characters as "#".
std::string OtherStories(const TDoc& doc) {
    std::string text;
    for (std::int32_t p = doc.StoryCounts[stMain]; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        if (!text.empty())
            text += '|';
        for (std::int32_t i = 0; i + 1 < par.CharCount(); ++i) {
            const std::uint8_t c = par.Chars.Data[i];
            text += c >= 32 ? static_cast<char>(c) : '#';
        }
    }
    return text;
}

// The character format in force at a position, for the letters' look.
TCharFormat FormatAt(TDoc& doc, std::int32_t par, std::int32_t offset) {
    TCharFormat f;
    doc.FormatAtPos(TTextPos{par, offset, 0, 0}, f);
    return f;
}

TDropCapDescription Settings(std::uint8_t position, std::uint8_t lines, std::uint16_t distance) {
    TDropCapDescription s;
    s.Position = position;
    s.Lines = lines;
    s.Distance = distance;
    return s;
}

// A drop cap made by the editor on a paragraph, saved and read back: the
// same settings over the same letters, the same text and paragraph format,
// the letters' size and offset; and saving what was read gives the same
// bytes again.
TEST(DropCapsRtfTest, EditorDropCapsSurviveASaveAndRead) {
    TTransferScope scope;
    struct Case {
        const char* Name;
        const char* Body;  // after the font table
        TDropCapDescription Settings;
        const char* Expected;
    };
    const Case cases[] = {
        {"dropped three lines with a distance", "Once upon a time.\\par Second.\\par}", Settings(1, 3, 144),
         "0:O k1 l3 d144 h0"},
        {"in the margin, two lines", "Once upon a time.\\par Second.\\par}", Settings(2, 2, 0), "0:O k2 l2 d0 h0"},
        {"an indented, centred paragraph after a page break",
         "Before.\\par\\pard\\li720\\qc\\pagebb\\sb120 Once upon a time.\\par\\pard Second.\\par}", Settings(1, 4, 72),
         "1:O k1 l4 d72 h0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(std::string(FontTable) + c.Body);
        ASSERT_NE(doc, nullptr);
        const std::int32_t par = doc->Par(0)->CharCount() > 8 ? 0 : 1;
        doc->Caret = TTextPos{par, 0, 0, 0};
        doc->Selection->Reset();
        MakeFragmentFromPositions(doc->Caret, doc->Caret, doc->Selection->Fragment(0));
        doc->PerformOperation(TDropCapArgs{nullptr, &c.Settings, nullptr});
        ASSERT_EQ(DropCaps(*doc), c.Expected);
        const std::string text = MainText(*doc);
        const TParFormat format = doc->Par(par)->Format;
        const TCharFormat letter = FormatAt(*doc, par, 0);

        const std::string saved = SaveRtfToMemory(*doc);
        std::unique_ptr<TDoc> reread = OpenRtfBytes(saved);
        ASSERT_NE(reread, nullptr);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*reread), "");
        EXPECT_EQ(DropCaps(*reread), c.Expected);
        EXPECT_EQ(MainText(*reread), text);
        EXPECT_TRUE(ParFormatsEqual(reread->Par(par)->Format, format)) << saved;
        EXPECT_EQ(FormatAt(*reread, par, 0)[caSize], letter[caSize]);
        EXPECT_EQ(FormatAt(*reread, par, 0)[caOffset], letter[caOffset]);
        EXPECT_EQ(FormatAt(*reread, par, 1)[caSize], FormatAt(*doc, par, 1)[caSize]);
        EXPECT_EQ(SaveRtfToMemory(*reread), saved) << "saving what was read changes nothing";
    }
}

// The frame as the writer gives it: the drop cap's settings, the frame's
// words for other readers, and the paragraph's own format after it.
TEST(DropCapsRtfTest, TheLettersAreWrittenAsAFrameBeforeTheParagraph) {
    TTransferScope scope;
    std::unique_ptr<TDoc> doc = DocFromRtf(std::string(FontTable) + "\\li360 Once.\\par}");
    ASSERT_NE(doc, nullptr);
    const TDropCapDescription margin = Settings(2, 3, 144);
    doc->PerformOperation(TDropCapArgs{nullptr, &margin, nullptr});
    const std::string saved = SaveRtfToMemory(*doc);
    const std::size_t frame = saved.find(
        "\\pard\\li360\\keepn\\pvpara\\dropcapli3\\dropcapt2\\phpg"
        "\\dxfrtext144\\dfrmtxtx144\\dfrmtxty0");
    ASSERT_NE(frame, std::string::npos) << saved;
    const std::size_t letter = saved.find('O', frame);
    const std::size_t after = saved.find("\\par\\pard", letter);
    ASSERT_NE(after, std::string::npos) << saved;
    EXPECT_NE(saved.find("\\li360", after), std::string::npos) << "the paragraph's own format follows the frame";
    EXPECT_NE(saved.find("nce.", after), std::string::npos);
}

// Frames as files give them: each joins the paragraph after it when it
// can hold a drop cap, and stays text otherwise.
TEST(DropCapsRtfTest, FramesBecomeDropCapsWhereTheTextCanHoldOne) {
    TTransferScope scope;
    struct Case {
        const char* Name;
        const char* Body;  // after the font table
        const char* Text;
        const char* Caps;
        const char* Other = "";  // OtherStories
    };
    const Case cases[] = {
        {"a frame as word processors write it",
         "{\\pard\\dropcapli3\\dropcapt1\\pvpara\\dxfrtext144 W\\par}\\pard ord\\par Next.\\par}", "Word|Next.|",
         "0:W k1 l3 d144 h0"},
        {"one letter followed by a normal paragraph", "\\dropcapt1 W\\par\\pard ord\\par}", "Word|", "0:W k1 l1 d0 h0"},
        {"exact line spacing gives the line height, the margin kind",
         "\\pard\\sl-480\\slmult0\\dropcapli2\\dropcapt2\\phpg\\dfrmtxtx90\\dfrmtxty0 W\\par\\pard ord\\par}", "Word|",
         "0:W k2 l2 d0 h480"},
        {"a frame's letters in a group of their own formatting",
         "\\pard\\dropcapli3\\dropcapt1{\\fs96\\up4 In}\\par\\pard  the beginning\\par}", "In the beginning|",
         "0:In k1 l3 d0 h0"},
        {"lines and distance out of range are brought into it",
         "\\dropcapli99\\dropcapt1\\dxfrtext-5 W\\par\\pard ord\\par\\dropcapli0\\dropcapt1 N\\par\\pard ext\\par}",
         "Word|Next|", "0:W k1 l10 d0 h0; 1:N k1 l1 d0 h0"},
        {"a frame not ended by pard makes one drop cap only", "\\dropcapt1 W\\par ord\\par next\\par}", "Word|next|",
         "0:W k1 l1 d0 h0"},
        {"kind 0 is no drop cap", "\\dropcapli3\\dropcapt0 W\\par\\pard ord\\par}", "W|ord|", "none"},
        {"an unknown kind is no drop cap", "\\dropcapli3\\dropcapt7 W\\par\\pard ord\\par}", "W|ord|", "none"},
        {"an empty frame", "{\\pard\\dropcapli3\\dropcapt1\\par}\\pard Word\\par}", "|Word|", "none"},
        {"a frame in a table", "\\trowd\\cellx2000\\pard\\intbl\\dropcapt1 W\\par ord\\cell\\row\\pard after\\par}",
         "W|ord||after|", "none"},
        {"a frame in a footnote", "A{\\chftn}{\\footnote\\pard\\dropcapt1 N\\par\\pard ote}B\\par}", "A#B|", "none",
         "N|ote"},
        {"a frame in a header", "{\\header\\pard\\dropcapt1 H\\par\\pard ead\\par}Body\\par}", "Body|", "none",
         "H|ead"},
        {"a frame with nothing after it keeps its letter", "Before\\par\\pard\\dropcapli3\\dropcapt1 W\\par}",
         "Before|W", "none"},
        {"a frame followed by a table row",
         "\\pard\\dropcapt1 W\\par\\pard\\trowd\\cellx2000\\intbl ord\\cell\\row\\pard after\\par}", "Word||after|",
         "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(std::string(FontTable) + c.Body);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        EXPECT_EQ(MainText(*doc), c.Text);
        EXPECT_EQ(DropCaps(*doc), c.Caps);
        EXPECT_EQ(OtherStories(*doc), c.Other);
    }
}

// Pasted into a note, a header or a table, a frame is a paragraph of the
// text: the place cannot hold a drop cap.
TEST(DropCapsRtfTest, PastingIntoAnotherStoryOrATableMakesNoDropCap) {
    TTransferScope scope;
    const std::string rtf = std::string(FontTable) + "\\pard\\dropcapli3\\dropcapt1 W\\par\\pard ord\\par}";
    struct Case {
        const char* Name;
        bool NotMainText;
        bool IntoTable;
        const char* Caps;
    };
    const Case cases[] = {
        {"the main text", false, false, "0:W k1 l3 d0 h0"},
        {"another story", true, false, "none"},
        {"a table", false, true, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRtfReadOptions options;
        options.NotMainText = c.NotMainText;
        options.IntoTable = c.IntoTable;
        std::unique_ptr<TDoc> doc = ReadRtfBytes(rtf, options);
        EXPECT_EQ(DropCaps(*doc), c.Caps);
    }
}

}  // namespace
