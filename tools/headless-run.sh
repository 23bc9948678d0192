#!/usr/bin/env bash
# headless-run.sh VIEWER PNG: runs the viewer on a private Xvfb, shows the 128 grid for a few
# seconds, saves the screen as PNG and ends the viewer with Esc.
set -euo pipefail
viewer=$(realpath "$1")
png=$2
mkdir -p "$(dirname "$png")"

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [[ -s "$displayfile" ]] && break; sleep 0.05; done
export DISPLAY=":$(cat "$displayfile")"

"$viewer" &
viewer_pid=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name "OpenGL Kelmora Demo" 2>/dev/null | head -n 1) && [[ -n "$window" ]] && break
    sleep 0.1
done
[[ -n "$window" ]] || { echo "The viewer's window did not appear"; exit 1; }

sleep 1
xdotool key 1   # the 128 grid: the near part of the field is drawn filled
sleep 5
import -window root "$png"
xdotool key Escape
wait "$viewer_pid" && status=0 || status=$?
echo "Screenshot saved to $(realpath "$png") (viewer ended with status $status)"
