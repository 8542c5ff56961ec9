#!/usr/bin/env bash
# Builds the program (nothing else: no tests, no tools) with the default preset and runs it
# once. The six files land beside the executable, in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default --target rovella_tirsa_7162
build/rovella_tirsa_7162
echo "Files written in $(pwd)/build:"
ls -l build/Rovella_Tirsa_*
