#!/usr/bin/env bash
# Builds and runs every test: the native suite, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, every fuzz target for 30
# seconds on its corpus, and the Windows programs built with the i686 cross
# compiler and run under Wine.
set -euo pipefail
cd "$(dirname "$0")"
. cmake/deps.sh
korv_native_deps
korv_cross_deps
korv_wine_deps
korv_kicad_deps

jobs=2
# The Windows programs run under Wine at the end; their Wine prefix takes
# minutes to make under emulation, so it is made now, beside the native
# tests.
if korv_runs_32bit; then
  win_build=build-win
  win_loader=wine
else
  win_build=build-win64
  win_loader=/usr/lib/wine/wine64
fi
mkdir -p "$win_build"
bash tests/wine/prefix.sh "$win_loader" "$PWD/$win_build/wineprefix" >"$win_build/prefix.log" 2>&1 &
prefix_job=$!

echo "== Native build and tests"
cmake -S . -B build -DKORV_TESTS=ON -DKORV_SANITIZE=OFF >/dev/null
cmake --build build -j$jobs
(cd build && ctest --output-on-failure -j$jobs)

echo "== KiCad acceptance test"
bash tests/kicad/run.sh build/korvandelith-cli "${KORV_SAMPLES:-../shared/samples}" build/kicad-test

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build-asan -DKORV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j$jobs
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j$jobs)

echo "== Fuzz targets, 30 seconds each"
bash fuzz/run.sh 30

echo "== Windows programs (32-bit), run under Wine"
wait "$prefix_job" || true
cat "$win_build/prefix.log"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build-win -j$jobs
if korv_runs_32bit; then
  KORV_NATIVE_CLI="$PWD/build/korvandelith-cli" KORV_WINE=wine bash tests/wine/run.sh "$PWD/build-win" "$PWD/examples"
else
  # No 32-bit programs run here (not even through qemu), so neither the
  # 32-bit Wine loader: the same sources built for 64-bit Windows are tested.
  echo "(no 32-bit execution here: testing the 64-bit build under wine64)"
  cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
  cmake --build build-win64 -j$jobs
  KORV_NATIVE_CLI="$PWD/build/korvandelith-cli" KORV_WINE=/usr/lib/wine/wine64 bash tests/wine/run.sh "$PWD/build-win64" "$PWD/examples"
fi
