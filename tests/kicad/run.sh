#!/usr/bin/env bash
# KiCad acceptance test: converted netlists imported into real boards.
#   tests/kicad/run.sh CLI SAMPLES_DIR WORK_DIR
# For each board of make_boards.py the command-line runner CLI converts the
# input (with footprints from a library the test writes), pcbnew imports the
# netlist on a virtual display as a user would (import_netlist.sh), and
# check_board.py reads the saved board back with KiCad's Python module and
# compares it with the netlist.  KiCad starts from a fresh configuration in
# WORK_DIR/home that is written so that no first-run dialog appears.
# A board whose sample file is not in SAMPLES_DIR is skipped and counted.
# Where KiCad, its Python module or the display tools are missing, the test
# says that it is skipped and why, and exits 0 without a pass.
set -uo pipefail
cli="$(realpath "$1")"
samples="$2"
work="$3"
here="$(cd "$(dirname "$0")" && pwd)"
python=/usr/bin/python3

skip() {
  echo "KiCad acceptance test SKIPPED: $*"
  exit 0
}
for tool in pcbnew Xvfb xdotool import; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x "$python" ] || skip "no system Python ($python)"
kicad_version="$("$python" -c 'import pcbnew; print(pcbnew.Version())' 2>/dev/null)" ||
  skip "the system Python has no pcbnew module"
case "$kicad_version" in
  [6-9].* | [1-9][0-9].*) ;;
  *) skip "KiCad $kicad_version is older than 6" ;;
esac
[ -x "$cli" ] || { echo "FAILED: no command-line runner at $cli"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
work="$(realpath "$work")"
started=$SECONDS

# A fresh KiCad configuration: the settings folder with its common settings
# file (without it KiCad asks where to take settings from) and empty global
# library tables (without them it asks how to configure them).
series="${kicad_version%%.*}.0"
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache"
config="$XDG_CONFIG_HOME/kicad/$series"
mkdir -p "$config"
echo '{}' >"$config/kicad_common.json"
printf '(fp_lib_table\n)\n' >"$config/fp-lib-table"
printf '(sym_lib_table\n)\n' >"$config/sym-lib-table"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# A virtual display on a free number; no window manager.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || skip "the virtual display did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

echo "KiCad $kicad_version, display $DISPLAY, boards in $work"
passed=0
failed=0
skipped=0
for board in $("$python" "$here/make_boards.py" --list); do
  "$python" "$here/make_boards.py" "$cli" "$work" "$samples" "$board"
  status=$?
  if [ $status -eq 77 ]; then
    skipped=$((skipped + 1))
  elif [ $status -eq 0 ] && bash "$here/import_netlist.sh" "$work/$board" &&
    "$python" "$here/check_board.py" "$work/$board/board.kicad_pcb" \
      "$work/$board/board.net" "$board" 2>"$work/$board.check.log"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $board"
  fi
done
echo "kicad: $passed passed, $failed failed, $skipped skipped ($((SECONDS - started)) s)"
[ "$failed" -eq 0 ]
