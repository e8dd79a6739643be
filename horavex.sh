#!/usr/bin/env bash
# One entry point for people and CI on a Debian 12 machine:
#   ./horavex.sh demo    install what is missing, build, render the demo clips
#   ./horavex.sh test    install what is missing, build and run the tests
#                        (normally, then under AddressSanitizer + UBSan), run
#                        the fuzzers briefly and the ThreadSanitizer test, then
#                        the Win64 build under Wine; the packages are installed
#                        and removed again (the Debian one only as root with
#                        CI=true)
#   ./horavex.sh win64   install what is missing and build the Win64 bundle
#                        and its installer (build-win64/)
#   ./horavex.sh package install what is missing, build both systems and write
#                        the Debian package and the Windows installer into
#                        dist/
#   ./horavex.sh bench   build and run the benchmarks
#   ./horavex.sh build   install what is missing and build (build/)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

packages=(
  build-essential cmake ninja-build pkg-config
  libcairo2-dev libpango1.0-dev libfontconfig-dev libgtk-3-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fontconfig fonts-dejavu-core
  xvfb xauth xdotool
  libglib2.0-dev libxml2-dev libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  libavfilter-dev libavdevice-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine64 googletest
  dpkg-dev file lintian nsis
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {  # build-dir, extra cmake arguments...
  local dir="$1"; shift
  cmake -S "$here" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
}

run_tests() {  # build-dir
  (cd "$1" && ctest --output-on-failure -j "$jobs" --timeout 300 -LE melt)
}

case "${1:-}" in
  demo)
    install_packages
    configure_and_build "$here/build" -DCMAKE_BUILD_TYPE=Release
    "$here/tools/demo.sh" "$here/build" "$here/out"
    ;;
  test)
    install_packages
    configure_and_build "$here/build" -DCMAKE_BUILD_TYPE=Release
    run_tests "$here/build"
    "$here/tools/ci/melt-tests.sh" "$here/build"
    configure_and_build "$here/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DHORAVEX_SANITIZE=ON \
      -DHORAVEX_BUILD_BENCHMARKS=OFF
    run_tests "$here/build-sanitize"
    "$here/tools/ci/fuzz.sh"
    "$here/tools/ci/tsan.sh"
    "$here/tools/ci/windows.sh" test "$here/build-win64"
    ;;
  win64)
    install_packages
    "$here/tools/ci/windows.sh" build "$here/build-win64"
    ;;
  package)
    install_packages
    configure_and_build "$here/build" -DCMAKE_BUILD_TYPE=Release
    "$here/tools/ci/windows.sh" build "$here/build-win64"
    mkdir -p "$here/dist"
    rm -rf "$here/build/packages"
    (cd "$here/build" && cpack --config CPackConfig.cmake -B "$here/build/packages" > /dev/null)
    version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$here/build/CMakeCache.txt")"
    deb="$(cd "$here/build/packages" && ls horavex_"$version"_*.deb)"
    exe="Horavex-$version-win64-setup.exe"
    cp "$here/build/packages/$deb" "$here/build-win64/$exe" "$here/dist/"
    echo "$here/dist/$deb"
    echo "$here/dist/$exe"
    ;;
  bench)
    install_packages
    configure_and_build "$here/build" -DCMAKE_BUILD_TYPE=Release
    for b in "$here"/build/bench/horavex_bench_*; do "$b"; done
    ;;
  build)
    install_packages
    configure_and_build "$here/build"
    ;;
  *)
    echo "usage: $0 demo|test|bench|build|win64|package" >&2
    exit 2
    ;;
esac
