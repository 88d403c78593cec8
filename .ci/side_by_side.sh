#!/usr/bin/env bash
# Runs a build's whole suite twice at once, ROUNDS times (2 by default), beside a desktop
# session of the same user that holds the AT-SPI bus in ~/.cache/at-spi, as a desktop without
# XDG_RUNTIME_DIR does. Fails if a test fails, if the desktop lost its bus, or if the suites
# left anything in the user's home.
# Usage: .ci/side_by_side.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(realpath "$1")
rounds=${2:-2}
work=$(mktemp -d)
desktop=()
cleanup() {
  for pid in "${desktop[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home"
unset XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME DISPLAY \
  DBUS_SESSION_BUS_ADDRESS
mkdir "$HOME"
# await PATH: waits up to 30 s for PATH to be a socket or a file with something in it.
await() {
  for _ in $(seq 300); do
    [[ -S "$1" || -s "$1" ]] && return
    sleep 0.1
  done
}
dbus-daemon --session --nofork --print-address=3 3>"$work/bus" 2>>"$work/desktop.log" &
desktop+=($!)
await "$work/bus"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus") /usr/libexec/at-spi-bus-launcher \
  --launch-immediately 2>>"$work/desktop.log" &
desktop=($! "${desktop[@]}")
await "$HOME/.cache/at-spi/bus"
[[ -S "$HOME/.cache/at-spi/bus" ]] || { echo "the desktop's AT-SPI bus did not start"; exit 1; }
(cd "$HOME" && find . | sort) >"$work/home.before"

status=0
for round in $(seq "$rounds"); do
  for run in a b; do
    ctest --test-dir "$build" -j "$(nproc)" --output-on-failure >"$work/$run.log" 2>&1 &
    eval "pid_$run=\$!"
  done
  for run in a b; do
    pid_var="pid_$run"
    if wait "${!pid_var}"; then result=passed; else result=FAILED; status=1; fi
    echo "round $round, suite $run: $result, $(grep -E 'tests passed|tests failed' "$work/$run.log")"
    [[ $result == passed ]] || tail -n 40 "$work/$run.log"
  done
done

if ! [[ -S "$HOME/.cache/at-spi/bus" ]]; then
  echo "the desktop's AT-SPI bus is gone"
  status=1
fi
if ! (cd "$HOME" && find . | sort) | diff "$work/home.before" - >"$work/home.diff"; then
  echo "the suites wrote to the user's home:"
  cat "$work/home.diff"
  status=1
fi
exit "$status"
