// Playing the largest metafile of the corpus (a printer driver's EMF of
// about 1 MB, mostly bitmaps) into a bitmap of its own size, against
// ImageMagick rendering the same picture. ImageMagick has no EMF reader
// here, so emf2svg-conv turns the metafile into SVG once, before timing, and
// ImageMagick renders that SVG into a PNG.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"

namespace {

const std::string& Largest() {
    static const std::string path = std::string(REZ_CORPUS_DIR) + "/pictures/emf/docx4j__freehand_emfprinter.emf";
    return path;
}

void BM_PlayLargestEmf(benchmark::State& state) {
    using namespace Platform;
    std::ifstream in(Largest(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    HENHMETAFILE emf = SetEnhMetaFileBits(bytes.data(), bytes.size());
    TEnhMetaHeader header;
    if (emf == nullptr || !GetEnhMetaFileHeader(emf, header)) {
        state.SkipWithError("the corpus is not there");
        return;
    }
    const int w = header.Bounds.Right - header.Bounds.Left + 1, h = header.Bounds.Bottom - header.Bounds.Top + 1;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(w, h);
    HBITMAP old = SelectBitmap(dc, bitmap);
    for (auto _ : state) {
        PatBlt(dc, 0, 0, w, h, WHITENESS);
        PlayEnhMetaFile(dc, emf, {0, 0, w - 1, h - 1});
    }
    state.counters["pixels"] = w * h;
    SelectBitmap(dc, old);
    DeleteBitmap(bitmap);
    DeleteDC(dc);
    DeleteEnhMetaFile(emf);
}
BENCHMARK(BM_PlayLargestEmf)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageMagickRendersLargestEmf(benchmark::State& state) {
    const std::string svg = "/tmp/rez-emf-bench-" + std::to_string(getpid()) + ".svg";
    const std::string png = svg + ".png";
    if (std::system(("emf2svg-conv -i '" + Largest() + "' -o '" + svg + "' >/dev/null 2>&1").c_str()) != 0) {
        state.SkipWithError("emf2svg-conv is not installed");
        return;
    }
    const std::string command = "convert-im6.q16 '" + svg + "' '" + png + "' >/dev/null 2>&1";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("convert-im6.q16 failed");
    std::remove(svg.c_str());
    std::remove(png.c_str());
}
BENCHMARK(BM_ImageMagickRendersLargestEmf)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
