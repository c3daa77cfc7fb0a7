// The settings stores at the sizes that matter: a 1 MB INI file loaded and
// saved whole, and the per-user store opened with 10,000 values in it.
// Everything happens in a temporary folder; $XDG_CONFIG_HOME is pointed
// there so the real settings are never touched.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/files/TIniFile.h"
#include "base/files/TRegistryEx.h"
#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;

const char kBase[] = "\\Software\\Rezozuri Word Processor\\";

struct TBenchFolder {
    TBenchFolder() {
        std::random_device rd;
        Path = (fs::temp_directory_path() / ("rezozuri-bench-" + std::to_string(rd()))).string();
        fs::create_directories(Path);
        ::setenv("XDG_CONFIG_HOME", Path.c_str(), 1);
        Platform::RegForgetAll();
    }
    ~TBenchFolder() {
        Platform::RegForgetAll();
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    std::string Path;
};

// Writes about 1 MB of settings: 100 sections of 250 values, names and
// values of realistic lengths.
void WriteMegabyte(TIniFile& ini) {
    for (int s = 0; s < 100; ++s) {
        ini.OpenKey("Section" + std::to_string(s));
        for (int v = 0; v < 250; ++v)
            ini.WriteString("Value" + std::to_string(v), "C:/Documents/Letters/2024/letter-" + std::to_string(v));
    }
}

void BM_IniLoad1MB(benchmark::State& state) {
    TBenchFolder folder;
    const std::string file = folder.Path + "/Rezozuri.ini";
    {
        TIniFile ini(file, true);
        ini.BasePath = kBase;
        WriteMegabyte(ini);
    }
    const auto size = static_cast<std::int64_t>(fs::file_size(file));
    for (auto _ : state) {
        TIniFile ini(file, false);
        ini.BasePath = kBase;
        ini.OpenKey("Section50");
        std::string value;
        ini.ReadString("Value125", "", value);
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_IniLoad1MB)->Unit(benchmark::kMillisecond);

void BM_IniSave1MB(benchmark::State& state) {
    TBenchFolder folder;
    const std::string file = folder.Path + "/Rezozuri.ini";
    std::int64_t size = 0;
    for (auto _ : state) {
        TIniFile ini(file, true);
        ini.BasePath = kBase;
        WriteMegabyte(ini);
        ini.UpdateFile();  // written whole, flushed to the disk and renamed into place
        state.PauseTiming();
        size = static_cast<std::int64_t>(fs::file_size(file));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_IniSave1MB)->Unit(benchmark::kMillisecond);

// Opening the per-user store the way the shell does at start-up: the file
// read and parsed, one key opened, a few values read.
void BM_SettingsStoreOpen10000Values(benchmark::State& state) {
    TBenchFolder folder;
    {
        TRegistryEx store;
        store.BasePath = kBase;
        for (int k = 0; k < 100; ++k) {
            store.OpenKey("Key" + std::to_string(k));
            for (int v = 0; v < 100; ++v) {
                if (v % 2 == 0)
                    store.WriteInteger("Int" + std::to_string(v), v * 1000);
                else
                    store.WriteString("Text" + std::to_string(v),
                                      "Arial||Times New Roman||Verdana " + std::to_string(v));
            }
        }
    }
    for (auto _ : state) {
        Platform::RegForgetAll();
        TRegistryEx store;
        store.BasePath = kBase;
        store.OpenKey("Key50");
        benchmark::DoNotOptimize(store.ReadInteger("Int42", 0, 1000000, 0));
    }
}
BENCHMARK(BM_SettingsStoreOpen10000Values)->Unit(benchmark::kMillisecond);

// Saving the same store after one change: merged with the file on the disk
// and replaced atomically.
void BM_SettingsStoreSave10000Values(benchmark::State& state) {
    TBenchFolder folder;
    {
        TRegistryEx store;
        store.BasePath = kBase;
        for (int k = 0; k < 100; ++k) {
            store.OpenKey("Key" + std::to_string(k));
            for (int v = 0; v < 100; ++v)
                store.WriteInteger("Int" + std::to_string(v), v);
        }
    }
    int n = 0;
    for (auto _ : state) {
        TRegistryEx store;
        store.BasePath = kBase;
        store.OpenKey("Key7");
        store.WriteInteger("Changed", ++n);
        benchmark::DoNotOptimize(store.Flush());
    }
}
BENCHMARK(BM_SettingsStoreSave10000Values)->Unit(benchmark::kMillisecond);

}  // namespace
