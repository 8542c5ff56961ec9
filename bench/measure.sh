#!/usr/bin/env bash
# Measures the three goals side by side in one run, each against its floor:
#   1. scenario-compile on the generated 1000 km line (whole process, peak memory too);
#   2. the program's embedded build, headless, with its eight file writes;
#   3. the fuzz target under ASan and UBSan, inputs a second on one core, seed corpus
#      (goal: at least 1000), with CI's schedule and with libFuzzer's default one.
# The floor of a build is its files' bytes streamed through a 256 KB buffer into a
# temporary file in the same folder, fsync, rename (scenario_floor_write). Times are
# medians of RUNS whole-process runs, the builds and their floors taken in turn; peak
# memory is GNU time's.
#
#   bench/measure.sh [BUILD_DIR [RUNS [FUZZ_BUILD_DIR [FUZZ_SECONDS]]]]
#
# BUILD_DIR defaults to build (the default preset), RUNS to 9, FUZZ_BUILD_DIR to
# build-fuzz (the fuzz preset; skipped when not built), FUZZ_SECONDS to 30.
set -euo pipefail
build=${1:-build}
runs=${2:-9}
fuzz_build=${3:-build-fuzz}
fuzz_seconds=${4:-30}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool="$build/scenario-compile"
program="$build/rovella_tirsa_7162"
bench="$build/scenario_compile_bench"
floor="$build/scenario_floor_write"
fuzzer="$fuzz_build/fuzz/compile_fuzzer"
[ -x /usr/bin/time ] || { echo "GNU time is missing (Debian package: time)" >&2; exit 2; }
for f in "$tool" "$program" "$bench" "$floor"; do [ -x "$f" ] || { echo "not built: $f" >&2; exit 2; }; done

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-measure.XXXXXX")
trap 'rm -rf "$work"' EXIT
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
max() { sort -n | tail -1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "machine: $(nproc) cores, $cpu, $(awk '/MemTotal/ {printf "%.0f GB", $2/1048576}' /proc/meminfo)," \
     "load $(cut -d' ' -f1-3 /proc/loadavg), folder $(df -T "$work" | awk 'NR==2 {print $2}')"

# Whole-process wall ms of a command (GNU time's peak KB after it) into the file $1.
timed() {
  local out=$1 start end
  shift
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(tail -1 "$work/time")" | awk '{printf "%.1f %d\n", $1 / 1000, $2}' >>"$out"
}
# Interleaved, so that the machine's load falls on both alike: RUNS times the command
# (into $1.times), then the floor of the files in the folders $2 (written into $3, into
# $1.floor). The remaining arguments are the command.
side_by_side() {
  local name=$1 folders=$2 dest=$3
  shift 3
  for _ in $(seq "$runs"); do
    timed "$work/$name.times" "$@"
    # shellcheck disable=SC2086
    mapfile -t written < <(find $folders -type f ! -name "$(basename "$program")" | sort)
    timed "$work/$name.floor" "$floor" "$dest" "${written[@]}"
  done
}

# 1. The 1000 km line.
"$bench" --write-scenario "$work/long" >/dev/null
mkdir -p "$work/long/out" "$work/long/floor"
long_compile=("$tool" --line-name Lunga_Linea --train-number 1000 --out "$work/long/out"
  "$work/long/long_linea.txt" "$work/long/long_treno.txt")
"${long_compile[@]}" >/dev/null 2>&1
side_by_side long "$work/long/out" "$work/long/floor" "${long_compile[@]}"
long_ms=$(cut -d' ' -f1 "$work/long.times" | median)
long_kb=$(cut -d' ' -f2 "$work/long.times" | max)
long_bytes=$(cat "$work/long/out"/* | wc -c)
long_floor=$(cut -d' ' -f1 "$work/long.floor" | median)

# 2. The embedded build, headless, from a folder of its own.
mkdir -p "$work/embedded/run" "$work/embedded/floor"
cp "$program" "$work/embedded/run/"
run_program=(env -u DISPLAY "$work/embedded/run/$(basename "$program")")
"${run_program[@]}"
# The two descriptions it writes and deletes again join its six files for the floor.
"$bench" --write-embedded "$work/embedded/descriptions" >/dev/null
side_by_side embedded "$work/embedded/run $work/embedded/descriptions" "$work/embedded/floor" "${run_program[@]}"
embedded_ms=$(cut -d' ' -f1 "$work/embedded.times" | median)
embedded_floor=$(cut -d' ' -f1 "$work/embedded.floor" | median)
eight=$(find "$work/embedded/run" "$work/embedded/descriptions" -type f ! -name "$(basename "$program")" | wc -l)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
printf '\n%-44s %10s %10s %7s %s\n' "measurement (median of $runs)" "time ms" "floor ms" "ratio" "goal"
printf '%-44s %10s %10s %7s %s\n' "1000 km line, scenario-compile ($((long_bytes / 1024)) KB)" \
  "$long_ms" "$long_floor" "$(ratio "$long_ms" "$long_floor")x" "<= 1.3x"
printf '%-44s %10s %10s %7s %s\n' "1000 km line, peak memory" "$(awk -v k="$long_kb" 'BEGIN {printf "%.1f MB", k / 1024}')" \
  "" "" "<= 16 MB"
printf '%-44s %10s %10s %7s %s\n' "embedded build, headless ($eight writes)" \
  "$embedded_ms" "$embedded_floor" "$(ratio "$embedded_ms" "$embedded_floor")x" "<= 1.5x"

# 3. The fuzz target on the seed corpus, one process pinned to one core, with a fixed
# seed so that runs compare: first with the schedule CI and campaigns use, which favours
# inputs that run fast, then with libFuzzer's default schedule, which drifts towards
# inputs that set long lines (they cost in proportion to their route plot).
if [ -x "$fuzzer" ]; then
  pin=()
  command -v taskset >/dev/null && pin=(taskset -c "$(($(nproc) - 1))")
  fuzz_rate() {
    local name=$1
    shift
    rm -rf "$work/fuzz"
    mkdir -p "$work/fuzz/new"
    "${pin[@]}" "$fuzzer" -seed=1 -max_total_time="$fuzz_seconds" -print_final_stats=1 -rss_limit_mb=4096 "$@" \
      "$work/fuzz/new" "$here/../fuzz/corpus" >"$work/fuzz/log" 2>&1 || { tail -20 "$work/fuzz/log"; exit 1; }
    local rate execs
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$work/fuzz/log")
    execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$work/fuzz/log")
    printf '%-44s %10s %10s %7s %s\n' "$name" "$rate" "" "" "$execs inputs in ${fuzz_seconds} s"
  }
  fuzz_rate "fuzz target, ASan+UBSan, inputs/s, as CI" -entropic_scale_per_exec_time=1
  fuzz_rate "  the same, libFuzzer's default schedule"
else
  echo "fuzz target not built ($fuzzer): cmake --preset fuzz && cmake --build --preset fuzz --target compile_fuzzer"
fi
