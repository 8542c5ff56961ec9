#!/usr/bin/env bash
# Installs the Debian packages the project needs, when they are missing. This is the one
# list of them, by what needs them:
#   scripts/install-deps.sh build   what configuring and building the program needs
#   scripts/install-deps.sh windows that and the Windows cross build
#   scripts/install-deps.sh         everything: the build, the tests and the benchmarks
# Works as root, and as a user who may use sudo.
set -euo pipefail

# Configuring the project and building the program. Debian's FLTK CMake files refer to
# /usr/bin/fluid, which is in its own package: without it, configuring fails.
build_packages=(
  cmake g++ make
  libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev
  libfltk1.3-dev fluid
)
# The tests, the sanitizer and fuzz builds, and the benchmarks.
test_packages=(
  libbenchmark-dev
  xvfb xdotool x11-utils imagemagick librsvg2-bin fonts-urw-base35
  clang libclang-rt-14-dev
  time
  strace e2fsprogs util-linux
)
# The Windows build (mingw-w64, GoogleTest built from its source) and its suite under Wine.
windows_packages=(
  g++-mingw-w64-x86-64-posix googletest wine64
)

case "${1:-all}" in
  build) packages=("${build_packages[@]}") ;;
  windows) packages=("${build_packages[@]}" "${windows_packages[@]}") ;;
  all) packages=("${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}") ;;
  list) printf '%s\n' "${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}"; exit 0 ;;
  *) echo "usage: $0 [build|windows|all|list]" >&2; exit 2 ;;
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
