# End-to-end checks of korvandelith.exe under Wine, as a user works it:
# sourced by run.sh (which provides $wine, $build, $examples, $work and
# check).  The program runs on a virtual X display in a Japanese locale; the
# test clicks controls where the control table puts them, for the character
# cell that the program measured, and reads what it saved at exit.
#
# Every wait is for an event with a deadline, never a fixed sleep: the
# program's first paint (it writes the file named by KORV_LAYOUT_CHECK at
# every paint), a window that exists, a file written, the process's end.
# Under qemu's emulation on a busy machine one start takes one to several
# minutes, so the deadline is generous (KORV_WINE_DEADLINE seconds); a wait
# that runs out prints what it saw: the Wine log's tail, the Wine processes
# and a screenshot.  Screenshots are kept in $build/screenshots.

win_exe="$build/window/korvandelith.exe"
win_shots="$build/screenshots"
win_deadline="${KORV_WINE_DEADLINE:-400}"
mkdir -p "$win_shots"

# Waits until the command succeeds; false when the deadline passes first.
win_wait() {  # seconds, command...
  local limit=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$limit" ] || return 1
    sleep 0.2
  done
}

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
win_wait 60 xdpyinfo >/dev/null 2>&1 || echo "window: the virtual display $win_display did not start"

# The command-line runs before had no display, and the Wine session they
# leave behind keeps a desktop without one: end it before the first start.
# Then one persistent server carries every start, so that no start meets a
# server that is still shutting down from the one before.
wineserver -k 2>/dev/null
timeout 120 wineserver -w 2>/dev/null
wineserver -p 2>/dev/null

win_pid=""
win_id=""
win_dir=""
win_cw=8
win_lh=16
win_x=0
win_y=0
win_failures=0

# What a failed wait saw: the Wine log's tail, the Wine processes, the screen.
win_diagnose() {  # what was awaited
  win_failures=$((win_failures + 1))
  local shot="$win_shots/failed-$win_failures.png"
  echo "window: $1; program alive: $(kill -0 "$win_pid" 2>/dev/null && echo yes || echo no)"
  echo "window: Wine processes:"
  ps -eo pid,etime,args | grep -i '[w]ine\|[k]orvandelith' | cut -c1-160 | sed 's/^/    /'
  echo "window: Wine said ($win_dir/wine.log):"
  tail -n 20 "$win_dir/wine.log" 2>/dev/null | sed 's/^/    /'
  import -window root "$shot" 2>/dev/null && echo "window: screenshot $shot"
}

win_found() {
  win_id="$(xdotool search --name '^Korvandelith : Netlist converter R1\.20$' 2>/dev/null | head -n 1)"
  [ -n "$win_id" ]
}

# The program ended, or its window exists and has painted once.
win_started_or_ended() {
  ! kill -0 "$win_pid" 2>/dev/null && return 0
  [ -s "$win_dir/layout.txt" ] && win_found
}

# Starts the program in directory $1 and waits for its main window's first
# paint.  Every start writes its layout file ($1/layout.txt).
win_start() {
  local started=$SECONDS
  win_dir="$1"
  win_id=""
  rm -f "$1/layout.txt"
  (cd "$1" && KORV_LAYOUT_CHECK="$1/layout.txt" LANG=ja_JP.UTF-8 WINEDEBUG=err+all \
    exec "$wine" "$win_exe" >"$1/wine.log" 2>&1) &
  win_pid=$!
  if ! win_wait "$win_deadline" win_started_or_ended || ! kill -0 "$win_pid" 2>/dev/null; then
    win_diagnose "no painted main window after $((SECONDS - started)) s"
    win_id=""
    kill "$win_pid" 2>/dev/null
    return 1
  fi
  echo "window: started in $((SECONDS - started)) s in ${1##*/}"
  # The X window is the client area (there is no window manager to draw the
  # caption and frame).
  eval "$(xdotool getwindowgeometry --shell "$win_id")"
  win_x=$X
  win_y=$Y
  # Clicks go where this start's character cell puts the controls.
  read -r _ win_cw win_lh _ <"$1/layout.txt"
}

# Clicks the middle of control-table row: left top right bottom in tenths
# of a cell, mapped as the program maps them.  The program handles the
# clicks in the order they were made; what a click does is awaited where it
# matters.
win_click() {
  local l=$(($1 * win_cw / 10)) t=$(($2 * win_lh / 10))
  local r=$(($3 * win_cw / 10)) b=$(($4 * win_lh / 10))
  xdotool mousemove $((win_x + (l + r) / 2)) $((win_y + (t + b) / 2)) click 1
}

# Whether the layout file was written after file $1 (a paint after a run).
win_painted_after() { [ "$win_dir/layout.txt" -nt "$1" ]; }

# Closes the main window with Alt+F4 and waits for the program to end.
win_close() {
  [ -n "$win_id" ] || return 1
  local started=$SECONDS
  xdotool windowfocus --sync "$win_id" 2>/dev/null
  xdotool key alt+F4
  if ! win_wait "$win_deadline" bash -c '! kill -0 "$1" 2>/dev/null' _ "$win_pid"; then
    win_diagnose "the program did not end $((SECONDS - started)) s after Alt+F4"
    kill "$win_pid" 2>/dev/null
    win_id=""
    return 1
  fi
  wait "$win_pid" 2>/dev/null
  echo "window: ended in $((SECONDS - started)) s"
  win_id=""
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

# The checks of every text's fit, sourced here so that the session below
# can carry them.
. "$(dirname "${BASH_SOURCE[0]}")/window_text_test.sh"

# --- First start without a settings file: creates it at exit.
win_first="$work/first"
mkdir -p "$win_first"
win_start "$win_first"
check "window: first start opens the window" test -n "$win_id"
win_close
check "window: closing writes the settings file of 42 lines" win_lines_crlf "$win_first/Korvandelith.ini"
if [ -f "$win_first/Korvandelith.ini" ]; then
  check "window: first start defaults (Japanese, format option 1)" \
    test "$(win_line "$win_first/Korvandelith.ini" 2)$(win_line "$win_first/Korvandelith.ini" 30)" = "01"
  check "window: default category file in the current directory" \
    grep -q 'Korvandelith\.csv' <(win_line "$win_first/Korvandelith.ini" 26)
fi

# --- A whole session: the Error box, PADS, the check box, Execute, every
# text's fit in both languages, language.
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
  win_err="$(timeout "$win_deadline" xdotool search --sync --name '^Error$' | head -n 1)"
  check "window: Open the CSV without a report shows the Error box" test -n "$win_err"
  if [ -n "$win_err" ]; then
    import -window "$win_err" "$win_shots/error-box.png" 2>/dev/null
    xdotool windowfocus --sync "$win_err" 2>/dev/null
    xdotool key Return
    win_wait "$win_deadline" bash -c '! xdotool search --name "^Error\$" >/dev/null' ||
      win_diagnose "the Error box stayed open"
  fi
  win_click 120 65 220 77    # "PADS"
  win_click 360 135 510 147  # "Output name with Rev."
  win_click 150 175 210 187  # "Execute"
  win_wait "$win_deadline" test -s "$win_main/board.asc_f00.csv" ||
    win_diagnose "Execute wrote no report"
  win_wait "$win_deadline" win_painted_after "$win_main/board.asc_f00.csv" ||
    win_diagnose "no paint after the run"
  check "window: Execute writes the netlist" test -s "$win_main/board.net"
  check "window: Execute writes the report" test -s "$win_main/board.asc_f00.csv"
  import -window "$win_id" "$win_shots/window-ja.png" 2>/dev/null
  wintext_check_language ja_JP ja 0 "$win_main"
  win_click 410 5 500 17     # the language button
  wintext_check_language ja_JP en 1 "$win_main"
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

# --- The C locale: a result too long for its box, then the example's.
wintext_c_locale

# --- Settings files that are no such thing: the window still opens.
win_bad="$work/bad"
mkdir -p "$win_bad"
head -c 6000 /dev/urandom >"$win_bad/Korvandelith.ini"
cp "$win_bad/Korvandelith.ini" "$win_shots/random-settings.bin"
win_start "$win_bad"
check "window: opens over a settings file of random bytes" test -n "$win_id"
win_close
check "window: random settings rewritten as 42 lines" win_lines_crlf "$win_bad/Korvandelith.ini"
check "window: random settings give a valid language" \
  grep -qx '[01]' <(win_line "$win_bad/Korvandelith.ini" 2)

# Saved far left of and above the screen, with a huge size: the window
# comes back onto the screen, where it can be seen and closed.
{
  printf '20\r\n7\r\n-1000000000\r\n-1000000000\r\n1000000000\r\n1000000000\r\n'
  for _ in $(seq 5 9); do printf '0\r\n'; done
  printf '99\r\n'
  for _ in $(seq 11 19); do printf '0\r\n'; done
  printf '2\r\n'
  head -c 100000 /dev/zero | tr '\0' 'x'
  printf '\r\nboard.pro\r\n'
} >"$win_bad/Korvandelith.ini"
win_start "$win_bad"
check "window: opens with language 7, input format 99, a 100,000-character line and a place off the screen" \
  test -n "$win_id"
if [ -n "$win_id" ]; then
  import -window "$win_id" "$win_shots/window-bad-settings.png" 2>/dev/null
  check "window: a window saved off the screen opens on it" \
    test "$win_x" -ge 0 -a "$win_y" -ge 0 -a "$win_x" -lt 1280 -a "$win_y" -lt 1024
fi
win_close
win_ini="$win_bad/Korvandelith.ini"
check "window: language 7 saved as 0, input format 99 kept" \
  test "$(win_line "$win_ini" 2)/$(win_line "$win_ini" 12)" = "0/99"
check "window: the long text keeps 9999 characters, the next one intact" \
  test "$(win_line "$win_ini" 23 | wc -c)/$(win_line "$win_ini" 24)" = "10000/board.pro"
check "window: a missing category file path gets its default" \
  grep -q 'Korvandelith\.csv$' <(win_line "$win_ini" 26)

wineserver -k 2>/dev/null
kill "$win_xvfb" 2>/dev/null
wait "$win_xvfb" 2>/dev/null
echo "window: screenshots in $win_shots"
