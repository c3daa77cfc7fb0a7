// Converting a 20,000-line tab-separated text (four fields of a random word
// each) to a table of four columns through the perform-operation entry,
// the same followed by its undo, and that table back to tabbed text.
// Reports the time per line (row).

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "editing/services/EditingInstall.h"
#include "editing/tables/TableCreation.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"

namespace {

constexpr int Lines = 20000;
constexpr int Fields = 4;

void AppendText(TPar& par, const std::string& text) {
    for (char c : text) {
        par.Stream.AppendByte(static_cast<std::uint8_t>(c));
        par.Chars.AppendByte(static_cast<std::uint8_t>(c));
    }
}

void AppendSpecial(TPar& par, std::uint8_t ch) {
    AppendFormatControl(par.Stream, fcSpecialChar, ch);
    par.Chars.AppendByte(ch);
}

// The lines, then the story's last (empty) paragraph; a visible document,
// so that the operation is recorded for undo.
std::unique_ptr<TDoc> MakeDocument() {
    auto doc = std::make_unique<TDoc>(false);
    doc->Pars.FreeItems<TPar>();
    std::mt19937 random(25);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> length(3, 10);
    for (int line = 0; line <= Lines; ++line) {
        auto* par = new TPar(doc.get());
        par->Format = DefaultParFormat;
        for (int f = 0; line < Lines && f < Fields; ++f) {
            if (f > 0)
                AppendSpecial(*par, chTab);
            std::string word;
            for (int n = length(random); n > 0; --n)
                word += static_cast<char>(letter(random));
            AppendText(*par, word);
        }
        AppendSpecial(*par, chParEnd);
        par->Index = doc->Pars.Count;
        doc->Pars.Add(par);
    }
    doc->StoryCounts[stMain] = Lines + 1;
    doc->Sections.At<TSection>(0)->LastPar = Lines;
    doc->Selection->SetSingle(0, 0, Lines - 1, doc->Par(Lines - 1)->CharCount());
    // No default table document: the built-in look.
    TableCreationSeams().DefaultTableFile = [] { return std::string(); };
    return doc;
}

void Run(benchmark::State& state, bool undo) {
    InstallEditing();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TDoc> doc = MakeDocument();
        state.ResumeTiming();
        doc->PerformOperation(TConvertTextToTableArgs{Fields, Lines, tsepTab});
        if (undo)
            doc->Undo(false);
        state.PauseTiming();
        if (doc->ParCount() != (undo ? Lines + 1 : Lines * (Fields + 1) + 1))
            state.SkipWithError("the conversion did not make the table");
        doc.reset();
        state.ResumeTiming();
    }
    // Seconds per line, shown with their unit (us).
    state.counters["per_line"] =
        benchmark::Counter(Lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_TableToTabbedText(benchmark::State& state) {
    InstallEditing();
    TableCreationSettings().TableToTextCellSep = tsepTab;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TDoc> doc = MakeDocument();
        doc->PerformOperation(TConvertTextToTableArgs{Fields, Lines, tsepTab});
        doc->Selection->Reset();
        doc->Caret = TTextPos{0, 0};
        state.ResumeTiming();
        doc->PerformOperation(TConvertTableToTextArgs{});
        state.PauseTiming();
        if (doc->ParCount() != Lines + 1)
            state.SkipWithError("the table did not become text again");
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["per_line"] =
        benchmark::Counter(Lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_TabbedTextToTable(benchmark::State& state) {
    Run(state, false);
}

void BM_TabbedTextToTableAndUndo(benchmark::State& state) {
    Run(state, true);
}

BENCHMARK(BM_TabbedTextToTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabbedTextToTableAndUndo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableToTabbedText)->Unit(benchmark::kMillisecond);

}  // namespace
