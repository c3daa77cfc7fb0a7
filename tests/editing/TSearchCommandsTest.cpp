#include "editing/search/TSearchCommands.h"

#include <gtest/gtest.h>

#include <string>

#include "SearchDoc.h"
#include "base/messages/MessageBoxes.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TSearchSelection.h"
#include "editing/search/TToken.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

namespace {

class TSearchCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SearchOptions = 0;
        FindFormat.Clear();
        ReplaceFormat.Clear();
        ClearOptionalMessageAnswers();
    }
    void TearDown() override {
        SearchOptions = 0;
        ClearOptionalMessageAnswers();
    }

    std::string Selected(TSearchDoc& doc) {
        std::string s;
        for (const TFragment& range : Selection.Ranges(doc.Doc()))
            s += (s.empty() ? "" : "|") + doc.TextOf(range);
        return s;
    }

    // Every paragraph's stream and characters, to tell a document's bytes.
    static std::string Bytes(TDoc& doc) {
        std::string s;
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            const TPar* par = doc.Par(p);
            s.append(reinterpret_cast<const char*>(par->Stream.Data), par->Stream.Size);
            s += '|';
            s.append(reinterpret_cast<const char*>(par->Chars.Data), par->Chars.Size);
            s += '\n';
        }
        return s;
    }

    TPlainSearchSelection Selection;
    TSearchCommands Commands{Selection};
};

TEST_F(TSearchCommandsTest, FindNextSelectsEachHitThenAsksToRelaunch) {
    TSearchDoc doc("one two one\rtwo one");
    Commands.FindText = u"one";
    TestSupport::TScriptedMessageBoxes boxes({mrYes, mrNo});
    std::vector<std::int32_t> starts;
    for (int i = 0; i < 3; ++i) {
        Commands.FindNext(doc.Doc());
        ASSERT_EQ(Selected(doc), "one");
        starts.push_back(Selection.Ranges(doc.Doc())[0].Start.Par * 100 + Selection.Ranges(doc.Doc())[0].Start.Offset);
    }
    EXPECT_EQ(starts, (std::vector<std::int32_t>{0, 8, 104}));
    EXPECT_TRUE(boxes.Shown().empty());
    // At the end: relaunched from the start (Yes), which finds the first
    // again; then once more through to the end, and No ends the search.
    Commands.FindNext(doc.Doc());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text,
              "Rezozuri has reached one end of the document.\rWould you like to relaunch searching from the other "
              "end of this document?");
    EXPECT_EQ(Selection.Ranges(doc.Doc())[0].Start.Offset, 0);
    Commands.FindNext(doc.Doc());
    Commands.FindNext(doc.Doc());
    Commands.FindNext(doc.Doc());
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[2].Text, "No (other) instance of the search item could be found.");
    // The caret went back to where the series began.
    EXPECT_EQ(doc.Doc().Caret.Par, 0);
    EXPECT_EQ(doc.Doc().Caret.Offset, 0);
}

TEST_F(TSearchCommandsTest, InvalidPatternsAreReported) {
    TSearchDoc doc("text");
    TestSupport::TScriptedMessageBoxes boxes;
    SearchOptions = soWildcards;
    Commands.FindText = u"a{3,2}";
    Commands.FindNext(doc.Doc());
    Commands.FindText = u"";
    Commands.FindNext(doc.Doc());
    Commands.FindText = u"(x)";
    Commands.ReplaceText = u"\\2";
    Commands.FindOrReplaceAll(doc.Doc(), true, false);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[0].Text, "The \"Find what\" pattern is invalid.\r\r\"{3,2}\" is not allowed.");
    EXPECT_EQ(boxes.Shown()[1].Text, "Please specify text to find.");
    EXPECT_EQ(boxes.Shown()[2].Text,
              "The \"Replace with\" pattern is invalid.\r\r\"\\2\" is not a valid group number.");
}

TEST_F(TSearchCommandsTest, ReplaceReplacesTheFoundSelectionThenFindsTheNext) {
    TSearchDoc doc("cat cat cat", false);
    doc.Doc().ClearUndoHistory();
    TestSupport::TScriptedMessageBoxes boxes;
    Commands.FindText = u"cat";
    Commands.ReplaceText = u"dog";
    Commands.FindNext(doc.Doc());
    Commands.Replace(doc.Doc(), false);
    EXPECT_EQ(doc.Text(), "dog cat cat\r");
    EXPECT_EQ(Selection.Ranges(doc.Doc())[0].Start.Offset, 4);
    Commands.Replace(doc.Doc(), true);
    EXPECT_EQ(doc.Text(), "dog dog cat\r");
    EXPECT_EQ(doc.Doc().UndoList.Count, 2);
    // A selection the pattern does not match exactly is left alone.
    Selection.Select(doc.Doc(), {TFragment{{0, 8, 0, 0}, {0, 10, 0, 0}}}, {0, 10, 0, 0});
    Commands.Replace(doc.Doc(), true);
    EXPECT_EQ(doc.Text(), "dog dog cat\r");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(TSearchCommandsTest, FindAndSelectAllSelectsEveryHit) {
    TSearchDoc doc("a1 b2\rc3 d");
    TestSupport::TScriptedMessageBoxes boxes;
    SearchOptions = soWildcards;
    Commands.FindText = u"[a-z]^#";
    EXPECT_TRUE(Commands.FindOrReplaceAll(doc.Doc(), false, false));
    EXPECT_EQ(Selected(doc), "a1|b2|c3");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "Search complete. Rezozuri found and selected 3 occurrence(s).");
}

// Replace All of many hits is one undo step, and undoing it gives back the
// document's exact bytes.
TEST_F(TSearchCommandsTest, ReplaceAllIsOneUndoStep) {
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += (i % 10 == 9) ? "word\r" : "word ";
    TSearchDoc doc(text, false);
    doc.Doc().ClearUndoHistory();
    const std::string before = Bytes(doc.Doc());
    // A pass that replaced something asks whether to go round again, even
    // from the start: the replacements may have made new occurrences.
    TestSupport::TScriptedMessageBoxes boxes({mrNo});
    Commands.FindText = u"word";
    Commands.ReplaceText = u"term^&";
    EXPECT_TRUE(Commands.FindOrReplaceAll(doc.Doc(), true, false));
    EXPECT_EQ(Commands.LastTotal, 40000);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].OptionalMessage, AskRelaunchSearchMessage);
    EXPECT_EQ(boxes.Shown()[1].Text, "Search complete. Replaced 40000 occurrence(s).");
    EXPECT_EQ(doc.Doc().Par(0)->CharCount(), 90);  // ten "termword", nine blanks, the mark
    ASSERT_EQ(doc.Doc().UndoList.Count, 1);
    doc.Doc().Undo(false);
    EXPECT_EQ(Bytes(doc.Doc()), before);
}

TEST_F(TSearchCommandsTest, ReplaceAllInASelectionAsksForTheRest) {
    TSearchDoc doc("x x x x", false);
    TestSupport::TScriptedMessageBoxes boxes({mrYes});
    Commands.FindText = u"x";
    Commands.ReplaceText = u"y";
    Selection.Select(doc.Doc(), {TFragment{{0, 2, 0, 0}, {0, 5, 0, 0}}}, {0, 5, 0, 0});
    Commands.StateOf(doc.Doc()).ScopeKind = 1;
    Commands.StateOf(doc.Doc()).Scope = {TFragment{{0, 2, 0, 0}, {0, 5, 0, 0}}};
    EXPECT_TRUE(Commands.FindOrReplaceAll(doc.Doc(), true, false));
    ASSERT_GE(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text,
              "Rezozuri has finished searching the selection.\rWould you like to search the remainder of this "
              "document?");
    EXPECT_EQ(doc.Text(), "y y y y\r");
    // The two passes are undone together.
    doc.Doc().Undo(false);
    EXPECT_EQ(doc.Text(), "x x x x\r");
}

TEST_F(TSearchCommandsTest, TooComplexPatternIsReportedNotHung) {
    TSearchDoc doc(std::string(60, 'a'));
    TestSupport::TScriptedMessageBoxes boxes;
    SearchOptions = soWildcards;
    Commands.FindText = u"(a@a@)@b";
    Commands.FindNext(doc.Doc());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, TooComplexMessage);
    EXPECT_EQ(boxes.Shown()[0].Kind, mbkError);
}

// Records what the repeat commands ask of the window and the panel.
class TRecordingHost : public TFindReplaceHost {
public:
    void RefreshInterfaceIfDirty() override { ++Refreshes; }
    void ShowFindReplace(int page) override { Shown.push_back(page); }
    bool FindPanelVisible(bool withReplaceControls) override {
        return PanelVisible && (!withReplaceControls || ReplaceControls);
    }

    bool PanelVisible = false;
    bool ReplaceControls = false;
    int Refreshes = 0;
    std::vector<int> Shown;
};

TEST_F(TSearchCommandsTest, RepeatCommandsSearchAgainOrOpenTheWindow) {
    struct Case {
        const char* Name;
        std::uint8_t Kind;
        bool FindDone;
        bool ReplaceDone;
        std::uint8_t LastAction;
        bool Panel;
        bool ReplaceControls;
        const char* Text;      // the document afterwards
        const char* Selected;  // the selection afterwards
        std::vector<int> Shown;
    };
    const Case cases[] = {
        {"find next after a find", rcFindNext, true, false, laFindNext, false, false, "one two one", "one", {}},
        {"find next before any: the Find page",
         rcFindNext,
         false,
         false,
         laNothing,
         false,
         false,
         "one two one",
         "",
         {0}},
        {"find next with the panel shown", rcFindNext, false, false, laNothing, true, false, "one two one", "one", {}},
        {"replace next before any: the Replace page",
         rcReplaceNext,
         true,
         false,
         laFindNext,
         false,
         false,
         "one two one",
         "",
         {1}},
        {"replace next with the panel but no replace controls",
         rcReplaceNext,
         false,
         false,
         laNothing,
         true,
         false,
         "one two one",
         "",
         {1}},
        {"replace next with the panel's replace controls: the first hit is selected",
         rcReplaceNext,
         false,
         false,
         laNothing,
         true,
         true,
         "one two one",
         "one",
         {}},
        {"replace all next after a replace", rcReplaceAllNext, false, true, laReplace, false, false, "1 two 1", "", {}},
        {"redo last after a replace all", rcRedoLast, false, true, laReplaceAll, false, false, "1 two 1", "", {}},
        {"redo last after a find", rcRedoLast, true, false, laFindNext, false, false, "one two one", "one", {}},
        {"redo last before anything: the Find page",
         rcRedoLast,
         false,
         false,
         laNothing,
         false,
         false,
         "one two one",
         "",
         {0}},
        {"an unknown kind does nothing", 9, true, true, laFindNext, false, false, "one two one", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TSearchDoc doc("one two one");
        TPlainSearchSelection selection;
        TSearchCommands commands{selection};
        TRecordingHost host;
        host.PanelVisible = c.Panel;
        host.ReplaceControls = c.ReplaceControls;
        commands.Host = &host;
        commands.FindText = u"one";
        commands.ReplaceText = u"1";
        commands.FindDone = c.FindDone;
        commands.ReplaceDone = c.ReplaceDone;
        commands.LastAction = c.LastAction;
        TestSupport::TScriptedMessageBoxes boxes({mrNo, mrNo, mrNo});
        commands.RepeatCommand(doc.Doc(), c.Kind);
        EXPECT_EQ(doc.Text(), std::string(c.Text) + "\r");
        std::string selected;
        for (const TFragment& range : selection.Ranges(doc.Doc()))
            selected += doc.TextOf(range);
        EXPECT_EQ(selected, c.Selected);
        EXPECT_EQ(host.Shown, c.Shown);
        EXPECT_EQ(host.Refreshes, c.Kind <= rcReplaceAllNext ? 1 : 0);
    }
}

}  // namespace
