#!/usr/bin/env bash
# Builds mimic.dll and its installer, build/mimic-<version>-x64.msi.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" msi >/dev/null
ls "$build"/mimic-*-x64.msi
