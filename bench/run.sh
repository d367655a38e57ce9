#!/usr/bin/env bash
# Benchmarks at full capacity: builds a release build, generates the inputs
# (6000 parts, 20000 pin entries per format, a 6000-row category file and
# 6000-row previous reports), runs the Google Benchmark program, then times
# the command-line runner against copying the same bytes with cp (CPU time
# of the child, user + system), also on a board at 1% of capacity, and
# measures its peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
. cmake/deps.sh
korv_apt_install cmake make g++ libbenchmark-dev python3
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORV_BENCH=ON -DKORV_TESTS=OFF >/dev/null
cmake --build build-bench -j2 >/dev/null
data="$PWD/build-bench/data"
rm -rf "$data"
mkdir -p "$data"
build-bench/korv-bench-generate "$data"
ls -l "$data"
KORV_BENCH_DATA="$data" build-bench/bench/korv-bench --benchmark_min_time=0.5

python3 bench/time_cli.py "$PWD/build-bench/korvandelith-cli" "$data"
