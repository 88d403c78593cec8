#!/usr/bin/env bash
# Runs the real vantrel-cli in temporary folders.
# Usage: cli_e2e_test.sh VANTREL_CLI SAMPLE_LIBRARY
set -u

cli=$(realpath "$1")
sample=$(realpath "$2")
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAIL: $*"
}

# run DIR ARGS...: runs the program in DIR; sets $rc, $out and $err.
run() {
  local dir=$1
  shift
  (cd "$dir" && "${runner[@]}" "$cli" "$@") >"$work/out" 2>"$work/err"
  rc=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}
runner=()

# run_keeping NAME DIR ARGS...: runs as run does, and checks that the library in DIR is left
# byte for byte.
run_keeping() {
  local name=$1 dir=$2
  shift 2
  cp "$dir/ResistorLibrary.txt" "$work/kept"
  run "$dir" "$@"
  cmp -s "$dir/ResistorLibrary.txt" "$work/kept" && pass || fail "$name: file changed"
}

# expect NAME RC OUT ERR: checks the last run.
expect() {
  local name=$1
  if [[ $rc == "$2" && $out == "$3" && $err == "$4" ]]; then
    pass
  else
    fail "$name: exit $rc, stdout [$out], stderr [$err]"
  fi
}

# expect_file NAME FILE PRINTF-TEXT: FILE holds exactly the bytes of the printf text.
expect_file() {
  printf -- "$3" >"$work/expected"
  if cmp -s "$2" "$work/expected"; then pass; else fail "$1: file is [$(od -c "$2" | head -5)]"; fi
}

# expect_alone NAME DIR: the library is the only file in DIR (no temporary file left over).
expect_alone() {
  local names
  names=$(ls -A "$2")
  if [[ $names == "ResistorLibrary.txt" ]]; then pass; else fail "$1: folder holds [$names]"; fi
}

# folder NAME [PRINTF-TEXT]: a fresh folder, with a library file when text is given.
folder() {
  mkdir -p "$work/$1"
  if [[ $# -gt 1 ]]; then printf -- "$2" >"$work/$1/ResistorLibrary.txt"; fi
  echo "$work/$1"
}

header=$'Resistor Value\tResistor #1\tResistor #2\tPrecision (%)'
missing='Resistor library file:"ResistorLibrary.txt" is not exist !'
# The second lines of the command line: where a library was looked for and how to make one, or
# the system's reason a file could not be read or written.
nowhere() {
  printf '%s\nvantrel-cli: no library at "%s/ResistorLibrary.txt"; make one with "%s" or "%s"' \
    "$missing" "$(realpath "$1")" "vantrel-cli series E24 --write" "vantrel-cli edit"
}
because() { # because FIRST_LINE VERB DIR REASON
  printf '%s\nvantrel-cli: cannot %s "%s/ResistorLibrary.txt": %s' "$1" "$2" "$(realpath "$3")" "$4"
}

# The sample library: E24 from 10 to 1M, 121 values, already normalised.
dir=$(folder sample)
cp "$sample" "$dir/ResistorLibrary.txt"
sample_rows=$(tr ' ' '\t' <<'EOF'
45.055 82.000 100.000 0.122
45.074 47.000 1100.000 0.165
45.102 51.000 390.000 0.227
44.890 47.000 1000.000 0.244
45.229 47.000 1200.000 0.508
44.692 47.000 910.000 0.685
44.685 62.000 160.000 0.701
44.672 51.000 360.000 0.730
44.646 68.000 130.000 0.786
45.360 47.000 1300.000 0.800
44.638 56.000 220.000 0.805
44.595 75.000 110.000 0.901
45.405 56.000 240.000 0.901
EOF
)
sample_out="$header"$'\n'"$sample_rows"
run "$dir" calc 45 1
expect "sample calc 45 1" 0 "$sample_out" ""
run "$dir" calc 45 1 --rows 2
expect "sample --rows 2" 0 "$(head -3 <<<"$sample_out")" ""
if [[ $(tr -cd '\r' <"$sample" | wc -c) == 121 && $(head -c 6 "$sample") == $'10.00\r' &&
  $(tail -c 12 "$sample") == $'1000000.00\r' ]]; then pass; else fail "sample holds 10 to 1M"; fi
run "$dir" normalise
expect "sample normalise" 0 "" ""
if cmp -s "$sample" "$dir/ResistorLibrary.txt"; then pass; else fail "sample is normalised"; fi

# tsv, csv and json, read by Python's own parsers, carry the text output's rows, the exact
# floats behind them, and the library's path and digest.
for format in tsv csv json; do
  run "$work/sample" calc 45 1 --format "$format"
  printf '%s\n' "$out" >"$work/formatted"
  if python3 - "$format" "$work/formatted" "$work/sample/ResistorLibrary.txt" \
    "$sample_rows" <<'PYTHON'; then pass; else fail "calc --format $format: [$out]"; fi
import csv, hashlib, json, os, sys
fmt, path, library, text_rows = sys.argv[1:]
names = ["value", "resistor1", "resistor2", "precision"]
with open(path, newline="") as f:
    if fmt == "json":
        doc = json.load(f)
        rows = doc["rows"]
        assert (doc["command"], doc["target"], doc["precision"]) == ("calc", 45, 1)
        assert doc["library"] == os.path.realpath(library), doc["library"]
        with open(library, "rb") as lib:
            assert doc["library_sha256"] == hashlib.sha256(lib.read()).hexdigest()
    else:
        rows = list(csv.DictReader(f, delimiter="\t" if fmt == "tsv" else ","))
expected = [line.split("\t") for line in text_rows.split("\n")]
assert len(rows) == len(expected), (len(rows), len(expected))
for row, fields in zip(rows, expected):
    for name, shown in zip(names, fields):
        assert row[name + "_shown"] == shown, (row, shown)
        assert fmt != "json" or isinstance(row[name], (int, float)), row
        assert abs(float(row[name]) - float(shown)) <= 0.0005 * (1 + 1e-6), (row, shown)
PYTHON
done

# The sample library is what series E24 prints, and every series reads back unchanged: a
# written library stays byte for byte through normalise.
run "$work/sample" series E24
cmp -s "$work/out" "$sample" && pass || fail "series E24 differs from the sample library"
for name in E3 E6 E12 E24 E48 E96 E192; do
  dir=$(folder "series-$name")
  run "$dir" series "$name" --from 1 --to 100k --write
  run_keeping "series $name" "$dir" normalise
  expect "series $name normalise" 0 "" ""
done

# check reads and tells, and leaves the file's bytes and time stamp alone.
run "$work/sample" check
expect "check on the sample" 0 "121 values, 0 lines dropped, 0 lines refused, 0 values outside the E-series.
A rewrite would change nothing." ""
dir=$(folder check '100\r\n47\r\nabc\r\n4k7\n47\r\n')
touch -d '2020-01-02 03:04:05.123456789' "$dir/ResistorLibrary.txt"
before=$(stat -c '%y %s' "$dir/ResistorLibrary.txt")
run_keeping check "$dir" check
[[ $rc == 1 && $out == *'line 4: "4k7": read as 4 where resistor notation means 4700, refused'* ]] &&
  pass || fail "check: exit $rc [$out]"
[[ $(stat -c '%y %s' "$dir/ResistorLibrary.txt") == "$before" ]] && pass ||
  fail "check touched the file"
expect_alone "check" "$dir"

# A first start from nothing.
dir=$(folder start)
run "$dir" series E12 --from 1 --to 100k --write
expect "series --write" 0 "" "wrote 61 E12 values to ResistorLibrary.txt"
[[ $(stat -c %a "$dir/ResistorLibrary.txt") == "$(printf '%o' $((0666 & ~$(umask))))" ]] &&
  pass || fail "a new library has the umask's permissions"
expect_alone "series --write" "$dir"
run "$dir" calc 4700 1
expect "calc on a new library" 0 "$header"$'\n4700.000\t0.000\t0.000\t0.000\n4678.899\t6800.000\t15000.000\t0.449' ""

# find and divider: the same rows in every format, numbers in full.
for command in "find 4k7 --top 8 --part-tolerance 5" "divider 5 3.3 --parts 2 --top 8"; do
  run "$work/sample" $command
  printf '%s\n' "$out" >"$work/text"
  for format in tsv csv json; do
    run "$work/sample" $command --format "$format"
    printf '%s\n' "$out" >"$work/formatted"
    if python3 - "$format" "$work/formatted" "$work/text" <<'PYTHON'; then pass; else
import csv, json, re, sys
fmt, path, text_path = sys.argv[1:]
prefixes = {"f": 1e-15, "p": 1e-12, "n": 1e-9, "u": 1e-6, "m": 1e-3, "k": 1e3, "M": 1e6, "G": 1e9}
def engineering(text):
    return float(text[:-1]) * prefixes[text[-1]] if text[-1] in prefixes else float(text)
with open(text_path) as f:
    lines = f.read().splitlines()
header = re.split(r" {2,}", lines[0].strip())
text_rows = [dict(zip(header, re.split(r" {2,}", line.strip()))) for line in lines[1:]]
with open(path, newline="") as f:
    if fmt == "json":
        rows = json.load(f)["rows"]
    else:
        rows = list(csv.DictReader(f, delimiter="\t" if fmt == "tsv" else ","))
assert len(rows) == len(text_rows) == 8, (len(rows), len(text_rows))
for row, shown in zip(rows, text_rows):
    assert int(row["rank"]) == int(shown["Rank"]), (row, shown)
    if "Network" in shown:
        assert row["network"] == shown["Network"] and int(row["parts"]) == int(shown["Parts"])
        pairs = [("value", "Value"), ("low", "Low"), ("high", "High")]
        assert str(row["covers_target"]).lower() in ("true", "false")
    else:
        assert (row["r1"], row["r2"]) == (shown["R1"], shown["R2"]), (row, shown)
        pairs = [("vout", "VOUT"), ("total", "R1 + R2"), ("current", "Current")]
    for name, column in pairs:
        exact, rounded = float(row[name]), engineering(shown[column])
        assert abs(exact - rounded) <= 5e-3 * abs(exact), (name, exact, rounded)
PYTHON
      fail "$command --format $format: [$out]"
    fi
  done
done

# The process locale changes nothing, neither in what is read nor in what is printed.
dir=$(folder locale '4.7\r\n100\r\n47.5\r\n91\r\n')
run "$dir" calc 45.5 2.5
reference_out=$out
for loc in de_DE.UTF-8 fr_FR.UTF-8; do
  runner=(env LC_ALL="$loc")
  run "$work/sample" calc 45 1
  expect "sample under $loc" 0 "$sample_out" ""
  run "$dir" calc 45.5 2.5
  expect "decimals under $loc" 0 "$reference_out" ""
  cp "$dir/ResistorLibrary.txt" "$work/locale.before"
  run "$dir" normalise
  expect_file "normalise under $loc" "$dir/ResistorLibrary.txt" '4.70\r\n47.50\r\n91.00\r\n100.00\r\n'
  cp "$work/locale.before" "$dir/ResistorLibrary.txt"
done
runner=()
if [[ $reference_out == *"45.500"$'\t'"91.000"$'\t'"91.000"$'\t'"0.000"* ]]; then pass; else
  fail "decimals: [$reference_out]"
fi

# No library file.
dir=$(folder missing)
run "$dir" calc 45 1
expect "missing file calc" 1 "" "$(nowhere "$dir")"
run "$dir" normalise
expect "missing file normalise" 1 "" "$(nowhere "$dir")"
if [[ -z $(ls -A "$dir") ]]; then pass; else fail "missing file: something was created"; fi

# normalise on the line-end styles and on NUL bytes.
while IFS='|' read -r name content expected; do
  dir=$(folder "ends-$name" "$content")
  run "$dir" normalise
  [[ $rc == 0 ]] && pass || fail "normalise $name: exit $rc, stderr [$err]"
  expect_file "normalise $name" "$dir/ResistorLibrary.txt" "$expected"
  expect_alone "normalise $name leaves no temporary file" "$dir"
done <<'EOF'
cr-only|100\r47\r91\r100|47.00\r\n91.00\r\n100.00\r\n
crlf|100\r\n47\r\n91\r\n100\r\n|47.00\r\n91.00\r\n100.00\r\n
trailing-lf|22\r\n10\n\n|10.00\r\n22.00\r\n
lf-only|100\n47\n\n4.7\n|4.70\r\n47.00\r\n100.00\r\n
mixed|100\r47\n\r\n22\n\r10|10.00\r\n22.00\r\n47.00\r\n100.00\r\n
byte-order-mark|\357\273\277100\r\n47\r\n|47.00\r\n100.00\r\n
nul-padding|10\r\n22\r\n\0\0|10.00\r\n22.00\r\n
junk|\001\377\r\n4.7 ohm\r\n-3\r\n1d3\r\n0x10\r\n1e39\r\n|-3.00\r\n4.70\r\n1000.00\r\n
empty||
EOF
dir=$(folder modes '10\r\n')
chmod 640 "$dir/ResistorLibrary.txt"
run "$dir" normalise
if [[ $rc == 0 && $(stat -c %a "$dir/ResistorLibrary.txt") == 640 ]]; then pass; else
  fail "normalise keeps the permission bits"
fi

# The same values give the same table, byte for byte, whatever the line ends.
crlf=$(folder calc-crlf '10\r\n22\r\n4.7\r\n\r\n47\r\n100\r\n')
run "$crlf" calc 9 25
crlf_out=$out
[[ $(wc -l <<<"$crlf_out") -gt 5 ]] && pass || fail "calc crlf: [$crlf_out]"
while IFS='|' read -r name content; do
  run "$(folder "calc-$name" "$content")" calc 9 25
  expect "calc $name" 0 "$crlf_out" ""
done <<'EOF'
lf|10\n22\n4.7\n\n47\n100\n
cr|10\r22\r4.7\r\r47\r100\r
mixed|10\n22\r\n4.7\r\r\n47\n100
EOF

# A library the read cannot take in whole is left byte for byte, with LF line ends as with
# CR LF; calc still reads its start, less a value the byte limit cut.
cut_note='line 2: "1234" is cut by the 10240-byte read limit and left out'
for ends in crlf lf; do
  eol=$'\r\n'
  [[ $ends == lf ]] && eol=$'\n'
  dir=$(folder "long-$ends")
  {
    printf '5%s' "$eol"
    head -c $((10240 - 6 - ${#eol})) /dev/zero | tr '\0' ' '
    printf '1234 5678%s' "$eol"
  } >"$dir/ResistorLibrary.txt"
  run_keeping "long $ends" "$dir" normalise
  [[ $rc == 1 && $err == *"longer than 10240 bytes"*"$cut_note" ]] && pass ||
    fail "long $ends: exit $rc [$err]"
  expect_alone "long $ends leaves no temporary file" "$dir"
  run "$dir" calc 5 0
  expect "long $ends calc" 0 "$header"$'\n5.000\t0.000\t0.000\t0.000' "$cut_note"
  run "$dir" calc 1234 0
  expect "long $ends calc of the cut value" 1 "" \
    "All Library's Resistor value less than targer value !"$'\n'"$cut_note"

  dir=$(folder "many-$ends")
  for i in $(seq 1 1001); do printf '%s%s' "$i" "$eol"; done >"$dir/ResistorLibrary.txt"
  run_keeping "many $ends" "$dir" normalise
  [[ $rc == 1 && $err == *"more than 1000 values"* ]] && pass || fail "many $ends: exit $rc [$err]"
  run "$dir" calc 1000 0
  expect "many $ends calc" 0 "$header"$'\n1000.000\t0.000\t0.000\t0.000' ""
done

# Text after a NUL byte is not read: such a library is left as it is, while calc reads what
# it can. So is a value in resistor notation that the number rules read as another.
while IFS='|' read -r name content reason note; do
  dir=$(folder "unread-$name" "$content")
  run_keeping "$name" "$dir" normalise
  [[ $rc == 1 && $err == *"$reason"* ]] && pass || fail "$name: exit $rc [$err]"
  run "$dir" calc 10 0
  expect "$name calc" 0 "$header"$'\n10.000\t0.000\t0.000\t0.000' "$note"
done <<'EOF'
nul|10\r\n22\0\r\n47\r\n|NUL byte|
notation|10\n4k7\n|line 2 "4k7" would be read as 4. Write the value in plain digits (4700)|line 2: "4k7" is read as 4
EOF

# -C DIR works in DIR, wherever the program is started.
run "$work/missing" -C "$work/sample" calc 45 1
expect "-C calc" 0 "$sample_out" ""
dir=$(folder elsewhere '100\r\n47\r\n')
run "$work/missing" -C "$dir" normalise
expect "-C normalise" 0 "" ""
expect_file "-C normalise" "$dir/ResistorLibrary.txt" '47.00\r\n100.00\r\n'
run "$work/missing" -C "$work/nowhere" calc 45 1
[[ $rc == 1 && $err == *"$work/nowhere"* ]] && pass || fail "-C to a missing folder: exit $rc"

# Results that cannot be written out are a failure, not a success, whatever the command made
# of its work (check of a library with a repeat fails on its own), and the user hears why.
if [[ -w /dev/full ]]; then
  dir=$(folder full)
  { cat "$sample" && printf '100.00\r\n'; } >"$dir/ResistorLibrary.txt"
  for args in "calc 45 1" "--version" "check" "series E24" "find 4k7 --parts 3 --all" \
    "divider 5 1 --all --format json" "completion zsh"; do
    (cd "$dir" && "$cli" $args) >/dev/full 2>"$work/err"
    rc=$?
    err=$(cat "$work/err")
    [[ $rc == 1 && $err == *"vantrel-cli: cannot write to standard output: No space left on device" ]] &&
      pass || fail "$args to a full disk: exit $rc [$err]"
  done
fi

# With standard input closed, the new library is opened as descriptor 0 and written all the same.
dir=$(folder stdin-closed)
(cd "$dir" && "$cli" series E3 --write <&-) >"$work/out" 2>"$work/err"
rc=$?
"$cli" series E3 >"$work/series"
[[ $rc == 0 ]] && cmp -s "$work/series" "$dir/ResistorLibrary.txt" && pass ||
  fail "series --write with stdin closed: exit $rc [$(cat "$work/err")]"

# Permission failures need an ordinary user: as root they run as nobody in folders of their
# own that nobody can reach.
if [[ $(id -u) == 0 ]]; then
  restricted=$(mktemp -d)
  chmod 755 "$restricted"
  trap 'chmod -R u+rwx "$work" "$restricted"; rm -rf "$work" "$restricted"' EXIT
  cp "$cli" "$restricted/vantrel-cli"
  chmod 755 "$restricted/vantrel-cli"
  cli="$restricted/vantrel-cli"
  runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  restricted=$(mktemp -d -p "$work")
fi
mkdir "$restricted/unreadable" "$restricted/readonly"
printf '100\r\n47\r\n' >"$restricted/unreadable/ResistorLibrary.txt"
chmod 000 "$restricted/unreadable/ResistorLibrary.txt"
run "$restricted/unreadable" calc 45 5
unreadable=$(because "$missing" read "$restricted/unreadable" "Permission denied")
expect "unreadable file calc" 1 "" "$unreadable"
run "$restricted/unreadable" normalise
expect "unreadable file normalise" 1 "" "$unreadable"
chmod 644 "$restricted/unreadable/ResistorLibrary.txt"
expect_file "unreadable file kept" "$restricted/unreadable/ResistorLibrary.txt" '100\r\n47\r\n'

printf '100\r\n47\r\n' >"$restricted/readonly/ResistorLibrary.txt"
chmod 666 "$restricted/readonly/ResistorLibrary.txt"
chmod 555 "$restricted/readonly"
run "$restricted/readonly" normalise
unwritable=$(because "Write To Resistor Library Error !" write "$restricted/readonly" \
  "Permission denied")
expect "read-only folder normalise" 1 "" "$unwritable"
expect_file "read-only folder keeps the file" "$restricted/readonly/ResistorLibrary.txt" \
  '100\r\n47\r\n'
expect_alone "read-only folder" "$restricted/readonly"
run "$restricted/readonly" series E3 --write --merge
expect "read-only folder merge" 1 "" "$unwritable"
expect_file "read-only folder keeps the file" "$restricted/readonly/ResistorLibrary.txt" \
  '100\r\n47\r\n'
mkdir -m 555 "$restricted/empty"
run "$restricted/empty" series E3 --write
expect "read-only folder series --write" 1 "" \
  "$(because "Write To Resistor Library Error !" write "$restricted/empty" "Permission denied")"
[[ -z $(ls -A "$restricted/empty") ]] && pass || fail "read-only folder: something was created"
run "$restricted/readonly" calc 47 0
expect "read-only folder calc" 0 "$header"$'\n47.000\t0.000\t0.000\t0.000' ""
# Write and search but no read permission: the folder can only be opened as a path, so it is
# neither locked nor listed, and the library is replaced all the same.
mkdir "$restricted/unlisted"
printf '100\r\n47\r\n' >"$restricted/unlisted/ResistorLibrary.txt"
chmod 666 "$restricted/unlisted/ResistorLibrary.txt"
chmod 333 "$restricted/unlisted"
run "$restricted/unlisted" normalise
chmod 755 "$restricted/unlisted"
expect "folder without read permission normalise" 0 "" ""
expect_file "folder without read permission: rewritten" \
  "$restricted/unlisted/ResistorLibrary.txt" '47.00\r\n100.00\r\n'
expect_alone "folder without read permission" "$restricted/unlisted"
runner=()

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
