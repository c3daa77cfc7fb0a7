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
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/SimpleOperations.h"
#include "model/undo/StyleOperations.h"
#include "model/undo/TOperation.h"
#include "support/TestSupport.h"

namespace {

// Installs a worker for the code of a record type while it lives.
template <class TArgs>
class TWorkerScope {
public:
    explicit TWorkerScope(TOperationWorker<TArgs> worker) : Previous(SetOperationWorker<TArgs>(worker)) {}
    ~TWorkerScope() { SetOperationWorker<TArgs>(Previous); }
    TWorkerScope(const TWorkerScope&) = delete;
    TWorkerScope& operator=(const TWorkerScope&) = delete;

private:
    TOperationWorker<TArgs> Previous;
};

// A change that is undoable.
void ToggleLanguage(TDoc& doc) {
    (new TChangeDefLangOperation(&doc, doc.DefaultLanguage == 0x409 ? 0x407 : 0x409))->Execute();
}

template <class TArgs>
void ToggleLanguageWorker(TDoc& doc, TOperationCall&, const TArgs&) {
    ToggleLanguage(doc);
}

template <class TArgs>
void DoNothing(TDoc&, TOperationCall&, const TArgs&) {}

template <class TArgs>
void Throw(TDoc& doc, TOperationCall&, const TArgs&) {
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
    EXPECT_STREQ(OperationCodes[opInsertText].Record, "TInsertTextArgs");
    EXPECT_TRUE(DynamicFieldTypes.Has(33));
    EXPECT_FALSE(DynamicFieldTypes.Has(13));
}

TEST(OperationCodesTest, SomeCodesTakeTheirUndoNameFromTheArguments) {
    TFormatStyleListInfo withSheet, withoutSheet;
    withSheet.NewStyles = new TStyleList(nullptr);
    struct Case {
        const char* name;
        std::uint8_t got;
        std::uint8_t want;
    };
    const Case cases[] = {
        {"reset font format", OperationUndoName(TResetFormatArgs{nullptr, nullptr, 1}), unFontFormat},
        {"reset paragraph format", OperationUndoName(TResetFormatArgs{nullptr, nullptr, 0}), unFormatParagraph},
        {"list level step", OperationUndoName(TStepParAttributeArgs{nullptr, nullptr, 6}), unLists},
        {"indent step", OperationUndoName(TStepParAttributeArgs{nullptr, nullptr, 2}), unFormatParagraph},
        {"new style sheet", OperationUndoName(TFormatDocStylesArgs{&withSheet}), unFormatDocStyles},
        {"same sheet", OperationUndoName(TFormatDocStylesArgs{&withoutSheet}), unApplyStyle},
        {"no sheet info", OperationUndoName(TFormatDocStylesArgs{}), unApplyStyle},
        {"conversion kind 3", OperationUndoName(TConvertTextArgs{nullptr, nullptr, 3}), 31},
        {"conversion kind past the names", OperationUndoName(TConvertTextArgs{nullptr, nullptr, 8}), 28},
        {"missing slots", OperationUndoName(TConvertTextArgs{}), 28},
        {"no record", OperationUndoName(opResetFormat, nullptr), unFormatParagraph},
        {"outside the table", OperationUndoName(200, nullptr), 0},
        {"plain code", OperationUndoName(TSortParagraphsArgs{}), unSortParagraphs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.want);
    }
}

TEST(PerformOperationTest, AnOperationWithoutStepsIsDroppedAndLeavesTheOverride) {
    TWorkerScope<TApplyStyleArgs> nothing(DoNothing<TApplyStyleArgs>);
    TWorkerScope<TFormatBrushArgs> toggle(ToggleLanguageWorker<TFormatBrushArgs>);
    TDoc doc;
    doc.UndoNameOverride = unDragDrop;
    doc.PerformOperation(TApplyStyleArgs{});
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(doc.Modified, 0);
    EXPECT_EQ(doc.StateFlags[sfCommitted], 0);
    EXPECT_EQ(doc.UndoNameOverride, unDragDrop);
    doc.PerformOperation(TFormatBrushArgs{});
    ASSERT_EQ(doc.UndoList.Count, 1);
    EXPECT_EQ(doc.UndoOperation(0)->UndoName, unDragDrop);
    EXPECT_EQ(doc.UndoNameOverride, 255);
    EXPECT_EQ(doc.StateFlags[sfCommitted], 1);
    EXPECT_EQ(doc.Modified, 1);
    doc.PerformOperation(TFormatBrushArgs{});
    EXPECT_EQ(doc.UndoOperation(1)->UndoName, 10);  // "format brush"
    EXPECT_EQ(DocumentCallDepth(), 0);
    EXPECT_EQ(doc.StateFlagStackDepth(), 0);
    // Codes without a worker change nothing; a code outside the table has
    // no record, so it cannot be asked for.
    doc.PerformOperation(TInsertTableArgs{});
    EXPECT_EQ(doc.UndoList.Count, 2);
}

// The record a worker was handed, and the call's code.
const TInsertTextArgs* SeenRecord = nullptr;
std::uint8_t SeenCode = 0;
void RecordInsertText(TDoc& doc, TOperationCall& call, const TInsertTextArgs& args) {
    SeenRecord = &args;
    SeenCode = call.Code;
    ToggleLanguage(doc);
}

TEST(PerformOperationTest, TheWorkerGetsTheCallersRecordAndCanBeReplacedAndPutBack) {
    const TOperationWorker<TInsertTextArgs> model = OperationWorker<TInsertTextArgs>();
    ASSERT_NE(model, nullptr);
    TMemory text;
    text.AssignString("x");
    {
        TWorkerScope<TInsertTextArgs> record(RecordInsertText);
        EXPECT_EQ(OperationWorker<TInsertTextArgs>(), &RecordInsertText);
        // Replacing one code's worker leaves the others alone.
        EXPECT_NE(OperationWorker<TDeleteTextArgs>(), nullptr);
        TDoc doc;
        const TInsertTextArgs args{&text, 2};
        doc.PerformOperation(args);
        EXPECT_EQ(SeenRecord, &args);
        EXPECT_EQ(SeenCode, opInsertText);
        EXPECT_EQ(doc.ParCount(), 1);
        EXPECT_EQ(doc.Par(0)->CharCount(), 1);  // only the paragraph end: the model's worker did not run
        ASSERT_EQ(doc.UndoList.Count, 1);
        EXPECT_EQ(doc.UndoOperation(0)->UndoName, unTextInput);
    }
    EXPECT_EQ(OperationWorker<TInsertTextArgs>(), model);
    TDoc doc;
    doc.PerformOperation(TInsertTextArgs{&text, 0});
    EXPECT_EQ(doc.Par(0)->CharCount(), 2);
}

// A worker for a code with a follow-up or an outcome, and a worker that
// counts the follow-ups it was chained into.
bool ReportShrunk = false;
void ShrinkPages(TDoc& doc, TOperationCall& call, const TShrinkPageCountArgs&) {
    ToggleLanguage(doc);
    call.Shrunk = ReportShrunk;
}
TFieldTypeSet PageNumberTypes;
void RecordUpdate(TDoc& doc, TOperationCall&, const TUpdateFieldsArgs& args) {
    PageNumberTypes = args.Types;
    ToggleLanguage(doc);
}

TEST(PerformOperationTest, TheCodeTableDecidesFollowUpsAndOutcomes) {
    TWorkerScope<TShrinkPageCountArgs> shrink(ShrinkPages);
    TWorkerScope<TSplitCellsArgs> split(ToggleLanguageWorker<TSplitCellsArgs>);
    TWorkerScope<TDistributeRowsArgs> distribute(ToggleLanguageWorker<TDistributeRowsArgs>);
    TWorkerScope<TInsertPageNumbersArgs> numbers(ToggleLanguageWorker<TInsertPageNumbersArgs>);
    TWorkerScope<TUpdateFieldsArgs> update(RecordUpdate);
    struct Case {
        const char* name;
        void (*perform)(TDoc& doc);
        std::size_t boxes;         // messages shown afterwards
        std::int32_t operations;   // in the undo list, all undone at once
        std::uint8_t chainedName;  // undo name of the chained operation
    };
    const Case cases[] = {
        {"pages shrunk",
         [](TDoc& doc) {
             ReportShrunk = true;
             doc.PerformOperation(TShrinkPageCountArgs{});
         },
         0, 1, 0},
        {"pages not shrunk: the user is told",
         [](TDoc& doc) {
             ReportShrunk = false;
             doc.PerformOperation(TShrinkPageCountArgs{});
         },
         1, 1, 0},
        {"split cells chain the row distribution", [](TDoc& doc) { doc.PerformOperation(TSplitCellsArgs{}); }, 0, 2,
         unFormatTable},
        {"page numbers chain their update", [](TDoc& doc) { doc.PerformOperation(TInsertPageNumbersArgs{}); }, 0, 2,
         unPageNumbers},
        {"a code without follow-ups chains nothing", [](TDoc& doc) { doc.PerformOperation(TDistributeRowsArgs{}); }, 0,
         1, 0},
    };
    PageNumberTypes = TFieldTypeSet{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSupport::TScriptedMessageBoxes boxes;
        TDocFixture f({"text{par}"});
        c.perform(f.Doc());
        EXPECT_EQ(boxes.Shown().size(), c.boxes);
        ASSERT_EQ(f.Doc().UndoList.Count, c.operations);
        if (c.operations == 2) {
            EXPECT_EQ(f.Doc().UndoOperation(1)->Flags & ofChained, ofChained);
            EXPECT_EQ(f.Doc().UndoOperation(1)->UndoName, c.chainedName);
        }
        f.Doc().Undo(true);
        EXPECT_EQ(f.Doc().UndoIndex, -1);
        EXPECT_EQ(DocumentCallDepth(), 0);
    }
    EXPECT_TRUE(PageNumberTypes.Has(ftPageNumber));
    EXPECT_TRUE(PageNumberTypes.Has(ftPageRef));
}

TEST(PerformOperationTest, AFailingWorkerCommitsNothingAndBalancesTheFlags) {
    TWorkerScope<TFormatBrushArgs> failing(Throw<TFormatBrushArgs>);
    TDoc doc;
    EXPECT_THROW(doc.PerformOperation(TFormatBrushArgs{}), std::runtime_error);
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
    doc.PerformOperation(TInsertTextArgs{&text, 0});
    doc.PerformOperation(TInsertTextArgs{&text, 0});
    EXPECT_EQ(doc.Par(0)->Chars.View(), std::string_view("abcabc\x02"));
    EXPECT_EQ(doc.UndoList.Count, 0);
    EXPECT_EQ(doc.StateFlags[sfCommitted], 0);
}

// The fifth slot of a conversion is optional.
const TConvertTextOptions* FifthSlot = reinterpret_cast<const TConvertTextOptions*>(1);
void RecordFifthSlot(TDoc& doc, TOperationCall& call, const TConvertTextArgs& args) {
    FifthSlot = args.Options;
}

TEST(PerformOperationTest, MissingSlotsReadAsNil) {
    TWorkerScope<TConvertTextArgs> record(RecordFifthSlot);
    TDoc doc;
    doc.PerformOperation(TConvertTextArgs{nullptr, nullptr, 0, 0});
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
        f.Doc().PerformOperation(TSortParagraphsArgs{0, 2, 0});
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
void MakeIndex(TDoc& doc, TOperationCall&, const TInsertIndexArgs&) {
    ++IndexRuns;
    ToggleLanguage(doc);
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
    TWorkerScope<TInsertIndexArgs> index(MakeIndex);
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
        f.Doc().PerformOperation(TInsertIndexArgs{&instruction});
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
void InsertPageField(TDoc& doc, TOperationCall& call, const TInsertFieldArgs& args) {
    auto* field = new TField;
    field->Type = args.Type;
    TMemory content;
    AppendFormatControl(content, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    content.AppendString("?");
    AppendFormatControl(content, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    doc.InsertFormatted(content, doc.Caret, 0, doc.StoryOfPar(doc.Caret.Par), 0, nullptr);
    InsertedField = field;
    call.NewField = field;
}
void UpdateFields(TDoc& doc, TOperationCall&, const TUpdateFieldsArgs& args) {
    UpdatedTypes = args.Types;
    (new TEditFieldOperation(&doc, InsertedField, u"PAGE \\* MERGEFORMAT"))->Execute();
}

TEST(PerformOperationTest, InsertingADynamicFieldUpdatesItInAChainedStep) {
    TWorkerScope<TInsertFieldArgs> insert(InsertPageField);
    TWorkerScope<TUpdateFieldsArgs> update(UpdateFields);
    TDocFixture f({"page {par}"});
    MakeTextPos(0, 5, f.Doc().Caret);
    std::u16string instruction = u"PAGE";
    f.Doc().PerformOperation(TInsertFieldArgs{ftPageNumber, &instruction});
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
