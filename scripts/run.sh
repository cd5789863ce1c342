#!/usr/bin/env bash
# Sets up the machine, builds Quorvel and starts it. Extra arguments go to quorvel.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)"
exec ./build/bin/quorvel "$@"
