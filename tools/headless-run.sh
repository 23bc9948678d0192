#!/usr/bin/env bash
# headless-run.sh VIEWER PNG [OPTION...]: runs the viewer (with the options, such as --batched)
# on a private Xvfb, shows the 128 grid for a few
# seconds, ends the viewer with Esc and saves the screen as PNG. Only a viewer that drew its
# frames and ended with status 0 gets its picture saved; otherwise one line says why, status 1.
set -euo pipefail
viewer=$(realpath "$1")
png=$2
mkdir -p "$(dirname "$png")"

work=$(mktemp -d)
viewer_pid=""
cleanup() {
    [[ -n $viewer_pid ]] && kill "$viewer_pid" 2>/dev/null
    [[ -n ${xvfb:-} ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$1"
    echo "No screenshot was saved."
    exit 1
}
trap 'fail "tools/headless-run.sh stopped at line $LINENO."' ERR

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
[[ -s "$work/display" ]] || fail "Xvfb did not start."
export DISPLAY=":$(cat "$work/display")"

# The overlay's first line is white text: until it shows, no frame has been drawn.
overlay_in() {
    [[ $(convert "$1" -crop 200x30+0+0 -fill black +opaque white -format '%[fx:maxima]' info:) == 1 ]]
}
drawn() { import -window root "$work/now.png" && overlay_in "$work/now.png"; }
# Below the overlay the 128 grid's near blocks cover much of the sky (the start-up grid none).
terrain_in() {
    [[ $(convert "$1" -crop 1024x688+0+80 -fill black -opaque 'rgb(26,145,204)' -fill white \
         +opaque black -format '%[fx:mean > 0.05]' info:) == 1 ]]
}
# Waits for the ended viewer and says in `why` how it ended.
ended() {
    status=0
    wait "$viewer_pid" || status=$?
    viewer_pid=""
    if ((status > 128)); then
        why="The viewer was killed by signal $((status - 128)) (SIG$(kill -l "$status"))$1."
    else
        why="The viewer ended with status $status$1."
    fi
}

"$viewer" "${@:3}" &
viewer_pid=$!
# The viewer keeps this stderr; the shell's own notice of a crashed job would be a second,
# vaguer line, and the screen grabs complain while the window is new.
exec 2>/dev/null
shown=""
deadline=$((SECONDS + 30))
while ((SECONDS < deadline)); do
    kill -0 "$viewer_pid" || { ended " before it showed a frame"; fail "$why"; }
    drawn && { shown=1; break; }
    sleep 0.1
done
[[ -n $shown ]] || fail "The viewer showed no frame within 30 seconds."

xdotool key 1   # the 128 grid: the near part of the field is drawn filled
# Its first frame takes a while on a slow machine: wait for it (a minute at most), then show it
# for a few seconds.
deadline=$((SECONDS + 60))
while ((SECONDS < deadline)); do
    kill -0 "$viewer_pid" || { ended " while it ran"; fail "$why"; }
    import -window root "$work/shot.png" && terrain_in "$work/shot.png" && break
    sleep 0.1
done
sleep 3
kill -0 "$viewer_pid" || { ended " while it ran"; fail "$why"; }
import -window root "$work/shot.png"
overlay_in "$work/shot.png" || fail "The viewer's picture after key 1 shows no overlay."
xdotool key Escape
for _ in $(seq 300); do kill -0 "$viewer_pid" || break; sleep 0.1; done
kill -0 "$viewer_pid" && fail "The viewer did not end within 30 seconds of Esc."
ended " after Esc"
((status == 0)) || fail "$why"
mv "$work/shot.png" "$png"
echo "Screenshot saved to $(realpath "$png")"
