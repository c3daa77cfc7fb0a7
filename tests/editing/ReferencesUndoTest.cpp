#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "EditDoc.h"
#include "ReferencesDoc.h"
#include "editing/references/AlphabeticalIndex.h"
#include "editing/references/TableOfContents.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

// Headings and index entries over three pages, the caret at the top.
void Build(TReferencesDoc& fixture) {
    fixture.Add("Top");
    TPar& one = fixture.Heading("One", 1);
    fixture.Entry(one, "XE \"one\"");
    TPar& body = fixture.Add("the cat sat on a cat");
    fixture.Entry(body, "XE \"animals:cat\"");
    TPar& two = fixture.Heading("Two", 2, true);
    fixture.Entry(two, "XE \"two\" \\b");
    fixture.Heading("Three", 3, true);
    fixture.Add("a cat again");
    fixture.Ready(0);
}

// Each operation undone gives back the document byte for byte, and redone
// gives the bytes it made; twice over, so that a redo leaves the steps able
// to undo again.
TEST(ReferencesUndoTest, UndoAndRedoRestoreEveryByte) {
    TEditingInstalled installed;
    TestSupport::TScriptedMessageBoxes boxes({mrNo, mrNo, mrNo});
    struct Case {
        const char* Name;
        std::function<void(TReferencesDoc&)> Prepare;
        std::function<void(TDoc&)> Run;
    };
    const std::u16string runInColumns = u"INDEX \\c \"2\" \\r \\z \"1033\"";
    const std::u16string indented = u"INDEX \\h \"A\" \\e \"\t\" \\z \"1033\"";
    const std::u16string entry = u"XE \"Top\"";
    TMarkIndexOptions all;
    all.Texts = {u"cat", u"Two"};
    all.Instructions = {u"XE \"cat\"", u"XE \"two\""};
    TGenerateTocOptions titled;
    titled.ShowTitle = 1;
    titled.Title = u"Contents";
    titled.RightAligned = 1;
    titled.Leader = 1;
    const Case cases[] = {
        {"table of contents", nullptr,
         [&](TDoc& doc) {
             doc.PerformOperation(TInsertTOCArgs{nullptr, &titled});
         }},
        {"table of contents removed",
         [&](TReferencesDoc& f) {
             f.Doc().PerformOperation(TInsertTOCArgs{});
             f.Ready(0);
         },
         [](TDoc& doc) { doc.PerformOperation(TRemoveTOCArgs{}); }},
        {"table of contents regenerated",
         [&](TReferencesDoc& f) {
             f.Doc().PerformOperation(TInsertTOCArgs{});
             f.Ready(1);
         },
         [](TDoc& doc) {
             TGenerateTocOptions update;
             update.Update = 1;
             doc.PerformOperation(TInsertTOCArgs{nullptr, &update});
         }},
        {"entry marked", nullptr, [&](TDoc& doc) { doc.PerformOperation(TMarkIndexEntryArgs{&entry}); }},
        {"all entries marked", nullptr,
         [&](TDoc& doc) {
             doc.PerformOperation(TMarkIndexEntriesArgs{nullptr, &all});
         }},
        {"run-in index in columns", nullptr, [&](TDoc& doc) { doc.PerformOperation(TInsertIndexArgs{&runInColumns}); }},
        {"indented index with headings", nullptr,
         [&](TDoc& doc) { doc.PerformOperation(TInsertIndexArgs{&indented}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TReferencesDoc fixture;
        Build(fixture);
        if (c.Prepare)
            c.Prepare(fixture);
        TDoc& doc = fixture.Doc();
        const std::string before = TestSupport::DocumentBytes(doc);
        const std::int32_t undoBefore = doc.UndoList.Count;
        c.Run(doc);
        ASSERT_GT(doc.UndoList.Count, undoBefore);
        const std::string after = TestSupport::DocumentBytes(doc);
        EXPECT_NE(after, before);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            doc.Undo(true);
            EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
            EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
            doc.Redo();
            EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
        }
    }
}

}  // namespace
