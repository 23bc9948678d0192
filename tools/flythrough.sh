#!/usr/bin/env bash
# flythrough.sh [GIF]: builds the viewer (Release), flies a scripted path through the 128 grid on
# a private Xvfb, takes screenshots between its frames and writes them as an animated GIF
# (default docs/flythrough.gif). KELMORA_FIXED_TIME pins the terrain's seed (default 1700000000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
gif=$(realpath -m "${1:-$root/docs/flythrough.gif}")
build=$root/build/release
fixed_time=${KELMORA_FIXED_TIME:-1700000000}
cd "$root"

tools/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELMORA_BENCHMARKS=OFF \
    >/dev/null
cmake --build "$build" --target kelmora -j2 >/dev/null
# The tests' fixed clock, compiled on its own so this build needs no test tools: every
# regeneration is seeded from time(), so the flight always crosses the same landscape.
cc -shared -fPIC -O2 -o "$build/libkelmora_fixed_time.so" tests/support/FixedTime.c

shots=$(mktemp -d)
displayfile=$shots/display
# -noreset: without it the server resets whenever its last client leaves, and the pointer with it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
viewer=""
trap 'kill $viewer $xvfb 2>/dev/null || true; rm -rf "$shots"' EXIT
for _ in $(seq 100); do [[ -s "$displayfile" ]] && break; sleep 0.05; done
DISPLAY=":$(cat "$displayfile")"
export DISPLAY

# The viewer puts the pointer back here whenever it has moved; starting there turns nothing.
home_x=400
home_y=300
xdotool mousemove $home_x $home_y
LD_PRELOAD="$build/libkelmora_fixed_time.so" KELMORA_FIXED_TIME=$fixed_time "$build/kelmora" \
    >"$shots/console" 2>&1 &
viewer=$!
window_up() { xdotool search --name "OpenGL Kelmora Demo" >/dev/null 2>&1; }
for _ in $(seq 100); do window_up && break; sleep 0.1; done
window_up || { echo "The viewer's window did not appear"; exit 1; }

pointer_home() {
    [[ $(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ') == "X=$home_x Y=$home_y " ]]
}
count=0
nudge=1
# frames N DX DY [EVERY]: N viewer frames, each turning the view DX, DY thousandths of a radian
# (right, down), with a screenshot after every EVERY-th (default 1). A frame is known to be done
# when the pointer is back home; without a turn, one-pixel nudges left and right mark the frames
# and leave the view as it was.
frames() {
    local n=$1 dx=$2 dy=$3 every=${4:-1} step tries
    for ((step = 0; step < n; step++)); do
        if ((dx == 0 && dy == 0)); then
            nudge=$((-nudge))
            xdotool mousemove $((home_x + nudge)) $home_y
        else
            xdotool mousemove $((home_x + dx)) $((home_y + dy))
        fi
        tries=0
        until pointer_home; do
            kill -0 $viewer 2>/dev/null || { echo "The viewer ended during the flight"; exit 1; }
            ((++tries < 1200)) || { echo "The viewer stopped putting the pointer back"; exit 1; }
            sleep 0.05
        done
        if (((step + 1) % every == 0)); then
            count=$((count + 1))
            import -window root "$shots/$(printf %04d $count).png"
        fi
    done
}

# Movement is per frame: a 128-grid frame under llvmpipe takes half a second to two seconds. The
# start pose is high above the field and off to its side, so the flight turns towards it and dives.
xdotool key 1              # the 128 grid
frames 4 0 0 2
frames 10 20 15            # turn right to face the field, and look further down
xdotool keydown v
frames 4 0 0               # from here its far part is beyond the near range: V draws it as lines
xdotool keyup v
xdotool keydown w
frames 96 0 0 3            # dive towards the field
frames 20 -12 0 2          # on over it, turning left
xdotool keyup w
xdotool keydown q
frames 16 0 0 2            # rise: the look-at point stays, so the view tilts down
xdotool keyup q
xdotool key g              # the fixed-function pipeline
xdotool keydown s
frames 30 10 0 2           # back off, turning right
xdotool keyup s
frames 2 0 0

xdotool key Escape
wait $viewer && status=0 || status=$?
viewer=""
if [[ $status -ne 0 ]]; then
    echo "The viewer ended with status $status:"
    cat "$shots/console"
    exit 1
fi

# Half size, the first and the last picture held longer, only the changes stored.
mkdir -p "$(dirname "$gif")"
last=$(printf %04d $count)
convert -delay 100 "$shots/0001.png" -delay 15 "$shots"/0*.png -delay 150 "$shots/$last.png" \
    -resize 512x384 -layers Optimize "$gif"
echo "Wrote $gif ($count frames, $(du -k "$gif" | cut -f1) KiB)"
