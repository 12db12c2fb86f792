#!/usr/bin/env bash
# Installs what is missing, builds everything, holds the programs to their size budgets and runs
# every test: the native suites, the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short run of each fuzz target, and the Windows suites under Wine.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every check runs: a test that lacks something of the machine (a Russian locale, a drive letter,
# root for the small drive) fails with its reason instead of passing as skipped.
export QX_REQUIRE_ALL=1

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

trap 'end_wine_session 2>/dev/null || true' EXIT
. scripts/wine-session.sh
if [ "$QX_WINDOWS_BUILD" != win32 ]; then
  echo "== the shipped 32-bit programs' imports (this machine runs no 32-bit program under Wine)"
  ctest --test-dir build/win32 --output-on-failure -R '^shipped_imports$'
fi
echo "== Windows tests under Wine (build/$QX_WINDOWS_BUILD)"
# Each suite runs once. One that stalls is ended by cmake/wine-run.sh after 600 s, failing with
# the Wine processes and where they wait; the timeout is CTest's last guard against a hang.
ctest --test-dir "build/$QX_WINDOWS_BUILD" --output-on-failure --timeout 900
