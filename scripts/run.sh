#!/usr/bin/env bash
# Tries the client against the bundled forum simulator: installs the Debian packages it needs
# when some are missing (as root, or through sudo; it says what to install when it cannot),
# builds both, starts tamsor-forum-sim on its default ports, starts tamsor against it and stops
# the simulator when the client ends. Needs no root once the packages are there.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'TEXT'
tamsor is a desktop program and there is no display here ($DISPLAY and $WAYLAND_DISPLAY are
both empty). Either
  - run this command in a desktop session, or over "ssh -X" from one, or
  - run it on a virtual display, which you cannot see but which proves it starts:
        xvfb-run -a scripts/run.sh
  - or make pictures of every window instead: scripts/screenshots.sh
TEXT
    exit 1
fi

scripts/install-deps.sh --run

build_dir=${TAMSOR_BUILD_DIR:-build}
# A first build here needs no test libraries; a build folder made before keeps its settings.
configure=()
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    configure=(-DTAMSOR_BUILD_TESTS=OFF)
fi
cmake -S . -B "$build_dir" "${configure[@]}" >/dev/null
cmake --build "$build_dir" --target tamsor tamsor-forum-sim -j "$(nproc)"

sim_log=$(mktemp -t tamsor-forum-sim.XXXXXX.log)
"$build_dir/sim/tamsor-forum-sim" >"$sim_log" 2>&1 &
sim_pid=$!
stop_simulator() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    rm -f "$sim_log"
}
trap stop_simulator EXIT

# The simulator names its hosts and demo accounts once it listens.
for _ in $(seq 100); do
    if grep -q "Ctrl+C" "$sim_log"; then
        break
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        cat "$sim_log" >&2
        echo "The forum simulator did not start (is another one already running?)." >&2
        exit 1
    fi
    sleep 0.1
done
grep -v "Ctrl+C" "$sim_log"
echo "Sign in with a demo account above and the code of the captcha picture."
echo "Closing the client (Esc, or its cross) stops the simulator too."

status=0
"$build_dir/src/app/tamsor" || status=$?
exit "$status"
