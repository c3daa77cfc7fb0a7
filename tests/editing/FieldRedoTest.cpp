// Inserting fields, bookmarks and drop caps, then undoing and redoing the
// step: redo must give back the model the insertion made, byte for byte,
// wherever the marks stand among format controls.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "FieldDoc.h"
#include "editing/dropcaps/DropCaps.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

// A paragraph of the fixture written with format changes: "[" turns bold
// on and "]" off, "{" italic on and "}" off, each a control of its own in
// the stream between the letters around it.
void AddFormatted(TFieldDoc& fixture, const std::string& text) {
    std::string letters;
    std::vector<std::pair<std::size_t, char>> changes;
    for (char ch : text) {
        if (ch == '[' || ch == ']' || ch == '{' || ch == '}')
            changes.emplace_back(letters.size(), ch);
        else
            letters += ch;
    }
    TPar& par = fixture.Add(letters);
    // From the last change back, so that the offsets before stay valid; the
    // letters follow the font and size controls that the fixture starts
    // every paragraph with.
    const std::int32_t fontControls = 2 * FormatControlSize;
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        const auto at = fontControls + static_cast<std::int32_t>(it->first);
        const bool bold = it->second == '[' || it->second == ']';
        const bool on = it->second == '[' || it->second == '{';
        InsertFormatControl(par.Stream, at, bold ? caBold : caItalic, on ? 1 : 0);
    }
    par.Changed();
}

// What laying a paragraph out or looking for its drop cap does between two
// steps of the user: every stream takes its canonical form.
void Settle(TDoc& doc) {
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        doc.Par(p)->Normalize();
}

class FieldRedoTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST_F(FieldRedoTest, RedoPutsTheMarksWhereTheInsertionDid) {
    const std::u16string noInstruction;
    const std::string name = "mark";
    TDropCapDescription cap;
    cap.Position = 1;
    cap.Lines = 2;
    cap.Distance = 0;
    struct Case {
        const char* Name;
        std::string Text;
        std::int32_t From;
        std::int32_t To;
        std::function<void(TDoc&)> Insert;
    };
    const auto field = [&](TDoc& doc) { doc.PerformOperation(TInsertFieldArgs{ftPageNumber, &noInstruction}); };
    const auto bookmark = [&](TDoc& doc) { doc.PerformOperation(TInsertBookmarkArgs{&name}); };
    const auto dropCap = [&](TDoc& doc) { doc.PerformOperation(TDropCapArgs{nullptr, &cap, nullptr}); };
    const Case cases[] = {
        {"field at a caret in plain text", "alpha beta", 3, 3, field},
        {"field at a caret before a format change", "alp[ha beta", 3, 3, field},
        {"field at a caret after a format change", "alp[ha] beta", 5, 5, field},
        {"field over a selection ending before a format change", "alp[ha beta", 1, 3, field},
        {"field over a selection ending before two format changes", "alp[{ha beta", 0, 3, field},
        {"field at the paragraph's end after format codes", "alpha[", 5, 5, field},
        {"field over a selection starting after a format change", "alp[ha beta", 3, 5, field},
        {"field over a selection between two format changes", "al[pha] beta", 2, 5, field},
        {"bookmark at a caret before a format change", "alp[ha beta", 3, 3, bookmark},
        {"bookmark over a selection ending before a format change", "alp[ha beta", 1, 3, bookmark},
        {"bookmark over a selection starting after a format change", "alp[ha beta", 3, 5, bookmark},
        {"bookmark over a selection between two format changes", "al[pha] beta", 2, 5, bookmark},
        {"drop cap in plain text", "Once upon a time.", 0, 0, dropCap},
        {"drop cap before a format change", "O{nce upon a time.", 0, 0, dropCap},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFieldDoc fixture;
        AddFormatted(fixture, c.Text);
        fixture.Add("second");
        fixture.Paginate();
        TDoc& doc = fixture.Doc();
        doc.StateFlags[sfHidden] = 0;
        Settle(doc);
        doc.Selection->SetCount(1);
        MakeFragment(0, c.From, 0, c.To, doc.Selection->Fragment(0));
        doc.Caret = TTextPos{0, c.To};
        const std::string before = TestSupport::DocumentBytes(doc);
        c.Insert(doc);
        const std::string done = TestSupport::DocumentBytes(doc);
        ASSERT_NE(done, before);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        // The marks stand where normalising would put them.
        Settle(doc);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), done);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            doc.Undo(false);
            EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
            Settle(doc);
            doc.Redo();
            EXPECT_EQ(TestSupport::DocumentBytes(doc), done);
            Settle(doc);
        }
    }
}

// A mark that stands behind attribute changes, as a reader may leave it,
// comes back to that very place when the step that took it out is undone:
// only marks that a step puts in anew go in front of attribute changes.
TEST_F(FieldRedoTest, UndoPutsALiftedMarkBackBehindAttributeChanges) {
    TFieldDoc fixture;
    AddFormatted(fixture, "alpha [");
    fixture.AddBookmark(*fixture.Doc().Par(0), "kept", "beta");
    fixture.Paginate();
    TDoc& doc = fixture.Doc();
    doc.StateFlags[sfHidden] = 0;
    const std::string before = TestSupport::DocumentBytes(doc);
    const std::string name = "kept";
    doc.PerformOperation(TDeleteBookmarkArgs{&name});
    EXPECT_NE(TestSupport::DocumentBytes(doc), before);
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

}  // namespace
