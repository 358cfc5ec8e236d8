#!/usr/bin/env bash
# Makes docs/screenshots/<window>.png from the real windows on a virtual X display: a tour of
# every window against the forum simulator, and desktop.png of the tamsor program itself started
# against tamsor-forum-sim, signed in and driven with xdotool like a person would. The login and
# operations windows are also taken at twice the pixel density (QT_SCALE_FACTOR=2), as a
# double-density screen shows them, into docs/screenshots/2x/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${TAMSOR_BUILD_DIR:-build}
out=docs/screenshots
cmake -S . -B "$build_dir" -DTAMSOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build_dir" --target tamsor tamsor-forum-sim tamsor_screenshot_tour -j "$(nproc)"
mkdir -p "$out"

# Everything below runs inside one virtual display.
if [ -z "${TAMSOR_IN_XVFB:-}" ]; then
    exec env TAMSOR_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x720x24" "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb
tour="$build_dir/tools/tamsor_screenshot_tour"

"$tour" "$out"
scratch=$(mktemp -d)
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 "$tour" "$scratch" >/dev/null
mkdir -p "$out/2x"
cp "$scratch/login.png" "$scratch/operations.png" "$out/2x/"
rm -rf "$scratch"

# The program as a user starts it, signed in by typing into it. The simulator tells the code of
# the captcha picture on request, where a person would read it off the picture.
coproc SIM { exec "$build_dir/sim/tamsor-forum-sim" --captcha-queries; }
sim_pid=$SIM_PID
"$build_dir/src/app/tamsor" &
client_pid=$!
cleanup() {
    kill "$client_pid" "$sim_pid" 2>/dev/null || true
    wait "$client_pid" "$sim_pid" 2>/dev/null || true
}
trap cleanup EXIT

window=""
for _ in $(seq 100); do
    window=$(xdotool search --name "Tamsor" 2>/dev/null | head -n 1 || true)
    if [ -n "$window" ]; then
        break
    fi
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "The tamsor window did not appear." >&2
    exit 1
fi
sleep 0.5

# Windows open centred on the 1024 x 720 screen; a point at (x, y) of a w x h window is here.
at() { echo $((511 - $3 / 2 + $1)) $((359 - $4 / 2 + $2)); }
click() { xdotool mousemove $(at "$@") click 1; }
double_click() { xdotool mousemove $(at "$@") click --repeat 2 --delay 80 1; }

echo >&"${SIM[1]}"
code=""
while read -r line <&"${SIM[0]}"; do
    if [[ $line == "captcha code: "* ]]; then
        code=${line#captcha code: }
        break
    fi
done
click 140 132 411 239  # the account name box
xdotool type --delay 40 "demo"
xdotool key Tab
xdotool type --delay 40 "demo123"
xdotool key Tab
xdotool type --delay 40 "$code"
xdotool key Return
sleep 1
click 160 60 320 78    # OK under the welcome message
sleep 1.5
click 68 209 248 502   # 浏览板块
sleep 0.5
click 369 212 415 553  # fetch the board directory
sleep 1.5
double_click 47 115 415 553  # the third board: its threads
sleep 1
"$tour" --screen "$out/desktop.png"
echo "Saved the pictures in $out"
