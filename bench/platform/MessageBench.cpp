#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/Windows.h"

// Messages per second through the window layer: a send to a window of the
// same thread (the procedure called through the handle), and a post taken
// out of the queue and dispatched. Goals: 5 M/s and 1 M/s.
namespace {

using namespace Platform;

// The benchmark needs no display.
const bool g_offscreen = (setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

LRESULT CountingProc(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER)
        return static_cast<LRESULT>(wp + 1);
    return DefWindowProc(w, m, wp, lp);
}

HWND BenchWindow() {
    static HWND window = [] {
        TWndClass wc;
        wc.lpfnWndProc = &CountingProc;
        wc.lpszClassName = u"MessageBench";
        RegisterClass(wc);
        return CreateWindowEx(0, u"MessageBench", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, 0, nullptr);
    }();
    return window;
}

void BM_SendMessage(benchmark::State& state) {
    HWND w = BenchWindow();
    WPARAM i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessage(w, WM_USER, i++, 0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SendMessage);

// Posts in batches of 64, as a busy producer would, then drains them.
void BM_PostAndDispatch(benchmark::State& state) {
    HWND w = BenchWindow();
    TMsg msg;
    constexpr int kBatch = 64;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i)
            PostMessage(w, WM_USER, static_cast<WPARAM>(i), 0);
        while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE))
            benchmark::DoNotOptimize(DispatchMessage(msg));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_PostAndDispatch);

}  // namespace
