# Whether every text of korvandelith.exe can be read under Wine: sourced by
# the window test, which provides win_start, win_click, win_close, check,
# $win_shots, $wine, $build, $examples and $work.  The program is started
# with KORV_LAYOUT_CHECK naming a file, into which every paint writes each
# labelled control's text as measured in the control's own font, the room
# the control's decoration leaves, and the control's size, and then the
# result text's wrapped height in its box (lines end in CR LF).  Checked in
# the Japanese and in the C locale, in both languages, after converting the
# example; and a result too long for its box.  Screenshots go to $win_shots/texts-*.png.

# Every control line of layout file $1 fits: text width plus decoration
# within the control's width, text height plus decoration within its height;
# and there are at least 20 labelled controls.  Prints the ones that don't.
wintext_labels_fit() {
  awk '{ sub(/\r$/, "") }
       $1 == "control" {
         n++
         if ($8 + $11 > $14 || $9 + $12 > $15) { bad++; print "  cut: " $0 }
       }
       END { exit !(n >= 20 && bad == 0) }' "$1"
}

# The result line of layout file $1 says "painted" with a font that lets
# the whole wrapped text fit the box ($2 = painted), or that the text goes
# to the scrolling box ($2 = scrolls).
wintext_result_shown() {
  awk -v want="$2" '{ sub(/\r$/, "") }
       $1 == "result" {
         found = 1
         if (want == "painted") ok = ($9 == "painted" && $3 > 0 && $5 <= $8)
         else ok = ($9 == "scrolls")
       }
       END { exit !(found && ok) }' "$1"
}

# Waits until layout file $1 exists and (with $2) its first line says
# language $2.
wintext_wait_layout() {
  local _
  for _ in $(seq 1 100); do
    if [ -s "$1" ] && { [ -z "${2:-}" ] || grep -q "^cell .* language $2 " "$1"; }; then
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# A settings file for directory $1: PADS, the example's paths, format
# option 1, and result text $2 (line feeds as byte 7).
wintext_settings() {
  local dir="$1" dos
  dos="Z:${dir//\//\\}"
  {
    printf '20\r\n'
    local i
    for i in $(seq 0 19); do
      if [ "$i" = 10 ]; then printf '6\r\n'; else printf '0\r\n'; fi
    done
    printf '20\r\n'
    printf '%s\\board.asc\r\n%s\\board.pro\r\n\r\n%s\\Korvandelith.csv\r\n\r\n' "$dos" "$dos" "$dos"
    printf '%s\r\n\r\n1\r\n' "$2"
    for i in $(seq 8 19); do printf '\r\n'; done
  } >"$dir/Korvandelith.ini"
}

# One locale: start, convert the example, check and photograph both
# languages.  $1 is the locale name for the screenshots, $2 the LC_ALL value
# ("" keeps the Japanese locale that win_start sets).
wintext_locale() {
  local name="$1" lc_all="$2"
  local dir="$work/texts-$name"
  local layout="$dir/layout.txt"
  mkdir -p "$dir"
  cp "$examples/board.asc" "$examples/board.pro" "$examples/Korvandelith.csv" "$dir/"
  wintext_settings "$dir" ""
  local saved_cw="$win_cw" saved_lh="$win_lh"
  export KORV_LAYOUT_CHECK="$layout"
  if [ -n "$lc_all" ]; then export LC_ALL="$lc_all"; fi
  win_start "$dir"
  unset KORV_LAYOUT_CHECK
  if [ -n "$lc_all" ]; then unset LC_ALL; fi
  check "window texts ($name): the window opens" test -n "$win_id"
  [ -n "$win_id" ] || return
  wintext_wait_layout "$layout" 0
  # Clicks go where this start's cell puts the controls.
  read -r _ win_cw win_lh _ <<<"$(head -n 1 "$layout")"
  echo "window texts ($name): $(head -n 1 "$layout")"

  win_click 150 175 210 187  # "Execute"
  local _
  for _ in $(seq 1 150); do
    [ -s "$dir/board.net" ] && [ -s "$dir/board.asc_f00.csv" ] && break
    sleep 0.2
  done
  sleep 1
  check "window texts ($name): Execute converts the example" test -s "$dir/board.net"
  import -window "$win_id" "$win_shots/texts-$name-ja.png" 2>/dev/null
  cp "$layout" "$dir/layout-ja.txt"
  check "window texts ($name): every Japanese label fits its control" \
    wintext_labels_fit "$dir/layout-ja.txt"
  check "window texts ($name): the example's result is painted whole" \
    wintext_result_shown "$dir/layout-ja.txt" painted
  grep '^result' "$dir/layout-ja.txt"

  win_click 410 5 500 17  # the language button
  wintext_wait_layout "$layout" 1
  sleep 0.5
  import -window "$win_id" "$win_shots/texts-$name-en.png" 2>/dev/null
  cp "$layout" "$dir/layout-en.txt"
  check "window texts ($name): the labels switched to English" \
    grep -q $'^control 1 .* label Japanese\r\\?$' "$dir/layout-en.txt"
  check "window texts ($name): every English label fits its control" \
    wintext_labels_fit "$dir/layout-en.txt"
  check "window texts ($name): the English result is painted whole" \
    wintext_result_shown "$dir/layout-en.txt" painted
  win_close
  win_cw="$saved_cw"
  win_lh="$saved_lh"
}

wintext_locale ja_JP ""
wintext_locale C C

# A result of 40 lines fits no font: it is shown in a box that scrolls to
# its last line.
wintext_long() {
  local dir="$work/texts-long"
  local layout="$dir/layout.txt"
  mkdir -p "$dir"
  local text="" i
  for i in $(seq 1 40); do text+="Warning: line $i of a long result"$'\a'; done
  text+="Completed"$'\a'
  wintext_settings "$dir" "$text"
  export KORV_LAYOUT_CHECK="$layout"
  win_start "$dir"
  unset KORV_LAYOUT_CHECK
  check "window texts (long result): the window opens" test -n "$win_id"
  [ -n "$win_id" ] || return
  wintext_wait_layout "$layout"
  sleep 0.5
  check "window texts (long result): shown in the scrolling box" \
    wintext_result_shown "$layout" scrolls
  local saved_cw="$win_cw" saved_lh="$win_lh"
  read -r _ win_cw win_lh _ <<<"$(head -n 1 "$layout")"
  win_click 15 202 510 247  # into the box, then to its end
  xdotool key ctrl+End
  sleep 0.5
  import -window "$win_id" "$win_shots/texts-long-result-end.png" 2>/dev/null
  win_close
  win_cw="$saved_cw"
  win_lh="$saved_lh"
}
wintext_long
