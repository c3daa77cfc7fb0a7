// Containers against their standard-library peers, measured in one run.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/core/TList.h"
#include "base/core/TMemory.h"

namespace {

// A temporary list of a few items, taken from the pool and given back.
void BM_TListAcquireRelease(benchmark::State& state) {
    int dummy[4];
    for (auto _ : state) {
        TList* list = TList::Acquire();
        list->Add(&dummy[0]);
        list->Add(&dummy[1]);
        list->Add(&dummy[2]);
        benchmark::DoNotOptimize(list->Items);
        TList::Release(list);
    }
}
BENCHMARK(BM_TListAcquireRelease);

void BM_StdVectorAllocFree(benchmark::State& state) {
    int dummy[4];
    for (auto _ : state) {
        auto* list = new std::vector<void*>;
        list->push_back(&dummy[0]);
        list->push_back(&dummy[1]);
        list->push_back(&dummy[2]);
        benchmark::DoNotOptimize(list->data());
        delete list;
    }
}
BENCHMARK(BM_StdVectorAllocFree);

constexpr int kHundredMB = 100 * 1024 * 1024;

void BM_TMemoryAppendByte100MB(benchmark::State& state) {
    for (auto _ : state) {
        TMemory m;
        for (int i = 0; i < kHundredMB; ++i)
            m.AppendByte(static_cast<std::uint8_t>(i));
        benchmark::DoNotOptimize(m.Data);
    }
    state.SetBytesProcessed(state.iterations() * kHundredMB);
}
BENCHMARK(BM_TMemoryAppendByte100MB)->Unit(benchmark::kMillisecond);

void BM_StdStringPushBack100MB(benchmark::State& state) {
    for (auto _ : state) {
        std::string s;
        for (int i = 0; i < kHundredMB; ++i)
            s.push_back(static_cast<char>(i));
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * kHundredMB);
}
BENCHMARK(BM_StdStringPushBack100MB)->Unit(benchmark::kMillisecond);

}  // namespace
