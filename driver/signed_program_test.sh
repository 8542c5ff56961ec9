#!/usr/bin/env bash
# An author may sign a pack's Windows program after making it: Authenticode puts its
# certificate table after the payload. The signed program still builds its scenario under
# Wine, with the files of the unsigned one; with one payload byte changed it is refused.
#
#   signed_program_test.sh SCENARIO-PACK.exe RUNNER.exe PACK
#
# Exit status 77 means skipped (no Wine, osslsigncode or openssl).
set -uo pipefail

tool=$1
runner=$2
pack=$3
wine_run="$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/testing/script_lib.sh"

[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || skip "wine64 is not installed"
command -v osslsigncode >/dev/null || skip "osslsigncode is not installed"
command -v openssl >/dev/null || skip "openssl is not installed"
unset DISPLAY

mkdir "$work/plain" "$work/signed" "$work/damaged"
"$wine_run" "$tool" build "$pack" --target windows --runner "$runner" -o "$work/program.exe" ||
  fail "scenario-pack.exe build failed"
# A throw-away certificate, made for this test alone.
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=scenario-compactor test" -days 1 \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null || fail "openssl could not make a certificate"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "test" \
  -in "$work/program.exe" -out "$work/signed/program.exe" >/dev/null || fail "osslsigncode could not sign"
cmp -s "$work/program.exe" "$work/signed/program.exe" && fail "signing changed nothing"
cp "$work/program.exe" "$work/plain/"
(cd "$work/plain" && "$wine_run" ./program.exe) || fail "the unsigned program failed"
(cd "$work/signed" && "$wine_run" ./program.exe) || fail "the signed program failed"
for file in "$work"/plain/*; do
  name=$(basename "$file")
  [ "$name" = program.exe ] && continue
  cmp -s "$file" "$work/signed/$name" || fail "$name differs between the signed and the unsigned program"
  echo "same bytes: $name"
done
[ "$(ls "$work/signed" | wc -l)" -eq 7 ] || fail "the signed program did not leave six files: $(ls "$work/signed")"

# One byte of the payload (just after the runner) changed: refused, nothing written.
cp "$work/signed/program.exe" "$work/damaged/program.exe"
offset=$(($(stat -c %s "$runner") + 40))
printf 'X' | dd of="$work/damaged/program.exe" bs=1 seek="$offset" conv=notrunc status=none
status=0
(cd "$work/damaged" && "$wine_run" ./program.exe 2>"$work/err.txt") || status=$?
[ "$status" -eq 2 ] || fail "the damaged program ended with status $status, not 2"
grep -q "checksum does not match" "$work/err.txt" || fail "no checksum message: $(cat "$work/err.txt")"
[ "$(ls "$work/damaged" | wc -l)" -eq 1 ] || fail "the damaged program wrote files"
echo "signed program runs; damaged one refused: $(cat "$work/err.txt")"
