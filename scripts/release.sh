#!/usr/bin/env bash
# Makes the release archives in dist/:
#   scenario-compactor-<version>-windows-x64.zip      static, stripped .exe files
#   scenario-compactor-<version>-linux-x86_64.tar.gz  stripped Linux programs
#   scenario-compactor-<version>.vsix                 the VS Code extension, with scenario-lsp for
#                                                     Linux and for Windows (scripts/build-vscode.sh)
#   scenario-compactor_<version>_amd64.deb            the Linux programs, made by CPack: the tools
#                                                     in /usr/bin, the runners and the built-in
#                                                     scenario's program in /usr/lib/scenario-compactor,
#                                                     manual pages, copyright, changelog, a desktop
#                                                     entry for the page; lintian finds no error
# Each holds scenario-compile, scenario-inspect, scenario-pack, scenario-lsp, both runners,
# rovella_tirsa_7162, the page scenario-studio.html (it carries the same two runners),
# docs/, examples/ and AUTHORS.txt. The version is the project's, from
# CMakeLists.txt. Builds the programs (no tests) in build/ and build-windows/, then prints
# each archive's size.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh release
# The stripped Windows programs and the .deb's files carry a time stamp: the last commit's,
# so that stripping the same program twice gives the same bytes; where git is missing (a
# fresh system, an unpacked source archive), the time of CMakeLists.txt, never 1970.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)}

version=$(sed -n 's/^project(scenario_compactor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
targets=(scenario_compile scenario_inspect scenario_pack scenario_lsp scenario_runner rovella_tirsa_7162)

# The builds of the presets default (build/) and windows (build-windows/), the ones the
# README's commands make: after them only the programs that are not built yet are built.
cmake --preset windows >/dev/null
cmake --build --preset windows --target "${targets[@]}"
# The .deb takes the stripped Windows runner from the staged zip's folder.
cmake --preset default -DCOMPACTOR_WINDOWS_RUNNER="$PWD/dist/stage/scenario-compactor-$version-windows-x64/scenario-runner-windows.exe" \
  -DCOMPACTOR_STUDIO_PAGE="$PWD/build-wasm/scenario-studio.html" >/dev/null
cmake --build --preset default --target "${targets[@]}" debian_files

rm -rf dist
mkdir -p dist/stage
stage() {  # stage NAME SUFFIX STRIP BUILD: a folder with the programs of one system
  local dir=dist/stage/$1 suffix=$2 strip=$3 build=$4
  mkdir -p "$dir"
  for program in scenario-compile scenario-inspect scenario-pack scenario-lsp rovella_tirsa_7162; do
    cp "$build/$program$suffix" "$dir/"
    "$strip" "$dir/$program$suffix"
  done
  cp build/scenario-runner-linux build-windows/scenario-runner-windows.exe "$dir/"
  strip "$dir/scenario-runner-linux"
  x86_64-w64-mingw32-strip "$dir/scenario-runner-windows.exe"
  mkdir "$dir/docs"
  cp docs/*.md "$dir/docs/"
  cp -r examples "$dir/"
  find "$dir/examples" \( -name CMakeLists.txt -o -name '*_test.cpp' \) -delete
  cp scripts/release/AUTHORS.txt "$dir/"
}
linux=scenario-compactor-$version-linux-x86_64
windows=scenario-compactor-$version-windows-x64
stage "$linux" "" strip build
stage "$windows" .exe x86_64-w64-mingw32-strip build-windows
# The page, with the very runners the archives carry.
scripts/build-studio.sh "dist/stage/$windows"
cp build-wasm/scenario-studio.html "dist/stage/$linux/"
cp build-wasm/scenario-studio.html "dist/stage/$windows/"
(cd dist/stage && tar -czf "../$linux.tar.gz" --owner=0 --group=0 "$linux")
(cd dist/stage && zip -qr -X "../$windows.zip" "$windows")
# The VS Code extension, with the two servers the archives carry.
scripts/build-vscode.sh build/scenario-lsp build-windows/scenario-lsp.exe "dist/scenario-compactor-$version.vsix"
(cd build && cpack -G DEB -B "$PWD/../dist/cpack" >/dev/null)
mv dist/cpack/*.deb dist/
rm -rf dist/stage dist/cpack
# The .deb as Debian expects it: lintian finds no error (its warnings are printed).
lintian --fail-on error --no-tag-display-limit dist/*.deb | sed 's/^/release: lintian: /'
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "release: lintian finds errors in the .deb (above)" >&2; exit 1; }

# The Linux programs must need no library a Debian 12 desktop lacks: FLTK is linked into
# the window module they carry, so ldd must not list it.
if ldd build/rovella_tirsa_7162 build/scenario-runner-linux | grep libfltk; then
  echo "release: the Linux programs need libfltk (ldd lists it above)" >&2
  exit 1
fi
dpkg-deb -f dist/*.deb Depends | sed 's/^/release: the .deb depends on: /'
for f in dist/*; do
  printf '%s %s bytes\n' "$f" "$(stat -c %s "$f")"
done
