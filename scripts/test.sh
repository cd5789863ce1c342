#!/usr/bin/env bash
# Sets up the machine, builds Quorvel with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# A test that fails is run once more: the desktop tests drive a real X server,
# window manager and tray, whose start-up a loaded machine can stall.
ctest --test-dir build-test --output-on-failure --no-tests=error --repeat until-pass:2 -j"$(nproc)"
