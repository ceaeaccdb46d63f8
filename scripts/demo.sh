#!/usr/bin/env bash
# Builds the plug-in and the reference host and runs the demo scenario in a
# scratch folder: a named action with a hotkey is recorded across two
# documents, shown, listed and played back over two files and by its hotkey.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-session.sh"
mimic_lock_build
echo "Building mimic.dll and the reference host..."
"$root/scripts/build.sh" mimichost >/dev/null
mimic_session_start

demo=$(mktemp -d)
mimic_on_exit 'rm -rf "$demo"'
"$WINELOADER" "$build/mimichost.exe" --dir "$(mimic_win_path "$demo")" "$(mimic_win_path "$root/refhost/scenarios/demo.txt")"
