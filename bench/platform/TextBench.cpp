// Our text path: measuring a million characters and painting a full
// 1920 x 1080 screen of 12-point text (Arial, 16 pixels), to set against
// the same work done by Pango on Cairo (PangoTextBench.cpp) in the same run.

#include <benchmark/benchmark.h>

#include "BenchText.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"

namespace {

using namespace Platform;

constexpr int kLineLength = 200;
constexpr int kMeasureLines = 1000000 / kLineLength;
constexpr int kScreenLines = 1080 / 18;

HFONT TwelvePointArial() {
    TLogFont lf;
    lf.FaceName = "Arial";
    lf.Height = -16;
    return CreateFontIndirect(lf);
}

void BM_MeasureMillionCharsOurs(benchmark::State& state) {
    const auto lines = BenchText::Lines(kMeasureLines, kLineLength);
    HFONT font = TwelvePointArial();
    HDC dc = CreateCompatibleDC(nullptr);
    SelectFont(dc, font);
    for (auto _ : state) {
        std::int64_t total = 0;
        for (const auto& line : lines)
            total += GetTextExtentW(dc, line).cx;
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kMeasureLines * kLineLength);
    DeleteDC(dc);
    DeleteFont(font);
}
BENCHMARK(BM_MeasureMillionCharsOurs)->Unit(benchmark::kMillisecond);

void BM_DrawScreenOurs(benchmark::State& state) {
    const auto lines = BenchText::Lines(kScreenLines, 230);
    HFONT font = TwelvePointArial();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(1920, 1080);
    HBITMAP old = SelectBitmap(dc, bitmap);
    SelectFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    HBRUSH white = CreateSolidBrush(0xFFFFFF);
    for (auto _ : state) {
        FillRect(dc, {0, 0, 1920, 1080}, white);
        for (int i = 0; i < kScreenLines; ++i)
            TextOutW(dc, 4, i * 18, lines[i]);
    }
    state.SetItemsProcessed(state.iterations() * kScreenLines * 230);
    DeleteBrush(white);
    SelectBitmap(dc, old);
    DeleteBitmap(bitmap);
    DeleteDC(dc);
    DeleteFont(font);
}
BENCHMARK(BM_DrawScreenOurs)->Unit(benchmark::kMillisecond);

}  // namespace
