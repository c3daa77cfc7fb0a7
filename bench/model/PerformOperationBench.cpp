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
#include "model/undo/OperationArgs.h"
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
        doc.PerformOperation(TInsertTextArgs{&text, flags});
    }
    return AllocatedHeapBytes() - before;
}

// One round: the typing timed, then undone.
struct TRound {
    double TypeSeconds = 0;
    double UndoSeconds = 0;
    std::int32_t Steps = 0;
    double BytesPerStep = 0;
};

TRound TypeAndUndoOnce(std::int32_t parLength) {
    // The same typing into a hidden document, which keeps no history,
    // tells what the text itself takes; the rest is the undo list. The
    // pools are emptied first, so that every operation's selection records
    // are counted and none comes from an earlier run.
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
    TRound round;
    round.TypeSeconds = std::chrono::duration<double>(typed - start).count();
    round.UndoSeconds = std::chrono::duration<double>(undone - typed).count();
    round.Steps = doc->UndoList.Count;
    round.BytesPerStep = static_cast<double>(growth - textGrowth) / round.Steps;
    delete doc;
    return round;
}

void TypeAndUndo(benchmark::State& state, std::int32_t parLength) {
    for (auto _ : state) {
        // The undo history of a round takes about 60 MB. The first round in
        // a process takes that memory from the system page by page, and on a
        // virtual machine each first touch of a page is a fault the
        // hypervisor serves: that costs several times the typing itself and
        // falls on whichever benchmark runs first. So the first round is
        // reported on its own (us_per_insert_cold) and the typing is timed
        // in a second round, on memory the process already holds.
        const TRound cold = TypeAndUndoOnce(parLength);
        const TRound warm = TypeAndUndoOnce(parLength);
        state.counters["us_per_insert_cold"] = cold.TypeSeconds * 1e6 / Insertions;
        state.counters["us_per_insert"] = warm.TypeSeconds * 1e6 / Insertions;
        state.counters["us_per_undo"] = warm.UndoSeconds * 1e6 / Insertions;
        state.counters["undo_steps"] = warm.Steps;
        state.counters["bytes_per_step"] = warm.BytesPerStep;
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
