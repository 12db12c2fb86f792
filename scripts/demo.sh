#!/usr/bin/env bash
# The main job: installs what is missing, builds everything and starts the wizard.
#
# With a DISPLAY, the wizard opens there for a person to use. Without one, it runs on a virtual
# display: the wizard is walked page by page with the defaults, a screenshot of each page is
# saved under build/demo/, and what the installation left is printed: the install log and the
# two registry keys. Then the product is uninstalled again, as Windows would run its uninstaller,
# and the prefix is compared with its state before the installation.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-machine.sh
scripts/build.sh >/dev/null
echo "Built build/win32/bin/setup.exe ($(stat -c %s build/win32/bin/setup.exe) bytes)."

if [ -n "${DISPLAY:-}" ]; then
  . scripts/wine-session.sh
  trap end_wine_session EXIT
  echo "Starting the wizard on $DISPLAY."
  cmake/wine-run.sh "build/$QX_WINDOWS_BUILD/bin/setup.exe"
  exit 0
fi

. scripts/wine-session.sh
trap end_wine_session EXIT
rm -rf build/demo && mkdir -p build/demo
# The registry as the setup program sees it: a 32-bit program's view on 64-bit Windows.
reg32="C:\\windows\\syswow64\\reg.exe"
[ "$QX_WINDOWS_BUILD" = win32 ] || reg32="C:\\windows\\system32\\reg.exe"

# What the prefix holds: every file and folder of drive C (the temporary folder left out) with
# its size and time (a folder's own time changes with what is added and taken away inside it, so
# folders are listed by name), and the two registry trees an installation writes to.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -path ./users/root/AppData/Local/Temp -prune -o \
    -path ./users/root/Temp -prune -o -type d -printf 'folder %p\n' -o -printf 'file %p %s %T@\n' |
    sort)
  for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 'HKCU\Software'; do
    wine "$reg32" export "$key" 'C:\qx-demo-export.reg' /y >/dev/null 2>&1 || true
    iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/drive_c/qx-demo-export.reg" 2>/dev/null | tr -d '\r' |
      awk '/^\[/ { keep = $0 !~ /\\Software\\Wine/ } keep'
    rm -f "$WINEPREFIX/drive_c/qx-demo-export.reg"
  done
}
folder="$WINEPREFIX/drive_c/Program Files/Quintaxel"
# A clean start: nothing left of an earlier run of the demo or the tests in this prefix.
rm -rf "$folder" "$WINEPREFIX/drive_c/users/root/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quintaxel"
rm -f "$WINEPREFIX/drive_c/users/root/Desktop/Quintaxel.lnk"
for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quintaxel' 'HKCU\Software\Vorlen Software'; do
  wine "$reg32" delete "$key" /f </dev/null >/dev/null 2>&1 || true
done
snapshot >build/demo/before.txt

echo "No display given: walking the wizard on a virtual display ($DISPLAY)."
cmake/wine-run.sh "build/$QX_WINDOWS_BUILD/bin/walkthrough.exe" "$(winepath -w "$PWD/build/demo")"
for bmp in build/demo/page*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
echo "Screenshots of the pages: $(ls build/demo/*.png | tr '\n' ' ')"

if [ -f "$folder/install.log" ]; then
  echo
  echo "The install log, $folder/install.log:"
  tr -d '\r' <"$folder/install.log"
  echo
  echo "The uninstall entry and the product's settings (as the setup program sees them):"
  wine "$reg32" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quintaxel' 2>/dev/null | tr -d '\r'
  wine "$reg32" query 'HKCU\Software\Vorlen Software\Quintaxel' 2>/dev/null | tr -d '\r'
fi

# The uninstaller, started as Windows starts it: the command line of "UninstallString".
command=$(wine "$reg32" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quintaxel' \
  /v UninstallString 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
if [ -n "$command" ]; then
  echo
  echo "Uninstalling: $command /quiet"
  status=0
  program=${command#\"}
  program=${program%\"}
  wine "$program" /quiet </dev/null >/dev/null 2>&1 || status=$?
  echo "The uninstaller ended with exit code $status."
  for _ in $(seq 50); do [ -e "$folder" ] || break; sleep 0.2; done
  snapshot >build/demo/after.txt
  if diff build/demo/before.txt build/demo/after.txt >build/demo/difference.txt; then
    echo "The prefix is back as it was before the installation."
  else
    echo "The prefix differs from before the installation (build/demo/difference.txt):"
    head -n 20 build/demo/difference.txt
  fi
fi
