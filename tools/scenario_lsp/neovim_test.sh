#!/usr/bin/env bash
# Neovim from Debian (0.7.2) as a real client of scenario-lsp: a copy of an example pack with
# a misspelt keyword in train.txt, opened headless; it must see the warning and its "did you
# mean", a hover with the signal's chainage, and the server end with status 0.
#   neovim_test.sh SCENARIO_LSP PACK_DIR [ARTIFACT_DIR]
# What Neovim saw is printed (and kept in ARTIFACT_DIR/neovim.txt when given). Exit status 77
# when nvim is not installed.
set -euo pipefail
server=$1
pack=$2
artifacts=${3:-}
command -v nvim >/dev/null || { echo "nvim is not installed (scripts/install-deps.sh brings neovim)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$pack" "$work/pack"
sed -i 's/^stazione,    9000/stazone,    9000/' "$work/pack/train.txt"
grep -q '^stazone' "$work/pack/train.txt" || { echo "neovim_test: the pack has no station at 9000 m to misspell" >&2; exit 1; }
# The server speaks the language of the locale: English here, as the checks below read it.
export SCENARIO_LSP=$server TRAIN_FILE=$work/pack/train.txt NVIM_OUT=$work/seen.txt LC_ALL=C.UTF-8
HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state \
  timeout 60 nvim --headless --clean -n -c "luafile $(dirname "$0")/neovim_test.lua" </dev/null >/dev/null 2>&1 || true
[ -s "$work/seen.txt" ] || { echo "neovim_test: Neovim wrote nothing" >&2; exit 1; }
echo "What Neovim $(nvim --version | head -1 | cut -d' ' -f2) saw:"
cat "$work/seen.txt"
[ -n "$artifacts" ] && mkdir -p "$artifacts" && cp "$work/seen.txt" "$artifacts/neovim.txt"
fail() { echo "neovim_test: FAILED: $*" >&2; exit 1; }
grep -q "^diagnostic 14:1 warning unknown-keyword: unknown keyword 'stazone'; did you mean 'stazione'?" "$work/seen.txt" ||
  fail "no warning for the misspelt keyword at 14:1"
grep -q '^hover .*segnale, field 1 of 11: posizione.*chainage km ' "$work/seen.txt" || fail "no hover with the chainage"
grep -q '^server exit 0$' "$work/seen.txt" || fail "the server did not end with status 0"
echo "neovim_test: passed"
