#!/usr/bin/env bash
# Every input is bounded. Given as a pack's train.txt to scenario-pack check, or as the
# first description of a pair to scenario-compile (native, or the page's engine as node's
# scenario-compile.js), each input below ends the run at once, in one line that names the
# file, with nothing written and at most 64 MB of memory (measured for the native tools of
# a build without sanitizers; node's own is not the engine's). A text of the largest size a
# pack holds, all NUL bytes, shows its first 500 problems and says how many more there are.
#
#   bounded_input_test.sh BUILD EXAMPLES [SCENARIO_COMPILE_JS]
# BUILD holds the native scenario-pack and scenario-compile. Exit status 77: skipped.
set -uo pipefail
build=$1
examples=$2
node_tool=${3:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/bounded_input_test.XXXXXX")
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../driver/testing/script_lib.sh"
[ -x /usr/bin/time ] || skip "/usr/bin/time is missing"
readonly most_kb=$((64 * 1024))
# A sanitizer build keeps shadow memory of its own: its peak says nothing of the tools'.
measure_native=yes
ldd "$build/scenario-compile" 2>/dev/null | grep -q libasan && measure_native=no

# The inputs, made at $f.
nul_20mb() { head -c 20971520 /dev/zero >"$f"; }
sparse_1_5gb() { truncate -s 1536M "$f"; }
fifo() { mkfifo "$f"; }
folder() { mkdir "$f"; }
device() { ln -s /dev/zero "$f"; }
nul_lines() {  # as large as a pack's text can be: 1000 lines of 1024 NUL bytes
  head -c 1024 /dev/zero >"$work/line"
  for _ in $(seq 1000); do cat "$work/line"; echo; done >"$f"
}
# name | function that makes it | what the refusal says | status of the compile tools
inputs=(
  "20 MB of NUL bytes|nul_20mb|bytes, more than a text of a pack can hold|2"
  "a 1.5 GB sparse file|sparse_1_5gb|1610612736 bytes, more than|2"
  "a FIFO|fifo|it is a FIFO (named pipe), not a regular file|2"
  "a folder|folder|it is a folder, not a regular file|2"
  "a device|device|it is a character device, not a regular file|2"
  "1000 lines of 1024 NUL bytes|nul_lines|: error: |3"
)
# name | command, with the input at $f (a pack's train.txt in $p; the line description of a
# pair) | status | whether its memory is measured
tools=(
  "scenario-pack check|\"$build/scenario-pack\" check \"\$p\"|1|$measure_native"
  "scenario-compile|\"$build/scenario-compile\" --line-name L --train-number 7 --out \"\$out\" \"\$f\" \"\$p/line.txt\"||$measure_native"
)
[ -n "$node_tool" ] && tools+=(
  "the page's engine|node \"$node_tool\" --line-name L --train-number 7 --out \"\$out\" \"\$f\" \"\$p/line.txt\"||no")

runs=0
for input in "${inputs[@]}"; do
  IFS='|' read -r label make says compile_status <<<"$input"
  for tool in "${tools[@]}"; do
    IFS='|' read -r name command status measured <<<"$tool"
    status=${status:-$compile_status}
    # A description holds more than a pack's text: those are refused by a bound.
    [[ $name != scenario-pack* ]] && says=${says/a text of a pack/a description}
    export p=$work/pack out=$work/out f=$work/pack/train.txt
    rm -rf "$p" "$out" && cp -r "$examples/first-line" "$p" && rm "$f" && mkdir "$out"
    $make || fail "cannot make $label"
    start=$(date +%s)
    timeout 30 /usr/bin/time -o "$work/peak" -f %M bash -c "$command" >/dev/null 2>"$work/stderr"
    got=$?
    [ $got -eq 124 ] && fail "$name on $label: still running after 30 s"
    [ $got -eq "$status" ] || fail "$name on $label: status $got, not $status"
    grep -qF "$says" "$work/stderr" && grep -q "^$f" "$work/stderr" ||
      fail "$name on $label: no line naming $f that says \"$says\""
    if [[ $label == 1000* && $name == scenario-pack* ]]; then
      grep -q "^$f: note: 1023500 more problems are in this file, not shown" "$work/stderr" ||
        fail "$name on $label: not the first 500 problems and how many more"
    fi
    [ "$(wc -l <"$work/stderr")" -le 520 ] || fail "$name on $label: $(wc -l <"$work/stderr") lines of problems"
    [ -z "$(ls -A "$out")" ] || fail "$name on $label: wrote $(ls -A "$out")"
    peak=$(tail -1 "$work/peak")
    [ "$measured" = no ] || [ "$peak" -lt $most_kb ] || fail "$name on $label: peak $peak KB"
    echo "ok   $name on $label: status $got in $(($(date +%s) - start)) s, peak $peak KB"
    runs=$((runs + 1))
  done
done
echo "PASS: $runs bounded runs"
