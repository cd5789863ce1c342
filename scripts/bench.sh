#!/usr/bin/env bash
# Builds optimised benchmarks and runs them; arguments go to every benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j"$(nproc)"
for bench in build-bench/Benchmarks/*Benchmark; do
  echo "== $(basename "$bench")"
  "$bench" "$@"
done
echo "== running cost"
bash Benchmarks/running_cost.sh build-bench 60 450
bash Benchmarks/running_cost.sh build-bench 60 1500
