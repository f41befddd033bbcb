#!/usr/bin/env bash
# Walks through the wizard on a private Xvfb display as a user would (the
# welcome page, its options panel, the install's progress, the completion
# page, the finish button) and photographs each step.
#   scripts/wizard-tour.sh BUILD_DIR OUTPUT_DIR [GDK_SCALE]
# WINCOMPAT_PREFIX names the prefix to install into (default: a new one).
set -euo pipefail
build=$(realpath "${1:?build folder}")
out=$(realpath -m "${2:?output folder}")
scale=${3:-1}
mkdir -p "$out"
export WINCOMPAT_PREFIX=${WINCOMPAT_PREFIX:-$(mktemp -d /tmp/velmora-tour.XXXXXX)/prefix}

display=":$((300 + $$ % 500))"
Xvfb "$display" -noreset -nolisten tcp -screen 0 $((1280 * scale))x$((800 * scale))x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done
export DISPLAY=$display GDK_BACKEND=x11 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 GDK_SCALE=$scale

# Skin coordinates at scale 1, in window pixels.
at() { xdotool mousemove --window "$window" $(($1 * scale)) $(($2 * scale)) click 1; sleep 0.4; }
shot() { import -window "$window" "$out/$1.png"; echo "  $out/$1.png"; }
pixel() { import -window "$window" png:- | convert png:- -format "%[hex:p{$(($1 * scale)),$(($2 * scale))}]" info: | cut -c1-6; }

"$build/velmora-setup" > "$out/wizard-output.txt" 2>&1 &
wizard=$!
window=""
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --pid "$wizard" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.05
done
[ -n "$window" ] || { echo "wizard-tour: no wizard window" >&2; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.5
echo "wizard window $window on $DISPLAY (scale $scale):"
shot welcome
at 510 370; shot welcome-options
at 510 370
# The install is quick: the wizard is paused for each look (the X server
# keeps what it painted) until the bar is past the middle.
xdotool key Return
for _ in $(seq 400); do
  kill -STOP "$wizard"
  import -window "$window" "$out/progress.png"
  bar=$(convert "$out/progress.png" -format "%[hex:p{$((300 * scale)),$((278 * scale))}]" info: | cut -c1-6)
  kill -CONT "$wizard"
  [ "$bar" = 2F6BFF ] && break
  sleep 0.01
done
echo "  $out/progress.png"
for _ in $(seq 600); do
  case $(pixel 215 346) in 2F6BFF|2259E8|1A4BCC) break ;; esac
  sleep 0.1
done
xdotool mousemove --window "$window" 0 $((390 * scale)); sleep 0.3
shot complete
at 215 346
wait "$wizard" && status=0 || status=$?
echo "wizard exit code: $status"
