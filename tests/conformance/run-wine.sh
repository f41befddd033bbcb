#!/usr/bin/env bash
# Runs the Windows build of the conformance suite under 64-bit Wine in a fresh
# prefix set to Windows 10, from drive C:. Exits 77 (skipped) without Wine or
# without the MinGW build.
# Usage: run-wine.sh SUITE.exe WINE64 WINESERVER [suite options]
set -uo pipefail
suite=$1 wine=$2 wineserver=$3
shift 3
if [ -z "$wine" ] || [ ! -x "$wine" ] || [ -z "$wineserver" ]; then
  echo "skipped: wine64 not installed"
  exit 77
fi
if [ ! -f "$suite" ]; then
  echo "skipped: x86_64-w64-mingw32-g++ not installed, so there is no Windows build of the suite"
  exit 77
fi
area=$(mktemp -d /tmp/velmora-conformance-wine-XXXXXX)
# Wine links the profile's Desktop and Documents to $HOME: keep them inside the area.
mkdir -p "$area/home"
export HOME=$area/home WINEPREFIX=$area/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
cleanup() {
  "$wineserver" -k >/dev/null 2>&1
  "$wineserver" -w >/dev/null 2>&1
  rm -rf "$area"
}
trap cleanup EXIT
"$wine" wineboot -i >/dev/null 2>&1 || { echo "wine64 could not make a prefix"; exit 1; }
"$wine" reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
cp "$suite" "$WINEPREFIX/drive_c/conformance-suite.exe"
"$wine" 'C:\conformance-suite.exe' --login "$(id -un)" "$@"
status=$?
"$wineserver" -w
exit $status
