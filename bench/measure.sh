#!/usr/bin/env bash
# Measures the goals side by side, each against its floor, and fails when one is missed:
#   1. scenario-compile on the generated 1000 km line: at most 1.3 times its floor, peak
#      memory at most 16 MB;
#   2. the program's embedded build, headless, with its eight file writes: at most 1.5 times
#      its floor;
#   3. the program's --version: at most 3 ms more than a C program that prints one line;
#   4. the fuzz target under ASan and UBSan, inputs a second on one core, seed corpus
#      (goal: at least 1000), with CI's schedule and with libFuzzer's default one.
# Times are hyperfine's: whole processes started without a shell (-N), after warm-up runs,
# the product and its floor in the same call; the figures are medians. The floor
# (scenario_floor, C with libc alone) writes the same bytes the same way: each file to a
# temporary beside it, fsync, rename, and for the three compiled files, renamed together,
# the folder's fsync as well. Peak memory is GNU time's. hyperfine's JSON of each
# comparison is kept in RESULTS_DIR.
#
#   [ROUNDS=3] bench/measure.sh [BUILD_DIR [RUNS [FUZZ_BUILD_DIR [FUZZ_SECONDS [RESULTS_DIR]]]]]
#
# Each comparison is ROUNDS calls of hyperfine, of RUNS runs a command each, the product
# first in one and the floor first in the next. BUILD_DIR defaults to build (the default
# preset), RUNS to 21, FUZZ_BUILD_DIR to
# build-fuzz (the fuzz preset; skipped when not built), FUZZ_SECONDS to 30, RESULTS_DIR to
# BUILD_DIR/measure. Exit status 0 when every goal is met, 1 when one is missed, 2 when
# something needed is missing.
set -euo pipefail
build=${1:-build}
runs=${2:-21}
fuzz_build=${3:-build-fuzz}
fuzz_seconds=${4:-30}
results=${5:-$build/measure}
rounds=${ROUNDS:-3}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool="$build/scenario-compile"
program="$build/rovella_tirsa_7162"
bench="$build/scenario_compile_bench"
floor="$build/scenario_floor"
fuzzer="$fuzz_build/fuzz/compile_fuzzer"
for t in hyperfine /usr/bin/time; do
  command -v "$t" >/dev/null || { echo "$t is missing (scripts/install-deps.sh brings it)" >&2; exit 2; }
done
for f in "$tool" "$program" "$bench" "$floor"; do [ -x "$f" ] || { echo "not built: $f" >&2; exit 2; }; done
mkdir -p "$results"
results=$(cd "$results" && pwd)
rm -f "$results"/long.*.json "$results"/embedded.*.json "$results"/version.*.json

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-measure.XXXXXX")
trap 'rm -rf "$work"' EXIT
tool=$(realpath "$tool")
floor=$(realpath "$floor")

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "machine: $(nproc) cores, $cpu, $(awk '/MemTotal/ {printf "%.0f GB", $2/1048576}' /proc/meminfo)," \
     "load $(cut -d' ' -f1-3 /proc/loadavg), folder $(df -T "$work" | awk 'NR==2 {print $2}')"

# hyperfine on the product and its floor, in one call, without a display; ROUNDS calls,
# the one or the other first in turn, so that a change of the machine's load between the
# two halves of a call falls on both alike. The medians of all their runs, in ms, go to
# $work/<name>.medians as "product floor". Arguments: name, product command, floor command
# (each one string, split by hyperfine itself), then hyperfine's own options.
compare() {
  local name=$1 product=$2 base=$3 round
  shift 3
  for round in $(seq "$rounds"); do
    local order=(-n product "$product" -n floor "$base")
    [ $((round % 2)) -eq 0 ] && order=(-n floor "$base" -n product "$product")
    env -u DISPLAY hyperfine -N --style basic "$@" --export-json "$results/$name.$round.json" "${order[@]}" \
      >"$work/$name.log" 2>&1 || { cat "$work/$name.log" >&2; exit 2; }
  done
  # The runs' times from the JSON: "command": "<name>", then "times": [ one a line ].
  awk '/"command":/ {gsub(/[",]/, "", $2); who = $2}
       /"times":/ {inside = 1; next}
       inside && /\]/ {inside = 0}
       inside {gsub(/,/, "", $1); print who, $1 * 1000}' "$results/$name".*.json >"$work/$name.times"
  echo "$(grep '^product ' "$work/$name.times" | cut -d' ' -f2 | median) $(grep '^floor ' "$work/$name.times" |
    cut -d' ' -f2 | median)" >"$work/$name.medians"
}
median() { sort -g | awk '{a[NR] = $1} END {printf "%.2f", NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
product_ms() { cut -d' ' -f1 "$work/$1.medians"; }
floor_ms() { cut -d' ' -f2 "$work/$1.medians"; }
ratio() { awk -v a="$(product_ms "$1")" -v b="$(floor_ms "$1")" 'BEGIN {printf "%.2f", a / b}'; }
missed=()
# goal <description> <awk condition on x>
goal() { awk -v x="$2" "BEGIN {exit !($3)}" || missed+=("$1: $2"); }

# 1. The 1000 km line: the floor writes the three compiled files as the tool does, as a set.
"$bench" --write-scenario "$work/long" >/dev/null
mkdir -p "$work/long/out" "$work/long/floor"
long_compile="$tool --line-name Lunga_Linea --train-number 1000 --out $work/long/out"
long_compile+=" $work/long/long_linea.txt $work/long/long_treno.txt"
# shellcheck disable=SC2086
$long_compile >/dev/null 2>&1
cp -r "$work/long/out" "$work/long/bytes"
long_floor="$floor $work/long/floor"
for f in Lunga_Linea_linea.dat Lunga_Linea_1000.sim Lunga_Linea_1000.dat; do long_floor+=" hold $work/long/bytes/$f"; done
long_floor+=" commit"
compare long "$long_compile" "$long_floor" --warmup 3 --runs "$runs"
long_kb=0
for _ in 1 2 3; do
  # shellcheck disable=SC2086
  /usr/bin/time -f "%M" -o "$work/time" $long_compile >/dev/null 2>&1
  long_kb=$(( $(tail -1 "$work/time") > long_kb ? $(tail -1 "$work/time") : long_kb ))
done
long_bytes=$(cat "$work/long/out"/* | wc -c)

# 2. The embedded build from a folder of its own. The floor writes its eight files in its
# order: the two descriptions and the three documents one by one, the two descriptions
# deleted again, the three compiled files as a set.
mkdir -p "$work/embedded/run" "$work/embedded/floor"
cp "$program" "$work/embedded/run/"
run_program="$work/embedded/run/$(basename "$program")"
env -u DISPLAY "$run_program"
cp -r "$work/embedded/run" "$work/embedded/bytes"
"$bench" --write-embedded "$work/embedded/bytes" >/dev/null
b="$work/embedded/bytes"
embedded_floor="$floor $work/embedded/floor"
for f in Rovella_Tirsa_linea.txt Rovella_Tirsa_7162-.txt Rovella_Tirsa_7162_note.txt \
         Rovella_Tirsa_7162_rallentamenti.txt Rovella_Tirsa_7162_scheda_treno.txt; do
  embedded_floor+=" write $b/$f"
done
embedded_floor+=" delete Rovella_Tirsa_linea.txt delete Rovella_Tirsa_7162-.txt"
for f in Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat; do embedded_floor+=" hold $b/$f"; done
embedded_floor+=" commit"
compare embedded "$run_program" "$embedded_floor" --warmup 3 --runs "$runs"

# 3. --version against a C program that prints one line.
compare version "$run_program --version" "$floor --line" --warmup 10 --runs $((runs * 5))
version_extra=$(awk -v a="$(product_ms version)" -v b="$(floor_ms version)" 'BEGIN {printf "%.2f", a - b}')

goal "1000 km line, ratio" "$(ratio long)" "x <= 1.3"
goal "1000 km line, peak memory KB" "$long_kb" "x <= 16384"
goal "embedded build, ratio" "$(ratio embedded)" "x <= 1.5"
goal "--version, ms over one printed line" "$version_extra" "x <= 3"

row() { printf '%-48s %10s %10s %8s %s\n' "$@"; }
echo
row "measurement (hyperfine -N, median)" "time ms" "floor ms" "ratio" "goal"
row "1000 km line, scenario-compile ($((long_bytes / 1024)) KB)" "$(product_ms long)" "$(floor_ms long)" \
  "$(ratio long)x" "<= 1.3x"
row "1000 km line, peak memory" "$(awk -v k="$long_kb" 'BEGIN {printf "%.1f MB", k / 1024}')" "" "" "<= 16 MB"
row "embedded build, headless (8 writes)" "$(product_ms embedded)" "$(floor_ms embedded)" \
  "$(ratio embedded)x" "<= 1.5x"
row "--version / a C program printing one line" "$(product_ms version)" "$(floor_ms version)" \
  "+$version_extra" "<= +3 ms"
echo "runs: $rounds rounds of $runs each ($((runs * 5)) for --version), after warm-ups; hyperfine's JSON in $results"

# 4. The fuzz target on the seed corpus, one process pinned to one core, with a fixed
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
    local execs
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$work/fuzz/log")
    execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$work/fuzz/log")
    row "$name" "$rate" "" "" "$execs inputs in ${fuzz_seconds} s"
  }
  fuzz_rate "fuzz target, ASan+UBSan, inputs/s, as CI" -entropic_scale_per_exec_time=1
  ci_rate=$rate
  fuzz_rate "  the same, libFuzzer's default schedule"
  goal "fuzz target, inputs/s" "$ci_rate" "x >= 1000"
else
  echo "fuzz target not built ($fuzzer): cmake --preset fuzz && cmake --build --preset fuzz --target compile_fuzzer"
fi

if [ ${#missed[@]} -gt 0 ]; then
  printf 'goal missed: %s\n' "${missed[@]}" >&2
  exit 1
fi
echo "every goal met"
