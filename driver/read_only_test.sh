#!/usr/bin/env bash
# Runs the program from a folder it may not write to, holding the files of an earlier
# build: it must stop with status 2 and one line on standard error naming the first file
# and the system's reason, and leave every earlier file exactly as it was.
#
#   read_only_test.sh PROGRAM
#
# root writes anywhere, so as root the program runs as the user nobody (65534).
# Exit status 77 means skipped (no way to run as another user).
set -uo pipefail

readonly kUnprivileged=65534
readonly first_file=Rovella_Tirsa_linea.txt
readonly earlier_files=(Rovella_Tirsa_linea.txt Rovella_Tirsa_7162-.txt Rovella_Tirsa_7162_note.txt
                        Rovella_Tirsa_7162_rallentamenti.txt Rovella_Tirsa_7162_scheda_treno.txt
                        Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat)
program=$1

# Under /tmp and open to all, so that another user can reach the program.
work=$(mktemp -d /tmp/read_only_test.XXXXXX)
chmod 0755 "$work"
cleanup() {
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/testing/script_lib.sh"

mkdir "$work/run"
run=$(cd "$work/run" && pwd -P)  # the folder as the program finds it
cp "$program" "$run/rovella_tirsa_7162"
chmod 0755 "$run/rovella_tirsa_7162"
for name in "${earlier_files[@]}"; do printf 'old %s\r\n' "$name" >"$run/$name"; done
chmod 0555 "$run"
snapshot() { (cd "$run" && ls -A && sha256sum -- *); }
snapshot >"$work/before"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  if setpriv --reuid=$kUnprivileged --regid=$kUnprivileged --clear-groups true 2>/dev/null; then
    as_user=(setpriv --reuid=$kUnprivileged --regid=$kUnprivileged --clear-groups)
  elif runuser -u nobody -- true 2>/dev/null; then
    as_user=(runuser -u nobody --)
  else
    skip "running as root and neither setpriv nor runuser can drop to an unprivileged user"
  fi
fi
"${as_user[@]}" test -x "$run/rovella_tirsa_7162" || skip "the unprivileged user cannot reach $run"
if "${as_user[@]}" touch "$run/probe" 2>/dev/null; then
  rm -f "$run/probe"
  skip "the folder stays writable at mode 0555 (permissions not enforced here)"
fi

"${as_user[@]}" env -u DISPLAY "$run/rovella_tirsa_7162" >"$work/stdout" 2>"$work/stderr"
status=$?

[ "$status" -eq 2 ] || fail "exit status $status, expected 2"
[ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "expected one line on standard error"
message=$(cat "$work/stderr")
case "$message" in
  "$run/$first_file: "*"Permission denied") ;;
  *) fail "the message does not name $run/$first_file and the reason 'Permission denied'" ;;
esac
[ ! -s "$work/stdout" ] || fail "unexpected standard output: $(cat "$work/stdout")"
snapshot >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the folder changed (files lost, changed or left behind)"
echo "PASS: $message"
