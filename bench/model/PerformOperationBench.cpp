// Typing through the perform-operation entry: 100,000 single-character
// insertions, each one operation with its undo step, then all of them
// undone. Reports microseconds per insertion and per undone operation, and
// the heap bytes each undo step holds.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "base/core/TList.h"
#include "base/core/TMemory.h"
#include "model/document/TDoc.h"
#include "model/formats/DocumentUnit.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"

namespace {

constexpr int Insertions = 100000;

// Types Insertions characters: words of five letters and a space, and a
// paragraph end after every parLength characters (0: never). Returns the
// heap bytes the document grew by.
std::int64_t Type(TDoc& doc, std::int32_t parLength) {
    TMemory text;
    text.SetSize(1);
    std::int32_t flags = 0;
    const std::int64_t before = AllocatedHeapBytes();
    for (int i = 0; i < Insertions; ++i) {
        const bool parEnd = parLength > 0 && i % parLength == parLength - 1;
        text.Data[0] = parEnd ? '\r' : (i % 6 == 5 ? ' ' : static_cast<std::uint8_t>('a' + i % 26));
        doc.PerformOperation(opInsertText, {&text, &flags});
    }
    return AllocatedHeapBytes() - before;
}

void TypeAndUndo(benchmark::State& state, std::int32_t parLength) {
    for (auto _ : state) {
        // The same typing into a hidden document, which keeps no history,
        // tells what the text itself takes; the rest is the undo list. The
        // pools are emptied first, so that every operation's selection
        // records are counted and none comes from an earlier run.
        ReleaseDocumentPools();
        std::int64_t textGrowth;
        {
            TDoc hidden(true);
            textGrowth = Type(hidden, parLength);
        }
        ReleaseDocumentPools();
        auto* doc = new TDoc;
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t growth = Type(*doc, parLength);
        const auto typed = std::chrono::steady_clock::now();
        doc->UndoAll();
        const auto undone = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(doc->ParCount());
        const double typeSeconds = std::chrono::duration<double>(typed - start).count();
        const double undoSeconds = std::chrono::duration<double>(undone - typed).count();
        state.counters["us_per_insert"] = typeSeconds * 1e6 / Insertions;
        state.counters["us_per_undo"] = undoSeconds * 1e6 / Insertions;
        state.counters["undo_steps"] = doc->UndoList.Count;
        state.counters["bytes_per_step"] = static_cast<double>(growth - textGrowth) / doc->UndoList.Count;
        delete doc;
    }
}

void BM_TypeIntoParagraphsOf1000(benchmark::State& state) {
    TypeAndUndo(state, 1000);
}
BENCHMARK(BM_TypeIntoParagraphsOf1000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TypeIntoParagraphsOf100(benchmark::State& state) {
    TypeAndUndo(state, 100);
}
BENCHMARK(BM_TypeIntoParagraphsOf100)->Iterations(1)->Unit(benchmark::kMillisecond);

// One paragraph of 100,000 characters: every step walks a paragraph that
// keeps growing.
void BM_TypeIntoOneParagraph(benchmark::State& state) {
    TypeAndUndo(state, 0);
}
BENCHMARK(BM_TypeIntoOneParagraph)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
