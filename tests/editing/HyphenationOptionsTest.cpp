// The document's hyphenation options through opChangeHyphenation: the
// options are swapped in as one undo step, the caret and the selection
// stay, and undo and redo give the options and the text back exactly.

#include <gtest/gtest.h>

#include <string>

#include "EditDoc.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

std::string OptionsText(const THyphenationOptions& o) {
    return std::to_string(o.Automatic) + "/" + std::to_string(o.HyphenateCaps) + "/" + std::to_string(o.Zone) + "/" +
           std::to_string(o.ConsecutiveLimit);
}

THyphenationOptions Options(std::uint8_t automatic, std::uint8_t caps, std::int32_t zone, std::int32_t limit) {
    THyphenationOptions options;
    options.Automatic = automatic;
    options.HyphenateCaps = caps;
    options.Zone = zone;
    options.ConsecutiveLimit = limit;
    return options;
}

class HyphenationOptionsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST_F(HyphenationOptionsTest, OptionsSwapAsOneStepAndTheCaretStays) {
    struct Case {
        const char* Name;
        THyphenationOptions Options;
        bool Selection;
    };
    const Case cases[] = {
        {"automatic hyphenation switched on", Options(1, 1, 360, 0), false},
        {"capitals left alone, a wide zone, two lines at most", Options(1, 0, 31680, 2), true},
        {"the smallest zone and the largest limit", Options(0, 1, 144, 32767), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"hyphenation", "options"});
        TDoc& doc = ed.Doc();
        // With a selection the caret is at its start: a selection off
        // screen (there is no window here) brings the caret to its start
        // after any operation.
        const TTextPos caret = c.Selection ? TTextPos{0, 2} : TTextPos{1, 3};
        doc.Caret = caret;
        if (c.Selection)
            doc.Selection->SetSingle(0, 2, 1, 3);
        TCompoundFragment* selection = CloneCompoundFragment(*doc.Selection);
        const std::string before = OptionsText(doc.Hyphenation);
        const std::string bytes = TestSupport::DocumentBytes(doc);

        doc.PerformOperation(TChangeHyphenationArgs{&c.Options});
        ASSERT_EQ(doc.UndoList.Count, 1);
        const std::string after = OptionsText(c.Options);
        EXPECT_EQ(OptionsText(doc.Hyphenation), after);
        EXPECT_EQ(CompareTextPos(doc.Caret, caret), 0);
        EXPECT_TRUE(doc.Selection->Equals(*selection));
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            doc.Undo(false);
            EXPECT_EQ(OptionsText(doc.Hyphenation), before);
            EXPECT_EQ(TestSupport::DocumentBytes(doc), bytes);
            doc.Redo();
            EXPECT_EQ(OptionsText(doc.Hyphenation), after);
            EXPECT_EQ(TestSupport::DocumentBytes(doc), bytes);
        }
        EXPECT_TRUE(doc.Selection->Equals(*selection));
        ReleaseCompoundFragment(selection);
    }
}

TEST_F(HyphenationOptionsTest, NoOptionsRecordNothing) {
    TEditDoc ed({"text"});
    TDoc& doc = ed.Doc();
    doc.PerformOperation(TChangeHyphenationArgs{nullptr});
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(OptionsText(doc.Hyphenation), OptionsText(THyphenationOptions{}));
}

}  // namespace
