#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each one for SECONDS (default 60), one after another. The corpus each
# run grows is kept in build/fuzz/corpus/<target> for the next run; a finding
# stops the script with the target's report and leaves the input in
# build/fuzz/findings/<target>.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
scripts/deps.sh

build=build/fuzz
cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
    -DCMAKE_CXX_COMPILER=clang++ -DKERNWICK_FUZZ=ON \
    -DKERNWICK_BUILD_TESTS=OFF -DKERNWICK_BUILD_BENCHMARKS=OFF >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets <$build/fuzzers.txt
fi
cmake --build $build -j2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
    corpus=$build/corpus/$t findings=$build/findings/$t
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$t: $seconds s"
    "$build/bin/fuzz_$t" "$corpus" "$build/seeds/$t" -max_total_time="$seconds" \
        -max_len=65536 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" 2>"$build/fuzz_$t.log" || {
        tail -n 60 "$build/fuzz_$t.log"
        echo "fuzz_$t: finding kept in $findings" >&2
        exit 1
    }
    # The last status line: runs, coverage, the corpus kept (units/bytes), speed, memory.
    grep -E '^#[0-9]+[[:space:]]+DONE' "$build/fuzz_$t.log" | tail -n 1
done
