#!/usr/bin/env bash
# Builds in Release and runs the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKERNWICK_BUILD_TESTS=OFF
cmake --build build/release
for b in build/release/bin/bench_*; do "$b" "$@"; done
