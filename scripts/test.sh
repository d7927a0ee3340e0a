#!/usr/bin/env bash
# Installs what is missing, builds every target with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# -g1: line tables for the sanitizer reports, without the full debug information
# that would slow the build.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DKERNWICK_SANITIZE=address,undefined
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
# LeakSanitizer stays on: a leak in our code fails the suite.
export ASAN_OPTIONS=abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/test --output-on-failure -j2 --timeout 300
