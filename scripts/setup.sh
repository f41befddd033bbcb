#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libssl-dev libcrypto++-dev libcurl4-openssl-dev libcpp-httplib-dev libsqlite3-dev
  p7zip-full binutils
  libgtest-dev libgmock-dev libbenchmark-dev
  attr liblnk-utils time strace
  lldb
  libgtk-3-dev libpugixml-dev libzip-dev fonts-noto-cjk
  xvfb xauth xdotool imagemagick x11-utils
  wine64 g++-mingw-w64-x86-64 g++-mingw-w64-i686
  librsvg2-bin libxml2-utils
  dbus-daemon
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
