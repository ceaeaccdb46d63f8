#!/usr/bin/env bash
# The Wine harness on its own: exit commands run newest first, a failing one
# does not stop the rest, and a caller's EXIT trap and exit status survive;
# a second run in one build folder waits for the first, gives up saying so,
# and gets the folder as soon as the first is killed; runs side by side get
# displays of their own, gone when the runs end; a run's Xvfb outlives the
# run when it is killed outright, but not the next run in its folder.
# Argument: scripts/wine-session.sh.
set -u
session=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# These runs are the test's own, not those of a run that may have started it.
unset MIMIC_LOCKED_BUILD MIMIC_WINE_SESSION
# In a subshell: becomes a shell with the session sourced for the build
# folder $1, running $2, so that the subshell's id is that of the run.
run() { mkdir -p "$work/$1" && build=$work/$1 exec bash -c '. "$0"; '"$2" "$session"; }
# Waits until the file holds the text: a background run has got that far.
await() { for _ in $(seq 200); do grep -qs "$2" "$1" && return 0; sleep 0.05; done; fail "$3"; }
# Whether the process runs (a zombie has ended); whether it ends within two seconds.
alive() { local stat; read -r stat 2>/dev/null <"/proc/$1/stat" && [[ $stat != *") Z "* ]]; }
ends() { for _ in $(seq 40); do alive "$1" || return 0; sleep 0.05; done; return 1; }

# Two displays at once, each kept until both have one; they start slowly,
# so the other cases run meanwhile.
for r in d e; do
  (run $r "mimic_start_display; mimic_on_exit mimic_stop_display; echo \"\$DISPLAY \$mimic_xvfb_pid\" >$work/$r.out
          for _ in \$(seq 200); do [ -s $work/d.out ] && [ -s $work/e.out ] && break; sleep 0.05; done") &
done
(run f 'mimic_start_display; echo "$mimic_xvfb_pid" >"$build/out"; exec sleep 60') &
killed=$!

out=$(run a 'set -e; trap "echo caller" EXIT; mimic_on_exit "echo first"; mimic_on_exit "echo second; false"; exit 3')
rc=$?
[ "$out" = $'second\nfirst\ncaller' ] || fail "the exit commands ran as: ${out//$'\n'/, }"
[ $rc -eq 3 ] || fail "the exit status became $rc"

# The first run holds the folder until the second says that it waits.
(run b "mimic_lock_build; echo in >\"\$build/in\"
       for _ in \$(seq 200); do grep -qs waiting $work/waited && break; sleep 0.05; done; echo first >>\"\$build/order\"") &
await "$work/b/in" in "the first run did not get its build folder"
(run b 'mimic_lock_build; echo second >>"$build/order"') 2>"$work/waited" || fail "the second run did not wait"
[ "$(cat "$work/b/order")" = $'first\nsecond' ] || fail "the runs overlapped: $(cat "$work/b/order")"
grep -q "in use by another run (pid " "$work/waited" || fail "the waiting run did not say why: $(cat "$work/waited")"

(run c 'mimic_lock_build; echo in >"$build/in"; exec sleep 60') &
holder=$!
await "$work/c/in" in "the holding run did not get its build folder"
(MIMIC_LOCK_WAIT=0.3 run c 'mimic_lock_build; echo "not reached"') >"$work/gave-up" 2>&1 && fail "a second run did not give up"
grep -q "still in use after 0.3 s; giving up" "$work/gave-up" || fail "no reason given: $(cat "$work/gave-up")"
{ kill -KILL $holder; wait $holder; } 2>/dev/null
(MIMIC_LOCK_WAIT=5 run c 'mimic_lock_build') 2>/dev/null || fail "a killed run kept its build folder"

await "$work/f/out" "[0-9]" "the run to be killed got no display"
{ kill -KILL $killed; wait $killed; } 2>/dev/null
stale=$(cat "$work/f/out")
alive "$stale" || fail "the killed run's Xvfb ended with it: nothing left to test"
(run f mimic_end_stale_session)
ends "$stale" || fail "the next run left the killed run's Xvfb"

wait
read -r display_d xvfb_d <"$work/d.out"
read -r display_e xvfb_e <"$work/e.out"
[[ ${display_d:-} =~ ^:[0-9]+$ && ${display_e:-} =~ ^:[0-9]+$ ]] || fail "no displays: '${display_d:-}' '${display_e:-}'"
[ "$display_d" != "$display_e" ] || fail "two runs share the display $display_d"
alive "$xvfb_d" || alive "$xvfb_e" && fail "an Xvfb outlived its run"
echo "PASS"
