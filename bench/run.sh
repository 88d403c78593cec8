#!/usr/bin/env bash
# Measures the figures the README gives: the match search, the library read and the network
# and divider searches with Google Benchmark (medians of 10 runs), then whole vantrel-cli
# processes on a full library (10240 bytes, 1000 values), on the sample library and importing a
# 20,000-row order history with hyperfine, beside the floor (--version) in CPU time, and their
# peak memory with /usr/bin/time -v.
# Usage: bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --bench
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vantrel_bench vantrel_bench_library vantrel-cli
lscpu | grep 'Model name' || true

build/release/bench/vantrel_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
build/release/bench/vantrel_bench_library "$dir/ResistorLibrary.txt" "$dir/orders.csv"
cli=build/release/cli/vantrel-cli
# 7.5 lies below every value and 1e30 admits all: every one of the 500,500 pairs qualifies.
# --version is the floor: a process that starts, prints and ends, with no library.
hyperfine -N --warmup 20 --runs 300 --export-json "$dir/cli.json" \
  "$cli --version" "$cli -C $dir calc 7.5 1e30" "$cli -C $dir calc 45 5"
sample=examples
# find and divider, top 20: 4k7 lies below every value of the full library, 123k among them.
quick=("$cli -C $dir find 4k7" "$cli -C $dir find 123k" "$cli -C $dir divider 5 3.3"
  "$cli -C $sample find 4k7" "$cli -C $sample find 4k7 --parts 4" "$cli -C $sample divider 5 3.3")
slow=("$cli -C $dir find 4k7 --parts 4" "$cli -C $dir find 123k --parts 4"
  "$cli -C $dir divider 5 3.3 --parts 2" "$cli -C $dir regulator 5 --vref 1.25 --parts 2"
  "$cli -C $dir regulator 5 --vref 1.25 --parts 2 --part-tolerance 1"
  "$cli -C $dir gain 11 --parts 2" "$cli -C $dir gain 11 --parts 2 --part-tolerance 1")
# Searches against a spec, each of which once ran for minutes: a band, bounds that refuse
# every row, a far time constant, and the notes that then name the cause or the nearest miss.
"$cli" -C "$dir" series E12 --capacitors --write >/dev/null
spec=("$cli -C $dir regulator 5 --vref 1.25 --reference top --iadj 50u --parts 2 --part-tolerance 1 --within 3"
  "$cli -C $dir divider 5 3.3 --parts 2 --part-tolerance 1 --within 3"
  "$cli -C $dir gain 11 --parts 2 --part-tolerance 1 --within 3"
  "$cli -C $dir divider 5 3.3 --parts 2 --max-power 0"
  "$cli -C $dir divider 5 3.3 --parts 2 --min-current 1 --max-current 1.0001"
  "$cli -C $dir rc --tau 1e18 --r-parts 2 --c-parts 2"
  "$cli -C $dir rc --corner 1k --r-parts 2 --c-parts 2 --r-tolerance 1 --c-tolerance 5 --within 6"
  "$cli -C $dir regulator 3.3 --vref 0.788:0.8:0.812 --parts 2 --part-tolerance 1 --within 3"
  "$cli -C $sample divider 5 3.3 --parts 2 --part-tolerance 1 --within 3")
# The same searches drawn from an inventory of the same 1000 values, four of each at 1 % and
# 0.25 W, beside the library with --part-tolerance 1: the counts, each part's own tolerance and
# the ratings are checked on every row the walk meets.
awk 'NF { sub(/\r$/, ""); printf "R,%s,4,1%%,0.25W\r\n", $1 }
  BEGIN { printf "kind,value,quantity,tolerance,power\r\n" }' "$dir/ResistorLibrary.txt" \
  >"$dir/Inventory.csv"
drawer=("$cli -C $dir divider 5 3.3 --parts 2 --part-tolerance 1 --within 3"
  "$cli -C $dir divider 5 3.3 --parts 2 --within 3 --inventory"
  "$cli -C $dir regulator 5 --vref 1.25 --parts 2 --part-tolerance 1"
  "$cli -C $dir regulator 5 --vref 1.25 --parts 2 --inventory"
  "$cli -C $dir find 123k --parts 4 --part-tolerance 1"
  "$cli -C $dir find 123k --parts 4 --inventory")
hyperfine -N --warmup 2 --runs 20 --export-json "$dir/drawer.json" "${drawer[@]}"
hyperfine -N --warmup 5 --runs 100 --export-json "$dir/networks.json" "${quick[@]}"
hyperfine -N --warmup 2 --runs 20 --export-json "$dir/networks4.json" "${slow[@]}"
hyperfine -N --warmup 1 --runs 10 --export-json "$dir/spec.json" "${spec[@]}"
# import of a 20,000-row order history, read alone and written into a fresh Inventory.csv.
hyperfine -N --warmup 3 --runs 30 --prepare "rm -f $dir/Inventory.csv" \
  --export-json "$dir/import.json" "$cli -C $dir import orders.csv" \
  "$cli -C $dir import orders.csv --write"

# Searches that once hung or took seconds, on E192 from 10 to 1M (961 values): a drawer of 1 %
# and 5 % classes at 100 ppm/°C where no row meets --within, bands judged by RSS that no row
# meets (with E12 capacitors for the RC pair), banded four-part finds among thousands of exact
# hits, and --prefer with a board of two values the library lacks, so that rows adding values
# must be found among the rest.
e192="$dir/e192" mixed="$dir/e192-mixed"
mkdir -p "$e192" "$mixed"
"$cli" -C "$e192" series E192 --write >/dev/null
"$cli" -C "$e192" series E12 --capacitors --write >/dev/null
cp "$e192/ResistorLibrary.txt" "$mixed/"
awk 'NF { sub(/\r$/, ""); printf "R,%s,4,1%%,0.25W\r\n", $1 }
  BEGIN { printf "kind,value,quantity,tolerance,power\r\n" }' "$e192/ResistorLibrary.txt" \
  >"$e192/Inventory.csv"
awk 'NF { sub(/\r$/, ""); printf "R,%s,4,%s,0.25W,100ppm\r\n", $1, (++n % 2 ? "1%" : "5%") }
  BEGIN { printf "kind,value,quantity,tolerance,power,tcr\r\n" }' "$e192/ResistorLibrary.txt" \
  >"$mixed/Inventory.csv"
printf '12345\n67891\n' >"$e192/board.txt"
hangs=("$cli -C $mixed regulator 3.3 --vref 0.8 --parts 2 --inventory --temperature -40:85 --within 2"
  "$cli -C $e192 regulator 3.3 --vref 0.8 --parts 2 --part-tolerance 1 --statistics rss --by rss --within 0.5"
  "$cli -C $e192 gain 11 --parts 2 --part-tolerance 1 --statistics rss --by rss --within 0.3"
  "$cli -C $e192 rc --corner 1k --r-parts 2 --c-parts 2 --r-tolerance 1 --c-tolerance 5 --statistics rss --by rss --within 1"
  "$cli -C $e192 find 4.7k --parts 4 --inventory"
  "$cli -C $e192 find 123k --parts 4 --part-tolerance 1"
  "$cli -C $e192 find 123k --parts 4 --part-tolerance 1 --statistics rss"
  "$cli -C $e192 divider 5 3.3 --parts 2 --prefer board.txt"
  "$cli -C $e192 find 4.7k --parts 4 --prefer board.txt")
hyperfine -N --warmup 1 --runs 5 --export-json "$dir/hangs.json" "${hangs[@]}"

echo "Medians:"
for json in "$dir/cli.json" "$dir/networks.json" "$dir/networks4.json" "$dir/spec.json" \
  "$dir/drawer.json" "$dir/import.json" "$dir/hangs.json"; do
  awk -F'"' '/"command"/ { command = $4 }
    /"median"/ { gsub(/[^0-9.e-]/, "", $3); printf "  %s: %.2f ms\n", command, $3 * 1000 }' "$json"
done
echo "CPU (user + sys, mean) beside the floor:"
awk -F'"' '/"command"/ { command = $4 } /"user"/ { gsub(/[^0-9.e-]/, "", $3); user = $3 }
  /"system"/ { gsub(/[^0-9.e-]/, "", $3); cpu = user + $3; if (!floor) floor = cpu
    printf "  %s: %.2f ms, %.2fx the floor\n", command, cpu * 1000, cpu / floor }' "$dir/cli.json"
echo "Peak memory:"
for command in "${quick[@]}" "${slow[@]}"; do
  # shellcheck disable=SC2086  # the command is split into its words on purpose
  /usr/bin/time -v $command 2>"$dir/time.txt" >/dev/null
  awk -v c="$command" '/Maximum resident set size/ { printf "  %s: %.1f MB\n", c, $NF / 1024 }' \
    "$dir/time.txt"
done
# --all streams its rows in rank order: peak memory and CPU for its first 300,000 rows into a
# pipe (30 million rows lie within 0.01 % of 2.5).
echo "--all, first 300,000 rows into a pipe:"
for command in "$cli -C $e192 divider 5 2.5 --parts 2 --all --tolerance 0.01" \
  "$cli -C $e192 divider 5 3.3 --parts 2 --all" \
  "$cli -C $e192 find 123k --parts 4 --part-tolerance 1 --all" \
  "$cli -C $e192 find 4.7k --parts 4 --inventory --all"; do
  /usr/bin/time -f "%U %S %M" -o "$dir/time.txt" sh -c "$command | head -n 300000 >/dev/null"
  awk -v c="$command" '{ printf "  %s: %.2f s CPU, %.1f MB\n", c, $1 + $2, $3 / 1024 }' \
    "$dir/time.txt"
done
# Rows a second into a pipe: 300,000 rows of the listing with ties and of the one without.
hyperfine -N --warmup 1 --runs 5 --export-json "$dir/all.json" \
  "sh -c '$cli -C $e192 divider 5 3.3 --parts 2 --all | head -n 300000 >/dev/null'" \
  "sh -c '$cli -C $e192 divider 5 2.5 --parts 2 --all --tolerance 0.01 | head -n 300000 >/dev/null'"
awk -F'"' '/"command"/ { command = $4 } /"median"/ { gsub(/[^0-9.e-]/, "", $3)
  printf "  %s: %.0f rows/s\n", command, 300000 / $3 }' "$dir/all.json"
