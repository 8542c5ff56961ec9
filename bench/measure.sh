#!/usr/bin/env bash
# Measures scenario-compile on the generated 1000 km scenario: wall time, CPU time and
# peak memory of the whole process (GNU time), then the in-process benchmarks beside a
# plain buffered write of the same bytes. Usage: bench/measure.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
tool="$build/scenario-compile"
bench="$build/scenario_compile_bench"
[ -x /usr/bin/time ] || { echo "GNU time is missing (Debian package: time)" >&2; exit 2; }
for f in "$tool" "$bench"; do [ -x "$f" ] || { echo "not built: $f" >&2; exit 2; }; done

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-compile-measure.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" --write-scenario "$work"

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "machine: $(nproc) cores, $cpu, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "scenario-compile on the 1000 km line, $runs runs (wall s, user s, sys s, peak KB):"
for _ in $(seq "$runs"); do
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" \
    "$tool" --line-name Lunga_Linea --train-number 1000 --out "$work/out" \
    "$work/long_linea.txt" "$work/long_treno.txt" 2>/dev/null
  cat "$work/time"
done | sort -n | tee "$work/times"
echo "median wall: $(awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}' "$work/times") s," \
     "peak memory: $(awk 'BEGIN {m=0} $4>m {m=$4} END {printf "%.1f MB", m/1024}' "$work/times")"
ls -l "$work/out"

"$bench" --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true
