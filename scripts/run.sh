#!/usr/bin/env bash
# Sets up, builds and starts the program. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DREZ_BUILD_TESTS=OFF -DREZ_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target rezozuri
exec build/release/rezozuri "$@"
