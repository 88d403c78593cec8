#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on a scratch copy
# of its committed seed corpus, so new corpus entries never land in the repository.
# Usage: .ci/fuzz.sh   (FUZZ_SECONDS, 60 by default, is the time for each target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"

scripts/deps.sh --fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Failing inputs outlive the run: build/ is not committed.
artifacts="$PWD/build/fuzz/artifacts"
mkdir -p "$artifacts"

# run TARGET MAX_LEN DICTIONARY: the library and command-line targets reach past the 10240 bytes
# the reader takes.
run() {
  local target="$1" max_len="$2" dict="$3"
  cp -r "fuzz/corpus/$target" "$work/$target"
  echo "== fuzzing $target for $seconds s"
  if ! "build/fuzz/fuzz/vantrel_${target}_fuzz" "$work/$target" -dict="fuzz/$dict" \
    -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" 2>"$work/$target.log"; then
    tail -n 60 "$work/$target.log" >&2
    echo "fuzzing $target failed; failing inputs, if any, are in $artifacts:" >&2
    ls -l "$artifacts" >&2
    exit 1
  fi
  grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' \
    "$work/$target.log"
}

run library 12288 tokens.dict
run number 256 tokens.dict
run cli 12288 cli.dict
