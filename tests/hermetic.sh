#!/usr/bin/env bash
# Runs a test in a home, runtime directory and XDG directories of its own, without the caller's
# display or D-Bus session, and removes them afterwards; CTest starts every test through it.
# Usage: hermetic.sh COMMAND [ARG...]
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-test.XXXXXX") || exit 1
trap 'rm -rf "$root"' EXIT
source "$(dirname "$0")/private_env.sh" "$root"
"$@"
