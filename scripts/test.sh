#!/usr/bin/env bash
# Sets up the machine, checks the formatting, builds Quorvel with
# AddressSanitizer and UndefinedBehaviorSanitizer (warnings as errors), and
# runs every test once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
find Sources Tests Benchmarks -name '*.c' -o -name '*.cpp' -o -name '*.h' |
  sort | xargs clang-format --dry-run --Werror
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_WERROR=ON \
  -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-test --output-on-failure --no-tests=error -j"$(nproc)"
