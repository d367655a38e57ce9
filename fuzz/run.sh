#!/usr/bin/env bash
# Fuzzing campaign: builds the libFuzzer targets with clang and runs each for
# SECONDS seconds on its corpus (seeds from fuzz/seeds, the examples and the
# shared sample netlists), two targets at a time.  Inputs that make a target
# fail are copied to build-fuzz/findings/; the script then exits non-zero.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
. cmake/deps.sh
korv_apt_install clang libclang-rt-14-dev
seconds="${1:-30}"
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKORV_FUZZ=ON -DKORV_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build build-fuzz -j2 >/dev/null || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(reader_pads reader_cadvance reader_mm2 reader_protel reader_telesis reader_ccf
           category previous settings run)
fi
samples="$PWD/../shared/samples"
seed() {  # target -> the seed files of its corpus
  case "$1" in
    reader_pads) echo fuzz/seeds/pads.txt examples/board.asc "$samples"/pads/* ;;
    reader_cadvance) echo fuzz/seeds/cadvance.txt ;;
    reader_mm2) echo fuzz/seeds/mm2.txt ;;
    reader_protel) echo fuzz/seeds/protel.txt "$samples"/protel/* ;;
    reader_telesis) echo fuzz/seeds/telesis.txt "$samples"/telesis/* ;;
    reader_ccf) echo fuzz/seeds/ccf.txt ;;
    category) echo fuzz/seeds/category.txt examples/Korvandelith.csv ;;
    previous) echo fuzz/seeds/previous.txt ;;
    settings) echo fuzz/seeds/settings.txt ;;
    run) echo fuzz/seeds/pads.txt fuzz/seeds/telesis.txt fuzz/seeds/ccf.txt ;;
  esac
}
mkdir -p build-fuzz/findings build-fuzz/logs
run_target() {
  local t="$1"
  local corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus" "build-fuzz/findings/$t"
  for f in $(seed "$t") fuzz/regressions/"$t"/*; do
    [ -f "$f" ] && cp "$f" "$corpus/" 2>/dev/null
  done
  build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="build-fuzz/findings/$t/" -print_final_stats=1 "$corpus" \
    >"build-fuzz/logs/$t.log" 2>&1
  local status=$?
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/logs/$t.log" | grep -o '[0-9]*$')
  echo "fuzz $t: ${runs:-?} runs in ${seconds}s, exit $status"
  return $status
}
failed=0
passed=0
i=0
pids=()
names=()
for t in "${targets[@]}"; do
  run_target "$t" &
  pids+=($!)
  names+=("$t")
  i=$((i + 1))
  if [ $((i % 2)) -eq 0 ] || [ $i -eq ${#targets[@]} ]; then
    for k in "${!pids[@]}"; do
      if wait "${pids[$k]}"; then passed=$((passed + 1)); else
        failed=$((failed + 1))
        echo "FAILED: fuzz ${names[$k]} (see build-fuzz/logs/${names[$k]}.log)"
      fi
    done
    pids=()
    names=()
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]
