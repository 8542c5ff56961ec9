#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
set -euo pipefail
packages=(
  cmake g++ make ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libfltk1.3-dev libcli11-dev nlohmann-json3-dev
  xvfb xdotool x11-utils imagemagick librsvg2-bin fonts-urw-base35
  clang libclang-rt-14-dev
  time
  g++-mingw-w64-x86-64-posix wine64 googletest
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
