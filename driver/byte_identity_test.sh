#!/usr/bin/env bash
# The Windows build writes the same bytes as the Linux build: the program's six files, and
# scenario-compile's three files for the generated 1000 km scenario.
#
#   byte_identity_test.sh LINUX_BUILD_DIR PROGRAM.exe SCENARIO-COMPILE.exe
#
# Exit status 77 means skipped (no Linux build beside this one, or no Wine).
set -uo pipefail

linux=$1
win_program=$2
win_compile=$3
wine_run="$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/testing/script_lib.sh"

for f in rovella_tirsa_7162 scenario-compile scenario_compile_bench; do
  [ -x "$linux/$f" ] || skip "no Linux build of $f in $linux (cmake --build --preset ci builds it)"
done
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || skip "wine64 is not installed"
unset DISPLAY

same_files() {
  local a=$1 b=$2
  shift 2
  for name in "$@"; do
    [ -f "$a/$name" ] || fail "$a/$name missing"
    cmp -s "$a/$name" "$b/$name" || fail "$name differs: $(cmp "$a/$name" "$b/$name" 2>&1 | head -n1)"
    echo "same bytes: $name ($(stat -c %s "$a/$name") bytes)"
  done
}

mkdir "$work/linux" "$work/windows"
cp "$linux/rovella_tirsa_7162" "$work/linux/"
cp "$win_program" "$work/windows/"
(cd "$work/linux" && ./rovella_tirsa_7162) || fail "the Linux program failed"
(cd "$work/windows" && "$wine_run" "./$(basename "$win_program")") || fail "the Windows program failed"
same_files "$work/linux" "$work/windows" \
  Rovella_Tirsa_7162_note.txt Rovella_Tirsa_7162_rallentamenti.txt Rovella_Tirsa_7162_scheda_treno.txt \
  Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat

mkdir "$work/long"
"$linux/scenario_compile_bench" --write-scenario "$work/long" >/dev/null || fail "no generated scenario"
args=(--line-name Lunga_Linea --train-number 1000)
(cd "$work/long" && "$linux/scenario-compile" "${args[@]}" --out linux long_linea.txt long_treno.txt) ||
  fail "the Linux scenario-compile failed"
cp "$win_compile" "$work/long/"
(cd "$work/long" && "$wine_run" "./$(basename "$win_compile")" "${args[@]}" --out windows long_linea.txt long_treno.txt) ||
  fail "scenario-compile.exe failed"
same_files "$work/long/linux" "$work/long/windows" Lunga_Linea_linea.dat Lunga_Linea_1000.sim Lunga_Linea_1000.dat
echo "passed"
