#!/usr/bin/env bash
# Configures and builds both builds: build/native (the core, qxpack and their tests) and
# build/win32 (the Windows executables and their tests). The packages take their file times
# from SOURCE_DATE_EPOCH, which defaults to the last commit's time, so builds are reproducible.
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
