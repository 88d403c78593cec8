#!/usr/bin/env bash
# Runs the real vantrel-cli find and divider on the sample library, and a list long enough to
# be found in passes. Usage: network_cli_e2e_test.sh VANTREL_CLI SAMPLE_LIBRARY
set -u

cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2" "$work/ResistorLibrary.txt"
cd "$work" || exit 1

failed=0
fail() {
  failed=$((failed + 1))
  echo "FAIL: $*"
}

# expect_start NAME RC LINES EXPECTED: the last run exited with RC, printed LINES lines and
# began with the lines EXPECTED.
expect_start() {
  [[ $rc == "$2" ]] || fail "$1: exit $rc"
  [[ $(wc -l <out) == "$3" ]] || fail "$1: $(wc -l <out) lines"
  [[ $(head -n "$(wc -l <<<"$4")" out) == "$4" ]] || fail "$1: output [$(head -3 out)]"
  [[ ! -s err ]] || fail "$1: stderr [$(cat err)]"
}

"$cli" find 4k7 >out 2>err
rc=$?
expect_start "find 4k7" 0 21 "Rank  Value  Deviation (%)  Parts  Network
   1  4.70k              0      1  4700
   2  4.70k              0      2  1100 + 3600"

"$cli" divider 5 3.3 >out 2>err
rc=$?
expect_start "divider 5 3.3" 0 21 "Rank  R1      R2        VOUT  Error (%)  R1 + R2  Current
   1  4700    9100    3.2971    -0.0878    13.8k  362u"

# An ADC's divider: a load of 100k across R2, R1 || R2 at most 10k at the parts' upper ends.
"$cli" divider 12 3 --parts 2 --max-source 10k --within 2 --part-tolerance 1 --load 100k >out 2>err
rc=$?
expect_start "divider --load --max-source" 0 21 \
  "Rank  R1               R2                  VOUT  Error (%)      Low     High  Worst (%)  In spec  Max tol. (%)  R1 + R2  Current  Source
   1  30               10               2.99978    -0.0075  2.95500  3.04500     1.4999      yes           1.3    40.00   300.0m  7.5750"
"$cli" divider 12 3 --parts 2 --max-source 10k --load 100k --all --format tsv >out 2>err
[[ $(LC_ALL=C awk -F'\t' 'NR > 1 && $8 > 10000 { n++ } END { print n + 0 }' out) == 0 &&
  $(wc -l <out) -gt 100 ]] || fail "divider --max-source --all: $(wc -l <out) lines"

# 329,041 rows, streamed: the first 1000 rows set the widths, later rows may only widen them.
# awk reads the numbers in the C locale; the program writes them so under any.
"$cli" find 4k7 --all --tolerance 60 >out 2>err
rc=$?
[[ $rc == 0 && ! -s err ]] || fail "find --all: exit $rc, stderr [$(cat err)]"
problem=$(LC_ALL=C awk 'NR == 1 { column = index($0, "Network"); next }
  $1 != NR - 1 { print "rank " $1 " on line " NR; exit }
  { match($0, /^ *[0-9]+ +[^ ]+ +[^ ]+ +[0-9]+  /); at = RLENGTH + 1 }
  at < column || (NR <= 1001 && at != column) { print "network column on line " NR; exit }
  { column = at }
  { d = $3 < 0 ? -$3 : $3 }
  d < last || d > 60 { print "deviation " $3 " on line " NR; exit }
  { last = d }
  END { if (NR != 329042) print NR " lines" }' out)
[[ -z $problem ]] || fail "find --all: $problem"
"$cli" find 4k7 --top 50 --tolerance 60 >top 2>err
# Each table chooses its columns' digits from its own rows: the parts and networks are compared.
[[ $(awk 'NR > 1 { $1 = $2 = $3 = ""; print }' top) == \
  $(awk 'NR > 1 && NR <= 51 { $1 = $2 = $3 = ""; print }' out) ]] ||
  fail "find --all does not begin with the 50 best"

# --prefer: the README's board, then a board that cannot be read and an empty name.
printf '"Reference","Value","Datasheet","Footprint","Qty","DNP"\r\n"R1,R2,R7","10k","~","R_0603","3",""\r\n"R3","4k7","~","R_0603","1",""\r\n"R4,R5","1k","~","R_0603","2",""\r\n"R6","22k","~","R_0603","1","DNP"\r\n"U1","LM317","~","TO-220","1",""\r\n' >board.csv
"$cli" divider 5 3.3 --parts 2 --prefer board.csv --top 4 >out 2>err
rc=$?
# Each line that gives no value is named.
[[ $(cat err) == 'vantrel-cli: --prefer board.csv:5: "22k" of R6 skipped: not placed (DNP)
vantrel-cli: --prefer board.csv:6: "LM317" of U1 skipped: neither a resistor, a capacitor nor an inductor' ]] ||
  fail "divider --prefer: stderr [$(cat err)]"
: >err
expect_start "divider --prefer" 0 5 "Rank  R1           R2             VOUT  Error (%)  R1 + R2  Current  New
   1  1000 + 4700  1000 + 10000  3.293       -0.2    16.7k     299u  0
   2  4700         9100          3.297    -0.0878    13.8k     362u  1"
"$cli" find 4k7 --prefer missing.csv >out 2>err
rc=$?
[[ $rc == 1 && ! -s out && $(cat err) == 'vantrel-cli: --prefer "missing.csv" cannot be read: No such file or directory' ]] ||
  fail "--prefer of a missing file: exit $rc, stderr [$(cat err)]"
"$cli" rc --corner 1k --prefer '' >out 2>err
rc=$?
[[ $rc == 2 && $(head -1 err) == "vantrel-cli: rc: --prefer needs a file"* ]] ||
  fail "--prefer of no file: exit $rc, stderr [$(head -1 err)]"

# led: the board's line for four indicator LEDs, then a supply the LEDs would not leave room in.
"$cli" led 5 --vf 1.9:2.0:2.2 --current 10m --within 15 --part-tolerance 5 >out 2>err
rc=$?
expect_start "led 5" 0 21 "Rank     Current  Error (%)       Low       High  Worst (%)         R  Power (W)  Parts  Network
   1  10.118306m   +1.18306  8.99405m  11.00588m    10.0595  296.4923      32.3m      3  330 || (220 + 2700)"
"$cli" led 5 --vf 2 --leds 3 --current 10m >out 2>err
rc=$?
[[ $rc == 2 && ! -s out && $(head -1 err) == \
  "vantrel-cli: led: VSUPPLY 5 V must be above 3 × --vf 2 V = 6 V: the LEDs would not light" ]] ||
  fail "led below the LEDs: exit $rc, stderr [$(head -1 err)]"
# From the drawer: 270 || 270 makes 135 Ω too, but each 270 would take 27 mW of its 25.
mkdir drawer
printf 'kind,value,quantity,tolerance,power,tcr,package,location,part_number,note\nR,15,5,1%%,0.25W,,0603,Box 1,,\nR,120,5,1%%,0.1W,,0603,Box 1,,\nR,270,2,1%%,0.025W,,0603,Box 2,,\n' >drawer/Inventory.csv
"$cli" -C drawer led 12 --vf 3.1 --leds 3 --current 20m --inventory --parts 2 --format tsv >out 2>err
rc=$?
expect_start "led --inventory" 0 2 "rank	current	error	low	high	worst	resistance	power	parts	network	uses
1	0.02	0	0.019801980198019802	0.020202020202020204	1.0101010101010166	135	0.04897459442913989	2	15 + 120	1 × 15 (1 %, 0603, Box 1), 1 × 120 (1 %, 0603, Box 1)"

[[ $failed == 0 ]] && echo "all passed"
[[ $failed == 0 ]]
