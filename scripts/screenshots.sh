#!/usr/bin/env bash
# Pictures of every dialog of the plug-in and of the reference host's window,
# taken under Xvfb, as PNG files in docs/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" screenshots mimichost >/dev/null
. "$root/scripts/wine-session.sh"
mimic_session_start
out="$root/docs/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"; mimic_session_stop' EXIT
win() { echo "Z:$(echo "$1" | tr / '\\')"; }
mkdir -p "$out"
rm -f "$out"/*.png
MIMIC_SCREENSHOT_DIR="$(win "$work")" "$WINELOADER" "$build/tests/screenshots.exe" >/dev/null
"$WINELOADER" "$build/mimichost.exe" --dir "$(win "$work")" "$(win "$root/refhost/scenarios/window.txt")" >/dev/null
for bmp in "$work"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  convert "$bmp" -strip "$out/$name.png"  # no timestamps: unchanged dialogs give unchanged files
done
ls "$out"
