#!/usr/bin/env bash
# Runs a whole session of the real client (sign in, punch, board directory, a board, a post and
# its picture in the viewer) on a private X display, under strace, and shows that the client
# creates and writes no file, and that the password shows up in no output and no file name.
#
# Builds the client into build-nofiles for its own port pair, so it cannot meet another
# simulator. Needs Xvfb, xdotool and strace; the session is the one bench/compare.py drives.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TAMSOR_NOFILES_DIR:-build-nofiles}
account_port=${TAMSOR_NOFILES_ACCOUNT_PORT:-18680}
forum_port=${TAMSOR_NOFILES_FORUM_PORT:-18681}
jobs=${TAMSOR_JOBS:-$(nproc)}

port_built_into() {  # the port of a host the build folder's client was configured with
    sed -n "s/^$1:STRING=.*:\([0-9]*\)$/\1/p" "$build/CMakeCache.txt"
}

# TAMSOR_NOFILES_PREBUILT=1 takes the client as it is in the build folder, with its hosts.
if [ "${TAMSOR_NOFILES_PREBUILT:-0}" = 1 ]; then
    account_port=$(port_built_into TAMSOR_ACCOUNT_HOST)
    forum_port=$(port_built_into TAMSOR_FORUM_HOST)
else
    cmake -S . -B "$build" -DTAMSOR_WERROR=ON \
        -DTAMSOR_ACCOUNT_HOST="127.0.0.1:$account_port" \
        -DTAMSOR_FORUM_HOST="127.0.0.1:$forum_port" >/dev/null
    cmake --build "$build" -j "$jobs" --target tamsor tamsor-forum-sim
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"

# A fresh home: every cache or settings file the toolkit would write would have to appear here.
session_status=0
HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/runtime XDG_CONFIG_HOME= XDG_CACHE_HOME= \
    python3 - "$build" "$scratch" "$account_port" "$forum_port" <<'PY' || session_status=$?
import os, subprocess, sys, time
sys.path.insert(0, os.path.join(os.getcwd(), "bench"))
from compare import (DEMO_PASSWORD, Desktop, Simulator, drive_session, start_display,
                     wait_for_request)

build, scratch, account_port, forum_port = sys.argv[1:5]
simulator = Simulator(os.path.join(build, "sim", "tamsor-forum-sim"), account_port, forum_port,
                      log=True)
xvfb, display = start_display()
environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
trace = os.path.join(scratch, "strace.log")
output = open(os.path.join(scratch, "client.out"), "w")
client = subprocess.Popen(["strace", "-f", "-qq", "-e", "trace=%file", "-o", trace,
                           os.path.join(build, "src", "app", "tamsor")],
                          env=environment, stdout=output, stderr=subprocess.STDOUT)
with open(os.path.join(scratch, "password"), "w") as f:
    f.write(DEMO_PASSWORD)
status = 0
pid = None
try:
    wait_for_request(simulator, "/class/CAP/codeshow.php", timeout=30)
    time.sleep(0.5)
    # strace runs the client as its child; the windows belong to that process.
    pid = int(subprocess.run(["pgrep", "-P", str(client.pid)], capture_output=True,
                             text=True).stdout.split()[0])
    drive_session(simulator, Desktop(environment, pid))
    print("session finished")
except Exception as failure:  # the report below still tells what was written so far
    print(f"the session did not finish: {failure!r}")
    status = 1
finally:
    # Ending the client ends strace with it; strace itself is ended only if no client came up.
    if pid is not None:
        os.kill(pid, 15)
    else:
        client.terminate()
    try:
        client.wait(timeout=30)
    except subprocess.TimeoutExpired:
        client.kill()
        status = 1
    xvfb.terminate()
    xvfb.wait(timeout=10)
    simulator.stop()
    output.close()
sys.exit(status)
PY

trace=$scratch/strace.log
echo "file system calls traced: $(wc -l <"$trace")"
# Calls that create, change or remove a name, and opens for writing; failed attempts included.
calls='open|openat|openat2|creat|mkdir|mkdirat|mknod|mknodat|rename|renameat|renameat2|unlink|unlinkat|rmdir|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|chown|lchown|fchownat|utime|utimes|utimensat'
writes=$(grep -E "^[0-9]+ +($calls)\(" "$trace" |
    awk '$2 ~ /^open(at2?)?\(/ && $0 !~ /O_(WRONLY|RDWR|CREAT|TRUNC|APPEND)/ { next } { print }' |
    grep -vE '"/(proc|dev|sys)/' | grep -vF "\"$scratch/runtime" || true)
done_writes=$(grep -v '= -1 ' <<<"$writes" | sed '/^$/d' || true)
failed_writes=$(grep '= -1 ' <<<"$writes" || true)
left_behind=$(find "$scratch/home" -mindepth 1 | sed "s|^$scratch/home|~|")

status=$session_status
if [ -n "$done_writes" ]; then
    echo "FAIL: the client wrote to the file system:"
    echo "$done_writes"
    status=1
fi
if [ -n "$failed_writes" ]; then
    echo "attempted and refused by the system (nothing written):"
    echo "$failed_writes"
fi
if [ -n "$left_behind" ]; then
    echo "FAIL: left in the fresh home directory:"
    echo "$left_behind"
    status=1
fi
password=$(cat "$scratch/password")
for log in "$trace" "$scratch/client.out"; do
    if grep -qF -- "$password" "$log"; then
        echo "FAIL: the password appears in $(basename "$log")"
        status=1
    fi
done
echo "client output: $(wc -c <"$scratch/client.out") bytes"
[ "$status" = 0 ] && echo "no file written, the password in no output"
exit "$status"
