#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan) and runs
# each for a bounded time from the seeds in fuzz/corpus/. Any crash, leak,
# sanitizer report, failed property or hang fails the run; the input that
# caused it is left in BUILD/fuzz-artifacts/.
#
#   tools/ci/fuzz.sh [SECONDS] [BUILD_DIR]     defaults: 60, build-fuzz
#
# Two fuzzers run at a time (one per core of a small CI machine). New inputs
# go to a scratch corpus, never into the tree.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${1:-60}"
build="${2:-$here/build-fuzz}"
parallel="${HORAVEX_FUZZ_PARALLEL:-2}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DHORAVEX_FUZZ=ON -DHORAVEX_BUILD_TESTS=OFF -DHORAVEX_BUILD_BENCHMARKS=OFF ${HORAVEX_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target horavex_fuzzers

artifacts="$build/fuzz-artifacts"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$artifacts"

run_one() {  # name
  local name="$1" log="$scratch/$1.log"
  mkdir -p "$scratch/$name"
  if "$build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
       "$scratch/$name" "$here/fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz $name: ok, $(grep -m1 -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs," \
         "$(grep -E '(DONE|pulse|NEW|REDUCE) +cov:' "$log" | tail -1 | grep -o 'cov: [0-9]* ft: [0-9]*')"
  else
    echo "fuzz $name: FAILED" >&2
    tail -60 "$log" >&2
    return 1
  fi
}

names=()
for source in "$here"/fuzz/*_fuzzer.cpp; do
  n="$(basename "$source" .cpp)"
  names+=("${n%_fuzzer}")
done

failed=0
pids=()
for name in "${names[@]}"; do
  run_one "$name" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
exit "$failed"
