#!/usr/bin/env bash
# Wall time and peak memory of a silent install of the payload into a fresh
# prefix, of ExtractArchive alone (bench/ExtractArchiveDriver.cpp) and of
# `7z x` of the same archive into an empty folder, run alternately.
# Usage: bench/extraction-bench.sh [BUILD_DIR] [ROUNDS]   (defaults: build 7)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
rounds=${2:-7}
work=$(mktemp -d /tmp/extraction-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# The archive exactly as the installer carries it.
archive=$work/payload.7z
objcopy --dump-section ".rsrc/ZIPRES/IDR_STEP7ZRES=$archive" "$build/velmora-setup" "$work/discard"

# The driver, linked like the installer but with its own main().
driver=$work/extract-archive
link=$(ninja -C "$build" -t commands velmora-setup-bare | tail -1)
libraries=$(sed -e 's/^.* -o velmora-setup-bare //' -e 's/ && :$//' <<<"$link")
c++ -std=c++20 -O2 -I"$source_dir" -I"$source_dir/wincompat/include" -c "$source_dir/bench/ExtractArchiveDriver.cpp" \
  -o "$work/driver.o"
(cd "$build" && c++ -Wl,--exclude-libs,ALL "$work/driver.o" -o "$driver" $libraries)

# Runs a command, prints "seconds kilobytes".
measure() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || true; tail -1 "$work/time"; }

: >"$work/install" >"$work/direct" >"$work/7z"
for round in $(seq "$rounds"); do
  WINCOMPAT_PREFIX=$work/prefix-$round measure "$build/velmora-setup" slient >>"$work/install"
  installed=$(find "$work/prefix-$round/drive_c" -name Pellamor.exe | head -1)
  WINCOMPAT_PREFIX=$work/prefix-direct measure "$driver" "$archive" "$work/direct-$round" >>"$work/direct"
  mkdir "$work/7z-$round"
  measure 7z x -bd -bso0 -bsp0 "-o$work/7z-$round" "$archive" >>"$work/7z"
  rm -rf "$work/prefix-$round" "$work/direct-$round" "$work/7z-$round"
done
[ -n "$installed" ] || echo "note: the silent install did not extract the payload (no Pellamor.exe)"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
report() {
  local name=$1 file=$2
  printf '%-22s wall %6.2f s (median of %d)   peak RSS %7d KB (max)\n' "$name" \
    "$(cut -d' ' -f1 "$file" | median)" "$rounds" "$(cut -d' ' -f2 "$file" | sort -n | tail -1)"
}
echo "archive: $(stat -c %s "$archive") bytes, $(7z l "$archive" | tail -1 | sed 's/^ *//')"
report "silent install" "$work/install"
report "ExtractArchive alone" "$work/direct"
report "7z x" "$work/7z"
seven=$(cut -d' ' -f1 "$work/7z" | median)
awk -v a="$(cut -d' ' -f1 "$work/install" | median)" -v b="$(cut -d' ' -f1 "$work/direct" | median)" -v s="$seven" \
  'BEGIN { printf "ratio to 7z x: silent install %.2f, ExtractArchive %.2f\n", a / s, b / s }'
awk -v i="$(cut -d' ' -f2 "$work/install" | sort -n | tail -1)" -v s="$(cut -d' ' -f2 "$work/7z" | sort -n | tail -1)" \
  -v size="$(stat -c %s "$archive")" \
  'BEGIN { printf "memory budget (7z + 2 x archive): %d KB; silent install uses %d KB\n", s + 2 * size / 1024, i }'
