#!/usr/bin/env bash
# The release archives alone: run in a fresh Debian 12 root that has no source tree and no
# compiler, only Wine and unzip (ci/fresh-debian.sh makes it).
#
#   archive-check.sh LINUX.tar.gz WINDOWS.zip [PACKAGE.deb [EXTENSION.vsix]]
#
# With the Linux archive's scenario-pack it makes an example pack's programs for both
# systems, runs the Linux one and the Windows one under Wine, and compares their six files
# with scenario-compile --pack and the pack's documents, byte for byte. With the Windows
# zip alone, scenario-pack.exe build under Wine makes the .exe, and it runs. A program with
# one payload byte changed is refused and writes nothing. Both archives carry the same
# page, and the runners inside it are the archives' own. The .deb is installed as a user
# installs it (apt-get install ./...deb); its scenario-pack, from the PATH, makes the pack's
# program from the runner the package put in /usr/lib/scenario-compactor, and that program
# and the built-in scenario's, copied into folders of their own, write their six files. Both
# archives' scenario-lsp answer (the Windows one under Wine), and so does the .deb's from the
# PATH; the VS Code extension is checked by vsix-check.sh beside this script.
set -euo pipefail
linux_archive=$1
windows_archive=$2
deb=${3:-}
vsix=${4:-}
work=$(mktemp -d)
trap '/usr/lib/wine/wineserver64 -w 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "archive-check: FAILED: $*" >&2; exit 1; }
if command -v c++ g++ gcc cc >/dev/null 2>&1; then fail "this root has a compiler"; fi

mkdir "$work/linux" "$work/windows"
tar -xzf "$linux_archive" -C "$work/linux"
unzip -q "$windows_archive" -d "$work/windows"
lin=$(echo "$work"/linux/*)
win=$(echo "$work"/windows/*)
pack=$lin/examples/first-line
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$work/wineprefix"
unset DISPLAY
wine64() { /usr/lib/wine/wine64 "$@"; }
wine64 wineboot --init >/dev/null 2>&1 || true
/usr/lib/wine/wineserver64 -w || true

if ldd "$lin/scenario-runner-linux" | grep libfltk; then
  echo "archive-check: the Linux runner needs libfltk" >&2
  exit 1
fi
"$lin/scenario-pack" check "$pack"
# The language server of each archive: its version, and a whole session with status 0.
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
lsp_session() {
  frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
  frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  frame '{"jsonrpc":"2.0","method":"exit"}'
}
# (The answer is kept whole before grep reads it: grep -q ending early would cut the pipe.)
answer=$(lsp_session | "$lin/scenario-lsp") || fail "the Linux archive's scenario-lsp ended with status $?"
grep -q '"serverInfo"' <<<"$answer" || fail "the Linux archive's scenario-lsp does not answer"
[ "$(wine64 "$win/scenario-lsp.exe" --version | tr -d '\r')" = "$("$lin/scenario-lsp" --version)" ] ||
  fail "the Windows archive's scenario-lsp.exe does not answer --version as the Linux one"
echo "both archives' scenario-lsp answer"
page=$lin/scenario-studio.html
[ -s "$page" ] || fail "the Linux archive has no scenario-studio.html"
cmp -s "$page" "$win/scenario-studio.html" || fail "the archives carry different pages"
for runner in windows:scenario-runner-windows.exe linux:scenario-runner-linux; do
  # Each runner stands in base64 as the data of its own script element, runner-<target>.
  grep -o "id=\"runner-${runner%%:*}\">[A-Za-z0-9+/=]*<" "$page" | cut -d'>' -f2 | tr -d '<' |
    base64 -d >"$work/page-runner" || fail "the page carries no ${runner%%:*} runner"
  cmp -s "$work/page-runner" "$lin/${runner#*:}" || fail "the page's ${runner%%:*} runner is not the archive's"
done
echo "the page in both archives carries the archives' runners"
mkdir "$work/run-linux" "$work/run-windows" "$work/run-zip" "$work/compiled" "$work/damaged"
"$lin/scenario-pack" build "$pack" --target linux -o "$work/run-linux/Prima_Linea_101"
"$lin/scenario-pack" build "$pack" --target windows -o "$work/run-windows/Prima_Linea_101.exe"
(cd "$work/run-linux" && ./Prima_Linea_101) || fail "the Linux program failed"
(cd "$work/run-windows" && wine64 ./Prima_Linea_101.exe) || fail "the Windows program failed under Wine"
# With the Windows zip alone: its scenario-pack.exe makes the .exe, with its own runner.
cp -r "$win/examples/first-line" "$work/run-zip/pack"
(cd "$work/run-zip" && wine64 "$win/scenario-pack.exe" build pack --target windows) ||
  fail "scenario-pack.exe build failed under Wine"
rm -r "$work/run-zip/pack"
(cd "$work/run-zip" && wine64 ./Prima_Linea_101.exe) || fail "the .exe made under Wine failed"

"$lin/scenario-compile" --pack "$pack" --out "$work/compiled"
for doc in note rallentamenti scheda_treno; do
  # The pack's document as the program writes it: Windows-1252, CR LF.
  iconv -f utf-8 -t cp1252 "$pack/$doc.txt" | sed 's/$/\r/' >"$work/compiled/Prima_Linea_101_$doc.txt"
done
[ "$(ls "$work/compiled" | wc -l)" -eq 6 ] || fail "expected six files: $(ls "$work/compiled")"
for file in "$work"/compiled/*; do
  name=$(basename "$file")
  for run in run-linux run-windows run-zip; do
    cmp -s "$file" "$work/$run/$name" || fail "$run/$name differs from what the pack gives"
  done
  echo "same bytes in all three runs: $name"
done

# One payload byte changed: refused with status 2, nothing written.
cp "$work/run-linux/Prima_Linea_101" "$work/damaged/"
offset=$(($(stat -c %s "$lin/scenario-runner-linux") + 40))
printf 'X' | dd of="$work/damaged/Prima_Linea_101" bs=1 seek="$offset" conv=notrunc status=none
status=0
(cd "$work/damaged" && ./Prima_Linea_101) || status=$?
[ "$status" -eq 2 ] || fail "the damaged program ended with status $status"
[ "$(ls "$work/damaged" | wc -l)" -eq 1 ] || fail "the damaged program wrote files"
if [ -n "$deb" ]; then
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null ||
    fail "apt-get cannot install $deb"
  if command -v c++ g++ gcc cc >/dev/null 2>&1; then fail "installing the .deb brought a compiler"; fi
  [ "$(command -v scenario-pack)" = /usr/bin/scenario-pack ] || fail "scenario-pack is not on the PATH"
  [ ! -e /usr/bin/rovella_tirsa_7162 ] || fail "the built-in scenario's program is on the PATH"
  answer=$(lsp_session | scenario-lsp) || fail "the installed scenario-lsp ended with status $?"
  grep -q '"serverInfo"' <<<"$answer" || fail "the installed scenario-lsp does not answer"
  for tool in scenario-compile scenario-inspect scenario-pack scenario-lsp; do
    [ -s "/usr/share/man/man1/$tool.1.gz" ] || fail "$tool has no manual page"
  done
  mkdir "$work/run-deb" "$work/run-builtin"
  scenario-pack build "$pack" --target linux -o "$work/run-deb/Prima_Linea_101" || fail "the installed scenario-pack failed"
  (cd "$work/run-deb" && ./Prima_Linea_101) || fail "the program the installed scenario-pack made failed"
  for file in "$work"/compiled/*; do
    cmp -s "$file" "$work/run-deb/$(basename "$file")" || fail "run-deb/$(basename "$file") differs"
  done
  cp /usr/lib/scenario-compactor/rovella_tirsa_7162 "$work/run-builtin/"
  (cd "$work/run-builtin" && ./rovella_tirsa_7162) || fail "the installed built-in scenario's program failed"
  [ "$(ls "$work/run-builtin" | wc -l)" -eq 7 ] || fail "the built-in scenario's program left $(ls "$work/run-builtin")"
  echo "the .deb installs with apt-get; its tools run from the PATH, its programs from a folder of their own"
fi
if [ -n "$vsix" ]; then
  bash "$(dirname "$0")/vsix-check.sh" "$vsix" || fail "the VS Code extension"
fi
echo "archive-check: passed"
