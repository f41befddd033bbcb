#!/usr/bin/env bash
# Builds the installer, runs a silent install in a fresh temporary prefix and
# shows what it left behind.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build

prefix=$(mktemp -d /tmp/velmora-demo.XXXXXX)
export WINCOMPAT_PREFIX=$prefix
echo "== prefix: $prefix"
echo "== running: build/velmora-setup slient"
set +e
build/velmora-setup slient
status=$?
set -e
echo "== exit code: $status"

login=$(id -un)
drive_c=$prefix/drive_c
echo
echo "== install folder: C:\\Program Files (x86)\\Velmora"
(cd "$drive_c/Program Files (x86)/Velmora" && find . -maxdepth 2 | sort | head -40)
echo
echo "== user data folder: C:\\Users\\$login\\AppData\\Local\\VelmoraUser"
ls -l "$drive_c/users/$login/AppData/Local/VelmoraUser"
for file in "$drive_c/users/$login/AppData/Local/VelmoraUser/VelmoraUser.ini" \
            "$drive_c/Program Files (x86)/Velmora/VelmoraUserVersion.ini"; do
  echo
  echo "== ${file#$drive_c/}"
  tr -d '\r' < "$file"
done
echo
echo "(the prefix stays for a closer look: rm -rf $prefix)"
