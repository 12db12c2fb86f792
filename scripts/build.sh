#!/usr/bin/env bash
# Configures and builds both builds: build/native (the core, qxpack and their tests) and
# build/win32 (the Windows executables and their tests); on a machine that runs no 32-bit program
# also build/win64, the same for 64-bit Windows, to be run under Wine there. The packages take
# their file times from SOURCE_DATE_EPOCH, which defaults to the last commit's time, so builds
# are reproducible.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
  export SOURCE_DATE_EPOCH
fi
jobs=$(nproc)

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$jobs"

cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-i686-mingw32.cmake" \
  -DQXPACK="$PWD/build/native/bin/qxpack" >/dev/null
cmake --build build/win32 -j "$jobs"

# A machine that runs no 32-bit program tests the 64-bit build of the same sources under Wine.
qx_root=$PWD
. cmake/wine-path.sh
if [ "$QX_WINDOWS_BUILD" = win64 ]; then
  cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-x86_64-mingw32.cmake" \
    -DQXPACK="$PWD/build/native/bin/qxpack" >/dev/null
  cmake --build build/win64 -j "$jobs"
fi
