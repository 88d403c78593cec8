#!/usr/bin/env bash
# Runs "&LibrarySetting" in the real vantrel window under Xvfb and openbox, with fake editors
# given through VANTREL_EDITOR: the editor gets a startup id that lets it to the front, the
# library is rewritten byte for byte as expected, keys pressed while the editor is open are
# dropped, a copy killed while its editor is still open leaves no single-instance lock behind,
# and a first run creates the library with LF lines.
# Usage: window_edit_e2e_test.sh VANTREL
set -u
[[ -n "${VANTREL_E2E_TRACE:-}" ]] && set -x

vantrel=$(realpath "$1")
extra_cleanup() {
  [[ -s "$work/editor.pid" ]] && kill -9 "$(cat "$work/editor.pid")" 2>/dev/null
}
source "$(dirname "$0")/x11_session.sh"

# await_file PATH: waits up to 30 s for a file to appear.
await_file() { wait_until test -e "$1"; }
# start [VAR=VALUE...]: starts a copy in the work directory with the given environment.
start() {
  (cd "$work/lib" && exec env "$@" "$vantrel") 2>>"$work/stderr" &
  pids+=($!)
  started=$!
}
running() { kill -0 "$1" 2>/dev/null; }
no_message_box() { test -z "$(xdotool search --onlyvisible --name '^vantrel$' 2>/dev/null)"; }

mkdir "$work/lib"
printf '100\r\n47\r\n91\r\n100\r\n' >"$work/lib/ResistorLibrary.txt"

# An editor that adds repeats, three decimals, a zero and text, and saves before it closes, as
# an editor does. It stays open until the test lets it go (at most 60 s), so the keys the test
# presses meanwhile surely arrive while it is open.
cat >"$work/append-editor" <<EOF
#!/bin/sh
echo started >>"$work/editor.starts"
printf '%s' "\$DESKTOP_STARTUP_ID" >"$work/editor.startup-id"
for i in \$(seq 600); do [ -e "$work/release" ] && break; sleep 0.1; done
printf '220\r\n100\r\n220\r\n4.755\r\n4.745\r\nten ohms\r\n0\r\n' >>"\$1"
touch "$work/editor.closed"
EOF
# An editor that stays open long after the window is gone; exec keeps its pid.
cat >"$work/lingering-editor" <<EOF
#!/bin/sh
echo \$\$ >"$work/editor.pid.new"
mv "$work/editor.pid.new" "$work/editor.pid"
exec sleep 30
EOF
chmod +x "$work/append-editor" "$work/lingering-editor"

# Alt+L opens the editor; Escape and Enter pressed meanwhile neither close the window nor run
# Calculate (whose message would be up for the letters in the target box), then or later.
start VANTREL_EDITOR="$work/append-editor"
copy=$started
await_main
press "$main" Tab a b c shift+Home
# The selected text makes the window the owner of the primary selection. Asking for it is
# answered in turn with the window's other events, so once the answer comes, the keys sent
# before it have been taken.
primary_is_abc() { [[ "$(xclip -o -selection primary 2>/dev/null)" == abc ]]; }
check "window owns the primary selection" wait_until primary_is_abc
press "$main" alt+l
check "Alt+L starts the editor" await_file "$work/editor.starts"
# The time of the Alt+L, which lets the window manager bring the editor to the front.
check "editor's startup id carries a time" grep -Eq '_TIME[1-9][0-9]*$' "$work/editor.startup-id"
press "$main" Escape Return alt+l
check "keys pressed while editing were taken" primary_is_abc
touch "$work/release"
await_file "$work/editor.closed"
expected=$'4.74\r\n4.76\r\n47.00\r\n91.00\r\n100.00\r\n220.00\r\n'
printf '%s' "$expected" >"$work/expected"
check "library rewritten byte for byte" wait_until cmp -s "$work/expected" "$work/lib/ResistorLibrary.txt"
check "window outlives the Escape pressed while editing" running "$copy"
check "no Calculate ran from the Enter pressed while editing" no_message_box
check "no second editor from the Alt+L pressed while editing" test "$(wc -l <"$work/editor.starts")" = 1
check "no further changes to the library" cmp "$work/expected" "$work/lib/ResistorLibrary.txt"
press "$main" Escape
await_exit "$copy"
check "Escape afterwards ends the copy with status 0 ($status)" test "$status" = 0

# A copy killed while its editor is open: the editor keeps running and the next copy starts.
start VANTREL_EDITOR="$work/lingering-editor"
killed=$started
main=$(find_window "$caption")
check "copy with the lingering editor maps its window" test -n "$main"
[[ -n "$main" ]] && press "$main" alt+l
check "lingering editor started" await_file "$work/editor.pid"
kill -9 "$killed"
await_exit "$killed"
check "editor still open after kill -9 of the window" running "$(cat "$work/editor.pid" 2>/dev/null)"
start
restarted=$started
main=$(find_window "$caption")
check "next copy maps its main window" test -n "$main"
check "next copy shows no message" no_message_box
[[ -n "$main" ]] && press "$main" Escape
await_exit "$restarted"
check "next copy exits 0 ($status)" test "$status" = 0


# The first run: no library yet. Calculate says so; LibrarySetting opens an editor that
# creates the library with LF line ends and a blank line, as the editors of Linux do; the
# library comes back CR LF, sorted, with two decimals, and the next Calculate lists rows.
mkdir "$work/first"
cat >"$work/creating-editor" <<'EOF'
#!/bin/sh
printf '100\n22\n4.7\n\n10\n47\n' >"$1"
EOF
chmod +x "$work/creating-editor"
(cd "$work/first" && exec env VANTREL_EDITOR="$work/creating-editor" "$vantrel") \
  2>>"$work/stderr" &
pids+=($!)
first=$!
main=$(find_window "$caption")
check "first-run window maps" test -n "$main"
if [[ -n "$main" ]]; then
  press "$main" Tab
  xdotool type 9
  xdotool key Tab
  xdotool type 25
  xdotool key Return
  box=$(find_window vantrel)
  check "Calculate without a library shows a message" test -n "$box"
  [[ -n "$box" ]] && press "$box" Return
  wait_until no_message_box
  import -window "$main" "$work/before.png"
  press "$main" alt+l
  expected=$'4.70\r\n10.00\r\n22.00\r\n47.00\r\n100.00\r\n'
  printf '%s' "$expected" >"$work/expected"
  check "library created in the editor comes back CR LF" \
    wait_until cmp -s "$work/expected" "$work/first/ResistorLibrary.txt"
  # Each row is a band of changed pixel lines; the display-count box changes thinner ones.
  # 9 and 25 give 5 rows from 10, 22, 47 and 100; 10 alone would give one. Keys pressed just
  # as the editing ends may still be dropped, so Enter is pressed again until rows show.
  listed_rows() {
    import -window "$main" "$work/after.png"
    compare "$work/before.png" "$work/after.png" -compose src -highlight-color black \
      -lowlight-color white png:- | convert - -colorspace gray -scale '1x!' -threshold 99% txt:- |
      awk 'NR > 1 { if ($NF ~ /gray\(0\)/) run++; else { if (run >= 4) bands++; run = 0 } }
        END { print bands + 0 }'
  }
  rows=0
  for _ in $(seq 10); do
    press "$main" Return
    for _ in $(seq 10); do
      sleep 0.3
      rows=$(listed_rows)
      [[ $rows == 5 ]] && break 2
    done
  done
  check "Calculate lists the 5 rows of all values ($rows)" test "$rows" = 5
  check "Calculate on the new library shows no message" no_message_box
  press "$main" Escape
fi
await_exit "$first"
check "first-run copy exits 0 ($status)" test "$status" = 0

finish
