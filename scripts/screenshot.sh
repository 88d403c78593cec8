#!/usr/bin/env bash
# Makes docs/screenshot.png: the window under Xvfb and openbox on a 1280x900 screen after a
# Calculate of 45 and 5 on the sample library in examples/. Builds the program with the dev
# preset first. --scale runs it at a Qt scale factor (1.5, 2, ...) and adds the whole screen,
# to show where the window was placed, as OUTPUT-screen.png.
# Usage: scripts/screenshot.sh [--scale FACTOR] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
scale=
if [[ "${1:-}" == --scale ]]; then
  scale=$2
  shift 2
fi
output=$(realpath -m "${1:-docs/screenshot.png}")

if [[ -z "${VANTREL_SCREENSHOT_DISPLAY:-}" ]]; then
  scripts/deps.sh --gui-test
  cmake --preset dev >/dev/null
  cmake --build --preset dev -j2 --target vantrel
  exec env VANTREL_SCREENSHOT_DISPLAY=1 VANTREL_SCREENSHOT_SCALE="$scale" \
    xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$output"
fi
scale=${VANTREL_SCREENSHOT_SCALE:-}

run=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$run"' EXIT
# A lock directory of its own, so a copy the user has open does not keep this one from starting.
export XDG_RUNTIME_DIR=$run
chmod 700 "$run"

openbox >/dev/null 2>&1 &
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do sleep 0.1; done
sleep 1  # openbox announces itself before it is ready to manage windows

(cd examples && exec env ${scale:+QT_SCALE_FACTOR=$scale} ../build/dev/ui/vantrel) &
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Vantrel - ' 2>/dev/null | head -1) && [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || { echo "screenshot.sh: the window did not appear" >&2; exit 1; }

xdotool windowactivate --sync "$window"
sleep 0.5
xdotool key Tab type 45
xdotool key Tab type 5
xdotool key Return
sleep 1
mkdir -p "$(dirname "$output")"
import -frame -window "$window" "$output"
[[ -z $scale ]] || import -window root "${output%.png}-screen.png"
echo "wrote $output"
