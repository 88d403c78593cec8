#!/usr/bin/env bash
# Runs every `console` block of the README as a reader would type it, and compares what each
# command prints (stdout and stderr, in order) with the lines the README shows under it.
# A block runs in a fresh copy of examples/, its commands one after another in the same folder;
# a block whose line above is `<!-- example: empty folder -->` starts in an empty one, and one
# under `<!-- example: same folder -->` goes on in the folder the block before it left.
# Usage: readme_examples_test.sh VANTREL_CLI README EXAMPLES_DIR
set -u

cli_dir=$(dirname "$(realpath "$1")")
readme=$2
examples=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
commands=0
blocks=0

# run_block FOLDER SCRIPT: SCRIPT holds the block's lines; each "$ " line is a command, the
# lines after it up to the next command its expected output.
run_block() {
  local folder=$1 block=$2 command="" expected="" actual line
  finish() {
    [[ -z $command ]] && return
    commands=$((commands + 1))
    actual=$(cd "$folder" && PATH="$cli_dir:$PATH" bash -c "$command" 2>&1)
    if [[ $actual != "$expected" ]]; then
      failed=$((failed + 1))
      echo "FAIL: \$ $command"
      diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | head -n 20
    fi
  }
  while IFS= read -r line || [[ -n $line ]]; do
    if [[ $line == '$ '* ]]; then
      finish
      command=${line#'$ '}
      expected=""
    elif [[ -n $command ]]; then
      expected+="${expected:+$'\n'}$line"
    fi
  done < <(printf '%s' "$block")
  finish
}

in_block=false
previous=""
block=""
start=copy
while IFS= read -r line; do
  if ! $in_block && [[ $line == '```console' ]]; then
    in_block=true
    block=""
    case $previous in
    '<!-- example: empty folder -->') start=empty ;;
    '<!-- example: same folder -->') start=same ;;
    *) start=copy ;;
    esac
  elif $in_block && [[ $line == '```' ]]; then
    in_block=false
    blocks=$((blocks + 1))
    if [[ $start != same ]]; then
      folder="$work/block$blocks"
      mkdir "$folder"
      [[ $start == empty ]] || cp -r "$examples"/. "$folder"
    fi
    run_block "$folder" "$block"
  elif $in_block; then
    block+="$line"$'\n'
  fi
  previous=$line
done <"$readme"

echo "$blocks blocks, $commands commands"
((commands > 0)) || {
  echo "FAIL: no console block found in $readme"
  exit 1
}
echo "$((commands - failed)) passed, $failed failed"
((failed == 0))
