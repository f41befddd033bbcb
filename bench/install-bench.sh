#!/usr/bin/env bash
# The silent install against `7z x` of the same archive, for the built-in
# payload and for generated ones: 2 500 to 20 000 files in one folder and a
# 150 MB archive of mixed data. For each shape, round after round: the
# install into a fresh prefix, ExtractArchive alone, `7z x` into an empty
# folder; then one more run of each under `strace -f -c` for its system calls.
# Usage: bench/install-bench.sh [BUILD_DIR] [ROUNDS]   (defaults: build 5)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
rounds=${2:-5}

for tool in 7z objcopy strace unshare openssl ninja c++ awk; do
  command -v "$tool" >/dev/null || { echo "install-bench: $tool is needed" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "install-bench: GNU time (/usr/bin/time) is needed" >&2; exit 2; }
for program in velmora-setup set-resource regsvr32; do
  [ -x "$build/$program" ] || { echo "install-bench: build it first: ninja -C $build velmora-setup set-resource regsvr32" >&2; exit 2; }
done
unshare -rn true || { echo "install-bench: unshare -rn is refused here" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/install-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM HUP
mkdir "$work/payloads" "$work/results" "$work/strace"
notes=$work/notes
: >"$notes"

echo "start: $(uptime)"

# ExtractArchive alone: bench/ExtractArchiveDriver.cpp, linked like the installer.
driver=$work/extract-archive
link=$(ninja -C "$build" -t commands velmora-setup-bare | tail -1)
libraries=$(sed -e 's/^.* -o velmora-setup-bare //' -e 's/ && :$//' <<<"$link")
c++ -std=c++20 -O2 -I"$source_dir" -I"$source_dir/wincompat/include" -c "$source_dir/bench/ExtractArchiveDriver.cpp" \
  -o "$work/driver.o"
(cd "$build" && c++ -Wl,--exclude-libs,ALL "$work/driver.o" -o "$driver" $libraries)

# Deterministic text: words from a fixed list, drawn by a MINSTD generator
# (exact in awk's doubles, so every awk gives the same bytes). With count set,
# writes that many files of 200-4000 bytes into dir; else bytes of text from
# seed to standard output.
text_generator='
BEGIN {
  n = split("file recovery drive partition scan deep quick restore folder photo document archive video music " \
            "deleted lost format sector cluster volume preview select target source progress result filter size " \
            "date type name path found missing damaged repair export save open cancel continue finish settings " \
            "language help license register update version signature table engine plugin module the a of to and " \
            "in is for on with from your this that can will be not all when after before while only each every " \
            "more disk memory card usb camera phone backup copy move", word, " ")
  x = seed + 1
  if (count) {
    for (f = 1; f <= count; f++) {
      name = sprintf("%s/f%05d.txt", dir, f)
      x = (x * 48271) % 2147483647
      write(200 + x % 3800, name)
      close(name)
    }
  } else write(bytes, "/dev/stdout")
}
function write(size, to,    written, line, i) {
  for (written = 0; written < size; written += length(line) + 1) {
    line = ""
    for (i = 0; i < 12; i++) { x = (x * 48271) % 2147483647; line = line word[x % n + 1] " " }
    print line > to
  }
}'

# Packs a folder's contents, or the names listed in a file, at -mx1: the
# fast level keeps the generation to seconds; both sides extract the same archive.
pack() { (cd "$1" && 7z a -t7z -mx1 -bd -bso0 -bsp0 "$2" "${3:-.}"); }

shapes=(default)
objcopy --dump-section ".rsrc/ZIPRES/IDR_STEP7ZRES=$work/payloads/default.7z" "$build/velmora-setup" "$work/discard"
rm -f "$work/discard"

echo "generating the payloads..."
flat=$work/flat
mkdir -p "$flat/Files"
awk -v seed=2500 -v count=20000 -v dir="$flat/Files" "$text_generator"
for count in 2500 5000 10000 20000; do
  printf 'Files/f%05d.txt\n' $(seq "$count") >"$work/list-$count"
  pack "$flat" "$work/payloads/files-$count.7z" "@$work/list-$count"
  shapes+=("files-$count")
done
rm -rf "$flat"

# About 300 MB: 6 × 16 MB of AES-CTR keystream (incompressible) and 12 × 17 MB
# of text (about 27 % at -mx1), about 150 MB packed.
mixed=$work/mixed
mkdir -p "$mixed/Data" "$mixed/Logs"
for i in 1 2 3 4 5 6; do
  head -c 16000000 /dev/zero | openssl enc -aes-128-ctr -nosalt -K 000102030405060708090a0b0c0d0e0f \
    -iv "$(printf '%032x' "$i")" >"$mixed/Data/table-$i.bin"
done
for i in 01 02 03 04 05 06 07 08 09 10 11 12; do
  awk -v seed="$((10#$i))" -v bytes=17000000 "$text_generator" >"$mixed/Logs/scan-$i.log"
done
pack "$mixed" "$work/payloads/mixed.7z"
rm -rf "$mixed"
shapes+=(mixed)
generated=$SECONDS

# Each archive in a copy of the installer, made the same way for every shape.
for shape in "${shapes[@]}"; do
  cp "$build/velmora-setup" "$work/payloads/$shape.exe"
  "$build/set-resource" "$work/payloads/$shape.exe" ZIPRES IDR_STEP7ZRES "$work/payloads/$shape.7z" >/dev/null
done

files_in() { 7z l "$1" | tail -1 | awk '{ for (i = 2; i <= NF; i++) if ($i ~ /^files/) print $(i - 1) }'; }
unpacked_in() { 7z l "$1" | tail -1 | awk '{ print $3 }'; }
installed_files() { find "$1/drive_c/Program Files (x86)" -type f 2>/dev/null | wc -l || true; }

# Runs a command with its output in a log; appends "exit wall user sys peakKB".
measure() {
  local results=$1 log=$2
  shift 2
  /usr/bin/time -f "%x %e %U %S %M" -o "$work/time" "$@" >"$log" 2>&1 || true
  tail -1 "$work/time" >>"$results"
}
note() { echo "$*" >>"$notes"; }
fresh() { rm -rf "$work/run"; sync; mkdir "$work/run"; }

# ExtractArchive alone writes into a prefix made once, so that it measures the extraction.
WINCOMPAT_PREFIX=$work/driver-prefix "$driver" /nonexistent "$work/nowhere" >/dev/null 2>&1 || true

echo "running $rounds rounds..."
for shape in "${shapes[@]}"; do
  archive=$work/payloads/$shape.7z installer=$work/payloads/$shape.exe
  expected=$(files_in "$archive")
  for round in $(seq "$rounds"); do
    fresh
    measure "$work/results/$shape.install" "$work/run/log" \
      env WINCOMPAT_PREFIX="$work/run/prefix" unshare -rn "$installer" slient
    status=$(tail -1 "$work/results/$shape.install" | cut -d' ' -f1)
    [ "$status" = 0 ] || note "$shape round $round: the install ended with exit $status"
    if grep -q "install failed" "$work/run/log"; then note "$shape round $round: $(grep -m1 "install failed" "$work/run/log")"; fi
    got=$(installed_files "$work/run/prefix")
    [ "$got" -ge "$expected" ] || note "$shape round $round: $got files installed of the archive's $expected"

    fresh
    measure "$work/results/$shape.extract" "$work/run/log" \
      env WINCOMPAT_PREFIX="$work/driver-prefix" "$driver" "$archive" "$work/run/out"
    status=$(tail -1 "$work/results/$shape.extract" | cut -d' ' -f1)
    [ "$status" = 14 ] || note "$shape round $round: ExtractArchive answered $status, not 14 (done)"

    fresh
    mkdir "$work/run/out"
    measure "$work/results/$shape.7z" "$work/run/log" unshare -rn 7z x -bd -bso0 -bsp0 "-o$work/run/out" "$archive"
    status=$(tail -1 "$work/results/$shape.7z" | cut -d' ' -f1)
    [ "$status" = 0 ] || note "$shape round $round: 7z x ended with exit $status"
  done

  # System calls, counted apart so that tracing never slows a timed run.
  traced=$SECONDS
  fresh
  env WINCOMPAT_PREFIX="$work/run/prefix" unshare -rn strace -f -c -o "$work/strace/$shape.install" \
    "$installer" slient >/dev/null 2>&1 || note "$shape: the traced install failed"
  fresh
  env WINCOMPAT_PREFIX="$work/driver-prefix" strace -f -c -o "$work/strace/$shape.extract" \
    "$driver" "$archive" "$work/run/out" >/dev/null 2>&1 || true
  fresh
  mkdir "$work/run/out"
  unshare -rn strace -f -c -o "$work/strace/$shape.7z" 7z x -bd -bso0 -bsp0 "-o$work/run/out" "$archive" \
    >/dev/null 2>&1 || note "$shape: the traced 7z x failed"
  tracing=$((${tracing:-0} + SECONDS - traced))
done
rm -rf "$work/run"

# Median of column $1 (1-based, "exit wall user sys peakKB"); column 0 is user+sys.
median() {
  awk -v c="$1" '{ print c ? $c : $3 + $4 }' "$2" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
calls() { awk '$NF == "total" { print $4 }' "$1"; }
run_name() { case $1 in install) echo "silent install" ;; extract) echo "ExtractArchive" ;; *) echo "7z x" ;; esac; }

echo
echo "medians of $rounds rounds; system calls of one traced run each (strace -f -c)"
printf '%-12s %-15s %7s %7s %12s %9s %7s %6s %6s %7s\n' shape run "wall s" "CPU s" "peak RSS KB" syscalls \
  "wall ×" "CPU ×" "mem ×" "calls ×"
for shape in "${shapes[@]}"; do
  base=$work/results/$shape.7z
  for run in install extract 7z; do
    file=$work/results/$shape.$run
    awk -v shape="$([ "$run" = install ] && echo "$shape")" -v name="$(run_name "$run")" \
      -v w="$(median 2 "$file")" -v c="$(median 0 "$file")" -v m="$(median 5 "$file")" -v s="$(calls "$work/strace/$shape.$run")" \
      -v bw="$(median 2 "$base")" -v bc="$(median 0 "$base")" -v bm="$(median 5 "$base")" -v bs="$(calls "$work/strace/$shape.7z")" \
      -v ratios="$([ "$run" = 7z ] || echo yes)" \
      'function r(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
       BEGIN {
         printf "%-12s %-15s %7.2f %7.2f %12d %9d", shape, name, w, c, m, s
         if (ratios) printf " %7s %6s %6s %7s", r(w, bw), r(c, bc), r(m, bm), r(s, bs)
         printf "\n"
       }'
  done
done

echo
echo "memory budget: 7z x's peak + 1.1 × the archive"
printf '%-12s %12s %7s %12s %11s %11s %s\n' shape "archive B" files "unpacked B" "budget KB" "install KB" within
for shape in "${shapes[@]}"; do
  archive=$work/payloads/$shape.7z
  awk -v shape="$shape" -v size="$(stat -c %s "$archive")" -v files="$(files_in "$archive")" -v unpacked="$(unpacked_in "$archive")" \
    -v seven="$(median 5 "$work/results/$shape.7z")" -v install="$(median 5 "$work/results/$shape.install")" \
    'BEGIN {
       budget = seven + 1.1 * size / 1024
       printf "%-12s %12d %7d %12d %11d %11d %s\n", shape, size, files, unpacked, budget, install,
         install <= budget ? "yes" : sprintf("no, %d KB over", install - budget)
     }'
done

echo
echo "most frequent system calls (traced run)"
for shape in "${shapes[@]}"; do
  for run in install extract 7z; do
    printf '%-12s %-15s %s\n' "$([ "$run" = install ] && echo "$shape")" "$(run_name "$run")" \
      "$(awk '$NF != "total" && $4 ~ /^[0-9]+$/ { print $4, $NF }' "$work/strace/$shape.$run" | sort -rn | head -6 |
         awk '{ printf "%s%s %s", (NR > 1 ? ", " : ""), $2, $1 }')"
  done
done

echo
if [ -s "$notes" ]; then
  echo "runs that did not end as expected:"
  cat "$notes"
else
  echo "every run ended as expected (install exit 0 with the whole tree, ExtractArchive 14, 7z x 0)"
fi
echo "time taken: $generated s generating, $((SECONDS - generated - tracing)) s timed runs, $tracing s traced runs"
echo "end: $(uptime)"
