#!/usr/bin/env bash
# Runs the real vantrel window under Xvfb with the openbox window manager, driven by xdotool:
# the window's fixed size and place, the refused second copy, the command-line options, copying
# results, Escape, and a restart after kill -9.
# Usage: window_e2e_test.sh VANTREL VANTREL_CLI SAMPLE_LIBRARY
set -u
[[ -n "${VANTREL_E2E_TRACE:-}" ]] && set -x

vantrel=$(realpath "$1")
cli=$(realpath "$2")
sample=$(realpath "$3")
source "$(dirname "$0")/x11_session.sh"

cp "$sample" "$work/ResistorLibrary.txt"

start() {
  (cd "$work" && exec "$vantrel") 2>>"$work/stderr" &
  pids+=($!)
  started=$!
}
size_of() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
hint() { xprop -id "$1" WM_NORMAL_HINTS | sed -n "s/.*program specified $2 size: \([0-9]*\) by \([0-9]*\).*/\1x\2/p"; }
viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }

# The window maps with a size it keeps.
start
first=$started
await_main
size=$(size_of "$main")
check "size $size is the minimum" test "$(hint "$main" minimum)" = "$size"
check "size $size is the maximum" test "$(hint "$main" maximum)" = "$size"
xdotool windowsize "$main" 900 700
sleep 0.5
check "size stays $size when resized" test "$(size_of "$main")" = "$size"

# A second copy shows its message box and ends with status 0; the first goes on.
start
second=$started
box=$(find_window vantrel)
check "second copy maps its message box" test -n "$box"
if [[ -n "$box" ]]; then
  check "message box is viewable" viewable "$box"
  press "$box" Return
fi
await_exit "$second"
check "second copy exits 0 ($status)" test "$status" = 0
check "first copy still runs" kill -0 "$first"

# --help and --version answer on stdout with no display and no lock (the first copy holds it);
# what Qt does not take is refused with the usage and status 2.
info() { # info EXPECTED_STATUS EXPECTED_FIRST_LINE ARG...: runs a copy without a display
  local want=$1 line=$2 out rc
  shift 2
  out=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$vantrel" "$@" 2>&1)
  rc=$?
  [[ $rc == "$want" && "${out%%$'\n'*}" == "$line" ]] || { echo "got $rc: $out"; return 1; }
}
check "--help" info 0 "usage: vantrel [QT-OPTION...]" --help
check "--help fits 80 columns" test "$(env -u DISPLAY "$vantrel" --help | LC_ALL=C.UTF-8 wc -L)" -le 80
check "--version" info 0 "1.0.0.1" --version
check "unknown option" info 2 'vantrel: unknown option "--bogus"' -platform offscreen --bogus
check "unknown option, no display" info 2 'vantrel: unknown option "--bogus"' --bogus
check "stray argument" info 2 'vantrel: unknown option "x"' -platform offscreen -style fusion x
check "no message box for --help" test -z "$(xdotool search --onlyvisible --name '^vantrel$')"

# Enter in the target box runs Calculate: a target of letters brings the parameter message,
# captioned with the application name, and the window outlives it.
press "$main" Tab
xdotool type abc
xdotool key Return
box=$(find_window vantrel)
check "Enter runs Calculate, which shows its message" test -n "$box"
[[ -n "$box" ]] && press "$box" Return
no_message_box() { [[ -z "$(xdotool search --onlyvisible --name '^vantrel$' 2>/dev/null)" ]]; }
check "message box closes on Enter" wait_until no_message_box
check "window stays after the message" kill -0 "$first"

# Ctrl+A and Ctrl+C in the list put the listed rows, as vantrel-cli prints them, on the
# clipboard and in the primary selection.
press "$main" ctrl+a
xdotool type 45
xdotool key Tab ctrl+a
xdotool type 5
xdotool key Return Tab Tab ctrl+a ctrl+c
expected=$(cd "$work" && "$cli" calc 45 5 --rows 10 | tail -n +2)
holds_rows() { [[ "$(xclip -o -selection "$1" 2>/dev/null)" == "$expected" ]]; }
for selection in clipboard primary; do
  check "rows in the $selection" wait_until holds_rows $selection
done

# Escape ends the program with status 0.
press "$main" Escape
await_exit "$first"
check "Escape ends the first copy with status 0 ($status)" test "$status" = 0

# A copy killed with SIGKILL leaves no lock behind.
start
killed=$started
check "third copy maps its window" test -n "$(find_window "$caption")"
kill -9 "$killed"
await_exit "$killed"
# That copy runs at twice the scale, where the window is taller than the screen: its title
# bar stays on the screen.
QT_SCALE_FACTOR=2 start
restarted=$started
main=$(find_window "$caption")
check "copy after kill -9 maps its window" test -n "$main"
# openbox sets the frame extents once it has framed the window, which a loaded machine delays.
frame_extents_set() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q ' = '; }
title_bar_on_screen() {
  local x y left top
  wait_until frame_extents_set "$1" || return 1
  read -r x y < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
  read -r left _ top _ < <(xprop -id "$1" _NET_FRAME_EXTENTS | cut -d= -f2 | tr -d ,)
  [[ $((x - left)) -ge 0 && $((y - top)) -ge 0 && $top -gt 0 ]]
}
check "title bar on the screen at scale 2" title_bar_on_screen "$main"
check "copy after kill -9 shows no message" test -z "$(xdotool search --onlyvisible --name '^vantrel$')"
if [[ -n "$main" ]]; then press "$main" Escape; fi
await_exit "$restarted"
check "restarted copy exits 0 ($status)" test "$status" = 0

finish
