#!/usr/bin/env bash
# Runs the real vantrel-cli board on small boards whose best choice is worked out by hand, in a
# temporary folder: the choice, the drawer's counts across the board, free values, bad input.
# Usage: board_cli_e2e_test.sh VANTREL_CLI KICAD_EXAMPLES_DIR
set -u

cli=$(realpath "$1")
kicad=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/script_checks.sh"
cd "$work" || exit 1
printf '%s\n' 1000 2000 3000 4000 6000 8000 >ResistorLibrary.txt
# A divides 3 V to 1 V (R1 = 2 R2): 8000/4000, 6000/3000, 4000/2000, 2000/1000 in that order,
# nearest 10k first; B divides 4 V to 1 V (R1 = 3 R2): 6000/2000, then 3000/1000. Their first
# rows take four values; three do, at rank sums 2 + 1 (6000 shared) and more.
cat >board.txt <<'BOARD'
# name  search
A  divider 3 1 --parts 1   # ratio 2
B  divider 4 1 --parts 1
BOARD

# json_check NAME FILE PYTHON: PYTHON runs with doc, the parsed json of FILE.
json_check() {
  python3 - "$2" "$3" <<'PYTHON'
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
# Every circuit's row is the command's own, and the values are those the chosen rows take.
counts = {}
for circuit in doc["circuits"]:
    assert circuit["row"]["rank"] == circuit["rank"], circuit
    for leg in ("r1", "r2"):
        if leg in circuit["row"]:
            counts[float(circuit["row"][leg])] = counts.get(float(circuit["row"][leg]), 0) + 1
assert {v["value"]: v["count"] for v in doc["values"]} == counts, (doc["values"], counts)
assert doc["distinct"] == len(doc["values"])
assert doc["parts"] == sum(counts.values())
exec(sys.argv[2])
PYTHON
  check "$1" $?
}

"$cli" board board.txt --format json >out.json 2>err.txt
check "board exits 0" $?
json_check "three values, ranks 2 and 1, optimal" out.json '
assert doc["distinct"] == 3 and doc["first_rows_distinct"] == 4, doc
assert [c["rank"] for c in doc["circuits"]] == [2, 1], doc["circuits"]
assert doc["optimal"] is True and doc["bound"] == 3'

"$cli" board board.txt >out.txt 2>err.txt
check "text exits 0" $?
check "text summary" "$(grep -qx "3 distinct values, 4 parts; each circuit's first row alone would need 4; optimal" out.txt; echo $?)"
check "text names each circuit with its command" "$(grep -q '^A  divider 3 1 --parts 1$' out.txt && grep -q '^B  divider 4 1 --parts 1$' out.txt; echo $?)"

"$cli" board board.txt --format tsv >out.tsv 2>err.txt
check "tsv rows" "$(head -1 out.tsv | grep -qx $'name\tcommand\trank\tvalues\trow' && [[ $(wc -l <out.tsv) == 3 ]]; echo $?)"

# The drawer holds one 6000, one 2000 and two 3000: 6000/3000 with 6000/2000 would take two
# 6000, and 4000/2000 with 6000/2000 two 2000, so A takes 6000/3000 and B 3000/1000.
cat >Inventory.csv <<'CSV'
kind,value,quantity,tolerance,power,tcr,package,location,part_number,note
R,1000,5,1%,,,0603,Box 1,,
R,2000,1,1%,,,0603,Box 1,,
R,3000,2,1%,,,0603,Box 1,,
R,4000,5,1%,,,0603,Box 1,,
R,6000,1,1%,,,0603,Box 1,,
R,8000,5,1%,,,0603,Box 1,,
CSV
"$cli" board board.txt --inventory --format json >out.json 2>err.txt
check "inventory exits 0" $?
json_check "counts bind across the board" out.json '
assert [c["rank"] for c in doc["circuits"]] == [2, 2], doc["circuits"]
assert {v["value"]: v["count"] for v in doc["values"]} == {6000: 1, 3000: 2, 1000: 1}
assert all(v["uses"].endswith("(1 %, 0603, Box 1)") for v in doc["values"])'

# One 1000 for two circuits that need it: the drawer runs short and names it.
printf '%s\n' 'X find 1000 --parts 1 --tolerance 0.1' 'Y find 1000 --parts 1 --tolerance 0.1' >short.txt
sed -i 's/^R,1000,5/R,1000,1/' Inventory.csv
"$cli" board short.txt --inventory >out.txt 2>err.txt
check "short drawer exits 1" "$([[ $? == 1 ]]; echo $?)"
check "short drawer names 1000" "$(grep -q 'short of: R 1000 (1 %, 0603, Box 1);' err.txt; echo $?)"

# A board that has 8000 and 4000 already: A's first row is free, B adds two values.
printf '%s\n' '"Reference","Value"' '"R1","8k"' '"R2","4k"' >bom.csv
"$cli" board board.txt --prefer bom.csv --format json >out.json 2>err.txt
check "prefer exits 0" $?
json_check "values on the board are free" out.json '
assert [c["rank"] for c in doc["circuits"]] == [1, 1], doc["circuits"]
assert doc["new"] == 2 and doc["distinct"] == 4'

# A circuit without any row is named with its command's nearest miss.
printf '%s\n' 'A divider 3 1 --parts 1' 'Z find 5000 --parts 1 --tolerance 1' >miss.txt
"$cli" board miss.txt >out.txt 2>err.txt
check "no row exits 1" "$([[ $? == 1 ]]; echo $?)"
check "no row names Z" "$(grep -q '^vantrel-cli: board: Z (find 5000 --parts 1 --tolerance 1): ' err.txt; echo $?)"

# An LED's series resistor is a circuit too: 3000 serves it and divider A at once.
printf '%s\n' 'A divider 3 1 --parts 1' 'D1-D4 led 5 --vf 2 --current 1m --tolerance 10' >led.txt
"$cli" board led.txt >out.txt 2>err.txt
check "led line: exit 0" $?
check "led line: 3000 shared" "$(grep -q '^2 distinct values, 3 parts; each circuit.s first row alone would need 3; optimal' out.txt; echo $?)"

# An RC's capacitor and a capacitor find's are one value: 1 ms is 2000 x 500n, then 1000 x 1u,
# and the find's 1u makes the second one value fewer. With one 1u in the drawer they cannot both
# take it, and the RC takes 500n.
mkdir -p rc && printf '%s\n' 1000 2000 3000 >rc/ResistorLibrary.txt
printf '%s\n' 100n 500n 1u >rc/CapacitorLibrary.txt
printf '%s\n' 'F rc --tau 1m' 'C find 1u --capacitors --parts 1' >rc/board.txt
cat >rc/Inventory.csv <<'CSV'
kind,value,quantity,tolerance,power,tcr,package,location,part_number,note
R,1000,5,1%,,,0603,Box 1,,
R,2000,5,1%,,,0603,Box 1,,
C,500n,3,10%,,,0805,Box 2,,
C,1u,1,10%,,,0805,Box 2,,
CSV
"$cli" -C rc board board.txt --format json >out.json 2>err.txt
check "rc line: exit 0" $?
check "rc line: 1u shared with the find" "$(python3 -c 'import json,sys; d=json.load(open("out.json"))
sys.exit(not ([c["rank"] for c in d["circuits"]] == [2, 1] and d["distinct"] == 2
  and {(v["kind"], v["name"]): v["count"] for v in d["values"]} == {("R", "1000"): 1, ("C", "1u"): 2}))'; echo $?)"
"$cli" -C rc board board.txt --inventory --format json >out.json 2>err.txt
check "rc line, one 1u: exit 0" $?
check "rc line, one 1u: the RC takes 500n" "$(python3 -c 'import json,sys; d=json.load(open("out.json"))
sys.exit(not ([c["rank"] for c in d["circuits"]] == [1, 1] and d["distinct"] == 3))'; echo $?)"

# What reading the library says is said once for the board, not once for each line.
mkdir -p noted && printf '%s\n' 1000 2000 4k 3000 6000 >noted/ResistorLibrary.txt
"$cli" -C noted board ../board.txt >out.txt 2>err.txt
check "a library's note once: exit 0" $?
check "a library's note once" "$([[ $(grep -c '"4k"' err.txt) == 1 ]]; echo $?)"

# Bad input: a usage error naming file and line.
bad() {  # NAME LINE-TEXT EXPECTED-MESSAGE-PART
  printf '%s\n' '# board' 'A divider 3 1 --parts 1' "$2" >bad.txt
  "$cli" board bad.txt >out.txt 2>err.txt
  local rc=$?
  check "$1: exit 2" "$([[ $rc == 2 ]]; echo $?)"
  check "$1: names bad.txt:3" "$(grep -q "^vantrel-cli: board: bad.txt:3: .*$3" err.txt; echo $?)"
}
bad "board's option" 'B divider 4 1 --top 3' '--top is board'
bad "board's option with =" 'B divider 4 1 --format=json' '--format=json is board'
bad "inventory on a line" 'B divider 4 1 --inventory' '--inventory is board'
bad "not a search" 'B series E12' 'not a search'
bad "name twice" 'A divider 4 1' 'names line 2 already'
bad "line's own option" 'B divider 4 1 --bogus' 'bogus'
bad "line's own value" 'B divider 4 1 --tolerance x' 'tolerance'
bad "a search without its operands" 'B find' 'TARGET'
for i in $(seq 201); do echo "C$i find 1000 --parts 1"; done >many.txt
"$cli" board many.txt >out.txt 2>err.txt
check "201 circuits: exit 2" "$([[ $? == 2 ]]; echo $?)"
check "201 circuits: names the limit" "$(grep -q 'more than 200 circuits' err.txt; echo $?)"

# Values back into a hierarchical schematic: R1,R2 on the root sheet and R3,R4 on
# power/supply.kicad_sch take the legs of A and B, which with R9's 1000 take 6000/3000 and
# 3000/1000; FB1 names no two references, R9 none there.
cp -r "$kicad" sch
cp -r "$kicad" sch.orig
printf '%s\n' 'R1,R2 divider 3 1 --parts 1' 'R3,R4 divider 4 1 --parts 1' 'FB1 divider 4 1' \
  'R9 find 1000 --parts 1' >sch.txt
"$cli" board sch.txt --schematic sch/board.kicad_sch >out.txt 2>err.txt
check "schematic dry run exits 0" $?
check "dry run writes nothing" "$(diff -r sch sch.orig >/dev/null; echo $?)"
check "dry run says what would change" "$(grep -qx 'would write R1 = 6000 (was 10k) in sch/board.kicad_sch' out.txt; echo $?)"
check "names a name without a reference per leg" "$(grep -qx 'not written: FB1: its name lists 1 reference for 2 legs' out.txt; echo $?)"
check "names a reference not in the schematic" "$(grep -qx 'not written: R9: no symbol R9 in sch/board.kicad_sch' out.txt; echo $?)"
"$cli" board sch.txt --schematic sch/board.kicad_sch --write >out.txt 2>err.txt
check "schematic write exits 0" $?
# Only the four Value strings changed, each to the value chosen; every other byte is as it was.
python3 - sch.orig sch <<'PYTHON'
import sys
want = {("board.kicad_sch", "10k"): "6000", ("board.kicad_sch", "TBD"): "3000",
        ("power/supply.kicad_sch", "1k"): "3000", ("power/supply.kicad_sch", "0"): "1000"}
changed = {}
for name in ("board.kicad_sch", "channel.kicad_sch", "stage.kicad_sch", "power/supply.kicad_sch"):
    old = open(f"{sys.argv[1]}/{name}", "rb").read().split(b"\n")
    new = open(f"{sys.argv[2]}/{name}", "rb").read().split(b"\n")
    assert len(old) == len(new), name
    for a, b in zip(old, new):
        if a == b:
            continue
        prefix = b'\t\t(property "Value" "'
        assert a.startswith(prefix) and b.startswith(prefix), (a, b)
        changed[(name, a[len(prefix):-1].decode())] = b[len(prefix):-1].decode()
assert changed == want, changed
PYTHON
check "only the chosen Value fields change" $?
cp -r sch sch.written
"$cli" board sch.txt --schematic sch/board.kicad_sch --write >out.txt 2>err.txt
check "a second write exits 0" $?
check "a second write keeps every byte" "$(diff -r sch sch.written >/dev/null; echo $?)"
"$cli" divider 3 1 --parts 1 --prefer sch/board.kicad_sch --top 1 --format json >out.json 2>err.txt
check "the values read back" "$(python3 -c 'import json,sys; r=json.load(open("out.json"))["rows"][0]; sys.exit(not (r["r1"], r["r2"], r["new_values"]) == ("6000", "3000", 0))'; echo $?)"
printf '(kicad_sch (version 20231120)' >sch/broken.kicad_sch
cp sch/broken.kicad_sch broken.orig
"$cli" board sch.txt --schematic sch/broken.kicad_sch --write >out.txt 2>err.txt
check "an unreadable schematic exits 1" "$([[ $? == 1 ]]; echo $?)"
check "an unreadable schematic is left as it was" "$(cmp -s sch/broken.kicad_sch broken.orig; echo $?)"
check "an unreadable schematic is named" "$(grep -q '^vantrel-cli: board: --schematic sch/broken.kicad_sch' err.txt; echo $?)"

checks_done
