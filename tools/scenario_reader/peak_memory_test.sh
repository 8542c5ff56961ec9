#!/usr/bin/env bash
# scenario-inspect reads the largest set a line can have (the 1000 km line, its route plot
# some 20 MB) within about twice the route plot's size, whatever it is asked for.
#   peak_memory_test.sh SCENARIO_INSPECT SCENARIO_COMPILE SCENARIO_COMPILE_BENCH
set -euo pipefail
inspect=$1 compile=$2 bench=$3
[ -x /usr/bin/time ] || { echo "skipped: /usr/bin/time is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" --write-scenario "$work" >/dev/null
"$compile" "$work/long_linea.txt" "$work/long_treno.txt" --line-name Lunga_Linea --train-number 1000 \
  --out "$work/out" 2>/dev/null
plot=$work/out/Lunga_Linea_linea.dat
limit=$(($(stat -c %s "$plot") * 23 / 10 / 1024))
status=0
for option in --check "--svg $work/picture.svg" --timetable --slots; do
  # shellcheck disable=SC2086  # the option and its file are two words
  /usr/bin/time -o "$work/peak" -f %M "$inspect" $option "$work/out/Lunga_Linea_1000.dat" \
    "$work/out/Lunga_Linea_1000.sim" "$plot" >/dev/null || true
  peak=$(tail -1 "$work/peak")
  if [ "$peak" -le "$limit" ]; then
    echo "ok   $option: peak $peak KB, within $limit KB (2.3 times the route plot)"
  else
    echo "FAIL $option: peak $peak KB, above $limit KB (2.3 times the route plot)"
    status=1
  fi
done
exit $status
