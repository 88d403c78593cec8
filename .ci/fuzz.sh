#!/usr/bin/env bash
# Builds the libFuzzer targets in the sanitizer build (clang, coverage-instrumented throughout,
# so the tests' build serves) and runs each for a bounded time on a scratch copy of its
# committed seed corpus, so new corpus entries never land in the repository. The
# targets run side by side, one a core; an input that takes over 5 s counts as a failure, so a
# search that stalls is found like a crash.
# Usage: .ci/fuzz.sh   (FUZZ_SECONDS, 20 by default, is the time for each target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"

scripts/deps.sh --fuzz
cmake --preset asan >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work="$(mktemp -d)"
# vantrel_cli_files_fuzz writes and flushes a library in a fresh folder for every input, in
# memory when it can; the folder of an input that ends the fuzzer goes with the rest.
scratch="$work"
if [[ -d /dev/shm && -w /dev/shm ]]; then scratch="$(mktemp -d -p /dev/shm)"; fi
trap 'rm -rf "$work" "$scratch"' EXIT
# Failing inputs outlive the run: build/ is not committed.
artifacts="$PWD/build/asan/fuzz-artifacts"
mkdir -p "$artifacts"

# fuzz TARGET MAX_LEN DICTIONARY: the library and command-line targets reach past the 10240
# bytes the reader takes. Leaves TARGET.log, and TARGET.ok when nothing was found.
fuzz() {
  local target="$1" max_len="$2" dict="$3"
  cp -r "fuzz/corpus/$target" "$work/$target"
  if TMPDIR="$scratch" LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    "build/asan/fuzz/vantrel_${target}_fuzz" "$work/$target" \
    -dict="fuzz/$dict" -max_total_time="$seconds" -max_len="$max_len" -timeout=5 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" >"$work/$target.log" 2>&1; then
    touch "$work/$target.ok"
  fi
}

targets=(library number cli cli_files kicad)
declare -A max_len=([library]=12288 [number]=256 [cli]=12288 [cli_files]=12288 [kicad]=16384)
declare -A dict=([library]=tokens.dict [number]=tokens.dict [cli]=cli.dict [cli_files]=cli.dict
  [kicad]=kicad.dict)
running=0
for target in "${targets[@]}"; do
  if ((running == $(nproc))); then
    wait -n
    running=$((running - 1))
  fi
  echo "== fuzzing $target for $seconds s"
  fuzz "$target" "${max_len[$target]}" "${dict[$target]}" &
  running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
  echo "== $target"
  if [[ -f "$work/$target.ok" ]]; then
    grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' \
      "$work/$target.log"
  else
    tail -n 60 "$work/$target.log" >&2
    echo "fuzzing $target failed" >&2
    failed=1
  fi
done
if ((failed)); then
  echo "failing inputs, if any, are in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit 1
fi
