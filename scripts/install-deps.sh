#!/usr/bin/env bash
# Installs the Debian packages the project needs, when they are missing. This is the one
# list of them, by what needs them:
#   scripts/install-deps.sh build   what configuring and building the program needs
#   scripts/install-deps.sh windows that and the Windows cross build
#   scripts/install-deps.sh wasm    that and the WebAssembly build with the page (and its browser tests)
#   scripts/install-deps.sh editor  node and npm for the VS Code extension, strip for its Windows server, unzip to check it
#   scripts/install-deps.sh release all four, and what making the release archives needs
#   scripts/install-deps.sh         the build, the tests, the benchmarks and the Windows build
# Works as root, and as a user who may use sudo.
set -euo pipefail

# Configuring the project and building the program (libssl-dev: the SHA-256 of a pack
# program's payload, from libcrypto). Debian's FLTK CMake files refer to
# /usr/bin/fluid, which is in its own package: without it, configuring fails.
build_packages=(
  cmake g++ make
  libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libfast-float-dev libssl-dev
  libfltk1.3-dev fluid
)
# The tests, the sanitizer and fuzz builds, and the benchmarks.
test_packages=(
  libbenchmark-dev
  xvfb xdotool x11-utils imagemagick librsvg2-bin fonts-urw-base35
  clang libclang-rt-14-dev
  time hyperfine
  strace e2fsprogs util-linux
  neovim
)
# The Windows build (mingw-w64, GoogleTest built from its source) and its suite under Wine
# (osslsigncode and openssl sign a program with a throw-away certificate).
windows_packages=(
  g++-mingw-w64-x86-64-posix googletest wine64 osslsigncode openssl
)

# Making the release archives (scripts/release.sh): zip, and dpkg-shlibdeps and file for
# the .deb (CPack's DEB generator stops without file), help2man for its manual pages and
# lintian, which checks it.
release_packages=(
  zip dpkg-dev file help2man lintian
)

# The WebAssembly build (emscripten, node and npm for the page's packages) and the page's
# tests in headless Chromium through Selenium, and in headless Firefox through its own
# remote protocol (python3-websockets speaks it).
wasm_packages=(
  emscripten googletest chromium chromium-driver python3-selenium firefox-esr python3-websockets
)
# The VS Code extension (scripts/build-vscode.sh): npm installs its client's packages, esbuild
# bundles them and vsce packages it with the servers (the Windows one stripped by mingw-w64's
# binutils); unzip unpacks the .vsix to check it.
editor_packages=(
  unzip binutils-mingw-w64-x86-64
)
# Debian's node and npm, unless a node with its npm is there already.
if ! command -v npm >/dev/null 2>&1; then
  wasm_packages+=(nodejs npm)
  editor_packages+=(nodejs npm)
fi

case "${1:-all}" in
  build) packages=("${build_packages[@]}") ;;
  windows) packages=("${build_packages[@]}" "${windows_packages[@]}") ;;
  wasm) packages=("${build_packages[@]}" "${wasm_packages[@]}") ;;
  editor) packages=("${editor_packages[@]}") ;;
  release) packages=("${build_packages[@]}" "${windows_packages[@]}" "${wasm_packages[@]}" "${editor_packages[@]}" "${release_packages[@]}") ;;
  all) packages=("${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}" "${release_packages[@]}") ;;
  list) printf '%s\n' "${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}" "${release_packages[@]}" "${wasm_packages[@]}" "${editor_packages[@]}"; exit 0 ;;
  *) echo "usage: $0 [build|windows|wasm|editor|release|all|list]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
SUDO=()
[ "$(id -u)" -eq 0 ] || SUDO=(sudo)
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
