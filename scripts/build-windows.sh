#!/usr/bin/env bash
# Cross-compiles the program and both tools for Windows with mingw-w64 (the windows preset).
# The .exe files land in build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
cmake --preset windows >/dev/null
cmake --build --preset windows
echo "Windows programs in $(pwd)/build-windows:"
ls -l build-windows/*.exe
