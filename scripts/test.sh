#!/usr/bin/env bash
# Sets up, builds and runs every test: once in the checked build (assertions
# on), once more under AddressSanitizer and UndefinedBehaviorSanitizer. The
# benchmarks are built (so they keep compiling) but not run here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
export CCACHE_DIR="${CCACHE_DIR:-$PWD/build/.ccache}"

step() { printf '\n== %s (%ss)\n' "$1" "$SECONDS"; }

step "checked build"
cmake -S . -B build/check -G Ninja -DCMAKE_BUILD_TYPE=Release -DREZ_CHECKS=ON >/dev/null
cmake --build build/check -j "$jobs"
step "tests"
ctest --test-dir build/check -j "$jobs" --timeout 600

step "sanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREZ_CHECKS=ON -DREZ_SANITIZE=ON \
    -DREZ_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="-O1" >/dev/null
cmake --build build/asan -j "$jobs"
step "tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan -j "$jobs" --timeout 900

step "done"
