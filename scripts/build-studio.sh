#!/usr/bin/env bash
# Builds build-wasm/scenario-studio.html: one page that holds the engine (WebAssembly), the
# editor's script, its styles, the example packs and the runners, and loads from file://
# with no network.
#   scripts/build-studio.sh [RUNNERS_DIR]
# The page makes drivers' programs from the runners in RUNNERS_DIR (scenario-runner-windows.exe,
# scenario-runner-linux) as they stand; by default from stripped copies, in
# build-wasm/runners/, of the runners that scripts/build-windows.sh and scripts/build-and-run.sh
# built. A runner that is not there is left out, and the page says so when asked for it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's emscripten finds its JavaScript optimiser's acorn there when node is not Debian's.
export NODE_PATH=/usr/share/nodejs
scripts/install-deps.sh wasm
# The stripped Windows programs and the .deb's files carry a time stamp: the last commit's,
# so that stripping the same program twice gives the same bytes; where git is missing (a
# fresh system, an unpacked source archive), the time of CMakeLists.txt, never 1970.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)}
cmake --preset wasm >/dev/null
cmake --build --preset wasm --target scenario_studio_core scenario_compile
runners=${1:-}
if [ -z "$runners" ]; then
  runners=build-wasm/runners
  rm -rf "$runners"
  mkdir -p "$runners"
  if [ -f build/scenario-runner-linux ]; then
    strip -o "$runners/scenario-runner-linux" build/scenario-runner-linux
  else
    echo "build-studio: no build/scenario-runner-linux (scripts/build-and-run.sh builds it): the page makes no Linux program"
  fi
  if [ -f build-windows/scenario-runner-windows.exe ] && command -v x86_64-w64-mingw32-strip >/dev/null; then
    x86_64-w64-mingw32-strip -o "$runners/scenario-runner-windows.exe" build-windows/scenario-runner-windows.exe
  else
    echo "build-studio: no build-windows/scenario-runner-windows.exe (scripts/build-windows.sh builds it): the page makes no Windows program"
  fi
fi
(cd web && { [ -d node_modules ] && [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund; })
web/node_modules/.bin/esbuild web/src/main.js --bundle --minify --format=iife --target=es2020 \
  --outfile=build-wasm/studio.bundle.js --log-level=warning
# The engine's thread: started by the page from its text.
web/node_modules/.bin/esbuild web/src/worker.js --bundle --minify --format=iife --target=es2020 \
  --outfile=build-wasm/studio.worker.js --log-level=warning
node web/inline.mjs web/studio.html web/studio.css build-wasm/scenario-studio-core.js build-wasm/studio.worker.js \
  build-wasm/studio.bundle.js examples docs "$runners" build-wasm/scenario-studio.html
echo "build-wasm/scenario-studio.html: $(stat -c %s build-wasm/scenario-studio.html) bytes"
