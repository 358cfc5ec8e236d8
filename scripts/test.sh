#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${TAMSOR_BUILD_DIR:-build}
jobs=$(nproc)
# The benchmarks are built too (not run), so a change that breaks them shows here.
cmake -S . -B "$build_dir" -DTAMSOR_WERROR=ON -DTAMSOR_BUILD_TESTS=ON -DTAMSOR_BUILD_BENCH=ON \
    >/dev/null
cmake --build "$build_dir" -j "$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
