#!/bin/sh
# Runs a Windows executable under Wine, in the project's own prefix (build/wineprefix unless
# QX_WINEPREFIX names another), never in the user's ~/.wine. Without a DISPLAY it starts an
# Xvfb server of its own for the run. The exit status is the program's.
#
# A program that stalls is ended after QX_STALL_SECONDS (default 600, within the 900 s that
# scripts/test.sh gives CTest) and fails; so does a test program that ended itself with code 86
# because a window call never returned (tests/wizard/wizard_harness.cpp). Either way the Wine
# processes of the prefix are listed with the backtraces of their threads: where each one waits.
here=$(cd "$(dirname "$0")/.." && pwd)
qx_root=$here
. "$here/cmake/wine-path.sh"
WINEPREFIX=${QX_WINEPREFIX:-$here/build/wineprefix}
WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts on a new prefix (the network is closed and nobody clicks),
# and no menu entries on the host for the shortcuts an installation makes.
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
mkdir -p "$WINEPREFIX"

# The Wine processes of this prefix (Unix pid, command line), then every thread's backtrace as
# winedbg sees it, each step bounded in time: the debugger too may wait on a stuck process.
report_stall() {
  echo "== wine-run.sh: $1 $2"
  echo "== the Wine processes of $WINEPREFIX:"
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    echo "  $pid: $({ tr '\0' ' ' </proc/"$pid"/cmdline; } 2>/dev/null)"
  done
  echo "== as Windows processes, and where their threads wait (winedbg):"
  timeout 30 winedbg --command "info process" </dev/null 2>&1 | sed 's/^/  /'
  timeout 120 winedbg --command "bt all" </dev/null 2>&1 | sed 's/^/  /'
}

xvfb=
if [ -z "$DISPLAY" ]; then
  n=$(( ($$ % 400) + 100 ))
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  i=0
  while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
fi

# The program's output goes through a file, not straight to our own output: a program it starts
# (the shell's folder window, say) inherits the output, and a caller waiting on a pipe (CTest)
# would then wait for that program to end as well.
log=$(mktemp)
report=$log.stall
wine "$@" </dev/null >"$log" 2>&1 &
program=$!
# The watchdog: after QX_STALL_SECONDS it reports and ends the program, unless ended first.
(
  trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
  sleep "${QX_STALL_SECONDS:-600}" &
  sleeper=$!
  wait "$sleeper"
  kill -0 "$program" 2>/dev/null || exit 0
  report_stall "$1" "has not ended after ${QX_STALL_SECONDS:-600} s" >"$report" 2>&1
  kill "$program" 2>/dev/null
  sleep 2
  kill -9 "$program" 2>/dev/null
) </dev/null >/dev/null 2>&1 &
watchdog=$!
wait "$program"
status=$?
kill "$watchdog" 2>/dev/null
wait "$watchdog" 2>/dev/null
if [ ! -s "$report" ] && [ "$status" -eq 86 ]; then
  report_stall "$1" "ended itself: a window call did not return" >"$report" 2>&1
fi
cat "$log"
rm -f "$log"
if [ -s "$report" ]; then
  cat "$report"
  echo "wine-run.sh: STALLED: $1 (the Wine processes and where they wait are above)"
  [ "$status" -ne 0 ] || status=1
fi
rm -f "$report"
[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
exit $status
