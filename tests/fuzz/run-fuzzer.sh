#!/usr/bin/env bash
# run-fuzzer.sh BINARY TARGET_DIR WORK_DIR [libFuzzer options...]
# Runs one fuzz target on its seed corpus (TARGET_DIR/corpus, read only) and
# its dictionary (TARGET_DIR.dict). New inputs go to WORK_DIR/corpus, a crash
# or a broken property to WORK_DIR/artifacts; the run fails on either. The
# target's prefix is WORK_DIR/prefix, fresh for each run.
set -euo pipefail
binary=$1 target=$2 work=$3
shift 3
rm -rf "$work/prefix"
mkdir -p "$work/corpus" "$work/artifacts"
export WINCOMPAT_PREFIX=$work/prefix
options=(-rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$work/artifacts/")
[ -f "$target.dict" ] && options+=(-dict="$target.dict")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export WINCOMPAT_HEADLESS=1
exec "$binary" "${options[@]}" "$@" "$work/corpus" "$target/corpus"
