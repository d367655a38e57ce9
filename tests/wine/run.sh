#!/usr/bin/env bash
# Runs the Windows programs of a cross build under Wine.
#   KORV_WINE=LOADER tests/wine/run.sh BUILD_DIR EXAMPLES_DIR
# LOADER is the Wine loader to use ("wine" by default; "/usr/lib/wine/wine64"
# for a 64-bit build).  The command-line runner converts the example board;
# the file checks live in files_test.sh and further checks of the window
# program in window_test.sh beside this file, both sourced with $wine,
# $build, $examples, $work and check().
set -uo pipefail
build="$1"
examples="$2"
here="$(cd "$(dirname "$0")" && pwd)"
export WINEPREFIX="$build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
wine="${KORV_WINE:-wine}"
passed=0
failed=0
check() {  # name, then a command that must succeed
  local name="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
  fi
}

bash "$here/prefix.sh" "$wine" "$WINEPREFIX" || echo "wine: the prefix could not be made"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$work/"
(cd "$work" && "$wine" "$build/korvandelith-cli.exe" --input board.asc --format pads \
  --project board.pro --category Korvandelith.csv --language en >out.txt 2>err.txt)
status=$?
check "cli.exe converts the example" test "$status" -eq 0
check "cli.exe result text" grep -q "^Completed" "$work/out.txt"
check "cli.exe wrote the netlist" test -s "$work/board.net"
check "cli.exe wrote the report" test -s "$work/board.asc_f00.csv"
native="${KORV_NATIVE_CLI:-}"
if [ -n "$native" ]; then
  # Every build writes the same bytes.
  mkdir "$work/native"
  cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$work/native/"
  (cd "$work/native" && "$native" --input board.asc --format pads --project board.pro \
    --category Korvandelith.csv --language en >out.txt 2>err.txt)
  check "same netlist as the native build" cmp -s "$work/board.net" "$work/native/board.net"
  check "same report as the native build" cmp -s "$work/board.asc_f00.csv" "$work/native/board.asc_f00.csv"
  check "same result text as the native build" cmp -s "$work/out.txt" "$work/native/out.txt"
fi

if [ -f "$here/files_test.sh" ]; then
  . "$here/files_test.sh"
fi

if [ -f "$here/window_test.sh" ] && [ -f "$build/window/korvandelith.exe" ]; then
  . "$here/window_test.sh"
fi

echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
