#!/usr/bin/env bash
# Runs the Windows programs of a cross build under Wine.
#   tests/wine/run.sh BUILD_DIR EXAMPLES_DIR
# The command-line runner converts the example board and must write the same
# netlist and report as the native build; further checks of the window
# program live in window_test.sh beside this file.
set -uo pipefail
build="$1"
examples="$2"
here="$(cd "$(dirname "$0")" && pwd)"
export WINEPREFIX="$build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export WINEARCH=win32 
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

if [ ! -d "$WINEPREFIX" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$work/"
(cd "$work" && wine "$build/korvandelith-cli.exe" --input board.asc --format pads \
  --project board.pro --category Korvandelith.csv --language en >out.txt 2>err.txt)
status=$?
check "cli.exe converts the example" test "$status" -eq 0
check "cli.exe result text" grep -q "^Completed" "$work/out.txt"
check "cli.exe wrote the netlist" test -s "$work/board.net"
check "cli.exe wrote the report" test -s "$work/board.asc_f00.csv"

if [ -f "$here/window_test.sh" ] && [ -f "$build/window/korvandelith.exe" ]; then
  . "$here/window_test.sh"
fi

echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
