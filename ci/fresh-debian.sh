#!/usr/bin/env bash
# The fresh-machine check: on a new minimal Debian 12 root, the README's first commands must
# work from a clean clone of the commit under test, as a new user would run them.
#
#   sudo ci/fresh-debian.sh
#
# It makes the root with mmdebstrap (--variant=apt: apt and nothing else), clones HEAD into
# it with ../shared beside the clone (uncommitted changes to tracked files go along), and
# runs in a chroot:
#   - scripts/build-and-run.sh as a user who may use sudo; the six files must then be in build/;
#   - scripts/test.sh as root;
#   - scripts/build-windows.sh as that user; the six programs must then be in build-windows/;
#   - ctest --preset windows as root: the Windows suite under Wine, with the byte identity of
#     the Windows programs' files against the Linux build's;
#   - scripts/build-studio.sh and ctest --preset wasm as that user: the node command against
#     the native tool, the page in headless Chromium and Firefox;
#   - scripts/release.sh as that user, and then ci/archive-check.sh in a second fresh root
#     that holds only the archives (the VS Code extension among them), Wine and unzip: no
#     source tree, no compiler.
# The root is new each time and removed at the end; nothing is cached between runs. Needs
# root (mmdebstrap, chroot, mounts) and the network to Debian's package mirror.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
shared="$repo/../shared"
commit=$(git -C "$repo" rev-parse HEAD)
suite=bookworm
user=builder

[ "$(id -u)" -eq 0 ] || { echo "fresh-debian: must run as root (mmdebstrap, chroot and mounts)" >&2; exit 2; }
if ! command -v mmdebstrap >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
fi

root=$(mktemp -d "${TMPDIR:-/tmp}/fresh-debian.XXXXXX")
mounted=()
cleanup() {
  local status=$?
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}" || true
  done
  # Remove the root only when nothing is mounted inside it any more.
  if ! grep -q " $root/" /proc/self/mounts; then rm -rf "$root"; else echo "fresh-debian: $root still has mounts; left in place" >&2; fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)
echo "== fresh Debian root ($suite, mmdebstrap --variant=apt) in $root"
mmdebstrap --quiet --variant=apt "$suite" "$root"

# sudo is what "a user who may use sudo" needs; the rest of the root stays as made. The root
# reaches the package registries as this machine does: through its resolver, and trusting
# the certificate authorities this machine adds to Debian's (a network that inspects TLS
# has one); ca-certificates takes them in when it is installed.
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The root comes without /etc/hosts, and so without "localhost", where the browser tests'
# driver is reached.
[ -s "$root/etc/hosts" ] || printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >"$root/etc/hosts"
mkdir -p "$root/usr/local/share/ca-certificates"
cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/" 2>/dev/null || true
for d in proc sys dev; do
  mount --rbind "/$d" "$root/$d"
  mount --make-rslave "$root/$d"
  mounted+=("$root/$d")
done

# node (npm) trusts its own list of authorities unless told of the system's.
in_root() { chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 CI="${CI:-}" \
  NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sudo >/dev/null
in_root useradd --create-home --shell /bin/bash "$user"
echo "$user ALL=(ALL) NOPASSWD:ALL" >"$root/etc/sudoers.d/$user"
chmod 0440 "$root/etc/sudoers.d/$user"

echo "== clean clone of $commit"
mkdir -p "$root/work"
git clone --quiet --no-hardlinks "$repo" "$root/work/main"
git -C "$root/work/main" checkout --quiet --detach "$commit"
# Changes to tracked files that are not committed yet go along, so that a trial change (a
# package taken off the list, say) can be checked before it is committed. CI's clone has none.
if ! git -C "$repo" diff --quiet HEAD; then
  echo "   with the uncommitted changes of the work tree"
  git -C "$repo" diff --binary HEAD | git -C "$root/work/main" apply --whitespace=nowarn
fi
if [ -d "$shared" ]; then cp -r "$shared" "$root/work/shared"; fi
in_root chown -R "$user:$user" /work

as_user() { in_root /usr/sbin/runuser -u "$user" -- /usr/bin/env HOME="/home/$user" "$@"; }

step() {
  local name=$1; shift
  local t0; t0=$(date +%s)
  echo "== $name"
  if ! "$@"; then echo "fresh-debian: FAILED: $name" >&2; return 1; fi
  echo "== $name: passed in $(($(date +%s) - t0)) s"
}

step "scripts/build-and-run.sh (as $user, with sudo)" as_user bash -c 'cd /work/main && scripts/build-and-run.sh'
missing=0
for f in Rovella_Tirsa_7162_note.txt Rovella_Tirsa_7162_rallentamenti.txt Rovella_Tirsa_7162_scheda_treno.txt \
  Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat; do
  [ -s "$root/work/main/build/$f" ] || { echo "fresh-debian: build/$f is missing" >&2; missing=1; }
done
[ "$missing" -eq 0 ] || exit 1
echo "the six files are in build/"

step "scripts/test.sh (as root)" in_root bash -c 'cd /work/main && scripts/test.sh'

step "scripts/build-windows.sh (as $user, with sudo)" as_user bash -c 'cd /work/main && scripts/build-windows.sh'
for f in rovella_tirsa_7162.exe scenario-compile.exe scenario-inspect.exe scenario-pack.exe scenario-lsp.exe \
  scenario-runner-windows.exe; do
  [ -s "$root/work/main/build-windows/$f" ] || { echo "fresh-debian: build-windows/$f is missing" >&2; exit 1; }
done
# The Windows suite under Wine, with the byte identity against the Linux build of test.sh.
step "ctest --preset windows (as root, under Wine)" in_root bash -c 'cd /work/main && ctest --preset windows'

# The page and the node command with Debian's emscripten, node and npm, then the node
# command held to the native tool of test.sh's build, and the page in headless Chromium.
step "scripts/build-studio.sh (as $user, with sudo)" as_user bash -c 'cd /work/main && scripts/build-studio.sh'
# As the user who built the page, as its author would: the build folder stays theirs, and
# the release below builds the page there again.
step "ctest --preset wasm (as $user)" as_user bash -c \
  'cd /work/main && cmake --preset wasm -DCOMPACTOR_LINUX_BUILD=/work/main/build-ci >/dev/null && ctest --preset wasm'
[ -s "$root/work/main/build-wasm/scenario-studio.html" ] || { echo "fresh-debian: build-wasm/scenario-studio.html is missing" >&2; exit 1; }

# The release archives, then the archives alone in a second fresh root: no source tree and
# no compiler, only what a driver's or an author's machine has (and Wine for the .exe files).
step "scripts/release.sh (as $user, with sudo)" as_user bash -c 'cd /work/main && scripts/release.sh'
archive_check() {
  local t0 root2 include=wine64,unzip,libssl3,ca-certificates
  t0=$(date +%s)
  root2=$(mktemp -d "${TMPDIR:-/tmp}/fresh-archives.XXXXXX")
  mmdebstrap --quiet --variant=apt --include="$include" "$suite" "$root2" || return 1
  mkdir -p "$root2/dist"
  cp "$root"/work/main/dist/*.tar.gz "$root"/work/main/dist/*.zip "$root"/work/main/dist/*.deb \
    "$root"/work/main/dist/*.vsix "$repo/ci/archive-check.sh" "$repo/ci/vsix-check.sh" "$root2/dist/"
  mount --rbind /proc "$root2/proc" && mount --make-rslave "$root2/proc"
  local status=0
  chroot "$root2" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    bash /dist/archive-check.sh "/dist/$(basename "$root"/work/main/dist/*.tar.gz)" \
    "/dist/$(basename "$root"/work/main/dist/*.zip)" "/dist/$(basename "$root"/work/main/dist/*.deb)" \
    "/dist/$(basename "$root"/work/main/dist/*.vsix)" || status=$?
  umount -R "$root2/proc" || umount -R -l "$root2/proc" || true
  grep -q " $root2/" /proc/self/mounts || rm -rf "$root2"
  echo "archive check in a second fresh root: $(($(date +%s) - t0)) s"
  return $status
}
step "the archives alone in a fresh root" archive_check

echo "fresh-debian: passed in $(($(date +%s) - started)) s"
