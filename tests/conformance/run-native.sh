#!/usr/bin/env bash
# Runs the conformance suite built against wincompat in a fresh prefix, from
# drive C: as an installed program runs. The ANSI code page is 1252, as the
# Wine run has it.
# Usage: run-native.sh SUITE [suite options]
set -euo pipefail
suite=$1
shift
area=$(mktemp -d /tmp/velmora-conformance-XXXXXX)
trap 'rm -rf "$area"' EXIT
export WINCOMPAT_PREFIX=$area/prefix WINCOMPAT_CODEPAGE=1252
mkdir -p "$WINCOMPAT_PREFIX/drive_c"
cp "$suite" "$WINCOMPAT_PREFIX/drive_c/conformance-suite"
"$WINCOMPAT_PREFIX/drive_c/conformance-suite" --login "$(id -un)" "$@"
