// The encrypted format's costs: PC1 throughput over a document body (both
// passes of EncryptBuffer; bytes per second is the figure to watch) and the
// time to turn a password into a key (2,049 hashes), which every save and
// every open of an encrypted document pays once.

#include <benchmark/benchmark.h>

#include <vector>

#include "files/encryption/TEncryptionManager.h"

namespace {

void BM_Pc1Encrypt(benchmark::State& state) {
    TEncryptionManager& manager = EncryptionManager();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0)), 'a');
    manager.SetKeysFromSeed(TCipherKey{1});
    for (auto _ : state) {
        manager.EncryptBuffer(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Pc1Encrypt)->Arg(1 << 20);

void BM_Pc1Decrypt(benchmark::State& state) {
    TEncryptionManager& manager = EncryptionManager();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0)), 'a');
    manager.SetKeysFromSeed(TCipherKey{1});
    for (auto _ : state) {
        manager.DecryptBuffer(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Pc1Decrypt)->Arg(1 << 20);

void BM_PasswordKey(benchmark::State& state) {
    TEncryptionManager& manager = EncryptionManager();
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.PasswordKey("correct horse battery staple"));
}
BENCHMARK(BM_PasswordKey)->Unit(benchmark::kMillisecond);

}  // namespace
