#!/usr/bin/env bash
# Imports a netlist into a board with pcbnew, as a user does it:
#   import_netlist.sh FOLDER
# opens FOLDER/board.kicad_pcb, picks File > Import > Netlist..., types the
# path of FOLDER/board.net, presses "Update PCB", closes the dialog, saves
# the board and quits.  Needs DISPLAY (a virtual display without a window
# manager) and a KiCad configuration that starts without first-run dialogs.
# Each step waits for the window or title change it causes; a screenshot of
# the dialog after the update is kept as FOLDER/import.png, and one of the
# screen as FOLDER/failed.png when a step does not happen.
set -uo pipefail
folder="$1"
log="$folder/pcbnew.log"
pcbnew_pid=""

fail() {
  echo "pcbnew: $*" >&2
  import -window root "$folder/failed.png" 2>/dev/null
  echo "  windows: $(xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | tr '\n' '|')" >&2
  [ -n "$pcbnew_pid" ] && kill "$pcbnew_pid" 2>/dev/null
  exit 1
}

# Waits up to $1 seconds until a window whose name matches $2 exists, and
# prints its id.  A search that meets a window while it is destroyed fails,
# so each search is a fresh one.
wait_window() {
  local end=$((SECONDS + $1)) id
  while [ $SECONDS -lt $end ]; do
    id="$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits up to $1 seconds until no window matches $2.
wait_gone() {
  local end=$((SECONDS + $1))
  while xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

(cd "$folder" && exec pcbnew board.kicad_pcb >"$log" 2>&1) &
pcbnew_pid=$!

main="$(wait_window 120 '^board — PCB Editor$')"
[ -n "$main" ] || fail "the PCB editor window did not open"

# File > Import > Netlist...: Import is the eighth entry of the File menu and
# Netlist... the first of its submenu.  A menu is no named window, so the
# key presses are paced; the dialog is waited for, and the menu walk is
# tried again when it does not open.
dialog=""
for _ in 1 2 3; do
  xdotool windowfocus --sync "$main"
  xdotool key --delay 150 alt+f Down Down Down Down Down Down Down Right Return
  dialog="$(wait_window 15 '^Import Netlist$')"
  [ -n "$dialog" ] && break
  xdotool key Escape Escape Escape
done
[ -n "$dialog" ] || fail "File > Import > Netlist... did not open the Import Netlist dialog"

# The file name field has the focus when the dialog opens.
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 5 "$folder/board.net"

# "Update PCB" is the third button from the right of the dialog's bottom
# row; the button row keeps its place relative to the lower right corner.
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove $((X + WIDTH - 341)) $((Y + HEIGHT - 23)) click 1
# The update marks the board modified: the title gains a '*'.
[ -n "$(wait_window 120 '^\*board — PCB Editor$')" ] || fail "Update PCB changed nothing"
import -window "$dialog" "$folder/import.png" 2>/dev/null

xdotool windowfocus --sync "$dialog"
xdotool key Escape
wait_gone 30 '^Import Netlist$' || fail "the Import Netlist dialog did not close"

xdotool windowfocus --sync "$main"
xdotool key ctrl+s
[ -n "$(wait_window 60 '^board — PCB Editor$')" ] || fail "File > Save did not save the board"

xdotool windowfocus --sync "$main"
xdotool key ctrl+q
for _ in $(seq 1 300); do
  kill -0 "$pcbnew_pid" 2>/dev/null || exit 0
  sleep 0.1
done
kill "$pcbnew_pid" 2>/dev/null
echo "pcbnew: did not quit; stopped" >&2
exit 0
