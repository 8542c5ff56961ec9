#!/usr/bin/env bash
# The Windows program under Wine in a real X server (Xvfb): the progress window, errore's
# message box, and the message box of a file failure when no console is attached. Each
# run is from a folder of its own (the program writes beside itself); screenshots are
# kept in ARTEFACT_DIR.
#
#   window_wine_test.sh repaint      PROBE.exe   ARTEFACT_DIR
#   window_wine_test.sh errore       ERRORE.exe  ARTEFACT_DIR
#   window_wine_test.sh file-failure PROGRAM.exe ARTEFACT_DIR
#   window_wine_test.sh normal       PROGRAM.exe ARTEFACT_DIR
#
# Exit status 77 means skipped (no Wine or no X server tools).
set -uo pipefail

mode=$1
program=$2
artefacts=$3
wine_run="$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh"
work=$(mktemp -d)
xvfb_pid=""
program_pid=""

cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/testing/script_lib.sh"

for tool in Xvfb xdotool xwininfo import identify; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh brings it)"
done
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || skip "wine64 is not installed"

mkdir "$work/run"
cp "$program" "$work/run/"
exe=$(basename "$program")
title=${exe%.exe}

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  grep -q '^[0-9]' "$work/display" 2>/dev/null && break
  sleep 0.1
done
grep -q '^[0-9]' "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

poll() {
  for _ in $(seq 900); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
window_id() { xdotool search --name "^$1\$" 2>/dev/null | head -n1 | grep .; }
ended() { ! kill -0 "$program_pid" 2>/dev/null; }
window_or_end() { window_id "$1" >/dev/null || ended; }
wait_window() {
  poll window_or_end "$1"
  window_id "$1"
}
expect_status() {
  local status
  poll ended || fail "the program did not end"
  wait "$program_pid"
  status=$?
  program_pid=""
  [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"
}
# Lets Wine finish drawing before the picture is taken.
settle() { sleep 2; }

mkdir -p "$artefacts"
case "$mode" in
  repaint)
    (cd "$work/run" && exec "$wine_run" "./$exe") 2>"$work/stderr" &
    program_pid=$!
    form=$(wait_window Form1) || fail "no window titled Form1"
    settle
    import -window root "$artefacts/wine_form1_attendere.png" || fail "no screenshot"
    import -window "$form" "$work/form.png" || fail "no picture of Form1"
    # The client area is 280 x 179 inside Wine's frame; "Attendere" puts dark pixels in it.
    width=$(identify -format '%w' "$work/form.png")
    height=$(identify -format '%h' "$work/form.png")
    [ "$width" -ge 280 ] && [ "$height" -ge 179 ] || fail "Form1 is ${width}x${height}"
    label_min=$(identify -format '%[fx:minima]' "$work/form.png[177x53+$((width - 280 + 64))+$((height - 179 + 64))]")
    awk -v l="$label_min" 'BEGIN { exit !(l < 0.3) }' || fail "no dark text where the label is ($label_min)"
    ;;

  errore)
    (cd "$work/run" && exec "$wine_run" "./$exe") 2>"$work/stderr" &
    program_pid=$!
    box=$(wait_window "$title") || fail "no message box titled $title"
    window_id Form1 >/dev/null || fail "no window titled Form1 behind the box"
    settle
    import -window root "$artefacts/wine_errore_1250.png" || fail "no screenshot"
    xdotool windowfocus --sync "$box" key Return
    expect_status 1
    compiled=$(cd "$work/run" && ls -- *.dat *.sim 2>/dev/null)
    [ -z "$compiled" ] || fail "compiled files written: $compiled"
    ;;

  file-failure)
    # A folder where the slot table goes: its rename fails. Started with no standard
    # streams at all, as from the desktop, the program shows the failure in a box.
    mkdir "$work/run/Rovella_Tirsa_7162.sim"
    (cd "$work/run" && exec "$wine_run" "./$exe" <&- >&- 2>&-) &
    program_pid=$!
    box=$(wait_window "$title") || fail "no message box titled $title"
    settle
    import -window root "$artefacts/wine_file_failure.png" || fail "no screenshot"
    xdotool windowfocus --sync "$box" key Return
    expect_status 2
    [ -d "$work/run/Rovella_Tirsa_7162.sim" ] || fail "the folder in the way is gone"
    ;;

  normal)
    (cd "$work/run" && exec "$wine_run" "./$exe") 2>"$work/stderr" &
    program_pid=$!
    expect_status 0
    for name in Rovella_Tirsa_7162_note.txt Rovella_Tirsa_7162_rallentamenti.txt \
      Rovella_Tirsa_7162_scheda_treno.txt Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat; do
      [ -f "$work/run/$name" ] || fail "$name not written"
    done
    [ "$(ls "$work/run" | wc -l)" -eq 7 ] || fail "not six files beside the program: $(ls "$work/run")"
    ;;

  *) fail "unknown mode $mode" ;;
esac
echo "passed: $mode"
