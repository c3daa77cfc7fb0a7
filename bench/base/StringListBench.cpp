// Sorting a word list: TStringList, which compares pairs of strings under
// the comparison locale, against std::sort on collation sort keys of the
// same words (the key side pays for making its keys).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text/CompareLocale.h"
#include "base/text/TStringList.h"
#include "platform/CodePages.h"
#include "platform/Collation.h"

namespace {

constexpr int kWords = 100000;
constexpr std::uint32_t kLocale = 0x409;

// Deterministic words in Windows-1252: 3 to 10 letters, about one letter in
// twelve accented, every tenth word a repeat of an earlier one.
const std::vector<std::string>& Words() {
    static const std::vector<std::string> words = [] {
        static const char kAccented[] = "\xE9\xE8\xE0\xFC\xF6\xE7\xF1\xE2";
        std::vector<std::string> out;
        out.reserve(kWords);
        std::uint32_t seed = 2024;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return seed >> 8;
        };
        for (int i = 0; i < kWords; ++i) {
            if (i % 10 == 9) {
                out.push_back(out[next() % out.size()]);
                continue;
            }
            std::string w(3 + next() % 8, 'a');
            for (char& c : w)
                c = next() % 12 == 0 ? kAccented[next() % 8] : static_cast<char>('a' + next() % 26);
            if (next() % 8 == 0)
                w[0] = static_cast<char>(w[0] - 32 * (w[0] >= 'a' && w[0] <= 'z'));
            out.push_back(std::move(w));
        }
        return out;
    }();
    return words;
}

void BM_TStringListSortedOn(benchmark::State& state) {
    const auto& words = Words();
    PushCompareLocale(kLocale);
    for (auto _ : state) {
        state.PauseTiming();
        TStringList list;
        list.SetCapacity(kWords);
        for (const auto& w : words)
            list.Add(w);
        state.ResumeTiming();
        list.SetSorted(true);
        benchmark::DoNotOptimize(list.Items);
    }
    PopCompareLocale();
    state.SetItemsProcessed(state.iterations() * kWords);
}
BENCHMARK(BM_TStringListSortedOn)->Unit(benchmark::kMillisecond);

void BM_StdSortOnIcuSortKeys(benchmark::State& state) {
    std::vector<std::u16string> wide;
    for (const auto& w : Words())
        wide.push_back(Platform::BytesToWide(1252, w));
    for (auto _ : state) {
        std::vector<std::string> keys;
        keys.reserve(wide.size());
        for (const auto& w : wide)
            keys.push_back(Platform::CollationSortKey(kLocale, Platform::clIgnoreCase, w));
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
    state.SetItemsProcessed(state.iterations() * kWords);
}
BENCHMARK(BM_StdSortOnIcuSortKeys)->Unit(benchmark::kMillisecond);

}  // namespace
