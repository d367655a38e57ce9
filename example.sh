#!/usr/bin/env bash
# Builds the command-line runner and converts the bundled example board in a
# fresh folder under build/example, printing the result text and where the
# netlist and the report landed.
set -euo pipefail
cd "$(dirname "$0")"
. cmake/deps.sh
korv_native_deps
cmake -S . -B build >/dev/null
cmake --build build -j2 --target korvandelith-cli >/dev/null
work="$PWD/build/example"
rm -rf "$work"
mkdir -p "$work"
cp examples/board.asc examples/board.pro examples/Korvandelith.csv "$work/"
cd "$work"
status=0
../korvandelith-cli --input board.asc --format pads --project board.pro \
  --category Korvandelith.csv --language en || status=$?
echo
echo "KiCad netlist: $work/board.net"
echo "Report:        $(ls "$work"/board.asc_f*.csv | tail -n 1)"
exit $status
