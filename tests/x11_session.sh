# Sourced by the window scripts: runs the calling script under Xvfb, gives it a work folder
# and a lock directory of its own, starts openbox, and offers the helpers the scripts share.
# Before sourcing, the caller may define extra_cleanup to run when the script ends.
if [[ -z "${VANTREL_E2E_DISPLAY:-}" ]]; then
  exec env VANTREL_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  if declare -F extra_cleanup >/dev/null; then extra_cleanup; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A lock directory of the test's own, so a copy the user has open does not interfere.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

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

openbox >/dev/null 2>&1 &
pids+=($!)
# openbox announces itself before it has finished starting; a window mapped in between can
# stay unmanaged and unmapped. It publishes the client list and the work area once it manages
# windows.
openbox_ready() {
  xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '^_NET_CLIENT_LIST(WINDOW)' &&
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q '^_NET_WORKAREA(CARDINAL) = ' &&
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q '_NET_ACTIVE_WINDOW'
}
wait_until openbox_ready
