// Selecting across a long table: a range from a cell of the first row to a
// cell of the last row becomes a block of cells, one range per row, which
// is then joined, announced (the formats common to the block) and kept.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "../BenchDocument.h"
#include "../RandomWords.h"
#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t Rows = 400;
constexpr std::int32_t Cells = 6;

struct TTableDoc : TBenchFonts {
    TTableDoc() {
        Doc = std::make_unique<TDoc>(true);
        std::mt19937 random(31);
        FillRandomWords(*Doc->Par(0), random, Fonts->TimesFont, 20, 80);
        for (std::int32_t r = 0; r < Rows; ++r) {
            auto* row = new TTableRow;
            row->Data.CellCount = Cells;
            for (std::int32_t k = 0; k < Cells; ++k)
                row->Data.Cells[k].RightEdge = 1440 * (k + 1);
            Doc->TableRowList.Add(row);
            for (std::int32_t k = 0; k < Cells; ++k) {
                auto* par = new TPar(Doc.get());
                FillRandomWords(*par, random, Fonts->TimesFont, 20, 40);
                // The cell mark in place of the paragraph mark.
                par->Stream.SetSize(par->Stream.Size - FormatControlSize);
                par->Chars.SetSize(par->Chars.Size - 1);
                AppendFormatControl(par->Stream, fcCellEnd, 0);
                par->Chars.AppendByte(chCellEnd);
                par->Format.InTable = 1;
                Doc->Pars.Add(par);
            }
            auto* end = new TPar(Doc.get());
            end->Stream.Clear();
            end->Chars.Clear();
            AppendFormatControl(end->Stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(row)));
            end->Chars.AppendByte(chRowEnd);
            end->Format = DefaultParFormat;
            end->Format.InTable = 1;
            Doc->Pars.Add(end);
        }
        auto* after = new TPar(Doc.get());
        FillRandomWords(*after, random, Fonts->TimesFont, 20, 80);
        Doc->Pars.Add(after);
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
    }
    std::unique_ptr<TDoc> Doc;
};

// The first paragraph of a cell (row r, column k).
std::int32_t CellPar(std::int32_t r, std::int32_t k) {
    return 1 + r * (Cells + 1) + k;
}

void BM_CellBlockAcrossTable(benchmark::State& state) {
    static TTableDoc bench;
    TDoc& doc = *bench.Doc;
    for (auto _ : state) {
        doc.SetSelection(CellPar(0, 1), 3, 0, 5, CellPar(Rows - 1, 4));
        benchmark::DoNotOptimize(doc.Selection->Count());
    }
    state.counters["ranges"] = doc.Selection->Count();
}
BENCHMARK(BM_CellBlockAcrossTable)->Unit(benchmark::kMillisecond);

}  // namespace
