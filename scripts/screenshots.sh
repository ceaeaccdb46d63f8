#!/usr/bin/env bash
# Pictures of every dialog of the plug-in and of the reference host's window,
# taken under Xvfb, as PNG files in docs/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-session.sh"
mimic_lock_build
"$root/scripts/build.sh" screenshots mimichost >/dev/null
mimic_session_start
out="$root/docs/screenshots"
work=$(mktemp -d)
mimic_on_exit 'rm -rf "$work"'
mkdir -p "$out"
rm -f "$out"/*.png
MIMIC_SCREENSHOT_DIR="$(mimic_win_path "$work")" "$WINELOADER" "$build/tests/screenshots.exe" >/dev/null
"$WINELOADER" "$build/mimichost.exe" --dir "$(mimic_win_path "$work")" \
  "$(mimic_win_path "$root/refhost/scenarios/window.txt")" >/dev/null
for bmp in "$work"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  convert "$bmp" -strip "$out/$name.png"  # no timestamps: unchanged dialogs give unchanged files
done
ls "$out"
