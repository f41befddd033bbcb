#!/usr/bin/env bash
# The wizard against the silent mode, on a private Xvfb display.
#   bench/wizard-bench.sh [BUILD_DIR] [ROUNDS]    (defaults: build, 5)
# Each round, alternately:
#   - first frame: process start to the wizard's first painted frame, as the
#     window layer reports it (WINCOMPAT_TRACE=frame prints the time once);
#   - wizard install: Enter on the welcome page to the install's last step
#     (the version file appearing in the install folder, which the task
#     writes at its end), polled every 5 ms;
#   - silent install: `velmora-setup slient`, start to exit.
# Every run gets a fresh prefix. Prints medians and the ratio; asserts nothing.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-5}
work=$(mktemp -d /tmp/velmora-wizard-bench.XXXXXX)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

display=":$((300 + $$ % 500))"
Xvfb "$display" -noreset -nolisten tcp -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done
export DISPLAY=$display GDK_BACKEND=x11 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
version_file="drive_c/Program Files (x86)/Velmora/VelmoraUserVersion.ini"

for round in $(seq "$rounds"); do
  prefix=$work/wizard-$round/prefix
  WINCOMPAT_PREFIX=$prefix WINCOMPAT_TRACE=frame "$build/velmora-setup" > "$work/out-$round.txt" 2> "$work/err-$round.txt" &
  wizard=$!
  window=""
  for _ in $(seq 400); do
    window=$(xdotool search --onlyvisible --pid "$wizard" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.05
  done
  sleep 0.3
  xdotool windowfocus --sync "$window"
  grep -o 'first frame after [0-9.]* ms' "$work/err-$round.txt" | grep -o '[0-9.]*' >> "$work/frame.txt" || true
  start=$(now)
  xdotool key Return
  until [ -f "$prefix/$version_file" ]; do sleep 0.005; done
  echo $(( ($(now) - start) / 1000000 )) >> "$work/wizard.txt"
  # Closes once the completion page is shown (Alt+F4 is refused until then).
  for _ in $(seq 100); do
    kill -0 "$wizard" 2>/dev/null || break
    xdotool key alt+F4 2>/dev/null || true
    sleep 0.1
  done
  wait "$wizard" 2>/dev/null || true

  start=$(now)
  WINCOMPAT_PREFIX=$work/silent-$round/prefix "$build/velmora-setup" slient > /dev/null 2>&1
  echo $(( ($(now) - start) / 1000000 )) >> "$work/silent.txt"
done

frame=$(median < "$work/frame.txt" 2>/dev/null || echo "?")
wizard=$(median < "$work/wizard.txt")
silent=$(median < "$work/silent.txt")
echo "first painted frame (median of $rounds): ${frame} ms   (goal <= 150 ms)"
echo "wizard install, Enter to last step:      ${wizard} ms"
echo "silent install, start to exit:           ${silent} ms"
awk -v w="$wizard" -v s="$silent" 'BEGIN { printf "wizard / silent: %.2f   (goal <= 1.2)\n", w / s }'
