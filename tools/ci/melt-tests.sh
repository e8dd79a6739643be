#!/usr/bin/env bash
# Runs the tests through stock melt (label "melt") in a build folder; the first
# of them builds melt into BUILD/mlt from ../shared/mlt beside the repository.
#   tools/ci/melt-tests.sh BUILD
set -euo pipefail
build="${1:?usage: $0 BUILD}"
ctest --test-dir "$build" -L melt --output-on-failure --timeout 1800
