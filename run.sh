#!/usr/bin/env bash
# Builds the program and opens its window in examples/, on the bundled sample library.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display (\$DISPLAY and \$WAYLAND_DISPLAY are unset): use 'xvfb-run -a ./run.sh'" \
    "for a virtual one, or the command line front end vantrel-cli (see README.md)." >&2
  exit 1
fi
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target vantrel
cd examples
exec ../build/dev/ui/vantrel
