#!/usr/bin/env bash
# Runs the reference host. Without arguments it opens the host's main window
# on your display; with a scenario file it runs the scenario, headless, in a
# scratch folder (or in DIR, which is kept) and prints what happened.
# usage: scripts/host.sh [SCENARIO [DIR]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
user_display=${DISPLAY:-}
. "$root/scripts/wine-session.sh"
mimic_lock_build
"$root/scripts/build.sh" mimichost >/dev/null

if [ $# -eq 0 ]; then
  [ -n "$user_display" ] || { echo "scripts/host.sh: the main window needs a display (DISPLAY is not set)" >&2; exit 2; }
  export DISPLAY=$user_display
  exec "$WINELOADER" "$build/mimichost.exe" # the build folder stays taken until the window closes
fi

scenario=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
[ -f "$scenario" ] || { echo "scripts/host.sh: no scenario $1" >&2; exit 2; }
mimic_session_start
if [ $# -ge 2 ]; then
  mkdir -p "$2"
  dir=$(cd "$2" && pwd)
else
  dir=$(mktemp -d)
  mimic_on_exit 'rm -rf "$dir"'
fi
"$WINELOADER" "$build/mimichost.exe" --dir "$(mimic_win_path "$dir")" "$(mimic_win_path "$scenario")"
