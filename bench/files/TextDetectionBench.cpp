// Finding the encoding of a plain-text file looks at its first read window
// (64 KB): the ASCII test and, for text that is not ASCII, the scores of the
// eight code pages. Bytes per second over a full window is the figure to
// watch; the ASCII case ends after one pass, the scored case makes nine.

#include <benchmark/benchmark.h>

#include <string>

#include "files/text/TextEncodings.h"

namespace {

constexpr std::size_t kWindow = 65536;

std::string Fill(std::string_view piece) {
    std::string text;
    while (text.size() < kWindow)
        text += piece;
    text.resize(kWindow);
    return text;
}

void Detect(benchmark::State& state, const std::string& text) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectTextEncoding(bytes, 1252));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_DetectAscii(benchmark::State& state) {
    Detect(state, Fill("The quick brown fox jumps over the lazy dog.\r\n"));
}
BENCHMARK(BM_DetectAscii);

void BM_DetectCodePage(benchmark::State& state) {
    // Polish in code page 1250.
    Detect(state, Fill("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1, chrz\xb9szcz brzmi w trzcinie.\r\n"));
}
BENCHMARK(BM_DetectCodePage);

}  // namespace
