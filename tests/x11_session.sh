# Sourced by the window scripts: runs the calling script on an Xvfb display and in a D-Bus
# session of its own, gives it a work folder with its home, XDG and runtime directories (and so
# a lock directory and AT-SPI bus of its own), starts openbox, and offers the helpers the
# scripts share. Before sourcing, the caller may define extra_cleanup to run when the script
# ends.

work=$(mktemp -d)
pids=()
xvfb=
dbus=
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  if declare -F extra_cleanup >/dev/null; then extra_cleanup; fi
  # The AT-SPI bus launcher, its bus and the registry end with the session bus they watch.
  if [[ -n "$dbus" ]]; then
    kill "$dbus" 2>/dev/null
    wait "$dbus" 2>/dev/null
  fi
  # The server is ended, not killed, and awaited, so that it gives up its display number
  # cleanly before the next script asks for one.
  if [[ -n "$xvfb" ]]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A home and lock directory of the test's own, so neither a copy the user has open nor another
# suite running beside interferes, and nothing is written to the user's home.
source "$(dirname "${BASH_SOURCE[0]}")/private_env.sh" "$work"

passed=0
failed=0
check() { # check NAME COMMAND...: counts a check that passes when COMMAND succeeds
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}

# finish: the closing count, with what the copies wrote to stderr when a check failed; its
# status is the script's.
finish() {
  if [[ $failed -gt 0 && -s "$work/stderr" ]]; then
    echo "--- stderr of the copies:"
    cat "$work/stderr"
  fi
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}

caption='Vantrel - Resistor Finder'
# wait_until COMMAND...: runs COMMAND until it succeeds, for up to 30 s; fails if it never does.
# The bounds here are generous because a loaded machine only delays what comes.
wait_until() {
  for _ in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
# find_window TITLE: the id of the visible window with exactly that title, waiting up to 60 s.
# A search can fail when a window goes away while it runs, so it is retried.
find_window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    if [[ -n "$id" ]]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
}
# await_main: sets $main to the main window's id once it maps; without one the script ends
# here, failed, with what the copies wrote to stderr.
await_main() {
  main=$(find_window "$caption")
  check "main window maps" test -n "$main"
  if [[ -z "$main" ]]; then
    finish
    exit 1
  fi
}
# press WINDOW KEY...: gives WINDOW the focus, waits until it has it, and presses the keys.
press() {
  local window=$1
  shift
  xdotool windowactivate "$window" 2>/dev/null
  has_focus() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]]; }
  wait_until has_focus
  xdotool key "$@"
}
# await_exit PID: waits up to 30 s for a started copy to end and sets $status to its exit
# status, or to "running". Not to be called in a subshell, which cannot wait for the copy.
await_exit() {
  status=running
  for _ in $(seq 300); do
    if ! kill -0 "$1" 2>/dev/null; then
      { wait "$1"; } 2>/dev/null
      status=$?
      return
    fi
    sleep 0.1
  done
}

# Xvfb chooses a free display itself and names it on -displayfd once it accepts clients.
# Choosing the number beforehand, as xvfb-run -a does, races with servers that start or shut
# down meanwhile. openbox announces itself before it has finished starting, and a window mapped
# in between can stay unmanaged and unmapped: it publishes the client list, the work area and
# its support for activating windows once it manages them.
openbox_ready() {
  xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '^_NET_CLIENT_LIST(WINDOW)' &&
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q '^_NET_WORKAREA(CARDINAL) = ' &&
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q '_NET_ACTIVE_WINDOW'
}
display_named() { [[ $(wc -l <"$work/display") -ge 1 ]]; }
xvfb_settled() { display_named || ! kill -0 "$xvfb" 2>/dev/null; }
openbox_settled() { openbox_ready || ! kill -0 "$openbox" 2>/dev/null; }
# start_desktop: starts the server, with a screen of XVFB_SCREEN (default 1024x768x24), and
# openbox; fails, with both ended, if either does not come up.
start_desktop() {
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  if wait_until xvfb_settled && display_named; then
    export DISPLAY=":$(cat "$work/display")"
    openbox >"$work/openbox.log" 2>&1 &
    openbox=$!
    wait_until openbox_settled && openbox_ready && return 0
    echo "openbox did not start on $DISPLAY:"
    cat "$work/openbox.log"
    xdpyinfo >/dev/null 2>&1 && echo "(the display answers now)"
    kill -9 "$openbox"
  fi
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=
  return 1
}
# openbox has been seen, rarely and only on a loaded machine, to fail to open a display that
# Xvfb had just named; a second desktop then starts.
for attempt in 1 2 3; do
  start_desktop && break
  if [[ $attempt == 3 ]]; then
    echo "no desktop after 3 attempts; the last server said:"
    cat "$work/xvfb.log"
    exit 1
  fi
done
pids+=("$openbox")
# The session bus starts on this display, so that the AT-SPI bus it activates announces itself
# on this display's root window and nowhere else. It stays a child of the script, which a
# timed-out test's killer then finds.
dbus-daemon --session --nofork --print-address=3 3>"$work/dbus.address" 2>"$work/dbus.log" &
dbus=$!
bus_named() { [[ -s "$work/dbus.address" ]] || ! kill -0 "$dbus" 2>/dev/null; }
if ! wait_until bus_named || ! [[ -s "$work/dbus.address" ]]; then
  echo "no D-Bus session:"
  cat "$work/dbus.log"
  exit 1
fi
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/dbus.address")
export DBUS_SESSION_BUS_ADDRESS
