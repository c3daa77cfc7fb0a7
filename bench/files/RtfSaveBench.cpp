// Saving a large real document (16.8 MB of RTF converted from the ODF 1.2
// specification) as RTF: the document is opened once, then written again
// and again, through the output layer into a sink that only counts (the
// file side of a save), and into a memory block (the clipboard's road).
// Bytes per second of output is the figure to watch; the counters give the
// output size and the rate measured against the source file's size.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/core/TMemory.h"
#include "base/core/TStream.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "platform/Files.h"

namespace {

const std::string kBigRtf = std::string(REZ_CORPUS_DIR) + "/big/derived__odf12-part1.lo.rtf";

// Counts what a save writes and keeps nothing.
class TCountingSink : public TStream {
public:
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void*, std::int32_t count) override {
        Count += count;
        return count;
    }
    std::int64_t Seek(std::int64_t, int) override { return Count; }

    std::int64_t Count = 0;
};

// The managers a document needs, and the document, for the whole run.
struct TOpenedDocument {
    TOpenedDocument() {
        if (TabManager == nullptr) {
            TabManager = new TTabManager;
            OwnTabs = true;
        }
        Fonts = std::make_unique<TFontManager>();
        Doc = std::make_unique<TDoc>(true);
        Doc->TakesParEndMarks = 1;
        TDocOpeningOptions options;
        options.Source = osFile;
        options.Format = 0xFFFF;
        options.FileName = kBigRtf;
        options.OpenReadOnly = true;
        Opened = Platform::FileExists(kBigRtf) && OpenDocument(*Doc, options);
    }
    ~TOpenedDocument() {
        Doc.reset();
        Fonts.reset();
        if (OwnTabs) {
            delete TabManager;
            TabManager = nullptr;
        }
    }
    TOpenedDocument(const TOpenedDocument&) = delete;
    TOpenedDocument& operator=(const TOpenedDocument&) = delete;

    std::unique_ptr<TFontManager> Fonts;
    std::unique_ptr<TDoc> Doc;
    bool Opened = false;
    bool OwnTabs = false;
};

std::int64_t SourceSize() {
    const Platform::TFileHandle file = Platform::OpenExistingFile(kBigRtf, Platform::TFileAccess::Read);
    if (file == Platform::kNoFile)
        return 0;
    const std::int64_t size = Platform::SeekFile(file, 0, Platform::kSeekFromEnd);
    Platform::CloseFile(file);
    return size;
}

void Report(benchmark::State& state, std::int64_t outputSize) {
    state.SetBytesProcessed(state.iterations() * outputSize);
    state.counters["output_bytes"] = static_cast<double>(outputSize);
    state.counters["source_bytes_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations() * SourceSize()), benchmark::Counter::kIsRate,
                           benchmark::Counter::kIs1024);
}

void BM_RtfSaveToFileSink(benchmark::State& state) {
    TOpenedDocument opened;
    if (!opened.Opened) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    std::int64_t size = 0;
    for (auto _ : state) {
        TCountingSink sink;
        TDocSavingOptions options;
        options.Flags = svCopy;
        if (SaveToFormatStream(*opened.Doc, options, sink) != srSaved) {
            state.SkipWithError("the save failed");
            return;
        }
        size = sink.Count;
    }
    Report(state, size);
}
BENCHMARK(BM_RtfSaveToFileSink)->Unit(benchmark::kMillisecond);

void BM_RtfSaveToMemory(benchmark::State& state) {
    TOpenedDocument opened;
    if (!opened.Opened) {
        state.SkipWithError("the corpus document is missing");
        return;
    }
    std::int64_t size = 0;
    for (auto _ : state) {
        TMemory out;
        TDocSavingOptions options;
        options.Target = stMemory;
        options.Output = &out;
        options.Flags = svCopy;
        if (SaveToFormat(*opened.Doc, options) != srSaved) {
            state.SkipWithError("the save failed");
            return;
        }
        size = out.Size;
    }
    Report(state, size);
}
BENCHMARK(BM_RtfSaveToMemory)->Unit(benchmark::kMillisecond);

}  // namespace
