#!/usr/bin/env bash
# Builds the plug-in and the reference host and runs the demo: a host with a
# workspace and an installation, each holding a few actions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
. "$root/scripts/wine-session.sh"
mimic_session_start

demo=$(mktemp -d)
trap 'rm -rf "$demo"; mimic_session_stop' EXIT
mkdir -p "$demo/Vantrel/Script/Actions" "$demo/work/proj/Actions"
for a in place_resistor route_bus; do echo "# $a" > "$demo/work/proj/Actions/$a.pl"; done
echo "# rename_nets" > "$demo/Vantrel/Script/Actions/rename_nets.pl"
printf '[place_resistor]\r\nPlayMode=3\r\nAccel=Ctrl+1\r\nAddToMenu=1\r\n' > "$demo/work/proj/Actions/mimic.ini"
: > "$demo/work/proj/proj.wsp"

win() { echo "Z:$(echo "$1" | tr / '\\')"; }
"$WINELOADER" "$build/mimichost.exe" --install "$(win "$demo/Vantrel")\\" \
  --workspace "$(win "$demo/work/proj/proj.wsp")"
