#!/usr/bin/env bash
# The main job: installs what is missing, builds everything and starts the wizard.
#
# With a DISPLAY, the wizard opens there for a person to use. Without one, it runs on a virtual
# display: the wizard is walked page by page with the defaults, a screenshot of each page is
# saved under build/demo/, and what the installation left is printed: the install log and the
# two registry keys.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-machine.sh
scripts/build.sh >/dev/null
echo "Built build/win32/bin/setup.exe ($(stat -c %s build/win32/bin/setup.exe) bytes)."

if [ -n "${DISPLAY:-}" ]; then
  . scripts/wine-session.sh
  trap end_wine_session EXIT
  echo "Starting the wizard on $DISPLAY."
  cmake/wine-run.sh build/win32/bin/setup.exe
  exit 0
fi

. scripts/wine-session.sh
trap end_wine_session EXIT
rm -rf build/demo && mkdir -p build/demo
echo "No display given: walking the wizard on a virtual display ($DISPLAY)."
cmake/wine-run.sh build/win32/bin/walkthrough.exe "$(winepath -w "$PWD/build/demo")"
for bmp in build/demo/page*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
echo "Screenshots of the pages: $(ls build/demo/*.png | tr '\n' ' ')"

folder="$WINEPREFIX/drive_c/Program Files (x86)/Quintaxel"
[ -d "$folder" ] || folder="$WINEPREFIX/drive_c/Program Files/Quintaxel"
if [ -f "$folder/install.log" ]; then
  echo
  echo "The install log, $folder/install.log:"
  tr -d '\r' <"$folder/install.log"
  echo
  echo "The uninstall entry and the product's settings (as the 32-bit setup program sees them):"
  reg32="C:\\windows\\syswow64\\reg.exe"
  wine "$reg32" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quintaxel' 2>/dev/null | tr -d '\r'
  wine "$reg32" query 'HKCU\Software\Vorlen Software\Quintaxel' 2>/dev/null | tr -d '\r'
fi
