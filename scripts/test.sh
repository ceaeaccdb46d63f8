#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Extra arguments go to ctest
# (for example: scripts/test.sh -R CatalogueTest).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-session.sh"
mimic_lock_build # before the build: another run may be using what it would replace
"$root/scripts/build.sh"
mimic_session_start
cd "$build"
ctest --output-on-failure "$@"
