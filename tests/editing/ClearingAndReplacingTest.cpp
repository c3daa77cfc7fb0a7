// The paragraph looks that deletion gives back: the caret's paragraph after
// a whole story is cleared, and the paragraphs a replacement with paragraph
// ends makes.

#include <gtest/gtest.h>

#include "EditDoc.h"
#include "FormattingDoc.h"
#include "editing/fields/FieldIndex.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "editing/typing/TypingSeams.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/managers/TStyle.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

class ClearingAndReplacingTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST_F(ClearingAndReplacingTest, ClearingAStoryStartsTheCaretParagraphAfresh) {
    struct Case {
        const char* Name;
        bool Quote;          // the paragraphs in a style of their own
        bool Clearing;       // the clearing commands' state flag
        std::int32_t Style;  // the paragraph's style afterwards (0 Normal, 1 the quote)
        std::int16_t LeftIndent;
        std::uint8_t Alignment;
    };
    const Case cases[] = {
        {"a styled paragraph goes back to Normal", true, true, 0, 0, 0},
        {"a Normal paragraph drops its own formatting", false, true, 0, 0, 0},
        {"an ordinary deletion keeps the style", true, false, 1, 720, 1},
        {"an ordinary deletion keeps the formatting", false, false, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFormattingDoc f({"abc", "def"});
        TDoc& doc = f.Doc();
        const std::int32_t quote = f.AddStyle("Quote", 0);
        f.Style(quote).ParFormat.LeftIndent = 720;
        // Both paragraphs alike: the last one's mark is what survives.
        for (std::int32_t p = 0; p < 2; ++p) {
            if (c.Quote) {
                f.SetParStyle(p, quote);
                doc.Par(p)->Format.LeftIndent = 720;
            }
            doc.Par(p)->Format.Alignment = 1;
        }
        const std::string before = TestSupport::DocumentBytes(doc);
        if (c.Clearing)
            doc.PushStateFlag(sfClearingStory);
        doc.PerformOperation(TDeleteTextArgs{nullptr, TTextPos{0, 0}, TTextPos{1, 4}, 0});
        if (c.Clearing)
            doc.PopStateFlag();
        ASSERT_EQ(doc.StoryCounts[stMain], 1);
        EXPECT_EQ(doc.Par(0)->Format.Style, c.Style == 0 ? 0 : quote);
        EXPECT_EQ(doc.Par(0)->Format.LeftIndent, c.LeftIndent);
        EXPECT_EQ(doc.Par(0)->Format.Alignment, c.Alignment);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        doc.Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    }
}

void Utf16(const std::u16string& text, TMemory& out) {
    for (char16_t ch : text) {
        out.AppendByte(static_cast<std::uint8_t>(ch & 0xFF));
        out.AppendByte(static_cast<std::uint8_t>(ch >> 8));
    }
}

TEST_F(ClearingAndReplacingTest, ReplacingWithParagraphEndsCarriesTheReplacedParagraphsLooks) {
    struct Case {
        const char* Name;
        bool Keep;  // the state flag that carries the formats over
        std::u16string Text;
        std::vector<std::uint8_t> Alignments;  // of the paragraphs afterwards
    };
    // Paragraph 0 centred, 1 right-aligned, 2 left; "bc" / "de" are replaced.
    const Case cases[] = {
        {"in order, the caret's paragraph the last", true, u"X\rY", {1, 2, 0}},
        {"beyond the saved ones the second-to-last", true, u"X\rY\rZ\rW", {1, 2, 1, 2, 0}},
        {"without the flag the joined paragraph's look spreads", false, u"X\rY\rZ", {1, 1, 1, 0}},
        {"text without paragraph ends changes no paragraph", true, u"XY", {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abc", "def", "ghi"});
        TDoc& doc = ed.Doc();
        doc.Par(0)->Format.Alignment = 1;
        doc.Par(1)->Format.Alignment = 2;
        const std::string before = TestSupport::DocumentBytes(doc);
        TMemory text;
        Utf16(c.Text, text);
        if (c.Keep)
            doc.PushStateFlag(sfKeepParFormatsOnReplace);
        doc.PerformOperation(TReplaceTextArgs{TTextPos{0, 1}, TTextPos{1, 2}, &text, ifUtf16});
        if (c.Keep)
            doc.PopStateFlag();
        std::vector<std::uint8_t> alignments;
        for (std::int32_t p = 0; p < doc.StoryCounts[stMain]; ++p)
            alignments.push_back(doc.Par(p)->Format.Alignment);
        EXPECT_EQ(alignments, c.Alignments) << ed.Text();
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        doc.Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    }
}

// What the drop-cap seams saw during a replacement.
struct TDropCapCalls {
    std::vector<std::string> Calls;
    std::string TextAtRestore;
};
TDropCapCalls* DropCapCalls = nullptr;

TEST_F(ClearingAndReplacingTest, AReplacementLiftsADropCapAndMakesItAgainAfterTheNewText) {
    TEditDoc ed({"Once upon a time", "next"});
    TDoc& doc = ed.Doc();
    TDropCapCalls calls;
    DropCapCalls = &calls;
    TTypingSeams& seams = TypingSeams();
    const TTypingSeams saved = seams;
    seams.LiftDropCapForEdit = [](TDoc&, const TTextPos& at, TLiftedDropCap& lifted) {
        DropCapCalls->Calls.push_back("lift at " + std::to_string(at.Par) + "," + std::to_string(at.Offset));
        // Only a replacement inside the first four letters cuts the cap.
        if (at.Par == 0 && at.Offset < 4) {
            lifted.Lifted = true;
            lifted.Par = 0;
            lifted.Letters = 4;
        }
    };
    seams.RestoreDropCapAfterEdit = [](TDoc& d, const TLiftedDropCap& lifted) {
        DropCapCalls->Calls.push_back("restore " + std::to_string(lifted.Letters));
        const TPar& par = *d.Par(lifted.Par);
        DropCapCalls->TextAtRestore.assign(reinterpret_cast<const char*>(par.Chars.Data), par.CharCount() - 1);
    };
    const TextBytes inside("Tw");
    doc.PerformOperation(TReplaceTextArgs{TTextPos{0, 0}, TTextPos{0, 2}, &inside, 0});
    const TextBytes after("tale");
    doc.PerformOperation(TReplaceTextArgs{TTextPos{0, 12}, TTextPos{0, 16}, &after, 0});
    seams = saved;
    DropCapCalls = nullptr;
    EXPECT_EQ(calls.Calls, (std::vector<std::string>{"lift at 0,0", "restore 4", "lift at 0,12"}));
    EXPECT_EQ(calls.TextAtRestore, "Twce upon a time");
    EXPECT_EQ(ed.Text(), "Twce upon a tale / next");
}

}  // namespace
