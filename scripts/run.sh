#!/usr/bin/env bash
# Installs what is missing, builds Kernwick (Release) and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKERNWICK_BUILD_TESTS=OFF
cmake --build build/release
exec build/release/bin/kernwick "$@"
