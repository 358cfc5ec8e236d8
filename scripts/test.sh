#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${TAMSOR_BUILD_DIR:-build}
jobs=$(nproc)
cmake -S . -B "$build_dir" -DTAMSOR_WERROR=ON -DTAMSOR_BUILD_TESTS=ON >/dev/null
cmake --build "$build_dir" -j "$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
