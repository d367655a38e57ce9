#!/usr/bin/env bash
# Benchmarks at full capacity: builds a release build, generates the inputs
# (6000 parts, 20000 pin entries per format, a 6000-row category file and
# 6000-row previous reports), runs the Google Benchmark program, then times
# the command-line runner against copying the same bytes with cp, and
# measures its peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
. cmake/deps.sh
korv_apt_install cmake make g++ libbenchmark-dev time
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORV_BENCH=ON -DKORV_TESTS=OFF >/dev/null
cmake --build build-bench -j2 >/dev/null
data="$PWD/build-bench/data"
rm -rf "$data"
mkdir -p "$data"
build-bench/bench/korv-bench-generate "$data"
ls -l "$data"
KORV_BENCH_DATA="$data" build-bench/bench/korv-bench --benchmark_min_time=0.5

now() { date +%s%N; }
runs=15
printf '\n%-9s %9s %9s %9s %7s %9s\n' format in+out cli_ms cp_ms ratio peak_kB
for spec in pads:pads cadvance:cadvance mm2:mm2 protel:protel telesis:telesis ccf:ccf; do
  fmt="${spec%%:*}"
  file="board.$fmt"
  work="$(mktemp -d)"
  cp "$data/$file" "$data/${file}_f00.csv" "$data/parts.csv" "$data/board.pro" "$work/"
  cli_best=999999999999
  for i in $(seq $runs); do
    rm -f "$work/${file}_f01.csv"
    t0=$(now)
    (cd "$work" && "$OLDPWD/build-bench/korvandelith-cli" --input "$file" --format "$fmt" \
      --project board.pro --category parts.csv >/dev/null)
    t1=$(now)
    [ $((t1 - t0)) -lt $cli_best ] && cli_best=$((t1 - t0))
  done
  peak=$(cd "$work" && rm -f "${file}_f01.csv" && /usr/bin/time -f %M "$OLDPWD/build-bench/korvandelith-cli" \
    --input "$file" --format "$fmt" --project board.pro --category parts.csv 2>&1 >/dev/null | tail -1)
  # The same bytes: the inputs read and the outputs written.
  bytes=$(cat "$work/$file" "$work/${file}_f00.csv" "$work/parts.csv" "$work/board.net" "$work/${file}_f01.csv" | wc -c)
  cp_best=999999999999
  for i in $(seq $runs); do
    dest="$(mktemp -d)"
    t0=$(now)
    cp "$work/$file" "$work/${file}_f00.csv" "$work/parts.csv" "$work/board.net" "$work/${file}_f01.csv" "$dest/"
    t1=$(now)
    rm -rf "$dest"
    [ $((t1 - t0)) -lt $cp_best ] && cp_best=$((t1 - t0))
  done
  awk -v f="$fmt" -v b="$bytes" -v c="$cli_best" -v p="$cp_best" -v m="$peak" \
    'BEGIN { printf "%-9s %9d %9.2f %9.2f %7.2f %9d\n", f, b, c / 1e6, p / 1e6, c / p, m }'
  rm -rf "$work"
done
