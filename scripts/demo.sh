#!/usr/bin/env bash
# Builds the plug-in and the reference host and runs the demo scenario in a
# scratch folder: a named action with a hotkey is recorded across two
# documents, shown, listed and played back over two files and by its hotkey.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
echo "Building mimic.dll and the reference host..."
"$root/scripts/build.sh" mimichost >/dev/null
. "$root/scripts/wine-session.sh"
mimic_session_start

demo=$(mktemp -d)
trap 'rm -rf "$demo"; mimic_session_stop' EXIT
win() { echo "Z:$(echo "$1" | tr / '\\')"; }
"$WINELOADER" "$build/mimichost.exe" --dir "$(win "$demo")" "$(win "$root/refhost/scenarios/demo.txt")"
