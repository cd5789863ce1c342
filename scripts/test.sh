#!/usr/bin/env bash
set -euo pipefail
cd "$(dirname "$0")/.."
command -v cmake >/dev/null && dpkg -s libgtest-dev >/dev/null 2>&1 || { apt-get update && apt-get install -y cmake g++ libgtest-dev; }
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug
cmake --build build-test -j2
ctest --test-dir build-test --output-on-failure
