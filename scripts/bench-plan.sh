#!/usr/bin/env bash
# Time of the uninstaller's plan over a log of about 5 MB, natively (tools/plan_bench): many
# installations into one folder and tens of thousands of distinct registry lines.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native --target plan_bench >/dev/null
build/native/bin/plan_bench
