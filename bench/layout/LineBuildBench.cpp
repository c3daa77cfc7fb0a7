// Line breaking throughput: characters per second through TLine::Build,
// over some 3 MB of generated paragraphs laid out at a 6.5-inch width.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

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

struct TBenchDoc {
    TBenchDoc() {
        Platform::SetScreenMetrics(1920, 1080, 96);
        Platform::UseOnlyFontsIn(REZ_TEST_DATA_DIR "/fonts");
        Fonts = std::make_unique<TFontManager>();
        Tabs = std::make_unique<TTabManager>();
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
    std::unique_ptr<TFontManager> Fonts;
    std::unique_ptr<TTabManager> Tabs;
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

}  // namespace
