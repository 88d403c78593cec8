#!/usr/bin/env bash
# The Networks window as a screen reader user works it: the real program under Xvfb and
# openbox with its AT-SPI bridge on, in the D-Bus session of x11_session.sh, driven by
# networks_atspi_check.py and compared with vantrel-cli on random libraries.
# Usage: networks_atspi_test.sh VANTREL VANTREL_CLI [SEED]
set -u

vantrel=$(realpath "$1")
cli=$(realpath "$2")
seed=${3:-$RANDOM}
source "$(dirname "$0")/x11_session.sh"

echo "seed $seed"
(cd "$work" && "$cli" series E12 --write) 2>>"$work/stderr"
(cd "$work" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$vantrel") 2>>"$work/stderr" &
pids+=($!)
await_main
# -B: the check imports atspi_support.py, and no bytecode is to be left beside it.
check "worked over AT-SPI" /usr/bin/python3 -B "$(dirname "$0")/networks_atspi_check.py" \
  "$cli" "$work" "$seed"
finish
