#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/DeviceContexts.h"
#include "platform/Windows.h"

// Full-window paints of a 1920 x 1080 top-level window, each flushed to the
// X server, per second. It needs a real X display, so it runs only when the
// program is started on one with the xcb platform plugin, for example:
//   xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb \
//       ./platform_bench --benchmark_filter=XvfbFullWindowPaint
// Elsewhere it reports that it was skipped. Goal: 60 frames per second.
namespace {

using namespace Platform;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

int g_frame = 0;

// Each paint covers the whole client area in a colour of its own, so that
// no frame is the same as the one before.
LRESULT PaintProc(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m != WM_PAINT)
        return DefWindowProc(w, m, wp, lp);
    TPaintStruct ps;
    HDC dc = BeginPaint(w, ps);
    const unsigned shade = static_cast<unsigned>(g_frame++ * 7) & 0xFF;
    HBRUSH brush = CreateSolidBrush(shade | ((255 - shade) << 8) | (0x80u << 16));
    FillRect(dc, {0, 0, kWidth, kHeight}, brush);
    DeleteBrush(brush);
    EndPaint(w, ps);
    return 0;
}

bool OnXDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* plugin = std::getenv("QT_QPA_PLATFORM");
    return display != nullptr && *display != '\0' && plugin != nullptr && std::strcmp(plugin, "xcb") == 0;
}

void BM_XvfbFullWindowPaint(benchmark::State& state) {
    if (!OnXDisplay()) {
        state.SkipWithError("skipped: needs an X display and QT_QPA_PLATFORM=xcb (see the file's comment)");
        return;
    }
    static HWND window = [] {
        TWndClass wc;
        wc.lpfnWndProc = &PaintProc;
        wc.lpszClassName = u"XvfbPaintBench";
        RegisterClass(wc);
        return CreateWindowEx(0, u"XvfbPaintBench", u"paint", WS_OVERLAPPED | WS_VISIBLE, 0, 0, kWidth, kHeight,
                              nullptr, 0, nullptr);
    }();
    if (window == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    // Let the server map the window before counting.
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < settle) {
        PumpMessages();
        WaitMessage(20);
    }
    for (auto _ : state) {
        InvalidateRect(window, nullptr, false);
        UpdateWindow(window);
        PumpMessages();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_XvfbFullWindowPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
