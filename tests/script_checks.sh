# Sourced by the command-line scripts: a count of checks that pass and fail.
# check NAME STATUS counts a check that passes when STATUS is 0; checks_done prints the count
# and fails when any check did.
passed=0
failed=0
check() {
  if [[ $2 == 0 ]]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAIL: $1"
  fi
}
checks_done() {
  echo "$passed passed, $failed failed"
  [[ $failed == 0 ]]
}
