# End-to-end checks of korvandelith.exe under Wine, as a user works it:
# sourced by run.sh (which provides $wine, $build, $examples, $work and
# check).  The program runs on a virtual X display in a Japanese locale; the
# test clicks controls where the control table puts them, for the character
# cell that the program measured, and reads what it saved at exit.
# Screenshots are kept in $build/screenshots.

win_exe="$build/window/korvandelith.exe"
win_shots="$build/screenshots"
mkdir -p "$win_shots"

# A free display number, then the virtual display itself.
win_display=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    win_display=":$n"
    break
  fi
done
Xvfb "$win_display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
win_xvfb=$!
export DISPLAY="$win_display"
for _ in $(seq 1 150); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.2
done

# Programs run before (without a display) leave a Wine session behind whose
# desktop has no display: wait for it to end so that this one starts anew.
timeout 60 wineserver -w 2>/dev/null

win_pid=""
win_id=""
win_cw=8
win_lh=16
win_x=0
win_y=0

# Starts the program in directory $1 and waits for its main window.
win_start() {
  local started=$SECONDS
  (cd "$1" && LANG=ja_JP.UTF-8 exec "$wine" "$win_exe" >"$1/wine.log" 2>&1) &
  win_pid=$!
  win_id="$(timeout 90 xdotool search --sync --name '^Korvandelith : Netlist converter R1\.20$' | head -n 1)"
  if [ -z "$win_id" ]; then
    echo "window: no main window after $((SECONDS - started)) s; Wine said:"
    tail -n 5 "$1/wine.log"
    return 1
  fi
  sleep 1
  # The X window is the client area (there is no window manager to draw the
  # caption and frame).
  eval "$(xdotool getwindowgeometry --shell "$win_id")"
  win_x=$X
  win_y=$Y
}

# Clicks the middle of control-table row: left top right bottom in tenths
# of a cell, mapped as the program maps them.
win_click() {
  local l=$(($1 * win_cw / 10)) t=$(($2 * win_lh / 10))
  local r=$(($3 * win_cw / 10)) b=$(($4 * win_lh / 10))
  xdotool mousemove $((win_x + (l + r) / 2)) $((win_y + (t + b) / 2)) click 1
  sleep 0.7
}

# Closes the main window with Alt+F4 and waits for the program to end.
win_close() {
  [ -n "$win_id" ] || return 1
  # A click on empty background gives the window the keyboard focus.
  xdotool mousemove $((win_x + 26 * win_cw)) $((win_y + 26 * win_lh)) click 1
  sleep 0.3
  xdotool key alt+F4
  for _ in $(seq 1 100); do
    kill -0 "$win_pid" 2>/dev/null || { win_id=""; return 0; }
    sleep 0.2
  done
  kill "$win_pid" 2>/dev/null
  win_id=""
  return 1
}

# Line $2 (from 1) of settings file $1, without its CR.
win_line() { sed -n "${2}p" "$1" | tr -d '\r'; }

win_lines_crlf() {  # 42 lines, each ending in CR LF
  [ "$(wc -l <"$1")" -eq 42 ] && [ "$(grep -c $'\r$' "$1")" -eq 42 ]
}

# Writes a settings file: 20 values (from "$values"), then 20 texts.
win_write_settings() {
  local file="$1"
  shift
  {
    printf '20\r\n'
    local i
    for i in $(seq 0 19); do printf '%s\r\n' "${win_values[$i]:-0}"; done
    printf '20\r\n'
    for i in $(seq 0 19); do printf '%s\r\n' "${win_texts[$i]:-}"; done
  } >"$file"
}

win_dospath() { printf 'Z:%s' "${1//\//\\}"; }

# --- First start without a settings file: creates it at exit.  The saved
# default size tells the character cell the program measured.
win_first="$work/first"
mkdir -p "$win_first"
win_start "$win_first"
check "window: first start opens the window" test -n "$win_id"
win_close
check "window: closing writes the settings file of 42 lines" win_lines_crlf "$win_first/Korvandelith.ini"
if [ -f "$win_first/Korvandelith.ini" ]; then
  win_w=$(($(win_line "$win_first/Korvandelith.ini" 5) - $(win_line "$win_first/Korvandelith.ini" 3)))
  win_h=$(($(win_line "$win_first/Korvandelith.ini" 6) - $(win_line "$win_first/Korvandelith.ini" 4)))
  win_cw=$(((win_w - 10) / 54))
  win_lh=$((win_h / 29))
  echo "window: default size ${win_w}x${win_h}, cell ${win_cw}x${win_lh}"
  check "window: first start defaults (Japanese, format option 1)" \
    test "$(win_line "$win_first/Korvandelith.ini" 2)$(win_line "$win_first/Korvandelith.ini" 30)" = "01"
  check "window: default category file in the current directory" \
    grep -q 'Korvandelith\.csv' <(win_line "$win_first/Korvandelith.ini" 26)
fi

# --- A whole session: the Error box, PADS, the check box, Execute, language.
win_main="$work/main"
mkdir -p "$win_main"
cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$win_main/"
win_values=()
win_texts=()
win_texts[0]="$(win_dospath "$win_main/board.asc")"
win_texts[1]="$(win_dospath "$win_main/board.pro")"
win_texts[3]="$(win_dospath "$win_main/Korvandelith.csv")"
win_texts[7]="1"
win_write_settings "$win_main/Korvandelith.ini"
win_start "$win_main"
check "window: opens with a prepared settings file" test -n "$win_id"
if [ -n "$win_id" ]; then
  win_click 230 175 340 187  # "Open the CSV": no report yet
  win_err="$(timeout 20 xdotool search --sync --name '^Error$' | head -n 1)"
  check "window: Open the CSV without a report shows the Error box" test -n "$win_err"
  if [ -n "$win_err" ]; then
    import -window "$win_err" "$win_shots/error-box.png" 2>/dev/null
    xdotool windowfocus "$win_err" 2>/dev/null
    xdotool key Return
    sleep 1
    xdotool search --name '^Error$' >/dev/null && xdotool windowfocus "$win_err" key Return
  fi
  win_click 120 65 220 77    # "PADS"
  win_click 360 135 510 147  # "Output name with Rev."
  win_click 150 175 210 187  # "Execute"
  for _ in $(seq 1 150); do
    [ -s "$win_main/board.net" ] && [ -s "$win_main/board.asc_f00.csv" ] && break
    sleep 0.2
  done
  sleep 1
  check "window: Execute writes the netlist" test -s "$win_main/board.net"
  check "window: Execute writes the report" test -s "$win_main/board.asc_f00.csv"
  import -window "$win_id" "$win_shots/window-ja.png" 2>/dev/null
  win_click 410 5 500 17     # the language button
  sleep 0.5
  import -window "$win_id" "$win_shots/window-en.png" 2>/dev/null
  check "window: the language button changes the labels" \
    bash -c '! cmp -s "$1" "$2"' _ "$win_shots/window-ja.png" "$win_shots/window-en.png"
  win_close
  check "window: closes on Alt+F4" test -z "$win_id"
  win_ini="$win_main/Korvandelith.ini"
  check "window: settings file of 42 lines after the session" win_lines_crlf "$win_ini"
  check "window: saved language is English" test "$(win_line "$win_ini" 2)" = 1
  check "window: saved input format is PADS" test "$(win_line "$win_ini" 12)" = 6
  check "window: saved Output name with Rev." test "$(win_line "$win_ini" 14)" = 1
  check "window: saved result text ends in Completed" \
    grep -q $'Completed\a$' <(win_line "$win_ini" 28)
  check "window: saved report path" grep -q 'board\.asc_f00\.csv$' <(win_line "$win_ini" 27)
fi

# --- Settings files that are no such thing: the window still opens.
win_bad="$work/bad"
mkdir -p "$win_bad"
head -c 6000 /dev/urandom >"$win_bad/Korvandelith.ini"
win_start "$win_bad"
check "window: opens over a settings file of random bytes" test -n "$win_id"
win_close
check "window: random settings rewritten as 42 lines" win_lines_crlf "$win_bad/Korvandelith.ini"
check "window: random settings give a valid language" \
  grep -qx '[01]' <(win_line "$win_bad/Korvandelith.ini" 2)

{
  printf '20\r\n7\r\n'
  for _ in $(seq 1 9); do printf '0\r\n'; done
  printf '99\r\n'
  for _ in $(seq 11 19); do printf '0\r\n'; done
  printf '2\r\n'
  head -c 100000 /dev/zero | tr '\0' 'x'
  printf '\r\nboard.pro\r\n'
} >"$win_bad/Korvandelith.ini"
win_start "$win_bad"
check "window: opens with language 7, input format 99 and a 100,000-character line" \
  test -n "$win_id"
[ -n "$win_id" ] && import -window "$win_id" "$win_shots/window-bad-settings.png" 2>/dev/null
win_close
win_ini="$win_bad/Korvandelith.ini"
check "window: language 7 saved as 0, input format 99 kept" \
  test "$(win_line "$win_ini" 2)/$(win_line "$win_ini" 12)" = "0/99"
check "window: the long text keeps 9999 characters, the next one intact" \
  test "$(win_line "$win_ini" 23 | wc -c)/$(win_line "$win_ini" 24)" = "10000/board.pro"
check "window: a missing category file path gets its default" \
  grep -q 'Korvandelith\.csv$' <(win_line "$win_ini" 26)

kill "$win_xvfb" 2>/dev/null
wait "$win_xvfb" 2>/dev/null
echo "window: screenshots in $win_shots"
