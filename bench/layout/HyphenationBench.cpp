// The cost of automatic hyphenation in line breaking: some 1,000 pages of
// justified text (3.6 million characters, about 45 lines of 80 characters
// a page) broken into lines at a 6.5-inch width, with hyphenation off and
// on. The hyphenator stands in for the writing tools' one: it allows a
// hyphen after every third letter of words of five letters or more, so the
// breaker's own work (finding the word, rolling back, walking it again) is
// what is measured.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "../BenchDocument.h"
#include "layout/lines/Hyphenation.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t TotalChars = 1000 * 45 * 80;
constexpr std::int32_t ParChars = 800;
constexpr std::int32_t TextWidth = 9360;  // 6.5 inches

class TEveryThirdHyphenator : public THyphenator {
public:
    bool Hyphenate(std::string_view word, std::int32_t, std::vector<std::int32_t>& points) override {
        for (std::int32_t k = 3; k + 2 <= static_cast<std::int32_t>(word.size()); k += 3)
            points.push_back(k);
        return true;
    }
};

// Words of ordinary lengths, with some long ones that hyphenation splits.
void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, caFont, font);
    while (par.Chars.Size < ParChars) {
        const std::uint32_t length = 1 + random() % (random() % 4 == 0 ? 14 : 8);
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
        std::mt19937 random(2026);
        Doc->Par(0)->Format.Alignment = 3;  // justified
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
    ~TBenchDoc() { Doc->DestroyLayout(); }
    std::unique_ptr<TDoc> Doc;
    std::int64_t Chars = 0;
};

void BM_JustifiedLines(benchmark::State& state) {
    static TBenchDoc bench;
    static TEveryThirdHyphenator hyphenator;
    TDoc& doc = *bench.Doc;
    const bool hyphenate = state.range(0) != 0;
    doc.Hyphenation.Automatic = hyphenate ? 1 : 0;
    doc.Hyphenation.Zone = 0;
    SetHyphenator(hyphenate ? &hyphenator : nullptr);
    std::int64_t lines = 0;
    std::int64_t hyphenated = 0;
    for (auto _ : state) {
        for (std::int32_t i = 0; i < doc.ParCount(); ++i) {
            TPar* par = doc.Par(i);
            par->LayoutLines(0, TextWidth, nullptr);
            lines += par->LineCount();
            for (std::int32_t k = 0; k < par->LineCount(); ++k)
                hyphenated += (par->Lines->At<TLine>(k)->Flags & lfHyphenated) != 0 ? 1 : 0;
        }
    }
    SetHyphenator(nullptr);
    state.SetItemsProcessed(state.iterations() * bench.Chars);
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
    state.counters["hyphenated"] =
        benchmark::Counter(static_cast<double>(hyphenated), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_JustifiedLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
