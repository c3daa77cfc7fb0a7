// The RTF scanner over a large real document (16.8 MB of RTF converted from
// the ODF 1.2 specification): every byte is turned into tokens through the
// read window, from the file and from a memory block, and the control words
// are looked up. Bytes per second is the figure to watch.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "files/import/TReadWindow.h"
#include "files/rtf/TRtfScanner.h"
#include "platform/Files.h"

namespace {

const std::string kBigRtf = std::string(REZ_CORPUS_DIR) + "/big/derived__odf12-part1.lo.rtf";

// Scans the window's source to its end; the count of known words keeps the
// work from being optimised away.
std::int64_t ScanToEnd(TReadWindow& window) {
    TRtfScanner scanner(window);
    TRtfToken token;
    std::int64_t known = 0;
    while (scanner.Next(token) != rtkEnd)
        known += token.Kind == rtkControlWord && token.Word != RtfUnknownWord;
    return known;
}

void BM_RtfScanFile(benchmark::State& state) {
    const Platform::TFileHandle file = Platform::OpenExistingFile(kBigRtf, Platform::TFileAccess::Read);
    if (file == Platform::kNoFile) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    const std::int64_t size = Platform::SeekFile(file, 0, Platform::kSeekFromEnd);
    TReadWindow window;
    for (auto _ : state) {
        window.AttachFile(file, size, kBigRtf);
        benchmark::DoNotOptimize(ScanToEnd(window));
    }
    Platform::CloseFile(file);
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_RtfScanFile)->Unit(benchmark::kMillisecond);

void BM_RtfScanMemory(benchmark::State& state) {
    std::ifstream in(kBigRtf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    TReadWindow window;
    for (auto _ : state) {
        window.AttachMemory(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(ScanToEnd(window));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_RtfScanMemory)->Unit(benchmark::kMillisecond);

}  // namespace
