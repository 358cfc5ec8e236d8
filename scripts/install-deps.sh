#!/usr/bin/env bash
# Brings every Debian 12 package the project needs onto this machine.
# Idempotent: installs only what is missing, and updates the package lists at most once.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    qt6-base-dev libgl-dev
    libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    xvfb xauth xdotool fonts-wqy-zenhei
    python3 python3-requests
    strace
)

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing: ${missing[*]}" >&2
    echo "Run this script as root (or install them) first." >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
