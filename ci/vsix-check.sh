#!/usr/bin/env bash
# The VS Code extension as a user gets it: the .vsix unpacked, its manifest and both servers.
#   vsix-check.sh EXTENSION.vsix
# The manifest gives the three languages (the pack's names, the program's names, "[generale]"
# on the first line), their grammars, Windows-1252 as their encoding and the setting that
# names another server; the bundle holds the client; the Linux server answers --version with
# the extension's version and a whole session (initialize, shutdown, exit) with status 0; the
# Windows server is a Windows program, and answers --version under Wine where Wine is.
# Needs bash, unzip and grep only: it runs in the root that checks the archives alone.
set -euo pipefail
vsix=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "vsix-check: FAILED: $*" >&2; exit 1; }
unzip -q "$vsix" -d "$work" || fail "$vsix is not a zip"
x=$work/extension
[ -s "$work/extension.vsixmanifest" ] || fail "no extension.vsixmanifest"
m=$x/package.json
[ -s "$m" ] || fail "no extension/package.json"
for item in '"id": "scenario-line"' '"id": "scenario-train"' '"id": "scenario-description"' '"line.txt"' \
  '"train.txt"' '"*_linea.txt"' '"*_*-.txt"' '"firstLine": "^ *\\[[Gg][Ee][Nn][Ee][Rr][Aa][Ll][Ee]\\]"' \
  '"files.encoding": "windows1252"' '"scenarioCompactor.server.path"' '"main": "./dist/extension.js"' \
  '"lineComment": "--"'; do
  grep -qF -- "$item" "$m" "$x/language-configuration.json" || fail "the manifest lacks $item"
done
for f in syntaxes/scenario-line.tmLanguage.json syntaxes/scenario-train.tmLanguage.json \
  syntaxes/scenario-description.tmLanguage.json dist/extension.js LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  [ -s "$x/$f" ] || fail "no $f"
done
grep -q 'vscode-languageclient' "$x/THIRD-PARTY-NOTICES.txt" || fail "the notices do not name vscode-languageclient"
[ ! -e "$x/node_modules" ] || fail "the .vsix carries node_modules: the client is to be bundled"
version=$(sed -n 's/^  "version": "\(.*\)",$/\1/p' "$m")
[ -n "$version" ] || fail "the manifest has no version"

linux=$x/server/linux-x64/scenario-lsp
windows=$x/server/win32-x64/scenario-lsp.exe
[ "$(head -c 4 "$linux" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "the Linux server is not an ELF program"
[ "$(head -c 2 "$windows")" = MZ ] || fail "the Windows server is not a Windows program"
chmod +x "$linux"  # where unzip kept no mode, as the client does
[ "$("$linux" --version)" = "scenario-lsp $version" ] || fail "the Linux server is not version $version"
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
session=$( (frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
  frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  frame '{"jsonrpc":"2.0","method":"exit"}') | "$linux") || fail "the Linux server ended with status $? after shutdown and exit"
grep -q '"serverInfo":{"name":"scenario-lsp"' <<<"$session" || fail "the Linux server did not answer initialize"
if command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ]; then
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  # A prefix made on the way asks for neither Mono nor Gecko.
  answer=$(WINEDEBUG=-all WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=} "$wine" "$windows" --version 2>/dev/null |
    tr -d '\r') || true
  [ "$answer" = "scenario-lsp $version" ] || fail "the Windows server under Wine answered '$answer'"
fi
echo "vsix-check: $vsix holds the manifest, the client and both servers (version $version)"
