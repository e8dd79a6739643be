#!/usr/bin/env bash
# The Win64 plug-in, cross-built with mingw-w64 and tested under Wine.
#   tools/ci/windows.sh build [BUILD-DIR]   build Horavex.ofx.bundle/Contents/Win64
#                                           and, with makensis installed, the
#                                           installer Horavex-<version>-win64-setup.exe
#   tools/ci/windows.sh test  [BUILD-DIR]   build, then run the tests under Wine
#                                           (the installer's among them)
# BUILD-DIR defaults to build-win64 in the source tree. The tests keep their
# own Wine prefix in BUILD-DIR/wine-prefix.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
mode="${1:-build}"
build="${2:-$root/build-win64}"
jobs="$(nproc 2>/dev/null || echo 2)"

launchers=()
if command -v ccache >/dev/null; then
  launchers=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Tests need the test programs; benchmarks and sanitizers stay on Linux.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DHORAVEX_BUILD_BENCHMARKS=OFF -DHORAVEX_BUILD_TESTS="$([ "$mode" = test ] && echo ON || echo OFF)" \
  "${launchers[@]}"
cmake --build "$build" -j "$jobs"

if [ "$mode" = test ]; then
  # One Wine server for the whole run instead of one per program; it is this
  # prefix's own and is stopped when the tests end.
  wineserver=/usr/lib/wine/wineserver
  command -v wineserver >/dev/null && wineserver="$(command -v wineserver)"
  trap 'WINEPREFIX="$build/wine-prefix" "$wineserver" -k 2>/dev/null || true' EXIT
  (cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 600)
fi
