#!/usr/bin/env bash
# A long fuzz campaign, meant for the background rather than CI: the fuzz target under
# ASan and UBSan on one core for RUNS inputs from the seed corpus, then the line coverage
# that the corpus it grew reaches in the library (compiler/, output/, sources/, platform/).
#
#   fuzz/campaign.sh [RUNS [WORK_DIR]]
#
# RUNS defaults to 10000000, WORK_DIR to a new folder under /tmp. The grown corpus stays
# in WORK_DIR/corpus, libFuzzer's log in WORK_DIR/fuzz.log, the coverage in
# WORK_DIR/coverage.txt; a crashing input lands in fuzz/regressions/, where the replay
# test keeps it. The schedule favours inputs that run fast (-entropic_scale_per_exec_time),
# as in CI: an input that sets a long line costs in proportion to its route plot.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10000000}
work=${2:-$(mktemp -d "${TMPDIR:-/tmp}/fuzz-campaign.XXXXXX")}
mkdir -p "$work/corpus" fuzz/regressions
pin=()
command -v taskset >/dev/null && pin=(taskset -c "$(($(nproc) - 1))")

echo "== building the fuzz target (preset fuzz)"
cmake --preset fuzz >/dev/null
cmake --build build-fuzz --target compile_fuzzer >/dev/null

echo "== $runs inputs on one core; log in $work/fuzz.log"
start=$(date +%s)
"${pin[@]}" build-fuzz/fuzz/compile_fuzzer -runs="$runs" -entropic_scale_per_exec_time=1 \
  -print_final_stats=1 -timeout=10 -rss_limit_mb=4096 -artifact_prefix=fuzz/regressions/ \
  "$work/corpus" fuzz/corpus >"$work/fuzz.log" 2>&1
seconds=$(($(date +%s) - start))
grep -E '^#[0-9]+[[:space:]]+DONE' "$work/fuzz.log" | tail -1 || true
grep -E 'stat::(number_of_executed_units|average_exec_per_sec)' "$work/fuzz.log"
echo "in $seconds s"

echo "== line coverage of the grown corpus (clang source-based coverage)"
cmake -S . -B build-coverage -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
  -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
cmake --build build-coverage --target fuzz_replay >/dev/null
rm -f "$work"/*.profraw
LLVM_PROFILE_FILE="$work/replay.profraw" build-coverage/fuzz/fuzz_replay "$work/corpus" fuzz/corpus >/dev/null
llvm-profdata merge -sparse -o "$work/replay.profdata" "$work/replay.profraw"
llvm-cov report build-coverage/fuzz/fuzz_replay -instr-profile="$work/replay.profdata" \
  compiler/ output/ sources/ platform/ >"$work/coverage.txt"
grep -E '^(Filename|TOTAL)' "$work/coverage.txt"
echo "per file: $work/coverage.txt"
