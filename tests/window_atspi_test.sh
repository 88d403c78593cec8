#!/usr/bin/env bash
# The window as a screen reader sees it: the real program under Xvfb and openbox with its
# AT-SPI bridge on, in the D-Bus session of x11_session.sh, read and worked by
# window_atspi_check.py.
# Usage: window_atspi_test.sh VANTREL VANTREL_CLI SAMPLE_LIBRARY
set -u

vantrel=$(realpath "$1")
cli=$(realpath "$2")
sample=$(realpath "$3")
source "$(dirname "$0")/x11_session.sh"

cp "$sample" "$work/ResistorLibrary.txt"
(cd "$work" && "$cli" calc 45 5 --rows 10 | tail -n +2) >"$work/expected"
(cd "$work" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$vantrel") 2>>"$work/stderr" &
pids+=($!)
await_main
# The distribution's Python, where python3-pyatspi is installed; -B: the check imports
# atspi_support.py, and no bytecode is to be left beside it.
check "read and worked over AT-SPI" /usr/bin/python3 -B \
  "$(dirname "$0")/window_atspi_check.py" "$work/expected"
finish
