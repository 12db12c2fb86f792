# Sourced by the scripts that run Windows programs: a display (Xvfb when none is given), a
# persistent wineserver with a booted prefix in build/wineprefix, and the shell keeper
# (shellkeeper.exe of the Windows build this machine runs) holding the desktop's ShellWindows
# class object until end_wine_session. Returns non-zero when the keeper cannot hold it and QX_REQUIRE_ALL=1.
#
# Why the keeper: each shell folder window (setup opens one at the end of an installation) makes
# Wine's desktop process create and delete the stubs of that class object, and under load the
# deletion can wait for ever on the thread that owns the desktop window (a lost wake-up in Wine's
# RPC runtime). From then on every program that makes a window waits at its start. A reference
# held for the whole session keeps the stubs, so the deletion never runs.
#
# The wineserver and wineboot are started with all their output sent to /dev/null: Wine's
# services otherwise inherit the pipes of whoever started them first (CTest, say), which then
# waits for them forever.
export WINEPREFIX=${QX_WINEPREFIX:-$PWD/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts (the network is closed), and no menu entries written into the host's
# desktop for the shortcuts an installation makes.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export QX_WINEPREFIX=$WINEPREFIX
qx_root=$PWD
. cmake/wine-path.sh

wine_session_xvfb=
if [ -z "${DISPLAY:-}" ]; then
  n=77
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  wine_session_xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi

mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # A new prefix: after its first boot some services (RpcSs) may not answer until the server
  # has been started afresh, and every program would then wait for them.
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -k </dev/null >/dev/null 2>&1 || true
fi
# Every program runs inside one Wine virtual desktop of the screen's size. On a bare X server
# each top-level window is an X window of its own process, and when the X focus moves to another
# process's window, Wine's X11 driver takes that for focus lost to a foreign program and makes the
# desktop the foreground window: the wizard then has no focus at all, at random, which Windows
# never does. In a virtual desktop Wine keeps the foreground and the focus itself, as Windows
# does. (It also needs no window manager to close a window.)
if ! grep -q '^\[Software\\\\Wine\\\\Explorer\\\\Desktops\]' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
    </dev/null >/dev/null 2>&1 || true
  wineserver -k </dev/null >/dev/null 2>&1 || true
fi
# Wine makes the user's shell folders (Desktop, Documents, ...) links into the host's home
# folder: an installation's desktop shortcut would land outside the prefix, in a folder shared
# with everything else this user runs. They become folders of the prefix's own.
for folder in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
  if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
done
# Wine's own fonts (Debian's fonts-wine): Tahoma, the dialog font, and Marlett, whose glyphs are
# the title bar's buttons (without it they show as the letters "0 1 r"). Wine 8 as Debian builds
# it loads fonts from the prefix's Windows fonts folder and never from its own data folder, so
# they are put there, as a Windows installation has them.
if [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
  for font in /usr/share/wine/fonts/*; do
    [ ! -f "$font" ] || [ -e "$WINEPREFIX/drive_c/windows/Fonts/${font##*/}" ] ||
      cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
fi
wineserver -p </dev/null >/dev/null 2>&1 || true  # already running for this prefix
wineboot </dev/null >/dev/null 2>&1 || true

# The keeper prints "holding" once it holds the reference (it waits for the desktop to register
# the class object). Its output goes to a file, for the reason the server's does. QX_SHELLKEEPER
# names another build's keeper.
wine_session_keeper=
wine_session_keeper_log=$WINEPREFIX/shellkeeper.log
rm -f "$wine_session_keeper_log"
if [ -f "${QX_SHELLKEEPER:=build/$QX_WINDOWS_BUILD/bin/shellkeeper.exe}" ]; then
  wine "$QX_SHELLKEEPER" </dev/null >"$wine_session_keeper_log" 2>&1 &
  wine_session_keeper=$!
  for _ in $(seq 600); do
    grep -q '^holding' "$wine_session_keeper_log" 2>/dev/null && break
    kill -0 "$wine_session_keeper" 2>/dev/null || break
    sleep 0.2
  done
fi

end_wine_session() {
  [ -n "$wine_session_keeper" ] && kill "$wine_session_keeper" 2>/dev/null || true
  wineserver -k </dev/null >/dev/null 2>&1 || true
  [ -n "$wine_session_xvfb" ] && kill "$wine_session_xvfb" 2>/dev/null || true
}

if ! grep -q '^holding' "$wine_session_keeper_log" 2>/dev/null; then
  echo "wine-session.sh: the shell keeper does not hold the desktop's ShellWindows object" \
    "($(cat "$wine_session_keeper_log" 2>/dev/null || echo "$QX_SHELLKEEPER is not built")):" \
    "a folder window can stall this session" >&2
  [ "${QX_REQUIRE_ALL:-}" != 1 ]
fi
