// Pagination of a long document: a full pagination of some 1,000 pages
// (time, and the peak memory of a process that does nothing else), and one
// character typed into a paragraph on page 500 and laid out again.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "../BenchDocument.h"
#include "../HostileInputs.h"
#include "../RandomWords.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/LineLayout.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace {

// Letter pages with one-inch margins hold 46 lines of 12-point text; a
// paragraph of 600 characters is some seven lines.
constexpr std::int32_t ParChars = 600;
constexpr std::int32_t ParCount = 6800;
constexpr std::int32_t NoPage = static_cast<std::int32_t>(0x80000000u);

void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    FillRandomWords(par, random, font, 24, ParChars);
    par.Format.SpaceAfter = 120;
    par.Format.WidowControl = 1;
}

struct TBenchDoc {
    TLayoutClient Client;
    TBenchDocument Document{true, &Client, ParCount, FillPar, 2024};
    std::unique_ptr<TDoc>& Doc = Document.Doc;
};

TBenchDoc& Bench() {
    static TBenchDoc bench;
    return bench;
}

// Every paragraph broken afresh and placed on pages.
void BM_PaginateFull(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    for (auto _ : state) {
        doc.DestroyLayout();
        doc.Paginate(0, 2147483647);
    }
    state.counters["pages"] = doc.Pages.Count;
}
BENCHMARK(BM_PaginateFull)->Unit(benchmark::kMillisecond);

// The pages alone, the paragraphs keeping their lines.
void BM_RepaginateAll(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    doc.Paginate(0, 2147483647);
    for (auto _ : state)
        doc.Paginate(0, 2147483647);
    state.counters["pages"] = doc.Pages.Count;
}
BENCHMARK(BM_RepaginateAll)->Unit(benchmark::kMillisecond);

// One character typed into (and then taken out of) a paragraph on page 500:
// the paragraph is laid out again in place, or the pages from the one before
// it to five beyond it are repaginated, as after an operation.
// state.range(0) characters typed at once: one keeps the paragraph's lines;
// a hundred make it a line longer, so the pages after it are repaginated.
void BM_KeystrokeOnPage500(benchmark::State& state) {
    static const std::string Typed(1000, 'e');
    const auto count = static_cast<std::int32_t>(state.range(0));
    TDoc& doc = *Bench().Doc;
    doc.Paginate(0, 2147483647);
    const TPage& page = *doc.Pages.At<TPage>(500);
    const std::int32_t p = page.FirstLine(1)->Par->Index + 1;
    TPar& par = *doc.Par(p);
    // The middle of the text, behind the font and size controls.
    const std::int32_t charAt = par.CharCount() / 2;
    const std::int32_t at = 2 * FormatControlSize + charAt;
    bool typed = false;
    std::int64_t inPlace = 0;
    for (auto _ : state) {
        if (!typed) {
            par.Stream.InsertBuffer(Typed.data(), at, count);
            par.Chars.InsertBuffer(Typed.data(), charAt, count);
        } else {
            par.Stream.DeleteRange(at, count);
            par.Chars.DeleteRange(charAt, count);
        }
        typed = !typed;
        par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
        doc.ReformatPar(p);
        TPostActions& pa = doc.PostActions();
        if (pa.FirstPage != NoPage) {
            doc.Paginate(pa.FirstPage, pa.FirstPage + 6);
            pa.FirstPage = NoPage;
        } else {
            ++inPlace;
        }
        pa.RepaintRange = {};
    }
    state.counters["in_place"] = benchmark::Counter(static_cast<double>(inPlace), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_KeystrokeOnPage500)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

// A long run of bordered paragraphs that all join into one box: line layout
// asks per line whether a paragraph opens or closes its border group, which
// must cost the same however long the group is. Items are paragraphs.
constexpr std::int32_t BorderedParCount = 10000;

void FillBorderedPar(TPar& par, std::mt19937& random, std::int32_t font) {
    static const auto boxed = [] {
        TBorderSet set;
        InitBorderSet(set);
        for (TBorder& border : set.Borders) {
            border.Type = 1;
            border.Width = 15;
        }
        return static_cast<std::int16_t>(InternBorderSet(set));
    }();
    FillRandomWords(par, random, font, 24, 160);
    par.Format.Borders = boxed;
    par.Format.LeftIndent = 360;
}

void BM_PaginateBorderedGroup(benchmark::State& state) {
    static TLayoutClient client;
    static TBenchDocument bench{true, &client, BorderedParCount, FillBorderedPar, 2027};
    TDoc& doc = *bench.Doc;
    for (auto _ : state) {
        doc.DestroyLayout();
        doc.Paginate(0, 2147483647);
    }
    state.SetItemsProcessed(state.iterations() * BorderedParCount);
    state.counters["pages"] = doc.Pages.Count;
}
BENCHMARK(BM_PaginateBorderedGroup)->Unit(benchmark::kMillisecond);

// The peak memory of a process that builds the document and paginates it.
const bool Registered = [] {
    RegisterHostileInput("BM_PaginatePeakMemory", [] {
        TBenchDoc bench;
        bench.Doc->Paginate(0, 2147483647);
    });
    return true;
}();

}  // namespace
