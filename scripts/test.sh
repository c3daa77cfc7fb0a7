#!/usr/bin/env bash
# Sets up, builds and runs every test: once in the checked build (g++,
# assertions on), once more built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, where each fuzz target also runs for a short,
# bounded time. The benchmarks are built (so they keep compiling) but not run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
fuzz_seconds=${REZ_FUZZ_SECONDS:-10}
export CTEST_OUTPUT_ON_FAILURE=1
export CCACHE_DIR="${CCACHE_DIR:-$PWD/build/.ccache}"

step() { printf '\n== %s (%ss)\n' "$1" "$SECONDS"; }

step "checked build"
cmake -S . -B build/check -G Ninja -DCMAKE_BUILD_TYPE=Release -DREZ_CHECKS=ON >/dev/null
cmake --build build/check -j "$jobs"
step "tests"
ctest --test-dir build/check -j "$jobs" --timeout 600 --progress

step "sanitizer build"
CC=clang CXX=clang++ cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREZ_CHECKS=ON \
    -DREZ_SANITIZE=ON -DREZ_BUILD_BENCH=OFF -DREZ_BUILD_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-O1 -fsanitize=fuzzer-no-link" -DCMAKE_C_FLAGS="-O1 -fsanitize=fuzzer-no-link" >/dev/null
cmake --build build/sanitize -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1
step "tests under sanitizers"
ctest --test-dir build/sanitize -j "$jobs" --timeout 900 --progress

step "fuzzing (${fuzz_seconds}s a target)"
shopt -s nullglob
for bin in build/sanitize/fuzz_*; do
    case "$bin" in *_replay) continue ;; esac
    [ -x "$bin" ] || continue
    name=${bin#build/sanitize/fuzz_}
    work=$(mktemp -d)
    seeds="tests/data/fuzz/$name"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
    if ! (cd "$work" && "$OLDPWD/$bin" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=0 . >"$work.log" 2>&1); then
        echo "fuzz target $name failed; keep the crash input under tests/data/fuzz/$name/:"
        tail -40 "$work.log"
        ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null || true
        exit 1
    fi
    echo "fuzz_$name: ok"
    rm -rf "$work" "$work.log"
done

step "done"
