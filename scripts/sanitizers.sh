#!/usr/bin/env bash
# Builds the project twice more: once under the address and undefined-behaviour sanitizers,
# running every test (the windows' tests off screen), and once under the thread sanitizer,
# running the tests of the core that share state between threads. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${TAMSOR_JOBS:-$(nproc)}
asan_dir=${TAMSOR_ASAN_DIR:-build-asan}
tsan_dir=${TAMSOR_TSAN_DIR:-build-tsan}

configure_and_build() {
    local dir=$1 sanitizers=$2 ui=$3
    shift 3
    # Warnings are the plain build's business: GCC 12 reports false "maybe-uninitialized" in
    # std::regex and std::function once the sanitizers change inlining. The library's own checks
    # (an empty optional read, an index out of range) stop a test as a sanitizer report does.
    cmake -S . -B "$dir" -DTAMSOR_WERROR=OFF -DTAMSOR_BUILD_UI="$ui" -DTAMSOR_BUILD_FUZZ=OFF \
        "-DCMAKE_CXX_FLAGS=-Wno-maybe-uninitialized -D_GLIBCXX_ASSERTIONS" \
        -DTAMSOR_SANITIZE="$sanitizers" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$dir" -j "$jobs" --target "$@"
}

# ctest below runs every test the configure defines, so every test executable must be listed
# here: one left out is reported "Not Run" and fails the step.
all_tests=(tamsor_text_tests tamsor_http_tests tamsor_regex_tests tamsor_regex_reference_tests
    tamsor_sim_tests tamsor_forum_tests tamsor_reliability_tests tamsor_ui_tests
    tamsor_reliability_ui_tests)

echo "== address + undefined behaviour: every test"
start=$SECONDS
configure_and_build "$asan_dir" address,undefined ON "${all_tests[@]}"
echo "asan build: $((SECONDS - start)) s"
start=$SECONDS
# A sanitizer report ends its test with a non-zero status, so ctest counts it as a failure.
# GCC 12's runtime (and LLVM's up to 16) mistakes a dynamic TLS block that happens to start at a
# certain page offset for an old glibc's block header and reads bogus bounds from it; the leak
# checker's tracer then dies at exit ("Tracer caught signal 11", about one run in fifty of a
# window test, no leak reported). Not watching __tls_get_addr avoids the misreading.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:\
intercept_tls_get_addr=0 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$asan_dir" --output-on-failure -j "$jobs" --timeout 300
echo "asan tests: $((SECONDS - start)) s"

echo "== thread: the tests that share state between threads"
start=$SECONDS
configure_and_build "$tsan_dir" thread OFF tamsor_http_tests tamsor_regex_tests tamsor_forum_tests \
    tamsor_reliability_tests
echo "tsan build: $((SECONDS - start)) s"
start=$SECONDS
# The shared cookie store, regex objects on several threads, overlapping profile fetches, the
# directory guard and a directory load outliving its window.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir "$tsan_dir" --output-on-failure -j "$jobs" --timeout 300 \
    -R 'CookieStore\.|Threads|Concurrency\.|ForumFlow\.(ASecondDirectoryLoad|PunchRefreshes)'
echo "tsan tests: $((SECONDS - start)) s"
