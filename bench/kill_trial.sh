#!/usr/bin/env bash
# The random-kill trial: RUNS compiles of the generated 1000 km line (20 MB written) over an
# earlier set A in one folder, each killed with SIGKILL (or the signal SIGNAL names) after a
# random 0 to MAX_MS ms (150), beside an author's files whose names look like a write's
# temporaries. After each kill it counts what
# the run left (hidden files other than the author's), then runs RECOVER --recover and
# counts again, and tells the set: A whole, B whole, or mixed. Prints one summary line.
#   kill_trial.sh SCENARIO_COMPILE SCENARIO_COMPILE_BENCH [RUNS] [RECOVER]
# RECOVER is the scenario-compile that recovers (by default SCENARIO_COMPILE itself).
set -uo pipefail
compile=$1 bench=$2 runs=${3:-300} recover=${4:-$1}
work=$(mktemp -d "${TMPDIR:-/tmp}/kill_trial.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" --write-scenario "$work/long" >/dev/null
examples=$(dirname "${BASH_SOURCE[0]}")/../examples/first-line
names="Lunga_Linea_linea.dat Lunga_Linea_1000.sim Lunga_Linea_1000.dat"
authors=".notes.new-draft .profile.set-old .compactor-notes .Lunga_Linea_1000.dat.draft"
set_b() { exec "$compile" --line-name Lunga_Linea --train-number 1000 --out "$1" "$work/long/long_linea.txt" \
  "$work/long/long_treno.txt" >/dev/null 2>&1; }
"$compile" --line-name Lunga_Linea --train-number 1000 --out "$work/a" "$examples/line.txt" \
  "$examples/train.txt" >/dev/null 2>&1
(set_b "$work/b")
ours() { (cd "$1" && ls -A | grep '^\.' | grep -vxF "$(echo $authors | tr ' ' '\n')" | wc -l); }
a=0 b=0 mixed=0 left_before=0 left_after=0 authors_lost=0
for i in $(seq "$runs"); do
  t=$work/t
  rm -rf "$t" && cp -r "$work/a" "$t"
  for name in $authors; do echo precious >"$t/$name"; done
  (set_b "$t") &  # exec: $! is the compile's own process
  pid=$!
  sleep "$(printf '0.%03d' $((RANDOM % ${MAX_MS:-150})))"
  kill -"${SIGNAL:-KILL}" $pid 2>/dev/null
  wait $pid 2>/dev/null
  [ "$(ours "$t")" -gt 0 ] && left_before=$((left_before + 1))
  "$recover" --recover --out "$t" >/dev/null 2>"$work/recovery"
  if [ "$(ours "$t")" -gt 0 ]; then
    left_after=$((left_after + 1))
    echo "run $i left after --recover: $(cd "$t" && ls -A | grep '^\.' | tr '\n' ' ')($(cat "$work/recovery"))" >&2
  fi
  for name in $authors; do [ -e "$t/$name" ] || { authors_lost=$((authors_lost + 1)); break; }; done
  na=0 nb=0
  for name in $names; do
    cmp -s "$t/$name" "$work/a/$name" && na=$((na + 1))
    cmp -s "$t/$name" "$work/b/$name" && nb=$((nb + 1))
  done
  if [ $na -eq 3 ]; then a=$((a + 1)); elif [ $nb -eq 3 ]; then b=$((b + 1)); else mixed=$((mixed + 1)); fi
done
echo "$runs SIG${SIGNAL:-KILL}: $a A, $b B, $mixed mixed; left by the kill: $left_before runs;" \
  "left after --recover: $left_after runs; the author's files lost in $authors_lost runs"
