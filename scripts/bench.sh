#!/usr/bin/env bash
# Copy speed of the installation: builds a setup program with a synthetic payload of about
# 200 MB (a few large files and two thousand small ones), installs it unattended under Wine,
# and prints the copy phase's wall time and MB/s, the same files copied into the same Wine drive
# with cp (and sync, as the installer writes through) as the reference, the ratio of the two,
# and the number of progress-bar position messages the copy sends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
[ -x build/native/bin/qxpack ] || scripts/build.sh >/dev/null

data=build/bench/payload
if [ ! -f build/bench/payload.manifest ]; then
  echo "Making the synthetic payload in $data ..."
  rm -rf "$data" && mkdir -p "$data/small"
  : >build/bench/payload.manifest.tmp
  for i in 1 2 3 4; do  # four files of 40 MiB, a counting pattern (reproducible)
    seq -f '%015g' 1 $((40 * 1024 * 1024 / 16)) | head -c $((40 * 1024 * 1024)) >"$data/large$i.bin"
    echo "payload/large$i.bin large$i.bin" >>build/bench/payload.manifest.tmp
  done
  for i in $(seq 1 2000); do  # small files of 1 to 20 KiB
    head -c $(((i % 20 + 1) * 1024)) "$data/large1.bin" >"$data/small/file$i.dat"
    echo "payload/small/file$i.dat small\\file$i.dat" >>build/bench/payload.manifest.tmp
  done
  mv build/bench/payload.manifest.tmp build/bench/payload.manifest
fi

qx_root=$PWD
. cmake/wine-path.sh  # the 64-bit build where this machine runs no 32-bit program
arch=i686
[ "$QX_WINDOWS_BUILD" = win32 ] || arch=x86_64
cmake -S . -B build/bench -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$arch-mingw32.cmake" \
  -DQXPACK="$PWD/build/native/bin/qxpack" -DQX_BENCH_MANIFEST="$PWD/build/bench/payload.manifest" >/dev/null
cmake --build build/bench -j "$(nproc)" --target setup_bench walkthrough >/dev/null

QX_WINEPREFIX=$PWD/build/bench/wineprefix
. scripts/wine-session.sh
trap end_wine_session EXIT
target="$WINEPREFIX/drive_c/Program Files/Quintaxel"
bytes=$(du -cb "$data" | tail -n 1 | cut -f1)
mb=$(echo "scale=1; $bytes / 1000000" | bc)

rm -rf "$target"
out=$(wine build/bench/bin/walkthrough.exe 'C:\' --pages 7 --setup setup_bench.exe </dev/null 2>/dev/null | tr -d '\r')
ms=$(echo "$out" | sed -n 's/copying page shown for \([0-9]*\) ms/\1/p')
[ -n "$ms" ] || { echo "bench: the installation did not finish: $out" >&2; exit 1; }

rm -rf "$WINEPREFIX/drive_c/bench-cp"
start=$(date +%s%N)
cp -r "$data" "$WINEPREFIX/drive_c/bench-cp" && sync
cpms=$((($(date +%s%N) - start) / 1000000))
rm -rf "$WINEPREFIX/drive_c/bench-cp" "$target"

# One position message per full 8192-byte block and one per file, after the first reset to 0.
messages=$(build/native/bin/qxpack list build/bench/packages/bench.pkg |
  awk '{ n += int($2 / 8192) + 1 } END { print n + 1 }')
echo "payload: $mb MB in $(($(wc -l <build/bench/payload.manifest))) files"
echo "setup copy phase: $ms ms, $(echo "scale=1; $bytes / 1000 / $ms" | bc) MB/s"
echo "cp + sync:        $cpms ms, $(echo "scale=1; $bytes / 1000 / $cpms" | bc) MB/s"
echo "ratio setup / cp: $(echo "scale=2; $ms / $cpms" | bc)"
echo "position messages: $messages"
