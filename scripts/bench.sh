#!/usr/bin/env bash
# Copy speed of the installation against its floor. Builds a setup program whose payload is the
# product's two programs (so the run registers the product and makes its shortcuts, as a user's
# does) and about 200 MB of synthetic files (a few large ones and two thousand small ones), and
# in one Wine session, QX_BENCH_RUNS times (3 by default):
#   - installs it through the wizard and times the copying page, from its showing to the last
#     page's (tools/walkthrough/);
#   - writes the same package with tools/copyfloor/, which makes the same write-through 8 KiB
#     writes and the same position messages to a progress bar of another thread, and nothing of
#     the checks, the log, the protection, the registration or the shortcuts: the floor.
# It prints both times and their ratio for each run, then the best time of each over the runs
# and their ratio, and the sums over all runs and their ratio, which single runs' disk noise
# disturbs least; and the number of position messages the copy sends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
[ -x build/native/bin/qxpack ] || scripts/build.sh >/dev/null
runs=${QX_BENCH_RUNS:-3}

data=build/bench/payload
if [ ! -f build/bench/synthetic.manifest ]; then
  echo "Making the synthetic payload in $data ..."
  rm -rf "$data" && mkdir -p "$data/small"
  : >build/bench/synthetic.manifest.tmp
  for i in 1 2 3 4; do  # four files of 40 MiB, a counting pattern (reproducible)
    seq -f '%015g' 1 $((40 * 1024 * 1024 / 16)) | head -c $((40 * 1024 * 1024)) >"$data/large$i.bin"
    echo "payload/large$i.bin large$i.bin" >>build/bench/synthetic.manifest.tmp
  done
  for i in $(seq 1 2000); do  # small files of 1 to 20 KiB
    head -c $(((i % 20 + 1) * 1024)) "$data/large1.bin" >"$data/small/file$i.dat"
    echo "payload/small/file$i.dat small\\file$i.dat" >>build/bench/synthetic.manifest.tmp
  done
  mv build/bench/synthetic.manifest.tmp build/bench/synthetic.manifest
fi
# The product's programs from the benchmark's own build, the uninstaller last as in the product.
{
  echo '${BUILD}/quintaxel.exe quintaxel.exe'
  cat build/bench/synthetic.manifest
  echo '${BUILD}/uninstall.exe uninstall.exe'
} >build/bench/payload.manifest.tmp
cmp -s build/bench/payload.manifest.tmp build/bench/payload.manifest 2>/dev/null ||
  mv build/bench/payload.manifest.tmp build/bench/payload.manifest
rm -f build/bench/payload.manifest.tmp

qx_root=$PWD
. cmake/wine-path.sh  # the 64-bit build where this machine runs no 32-bit program
arch=i686
[ "$QX_WINDOWS_BUILD" = win32 ] || arch=x86_64
cmake -S . -B build/bench -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$arch-mingw32.cmake" \
  -DQXPACK="$PWD/build/native/bin/qxpack" -DQX_BENCH_MANIFEST="$PWD/build/bench/payload.manifest" >/dev/null
cmake --build build/bench -j "$(nproc)" --target setup_bench walkthrough copy_floor >/dev/null

QX_WINEPREFIX=$PWD/build/bench/wineprefix
. scripts/wine-session.sh
trap end_wine_session EXIT
target="$WINEPREFIX/drive_c/Program Files/Quintaxel"
floor="$WINEPREFIX/drive_c/bench-floor"
package="Z:$(echo "$PWD/build/bench/packages/bench.pkg" | tr / '\\')"
bytes=$(du -cb "$data" build/bench/bin/quintaxel.exe build/bench/bin/uninstall.exe | tail -n 1 | cut -f1)
mb=$(echo "scale=1; $bytes / 1000000" | bc)
# One position message per full 8192-byte block and one per file, after the first reset to 0.
messages=$(build/native/bin/qxpack list build/bench/packages/bench.pkg |
  awk '{ n += int($2 / 8192) + 1 } END { print n + 1 }')
echo "payload: $mb MB in $(($(wc -l <build/bench/payload.manifest))) files, $messages position messages"

best=; bestfloor=
for run in $(seq 1 "$runs"); do
  rm -rf "$target" "$floor" && sync
  out=$(wine build/bench/bin/walkthrough.exe 'C:\' --pages 7 --setup setup_bench.exe </dev/null 2>/dev/null | tr -d '\r')
  ms=$(echo "$out" | sed -n 's/copying page shown for \([0-9]*\) ms/\1/p')
  [ -n "$ms" ] || { echo "bench: the installation did not finish: $out" >&2; exit 1; }
  # A user's installation: registered, with its shortcuts.
  grep -q 'UninstallString\]' "$target/install.log" && grep -qi '\.lnk' "$target/install.log" ||
    { echo "bench: the installation was not registered or made no shortcuts" >&2; exit 1; }
  sync
  out=$(wine build/bench/bin/copy_floor.exe "$package" 'C:\bench-floor' </dev/null 2>/dev/null | tr -d '\r')
  floorms=$(echo "$out" | sed -n 's/copy floor: \([0-9]*\) ms/\1/p')
  [ -n "$floorms" ] || { echo "bench: the floor did not finish: $out" >&2; exit 1; }
  echo "run $run: setup copy phase $ms ms ($(echo "scale=1; $bytes / 1000 / $ms" | bc) MB/s)," \
    "floor $floorms ms ($(echo "scale=1; $bytes / 1000 / $floorms" | bc) MB/s)," \
    "ratio $(echo "scale=2; $ms / $floorms" | bc)"
  total=$((${total:-0} + ms)) totalfloor=$((${totalfloor:-0} + floorms))
  [ -n "$best" ] && [ "$best" -le "$ms" ] || best=$ms
  [ -n "$bestfloor" ] && [ "$bestfloor" -le "$floorms" ] || bestfloor=$floorms
done
echo "best of $runs: setup copy phase $best ms, floor $bestfloor ms," \
  "ratio $(echo "scale=2; $best / $bestfloor" | bc)"
# Write-through to a virtual disk moves single runs by a fifth either way; over all runs that
# noise falls on both sides alike.
echo "all $runs runs: setup copy phase $total ms, floor $totalfloor ms," \
  "ratio $(echo "scale=2; $total / $totalfloor" | bc)"
rm -rf "$target" "$floor"
