#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under the address and undefined-behaviour sanitizers
# and runs each one for a bounded time from its seed corpus. A crash, a sanitizer report or a
# broken promise in a target fails the run; the executions per second are printed per target.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${TAMSOR_JOBS:-$(nproc)}
fuzz_dir=${TAMSOR_FUZZ_DIR:-build-fuzz}
seconds=${TAMSOR_FUZZ_SECONDS:-20}
targets=(gbk_fuzz url_fuzz cookies_fuzz regex_pattern_fuzz regex_image_fuzz cleanup_fuzz
    replacement_table_fuzz profile_reader_fuzz directory_reader_fuzz thread_list_reader_fuzz post_reader_fuzz
    picture_ends_fuzz)

start=$SECONDS
# The libraries get coverage instrumentation too, or the fuzzer would be blind inside them.
cmake -S . -B "$fuzz_dir" -DCMAKE_CXX_COMPILER=clang++ -DTAMSOR_BUILD_UI=OFF \
    -DTAMSOR_BUILD_FUZZ=ON -DTAMSOR_WERROR=ON -DTAMSOR_SANITIZE=address,undefined \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$fuzz_dir" -j "$jobs" --target "${targets[@]}"
echo "fuzz build: $((SECONDS - start)) s"

# Findings go to a scratch folder; the committed seeds are only read.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# See scripts/sanitizers.sh on intercept_tls_get_addr: the leak checker's tracer can die at exit.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

failed=0
printf '%-26s %10s %12s %8s\n' target runs "execs/s" status
for target in "${targets[@]}"; do
    mkdir -p "$work/$target"
    seeds=tests/fuzz/corpus/$target
    corpora=("$work/$target")
    [ -d "$seeds" ] && corpora+=("$seeds")
    log=$work/$target.log
    status=ok
    # -timeout: one input taking 10 s counts as a hang; -rss_limit_mb: as a memory blow-up.
    if ! "$fuzz_dir/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$work/$target-" -print_final_stats=1 \
        "${corpora[@]}" >"$log" 2>&1; then
        status=FAILED
        failed=1
        tail -n 40 "$log"
        for artifact in "$work/$target"-*; do
            [ -e "$artifact" ] && { echo "input: $artifact"; od -c "$artifact" | head -n 20; }
        done
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    printf '%-26s %10s %12s %8s\n' "$target" "${runs:-?}" "${speed:-?}" "$status"
done
exit "$failed"
