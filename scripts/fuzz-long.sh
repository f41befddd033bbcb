#!/usr/bin/env bash
# fuzz-long.sh [RUNS] [TARGET...]: builds the fuzz targets and runs each for
# RUNS executions (default 1000000), one after another, printing each
# target's executions, time and outcome. Work files go to build-fuzz/long/.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-1000000}
shift || true
bash scripts/fuzz-build.sh build-fuzz >/dev/null || exit 1
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(registry-hive profile-file skin-archive dialog-builder channel-marker
                                      text-cipher shell-link item-path command-line)
status=0
for target in "${targets[@]}"; do
  log=build-fuzz/long/$target.log
  mkdir -p build-fuzz/long
  start=$(date +%s)
  tests/fuzz/run-fuzzer.sh "build-fuzz/fuzz-$target" "tests/fuzz/$target" "build-fuzz/long/$target" \
    -runs="$runs" >"$log" 2>&1
  result=$?
  executed=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
  echo "$target: ${executed:-?} executions in $(( $(date +%s) - start )) s, exit $result"
  [ $result -eq 0 ] || status=1
done
exit $status
