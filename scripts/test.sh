#!/usr/bin/env bash
# Builds everything and runs the whole test suite: once in the normal build,
# once with AddressSanitizer and UndefinedBehaviorSanitizer; then each fuzz
# target for a short bounded time (clang, its own folder). Test-only tools
# come from npm (scripts/test-tools.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/test-tools.sh

bash scripts/build.sh build
(cd build && ctest --output-on-failure -j2)

bash scripts/build.sh build-sanitize -DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2)

bash scripts/fuzz-build.sh build-fuzz
(cd build-fuzz && ctest -L fuzz --output-on-failure)
