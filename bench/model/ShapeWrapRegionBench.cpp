// Wrap regions of tight and through shapes: the time to rasterise a
// polygon into the rectangles text flows around, for a plain outline on a
// page-sized shape and for the most hostile polygon a file can give (the
// most vertices a shape keeps, each pair a tooth, on a shape larger than
// any page), with that case's peak memory measured in a child process.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "../HostileInputs.h"
#include "model/formats/TShape.h"

namespace {

// A page-sized cup: a C turned to open upward.
void MakeCup(TShape& shape) {
    shape.Props.WrapPolygon = {{0, 0},     {7200, 0},  {7200, 14400},  {14400, 14400},
                               {14400, 0}, {21600, 0}, {21600, 21600}, {0, 21600}};
    shape.Rect = {0, 0, 12240, 15840};
}

// A comb of MaxWrapPolygonPoints vertices whose teeth cross every row.
void MakeComb(TShape& shape) {
    for (std::size_t i = 0; i + 1 < MaxWrapPolygonPoints; i += 2) {
        const auto x = static_cast<std::int32_t>(i * 21600 / MaxWrapPolygonPoints);
        shape.Props.WrapPolygon.push_back({x, i % 4 == 0 ? 0 : 21600});
        shape.Props.WrapPolygon.push_back({x + 5, i % 4 == 0 ? 21600 : 0});
    }
    shape.Rect = {0, 0, INT32_MAX / 2, INT32_MAX / 2};
}

void Measure(benchmark::State& state, void (*make)(TShape&), std::int32_t kind) {
    TShape shape(nullptr);
    shape.Props.WrapKind = kind;
    make(shape);
    std::size_t rects = 0;
    for (auto _ : state) {
        shape.ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
        rects = shape.WrapRegion(false).size();
        benchmark::DoNotOptimize(rects);
    }
    state.counters["rectangles"] = static_cast<double>(rects);
}

void BM_WrapRegionCupTight(benchmark::State& state) {
    Measure(state, MakeCup, swTight);
}
BENCHMARK(BM_WrapRegionCupTight)->Unit(benchmark::kMicrosecond);

void BM_WrapRegionCupThrough(benchmark::State& state) {
    Measure(state, MakeCup, swThrough);
}
BENCHMARK(BM_WrapRegionCupThrough)->Unit(benchmark::kMicrosecond);

void BM_WrapRegionHostileComb(benchmark::State& state) {
    Measure(state, MakeComb, swThrough);
}
BENCHMARK(BM_WrapRegionHostileComb)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
    RegisterHostileInput("Hostile/WrapRegion/comb_of_1024_vertices_on_a_huge_shape", [] {
        TShape shape(nullptr);
        shape.Props.WrapKind = swThrough;
        MakeComb(shape);
        benchmark::DoNotOptimize(shape.WrapRegion(false).size());
    });
    return true;
}();

}  // namespace
