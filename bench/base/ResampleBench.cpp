// Smooth resampling of a 4000 x 3000 picture to 1024 x 768 against
// ImageMagick's Mitchell filter (convert-im6.q16 -filter Mitchell -resize),
// measured in one run. ImageMagick runs as a program on the same picture in
// a temporary PPM file; a plain read-and-write run of the same file tells
// its file input and output apart from the filtering, and a run limited to
// one thread compares like with like (ours uses one).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/graphics/TBitmap.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::uint8_t Channel(int x, int y, int c, std::uint32_t noise) {
    const int v = c == 0 ? x * 255 / kWidth : (c == 1 ? y * 255 / kHeight : ((x / 50 + y / 50) & 1) * 200);
    return static_cast<std::uint8_t>(std::clamp(v + static_cast<int>(noise % 9) - 4, 0, 255));
}

TBitmap& Source() {
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;
        b->SetPixelFormat(pf24bit);
        b->SetSize(kWidth, kHeight);
        std::mt19937 random(3);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = b->ScanLine(y);
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    row[x * 3 + 2 - c] = Channel(x, y, c, random());
        }
        return b;
    }();
    return *bitmap;
}

// The same picture as a PPM file for ImageMagick.
const std::string& SourceFile() {
    static const std::string path = [] {
        const std::string p = "/tmp/rez-resample-bench-" + std::to_string(getpid()) + ".ppm";
        std::ofstream out(p, std::ios::binary);
        out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        TBitmap& b = Source();
        std::vector<char> row(kWidth * 3);
        for (int y = 0; y < kHeight; ++y) {
            const std::uint8_t* in = b.ScanLine(y);
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    row[x * 3 + c] = static_cast<char>(in[x * 3 + 2 - c]);
            out.write(row.data(), static_cast<std::streamsize>(row.size()));
        }
        std::atexit([] { std::remove(("/tmp/rez-resample-bench-" + std::to_string(getpid()) + ".ppm").c_str()); });
        return p;
    }();
    return path;
}

void BM_ResampleOurs(benchmark::State& state) {
    TBitmap& source = Source();
    TBitmap dest;
    dest.SetPixelFormat(pf24bit);
    dest.SetSize(1024, 768);
    for (auto _ : state)
        source.ResampleInto(dest, false);
}
BENCHMARK(BM_ResampleOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

void RunImageMagick(benchmark::State& state, const std::string& options, const char* threads) {
    const std::string in = SourceFile(), out = in + ".out.ppm";
    const std::string command =
        std::string(threads) + "convert-im6.q16 '" + in + "' " + options + " '" + out + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        state.SkipWithError("convert-im6.q16 is not installed");
        return;
    }
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("convert-im6.q16 failed");
    std::remove(out.c_str());
}

void BM_ResampleImageMagick(benchmark::State& state) {
    RunImageMagick(state, "-filter Mitchell -resize 1024x768!", "");
}
BENCHMARK(BM_ResampleImageMagick)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResampleImageMagickOneThread(benchmark::State& state) {
    RunImageMagick(state, "-filter Mitchell -resize 1024x768!", "MAGICK_THREAD_LIMIT=1 ");
}
BENCHMARK(BM_ResampleImageMagickOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

// ImageMagick reading and writing the same file without resizing: its file
// input and output, to be taken off the runs above.
void BM_ImageMagickReadWriteOnly(benchmark::State& state) {
    RunImageMagick(state, "-resize 4000x3000!", "MAGICK_THREAD_LIMIT=1 ");
}
BENCHMARK(BM_ImageMagickReadWriteOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
