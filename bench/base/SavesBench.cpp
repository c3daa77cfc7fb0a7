// Saving a small file whole (temporary file, flush to the disk, rename),
// in a folder of 0 to 10 000 other files, which every save looks through for
// the leftovers of writers that died.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/core/TMemory.h"

namespace {

namespace fs = std::filesystem;

void BM_SaveSmallFileInFolderOf(benchmark::State& state) {
    std::random_device rd;
    const fs::path folder = fs::temp_directory_path() / ("rezozuri-bench-" + std::to_string(rd()));
    fs::create_directories(folder);
    for (int i = 0; i < state.range(0); ++i)
        std::ofstream(folder / ("other" + std::to_string(i) + ".txt")) << i;
    TMemory m;
    m.AssignString(std::string(4096, 'x'));
    const std::string file = (folder / "saved.bin").string();
    for (auto _ : state)
        m.SaveToFile(file);
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_SaveSmallFileInFolderOf)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
