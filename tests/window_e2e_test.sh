#!/usr/bin/env bash
# Runs the real vantrel window under Xvfb with the openbox window manager, driven by xdotool:
# the window's fixed size, the refused second copy, Escape, and a restart after kill -9.
# Usage: window_e2e_test.sh VANTREL SAMPLE_LIBRARY
set -u
[[ -n "${VANTREL_E2E_TRACE:-}" ]] && set -x

if [[ -z "${VANTREL_E2E_DISPLAY:-}" ]]; then
  exec env VANTREL_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

vantrel=$(realpath "$1")
sample=$(realpath "$2")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

cp "$sample" "$work/ResistorLibrary.txt"
# A lock directory of the test's own, so a copy the user has open does not interfere.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

passed=0
failed=0
check() {  # check NAME COMMAND...: counts a check that passes when COMMAND succeeds
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}

caption='Vantrel - Resistor Finder'
# find_window TITLE: the id of the visible window with exactly that title, waiting up to 30 s.
# A search can fail when a window goes away while it runs, so it is retried.
find_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    if [[ -n "$id" ]]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
}
# press WINDOW KEY: gives WINDOW the focus, waits until it has it, and presses KEY.
press() {
  xdotool windowactivate "$1" 2>/dev/null
  for _ in $(seq 50); do
    [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]] && break
    sleep 0.1
  done
  sleep 0.2
  xdotool key "$2"
}
# await_exit PID: waits up to 30 s for a started copy to end and sets $status to its exit status,
# or to "running". Not to be called in a subshell, which cannot wait for the copy.
await_exit() {
  status=running
  for _ in $(seq 300); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      status=$?
      return
    fi
    sleep 0.1
  done
}
start() {
  (cd "$work" && exec "$vantrel") 2>>"$work/stderr" &
  pids+=($!)
  started=$!
}
size_of() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
hint() { xprop -id "$1" WM_NORMAL_HINTS | sed -n "s/.*program specified $2 size: \([0-9]*\) by \([0-9]*\).*/\1x\2/p"; }
viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }

openbox >/dev/null 2>&1 &
pids+=($!)
# openbox announces itself before it has finished starting; a window mapped in between can
# stay unmanaged and unmapped, so the test gives it a moment more.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
sleep 1

# The window maps with a size it keeps.
start
first=$started
main=$(find_window "$caption")
check "main window maps" test -n "$main"
if [[ -z "$main" ]]; then
  cat "$work/stderr"
  echo "$passed passed, $failed failed"
  exit 1
fi
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

# Enter in the target box runs Calculate: a target of letters brings the parameter message,
# captioned with the application name, and the window outlives it.
press "$main" Tab
xdotool type abc
xdotool key Return
box=$(find_window vantrel)
check "Enter runs Calculate, which shows its message" test -n "$box"
[[ -n "$box" ]] && press "$box" Return
for _ in $(seq 50); do
  [[ -z "$(xdotool search --onlyvisible --name '^vantrel$' 2>/dev/null)" ]] && break
  sleep 0.1
done
check "message box closes on Enter" test -z "$(xdotool search --onlyvisible --name '^vantrel$' 2>/dev/null)"
check "window stays after the message" kill -0 "$first"

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
start
restarted=$started
main=$(find_window "$caption")
check "copy after kill -9 maps its window" test -n "$main"
check "copy after kill -9 shows no message" test -z "$(xdotool search --onlyvisible --name '^vantrel$')"
if [[ -n "$main" ]]; then press "$main" Escape; fi
await_exit "$restarted"
check "restarted copy exits 0 ($status)" test "$status" = 0

if [[ $failed -gt 0 && -s "$work/stderr" ]]; then
  echo "--- stderr of the copies:"
  cat "$work/stderr"
fi
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
