#!/usr/bin/env bash
# Installs what is missing, builds everything, holds the programs to their size budgets and runs
# every test: the native suites, the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short run of each fuzz target, and the Windows suites under Wine.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-machine.sh
scripts/build.sh

echo "== sizes"
scripts/size.sh

echo "== native tests"
ctest --test-dir build/native --output-on-failure

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$(nproc)"
ctest --test-dir build/asan --output-on-failure

echo "== fuzz targets, a short run each"
QX_FUZZ_SECONDS=${QX_FUZZ_SECONDS:-20} scripts/fuzz.sh

. scripts/wine-session.sh
if [ "$QX_WINDOWS_BUILD" != win32 ]; then
  echo "== the shipped 32-bit programs' imports (this machine runs no 32-bit program under Wine)"
  ctest --test-dir build/win32 --output-on-failure -R '^shipped_imports$'
fi
echo "== Windows tests under Wine (build/$QX_WINDOWS_BUILD)"
trap end_wine_session EXIT
# A suite gets a second run when its first fails or stalls: now and then, on a busy machine, a
# Wine program stops at its start before it shows any window (the wineserver idle, its one thread
# waiting), and its suite would wait for it for ever. A fault of the program fails both runs.
ctest --test-dir "build/$QX_WINDOWS_BUILD" --output-on-failure --timeout 600 --repeat until-pass:2
