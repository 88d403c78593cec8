#!/usr/bin/env bash
# Builds everything and runs every test. Usage: ./test.sh [preset]   (dev by default; asan)
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-dev}"

scripts/deps.sh --gui-test
# The sanitizer build is clang's, with libFuzzer's coverage.
if [[ $preset == asan ]]; then scripts/deps.sh --fuzz; fi
cmake --preset "$preset" ${VANTREL_WERROR:+-DVANTREL_WERROR=$VANTREL_WERROR} >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
