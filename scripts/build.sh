#!/usr/bin/env bash
# Configures and builds the whole tree for Windows x64 in ./build (or $BUILD_DIR)
# with the MinGW-w64 g++, or with clang when MIMIC_COMPILER=clang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
case ${MIMIC_COMPILER:-gcc} in
  gcc) toolchain=$root/cmake/mingw-w64-x86_64.cmake ;;
  clang) toolchain=$root/cmake/clang-mingw-w64-x86_64.cmake ;;
  *) echo "MIMIC_COMPILER is gcc or clang, not $MIMIC_COMPILER" >&2; exit 2 ;;
esac
. "$root/scripts/wine-session.sh"
mimic_lock_build # not while another run builds here or runs what was built
"$root/scripts/bootstrap.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j "$(nproc)" -- --no-print-directory "$@"
