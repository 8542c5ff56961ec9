#!/usr/bin/env bash
# The compiled set changes whole or not at all, whatever happens to a run. Set A is in the
# folder; a run writes set B over it; afterwards (and after the next run's recovery) the
# folder holds A whole or B whole and no temporary, backup, journal or lock file. Beside
# the set lie an author's files whose names look like ours; every mode finds them untouched.
#
#   set_crash_test.sh MODE COMPILE PROGRAM EXAMPLES
#
# MODE:
#   kill        every rename, write, fsync, link and unlink a run makes, counted from one
#               traced run, is made the run's last in turn (strace inject=...:signal=KILL)
#   eio         the same calls fail in turn with EIO: status 2 and set A, or status 0 and B
#   concurrent  two runs into one folder at once, PAIRS times each (25): both succeed, set B after
#   refusals    a folder or an immutable file in the way, a root-owned file in a sticky
#               folder: status 2, set A whole (cases the system cannot make are skipped)
#   stop        SIGTERM or SIGINT (in turn) arrives at each of the same calls: the run ends by
#               that signal; without a journal it leaves nothing of its own (no temporary,
#               backup, description or lock), with one (a switch underway) A or B after recovery
# Each mode covers scenario-compile and the program. Exit status 77: skipped.
set -uo pipefail
mode=$1
compile=$2
program=$3
examples=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/set_crash_test.XXXXXX")
trap 'chattr -i "$work"/*/* 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../driver/testing/script_lib.sh"

readonly calls="rename renameat renameat2 write fsync fdatasync link linkat unlink unlinkat"
command -v strace >/dev/null || skip "strace is not installed"
strace -o /dev/null true 2>/dev/null || skip "strace cannot trace here (no ptrace)"
# The leak checker traces the process itself, which a traced process cannot allow.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# The sanitizer runtime writes to pipes of its own and stops when such a write fails, so in a
# sanitizer build a failed write is not the tools' to handle: there the eio mode leaves
# writes out (the plain build covers them).
sanitized=
ldd "$compile" 2>/dev/null | grep -q libasan && sanitized=1

# The two tools as one interface: set <tool> <folder> writes that tool's set B there.
tool_names() {
  case $1 in
    compile) echo "L_linea.dat L_7.sim L_7.dat" ;;
    program) echo "Rovella_Tirsa_linea.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_7162.dat" ;;
  esac
}
run_b() {  # tool folder [command prefix...]: writes set B into folder
  local tool=$1 dir=$2
  shift 2
  case $tool in
    compile) "$@" "$compile" --line-name L --train-number 7 --out "$dir" "$work/b/line.txt" "$work/b/train.txt" ;;
    program) (cd "$dir" && env -u DISPLAY "$@" ./rovella_tirsa_7162) ;;
  esac
}
recover() { "$compile" --recover --out "$1" >/dev/null 2>"$work/stderr" || fail "recovery of $1 failed"; }

# Set A of each tool (the program's: distinct old bytes), set B from one clean run.
mkdir -p "$work/b" "$work/ref.compile" "$work/ref.program" "$work/a.compile" "$work/a.program"
cp "$examples/valle-dorana/line.txt" "$examples/valle-dorana/train.txt" "$work/b/"
"$compile" --line-name L --train-number 7 --out "$work/a.compile" \
  "$examples/first-line/line.txt" "$examples/first-line/train.txt" >/dev/null 2>&1 || fail "set A"
for name in $(tool_names program); do printf 'old %s\r\n' "$name" >"$work/a.program/$name"; done
cp "$program" "$work/ref.program/rovella_tirsa_7162"
run_b compile "$work/ref.compile" >/dev/null 2>&1 || fail "set B of scenario-compile"
run_b program "$work/ref.program" >/dev/null 2>&1 || fail "set B of the program"
for tool in compile program; do
  for name in $(tool_names $tool); do
    cmp -s "$work/a.$tool/$name" "$work/ref.$tool/$name" && fail "sets A and B share $name"
  done
done

# An author's files that look like a write's temporaries or backups, or like the set's own.
readonly lookalikes=".notes.new-draft .profile.set-old .compactor-notes .P_1.dat.draft .L_7.sim.new-abc123
.Rovella_Tirsa_7162.dat.set-old .L_7.dat.compactor-tmp- .L_7.dat.compactor-tmp-toolong"
lookalike_lines=$(echo $lookalikes | tr ' ' '\n')
fresh() {  # tool folder: set A (and the program) in a new folder, beside the look-alikes
  rm -rf "$2" && mkdir "$2" && cp "$work/a.$1"/* "$2/"
  for name in $lookalikes; do printf 'precious %s\n' "$name" >"$2/$name"; done
  [ "$1" = program ] && cp "$program" "$2/rovella_tirsa_7162"
  return 0
}
# "A", "B" or what else the folder holds.
state() {
  local tool=$1 dir=$2 a=0 b=0 n=0 name other
  for name in $(tool_names "$tool"); do
    n=$((n + 1))
    if cmp -s "$dir/$name" "$work/a.$tool/$name"; then a=$((a + 1))
    elif cmp -s "$dir/$name" "$work/ref.$tool/$name"; then b=$((b + 1)); fi
  done
  for name in $lookalikes; do
    [ "$(cat "$dir/$name" 2>/dev/null)" = "precious $name" ] || { echo "an author's $name was touched"; return; }
  done
  # The descriptions outlive a killed program until its next run; every other way out removes them.
  other=$(cd "$dir" && ls -A | grep -E "^\.${descriptions_too:+|\.txt\$}" |
    grep -vE '_(note|rallentamenti|scheda_treno)\.txt$' | grep -vxF "$lookalike_lines" | tr '\n' ' ')
  if [ -n "$other" ]; then echo "left: $other"
  elif [ $a -eq $n ]; then echo A
  elif [ $b -eq $n ]; then echo B
  else echo "mixed ($a of A, $b of B)"; fi
}

runs=0
descriptions_too=1
[ "$mode" = kill ] && descriptions_too=
case $mode in
  kill | eio)
    for tool in compile program; do
      fresh $tool "$work/t"
      # shellcheck disable=SC2046
      run_b $tool "$work/t" strace -o "$work/trace" -e trace=$(echo $calls | tr ' ' ,) >/dev/null 2>&1
      for call in $calls; do
        [ "$mode" = eio ] && [ -n "$sanitized" ] && [ "$call" = write ] && continue
        count=$(grep -c "^$call(" "$work/trace")
        for n in $(seq "$count"); do
          fresh $tool "$work/t"
          if [ "$mode" = kill ]; then
            run_b $tool "$work/t" strace -o /dev/null -e inject="$call:signal=KILL:when=$n" >/dev/null 2>&1
            recover "$work/t"
            s=$(state $tool "$work/t")
            case $s in A | B) ;; *) fail "$tool killed at $call #$n: $s" ;; esac
          else
            run_b $tool "$work/t" strace -o /dev/null -e inject="$call:error=EIO:when=$n" >/dev/null 2>"$work/stderr"
            status=$?
            # A backup that could not be removed after the switch is named, and goes at the next
            # run, as does a lock file that could not be removed.
            if [ -n "$(cd "$work/t" && ls -A | grep -E '^\.' | grep -vx .compactor-lock | grep -vxF "$lookalike_lines")" ]; then
              grep -q "the next run removes it" "$work/stderr" || fail "$tool with EIO at $call #$n: a file left unreported"
            fi
            recover "$work/t"
            s=$(state $tool "$work/t")
            case "$status:$s" in
              2:A | 0:B) ;;
              *) fail "$tool with EIO at $call #$n: status $status, $s" ;;
            esac
          fi
          runs=$((runs + 1))
        done
      done
    done
    if [ "$mode" = eio ]; then
      # Every rename from the second on fails, the roll-back's own among them: the closing line
      # says the folder is mixed and what mends it, and the recovery puts set A back.
      fresh compile "$work/t"
      run_b compile "$work/t" strace -o /dev/null -e inject=rename:error=EIO:when=2+ >/dev/null 2>"$work/stderr"
      status=$?
      [ $status -eq 2 ] || fail "compile with every rename failing from the second: status $status"
      tail -1 "$work/stderr" | grep -q "are a mix of the earlier and the new set.*scenario-compile --recover --out" ||
        fail "compile with every rename failing from the second: the closing line does not say the folder is mixed"
      recover "$work/t"
      s=$(state compile "$work/t")
      [ "$s" = A ] || fail "compile with every rename failing from the second, then recovered: $s"
      runs=$((runs + 1))
    fi
    echo "PASS: $runs runs, each set whole ($mode)"
    ;;
  stop)
    for tool in compile program; do
      fresh $tool "$work/t"
      # shellcheck disable=SC2046
      run_b $tool "$work/t" strace -o "$work/trace" -e trace=$(echo $calls | tr ' ' ,) >/dev/null 2>&1
      for call in $calls; do
        count=$(grep -c "^$call(" "$work/trace")
        for n in $(seq "$count"); do
          signal=TERM
          [ $((n % 2)) -eq 0 ] && signal=INT
          fresh $tool "$work/t"
          run_b $tool "$work/t" env --default-signal=INT \
            strace -o /dev/null -e inject="$call:signal=$signal:when=$n" >/dev/null 2>"$work/stderr"
          status=$?
          expected=$((128 + $(kill -l $signal)))
          [ $status -eq $expected ] || fail "$tool stopped by SIG$signal at $call #$n: status $status, not $expected"
          if [ ! -e "$work/t/.compactor-journal" ]; then
            s=$(state $tool "$work/t")
            case $s in A | B) ;; *) fail "$tool stopped by SIG$signal at $call #$n: $s" ;; esac
          else
            recover "$work/t"
            s=$(state $tool "$work/t")
            case $s in A | B) ;; *) fail "$tool stopped by SIG$signal at $call #$n, then recovered: $s" ;; esac
          fi
          runs=$((runs + 1))
        done
      done
    done
    echo "PASS: $runs runs stopped by a signal, each set whole and nothing of theirs left"
    ;;
  concurrent)
    for tool in compile program; do
      for i in $(seq "${PAIRS:-25}"); do
        fresh $tool "$work/t"
        run_b $tool "$work/t" >/dev/null 2>"$work/stderr.1" &
        first=$!
        run_b $tool "$work/t" >/dev/null 2>"$work/stderr.2"
        second=$?
        wait $first || fail "$tool pair $i: the first run failed: $(cat "$work/stderr.1")"
        [ $second -eq 0 ] || fail "$tool pair $i: the second run failed: $(cat "$work/stderr.2")"
        s=$(state $tool "$work/t")
        [ "$s" = B ] || fail "$tool pair $i: $s"
        runs=$((runs + 1))
      done
    done
    echo "PASS: $runs concurrent pairs, set B whole after each"
    ;;
  refusals)
    # name of the case | how to make it (in folder $d, on file $f of the set)
    cases=(
      "a folder in place of the slot table|rm \"\$f\" && mkdir \"\$f\""
      "an immutable section array|chattr +i \"\$f\""
      "a root-owned slot table in a sticky folder|chown 0:0 \"\$f\" && chmod 1777 \"\$d\""
    )
    as_user=()
    for c in "${cases[@]}"; do
      label=${c%%|*}
      make=${c#*|}
      for tool in compile program; do
        fresh $tool "$work/t"
        d=$work/t
        f=$d/$(tool_names $tool | cut -d' ' -f2)
        case $label in *immutable*) f=$d/$(tool_names $tool | cut -d' ' -f3) ;; esac
        as_user=()
        if [[ $label == *sticky* ]]; then
          [ "$(id -u)" -eq 0 ] || { echo "skipped: $label (needs root to set up)"; continue; }
          chmod 0755 "$work"
          as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        fi
        if ! eval "$make" 2>/dev/null; then echo "skipped: $label (not possible here)"; continue; fi
        [ ${#as_user[@]} -gt 0 ] && chown -R 65534:65534 "$d" && chown 0:0 "$d" "$f" && chmod 1777 "$d"
        run_b $tool "$d" "${as_user[@]}" >/dev/null 2>"$work/stderr"
        status=$?
        chattr -i "$f" 2>/dev/null
        [ -d "$f" ] && rmdir "$f" && cp "$work/a.$tool/$(basename "$f")" "$f"
        s=$(state $tool "$d")
        [ "$status:$s" = 2:A ] || fail "$tool, $label: status $status, $s"
        grep -q "$(basename "$f")" "$work/stderr" || fail "$tool, $label: the message does not name the file"
        runs=$((runs + 1))
      done
    done
    echo "PASS: $runs refusals, set A whole after each"
    ;;
  *) fail "unknown mode $mode" ;;
esac
