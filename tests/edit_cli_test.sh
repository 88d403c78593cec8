#!/bin/sh
# Drives `vantrel-cli edit` with fake editors and checks the library byte for byte.
# Usage: edit_cli_test.sh PATH/TO/vantrel-cli
set -u
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A fresh library directory holding the given bytes (printf format), and a copy of the binary
# that any user can run.
fresh() {
  rm -rf "$work/lib"
  mkdir "$work/lib"
  chmod 755 "$work" "$work/lib"
  [ $# -gt 0 ] && printf "$1" > "$work/lib/ResistorLibrary.txt"
  cp "$cli" "$work/vantrel-cli"
}

expect_library() {  # $1: case, $2: expected bytes (printf format)
  printf "$2" > "$work/expected"
  cmp -s "$work/expected" "$work/lib/ResistorLibrary.txt" ||
    fail "$1: library is $(od -c "$work/lib/ResistorLibrary.txt" 2>&1 | head -3)"
}

expect_status() {  # $1: case, $2: expected, $3: actual
  [ "$2" = "$3" ] || fail "$1: exit status $3, expected $2; stderr: $(cat "$work/err")"
}

expect_stderr() {  # $1: case, $2: text expected on a line of stderr
  grep -qF -- "$2" "$work/err" || fail "$1: stderr lacks \"$2\": $(cat "$work/err")"
}

run() {  # runs vantrel-cli in the library directory with no editor variables but the given
  (cd "$work/lib" && env -u VANTREL_EDITOR -u VISUAL -u EDITOR "$@" "$work/vantrel-cli" edit \
    2>"$work/err" >"$work/out")
}

# Values added in the editor: repeats, three decimals, zero and text.
fresh '330\r\n47\r\n'
run VANTREL_EDITOR='printf "220\r\n100\r\n220\r\n4.755\r\n4.745\r\n0\r\nten ohms\r\n" >>'
expect_status added 0 $?
expect_library added '4.74\r\n4.76\r\n47.00\r\n100.00\r\n220.00\r\n330.00\r\n'
expect_stderr added 'dropped 2 lines that are no number or zero: "0", "ten ohms"'
expect_stderr added 'dropped 1 duplicate value'

# An editor that leaves only text: the file is no library, and the rewrite leaves it be.
fresh '330\r\n'
run VANTREL_EDITOR='printf "shopping list\nresistors\n" >'
expect_status text-only 1 $?
expect_library text-only 'shopping list\nresistors\n'
expect_stderr text-only 'ResistorLibrary.txt was not rewritten: it holds no resistor value'

# The first run: no library yet, and the editor creates it with LF line ends as the editors
# of Linux do, a blank line included. The library comes back CR LF, sorted, with two
# decimals, and calc then lists rows from all of its values.
fresh
calc() { (cd "$work/lib" && "$work/vantrel-cli" calc 9 25 >"$work/out" 2>"$work/err"); }
calc
expect_status first-calc 1 $?
expect_stderr first-calc 'Resistor library file:"ResistorLibrary.txt" is not exist !'
run VANTREL_EDITOR='printf "100\n22\n4.7\n\n10\n47\n" >'
expect_status first-edit 0 $?
expect_library first-edit '4.70\r\n10.00\r\n22.00\r\n47.00\r\n100.00\r\n'
calc
expect_status first-calc-after-edit 0 $?
printf 'Resistor Value\tResistor #1\tResistor #2\tPrecision (%%)\n%s\n%s\n%s\n%s\n%s\n' \
  '9.091	10.000	100.000	1.010' '8.246	10.000	47.000	8.382' '10.000	0.000	0.000	11.111' \
  '11.000	22.000	22.000	22.222' '6.875	10.000	22.000	23.611' >"$work/expected"
cmp -s "$work/expected" "$work/out" || fail "first-calc-after-edit: $(cat "$work/out")"

# -C, and the order VANTREL_EDITOR, VISUAL, EDITOR.
fresh '10\r\n'
(cd / && env -u VANTREL_EDITOR VISUAL='printf "22\r\n" >>' EDITOR='printf "33\r\n" >>' \
  "$work/vantrel-cli" -C "$work/lib" edit 2>"$work/err")
expect_status visual 0 $?
expect_library visual '10.00\r\n22.00\r\n'
fresh '10\r\n'
run EDITOR='printf "33\r\n" >>'
expect_status editor 0 $?
expect_library editor '10.00\r\n33.00\r\n'
fresh '10\r\n'
run VANTREL_EDITOR='printf "11\r\n" >>' VISUAL='printf "22\r\n" >>'
expect_library vantrel-editor '10.00\r\n11.00\r\n'

# An editor that was not found, failed or was killed stops the command: nothing is rewritten.
while IFS='|' read -r name editor what library; do
  fresh '10\r\n'
  run VANTREL_EDITOR="$editor"
  expect_status "$name" 1 $?
  expect_stderr "$name" "The editor \"$editor\" $what, so ResistorLibrary.txt was not rewritten."
  expect_library "$name" "$library"
done <<'EOF'
not-found|/nonexistent-editor|could not be run (not found, exit status 127)|10\r\n
false|false|exited with status 1|10\r\n
exit-3|printf "5\r\n" >> "$1"; exit 3; :|exited with status 3|10\r\n5\r\n
killed|printf "5\r\n" >> "$1"; kill -KILL $$; :|was ended by signal SIGKILL|10\r\n5\r\n
EOF

# Ctrl-C while the editor is open reaches the editor, not vantrel-cli.
fresh '10\r\n'
run VANTREL_EDITOR='kill -INT $PPID; sleep 0.2; printf "7\r\n" >>'
expect_status interrupt 0 $?
expect_library interrupt '7.00\r\n10.00\r\n'

# No editor at all.
fresh '100\r\n47\r\n'
run
expect_status no-editor 1 $?
expect_stderr no-editor 'No editor is set, so ResistorLibrary.txt was not opened.'
expect_library no-editor '100\r\n47\r\n'

# A missing library: the message, and no file is made.
fresh
run VANTREL_EDITOR=true
expect_status missing 1 $?
expect_stderr missing 'Resistor library file:"ResistorLibrary.txt" is not exist !'
[ -z "$(ls -A "$work/lib")" ] || fail "missing: left $(ls -A "$work/lib")"

# A library longer than 10240 bytes is left as it was.
fresh '47\r\n'
head -c 10240 /dev/zero | tr '\0' ' ' >> "$work/lib/ResistorLibrary.txt"
cp "$work/lib/ResistorLibrary.txt" "$work/long"
run VANTREL_EDITOR=true
expect_status too-long 1 $?
expect_stderr too-long 'it is longer than 10240 bytes'
cmp -s "$work/long" "$work/lib/ResistorLibrary.txt" || fail "too-long: library changed"

# An unreadable library is not rewritten. Root reads anything, so it runs as nobody then.
fresh '100\r\n47\r\n'
chmod 200 "$work/lib/ResistorLibrary.txt"
as_user=
if [ "$(id -u)" -eq 0 ]; then
  as_user='setpriv --reuid=65534 --regid=65534 --clear-groups'
  chown 65534 "$work/lib/ResistorLibrary.txt"
  chmod 777 "$work/lib"
fi
(cd "$work/lib" && env -u VISUAL -u EDITOR VANTREL_EDITOR=true $as_user "$work/vantrel-cli" edit \
  2>"$work/err")
expect_status unreadable 1 $?
expect_stderr unreadable 'Resistor library file:"ResistorLibrary.txt" is not exist !'
chmod 600 "$work/lib/ResistorLibrary.txt"
expect_library unreadable '100\r\n47\r\n'
[ "$(ls -A "$work/lib")" = ResistorLibrary.txt ] || fail "unreadable: left $(ls -A "$work/lib")"

# Usage errors.
fresh '10\r\n'
(cd "$work/lib" && "$work/vantrel-cli" edit now 2>"$work/err")
expect_status usage 2 $?
expect_stderr usage 'vantrel-cli: edit: unexpected argument "now"'
"$work/vantrel-cli" --help | grep -q 'vantrel-cli \[-C DIR\] edit' || fail "help lacks edit"

[ "$failures" -eq 0 ] && echo "all edit cases passed"
exit $((failures > 0))
