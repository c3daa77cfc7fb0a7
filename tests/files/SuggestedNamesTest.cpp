#include "files/saving/SuggestedNames.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FontManagerScope.h"
#include "TabManagerScope.h"
#include "files/opening/OpenDocument.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "model/paragraphs/TextServices.h"

namespace {

// Sentences end after a run of "!", "." and "?" followed by a blank.
class TSentenceServices : public TTextServices {
public:
    void SentenceAt(const TPar& par, std::int32_t offset, TFragment& sentence) const override {
        TTextServices::SentenceAt(par, offset, sentence);
        const std::string_view text(reinterpret_cast<const char*>(par.Chars.Data),
                                    static_cast<std::size_t>(par.CharCount()));
        for (std::size_t i = static_cast<std::size_t>(offset); i + 1 < text.size(); ++i)
            if ((text[i] == '!' || text[i] == '.' || text[i] == '?') && text[i + 1] == ' ') {
                sentence.End.Offset = static_cast<std::int32_t>(i + 1);
                break;
            }
    }
};

class SuggestedNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fonts.emplace();
        SetTextServices(&sentences);
    }
    void TearDown() override {
        SetTextServices(nullptr);
        fonts.reset();
    }

private:
    TTabManagerScope tabs;
    TSentenceServices sentences;
    std::optional<TFontManagerScope> fonts;
};

std::unique_ptr<TDoc> FromRtf(const std::string& rtf) {
    auto doc = std::make_unique<TDoc>(true);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osMemory;
    options.Format = 0;
    options.FileName = "test";
    options.Data = rtf.data();
    options.DataSize = static_cast<std::int32_t>(rtf.size());
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

TEST_F(SuggestedNamesTest, TheFirstSentenceGivesTheName) {
    const std::string longText(150, 'a');
    struct Case {
        const char* Name;
        std::string Body;
        std::string File;
        std::string Title;
    };
    const Case cases[] = {
        {"slash and exclamation mark", "Hello/world! Rest of it.\\par", "Hello world.rtf", "Hello/world"},
        {"only marks, then a paragraph", "?!?\\par \\par  Second line.\\par", "Second line.rtf", "Second line"},
        {"blanks and forbidden characters at the ends", "  <Plan>: B.\\par", "Plan   B.rtf", "<Plan>: B"},
        {"nothing to take", "\\par ...\\par", "Doc01.rtf", "Doc01.rtf"},
        {"cut to 100 characters", longText + "\\par", std::string(100, 'a') + ".rtf", longText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = FromRtf("{\\rtf1\\ansi " + c.Body + "}");
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(SuggestFileName(*doc, "Doc01.rtf", false), c.File);
        EXPECT_EQ(SuggestFileName(*doc, "Doc01.rtf", true), c.Title);
    }
}

}  // namespace
