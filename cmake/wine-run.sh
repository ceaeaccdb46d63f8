#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest. The test command provides
# the display and a persistent wineserver for the whole run; started on its
# own (ctest by hand), the program gets a session of its own that ends with
# it, after waiting for any other run in the same build folder.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build="${MIMIC_BUILD_DIR:-$PWD}"
if [ -z "${MIMIC_WINE_SESSION:-}" ]; then
  . "$here/../scripts/wine-session.sh"
  mimic_session_start
  "$WINELOADER" "$@"
  exit $?
fi
exec "$WINELOADER" "$@"
