#!/bin/sh
# Runs a Windows program under Wine for the tests: quiet, in the prefix the test preset
# names (or one of its own), without the Mono and Gecko installers. The first run makes
# the prefix, once, while other runs wait for it.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/compactor-wine-$(id -u)}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
wine=""
for candidate in /usr/lib/wine/wine64 wine64 wine; do
  if command -v "$candidate" >/dev/null 2>&1; then
    wine=$candidate
    break
  fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: no wine64 found (scripts/install-deps.sh brings it)" >&2
  exit 127
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Made here, not by Wine: Wine refuses to make a prefix in a folder its user does not own
  # (/tmp, for anyone but root).
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      DISPLAY="" "$wine" wineboot --init >/dev/null 2>&1
      for server in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver wineserver; do
        if command -v "$server" >/dev/null 2>&1; then
          "$server" -w
          break
        fi
      done
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
