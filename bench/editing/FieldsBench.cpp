// List numbering and field results over large documents:
// - the numbering pass over 50,000 list paragraphs of one outline list at
//   three levels (goal: under 50 ms), once as the first pass that builds and
//   lays out every label, and once as the pass after an edit, which finds
//   every label unchanged;
// - the results of the PAGE fields of a 1,000-page document, one field per
//   page (goal: every field of the document under 200 ms): computing them
//   alone, and the update operation that computes them and writes each new
//   result into the text.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "editing/fields/FieldResults.h"
#include "editing/lists/ListNumbering.h"
#include "editing/services/EditingInstall.h"
#include "layout/lines/DocumentLines.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/host/TDocClient.h"
#include "model/managers/TAutoList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

constexpr std::int32_t ListParagraphs = 50000;
constexpr std::int32_t Pages = 1000;

// A main-story paragraph of text, appended to the document (the first call
// reuses the paragraph every document starts with).
TPar& AddParagraph(TDoc& doc, const std::string& text, bool first) {
    TPar* par = first ? doc.Par(0) : new TPar(&doc);
    if (!first) {
        doc.Pars.Insert(doc.StoryCounts[stMain], par);
        doc.StoryCounts[stMain] += 1;
    }
    par->Stream.Clear();
    par->Chars.Clear();
    par->Format = DefaultParFormat;
    for (char ch : text) {
        par->Stream.AppendByte(static_cast<std::uint8_t>(ch));
        par->Chars.AppendByte(static_cast<std::uint8_t>(ch));
    }
    AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
    par->Chars.AppendByte(chParEnd);
    return *par;
}

std::unique_ptr<TDoc> MakeListDoc() {
    auto doc = std::make_unique<TDoc>(true);
    auto* list = new TAutoList;
    for (int n = 0; n < 9; ++n) {
        list->Levels[n].LabelText = {static_cast<char16_t>(0), u'.', static_cast<char16_t>(n), u')'};
        list->Levels[n].NumberFormat = n % 2 == 0 ? lnArabic : lnLowerLetter;
    }
    doc->Lists.Add(list);
    const auto handle = static_cast<std::int32_t>(ObjectHandle(list));
    for (std::int32_t i = 0; i < ListParagraphs; ++i) {
        TPar& par = AddParagraph(*doc, "A list item of a few words", i == 0);
        par.Format.List = handle;
        par.Format.ListLevel = static_cast<std::int8_t>(i % 7 == 0 ? 0 : i % 3);
    }
    doc->RenumberPars(0);
    return doc;
}

void BM_RenumberListsFirstPass(benchmark::State& state) {
    TLayoutManagers managers;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = MakeListDoc();
        state.ResumeTiming();
        RenumberLists(*doc);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * ListParagraphs);
}
BENCHMARK(BM_RenumberListsFirstPass)->Unit(benchmark::kMillisecond);

void BM_RenumberListsUnchanged(benchmark::State& state) {
    TLayoutManagers managers;
    auto doc = MakeListDoc();
    RenumberLists(*doc);
    for (auto _ : state)
        RenumberLists(*doc);
    state.SetItemsProcessed(state.iterations() * ListParagraphs);
}
BENCHMARK(BM_RenumberListsUnchanged)->Unit(benchmark::kMillisecond);

// A document of Pages pages, each a paragraph that starts a new page and
// holds a PAGE field; paginated.
struct TPageFieldDoc {
    TPageFieldDoc() : Doc(std::make_unique<TDoc>(true)) {
        Doc->Client = &Client;
        for (std::int32_t i = 0; i < Pages; ++i) {
            TPar& par = AddParagraph(*Doc, "Page ", i == 0);
            par.Format.PageBreakBefore = i > 0 ? 1 : 0;
            auto* field = new TField;
            field->Type = ftPageNumber;
            field->Instruction = u"PAGE";
            Doc->Fields.Add(field);
            Fields.push_back(field);
            par.Stream.SetSize(par.Stream.Size - FormatControlSize);
            par.Chars.SetSize(par.Chars.Size - 1);
            AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
            par.Stream.AppendByte('?');
            par.Chars.AppendByte('?');
            AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
            AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
            par.Chars.AppendByte(chParEnd);
        }
        Doc->RenumberPars(0);
        Doc->Paginate(0, 2147483647);
    }
    ~TPageFieldDoc() {
        Doc->DestroyLayout();
        Doc->Client = &NullDocClient();
    }

    TLayoutClient Client;
    std::unique_ptr<TDoc> Doc;
    std::vector<TField*> Fields;
};

void BM_PageFieldResults(benchmark::State& state) {
    TLayoutManagers managers;
    TPageFieldDoc fixture;
    if (fixture.Doc->Pages.Count != Pages) {
        state.SkipWithError("the document did not lay out on the expected pages");
        return;
    }
    TField_UpdatedValue_Info info;
    for (auto _ : state) {
        TFieldUpdateContext context;
        for (TField* field : fixture.Fields)
            ComputeFieldResult(*fixture.Doc, *field, info, context);
        benchmark::DoNotOptimize(info.Result.data());
    }
    // The last page's field must show the last page, or the figure times
    // something else.
    if (info.Result != u"1000")
        state.SkipWithError("the last PAGE field does not show 1000");
    state.SetItemsProcessed(state.iterations() * Pages);
}
BENCHMARK(BM_PageFieldResults)->Unit(benchmark::kMillisecond);

// The update operation over the whole document: every field's "?" becomes
// its page number in the text. Each run starts from a fresh document, built
// and paginated outside the timing.
void BM_UpdatePageFields(benchmark::State& state) {
    InstallEditing();
    TLayoutManagers managers;
    std::u16string last;
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<TPageFieldDoc>();
        if (fixture->Doc->Pages.Count != Pages) {
            state.SkipWithError("the document did not lay out on the expected pages");
            return;
        }
        state.ResumeTiming();
        fixture->Doc->PerformOperation(TUpdateFieldsArgs{nullptr, nullptr, TFieldTypeSet{ftPageNumber}});
        state.PauseTiming();
        TFragment range;
        last = fixture->Doc->FieldRange(fixture->Fields.back(), range) ? fixture->Doc->RangeText(range) : u"";
        fixture.reset();
        state.ResumeTiming();
    }
    if (last != u"1000")
        state.SkipWithError("the last PAGE field does not show 1000 in the text");
    state.SetItemsProcessed(state.iterations() * Pages);
}
BENCHMARK(BM_UpdatePageFields)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
