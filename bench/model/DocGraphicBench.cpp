// Shape pictures: drawing a 1000 x 800 PNG at a zoom of 150 % the first time
// (reading the backing file, decoding, resampling) against a draw served by
// the resampled copy; a loaded picture stretched on every draw for
// comparison; tracing its outline; and a hundred such pictures painted in
// turn under the loaded-bytes limit (peak bytes counted).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TPNGImage.h"
#include "model/formats/TDocGraphic.h"

namespace {

constexpr std::int32_t PictureWidth = 1000;
constexpr std::int32_t PictureHeight = 800;
// The picture at a zoom of 150 %.
constexpr Platform::TRect Zoomed{0, 0, PictureWidth * 3 / 2, PictureHeight * 3 / 2};

const std::string& PictureBytes() {
    static const std::string bytes = [] {
        TPNGImage png;
        png.SetPixelFormat(pf24bit);
        png.SetSize(PictureWidth, PictureHeight);
        for (std::int32_t y = 0; y < PictureHeight; ++y) {
            std::uint8_t* row = png.ScanLine(y);
            for (std::int32_t x = 0; x < PictureWidth; ++x) {
                const bool disc = (x - 500) * (x - 500) + (y - 400) * (y - 400) < 300 * 300;
                // A dark disc on a light ground with a faint pattern, so
                // that the file compresses like a photograph would not but
                // tracing has an outline to find.
                row[3 * x] = static_cast<std::uint8_t>(disc ? 40 : 250 + (x + y) % 6);
                row[3 * x + 1] = static_cast<std::uint8_t>(disc ? 20 : 250 + x % 6);
                row[3 * x + 2] = static_cast<std::uint8_t>(disc ? 10 : 250 + y % 6);
            }
        }
        TMemoryStream stream;
        png.SaveToStream(stream);
        return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
    }();
    return bytes;
}

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

struct TTarget {
    TTarget() {
        Bitmap.SetPixelFormat(pf24bit);
        Bitmap.SetSize(Zoomed.Right, Zoomed.Bottom);
    }
    Platform::HDC DC() { return Bitmap.Canvas()->Handle(); }
    TBitmap Bitmap;
};

void BM_DocGraphicFirstDraw(benchmark::State& state) {
    TTarget target;
    for (auto _ : state) {
        state.PauseTiming();
        auto graphic = TDocGraphic::FromBytes(Span(PictureBytes()));
        state.ResumeTiming();
        graphic->Draw(target.DC(), Zoomed);
        state.PauseTiming();
        graphic.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DocGraphicFirstDraw)->Unit(benchmark::kMillisecond);

// Loaded, but stretched anew every time (as while printing).
void BM_DocGraphicStretchedDraw(benchmark::State& state) {
    TTarget target;
    auto graphic = TDocGraphic::FromBytes(Span(PictureBytes()));
    graphic->Draw(target.DC(), Zoomed);
    for (auto _ : state)
        graphic->Draw(target.DC(), Zoomed, TDocGraphic::dfPrinting);
}
BENCHMARK(BM_DocGraphicStretchedDraw)->Unit(benchmark::kMillisecond);

void BM_DocGraphicCachedDraw(benchmark::State& state) {
    TTarget target;
    auto graphic = TDocGraphic::FromBytes(Span(PictureBytes()));
    for (int i = 0; i < 4; ++i)
        graphic->Draw(target.DC(), Zoomed);
    for (auto _ : state)
        graphic->Draw(target.DC(), Zoomed);
    if (!graphic->LastDrawCached())
        state.SkipWithError("the resampled copy was not used");
}
BENCHMARK(BM_DocGraphicCachedDraw)->Unit(benchmark::kMillisecond);

void BM_DocGraphicTraceOutline(benchmark::State& state) {
    auto graphic = TDocGraphic::FromBytes(Span(PictureBytes()));
    std::size_t points = 0;
    for (auto _ : state)
        points = graphic->TraceOutline().size();
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_DocGraphicTraceOutline)->Unit(benchmark::kMillisecond);

// A hundred pictures painted in turn at page size, as scrolling through a
// document of a hundred pages does.
void BM_DocGraphicHundredPictures(benchmark::State& state) {
    std::vector<std::unique_ptr<TDocGraphic>> pictures;
    for (int i = 0; i < 100; ++i)
        pictures.push_back(TDocGraphic::FromBytes(Span(PictureBytes())));
    TTarget target;
    TDocGraphic::ResetPeakLoadedBytes();
    for (auto _ : state)
        for (auto& picture : pictures)
            picture->Draw(target.DC(), {0, 0, 500, 400});
    state.counters["peak_MB"] = static_cast<double>(TDocGraphic::PeakLoadedBytes()) / 1e6;
    state.counters["limit_MB"] = static_cast<double>(TDocGraphic::LoadedBytesLimit()) / 1e6;
}
BENCHMARK(BM_DocGraphicHundredPictures)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
