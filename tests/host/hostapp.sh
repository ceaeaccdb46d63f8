#!/usr/bin/env bash
# mimichost.exe as people run it: the demo scenario ends with status 0 and
# shows the replayed commands; a broken scenario ends with status 1 and names
# the line, and nothing after it runs.
# Arguments: mimichost.exe, the demo scenario, the Wine runner.
set -uo pipefail
host=$1 demo=$2 runner=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:$(echo "$1" | tr / '\\')"; }
fail() { echo "FAIL: $*"; exit 1; }

out=$("$runner" "$host" --dir "$(win "$work")" "$(win "$demo")" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 0 ] || fail "the demo ended with status $rc"
# Repeat 2: each replayed command twice per file; the plug-in closed once.
for expect in '2 work\board\left.bde: Place R1, 10, 20' '2 work\board\right.bde: Wire R1.1 U1.3' \
              '2 work\board\top.bde: Place R1, 10, 20' '1   plug-in closed'; do
  line=${expect#* }
  n=$(grep -cF -- "$line" <<<"$out")
  [ "$n" -eq "${expect%% *}" ] || fail "\"$line\" shows $n times"
done

printf 'folder a\nplugin start\nopen a\\x.bde\nrecord x.bde\necho not reached\n' >"$work/bad.txt"
out=$("$runner" "$host" --dir "$(win "$work")" "$(win "$work/bad.txt")" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 1 ] || fail "a broken scenario ended with status $rc"
grep -qF 'bad.txt:4: unexpected window "Action Properties"' <<<"$out" || fail "no line number in the error"
grep -qF 'not reached' <<<"$out" && fail "the scenario went on after the error"
out=$("$runner" "$host" --no-such-option 2>&1)
rc=$?
[ $rc -eq 2 ] || fail "a bad option ended with status $rc, not 2: $out"
echo "PASS"
