#!/usr/bin/env bash
# fuzz-build.sh [FOLDER]: configures and builds the libFuzzer targets with
# clang in their own folder (default build-fuzz); the product's own builds
# stay with GCC. Only the targets and the libraries they link are built.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build-fuzz}
if [ ! -f "$folder/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$folder" -G Ninja -DVELMORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$folder" -j2
