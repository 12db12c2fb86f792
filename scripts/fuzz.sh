#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for QX_FUZZ_SECONDS (default 300), or
# only the targets named as arguments. Prints the executions, executions per second and findings
# of each target; exits non-zero when any target found something. New inputs collect in
# build/fuzz/corpus/; the committed seeds are in tests/fuzz/corpus/, which long runs fold their
# finds into, minimised (-merge=1; see README).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${QX_FUZZ_SECONDS:-300}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)"

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_package fuzz_language fuzz_path fuzz_qxpack_list fuzz_uninstall_plan)
failed=0
for target in "${targets[@]}"; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work" build/fuzz/findings
  log=build/fuzz/$target.log
  status=0
  "build/fuzz/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/findings/$target-" "$work" "tests/fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    echo "$target: ${runs:-?} executions in ${seconds} s (${rate:-?} a second), no finding"
  else
    failed=1
    echo "$target: FINDING after ${runs:-?} executions (exit $status); see $log and build/fuzz/findings/"
    grep -m 5 -E 'ERROR|SUMMARY' "$log" || true
  fi
done
exit $failed
