// Line breaking throughput: characters per second through TLine::Build,
// over some 3 MB of generated paragraphs and over the corpus's biggest RTF
// document (16.8 MB of RTF, the ODF 1.2 specification), laid out at a
// 6.5-inch width; and the cost per line of preparing the widths at a zoom.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "../BenchDocument.h"
#include "files/opening/OpenDocument.h"
#include "layout/lines/DocumentLines.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t TotalChars = 3 * 1024 * 1024;
constexpr std::int32_t ParChars = 1500;

// Words of ordinary lengths, now and then bold or a tab, so the breaker
// meets attribute changes and roll-backs as in real text.
void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, caFont, font);
    while (par.Chars.Size < ParChars) {
        const std::uint32_t r = random() % 100;
        if (r < 2) {
            AppendFormatControl(par.Stream, caBold, static_cast<std::int32_t>(random() % 2));
        } else if (r < 3) {
            AppendFormatControl(par.Stream, fcSpecialChar, chTab);
            par.Chars.AppendByte(chTab);
        }
        const std::uint32_t length = 1 + random() % 10;
        for (std::uint32_t i = 0; i < length; ++i) {
            const auto c = static_cast<std::uint8_t>('a' + random() % 26);
            par.Stream.AppendByte(c);
            par.Chars.AppendByte(c);
        }
        par.Stream.AppendByte(' ');
        par.Chars.AppendByte(' ');
    }
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
}

struct TBenchDoc : TBenchFonts {
    TBenchDoc() {
        Doc = std::make_unique<TDoc>(true);
        std::mt19937 random(2024);
        FillPar(*Doc->Par(0), random, Fonts->TimesFont);
        Chars = Doc->Par(0)->CharCount();
        while (Chars < TotalChars) {
            auto* par = new TPar(Doc.get());
            par->Format = Doc->Par(0)->Format;
            FillPar(*par, random, Fonts->TimesFont);
            Doc->Pars.Add(par);
            Chars += par->CharCount();
        }
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
    }
    std::unique_ptr<TDoc> Doc;
    std::int64_t Chars = 0;
};

void BM_LineBuild(benchmark::State& state) {
    static TBenchDoc bench;
    TDoc& doc = *bench.Doc;
    std::int64_t lines = 0;
    for (auto _ : state) {
        for (std::int32_t i = 0; i < doc.ParCount(); ++i) {
            TPar* par = doc.Par(i);
            par->LayoutLines(0, 9360, nullptr);
            lines += par->LineCount();
        }
    }
    state.SetItemsProcessed(state.iterations() * bench.Chars);
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LineBuild)->Unit(benchmark::kMillisecond);

constexpr std::int32_t TextWidth = 9360;  // 6.5 inches

// The corpus document opened with the RTF reader as the program opens it,
// once; nil when the corpus is not there.
struct TCorpusDoc : TBenchFonts {
    TCorpusDoc() {
        auto doc = std::make_unique<TDoc>(true);
        doc->TakesParEndMarks = 1;
        TDocOpeningOptions options;
        options.Source = osFile;
        options.Format = 0xFFFF;  // detect
        options.FileName = std::string(REZ_CORPUS_DIR) + "/big/derived__odf12-part1.lo.rtf";
        options.OpenReadOnly = true;
        if (!OpenDocument(*doc, options))
            return;
        Doc = std::move(doc);
        Chars = LayoutEveryParagraph(*Doc, TextWidth);
        for (std::int32_t i = 0; i < Doc->ParCount(); ++i)
            Lines += Doc->Par(i)->LineCount();
    }
    std::unique_ptr<TDoc> Doc;
    std::int64_t Chars = 0;
    std::int64_t Lines = 0;
};

TCorpusDoc& CorpusDoc() {
    static TCorpusDoc corpus;
    return corpus;
}

// Every paragraph of the real document broken into lines again: characters
// per second is the figure to watch.
void BM_LineBuildCorpus(benchmark::State& state) {
    TCorpusDoc& corpus = CorpusDoc();
    if (corpus.Doc == nullptr) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(LayoutEveryParagraph(*corpus.Doc, TextWidth));
    state.SetItemsProcessed(state.iterations() * corpus.Chars);
    state.counters["lines"] = static_cast<double>(corpus.Lines);
}
BENCHMARK(BM_LineBuildCorpus)->Unit(benchmark::kMillisecond);

// The widths of every line of the real document prepared at a zoom: each
// iteration changes the zoom, so every line is measured again at it. Items
// are lines; the time per line is the cost a repaint pays after a zoom
// change.
void BM_ZoomWidthsCorpus(benchmark::State& state) {
    TCorpusDoc& corpus = CorpusDoc();
    if (corpus.Doc == nullptr) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    TDoc& doc = *corpus.Doc;
    LayoutEveryParagraph(doc, TextWidth);
    std::int32_t zoom = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        // Two zooms in turn, so the cache never holds the one asked for.
        zoom = zoom == state.range(0) ? zoom + 1 : static_cast<std::int32_t>(state.range(0));
        doc.Zoom = doc.ZoomInForce = zoom;
        for (std::int32_t i = 0; i < doc.ParCount(); ++i) {
            TPar* par = doc.Par(i);
            for (std::int32_t k = 0; k < par->LineCount(); ++k)
                par->Lines->At<TLine>(k)->PrepareZoomWidths();
        }
    }
    doc.Zoom = doc.ZoomInForce = 100;
    state.SetItemsProcessed(state.iterations() * corpus.Lines);
    state.counters["per_line"] =
        benchmark::Counter(static_cast<double>(state.iterations() * corpus.Lines),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_ZoomWidthsCorpus)->Arg(75)->Arg(150)->Unit(benchmark::kMillisecond);

}  // namespace
