#!/usr/bin/env bash
# Builds the program and runs it on the bundled sample library in examples/.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target vantrel-cli
cd examples
exec ../build/dev/cli/vantrel-cli calc "${1:-45}" "${2:-1}"
