#!/usr/bin/env bash
# The long run of the regex dialect test: RegexObject (JIT and interpreter) against ECMAScript's
# RegExp in Node.js on many generated cases, a fresh seed each round. ctest runs the same test
# on 3000 cases from a fixed seed.
#
#   scripts/regex-reference.sh [cases per round] [rounds] [first seed]
#
# A disagreement fails the run and prints the cases with their seed, which reproduces them:
#   TAMSOR_REGEX_SEED=<seed> TAMSOR_REGEX_CASES=<cases> build/tests/regex/tamsor_regex_reference_tests
set -euo pipefail
cd "$(dirname "$0")/.."

cases=${1:-100000}
rounds=${2:-5}
seed=${3:-$(date +%s)}
build_dir=${TAMSOR_BUILD_DIR:-build}

cmake -S . -B "$build_dir" -DTAMSOR_WERROR=ON >/dev/null
cmake --build "$build_dir" -j "${TAMSOR_JOBS:-$(nproc)}" --target tamsor_regex_reference_tests
for ((round = 0; round < rounds; ++round)); do
    TAMSOR_REGEX_SEED=$((seed + round)) TAMSOR_REGEX_CASES=$cases \
        "$build_dir/tests/regex/tamsor_regex_reference_tests" --gtest_brief=1 |
        grep -v '^Running main'
done
