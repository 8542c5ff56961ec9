#!/usr/bin/env bash
# Makes the program for a scenario pack and prints where it landed.
#
#   scripts/build-pack.sh PACK [--windows]
#
# PACK is a pack folder (scenario.json, line.txt, train.txt, scheda_treno.txt,
# rallentamenti.txt, note.txt). The build's scenario-pack checks the pack and appends it
# to the build's runner (both are built first when they are not built yet): the same bytes
# as scenario-pack build. A pack with a fault, a warning it does not accept, a character
# without a Windows-1252 byte, a text too long for the line table or a name that cannot
# name files makes no program; the problems are named by file, line and column. With
# --windows the program is the Windows one (<line>_<train>.exe), from the Windows build.
set -euo pipefail

usage() {
  echo "usage: scripts/build-pack.sh PACK [--windows]" >&2
  exit 2
}

pack=""
preset=default
for arg in "$@"; do
  case "$arg" in
    --windows) preset=windows ;;
    -h | --help)
      sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    -*) usage ;;
    *)
      [ -z "$pack" ] || usage
      pack="$arg"
      ;;
  esac
done
[ -n "$pack" ] || usage
if [ ! -f "$pack/scenario.json" ]; then
  echo "build-pack: $pack: no scenario.json there; a pack is a folder with scenario.json" >&2
  exit 2
fi
pack="$(cd "$pack" && pwd)"
cd "$(dirname "$0")/.."

case "$preset" in
  default) build_dir=build ;;
  windows) build_dir=build-windows ;;
esac
if ! cmake --list-presets 2>/dev/null | grep -q "\"$preset\""; then
  echo "build-pack: this checkout has no '$preset' configure preset" >&2
  exit 2
fi
cmake --preset "$preset" -DSCENARIO_PACK="$pack" >/dev/null
cmake --build --preset "$preset" --target scenario_pack_program
# The build names the program after scenario.json and says where it put it.
program="$(cat "$build_dir/pack/program-path.txt")"
echo "Program for $(basename "$pack"): $program"
echo "Copy it into a folder of its own and start it there: it writes its six files beside itself."
