#!/usr/bin/env bash
# Builds the programs in Release and packs them into build/package/kernwick_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build/package
cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKERNWICK_BUILD_TESTS=OFF -DKERNWICK_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build $build -j2
(cd $build && cpack -G DEB >/dev/null)
ls $build/kernwick_*.deb
