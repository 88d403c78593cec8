#!/usr/bin/env bash
# Builds the program and opens its window in build/run/, on a copy of the bundled sample library.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target vantrel vantrel-cli
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset): run 'xvfb-run -a ./run.sh'" \
    "for a virtual one, or the command line: build/dev/cli/vantrel-cli -C examples calc 45 1" >&2
  exit 1
fi
# A copy of the sample, so that LibrarySetting edits it and not the tracked file.
mkdir -p build/run
[[ -e build/run/ResistorLibrary.txt ]] || cp examples/ResistorLibrary.txt build/run/
cd build/run
exec ../dev/ui/vantrel
