#!/usr/bin/env bash
# Sourced by the commands that build, test, run or measure under Wine.
# Expects $build to name the build folder.
#
# A build folder serves one run at a time: its files, its Wine prefix and the
# prefix's wineserver belong to the run that holds $build/run.lock, and a
# second run waits for it. Each run gets an Xvfb display of its own, so runs
# in different build folders go side by side. What a run starts is stopped
# when it ends, pass, fail or interrupted; a caller's own EXIT trap still runs.

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# A crashing test must end, not wait in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=;winedbg.exe=d"
export MIMIC_BUILD_DIR="$build"
export WINELOADER=/usr/lib/wine/wine64

# Runs a command when the shell exits, before those added earlier and before
# an EXIT trap that was there already. Under set -e a failing command would
# end the trap early; here it ends only its own part.
mimic_on_exit() {
  local chain="{ $1
} || :" current
  current=$(trap -p EXIT)
  if [ -n "$current" ]; then
    eval "set -- ${current#trap }" # -- COMMANDS EXIT
    chain+=$'\n'"{ $2
} || :"
  fi
  trap -- "$chain" EXIT
}

# Takes the build folder for this shell, waiting at most MIMIC_LOCK_WAIT
# seconds (default an hour) for a run that has it. The lock is held by a small
# process that ends with this shell, however the shell ends, and no program
# the run starts inherits it: a wineserver left behind cannot keep it. Runs
# started from the holder (build.sh from test.sh, programs under its ctest)
# go on without waiting.
mimic_lock_build() {
  [ "${MIMIC_LOCKED_BUILD:-}" = "$build" ] && return 0
  mkdir -p "$build"
  local lock="$build/run.lock" wait=${MIMIC_LOCK_WAIT:-3600} answer=
  if ! flock -n "$lock" true; then
    echo "$(basename "$0"): $build is in use by another run ($(cat "$lock" 2>/dev/null)); waiting up to $wait s" >&2
  fi
  exec {mimic_lock_pipe}< <(
    trap '' INT TERM HUP # only this shell's end, or mimic_unlock_build, lets go
    exec flock -o -w "$wait" "$lock" sh -c 'echo locked; exec tail -s 0.2 --pid="$1" -f /dev/null >/dev/null' sh $$ </dev/null 2>/dev/null)
  mimic_lock_pid=$!
  read -r -u "$mimic_lock_pipe" answer || true
  exec {mimic_lock_pipe}<&-
  if [ "$answer" != locked ]; then
    echo "$(basename "$0"): $build is still in use after $wait s; giving up" >&2
    exit 1
  fi
  echo "pid $$, $0" >"$lock"
  export MIMIC_LOCKED_BUILD=$build
  mimic_on_exit mimic_unlock_build
}

mimic_unlock_build() {
  kill -KILL "$mimic_lock_pid" 2>/dev/null || true
  wait "$mimic_lock_pid" 2>/dev/null || true
  unset MIMIC_LOCKED_BUILD
}

# An Xvfb display of this run's own: Xvfb picks a free number itself and
# names it once it takes connections, so two runs never pick the same one.
mimic_start_display() {
  local fifo n=
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  mimic_xvfb_pid=$!
  read -r -t 30 n <"$fifo" || true
  rm -f "$fifo"
  if ! [[ $n =~ ^[0-9]+$ ]]; then
    echo "$(basename "$0"): Xvfb did not start" >&2
    exit 1
  fi
  export DISPLAY=":$n"
  echo "$mimic_xvfb_pid $(mimic_started "$mimic_xvfb_pid")" >"$build/xvfb.pid"
}

# When a process started, in clock ticks since boot: with its id, it names
# the process even after the id has gone to another.
mimic_started() {
  awk '{ print $22 }' "/proc/$1/stat" 2>/dev/null
}

mimic_stop_display() {
  [ -n "${mimic_xvfb_pid:-}" ] || return 0
  kill "$mimic_xvfb_pid" 2>/dev/null || true
  wait "$mimic_xvfb_pid" 2>/dev/null || true
  rm -f "$build/xvfb.pid"
  mimic_xvfb_pid=
}

mimic_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  mimic_stop_display
}

# With the lock held, anything still running for this build folder is left
# over from a run that was killed: its wineserver and its Xvfb.
mimic_end_stale_session() {
  if [ -f "$WINEPREFIX/system.reg" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  local pid started
  read -r pid started 2>/dev/null <"$build/xvfb.pid" || return 0
  [ -n "$started" ] && [ "$(mimic_started "$pid")" = "$started" ] && kill "$pid" 2>/dev/null
  rm -f "$build/xvfb.pid"
}

mimic_session_start() {
  mimic_lock_build
  mimic_end_stale_session
  mimic_on_exit mimic_session_stop
  export DISPLAY=
  mimic_start_display
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

# A Unix path as Windows programs under Wine name it.
mimic_win_path() {
  echo "Z:$(echo "$1" | tr / '\\')"
}
