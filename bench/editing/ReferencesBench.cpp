// Tables of contents and indexes over a large document: 1,000 pages, each
// starting with a heading of level 1 or 2 followed by one of level 2 or 3
// (2,000 headings), and a body paragraph holding ten XE fields (10,000
// entries over 500 distinct texts, half of them sub-entries). Goal: each
// generation under 1 s.
//
// - BM_GenerateTocOperation: opInsertTOC at the top as a user runs it:
//   the entries, bookmarks and fields, then the chained update of every
//   PAGEREF after laying the document out;
// - BM_GenerateTocWorker: the generator alone, without that update;
// - BM_GenerateIndexOperation: opInsertIndex at the end, with its full
//   pagination before and after and the check that no page moved;
// - BM_GenerateIndexWorker: the generator alone, from entries already
//   located on their pages.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "editing/references/AlphabeticalIndex.h"
#include "editing/references/TableOfContents.h"
#include "editing/services/EditingInstall.h"
#include "layout/lines/DocumentLines.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TDocClient.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TStyleManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"

namespace {

constexpr std::int32_t Pages = 1000;
constexpr std::int32_t EntriesPerPage = 10;

void AppendText(TPar& par, const std::string& text) {
    for (char ch : text) {
        par.Stream.AppendByte(static_cast<std::uint8_t>(ch));
        par.Chars.AppendByte(static_cast<std::uint8_t>(ch));
    }
}

TPar& AddParagraph(TDoc& doc, bool first) {
    TPar* par = first ? doc.Par(0) : new TPar(&doc);
    if (!first) {
        doc.Pars.Insert(doc.StoryCounts[stMain], par);
        doc.StoryCounts[stMain] += 1;
    }
    par->Stream.Clear();
    par->Chars.Clear();
    par->Format = DefaultParFormat;
    return *par;
}

void EndParagraph(TPar& par) {
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
}

std::int32_t AddStyle(TDoc& doc, const char* name, std::int32_t id) {
    auto* style = new TStyle(doc.Styles);
    style->BuiltInId = id;
    style->Name = name;
    style->DisplayName = name;
    style->BasedOn = id == 0 ? -1 : 0;
    doc.Styles->AddStyle(style);
    return doc.Styles->Count - 1;
}

struct TBigDoc {
    TBigDoc() : Doc(std::make_unique<TDoc>(true)) {
        static TStyleManager styleManager;
        TDoc& doc = *Doc;
        doc.Client = &Client;
        // Shown documents keep undo steps and run the follow-ups.
        doc.StateFlags[sfHidden] = 0;
        AddStyle(doc, "Normal", 0);
        const std::int32_t headings[3] = {AddStyle(doc, "Heading 1", 1), AddStyle(doc, "Heading 2", 2),
                                          AddStyle(doc, "Heading 3", 3)};
        TPar& top = AddParagraph(doc, true);
        AppendText(top, "Top of the document");
        EndParagraph(top);
        std::int32_t entry = 0;
        for (std::int32_t page = 0; page < Pages; ++page) {
            for (std::int32_t h = 0; h < 2; ++h) {
                TPar& heading = AddParagraph(doc, false);
                heading.Format.PageBreakBefore = h == 0 ? 1 : 0;
                heading.Format.Style = static_cast<std::int16_t>(headings[(page % 2) + h]);
                AppendText(heading, "Heading " + std::to_string(page) + "." + std::to_string(h));
                EndParagraph(heading);
            }
            TPar& body = AddParagraph(doc, false);
            AppendText(body, "Body text of the page with its index entries.");
            for (std::int32_t i = 0; i < EntriesPerPage; ++i, ++entry) {
                const std::int32_t topic = entry % 500;
                std::u16string text = u"topic " + std::u16string(1, static_cast<char16_t>(u'a' + topic % 26)) +
                                      std::u16string(1, static_cast<char16_t>(u'a' + topic / 26));
                if (topic % 2 == 1)
                    text += u":detail " + std::u16string(1, static_cast<char16_t>(u'a' + entry % 7));
                auto* field = new TField;
                field->Type = ftIndexEntry;
                field->Instruction = u"XE \"" + text + u"\"";
                doc.Fields.Add(field);
                AppendFormatControl(body.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
                AppendFormatControl(body.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
            }
            EndParagraph(body);
        }
        AddParagraph(doc, false);
        EndParagraph(*doc.Par(doc.LastParOfStory(stMain)));
        doc.RenumberPars(0);
        doc.Paginate(0, 2147483647);
    }
    ~TBigDoc() {
        Doc->DestroyLayout();
        Doc->Client = &NullDocClient();
    }

    void CaretAt(std::int32_t par) {
        Doc->Caret = TTextPos{par, 0};
        Doc->Selection->Reset();
        MakeFragmentFromPositions(Doc->Caret, Doc->Caret, Doc->Selection->Fragment(0));
    }

    // The text of the last field of a type; empty when there is none.
    std::u16string LastFieldText(std::uint8_t type) {
        TField* last = nullptr;
        for (std::int32_t i = 0; i < Doc->Fields.Count; ++i) {
            TField* f = Doc->Fields.At<TField>(i);
            if (f->Kind == fkCode && f->Type == type)
                last = f;
        }
        TFragment range;
        return last != nullptr && Doc->FieldRange(last, range) ? Doc->RangeText(range) : u"";
    }

    TLayoutClient Client;
    std::unique_ptr<TDoc> Doc;
};

bool LaidOut(benchmark::State& state, const TBigDoc& fixture) {
    if (fixture.Doc->Pages.Count < Pages) {
        state.SkipWithError("the document did not lay out on the expected pages");
        return false;
    }
    return true;
}

void BM_GenerateTocOperation(benchmark::State& state) {
    InstallEditing();
    TLayoutManagers managers;
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<TBigDoc>();
        if (!LaidOut(state, *fixture))
            return;
        fixture->CaretAt(0);
        state.ResumeTiming();
        fixture->Doc->PerformOperation(TInsertTOCArgs{});
        state.PauseTiming();
        // The chained update must have given the page references their
        // pages, or the figure leaves it out.
        const std::u16string last = fixture->LastFieldText(ftPageRef);
        if (last.empty() || last == u"?") {
            state.SkipWithError("the page references were not updated");
            return;
        }
        fixture.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * Pages);
}
BENCHMARK(BM_GenerateTocOperation)->Unit(benchmark::kMillisecond)->Iterations(3);

// The generator inside an operation of its own making, without the
// follow-ups of PerformOperation.
template <class TWork>
void InOperation(TDoc& doc, TWork work) {
    auto* op = new TOperation(&doc, 0);
    doc.BeginOperation(op);
    work();
    doc.EndOperation();
    delete op;
}

void BM_GenerateTocWorker(benchmark::State& state) {
    InstallEditing();
    TLayoutManagers managers;
    std::int32_t generated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<TBigDoc>();
        if (!LaidOut(state, *fixture))
            return;
        fixture->CaretAt(0);
        state.ResumeTiming();
        InOperation(*fixture->Doc, [&] { generated = GenerateToc(*fixture->Doc, TGenerateTocOptions{}); });
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
    if (generated != 2 * Pages)
        state.SkipWithError("the table does not hold one entry per heading");
    state.SetItemsProcessed(state.iterations() * 2 * Pages);
}
BENCHMARK(BM_GenerateTocWorker)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GenerateIndexOperation(benchmark::State& state) {
    InstallEditing();
    TLayoutManagers managers;
    const std::u16string instruction = u"INDEX \\c \"2\" \\h \"A\" \\e \"\t\" \\z \"1033\"";
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<TBigDoc>();
        if (!LaidOut(state, *fixture))
            return;
        fixture->CaretAt(fixture->Doc->LastParOfStory(stMain));
        state.ResumeTiming();
        fixture->Doc->PerformOperation(TInsertIndexArgs{&instruction});
        state.PauseTiming();
        if (fixture->LastFieldText(ftIndex).find(u"topic sr") == std::u16string::npos) {
            state.SkipWithError("the index does not hold the last topic");
            return;
        }
        fixture.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Pages * EntriesPerPage);
}
BENCHMARK(BM_GenerateIndexOperation)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GenerateIndexWorker(benchmark::State& state) {
    InstallEditing();
    TLayoutManagers managers;
    const std::u16string instruction = u"INDEX \\h \"A\" \\e \"\t\" \\z \"1033\"";
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<TBigDoc>();
        if (!LaidOut(state, *fixture))
            return;
        fixture->CaretAt(fixture->Doc->LastParOfStory(stMain));
        std::vector<TIndexEntryField> fields;
        CollectIndexEntryFields(*fixture->Doc, fields);
        if (fields.size() != static_cast<std::size_t>(Pages * EntriesPerPage)) {
            state.SkipWithError("the document does not hold the expected entries");
            return;
        }
        state.ResumeTiming();
        InOperation(*fixture->Doc, [&] { GenerateIndex(*fixture->Doc, instruction, fields); });
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Pages * EntriesPerPage);
}
BENCHMARK(BM_GenerateIndexWorker)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
