// The results of joining, sorting and moving paragraphs, saved as RTF and
// read back, give the same text and formats: the operations leave nothing
// in the model that the writer drops or the reader builds differently.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "DocumentDump.h"
#include "FontManagerScope.h"
#include "RtfMemory.h"
#include "TabManagerScope.h"
#include "base/core/TMemory.h"
#include "editing/services/EditingInstall.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

class ParagraphOperationsRtfTest : public ::testing::Test {
protected:
    void SetUp() override {
        fonts.emplace();
        InstallEditing();
    }
    void TearDown() override { fonts.reset(); }

private:
    TTabManagerScope tabs;
    std::optional<TFontManagerScope> fonts;
};

// Paragraphs 0-2 plain with a bold word and a line break, 3 blank, 4 plain,
// 5-7 a one-row table whose first cell holds two paragraphs, 8 the end.
constexpr const char* Source =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
    "\\pard pear\\par"
    "\\pard {\\b apple} tart\\par"
    "\\pard\\qc fig one\\line two\\par"
    "\\pard\\par"
    "\\pard last\\par"
    "\\trowd\\cellx1440\\cellx2880\\pard\\intbl b\\par a\\cell d\\cell\\row"
    "\\pard end\\par}";

void PlaceCaret(TDoc& doc, std::int32_t par) {
    doc.Caret = TTextPos{par, 0};
    doc.Selection->SetSingle(par, 0, par, 0);
}

TEST_F(ParagraphOperationsRtfTest, ResultsReadBackAlike) {
    struct Case {
        const char* Name;
        std::function<void(TDoc&)> Perform;
    };
    const Case cases[] = {
        {"sorting",
         [](TDoc& doc) {
             doc.PerformOperation(TSortParagraphsArgs{0, 2, 0});
         }},
        {"sorting in a cell",
         [](TDoc& doc) {
             doc.PerformOperation(TSortParagraphsArgs{5, 7, 0});
         }},
        {"joining",
         [](TDoc& doc) {
             doc.PerformOperation(TJoinParagraphsArgs{0, 4});
         }},
        {"moving up",
         [](TDoc& doc) {
             PlaceCaret(doc, 2);
             doc.PerformOperation(TMoveParagraphsArgs{-1});
         }},
        {"moving over the table",
         [](TDoc& doc) {
             PlaceCaret(doc, 4);
             doc.PerformOperation(TMoveParagraphsArgs{1});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = OpenRtfBytes(Source);
        ASSERT_NE(doc, nullptr);
        const std::string before = DumpDocumentModel(*doc);
        c.Perform(*doc);
        // The section bounds are brought up to date lazily; saving does it,
        // so the dump of the edited model must too.
        doc->UpdateSectionIndex();
        const std::string model = DumpDocumentModel(*doc);
        EXPECT_NE(model, before) << "the operation changed nothing";
        std::unique_ptr<TDoc> again = OpenRtfBytes(SaveRtfToMemory(*doc));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(DumpDocumentModel(*again), model);
    }
}

}  // namespace
