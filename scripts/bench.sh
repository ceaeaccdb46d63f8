#!/usr/bin/env bash
# Builds and runs every benchmark under Wine; each prints its own table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
. "$root/scripts/wine-session.sh"
mimic_session_start
for b in "$build"/bench/*.exe; do
  echo "== $(basename "$b" .exe)"
  "$WINELOADER" "$b"
done
