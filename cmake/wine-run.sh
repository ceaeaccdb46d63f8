#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest. The test command normally
# provides DISPLAY (one Xvfb for the whole run) and a persistent wineserver;
# run by hand without a display, the program gets an Xvfb of its own.
set -u
here=$(cd "$(dirname "$0")" && pwd)
: "${MIMIC_BUILD_DIR:=$PWD}"
export WINEPREFIX="${WINEPREFIX:-$MIMIC_BUILD_DIR/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(command -v wine64 || command -v wine)
export WINELOADER="$loader"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$loader" wineboot -i >/dev/null 2>&1
  wineserver -w
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a "$loader" "$@"
fi
exec "$loader" "$@"
