#!/usr/bin/env bash
# Prints the size of setup.exe, of each package it carries and of the stub overhead (what every
# user downloads beyond the packages themselves), then the sizes of uninstall.exe and
# quintaxel.exe and the largest contributors to the stub's code and data. Fails when the stub or
# uninstall.exe is above its budget. Builds first when needed.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/win32/bin/setup.exe ] || scripts/build.sh >/dev/null

# Budgets in bytes: the stub 34 KiB, the 32,108 bytes measured without the C runtime's start-up,
# unwind tables and padding, plus what the protected and link-free installation, the checks before
# copying, the double-byte walks and the keyboard handling added since (together about 6.8 KiB),
# held to 34 KiB, 1.5 KiB for the folders trusted by who may change them, and 2 KiB for the install
# folder's checks on Next of page 3 and of the shortcut folder on page 4, the undo of a cancelled
# copy (each item removed through its own handle, the log put back), one installation at a time
# and the refusal of typed characters that the code page lacks, with their texts (the 4-byte stack
# alignment, the thunked calls and the rows' inline keys won back 3.5 KiB meanwhile);
# uninstall.exe 80 % of the 43,520 bytes it had while it was linked with the C runtime's
# start-up, and 1.5 KiB for holding the install folder's trusted chain from the drive's
# root through to the removal copy.
stub_budget=38400
uninstall_budget=36352

exe=$(stat -c %s build/win32/bin/setup.exe)
setup=$(stat -c %s build/win32/packages/setup.pkg)
payload=$(stat -c %s build/win32/packages/payload.pkg)
uninstall=$(stat -c %s build/win32/bin/uninstall.exe)
program=$(stat -c %s build/win32/bin/quintaxel.exe)
overhead=$((exe - setup - payload))
printf '%-28s %10d bytes\n' "setup.exe" "$exe"
printf '%-28s %10d bytes\n' "setup package (resource 1)" "$setup"
printf '%-28s %10d bytes\n' "payload package (resource 2)" "$payload"
printf '%-28s %10d bytes (%d.%d KiB; budget %d, %d to spare)\n' "stub overhead" "$overhead" \
  $((overhead / 1024)) $(((overhead % 1024) * 10 / 1024)) "$stub_budget" \
  $((stub_budget - overhead))
printf '%-28s %10d bytes (budget %d, %d to spare)\n' "uninstall.exe" "$uninstall" \
  "$uninstall_budget" $((uninstall_budget - uninstall))
printf '%-28s %10d bytes\n' "quintaxel.exe" "$program"

# What the code costs, from the linker's map: the largest contributors to the code and data.
# Only the memory map counts; the sections listed before it were discarded.
map=build/win32/setup.map
if [ -f "$map" ]; then
  echo
  echo "Largest contributors (bytes of .text, .data, .rdata and .bss, from $map):"
  awk '
    function hex(s,    i, n, c) {
      n = 0; s = tolower(substr(s, 3))
      for (i = 1; i <= length(s); i++) { c = index("0123456789abcdef", substr(s, i, 1)); n = n * 16 + c - 1 }
      return n
    }
    /^Linker script and memory map/ { on = 1 }
    !on { next }
    /^ \.(text|data|rdata|bss)[^ ]* +0x/ && NF >= 4 { size = hex($3); obj = $4 }
    /^ \.(text|data|rdata|bss)[^ ]*$/ { pending = 1; next }
    pending && /^ +0x/ && NF >= 3 { size = hex($2); obj = $3; pending = 0 }
    obj != "" { sub(/.*\//, "", obj); total[obj] += size; obj = "" }
    END { for (o in total) if (total[o] > 0) printf "%8d  %s\n", total[o], o }
  ' "$map" | sort -rn | head -n 12
fi

status=0
if [ "$overhead" -gt "$stub_budget" ]; then
  echo "The stub is $((overhead - stub_budget)) bytes above its budget of $stub_budget." >&2
  status=1
fi
if [ "$uninstall" -gt "$uninstall_budget" ]; then
  echo "uninstall.exe is $((uninstall - uninstall_budget)) bytes above its budget of $uninstall_budget." >&2
  status=1
fi
exit $status
