#!/usr/bin/env bash
# Runs a build of the program from a temporary folder of its own (it writes beside itself)
# and checks what a person would see: the progress window and errore's message box in a
# real X server (Xvfb), or the one line on standard error without a display.
#
#   window_test.sh repaint-xvfb    PROBE TOOLKIT ARTEFACT_DIR
#   window_test.sh errore-xvfb     PROGRAM TOOLKIT ARTEFACT_DIR
#   window_test.sh normal-xvfb     PROGRAM TOOLKIT
#   window_test.sh errore-headless PROGRAM no-display|bad-display
#   window_test.sh libraries       PROGRAM TOOLKIT
#
# PROBE shows the window and stops itself; PROGRAM for the errore modes is the test build
# whose line puts a sign board at 0.
# Exit status 77 means skipped (no X server tools, or a build without the window).
set -uo pipefail

mode=$1
program=$2
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

# The program in a folder of its own, so that its files land there.
install_program() {
  mkdir "$work/run"
  cp "$program" "$work/run/"
  run="$work/run/$(basename "$program")"
}

# No compiled file may be written when errore ends the build; the documents are in place.
check_errore_files() {
  local compiled
  compiled=$(cd "$work/run" && ls -- *.dat *.sim 2>/dev/null)
  [ -z "$compiled" ] || fail "compiled files written: $compiled"
  for doc in note rallentamenti scheda_treno; do
    [ -f "$work/run/Rovella_Tirsa_7162_$doc.txt" ] || fail "document $doc missing"
  done
  [ ! -e "$work/run/Rovella_Tirsa_linea.txt" ] || fail "line description left behind"
  [ ! -e "$work/run/Rovella_Tirsa_7162-.txt" ] || fail "train description left behind"
}

need_xvfb() {
  local toolkit=$1
  [ "$toolkit" = "FLTK" ] || skip "the program was built without FLTK: no window to test"
  for tool in Xvfb xdotool xwininfo import identify; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh brings it)"
  done
}

# Starts Xvfb on a display number it chooses itself and sets DISPLAY.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if grep -q '^[0-9]' "$work/display" 2>/dev/null; then
      export DISPLAY=":$(head -n1 "$work/display")"
      return
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$work/xvfb.log" >&2
  fail "Xvfb did not start"
}

# Runs the command every 0.1 s until it succeeds, for at most 60 s.
poll() {
  for _ in $(seq 600); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# The id of the one window whose title is exactly $1, once it is there.
window_id() {
  xdotool search --name "^$1\$" 2>/dev/null | head -n1 | grep .
}

ended() {
  ! kill -0 "$1" 2>/dev/null
}

window_or_end() {
  window_id "$1" >/dev/null || ended "$program_pid"
}

# Waits for the window titled $1 and prints its id; fails at once when the program ends.
wait_window() {
  poll window_or_end "$1"
  window_id "$1"
}

# "Width: 280" and the like, from xwininfo.
window_value() {
  xwininfo -id "$1" | sed -n "s/^ *$2: *//p"
}

# Waits up to 60 s for the program to end and checks its exit status.
expect_status() {
  local status
  poll ended "$program_pid" || fail "the program did not end"
  wait "$program_pid"
  status=$?
  program_pid=""
  [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"
}

# Form1 is mapped with a client area of 280 x 179.
check_form() {
  local size
  size="$(window_value "$1" Width)x$(window_value "$1" Height)"
  [ "$size" = "280x179" ] || fail "Form1 client area is $size"
  [ "$(window_value "$1" "Map State")" = "IsViewable" ] || fail "Form1 is not mapped"
}

# The process is stopped (state T in /proc).
stopped() {
  [ "$(sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)" = "T" ]
}

case "$mode" in
  repaint-xvfb)
    need_xvfb "$3"
    artefacts=$4
    install_program
    start_xvfb
    "$run" 2>"$work/stderr" &
    program_pid=$!
    poll stopped "$program_pid" || fail "the probe did not stop after the repaint"

    form=$(wait_window "Form1") || fail "no window titled Form1"
    check_form "$form"
    mkdir -p "$artefacts"
    import -window "$form" "$artefacts/form1_after_repaint.png" || fail "no picture of Form1"
    # "Attendere" is drawn in the label's rectangle, dark on the light background; above
    # the label the window is plain background.
    label_min=$(identify -format '%[fx:minima]' "$artefacts/form1_after_repaint.png[177x53+64+64]")
    above_min=$(identify -format '%[fx:minima]' "$artefacts/form1_after_repaint.png[280x60+0+0]")
    awk -v l="$label_min" -v a="$above_min" 'BEGIN { exit !(l < 0.3 && a > 0.5) }' ||
      fail "Form1 does not show its label (darkest label pixel $label_min, above it $above_min)"

    kill -CONT "$program_pid"
    expect_status 0
    ;;

  errore-xvfb)
    need_xvfb "$3"
    artefacts=$4
    install_program
    start_xvfb
    "$run" 2>"$work/stderr" &
    program_pid=$!

    box=$(wait_window "$(basename "$program")") || fail "no message box titled $(basename "$program")"
    form=$(wait_window "Form1") || fail "no window titled Form1"
    check_form "$form"
    [ "$(window_value "$box" "Map State")" = "IsViewable" ] || fail "the message box is not mapped"

    mkdir -p "$artefacts"
    import -window root "$artefacts/errore_1250.png" || fail "no screenshot"
    xdotool windowfocus --sync "$box" key Return
    expect_status 1
    check_errore_files
    ;;

  normal-xvfb)
    need_xvfb "$3"
    install_program
    start_xvfb
    "$run" 2>"$work/stderr" &
    program_pid=$!
    expect_status 0
    for name in Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat; do
      [ -f "$work/run/$name" ] || fail "$name not written"
    done
    ;;

  libraries)
    # Which shared objects a run loads, as the dynamic loader tells them. Without a display
    # the run loads no FLTK and no X library; with one, the window module brings them.
    gui='libfltk|libX11|libxcb|libXft|libfontconfig|/proc/self/fd/|window_fltk'
    install_program
    env -u DISPLAY LD_DEBUG=files "$run" 2>"$work/loaded" || fail "the headless run failed"
    grep -q 'file=libc\.so' "$work/loaded" || fail "the loader's report names no library: $(head -3 "$work/loaded")"
    loaded=$(grep -E 'file=' "$work/loaded" | grep -E "$gui")
    [ -z "$loaded" ] || fail "a run without a display loads GUI libraries: $loaded"
    need_xvfb "$3"
    start_xvfb
    LD_DEBUG=files "$run" 2>"$work/loaded" || fail "the run with a display failed"
    grep -q 'file=libX11\.so' "$work/loaded" || fail "a run with a display does not load the window module's libraries"
    ;;

  errore-headless)
    install_program
    case "$3" in
      no-display) unset DISPLAY ;;
      bad-display)
        # A display number that no server of this machine holds.
        for n in $(seq 900 999); do
          [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
        done
        export DISPLAY=":$n"
        ;;
      *) fail "unknown display case $3" ;;
    esac
    "$run" 2>"$work/stderr" &
    program_pid=$!
    expect_status 1
    [ "$(cat "$work/stderr")" = " Errore n. 1250" ] ||
      fail "standard error is not the one line ' Errore n. 1250': '$(cat "$work/stderr")'"
    [ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "the message is not one line"
    check_errore_files
    ;;

  *)
    fail "unknown mode $mode"
    ;;
esac
echo "passed: $mode"
