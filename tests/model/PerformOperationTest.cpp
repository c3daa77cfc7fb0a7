#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "DocFixture.h"
#include "ModelSeamsStub.h"
#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TEditingServices.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/SimpleOperations.h"
#include "model/undo/StyleOperations.h"
#include "model/undo/TOperation.h"
#include "support/TestSupport.h"

namespace {

// Installs a worker for one code while it lives.
class TWorkerScope {
public:
    TWorkerScope(std::uint8_t code, TOperationWorker worker) : Code(code), Previous(SetOperationWorker(code, worker)) {}
    ~TWorkerScope() { SetOperationWorker(Code, Previous); }
    TWorkerScope(const TWorkerScope&) = delete;
    TWorkerScope& operator=(const TWorkerScope&) = delete;

private:
    std::uint8_t Code;
    TOperationWorker Previous;
};

// A worker that changes something undoable.
void ToggleLanguage(TDoc& doc, TOperationCall&) {
    (new TChangeDefLangOperation(&doc, doc.DefaultLanguage == 0x409 ? 0x407 : 0x409))->Execute();
}

void DoNothing(TDoc&, TOperationCall&) {}

void Throw(TDoc& doc, TOperationCall&) {
    doc.PushStateFlag(sfNoRepaint);  // left pushed by the failing worker
    (new TChangeDefLangOperation(&doc, 0x40C))->Execute();
    throw std::runtime_error("worker failed");
}

TEST(OperationCodesTest, TableHasOneSortedRowPerCode) {
    for (int code = 0; code < OperationCodeCount; ++code) {
        EXPECT_EQ(OperationCodes[code].Code, code);
        EXPECT_LT(OperationCodes[code].UndoName, UndoNameCount);
    }
    EXPECT_STREQ(UndoNames[unTextInput], "text input");
    EXPECT_STREQ(UndoNames[68], "drop caps");
    EXPECT_STREQ(OperationCodes[opInsertText].Name, "opInsertText");
    EXPECT_TRUE(DynamicFieldTypes.Has(33));
    EXPECT_FALSE(DynamicFieldTypes.Has(13));
}

TEST(OperationCodesTest, SomeCodesTakeTheirUndoNameFromTheArguments) {
    std::uint8_t font = 1, paragraph = 0, listKind = 6, indentKind = 2, kind3 = 3;
    TFormatStyleListInfo withSheet, withoutSheet;
    withSheet.NewStyles = new TStyleList(nullptr);
    struct Case {
        const char* name;
        std::uint8_t code;
        std::vector<void*> args;
        std::uint8_t want;
    };
    const Case cases[] = {
        {"reset font format", opResetFormat, {nullptr, nullptr, &font}, unFontFormat},
        {"reset paragraph format", opResetFormat, {nullptr, nullptr, &paragraph}, unFormatParagraph},
        {"list level step", opStepParAttribute, {nullptr, nullptr, &listKind}, unLists},
        {"indent step", opStepParAttribute, {nullptr, nullptr, &indentKind}, unFormatParagraph},
        {"new style sheet", opFormatDocStyles, {&withSheet}, unFormatDocStyles},
        {"same sheet", opFormatDocStyles, {&withoutSheet}, unApplyStyle},
        {"conversion kind 3", opConvertText, {nullptr, nullptr, &kind3}, 31},
        {"missing slots", opConvertText, {}, 28},
        {"outside the table", 200, {}, 0},
        {"plain code", opSortParagraphs, {}, unSortParagraphs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OperationUndoName(c.code, c.args.data(), static_cast<std::int32_t>(c.args.size())), c.want);
    }
}

TEST(PerformOperationTest, AnOperationWithoutStepsIsDroppedAndLeavesTheOverride) {
    TWorkerScope nothing(opApplyStyle, DoNothing);
    TWorkerScope toggle(opFormatBrush, ToggleLanguage);
    TDoc doc;
    doc.UndoNameOverride = unDragDrop;
    doc.PerformOperation(opApplyStyle, {});
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(doc.Modified, 0);
    EXPECT_EQ(doc.StateFlags[sfCommitted], 0);
    EXPECT_EQ(doc.UndoNameOverride, unDragDrop);
    doc.PerformOperation(opFormatBrush, {});
    ASSERT_EQ(doc.UndoList.Count, 1);
    EXPECT_EQ(doc.UndoOperation(0)->UndoName, unDragDrop);
    EXPECT_EQ(doc.UndoNameOverride, 255);
    EXPECT_EQ(doc.StateFlags[sfCommitted], 1);
    EXPECT_EQ(doc.Modified, 1);
    doc.PerformOperation(opFormatBrush, {});
    EXPECT_EQ(doc.UndoOperation(1)->UndoName, 10);  // "format brush"
    EXPECT_EQ(DocumentCallDepth(), 0);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
    // Codes without a worker, or outside the table, change nothing.
    doc.PerformOperation(opInsertTable, {});
    doc.PerformOperation(250, {});
    EXPECT_EQ(doc.UndoList.Count, 2);
}

TEST(PerformOperationTest, AFailingWorkerCommitsNothingAndBalancesTheFlags) {
    TWorkerScope failing(opFormatBrush, Throw);
    TDoc doc;
    EXPECT_THROW(doc.PerformOperation(opFormatBrush, {}), std::runtime_error);
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(doc.OpenOperations.Count, 0);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
    EXPECT_EQ(doc.StateFlags[sfOperationRunning], 0);
    // The document call stays entered for the shell's exception handler.
    EXPECT_EQ(CurrentDocument(), &doc);
    EXPECT_EQ(DocumentCallDepth(), 1);
    ResetDocumentCalls();
}

TEST(PerformOperationTest, HiddenDocumentsChangeButKeepNoHistory) {
    TDoc doc(true);
    TMemory text;
    text.AssignString("abc");
    std::int32_t flags = 0;
    doc.PerformOperation(opInsertText, {&text, &flags});
    doc.PerformOperation(opInsertText, {&text, &flags});
    EXPECT_EQ(doc.Par(0)->Chars.View(), std::string_view("abcabc\x02"));
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(doc.StateFlags[sfCommitted], 0);
}

// The fifth slot of a conversion is optional.
void* FifthSlot = reinterpret_cast<void*>(1);
void RecordFifthSlot(TDoc& doc, TOperationCall& call) {
    FifthSlot = call.Arg(4);
}

TEST(PerformOperationTest, MissingSlotsReadAsNil) {
    TWorkerScope record(opConvertText, RecordFifthSlot);
    TDoc doc;
    std::uint8_t kind = 0;
    std::int32_t value = 0;
    doc.PerformOperation(opConvertText, {nullptr, nullptr, &kind, &value});
    EXPECT_EQ(FifthSlot, nullptr);
}

TEST(PerformOperationTest, SortingAsksToSelectDuplicatesOnlyWhenThereAreAny) {
    struct Case {
        const char* name;
        std::vector<std::string_view> pars;
        std::uint16_t answer;
        std::size_t boxes;
        std::int32_t selected;
    };
    const Case cases[] = {
        {"three identical paragraphs", {"same{par}", "same{par}", "same{par}"}, mrYes, 1, 2},
        {"the user declines", {"b{par}", "a{par}", "b{par}"}, mrNo, 1, 1},
        {"no repeats, no question", {"c{par}", "b{par}", "a{par}"}, mrYes, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSupport::TScriptedMessageBoxes boxes({c.answer});
        TDocFixture f;
        for (std::string_view d : c.pars)
            f.Add(d);
        std::int32_t first = 0, last = 2;
        std::uint8_t options = 0;
        f.Doc().PerformOperation(opSortParagraphs, {&first, &last, &options});
        ASSERT_EQ(boxes.Shown().size(), c.boxes);
        EXPECT_EQ(f.Doc().Selection->Count(), c.selected);
        if (c.answer == mrYes && c.boxes == 1) {
            EXPECT_EQ(f.Doc().Selection->Fragment(0).Start.Par, 1);
            EXPECT_EQ(f.Doc().Selection->Fragment(1).Start.Par, 2);
            EXPECT_EQ(f.Doc().Caret.Par, 1);
        }
    }
}

// Index entries whose pages move each time the index is made, until they
// have moved a given number of times.
int IndexRuns = 0;
void MakeIndex(TDoc& doc, TOperationCall& call) {
    ++IndexRuns;
    ToggleLanguage(doc, call);
}

class TMovingIndex : public TEditingServices {
public:
    TMovingIndex() : Previous(SetEditingServices(this)) { IndexRuns = 0; }
    ~TMovingIndex() override { SetEditingServices(Previous); }
    void IndexEntryPages(TDoc&, std::vector<TIndexEntryPage>& entries) override {
        entries.clear();
        entries.push_back(TIndexEntryPage{&Entry, std::min(IndexRuns, Moves)});
    }
    int Moves = 0;
    TField Entry;

private:
    TEditingServices* Previous;
};

TEST(PerformOperationTest, TheIndexIsMadeAgainUntilItsPagesSettle) {
    TWorkerScope index(opInsertIndex, MakeIndex);
    struct Case {
        const char* name;
        int moves;
        std::int32_t operations;
    };
    const Case cases[] = {
        {"pages already settled", 0, 1},
        {"two more passes", 2, 3},
        {"pages that never settle stop at the cap", 1000, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMovingIndex services;
        services.Moves = c.moves;
        TDocFixture f({"text{par}"});
        std::u16string instruction = u"INDEX";
        f.Doc().PerformOperation(opInsertIndex, {&instruction});
        EXPECT_EQ(f.Doc().UndoList.Count, c.operations);
        EXPECT_EQ(DocumentCallDepth(), 0);
        // Chained: one undo takes every pass back.
        f.Doc().Undo(true);
        EXPECT_EQ(f.Doc().UndoIndex, -1);
        EXPECT_EQ(f.Doc().DefaultLanguage, 0x409);
    }
}

// A field insertion worker and an update worker that records what it was
// asked to update.
TField* InsertedField = nullptr;
TFieldTypeSet UpdatedTypes;
void InsertPageField(TDoc& doc, TOperationCall& call) {
    auto* field = new TField;
    field->Type = call.Value<std::uint8_t>(0);
    TMemory content;
    AppendFormatControl(content, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    content.AppendString("?");
    AppendFormatControl(content, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    doc.InsertFormatted(content, doc.Caret, 0, doc.StoryOfPar(doc.Caret.Par), 0, nullptr);
    InsertedField = field;
    call.NewField = field;
}
void UpdateFields(TDoc& doc, TOperationCall& call) {
    UpdatedTypes = call.Value<TFieldTypeSet>(2);
    (new TEditFieldOperation(&doc, InsertedField, u"PAGE \\* MERGEFORMAT"))->Execute();
}

TEST(PerformOperationTest, InsertingADynamicFieldUpdatesItInAChainedStep) {
    TWorkerScope insert(opInsertField, InsertPageField);
    TWorkerScope update(opUpdateFields, UpdateFields);
    TDocFixture f({"page {par}"});
    MakeTextPos(0, 5, f.Doc().Caret);
    std::uint8_t type = ftPageNumber;
    std::u16string instruction = u"PAGE";
    f.Doc().PerformOperation(opInsertField, {&type, &instruction});
    ASSERT_EQ(f.Doc().UndoList.Count, 2);
    EXPECT_EQ(f.Doc().UndoOperation(1)->Flags & ofChained, ofChained);
    EXPECT_EQ(f.Doc().UndoOperation(1)->UndoName, unInsertField);
    EXPECT_TRUE(UpdatedTypes.Has(ftPageNumber));
    EXPECT_FALSE(UpdatedTypes.Has(ftPageRef));
    EXPECT_EQ(f.Doc().Caret.Offset, 6);  // after the field
    EXPECT_EQ(f.PlainText(), "page ?");
    f.Doc().Undo(true);
    EXPECT_EQ(f.Doc().UndoIndex, -1);
    EXPECT_EQ(f.PlainText(), "page ");
    f.Doc().Redo();
    EXPECT_EQ(f.Doc().UndoIndex, 1);
    EXPECT_EQ(InsertedField->Instruction, u"PAGE \\* MERGEFORMAT");
}

TEST(PerformOperationTest, TypingThroughTheEntryMovesTheCaret) {
    TDocFixture f({"{b:1}bold{par}"});
    TDoc& doc = f.Doc();
    MakeTextPos(0, 4, doc.Caret);
    f.Type("er");
    EXPECT_EQ(f.PlainText(), "bolder");
    EXPECT_EQ(doc.Caret.Offset, 6);
    // Typing continues the format of the character before the caret.
    TCharFormat format;
    TTextPos pos;
    MakeTextPos(0, 5, pos);
    doc.FormatAtPos(pos, format);
    EXPECT_EQ(format[caBold], 1);
    f.Insert("\r\nnext");
    EXPECT_EQ(f.PlainText(), "bolder|next");
    EXPECT_EQ(doc.Caret.Par, 1);
    EXPECT_EQ(doc.Caret.Offset, 4);
    EXPECT_EQ(doc.UndoList.Count, 3);
}

}  // namespace
