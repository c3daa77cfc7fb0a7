// Sorting 50,000 paragraphs of random words (about 40 characters each)
// through the perform-operation entry, ascending and then descending over
// already sorted text, and undoing the sort. Reports the time per paragraph.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "../RandomWords.h"
#include "editing/services/EditingInstall.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

constexpr int Paragraphs = 50000;

std::unique_ptr<TDoc> MakeDocument() {
    auto doc = std::make_unique<TDoc>(true);
    doc->Pars.FreeItems<TPar>();
    std::mt19937 random(25);
    for (int p = 0; p < Paragraphs; ++p) {
        auto* par = new TPar(doc.get());
        FillRandomWords(*par, random, 0, 24, 40);
        par->Index = doc->Pars.Count;
        doc->Pars.Add(par);
    }
    doc->StoryCounts[stMain] = Paragraphs;
    doc->Sections.At<TSection>(0)->LastPar = Paragraphs - 1;
    doc->Selection->SetSingle(0, 0, 0, 0);
    return doc;
}

// Sorts all but the last paragraph (the story keeps its last paragraph
// where it is, as a document's final mark would).
template <class Prepare>
void Run(benchmark::State& state, std::uint8_t options, Prepare&& prepare) {
    InstallEditing();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TDoc> doc = MakeDocument();
        prepare(*doc);
        state.ResumeTiming();
        doc->PerformOperation(TSortParagraphsArgs{0, Paragraphs - 2, options});
        doc->Undo(false);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    // Seconds per paragraph, shown with their unit (us).
    state.counters["per_par"] =
        benchmark::Counter(Paragraphs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SortRandomParagraphs(benchmark::State& state) {
    Run(state, 0, [](TDoc&) {});
}

void BM_SortSortedParagraphsDescending(benchmark::State& state) {
    Run(state, 1, [](TDoc& doc) { doc.PerformOperation(TSortParagraphsArgs{0, Paragraphs - 2, 0}); });
}

BENCHMARK(BM_SortRandomParagraphs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortSortedParagraphsDescending)->Unit(benchmark::kMillisecond);

}  // namespace
