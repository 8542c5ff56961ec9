#!/usr/bin/env bash
# Makes the VS Code extension, a .vsix that carries scenario-lsp for Linux and for Windows:
#   scripts/build-vscode.sh [LINUX_SERVER WINDOWS_SERVER [OUT]]
# Without servers given it builds them, build/scenario-lsp (preset default) and
# build-windows/scenario-lsp.exe (preset windows); they go in stripped. The client (editors/vscode/src) is bundled with esbuild, its npm packages
# installed from editors/vscode/package-lock.json (npm ci), and the extension is packaged
# with @vscode/vsce in build-vscode/, then checked (ci/vsix-check.sh). OUT defaults to
# build-vscode/scenario-compactor-<version>.vsix. Works with Debian 12's node 18 and npm 9.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh editor
version=$(sed -n 's/^project(scenario_compactor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
linux=${1:-build/scenario-lsp}
windows=${2:-build-windows/scenario-lsp.exe}
if [ $# -lt 2 ]; then
  scripts/install-deps.sh windows
  for preset in default windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target scenario_lsp
  done
fi
out=${3:-build-vscode/scenario-compactor-$version.vsix}
for server in "$linux" "$windows"; do
  [ -f "$server" ] || { echo "build-vscode: $server is missing (build it first)" >&2; exit 1; }
done
here=$PWD
(cd editors/vscode && { [ -d node_modules ] && [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund; })
bin=$here/editors/vscode/node_modules/.bin
stage=build-vscode/stage
rm -rf "$stage"
mkdir -p "$stage/dist" "$stage/syntaxes" "$stage/server/linux-x64" "$stage/server/win32-x64" "$(dirname "$out")"
cp editors/vscode/{package.json,README.md,LICENSE.txt,language-configuration.json,.vscodeignore} "$stage/"
cp editors/vscode/syntaxes/*.tmLanguage.json "$stage/syntaxes/"
"$bin/esbuild" editors/vscode/src/extension.js --bundle --platform=node --format=cjs --target=node16 \
  --external:vscode --minify --metafile=build-vscode/meta.json --outfile="$stage/dist/extension.js" --log-level=warning
# The extension's version is the project's; the licences of what the bundle holds go beside it.
node - "$stage" "$version" build-vscode/meta.json editors/vscode/node_modules <<'JS'
const fs = require('fs');
const path = require('path');
const [stage, version, meta, modules] = process.argv.slice(2);
const manifest = JSON.parse(fs.readFileSync(path.join(stage, 'package.json'), 'utf8'));
manifest.version = version;
fs.writeFileSync(path.join(stage, 'package.json'), JSON.stringify(manifest, null, 2) + '\n');
const packages = new Set();
for (const input of Object.keys(JSON.parse(fs.readFileSync(meta, 'utf8')).inputs)) {
  const m = input.match(/node_modules\/((?:@[^/]+\/)?[^/]+)\//);
  if (m) packages.add(m[1]);
}
let notices = 'The packages bundled into dist/extension.js, with their licences.\n';
for (const name of [...packages].sort()) {
  const dir = path.join(modules, name);
  const { version: v, license } = JSON.parse(fs.readFileSync(path.join(dir, 'package.json'), 'utf8'));
  const file = fs.readdirSync(dir).find((f) => /^licen[cs]e/i.test(f));
  notices += `\n==== ${name} ${v} (${license})\n\n` + (file ? fs.readFileSync(path.join(dir, file), 'utf8').trim() + '\n' : '');
}
fs.writeFileSync(path.join(stage, 'THIRD-PARTY-NOTICES.txt'), notices);
JS
cp "$linux" "$stage/server/linux-x64/scenario-lsp"
cp "$windows" "$stage/server/win32-x64/scenario-lsp.exe"
strip "$stage/server/linux-x64/scenario-lsp"
x86_64-w64-mingw32-strip "$stage/server/win32-x64/scenario-lsp.exe"
chmod 755 "$stage/server/linux-x64/scenario-lsp"
case $out in /*) target=$out ;; *) target=$here/$out ;; esac
(cd "$stage" && "$bin/vsce" package --no-dependencies --allow-missing-repository --out "$target" >/dev/null)
ci/vsix-check.sh "$out"
echo "$out: $(stat -c %s "$out") bytes"
