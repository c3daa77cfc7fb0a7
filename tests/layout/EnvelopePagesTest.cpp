// The envelope pages at the end of a document, found through the page boxes.

#include <gtest/gtest.h>

#include <string>

#include "PageFixture.h"
#include "model/document/TDoc.h"
#include "model/host/EnvelopeOptions.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"

namespace {

class EnvelopePagesTest : public PageFixture {
protected:
    // Builds the document a plan describes, one page per letter: "t" a page
    // of plain text, "a" an envelope page with a delivery address, "r" one
    // whose only envelope paragraph is a return address. Every page after
    // the first starts a new section, as envelopes do.
    void Build(const std::string& plan) {
        // Plain paragraphs name style 0, which must be "Normal".
        if (Doc->Styles->Count == 0)
            AddStyle(0, "Normal");
        const std::int32_t address = AddStyle(bsEnvelopeAddress, "Envelope Address");
        const std::int32_t ret = AddStyle(bsEnvelopeReturn, "Envelope Return");
        for (std::size_t i = 0; i < plan.size(); ++i) {
            if (i > 0)
                BreakSection(1);
            TPar& par = Plain(plan[i] == 't' ? "text" : "Somebody");
            if (plan[i] == 'a')
                par.Format.Style = static_cast<std::int16_t>(address);
            else if (plan[i] == 'r')
                par.Format.Style = static_cast<std::int16_t>(ret);
        }
        SetBodyLines(6);
    }

    std::int32_t AddStyle(std::int32_t builtIn, const char* name) {
        auto* style = new TStyle(Doc->Styles);
        style->BuiltInId = builtIn;
        style->Name = style->DisplayName = name;
        Doc->Styles->AddStyle(style);
        return Doc->Styles->Count - 1;
    }
};

TEST_F(EnvelopePagesTest, CountsTheEnvelopePagesAtTheEndOnly) {
    struct Case {
        const char* Plan;
        std::int32_t Pages;
        std::int32_t Envelopes;
    };
    const Case cases[] = {
        // The first page is never counted, even when it is an envelope.
        {"a", 1, 0},
        {"r", 1, 0},
        {"aa", 2, 1},
        {"t", 1, 0},
        {"tt", 2, 0},
        {"ta", 2, 1},
        // Two envelopes added at the end.
        {"tta", 3, 1},
        {"taa", 3, 2},
        {"tar", 3, 2},
        // The count stops at the first page without an envelope.
        {"tata", 4, 1},
        {"taat", 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Plan);
        TearDown();
        SetUp();
        Build(c.Plan);
        EXPECT_EQ(Doc->CountEnvelopePages(), c.Envelopes);
        EXPECT_EQ(Doc->Pages.Count, c.Pages) << "the plan's pages";
    }
}

TEST_F(EnvelopePagesTest, PaginatesWhatIsNotLaidOutYet) {
    Build("ttaa");
    // Nothing is on pages before the query asks for them.
    ASSERT_EQ(Doc->Pages.Count, 0);
    EXPECT_EQ(Doc->CountEnvelopePages(), 2);
}

}  // namespace
