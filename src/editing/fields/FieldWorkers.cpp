#include <algorithm>
#include <string>

#include "base/core/TList.h"
#include "base/core/TMemory.h"
#include "editing/fields/Bookmarks.h"
#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldUpdate.h"
#include "editing/fields/FieldsInstall.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "layout/painting/BoxPainting.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TOperation.h"

namespace {

// The start mark of a new field goes after every mark already at its
// place, so that it nests inside them.
constexpr std::int32_t AfterEveryMark = MarkBehindEveryMark;

bool HasKeyword(std::uint8_t type) {
    return type < FieldTypeCount && FieldKeywords[type][0] != '?';
}

void KeepCaret(TDoc& doc) {
    doc.PostActions().Caret = doc.Caret;
}

void WorkInsertField(TDoc& doc, TOperationCall& call, const TInsertFieldArgs& args) {
    if (!HasKeyword(args.Type))
        return;
    // A placeholder the chained update replaces; NUMWORDS counts it as a
    // word, so it is a letter there.
    TMemory placeholder;
    placeholder.AppendByte(args.Type == ftNumWords ? 'a' : '?');
    // Through the typing worker, which knows where text may not go (a row
    // end's paragraph, for one).
    const TOperationWorker<TInsertTextArgs> type = OperationWorker<TInsertTextArgs>();
    const TInsertTextArgs typing{&placeholder, 0};
    TOperationCall typingCall = TOperationCall::Of(typing);
    const std::int32_t lengthBefore = doc.CurrentOperation != nullptr ? doc.CurrentOperation->Count : 0;
    if (type != nullptr)
        type(doc, typingCall, typing);
    else
        doc.InsertTextAtCaret(placeholder, 0);
    const TTextPos end = doc.PostActions().Caret;
    // Typed nowhere: nothing to put the field around.
    if (doc.CurrentOperation == nullptr || doc.CurrentOperation->Count == lengthBefore || end.Offset < 1 ||
        end.Par >= doc.ParCount() || doc.Par(end.Par)->Chars.Data[end.Offset - 1] != placeholder.Data[0])
        return;
    TTextPos start = end;
    start.Offset -= 1;

    auto* field = new TField;
    field->Kind = fkCode;
    field->Type = args.Type;
    field->Instruction = FieldInstructionOf(args.Type, args.Instruction != nullptr ? *args.Instruction : u"");
    (new TInsDelFieldOperation(&doc, fmBoth, field, start, AfterEveryMark, end, 0))->Execute();
    call.NewField = field;
    doc.PostActions().Caret = end;
    doc.PostActions().Selection->Reset();
}

void WorkUpdateFields(TDoc& doc, TOperationCall&, const TUpdateFieldsArgs& args) {
    TFieldUpdateContext context;
    context.Info = FieldDocInfoOf(doc);
    TFragment whole;
    const TFragment* range = args.Range;
    if (args.Set == nullptr && range == nullptr) {
        doc.WholeDocRange(whole);
        range = &whole;
    }
    UpdateFields(doc, args.Set, range, args.Types, context);
}

void WorkEditFieldCode(TDoc& doc, TOperationCall&, const TEditFieldCodeArgs& args) {
    if (args.Field == nullptr || args.Instruction == nullptr || !doc.Fields.Contains(args.Field))
        return;
    doc.EditFieldCode(args.Field, *args.Instruction);
    KeepCaret(doc);
}

void WorkRemoveField(TDoc& doc, TOperationCall&, const TRemoveFieldArgs& args) {
    if (args.Fields == nullptr)
        return;
    for (std::int32_t i = args.Fields->Count - 1; i >= 0; --i) {
        TField* field = args.Fields->At<TField>(i);
        if (doc.Fields.Contains(field))
            doc.DeleteField(field);
    }
    KeepCaret(doc);
}

// Arguments holds one std::u16string per field: the field's new argument
// text.
void WorkChangeFieldType(TDoc& doc, TOperationCall&, const TChangeFieldTypeArgs& args) {
    if (args.Fields == nullptr || !HasKeyword(args.Type))
        return;
    TFieldUpdateContext context;
    context.Info = FieldDocInfoOf(doc);
    for (std::int32_t i = args.Fields->Count - 1; i >= 0; --i) {
        TField* field = args.Fields->At<TField>(i);
        if (field == nullptr || !doc.Fields.Contains(field))
            continue;
        const std::u16string* argument = nullptr;
        if (args.Arguments != nullptr && i < args.Arguments->Count)
            argument = args.Arguments->At<std::u16string>(i);
        (new TChangeFieldPropsOperation(&doc, field, args.Type,
                                        FieldInstructionOf(args.Type, argument != nullptr ? *argument : u"")))
            ->Execute();
        TFragment range;
        if (doc.FieldRange(field, range))
            UpdateFields(doc, nullptr, &range, TFieldTypeSet{field->Type}, context);
    }
}

// The painting seam: the header and footer of the page about to be shown
// take that page's numbers.
void UpdatePageHeaderFooter(TDoc& doc, TPage& page) {
    for (TField* field : {page.HeaderField, page.FooterField}) {
        TFragment range;
        if (field != nullptr && doc.FieldRange(field, range))
            UpdateHeaderFooterFieldsForPage(doc, page.PageIndex, range, page.Section);
    }
}

TIdleMilliseconds IdleSource = nullptr;

}  // namespace

void SetPageFieldIdleSource(TIdleMilliseconds source) {
    IdleSource = source;
}

bool UpdatePageFields(TDoc& doc, bool force) {
    if (doc.StateFlags[sfPageFieldUpdate] != 0 || doc.StateFlags[sfPaginationComplete] == 0 ||
        doc.StateFlags[sfPageFieldsStale] == 0 || doc.ViewMode != vmPrintLayout || doc.Fields.Count == 0)
        return false;
    // PAGE and SECTION come out right page by page when the page is
    // painted; only results that hang on the whole pagination need a pass.
    RebuildFieldIndex(doc);
    TFieldIndex& index = FieldIndexOf(doc);
    bool needed = false;
    bool statistics = false;
    for (const TFieldIndex::TEntry& entry : index.Entries) {
        const TField& field = *entry.Field;
        if (field.Kind != fkCode || !DynamicFieldTypes.Has(field.Type) || field.Type == ftPageNumber ||
            field.Type == ftSection || field.Range.Start.Par < 0 || field.Range.Start.Par >= doc.ParCount() ||
            doc.StoryOfPar(field.Range.Start.Par) != stHeadersFooters)
            continue;
        needed = true;
        statistics = statistics || field.Type == ftNumWords || field.Type == ftNumChars;
    }
    if (!needed)
        return false;
    if (!force && doc.Pages.Count >= PageFieldIdlePages && IdleSource != nullptr &&
        IdleSource() < PageFieldIdleMilliseconds)
        return false;

    index.KeptWords = index.KeptChars = -1;
    if (statistics) {
        TFieldUpdateContext context;
        const TFieldStatistics& counts = FieldStatistics(doc, context);
        index.KeptWords = counts.Words;
        index.KeptChars = counts.Chars;
    }
    doc.FieldPageCount = doc.Pages.Count;
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        auto* section = doc.Sections.At<TSection>(i);
        section->PageCount = std::max(1, SectionPagesNow(doc, section));
    }
    const TTextPos caret = doc.Caret;
    doc.PushStateFlag(sfPageFieldUpdate);
    try {
        for (std::int32_t i = 0; i < doc.Pages.Count; ++i)
            UpdatePageHeaderFooter(doc, *doc.Pages.At<TPage>(i));
    } catch (...) {
        doc.PopStateFlags(1);
        doc.Caret = caret;
        throw;
    }
    doc.PopStateFlags(1);
    doc.Caret = caret;
    doc.StateFlags[sfPageFieldsStale] = 0;
    return true;
}

std::u16string FieldInstructionOf(std::uint8_t type, const std::u16string& arguments) {
    std::u16string instruction;
    if (type < FieldTypeCount)
        for (const char* c = FieldKeywords[type]; *c != 0; ++c)
            instruction += static_cast<char16_t>(static_cast<unsigned char>(*c));
    if (!arguments.empty())
        instruction += u' ' + arguments;
    return instruction;
}

void InstallFieldsWorkers() {
    SetOperationWorker<TInsertFieldArgs>(WorkInsertField);
    SetOperationWorker<TUpdateFieldsArgs>(WorkUpdateFields);
    SetOperationWorker<TEditFieldCodeArgs>(WorkEditFieldCode);
    SetOperationWorker<TRemoveFieldArgs>(WorkRemoveField);
    SetOperationWorker<TChangeFieldTypeArgs>(WorkChangeFieldType);
    HeaderFooterFieldUpdater = UpdatePageHeaderFooter;
    InstallBookmarkWorkers();
}
