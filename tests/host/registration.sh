#!/usr/bin/env bash
# mimic.dll as a host meets it: registered with regsvr32, created by ProgID
# from a script through IDispatch, and unregistered again. A run that fails
# on the way leaves the prefix as it found it.
set -u
dll="Z:$(echo "$1" | tr / '\\')"
vbs="Z:$(echo "$2" | tr / '\\')"
run="$3" # the Wine runner
fail() { echo "FAILED: $*"; exit 1; }
registered=
trap '[ -z "$registered" ] || "$run" regsvr32 /u /s "$dll" >/dev/null 2>&1' EXIT

registered=1
"$run" regsvr32 /s "$dll" || fail "regsvr32 did not register $dll"
out=$("$run" cscript //nologo "$vbs" 2>&1 | tr -d '\r')
echo "$out"
grep -qx "created IMimic" <<<"$out" || fail "the object was not created by its ProgID"
grep -qx "called" <<<"$out" || fail "the methods were not reached through IDispatch"
grep -qx "created by class id IMimic" <<<"$out" || fail "the object was not created by its class id"

"$run" regsvr32 /u /s "$dll" || fail "regsvr32 /u failed"
registered=
out=$("$run" cscript //nologo "$vbs" 2>&1 | tr -d '\r')
grep -q "created" <<<"$out" && fail "the ProgID still creates the object after unregistering"
echo "registration: registered, created by ProgID, called, unregistered"
exit 0
