#include "model/document/TPostActions.h"

#include <gtest/gtest.h>

#include "DocFixture.h"
#include "ModelSeamsStub.h"
#include "model/document/StateFlags.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"

namespace {

constexpr std::int32_t NoPage = static_cast<std::int32_t>(0x80000000u);

class PostActionsTest : public ::testing::Test {
protected:
    PostActionsTest() : F({"p0{par}", "p1{par}", "p2{par}", "p3{par}", "header{par}"}), Client(F.Doc()) {
        F.Doc().StoryCounts[0] = 4;
        F.Doc().StoryCounts[3] = 1;
        Client.ParPages = {{0, 8}, {1, 9}, {2, 10}, {3, 10}, {4, 2}};
    }
    std::int32_t Noted(std::int32_t par) {
        TPostActions& pa = *F.Doc().MainPostActions;
        pa.Reset();
        F.Doc().NoteParChanged(par);
        return pa.FirstPage;
    }

    TDocFixture F;
    TRecordingDocClient Client;
};

TEST_F(PostActionsTest, NotingAChangeLaysOutFromThePageBefore) {
    TDoc& doc = F.Doc();
    struct Case {
        const char* name;
        std::int32_t par;
        std::int32_t page;
    };
    const Case cases[] = {
        {"a paragraph on page 10 notes page 9", 2, 9},
        {"a header notes the page before the first that shows it", 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Noted(c.par), c.page);
    }
    // Kept with the paragraph before, on the previous page: one more back.
    doc.Par(1)->Format.KeepWithNext = 1;
    EXPECT_EQ(Noted(2), 8);
    doc.Par(1)->Format.KeepWithNext = 0;
    // Notes continued from earlier pages are laid out from where they began.
    Client.ContinuedNotes = {9, 8};
    EXPECT_EQ(Noted(2), 7);
    Client.ContinuedNotes.clear();
    // Not laid out: nothing to note.
    Client.ParPages.erase(3);
    EXPECT_EQ(Noted(3), NoPage);
    doc.StateFlags[sfNoNoting] = 1;
    EXPECT_EQ(Noted(2), NoPage);
    doc.StateFlags[sfNoNoting] = 0;
    // The earliest page wins.
    TPostActions& pa = *doc.MainPostActions;
    pa.Reset();
    doc.NoteParChanged(2);
    doc.NoteParChanged(0);
    doc.NoteParChanged(2);
    EXPECT_EQ(pa.FirstPage, 7);
}

TEST_F(PostActionsTest, ApplyingLaysOutUpToFivePagesPastTheVisibleOnes) {
    Client.LastVisible = 12;
    MakeTextPos(2, 1, F.Doc().Caret);
    F.Insert("x");
    EXPECT_EQ(Client.Calls("Paginate"), (std::vector<std::string>{"Paginate 9 17"}));
    EXPECT_EQ(Client.Calls("ScrollCaret"), (std::vector<std::string>{"ScrollCaret 0"}));
    EXPECT_EQ(F.Doc().MainPostActions->FirstPage, NoPage);  // reset after applying
    EXPECT_EQ(F.Doc().StateFlagStackDepth(), 0);
    EXPECT_EQ(F.Doc().StateFlags[sfPostActionsRunning], 0);
}

TEST_F(PostActionsTest, UndoingOneTypedCharacterScrollsGently) {
    const TModelOptions saved = ModelOptions();
    F.Type("ab");
    Client.Log.clear();
    F.Doc().Undo(true);  // with grouping "b" and "a" go together
    EXPECT_EQ(Client.Calls("ScrollCaret").back(), "ScrollCaret 0");
    F.Doc().RedoAll();
    ModelOptions().EditFlags &= ~eoGroupUndo;
    Client.Log.clear();
    F.Doc().Undo(true);
    EXPECT_EQ(Client.Calls("ScrollCaret").back(), "ScrollCaret 3");
    ModelOptions() = saved;
}

TEST_F(PostActionsTest, ASelectionAlreadyOnScreenIsNotScrolledTo) {
    TDoc& doc = F.Doc();
    Client.OnScreen = true;
    doc.MainPostActions->Selection->SetSingle(1, 0, 1, 2);
    doc.MainPostActions->Caret = doc.Caret;
    doc.ApplyPostActions();
    EXPECT_TRUE(Client.Calls("ScrollCaret").empty());
    EXPECT_EQ(Client.Calls("PlaceCaret").back(), "PlaceCaret still");
    EXPECT_EQ(doc.Selection->Fragment(0).End.Offset, 2);
    // Off screen, the caret goes to the selection's start and is scrolled
    // to.
    Client.OnScreen = false;
    doc.MainPostActions->Selection->SetSingle(2, 1, 3, 0);
    doc.ApplyPostActions();
    EXPECT_EQ(doc.Caret.Par, 2);
    EXPECT_EQ(doc.Caret.Offset, 1);
    EXPECT_EQ(Client.Calls("ScrollCaret").back(), "ScrollCaret 0");
}

TEST_F(PostActionsTest, AStillViewRepaintsOnlyTheNotedRange) {
    TDoc& doc = F.Doc();
    TPostActions& pa = *doc.MainPostActions;
    pa.Caret = doc.Caret;
    MakeFragment(1, 0, 1, 2, pa.RepaintRange);
    doc.ApplyPostActions();
    EXPECT_EQ(Client.Calls("Repaint").back(), "Repaint range");
    // A noted paragraph change needs the whole view.
    MakeFragment(1, 0, 1, 2, pa.RepaintRange);
    doc.NoteParChanged(1);
    doc.ApplyPostActions();
    EXPECT_EQ(Client.Calls("Repaint").back(), "Repaint all");
    doc.StateFlags[sfNoRepaint] = 1;
    Client.Log.clear();
    doc.ApplyPostActions();
    EXPECT_TRUE(Client.Calls("Repaint").empty());
}

TEST_F(PostActionsTest, ACaretInAHeaderWhileTheBodyIsEditedStaysInTheBody) {
    TDoc& doc = F.Doc();
    MakeTextPos(1, 1, doc.Caret);
    TPostActions& pa = *doc.MainPostActions;
    MakeTextPos(4, 0, pa.Caret);
    pa.Selection->SetSingle(4, 0, 4, 3);
    doc.ApplyPostActions();
    EXPECT_EQ(doc.Caret.Par, 1);
    EXPECT_TRUE(IsEmptyCompoundFragment(doc.Selection));
}

}  // namespace
