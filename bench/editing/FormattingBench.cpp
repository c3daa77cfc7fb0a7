// Formatting a whole document of 5,000 paragraphs (60 characters each, one
// larger bold word in every paragraph) through the perform-operation entry:
// applying a style wholly, stepping the size of mixed runs, and undoing
// each. Reports the time per paragraph.

#include <benchmark/benchmark.h>

#include <memory>

#include "editing/services/EditingInstall.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

constexpr int Paragraphs = 5000;

std::unique_ptr<TDoc> MakeDocument() {
    auto doc = std::make_unique<TDoc>(true);
    auto* normal = new TStyle(doc->Styles);
    normal->Name = normal->DisplayName = "Normal";
    doc->Styles->AddStyle(normal);
    auto* heading = new TStyle(doc->Styles);
    heading->Name = heading->DisplayName = "Body Large";
    heading->BasedOn = 0;
    heading->CharFormat[caSize] = 28;
    heading->ParFormat.SpaceAfter = 120;
    doc->Styles->AddStyle(heading);
    doc->Pars.FreeItems<TPar>();
    for (int p = 0; p < Paragraphs; ++p) {
        auto* par = new TPar(doc.get());
        par->Format = DefaultParFormat;
        par->Format.Style = 0;
        auto text = [&](const char* s) {
            for (; *s != 0; ++s) {
                par->Stream.AppendByte(static_cast<std::uint8_t>(*s));
                par->Chars.AppendByte(static_cast<std::uint8_t>(*s));
            }
        };
        text("The quick brown fox ");
        AppendFormatControl(par->Stream, caBold, 1);
        AppendFormatControl(par->Stream, caSize, 28);
        text("jumps");
        AppendFormatControl(par->Stream, caBold, 0);
        AppendFormatControl(par->Stream, caSize, DefaultCharFormat[caSize]);
        text(" over the lazy dog, and runs away.");
        AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
        par->Chars.AppendByte(chParEnd);
        par->Index = doc->Pars.Count;
        doc->Pars.Add(par);
    }
    doc->StoryCounts[stMain] = Paragraphs;
    doc->Sections.At<TSection>(0)->LastPar = Paragraphs - 1;
    doc->Selection->SetSingle(0, 0, Paragraphs - 1, doc->Par(Paragraphs - 1)->CharCount());
    return doc;
}

template <class F>
void Run(benchmark::State& state, F&& perform) {
    InstallEditing();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TDoc> doc = MakeDocument();
        state.ResumeTiming();
        perform(*doc);
        doc->Undo(false);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    // Seconds per paragraph, shown with their unit (us).
    state.counters["per_par"] =
        benchmark::Counter(Paragraphs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ApplyStyleWholly(benchmark::State& state) {
    Run(state, [](TDoc& doc) { doc.PerformOperation(TApplyStyleArgs{1, 1}); });
}

void BM_StepMixedSizes(benchmark::State& state) {
    // The bold words are larger, so every paragraph has runs of two sizes
    // that step apart.
    Run(state, [](TDoc& doc) { doc.PerformOperation(TStepFontAttributeArgs{caSize, 3}); });
}

BENCHMARK(BM_ApplyStyleWholly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepMixedSizes)->Unit(benchmark::kMillisecond);

}  // namespace
