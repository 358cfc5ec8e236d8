#!/bin/sh
# Builds the benchmarks and the client in build-bench and prints one table of the client's
# figures beside its peers': bench/run.sh [runs]  (5 runs by default; medians are shown).
set -eu
cd "$(dirname "$0")/.."
build=build-bench
runs=${1:-5}
# The client is bound to ports of its own, so the start-up run does not meet a simulator that
# someone else started on the default ports; TAMSOR_BENCH_PORTS="ACCOUNT FORUM" picks others.
set -- ${TAMSOR_BENCH_PORTS:-18580 18581}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSOR_BUILD_BENCH=ON \
    -DTAMSOR_WERROR=ON -DTAMSOR_BUILD_TESTS=OFF -DTAMSOR_ACCOUNT_HOST="127.0.0.1:$1" \
    -DTAMSOR_FORUM_HOST="127.0.0.1:$2" >/dev/null
cmake --build "$build" -j2 --target tamsor_bench_all
exec /usr/bin/python3 bench/compare.py "$build" --runs "$runs" --markdown "$build/performance.md"
