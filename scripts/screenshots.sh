#!/usr/bin/env bash
# Writes PNG screenshots of the wizard to docs/screenshots/: all seven pages in English, and
# pages 1 and 2 in Russian. They are taken inside a Wine virtual desktop, where Wine draws the
# title bar as Windows does; a bare X server has no window manager to draw one.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/win32/bin/walkthrough.exe ] || scripts/build.sh >/dev/null

. scripts/wine-session.sh
trap end_wine_session EXIT
[ -f "build/$QX_WINDOWS_BUILD/bin/walkthrough.exe" ] || scripts/build.sh >/dev/null

out=docs/screenshots
mkdir -p "$out" build/screenshots
shots=$(winepath -w "$PWD/build/screenshots")

take() {  # take NAME-PREFIX [walkthrough options...]
  local prefix=$1
  shift
  rm -f build/screenshots/page*.bmp
  wine explorer "/desktop=shots,460x360" "$(winepath -w "$PWD/build/$QX_WINDOWS_BUILD/bin/walkthrough.exe")" \
    "$shots" "$@" </dev/null >/dev/null 2>&1 || true
  for bmp in build/screenshots/page*.bmp; do
    [ -e "$bmp" ] || { echo "screenshots: no pictures for $prefix" >&2; return 1; }
    convert "$bmp" "$out/$prefix-$(basename "$bmp" .bmp).png"
  done
}

take english
LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 take russian --language 1 --pages 12
ls -1 "$out"
