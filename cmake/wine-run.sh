#!/bin/sh
# Runs a Windows executable under Wine, in the project's own prefix (build/wineprefix unless
# QX_WINEPREFIX names another), never in the user's ~/.wine. Without a DISPLAY it starts an
# Xvfb server of its own for the run. The exit status is the program's.
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
wine "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
exit $status
