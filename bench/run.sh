#!/usr/bin/env bash
# Measures the figures the README gives: the match search and the library read with Google
# Benchmark (medians of 10 runs), then whole vantrel-cli calc processes on a full library
# (10240 bytes, 1000 values) with hyperfine. Usage: bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --bench
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target vantrel_bench vantrel_bench_library vantrel-cli
lscpu | grep 'Model name' || true

build/release/bench/vantrel_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
build/release/bench/vantrel_bench_library "$dir/ResistorLibrary.txt"
cli=build/release/cli/vantrel-cli
# 7.5 lies below every value and 1e30 admits all: every one of the 500,500 pairs qualifies.
hyperfine -N --warmup 20 --runs 300 --export-json "$dir/cli.json" \
  "$cli -C $dir calc 7.5 1e30" "$cli -C $dir calc 45 5"
echo "Medians:"
awk -F'"' '/"command"/ { command = $4 }
  /"median"/ { gsub(/[^0-9.e-]/, "", $3); printf "  %s: %.2f ms\n", command, $3 * 1000 }' "$dir/cli.json"
