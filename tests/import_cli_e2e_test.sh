#!/usr/bin/env bash
# Runs the real vantrel-cli import and check --inventory on the sample exports, in a temporary
# folder, on the real file code.
# Usage: import_cli_e2e_test.sh VANTREL_CLI SAMPLES_DIR
set -u

cli=$(realpath "$1")
samples=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/script_checks.sh"

cp "$samples"/* "$work/"
cd "$work" || exit 1
files=(lcsc_order.csv lcsc_cart.csv mouser_order.csv mouser_cart.csv digikey_order.csv
  digikey_cart.csv inventree_export.csv binner_export.csv partdb_export.csv partdb_import.csv
  plain_list.txt)

# The json of each sample is strict JSON of the shape the manual gives, one row per row printed
# in the text table.
for f in "${files[@]}" inventory.csv kicad_bom.csv assembly_bom.csv; do
  "$cli" import "$f" --format json >json.out 2>/dev/null
  check "$f: json exit $?" $?
  "$cli" import "$f" >text.out 2>/dev/null
  python3 - json.out text.out <<'PYTHON'
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
assert list(doc) == ["rows", "skipped"], list(doc)
keys = ["kind", "value", "quantity", "tolerance", "power", "tcr", "package", "location",
        "part_number", "source", "format"]
for row in doc["rows"]:
    assert list(row) == keys, list(row)
    assert row["kind"] in ("R", "C", "L")
    assert isinstance(row["value"], float | int) and row["value"] > 0
    assert isinstance(row["quantity"], int) and row["quantity"] >= 0
    for key in ("tolerance", "power", "tcr"):
        assert row[key] is None or isinstance(row[key], float | int)
for line in doc["skipped"]:
    assert list(line) == ["source", "text", "reason", "code", "format"], list(line)
    assert line["code"] and " " not in line["code"], line
text = open(sys.argv[2], encoding="utf-8").read().split("\n\nSkipped:\n")
assert len(text[0].splitlines()) == 1 + len(doc["rows"])
PYTHON
  check "$f: json shape" $?
done

# Without --write nothing is made; with it, Inventory.csv is made alone (no temporary file left)
# and a rewrite would leave it as it is.
rm inventory.csv
"$cli" import "${files[@]}" >/dev/null 2>&1
check "no inventory without --write" "$([[ ! -e Inventory.csv ]]; echo $?)"
"$cli" import "${files[@]}" --write >/dev/null 2>err.out
check "import --write exits 0" $?
grep -q "^wrote Inventory.csv: " err.out
check "import --write says what it wrote" $?
check "no file left beside" "$(ls -A | grep -cv -e '\.csv$' -e '\.txt$' -e '\.out$')"
"$cli" check --inventory >check.out
check "check --inventory after a write exits 0" $?
grep -q "^A rewrite would change nothing.$" check.out
check "check --inventory finds nothing to change" $?

# The same bytes again are refused; with --again they add to the counts, and the import is
# recorded once more. A read-only command leaves the bytes alone.
before=$(grep -vc '^#' Inventory.csv)
cp Inventory.csv once.out
"$cli" import plain_list.txt --write >/dev/null 2>err.out
check "a second import of the same bytes fails" "$([[ $? == 1 ]]; echo $?)"
grep -q 'holds the same bytes as a file imported on [0-9-]*; --again' err.out
check "a second import says when the first was" $?
cmp -s Inventory.csv once.out
check "a refused import writes nothing" $?
"$cli" import plain_list.txt --write --again >/dev/null 2>&1
check "the second import adds no row" "$([[ $(grep -vc '^#' Inventory.csv) == "$before" ]]; echo $?)"
check "each import is recorded" "$([[ $(grep -c '^# imported "plain_list.txt" on .* sha256 [0-9a-f]\{64\}'$'\r''$' Inventory.csv) == 2 ]]; echo $?)"
grep -q '^R,4k7,20,' Inventory.csv
check "the second import adds the count" $?
cp Inventory.csv kept.out
"$cli" check --inventory >/dev/null
"$cli" import Inventory.csv >/dev/null 2>&1
cmp -s Inventory.csv kept.out
check "read-only commands leave Inventory.csv" $?

# A file that cannot be read stops the write.
printf 'Part,Count\n' >unknown.csv
"$cli" import plain_list.txt unknown.csv --write >/dev/null 2>err.out
check "an unknown header fails" "$([[ $? == 1 ]]; echo $?)"
cmp -s Inventory.csv kept.out
check "an unknown header writes nothing" $?

checks_done
