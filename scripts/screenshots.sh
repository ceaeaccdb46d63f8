#!/usr/bin/env bash
# Pictures of every dialog under Xvfb, as PNG files in build/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
. "$root/scripts/wine-session.sh"
mimic_session_start
out="$build/screenshots"
rm -rf "$out"
mkdir -p "$out"
MIMIC_SCREENSHOT_DIR="Z:$(echo "$out" | tr / '\\')" "$WINELOADER" "$build/tests/screenshots.exe"
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"
