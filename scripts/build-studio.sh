#!/usr/bin/env bash
# Builds build-wasm/scenario-studio.html: one page that holds the engine (WebAssembly), the
# editor's script, its styles and the example packs, and loads from file:// with no network.
#   scripts/build-studio.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's emscripten finds its JavaScript optimiser's acorn there when node is not Debian's.
export NODE_PATH=/usr/share/nodejs
scripts/install-deps.sh wasm
cmake --preset wasm >/dev/null
cmake --build --preset wasm --target scenario_studio_core scenario_compile
(cd web && { [ -d node_modules ] && [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund; })
web/node_modules/.bin/esbuild web/src/main.js --bundle --minify --format=iife --target=es2020 \
  --outfile=build-wasm/studio.bundle.js --log-level=warning
node web/inline.mjs web/studio.html web/studio.css build-wasm/scenario-studio-core.js \
  build-wasm/studio.bundle.js examples docs build-wasm/scenario-studio.html
echo "build-wasm/scenario-studio.html: $(stat -c %s build-wasm/scenario-studio.html) bytes"
