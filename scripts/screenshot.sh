#!/usr/bin/env bash
# Makes the pictures in docs/ under Xvfb and openbox, on a copy of the sample library in
# examples/. On a 1280x1024 screen: docs/screenshot.png, the main window after a Calculate of 45
# and 5, and docs/networks.png, docs/divider.png, docs/regulator.png, docs/amplifier.png,
# docs/rc.png, docs/led.png and docs/library.png, the seven tabs of the Networks window (a
# four-part network of 3.14159k with its circuit, a 5 V to 3.3 V divider, a 5 V three-terminal
# regulator's feedback with 1 % parts checked within 3 %, a gain of 11 with 1 % parts checked
# within 2 %, a 1 kHz corner from E24 resistors and E6 capacitors, an LED's resistor from 5 V,
# the check of the library with a few lines added),
# docs/inventory.png and docs/divider-inventory.png (the Library tab's Inventory view of a small
# drawer, and the 5 V to 3.3 V divider drawn from it); then on an
# 800x600 screen
# docs/networks-800x600.png, docs/regulator-800x600.png and docs/rc-800x600.png, the Networks,
# Regulator and RC tabs as a small screen shows them. Builds the program with the dev preset first. --scale runs it at a Qt
# scale factor (1.5, 2, ...) on a screen of --screen WIDTHxHEIGHT (1280x1024 unless told), writes
# the main window to OUTPUT, the whole screen, to show where the window was placed, as
# OUTPUT-screen.png, and the Regulator tab as OUTPUT-regulator.png.
# Usage: scripts/screenshot.sh [--scale FACTOR [--screen WIDTHxHEIGHT]] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
scale=
screen=1280x1024
if [[ "${1:-}" == --scale ]]; then
  scale=$2
  shift 2
fi
if [[ "${1:-}" == --screen ]]; then
  screen=$2
  shift 2
fi
output=$(realpath -m "${1:-docs/screenshot.png}")

if [[ -z "${VANTREL_SCREENSHOT_DISPLAY:-}" ]]; then
  scripts/deps.sh --gui-test
  cmake --preset dev >/dev/null
  cmake --build --preset dev -j2 --target vantrel vantrel-cli
  env VANTREL_SCREENSHOT_DISPLAY=1 VANTREL_SCREENSHOT_SCALE="$scale" \
    xvfb-run -a -s "-screen 0 ${screen}x24" "$0" "$output"
  [[ -n $scale ]] && exit 0
  exec env VANTREL_SCREENSHOT_DISPLAY=1 VANTREL_SCREENSHOT_SMALL=1 \
    xvfb-run -a -s "-screen 0 800x600x24" "$0" "$output"
fi
scale=${VANTREL_SCREENSHOT_SCALE:-}
small=${VANTREL_SCREENSHOT_SMALL:-}
vantrel=$(realpath build/dev/ui/vantrel)
cli=$(realpath build/dev/cli/vantrel-cli)

run=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$run"' EXIT
# A lock directory of its own, so a copy the user has open does not keep this one from starting,
# and a settings folder of its own, so the window opens as it does the first time.
export XDG_RUNTIME_DIR=$run XDG_CONFIG_HOME=$run/config
chmod 700 "$run"
# A copy of the sample library, which the window must not change.
cp examples/ResistorLibrary.txt "$run/"
(cd "$run" && "$cli" series E6 --capacitors --write >/dev/null)

openbox >/dev/null 2>&1 &
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do sleep 0.1; done
sleep 1  # openbox announces itself before it is ready to manage windows

# window TITLE: the id of the visible window with that title, waiting up to 30 s.
window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [[ -n $id ]] &&
      echo "$id" && return
    sleep 0.1
  done
  echo "screenshot.sh: the window \"$1\" did not appear" >&2
  exit 1
}
# keys KEY...: presses the keys one by one, typing those that start with "type:".
keys() {
  for key in "$@"; do
    if [[ $key == type:* ]]; then xdotool type "${key#type:}"; else xdotool key "$key"; fi
  done
  sleep 1
}
shot() { # shot WINDOW OUTPUT
  mkdir -p "$(dirname "$2")"
  import -frame -window "$1" "$2"
  echo "wrote $2"
}

(cd "$run" && exec env ${scale:+QT_SCALE_FACTOR=$scale} "$vantrel") &
main=$(window 'Vantrel - Resistor Finder')
xdotool windowactivate --sync "$main"
sleep 0.5
keys Tab type:45 Tab type:5 Return
docs=$(dirname "$output")
if [[ -z $small ]]; then shot "$main" "$output"; fi
if [[ -n $scale ]]; then
  import -window root "${output%.png}-screen.png"
fi

# The Networks window, from its menu command; each tab starts in its first field.
keys alt+n
networks=$(window 'Vantrel - Networks')
xdotool windowactivate --sync "$networks"
# tabs N: presses Tab N times.
tabs() { for _ in $(seq "$1"); do xdotool key Tab; done; }
# regulator OUTPUT: from the tab before it, the Regulator tab, which starts in VOUT: VREF,
# Reference top, Part tolerance and Within, Find, and the first row of the list (past Source,
# Show, More and Find).
regulator() {
  keys ctrl+Tab type:5 Tab type:1.25 Tab End Tab Tab Tab type:1 Tab type:3 Return
  tabs 5
  keys Down
  shot "$networks" "$1"
}
if [[ -n $scale ]]; then
  keys ctrl+Tab
  regulator "${output%.png}-regulator.png"
  exit 0
fi
# Target, then Parts up to 4, Find, and the fourth row of the list.
keys type:3.14159k Tab Tab Up Return
tabs 6
keys Down Down Down Down
# rc OUTPUT: from the tab before it, the RC tab, which starts in Corner: C parts up to two, Find,
# and the first row of the list.
rc() {
  keys ctrl+Tab type:1k Tab Tab Tab Down Return
  tabs 9
  keys Down
  shot "$networks" "$1"
}
if [[ -n $small ]]; then
  shot "$networks" "$docs/networks-800x600.png"
  keys ctrl+Tab
  regulator "$docs/regulator-800x600.png"
  keys ctrl+Tab
  rc "$docs/rc-800x600.png"
  exit 0
fi
shot "$networks" "$docs/networks.png"
# The Divider tab, which starts in VIN: VOUT, Find, and the first row of the list.
keys ctrl+Tab type:5 Tab type:3.3 Return
tabs 9
keys Down
shot "$networks" "$docs/divider.png"
regulator "$docs/regulator.png"
# The Amplifier tab, which starts in Gain: Part tolerance and Within, Find, and the first row of
# the list.
keys ctrl+Tab type:11 Tab Tab Tab Tab type:1 Tab type:2 Return
tabs 5
keys Down
shot "$networks" "$docs/amplifier.png"
rc "$docs/rc.png"
# The LED tab, which starts in VSUPPLY: the four indicators' line of a board (Vf 1.9:2.0:2.2 at
# 10 mA, 5 % parts within 15 %), Find, and the first row of the list.
keys ctrl+Tab type:5 Tab type:1.9:2.0:2.2 Tab Tab type:10m Tab Tab Tab type:5 Tab type:15 Return
tabs 5
keys Down
shot "$networks" "$docs/led.png"
# The Library tab, after a few lines that its check has something to say about.
printf '4k7\r\n3.14159\r\nten\r\n100\r\n' >>"$run/ResistorLibrary.txt"
keys ctrl+Tab
shot "$networks" "$docs/library.png"
# The drawer: the Library tab's Inventory view, then the Divider tab drawing on it with legs of
# up to two parts (Legs, 3 fields below VIN; Source, 3 below Legs; then Find), with its first
# row's parts and where they lie.
cat >"$run/Inventory.csv" <<'CSV'
kind,value,quantity,tolerance,power,tcr,package,location,part_number,note
R,1k,10,1%,0.1W,100ppm,0603,Box 1,RC0603FR-071KL,
R,2k2,10,1%,0.1W,100ppm,0603,Box 1,RC0603FR-072K2L,
R,3k3,4,1%,0.1W,100ppm,0603,Box 1,RC0603FR-073K3L,
R,4k7,2,0.1%,0.125W,25ppm,0805,Box 2,RT0805BRD074K7L,
R,4k7,25,5%,0.25W,,axial,Drawer 3,,
R,6k8,5,1%,0.1W,100ppm,0603,Box 1,RC0603FR-076K8L,
R,10k,1,0.1%,0.125W,25ppm,0805,Box 2,RT0805BRD0710KL,
R,10k,40,5%,0.25W,,axial,Drawer 3,,
R,22k,8,,,,axial,Drawer 4,,
C,100n,50,10%,,,0603,Box 5,CL10B104KB8NNNC,
CSV
keys alt+v Down
shot "$networks" "$docs/inventory.png"
keys ctrl+Tab ctrl+Tab
tabs 3
keys Down
tabs 3
keys Down Return
tabs 4
keys Down
shot "$networks" "$docs/divider-inventory.png"
