// Pagination of one long table: 5,000 rows of three cells, each cell a few
// words to two lines, laid out on some hundreds of pages (time, and the peak
// memory of a process that does nothing else).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "../BenchDocument.h"
#include "../HostileInputs.h"
#include "../RandomWords.h"
#include "base/core/ObjectHandles.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t RowCount = 5000;
constexpr std::int32_t CellsPerRow = 3;

// A cell paragraph: random words ending with the cell mark.
void FillCell(TPar& par, std::mt19937& random, std::int32_t font) {
    FillRandomWords(par, random, font, 24, 10 + static_cast<std::int32_t>(random() % 60));
    par.Stream.SetSize(par.Stream.Size - FormatControlSize);
    par.Chars.SetSize(par.Chars.Size - 1);
    AppendFormatControl(par.Stream, fcCellEnd, 0);
    par.Chars.AppendByte(chCellEnd);
    par.Format.InTable = 1;
}

struct TTableBenchDoc : TBenchFonts {
    TTableBenchDoc() {
        Doc = std::make_unique<TDoc>(true);
        Doc->Client = &Client;
        std::mt19937 random(2026);
        FillRandomWords(*Doc->Par(0), random, Fonts->TimesFont, 24, 80);
        for (std::int32_t r = 0; r < RowCount; ++r) {
            for (std::int32_t c = 0; c < CellsPerRow; ++c) {
                auto* par = new TPar(Doc.get());
                FillCell(*par, random, Fonts->TimesFont);
                Doc->Pars.Add(par);
            }
            auto* row = new TTableRow;
            row->Data.CellCount = CellsPerRow;
            for (std::int32_t c = 0; c < CellsPerRow; ++c)
                row->Data.Cells[c].RightEdge = 3000 * (c + 1);
            Doc->TableRowList.Add(row);
            auto* end = new TPar(Doc.get());
            end->Stream.Clear();
            end->Chars.Clear();
            AppendFormatControl(end->Stream, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(row)));
            end->Chars.AppendByte(chRowEnd);
            end->Format = DefaultParFormat;
            end->Format.InTable = 1;
            Doc->Pars.Add(end);
        }
        auto* last = new TPar(Doc.get());
        FillRandomWords(*last, random, Fonts->TimesFont, 24, 80);
        Doc->Pars.Add(last);
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
    }
    ~TTableBenchDoc() {
        Doc->DestroyLayout();
        Doc->Client = &NullDocClient();
    }
    TLayoutClient Client;
    std::unique_ptr<TDoc> Doc;
};

TTableBenchDoc& Bench() {
    static TTableBenchDoc bench;
    return bench;
}

// Every cell broken afresh and every row placed on pages.
void BM_PaginateTableRows(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    for (auto _ : state) {
        doc.DestroyLayout();
        doc.Paginate(0, 2147483647);
    }
    state.counters["pages"] = doc.Pages.Count;
}
BENCHMARK(BM_PaginateTableRows)->Unit(benchmark::kMillisecond);

// The pages alone, the cells keeping their lines.
void BM_RepaginateTableRows(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    doc.Paginate(0, 2147483647);
    for (auto _ : state)
        doc.Paginate(0, 2147483647);
    state.counters["pages"] = doc.Pages.Count;
}
BENCHMARK(BM_RepaginateTableRows)->Unit(benchmark::kMillisecond);

// The peak memory of a process that builds the table and paginates it.
const bool Registered = [] {
    RegisterHostileInput("BM_PaginateTableRowsPeakMemory", [] {
        TTableBenchDoc bench;
        bench.Doc->Paginate(0, 2147483647);
    });
    return true;
}();

}  // namespace
