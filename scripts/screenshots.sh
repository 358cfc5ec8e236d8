#!/usr/bin/env bash
# Makes docs/screenshots/<window>.png from the real windows on a virtual X display: a tour of
# every window against the forum simulator, and the tamsor program itself started against
# tamsor-forum-sim, typed into with xdotool and photographed with the whole screen.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${TAMSOR_BUILD_DIR:-build}
out=docs/screenshots
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target tamsor tamsor-forum-sim tamsor_screenshot_tour -j "$(nproc)"
mkdir -p "$out"

# Everything below runs inside one virtual display.
if [ -z "${TAMSOR_IN_XVFB:-}" ]; then
    exec env TAMSOR_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x720x24" "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb
tour="$build_dir/tests/ui/tamsor_screenshot_tour"

"$tour" "$out"

# The program as a user starts it.
"$build_dir/sim/tamsor-forum-sim" >/dev/null 2>&1 &
sim_pid=$!
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
# Click into the account name box (73, 121 in the window) and type like a person.
xdotool mousemove --window "$window" 120 132 click 1
xdotool type --delay 40 "demo"
xdotool key Tab
xdotool type --delay 40 "demo123"
sleep 0.3
"$tour" --screen "$out/desktop.png"
echo "Saved the pictures in $out"
