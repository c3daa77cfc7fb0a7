#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/Clipboard.h"

// A copy and a paste through the desktop's clipboard: a long text (the
// conversion to UTF-8 and back) and a screen-sized picture (a DIB encoded
// as PNG on the way out and decoded on the way in).
namespace {

using namespace Platform;

const bool g_offscreen = (setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

void RoundTrip(benchmark::State& state, std::uint32_t format, const std::vector<std::uint8_t>& data) {
    for (auto _ : state) {
        OpenClipboard(nullptr);
        EmptyClipboard();
        if (!SetClipboardData(format, data))
            state.SkipWithError("the clipboard refused the data");
        CloseClipboard();
        OpenClipboard(nullptr);
        benchmark::DoNotOptimize(GetClipboardData(format));
        CloseClipboard();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

void BM_ClipboardUnicodeText1MB(benchmark::State& state) {
    std::vector<std::uint8_t> text;
    for (int i = 0; i < 512 * 1024 - 1; ++i) {
        const char16_t c = i % 61 == 60 ? u'\n' : static_cast<char16_t>(i % 7 == 0 ? 0x00E9 : u'a' + i % 26);
        text.push_back(static_cast<std::uint8_t>(c));
        text.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    text.push_back(0);
    text.push_back(0);
    RoundTrip(state, CF_UNICODETEXT, text);
}
BENCHMARK(BM_ClipboardUnicodeText1MB)->Unit(benchmark::kMillisecond);

void BM_ClipboardDib1024x768(benchmark::State& state) {
    constexpr int kWidth = 1024;
    constexpr int kHeight = 768;
    std::vector<std::uint8_t> dib(40 + kWidth * 3 * kHeight);
    StoreU32LE(dib.data(), 40);
    StoreU32LE(dib.data() + 4, kWidth);
    StoreU32LE(dib.data() + 8, kHeight);
    StoreU16LE(dib.data() + 12, 1);
    StoreU16LE(dib.data() + 14, 24);
    for (std::size_t i = 40; i < dib.size(); ++i)
        dib[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 11));
    RoundTrip(state, CF_DIB, dib);
}
BENCHMARK(BM_ClipboardDib1024x768)->Unit(benchmark::kMillisecond);

}  // namespace
