#include "model/undo/TOperation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DocFixture.h"
#include "ModelSeamsStub.h"
#include "model/document/StateFlags.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/SimpleOperations.h"

namespace {

constexpr std::int32_t NoMarker = static_cast<std::int32_t>(0x80000000u);

// Group undo is an option; every test states the one it needs.
class UndoStackTest : public ::testing::Test {
protected:
    UndoStackTest() : Saved(ModelOptions()) {}
    ~UndoStackTest() override { ModelOptions() = Saved; }

    void SetGroupUndo(bool on) {
        if (on)
            ModelOptions().EditFlags |= eoGroupUndo;
        else
            ModelOptions().EditFlags &= ~eoGroupUndo;
    }

    // Commits an operation of n harmless steps.
    void CommitSteps(TDoc& doc, int n, std::uint8_t undoName = 0) {
        auto* op = new TOperation(&doc, undoName);
        doc.BeginOperation(op);
        for (int i = 0; i < n; ++i)
            (new TChangeDefLangOperation(&doc, 0x400 + i))->Execute();
        doc.EndOperation();
        doc.CommitOperation(op);
    }

    TModelOptions Saved;
};

TEST_F(UndoStackTest, GroupUndoTakesBackRunsOfTyping) {
    struct Case {
        const char* name;
        bool group;
        const char* typed;
        std::vector<std::string> afterEachUndo;
    };
    const Case cases[] = {
        {"a word, a space, an unfinished word", true, "ab cd", {"ab", ""}},
        {"a finished word goes with its space", true, "ab cd ", {"ab ", ""}},
        {"without grouping every letter is a step", false, "ab c", {"ab ", "ab", "a", ""}},
        {"two spaces in a row", true, "a  b", {"a ", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetGroupUndo(c.group);
        TDocFixture f({"{par}"});
        f.Type(c.typed);
        EXPECT_EQ(f.PlainText(), c.typed);
        for (const std::string& text : c.afterEachUndo) {
            f.Doc().Undo(true);
            EXPECT_EQ(f.PlainText(), text);
        }
        EXPECT_EQ(f.Doc().UndoIndex, -1);
    }
}

TEST_F(UndoStackTest, RedoGroupsTheWayTypingWasUndone) {
    SetGroupUndo(true);
    TDocFixture f({"{par}"});
    f.Type("ab cd");
    f.Doc().UndoAll();
    EXPECT_EQ(f.PlainText(), "");
    f.Doc().Redo();
    EXPECT_EQ(f.PlainText(), "ab ");  // the word with the space after it
    f.Doc().Redo();
    EXPECT_EQ(f.PlainText(), "ab cd");
}

TEST_F(UndoStackTest, TypingAtTwoPlacesOrDeletingNeverGroups) {
    SetGroupUndo(true);
    TDocFixture f({"{par}"});
    f.Type("abcdef");
    MakeTextPos(0, 1, f.Doc().Caret);
    f.Type("X");  // far from the last typing
    f.Doc().Undo(true);
    EXPECT_EQ(f.PlainText(), "abcdef");
    // A deletion made by the Delete command is of another merge class.
    MakeTextPos(0, 6, f.Doc().Caret);
    TTextPos start, end;
    MakeTextPos(0, 5, start);
    MakeTextPos(0, 6, end);
    std::int32_t flags = 0;
    f.Doc().PerformOperation(TDeleteTextArgs{nullptr, start, end, flags});
    auto* op = static_cast<TOperation*>(f.Doc().UndoList.Last());
    op->Flags |= ofTypedChar;
    op->MergeClass = mcDeleting;
    EXPECT_EQ(f.PlainText(), "abcde");
    f.Doc().Undo(true);
    EXPECT_EQ(f.PlainText(), "abcdef");
}

TEST_F(UndoStackTest, ChainedOperationsUndoTogetherEvenWithoutGrouping) {
    SetGroupUndo(false);
    TDocFixture f({"{par}"});
    f.Type("ab");
    f.Insert("!");
    static_cast<TOperation*>(f.Doc().UndoList.Last())->Flags |= ofChained;
    f.Doc().Undo(true);
    EXPECT_EQ(f.PlainText(), "a");
}

TEST_F(UndoStackTest, EmptyOperationsLeaveTheListAndTheMarkersAlone) {
    TDoc doc;
    doc.SavedUndoIndex = -1;
    auto* op = new TOperation(&doc, 0);
    doc.BeginOperation(op);
    doc.EndOperation();
    doc.CommitOperation(op);
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(doc.Modified, 0);
    EXPECT_EQ(doc.SavedUndoIndex, -1);
}

TEST_F(UndoStackTest, ANewOperationDropsTheRedoPartAndItsMarkers) {
    TDoc doc;
    for (int i = 0; i < 4; ++i)
        CommitSteps(doc, 1);
    doc.SavedUndoIndex = 3;  // saved after the fourth
    doc.SafeCopyUndoIndex = 1;
    doc.Undo(true);
    doc.Undo(true);
    EXPECT_EQ(doc.UndoIndex, 1);
    EXPECT_EQ(doc.NextRedoSerial(), doc.UndoOperation(2)->Serial);
    CommitSteps(doc, 1);
    EXPECT_EQ(doc.UndoList.Count, 3);
    EXPECT_EQ(doc.SavedUndoIndex, NoMarker);  // the saved state is gone
    EXPECT_EQ(doc.SafeCopyUndoIndex, 1);
    EXPECT_EQ(doc.NextRedoSerial(), 0);
    EXPECT_EQ(doc.LastOperationSerial(), doc.UndoOperation(2)->Serial);
    // Undoing back to where the save marker was still reports a change.
    doc.Undo(true);
    doc.Undo(true);
    doc.Undo(true);
    EXPECT_EQ(doc.Modified, 1);
}

TEST_F(UndoStackTest, ModifiedFollowsTheSavePoint) {
    TDoc doc;
    CommitSteps(doc, 1);
    CommitSteps(doc, 1);
    doc.SavedUndoIndex = doc.UndoIndex;  // saved now
    doc.SetModified(false);
    doc.Undo(true);
    EXPECT_EQ(doc.Modified, 1);
    doc.Redo();
    EXPECT_EQ(doc.Modified, 0);
    EXPECT_EQ(doc.StateFlags[sfChangedSinceSafeCopy], 1);
    doc.SafeCopyUndoIndex = doc.UndoIndex;
    doc.Undo(true);
    doc.Redo();
    EXPECT_EQ(doc.StateFlags[sfChangedSinceSafeCopy], 0);
}

TEST_F(UndoStackTest, ClearingTheHistoryMovesOrDropsTheMarkers) {
    TDoc doc;
    for (int i = 0; i < 4; ++i)
        CommitSteps(doc, 1);
    doc.Undo(true);
    doc.Undo(true);  // UndoIndex 1
    doc.SavedUndoIndex = 1;
    doc.SafeCopyUndoIndex = 3;
    doc.BackupUndoIndex = 0;
    doc.ClearUndoHistory();
    EXPECT_EQ(doc.UndoIndex, -1);
    EXPECT_EQ(doc.UndoList.Count, 2);         // the redo part stays
    EXPECT_EQ(doc.SavedUndoIndex, NoMarker);  // equal to the undo index: no save point left
    EXPECT_EQ(doc.SafeCopyUndoIndex, 1);
    EXPECT_EQ(doc.BackupUndoIndex, NoMarker);
    doc.Redo();
    EXPECT_EQ(doc.Modified, 1);
    doc.ClearRedoHistory();
    EXPECT_EQ(doc.UndoList.Count, 1);
    EXPECT_EQ(doc.SafeCopyUndoIndex, NoMarker);
}

TEST_F(UndoStackTest, LongOperationsShowTheirProgress) {
    TRecordingModelHost host;
    TDoc doc;
    CommitSteps(doc, 49, unFormatParagraph);
    CommitSteps(doc, 50, unFormatParagraph);
    doc.Undo(true);
    ASSERT_EQ(host.Progress.size(), 1u);
    EXPECT_EQ(host.Progress[0], "Undoing format paragraph ... /50");
    EXPECT_EQ(host.Positions.front(), 1);
    EXPECT_EQ(host.Positions.back(), 50);
    doc.Undo(true);
    EXPECT_EQ(host.Progress.size(), 1u);  // 49 steps show none
    doc.Redo();
    EXPECT_EQ(host.Progress.size(), 1u);
    doc.Redo();
    EXPECT_EQ(host.Progress.back(), "Redoing format paragraph ... /50");
    EXPECT_EQ(host.Positions.back(), 49);
}

TEST_F(UndoStackTest, LinkedOperationsUndoInBothDocuments) {
    TRecordingModelHost host;
    TDocFixture source({"drag me{par}"});
    TDocFixture target({"{par}"});
    // A move between documents: deleted in the source, inserted in the
    // target, the two operations linked.
    TTextPos start, end;
    MakeTextPos(0, 0, start);
    MakeTextPos(0, 4, end);
    std::int32_t flags = 0;
    source.Doc().PerformOperation(TDeleteTextArgs{nullptr, start, end, flags});
    target.Insert("drag");
    auto* deletion = static_cast<TOperation*>(source.Doc().UndoList.Last());
    auto* insertion = static_cast<TOperation*>(target.Doc().UndoList.Last());
    deletion->Linked = insertion;
    insertion->Linked = deletion;
    insertion->ActivateAfterUndo = &source.Doc();
    deletion->ActivateAfterUndo = &target.Doc();
    EXPECT_EQ(source.PlainText(), " me");
    target.Doc().Undo(true);
    EXPECT_EQ(target.PlainText(), "");
    EXPECT_EQ(source.PlainText(), "drag me");
    EXPECT_EQ(host.Activated, &source.Doc());
    EXPECT_EQ(source.Doc().StateFlags[sfLinkedUndo], 0);
    source.Doc().Redo();
    EXPECT_EQ(source.PlainText(), " me");
    EXPECT_EQ(target.PlainText(), "drag");
    source.Doc().Undo(true);
    EXPECT_EQ(target.PlainText(), "");
    EXPECT_EQ(host.Activated, &target.Doc());
    // Freeing one operation unlinks the other.
    target.Doc().ClearRedoHistory();
    EXPECT_EQ(deletion->Linked, nullptr);
}

TEST_F(UndoStackTest, RecordingCanBeSuspended) {
    TDoc doc;
    doc.BeginOperation(nullptr);
    EXPECT_TRUE(doc.RecordingSuspended());
    EXPECT_EQ(&doc.PostActions(), doc.SuspendedPostActions);
    (new TChangeDefLangOperation(&doc, 0x40C))->Execute();
    doc.EndOperation();
    EXPECT_EQ(doc.DefaultLanguage, 0x40C);  // applied, not kept
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(&doc.PostActions(), doc.MainPostActions);
}

TEST_F(UndoStackTest, UndoRestoresTheSelectionAndCaretOfBefore) {
    TDocFixture f({"hello world{par}"});
    TDoc& doc = f.Doc();
    doc.Selection->SetSingle(0, 0, 0, 5);
    MakeTextPos(0, 5, doc.Caret);
    f.Insert("HELLO");  // typed over the selection
    EXPECT_EQ(f.PlainText(), "HELLO world");
    EXPECT_TRUE(IsEmptyCompoundFragment(doc.Selection));
    EXPECT_EQ(doc.Caret.Offset, 5);
    doc.Undo(true);
    EXPECT_EQ(f.PlainText(), "hello world");
    EXPECT_EQ(doc.Selection->Fragment(0).End.Offset, 5);
    // A restored selection that is not on screen brings the caret to its
    // start, from where it is scrolled into view.
    EXPECT_EQ(doc.Caret.Offset, 0);
}

}  // namespace
