# Shared by the driver's test scripts: sourced after $work (the test's folder) is set.
# Status 77 tells CTest the test was skipped.
readonly kSkip=77

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/stderr" ] && { echo "the program's standard error:" >&2; cat "$work/stderr" >&2; }
  exit 1
}

skip() {
  echo "SKIPPED: $*"
  exit $kSkip
}
