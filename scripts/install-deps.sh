#!/usr/bin/env bash
# Brings the Debian 12 packages the project needs onto this machine. With --run only those that
# build and run the client and the simulator (scripts/run.sh); without, also everything the
# tests, CI and the package check use.
#
# Installs only what is missing, and updates the package lists at most once: as root with
# apt-get, otherwise through sudo when a terminal can ask for the password. When neither works it
# names the missing packages and the command that installs them, and fails.
set -euo pipefail

run_packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev
    libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev zlib1g-dev
    ca-certificates  # the authorities an https forum's certificate is checked against
    fonts-wqy-zenhei
)
test_packages=(
    git
    libssl-dev openssl  # the https tests' servers and their certificates
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    clang-tidy  # scripts/tidy.sh, with run-clang-tidy
    xvfb xauth xdotool
    python3 python3-requests
    strace
    dpkg-dev file lintian desktop-file-utils appstream  # scripts/package-check.sh
)

case "${1:-}" in
    --run) packages=("${run_packages[@]}") ;;
    "") packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *)
        echo "usage: scripts/install-deps.sh [--run]" >&2
        exit 2
        ;;
esac

# Wanted only as commands, which may come from elsewhere than Debian (a newer Node.js, say): the
# package is installed only when the command is missing. node runs the regex dialect test's
# ECMAScript reference.
test_commands=(node:nodejs)
if [ -z "${1:-}" ]; then
    for entry in "${test_commands[@]}"; do
        if ! command -v "${entry%%:*}" >/dev/null 2>&1; then
            packages+=("${entry#*:}")
        fi
    done
fi

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null && [ -t 0 ]; then
    as_root=(sudo)
else
    # A Debian installed with a root password has no sudo: then su is the way to root.
    if command -v sudo >/dev/null; then
        why="there is no terminal to ask for a sudo password here"
        how="sudo apt-get install ${missing[*]}"
    else
        why="sudo is not installed"
        how="su -c 'apt-get install ${missing[*]}'"
    fi
    cat >&2 <<TEXT
These Debian packages are missing: ${missing[*]}
Installing them needs root, and $why.
Install them once, then run this again:
    $how
TEXT
    exit 1
fi

echo "Installing the missing Debian packages${as_root:+ with sudo}: ${missing[*]}"
if ! { "${as_root[@]}" apt-get update -qq && "${as_root[@]}" "${install[@]}" "${missing[@]}"; }; then
    echo "Could not install: ${missing[*]}. Install them (as root), then run this again." >&2
    exit 1
fi
