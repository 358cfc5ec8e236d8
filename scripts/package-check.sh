#!/usr/bin/env bash
# Makes the Debian package from a release build and checks it as a user would meet it: lintian
# (no error or warning; the few overridden ones are explained in dist/lintian-overrides),
# desktop-file-validate on the menu entry, appstreamcli on the metadata, then installs it with
# apt-get, asks the installed client for its version, and starts the installed client against the
# installed simulator on a private X display until the login window shows its captcha.
#
# Reuses the build folder of the test command (TAMSOR_BUILD_DIR, default build) when it is a
# release build without sanitizers; otherwise builds build-package for the package alone.
# Installing needs root. The package is removed again afterwards unless it was installed before
# or TAMSOR_PACKAGE_KEEP=1. The login window's picture is saved in <build>/package/login.png.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TAMSOR_BUILD_DIR:-build}
jobs=${TAMSOR_JOBS:-$(nproc)}

cache_value() {  # the value of a variable in the build folder's CMake cache
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" 2>/dev/null
}
release_build() {
    [[ $(cache_value CMAKE_BUILD_TYPE) =~ ^(Release|RelWithDebInfo|MinSizeRel)$ ]] &&
        [ -z "$(cache_value TAMSOR_SANITIZE)" ] && [ "$(cache_value TAMSOR_BUILD_UI)" = ON ]
}
if ! release_build; then
    echo "$build is no release build of the client; building build-package for the package"
    build=build-package
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSOR_BUILD_TESTS=OFF \
        -DTAMSOR_SANITIZE= >/dev/null
fi
# Up to date after the test command; cpack builds the rest of the folder's targets itself.
cmake --build "$build" -j "$jobs" --target tamsor tamsor-forum-sim tamsor_dist_files >/dev/null

out=$build/package
rm -rf "$out"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" ||
    { cat "$out/cpack.log" >&2; exit 1; }
deb=$(ls "$out"/tamsor_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "made $deb"
dpkg-deb -f "$deb" Depends | sed 's/^/depends on: /'

# Lintian works as root but warns about it; CI runs as root.
lintian_status=0
lintian --fail-on error,warning --display-info "$deb" >"$out/lintian.log" 2>&1 ||
    lintian_status=$?
grep -v "^running with root privileges" "$out/lintian.log" || true
if [ "$lintian_status" != 0 ]; then
    echo "lintian finds faults in the package" >&2
    exit 1
fi
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/tamsor.desktop"
appstreamcli validate --no-net --pedantic "$contents"/usr/share/metainfo/*.metainfo.xml
echo "lintian, desktop-file-validate and appstreamcli accept the package"

if [ "$(id -u)" -ne 0 ]; then
    echo "Installing the package needs root: run this script as root to finish the check." >&2
    exit 1
fi
installed_before=0
if dpkg-query -W -f='${Status}' tamsor 2>/dev/null | grep -q "install ok installed"; then
    installed_before=1
fi
remove_package() {
    if [ "$installed_before" = 0 ] && [ "${TAMSOR_PACKAGE_KEEP:-0}" != 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tamsor >/dev/null || true
    fi
    rm -rf "$contents"
}
trap remove_package EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "$(realpath "$deb")" >"$out/apt.log" 2>&1 || { cat "$out/apt.log" >&2; exit 1; }

# Without a display: the version and nothing else.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/tamsor --version)
if [ "$answer" != "tamsor ${version%-*}" ]; then
    echo "the installed client says '$answer' for version $version" >&2
    exit 1
fi
echo "installed; /usr/bin/tamsor --version: $answer"

# The installed client, started the way the menu entry starts it, against the installed
# simulator on its default ports; the simulator's log tells when the captcha was asked for.
screenshot_tool=$build/tools/tamsor_screenshot_tour
xvfb-run -a -s "-screen 0 800x600x24" bash -s "$out" "$screenshot_tool" <<'SESSION'
set -euo pipefail
out=$1
screenshot_tool=$2
sim_log=$out/simulator.log
/usr/bin/tamsor-forum-sim --log >"$sim_log" 2>&1 &
sim_pid=$!
client_pid=""
stop() {
    kill $client_pid "$sim_pid" 2>/dev/null || true
    wait $client_pid "$sim_pid" 2>/dev/null || true
}
trap stop EXIT
wait_for() {  # a condition, tried for up to 10 s while the named process lives
    for _ in $(seq 100); do
        if eval "$1"; then
            return 0
        fi
        if ! kill -0 "$2" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}
wait_for 'grep -q "Ctrl+C" "$sim_log"' "$sim_pid" ||
    { cat "$sim_log" >&2; echo "the installed simulator did not start" >&2; exit 1; }
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/tamsor.desktop)
$exec_line >"$out/client.log" 2>&1 &
client_pid=$!
window=""
find_window() {
    window=$(xdotool search --onlyvisible --pid "$client_pid" --name "Tamsor" 2>/dev/null |
        head -n 1 || true)
    [ -n "$window" ]
}
wait_for find_window "$client_pid" ||
    { cat "$out/client.log" >&2; echo "no window of the installed client appeared" >&2; exit 1; }
wait_for 'grep -q "GET /class/CAP/codeshow.php" "$sim_log"' "$client_pid" ||
    { echo "the installed client did not ask for a captcha" >&2; exit 1; }
sleep 0.5
title=$(xdotool getwindowname "$window")
size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
echo "the installed client shows '$title', $size"
if [[ $title != *"Tamsor登陆"* || $size != 411x239 ]]; then
    echo "that is not the login window" >&2
    exit 1
fi
if [ -x "$screenshot_tool" ]; then
    QT_QPA_PLATFORM=xcb "$screenshot_tool" --screen "$out/login.png"
    echo "saved the screen in $out/login.png"
fi
SESSION
echo "the package installs and its client starts"
