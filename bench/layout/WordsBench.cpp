// The cost of the text-unit queries a caret movement makes: the common
// character format of a selection of 10,000 paragraphs (the toolbar's
// font, size and attribute state after every selection change), and Ctrl+Right
// (NextWordStart) stepped through 1 MB of text, per call.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "../BenchDocument.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

// Words of ordinary lengths with punctuation now and then, bold and size
// changes every few words, so the merge meets attribute controls and word
// movement meets every kind of step.
void FillPar(TPar& par, std::mt19937& random, std::int32_t font, std::int32_t chars) {
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, caFont, font);
    const auto append = [&par](std::uint8_t c) {
        par.Stream.AppendByte(c);
        par.Chars.AppendByte(c);
    };
    while (par.Chars.Size < chars) {
        const std::uint32_t r = random() % 100;
        if (r < 5)
            AppendFormatControl(par.Stream, caBold, static_cast<std::int32_t>(random() % 2));
        else if (r < 7)
            AppendFormatControl(par.Stream, caSize, 20 + static_cast<std::int32_t>(random() % 3) * 2);
        const std::uint32_t length = 1 + random() % 10;
        for (std::uint32_t i = 0; i < length; ++i)
            append(static_cast<std::uint8_t>('a' + random() % 26));
        if (r % 10 == 0)
            append(',');
        else if (r % 17 == 0)
            append('.');
        append(' ');
    }
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
}

struct TWordsDoc : TBenchFonts {
    TWordsDoc(std::int32_t pars, std::int32_t charsPerPar) {
        Doc = std::make_unique<TDoc>(true);
        std::mt19937 random(2026);
        FillPar(*Doc->Par(0), random, Fonts->TimesFont, charsPerPar);
        Chars = Doc->Par(0)->CharCount();
        for (std::int32_t i = 1; i < pars; ++i) {
            auto* par = new TPar(Doc.get());
            par->Format = Doc->Par(0)->Format;
            FillPar(*par, random, Fonts->TimesFont, charsPerPar);
            Doc->Pars.Add(par);
            Chars += par->CharCount();
        }
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
        for (std::int32_t i = 0; i < Doc->Pars.Count; ++i)
            Doc->Par(i)->Normalize();
    }
    std::unique_ptr<TDoc> Doc;
    std::int64_t Chars = 0;
};

// One call merges every selected paragraph; the items are paragraphs.
void BM_MergedCharFormat10000Pars(benchmark::State& state) {
    static TWordsDoc words(10000, 120);
    TDoc& doc = *words.Doc;
    TFragment range;
    doc.WholeDocRange(range);
    TCompoundFragment* selection = NewCompoundFragment();
    selection->SetSingle(range.Start.Par, range.Start.Offset, range.End.Par, range.End.Offset);
    TCharFormat format;
    for (auto _ : state) {
        doc.MergedCharFormat(selection, selection->Fragment(0), format);
        benchmark::DoNotOptimize(format);
    }
    ReleaseCompoundFragment(selection);
    state.SetItemsProcessed(state.iterations() * doc.ParCount());
    state.counters["pars"] = static_cast<double>(doc.ParCount());
}
BENCHMARK(BM_MergedCharFormat10000Pars)->Unit(benchmark::kMillisecond);

// The common format of a single word, as a double-click leaves it.
void BM_MergedCharFormatOneWord(benchmark::State& state) {
    static TWordsDoc words(10000, 120);
    TDoc& doc = *words.Doc;
    TFragment range;
    MakeFragment(5000, 10, 5000, 16, range);
    TCharFormat format;
    for (auto _ : state) {
        doc.MergedCharFormat(nullptr, range, format);
        benchmark::DoNotOptimize(format);
    }
}
BENCHMARK(BM_MergedCharFormatOneWord)->Unit(benchmark::kMicrosecond);

// Ctrl+Right from the start of the text to its end; the items are calls, so
// the time per item is the time of one caret movement.
void BM_NextWordStartThrough1MB(benchmark::State& state) {
    static TWordsDoc words(700, 1500);
    TDoc& doc = *words.Doc;
    TFragment story;
    doc.MainTextRange(story);
    std::int64_t calls = 0;
    for (auto _ : state) {
        TTextPos pos{};
        for (;;) {
            TTextPos next;
            doc.NextWordStart(pos, next);
            ++calls;
            if (CompareTextPos(next, pos) == 0)
                break;
            pos = next;
        }
        benchmark::DoNotOptimize(pos);
    }
    state.SetItemsProcessed(calls);
    state.counters["chars"] = static_cast<double>(words.Chars);
    state.counters["s_per_call"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NextWordStartThrough1MB)->Unit(benchmark::kMillisecond);

// The same movement inside one paragraph of 1 MB, where every call walks
// the paragraph's own bookkeeping.
void BM_NextWordStartOneLongParagraph(benchmark::State& state) {
    static TWordsDoc words(1, 1024 * 1024);
    TDoc& doc = *words.Doc;
    std::int64_t calls = 0;
    for (auto _ : state) {
        TTextPos pos{};
        for (;;) {
            TTextPos next;
            doc.NextWordStart(pos, next);
            ++calls;
            if (CompareTextPos(next, pos) == 0)
                break;
            pos = next;
        }
        benchmark::DoNotOptimize(pos);
    }
    state.SetItemsProcessed(calls);
    state.counters["s_per_call"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NextWordStartOneLongParagraph)->Unit(benchmark::kMillisecond);

}  // namespace
