#!/usr/bin/env bash
# Builds and runs every benchmark under Wine, then prints their figures as one
# table with the machine they were measured on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
. "$root/scripts/wine-session.sh"
mimic_lock_build
"$root/scripts/build.sh" benchmarks
mimic_session_start

rows=$(mktemp)
mimic_on_exit 'rm -f "$rows" "$rows.dll"'
failed=
for b in recording_bench catalogue_bench save_bench playback_bench startup_bench; do
  echo "== $b"
  start=$SECONDS
  # Result rows go to the table; anything else a benchmark prints shows as it comes.
  set +e
  "$WINELOADER" "$build/bench/$b.exe" | tr -d '\r' | tee -a "$rows" | grep -v '^@row'
  status=${PIPESTATUS[0]}
  set -e
  if [ "$status" = 0 ]; then
    echo "   ($((SECONDS - start)) s)"
  else
    echo "   failed with status $status"
    failed="$failed $b"
  fi
done

# Size as built, and stripped of its symbols and debug information.
dll="$build/mimic.dll"
bytes=$(stat -c %s "$dll")
stripped=$(x86_64-w64-mingw32-strip -o "$rows.dll" "$dll" && stat -c %s "$rows.dll" || echo 0)
rm -f "$rows.dll"
awk -v b="$bytes" -v s="$stripped" 'BEGIN { printf "@row\tmimic.dll size\t%.1f\tKiB\t%d bytes as built; stripped %d bytes (%.1f KiB)\n", b / 1024, b, s, s / 1024 }' >> "$rows"

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo
echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores; $("$WINELOADER" --version 2>/dev/null || echo 'Wine ?'); $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "| benchmark | figure | unit | notes |"
echo "|---|---:|---|---|"
grep '^@row' "$rows" | awk -F '\t' '{ printf "| %s | %s | %s | %s |\n", $2, $3, $4, $5 }'
if [ -n "$failed" ]; then
  echo "failed:$failed" >&2
  exit 1
fi
