#!/usr/bin/env bash
# The installer as an administrator meets it: built, installed silently, the
# object created by its ProgID from a script and called through IDispatch,
# uninstalled, and nothing of ours left. What it registers must be exactly
# what DllRegisterServer registers, but for the place of the DLL.
# Arguments: cmake, the build folder, the .msi it builds, the built mimic.dll,
# the script, the Wine runner.
set -u
cmake=$1 build=$2 msi=$3 dll=$4 vbs=$5 run=$6
win() { echo "Z:$(echo "$1" | tr / '\\')"; }
installed=
fail() {
  echo "FAILED: $*"
  # Leave the prefix as found for the tests that follow.
  [ -z "$installed" ] || "$run" msiexec /x "$(win "$msi")" /qn >/dev/null 2>&1
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cmake" --build "$build" --target msi >/dev/null || fail "the installer did not build"
[ -f "$msi" ] || fail "no $msi"

# Ours: the class, both ProgIDs, the type library and the dual interface,
# the last in both registry views.
keys=('HKCR\CLSID\{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}' 'HKCR\Mimic.MimicPlugIn' 'HKCR\Mimic.MimicPlugIn.1'
      'HKCR\TypeLib\{F37E6496-D968-4011-8EFB-673D1B07D728}' 'HKCR\Interface\{FF4E5C03-B631-4742-9B84-57AF30F668CB}')
views=(/reg:64 /reg:64 /reg:64 /reg:64 /reg:64 /reg:32)
keys+=("${keys[4]}")

# Every value under our keys as "key | name | type | data", sorted, with the
# DLL's path and folder as placeholders. The type library's flags are left
# out: the platform's registration adds one for the image on disc.
registered() { # dll-path
  local dll=$1 folder=${1%\\*} i
  for i in "${!keys[@]}"; do
    "$run" reg query "${keys[$i]}" /s "${views[$i]}" 2>/dev/null | tr -d '\r' |
      awk -v view="${views[$i]}" '/^HKEY_/ { key = $0; next }
           /^    / { sub(/^    /, ""); split($0, f, /    /); print view " " key " | " f[1] " | " f[2] " | " f[3] }'
  done | sed -e 's/\\\\?\\//g' -e "s/$(sed 's/[\\.]/\\&/g' <<<"$dll")/<dll>/gI" \
             -e "s/$(sed 's/[\\.]/\\&/g' <<<"$folder")\\\\\\?/<folder>/gI" | grep -v '\\FLAGS | ' | sort
}
forget() {
  local i
  for i in "${!keys[@]}"; do "$run" reg delete "${keys[$i]}" /f "${views[$i]}" >/dev/null 2>&1; done
}

forget
"$run" regsvr32 /s "$(win "$dll")" || fail "regsvr32 did not register the built DLL"
registered "$(win "$dll")" >"$work/regsvr32.txt"
"$run" regsvr32 /u /s "$(win "$dll")"
forget
[ -s "$work/regsvr32.txt" ] || fail "regsvr32 registered nothing"

installed=yes
"$run" msiexec /i "$(win "$msi")" /qn || fail "msiexec /i failed"
registered 'C:\Program Files\Mimic\mimic.dll' >"$work/msi.txt"
diff -u "$work/regsvr32.txt" "$work/msi.txt" || fail "the installer registers other keys than DllRegisterServer"
out=$("$run" cscript //nologo "$(win "$vbs")" 2>&1 | tr -d '\r')
echo "$out"
grep -qx "created IMimic" <<<"$out" || fail "the installed object was not created by its ProgID"
grep -qx "called" <<<"$out" || fail "the installed object's methods were not reached through IDispatch"

installed=
"$run" msiexec /x "$(win "$msi")" /qn || fail "msiexec /x failed"
prefix=${WINEPREFIX:-${MIMIC_BUILD_DIR:-$build}/wineprefix}
[ ! -e "$prefix/drive_c/Program Files/Mimic" ] || fail "the uninstall left C:\\Program Files\\Mimic"
for i in "${!keys[@]}"; do
  "$run" reg query "${keys[$i]}" "${views[$i]}" >/dev/null 2>&1 && fail "the uninstall left ${keys[$i]} (${views[$i]})"
done
echo "installer: $(wc -l <"$work/msi.txt") values as regsvr32 writes them, created, called, all removed"
exit 0
