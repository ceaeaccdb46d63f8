#!/usr/bin/env bash
# Sourced by the test and demo commands: one Xvfb display and one persistent
# wineserver for the whole run, both stopped when the run ends, pass or fail.
# Expects $build to name the build folder.

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# A crashing test must end, not wait in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=;winedbg.exe=d"
export MIMIC_BUILD_DIR="$build"
export WINELOADER=/usr/lib/wine/wine64

mimic_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "${mimic_xvfb_pid:-}" ]; then
    kill "$mimic_xvfb_pid" >/dev/null 2>&1 || true
    wait "$mimic_xvfb_pid" 2>/dev/null || true
  fi
}

mimic_session_start() {
  trap mimic_session_stop EXIT
  export DISPLAY=
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    mimic_xvfb_pid=$!
    sleep 0.5
    if kill -0 "$mimic_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      break
    fi
  done
  [ -n "${DISPLAY:-}" ] || { echo "no free X display for Xvfb" >&2; exit 1; }
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once)..."
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Debian's Wine does not look in its own data folder for the fonts of
  # fonts-wine; without their Marlett, title bars draw letters for buttons.
  cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -p >/dev/null 2>&1
  # Start Wine's own services now, on our terms: started by a test program
  # they would inherit its output pipe and keep ctest waiting for it. The same
  # call keeps Wine from waiting two seconds for a window manager (there is
  # none on Xvfb) each time a window hides.
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
  # Dialogs get the narrow face that Windows gives "MS Shell Dlg", not
  # Wine's Tahoma, in which our labels do not fit.
  "$WINELOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'MS Shell Dlg' \
    /d 'MS Sans Serif' /f </dev/null >/dev/null 2>&1 || true
  export MIMIC_WINE_SESSION=1
}
