#!/usr/bin/env bash
# Fails when a source file under tests/ is built by no target. Configures a scratch folder with
# every part on (the window tests, the benchmarks and, with clang, the fuzz targets) so that no
# option hides a target; nothing is built.
set -euo pipefail
cd "$(dirname "$0")/.."

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! cmake -S . -B "$scratch" -DCMAKE_CXX_COMPILER=clang++ -DTAMSOR_BUILD_UI=ON \
    -DTAMSOR_BUILD_TESTS=ON -DTAMSOR_BUILD_BENCH=ON -DTAMSOR_BUILD_FUZZ=ON \
    -DTAMSOR_CHECK_TEST_SOURCES=ON >"$scratch/configure.log" 2>&1; then
    cat "$scratch/configure.log" >&2
    exit 1
fi
grep -F "Every test source" "$scratch/configure.log"
