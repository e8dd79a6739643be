#!/usr/bin/env bash
# Builds the plug-in and its threaded render tests with ThreadSanitizer and
# runs them: several instances (both contexts, every style and depth) render
# on several threads at once, and the windows of one instance render on
# several threads at once. Any report that the suppressions in
# tests/tsan.supp do not cover fails the run.
#
#   tools/ci/tsan.sh [BUILD_DIR]     default: build-tsan
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$here/build-tsan}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHORAVEX_TSAN=ON \
  -DHORAVEX_BUILD_BENCHMARKS=OFF ${HORAVEX_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target render_threads_test render_clock_picture_test

export TSAN_OPTIONS="suppressions=$here/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
"$build/tests/render_threads_test" --gtest_brief=1
"$build/tests/render_clock_picture_test" --gtest_brief=1
