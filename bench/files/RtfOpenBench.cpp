// Opening the largest RTF document of the corpus (16.8 MB converted from the
// ODF 1.2 specification) into the full model, through the same entry the
// document's Open uses: the file is opened, the format detected, the reader
// run and the loaded document finished. Bytes per second is the figure to
// watch; the second benchmark opens it once in a child process of its own, so
// that its peak resident memory is that of the opening alone (its time
// includes starting the child and its font manager).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "../HostileInputs.h"
#include "files/opening/OpenDocument.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"

namespace {

const std::string kBigRtf = std::string(REZ_CORPUS_DIR) + "/big/derived__odf12-part1.lo.rtf";

// Opens the file as rezdump does: format detected, read-only, no lock.
bool OpenBigRtf() {
    TDoc doc(true);
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;  // detect
    options.FileName = kBigRtf;
    options.OpenReadOnly = true;
    return OpenDocument(doc, options);
}

std::int64_t BigRtfSize() {
    std::error_code ec;
    const auto size = std::filesystem::file_size(kBigRtf, ec);
    return ec ? 0 : static_cast<std::int64_t>(size);
}

void BM_RtfOpenFile(benchmark::State& state) {
    const std::int64_t size = BigRtfSize();
    if (size == 0) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    // Fonts are registered as in the program, where a font manager exists
    // before any document opens.
    TFontManager fonts;
    for (auto _ : state) {
        if (!OpenBigRtf()) {
            state.SkipWithError("the document did not open");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_RtfOpenFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RtfOpenFilePeakMemory(benchmark::State& state) {
    if (BigRtfSize() == 0) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    for (auto _ : state) {
        const THostileOutcome outcome = RunHostileInput([] {
            TFontManager fonts;
            if (!OpenBigRtf())
                std::_Exit(1);
        });
        state.SetIterationTime(outcome.Seconds);
        state.counters["peak_MiB"] = outcome.PeakMiB;
        state.counters["finished"] = outcome.Finished ? 1 : 0;
    }
}
BENCHMARK(BM_RtfOpenFilePeakMemory)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
