#!/usr/bin/env bash
# Installs the Debian packages the project needs, when they are missing. This is the one
# list of them, by what needs them:
#   scripts/install-deps.sh build   what configuring and building the program needs
#   scripts/install-deps.sh windows that and the Windows cross build
#   scripts/install-deps.sh release that and what making the release archives needs
#   scripts/install-deps.sh         everything: the build, the tests and the benchmarks
# Works as root, and as a user who may use sudo.
set -euo pipefail

# Configuring the project and building the program (libssl-dev: the SHA-256 of a pack
# program's payload, from libcrypto). Debian's FLTK CMake files refer to
# /usr/bin/fluid, which is in its own package: without it, configuring fails.
build_packages=(
  cmake g++ make
  libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev libssl-dev
  libfltk1.3-dev fluid
)
# The tests, the sanitizer and fuzz builds, and the benchmarks.
test_packages=(
  libbenchmark-dev
  xvfb xdotool x11-utils imagemagick librsvg2-bin fonts-urw-base35
  clang libclang-rt-14-dev
  time
)
# The Windows build (mingw-w64, GoogleTest built from its source) and its suite under Wine
# (osslsigncode and openssl sign a program with a throw-away certificate).
windows_packages=(
  g++-mingw-w64-x86-64-posix googletest wine64 osslsigncode openssl
)

# Making the release archives (scripts/release.sh): zip, and dpkg-shlibdeps for the .deb.
release_packages=(
  zip dpkg-dev
)

case "${1:-all}" in
  build) packages=("${build_packages[@]}") ;;
  windows) packages=("${build_packages[@]}" "${windows_packages[@]}") ;;
  release) packages=("${build_packages[@]}" "${windows_packages[@]}" "${release_packages[@]}") ;;
  all) packages=("${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}" "${release_packages[@]}") ;;
  list) printf '%s\n' "${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}" "${release_packages[@]}"; exit 0 ;;
  *) echo "usage: $0 [build|windows|release|all|list]" >&2; exit 2 ;;
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
