#!/usr/bin/env bash
# Prints the size of setup.exe, of each package it carries, and the stub overhead: what every
# user downloads beyond the packages themselves. Builds first when needed.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/win32/bin/setup.exe ] || scripts/build.sh >/dev/null

exe=$(stat -c %s build/win32/bin/setup.exe)
setup=$(stat -c %s build/win32/packages/setup.pkg)
payload=$(stat -c %s build/win32/packages/payload.pkg)
overhead=$((exe - setup - payload))
printf '%-28s %10d bytes\n' "setup.exe" "$exe"
printf '%-28s %10d bytes\n' "setup package (resource 1)" "$setup"
printf '%-28s %10d bytes\n' "payload package (resource 2)" "$payload"
printf '%-28s %10d bytes (%d.%d KiB; the limit is 64 KiB)\n' "stub overhead" "$overhead" \
  $((overhead / 1024)) $(((overhead % 1024) * 10 / 1024))

# What the code costs, from the linker's map: the largest contributors to the code and data.
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
    /^ \.(text|data|rdata|bss)[^ ]* +0x/ && NF >= 4 { size = hex($3); obj = $4 }
    /^ \.(text|data|rdata|bss)[^ ]*$/ { pending = 1; next }
    pending && /^ +0x/ && NF >= 3 { size = hex($2); obj = $3; pending = 0 }
    obj != "" { sub(/.*\//, "", obj); total[obj] += size; obj = "" }
    END { for (o in total) if (total[o] > 0) printf "%8d  %s\n", total[o], o }
  ' "$map" | sort -rn | head -n 12
fi
[ "$overhead" -le 65536 ]
