#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file under src/, in parallel,
# reading the compile flags from the build's compile database; any finding fails the run.
# Uses the test build's folder (TAMSOR_BUILD_DIR, default build) and configures it when it has
# no database yet; nothing is built, as src/ includes no generated file.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${TAMSOR_BUILD_DIR:-build}
if [ ! -f "$build_dir/compile_commands.json" ]; then
    cmake -S . -B "$build_dir" -DTAMSOR_WERROR=ON -DTAMSOR_BUILD_TESTS=ON >/dev/null
fi

start=$SECONDS
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# run-clang-tidy takes a regular expression over the database's paths: only the program's own
# sources, not the tests, the simulator or the files the toolkit generates.
if ! run-clang-tidy -quiet -p "$build_dir" -j "$(nproc)" "^$PWD/src/.*\.cpp\$" >"$log" 2>&1; then
    grep -E "(warning|error):" "$log" >&2 || cat "$log" >&2
    echo "clang-tidy found the problems above" >&2
    exit 1
fi
echo "clang-tidy: src/ clean in $((SECONDS - start)) s"
